// The table layout read whole: the same made-up stations written as tables
// of years and of one value per row in every separator, title spelling,
// column order and row order, against the months computed from what the
// test wrote; the names and coordinates from the table; the faults with
// their lines; files read in pieces; and the same values as a free-layout
// file, a wide table and a long table giving the same stations bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sources/data_lines.h"
#include "sources/station_reader.h"
#include "sources/table_layout.h"
#include "records/io.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

constexpr float F = -999.9f;

// Made-up monthly values in tenths, and the months that are missing.
int tenths(int station, int year, int month) {
  return (station * 37 + year * 11 + month * 53) % 420 - 150;
}
bool missing(int station, int year, int month) { return (station + year + month) % 9 == 0; }

// The stations every table below holds: a name with a comma and quotes,
// a code with a leading zero, a station without coordinates, and years
// that no row gives (1953 of the first).
struct Made {
  std::string code, name;
  bool placed;
  float lat, lon;
  int first, last, skipped;
};
const std::vector<Made> kStations = {
    {"A1", "Hill, North \"Upper\"", true, 41.5f, -90.25f, 1950, 1956, 1953},
    {"007", "Lake Farm", true, -33.75f, 151.5f, 1948, 1952, 0},
    {"B", "Valley", false, 0.0f, 0.0f, 1960, 1961, 0},
};

// The rows of the stations: (station, year) in the order the table writes
// them; `shuffled` mixes the stations and the years.
std::vector<std::pair<int, int>> station_years(bool shuffled) {
  std::vector<std::pair<int, int>> rows;
  for (int s = 0; s < static_cast<int>(kStations.size()); ++s)
    for (int y = kStations[s].first; y <= kStations[s].last; ++y)
      if (y != kStations[s].skipped) rows.emplace_back(s, y);
  if (shuffled)
    std::stable_sort(rows.begin(), rows.end(), [](auto a, auto b) {
      return (a.second * 7 + a.first * 3) % 5 < (b.second * 7 + b.first * 3) % 5;
    });
  return rows;
}

// The station as the reader must give it.
StationData expected(int s, bool with_name, bool with_place) {
  const Made& m = kStations[s];
  StationData d;
  d.has_header = true;
  d.header = with_name ? m.name : m.code;
  d.first_year = m.first;
  for (int y = m.first; y <= m.last; ++y)
    for (int mo = 1; mo <= 12; ++mo)
      d.months.push_back(y == m.skipped || missing(s, y, mo)
                             ? F
                             : static_cast<float>(tenths(s, y, mo) / 10.0));
  d.has_coordinates = with_place && m.placed;
  d.RLAT = d.has_coordinates ? m.lat : F;
  d.RLON = d.has_coordinates ? m.lon : F;
  return d;
}

void expect_same(const StationData& got, const StationData& want) {
  SCOPED_TRACE(want.header);
  EXPECT_TRUE(got.has_header);
  EXPECT_EQ(got.header, want.header);
  EXPECT_EQ(got.first_year, want.first_year);
  EXPECT_EQ(got.has_coordinates, want.has_coordinates);
  EXPECT_EQ(got.RLAT, want.RLAT);
  EXPECT_EQ(got.RLON, want.RLON);
  ASSERT_EQ(got.months.size(), want.months.size());
  EXPECT_EQ(std::memcmp(got.months.data(), want.months.data(), want.months.size() * sizeof(float)), 0)
      << "months differ";
}

std::vector<StationData> all_stations(Table& t) {
  std::vector<StationData> all;
  StationData d;
  while (next_table_station(t, d)) all.push_back(d);
  return all;
}

// What a column of a made-up table holds.
enum class Role { station, name, lat, lon, year, month_of_year, annual, month, date, value, note };
struct Column {
  Role role;
  std::string title;
  int month = 0;  // month_of_year: 1..12
};

// How a made-up table writes its rows.
struct Form {
  const char* what;
  char separator;                  // ' ' for runs of blanks
  std::vector<Column> columns;
  bool shuffled = false;
  bool decimal_comma = false;
  std::string date_format = "%d-%02d";  // date: year, month
  bool month_names = false;             // month: "Jan" rather than 1
  std::string preamble = "";            // before the titles
  std::string line_end = "\n";
};

std::vector<Column> months_titled(const char* const* titles) {
  std::vector<Column> columns;
  for (int m = 1; m <= 12; ++m) columns.push_back({Role::month_of_year, titles[m - 1], m});
  return columns;
}
const char* const kAbbreviations[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                      "jul", "aug", "sep", "oct", "nov", "dec"};
const char* const kFullUpper[] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                  "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
const char* const kNumbers[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};

// A field in quotes, each quote doubled.
std::string in_quotes(const std::string& text) {
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string number(double v, const Form& f) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string text = buf;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  if (f.decimal_comma) std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

// A month's field: its value, or one of the missing marks in turn (an empty
// field only where a separator can show it).
std::string month_field(int s, int y, int m, const Form& f) {
  if (missing(s, y, m)) {
    static const char* marks[] = {"NA", "-999.9", "-", "***", "NaN", ""};
    std::string mark = marks[(y + m) % (f.separator == ' ' ? 5 : 6)];
    if (f.decimal_comma && mark == "-999.9") mark = "-999,9";
    return mark;
  }
  return number(tenths(s, y, m) / 10.0, f);
}

// The field of a column on the row of station s, year y, month m (long).
std::string field(const Column& c, int s, int y, int m, const Form& f) {
  const Made& st = kStations[s];
  char buf[32];
  switch (c.role) {
    case Role::station: return s == 1 ? in_quotes(st.code) : st.code;
    case Role::name: return in_quotes(st.name);
    case Role::lat: return st.placed ? number(st.lat, f) : f.separator == ' ' ? "-" : "";
    case Role::lon: return st.placed ? number(st.lon, f) : "NA";
    case Role::year: return std::to_string(y);
    case Role::month_of_year: return month_field(s, y, c.month, f);
    case Role::annual: return "99.9";
    case Role::month: return f.month_names ? kAbbreviations[m - 1] : std::to_string(m);
    case Role::date: std::snprintf(buf, sizeof buf, f.date_format.c_str(), y, m); return buf;
    case Role::value: return month_field(s, y, m, f);
    case Role::note: return "x";
  }
  return "";
}

std::string row_of(const Form& f, int s, int y, int m) {
  std::string line;
  for (std::size_t i = 0; i < f.columns.size(); ++i) {
    if (i > 0) line += f.separator;
    line += field(f.columns[i], s, y, m, f);
  }
  return line + f.line_end;
}

bool is_long(const Form& f) {
  return std::any_of(f.columns.begin(), f.columns.end(),
                     [](const Column& c) { return c.role == Role::value; });
}

// The table of a form: titles, then a row per station and year (wide) or
// per station, year and month (long).
std::string table_text(const Form& f) {
  std::string text = f.preamble;
  for (std::size_t i = 0; i < f.columns.size(); ++i) {
    if (i > 0) text += f.separator;
    text += f.columns[i].title;
  }
  text += f.line_end;
  std::vector<std::string> rows;
  for (auto [s, y] : station_years(f.shuffled)) {
    if (!is_long(f)) {
      text += row_of(f, s, y, 0);
      continue;
    }
    for (int m = 1; m <= 12; ++m) rows.push_back(row_of(f, s, y, m));
  }
  if (f.shuffled) std::reverse(rows.begin(), rows.end());  // months of a year backwards as well
  for (const std::string& r : rows) text += r;
  return text;
}

std::vector<Column> concat(std::vector<Column> a, const std::vector<Column>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The stations in the order of their first rows.
std::vector<int> first_row_order(const Form& f) {
  std::vector<int> order;
  auto rows = station_years(f.shuffled);
  if (is_long(f) && f.shuffled) std::reverse(rows.begin(), rows.end());
  for (auto [s, y] : rows)
    if (std::find(order.begin(), order.end(), s) == order.end()) order.push_back(s);
  return order;
}

void check_form(const Form& f, bool with_name, bool with_place) {
  SCOPED_TRACE(f.what);
  const std::string text = table_text(f);
  Table t;
  LayoutFault fault;
  ASSERT_TRUE(read_table(text, TableSettings{}, t, fault))
      << "line " << fault.line << ": " << fault.reason << "\n" << fault.text;
  const std::vector<StationData> got = all_stations(t);
  const std::vector<int> order = first_row_order(f);
  ASSERT_EQ(got.size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    expect_same(got[i], expected(order[i], with_name, with_place));
}

TEST(TableLayout, TablesOfYearsInEveryForm) {
  const std::vector<Column> ident = {{Role::station, "Station"}, {Role::name, "Name"},
                                     {Role::lat, "Lat"}, {Role::lon, "Lon"}, {Role::year, "Year"}};
  const Form forms[] = {
      {.what = "commas, CR LF, a byte order mark, comments, an annual column",
       .separator = ',',
       .columns = concat(concat(ident, months_titled(kAbbreviations)), {{Role::annual, "Annual"}}),
       .preamble = "\xEF\xBB\xBF# made up\r\n\r\n",
       .line_end = "\r\n"},
      {.what = "semicolons with decimal commas, titles in another order and case, rows mixed",
       .separator = ';',
       .columns = concat(concat({{Role::note, "flag"}, {Role::year, "YEAR"}}, months_titled(kFullUpper)),
                         {{Role::lon, "LONGITUDE"}, {Role::station, "ID"}, {Role::lat, "latitude"},
                          {Role::name, "NAME"}}),
       .shuffled = true,
       .decimal_comma = true},
      {.what = "tabs, month numbers, the months from December back",
       .separator = '\t',
       .columns =
           [] {
             std::vector<Column> c = {{Role::station, "site"}, {Role::year, "year"}};
             for (int m = 12; m >= 1; --m) c.push_back({Role::month_of_year, kNumbers[m - 1], m});
             return concat(c, {{Role::name, "name"}, {Role::lat, "lat"}, {Role::lon, "long"}});
           }(),
       .shuffled = true},
      {.what = "runs of blanks, quoted names with blanks",
       .separator = ' ',
       .columns = concat(concat(ident, months_titled(kAbbreviations)), {{Role::annual, "annual"}})},
  };
  for (const Form& f : forms) check_form(f, true, true);
}

TEST(TableLayout, TablesOfOneValuePerRowInEveryForm) {
  const std::vector<Column> ident = {{Role::station, "code"}, {Role::name, "Name"},
                                     {Role::lat, "lat"}, {Role::lon, "lon"}};
  const std::vector<Column> by_date = concat(ident, {{Role::date, "Date"}, {Role::value, "Value"}});
  const Form forms[] = {
      {.what = "year, month and value",
       .separator = ',',
       .columns = concat(ident, {{Role::year, "year"}, {Role::month, "month"}, {Role::value, "value"}})},
      {.what = "month names, semicolons, rows mixed",
       .separator = ';',
       .columns = concat({{Role::value, "VALUE"}, {Role::month, "Month"}, {Role::year, "Year"}}, ident),
       .shuffled = true,
       .decimal_comma = true,
       .month_names = true},
      {.what = "YYYY-MM", .separator = ',', .columns = by_date, .shuffled = true},
      {.what = "YYYY-MM-DD", .separator = '\t', .columns = by_date, .date_format = "%d-%02d-15"},
      {.what = "YYYY/MM", .separator = ' ', .columns = by_date, .shuffled = true, .date_format = "%d/%02d"},
      {.what = "YYYYMM, the value as the one other column",
       .separator = ',',
       .columns = concat(ident, {{Role::date, "date"}, {Role::value, "tavg"}}),
       .date_format = "%d%02d"},
      {.what = "the value chosen by the first row among two other columns",
       .separator = ',',
       .columns = concat(ident, {{Role::date, "date"}, {Role::note, "quality"}, {Role::value, "tavg"}}),
       .shuffled = true},
  };
  for (const Form& f : forms) check_form(f, true, true);
}

TEST(TableLayout, WithoutStationNameOrCoordinateColumns) {
  // a station column alone: the code names the station; no coordinates
  check_form({.what = "codes alone",
              .separator = ',',
              .columns = concat({{Role::station, "station"}, {Role::year, "year"}},
                                months_titled(kAbbreviations)),
              .shuffled = true},
             false, false);
  // names alone group the rows
  check_form({.what = "names alone",
              .separator = ',',
              .columns = {{Role::name, "name"}, {Role::date, "date"}, {Role::value, "value"}},
              .shuffled = true},
             true, false);
  // neither: the whole table is one station named by its file
  std::string text = "date,value\n1950-03,1.5\n1949-12,-2\n1950-01,\n";
  Table t;
  LayoutFault fault;
  TableSettings s;
  s.file_name = "series.csv";
  ASSERT_TRUE(read_table(text, s, t, fault)) << fault.reason;
  std::vector<StationData> got = all_stations(t);
  ASSERT_EQ(got.size(), 1u);
  StationData want;
  want.has_header = true;
  want.header = "series.csv";
  want.first_year = 1949;
  want.months.assign(24, F);
  want.months[11] = -2.0f;
  want.months[12 + 2] = 1.5f;
  want.RLAT = want.RLON = F;
  expect_same(got[0], want);
}

TEST(TableLayout, RowsInAnyOrderAndSpansGrowingBothWays) {
  // years far apart and given backwards: every year between holds the flag
  std::string text = "station,year,month,value\n";
  const int years[] = {2000, 1990, 2010, 1899, 1900, 2100};
  for (int y : years) text += "Z," + std::to_string(y) + ",6," + std::to_string(y % 97) + "\n";
  text += "W,5,1,1\n";
  Table t;
  LayoutFault fault;
  ASSERT_TRUE(read_table(text, TableSettings{}, t, fault)) << fault.reason;
  std::vector<std::int32_t> first, last;
  table_year_spans(t, first, last);
  EXPECT_EQ(first, (std::vector<std::int32_t>{1899, 5}));
  EXPECT_EQ(last, (std::vector<std::int32_t>{2100, 5}));
  StationData d;
  ASSERT_TRUE(next_table_station(t, d));
  ASSERT_EQ(d.months.size(), 12u * (2100 - 1899 + 1));
  for (std::size_t i = 0; i < d.months.size(); ++i) {
    const int y = 1899 + static_cast<int>(i / 12);
    const bool given = i % 12 == 5 && std::find(std::begin(years), std::end(years), y) != std::end(years);
    ASSERT_EQ(d.months[i], given ? static_cast<float>(y % 97) : F) << y << " month " << i % 12 + 1;
  }
  ASSERT_TRUE(next_table_station(t, d));
  EXPECT_FALSE(next_table_station(t, d));
  rewind_table(t);
  ASSERT_TRUE(next_table_station(t, d));
  EXPECT_EQ(d.header, "Z") << "rewound to the first station";
}

TEST(TableLayout, FaultsNameTheirLines) {
  struct Case {
    const char* what;
    std::string text;
    std::int64_t line;
    std::string reason;
  } cases[] = {
      {"a second value for a month",
       "station,date,value\nA,1950-01,1\nB,1950-03,2\n\nA,1950-02,3\nA,1950-01-31,4\n", 6,
       "a second value for 1950-01 of station 'A': the first is on line 2"},
      {"a second row for a year",
       "site,year,1,2,3,4,5,6,7,8,9,10,11,12\nA,1950,1,2,3,4,5,6,7,8,9,10,11,12\n"
       "A,1951,1,2,3,4,5,6,7,8,9,10,11,12\nA,1950,NA,,,,,,,,,,,\n",
       4, "a second row for year 1950 of station 'A': the first is on line 2"},
      {"a second value in a table of one station",
       "# one station\ndate;value\n1950/01;1\n1950/01/15;2\n", 4,
       "a second value for 1950-01 of the table: the first is on line 3"},
      {"other coordinates",
       "id,lat,lon,date,value\nA,41.5,-90.25,1950-01,1\nA,,,1950-02,1\nA,41.5,-90.2,1950-03,1\n", 4,
       "latitude 41.5 and longitude -90.2 of station 'A' differ from 41.5 and -90.25 on line 2"},
      {"another name",
       "id,name,date,value\nA,Hill,1950-01,1\nA,,1950-02,1\nA,Hills,1950-03,1\n", 4,
       "station 'A' is named 'Hills' here but 'Hill' on line 2"},
      {"an unreadable row", "year,month,value\n1950,1,1\n1950,2,1,5\n1950,3,x\n", 4,
       "the value is 'x', neither a number nor a missing-value mark (empty, NA, NaN, -, asterisks "
       "or the flag -999.9)"},
      {"no titles", "\n# made up\n1950 1 2 3 4 5 6 7 8 9 10 11 12\n", 3,
       "the first row holds numbers, not column titles, and without titles the columns of a table "
       "cannot be known: give the table a row of titles (such as year,jan,...,dec or date,value), "
       "or read a year and twelve values per line with --layout free"},
      {"no year column", "Hill Station\n1950 1 2 3 4 5 6 7 8 9 10 11 12\n", 1,
       "the titles name no year or date column: a table needs year and the twelve months "
       "(jan..dec, january..december or 1..12), or year, month and value, or date and value"},
      {"no value column on the first row", "date,elevation,tavg\n\n1950-01,120,3\n", 3,
       "the columns 'elevation' and 'tavg' all hold numbers on the first row, and which of them "
       "holds the values cannot be told: title it value"},
      {"a station spanning more years than memory holds",
       "station,year,month,value\nA,-999999999,1,1\nA,999999999,1,1\n", 3,
       "station 'A' spans the years -999999999 to 999999999: its months would take 99999999950 "
       "bytes, more than this machine holds"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Table t;
    LayoutFault fault;
    EXPECT_FALSE(read_table(c.text, TableSettings{}, t, fault));
    EXPECT_EQ(fault.line, c.line);
    EXPECT_EQ(fault.reason, c.reason);
    // the text is the line itself
    std::string_view text = c.text;
    for (std::int64_t n = 1; n < c.line; ++n) text.remove_prefix(text.find('\n') + 1);
    EXPECT_EQ(fault.text, text.substr(0, text.find('\n')));
  }
  Table t;
  LayoutFault fault;
  EXPECT_TRUE(read_table("", TableSettings{}, t, fault));
  EXPECT_TRUE(read_table("# nothing\nstation,date,value\n", TableSettings{}, t, fault));
  EXPECT_TRUE(t.stations.empty()) << "titles without rows: a table of no station";
}

class TableFiles : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "versel-table-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string write(const std::string& name, const std::string& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  fs::path dir_;
};

TEST_F(TableFiles, FilesReadInPiecesAsTextsAre) {
  // more than one piece, a line longer than a piece, CR LF, no last line end
  std::string text = "station,name,date,value\r\n";
  std::string long_name(1500000, 'n');
  for (int s = 0; s < 3000; ++s)
    for (int m = 1; m <= 12; ++m)
      text += "S" + std::to_string(s) + "," + (s == 7 ? long_name : "x") + ",2001-" +
              std::to_string(m) + "," + std::to_string(s % 50) + "." + std::to_string(m % 10) +
              "\r\n";
  text += "S7,,2002-01,1";
  Table from_text, from_file;
  LayoutFault fault;
  ASSERT_TRUE(read_table(text, TableSettings{}, from_text, fault)) << fault.reason;
  ASSERT_TRUE(read_table_file(write("big.csv", text), TableSettings{}, from_file, fault))
      << fault.reason;
  std::vector<StationData> a = all_stations(from_text), b = all_stations(from_file);
  ASSERT_EQ(a.size(), 3000u);
  ASSERT_EQ(b.size(), a.size());
  for (std::size_t i = 0; i < a.size(); ++i) expect_same(b[i], a[i]);
  EXPECT_EQ(b[7].header, long_name);
  ASSERT_EQ(b[7].months.size(), 24u);
  EXPECT_EQ(b[7].months[12], 1.0f);
  EXPECT_EQ(b[8].months[11], 8.2f);
}

TEST_F(TableFiles, FileFaultsAndTheStationNamedByItsFile) {
  LayoutFault fault;
  Table t;
  const std::string dup = write("dup.csv", "station,year,month,value\nA,1950,1,1\nB,1950,1,1\n"
                                           "A,1950,2,1\nA,1950,1,2\n");
  EXPECT_FALSE(read_table_file(dup, TableSettings{}, t, fault));
  EXPECT_EQ(fault.line, 5);
  EXPECT_EQ(fault.reason, "a second value for 1950-01 of station 'A': the first is on line 2");
  EXPECT_EQ(fault.text, "A,1950,1,2");

  EXPECT_FALSE(read_table_file((dir_ / "none.csv").string(), TableSettings{}, t, fault));
  EXPECT_EQ(fault.line, 0);
  EXPECT_EQ(fault.reason, "cannot be read: No such file or directory");
  EXPECT_FALSE(read_table_file(dir_.string(), TableSettings{}, t, fault));
  EXPECT_EQ(fault.reason, "cannot be read: Is a directory");

  ASSERT_TRUE(read_table_file(write("series.txt", "year month value\n1950 1 2\n"), TableSettings{},
                              t, fault));
  StationData d;
  ASSERT_TRUE(next_table_station(t, d));
  EXPECT_EQ(d.header, "series.txt");
}

// A free-layout year line of the made-up values: blanks between the fields.
std::string free_line(int s, int y) {
  std::string line = std::to_string(y);
  for (int m = 1; m <= 12; ++m) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", tenths(s, y, m) / 10.0);
    line += " ";
    line += missing(s, y, m) ? "NA" : buf;
  }
  return line + "\n";
}

TEST_F(TableFiles, SameValuesAsFreeLayoutWideAndLongTables) {
  // free: a name line, then the year lines, a skipped year as a gap
  std::string free;
  for (int s = 0; s < static_cast<int>(kStations.size()); ++s) {
    free += kStations[s].name + "\n";
    for (auto [st, y] : station_years(false))
      if (st == s) free += free_line(s, y);
  }
  const std::string path = write("free.txt", free);
  open(kDataUnit, path, OpenStatus::old);
  LayoutReader r;
  r.layout = find_layout("free");
  r.base_name = "free.txt";
  r.cut.flag = F;
  std::vector<StationData> from_free;
  StationData d;
  LayoutFault fault;
  StationRead got;
  while ((got = read_layout_station(r, d, fault)) == StationRead::station) from_free.push_back(d);
  close(kDataUnit);
  ASSERT_EQ(got, StationRead::end) << fault.reason;
  ASSERT_EQ(from_free.size(), kStations.size());

  const Form wide{.what = "wide",
                  .separator = ',',
                  .columns = concat({{Role::station, "station"}, {Role::name, "name"},
                                     {Role::year, "year"}},
                                    months_titled(kAbbreviations)),
                  .shuffled = true};
  const Form long_table{.what = "long",
                        .separator = ';',
                        .columns = {{Role::station, "station"}, {Role::name, "name"},
                                    {Role::date, "date"}, {Role::value, "value"}},
                        .shuffled = true,
                        .decimal_comma = true};
  for (const Form* f : {&wide, &long_table}) {
    SCOPED_TRACE(f->what);
    Table t;
    ASSERT_TRUE(read_table_file(write("t.csv", table_text(*f)), TableSettings{}, t, fault))
        << fault.reason;
    std::vector<StationData> from_table = all_stations(t);
    const std::vector<int> order = first_row_order(*f);
    ASSERT_EQ(from_table.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
      expect_same(from_table[i], from_free[static_cast<std::size_t>(order[i])]);
  }
}

}  // namespace
}  // namespace versel
