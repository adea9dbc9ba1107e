// From the accepted mask to the finished output files: result tables,
// pre-scan, station loop and the writer of the output kind.
#pragma once

#include "collect/result_tables.h"
#include "sources/station_source.h"
#include "run_settings.h"

namespace versel {

// Whether the output kind of `s` needs every station's latitude and
// longitude: mat and grd, and csv when the stations' headers hold them.
bool needs_coordinates(const RunSettings& s);

// Reads, reduces and writes every station of `source` to the outputs open on
// units 12 and 13, as `s` says; returns what it read.
RunTotals collect_and_write(const RunSettings& s, StationSource& source);

}  // namespace versel
