// The pre-scan: one pass over the data file, then back to its start.
#include "collect/prescan.h"

#include <array>
#include <string>
#include <vector>

#include "sources/data_lines.h"
#include "sources/station_reader.h"
#include "mask/clired.h"
#include "records/failure.h"
#include "records/io.h"
#include "records/progress.h"

namespace versel {
namespace {

// The first and last year of every station of the catalogue's reader, then
// back to where its first station starts.
void catalogue_year_spans(const RunSettings& s, std::vector<std::int32_t>& MINYR,
                          std::vector<std::int32_t>& MAXYR) {
  bool in_station = false;
  std::string raw;
  while (read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::ok) {
    if (is_blank_line(raw)) continue;
    std::int32_t IYR = 0;
    if (!is_year_line(s, raw, IYR)) {
      in_station = false;
      continue;
    }
    if (!year_in_range(IYR))
      fail_at_line({"station " + std::to_string(MINYR.size() + (in_station ? 0 : 1)) + ": year " +
                    std::to_string(IYR) + " is out of range",
                "line: " + raw.substr(0, kLineLength)});
    if (!in_station) {
      in_station = true;
      MINYR.push_back(IYR);
      MAXYR.push_back(IYR);
      note_progress(static_cast<std::int64_t>(MINYR.size()), "scanned");
    }
    MAXYR.back() = IYR;
  }
  rewind(kDataUnit);
  skip_lines(s.skip);
  if (s.IFMT == 6) read_line(file_unit(kDataUnit), raw);  // the file's own header line
}

}  // namespace

void clired2(const RunSettings& s, ResultTables& t, StationSource source) {
  std::vector<std::int32_t> MINYR;  // first year of each station
  std::vector<std::int32_t> MAXYR;  // last year of each station
  if (source.layout) {
    LayoutFault fault;
    if (layout_year_spans(*source.layout, s.skip, MINYR, MAXYR, fault) == StationRead::fault)
      fail_at_fault(fault);
  } else {
    catalogue_year_spans(s, MINYR, MAXYR);
  }

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
