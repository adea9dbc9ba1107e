// Exact 8-significant-digit expansion of a 32-bit real.
//
// A finite float is m x 2^e with m below 2^24. The wanted q is
// m x 2^e x 10^k rounded to an integer, k = 7 - exp10. For the usual
// magnitudes this is one 128-bit product and a shift (or a division), so
// the rounding sees the exact remainder; the rest goes through the C
// library's exact decimal expansion.
#include "records/float_digits.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace versel {
namespace {

using u128 = unsigned __int128;

constexpr std::uint32_t kLow = 10000000u;   // 10^7
constexpr std::uint32_t kHigh = 100000000u;  // 10^8

constexpr std::array<u128, 39> kPow10_128 = [] {
  std::array<u128, 39> t{};
  t[0] = 1;
  for (std::size_t i = 1; i < t.size(); ++i) t[i] = t[i - 1] * 10;
  return t;
}();

u128 pow10_128(int k) { return kPow10_128[static_cast<std::size_t>(k)]; }

// q for a given k, or false when the exact computation does not fit in 128
// bits. `whole` is the integer part before rounding, used to check the range.
bool scaled(std::uint32_t m, int e, int k, std::uint64_t& whole, std::uint64_t& q) {
  if (k >= 0) {
    if (k > 27) return false;
    u128 n = static_cast<u128>(m) * pow10_128(k);
    if (e >= 0) {
      if (e > 30) return false;
      whole = static_cast<std::uint64_t>(n << e);
      q = whole;
      return true;
    }
    int s = -e;
    if (s > 127) return false;
    u128 w = n >> s;
    u128 rem = n - (w << s);
    u128 half = static_cast<u128>(1) << (s - 1);
    whole = static_cast<std::uint64_t>(w);
    q = whole + (rem >= half ? 1 : 0);  // ties away from zero
    return true;
  }
  // |v| >= 10^8: the value m x 2^e is an integer here (e >= 0 for such floats
  // unless m is large enough; shift fractional cases out the same way)
  if (e < 0) return false;
  u128 n = static_cast<u128>(m) << e;
  u128 p = pow10_128(-k);
  u128 w = n / p;
  u128 rem = n - w * p;
  whole = static_cast<std::uint64_t>(w);
  q = whole + (2 * rem >= p ? 1 : 0);
  return true;
}

// Slow path: the exact decimal expansion from the C library (a float has at
// most 112 significant decimal digits, so 120 digits are exact).
Digits8 slow_digits(float v) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%.120e", static_cast<double>(std::fabs(v)));
  // buf: d.ddd...e+XX
  char digits[130];
  int n = 0;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits[n++] = *p;
  int exp10 = std::atoi(p + 1);
  std::uint32_t q = 0;
  for (int i = 0; i < 8; ++i) q = q * 10 + static_cast<std::uint32_t>(digits[i] - '0');
  if (digits[8] >= '5') ++q;  // ties away from zero: the 9th digit decides
  if (q == kHigh) {
    q = kLow;
    ++exp10;
  }
  return {q, exp10};
}

// Exact powers of ten in double precision, 10^0 .. 10^12.
constexpr double kPow10Double[] = {1e0, 1e1, 1e2, 1e3, 1e4,  1e5,  1e6,
                                   1e7, 1e8, 1e9, 1e10, 1e11, 1e12};

// The usual magnitudes, 10^-4 <= |v| < 10^8, in double precision: |v| has
// 24 significant bits and 10^k = 5^k 2^k with 5^k below 2^28 for k <= 12,
// so |v| x 10^k is exact and so is its split into integer and fraction.
bool quick_digits(float v, Digits8& out) {
  double a = std::fabs(static_cast<double>(v));
  if (!(a >= 1e-4 && a < 1e8)) return false;
  int exp10 = 0;  // first guess from the binary exponent, then corrected
  int log2v = static_cast<int>((std::bit_cast<std::uint32_t>(v) >> 23) & 0xffu) - 127;
  exp10 = (log2v * 1233) >> 12;
  for (int attempt = 0; attempt < 2; ++attempt) {
    int k = 7 - exp10;
    if (k < 0 || k > 12) return false;
    double x = a * kPow10Double[k];
    if (x >= 1e8) {
      ++exp10;
      continue;
    }
    if (x < 1e7) {
      --exp10;
      continue;
    }
    double whole = std::floor(x);
    std::uint32_t q = static_cast<std::uint32_t>(whole);
    if (x - whole >= 0.5) ++q;  // ties away from zero
    if (q == kHigh) {
      q = kLow;
      ++exp10;
    }
    out = {q, exp10};
    return true;
  }
  return false;
}

}  // namespace

Digits8 float_digits8(float v) {
  Digits8 quick;
  if (quick_digits(v, quick)) return quick;
  std::uint32_t bits = std::bit_cast<std::uint32_t>(v) & 0x7fffffffu;
  if (bits == 0) return {};
  std::uint32_t be = bits >> 23;
  std::uint32_t m = bits & 0x7fffffu;
  int e;
  if (be == 0) {
    e = -149;
  } else {
    m |= 0x800000u;
    e = static_cast<int>(be) - 150;
  }
  int log2v = e + 31 - std::countl_zero(m);
  int exp10 = (log2v * 1233) >> 12;  // floor(log2v x log10 2), or one less
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::uint64_t whole = 0, q = 0;
    if (!scaled(m, e, 7 - exp10, whole, q)) return slow_digits(v);
    if (whole >= kHigh) {
      ++exp10;
      continue;
    }
    if (whole < kLow) {
      --exp10;
      continue;
    }
    if (q == kHigh) {
      q = kLow;
      ++exp10;
    }
    return {static_cast<std::uint32_t>(q), exp10};
  }
  return slow_digits(v);
}

}  // namespace versel
