// The pre-scan of mat output: each station's first year block, the span of
// years of the whole file, and where the file stands afterwards; the lines it
// takes as year lines, against the reduction and the look-ahead.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "collect/prescan.h"
#include "sources/data_lines.h"
#include "mask/clired.h"
#include "sources/catalogue_reader.h"
#include "mask/mask_shape.h"
#include "mask/station.h"
#include "records/io.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

// A year line of data set 7, "(1x,i4,12f5.1)".
std::string year_line(int year) {
  std::string s;
  char field[16];
  std::snprintf(field, sizeof field, " %4d", year);
  s += field;
  for (int m = 1; m <= 12; ++m) {
    std::snprintf(field, sizeof field, "%5.1f", static_cast<double>(m) + 0.1 * (year % 10));
    s += field;
  }
  return s;
}

// A station: a header line (when `header` is not empty) and the year lines
// first..last.
std::vector<std::string> station(const std::string& header, int first, int last) {
  std::vector<std::string> lines;
  if (!header.empty()) lines.push_back(header);
  for (int y = first; y <= last; ++y) lines.push_back(year_line(y));
  return lines;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class Prescan : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "versel-prescan-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    blank(s_.FRM);
    assign(s_.FRM, "(1x,i4,12f5.1)");
    s_.IFMT = 7;
  }
  void TearDown() override {
    if (open_) close(kDataUnit);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Writes the lines with CR LF ends, opens the file on the data unit and
  // runs the scan from its start (or, for data set 6, from its second line).
  void scan(const std::vector<std::string>& lines) {
    std::string path = (dir_ / "data.dat").string();
    {
      std::ofstream out(path, std::ios::binary);
      for (const std::string& l : lines) out << l << "\r\n";
    }
    open(kDataUnit, path, OpenStatus::old);
    open_ = true;
    std::string skipped;
    skip_lines(s_.skip);
    if (s_.IFMT == 6) read_line(file_unit(kDataUnit), skipped);
    StationSource source = catalogue_reader(s_, false);
    clired2(*t_, source);
  }

  std::string next_line() {
    std::string line;
    if (read_line(file_unit(kDataUnit), line, kOnEnd) == IoStatus::end) return "<end>";
    return line;
  }

  int istart(int station) const { return t_->ISTART[static_cast<std::size_t>(station - 1)]; }

  RunSettings s_;
  std::unique_ptr<ResultTables> t_ = std::make_unique<ResultTables>();
  fs::path dir_;
  bool open_ = false;
};

const std::string kChicago = "42572530000  41.78 -87.75 chicago ohare intl   usa";
const std::string kGeneve = "40306660000  46.25   6.13 geneve cointrin   switzerland";
const std::string kLeicester = "40371150000  52.63  -1.12 leicester        uk";

TEST_F(Prescan, OneStationOfNinetyYears) {
  scan(station(kChicago, 1901, 1990));
  EXPECT_EQ(t_->MIN1, 1901);
  EXPECT_EQ(istart(1), 1);
  EXPECT_EQ(t_->ISTOP, 90);
  EXPECT_EQ(next_line(), kChicago) << "the file is back at its start";
}

TEST_F(Prescan, StationsAlignedOnTheEarliestFirstYear) {
  scan(station(kChicago, 1901, 1950) + station(kGeneve, 1931, 2000) +
       station(kLeicester, 1851, 1900));
  EXPECT_EQ(t_->MIN1, 1851);
  EXPECT_EQ(istart(1), 51);
  EXPECT_EQ(istart(2), 81);
  EXPECT_EQ(istart(3), 1);
  EXPECT_EQ(t_->ISTOP, 150);
  EXPECT_EQ(next_line(), kChicago);
}

TEST_F(Prescan, HeaderAsTheLastLineAddsNoStation) {
  scan(station(kChicago, 1961, 1970) + station(kGeneve, 1965, 1980) + station(kLeicester, 0, -1));
  EXPECT_EQ(t_->MIN1, 1961);
  EXPECT_EQ(istart(1), 1);
  EXPECT_EQ(istart(2), 5);
  EXPECT_EQ(t_->stations, 2) << "no third station";
  EXPECT_EQ(t_->ISTOP, 20);
  EXPECT_EQ(next_line(), kChicago);
}

TEST_F(Prescan, FileWithoutStations) {
  scan({});
  EXPECT_EQ(t_->MIN1, 3000);
  EXPECT_EQ(t_->ISTOP, -2999) << "the mat writer writes no row";
  EXPECT_EQ(next_line(), "<end>");

  // a header alone is no station either
  close(kDataUnit);
  open_ = false;
  scan({kChicago});
  EXPECT_EQ(t_->ISTOP, -2999);
  EXPECT_EQ(next_line(), kChicago);
}

TEST_F(Prescan, DataSetSixStartsAndEndsAtTheSecondLine) {
  s_.IFMT = 6;
  assign(s_.FRM, "(i4,12f5.1)");
  std::vector<std::string> lines = {"ghcn version 2 adjusted mean temperature"};
  const std::string header = " 41.78 -87.75 42572530000 CHICAGO/O'HARE INTL USA";
  lines.push_back(header);
  for (int y = 1971; y <= 1975; ++y) lines.push_back(year_line(y).substr(1));
  lines.push_back(" 37.62-122.38 42572494000 SAN FRANCISCO INTL   USA");
  for (int y = 1968; y <= 1972; ++y) lines.push_back(year_line(y).substr(1));
  scan(lines);
  EXPECT_EQ(t_->MIN1, 1968);
  EXPECT_EQ(istart(1), 4);
  EXPECT_EQ(istart(2), 1);
  EXPECT_EQ(t_->ISTOP, 8);
  EXPECT_EQ(next_line(), header) << "the file's own first line is passed over again";
}

TEST_F(Prescan, SkippedLinesAreSkippedAgainBeforeDataSetSixsFirstLine) {
  s_.IFMT = 6;
  s_.skip = 2;
  assign(s_.FRM, "(i4,12f5.1)");
  // a preamble line that would read as a year line of 1850
  std::vector<std::string> lines = {"1850 1852", "stations of the test",
                                    "ghcn version 2 adjusted mean temperature"};
  const std::string header = " 41.78 -87.75 42572530000 CHICAGO/O'HARE INTL USA";
  lines.push_back(header);
  for (int y = 1971; y <= 1975; ++y) lines.push_back(year_line(y).substr(1));
  scan(lines);
  EXPECT_EQ(t_->MIN1, 1971);
  EXPECT_EQ(t_->ISTOP, 5);
  EXPECT_EQ(t_->stations, 1);
  EXPECT_EQ(next_line(), header) << "the skipped lines and the file's own first line passed over";
}

TEST_F(Prescan, BlankLinesGapYearsAndAStationWithoutHeader) {
  // The first line already reads as a year line: a station without header.
  // Blank lines are skipped wherever they stand; only the first and the last
  // year line of a station count, so a gap widens the span.
  std::vector<std::string> lines = {year_line(1950), "", year_line(1951), "  \t ",
                                    year_line(1953), "", kGeneve, "",
                                    year_line(1940), year_line(1941), "   "};
  scan(lines);
  EXPECT_EQ(t_->MIN1, 1940);
  EXPECT_EQ(istart(1), 11);
  EXPECT_EQ(istart(2), 1);
  EXPECT_EQ(t_->ISTOP, 14);
  EXPECT_EQ(next_line(), year_line(1950));
}

TEST_F(Prescan, TwoHeadersInARowStartOneStation) {
  scan(station(kChicago, 1901, 1910) + std::vector<std::string>{kGeneve} +
       station(kLeicester, 1921, 1930));
  EXPECT_EQ(istart(1), 1);
  EXPECT_EQ(istart(2), 21);
  EXPECT_EQ(t_->stations, 2);
  EXPECT_EQ(t_->ISTOP, 30);
}

TEST_F(Prescan, TakesTheYearLinesTheReductionTakes) {
  // Blank and "-" months, short lines and lines of real zeros are year lines;
  // a line whose year columns hold no digit, or whose month holds letters,
  // starts a station. The pre-scan and the reduction (its look-ahead past
  // blank lines included) read every line through the same rule, so they
  // find the same stations.
  assign(s_.FRM, "(6x,i4,12f7.2)");
  assign(s_.FRM3, "(2a1)");  // coordinates of no interest here
  assign(s_.MASK, "111111111111");
  s_.FLAG = -99.99f;
  s_.FMTCTRL = kGrd;
  s_.IFMT = 13;
  const std::vector<std::string> lines = {
      "WYDIV8       41.10-104.80",  // blank year columns: a header
      "",
      "WYDIV81990  41.10      -   12.5",
      "WYDIV81991",
      "WYDIV81992   0.00  -0.00      .   1.00",
      "WYDIV9   -  41.20-104.90",  // a lone sign for a year: a header
      "WYDIV91960   1.00",
      "WYDIV91961   1.00   abc",  // letters: a header
      "WYDIV91970   2.00",
      "   "};
  scan(lines);
  EXPECT_EQ(t_->MIN1, 1960);
  EXPECT_EQ(istart(1), 31);
  EXPECT_EQ(istart(2), 1);
  EXPECT_EQ(istart(3), 11);
  EXPECT_EQ(t_->ISTART.size(), 3u);  // three stations, no fourth
  EXPECT_EQ(t_->ISTOP, 33);

  // The reduction reads the same file from its start: header, year lines,
  // the step back over the next header.
  MaskShape shape = analyse_mask(s_.MASK);
  std::vector<std::pair<int, int>> reduced;  // first year and year lines of each station
  std::vector<std::string> headers;
  StationData d;
  Station st;
  const float F = s_.FLAG;
  CatalogueReader reader = catalogue_reader(s_, false);
  set_console_output(ConsoleOutput::discarded);  // no "reading in:" lines
  for (int n = 1; n <= 4; ++n) {
    if (!next_catalogue_station(reader, d)) break;
    headers.push_back(d.header);
    if (d.months.empty()) break;
    reduced.emplace_back(d.first_year, d.year_lines());
    if (n == 1) {
      const std::vector<float> want = {41.1f, F, 12.5f, F,    F, F, F, F, F, F, F, F,
                                       F,     F, F,     F,    F, F, F, F, F, F, F, F,
                                       0.0f,  -0.0f, F, 1.0f, F, F, F, F, F, F, F, F};
      ASSERT_EQ(d.months.size(), want.size());
      for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(std::bit_cast<std::uint32_t>(d.months[i]), std::bit_cast<std::uint32_t>(want[i]))
            << 1990 + i / 12 << " month " << i % 12 + 1;
      clired(st, d, s_, shape);
      EXPECT_EQ(st.NYC, 3);
    }
  }
  set_console_output(ConsoleOutput::standard_output);
  EXPECT_EQ(reduced, (std::vector<std::pair<int, int>>{{1990, 3}, {1960, 1}, {1970, 1}}));
  EXPECT_EQ(headers, (std::vector<std::string>{"WYDIV8       41.10-104.80", "WYDIV9   -  41.20-104.90",
                                               "WYDIV91961   1.00   abc"}));
}

TEST_F(Prescan, StationsAndSpansAsLargeAsTheFileHolds) {
  // 1200 stations, the last one spanning 1401-2000: the tables take the
  // size of the file
  std::vector<std::string> lines;
  for (int k = 1; k < 1200; ++k) lines = lines + station("grid cell " + std::to_string(k), 1990, 1991);
  lines = lines + std::vector<std::string>{kChicago, year_line(1401), year_line(2000)};
  scan(lines);
  EXPECT_EQ(t_->stations, 1200);
  EXPECT_EQ(t_->MIN1, 1401);
  EXPECT_EQ(t_->ISTOP, 600);
  EXPECT_EQ(istart(1), 590);
  EXPECT_EQ(istart(1200), 1);
}

}  // namespace
}  // namespace versel
