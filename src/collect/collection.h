// From the accepted mask to the finished output files: result tables,
// pre-scan, station loop and the writer of the output kind.
#pragma once

#include "collect/chronology_run.h"
#include "collect/nc_run.h"
#include "collect/result_tables.h"
#include "sources/station_source.h"
#include "run_settings.h"

namespace versel {

// Whether the output kind of `s` needs every station's latitude and
// longitude: mat, grd and nc, and csv when the stations' headers hold them.
bool needs_coordinates(const RunSettings& s);

// What a run of the command line adds to its settings: what an nc file
// says of its run, and a chronology to correlate with the climate instead
// of writing it.
struct RunExtras {
  NcNotes nc;
  ChronologyRequest chronology;
};

// Reads, reduces and writes every station of `source` to the outputs open on
// units 12 and 13, as `s` says; returns what it read.
RunTotals collect_and_write(const RunSettings& s, StationSource& source,
                            const RunExtras& extras = {});

}  // namespace versel
