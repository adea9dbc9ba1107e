// The nc output kind within a run: the plan of the file from the station
// source and the pre-scan of its years, each station's values put as the
// loop reduces it, and the file finished after the last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "collect/nc_output.h"
#include "mask/station.h"
#include "run_settings.h"
#include "sources/station_source.h"

namespace versel {

// What the file says of its run beyond the settings: the global attributes
// source (the input files) and history (the date and the command line).
struct NcNotes {
  std::string source;
  std::string history;
};

struct NcRun {
  NcWriter writer;
  bool open = false;  // a station has output years: the file is begun
  std::vector<std::int32_t> counts;  // a station's valid months, as the writer takes them
};

// Plans and begins the file on the output unit kSeaUnit (at its temporary
// name): the cells of a grid laid out as the grid, any other stations as a
// timeSeries file; the output years those of every station, which the
// pre-scan takes from the source and rewinds. Nothing is begun when no
// station has an output year (the run fails later for that). A file that
// cannot be written fails the run.
void begin_nc_run(const RunSettings& s, const NcNotes& notes, StationSource& source, NcRun& run);

// Puts one reduced station; a failure of the writer fails the run.
void put_nc_run(NcRun& run, const StationData& d, const Station& st);

// Writes what is gathered and closes the file.
void finish_nc_run(NcRun& run);

}  // namespace versel
