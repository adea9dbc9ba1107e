// Input editing: fields cut from a line held in memory and read into
// integers, reals and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "record_helpers.h"
#include "records/units.h"

namespace versel {
namespace {

constexpr FormatOrigin kFixed = FormatOrigin::fixed;
constexpr FormatOrigin kHeld = FormatOrigin::held;
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
const float kInf = std::numeric_limits<float>::infinity();

struct IntCase {
  const char* format;
  const char* line;
  std::int32_t value;
};

TEST(IntegerInput, Fields) {
  const IntCase cases[] = {
      // the menu answers read by "(i2)"
      {"(i2)", " 3", 3},
      {"(i2)", "3", 3},
      {"(i2)", "-1", -1},
      {"(i2)", "", 0},
      {"(i2)", "  ", 0},
      {"(i2)", "100", 10},
      {"(i2)", "7 and more words", 7},
      {"(i2)", "-", 0},
      {"(i2)", "+", 0},
      {"(i2)", "+7", 7},
      // blanks and tabs: leading ones dropped, the others deleted
      {"(i4)", "1 2 ", 12},
      {"(i4)", " 1 2", 12},
      {"(i4)", "\t-12", -12},
      {"(i4)", "- 12", -12},
      {"(i6)", "1\t2 3 ", 123},
      // blanks as zeros after BZ; until then they are ignored
      {"(bz,i4)", "1 2 ", 1020},
      {"(bz,i4)", "  12", 12},
      {"(bz,i4)", " -1 ", -10},
      {"(i2,bz,i2)", "1 1 ", 110},  // the first field still ignores its blank
      {"(bz,bn,i4)", "1 2 ", 12},
      // the 32-bit range: values beyond it are held at its ends
      {"(i11)", "2147483647", kMax32},
      {"(i11)", "-2147483648", kMin32},
      {"(i11)", "2147483648", kMax32},
      {"(i12)", "-2147483649", kMin32},
      {"(i40)", "999999999999999999999999999999", kMax32},
      {"(i40)", "-999999999999999999999999999999", kMin32},
      // other bases
      {"(b4)", "1011", 11},
      {"(o3)", "777", 511},
      {"(z4)", "  ff", 255},
      {"(z4)", "-7A", -122},
      // left-out width in a format held as text: I12
      {"(i)", "123456789   99", 123456789},
      {"(i)", "123456789012345", kMax32},
  };
  for (const IntCase& c : cases) {
    // the (i2,bz,i2) case reads into two destinations, added as one number
    std::int32_t v = -77;
    std::int32_t second = 0;
    Failure fail;
    Format f = translate(c.format, kHeld);
    IoStatus st = std::string_view(c.format) == "(i2,bz,i2)"
                      ? read_with(internal(c.line), f, {to(v), to(second)}, fail)
                      : read_with(internal(c.line), f, {to(v)}, fail);
    if (std::string_view(c.format) == "(i2,bz,i2)") v = v * 100 + second;
    EXPECT_EQ(st, IoStatus::ok) << c.format << " on \"" << c.line << "\": " << fail.message;
    EXPECT_EQ(v, c.value) << c.format << " on \"" << c.line << "\"";
  }
}

struct BadCase {
  const char* format;
  const char* line;
};

TEST(NumericInput, CharactersNotAllowed) {
  const BadCase cases[] = {
      {"(i2)", "x1"},
      {"(i2)", "1x"},
      {"(i3)", "1-2"},
      {"(i3)", "1.5"},
      {"(i4)", "12e3"},
      {"(i4)", "+-1"},
      {"(b2)", "12"},
      {"(o2)", "8"},
      {"(z2)", "g1"},
      {"(f5.2)", "abc"},
      {"(f5.2)", "1.5x"},
      {"(f5.2)", "1,5x"},  // the field is "1"; the next one is never read
      {"(f)", "abc"},
      {"(f8.2)", "12 kg"},
      {"(e10.2)", "1.0f+3"},
      {"(1x,i4,12f5.2)", "ar27 lat     36.00 -94.00   nh4  milligrams/liter"},
      {"(13x,i3,2x,i3,8x,i4,2x,i4)", "  4001 ELKO  lat  40 long 115"},
  };
  for (const BadCase& c : cases) {
    std::int32_t year = 0;
    float values[12] = {};
    Failure fail;
    Format f = translate(c.format, kFixed);
    ASSERT_EQ(f.error, "") << c.format;
    IoStatus st;
    if (std::string_view(c.format) == "(f5.2)" && std::string_view(c.line) == "1,5x") {
      st = read_with(internal(c.line), translate("(f5.2,f5.2)", kFixed),
                     {to(values[0]), to(values[1])}, fail);
    } else if (f.items[0].kind == ItemKind::F || f.items[0].kind == ItemKind::E) {
      st = read_with(internal(c.line), f, {to(values[0])}, fail);
    } else {
      st = read_with(internal(c.line), f, {to(year), to(std::span<float>(values))}, fail);
    }
    EXPECT_EQ(st, IoStatus::error) << c.format << " on \"" << c.line << "\"";
    EXPECT_EQ(fail.message, "Illegal character in numeric input") << c.format;
    EXPECT_EQ(fail.statement, "READ");
    EXPECT_EQ(fail.unit.kind, UnitKind::internal);
  }
}

struct RealCase {
  const char* format;
  FormatOrigin origin;
  const char* line;
  float value;
};

TEST(RealInput, Fields) {
  const RealCase cases[] = {
      // implied decimals; a typed point wins
      {"(f5.2)", kFixed, "  123", 1.23f},
      {"(f5.2)", kFixed, "  1.5", 1.5f},
      {"(f5.2)", kFixed, " 1 23", 1.23f},
      {"(f5.2)", kFixed, "    5", 0.05f},
      {"(f5.2)", kFixed, "  005", 0.05f},
      {"(f5.2)", kFixed, "-1.5,", -1.5f},
      {"(f5.2)", kFixed, "  -12", -0.12f},
      {"(f5.2)", kFixed, "   .5", 0.5f},
      {"(f5.2)", kFixed, "  15.", 15.0f},
      {"(f5.0)", kFixed, "  123", 123.0f},
      {"(f7.3)", kFixed, " 12.345", 12.345f},
      {"(f8.3)", kFixed, "  -12345", -12.345f},
      // exponents: E or D in either case, or a sign followed by digits;
      // implied decimals apply to the digits before the exponent
      {"(f5.2)", kFixed, "1.5-3", 0.0015f},
      {"(f6.2)", kFixed, "1.5e+2", 150.0f},
      {"(f6.2)", kFixed, "123E2", 123.0f},
      {"(f6.2)", kFixed, "  15+1", 1.5f},
      {"(f6.0)", kFixed, "1.5d1", 15.0f},
      {"(f6.0)", kFixed, "1.5D-1", 0.15f},
      {"(f7.0)", kFixed, "1.5 e 2", 150.0f},
      {"(e15.6)", kFixed, "  1.234567e+03", 1234.567f},
      {"(e15.6)", kFixed, "  .1234567E+04 ", 1234.567f},
      {"(e12.3)", kFixed, "     1234567", 1234.567f},
      {"(d12.3)", kFixed, "   1.5D+000", 1.5f},
      {"(g10.3)", kFixed, "    -2.5e1", -25.0f},
      {"(es10.2)", kFixed, "    12345", 123.45f},
      // what follows a complete number is ignored
      {"(f5.2)", kFixed, "1.2.3", 1.2f},
      {"(f6.2)", kFixed, "1.5q3", 1.5f},
      {"(f6.2)", kFixed, "1.5e", 1.5f},
      {"(f6.2)", kFixed, "1.5e-", 1.5f},
      {"(f6.2)", kFixed, "1.5++3", 1.5f},
      // empty fields and a lone sign read as zero
      {"(f5.2)", kFixed, "", 0.0f},
      {"(f5.2)", kFixed, "     ", 0.0f},
      {"(f5.2)", kFixed, "   - ", 0.0f},
      {"(f5.2)", kFixed, "+", 0.0f},
      {"(f5.2)", kFixed, ".", 0.0f},
      // blanks as zeros
      {"(bz,f5.2)", kFixed, " 1 5 ", 10.5f},
      {"(bz,f5.1)", kFixed, "1.5  ", 1.5f},
      {"(bz,f5.0)", kFixed, "1 e 1", 100.0f},
      // scale factor: divides a field without exponent
      {"(2p,f5.0)", kFixed, "  123", 1.23f},
      {"(-2p,f5.0)", kFixed, "  123", 12300.0f},
      {"(2p,f5.0)", kFixed, " -1.5", -0.015f},
      {"(2p,f6.0)", kFixed, "1.5e2", 150.0f},
      {"(2p,f6.0)", kFixed, "1.5-1", 0.15f},
      {"(2p,f6.2)", kFixed, "   123", 0.0123f},
      {"(2p,0p,f5.0)", kFixed, "  123", 123.0f},
      // exponents beyond the 32-bit range: infinity, or zero for tiny values
      {"(e10.2)", kFixed, "1.0e39", kInf},
      {"(e10.2)", kFixed, "-1.0e39", -kInf},
      {"(e10.2)", kFixed, "1e400", kInf},
      {"(e10.2)", kFixed, "1e99999999", kInf},
      {"(e10.2)", kFixed, "1.0e-50", 0.0f},
      {"(e10.2)", kFixed, "1e-99999", 0.0f},
      {"(e12.2)", kFixed, "3.4028235e38", 3.4028235e38f},
      {"(e12.2)", kFixed, "1.401298e-45", 1.401298e-45f},
      // infinity and not-a-number
      {"(f5.2)", kFixed, "inf", kInf},
      {"(f5.2)", kFixed, " -Inf", -kInf},
      {"(f8.2)", kFixed, "Infinity", kInf},
      {"(bz,f5.2)", kFixed, "+ I n", kInf},
      // free width of the program's "(f)": 15 characters, a comma or the
      // line end, whichever comes first, and no implied decimals
      {"(f)", kFixed, "-99.99", -99.99f},
      {"(f)", kFixed, "0.0", 0.0f},
      {"(f)", kFixed, "-999", -999.0f},
      {"(f)", kFixed, "  -999  ", -999.0f},
      {"(f)", kFixed, "1.5,2", 1.5f},
      {"(f)", kFixed, "12345678901234567890", 123456789012345.0f},
      // a left-out width in a format held as text is F15.6
      {"(f)", kHeld, "123", 0.000123f},
      {"(f)", kHeld, "1.5", 1.5f},
  };
  for (const RealCase& c : cases) {
    float v = -77.0f;
    Failure fail;
    IoStatus st = read_with(internal(c.line), translate(c.format, c.origin), {to(v)}, fail);
    EXPECT_EQ(st, IoStatus::ok) << c.format << " on \"" << c.line << "\": " << fail.message;
    EXPECT_EQ(v, c.value) << c.format << " on \"" << c.line << "\"";
    if (c.value != 0.0f) {
      EXPECT_EQ(std::signbit(v), std::signbit(c.value)) << c.format << " on \"" << c.line << "\"";
    }
  }

  const char* nans[] = {"nan", "  NaN", "-nan", "n"};
  for (const char* line : nans) {
    float v = 0.0f;
    Failure fail;
    EXPECT_EQ(read_with(internal(line), translate("(f5.2)", kFixed), {to(v)}, fail), IoStatus::ok);
    EXPECT_TRUE(std::isnan(v)) << line;
  }
}

// The destination is filled by text, whatever field reads it; a text field
// gives no number.
TEST(MismatchedInput, TextAndNumbers) {
  char text[6];
  Failure fail;
  ASSERT_EQ(read_with(internal("1990ab"), translate("(i4)", kHeld), {to(std::span(text))}, fail),
            IoStatus::ok);
  EXPECT_EQ(std::string(text, 6), "1990  ");
  ASSERT_EQ(read_with(internal("x.y,z7"), translate("(f6.2)", kHeld), {to(std::span(text))}, fail),
            IoStatus::ok);
  EXPECT_EQ(std::string(text, 6), "x.y   ");

  std::int32_t i = 5;
  float r = 5.0f;
  ASSERT_EQ(read_with(internal("abcdefgh"), translate("(a4,a4)", kHeld), {to(i), to(r)}, fail),
            IoStatus::ok);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(r, 0.0f);
  ASSERT_EQ(read_with(internal("abcd  42"), translate("(a12,i4)", kHeld), {to(i), to(r)}, fail),
            IoStatus::ok);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(r, 0.0f);  // the A field took the whole line
}

struct TextCase {
  const char* format;
  const char* line;
  std::size_t length;
  std::string expected;
};

TEST(TextInput, Fields) {
  std::string line80;
  for (int c = 1; c <= 80; ++c) line80 += static_cast<char>('0' + c % 10);
  const TextCase cases[] = {
      {"(a)", "hello", 10, "hello     "},
      {"(a)", "a much longer line", 6, "a much"},
      {"(a)", "1,2, 3", 6, "1,2, 3"},  // a comma is an ordinary character
      {"(a)", "", 4, "    "},
      {"(a3)", "hello", 5, "hel  "},
      {"(a5)", "hello", 5, "hello"},
      {"(a8)", "abcdefgh", 5, "defgh"},  // the rightmost characters
      {"(a8)", "abcdef", 5, "def  "},    // of the field padded with blanks
      {"(a8)", "abc", 5, "     "},
      {"(a1)", "yes", 1, "y"},
      {"(3x,a2)", "abcdef", 4, "de  "},
      {"(40x,a14)", line80.c_str(), 30, line80.substr(40, 14) + std::string(16, ' ')},
      {"(40x,a14)", "too short", 30, std::string(30, ' ')},
  };
  for (const TextCase& c : cases) {
    std::vector<char> text(c.length, '#');
    Failure fail;
    IoStatus st = read_with(internal(c.line), translate(c.format, kFixed), {to(std::span(text))}, fail);
    EXPECT_EQ(st, IoStatus::ok) << c.format;
    EXPECT_EQ(std::string(text.begin(), text.end()), c.expected) << c.format << " on \"" << c.line << "\"";
  }

  // "(60a1)": one character per cell, blanks beyond the line
  char mask[60];
  Failure fail;
  ASSERT_EQ(read_with(internal("0001113"), translate("(60a1)", kFixed),
                      {to_cells(std::span(mask), 1)}, fail),
            IoStatus::ok);
  EXPECT_EQ(std::string(mask, 60), "0001113" + std::string(53, ' '));
}

TEST(LogicalInput, Fields) {
  struct Case {
    const char* line;
    std::int32_t value;
  };
  const Case cases[] = {{" t", 1}, {"T", 1}, {".F", 0}, {"f", 0}, {"  ", 0}, {".true", 1}};
  for (const Case& c : cases) {
    std::int32_t v = -1;
    Failure fail;
    std::string_view format = std::string_view(c.line).size() > 2 ? "(l6)" : "(l2)";
    EXPECT_EQ(read_with(internal(c.line), translate(format, kFixed), {to(v)}, fail), IoStatus::ok);
    EXPECT_EQ(v, c.value) << c.line;
  }
  std::int32_t v = 0;
  Failure fail;
  EXPECT_EQ(read_with(internal("x"), translate("(l1)", kFixed), {to(v)}, fail), IoStatus::error);
}

// A data format walked against one line: the year and twelve values.
struct LineCase {
  const char* format;
  const char* line;
  IoStatus status;
  std::int32_t year;
  std::vector<float> values;  // the first ones stored; the others up to `filled` are 0
  std::size_t filled = 12;    // values the read reached
};

TEST(DataLines, YearAndTwelveValues) {
  const std::string blank_line(66, ' ');
  const LineCase cases[] = {
      {"(1x,i4,12f5.2)",
       " 1980 0.47 0.12 1.50 2.25-1.00 0.00 9.99 3.33 4.44 5.55 6.66 7.77", IoStatus::ok, 1980,
       {0.47f, 0.12f, 1.5f, 2.25f, -1.0f, 0.0f, 9.99f, 3.33f, 4.44f, 5.55f, 6.66f, 7.77f}},
      {"(1x,i4,12f5.2)", blank_line.c_str(), IoStatus::ok, 0, {}},
      {"(1x,i4,12f5.2)", "", IoStatus::ok, 0, {}},
      {"(i4,12f7.3)", "1980  1.000  2.000  3.000", IoStatus::ok, 1980, {1.0f, 2.0f, 3.0f}},
      // a comma ends a numeric field and is consumed
      {"(i4,12f5.2)", "1990,1.5,2.25", IoStatus::ok, 1990, {0.0f, 1.5f, 2.25f}},
      {"(i4,12f5.2)", "12,3,4.5,", IoStatus::ok, 12, {0.03f, 4.5f}},
      {"(i4,12f5.2)", "1990  1231.5-1-2.5,", IoStatus::ok, 1990, {1.23f, 0.15f, -2.5f}},
      // a typed format that asks the one-line buffer for a second record
      {"(i4,6f5.1)", "1990  1.0  2.0  3.0  4.0  5.0  6.0", IoStatus::end, 1990,
       {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f}, 6},
      {"(i4,12f5.1/)", "1990  1.0", IoStatus::end, 1990, {1.0f}, 12},
      {"(i4/12f5.1)", "1990  1.0", IoStatus::end, 1990, {}, 0},
      // position items; a position beyond the line stays at its end
      {"(t5,i2,tl4,f2.0)", "ab3412", IoStatus::end, 12, {34.0f}, 1},
      {"(5x,tl3,i2,tr1,f2.0)", "ab12c34", IoStatus::end, 12, {34.0f}, 1},
      {"(t60,i2,tl70,f4.0)", "12345", IoStatus::end, 0, {1234.0f}, 1},
      {"(80x,i2,12f5.2)", "1990", IoStatus::ok, 0, {}},
      // a quoted text skips its length
      {"('abc',i2,2hxy,f2.0)", "zzz12..34", IoStatus::end, 12, {34.0f}, 1},
      // a group repeated as its count says, then the walk goes on
      {"(i2,2(1x,f1.0),f3.0)", "19 1 2 33", IoStatus::end, 19, {1.0f, 2.0f, 33.0f}, 3},
  };
  for (const LineCase& c : cases) {
    std::int32_t year = -1;
    float values[12];
    std::fill(std::begin(values), std::end(values), -1.0f);
    Failure fail;
    IoStatus st = read_with(internal(c.line), translate(c.format, kHeld),
                            {to(year), to(std::span<float>(values))}, fail);
    EXPECT_EQ(st, c.status) << c.format << " on \"" << c.line << "\": " << fail.message;
    EXPECT_EQ(year, c.year) << c.format << " on \"" << c.line << "\"";
    for (std::size_t m = 0; m < 12; ++m) {
      float want = m < c.values.size() ? c.values[m] : m < c.filled ? 0.0f : -1.0f;
      EXPECT_EQ(values[m], want) << c.format << " on \"" << c.line << "\", value " << m + 1;
    }
  }
}

TEST(DataLines, FormatsThatNeverEnd) {
  // a format without a data item cannot fill a destination
  std::int32_t v = 0;
  Failure fail;
  EXPECT_EQ(read_with(internal("12"), translate("(1x)", kHeld), {to(v)}, fail), IoStatus::error);
  EXPECT_EQ(fail.message, "Error in format string");
  // a control-only group with a huge count does not spin
  EXPECT_EQ(read_with(internal("12 34"), translate("(i2,32767(32767(tr0)),i3)", kHeld),
                      {to(v), to(v)}, fail),
            IoStatus::ok);
  EXPECT_EQ(v, 34);
  // nor do nested groups of nothing
  EXPECT_EQ(read_with(internal("56"), translate("(32767(32767(32767())),i2)", kHeld), {to(v)},
                      fail),
            IoStatus::ok);
  EXPECT_EQ(v, 56);
}

struct EditLineCase {
  const char* raw;
  const char* record;
};

TEST(LineEditing, CarriageReturnsAndTabs) {
  const EditLineCase cases[] = {
      {"12\r", "12"},
      {"1\r2\r\r", "12"},
      {"ab\tc", "ab      c"},  // a tab in column 3: the next character in column 9
      {"\tx", "        x"},
      {"abcdefgh\tx", "abcdefgh        x"},
      {"abcdefg\tx", "abcdefg x"},
      {"a\t\tb", "a               b"},
      {"a\r\tb", "a       b"},  // the CR is dropped before the tab is placed
      {"", ""},
  };
  for (const EditLineCase& c : cases) {
    std::string out = "stale";
    edit_line(c.raw, out);
    EXPECT_EQ(out, c.record) << c.raw;
  }
}

}  // namespace
}  // namespace versel
