// The fields of a table's rows as the table layout reads them: values with
// their missing marks, numbers with a decimal comma, years, months and
// dates, and the month titles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sources/fields.h"

namespace versel {

// What a run tells the reading of a table.
struct TableSettings {
  float flag = -999.9f;  // the run's missing-value flag: every missing month takes it
  // --flag given; without it the nines sentinels (is_nines_sentinel) are
  // missing too, counted in *sentinels when it is given
  bool flag_given = false;
  SentinelTally* sentinels = nullptr;
  // the name of the one station of a table without station and name
  // columns (the data file's name without its folders); read_table_file
  // takes the file's name when it is empty
  std::string file_name;
};

// A field that marks a missing month as text: empty, NA or NaN (any case),
// a lone "-", or only asterisks (what a fixed-width writer prints for a
// value that does not fit). The flag is a number like any other and stays
// itself when read.
bool is_missing_text(std::string_view field);

// A number of a table: read_number's rule (the decimal rounded to double,
// then to float), a decimal comma counting as a point when `separator` is
// ';' ("41,5" -> 41.5).
NumberRead read_table_number(std::string_view field, char separator, float& value);

// A month's value: `value` with the number, or `missing` with the flag for a
// missing mark; a number equal to the flag is `value` and the flag. Every
// mark of a missing month is decided here.
enum class MonthValue : std::uint8_t { value, missing, not_number, out_of_range };
MonthValue read_month_value(std::string_view field, char separator, const TableSettings& s,
                            float& value);

// A year: a whole number within the years a year line may carry
// (kMaxYearMagnitude). False when it is no whole number; `in_range` false
// when it is one beyond them.
bool read_table_year(std::string_view field, std::int32_t& year, bool& in_range);

// The month (0 = January) of a month name, in any case: its three-letter
// abbreviation or its full name ("Jan", "JANUARY"); -1 for anything else.
int month_of_name(std::string_view field);

// The month (0 = January) of a month column's title, or of the month field
// of a table of one value per row: a month name, or a number 1 to 12
// (leading zeros allowed); -1 for anything else.
int month_of_field(std::string_view field);

// A date as tables write a month: YYYY-MM, YYYY-MM-DD, YYYY/MM, YYYY/MM/DD,
// or YYYYMM (six digits). The year of the first forms has one to nine
// digits; months are 1 to 12 and days 1 to 31, of one or two digits.
//   "1950-01" "1950-1-15" "1950/12" "195003" -> (1950, 0) ... (1950, 2)
bool read_table_date(std::string_view field, std::int32_t& year, int& month);

// A month and year as messages show them: "1950-03".
std::string month_text(std::int32_t year, int month);

}  // namespace versel
