// The table layout as a station source: the stations of a table read whole
// (table_layout.h), their coordinates looked up by code in a --coords
// table when one is given.
#pragma once

#include <cstdint>
#include <vector>

#include "mask/station.h"
#include "sources/coordinates.h"
#include "sources/table_layout.h"

namespace versel {

struct TableReader {
  Table table;
  const CoordinateTable* coords = nullptr;  // --coords; null without
  SentinelTally sentinels;                  // months the nines sentinels marked missing
};

// The next station, shown on the console: the table's own coordinates and
// name, unless --coords lists the station's code (or, for a table without
// codes, the file's name without its extension): then the coordinates of
// --coords, and its name when the table gives none. False after the last.
bool take_table_station(TableReader& r, StationData& d);

// The year spans of every station, then back to the first.
void take_table_year_spans(TableReader& r, std::vector<std::int32_t>& first,
                           std::vector<std::int32_t>& last);

}  // namespace versel
