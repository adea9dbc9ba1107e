// The parts of the table layout one at a time: CSV fields with their quotes,
// the separator and the columns a row of titles names, dates and months as
// tables write them, and one row cut by its columns or refused with its
// reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sources/fields.h"
#include "sources/table_fields.h"
#include "sources/table_rows.h"
#include "sources/table_titles.h"

namespace versel {
namespace {

constexpr float F = -999.9f;

std::vector<std::string> texts(const Cells& c) {
  std::vector<std::string> out;
  for (const Cell& cell : c.at) out.emplace_back(cell.text);
  return out;
}

TEST(TableFields, CsvQuotingRules) {
  struct Case {
    char separator;
    std::string line;
    std::vector<std::string> fields;
    int open_quote = -1;
  } cases[] = {
      {',', "a,,b", {"a", "", "b"}},
      {',', "", {""}},
      {',', " a , b\t,\r", {"a", "b", ""}},
      {',', "\"Hill, North\",1", {"Hill, North", "1"}},
      {',', "\"Hill \"\"North\"\"\",\"\"\"\",\"\"", {"Hill \"North\"", "\"", ""}},
      {',', "\"a, \"\"b\"\", c\",d", {"a, \"b\", c", "d"}},
      {',', "  \"x\"  ,\"y\"z,5'3\"", {"x", "yz", "5'3\""}},
      {',', "a,\"open, to the end", {"a", "open, to the end"}, 1},
      {';', "\"A;1\";41,5;-", {"A;1", "41,5", "-"}},
      {'\t', "a\t b c \t\t\"t\"\"\"", {"a", "b c", "", "t\""}},
      {0, "  1950  \"New York\"\t\"a \"\"b\"\"\"  x  ", {"1950", "New York", "a \"b\"", "x"}},
      {0, " \t ", {}},
  };
  Cells c;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.line);
    split_cells(k.line, k.separator, c);
    EXPECT_EQ(texts(c), k.fields);
    EXPECT_EQ(c.open_quote, k.open_quote);
  }
  split_cells("\"a\",b", ',', c);
  EXPECT_TRUE(c.at[0].quoted);
  EXPECT_FALSE(c.at[1].quoted);
}

TEST(TableFields, FieldsOfTheOtherLayoutsTakeDoubledQuotesToo) {
  Fields f;
  split_on("\"Hill \"\"North\"\", the upper\",\"a\"\"b\",c", ",", f);
  ASSERT_EQ(f.count, 3u);
  EXPECT_EQ(f.at[0], "Hill \"North\", the upper") << "the comma after a doubled quote stays inside";
  EXPECT_EQ(f.at[1], "a\"b");
  EXPECT_EQ(f.at[2], "c");
  split_on_blanks("\"a \"\"b\"\"\" c", f);
  ASSERT_EQ(f.count, 2u);
  EXPECT_EQ(f.at[0], "a \"b\"");
}

TEST(TableFields, DatesMonthsYearsAndNumbers) {
  struct Date {
    const char* text;
    bool ok;
    std::int32_t year;
    int month;
  } dates[] = {
      {"1950-01", true, 1950, 0},     {"1950-1-15", true, 1950, 0}, {"1950-12-31", true, 1950, 11},
      {"1950/03", true, 1950, 2},     {"1950/03/01", true, 1950, 2}, {"195011", true, 1950, 10},
      {"850-07", true, 850, 6},       {"1950-13", false, 0, 0},      {"1950-00", false, 0, 0},
      {"1950-01-32", false, 0, 0},    {"1950-01/15", false, 0, 0},   {"1950", false, 0, 0},
      {"19501", false, 0, 0},         {"19501201", false, 0, 0},     {"1950-001", false, 0, 0},
      {"1950-01-15T00", false, 0, 0}, {"Jan 1950", false, 0, 0},     {"", false, 0, 0},
  };
  for (const Date& d : dates) {
    std::int32_t year = 0;
    int month = -1;
    EXPECT_EQ(read_table_date(d.text, year, month), d.ok) << d.text;
    if (d.ok) {
      EXPECT_EQ(year, d.year) << d.text;
      EXPECT_EQ(month, d.month) << d.text;
    }
  }
  EXPECT_EQ(month_of_field("Jan"), 0);
  EXPECT_EQ(month_of_field("SEPTEMBER"), 8);
  EXPECT_EQ(month_of_field("09"), 8);
  EXPECT_EQ(month_of_field("12"), 11);
  for (const char* not_month : {"13", "0", "Janu", "sept", "1.0", "", "month"})
    EXPECT_EQ(month_of_field(not_month), -1) << not_month;

  float v = 0.0f;
  ASSERT_EQ(read_table_number("41,5", ';', v), NumberRead::ok);
  EXPECT_EQ(v, 41.5f);
  EXPECT_EQ(read_table_number("41,5", ',', v), NumberRead::not_number) << "a comma is a point only after semicolons";
  TableSettings s;
  for (const char* mark : {"", "NA", "nan", "-", "*", "****"}) {
    EXPECT_EQ(read_month_value(mark, ',', s, v), MonthValue::missing) << mark;
    EXPECT_EQ(v, F);
  }
  // without --flag the nines sentinels are missing, and counted
  SentinelTally tally;
  s.sentinels = &tally;
  for (const char* nines : {"-99.9", "-9999", "-99.90", "-999.9"}) {
    EXPECT_EQ(read_month_value(nines, ',', s, v), MonthValue::missing) << nines;
    EXPECT_EQ(v, F) << nines;
  }
  EXPECT_EQ(sentinel_text(tally), "2 months of -99.9, 1 of -9999 and 1 of -999.9");
  for (const char* value : {"-9.9", "-9", "-99.09", "99.9"}) {
    EXPECT_EQ(read_month_value(value, ',', s, v), MonthValue::value) << value;
  }
  EXPECT_EQ(tally.total(), 4);
  // with --flag only the flag: a value equal to it is the flag
  s.flag_given = true;
  EXPECT_EQ(read_month_value("-99.9", ',', s, v), MonthValue::value);
  EXPECT_EQ(v, -99.9f);
  EXPECT_EQ(read_month_value("-999.9", ',', s, v), MonthValue::value);
  EXPECT_EQ(v, F) << "the flag written as a number is the flag";
  EXPECT_EQ(read_month_value("1e39", ',', s, v), MonthValue::out_of_range);
  EXPECT_EQ(read_month_value("n/a", ',', s, v), MonthValue::not_number);
}

TEST(TableTitles, ShapesAndColumns) {
  TableColumns c;
  std::string reason;
  ASSERT_TRUE(read_table_titles(
      "\"ID\";YEAR;Dec;NOV;oct;September;aug;jul;jun;may;apr;mar;feb;January;Annual;Name;LATITUDE;Long",
      c, reason))
      << reason;
  EXPECT_EQ(c.separator, ';');
  EXPECT_EQ(c.shape, TableShape::wide);
  EXPECT_EQ(c.station, 0);
  EXPECT_EQ(c.year, 1);
  EXPECT_EQ(c.months[0], 13);
  EXPECT_EQ(c.months[11], 2);
  EXPECT_EQ(c.name, 15);
  EXPECT_EQ(c.latitude, 16);
  EXPECT_EQ(c.longitude, 17);
  EXPECT_EQ(c.needed, 18u);

  ASSERT_TRUE(read_table_titles("year 1 2 3 4 5 6 7 8 9 10 11 12", c, reason)) << reason;
  EXPECT_EQ(c.separator, 0);
  EXPECT_EQ(c.months[9], 10);
  EXPECT_EQ(c.station, kNoColumn);

  ASSERT_TRUE(read_table_titles("Site\tYear\tMonth\tflag\tValue", c, reason)) << reason;
  EXPECT_EQ(c.shape, TableShape::long_by_month);
  EXPECT_EQ(c.value, 4);

  ASSERT_TRUE(read_table_titles("date,tavg", c, reason)) << reason;
  EXPECT_EQ(c.shape, TableShape::long_by_date);
  EXPECT_EQ(c.value, 1) << "the one column besides the time";
  EXPECT_FALSE(value_column_open(c));

  ASSERT_TRUE(read_table_titles("station_name,code,date,quality,tmax", c, reason)) << reason;
  EXPECT_EQ(c.name, 0) << "a title holding name";
  ASSERT_TRUE(value_column_open(c));
  Cells row;
  split_cells("Hill,A,1950-01,Q,12.5", ',', row);
  ASSERT_TRUE(choose_value_column(c, row, reason)) << reason;
  EXPECT_EQ(c.value, 4);
  EXPECT_EQ(c.needed, 5u);

  ASSERT_TRUE(read_table_titles("station,year,month,elevation,tavg", c, reason));
  split_cells("A,1950,1,120,NA", ',', row);
  EXPECT_FALSE(choose_value_column(c, row, reason));
  EXPECT_EQ(reason, "the columns 'elevation' and 'tavg' all hold numbers on the first row, and "
                    "which of them holds the values cannot be told: title it value");

  EXPECT_EQ(table_separator("\"a,b\" c d"), 0) << "a comma inside quotes separates nothing";
  EXPECT_EQ(table_separator("a;b,c"), ';');
  EXPECT_EQ(table_separator("a,b\tc"), '\t');
}

TEST(TableTitles, RowsThatAreNoTitlesSayWhatIsMissing) {
  const std::string no_time =
      "the titles name no year or date column: a table needs year and the twelve months "
      "(jan..dec, january..december or 1..12), or year, month and value, or date and value";
  struct Case {
    const char* line;
    std::string reason;
  } cases[] = {
      {"1950,1,2,3,4,5,6,7,8,9,10,11,12",
       "the first row holds numbers, not column titles, and without titles the columns of a table "
       "cannot be known: give the table a row of titles (such as year,jan,...,dec or date,value), "
       "or read a year and twelve values per line with --layout free"},
      {"A1,1950-01,3", "the first row holds numbers, not column titles, and without titles the "
                       "columns of a table cannot be known: give the table a row of titles (such "
                       "as year,jan,...,dec or date,value), or read a year and twelve values per "
                       "line with --layout free"},
      {"station,jan,feb,mar,apr,may,jun,jul,aug,sep,oct,nov,dec", no_time},
      {"Hill Station", no_time},
      {"station,value", no_time},
      {"year,jan,feb,mar,apr,may,jun,jul,aug,sep,oct,annual",
       "the titles name 10 of the twelve months, not nov, dec: a table of years needs a column "
       "for each"},
      {"station,year,value",
       "the titles name a year column but neither a month column nor the twelve months (jan..dec, "
       "january..december or 1..12)"},
      {"date", "the titles name no value column: a table of one value per row needs a column "
               "value, or one column besides the station, name, coordinates and time columns"},
      {"station,Year,id,year", "the titles name the station twice: column 1 'station' and column 3 'id'"},
      {"year,jan,January", "the titles name month 1 twice: column 2 'jan' and column 3 'January'"},
  };
  for (const Case& k : cases) {
    TableColumns c;
    std::string reason;
    EXPECT_FALSE(read_table_titles(k.line, c, reason)) << k.line;
    EXPECT_EQ(reason, k.reason) << k.line;
  }
}

TEST(TableRows, RowsCutByTheirColumns) {
  TableColumns c;
  std::string reason;
  ASSERT_TRUE(read_table_titles("station;name;lat;lon;year;1;2;3;4;5;6;7;8;9;10;11;12;annual", c,
                                reason));
  TableSettings s;
  Cells cells;
  TableRow row;
  ASSERT_EQ(cut_table_row("A1;\"Hill; \"\"North\"\"\";41,5;-90,25;1950;-1,5;;NA;-;***;NaN;-999,9;1;2;"
                          "3;4;1e2;9,99",
                          c, s, cells, row, reason),
            RowKind::row)
      << reason;
  EXPECT_EQ(row.station, "A1");
  EXPECT_EQ(row.name, "Hill; \"North\"");
  EXPECT_TRUE(row.has_position);
  EXPECT_EQ(row.latitude, 41.5f);
  EXPECT_EQ(row.longitude, -90.25f);
  EXPECT_EQ(row.year, 1950);
  const std::array<float, 12> months{-1.5f, F, F, F, F, F, F, 1, 2, 3, 4, 100};
  EXPECT_EQ(row.months, months);

  for (const char* nothing : {"", "  \r", "# note", "  # note", ";;;;;;;;;;;;;;;;;", ";;"})
    EXPECT_EQ(cut_table_row(nothing, c, s, cells, row, reason), RowKind::nothing) << nothing;

  struct Bad {
    const char* line;
    std::string reason;
  } bad[] = {
      {"A1;x;;;1950;1;2;3;4;5;6;7;8;9;10;11",
       "a row of 16 fields where the titles need 17"},
      {"A1;x;;;1950;1;2;3;4;5;6;7;8;9;10;11;1.5.1",
       "month 12 is '1.5.1', neither a number nor a missing-value mark (empty, NA, NaN, -, "
       "asterisks or the flag -999.9)"},
      {"A1;x;;;1950;1;2;3;4;5;6;7;8;9;10;11;1e40", "month 12 is '1e40', beyond the values a month can hold"},
      {"A1;x;;;1950.5;1;2;3;4;5;6;7;8;9;10;11;12", "the year is '1950.5', not a whole number"},
      {"A1;x;;;1000000000;1;2;3;4;5;6;7;8;9;10;11;12", "year 1000000000 is out of range"},
      {";x;;;1950;1;2;3;4;5;6;7;8;9;10;11;12", "the 'station' column is empty: every row names its station there"},
      {"A1;x;41;;1950;1;2;3;4;5;6;7;8;9;10;11;12", "latitude '41' is given without a longitude"},
      {"A1;x;NA;7;1950;1;2;3;4;5;6;7;8;9;10;11;12", "longitude '7' is given without a latitude"},
      {"A1;x;91;7;1950;1;2;3;4;5;6;7;8;9;10;11;12", "latitude '91' is not a number from -90 to 90"},
      {"A1;x;1;east;1950;1;2;3;4;5;6;7;8;9;10;11;12", "longitude 'east' is not a number from -180 to 360"},
      {"A1;\"x;1950;1;2", "the double quote that opens field 2 is not closed on the line"},
  };
  for (const Bad& b : bad) {
    EXPECT_EQ(cut_table_row(b.line, c, s, cells, row, reason), RowKind::bad) << b.line;
    EXPECT_EQ(reason, b.reason);
  }

  ASSERT_TRUE(read_table_titles("year,month,value", c, reason));
  ASSERT_EQ(cut_table_row("1950,Mar,-4", c, s, cells, row, reason), RowKind::row);
  EXPECT_EQ(row.month, 2);
  EXPECT_EQ(row.value, -4.0f);
  EXPECT_EQ(row.station, "");
  EXPECT_EQ(cut_table_row("1950,13,1", c, s, cells, row, reason), RowKind::bad);
  EXPECT_EQ(reason, "the month is '13', neither 1 to 12 nor a month's name");
  EXPECT_EQ(cut_table_row("1950,1,x", c, s, cells, row, reason), RowKind::bad);
  EXPECT_EQ(reason, "the value is 'x', neither a number nor a missing-value mark (empty, NA, NaN, "
                    "-, asterisks or the flag -999.9)");
  ASSERT_TRUE(read_table_titles("date value", c, reason));
  EXPECT_EQ(cut_table_row("1950-1-1-1 3", c, s, cells, row, reason), RowKind::bad);
  EXPECT_EQ(reason, "the date is '1950-1-1-1', not YYYY-MM, YYYY-MM-DD, YYYY/MM or YYYYMM");
}

}  // namespace
}  // namespace versel
