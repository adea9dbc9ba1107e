// The pre-scan: one pass over the data file, then back to its start.
#include "collect/prescan.h"

#include <array>
#include <string>

#include "mask/clired.h"
#include "records/failure.h"
#include "records/io.h"

namespace versel {
void clired2(const RunSettings& s, ResultTables& t) {
  std::array<std::int32_t, kMaxStations> MINYR{};
  std::array<std::int32_t, kMaxStations> MAXYR{};
  int n = 0;              // stations found
  bool in_station = false;
  std::string raw;
  auto close_station = [&]() {
    in_station = false;
    std::int64_t years = static_cast<std::int64_t>(MAXYR[static_cast<std::size_t>(n - 1)]) -
                         MINYR[static_cast<std::size_t>(n - 1)] + 1;
    if (years > kMaxScanYears)
      fail_run({"station " + std::to_string(n) + " spans more than " +
                std::to_string(kMaxScanYears) + " years"});
  };
  while (read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::ok) {
    if (is_blank_line(raw)) continue;
    std::int32_t IYR = 0;
    std::array<float, 12> CL{};
    if (!read_year_line(s, raw, IYR, CL)) {
      if (in_station) close_station();
      continue;
    }
    if (!year_in_range(IYR))
      fail_run({"station " + std::to_string(in_station ? n : n + 1) + ": year " +
                    std::to_string(IYR) + " is out of range",
                "line: " + raw.substr(0, kLineLength)});
    if (!in_station) {
      if (n == kMaxStations)
        fail_run({"the data file holds more than " + std::to_string(kMaxStations) + " stations"});
      ++n;
      in_station = true;
      MINYR[static_cast<std::size_t>(n - 1)] = IYR;
    }
    MAXYR[static_cast<std::size_t>(n - 1)] = IYR;
  }
  if (in_station) close_station();

  std::int32_t MIN1 = 3000, MAX1 = 0;
  for (int j = 0; j < n; ++j) {
    if (MINYR[static_cast<std::size_t>(j)] < MIN1) MIN1 = MINYR[static_cast<std::size_t>(j)];
    if (MAXYR[static_cast<std::size_t>(j)] > MAX1) MAX1 = MAXYR[static_cast<std::size_t>(j)];
  }
  for (int j = 0; j < n; ++j)
    t.ISTART[static_cast<std::size_t>(j)] = MINYR[static_cast<std::size_t>(j)] - MIN1 + 1;
  t.MIN1 = MIN1;
  t.ISTOP = MAX1 - MIN1 + 1;

  rewind(kDataUnit);
  if (s.IFMT == 6) read_line(file_unit(kDataUnit), raw);  // the file's own header line
}

}  // namespace versel
