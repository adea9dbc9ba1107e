// The loop over all stations of the data file.
#pragma once

#include "collect/result_tables.h"
#include "sources/station_source.h"
#include "run_settings.h"

namespace versel {

// Reads and reduces every station of `source` in turn. tsf and csv lines
// are written as each station is read; mat values go into the matrix and
// grd means into the tables for the writers. Ends with the count of data
// sets read.
void station_loop(const RunSettings& s, ResultTables& t, StationSource& source);

}  // namespace versel
