// The station sources: where the station loop and the pre-scan take their
// stations from, one entry per kind of input. Each source hands out a
// station as read (StationData: its name or header, its coordinates or
// none, its first year and its months, skipped years and missing months
// holding the flag), the first and last year of every station for the
// matrix's pre-scan, and goes back to its first station. The loop and the
// pre-scan call the operations below and never learn which source fed them.
//
//   catalogue  the catalogue's data sets and typed formats (catalogue_reader.h)
//   layout     the layouts of downloaded files cut line by line, free,
//              ghcnm, climdiv (station_reader.h)
//   table      a table of columns with titles, read whole (table_source.h)
//
// A source that meets data it cannot use fails the run (RunFailure) at the
// line of the data file it read last.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "mask/station.h"
#include "sources/catalogue_reader.h"
#include "sources/station_reader.h"
#include "sources/table_source.h"

namespace versel {

using StationSource = std::variant<CatalogueReader, LayoutReader, TableReader>;

// The next station into `d`; false when the source has no further station.
// A station without months (a header at the end of a file that no year line
// follows) is the source's last: it is shown, but holds no station.
bool next_station(StationSource& source, StationData& d);

// The first and last year of every station from the source's position on,
// taken exactly as next_station takes them; then back to its first station.
void year_spans(StationSource& source, std::vector<std::int32_t>& first,
                std::vector<std::int32_t>& last);

// Back to the source's first station.
void rewind_source(StationSource& source);

// The months a source took as missing because they held a nines sentinel
// (fields.h); null for a source without that rule.
const SentinelTally* sentinels_of(const StationSource& source);

// The first kLineLength characters of a line, filled with blanks: a
// header as the console and the tsf file show it.
std::string padded_line(const std::string& line);

// The console's progress line of a station: " reading in: " and its header
// or name. Every source shows it once its station's name is known.
void show_station(const StationData& d);

}  // namespace versel
