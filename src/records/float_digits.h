// The decimal digits of a 32-bit real, the first step of real output editing.
#pragma once

#include <cstdint>

namespace versel {

// |v| expanded to 8 significant digits: |v| ~ q x 10^(exp10 - 7), with q in
// [10^7, 10^8) and exp10 the power of ten of the first digit. The 8th digit is
// rounded from the exact binary value, ties away from zero. Zero gives q = 0,
// exp10 = 0. `v` must be finite.
struct Digits8 {
  std::uint32_t q = 0;
  int exp10 = 0;
};

Digits8 float_digits8(float v);

}  // namespace versel
