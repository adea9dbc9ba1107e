// Correlations of two yearly series with missing values, as the screen and
// the chronology's correlation tables take them: Pearson's or Spearman's r
// over the years both series have, a two-sided p-value from Student's t,
// and a 95 % interval from Fisher's z or from bootstrap resamples of the
// paired years.
//
// A value is missing when it is NaN (or infinite). A correlation is missing
// (r, low, high and p NaN; n still counted) when fewer than `min_years`
// years are paired (never fewer than 3), or when either series is constant
// over the paired years.
//
//   r         Pearson: sum(dx dy) / sqrt(sum(dx^2) sum(dy^2)) over the paired
//             years, deviations from their means (two passes, in double).
//             Spearman: Pearson's r of the ranks of each series among the
//             paired years, tied values taking the average of their ranks.
//   p         t = r sqrt((n - 2) / (1 - r^2)), two-sided from Student's t
//             with n - 2 degrees of freedom: p = I(1 - r^2; (n-2)/2, 1/2),
//             the regularized incomplete beta function. Spearman's r takes
//             the same test.
//   Fisher    tanh(atanh(r) -+ 1.959964 / sqrt(n - 3)) (missing for n < 4).
//   bootstrap N resamples of the n paired years (drawn with replacement by
//             collect/screen_random.h), r of each (Spearman: ranks within
//             the resample, ties averaged); low and high are the 2.5 % and
//             97.5 % percentiles of the r that are not missing (a resample
//             of one repeated year has none), by linear interpolation
//             between order statistics (Hyndman and Fan's type 7, the
//             default of R and numpy): for m sorted values v[0..m-1] the
//             q-percentile is v[k] + f (v[k+1] - v[k]), k + f = (m - 1) q.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "collect/screen_random.h"

namespace versel {

enum class CorrelationMethod : std::uint8_t { pearson, spearman };

inline constexpr int kDefaultMinYears = 20;
// No correlation is computed from fewer years, whatever --min-years says.
inline constexpr int kFewestYears = 3;
inline constexpr double kFisherZ95 = 1.959964;  // the normal quantile of 97.5 %

struct CorrelationSettings {
  CorrelationMethod method = CorrelationMethod::pearson;
  int min_years = kDefaultMinYears;
  int bootstrap = 0;  // resamples; 0: the interval from Fisher's z
};

struct Correlation {
  int n = 0;  // years both series have
  double r = std::numeric_limits<double>::quiet_NaN();
  double low = std::numeric_limits<double>::quiet_NaN();
  double high = std::numeric_limits<double>::quiet_NaN();
  double p = std::numeric_limits<double>::quiet_NaN();
};

// Room that Spearman's r and the bootstrap reuse from call to call; it grows
// to the longest series seen and is never shrunk.
struct CorrelationWork {
  std::vector<double> x, y;           // the paired years' values
  std::vector<double> rx, ry;         // ranks
  std::vector<std::uint32_t> ox, oy;  // the pairs in order of x and of y
  std::vector<std::uint32_t> count;   // how often a resample draws each pair
  std::vector<std::uint32_t> place, walk_x, walk_y;  // Spearman's resamples: pairs in x's order
  std::vector<std::uint8_t> ties_x, ties_y;
  std::vector<double> boot;           // the resamples' r
  std::vector<double> log_beta;       // log B((n-2)/2, 1/2) by n, NaN until needed
};

// Pearson's r of x[i], y[i] over the i below `count` where both are finite;
// `n` the number of such i. NaN when n < 2 or a series is constant. No
// allocation: the screen's fast path.
double pearson_r(const double* x, const double* y, std::size_t count, int& n);

// The ranks (1 to n) of v[0..n-1], ties at the average of their ranks;
// `order` is room for n indices and ends as the order of v.
void average_ranks(const double* v, std::size_t n, double* ranks, std::uint32_t* order);

// Spearman's r over the paired years, as pearson_r.
double spearman_r(const double* x, const double* y, std::size_t count, int& n, CorrelationWork& w);

// The regularized incomplete beta function I_x(a, b), a, b > 0, 0 <= x <= 1,
// by its continued fraction (the one for I_x(a, b) below
// x = (a + 1) / (a + b + 2), that for 1 - I_(1-x)(b, a) above), summed by
// the forward recurrences of its convergents; NaN outside its domain.
double incomplete_beta(double a, double b, double x);

// The two-sided p-value of r from n pairs (Student's t, n - 2 degrees of
// freedom); NaN for n < 3 or a missing r; 0 for |r| = 1.
double t_test_p(double r, int n);

// The same, keeping the beta function of each n in `w`: the p of many
// correlations of a few n costs no lgamma.
double t_test_p(double r, int n, CorrelationWork& w);

// Fisher's 95 % interval; both NaN for n < 4 or a missing r.
void fisher_interval(double r, int n, double& low, double& high);

// The q-percentile (0 <= q <= 1) of v[0..m-1] by type 7; reorders v. NaN
// for m = 0.
double percentile(double* v, std::size_t m, double q);

// The result of an r of n pairs found elsewhere (the screen's own path):
// missing below the years needed, else r, p and Fisher's interval.
void correlation_from_r(double r, int n, const CorrelationSettings& s, CorrelationWork& w,
                        Correlation& out);

// r, n, p and the interval of x against y (count values each) by the
// settings. With s.bootstrap above 0 the resamples are the first s.bootstrap
// rows of `draws` (which must hold at least n numbers a row; else the
// interval is missing).
void correlate(const double* x, const double* y, std::size_t count, const CorrelationSettings& s,
               const ResampleDraws* draws, CorrelationWork& w, Correlation& out);

}  // namespace versel
