// The screen of one station: the correlation of the chronology with every
// window of collect/windows.h. The chronology's year t is paired with the
// window's value labelled t, the label rule of every mask: for a window of
// the previous year, t's value is the window in year t - 1.
//
// A run makes the windows (screen_windows) and, with --bootstrap N, the
// draws (screen_draws) once, and one ScreenWork that every station reuses;
// then screen_station for each station. Stations share the draws, so a
// station's numbers do not depend on the stations read before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "collect/correlation.h"
#include "collect/screen_random.h"
#include "collect/windows.h"
#include "mask/station.h"
#include "sources/chronology.h"

namespace versel {

struct ScreenSettings {
  int span_years = kDefaultSpanYears;     // --span
  int max_months = kDefaultWindowMonths;  // --max-months
  int min_months = 0;                     // --min-months
  CorrelationSettings correlation;        // --method, --min-years, --bootstrap
  // the r and n of every window, but p and the interval only of the best:
  // what an output of the best window alone needs (Pearson without
  // resamples; else every window is computed whole)
  bool best_only = false;
};

// Room a run's stations reuse.
struct ScreenWork {
  MonthSums sums;
  std::vector<double> values;      // one window's values over the station's years
  std::vector<double> chronology;  // the chronology's values over them, dense
  std::vector<std::uint32_t> at;   // where each of those years lies among the station's
  std::vector<double> deviations;  // the chronology less its mean (Pearson, Fisher)
  CorrelationWork correlation;
};

// The bootstrap's draws for a chronology: s.correlation.bootstrap rows, as
// many numbers a row as the chronology has values (4 bytes each: 1,000
// resamples of a 2,000-year chronology take 8 MB; the caller bounds N).
// Empty without --bootstrap.
ResampleDraws screen_draws(const Chronology& c, const ScreenSettings& s, std::uint64_t seed);

// out[i]: the correlation of the chronology with windows[i] at station `d`
// (its months, the flag of missing ones). Only the years of both the
// station and the chronology are computed.
void screen_station(const StationData& d, float flag, const Chronology& c,
                    const std::vector<ScreenWindow>& windows, const ScreenSettings& s,
                    const ResampleDraws& draws, ScreenWork& w, std::vector<Correlation>& out);

// After a screen with best_only: p and the interval of the best window.
void complete_best(const ScreenSettings& s, ScreenWork& w, std::vector<Correlation>& results);

// The correlation of the chronology with each climate variable of a
// reduced station (--chronology with a mask): out[v] for variable v, its
// value of output year i (NCV values a year, `flag` where missing) paired
// with the chronology's year IFC + i. Settings and draws as for the screen.
void correlate_variables(const Station& st, float flag, const Chronology& c,
                         const CorrelationSettings& s, const ResampleDraws& draws, ScreenWork& w,
                         std::vector<Correlation>& out);

// The index of the window of largest |r|, the first of equal ones; -1 when
// every correlation is missing.
std::ptrdiff_t best_window(const std::vector<Correlation>& results);

}  // namespace versel
