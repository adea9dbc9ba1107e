// Output editing: integers, reals and logicals edited into fields of exactly
// w characters, right-justified; a value that does not fit shows w asterisks.
#pragma once

#include <cstdint>

#include "records/format.h"

namespace versel {

// Iw.m (m = kAbsent for Iw); base 10, or 2, 8, 16 for B, O, Z.
void edit_integer_out(char* out, int w, int m, std::int64_t v, int base, bool plus);

// Fw.d. The rounding rule, in order:
//  - the value is expanded to 8 significant digits (ties away from zero);
//  - those digits are rounded to d decimals, ties away from zero
//    (0.125 -> 0.13, -0.125 -> -0.13, 2.675f = 2.67499995 -> 2.6750000 -> 2.68);
//  - digits past the 7th significant one show 0;
//  - a magnitude below 1 gets a "0" before the point only when a column is
//    free; a negative value that rounds to zero shows no sign; NaN and INF
//    are written as such.
void edit_f_out(char* out, int w, int d, float v, bool plus);

// Ew.dEe, Dw.d, ESw.d, ENw.d and Gw.dEe.
void edit_e_out(char* out, ItemKind kind, int w, int d, int e, float v, bool plus);
void edit_g_out(char* out, int w, int d, int e, float v, bool plus);

// Lw: w-1 blanks and T or F.
void edit_logical_out(char* out, int w, bool v);

}  // namespace versel
