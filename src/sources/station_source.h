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
//   grid       the cells of a gridded netCDF file (grid_source.h)
//   list       the stations of another source that --region or --near kept
//              (selection.h)
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
#include "sources/grid_source.h"
#include "sources/selection.h"
#include "sources/table_source.h"

namespace versel {

using StationSource =
    std::variant<CatalogueReader, LayoutReader, TableReader, GridReader, StationList>;

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

// What an output may say of a source's data beyond its stations: whether
// they are the cells of a grid, laid out as the grid (each station's
// StationData::cell its place in `grid`), the units of their values, and
// for a grid how many of its cells held data.
struct SourceDescription {
  bool gridded = false;
  bool counts_exact = true;  // the pre-scan's count of stations is exact (else a bound)
  GridGeometry grid;
  std::string units;
  std::string variable;
  std::int64_t cells_with_data = 0;
  std::int64_t cells = 0;
};
SourceDescription describe_source(const StationSource& source);

// Reads every station of `source` and keeps those the selection keeps
// (--region, --near), nearest first for --near: a list that is a source of
// its own. Stations without coordinates are passed over and counted.
StationList select_stations(StationSource& source, const StationSelection& selection);

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
