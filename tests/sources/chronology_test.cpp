// Chronology files: .crn files with headers, decade lines, first lines in
// both ways of starting inside a decade, 9990 values, gaps, negative and
// early years, several chronologies, the statistics line; tables in every
// separator; the kind told by the lines; and the failures with their line
// numbers.
#include "sources/chronology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace versel {
namespace {

constexpr int kBlank = -100000;  // a pair left blank

// A .crn data line: the code in columns 1-6, the year in 7-10, then pairs of
// a 4-column index and a 3-column depth.
std::string crn(const char* code, int year, const std::vector<std::pair<int, int>>& pairs) {
  char head[16];
  std::snprintf(head, sizeof head, "%-6.6s%4d", code, year);
  std::string line = head;
  for (auto [index, depth] : pairs) {
    char p[16];
    if (index == kBlank) std::snprintf(p, sizeof p, "       ");
    else std::snprintf(p, sizeof p, "%4d%3d", index, depth);
    line += p;
  }
  return line + "\n";
}

// Ten pairs from `from` on, index from + k, depth k + 1.
std::vector<std::pair<int, int>> run(int from, int count) {
  std::vector<std::pair<int, int>> p;
  for (int k = 0; k < count; ++k) p.push_back({from + k, k + 1});
  return p;
}

struct Read {
  bool ok;
  Chronology c;
  ChronologyError e;
};

Read read(const std::string& text, const char* name = "site.crn", const char* id = "") {
  Read r;
  r.ok = read_chronology(text, name, id, r.c, r.e);
  return r;
}

void expect_values(const Chronology& c, std::int32_t first, const std::vector<double>& v) {
  EXPECT_EQ(c.first_year, first);
  ASSERT_EQ(c.values.size(), v.size());
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (std::isnan(v[i])) EXPECT_TRUE(std::isnan(c.values[i])) << "year " << first + int(i);
    else EXPECT_DOUBLE_EQ(c.values[i], v[i]) << "year " << first + int(i);
  }
}

const std::string kHeaders =
    "CAN001 1 BIG BEND FIR RIDGE                                   PSME\n"
    "CAN001 2 CANADA      DOUGLAS FIR      1234M  5012-12245          1573 1612\n"
    "CAN001 3 A. PERSON                                                       2024\n";

TEST(Crn, HeadersDecadePlacesAndStatistics) {
  std::string text = kHeaders;
  // the first line keeps decade places: 1570-1572 hold 9990
  text += crn("CAN001", 1570,
              {{9990, 0},
               {9990, 0},
               {9990, 0},
               {933, 3},
               {1012, 4},
               {1100, 4},
               {9990, 0},
               {870, 5},
               {1000, 5},
               {1001, 5}});
  text += crn("CAN001", 1580, run(1000, 10));
  text += crn("CAN001", 1590, {{1200, 12}, {1300, 12}, {9990, 0}, {9990, 0}});
  text += "CAN001    23  0.61  0.21  0.28  1.002   23.05   24.12   12\n";
  Read r = read(text);
  ASSERT_TRUE(r.ok) << error_message(r.e);
  EXPECT_EQ(r.c.code, "CAN001");
  EXPECT_EQ(r.c.title, "BIG BEND FIR RIDGE");
  std::vector<double> v = {0.933, 1.012, 1.1, NAN, 0.87, 1.0, 1.001};
  for (int k = 0; k < 10; ++k) v.push_back((1000 + k) / 1000.0);
  v.push_back(1.2);
  v.push_back(1.3);
  expect_values(r.c, 1573, v);
  EXPECT_EQ(r.c.depth[0], 3);
  EXPECT_EQ(r.c.depth[3], 0);
  EXPECT_EQ(r.c.depth[7], 1);
  EXPECT_EQ(r.c.last_year(), 1591);
  EXPECT_DOUBLE_EQ(r.c.at(1591), 1.3);
  EXPECT_TRUE(std::isnan(r.c.at(1592)));
  EXPECT_TRUE(std::isnan(r.c.at(1572)));
}

TEST(Crn, FirstLinesInsideTheirDecade) {
  struct Case {
    const char* what;
    std::string line;
    std::int32_t first;
    std::vector<double> values;
  };
  const std::vector<Case> cases = {
      {"pairs from the line's year",
       crn("AB", 1573, run(900, 7)),
       1573,
       {0.9, 0.901, 0.902, 0.903, 0.904, 0.905, 0.906}},
      {"fewer pairs than the decade's years",
       crn("AB", 1573, run(900, 3)),
       1573,
       {0.9, 0.901, 0.902}},
      {"decade places, 9990 before the year",
       crn("AB", 1573, {{9990, 0}, {9990, 0}, {9990, 0}, {900, 1}, {901, 1}}),
       1573,
       {0.9, 0.901}},
      {"decade places, blanks before the year",
       crn("AB", 1576,
           {{kBlank, 0},
            {kBlank, 0},
            {kBlank, 0},
            {kBlank, 0},
            {kBlank, 0},
            {kBlank, 0},
            {900, 1},
            {901, 1},
            {902, 1},
            {903, 1}}),
       1576,
       {0.9, 0.901, 0.902, 0.903}},
      {"a year below 1000",
       crn("AB", 953, run(900, 7)),
       953,
       {0.9, 0.901, 0.902, 0.903, 0.904, 0.905, 0.906}},
      {"a negative decade holds -10..-1",
       crn("AB", -10, run(900, 10)),
       -10,
       {0.9, 0.901, 0.902, 0.903, 0.904, 0.905, 0.906, 0.907, 0.908, 0.909}},
      {"a negative year inside its decade",
       crn("AB", -15, run(900, 5)),
       -15,
       {0.9, 0.901, 0.902, 0.903, 0.904}},
  };
  for (const Case& c : cases) {
    Read r = read(c.line + crn("AB", c.first - ((c.first % 10) + 10) % 10 + 10, run(1000, 1)));
    ASSERT_TRUE(r.ok) << c.what << ": " << error_message(r.e);
    std::vector<double> v = c.values;
    const std::int32_t next = c.first - ((c.first % 10) + 10) % 10 + 10;
    while (c.first + static_cast<std::int32_t>(v.size()) < next) v.push_back(NAN);
    v.push_back(1.0);
    expect_values(r.c, c.first, v);
  }
  // a year below -999 takes column 6
  Read r = read("ABCD -1000 900  1 901  1\n");
  ASSERT_TRUE(r.ok) << error_message(r.e);
  EXPECT_EQ(r.c.code, "ABCD");
  expect_values(r.c, -1000, {0.9, 0.901});
}

TEST(Crn, GapsAndMissingValues) {
  std::string text = crn("GAP", 1900, run(1000, 10));
  text += crn("GAP", 1910, {{1100, 1}, {9990, 0}, {kBlank, 0}, {1103, 1}});
  text += crn("GAP", 1930, run(1200, 2));  // the 1920s are absent
  Read r = read(text);
  ASSERT_TRUE(r.ok) << error_message(r.e);
  EXPECT_EQ(r.c.first_year, 1900);
  EXPECT_EQ(r.c.last_year(), 1931);
  EXPECT_DOUBLE_EQ(r.c.at(1910), 1.1);
  EXPECT_TRUE(std::isnan(r.c.at(1911)));
  EXPECT_TRUE(std::isnan(r.c.at(1912)));
  EXPECT_DOUBLE_EQ(r.c.at(1913), 1.103);
  for (int y = 1914; y < 1930; ++y) EXPECT_TRUE(std::isnan(r.c.at(y))) << y;
  EXPECT_DOUBLE_EQ(r.c.at(1931), 1.201);
}

TEST(Crn, SeveralChronologiesByCode) {
  std::string text =
      kHeaders + crn("CAN001", 1600, run(1000, 10)) + crn("CAN001", 1610, run(1010, 5));
  text += "CAN002 1 SECOND SITE\nCAN002 2 x\nCAN002 3 y\n";
  text += crn("CAN002", 1700, run(500, 10));
  text += crn("CAN003", 1800, run(700, 3));  // no header: the code alone starts it
  EXPECT_EQ(chronology_codes(text, "x.crn"),
            (std::vector<std::string>{"CAN001", "CAN002", "CAN003"}));
  Read first = read(text);
  ASSERT_TRUE(first.ok);
  EXPECT_EQ(first.c.code, "CAN001");
  EXPECT_EQ(first.c.values.size(), 15u);
  Read second = read(text, "x.crn", "CAN002");
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(second.c.title, "SECOND SITE");
  expect_values(second.c, 1700,
                {0.5, 0.501, 0.502, 0.503, 0.504, 0.505, 0.506, 0.507, 0.508, 0.509});
  Read third = read(text, "x.crn", "CAN003");
  ASSERT_TRUE(third.ok);
  EXPECT_EQ(third.c.title, "");
  EXPECT_EQ(third.c.first_year, 1800);
  Read none = read(text, "x.crn", "CAN004");
  ASSERT_FALSE(none.ok);
  EXPECT_EQ(none.e.line, 0);
  EXPECT_EQ(
      error_message(none.e),
      "the file holds no chronology 'CAN004'; its chronologies: 'CAN001', 'CAN002', 'CAN003'");
  // one code twice, each after its headers (a standard and a residual
  // chronology): the first is taken
  std::string twice =
      kHeaders + crn("CAN001", 1600, run(1000, 10)) + kHeaders + crn("CAN001", 1600, run(2000, 10));
  Read t = read(twice);
  ASSERT_TRUE(t.ok) << error_message(t.e);
  EXPECT_DOUBLE_EQ(t.c.values[0], 1.0);
  EXPECT_EQ(chronology_codes(twice, "x.crn").size(), 2u);
}

TEST(Crn, FailuresWithTheirLines) {
  struct Case {
    const char* what;
    std::string text;
    std::int64_t line;
    const char* message;
  };
  const std::string good = crn("BAD", 1900, run(1000, 10));
  const std::vector<Case> cases = {
      {"a value that is no number inside the data",
       good + "BAD   1910 900  1 9x1  1\n" + crn("BAD", 1920, run(1000, 2)), 2,
       "line 2: the value of pair 2 (columns 18-21) is ' 9x1', not a whole number (a line "
       "inside the data lines of chronology 'BAD')"},
      {"a bad depth", good + "BAD   1910 900  1 901 -1\n", 2,
       "line 2: the sample depth of pair 2 (columns 22-24) is ' -1', not a whole number from 0"},
      {"four lines before the data", "one\ntwo\nthree\nfour\n" + good, 4,
       "line 4: columns 7-10 hold '', not a year (at most three header lines come before the "
       "data lines of a chronology)"},
      {"a year back", good + crn("BAD", 1900, run(1000, 2)), 2,
       "line 2: year 1900 of chronology 'BAD' comes after its year 1909"},
      {"a line past its decade", crn("BAD", 1905, run(1000, 6)), 1,
       "line 1: the line of year 1905 holds 6 values, more than the 5 years from 1905 to the "
       "end of its decade (a line that keeps decade places holds 9990 or blanks before its "
       "year)"},
      {"a last line that is no data", good + "BAD   1910 something else\n", 2,
       "line 2: the value of pair 1 (columns 11-14) is ' som', not a whole number"},
      {"only 9990", crn("BAD", 1900, {{9990, 0}, {9990, 0}}), 0, "chronology 'BAD' holds no value"},
      {"an empty file", "\n\n", 0, "the file holds no chronology"},
  };
  for (const Case& c : cases) {
    Read r = read(c.text);
    ASSERT_FALSE(r.ok) << c.what;
    EXPECT_EQ(r.e.line, c.line) << c.what;
    EXPECT_EQ(error_message(r.e), c.message) << c.what;
  }
  Read r = read(good + "BAD   1910\x01\x02 900  1\n");
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(error_line_shown(r.e), "BAD   1910\\x01\\x02 900  1");
}

TEST(Table, EverySeparatorTitlesAndMarks) {
  struct Case {
    const char* what;
    std::string text;
    const char* code;
    const char* title;
  };
  const std::vector<Case> cases = {
      {"commas with titles", "year,std\n1950,0.93\n1951,NA\n1952,1.25\n", "std", ""},
      {"semicolons, decimal commas", "Site: Fir ridge\nYear;Index\n1950;0,93\n1951;\n1952;1,25\n",
       "Index", "Site: Fir ridge"},
      {"blanks, no titles", "  1950   0.93\n1951 NaN\n\n# a comment\n1952 1.25\n", "", ""},
      {"tabs and quotes with depth",
       "\"year\"\t\"crn\"\t\"samp.depth\"\n\"1950\"\t0.93\t4\n1951\t-\t\n1952\t1.25\t6\n", "crn",
       ""},
      {"a title of one field", "my chronology\n1950 0.93\n1951 -\n1952 1.25\n", "",
       "my chronology"},
      {"R's row names, separators left at the end",
       "\"\",\"CAM\",\n\"1950\",0.93,,\n1951,NA,\n1952,1.25,,,\n", "CAM", ""},
  };
  for (const Case& c : cases) {
    Read r = read(c.text, "chron.csv");
    ASSERT_TRUE(r.ok) << c.what << ": " << error_message(r.e);
    expect_values(r.c, 1950, {0.93, NAN, 1.25});
    EXPECT_EQ(r.c.code, c.code) << c.what;
    EXPECT_EQ(r.c.title, c.title) << c.what;
  }
  Read depth = read(cases[3].text, "c.txt");
  EXPECT_EQ(depth.c.depth, (std::vector<std::int32_t>{4, 0, 6}));
  // skipped years and leading missing values
  Read gaps = read("1900 NA\n1901 1.5\n1905 2.5\n1906 NA\n", "c.txt");
  ASSERT_TRUE(gaps.ok);
  expect_values(gaps.c, 1901, {1.5, NAN, NAN, NAN, 2.5});
  Read negative = read("-5 1.0\n-4 2.0\n", "c.txt");
  ASSERT_TRUE(negative.ok);
  expect_values(negative.c, -5, {1.0, 2.0});
}

TEST(Table, Failures) {
  struct Case {
    const char* what;
    std::string text;
    std::int64_t line;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"a value that is no number", "year,v\n1950,0.9\n1951,0.8x\n", 3,
       "line 3: the value '0.8x' is neither a number nor a mark of no value (empty, NA, NaN, -)"},
      {"a year back", "1950 1\n1951 2\n1951 3\n", 3, "line 3: year 1951 comes after year 1951"},
      {"four fields", "1950 1 2 3\n", 1,
       "line 1: a row of 4 fields: a chronology table holds a year, a value and optionally a "
       "sample depth"},
      {"a year that is no whole number", "1950 1\n1950.5 2\n", 2,
       "line 2: the year '1950.5' is not a whole number from -99999 to 99999"},
      {"a bad depth", "1950 1 -3\n", 1,
       "line 1: the sample depth '-3' is not a whole number from 0"},
      {"four titles", "a\nb\nc\nd\n1950 1\n", 4,
       "line 4: a row of 1 field: a chronology table holds a year, a value and optionally a "
       "sample depth (at most three title lines come before the first row)"},
      {"infinity is no number", "1950 inf\n", 1,
       "line 1: the value 'inf' is neither a number nor a mark of no value (empty, NA, NaN, -)"},
      {"no value at all", "year value\n1950 NA\n", 0, "chronology 'value' holds no value"},
  };
  for (const Case& c : cases) {
    Read r = read(c.text, "chron.txt");
    ASSERT_FALSE(r.ok) << c.what;
    EXPECT_EQ(r.e.line, c.line) << c.what;
    EXPECT_EQ(error_message(r.e), c.message) << c.what;
  }
  // an id other than the table's code
  Read r = read("year,std\n1950,1\n", "c.csv", "res");
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(error_message(r.e), "the file holds no chronology 'res'; its chronologies: 'std'");
}

// Files cut and spliced at random from good ones: every one is read or
// refused with a line number within the file, and a chronology read holds
// only numbers or NaN, a value at both ends.
TEST(ChronologyFile, MangledFilesAreReadOrRefusedCleanly) {
  const std::string crn_text = kHeaders + crn("CAN001", 1570, {{9990, 0}, {933, 3}, {1012, 4}}) +
                               crn("CAN001", 1580, run(1000, 10)) + crn("X", -10, run(990, 10)) +
                               "CAN001    23  0.61  0.21\n";
  const std::string table_text = "year;index\n1950;0,93\n1951;NA\n1953;1,25;4\n";
  unsigned state = 7u;
  auto next = [&state](unsigned n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  int read_ok = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string t = next(2) ? crn_text : table_text;
    for (int k = 0, edits = 1 + static_cast<int>(next(4)); k < edits; ++k) {
      const std::size_t at = next(static_cast<unsigned>(t.size()));
      switch (next(4)) {
        case 0: t.erase(at, next(12)); break;
        case 1: t.insert(at, 1, "0123456789 -.,;\t\nx\x01\xff"[next(21)]); break;
        case 2: t[at] = static_cast<char>(next(256)); break;
        default: t.insert(at, t.substr(next(static_cast<unsigned>(t.size())), next(40))); break;
      }
    }
    Chronology c;
    ChronologyError e;
    const bool ok = read_chronology(t, next(2) ? "m.crn" : "m.txt", "", c, e);
    if (!ok) {
      EXPECT_GE(e.line, 0);
      EXPECT_LE(e.line, static_cast<std::int64_t>(std::count(t.begin(), t.end(), '\n')) + 1);
      EXPECT_FALSE(error_message(e).empty());
      continue;
    }
    ++read_ok;
    ASSERT_FALSE(c.values.empty());
    EXPECT_EQ(c.values.size(), c.depth.size());
    EXPECT_FALSE(std::isnan(c.values.front()));
    EXPECT_FALSE(std::isnan(c.values.back()));
    for (double v : c.values) EXPECT_TRUE(std::isnan(v) || std::isfinite(v));
  }
  EXPECT_GT(read_ok, 300);
}

TEST(ChronologyKind, ToldByTheLinesThenByTheName) {
  const std::string crn_text = kHeaders + crn("CAN001", 1600, run(1000, 10));
  EXPECT_EQ(chronology_kind(crn_text, "site.txt"), ChronologyKind::crn);
  EXPECT_EQ(chronology_kind("year,std\n1950,0.9\n", "site.crn"), ChronologyKind::table);
  EXPECT_EQ(chronology_kind("a\nb\n", "SITE.CRN"), ChronologyKind::crn);
  EXPECT_EQ(chronology_kind("a\nb\n", "site.csv"), ChronologyKind::table);
  Read r = read(crn_text, "site.txt");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.c.first_year, 1600);
}

TEST(ChronologyFile, LoadedFromDiskOrTheSystemsReason) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "versel_chronology_test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "site.crn").string();
  {
    std::ofstream out(path, std::ios::binary);
    out << "\xEF\xBB\xBF" << crn("CAN001", 1600, run(1000, 3)) << "\r\n";
  }
  Chronology c;
  ChronologyError e;
  ASSERT_TRUE(load_chronology(path, "", c, e)) << error_message(e);
  EXPECT_EQ(c.values.size(), 3u);
  EXPECT_FALSE(load_chronology((dir / "none.crn").string(), "", c, e));
  EXPECT_EQ(error_message(e), "cannot be read: No such file or directory");
  EXPECT_FALSE(load_chronology(dir.string(), "", c, e));
  EXPECT_EQ(error_message(e), "cannot be read: Is a directory");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace versel
