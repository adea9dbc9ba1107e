// From the accepted mask to the finished output files: result tables,
// pre-scan, station loop and the writer of the output kind.
#pragma once

#include "collect/result_tables.h"
#include "collect/station_source.h"
#include "run_settings.h"

namespace versel {

// Reads, reduces and writes every station of the data file open on unit 14
// to the outputs open on units 12 and 13, as `s` says, taking the stations
// from `source` (the catalogue's reader unless a layout's is given); returns
// what it read.
RunTotals collect_and_write(const RunSettings& s, StationSource source = {});

}  // namespace versel
