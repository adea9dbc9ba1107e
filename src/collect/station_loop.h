// The loop over all stations of the data file.
#pragma once

#include "collect/result_tables.h"
#include "dialogue/run_settings.h"

namespace versel {

// Reduces every station in turn. tsf lines are written as each station is
// read; mat and grd values go into the result tables for the writers. Ends
// with the count of data sets read.
void station_loop(const RunSettings& s, ResultTables& t);

}  // namespace versel
