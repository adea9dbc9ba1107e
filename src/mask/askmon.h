// Entry of the climate mask on the console, with its ruler, help pages and
// validation.
#pragma once

#include "mask/mask_shape.h"

namespace versel {

enum class MaskAnswer {
  stop,           // "/" in column 1: the run ends
  no_months,      // nothing selected before the first blank
  too_many,       // more climate variables than a year of the tables holds
  help,           // a lower-case "h" in column 1
  accepted,
};

// What a typed mask asks for.
MaskAnswer judge_mask(const Mask& mask);

// Asks until a mask is accepted and returns it in `mask`: true, or false
// when the answer asks to end the run ("/").
bool askmon(Mask& mask);

// The five help pages, each ending where its prompt or pause follows.
void show_mask_help();

}  // namespace versel
