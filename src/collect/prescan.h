// The pre-scan of the data file for mat output: every station's first and
// last year, the earliest first year and the span of years of the file.
#pragma once

#include "collect/result_tables.h"
#include "collect/station_source.h"
#include "run_settings.h"

namespace versel {

// Reads the data file from its position to the end, taking stations exactly
// as the station loop does from the same source (catalogue: blank lines
// skipped, a first line that reads as a year line starts a station without
// header), fills ISTART, ISTOP, MIN1 and the number of stations, then
// rewinds the file, skips its first s.skip lines again (and for data set 6
// its first line after them).
void clired2(const RunSettings& s, ResultTables& t, StationSource source = {});

}  // namespace versel
