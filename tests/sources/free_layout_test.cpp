// The free layout line by line: what each line is, every month's value, the
// missing-value marks, and the lines it refuses with their reasons.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sources/layout.h"

namespace versel {
namespace {

constexpr float kFlag = -999.9f;
constexpr float M = kFlag;  // a missing month, in the tables below

// A month as the file writes it, rounded as a decimal read from text is.
constexpr float v(double written) { return static_cast<float>(written); }

struct YearCase {
  const char* what;
  std::string line;
  std::int32_t year;
  std::array<float, 12> months;
};

TEST(FreeLayout, YearLinesInEveryForm) {
  const YearCase cases[] = {
      {"blanks, an annual column after December",
       "1990 -5.2 -3.1 0.4 6.5 12.0 16.1 18.3 17.9 13.2 7.7 1.9 -3.3 6.87",
       1990,
       {v(-5.2), v(-3.1), v(0.4), v(6.5), v(12.0), v(16.1), v(18.3), v(17.9), v(13.2), v(7.7),
        v(1.9), v(-3.3)}},
      {"tabs with empty fields, blanks around them, a CR at the end",
       "1991\t-5.2\t\t 0.4 \t6.5\t12\t16.1\t18.3\t17.9\t13.2\t7.7\t\t-3.3\r",
       1991,
       {v(-5.2), M, v(0.4), v(6.5), v(12), v(16.1), v(18.3), v(17.9), v(13.2), v(7.7), M, v(-3.3)}},
      {"commas with empty fields and seasonal columns",
       "1992,1,,3,4,5,6,7,8,9,10,11,,5.5,DJF",
       1992,
       {v(1), M, v(3), v(4), v(5), v(6), v(7), v(8), v(9), v(10), v(11), M}},
      {"quoted fields of a spreadsheet, a byte order mark",
       "\xEF\xBB\xBF\"1993\",\"0.5\",\"\",\"-1\",4,5,6,7,8,9,10,11,12",
       1993,
       {v(0.5), M, v(-1), v(4), v(5), v(6), v(7), v(8), v(9), v(10), v(11), v(12)}},
      {"every missing mark; zeros are values",
       "  1994 NA na NaN NAN - *** * -999.9 -999.90 0 -0 0.000",
       1994,
       {M, M, M, M, M, M, M, M, M, v(0), v(0), v(0)}},
      {"the largest year, nine digits", "999999999 1 2 3 4 5 6 7 8 9 10 11 12", 999999999,
       {v(1), v(2), v(3), v(4), v(5), v(6), v(7), v(8), v(9), v(10), v(11), v(12)}},
      {"signs, points and exponents as written",
       "-50 +1.5 .5 5. 1e2 2.5E-1 -0.01 123456.75 7 8 9 10 11",
       -50,
       {v(1.5), v(0.5), v(5), v(100), v(0.25), v(-0.01), v(123456.75), v(7), v(8), v(9), v(10),
        v(11)}},
  };
  for (const YearCase& c : cases) {
    SCOPED_TRACE(c.what);
    CutSettings s;
    CutLine out;
    ASSERT_EQ(cut_free(c.line, s, out), LineKind::year) << out.reason;
    EXPECT_EQ(out.year, c.year);
    for (std::size_t m = 0; m < 12; ++m) EXPECT_EQ(out.months[m], c.months[m]) << "month " << m + 1;
  }
}

TEST(FreeLayout, FlagOptionReplacesTheDefaultMark) {
  CutSettings s;
  s.flag = -99.0f;
  CutLine out;
  ASSERT_EQ(cut_free("2000 -999.9 -99 -99.0 NA 5 6 7 8 9 10 11 12", s, out), LineKind::year);
  EXPECT_EQ(out.months[0], v(-999.9)) << "-999.9 is a value once --flag names another mark";
  EXPECT_EQ(out.months[1], -99.0f);
  EXPECT_EQ(out.months[2], -99.0f);
  EXPECT_EQ(out.months[3], -99.0f) << "NA takes the run's flag";
}

TEST(FreeLayout, LinesThatAreNothing) {
  for (const char* line :
       {"", "   ", " \t \r", "# exported from a portal", "   # indented comment", ",,,,,,,,,,,,,",
        "\"\",\"\"", "Year Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec Annual",
        "JAN FEB MAR APR MAY JUN JUL AUG SEP OCT NOV DEC",
        "year,january,february,march,april,may,june,july,august,september,october,november,"
        "december",
        "\"YEAR\"\t\"Jan\"\t\"Feb\"\t\"Mar\"\t\"Apr\"\t\"May\"\t\"Jun\"\t\"Jul\"\t\"Aug\"\t\"Sep\"\t"
        "\"Oct\"\t\"Nov\"\t\"Dec\""}) {
    CutLine out;
    EXPECT_EQ(cut_free(line, CutSettings{}, out), LineKind::nothing) << line;
  }
}

TEST(FreeLayout, NameLinesAndTheirCodes) {
  struct Case {
    std::string line, name, place;
  } cases[] = {
      {"Little Rock AR  34.73 -92.23", "Little Rock AR  34.73 -92.23", "Little"},
      {"  Northern Valley,0101,,,,,,,,,,,,\r", "Northern Valley,0101", "Northern Valley"},
      {"\"USX00012345\",\"Hill, North\"", "\"USX00012345\",\"Hill, North\"", "USX00012345"},
      {"1990", "1990", "1990"},  // one integer alone: a station number, not a year line
      {"-999.9", "-999.9", "-999.9"},
      {"Year Jan Feb Mar", "Year Jan Feb Mar", "Year"},  // too few titles
      {"1990-2020 normals", "1990-2020 normals", "1990-2020"},
      // a code and a name: text after the integer, and no number after that
      {"0007 Lake Farm", "0007 Lake Farm", "0007"},
      {"10384 Hill Station (moved 1951)", "10384 Hill Station (moved 1951)", "10384"},
      {"0101,Northern Valley,,,,,,,,,,,,", "0101,Northern Valley", "0101"},
      {"101\tUpper Plateau\t\t\t\t\t\t\t\t\t\t\t", "101\tUpper Plateau", "101"},
      // a comma separates: decimal commas make the line two fields
      {"1990 1 2 3 4 5 6 7 8 9 10 11 1,5", "1990 1 2 3 4 5 6 7 8 9 10 11 1,5",
       "1990 1 2 3 4 5 6 7 8 9 10 11 1"},
  };
  for (const Case& c : cases) {
    CutLine out;
    ASSERT_EQ(cut_free(c.line, CutSettings{}, out), LineKind::name) << c.line;
    EXPECT_EQ(out.name, c.name);
    EXPECT_EQ(out.place, c.place);
  }
}

TEST(FreeLayout, RefusedLinesSayWhy) {
  struct Case {
    std::string line, reason;
  } cases[] = {
      {"1990 2020",
       "a year line of 2 fields: a year and twelve months need 13 (a preamble before the first "
       "station is passed over with --skip)"},
      {"1990,1,2,3,4,5,6,7,8,9,10,11", "a year line of 12 fields: a year and twelve months need 13 "
                                       "(a preamble before the first station is passed over with "
                                       "--skip)"},
      {"1990 1 x 3 4 5 6 7 8 9 10 11 12",
       "month 2 is 'x', neither a number nor a missing-value mark (empty, NA, NaN, -, asterisks "
       "or the flag -999.9)"},
      {"1990\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t1.2.3",
       "month 12 is '1.2.3', neither a number nor a missing-value mark (empty, NA, NaN, -, "
       "asterisks or the flag -999.9)"},
      {"1990 1 2 3 4 5 6 7 8 9 10 11 1e39", "month 12 is '1e39', beyond the values a month can hold"},
      {"1990 1 2 3 4 5 6 7 8 9 10 11 inf",
       "month 12 is 'inf', neither a number nor a missing-value mark (empty, NA, NaN, -, "
       "asterisks or the flag -999.9)"},
      // text after the year, but numbers after it: a year line with a bad month
      {"1990,x,2,3,4,5,6,7,8,9,10,11,12",
       "month 1 is 'x', neither a number nor a missing-value mark (empty, NA, NaN, -, asterisks "
       "or the flag -999.9)"},
      {"1990 NA 2", "a year line of 3 fields: a year and twelve months need 13 (a preamble before "
                    "the first station is passed over with --skip)"},
      {"1000000000 1 2 3 4 5 6 7 8 9 10 11 12", "year 1000000000 is out of range"},
      {"-12345678901234567890,1,2,3,4,5,6,7,8,9,10,11,12",
       "year -12345678901234567890 is out of range"},
  };
  for (const Case& c : cases) {
    CutLine out;
    ASSERT_EQ(cut_free(c.line, CutSettings{}, out), LineKind::bad) << c.line;
    EXPECT_EQ(out.reason, c.reason);
  }
}

// Common year lines are cut in one pass; a quoted year sends the same line
// through the general rules, which must give every month bit for bit alike.
TEST(FreeLayout, OnePassAndGeneralRulesAgree) {
  std::uint32_t state = 15u;
  auto next = [&state](std::uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  const char* pieces[] = {"0", "7", "12", "123456789012", "99999", "5", "0000"};
  for (int i = 0; i < 3000; ++i) {
    const char separator = " ,\t"[i % 3];
    std::string year = std::to_string(static_cast<int>(next(4000)) - 1000);
    std::string rest;
    for (int m = 0; m < 12; ++m) {
      rest += separator;
      if (separator != ' ' && next(10) == 0) continue;  // an empty field
      std::string v = next(3) == 0 ? "-" : next(5) == 0 ? "+" : "";
      v += pieces[next(7)];
      if (next(2)) v += std::string(".") + pieces[next(7)];
      if (next(6) == 0) v = std::string(".") + pieces[next(4)];
      if (separator != ' ' && next(8) == 0) v = std::string(1, ' ').append(v).append(" ");
      rest += v;
    }
    CutLine plain, general;
    CutSettings c;
    ASSERT_EQ(cut_free(year + rest, c, plain), LineKind::year) << year + rest;
    std::string quoted_year = std::string(1, '"').append(year).append("\"").append(rest);
    ASSERT_EQ(cut_free(quoted_year, c, general), LineKind::year) << year + rest;
    EXPECT_EQ(plain.year, general.year);
    EXPECT_EQ(std::memcmp(plain.months.data(), general.months.data(), sizeof plain.months), 0)
        << year + rest;
  }
}

// A plain month of up to 7 digits is divided in single precision: the same
// float as the decimal rounded to double and then to float, for every
// number of decimals, at the ends of the range and at random between.
TEST(FreeLayout, ShortDecimalsRoundAsTheGeneralRule) {
  std::uint32_t state = 2024u;
  std::vector<std::string> values;
  for (const char* edge : {"0.5", "16777215", "1677721.5", "0.0000016777215", "9999999",
                           "0.0000000001", "8388609", "838860.9", "0.1", "3.3"})
    values.push_back(edge);
  for (int i = 0; i < 20000; ++i) {
    state = state * 1664525u + 1013904223u;
    std::string digits = std::to_string((state >> 4) % 16777216u);
    std::size_t point = (state >> 2) % (digits.size() + 4);
    if (point < digits.size()) digits.insert(point, 1, '.');
    else digits = std::string("0.").append(point - digits.size(), '0').append(digits);
    values.push_back(digits);
  }
  for (const std::string& value : values) {
    std::string line = "1990";
    for (int m = 0; m < 12; ++m) line.append(" ").append(value);
    CutLine out;
    ASSERT_EQ(cut_free(line, CutSettings{}, out), LineKind::year) << line;
    const float expected = static_cast<float>(std::strtod(value.c_str(), nullptr));
    EXPECT_EQ(out.months[0], expected) << value;
  }
}

}  // namespace
}  // namespace versel
