// The text of --explain: what a climate mask computes, for the researcher
// who wrote it. For the mask "00000000000113":
//
//   mask            jfmamjjasondjf
//                   00000000000113
//   window          2 calendar years, Y-1 to Y, labelled by the last (lag mask)
//   variables       1, each a value per output year Y
//     1  DJF_avg  average of 3 months: Dec of Y-1, Jan Feb of Y
//   missing months  an average needs all of its months
//   output years    a station of the years Y1 to Y2 gets Y1+1 to Y2,
//                   none when it spans fewer than 2 years;
//                   a year missing between Y1 and Y2 holds missing months
//
// A variable's line: its number, its short name (mask/variable_names.h),
// "single month", "sum of N months" or "average of N months", then its months
// grouped by calendar year relative to Y: "Mon Mon of Y-1, Mon of Y". The
// missing-months lines give the rule of each kind of variable the mask has.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace versel {

// The explanation of a mask that check_mask_text accepts, lines ending in a
// line feed; `min_months` is the run's rule for averages (0: all months).
std::string explain_mask(std::string_view mask, int min_months = 0);

// The text of --explain --screen: the windows a screen computes, how many,
// how the years are paired, the method and its interval, for the settings
// of the request (span, longest window, --min-months, --min-years,
// --method, --bootstrap, --seed).
struct ScreenExplanation {
  int span_years = 2;
  int max_months = 12;
  int min_months = 0;
  int min_years = 20;
  bool spearman = false;
  int bootstrap = 0;
  std::uint64_t seed = 1;
};
std::string explain_screen(const ScreenExplanation& e);

}  // namespace versel
