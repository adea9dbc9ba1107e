// One station's screen: its running sums, each window's values over the
// years the chronology has, and their correlations.
#include "collect/screen.h"

#include <algorithm>
#include <cmath>

namespace versel {

ResampleDraws screen_draws(const Chronology& c, const ScreenSettings& s, std::uint64_t seed) {
  if (s.correlation.bootstrap <= 0 || c.values.empty()) return {};
  return draw_resamples(seed, s.correlation.bootstrap, static_cast<int>(c.values.size()));
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
  if (w.values.size() < years) w.values.resize(years);
  w.chronology.resize(years);
  for (std::size_t i = 0; i < years; ++i)
    w.chronology[i] = c.at(d.first_year + from + static_cast<std::int32_t>(i));
  for (std::size_t k = 0; k < windows.size(); ++k) {
    window_values(w.sums, windows[k], s.min_months, from, to, w.values.data());
    correlate(w.values.data(), w.chronology.data(), years, s.correlation, &draws, w.correlation,
              out[k]);
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
