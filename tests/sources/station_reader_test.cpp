// The station reader on real files on the data unit: the stations of each
// layout with their names, coordinates and every month against the values
// the test wrote, the grouping rules, --skip, the faults with their line
// numbers, and the failure path a run takes at a fault.
#include <gtest/gtest.h>


#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sources/data_lines.h"
#include "sources/station_reader.h"
#include "records/failure.h"
#include "records/io.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

// Made-up monthly values in tenths, the same for every test.
int tenths(int station, int year, int month) { return (station * 37 + year * 11 + month * 53) % 420 - 150; }
bool missing(int station, int year, int month) { return (station + year + month) % 9 == 0; }

// A station as the test expects it: its name, years and coordinates, its
// months built from the values written.
struct Expect {
  std::string name;
  std::int32_t first_year = 0;
  std::vector<float> months;
  float lat = 0.0f, lon = 0.0f;
};

void add_year(Expect& e, int station, int year, float flag) {
  for (int m = 1; m <= 12; ++m)
    e.months.push_back(missing(station, year, m) ? flag
                                                 : static_cast<float>(tenths(station, year, m) / 10.0));
}
void add_gap(Expect& e, float flag) { e.months.insert(e.months.end(), 12, flag); }

class StationReader : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "versel-layouts-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    if (open_) close(kDataUnit);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Writes `bytes` as file `name` and opens it on the data unit for `layout`.
  void open_file(const std::string& name, const std::string& bytes, const char* layout,
                 std::int64_t skip = 0) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    open(kDataUnit, path, OpenStatus::old);
    open_ = true;
    skip_lines(skip);
    r_ = LayoutReader{};
    r_.layout = find_layout(layout);
    r_.base_name = name;
    r_.cut.flag = r_.layout->flag;
  }

  // Every station up to the end or a fault.
  std::vector<StationData> read_all() {
    std::vector<StationData> all;
    StationData d;
    faulted_ = false;
    for (;;) {
      StationRead got = read_layout_station(r_, d, fault_);
      if (got == StationRead::end) break;
      if (got == StationRead::fault) {
        faulted_ = true;
        break;
      }
      all.push_back(d);
    }
    return all;
  }

  void expect_stations(const std::vector<StationData>& got, const std::vector<Expect>& want) {
    ASSERT_FALSE(faulted_) << fault_.line << ": " << fault_.reason;
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE(want[i].name);
      EXPECT_TRUE(got[i].has_header);
      EXPECT_EQ(got[i].header, want[i].name);
      EXPECT_EQ(got[i].first_year, want[i].first_year);
      EXPECT_EQ(got[i].RLAT, want[i].lat);
      EXPECT_EQ(got[i].RLON, want[i].lon);
      ASSERT_EQ(got[i].months.size(), want[i].months.size());
      for (std::size_t k = 0; k < want[i].months.size(); ++k)
        EXPECT_EQ(got[i].months[k], want[i].months[k]) << "year line " << k / 12 << " month " << k % 12 + 1;
    }
  }

  fs::path dir_;
  bool open_ = false;
  LayoutReader r_;
  LayoutFault fault_;
  bool faulted_ = false;
};

// A free year line: blanks or commas between the fields, each missing month
// in one of the marks in turn, an annual column after December.
std::string free_line(int station, int year, char separator) {
  static const char* marks[] = {"NA", "-999.9", "-", "***", "NaN"};
  std::string line = std::to_string(year);
  for (int m = 1; m <= 12; ++m) {
    line += separator;
    if (missing(station, year, m)) {
      line += separator == ',' ? "" : marks[(year + m) % 5];
    } else {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%.1f", tenths(station, year, m) / 10.0);
      line += buf;
    }
  }
  return line + separator + "99.9";
}

TEST_F(StationReader, FreeStationsNamesAndEveryMonth) {
  const float F = -999.9f;
  std::string file =
      "# Monthly mean temperature, made up\r\n"           // 1
      "Year Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec Annual\r\n" +
      free_line(1, 1950, ' ') + "\r\n" + free_line(1, 1951, ' ') + "\r\n\r\n" +
      "# a comment inside the station\r\n" + free_line(1, 1953, ' ') + "\r\n" +
      "Notes: homogenized\r\n"                            // passed over: a later name follows
      "Hill Station,,,,,,,,,,,,,\r\n"
      "Year,Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec,Annual\r\n" +
      free_line(2, 1960, ',') + "\r\n" + free_line(2, 1961, ',') + "\r\n" +
      "Missing value: -999.9";                             // no line end, no year line after it
  open_file("valley.txt", file, "free");
  Expect a{"valley.txt", 1950, {}, F, F};
  add_year(a, 1, 1950, F);
  add_year(a, 1, 1951, F);
  add_gap(a, F);
  add_year(a, 1, 1953, F);
  Expect b{"Hill Station", 1960, {}, F, F};
  add_year(b, 2, 1960, F);
  add_year(b, 2, 1961, F);
  expect_stations(read_all(), {a, b});
  EXPECT_EQ(r_.stations, 2);
  EXPECT_EQ(r_.without_coordinates, 2) << "without --coords every station has the flag";
}

TEST_F(StationReader, FreeCodesFindTheirCoordinates) {
  CoordinateTable coords;
  std::string error;
  ASSERT_TRUE(read_coordinate_table("code,lat,lon,name\n12,41.5,-90.25,Hill\nX7,10,20,Lake\n",
                                    coords, error));
  std::string file = "0012\n" + free_line(3, 2001, ' ') + "\nX7 Lake Farm\n" +
                     free_line(4, 2001, ' ') + "\n0099\n" + free_line(5, 2001, ' ') + "\n";
  open_file("x.txt", file, "free");
  r_.coords = &coords;
  std::vector<StationData> got = read_all();
  ASSERT_FALSE(faulted_) << fault_.line << ": " << fault_.reason;
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].header, "0012 Hill") << "a name that is its code alone gets the table's name";
  EXPECT_EQ(got[0].RLAT, 41.5f);
  EXPECT_EQ(got[0].RLON, -90.25f);
  EXPECT_EQ(got[1].header, "X7 Lake Farm");
  EXPECT_EQ(got[1].RLAT, 10.0f);
  EXPECT_EQ(got[2].RLAT, -999.9f);
  EXPECT_EQ(got[2].RLON, -999.9f);
  EXPECT_EQ(r_.without_coordinates, 1);
}

TEST_F(StationReader, TabsSeparateFieldsReadFromTheFile) {
  // the record layer expands tabs; an empty field between two tabs must stay a field
  std::string line = "1990\t1\t\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12";
  std::string long_line = "1991\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t\t12\t" + std::string(1200000, 'x');
  open_file("tabs.txt", "Tab Station\n" + line + "\r\n" + long_line + "\n", "free");
  std::vector<StationData> got = read_all();
  ASSERT_FALSE(faulted_) << fault_.reason;
  ASSERT_EQ(got.size(), 1u);
  ASSERT_EQ(got[0].months.size(), 24u);
  EXPECT_EQ(got[0].months[1], -999.9f);
  EXPECT_EQ(got[0].months[2], 3.0f);
  EXPECT_EQ(got[0].months[12 + 10], -999.9f) << "a line longer than the read window";
  EXPECT_EQ(got[0].months[12 + 11], 12.0f);
}

// A ghcnm record of made-up values, -9999 where missing.
std::string ghcnm_line(const char* id, const char* element, int station, int year) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%-11s%04d%-4s", id, year, element);
  std::string line = buf;
  for (int m = 1; m <= 12; ++m) {
    std::snprintf(buf, sizeof buf, "%5d  Z", missing(station, year, m) ? -9999 : tenths(station, year, m) * 10);
    line += buf;
  }
  return line;
}

TEST_F(StationReader, GhcnmStationsWhereTheCodeChanges) {
  const float F = -99.99f;
  CoordinateTable coords;
  std::string error;
  ASSERT_TRUE(read_inventory("ZZM00000001  12.5000  -45.2500  100.0 NORTH HILL\n"
                             "ZZM00000002 -33.0000  151.0000   10.0 BAY\n",
                             coords, error));
  std::string file = ghcnm_line("ZZM00000001", "TAVG", 1, 1961) + "\n" +
                     ghcnm_line("ZZM00000001", "TAVG", 1, 1962) + "\n" +
                     ghcnm_line("ZZM00000001", "TMAX", 2, 1961) + "\n" +  // the element changes
                     ghcnm_line("ZZM00000002", "TAVG", 3, 1958) + "\n" +
                     ghcnm_line("ZZM00000002", "TAVG", 3, 1961) + "\r\n" +
                     ghcnm_line("ZZM00000003", "TAVG", 4, 1990);  // not in the inventory
  open_file("g.dat", file, "ghcnm");
  r_.coords = &coords;
  Expect a{"ZZM00000001 TAVG NORTH HILL", 1961, {}, 12.5f, -45.25f};
  add_year(a, 1, 1961, F);
  add_year(a, 1, 1962, F);
  Expect b{"ZZM00000001 TMAX NORTH HILL", 1961, {}, 12.5f, -45.25f};
  add_year(b, 2, 1961, F);
  Expect c{"ZZM00000002 TAVG BAY", 1958, {}, -33.0f, 151.0f};
  add_year(c, 3, 1958, F);
  add_gap(c, F);
  add_gap(c, F);
  add_year(c, 3, 1961, F);
  Expect d{"ZZM00000003 TAVG", 1990, {}, F, F};
  add_year(d, 4, 1990, F);
  expect_stations(read_all(), {a, b, c, d});
  EXPECT_EQ(r_.without_coordinates, 1);
}

std::string climdiv_line(const char* code, int station, int year, int width, const char* mark) {
  std::string line = code + std::to_string(year);
  for (int m = 1; m <= 12; ++m) {
    char buf[32];
    if (missing(station, year, m)) std::snprintf(buf, sizeof buf, "%*s", width, mark);
    else std::snprintf(buf, sizeof buf, "%*.2f", width, tenths(station, year, m) / 10.0);
    line += buf;
  }
  return line;
}

TEST_F(StationReader, ClimdivFlagOfTheFirstElementAndDivisions) {
  CoordinateTable coords;
  std::string error;
  ASSERT_TRUE(read_coordinate_table("101 32.5 -86.5 Northern Valley\n", coords, error));
  std::string file = "skipped preamble\n" + climdiv_line("010102", 1, 1895, 8, "-99.90") + "\n" +
                     climdiv_line("010102", 1, 1896, 8, "-99.90") + "\n" +
                     climdiv_line("010202", 2, 1895, 7, "-99.90") + "\n";
  open_file("climdiv.txt", file, "climdiv", 1);
  LayoutFault fault;
  std::optional<float> flag = layout_flag(*r_.layout, 1, fault);
  ASSERT_TRUE(flag.has_value()) << fault.reason;
  EXPECT_EQ(*flag, -99.9f) << "element 02: temperatures";
  r_.cut.flag = *flag;
  r_.coords = &coords;
  Expect a{"010102 Northern Valley", 1895, {}, 32.5f, -86.5f};
  add_year(a, 1, 1895, -99.9f);
  add_year(a, 1, 1896, -99.9f);
  Expect b{"010202", 1895, {}, -99.9f, -99.9f};
  add_year(b, 2, 1895, -99.9f);
  expect_stations(read_all(), {a, b});
}

TEST_F(StationReader, YearSpansThenTheStationsFromTheStart) {
  std::string file = "1950 2020\nA\n" + free_line(1, 1950, ' ') + "\n" + free_line(1, 1955, ' ') +
                     "\nB\n" + free_line(2, 1940, ' ') + "\n";
  open_file("s.txt", file, "free", 1);
  std::vector<std::int32_t> first, last;
  ASSERT_EQ(layout_year_spans(r_, 1, first, last, fault_), StationRead::end) << fault_.reason;
  EXPECT_EQ(first, (std::vector<std::int32_t>{1950, 1940}));
  EXPECT_EQ(last, (std::vector<std::int32_t>{1955, 1940}));
  EXPECT_EQ(r_.stations, 0);
  std::vector<StationData> got = read_all();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].header, "A");
  EXPECT_EQ(got[0].year_lines(), 6);
}

TEST_F(StationReader, FaultsNameTheirLine) {
  struct Case {
    const char* layout;
    std::string file;
    std::int64_t skip;
    std::int64_t line;
    std::string reason;
  } cases[] = {
      {"free", "1950 2020\nA\n" + free_line(1, 1950, ' ') + "\n", 0, 1,
       "a year line of 2 fields: a year and twelve months need 13 (a preamble before the first "
       "station is passed over with --skip)"},
      {"free", "1950 2020\nA\n" + free_line(1, 1950, ' ') + "\n# c\n" + free_line(1, 1950, ' ') + "\n",
       1, 5, "year 1950 does not follow year 1950 of station A"},
      {"free", "A\r\n" + free_line(1, 1951, ' ') + "\r\n\r\n" + free_line(1, 1950, ' ') + "\r\n", 0, 4,
       "year 1950 does not follow year 1951 of station A"},
      {"ghcnm", ghcnm_line("ZZM00000001", "TAVG", 1, 1961) + "\n" +
                    ghcnm_line("ZZM00000001", "TAVG", 1, 1960) + "\n",
       0, 2, "year 1960 does not follow year 1961 of station ZZM00000001 TAVG"},
      {"climdiv", climdiv_line("010102", 1, 1895, 7, "-99.90") + "\n" +
                      climdiv_line("010102", 1, 1896, 7, "-99.90").substr(0, 10 + 7 * 11),
       0, 2, "11 values after column 10: a line holds exactly twelve"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    open_file("f.txt", c.file, c.layout, c.skip);
    read_all();
    ASSERT_TRUE(faulted_);
    EXPECT_EQ(fault_.line, c.line);
    EXPECT_EQ(fault_.reason, c.reason);
    close(kDataUnit);
    open_ = false;
  }
}

TEST_F(StationReader, FaultEndsTheRunAtItsLineAsTheCommandLineShowsIt) {
  // the pre-scan's fault and the station loop's are the same failure
  const std::string file = "A\n" + free_line(1, 1950, ' ') + "\n1951\t1\t2\t3\n";
  const std::vector<std::string> expected = {
      "line 3: a year line of 4 fields: a year and twelve months need 13 (a preamble before the "
      "first station is passed over with --skip)",
      "line: 1951\t1\t2\t3"};
  for (bool scan : {false, true}) {
    open_file("bad.txt", file, "free");
    std::vector<std::string> lines;
    try {
      StationData d;
      std::vector<std::int32_t> first, last;
      if (scan && layout_year_spans(r_, 0, first, last, fault_) == StationRead::fault)
        fail_at_fault(fault_);
      while (take_layout_station(r_, d)) {
      }
    } catch (const RunFailure& f) {
      lines = f.lines;
      lines[0] = "line " + std::to_string(f.at_line) + ": " + lines[0];
    }
    EXPECT_EQ(lines, expected) << (scan ? "pre-scan" : "station loop");
    close(kDataUnit);
    open_ = false;
  }
}

TEST(LayoutFaultLines, ControlCharactersShownAndLongLinesCut) {
  LayoutFault f{7, "why", std::string("a\x01") + std::string(300, 'b')};
  std::array<std::string, 2> lines = layout_fault_lines(f);
  EXPECT_EQ(lines[0], "line 7: why");
  EXPECT_EQ(lines[1], "line: a\\x01" + std::string(158, 'b') + "...");
}

}  // namespace
}  // namespace versel
