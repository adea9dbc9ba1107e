// One station's screen: its running sums, each window's values over the
// years the chronology has, and their correlations. Pearson's r with
// Fisher's interval, the screen of a whole grid, takes a path of its own:
// the chronology's deviations from its mean are computed once per station,
// and each window takes one pass over its values.
#include "collect/screen.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace versel {
namespace {

// 1/k for the valid months of a window (a mask holds at most 60): a
// product costs less than a quotient and differs from it by at most a unit
// in the last place.
constexpr auto kReciprocals = [] {
  std::array<double, 61> r{};
  for (std::size_t k = 1; k < r.size(); ++k) r[k] = 1.0 / static_cast<double>(k);
  return r;
}();

// Sums of u = x - x0 and v = dy over the years a window has.
struct PairSums {
  double c = 0.0, su = 0.0, sv = 0.0, suu = 0.0, svv = 0.0, suv = 0.0;

  void add(bool ok, double x, double x0, double dy) {
    const double u = ok ? x - x0 : 0.0, v = ok ? dy : 0.0;
    c += ok ? 1.0 : 0.0;
    su += u;
    sv += v;
    suu += u * u;
    svv += v * v;
    suv += u * v;
  }
};

// Pearson's r of a window's values against the chronology, straight from
// the running sums: year k of the n the chronology has (year line
// from + at[k]) pairs the window's value with dy[k], the chronology's
// deviation from its mean; `pairs` counts the years the window has too. One
// pass of sums of u = x - x0 (x0 the window's first value, near the values'
// mean, so that the sums keep their digits) and of dy, in two sets for the
// even and odd years (so that the additions do not wait on one another): r
// is the same for any shift, and over years with no value missing the sum
// of dy is 0.
// `Contiguous`: the chronology has every year, at[k] is k.
template <bool Contiguous>
double window_r(const MonthSums& s, const ScreenWindow& w, int min_months, std::int32_t from,
                const std::uint32_t* at, const double* dy, std::size_t n, int& pairs) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  pairs = 0;
  if (w.length < 1 || static_cast<std::size_t>(w.length) >= kReciprocals.size()) return kNaN;
  const int need = months_needed(w.length, min_months);
  const auto months = static_cast<std::int64_t>(s.sum.size()) - 1;
  const double* sum = s.sum.data();
  const std::int32_t* count = s.count.data();
  const std::int64_t length = w.length;
  auto start = [&](std::size_t i) {
    const std::int64_t line =
        Contiguous ? std::int64_t{from} + static_cast<std::int64_t>(i) : std::int64_t{from} + at[i];
    return 12 * line + w.offset;
  };
  // the years whose window lies within the station's months
  std::size_t k = 0, end = n;
  while (k < end && start(k) < 0) ++k;
  while (end > k && start(end - 1) + length > months) --end;
  auto value = [&](std::size_t i, bool& ok) {
    const std::int64_t a = start(i);
    const std::int32_t valid = count[a + length] - count[a];
    ok = valid >= need;
    return ok ? (sum[a + length] - sum[a]) * kReciprocals[static_cast<std::size_t>(valid)] : 0.0;
  };
  double x0 = kNaN;
  PairSums even, odd;
  for (; k < end && std::isnan(x0); ++k) {
    bool ok = false;
    const double x = value(k, ok);
    if (!ok) continue;
    x0 = x;
    even.add(true, x, x0, dy[k]);
  }
  if (std::isnan(x0)) return kNaN;
  for (; k + 1 < end; k += 2) {
    bool ok0 = false, ok1 = false;
    const double x_0 = value(k, ok0), x_1 = value(k + 1, ok1);
    even.add(ok0, x_0, x0, dy[k]);
    odd.add(ok1, x_1, x0, dy[k + 1]);
  }
  if (k < end) {
    bool ok = false;
    const double x = value(k, ok);
    even.add(ok, x, x0, dy[k]);
  }
  const double c = even.c + odd.c, su = even.su + odd.su, sv = even.sv + odd.sv;
  const double suu = even.suu + odd.suu, svv = even.svv + odd.svv, suv = even.suv + odd.suv;
  pairs = static_cast<int>(c);
  const double sxx = suu - su * su / c, syy = svv - sv * sv / c, sxy = suv - su * sv / c;
  if (!(sxx > 1e-13 * suu) || !(syy > 1e-13 * svv)) return kNaN;
  const double r = sxy / std::sqrt(sxx * syy);
  return r > 1.0 ? 1.0 : (r < -1.0 ? -1.0 : r);
}

}  // namespace

ResampleDraws screen_draws(const Chronology& c, const ScreenSettings& s, std::uint64_t seed) {
  // no station pairs more years than the chronology has values
  int years = 0;
  for (double v : c.values) years += !std::isnan(v);
  if (s.correlation.bootstrap <= 0 || years == 0) return {};
  return draw_resamples(seed, s.correlation.bootstrap, years);
}

void screen_station(const StationData& d, float flag, const Chronology& c,
                    const std::vector<ScreenWindow>& windows, const ScreenSettings& s,
                    const ResampleDraws& draws, ScreenWork& w, std::vector<Correlation>& out) {
  out.assign(windows.size(), Correlation{});
  const std::int32_t lines = d.year_lines();
  // the year lines j whose label first_year + j the chronology holds
  const std::int64_t from64 = std::max<std::int64_t>(0, std::int64_t{c.first_year} - d.first_year);
  const std::int64_t to64 =
      std::min<std::int64_t>(lines, std::int64_t{c.last_year()} - d.first_year + 1);
  if (c.values.empty() || to64 <= from64) return;  // no year in common
  const auto from = static_cast<std::int32_t>(from64), to = static_cast<std::int32_t>(to64);
  const auto years = static_cast<std::size_t>(to - from);
  month_sums(d.months.data(), static_cast<std::size_t>(lines) * 12, flag, w.sums);

  // the years the chronology has a value in (w.chronology dense over them,
  // w.at their places among the years), its mean and deviations
  w.at.clear();
  w.chronology.clear();
  for (std::size_t i = 0; i < years; ++i) {
    const double v = c.at(d.first_year + from + static_cast<std::int32_t>(i));
    if (std::isnan(v)) continue;
    w.at.push_back(static_cast<std::uint32_t>(i));
    w.chronology.push_back(v);
  }
  const std::size_t n = w.chronology.size();
  const bool gaps = n != years;
  const bool fast =
      s.correlation.method == CorrelationMethod::pearson && s.correlation.bootstrap <= 0;
  if (!fast && w.values.size() < years) w.values.resize(years);
  if (fast && n > 0) {
    double my = 0.0;
    for (double v : w.chronology) my += v;
    my /= static_cast<double>(n);
    w.deviations.resize(n);
    for (std::size_t k = 0; k < n; ++k) w.deviations[k] = w.chronology[k] - my;
  }
  for (std::size_t k = 0; k < windows.size(); ++k) {
    if (fast) {
      int pairs = 0;
      const double r = gaps ? window_r<false>(w.sums, windows[k], s.min_months, from, w.at.data(),
                                              w.deviations.data(), n, pairs)
                            : window_r<true>(w.sums, windows[k], s.min_months, from, w.at.data(),
                                             w.deviations.data(), n, pairs);
      if (s.best_only) {
        out[k] = Correlation{};
        out[k].n = pairs;
        if (pairs >= std::max(s.correlation.min_years, kFewestYears)) out[k].r = r;
        continue;
      }
      correlation_from_r(r, pairs, s.correlation, w.correlation, out[k]);
      continue;
    }
    double* x = w.values.data();
    window_values(w.sums, windows[k], s.min_months, from, to, x);
    if (gaps)  // the values of the chronology's years, in place
      for (std::size_t i = 0; i < n; ++i) x[i] = x[w.at[i]];
    correlate(x, w.chronology.data(), n, s.correlation, &draws, w.correlation, out[k]);
  }
}

void complete_best(const ScreenSettings& s, ScreenWork& w, std::vector<Correlation>& results) {
  const std::ptrdiff_t best = best_window(results);
  if (best < 0) return;
  Correlation& c = results[static_cast<std::size_t>(best)];
  correlation_from_r(c.r, c.n, s.correlation, w.correlation, c);
}

void correlate_variables(const Station& st, float flag, const Chronology& c,
                         const CorrelationSettings& s, const ResampleDraws& draws, ScreenWork& w,
                         std::vector<Correlation>& out) {
  out.assign(static_cast<std::size_t>(std::max(st.NCV, 0)), Correlation{});
  if (st.NYC < 1 || st.NCV < 1) return;
  const auto years = static_cast<std::size_t>(st.NYC);
  if (w.values.size() < years) w.values.resize(years);
  w.chronology.resize(years);
  for (std::size_t i = 0; i < years; ++i)
    w.chronology[i] = c.at(st.IFC + static_cast<std::int32_t>(i));
  for (std::size_t v = 0; v < out.size(); ++v) {
    for (std::size_t i = 0; i < years; ++i) {
      const float y = st.year(static_cast<std::int32_t>(i))[v];
      w.values[i] = y == flag ? std::numeric_limits<double>::quiet_NaN() : y;
    }
    correlate(w.values.data(), w.chronology.data(), years, s, &draws, w.correlation, out[v]);
  }
}

std::ptrdiff_t best_window(const std::vector<Correlation>& results) {
  std::ptrdiff_t best = -1;
  double top = -1.0;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const double a = std::fabs(results[i].r);
    if (!std::isnan(a) && a > top) {
      top = a;
      best = static_cast<std::ptrdiff_t>(i);
    }
  }
  return best;
}

}  // namespace versel
