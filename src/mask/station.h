// One station as the reduction delivers it: its seasonal values by output
// year and climate variable, with the year label of the first output year.
#pragma once

#include <array>
#include <cstdint>

#include "capacities.h"

namespace versel {

using YearValues = std::array<float, kMaxVariables>;

struct Station {
  // Y[i][v]: climate variable v+1 of output year i+1, labelled IFC + i
  std::array<YearValues, kMaxOutputYears> Y{};
  std::int32_t IFC = 0;
  std::int32_t NYC = 0;  // output years; zero or below for a station shorter than the mask
  std::int32_t NCV = 0;  // kept from the previous station when no output year was formed
  std::array<char, kTitleLength> TIT{};
  bool EOF_ = false;     // no further station in the data file
};

// The monthly values of one station: year line n (from 0) holds months
// 12n to 12n+11, January first.
using MonthlyValues = std::array<float, kMaxYearLines * 12>;

}  // namespace versel
