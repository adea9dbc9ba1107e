// The climate variables of a mask: for each, its months with their calendar
// years relative to the year label, whether it is a single month, a sum or an
// average, and its short name.
//
// Short names. A variable of several months is named by the initials of its
// months when they follow one another in the calendar, a year boundary
// included (Dec, Jan, Feb give "DJF"), else by their three-letter names joined
// by "+" (a season with 0s inside it, May Jun Sep gives "May+Jun+Sep"). A
// variable of one month, a season of one month (a lone 2 or 3) as well as a
// single month without season mode, is named by its month's three-letter name.
// Then comes the year offset of the variable's closing month relative to the
// year label when it is not 0 ("-1", "+2"), then "_sum" or "_avg" for a
// season; a single month without season mode has no ending.
//   "00000000000113"       -> DJF_avg
//   "00001113111311131113" -> MJJA-1_avg SOND-1_avg JFMA_avg MJJA_avg
//   twelve 1s              -> Jan Feb ... Dec
//   sixteen 0s, four 1s    -> May+1 Jun+1 Jul+1 Aug+1
// Within one mask the names differ: two variables close at different
// positions, and the closing month and its offset end every name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mask/mask_shape.h"

namespace versel {

enum class VariableKind : std::uint8_t { single, sum, average };

// A selected position of the mask.
struct MaskMonth {
  int position;     // 1 to 60
  int month;        // 0 (January) to 11
  int year_offset;  // calendar year relative to the year label
};

struct ClimateVariable {
  VariableKind kind;
  std::vector<MaskMonth> months;  // in mask order; the last one closes the variable
  std::string name;
};

// The year of `position` relative to the year label. A lag mask labels a
// value with the last calendar year of its window, so its months lie in that
// year or before it (offsets -extra to 0); a lead mask (its first calendar
// year all 0) labels it with the first, so its months lie after it (offsets 1
// to extra).
int year_offset(int position, const MaskShape& shape);

// The three-letter name of month 0 (January) to 11.
std::string_view month_name(int month);

// The climate variables in the order the reduction forms them. The mask holds
// only 0 to 3 before its first blank (check_mask_text); 1s after the last
// closing 2 or 3 belong to no variable.
std::vector<ClimateVariable> climate_variables(const Mask& mask);

}  // namespace versel
