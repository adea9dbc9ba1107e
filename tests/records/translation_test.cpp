// Translation of format texts: the items a valid text yields, the exact
// message of every rejected text, and the group depth that only the walk
// can find.
#include <gtest/gtest.h>

#include <string>

#include "records/format.h"
#include "records/statements.h"
#include "record_helpers.h"

namespace versel {
namespace {

// The items of a translated format in a short notation, one word per item:
// "(1x,i4,12f5.2)" reads "1X I4 12F5.2".
std::string describe(const Format& f) {
  std::string s;
  auto put = [&s](std::string_view before, std::int32_t v, std::string_view after) {
    s.append(before);
    s.append(std::to_string(v));
    s.append(after);
  };
  for (const FormatItem& it : f.items) {
    if (!s.empty()) s += ' ';
    bool repeatable = is_data_item(it.kind) || it.kind == ItemKind::slash ||
                      it.kind == ItemKind::open;
    if (repeatable && it.repeat != 1) put("", it.repeat, "");
    switch (it.kind) {
      case ItemKind::I: s += 'I'; break;
      case ItemKind::B: s += 'B'; break;
      case ItemKind::O: s += 'O'; break;
      case ItemKind::Z: s += 'Z'; break;
      case ItemKind::F: s += 'F'; break;
      case ItemKind::E: s += 'E'; break;
      case ItemKind::EN: s += "EN"; break;
      case ItemKind::ES: s += "ES"; break;
      case ItemKind::D: s += 'D'; break;
      case ItemKind::G: s += 'G'; break;
      case ItemKind::L: s += 'L'; break;
      case ItemKind::A: s += 'A'; break;
      case ItemKind::Q: s += 'Q'; break;
      case ItemKind::text:
        s += '\'';
        s.append(f.texts, static_cast<std::size_t>(it.text_pos),
                 static_cast<std::size_t>(it.text_len));
        s += '\'';
        continue;
      case ItemKind::X: put("", it.w, "X"); continue;
      case ItemKind::T: put("T", it.w, ""); continue;
      case ItemKind::TL: put("TL", it.w, ""); continue;
      case ItemKind::TR: put("TR", it.w, ""); continue;
      case ItemKind::slash: s += '/'; continue;
      case ItemKind::colon: s += ':'; continue;
      case ItemKind::dollar: s += '$'; continue;
      case ItemKind::BN: s += "BN"; continue;
      case ItemKind::BZ: s += "BZ"; continue;
      case ItemKind::S: s += "S"; continue;
      case ItemKind::SS: s += "SS"; continue;
      case ItemKind::SP: s += "SP"; continue;
      case ItemKind::P: put("", it.w, "P"); continue;
      case ItemKind::open: s += '('; continue;
      case ItemKind::close: s += ')'; continue;
    }
    // a data item: its width, decimals or minimum digits, exponent digits
    if (it.w != kAbsent) put("", it.w, "");
    if (it.d != kAbsent) put(".", it.d, "");
    bool exponent_kind = it.kind == ItemKind::E || it.kind == ItemKind::EN ||
                         it.kind == ItemKind::ES || it.kind == ItemKind::D ||
                         it.kind == ItemKind::G;
    if (exponent_kind && it.e != kAbsent) put("E", it.e, "");
  }
  return s;
}

struct ValidCase {
  const char* text;
  FormatOrigin origin;
  const char* items;
};

TEST(Translation, ValidFormatsAndTheirItems) {
  constexpr FormatOrigin fixed = FormatOrigin::fixed;
  constexpr FormatOrigin held = FormatOrigin::held;
  const ValidCase cases[] = {
      {"(1x,i4,12f5.2)", fixed, "1X I4 12F5.2"},
      // letters in either case, blanks anywhere, inside numbers too
      {"(I4,12F5.1)", held, "I4 12F5.1"},
      {" ( i 4 , 1 2 f 5 . 1 ) ", held, "I4 12F5.1"},
      {"(i4,12f5.1)  followed by words", held, "I4 12F5.1"},
      {"(i4)junk)", held, "I4"},
      {"(i4,12f5.1)                   ", held, "I4 12F5.1"},
      // commas between items may be left out
      {"(1x'->',$)", fixed, "1X '->' $"},
      {"(1x,a,t45'=> '$)", fixed, "1X A T45 '=> ' $"},
      {"(3HPI=/F9.7)", fixed, "'PI=' / F9.7"},
      {"(5H a,b )", fixed, "' a,b '"},
      {"('it''s',\"say \"\"x\"\"\")", fixed, "'it's' 'say \"x\"'"},
      {"('a\"b',\"c'd\")", fixed, "'a\"b' 'c'd'"},
      {"('')", fixed, "''"},
      {"()", fixed, ""},
      // groups, repeat counts and the "/" count
      {"(2(i3,f5.1),a)", fixed, "2( I3 F5.1 ) A"},
      {"(i2,3(1x,2(i1)))", fixed, "I2 3( 1X 2( I1 ) )"},
      {"(2/,3/)", fixed, "2/ 3/"},
      {"(/1x,'Program Terminated by user')", fixed, "/ 1X 'Program Terminated by user'"},
      {"(t5,'seasons:',//)", fixed, "T5 'seasons:' / /"},
      // every letter of the notation
      {"(i4.3,b8,o3.2,z4)", fixed, "I4.3 B8 O3.2 Z4"},
      {"(e12.4,e12.4e3,es10.2,en10.2,d15.6,g10.3,g10.3e1)", fixed,
       "E12.4 E12.4E3 ES10.2 EN10.2 D15.6 G10.3 G10.3E1"},
      {"(l1,l,a,a30,q)", fixed, "L1 L2 A A30 Q"},
      {"(x,3x,t45,tl3,tr2)", fixed, "1X 3X T45 TL3 TR2"},
      {"(bn,bz,s,ss,sp,:,$,\\)", fixed, "BN BZ S SS SP : $ $"},
      {"(-2p,f5.2,0p,3pf5.0,+1p)", fixed, "-2P F5.2 0P 3P F5.0 1P"},
      // a left-out width: I12, L2; F, E, D, G read in free width in the
      // program's own formats and as F15.6 in formats held as text
      {"(i)", held, "I12"},
      {"(f)", fixed, "F15.0"},
      {"(f)", held, "F15.6"},
      {"(e,d,g)", held, "E15.6E2 D15.6E2 G15.6E2"},
      // the limits
      {"(32767i127)", fixed, "32767I127"},
      {"(f127.127,i127.127,e127.127e127,l127)", fixed, "F127.127 I127.127 E127.127E127 L127"},
      {"(a32767,32767x,t32767,tl32767,tr32767)", fixed, "A32767 32767X T32767 TL32767 TR32767"},
      {"(32767(i1))", fixed, "32767( I1 )"},
      {"(-127p,127p)", fixed, "-127P 127P"},
  };
  for (const ValidCase& c : cases) {
    Format f = translate(c.text, c.origin);
    EXPECT_EQ(f.error, "") << c.text;
    EXPECT_EQ(describe(f), c.items) << c.text;
  }
}

struct ErrorCase {
  const char* text;
  std::string_view message;
};

TEST(Translation, RejectedTextsAndTheirMessages) {
  const ErrorCase cases[] = {
      {"", kMsgMissingOpen},
      {"     ", kMsgMissingOpen},
      {"i4,12f5.1", kMsgMissingOpen},
      {")", kMsgMissingOpen},
      {"x(i4)", kMsgMissingOpen},

      {"(i4,12f5.1", kMsgUnmatchedParens},
      {"(", kMsgUnmatchedParens},
      {"(i4,(f5.1)", kMsgUnmatchedParens},
      {"(i4,12f5.1,  ", kMsgUnmatchedParens},
      {"(4Habc)", kMsgUnmatchedParens},  // the H text takes the ")"

      {"('abc)", kMsgUnmatchedQuotes},
      {"(\"abc')", kMsgUnmatchedQuotes},
      {"('it''s)", kMsgUnmatchedQuotes},

      {"(5Habc)", kMsgHollerith},
      {"(40Hshort)", kMsgHollerith},

      {"(1x,i4,12f*)", kMsgFormatError},
      {"(13x.f3.1,13x,f4.1)", kMsgFormatError},
      {"(i4,12f5)", kMsgFormatError},
      {"(f5)", kMsgFormatError},
      {"(e10)", kMsgFormatError},
      {"(d10)", kMsgFormatError},
      {"(g10)", kMsgFormatError},
      {"(f5.)", kMsgFormatError},
      {"(f5.-2)", kMsgFormatError},
      {"(i-4)", kMsgFormatError},
      {"(i4.)", kMsgFormatError},
      {"(t)", kMsgFormatError},
      {"(tl)", kMsgFormatError},
      {"(tr,i2)", kMsgFormatError},
      {"(t-5)", kMsgFormatError},
      {"(l0)", kMsgFormatError},
      {"(p)", kMsgFormatError},
      {"(0h)", kMsgFormatError},
      {"(h)", kMsgFormatError},
      {"(.)", kMsgFormatError},
      {"(*)", kMsgFormatError},
      {"(k5)", kMsgFormatError},
      {"(i4;f5.1)", kMsgFormatError},
      {"(i4,,f5.1)", kMsgFormatError},
      // widths, decimals, minimum digits and exponent digits above 127
      {"(i128)", kMsgFormatError},
      {"(i4.128)", kMsgFormatError},
      {"(f128.2)", kMsgFormatError},
      {"(f10.128)", kMsgFormatError},
      {"(e10.2e128)", kMsgFormatError},
      {"(l128)", kMsgFormatError},
      {"(b128)", kMsgFormatError},
      {"(i99999999999999999999)", kMsgFormatError},
      // A widths and tab counts above 32767
      {"(a32768)", kMsgFormatError},
      {"(t32768)", kMsgFormatError},
      {"(tr32768)", kMsgFormatError},
      {"(128p)", kMsgFormatError},

      {"(0i4)", kMsgRepeatCount},
      {"(32768i4)", kMsgRepeatCount},
      {"(-2i4)", kMsgRepeatCount},
      {"(0(i4))", kMsgRepeatCount},
      {"(32768x)", kMsgRepeatCount},
      {"(0/)", kMsgRepeatCount},
      {"(2)", kMsgRepeatCount},
      {"(i4,2)", kMsgRepeatCount},
      {"((i4)3)", kMsgRepeatCount},
      {"(2bn,i4)", kMsgRepeatCount},
      {"(2bz,i4)", kMsgRepeatCount},

      {"(2'ab')", kMsgNonRepeatable},
      {"(2\"ab\")", kMsgNonRepeatable},
      {"(2$)", kMsgNonRepeatable},
      {"(2\\)", kMsgNonRepeatable},
      {"(i4,2:)", kMsgNonRepeatable},
      {"(2s,i4)", kMsgNonRepeatable},
      {"(2ss,i4)", kMsgNonRepeatable},
      {"(2sp,i4)", kMsgNonRepeatable},
      {"(2t5)", kMsgNonRepeatable},
      {"(2tl5)", kMsgNonRepeatable},
      {"(2tr5)", kMsgNonRepeatable},
  };
  for (const ErrorCase& c : cases) {
    Format f = translate(c.text, FormatOrigin::held);
    EXPECT_EQ(f.error, c.message) << c.text;
  }
}

// A nest of `levels` groups inside the outer parentheses around one I2.
std::string nested(int levels) {
  std::string s = "(";
  s.append(static_cast<std::size_t>(levels), '(');
  s.append("i2");
  s.append(static_cast<std::size_t>(levels), ')');
  s.append(")");
  return s;
}

TEST(Translation, GroupDepthIsFoundByTheWalk) {
  for (int levels : {1, 19, 20}) {
    Format f = translate(nested(levels), FormatOrigin::held);
    ASSERT_EQ(f.error, "") << levels;

    std::string out;
    std::string_view message;
    EXPECT_TRUE(write_with(f, {Value(7), Value(8)}, out, message)) << levels;
    EXPECT_EQ(out, " 7\r\n 8\r\n") << levels;

    std::int32_t v = 0;
    Failure fail;
    EXPECT_EQ(read_with(internal("42"), f, {to(v)}, fail), IoStatus::ok) << levels;
    EXPECT_EQ(v, 42) << levels;
  }

  // 21 levels translate, but no walk can hold them
  Format f = translate(nested(21), FormatOrigin::held);
  ASSERT_EQ(f.error, "");
  std::string out;
  std::string_view message;
  EXPECT_FALSE(write_with(f, {Value(7)}, out, message));
  EXPECT_EQ(message, kMsgGroupOverflow);

  std::int32_t v = 0;
  Failure fail;
  EXPECT_EQ(read_with(internal("42"), f, {to(v)}, fail), IoStatus::error);
  EXPECT_EQ(fail.message, kMsgGroupOverflow);
  EXPECT_EQ(fail.statement, "READ");
}

TEST(Translation, FaultyFormatFailsTheStatementThatUsesIt) {
  Format f = translate("(i4,12f5.1", FormatOrigin::held);
  std::int32_t v = 5;
  Failure fail;
  EXPECT_EQ(read_with(internal("1990"), f, {to(v)}, fail), IoStatus::error);
  EXPECT_EQ(fail.message, kMsgUnmatchedParens);
  EXPECT_EQ(v, 5);

  std::string out = "kept";
  std::string_view message;
  EXPECT_FALSE(write_with(f, {Value(1)}, out, message));
  EXPECT_EQ(message, kMsgUnmatchedParens);
}

}  // namespace
}  // namespace versel
