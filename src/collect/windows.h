// The windows of a screen (--screen): every run of 1 to L consecutive months
// (--max-months L) inside the span of Y calendar years (--span Y) that ends
// with the current year, each with its short name, its mask and its first
// month; and each window's value for every year of a station, computed from
// running sums so that a value costs the same for any length of window.
//
// Months of the span are counted from 0, January of its first year: for the
// span of 2 years, 0 is January of the previous year, 12 January of the
// current one, 23 December of the current one.
//
// A window's mask is the mask whose one climate variable is the window's
// average and whose value labelled t is the window ending in (or before) year
// t: the window's months marked "1", its last "3", in a mask of whole
// calendar years from the year of its first month to the current year (a
// lag mask: versel labels its values with the last calendar year, and its
// first year is not all 0 since the window starts there). The mask is thus
// the shortest of whole years, and a window inside the current year keeps a
// station's first year:
//   June-August of the previous year   000001130000000000000000  JJA-1_avg
//   December-February across the years 000000000001130000000000  DJF_avg
//   March-May of the current year      001130000000              MAM_avg
//   June of the previous year          000003000000000000000000  Jun-1_avg
// (A mask of 13 positions, "0000011300000", would give JJA-1 the same
// labels; whole years read better and sort with the span.)
//
// The value of a window in a year: the average of its months under the
// --min-months rule of the reduction: with min_months 0 every month must be
// valid; else at least min(min_months, length) of them, averaged over the
// valid ones. A month is missing when it equals the flag or is not a finite
// number. The sums run in double over the float months; the reduction sums
// floats in mask order and divides in float, so the two agree to float
// rounding (a relative 1e-6 for months of like sign), not to the bit. A
// correlation computed from either differs in no printed digit. A running
// sum carries the rounding of the largest month before it: a window's
// value is off by about 1e-16 times that month, far below float rounding
// for any climate value (months beyond 1e9 would show it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace versel {

inline constexpr int kDefaultSpanYears = 2;
inline constexpr int kMaxSpanYears = 5;
inline constexpr int kDefaultWindowMonths = 12;
inline constexpr int kMaxWindowMonths = 24;

struct ScreenWindow {
  int first = 0;   // its first month in the span (0: January of the span's first year)
  int length = 0;  // months, 1 to L
  int offset = 0;  // its first month from January of the label year: -7 is June of the year before
  std::string name;         // the short name of its mask's variable: "JJA-1_avg", "Mar_avg"
  std::string mask;         // the mask, as -m takes it
  std::string first_month;  // "Jun-1", "Mar"

  int last() const { return first + length - 1; }  // its last month in the span
};

// Whether the span and the longest window are within the limits: 1 to
// kMaxSpanYears years, 1 to kMaxWindowMonths months.
bool valid_screen_shape(int span_years, int max_months);

// Every window: by length, 1 first, then by first month. Lengths stop at
// max_months and at the months of the span. Empty for an invalid shape.
// Span 2 and 12 months give 24 + 23 + ... + 13 = 222 windows.
std::vector<ScreenWindow> screen_windows(int span_years, int max_months);

// The mask of the window of `length` months from month `first` of a span of
// `span_years` years (see above).
std::string window_mask(int span_years, int first, int length);

// Running sums of a station's months (year line n holds months 12n to
// 12n+11): sum[i] is the sum of the valid months among months 0 to i-1,
// count[i] their number. Both hold one more entry than there are months.
struct MonthSums {
  std::vector<double> sum;
  std::vector<std::int32_t> count;
};

void month_sums(const float* months, std::size_t month_count, float flag, MonthSums& out);

// The valid months a window of `length` months needs under --min-months.
int months_needed(int length, int min_months);

// The window's value for each year line j from `from` to `to` - 1 (labelled
// first year + j) into out[j - from]: NaN when the window reaches before the
// station's first month or has too few valid months.
void window_values(const MonthSums& s, const ScreenWindow& w, int min_months, std::int32_t from,
                   std::int32_t to, double* out);

}  // namespace versel
