// The windows of a screen: their count, names, masks and first months, each
// mask read back by the mask's own rules, and each window's values against
// the reduction run on its mask (labels, missing months, --min-months).
#include "collect/windows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "mask/mask_check.h"
#include "mask/reduction.h"
#include "mask/variable_names.h"

namespace versel {
namespace {

const ScreenWindow* find_window(const std::vector<ScreenWindow>& ws, int first, int length) {
  for (const ScreenWindow& w : ws)
    if (w.first == first && w.length == length) return &w;
  return nullptr;
}

TEST(ScreenWindows, CountsOfEveryShape) {
  struct Case {
    int span, max_months;
    std::size_t count;
  };
  for (const Case& c :
       {Case{2, 12, 222}, Case{1, 12, 78}, Case{1, 24, 78}, Case{2, 1, 24}, Case{3, 24, 588},
        Case{5, 24, 1164}, Case{0, 12, 0}, Case{6, 12, 0}, Case{2, 0, 0}, Case{2, 25, 0}}) {
    EXPECT_EQ(screen_windows(c.span, c.max_months).size(), c.count)
        << c.span << " " << c.max_months;
  }
  // by length, then by first month
  std::vector<ScreenWindow> ws = screen_windows(2, 12);
  EXPECT_EQ(ws.front().first, 0);
  EXPECT_EQ(ws.front().length, 1);
  EXPECT_EQ(ws[24].length, 2);
  EXPECT_EQ(ws.back().first, 12);
  EXPECT_EQ(ws.back().length, 12);
}

TEST(ScreenWindows, NamesMasksAndFirstMonths) {
  struct Case {
    int span, first, length;
    const char* name;
    const char* mask;
    const char* first_month;
    int offset;
  };
  const std::vector<Case> cases = {
      {2, 5, 3, "JJA-1_avg", "000001130000000000000000", "Jun-1", -7},
      {2, 17, 3, "JJA_avg", "000001130000", "Jun", 5},
      {2, 11, 3, "DJF_avg", "000000000001130000000000", "Dec-1", -1},
      {2, 14, 3, "MAM_avg", "001130000000", "Mar", 2},
      {2, 5, 1, "Jun-1_avg", "000003000000000000000000", "Jun-1", -7},
      {2, 23, 1, "Dec_avg", "000000000003", "Dec", 11},
      {2, 0, 12, "JFMAMJJASOND-1_avg", "111111111113000000000000", "Jan-1", -12},
      {2, 9, 6, "ONDJFM_avg", "000000000111113000000000", "Oct-1", -3},
      {3, 3, 2, "AM-2_avg", "000130000000000000000000000000000000", "Apr-2", -21},
      {3, 20, 8, "SONDJFMA_avg", "000000001111111300000000", "Sep-1", -4},
      {1, 4, 4, "MJJA_avg", "000011130000", "May", 4},
  };
  for (const Case& c : cases) {
    std::vector<ScreenWindow> ws = screen_windows(c.span, 12);
    const ScreenWindow* w = find_window(ws, c.first, c.length);
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(w->name, c.name);
    EXPECT_EQ(w->mask, c.mask) << c.name;
    EXPECT_EQ(w->first_month, c.first_month) << c.name;
    EXPECT_EQ(w->offset, c.offset) << c.name;
  }
}

// Every window's mask, read by the mask's rules, is one average over the
// window's months, each in its calendar year relative to the label.
TEST(ScreenWindows, EveryMaskReadsBackAsItsWindow) {
  for (int span = 1; span <= kMaxSpanYears; ++span) {
    for (const ScreenWindow& w : screen_windows(span, kMaxWindowMonths)) {
      ASSERT_EQ(check_mask_text(w.mask).fault, MaskFault::none) << w.mask;
      const Mask mask = mask_from_text(w.mask);
      const MaskShape shape = analyse_mask(mask);
      EXPECT_FALSE(shape.lead) << w.mask;
      EXPECT_EQ(shape.NCM % 12, 0) << w.mask;
      std::vector<ClimateVariable> vs = climate_variables(mask);
      ASSERT_EQ(vs.size(), 1u) << w.mask;
      EXPECT_EQ(vs[0].kind, VariableKind::average);
      ASSERT_EQ(vs[0].months.size(), static_cast<std::size_t>(w.length));
      for (int i = 0; i < w.length; ++i) {
        const int m = w.first + i;  // month of the span
        EXPECT_EQ(vs[0].months[static_cast<std::size_t>(i)].month, m % 12) << w.mask;
        EXPECT_EQ(vs[0].months[static_cast<std::size_t>(i)].year_offset, m / 12 - (span - 1))
            << w.mask;
      }
      EXPECT_EQ(vs[0].name, w.name);
    }
  }
}

// Months of year line k hold 100 k + month, so a value tells its months.
std::vector<float> coded_months(int lines) {
  std::vector<float> m;
  for (int k = 0; k < lines; ++k)
    for (int mo = 0; mo < 12; ++mo) m.push_back(static_cast<float>(100 * k + mo));
  return m;
}

std::vector<double> values_of(const std::vector<float>& months, float flag, const ScreenWindow& w,
                              int min_months) {
  MonthSums s;
  month_sums(months.data(), months.size(), flag, s);
  const auto lines = static_cast<std::int32_t>(months.size() / 12);
  std::vector<double> v(static_cast<std::size_t>(lines));
  window_values(s, w, min_months, 0, lines, v.data());
  return v;
}

TEST(WindowValues, PreviousYearAndAcrossTheYearBoundary) {
  const std::vector<float> months = coded_months(4);
  const std::vector<ScreenWindow> ws = screen_windows(2, 12);
  // June-August of the previous year: label 1 holds line 0's 5, 6, 7
  std::vector<double> jja1 = values_of(months, -999.9f, *find_window(ws, 5, 3), 0);
  EXPECT_TRUE(std::isnan(jja1[0]));
  EXPECT_DOUBLE_EQ(jja1[1], 6.0);
  EXPECT_DOUBLE_EQ(jja1[3], 206.0);
  // December-February: line 0's December, line 1's January and February
  std::vector<double> djf = values_of(months, -999.9f, *find_window(ws, 11, 3), 0);
  EXPECT_TRUE(std::isnan(djf[0]));
  EXPECT_DOUBLE_EQ(djf[1], (11.0 + 100.0 + 101.0) / 3.0);
  // inside the current year: every line, the first included
  std::vector<double> mam = values_of(months, -999.9f, *find_window(ws, 14, 3), 0);
  EXPECT_DOUBLE_EQ(mam[0], 3.0);
  EXPECT_DOUBLE_EQ(mam[3], 303.0);
  // a stretch of the station: lines 1 and 2 only
  MonthSums s;
  month_sums(months.data(), months.size(), -999.9f, s);
  double stretch[2];
  window_values(s, *find_window(ws, 5, 3), 0, 1, 3, stretch);
  EXPECT_DOUBLE_EQ(stretch[0], 6.0);
  EXPECT_DOUBLE_EQ(stretch[1], 106.0);
}

TEST(WindowValues, MissingMonthsUnderTheMinMonthsRule) {
  std::vector<float> months = coded_months(3);
  const float flag = -999.9f;
  months[12 + 5] = flag;                                     // June of line 1
  months[12 + 6] = std::numeric_limits<float>::quiet_NaN();  // July of line 1
  const std::vector<ScreenWindow> ws = screen_windows(2, 12);
  const ScreenWindow& jja = *find_window(ws, 17, 3);
  struct Case {
    int min_months;
    double line1;  // NaN: missing
  };
  for (const Case& c : {Case{0, NAN}, Case{1, 107.0}, Case{2, NAN}, Case{3, NAN}, Case{9, NAN}}) {
    std::vector<double> v = values_of(months, flag, jja, c.min_months);
    EXPECT_DOUBLE_EQ(v[0], 6.0) << c.min_months;
    if (std::isnan(c.line1)) EXPECT_TRUE(std::isnan(v[1])) << c.min_months;
    else EXPECT_DOUBLE_EQ(v[1], c.line1) << c.min_months;
  }
  months[12 + 6] = 106.0f;
  EXPECT_DOUBLE_EQ(values_of(months, flag, jja, 2)[1], (106.0 + 107.0) / 2.0);
  EXPECT_TRUE(std::isnan(values_of(months, flag, jja, 0)[1]));
  EXPECT_EQ(months_needed(3, 0), 3);
  EXPECT_EQ(months_needed(3, 2), 2);
  EXPECT_EQ(months_needed(3, 5), 3);
}

// A station of made-up months, some missing, in an LCG of the test's own.
std::vector<float> made_up_months(int lines, float flag, unsigned seed) {
  std::vector<float> m;
  unsigned state = seed;
  for (int i = 0; i < 12 * lines; ++i) {
    state = state * 1103515245u + 12345u;
    const unsigned u = (state >> 8) & 0xFFFF;
    m.push_back(u % 23 == 0 ? flag : static_cast<float>(u % 4000) / 10.0f - 120.0f);
  }
  return m;
}

// Every window of spans 1 to 3 against the reduction of its mask: the
// same labels, the same missing values, values equal to float rounding.
TEST(WindowValues, AgreeWithTheReductionOfTheirMasks) {
  const float flag = -999.9f;
  const std::int32_t first_year = 1901, lines = 30;
  const std::vector<float> months = made_up_months(lines, flag, 99u);
  MonthSums s;
  month_sums(months.data(), months.size(), flag, s);
  std::vector<double> v(static_cast<std::size_t>(lines));
  int compared = 0;
  for (int span = 1; span <= 3; ++span) {
    for (int min_months : {0, 1, 3}) {
      for (const ScreenWindow& w : screen_windows(span, 12)) {
        window_values(s, w, min_months, 0, lines, v.data());
        const Mask mask = mask_from_text(w.mask);
        const MaskShape shape = analyse_mask(mask);
        const OutputYears oy = output_years(lines, first_year, shape);
        Station st;
        form_variables(months, oy.NYC, mask, shape, flag, st, min_months);
        ASSERT_EQ(st.NCV, 1);
        for (std::int32_t j = 0; j < lines; ++j) {
          const std::int32_t label = first_year + j;
          const std::int32_t i = label - oy.IFC;  // the reduction's output year
          if (i < 0) {
            EXPECT_TRUE(std::isnan(v[static_cast<std::size_t>(j)])) << w.mask << " " << label;
            continue;
          }
          const float reduced = st.year(i)[0];
          const double mine = v[static_cast<std::size_t>(j)];
          if (reduced == flag) {
            EXPECT_TRUE(std::isnan(mine)) << w.mask << " " << label << " min " << min_months;
          } else {
            ASSERT_FALSE(std::isnan(mine)) << w.mask << " " << label << " min " << min_months;
            EXPECT_NEAR(mine, reduced, 1e-6 * 400.0) << w.mask << " " << label;
            ++compared;
          }
        }
      }
    }
  }
  EXPECT_GT(compared, 30000);
}

}  // namespace
}  // namespace versel
