// Input editing: a field cut from a record becomes an integer, a real, a
// logical or a text.
#pragma once

#include <cstdint>
#include <string_view>

namespace versel {

inline constexpr std::string_view kMsgIllegalChar = "Illegal character in numeric input";

// Integer field in base 10 (I), 2 (B), 8 (O) or 16 (Z). Blanks: leading ones
// dropped, the others deleted, or read as zeros under BZ. An empty field or a
// lone sign is 0. A value beyond the 32-bit range is held at the nearest
// 32-bit value. False on a character that is not allowed.
bool edit_integer_in(std::string_view field, int base, bool blanks_zero, std::int32_t& out);

// Real field (F, E, D, G) with `decimals` implied decimals and scale factor
// `scale`, computed in double precision. False on a character that is not
// allowed.
bool edit_real_in(std::string_view field, int decimals, bool blanks_zero, int scale, double& out);

// The nearest 32-bit real to a double; beyond the largest 32-bit value, an
// infinity of the same sign.
inline float to_real32(double v) {
  // IEEE conversion: the nearest value, an infinity beyond the largest.
  return static_cast<float>(v);
}

// The 32-bit integer part of a real; NaN is 0, values beyond the range are held
// at the nearest 32-bit value.
std::int32_t to_int32(double v);

// Whether a field that an I, B, O, Z, F, E, D or G item reads holds no digit
// at all: blanks only, a lone sign or point, an exponent letter without
// digits ("", "   ", "-", " . ", "+e"). `base` 16 counts the letters A to F as
// digits. A real field that names an infinity or NaN ("INF", " -nan") holds a
// value: it is not digitless.
bool holds_no_digit(std::string_view field, int base, bool real);

// Logical field: optional blanks and ".", then T or F (either case). False on
// anything else.
bool edit_logical_in(std::string_view field, bool& out);

// Text field of width `w` (the field as cut, shorter when the record ended)
// into a destination of `len` characters: the rightmost `len` characters of
// the blank-padded field when w >= len, else the field followed by blanks.
void edit_text_in(std::string_view field, int w, char* dest, int len);

}  // namespace versel
