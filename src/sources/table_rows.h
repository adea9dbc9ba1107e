// One row of a table below its titles, cut by the columns the titles name:
// the station it belongs to, its name and coordinates, its year and its
// months (a table of years) or its month and value (a table of one value
// per row). A pure function of the line: the table reader (table_layout.h)
// groups the rows into stations.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "sources/fields.h"
#include "sources/table_fields.h"
#include "sources/table_titles.h"

namespace versel {

// What a row holds. The views point into the line or into the Cells the
// row was split into.
struct TableRow {
  // the field that groups the rows into stations: the station column's,
  // else the name column's; empty in a table of neither
  std::string_view station;
  std::string_view name;       // the name column's field; empty without one
  bool has_position = false;   // a latitude and a longitude given (both or neither)
  float latitude = 0.0f;
  float longitude = 0.0f;
  std::int32_t year = 0;
  int month = 0;                    // long: the month of `value`, 0 = January
  float value = 0.0f;               // long: the value, the flag when missing
  std::array<float, 12> months{};   // wide: January first, a missing month the flag
};

enum class RowKind : std::uint8_t {
  nothing,  // an empty line, a comment ("#" first), a row of empty fields
  row,
  bad,      // `reason` says why, without the line number
};

// Cuts one line of a table whose titles gave `c` (its value column chosen):
//   "A1,Hill Station,1950,-1.5,..."      -> row: station A1, year 1950, months
//   "\"A1\";1950-03;12,5"                -> row: station A1, 1950 March, 12.5
//   "A1,1950,x,..."                      -> bad: "month 1 is 'x', neither ..."
// Missing marks give the flag (read_month_value). An empty latitude and
// longitude (or missing marks) give no position; one without the other is
// bad, and so is a latitude outside -90..90 or a longitude outside
// -180..360.
RowKind cut_table_row(std::string_view line, const TableColumns& c, const TableSettings& s,
                      Cells& cells, TableRow& out, std::string& reason);

// A line that holds no row: empty, blanks and tabs, or a comment.
bool is_passed_over(std::string_view line);

}  // namespace versel
