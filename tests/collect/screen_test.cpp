// One station's screen: a chronology made from one window plus noise is
// found by that window, in the previous year, across the year boundary and
// in the current year; the pairing of years follows the mask's labels; gaps
// in the chronology, missing months and too few common years.
#include "collect/screen.h"
#include "mask/mask_check.h"
#include "mask/reduction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace versel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Lcg {
  unsigned state;
  double next() {  // uniform in [-0.5, 0.5)
    state = state * 1103515245u + 12345u;
    return static_cast<double>((state >> 8) & 0xFFFF) / 65536.0 - 0.5;
  }
};

StationData made_up_station(std::int32_t first_year, int lines, unsigned seed) {
  StationData d;
  d.first_year = first_year;
  Lcg g{seed};
  for (int i = 0; i < 12 * lines; ++i)
    d.months.push_back(static_cast<float>(15.0 + 8.0 * g.next()));
  return d;
}

// The average of the window's months in the year labelled `label`, from
// the station's months directly.
double window_mean(const StationData& d, const ScreenWindow& w, std::int32_t label) {
  const std::int64_t a = 12 * std::int64_t{label - d.first_year} + w.offset;
  if (a < 0 || a + w.length > static_cast<std::int64_t>(d.months.size())) return kNaN;
  double s = 0;
  for (int i = 0; i < w.length; ++i) s += d.months[static_cast<std::size_t>(a + i)];
  return s / w.length;
}

// A chronology that follows window w with noise of `noise` times its spread.
Chronology following(const StationData& d, const ScreenWindow& w, std::int32_t first,
                     std::int32_t last, double noise, unsigned seed) {
  Chronology c;
  c.code = "TEST01";
  c.first_year = first;
  Lcg g{seed};
  for (std::int32_t t = first; t <= last; ++t) {
    const double v = window_mean(d, w, t);
    c.values.push_back(std::isnan(v) ? kNaN : 1.0 + 0.05 * (v - 15.0) + noise * g.next());
    c.depth.push_back(10);
  }
  return c;
}

const ScreenWindow& window_named(const std::vector<ScreenWindow>& ws, const std::string& name) {
  for (const ScreenWindow& w : ws)
    if (w.name == name) return w;
  ADD_FAILURE() << "no window " << name;
  return ws.front();
}

TEST(Screen, TheWindowAChronologyFollowsComesOutBest) {
  const StationData d = made_up_station(1901, 120, 4u);
  const std::vector<ScreenWindow> ws = screen_windows(2, 12);
  ScreenSettings s;
  ScreenWork work;
  std::vector<Correlation> out;
  for (const char* name : {"JJA-1_avg", "DJF_avg", "MJJ_avg", "Sep-1_avg", "ONDJFMAM_avg"}) {
    const ScreenWindow& target = window_named(ws, name);
    const Chronology c = following(d, target, 1880, 2030, 0.1, 77u);
    screen_station(d, -999.9f, c, ws, s, ResampleDraws{}, work, out);
    ASSERT_EQ(out.size(), ws.size());
    const std::ptrdiff_t best = best_window(out);
    ASSERT_GE(best, 0);
    EXPECT_EQ(ws[static_cast<std::size_t>(best)].name, name);
    EXPECT_GT(out[static_cast<std::size_t>(best)].r, 0.5) << name;
    // pairs: the years of the station the window reaches
    EXPECT_EQ(out[static_cast<std::size_t>(best)].n, target.offset < 0 ? 119 : 120) << name;
  }
}

TEST(Screen, ValuesArePairedByTheMasksLabels) {
  // a chronology that is the previous year's June exactly: r = 1 for Jun-1,
  // and the same chronology moved on by a year is this year's June
  const StationData d = made_up_station(1950, 60, 8u);
  const std::vector<ScreenWindow> ws = screen_windows(2, 3);
  const ScreenWindow& jun1 = window_named(ws, "Jun-1_avg");
  const ScreenWindow& jun = window_named(ws, "Jun_avg");
  Chronology c = following(d, jun1, 1950, 2009, 0.0, 1u);
  ScreenSettings s;
  ScreenWork work;
  std::vector<Correlation> out;
  screen_station(d, -999.9f, c, ws, s, ResampleDraws{}, work, out);
  const auto at = [&](const ScreenWindow& w) {
    return out[static_cast<std::size_t>(&w - ws.data())];
  };
  EXPECT_NEAR(at(jun1).r, 1.0, 1e-12);
  EXPECT_EQ(at(jun1).n, 59);
  c.first_year -= 1;  // year t now holds June of year t
  screen_station(d, -999.9f, c, ws, s, ResampleDraws{}, work, out);
  EXPECT_NEAR(at(jun).r, 1.0, 1e-12);
  EXPECT_EQ(at(jun).n, 59);
}

TEST(Screen, GapsMissingMonthsAndTooFewYears) {
  StationData d = made_up_station(1901, 80, 5u);
  const std::vector<ScreenWindow> ws = screen_windows(2, 12);
  const ScreenWindow& jja = window_named(ws, "JJA_avg");
  Chronology c = following(d, jja, 1901, 1980, 0.2, 9u);
  // gaps in the chronology: 10 years without a value
  for (int i = 30; i < 40; ++i) c.values[static_cast<std::size_t>(i)] = kNaN;
  // a missing July in 5 years
  for (int k = 0; k < 5; ++k) d.months[static_cast<std::size_t>(12 * (50 + k) + 6)] = -999.9f;
  ScreenSettings s;
  ScreenWork work;
  std::vector<Correlation> out;
  screen_station(d, -999.9f, c, ws, s, ResampleDraws{}, work, out);
  const std::size_t k = static_cast<std::size_t>(&jja - ws.data());
  EXPECT_EQ(out[k].n, 80 - 10 - 5);
  EXPECT_EQ(ws[static_cast<std::size_t>(best_window(out))].name, "JJA_avg");
  // with --min-months 2 the years of a missing July count again
  s.min_months = 2;
  screen_station(d, -999.9f, c, ws, s, ResampleDraws{}, work, out);
  EXPECT_EQ(out[k].n, 70);
  // a chronology of 19 common years: every window missing
  Chronology short_c = c;
  short_c.first_year = 1980 - 18;
  short_c.values.assign(19, 1.0);
  short_c.values[3] = 1.2;
  screen_station(d, -999.9f, short_c, ws, s, ResampleDraws{}, work, out);
  EXPECT_EQ(best_window(out), -1);
  EXPECT_EQ(out[k].n, 19);
  // no year in common
  short_c.first_year = 2100;
  screen_station(d, -999.9f, short_c, ws, s, ResampleDraws{}, work, out);
  EXPECT_EQ(out.size(), ws.size());
  EXPECT_EQ(out[k].n, 0);
}

// The screen's own pass over the running sums against the window's values
// correlated by correlate(), with missing months, chronology gaps, a
// chronology that starts before and ends inside the station, and both
// --min-months rules.
TEST(Screen, OwnPassAgreesWithTheValuesCorrelated) {
  StationData d = made_up_station(1901, 90, 12u);
  Lcg g{31u};
  for (float& m : d.months)
    if (g.next() < -0.47) m = -999.9f;  // 3 % of the months
  const std::vector<ScreenWindow> ws = screen_windows(3, 14);
  Chronology c = following(d, window_named(ws, "JJA-1_avg"), 1880, 1975, 0.5, 5u);
  for (int i = 40; i < 46; ++i) c.values[static_cast<std::size_t>(i)] = kNaN;
  ScreenWork work;
  std::vector<Correlation> out;
  for (int min_months : {0, 2}) {
    ScreenSettings s;
    s.span_years = 3;
    s.max_months = 14;
    s.min_months = min_months;
    screen_station(d, -999.9f, c, ws, s, ResampleDraws{}, work, out);
    MonthSums sums;
    month_sums(d.months.data(), d.months.size(), -999.9f, sums);
    std::vector<double> x(90), y(90);
    for (int j = 0; j < 90; ++j) y[static_cast<std::size_t>(j)] = c.at(1901 + j);
    CorrelationWork cw;
    int compared = 0;
    for (std::size_t k = 0; k < ws.size(); ++k) {
      window_values(sums, ws[k], min_months, 0, 90, x.data());
      Correlation ref;
      correlate(x.data(), y.data(), 90, s.correlation, nullptr, cw, ref);
      EXPECT_EQ(out[k].n, ref.n) << ws[k].name;
      if (std::isnan(ref.r)) {
        EXPECT_TRUE(std::isnan(out[k].r)) << ws[k].name;
        continue;
      }
      EXPECT_NEAR(out[k].r, ref.r, 1e-12) << ws[k].name;
      EXPECT_NEAR(out[k].p, ref.p, 1e-12) << ws[k].name;
      EXPECT_NEAR(out[k].low, ref.low, 1e-12) << ws[k].name;
      EXPECT_NEAR(out[k].high, ref.high, 1e-12) << ws[k].name;
      ++compared;
    }
    EXPECT_GT(compared, 400) << min_months;
  }
}

// --chronology with a mask: the mask's variables, reduced by the
// reduction, correlate as the screen's windows of the same months do (to
// float rounding: the reduction sums floats).
TEST(Screen, VariablesOfAMaskCorrelateAsTheirWindows) {
  StationData d = made_up_station(1931, 60, 13u);
  d.months[12 * 10 + 6] = -999.9f;
  const std::vector<ScreenWindow> ws = screen_windows(2, 12);
  const Chronology c = following(d, window_named(ws, "JJA-1_avg"), 1925, 1995, 0.4, 8u);
  const char* text = "000001130000000011300000";  // JJA-1_avg, MJJ_avg
  const Mask mask = mask_from_text(text);
  const MaskShape shape = analyse_mask(mask);
  const OutputYears oy = output_years(d.year_lines(), d.first_year, shape);
  Station st;
  st.IFC = oy.IFC;
  st.NYC = oy.NYC;
  form_variables(d.months, oy.NYC, mask, shape, -999.9f, st, 0);
  ScreenSettings s;
  ScreenWork work;
  std::vector<Correlation> vars, windows;
  for (int boot : {0, 200}) {
    s.correlation.bootstrap = boot;
    const ResampleDraws draws = screen_draws(c, s, 3);
    correlate_variables(st, -999.9f, c, s.correlation, draws, work, vars);
    screen_station(d, -999.9f, c, ws, s, draws, work, windows);
    ASSERT_EQ(vars.size(), 2u);
    const auto at = [&](const char* name) {
      return windows[static_cast<std::size_t>(&window_named(ws, name) - ws.data())];
    };
    const Correlation jja1 = at("JJA-1_avg"), mjj = at("MJJ_avg");
    EXPECT_EQ(vars[0].n, jja1.n);
    EXPECT_EQ(vars[0].n, 58);  // 59 output years, one July missing
    EXPECT_NEAR(vars[0].r, jja1.r, 1e-6);
    EXPECT_NEAR(vars[0].low, jja1.low, 1e-5);
    EXPECT_NEAR(vars[1].r, mjj.r, 1e-6);
    EXPECT_NEAR(vars[1].p, mjj.p, 1e-5);
    EXPECT_EQ(vars[1].n, mjj.n);
  }
}

TEST(Screen, BootstrapIntervalsRepeatAndHoldR) {
  const StationData d = made_up_station(1901, 120, 6u);
  const std::vector<ScreenWindow> ws = screen_windows(2, 12);
  const Chronology c = following(d, window_named(ws, "MJJA_avg"), 1901, 2020, 0.3, 3u);
  ScreenSettings s;
  s.correlation.bootstrap = 300;
  const ResampleDraws draws = screen_draws(c, s, 42);
  EXPECT_EQ(draws.per_row, 120);
  Chronology gappy = c;
  gappy.values[7] = kNaN;
  EXPECT_EQ(screen_draws(gappy, s, 42).per_row, 119);
  ScreenWork work;
  std::vector<Correlation> a, b;
  screen_station(d, -999.9f, c, ws, s, draws, work, a);
  screen_station(d, -999.9f, c, ws, s, screen_draws(c, s, 42), work, b);
  int holding = 0;
  for (std::size_t i = 0; i < ws.size(); ++i) {
    EXPECT_EQ(a[i].low, b[i].low);
    EXPECT_EQ(a[i].high, b[i].high);
    holding += a[i].low <= a[i].r && a[i].r <= a[i].high;
  }
  EXPECT_EQ(holding, static_cast<int>(ws.size()));
  EXPECT_EQ(screen_draws(c, ScreenSettings{}, 42).resamples, 0);
}

}  // namespace
}  // namespace versel
