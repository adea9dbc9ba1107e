// The table layout (--layout table): a delimited table of monthly values as
// spreadsheets, databases, R and pandas export them, read whole into its
// stations, which are then handed out one by one as StationData.
//
//   station,name,lat,lon,year,jan,...,dec,annual     a table of years (wide)
//   "A1","Hill, North",41.5,-90.25,1950,-1.2,...
//   station;year;month;value                         one value per row (long)
//   A1;1950;1;-1,2
//   date,value                                       one station, by date
//   1950-01,-1.2
//
// Lines: LF or CR LF, a UTF-8 byte order mark before the first, empty lines
// and comments ("#" first) passed over. The first other line is the row of
// titles, which decides the separator and the columns (table_titles.h);
// rows follow the CSV rules of split_cells (fields.h).
//
// Stations:
// - a station is every row of the same station code, wherever it stands;
//   without a station column every row of the same name, and without a
//   name column too the whole table. Stations come in the order of their
//   first rows.
// - a station's rows come in any order; its months run from January of its
//   first year to December of its last, months and years that no row gives
//   holding the flag. A second row for a year (wide) or a second value for
//   a month (long) is a fault naming both lines.
// - its name is its name column's (the same on every row that gives one,
//   else a fault naming both lines), else its code, else the file's name
//   (TableSettings::file_name).
// - its coordinates are those its rows give (the same on every row that
//   gives them, else a fault naming both lines); without them RLAT and RLON
//   hold the flag and has_coordinates is false.
//
// Memory: the file is read in pieces and never held; each station keeps 4
// bytes a month and 2 a year for the years from its first to its last row
// (with room for growth: at most twice that), and its code, name and
// coordinates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sources/station_reader.h"
#include "sources/table_fields.h"
#include "sources/table_titles.h"
#include "mask/station.h"

namespace versel {

// One station as the table gave it.
struct TableStation {
  std::string code;  // what groups its rows: station column, else name column; else empty
  std::string name;  // its name column's text; empty when no row gives one
  std::int64_t first_line = 0;  // the line of its first row
  std::int64_t name_line = 0;   // the first line that gave its name
  bool has_coordinates = false;
  float latitude = 0.0f;
  float longitude = 0.0f;
  std::int64_t coordinates_line = 0;  // the first line that gave them
  std::int32_t first_year = 0;  // the first and the last year of its rows
  std::int32_t last_year = 0;
  // The months of the years from base_year on, 12 a year, January first;
  // the flag where no row gives a value. given[i] holds bit m once a row
  // gave month m of year base_year + i. Room for growth may lie before
  // first_year and after last_year.
  std::int32_t base_year = 0;
  std::vector<float> months;
  std::vector<std::uint16_t> given;
};

struct Table {
  TableColumns columns;
  float flag = -999.9f;
  std::string file_name;  // the name of a station without code and name
  std::vector<TableStation> stations;  // in the order of their first rows
  std::size_t next = 0;                // the station next_table_station gives next
};

// Reads a table's text into `out` (stations handed out from the first). False
// with `fault` at the first line that cannot be read or that contradicts an
// earlier row: its number, the reason, the line. A text without any row
// (no line, or titles alone) is a table of no station.
bool read_table(std::string_view text, const TableSettings& s, Table& out, LayoutFault& fault);

// read_table for the file at `path`, read in pieces of 1 MiB. A file that
// cannot be read is a fault at line 0 without text, its reason
// "cannot be read: " and the system's ("No such file or directory").
// Without s.file_name the station without code and name takes the file's
// name without its folders.
bool read_table_file(const std::string& path, const TableSettings& s, Table& out,
                     LayoutFault& fault);

// The next station in `d`: header its name (has_header true; tabs made
// blanks), first year, months and coordinates. False after the last.
bool next_table_station(Table& t, StationData& d);

// Hands the stations out again from the first.
void rewind_table(Table& t);

// The first and last year of every station, in order (for the mat pre-scan);
// appended to `first` and `last`.
void table_year_spans(const Table& t, std::vector<std::int32_t>& first,
                      std::vector<std::int32_t>& last);

// The name a station is handed out with: its name, else its code, else the
// table's file name.
const std::string& table_station_name(const Table& t, const TableStation& st);

}  // namespace versel
