// A station's year lines as every source hands them on: appended one after
// the other, the years skipped between two lines filled with the flag, and
// a year that does not follow the one before refused. One rule for every
// source, and one wording of its faults.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "capacities.h"
#include "mask/station.h"

namespace versel {

// A year a year line may carry: every year label and span stays a 32-bit
// integer.
inline bool year_in_range(std::int64_t year) {
  return year <= kMaxYearMagnitude && year >= -kMaxYearMagnitude;
}

// The last year of a station as read (its first year when it has none).
inline std::int64_t last_year(const StationData& d) {
  return static_cast<std::int64_t>(d.first_year) + d.year_lines() - 1;
}

enum class YearStep : std::uint8_t {
  added,          // the year's months follow the station's last year
  out_of_range,   // beyond year_in_range
  not_following,  // the same year again, or an earlier one
};

// Appends the months of `year` to the station: the first year line sets
// d.first_year, a later one must come after the station's last year, and
// the years skipped in between are filled with `flag`, so that every value
// keeps its true year. Years far apart may need more memory than there is:
// that fails the run ("not enough memory: the monthly values of station
// NAME up to year Y"), `station` naming the station.
YearStep add_year_line(StationData& d, std::int64_t year, const std::array<float, 12>& months,
                       float flag, std::string_view station);

// add_year_line for a year line that follows the station's last year
// without a gap, as nearly every line does; the others go the whole way.
inline YearStep append_year_line(StationData& d, std::int64_t year,
                                 const std::array<float, 12>& months, float flag,
                                 std::string_view station) {
  if (d.months.empty() || year != last_year(d) + 1 || !year_in_range(year))
    return add_year_line(d, year, months, flag, station);
  d.months.insert(d.months.end(), months.begin(), months.end());
  return YearStep::added;
}

// The reason of a refused year, for a failure at its line:
//   "year 1990 does not follow year 1991 of station 0101"
//   "year 1000000000 is out of range"
std::string year_fault_text(YearStep step, const StationData& d, std::int64_t year,
                            std::string_view station);

}  // namespace versel
