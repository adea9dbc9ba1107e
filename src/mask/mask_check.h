// A mask given whole as a text, as on the command line, and the checks that
// refuse what the dialogue would take but is almost surely a typo: "jja"
// (letters count as selected months there), "0000111311131113111x" (an x
// closes a sum), "000011130001" (a 1 that no 2 or 3 closes is dropped).
#pragma once

#include <cstdint>
#include <string_view>

#include "mask/mask_shape.h"

namespace versel {

enum class MaskFault : std::uint8_t {
  none,
  too_long,            // more than 60 positions
  bad_character,       // a character other than 0 to 3 (a blank included)
  no_month,            // empty, or only 0s
  stray_ones,          // season mode, and a 1 after the last 2 or 3
  too_many_variables,  // more climate variables than a year of the tables holds
};

struct MaskCheck {
  MaskFault fault = MaskFault::none;
  int position = 0;  // bad_character, stray_ones: the position at fault, from 1
  int closing = 0;   // stray_ones: the last closing position
  int count = 0;     // too_long: the length; too_many_variables: the variables
};

// The first fault of `text` in the order of MaskFault, or none.
MaskCheck check_mask_text(std::string_view text);

// The mask of a text of at most 60 characters, the rest filled with blanks.
Mask mask_from_text(std::string_view text);

}  // namespace versel
