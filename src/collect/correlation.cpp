// Pearson's and Spearman's r, Student's t through the incomplete beta
// function, Fisher's and the bootstrap's intervals.
#include "collect/correlation.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace versel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A finite value: NaN and infinities give NaN when subtracted from
// themselves.
inline bool usable(double v) { return v - v == 0.0; }

double clamp_r(double r) { return r > 1.0 ? 1.0 : (r < -1.0 ? -1.0 : r); }

// r from centred sums; NaN when a series does not vary.
double r_of(double sxy, double sxx, double syy) {
  if (!(sxx > 0.0) || !(syy > 0.0)) return kNaN;
  return clamp_r(sxy / std::sqrt(sxx * syy));
}

// The paired years of x and y into w.x, w.y; their number.
std::size_t pair_up(const double* x, const double* y, std::size_t count, CorrelationWork& w) {
  if (w.x.size() < count) {
    w.x.resize(count);
    w.y.resize(count);
  }
  std::size_t n = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!usable(x[i]) || !usable(y[i])) continue;
    w.x[n] = x[i];
    w.y[n] = y[i];
    ++n;
  }
  return n;
}

// Pearson's r of n dense pairs.
double dense_pearson(const double* x, const double* y, std::size_t n) {
  if (n < 2) return kNaN;
  double sx = 0.0, sy = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    sx += x[i];
    sy += y[i];
  }
  const double mx = sx / static_cast<double>(n), my = sy / static_cast<double>(n);
  double sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double dx = x[i] - mx, dy = y[i] - my;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  return r_of(sxy, sxx, syy);
}

void make_room(CorrelationWork& w, std::size_t n) {
  if (w.rx.size() < n) {
    w.rx.resize(n);
    w.ry.resize(n);
    w.ox.resize(n);
    w.oy.resize(n);
    w.count.resize(n);
  }
}

// The continued fraction of I_x(a, b),
//   1 / (1 + d1 / (1 + d2 / (1 + ...))),
//   d(2m+1) = -(a + m)(a + b + m) x / ((a + 2m)(a + 2m + 1)),
//   d(2m)   = m (b - m) x / ((a + 2m - 1)(a + 2m)),
// by the forward recurrences of its convergents' numerators and
// denominators, P(k) = P(k-1) + d(k) P(k-2), rescaled when they grow: no
// division waits on the one before (as in Lentz's method), one quotient a
// pair of terms tells when the value settles. NaN when it does not.
double beta_fraction(double a, double b, double x) {
  constexpr double kEps = 1e-15;
  constexpr double kHuge = 1e150;
  constexpr int kMaxTerms = 100000;
  // convergents of the fraction's denominator 1 + d1 / (1 + ...): p / q
  double p2 = 1.0, q2 = 0.0;  // k = -1
  double p1 = 1.0, q1 = 1.0;  // k = 0
  double last = 1.0;          // the fraction at the last check
  auto step = [&](double d) {
    const double p = p1 + d * p2, q = q1 + d * q2;
    p2 = p1;
    q2 = q1;
    p1 = p;
    q1 = q;
  };
  step(-(a + b) * x / (a + 1.0));
  for (int m = 1; m <= kMaxTerms; ++m) {
    const double m2 = 2.0 * m;
    step(m * (b - m) * x / ((a + m2 - 1.0) * (a + m2)));
    step(-(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1.0)));
    if (std::fabs(p1) > kHuge || std::fabs(q1) > kHuge) {
      p1 /= kHuge;
      q1 /= kHuge;
      p2 /= kHuge;
      q2 /= kHuge;
    }
    const double value = q1 / p1;  // 1 / (1 + ...)
    if (std::fabs(value - last) <= kEps * std::fabs(value)) return value;
    last = value;
  }
  return kNaN;
}

// I_x(a, b) with log B(a, b) given, by the fraction of I_x(a, b) itself or,
// when `swap`, by I_x(a, b) = 1 - I_(1-x)(b, a).
double beta_given(double a, double b, double x, double log_beta, bool swap) {
  if (!(a > 0.0) || !(b > 0.0) || !(x >= 0.0) || !(x <= 1.0)) return kNaN;
  if (x == 0.0) return 0.0;
  if (x == 1.0) return 1.0;
  // x^a (1-x)^b / B(a, b), in logarithms
  const double front = std::exp(a * std::log(x) + b * std::log1p(-x) - log_beta);
  if (!swap) return front * beta_fraction(a, b, x) / a;
  return 1.0 - front * beta_fraction(b, a, 1.0 - x) / b;
}

// The 2.5 % and 97.5 % percentiles of the resamples' r.
void percentile_interval(CorrelationWork& w, std::size_t m, double& low, double& high) {
  low = percentile(w.boot.data(), m, 0.025);
  high = percentile(w.boot.data(), m, 0.975);
}

// Pearson's r of every resample of w.x, w.y (n pairs) into w.boot; the
// number of them that are not missing.
std::size_t pearson_resamples(CorrelationWork& w, std::size_t n, int resamples,
                              const ResampleDraws& draws) {
  // centred once, so that the sums of a resample lose nothing to a large mean
  double mx = 0.0, my = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    mx += w.x[i];
    my += w.y[i];
  }
  mx /= static_cast<double>(n);
  my /= static_cast<double>(n);
  for (std::size_t i = 0; i < n; ++i) {
    w.x[i] -= mx;
    w.y[i] -= my;
  }
  const auto n32 = static_cast<std::uint32_t>(n);
  const double dn = static_cast<double>(n);
  std::size_t kept = 0;
  for (int b = 0; b < resamples; ++b) {
    const std::uint32_t* row = draws.row(b);
    double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint32_t j = draw_index(row[i], n32);
      const double x = w.x[j], y = w.y[j];
      sx += x;
      sy += y;
      sxx += x * x;
      syy += y * y;
      sxy += x * y;
    }
    const double vx = sxx - sx * sx / dn, vy = syy - sy * sy / dn;
    // a resample of one repeated year does not vary: its r is missing
    if (!(vx > 1e-12 * sxx) || !(vy > 1e-12 * syy)) continue;
    w.boot[kept++] = clamp_r((sxy - sx * sy / dn) / std::sqrt(vx * vy));
  }
  return kept;
}

// The ranks within a resample, centred on the mean rank (n + 1) / 2, of n
// pairs taken in the order of their value: walk[k] is where the k-th
// smallest pair's count and rank are kept, ties[k] tells whether it ties
// with the next, and a pair drawn count times holds count places.
void resample_ranks(const std::uint32_t* walk, const std::uint8_t* ties,
                    const std::uint32_t* count, std::size_t n, double* rank) {
  const double mean = (static_cast<double>(n) + 1.0) / 2.0;
  double below = 0.0;  // draws of smaller values
  double drawn = 0.0;  // draws of the values tied so far
  std::size_t group = 0;
  for (std::size_t k = 0; k < n; ++k) {
    drawn += count[walk[k]];
    if (ties[k]) continue;
    const double r = below + (drawn + 1.0) / 2.0 - mean;
    for (std::size_t g = group; g <= k; ++g) rank[walk[g]] = r;
    below += drawn;
    drawn = 0.0;
    group = k + 1;
  }
}

// Spearman's r of every resample into w.boot, from the pairs' orders w.ox
// and w.oy (sorted once, by average_ranks) and how often each pair is
// drawn. The pairs are kept in the order of x, so that x's ranks come from
// a plain walk; y's walk goes through y's order in those places.
std::size_t spearman_resamples(CorrelationWork& w, std::size_t n, int resamples,
                               const ResampleDraws& draws) {
  w.place.resize(n);
  w.walk_x.resize(n);
  w.walk_y.resize(n);
  w.ties_x.resize(n);
  w.ties_y.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    w.place[w.ox[k]] = static_cast<std::uint32_t>(k);
    w.walk_x[k] = static_cast<std::uint32_t>(k);
    w.ties_x[k] = k + 1 < n && w.x[w.ox[k]] == w.x[w.ox[k + 1]];
    w.ties_y[k] = k + 1 < n && w.y[w.oy[k]] == w.y[w.oy[k + 1]];
  }
  for (std::size_t k = 0; k < n; ++k) w.walk_y[k] = w.place[w.oy[k]];
  const auto n32 = static_cast<std::uint32_t>(n);
  std::size_t kept = 0;
  for (int b = 0; b < resamples; ++b) {
    const std::uint32_t* row = draws.row(b);
    std::fill(w.count.begin(), w.count.begin() + static_cast<std::ptrdiff_t>(n), 0u);
    for (std::size_t i = 0; i < n; ++i) ++w.count[w.place[draw_index(row[i], n32)]];
    resample_ranks(w.walk_x.data(), w.ties_x.data(), w.count.data(), n, w.rx.data());
    resample_ranks(w.walk_y.data(), w.ties_y.data(), w.count.data(), n, w.ry.data());
    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
      const double c = w.count[k], dx = w.rx[k], dy = w.ry[k];
      sxx += c * dx * dx;
      syy += c * dy * dy;
      sxy += c * dx * dy;
    }
    const double r = r_of(sxy, sxx, syy);
    if (!std::isnan(r)) w.boot[kept++] = r;
  }
  return kept;
}

}  // namespace

double pearson_r(const double* x, const double* y, std::size_t count, int& n) {
  std::size_t k = 0;
  double sx = 0.0, sy = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const bool both = usable(x[i]) && usable(y[i]);
    k += both;
    sx += both ? x[i] : 0.0;
    sy += both ? y[i] : 0.0;
  }
  n = static_cast<int>(k);
  if (k < 2) return kNaN;
  const double mx = sx / static_cast<double>(k), my = sy / static_cast<double>(k);
  double sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const bool both = usable(x[i]) && usable(y[i]);
    const double dx = both ? x[i] - mx : 0.0, dy = both ? y[i] - my : 0.0;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  return r_of(sxy, sxx, syy);
}

void average_ranks(const double* v, std::size_t n, double* ranks, std::uint32_t* order) {
  std::iota(order, order + n, 0u);
  std::sort(order, order + n, [v](std::uint32_t a, std::uint32_t b) {
    return v[a] < v[b] || (v[a] == v[b] && a < b);
  });
  std::size_t i = 0;
  while (i < n) {
    std::size_t j = i;
    while (j + 1 < n && v[order[j + 1]] == v[order[i]]) ++j;
    const double rank = (static_cast<double>(i + j) + 2.0) / 2.0;  // ranks i+1 .. j+1
    for (std::size_t k = i; k <= j; ++k) ranks[order[k]] = rank;
    i = j + 1;
  }
}

double spearman_r(const double* x, const double* y, std::size_t count, int& n, CorrelationWork& w) {
  const std::size_t k = pair_up(x, y, count, w);
  n = static_cast<int>(k);
  if (k < 2) return kNaN;
  make_room(w, k);
  average_ranks(w.x.data(), k, w.rx.data(), w.ox.data());
  average_ranks(w.y.data(), k, w.ry.data(), w.oy.data());
  return dense_pearson(w.rx.data(), w.ry.data(), k);
}

double incomplete_beta(double a, double b, double x) {
  if (!(a > 0.0) || !(b > 0.0)) return kNaN;
  // the fraction converges fast below (a + 1) / (a + b + 2)
  return beta_given(a, b, x, std::lgamma(a) + std::lgamma(b) - std::lgamma(a + b),
                    x >= (a + 1.0) / (a + b + 2.0));
}

double t_test_p(double r, int n) {
  CorrelationWork w;
  return t_test_p(r, n, w);
}

double t_test_p(double r, int n, CorrelationWork& w) {
  if (n < kFewestYears || std::isnan(r)) return kNaN;
  const double ar = std::fabs(r);
  if (ar >= 1.0) return 0.0;
  // t^2 / (df + t^2) = r^2, so df / (df + t^2) = 1 - r^2
  const double a = (n - 2.0) / 2.0;
  const auto at = static_cast<std::size_t>(n);
  if (w.log_beta.size() <= at) w.log_beta.resize(at + 1, kNaN);
  double& log_beta = w.log_beta[at];
  if (std::isnan(log_beta)) log_beta = std::lgamma(a) + std::lgamma(0.5) - std::lgamma(a + 0.5);
  // x^a (1 - x)^(1/2) / B(a, 1/2) with x = 1 - r^2: (1 - x)^(1/2) is |r|
  const double r2 = ar * ar;
  const double log_x = r2 < 0.5 ? std::log1p(-r2) : std::log((1.0 - ar) * (1.0 + ar));
  const double front = std::exp(a * log_x - log_beta) * ar;
  // I(1 - r^2; a, 1/2) settles in fewer terms as 1 - I(r^2; 1/2, a) while
  // r^2 < 0.6 / sqrt(a) (measured from n = 20 to 500: there p is above
  // 1e-4, so the difference from 1 costs no digit that matters)
  if (r2 < 0.6 / std::sqrt(a)) return 1.0 - front * beta_fraction(0.5, a, r2) / 0.5;
  return front * beta_fraction(a, 0.5, (1.0 - ar) * (1.0 + ar)) / a;
}

void correlation_from_r(double r, int n, const CorrelationSettings& s, CorrelationWork& w,
                        Correlation& out) {
  out = Correlation{};
  out.n = n;
  if (n < std::max(s.min_years, kFewestYears) || std::isnan(r)) return;
  out.r = r;
  out.p = t_test_p(r, n, w);
  fisher_interval(r, n, out.low, out.high);
}

void fisher_interval(double r, int n, double& low, double& high) {
  low = high = kNaN;
  if (n < 4 || std::isnan(r)) return;
  if (std::fabs(r) >= 1.0) {
    low = high = r;
    return;
  }
  // tanh(atanh(r) -+ h) = (r -+ t) / (1 -+ r t) with t = tanh(h)
  const double t = std::tanh(kFisherZ95 / std::sqrt(n - 3.0));
  low = (r - t) / (1.0 - r * t);
  high = (r + t) / (1.0 + r * t);
}

double percentile(double* v, std::size_t m, double q) {
  if (m == 0) return kNaN;
  const double h = static_cast<double>(m - 1) * q;
  auto k = static_cast<std::size_t>(std::floor(h));
  if (k >= m - 1) return *std::max_element(v, v + m);
  const double f = h - static_cast<double>(k);
  std::nth_element(v, v + k, v + m);
  const double below = v[k];
  if (f == 0.0) return below;
  const double above = *std::min_element(v + k + 1, v + m);
  return below + f * (above - below);
}

void correlate(const double* x, const double* y, std::size_t count, const CorrelationSettings& s,
               const ResampleDraws* draws, CorrelationWork& w, Correlation& out) {
  out = Correlation{};
  const int fewest = std::max(s.min_years, kFewestYears);
  if (s.method == CorrelationMethod::pearson && s.bootstrap <= 0) {
    // the fast path: no copy, no allocation
    int n = 0;
    const double r = pearson_r(x, y, count, n);
    correlation_from_r(r, n, s, w, out);
    return;
  }
  const std::size_t n = pair_up(x, y, count, w);
  out.n = static_cast<int>(n);
  if (out.n < fewest) return;
  make_room(w, n);
  double r = kNaN;
  if (s.method == CorrelationMethod::spearman) {
    average_ranks(w.x.data(), n, w.rx.data(), w.ox.data());
    average_ranks(w.y.data(), n, w.ry.data(), w.oy.data());
    r = dense_pearson(w.rx.data(), w.ry.data(), n);
  } else {
    r = dense_pearson(w.x.data(), w.y.data(), n);
  }
  if (std::isnan(r)) return;
  out.r = r;
  out.p = t_test_p(r, out.n, w);
  if (s.bootstrap <= 0) {
    fisher_interval(r, out.n, out.low, out.high);
    return;
  }
  if (draws == nullptr || draws->resamples < s.bootstrap || draws->per_row < static_cast<int>(n))
    return;
  if (w.boot.size() < static_cast<std::size_t>(s.bootstrap))
    w.boot.resize(static_cast<std::size_t>(s.bootstrap));
  const std::size_t kept = s.method == CorrelationMethod::spearman
                               ? spearman_resamples(w, n, s.bootstrap, *draws)
                               : pearson_resamples(w, n, s.bootstrap, *draws);
  percentile_interval(w, kept, out.low, out.high);
}

}  // namespace versel
