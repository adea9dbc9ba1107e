// The ghcnm and climdiv layouts line by line: codes, years and every month
// against records written here column by column, missing values, quality
// flags, both climdiv spacings, and the lines they refuse.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "sources/layout.h"

namespace versel {
namespace {

// A station record: ID 1-11, year 12-15, element 16-19, then per month a
// value of 5 columns in hundredths and the flags DM, QC and DS.
std::string ghcnm_record(const char* id, int year, const char* element,
                         const std::array<int, 12>& hundredths, const char* qc = "            ") {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%-11s%04d%-4s", id, year, element);
  std::string line = buf;
  for (std::size_t m = 0; m < 12; ++m) {
    std::snprintf(buf, sizeof buf, "%5d %c ", hundredths[m], qc[m]);
    line += buf;
  }
  return line;
}

constexpr std::array<int, 12> kHundredths{-142, 183, 517, 1021, 1563, 2035,
                                          2210, -9999, 1766, 1150, 498, 0};

TEST(GhcnmLayout, RecordCutIntoCodeYearAndMonths) {
  CutSettings s;
  s.flag = -99.99f;
  CutLine out;
  // the trailing blanks of the last flags dropped by a writer, a CR left by another
  std::string line = ghcnm_record("ZZM00012345", 1961, "TAVG", kHundredths);
  for (std::string text : {line, line.substr(0, 112), line + "\r"}) {
    ASSERT_EQ(cut_ghcnm(text, s, out), LineKind::year) << out.reason;
    EXPECT_EQ(out.name, "ZZM00012345");
    EXPECT_EQ(out.name2, "TAVG");
    EXPECT_EQ(out.place, "ZZM00012345");
    EXPECT_EQ(out.year, 1961);
    for (std::size_t m = 0; m < 12; ++m) {
      float expected = kHundredths[m] == -9999 ? -99.99f : static_cast<float>(kHundredths[m] / 100.0);
      EXPECT_EQ(out.months[m], expected) << "month " << m + 1;
    }
  }
}

TEST(GhcnmLayout, QualityFlagsAndBlankValuesAreMissing) {
  CutSettings s;
  s.flag = -99.99f;
  CutLine out;
  // month 2 fails a quality check, month 3 has a data-measurement flag only
  std::string line = ghcnm_record("ZZM00012345", 1962, "TAVG", kHundredths, " O          ");
  line[19 + 2 * 8 + 5] = 'E';
  line.replace(19 + 4 * 8, 5, "     ");  // month 5 written as blanks
  ASSERT_EQ(cut_ghcnm(line, s, out), LineKind::year);
  EXPECT_EQ(out.months[1], -99.99f);
  EXPECT_EQ(out.months[2], 5.17f);
  EXPECT_EQ(out.months[4], -99.99f) << "a value field of blanks is missing, never 0";
  s.keep_flagged = true;
  ASSERT_EQ(cut_ghcnm(line, s, out), LineKind::year);
  EXPECT_EQ(out.months[1], 1.83f);
  EXPECT_EQ(out.months[7], -99.99f) << "-9999 stays missing with --keep-flagged";
}

TEST(GhcnmLayout, RefusedLines) {
  std::string good = ghcnm_record("ZZM00012345", 1961, "TAVG", kHundredths);
  std::string bad_year = good;
  bad_year.replace(11, 4, "19x1");
  std::string bad_value = good;
  bad_value.replace(19 + 3 * 8, 5, " 1a21");
  struct Case {
    std::string line, reason;
  } cases[] = {
      {good.substr(0, 111),
       "a line of 111 characters: a station record holds its twelfth value in columns 108-112"},
      {bad_year, "columns 12-15 hold '19x1', not a year"},
      {bad_value, "month 4 (columns 44-48) is ' 1a21', not a number"},
  };
  for (const Case& c : cases) {
    CutLine out;
    ASSERT_EQ(cut_ghcnm(c.line, CutSettings{}, out), LineKind::bad);
    EXPECT_EQ(out.reason, c.reason);
  }
  CutLine out;
  EXPECT_EQ(cut_ghcnm("   \r", CutSettings{}, out), LineKind::nothing);
  EXPECT_EQ(cut_ghcnm("# station records", CutSettings{}, out), LineKind::nothing);
}

// A climate-division line: the code, then each value right-aligned in
// `width` columns.
std::string climdiv_line(const char* code, const std::array<const char*, 12>& values, int width) {
  std::string line = code;
  char buf[32];
  for (const char* value : values) {
    std::snprintf(buf, sizeof buf, "%*s", width, value);
    line += buf;
  }
  return line;
}

TEST(ClimdivLayout, BothSpacingsGiveTheSameValues) {
  const std::array<const char*, 12> values{"44.10", "39.20", "54.10", "62.60", "70.90",  "78.50",
                                           "80.30", "79.60", "74.10", "63.20", "-99.90", "43.00"};
  for (int width : {7, 8}) {
    SCOPED_TRACE(width);
    CutSettings s;
    s.flag = -99.9f;
    CutLine out;
    const std::string line = climdiv_line("0101021895", values, width);
    ASSERT_EQ(cut_climdiv(line, s, out), LineKind::year)
        << out.reason;
    EXPECT_EQ(out.name, "010102");
    EXPECT_EQ(out.name2, "");
    EXPECT_EQ(out.place, "0101");
    EXPECT_EQ(out.year, 1895);
    for (std::size_t m = 0; m < 12; ++m)
      EXPECT_EQ(out.months[m], m == 10 ? -99.9f : static_cast<float>(std::stod(values[m])));
  }
}

TEST(ClimdivLayout, EachElementMarksMissingWithItsOwnFlag) {
  struct Case {
    const char* code;
    const char* missing;  // the element's mark
    const char* value;    // a real value that is another element's mark
  } cases[] = {
      {"0101012001", "-9.99", "-99.99"},   {"0101022001", "-99.90", "-9.99"},
      {"0101272001", "-99.90", "-9.99"},   {"0101052001", "-99.99", "-9.99"},
      {"0101712001", "-99.99", "-99.90"},  {"0101772001", "-99.99", "-99.90"},
      {"0101252001", "-9999.", "-99.99"},  {"0101262001", "-9999", "-99.99"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    std::array<const char*, 12> values{c.missing, c.value, "1", "2", "3", "4",
                                       "5",       "6",     "7", "8", "9", "10"};
    CutSettings s;
    s.flag = -555.0f;  // --flag: what a missing month becomes
    s.flag_given = true;
    CutLine out;
    ASSERT_EQ(cut_climdiv(climdiv_line(c.code, values, 7), s, out), LineKind::year) << out.reason;
    EXPECT_EQ(out.months[0], -555.0f);
    EXPECT_EQ(out.months[1], static_cast<float>(std::stod(c.value)));
  }
  float flag = 0.0f;
  EXPECT_TRUE(climdiv_element_flag("01", flag));
  EXPECT_EQ(flag, -9.99f);
  EXPECT_FALSE(climdiv_element_flag("99", flag));
}

TEST(ClimdivLayout, RefusedLines) {
  const std::array<const char*, 12> twelve{"1", "2", "3", "4", "5", "6",
                                           "7", "8", "9", "10", "11", "12"};
  std::string good = climdiv_line("0101021990", twelve, 7);
  struct Case {
    std::string line, reason;
    bool flag_given = false;
  } cases[] = {
      {good.substr(0, good.size() - 7), "11 values after column 10: a line holds exactly twelve"},
      {good + "     13     14", "14 values after column 10: a line holds exactly twelve"},
      {"01A1021990" + good.substr(10),
       "columns 1-10 hold '01A1021990', not a code of place (1-4), element (5-6) and year (7-10) "
       "in digits"},
      {"0101021", "columns 1-10 hold '0101021', not a code of place (1-4), element (5-6) and year "
                  "(7-10) in digits"},
      {"0101991990" + good.substr(10),
       "element 99 has no known missing-value flag; give it with --flag"},
      {good.substr(0, good.size() - 7) + "   1x2", "month 12 is '1x2', not a number"},
      // two values that fill their columns touch
      {good.substr(0, good.size() - 14) + " -99.99-9999.0",
       "11 values after column 10: a line holds exactly twelve"},
  };
  for (const Case& c : cases) {
    CutLine out;
    ASSERT_EQ(cut_climdiv(c.line, CutSettings{}, out), LineKind::bad) << c.line;
    EXPECT_EQ(out.reason, c.reason);
  }
  CutSettings given;
  given.flag_given = true;
  CutLine out;
  EXPECT_EQ(cut_climdiv("0101991990" + good.substr(10), given, out), LineKind::year)
      << "an element of its own with --flag";
}

TEST(Layouts, TableLooksNamesUp) {
  ASSERT_NE(find_layout("free"), nullptr);
  EXPECT_EQ(find_layout("climdiv")->cut, &cut_climdiv);
  EXPECT_EQ(find_layout("FREE"), nullptr);
  EXPECT_EQ(find_layout(""), nullptr);
}

}  // namespace
}  // namespace versel
