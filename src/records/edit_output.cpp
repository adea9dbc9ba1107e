// Output editing of integer, real and logical fields.
#include "records/edit_output.h"

#include <cmath>
#include <cstring>
#include <string>

#include "records/float_digits.h"

namespace versel {
namespace {

constexpr std::uint32_t kPow10[] = {1u,       10u,       100u,       1000u,      10000u,
                                    100000u,  1000000u,  10000000u,  100000000u, 1000000000u};

void stars(char* out, int w) { std::memset(out, '*', static_cast<std::size_t>(w)); }

// q with its last j digits (1 to 8) dropped, rounded half away from zero:
// drop_digits(12345678, 2) = 123457. Each case divides by a constant.
std::uint32_t drop_digits(std::uint32_t q, int j) {
  switch (j) {
    case 1: return (q + 5u) / 10u;
    case 2: return (q + 50u) / 100u;
    case 3: return (q + 500u) / 1000u;
    case 4: return (q + 5000u) / 10000u;
    case 5: return (q + 50000u) / 100000u;
    case 6: return (q + 500000u) / 1000000u;
    case 7: return (q + 5000000u) / 10000000u;
    default: return (q + 50000000u) / 100000000u;
  }
}

int digit_count(std::uint64_t v) {
  int n = 1;
  while (n < 10 && v >= kPow10[n]) ++n;
  return n < 10 ? n : n + digit_count(v / kPow10[9]) - 1;
}

// NaN and INF right-justified; a minus before a negative INF.
void edit_special(char* out, int w, float v, bool plus) {
  const char* text = std::isnan(v) ? "NaN" : "INF";
  char sign = std::isnan(v) ? '\0' : std::signbit(v) ? '-' : plus ? '+' : '\0';
  int need = 3 + (sign ? 1 : 0);
  if (need > w) {
    if (w >= 3 && !std::isnan(v) && !std::signbit(v)) sign = '\0', need = 3;
    else return stars(out, w);
  }
  std::memset(out, ' ', static_cast<std::size_t>(w));
  char* p = out + w - 3;
  std::memcpy(p, text, 3);
  if (sign) p[-1] = sign;
}

// The digits of a rounded F value: value = digits x 10^-d, digits without
// leading zeros ("" for zero), at most 7 of them non-zero.
std::string f_digits(float v, int d) {
  Digits8 g = float_digits8(v);
  std::string s;
  if (g.q == 0) return s;
  int frac = 7 - g.exp10;  // decimals that q carries
  if (frac > d) {
    int j = frac - d;  // digits to drop
    std::uint32_t r;
    if (j > 8) r = 0;
    else if (j == 8) r = g.q >= 50000000u ? 1 : 0;
    else r = g.q / kPow10[j] + (g.q % kPow10[j] >= 5 * kPow10[j - 1] ? 1 : 0);
    if (r == 0) return s;
    s = std::to_string(r);
  } else {
    s = std::to_string(g.q);
    s.append(static_cast<std::size_t>(d - frac), '0');
  }
  for (std::size_t i = 7; i < s.size(); ++i) s[i] = '0';
  return s;
}

}  // namespace

void edit_integer_out(char* out, int w, int m, std::int64_t v, int base, bool plus) {
  if (w <= 0) return;
  bool negative = v < 0;
  std::uint64_t u = negative ? static_cast<std::uint64_t>(-(v + 1)) + 1 : static_cast<std::uint64_t>(v);
  char digits[72];
  int n = 0;
  while (u > 0) {
    int dv = static_cast<int>(u % static_cast<unsigned>(base));
    digits[n++] = static_cast<char>(dv < 10 ? '0' + dv : 'A' + dv - 10);
    u /= static_cast<unsigned>(base);
  }
  int min_digits = m == kAbsent ? 1 : m;
  if (m == 0 && n == 0) {  // Iw.0 writes a zero as blanks
    std::memset(out, ' ', static_cast<std::size_t>(w));
    return;
  }
  int shown = n > min_digits ? n : min_digits;
  char sign = negative ? '-' : plus ? '+' : '\0';
  int need = shown + (sign ? 1 : 0);
  if (need > w) return stars(out, w);
  std::memset(out, ' ', static_cast<std::size_t>(w - need));
  char* p = out + w - need;
  if (sign) *p++ = sign;
  for (int i = shown - 1; i >= 0; --i) *p++ = i < n ? digits[i] : '0';
}

void edit_f_out(char* out, int w, int d, float v, bool plus) {
  if (w <= 0) return;
  if (!std::isfinite(v)) return edit_special(out, w, v, plus);
  if (d < 0) d = 0;
  bool negative = std::signbit(v);
  Digits8 g = float_digits8(v);
  int frac = 7 - g.exp10;
  if (frac > d && frac - d <= 8) {
    // The usual case: the rounded value fits in 32 bits; write right to left.
    std::uint32_t r = drop_digits(g.q, frac - d);
    int n = r == 0 ? 0 : digit_count(r);
    if (n > 7) r = r / kPow10[n - 7] * kPow10[n - 7];
    char sign = (negative && r != 0) ? '-' : plus ? '+' : '\0';
    int int_digits = n > d ? n - d : 0;
    int need = int_digits + 1 + d + (sign ? 1 : 0);
    if (need > w) return stars(out, w);
    bool lead_zero = int_digits == 0 && need < w;
    char* p = out + w;
    for (int i = 0; i < d; ++i) {
      *--p = static_cast<char>('0' + r % 10);
      r /= 10;
    }
    *--p = '.';
    for (int i = 0; i < int_digits; ++i) {
      *--p = static_cast<char>('0' + r % 10);
      r /= 10;
    }
    if (lead_zero) *--p = '0';
    if (sign) *--p = sign;
    while (p > out) *--p = ' ';  // a few blanks: no library call
    return;
  }
  std::string s = f_digits(v, d);
  int n = static_cast<int>(s.size());
  char sign = (negative && n != 0) ? '-' : plus ? '+' : '\0';
  int int_digits = n > d ? n - d : 0;
  int need = int_digits + 1 + d + (sign ? 1 : 0);
  if (need > w) return stars(out, w);
  bool lead_zero = int_digits == 0 && need < w;
  int used = need + (lead_zero ? 1 : 0);
  std::memset(out, ' ', static_cast<std::size_t>(w - used));
  char* p = out + w - used;
  if (sign) *p++ = sign;
  if (lead_zero) *p++ = '0';
  for (int i = 0; i < int_digits; ++i) *p++ = s[static_cast<std::size_t>(i)];
  *p++ = '.';
  for (int i = 0; i < d; ++i) {
    int src = n - d + i;
    *p++ = src >= 0 ? s[static_cast<std::size_t>(src)] : '0';
  }
}

// `want` significant digits of the 8-digit expansion, ties away from zero;
// `first` (the power of ten of the first digit) grows when the rounding carries.
static std::string round_significant(Digits8 g, int want, int& first) {
  first = g.exp10;
  std::string sig;
  if (want <= 0) return sig;
  if (want >= 8) {
    sig = std::to_string(g.q);
    sig.append(static_cast<std::size_t>(want - 8), '0');
  } else {
    int j = 8 - want;
    std::uint32_t r = g.q / kPow10[j] + (g.q % kPow10[j] >= 5 * kPow10[j - 1] ? 1u : 0u);
    if (r == kPow10[want]) {
      r /= 10;
      ++first;
    }
    sig = std::to_string(r);
  }
  for (std::size_t i = 7; i < sig.size(); ++i) sig[i] = '0';
  return sig;
}

void edit_e_out(char* out, ItemKind kind, int w, int d, int e, float v, bool plus) {
  if (w <= 0) return;
  if (!std::isfinite(v)) return edit_special(out, w, v, plus);
  if (d < 0) d = 0;
  if (e == kAbsent) e = 2;
  Digits8 g = float_digits8(v);
  // digits before the point: none for E and D (0.ddd), one for ES, one to
  // three for EN so that the exponent is a multiple of 3
  int lead = kind == ItemKind::ES ? 1 : 0;
  int first = 0;
  std::string sig;
  if (g.q == 0) {
    sig.assign(static_cast<std::size_t>(d + lead + (kind == ItemKind::EN ? 1 : 0)), '0');
    if (kind == ItemKind::EN) lead = 1;
  } else if (kind == ItemKind::EN) {
    lead = ((g.exp10 % 3) + 3) % 3 + 1;
    sig = round_significant(g, d + lead, first);
    if (first != g.exp10 && lead == 3) {  // 999.96 became 1000: start again at 1.000
      lead = 1;
      Digits8 up{10000000u, first};
      sig = round_significant(up, d + 1, first);
    } else if (first != g.exp10) {
      ++lead;
      sig += '0';
    }
  } else {
    sig = round_significant(g, d + lead, first);
  }
  int exp = g.q == 0 ? 0 : first + 1 - lead;

  std::string body;
  bool negative = std::signbit(v) && g.q != 0;
  if (negative) body += '-';
  else if (plus) body += '+';
  if (lead == 0) body += '0';
  body.append(sig, 0, static_cast<std::size_t>(lead));
  body += '.';
  body.append(sig, static_cast<std::size_t>(lead), std::string::npos);
  std::string digits = std::to_string(exp < 0 ? -exp : exp);
  if (static_cast<int>(digits.size()) < e) digits.insert(0, static_cast<std::size_t>(e) - digits.size(), '0');
  if (static_cast<int>(digits.size()) == e + 1 && e == 2) {
    body += exp < 0 ? '-' : '+';  // a three-digit exponent takes the letter's place
  } else if (static_cast<int>(digits.size()) > e) {
    return stars(out, w);
  } else {
    body += kind == ItemKind::D ? 'D' : 'E';
    body += exp < 0 ? '-' : '+';
  }
  body += digits;
  if (static_cast<int>(body.size()) > w && lead == 0) {
    body.erase(body.find('.') - 1, 1);  // the optional zero before the point
  }
  int len = static_cast<int>(body.size());
  if (len > w) return stars(out, w);
  std::memset(out, ' ', static_cast<std::size_t>(w - len));
  std::memcpy(out + w - len, body.data(), static_cast<std::size_t>(len));
}

void edit_g_out(char* out, int w, int d, int e, float v, bool plus) {
  if (w <= 0) return;
  if (!std::isfinite(v)) return edit_special(out, w, v, plus);
  int n = (e == kAbsent ? 2 : e) + 2;  // blanks standing for the exponent
  float a = std::fabs(v);
  if (a == 0.0f) {
    if (w - n <= 0) return stars(out, w);
    edit_f_out(out, w - n, d > 0 ? d - 1 : 0, v, plus);
    std::memset(out + w - n, ' ', static_cast<std::size_t>(n));
    return;
  }
  // The form follows the value rounded to d significant digits: 9.9996 by
  // g10.3 rounds to 10.0, which F shows with one decimal.
  Digits8 g = float_digits8(v);
  int first = g.exp10;
  round_significant(g, d, first);
  int k = first + 1;  // 0.1 <= |v| < 10^d  <=>  0 <= k <= d
  if (k >= 0 && k <= d && w - n > 0) {
    edit_f_out(out, w - n, d - k, v, plus);
    std::memset(out + w - n, ' ', static_cast<std::size_t>(n));
    return;
  }
  edit_e_out(out, ItemKind::E, w, d, e, v, plus);
}

void edit_logical_out(char* out, int w, bool v) {
  if (w <= 0) return;
  std::memset(out, ' ', static_cast<std::size_t>(w - 1));
  out[w - 1] = v ? 'T' : 'F';
}

}  // namespace versel
