// Year lines: the rule for fields without a digit, the plans of fixed
// columns that data formats get, and the read by the plan against the general
// walk over many random formats and lines.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "records/io.h"
#include "records/year_line.h"

namespace versel {
namespace {

constexpr float F = -999.9f;  // the flag of the cases below

struct Read {
  bool year_line = false;
  std::int32_t year = 0;
  std::array<float, 12> months{};
};

Read read_cached(const std::string& format, const std::string& line, float flag = F) {
  Read r;
  r.year_line = read_year_record(format, line, flag, r.year, r.months);
  return r;
}

Read read_walked(const Format& format, const std::string& line, float flag = F) {
  Read r;
  r.year_line = walk_year_line(format, line, flag, r.year, r.months);
  return r;
}

std::array<float, 12> months_of(std::vector<float> first) {
  std::array<float, 12> m;
  m.fill(F);
  for (std::size_t i = 0; i < first.size(); ++i) m[i] = first[i];
  return m;
}

bool same_bits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

std::string show(const Read& r) {
  if (!r.year_line) return "no year line";
  std::string s = std::to_string(r.year) + ":";
  for (float v : r.months) {
    s += ' ';
    s += v == F ? std::string("F") : std::to_string(v);
  }
  return s;
}

TEST(YearLineRule, FieldsWithoutADigitAreMissing) {
  struct Case {
    const char* format;
    const char* line;
    std::int32_t year;
    std::vector<float> months;  // the rest are the flag
  };
  const Case cases[] = {
      // "-", blanks, a short line: the months past its end are missing too
      {"(1x,i4,12f5.1)", " 1931   53    -  123", 1931, {5.3f, F, 12.3f}},
      {"(1x,i4,12f5.1)", " 1931", 1931, {}},
      {"(1x,i4,12f5.1)", " 1931  1", 1931, {0.1f}},
      // a sign, a point, both, an exponent letter: no digit, no value
      {"(1x,i4,12f5.1)", " 1931    +    .   -.  - -    E    1", 1931, {F, F, F, F, F, 0.1f}},
      // digits make real zeros, the sign of -0 kept
      {"(1x,i4,12f5.1)", " 1931    0  0.0   -0  -.0   00", 1931, {0.0f, 0.0f, -0.0f, -0.0f, 0.0f}},
      // infinity and NaN are values
      {"(1x,i4,12f5.1)", " 1980  Inf -INF", 1980, {INFINITY, -INFINITY}},
      // a comma ends a field: the one after 1990 is empty
      {"(i4,12f5.2)", "1990,1.5,2.25", 1990, {F, 1.5f, 2.25f}},
      // blanks as zeros still hold no digit when a field is all blanks
      {"(bz,1x,i4,12f5.1)", " 1931    1       1 1", 1931, {0.1f, F, 10.1f}},
      {"(i4,12i5)", "1990    7    -   -0", 1990, {7.0f, F, 0.0f}},
      {"(f4.0,12f5.1)", "1931  1.5", 1931, {1.5f}},
      {"(6x,i4,12f7.2)", "WYDIV81990  41.10       -", 1990, {41.1f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " on \"" + c.line + "\"");
    Read r = read_cached(c.format, c.line);
    ASSERT_TRUE(r.year_line);
    EXPECT_EQ(r.year, c.year);
    std::array<float, 12> want = months_of(c.months);
    for (std::size_t m = 0; m < 12; ++m)
      EXPECT_TRUE(same_bits(r.months[m], want[m])) << "month " << m + 1 << ": " << show(r);
  }
}

TEST(YearLineRule, LinesThatAreNoYearLines) {
  const std::pair<const char*, const char*> cases[] = {
      {"(6x,i4,12f7.2)", "WYDIV8       41.10-104.80"},  // blank year field
      {"(1x,i4,12f5.1)", "  -    1.0  2.0"},              // a sign alone
      {"(1x,i4,12f5.1)", ""},
      {"(1x,i4,12f5.1)", " 1931  abc"},                   // letters still fail
      {"(1x,i4,12f5.1)", "station one  35.00 -94.00"},
      {"(i4,12i5)", "1990  1.5"},                         // a point in an I field
      {"(i4,6f5.1)", "1990  1.0"},                        // a further record asked for
      {"(i4,12f5.1", "1990  1.0"},                        // a format that does not translate
  };
  for (auto [format, line] : cases)
    EXPECT_FALSE(read_cached(format, line).year_line) << format << " on \"" << line << "\"";
  // a line of no characters at all, not even an address
  std::int32_t year = 0;
  std::array<float, 12> months{};
  EXPECT_FALSE(read_year_record("(1x,i4,12f5.1)", std::string_view(), F, year, months));
}

TEST(YearLineRule, BelongsToYearLinesAlone) {
  // the same blank fields read through a prompt's or a header's format are 0
  float lat = -1.0f, lon = -1.0f;
  read(internal("WYDIV8       "), held("(12x,f6.2,f7.2)"), {to(lat), to(lon)});
  EXPECT_EQ(lat, 0.0f);
  EXPECT_EQ(lon, 0.0f);
  std::int32_t year = -1;
  std::array<float, 12> months{};
  read(internal(" 1931   53    -"), held("(1x,i4,12f5.1)"), {to(year), to(std::span<float>(months))});
  EXPECT_EQ(months[1], 0.0f);
  EXPECT_EQ(months[11], 0.0f);
}

TEST(YearLineRule, TheFlagItselfIsTaken) {
  // a NaN flag, as a user may type it, and the flag 0.0 of data set 2
  Read nan = read_cached("(1x,i4,12f5.1)", " 1931   53", std::nanf(""));
  ASSERT_TRUE(nan.year_line);
  EXPECT_EQ(nan.months[0], 5.3f);
  EXPECT_TRUE(std::isnan(nan.months[1]));
  Read zero = read_cached("(1x,i4,12f6.1)", " 1931   -   1.0", 0.0f);
  ASSERT_TRUE(zero.year_line);
  EXPECT_FALSE(std::signbit(zero.months[0]));
  EXPECT_EQ(zero.months[1], 1.0f);
}

// "start/width" of the year, of January and of December, and the end, or
// "walk" for a format left to the general walk.
std::string plan_of(const char* format) {
  YearLinePlan p = plan_year_line(translate(format, FormatOrigin::held));
  if (!p.fixed) return "walk";
  auto f = [&](int i) {
    const PlannedField& x = p.fields[static_cast<std::size_t>(i)];
    return std::to_string(x.start) + "/" + std::to_string(x.width) + (x.integer ? "i" : "f") +
           std::to_string(x.decimals);
  };
  return f(0) + " " + f(1) + " " + f(12) + " end " + std::to_string(p.end);
}

TEST(YearLinePlan, ColumnsOfDataFormats) {
  const std::pair<const char*, const char*> cases[] = {
      {"(1x,i4,12f5.2)", "1/4i0 5/5f2 60/5f2 end 65"},
      {"(1x,i4,12f6.1)", "1/4i0 5/6f1 71/6f1 end 77"},
      {"(i4,12f7.3)", "0/4i0 4/7f3 81/7f3 end 88"},
      {"(1x,i4,12f11.4)", "1/4i0 5/11f4 126/11f4 end 137"},
      {"(6x,i4,12f7.2)        ", "6/4i0 10/7f2 87/7f2 end 94"},
      // groups, tabs, texts skipped, items without effect on input
      {"(1x,i4,12(1x,f4.1))", "1/4i0 6/4f1 61/4f1 end 65"},
      {"(1x,i4,2(6f5.1))", "1/4i0 5/5f1 60/5f1 end 65"},
      {"(t3,i4,t10,12f5.1)", "2/4i0 9/5f1 64/5f1 end 69"},
      {"(t20,i4,t1,12f5.1)", "19/4i0 0/5f1 55/5f1 end 60"},
      {"('ab',i4,bn,s,sp,ss,12f5.1)", "2/4i0 6/5f1 61/5f1 end 66"},
      {"(2hxx,i4,tr2,$,12f5.1)", "2/4i0 8/5f1 63/5f1 end 68"},
      {"(f5.0,12e9.2)", "0/5f0 5/9f2 104/9f2 end 113"},
      {"(i4,12i5)", "0/4i0 4/5i0 59/5i0 end 64"},
      {"(i4,12f)", "0/4i0 4/15f6 169/15f6 end 184"},
      {"(i4,12g5.1e2)", "0/4i0 4/5f1 59/5f1 end 64"},
      // after the twelfth month: the next data item or ":" ends the read
      {"(1x,i4,12f5.1,a5,/)", "1/4i0 5/5f1 60/5f1 end 65"},
      {"(1x,i4,12f5.1,3x,:,/)", "1/4i0 5/5f1 60/5f1 end 65"},
      {"(1x,i4,12f5.1,bz,tl3,i2)", "1/4i0 5/5f1 60/5f1 end 65"},
      // groups that hold nothing to read are passed once, whatever their counts
      {"(32767(32767(3277())),i4,12f5.1)", "0/4i0 4/5f1 59/5f1 end 64"},
      {"(i4,12f5.1,32767(32767(32767(t1))))", "0/4i0 4/5f1 59/5f1 end 64"},
      {"(i4,2(32767(32767())),12f5.1)", "0/4i0 4/5f1 59/5f1 end 64"},
      {"(i4,12f5.1,32767(32767(1x)))", "0/4i0 4/5f1 59/5f1 end 64"},
      // left to the walk
      {"(bz,1x,i4,12f5.1)", "walk"},
      {"(1p,1x,i4,12f5.1)", "walk"},
      {"(1x,i4,tl1,12f5.1)", "walk"},
      {"(1x,i4/12f5.1)", "walk"},
      {"(1x,i4,12f5.1/)", "walk"},
      {"(i4,6f5.1)", "walk"},
      {"(i4,11f5.1,a5)", "walk"},
      {"(a4,12f5.1)", "walk"},
      {"(i4,q,12f5.1)", "walk"},
      {"(40(32767x),i4,12f5.1)", "walk"},
  };
  for (auto [format, want] : cases) EXPECT_EQ(plan_of(format), want) << format;
}

// Formats whose groups would be passed billions of times if every pass were
// walked: the cached read ends at once and reads as the walk does.
TEST(YearLinePlan, NestedRepeatsOfNothingReadAsTheWalk) {
  const char* formats[] = {"(32767(32767(3277())),i4,12f5.1)", "(i4,12f5.1,32767(32767(1x)))",
                           "(i4,12f5.1,32767(32767(32767(t1))))"};
  const char* lines[] = {"1931  5.3 -1.2    0  2.2  3.3  4.4  5.5  6.6  7.7  8.8  9.9 10.1",
                         "1931  5.3    -", "WYDIV8       41.10-104.80", ""};
  for (const char* f : formats) {
    for (const char* line : lines) {
      Read want = read_walked(translate(f, FormatOrigin::held), line, -99.9f);
      Read got = read_cached(f, line, -99.9f);
      ASSERT_EQ(want.year_line, got.year_line) << f << " on " << line;
      if (!want.year_line) continue;
      EXPECT_EQ(want.year, got.year);
      for (std::size_t m = 0; m < 12; ++m) EXPECT_TRUE(same_bits(want.months[m], got.months[m]));
    }
  }
}

// ---------------------------------------------------------------------------
// Random formats and lines: the cached read (plan when it can, walk
// otherwise) against the general walk.

struct Segment {
  int skip = 0;   // columns a position item moves over
  int width = 0;  // a field's width, 0 for a skip
};

struct RandomFormat {
  std::string text;
  std::vector<Segment> layout;  // roughly what a line of it looks like
};

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}

  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }

  RandomFormat format() {
    RandomFormat f;
    std::string& t = f.text;
    t = "(";
    auto item = [&](const std::string& s) {
      if (t.size() > 1) t += ",";
      t += s;
    };
    auto odd = [&]() {  // now and then an item the plan does not take
      if (!chance(6)) return;
      const char* items[] = {"bz", "1p", "-1p", "0p", "tl2", "/", "a3", "q", "z3", "bn", ":", "sp"};
      item(items[pick(0, 11)]);
    };
    // position items before the year, now and then far out
    for (int n = pick(0, 2); n > 0; --n) {
      int k = chance(5) ? pick(150, 250) : pick(1, 6);
      switch (pick(0, 3)) {
        case 0: item(std::to_string(k) + "x"); f.layout.push_back({k, 0}); break;
        case 1: item("t" + std::to_string(k + 1)); f.layout.push_back({k, 0}); break;
        case 2: item("'" + std::string(static_cast<std::size_t>(k), 'q') + "'"); f.layout.push_back({k, 0}); break;
        default: item(std::to_string(k) + "h" + std::string(static_cast<std::size_t>(k), 'z')); f.layout.push_back({k, 0}); break;
      }
    }
    odd();
    int wy = pick(1, 7);
    switch (pick(0, 5)) {
      case 0: item("f" + std::to_string(wy) + "." + std::to_string(pick(0, 2))); break;
      case 1: item("i" + std::to_string(wy) + "." + std::to_string(pick(0, 3))); break;
      case 2: item("e" + std::to_string(wy) + ".0"); break;
      default: item("i" + std::to_string(wy)); break;
    }
    f.layout.push_back({0, wy});
    odd();
    int w = chance(5) ? pick(13, 20) : pick(1, 12);
    std::string d = std::to_string(pick(0, std::min(w, 4)));
    std::string real = (chance(85) ? "f" : chance(50) ? "e" : chance(50) ? "d" : "g") +
                       std::to_string(w) + "." + d;
    std::string months;
    int count = chance(94) ? 12 : pick(10, 13);
    switch (pick(0, 6)) {
      case 0: months = std::to_string(count) + "(1x," + real + ")"; w += 1; break;
      case 1: months = "6" + real + "," + std::to_string(count - 6) + real; break;
      case 2: months = std::to_string(count) + "i" + std::to_string(w); break;
      case 3: months = "2(" + std::to_string(count / 2) + real + ")"; break;
      default: months = std::to_string(count) + real; break;
    }
    item(months);
    for (int m = 0; m < 12; ++m) f.layout.push_back({0, w});
    odd();
    switch (pick(0, 6)) {
      case 0: item("a5"); break;
      case 1: item("2x"); break;
      case 2: item(":"); break;
      default: break;
    }
    t += ")";
    return f;
  }

  std::string number(int w) {
    std::string s;
    int digits = pick(1, std::max(1, std::min(w, 9)));
    for (int i = 0; i < digits; ++i) s += static_cast<char>('0' + pick(0, 9));
    if (chance(40)) s.insert(static_cast<std::size_t>(pick(0, digits)), ".");
    if (chance(30)) s.insert(0, chance(80) ? "-" : "+");
    return s;
  }

  std::string field(int w) {
    std::string s;
    int kind = pick(0, 99);
    if (kind < 55) s = number(w);
    else if (kind < 65) s = "";
    else if (kind < 80) {
      const char* empty[] = {"-", "+", ".", "-.", "+.", "0", "-0", "0.0", "- -", ". .", "-0.", ".0"};
      s = empty[pick(0, 11)];
    } else if (kind < 88) {
      const char* odd[] = {"abc", "E", "e5", "1e5", "1.5-3", "INF", "nan", "1d2", "q", "-e",
                           "1 2", "1.2.3", "--1", "1-", "x", "+-1", "1..", "-+", "\x80" "1",
                           "1\xff"};
      s = odd[pick(0, 18)];
      if (chance(20)) s.insert(s.begin() + pick(0, static_cast<int>(s.size())), '\0');
    } else if (kind < 92) {
      s = number(w);
      s.insert(static_cast<std::size_t>(pick(0, static_cast<int>(s.size()))), ",");
    } else if (kind < 95) {
      s = number(w);
      s.insert(static_cast<std::size_t>(pick(0, static_cast<int>(s.size()))), "\t");
    } else {
      for (int i = pick(16, 40); i > 0; --i) s += static_cast<char>('0' + pick(0, 9));
      if (chance(50)) s.insert(static_cast<std::size_t>(pick(0, static_cast<int>(s.size()))), ".");
    }
    // mostly right-justified in the width, sometimes wider or narrower
    int width = chance(90) ? w : std::max(0, w + pick(-2, 2));
    if (static_cast<int>(s.size()) >= width) return s;
    std::string pad(static_cast<std::size_t>(width) - s.size(), ' ');
    return chance(85) ? pad + s : s + pad;
  }

  std::string line(const RandomFormat& f) {
    std::string s;
    for (const Segment& g : f.layout) {
      if (g.width == 0) {
        for (int i = 0; i < g.skip; ++i) s += chance(90) ? ' ' : static_cast<char>('A' + pick(0, 25));
      } else {
        s += field(g.width);
      }
    }
    if (chance(25)) s.resize(static_cast<std::size_t>(pick(0, static_cast<int>(s.size()))));
    if (chance(5)) s += ",";
    if (chance(3)) s[static_cast<std::size_t>(pick(0, std::max(0, static_cast<int>(s.size()) - 1)))] = ',';
    if (chance(10)) s += std::string(static_cast<std::size_t>(pick(1, 30)), chance(50) ? ' ' : '7');
    return s;
  }

 private:
  std::mt19937 rng_;
};

TEST(YearLineRandom, PlanReadsAsTheWalk) {
  Generator g(20240917u);
  int failures = 0, planned_formats = 0, planned_lines = 0, year_lines = 0, flags = 0;
  for (int n = 0; n < 600 && failures < 20; ++n) {
    RandomFormat f = g.format();
    Format format = translate(f.text, FormatOrigin::held);
    YearLinePlan plan = plan_year_line(format);
    planned_formats += plan.fixed ? 1 : 0;
    float flag = g.chance(80) ? -99.9f : 0.0f;
    for (int k = 0; k < 400 && failures < 20; ++k) {
      std::string line = g.line(f);
      Read want = read_walked(format, line, flag);
      Read got = read_cached(f.text, line, flag);
      bool same = want.year_line == got.year_line;
      if (same && want.year_line) {
        same = want.year == got.year;
        for (std::size_t m = 0; m < 12; ++m) same = same && same_bits(want.months[m], got.months[m]);
      }
      {  // the pre-scan's question alone: a year line, and its year
        std::int32_t year = 0;
        bool is = is_year_record(f.text, line, year);
        same = same && is == want.year_line && (!is || year == want.year);
      }
      if (plan.fixed) {
        Read by_plan;
        std::uint32_t digitless = 0;
        PlanRead r = read_by_plan(plan, line, by_plan.year, by_plan.months, digitless);
        if (r != PlanRead::walk) ++planned_lines;
        if (r == PlanRead::no_year_line) same = same && !want.year_line;
      }
      if (!same) {
        ++failures;
        ADD_FAILURE() << f.text << " on \"" << line << "\": walk " << show(want) << ", read "
                      << show(got);
      }
      if (want.year_line) {
        ++year_lines;
        for (float v : want.months) flags += v == flag ? 1 : 0;
      }
    }
  }
  // the cases reach every way: planned formats and lines, year lines with
  // and without missing months
  EXPECT_GT(planned_formats, 300);
  EXPECT_GT(planned_lines, 60000);
  EXPECT_GT(year_lines, 10000);
  EXPECT_GT(flags, 10000);
}

TEST(YearLineRandom, ColumnMasksOfBothKinds) {
  // every byte value in every column, against the definition
  std::mt19937 rng(4711u);
  std::uniform_int_distribution<int> byte(0, 255), common(0, 5);
  const char usual[] = {' ', '0', '9', '.', '-', '+'};
  for (int n = 0; n < 20000; ++n) {
    char text[16];
    for (char& c : text) c = static_cast<char>(common(rng) < 3 ? usual[common(rng)] : byte(rng));
    ColumnMasks want;
    for (std::uint32_t i = 0; i < 16; ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c == ' ') want.blank |= 1u << i;
      if (c >= '0' && c <= '9') want.digit |= 1u << i;
      if (c == '.') want.point |= 1u << i;
    }
    for (ColumnMasks got : {classify(text), classify_words(text)}) {
      ASSERT_EQ(got.blank, want.blank) << std::string(text, 16);
      ASSERT_EQ(got.digit, want.digit) << std::string(text, 16);
      ASSERT_EQ(got.point, want.point) << std::string(text, 16);
    }
  }
}

}  // namespace
}  // namespace versel
