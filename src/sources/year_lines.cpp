// Appending a station's year lines, with the gap fill and the year-order
// check.
#include "sources/year_lines.h"

#include <exception>

#include "records/failure.h"
#include "records/message_text.h"
#include "sources/layout_messages.h"

namespace versel {
namespace {

// Years skipped between two year lines are missing.
void add_missing_years(StationData& d, std::int64_t year, float flag, std::string_view station) {
  const std::int64_t years = year - last_year(d) - 1;
  const double bytes =
      (static_cast<double>(d.months.size()) + 12.0 * static_cast<double>(years)) * sizeof(float);
  const std::string what = compose(kMsgMonthlyValues, {station, std::to_string(year)});
  check_memory(what, bytes);
  try {
    d.months.insert(d.months.end(), 12 * static_cast<std::size_t>(years), flag);
  } catch (const std::exception&) {  // bad_alloc, or beyond what a vector can hold
    fail_memory(what, bytes);
  }
}

}  // namespace

YearStep add_year_line(StationData& d, std::int64_t year, const std::array<float, 12>& months,
                       float flag, std::string_view station) {
  if (!year_in_range(year)) return YearStep::out_of_range;
  if (d.months.empty()) {
    d.first_year = static_cast<std::int32_t>(year);
  } else {
    const std::int64_t last = last_year(d);
    if (year <= last) return YearStep::not_following;
    if (year > last + 1) add_missing_years(d, year, flag, station);
  }
  d.months.insert(d.months.end(), months.begin(), months.end());
  return YearStep::added;
}

std::string year_fault_text(YearStep step, const StationData& d, std::int64_t year,
                            std::string_view station) {
  if (step == YearStep::out_of_range) return compose(kMsgYearOutOfRange, {std::to_string(year)});
  return compose(kMsgYearNotFollowing,
                 {std::to_string(year), std::to_string(last_year(d)), station});
}

}  // namespace versel
