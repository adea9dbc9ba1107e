// Input editing of integer, real, logical and text fields.
#include "records/edit_input.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace versel {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int digit_value(char c) {
  if (is_digit(c)) return c - '0';
  c = upper(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Exact powers of ten in double precision, 10^0 .. 10^22.
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// digits (no leading zeros) x 10^exp10, correctly rounded to double.
double decimal_to_double(const char* digits, int n, long exp10) {
  if (n == 0) return 0.0;
  if (n <= 15 && exp10 >= -22 && exp10 <= 22) {
    // Both the integer and the power of ten are exact doubles, so one
    // multiplication or division rounds correctly.
    std::int64_t m = 0;
    for (int i = 0; i < n; ++i) m = m * 10 + (digits[i] - '0');
    double dm = static_cast<double>(m);
    return exp10 >= 0 ? dm * kExactPow10[exp10] : dm / kExactPow10[-exp10];
  }
  if (exp10 + n > 400) return std::numeric_limits<double>::infinity();
  if (exp10 + n < -400) return 0.0;
  char buf[160];
  std::memcpy(buf, digits, static_cast<std::size_t>(n));
  auto [end, ec] = std::to_chars(buf + n + 1, buf + sizeof buf, exp10);
  buf[n] = 'e';
  double v = 0.0;
  auto res = std::from_chars(buf, end, v);
  if (res.ec == std::errc::result_out_of_range)
    return exp10 > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return v;
}

// The common field of a data line: blanks, an optional sign, up to 15 digits
// with at most one point, blanks (" -4.5", "  123"). Gives the same value as
// the full rules below, or false for any other field, which then takes them.
bool plain_real(std::string_view field, int decimals, bool blanks_zero, int scale,
                double& out) {
  const char* p = field.data();
  const char* end = p + field.size();
  while (p < end && *p == ' ') ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::int64_t m = 0;
  int count = 0;
  int after_point = -1;  // digits after the point; -1 when no point
  for (; p < end; ++p) {
    char c = *p;
    if (is_digit(c)) {
      if (++count > 15) return false;
      m = m * 10 + (c - '0');
      if (after_point >= 0) ++after_point;
    } else if (c == '.' && after_point < 0) {
      after_point = 0;
    } else {
      break;
    }
  }
  if (p < end) {  // only trailing blanks, and only while blanks are ignored
    if (blanks_zero || count == 0) return false;
    while (p < end && *p == ' ') ++p;
    if (p < end) return false;
  }
  int exp10 = after_point >= 0 ? -after_point : -(decimals > 0 ? decimals : 0);
  if (exp10 < -22) return false;
  double v = m == 0 ? 0.0 : static_cast<double>(m) / kExactPow10[-exp10];
  if (scale != 0 && v != 0.0) v /= std::pow(10.0, scale);
  out = negative ? -v : v;
  return true;
}

}  // namespace

bool edit_integer_in(std::string_view field, int base, bool blanks_zero, std::int32_t& out) {
  std::size_t i = 0;
  while (i < field.size() && is_blank(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  std::int64_t v = 0;
  constexpr std::int64_t kCap = std::int64_t{1} << 40;
  for (; i < field.size(); ++i) {
    char c = field[i];
    int dv = 0;
    if (is_blank(c)) {
      if (!blanks_zero) continue;
    } else {
      dv = digit_value(c);
      if (dv >= base) return false;
    }
    if (v < kCap) v = v * base + dv;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) v = std::numeric_limits<std::int32_t>::min();
  out = static_cast<std::int32_t>(v);
  return true;
}

namespace {

// Every other field, by the full rules. Kept out of line so that the common
// field's path stays short.
[[gnu::noinline]] bool full_real(std::string_view field, int decimals, bool blanks_zero,
                                 int scale, double& out) {
  const char* p = field.data();
  const char* end = p + field.size();
  while (p < end && is_blank(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* first = p;
  while (first < end && is_blank(*first)) ++first;
  if (first < end && (upper(*first) == 'I' || upper(*first) == 'N')) {
    // INF..., NaN...: blanks never count, the rest of the field is not read
    if (upper(*first) == 'I')
      out = negative ? -std::numeric_limits<double>::infinity()
                     : std::numeric_limits<double>::infinity();
    else
      out = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  for (const char* q = p; q < end; ++q) {
    char c = *q;
    if (is_digit(c) || is_blank(c) || c == '.' || c == '+' || c == '-') continue;
    char u = upper(c);
    if (u != 'E' && u != 'D' && u != 'Q') return false;
  }

  // The characters of the field with blanks deleted, or read as zeros.
  auto next = [&](const char*& q) -> char {
    while (q < end) {
      char c = *q++;
      if (!is_blank(c)) return c;
      if (blanks_zero) return '0';
    }
    return '\0';
  };

  constexpr int kMaxDigits = 150;
  char digits[kMaxDigits];
  int n = 0;
  long exp10 = 0;
  bool point = false;
  const char* q = p;
  char c = next(q);
  for (;; c = next(q)) {
    if (is_digit(c)) {
      if (n > 0 || c != '0') {
        if (n < kMaxDigits) {
          digits[n++] = c;
          if (point) --exp10;
        } else if (!point) {
          ++exp10;  // a digit past the buffer only scales
        }
      } else if (point) {
        --exp10;  // a leading zero after the point
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  // Implied decimal point: with no point typed, the last `decimals` digits
  // before any exponent are decimals (123 read by f5.2 is 1.23).
  if (!point && decimals > 0) exp10 -= decimals;

  // Exponent: E or D with an optional sign and digits, or a sign followed
  // directly by digits (1.5-3 is 0.0015). Anything else ends the number.
  bool has_exponent = false;
  char u = upper(c);
  const char* save = q;
  if (u == 'E' || u == 'D' || c == '+' || c == '-') {
    bool exp_negative = false;
    char s = c;
    if (u == 'E' || u == 'D') s = next(q);
    if (s == '+' || s == '-') {
      exp_negative = s == '-';
      s = next(q);
    }
    if (is_digit(s)) {
      has_exponent = true;
      long e = 0;
      for (; is_digit(s); s = next(q))
        if (e < 100000) e = e * 10 + (s - '0');
      exp10 += exp_negative ? -e : e;
    } else {
      q = save;
    }
  }

  double v = decimal_to_double(digits, n, exp10);
  if (!has_exponent && scale != 0 && v != 0.0) v /= std::pow(10.0, scale);
  out = negative ? -v : v;
  return true;
}

}  // namespace

bool edit_real_in(std::string_view field, int decimals, bool blanks_zero, int scale, double& out) {
  return plain_real(field, decimals, blanks_zero, scale, out) ||
         full_real(field, decimals, blanks_zero, scale, out);
}

std::int32_t to_int32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

bool holds_no_digit(std::string_view field, int base, bool real) {
  const int digits = base == 16 ? 16 : 10;
  for (char c : field)
    if (digit_value(c) < digits) return false;
  if (!real) return true;
  // the words that full_real reads as infinity or NaN
  std::size_t i = 0;
  while (i < field.size() && is_blank(field[i])) ++i;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) ++i;
  while (i < field.size() && is_blank(field[i])) ++i;
  return i == field.size() || (upper(field[i]) != 'I' && upper(field[i]) != 'N');
}

bool edit_logical_in(std::string_view field, bool& out) {
  std::size_t i = 0;
  while (i < field.size() && is_blank(field[i])) ++i;
  if (i < field.size() && field[i] == '.') ++i;
  if (i >= field.size()) {
    out = false;
    return true;
  }
  char u = upper(field[i]);
  if (u != 'T' && u != 'F') return false;
  out = u == 'T';
  return true;
}

void edit_text_in(std::string_view field, int w, char* dest, int len) {
  // The field as the record would give it padded with blanks to w.
  std::size_t have = field.size();
  if (w >= len) {
    // rightmost len characters of the padded field
    std::size_t skip = static_cast<std::size_t>(w - len);
    for (int k = 0; k < len; ++k) {
      std::size_t src = skip + static_cast<std::size_t>(k);
      dest[k] = src < have ? field[src] : ' ';
    }
  } else {
    for (int k = 0; k < len; ++k) {
      std::size_t src = static_cast<std::size_t>(k);
      dest[k] = (k < w && src < have) ? field[src] : ' ';
    }
  }
}

}  // namespace versel
