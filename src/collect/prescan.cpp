// The pre-scan: one pass over the stations' years, then back to the first.
#include "collect/prescan.h"

#include <vector>

namespace versel {

void clired2(ResultTables& t, StationSource& source) {
  std::vector<std::int32_t> MINYR;  // first year of each station
  std::vector<std::int32_t> MAXYR;  // last year of each station
  year_spans(source, MINYR, MAXYR);

  std::int32_t MIN1 = 3000, MAX1 = 0;
  for (std::size_t j = 0; j < MINYR.size(); ++j) {
    if (MINYR[j] < MIN1) MIN1 = MINYR[j];
    if (MAXYR[j] > MAX1) MAX1 = MAXYR[j];
  }
  t.ISTART.resize(MINYR.size());
  for (std::size_t j = 0; j < MINYR.size(); ++j) t.ISTART[j] = MINYR[j] - MIN1 + 1;
  t.MIN1 = MIN1;
  t.ISTOP = MAX1 - MIN1 + 1;
  t.stations = static_cast<std::int64_t>(MINYR.size());
}

}  // namespace versel
