// The climate mask and what it implies: length, selected months, season
// mode, span of calendar years, lag or lead, and the climate variables.
//
// Position p (from 1) is month ((p-1) mod 12) + 1 of year ((p-1) div 12) + 1
// of the mask's window. "0" skips a month, "1" opens or continues a season,
// "2" closes it as a sum, "3" as an average; the first blank ends the mask.
#pragma once

#include <array>
#include <cstdint>

#include "capacities.h"

namespace versel {

using Mask = std::array<char, kMaskLength>;

struct MaskShape {
  int NCM = 0;        // positions before the first blank
  int INM = 0;        // positions that are not "0"
  int IFM = 0;        // first selected position, 0 when none
  bool SEAS = false;  // a "2" or "3" among the positions
  int extra = 0;      // calendar years beyond the first: 0 (1-12) to 4 (49-60)
  bool lead = false;  // the whole first year is zeros (IFM of 13 or more)
  int NCV = 0;        // climate variables per output year
};

// Derives every quantity from the mask, positions 1 to 60 up to the first blank.
MaskShape analyse_mask(const Mask& mask);

// The calendar years beyond the first that a mask of `ncm` positions covers:
// lengths 1-12 give 0, 13-24 give 1, ..., 49-60 give 4.
inline int extra_years(int ncm) { return ncm > 0 ? (ncm - 1) / 12 : 0; }

}  // namespace versel
