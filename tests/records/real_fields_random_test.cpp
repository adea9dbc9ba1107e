// Real fields over many random 32-bit values, checked against results worked
// out here in another way: Fw.d output from the exact decimal expansion of
// the value, Fw.d and Ew.d input against the C library's correctly rounded
// conversion.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "record_helpers.h"
#include "records/edit_output.h"

namespace versel {
namespace {

// Adds one unit to the last digit of a decimal digit string; true when the
// carry runs out of the front ("999" becomes "000").
bool increment(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  return true;
}

// Fw.d of `v` by the rules written out step by step on decimal strings:
// the exact expansion, 8 significant digits (ties away from zero), d
// decimals (ties away from zero), zeros past the 7th significant digit,
// then the layout.
std::string expected_f(float v, int w, int d) {
  auto right = [w](const std::string& s) {
    if (static_cast<int>(s.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
    return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
  };
  if (std::isnan(v)) return right("NaN");
  if (std::isinf(v)) return right(v < 0 ? "-INF" : "INF");

  // the exact expansion: a float has at most 112 significant decimal digits
  char buf[200];
  std::snprintf(buf, sizeof buf, "%.120e", std::fabs(static_cast<double>(v)));
  std::string all;
  const char* p = buf;
  for (; *p != 'e'; ++p)
    if (*p != '.') all += *p;
  int exp10 = std::atoi(p + 1);  // power of ten of the first digit

  std::string scaled;  // the value times 10^d, rounded, as digits
  if (v != 0.0f) {
    std::string sig = all.substr(0, 8);
    if (all[8] >= '5' && increment(sig)) {
      sig = "10000000";
      ++exp10;
    }
    // value = sig x 10^(exp10 - 7); value x 10^d = sig x 10^t
    int t = exp10 - 7 + d;
    if (t >= 0) {
      scaled = sig;
      scaled.append(static_cast<std::size_t>(t), '0');
    } else if (-t > 8) {
      scaled.assign(1, '0');
    } else {
      std::size_t keep = static_cast<std::size_t>(8 + t);
      scaled.assign(1, '0');
      scaled.append(sig, 0, keep);
      if (sig[keep] >= '5') increment(scaled);
    }
    scaled.erase(0, scaled.find_first_not_of('0'));
    for (std::size_t i = 7; i < scaled.size(); ++i) scaled[i] = '0';
  }
  bool zero = scaled.empty();
  std::string int_part, frac_part;
  if (static_cast<int>(scaled.size()) > d) {
    int_part = scaled.substr(0, scaled.size() - static_cast<std::size_t>(d));
    frac_part = scaled.substr(scaled.size() - static_cast<std::size_t>(d));
  } else {
    frac_part.assign(static_cast<std::size_t>(d) - scaled.size(), '0');
    frac_part.append(scaled);
  }
  std::string sign = std::signbit(v) && !zero ? "-" : "";
  int need = static_cast<int>(sign.size() + int_part.size()) + 1 + d;
  if (need > w) return std::string(static_cast<std::size_t>(w), '*');
  if (int_part.empty() && need < w) int_part.assign(1, '0');
  std::string text = sign;
  text.append(int_part).append(".").append(frac_part);
  return right(text);
}

std::string edited_f(float v, int w, int d) {
  std::string out(static_cast<std::size_t>(w), '?');
  edit_f_out(out.data(), w, d, v, false);
  return out;
}

// `count` random values edited with widths 1..max_w and decimals 0..max_d;
// the generator starts at `start`, fixed, so that a failure repeats.
void check_random_f(int count, int max_w, int max_d, std::uint32_t start) {
  std::mt19937 rng(start);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<double> power(-6.0, 9.0);
  std::uniform_int_distribution<int> width(1, max_w), decimals(0, max_d), coin(0, 1);
  int failures = 0;
  for (int n = 0; n < count && failures < 20; ++n) {
    int w = width(rng), d = decimals(rng);
    float v;
    switch (n % 3) {
      case 0:  // any bit pattern: subnormals, huge values, NaN, infinities
        v = std::bit_cast<float>(bits(rng));
        break;
      case 1:  // the magnitudes of climate data and of years
        v = static_cast<float>(std::pow(10.0, power(rng)));
        break;
      default: {  // near a half of the last decimal shown
        double k = std::floor(std::pow(10.0, power(rng) / 2.0));
        v = static_cast<float>((k + 0.5) / std::pow(10.0, d));
        break;
      }
    }
    if (coin(rng)) v = -v;
    std::string want = expected_f(v, w, d), got = edited_f(v, w, d);
    if (got != want) {
      ++failures;
      ADD_FAILURE() << "f" << w << "." << d << " of " << std::hexfloat << v << std::defaultfloat
                    << " (" << v << "): got \"" << got << "\", want \"" << want << "\"";
    }
  }
}

TEST(RandomRealOutput, MatchesTheExactExpansion) { check_random_f(300000, 20, 8, 20240611u); }

TEST(RandomRealOutput, WideFieldsMatchTheExactExpansion) {
  check_random_f(30000, 127, 127, 5281u);
}

TEST(RandomRealOutput, ReferenceAgreesWithWorkedCases) {
  EXPECT_EQ(expected_f(0.125f, 8, 2), "    0.13");
  EXPECT_EQ(expected_f(2.675f, 8, 2), "    2.68");
  EXPECT_EQ(expected_f(-0.001f, 8, 2), "    0.00");
  EXPECT_EQ(expected_f(0.5f, 4, 3), ".500");
  EXPECT_EQ(expected_f(123456789.0f, 12, 2), "123456700.00");
  EXPECT_EQ(expected_f(-9999.0f, 8, 3), "********");
}

// A field of w characters: `text` right-justified after blanks.
std::string right_justified(const std::string& text, std::size_t extra) {
  return std::string(extra, ' ') + text;
}

float read_field(const std::string& field, char letter, int d) {
  char format[40];
  std::snprintf(format, sizeof format, "(%c%zu.%d)", letter, field.size(), d);
  float v = -12345.0f;
  Failure fail;
  IoStatus st = read_with(internal(field), translate(format, FormatOrigin::held), {to(v)}, fail);
  EXPECT_EQ(st, IoStatus::ok) << format << " on \"" << field << "\": " << fail.message;
  return v;
}

TEST(RandomRealInput, MatchesCorrectRounding) {
  std::mt19937 rng(77031u);
  std::uniform_real_distribution<double> power(-6.0, 9.0);
  std::uniform_int_distribution<int> typed(0, 12), decimals(0, 8), blanks(0, 5), coin(0, 1),
      form(0, 3);
  int failures = 0;
  for (int n = 0; n < 200000 && failures < 20; ++n) {
    double x = std::pow(10.0, power(rng));
    if (coin(rng)) x = -x;
    int digits = typed(rng);
    char text[80];
    std::string field;
    float got = 0.0f;
    int f = form(rng);
    if (f == 0) {
      // a typed point wins over the decimals of the format (a field
      // without a point is read with d = 0 here)
      std::snprintf(text, sizeof text, "%.*f", digits, x);
      field = right_justified(text, static_cast<std::size_t>(blanks(rng)));
      got = read_field(field, 'F', digits > 0 ? decimals(rng) : 0);
    } else if (f == 1) {
      // no point typed: the last d digits are decimals
      std::snprintf(text, sizeof text, "%.*f", digits, x);
      std::string no_point = text;
      std::size_t point = no_point.find('.');
      if (point != std::string::npos) no_point.erase(point, 1);
      field = right_justified(no_point, static_cast<std::size_t>(blanks(rng)));
      got = read_field(field, 'F', digits);
    } else {
      // an exponent: E, or D, or the sign of the exponent alone
      std::snprintf(text, sizeof text, "%.*e", digits, x);
      std::string typed_text = text;
      std::size_t e = typed_text.find('e');
      if (f == 3) typed_text.erase(e, 1);
      else if (coin(rng)) typed_text[e] = 'D';
      field = right_justified(typed_text, static_cast<std::size_t>(blanks(rng)));
      got = read_field(field, coin(rng) ? 'E' : 'F', digits > 0 ? decimals(rng) : 0);
    }
    float want = static_cast<float>(std::strtod(text, nullptr));
    if (std::bit_cast<std::uint32_t>(got) != std::bit_cast<std::uint32_t>(want)) {
      ++failures;
      ADD_FAILURE() << "\"" << field << "\": got " << std::hexfloat << got << ", want " << want;
    }
  }
}

}  // namespace
}  // namespace versel
