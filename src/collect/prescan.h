// The pre-scan of the data for mat output: every station's first and last
// year, the earliest first year and the span of years of the file.
#pragma once

#include "collect/result_tables.h"
#include "sources/station_source.h"

namespace versel {

// Takes the year spans of every station from the source's position on, as
// the station loop will take the stations, then leaves the source at its
// first station; fills ISTART, ISTOP, MIN1 and the number of stations.
void clired2(ResultTables& t, StationSource& source);

}  // namespace versel
