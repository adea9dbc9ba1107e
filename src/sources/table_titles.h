// The row of titles of a table (--layout table), and the columns it names.
// Titles are compared in any case, trimmed and out of their quotes:
//
//   station  station, id, code or site          name     name (or a title holding "name")
//   lat      lat or latitude                     lon      lon, long or longitude
//   year     year                                months   jan..dec, january..december, 1..12
//   month    month                               date     date
//   value    value
//
// A table of years (wide) names a year and the twelve months; a table of
// one value per row (long) names year and month, or date, and a value: the
// column titled value, else the one column that is none of the others (when
// several are, the first row decides: the one that holds a number or a
// missing mark). Any other column is passed over (annual means, flags).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sources/fields.h"

namespace versel {

enum class TableShape : std::uint8_t {
  wide,           // year and twelve months per row
  long_by_month,  // year, month and value per row
  long_by_date,   // date and value per row
};

inline constexpr int kNoColumn = -1;

// Where a table keeps each thing: column numbers from 0, kNoColumn when it
// has none.
struct TableColumns {
  char separator = ',';  // '\t', ';', ',' or 0 for runs of blanks
  TableShape shape = TableShape::wide;
  int station = kNoColumn;
  int name = kNoColumn;
  int latitude = kNoColumn;
  int longitude = kNoColumn;
  int year = kNoColumn;
  std::array<int, 12> months{};  // wide
  int month = kNoColumn;         // long_by_month
  int date = kNoColumn;          // long_by_date
  int value = kNoColumn;         // long
  // long without a value title: the columns the first row chooses among
  std::vector<int> value_choices;
  std::size_t needed = 0;            // fields a row must hold: past the last column read
  std::vector<std::string> titles;   // as the row writes them
};

// The separator of a table, from its row of titles: a tab, else a
// semicolon, else a comma outside quotes; 0 (runs of blanks) when the row
// holds none of them.
char table_separator(std::string_view title_row);

// Reads the row of titles (the table's first line that is neither empty nor
// a comment) into `c`, its separator included. False with `reason` when the
// row holds numbers (a table without titles), names no year or date column,
// names a role twice, names some of the months only, or a long table has
// no value column.
bool read_table_titles(std::string_view line, TableColumns& c, std::string& reason);

// A long table whose value column waits for the first row.
inline bool value_column_open(const TableColumns& c) { return !c.value_choices.empty(); }

// Decides the value column from the first row (split as the table splits):
// of the columns in value_choices, the one whose field is a number or a
// missing mark. False with `reason` when none or several are.
bool choose_value_column(TableColumns& c, const Cells& first_row, std::string& reason);

}  // namespace versel
