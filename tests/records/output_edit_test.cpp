// Output editing: fields of integers, reals and texts, and the records that
// a write statement builds from its format.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "record_helpers.h"
#include "records/edit_output.h"

namespace versel {
namespace {

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// One value under a one-item format: the field, without the line end.
std::string field(std::string_view format, Value v) {
  std::string out = written(format, {v});
  if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
  return out;
}

struct RealCase {
  const char* format;
  float value;
  const char* expected;
};

TEST(RealOutput, FixedPointFields) {
  const RealCase cases[] = {
      // rounding to d decimals: ties away from zero
      {"(f8.2)", 0.125f, "    0.13"},
      {"(f8.2)", -0.125f, "   -0.13"},
      {"(f5.1)", 0.25f, "  0.3"},
      {"(f5.1)", -0.25f, " -0.3"},
      {"(f5.0)", 2.5f, "   3."},
      {"(f5.0)", -2.5f, "  -3."},
      {"(f8.2)", 1.5f, "    1.50"},
      {"(f8.2)", -2.25f, "   -2.25"},
      {"(f8.3)", 9.99f, "   9.990"},
      // the 8-digit expansion decides, not the binary value itself:
      // 2.675f is 2.67499995..., whose 8 digits are 2.6750000
      {"(f8.2)", 2.675f, "    2.68"},
      {"(f8.2)", 1.005f, "    1.01"},
      {"(f5.2)", 0.045f, " 0.05"},
      {"(f5.2)", 0.005f, " 0.00"},    // 0.00499999988: 8 digits 49999999
      {"(f6.3)", 0.0005f, " 0.001"},  // 0.000500000024: 8 digits 50000002
      {"(f5.1)", 0.35f, "  0.3"},   // 0.34999999|4: below the half
      {"(f5.2)", 9.995f, " 9.99"},  // 9.9949999|9 stays below the half
      {"(f6.3)", 9.9995f, "10.000"},
      {"(f5.3)", 9.9995f, "*****"},
      // at most 7 significant digits show non-zero
      {"(f12.9)", 0.1f, " 0.100000000"},
      {"(f10.8)", 1.0f / 3.0f, "0.33333330"},
      {"(f12.2)", 123456789.0f, "123456700.00"},
      {"(f12.1)", 16777216.0f, "  16777210.0"},
      {"(f10.2)", 123456.7f, " 123456.70"},
      {"(f20.2)", 1e9f, "       1000000000.00"},
      {"(f14.2)", 1e10f, "10000000000.00"},
      {"(f20.12)", 1.1f, "      1.100000000000"},
      // zero, negative zero and values that round to zero: no sign
      {"(f8.2)", 0.0f, "    0.00"},
      {"(f8.2)", -0.0f, "    0.00"},
      {"(f8.2)", -0.001f, "    0.00"},
      {"(f8.2)", -0.004999f, "    0.00"},
      {"(f8.2)", 1e-40f, "    0.00"},
      {"(f8.0)", -0.4f, "      0."},
      // below 1: a "0" before the point only when a column is free
      {"(f5.3)", 0.5f, "0.500"},
      {"(f4.3)", 0.5f, ".500"},
      {"(f6.3)", -0.5f, "-0.500"},
      {"(f5.3)", -0.5f, "-.500"},
      {"(f4.3)", -0.5f, "****"},
      {"(f2.0)", 0.4f, "0."},
      {"(f1.0)", 0.4f, "."},
      {"(f4.2)", 0.999f, "1.00"},
      {"(f3.2)", 0.999f, "***"},
      // too wide: asterisks
      {"(f8.2)", 123456.7f, "********"},
      {"(f8.3)", -9999.0f, "********"},
      {"(f8.2)", 99999.99f, "99999.99"},
      {"(f8.2)", -99999.99f, "********"},
      {"(f3.0)", 999.5f, "***"},
      {"(f8.2)", 3.4028235e38f, "********"},
      // not a number and infinities
      {"(f8.2)", kNaN, "     NaN"},
      {"(f8.2)", kInf, "     INF"},
      {"(f8.2)", -kInf, "    -INF"},
      {"(f3.1)", kInf, "INF"},
      {"(f3.1)", -kInf, "***"},
      {"(f2.1)", kNaN, "**"},
      // plus signs under SP
      {"(sp,f6.2)", 1.5f, " +1.50"},
      {"(sp,f5.3)", 0.5f, "+.500"},
      {"(sp,f6.2)", -1.5f, " -1.50"},
      {"(sp,f8.2)", kInf, "    +INF"},
      {"(sp,ss,f6.2)", 1.5f, "  1.50"},
      {"(sp,s,f6.2)", 1.5f, "  1.50"},
  };
  for (const RealCase& c : cases)
    EXPECT_EQ(field(c.format, c.value), c.expected) << c.format << " of " << c.value;
}

TEST(RealOutput, ExponentFields) {
  const RealCase cases[] = {
      {"(e12.4)", 12345.0f, "  0.1235E+05"},
      {"(e10.3)", -0.5f, "-0.500E+00"},
      {"(e10.3)", 0.0f, " 0.000E+00"},
      {"(e10.3)", 1e-30f, " 0.100E-29"},
      {"(e9.3)", 0.5f, "0.500E+00"},
      {"(e8.3)", 0.5f, ".500E+00"},
      {"(e7.3)", 0.5f, "*******"},
      {"(e12.4e3)", 1.5f, " 0.1500E+001"},
      {"(d10.3)", 0.5f, " 0.500D+00"},
      {"(es10.3)", 12345.0f, " 1.235E+04"},
      {"(en12.3)", 12345.0f, "  12.345E+03"},
      {"(g10.3)", 1.5f, "  1.50    "},
      {"(g10.3)", 12345.0f, " 0.123E+05"},
      {"(g10.3)", 9.9996f, "  10.0    "},  // the form follows the rounded value
      {"(e10.3)", kNaN, "       NaN"},
  };
  for (const RealCase& c : cases)
    EXPECT_EQ(field(c.format, c.value), c.expected) << c.format << " of " << c.value;
}

struct IntCase {
  const char* format;
  std::int32_t value;
  const char* expected;
};

TEST(IntegerOutput, Fields) {
  const IntCase cases[] = {
      {"(i2)", 3, " 3"},
      {"(i2)", 100, "**"},
      {"(i2)", -1, "-1"},
      {"(i2)", -10, "**"},
      {"(i4)", -12, " -12"},
      {"(i4)", 0, "   0"},
      {"(i1)", 0, "0"},
      {"(i4.3)", 7, " 007"},
      {"(i4.3)", -7, "-007"},
      {"(i3.3)", -7, "***"},
      {"(i4.0)", 0, "    "},
      {"(i11)", std::numeric_limits<std::int32_t>::min(), "-2147483648"},
      {"(i10)", std::numeric_limits<std::int32_t>::min(), "**********"},
      {"(i10)", std::numeric_limits<std::int32_t>::max(), "2147483647"},
      {"(sp,i4)", 5, "  +5"},
      {"(sp,i2)", 10, "**"},
      {"(sp,i2)", 0, "+0"},
      {"(z4)", 255, "  FF"},
      {"(b8)", 5, "     101"},
      {"(o4)", 8, "  10"},
  };
  for (const IntCase& c : cases)
    EXPECT_EQ(field(c.format, c.value), c.expected) << c.format << " of " << c.value;
  // a width left out in a format held as text: I12
  EXPECT_EQ(written("(i)", {5}, FormatOrigin::held), "           5\r\n");
}

struct TextCase {
  const char* format;
  const char* value;
  const char* expected;
};

TEST(TextOutput, Fields) {
  const TextCase cases[] = {
      {"(a)", "hello", "hello"},
      {"(a)", "", ""},
      {"(a3)", "hello", "hel"},
      {"(a5)", "hello", "hello"},
      {"(a7)", "hello", "  hello"},
      {"(a)", "+1 0", "+1 0"},  // column 1 is an ordinary character
  };
  for (const TextCase& c : cases)
    EXPECT_EQ(field(c.format, c.value), c.expected) << c.format << " of \"" << c.value << "\"";
}

// A text under a numeric descriptor or a number under A cannot be edited:
// the field shows asterisks and the statement goes on.
TEST(MismatchedOutput, Asterisks) {
  EXPECT_EQ(written("(i4,i3)", {"ab", 7}), "****  7\r\n");
  EXPECT_EQ(written("(f6.2)", {"x"}), "******\r\n");
  EXPECT_EQ(written("(e10.3)", {"x"}), "**********\r\n");
  EXPECT_EQ(written("(a3,a)", {1.5f, "ok"}), "***ok\r\n");
  EXPECT_EQ(written("(a,i2)", {5, 6}), "**** 6\r\n");
}

struct RecordCase {
  const char* format;
  std::vector<Value> values;
  std::string expected;
};

std::string written_list(std::string_view format, const std::vector<Value>& values) {
  std::string out;
  std::string_view message;
  if (!write_records(translate(format, FormatOrigin::fixed), values, out, message))
    return "error: " + std::string(message);
  return out;
}

TEST(WriteStatements, Records) {
  const RecordCase cases[] = {
      {"(1x,i4,2x,i2,2000(1x,f8.2))", {1901, 1, 1.5f, -2.25f},
       " 1901   1     1.50    -2.25\r\n"},
      {"(1x,i4,2x,i2,2000(1x,f8.2))", {1901, 1}, " 1901   1\r\n"},
      // position moves after the last character add nothing
      {"(a,3x)", {"ab"}, "ab\r\n"},
      {"(a,t10)", {"ab"}, "ab\r\n"},
      {"(a,t2,3x)", {"abcdef"}, "abcdef\r\n"},
      {"(i2,1x,i2)", {5}, " 5\r\n"},
      {"(t5,a)", {"x"}, "    x\r\n"},
      {"(a,tl1,a)", {"abc", "X"}, "abX\r\n"},
      {"(a,t2,a)", {"abcd", "X"}, "aXcd\r\n"},
      {"(a,t1,a)", {"abcdef", "XY"}, "XYcdef\r\n"},
      {"(a,tr2,a)", {"ab", "c"}, "ab  c\r\n"},
      {"(tl5,a)", {"x"}, "x\r\n"},
      {"(10x,a,t3,a)", {"z", "y"}, "  y       z\r\n"},
      // "/" ends a record; an empty record is just its line end
      {"(/1x,'Program Terminated by user')", {}, "\r\n Program Terminated by user\r\n"},
      {"(t5,'before, four seasons could be created as:',//)", {},
       "    before, four seasons could be created as:\r\n\r\n\r\n"},
      {"(i2,2/i2)", {1, 2}, " 1\r\n\r\n 2\r\n"},
      {"(i2/)", {1}, " 1\r\n\r\n"},
      {"()", {}, "\r\n"},
      // "$" or a backslash: the last record gets no line end
      {"(1x,'  enter 1 2 3 or [10, 20, 30 for help]',t45,'=> ',$)", {},
       "   enter 1 2 3 or [10, 20, 30 for help]     => "},
      {"(i2,$)", {1}, " 1"},
      {"(i2,\\)", {1}, " 1"},
      {"(i2,$,/,i2)", {1, 2}, " 1\r\n 2"},
      // the walk ends at the first data item without a value, or at ":"
      {"(i2,' a',i2,' b')", {1}, " 1 a\r\n"},
      {"('x',i2)", {}, "x\r\n"},
      {"(i2,:,' tail')", {1}, " 1\r\n"},
      {"(i2,' tail',:)", {1}, " 1 tail\r\n"},
      {"(i2,:' x',i2)", {1, 2}, " 1 x 2\r\n"},
      // values left at the format's end: a new record, from the last group
      // that stands directly in the outer parentheses, with its full count
      {"(i2)", {1, 2}, " 1\r\n 2\r\n"},
      {"(2i2)", {1, 2, 3}, " 1 2\r\n 3\r\n"},
      {"(i2,(i3))", {1, 2, 3, 4}, " 1  2\r\n  3\r\n  4\r\n"},
      {"(i2,2(i3))", {1, 2, 3, 4, 5, 6}, " 1  2  3\r\n  4  5\r\n  6\r\n"},
      {"(1x,(i2,i2))", {1, 2, 3, 4, 5}, "  1 2\r\n 3 4\r\n 5\r\n"},
      {"(i1,(i2,(i3)),i4)", {1, 2, 3, 4, 5, 6, 7}, "1 2  3   4\r\n 5  6   7\r\n"},
      {"(i1,(i2),'|',(i3))", {1, 2, 3, 4}, "1 2|  3\r\n  4\r\n"},
      // values of mixed kinds
      {"(1x,a,i4,f6.1)", {"abc", 12, 1.25f}, " abc  12   1.3\r\n"},
      // a format that can never take a value
      {"('x')", {1}, "error: Error in format string"},
      // groups of nothing are passed once whatever their counts, even in a
      // record that has gone past the longest a statement may write
      {"(2(32767(32767())),i2)", {7}, " 7\r\n"},
      {"(32767(32767(3276())71x),i4)", {7, 8}, "error: Error in format string"},
  };
  for (const RecordCase& c : cases)
    EXPECT_EQ(written_list(c.format, c.values), c.expected) << c.format;
}

TEST(WriteStatements, PromptThenAnswerShareALine) {
  std::string out;
  std::string_view message;
  Format prompt = translate("(1x,'  enter 1 2 3 or [10, 20, 30 for help]',t45,'=> ',$)",
                            FormatOrigin::fixed);
  ASSERT_TRUE(write_with(prompt, {}, out, message));
  EXPECT_EQ(out.size(), 47u);
  ASSERT_TRUE(write_with(translate("(1x,a)", FormatOrigin::fixed), {"next"}, out, message));
  EXPECT_EQ(out, "   enter 1 2 3 or [10, 20, 30 for help]     =>  next\r\n");
}

TEST(WriteStatements, ArraysAndLongRecords) {
  float months[12];
  for (int m = 0; m < 12; ++m) months[m] = static_cast<float>(m) - 5.5f;
  EXPECT_EQ(written("(1x,i4,12f8.2)", {1980, reals(months)}),
            " 1980   -5.50   -4.50   -3.50   -2.50   -1.50   -0.50    0.50    1.50    2.50"
            "    3.50    4.50    5.50\r\n");
  EXPECT_EQ(written("(60a1)", {cells("0011", 1)}), "0011\r\n");

  // a matrix row of 2000 values is one record; the 2001st starts the next
  std::vector<float> row(2001, 1.5f);
  std::string out = written("(1x,i4,2x,i2,2000(1x,f8.2))",
                            {1901, 4, reals(std::span<const float>(row).first(2000))});
  ASSERT_EQ(out.size(), 1u + 4 + 2 + 2 + 2000 * 9 + 2);
  EXPECT_EQ(out.substr(0, 18), " 1901   4     1.50");
  EXPECT_EQ(out.substr(out.size() - 11), "     1.50\r\n");

  out = written("(1x,i4,2x,i2,2000(1x,f8.2))", {1901, 4, reals(row)});
  ASSERT_EQ(out.size(), 1u + 4 + 2 + 2 + 2000 * 9 + 2 + 9 + 2);
  EXPECT_EQ(out.substr(out.size() - 22), "     1.50\r\n     1.50\r\n");
}

// Fields of values edited before are copies of what editing gave: values that
// meet in the same slot of the field cache, the same value under another
// width, decimal count or sign mode, and the flag repeated through a row.
TEST(WriteStatements, RepeatedValuesEditAsTheFirstTime) {
  std::vector<float> values;
  std::uint32_t s = 2024u;
  for (int i = 0; i < 20000; ++i) {
    s = s * 1664525u + 1013904223u;
    int tenths = static_cast<int>(s >> 12) % 700 - 300;
    values.push_back(i % 5 == 0 ? -999.9f : static_cast<float>(tenths) / 10.0f);
    if (i % 97 == 0) values.back() = std::bit_cast<float>(s);  // any bits, NaN and INF included
  }
  for (std::string_view edit : {"f8.2", "f8.3", "f5.1", "f12.4"}) {
    for (bool plus : {false, true}) {
      std::string format = std::string(plus ? "(sp," : "(") + "20000" + std::string(edit) + ")";
      std::string expected;
      int w = edit[1] == '1' ? 12 : edit[1] - '0';
      int d = edit.back() - '0';
      for (float v : values) {
        char field[16];
        edit_f_out(field, w, d, v, plus);
        expected.append(field, static_cast<std::size_t>(w));
      }
      expected += "\r\n";
      EXPECT_EQ(written_list(format, {reals(values)}), expected) << format;
    }
  }
}

}  // namespace
}  // namespace versel
