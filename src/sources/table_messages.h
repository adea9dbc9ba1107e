// Every message of the table layout, in one place. A "{}" is filled by
// compose() (records/message_text.h) with the next argument; a field of the
// file comes quoted by quoted(). The reader puts "line N: " before a reason
// and shows the line after it (LayoutFault); the messages of the layouts
// that the table shares (a year out of range, a month that is no number,
// the coordinates) stay in layout_messages.h.
#pragma once

#include <string_view>

namespace versel {

// The row of titles.
inline constexpr std::string_view kMsgTableNoTitles =
    "the first row holds numbers, not column titles, and without titles the columns of a table "
    "cannot be known: give the table a row of titles (such as year,jan,...,dec or date,value), "
    "or read a year and twelve values per line with --layout free";
inline constexpr std::string_view kMsgTableNoTime =
    "the titles name no year or date column: a table needs year and the twelve months (jan..dec, "
    "january..december or 1..12), or year, month and value, or date and value";
inline constexpr std::string_view kMsgTableSomeMonths =
    "the titles name {} of the twelve months, not {}: a table of years needs a column for each";
inline constexpr std::string_view kMsgTableNoMonth =
    "the titles name a year column but neither a month column nor the twelve months (jan..dec, "
    "january..december or 1..12)";
inline constexpr std::string_view kMsgTableNoValue =
    "the titles name no value column: a table of one value per row needs a column value, or one "
    "column besides the station, name, coordinates and time columns";
inline constexpr std::string_view kMsgTableManyValues =
    "the columns {} all hold numbers on the first row, and which of them holds the values cannot "
    "be told: title it value";
inline constexpr std::string_view kMsgTableTitleTwice = "the titles name {} twice: {} and {}";
inline constexpr std::string_view kMsgTableColumn = "column {} {}";  // number from 1, title

// What the titles name, for kMsgTableTitleTwice.
inline constexpr std::string_view kMsgTableRoleStation = "the station";
inline constexpr std::string_view kMsgTableRoleName = "the name";
inline constexpr std::string_view kMsgTableRoleLatitude = "the latitude";
inline constexpr std::string_view kMsgTableRoleLongitude = "the longitude";
inline constexpr std::string_view kMsgTableRoleYear = "the year";
inline constexpr std::string_view kMsgTableRoleMonth = "the month";
inline constexpr std::string_view kMsgTableRoleDate = "the date";
inline constexpr std::string_view kMsgTableRoleValue = "the value";
inline constexpr std::string_view kMsgTableRoleMonthTitle = "month {}";  // 1..12

// A row that cannot be read.
inline constexpr std::string_view kMsgTableFewFields = "a row of {} fields where the titles need {}";
inline constexpr std::string_view kMsgTableOpenQuote =
    "the double quote that opens field {} is not closed on the line";
inline constexpr std::string_view kMsgTableNoCode =
    "the {} column is empty: every row names its station there";
inline constexpr std::string_view kMsgTableYear = "the year is {}, not a whole number";
inline constexpr std::string_view kMsgTableMonth = "the month is {}, neither 1 to 12 nor a month's name";
inline constexpr std::string_view kMsgTableDate =
    "the date is {}, not YYYY-MM, YYYY-MM-DD, YYYY/MM or YYYYMM";
inline constexpr std::string_view kMsgTableValue =
    "the value is {}, neither a number nor a missing-value mark (empty, NA, NaN, -, asterisks or "
    "the flag {})";
inline constexpr std::string_view kMsgTableValueRange =
    "the value is {}, beyond the values a month can hold";
inline constexpr std::string_view kMsgTableLatitudeAlone = "latitude {} is given without a longitude";
inline constexpr std::string_view kMsgTableLongitudeAlone = "longitude {} is given without a latitude";

// A row that contradicts an earlier row of its station. The station is
// kMsgTableStation, or kMsgTableWhole in a table without a station column.
inline constexpr std::string_view kMsgTableStation = "station {}";
inline constexpr std::string_view kMsgTableWhole = "the table";
inline constexpr std::string_view kMsgTableTwiceYear =
    "a second row for year {} of {}: the first is on line {}";
inline constexpr std::string_view kMsgTableTwiceMonth =
    "a second value for {} of {}: the first is on line {}";  // 1950-03
inline constexpr std::string_view kMsgTableOtherPlace =
    "latitude {} and longitude {} of {} differ from {} and {} on line {}";
inline constexpr std::string_view kMsgTableOtherName = "{} is named {} here but {} on line {}";
inline constexpr std::string_view kMsgTableSpan =
    "{} spans the years {} to {}: its months would take {} bytes, more than this machine holds";
inline constexpr std::string_view kMsgTableMemory =
    "the stations read up to this row need more memory than can be had";

// The file itself.
inline constexpr std::string_view kMsgTableOpen = "cannot be read: {}";

}  // namespace versel
