// Correlations of series with missing values: r against textbook sums and
// brute-force ranks computed here, p-values against the t density
// integrated here and against reference values (scipy 1.10), Fisher's and
// the bootstrap's intervals, and the generator's outputs pinned.
#include "collect/correlation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "collect/screen_random.h"

namespace versel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A made-up pair of series: y follows x with noise, from a small LCG of the
// test's own (so that the series do not depend on the code under test).
struct Series2 {
  std::vector<double> x, y;
};

Series2 made_up(int n, double slope, unsigned seed) {
  Series2 s;
  unsigned state = seed;
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return static_cast<double>((state >> 8) & 0xFFFF) / 65536.0 - 0.5;
  };
  for (int i = 0; i < n; ++i) {
    double a = next() * 10.0 + 280.0;  // a large mean, as temperatures in kelvin
    s.x.push_back(a);
    s.y.push_back(slope * (a - 280.0) + next() * 3.0 + 1.0);
  }
  return s;
}

// Pearson's r by the textbook sums in long double, over the finite pairs.
double textbook_r(const std::vector<double>& x, const std::vector<double>& y) {
  long double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
    long double a = x[i], b = y[i];
    n += 1;
    sx += a;
    sy += b;
    sxx += a * a;
    syy += b * b;
    sxy += a * b;
  }
  return static_cast<double>((n * sxy - sx * sy) /
                             std::sqrt((n * sxx - sx * sx) * (n * syy - sy * sy)));
}

// Ranks by counting: the values below, plus half of the equal ones beyond
// the value itself.
std::vector<double> counted_ranks(const std::vector<double>& v) {
  std::vector<double> r(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) {
    double below = 0, equal = 0;
    for (double w : v) {
      below += w < v[i];
      equal += w == v[i];
    }
    r[i] = below + (equal + 1) / 2;
  }
  return r;
}

double brute_spearman(const std::vector<double>& x, const std::vector<double>& y) {
  return textbook_r(counted_ranks(x), counted_ranks(y));
}

// The two-sided p of t with df degrees of freedom: 1 - 2 * integral of the
// t density from 0 to |t| by Simpson's rule.
double integrated_p(double t, double df) {
  const double c = std::exp(std::lgamma((df + 1) / 2) - std::lgamma(df / 2)) / std::sqrt(df * M_PI);
  auto f = [&](double u) { return c * std::pow(1 + u * u / df, -(df + 1) / 2); };
  const int steps = 20000;
  const double h = std::fabs(t) / steps;
  double s = f(0) + f(std::fabs(t));
  for (int i = 1; i < steps; ++i) s += (i % 2 ? 4 : 2) * f(i * h);
  return 1 - 2 * s * h / 3;
}

TEST(Correlation, PearsonAgainstTextbookSums) {
  for (double slope : {0.8, -0.3, 0.0}) {
    Series2 s = made_up(57, slope, 7u);
    int n = 0;
    EXPECT_NEAR(pearson_r(s.x.data(), s.y.data(), s.x.size(), n), textbook_r(s.x, s.y), 1e-12)
        << slope;
    EXPECT_EQ(n, 57);
  }
}

TEST(Correlation, MissingYearsArePassedOver) {
  Series2 s = made_up(40, 0.5, 3u);
  s.x[0] = kNaN;
  s.y[5] = kNaN;
  s.x[17] = std::numeric_limits<double>::infinity();
  s.y[39] = kNaN;
  s.x[39] = kNaN;
  int n = 0;
  const double r = pearson_r(s.x.data(), s.y.data(), s.x.size(), n);
  EXPECT_EQ(n, 36);
  EXPECT_NEAR(r, textbook_r(s.x, s.y), 1e-12);
  CorrelationWork w;
  int ns = 0;
  EXPECT_NEAR(spearman_r(s.x.data(), s.y.data(), s.x.size(), ns, w),
              brute_spearman(
                  [&] {
                    std::vector<double> a;
                    for (std::size_t i = 0; i < s.x.size(); ++i)
                      if (std::isfinite(s.x[i]) && std::isfinite(s.y[i])) a.push_back(s.x[i]);
                    return a;
                  }(),
                  [&] {
                    std::vector<double> b;
                    for (std::size_t i = 0; i < s.x.size(); ++i)
                      if (std::isfinite(s.x[i]) && std::isfinite(s.y[i])) b.push_back(s.y[i]);
                    return b;
                  }()),
              1e-12);
  EXPECT_EQ(ns, 36);
}

TEST(Correlation, SpearmanWithTies) {
  struct Case {
    std::vector<double> x, y;
    double scipy;  // scipy.stats.spearmanr
  };
  const std::vector<Case> cases = {
      {{1, 2, 3, 4, 5, 6, 7, 8}, {2, 1, 4, 4, 5, 9, 7, 7}, 0.8916309815169778},
      {{3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5}, {2, 7, 1, 8, 2, 8, 1, 8, 2, 8, 4}, 0.1384567651467695},
  };
  CorrelationWork w;
  for (const Case& c : cases) {
    int n = 0;
    const double r = spearman_r(c.x.data(), c.y.data(), c.x.size(), n, w);
    EXPECT_NEAR(r, c.scipy, 1e-14);
    EXPECT_NEAR(r, brute_spearman(c.x, c.y), 1e-14);
  }
  // a monotone bend is a perfect rank correlation
  std::vector<double> x = {1, 2, 3, 4, 5, 6}, y = {1, 8, 27, 64, 125, 216};
  int n = 0;
  EXPECT_DOUBLE_EQ(spearman_r(x.data(), y.data(), 6, n, w), 1.0);
  std::vector<double> ranks(4);
  std::vector<std::uint32_t> order(4);
  const double v[] = {5, 1, 5, 5};
  average_ranks(v, 4, ranks.data(), order.data());
  EXPECT_EQ(ranks, (std::vector<double>{3, 1, 3, 3}));
}

TEST(Correlation, IncompleteBetaClosedFormsAndReferences) {
  // I_x(a, 1) = x^a; I_x(1, b) = 1 - (1-x)^b; I_1/2(a, a) = 1/2; integer a, b:
  // I_x(a, b) = sum_{j=a}^{a+b-1} C(a+b-1, j) x^j (1-x)^(a+b-1-j)
  auto binomial_sum = [](int a, int b, double x) {
    const int m = a + b - 1;
    double s = 0;
    for (int j = a; j <= m; ++j)
      s += std::exp(std::lgamma(m + 1.0) - std::lgamma(j + 1.0) - std::lgamma(m - j + 1.0)) *
           std::pow(x, j) * std::pow(1 - x, m - j);
    return s;
  };
  for (double x : {0.01, 0.2, 0.5, 0.77, 0.999}) {
    EXPECT_NEAR(incomplete_beta(3.5, 1, x), std::pow(x, 3.5), 1e-14) << x;
    EXPECT_NEAR(incomplete_beta(1, 7.25, x), 1 - std::pow(1 - x, 7.25), 1e-14) << x;
    EXPECT_NEAR(incomplete_beta(2, 3, x), binomial_sum(2, 3, x), 1e-14) << x;
    EXPECT_NEAR(incomplete_beta(12, 9, x), binomial_sum(12, 9, x), 1e-13) << x;
  }
  // large a and b: the front factor from lgamma near 250 carries a relative 1e-14
  EXPECT_NEAR(incomplete_beta(40, 40, 0.5), 0.5, 1e-12);
  struct Ref {
    double a, b, x, scipy;  // scipy.special.betainc
  };
  for (const Ref& r :
       {Ref{0.5, 0.5, 0.3, 0.3690101195655454}, Ref{9, 0.5, 0.75, 0.024769558804109686},
        Ref{50, 0.5, 0.99, 0.31730439787419623}, Ref{2.5, 3.5, 0.2, 0.1328173097780491}}) {
    EXPECT_NEAR(incomplete_beta(r.a, r.b, r.x), r.scipy, 1e-13) << r.a << " " << r.b;
  }
  // tiny values keep their relative precision
  EXPECT_NEAR(incomplete_beta(100, 0.5, 0.2) / 7.976289553984951e-72, 1.0, 1e-10);
  EXPECT_EQ(incomplete_beta(2, 3, 0), 0.0);
  EXPECT_EQ(incomplete_beta(2, 3, 1), 1.0);
  EXPECT_TRUE(std::isnan(incomplete_beta(2, 3, 1.5)));
  EXPECT_TRUE(std::isnan(incomplete_beta(0, 3, 0.5)));
  EXPECT_TRUE(std::isnan(incomplete_beta(2, 3, kNaN)));
}

TEST(Correlation, TwoSidedPValues) {
  struct Ref {
    double r;
    int n;
    double scipy;  // 2 * scipy.stats.t.sf(|t|, n - 2)
  };
  for (const Ref& c : {Ref{0.5, 20, 0.024769558804109703}, Ref{0.3, 30, 0.10724594805795437},
                       Ref{-0.8, 12, 0.0017818399999999966}, Ref{0.05, 100, 0.6212899778453027}}) {
    const double p = t_test_p(c.r, c.n);
    EXPECT_NEAR(p, c.scipy, 1e-13) << c.r << " " << c.n;
    const double t = c.r * std::sqrt((c.n - 2) / (1 - c.r * c.r));
    EXPECT_NEAR(p, integrated_p(t, c.n - 2), 1e-9) << c.r << " " << c.n;
  }
  // far tails keep their relative precision
  EXPECT_NEAR(t_test_p(0.9, 120) / 2.2722389509360754e-44, 1.0, 1e-9);
  EXPECT_NEAR(t_test_p(-0.999, 25) / 1.5000436261385237e-32, 1.0, 1e-9);
  EXPECT_EQ(t_test_p(1.0, 30), 0.0);
  EXPECT_EQ(t_test_p(0.0, 30), 1.0);
  EXPECT_TRUE(std::isnan(t_test_p(0.5, 2)));
  EXPECT_TRUE(std::isnan(t_test_p(kNaN, 30)));
}

TEST(Correlation, FisherIntervals) {
  double low = 0, high = 0;
  fisher_interval(0.5, 20, low, high);  // numpy: tanh(arctanh(r) -+ 1.959964 / sqrt(n - 3))
  EXPECT_NEAR(low, 0.07381057067824993, 1e-15);
  EXPECT_NEAR(high, 0.7717607079461972, 1e-15);
  fisher_interval(-0.3, 50, low, high);
  EXPECT_NEAR(low, -0.5337751884980813, 1e-15);
  EXPECT_NEAR(high, -0.023625075135027335, 1e-15);
  fisher_interval(0.5, 3, low, high);
  EXPECT_TRUE(std::isnan(low) && std::isnan(high));
  fisher_interval(-1.0, 30, low, high);
  EXPECT_EQ(low, -1.0);
  EXPECT_EQ(high, -1.0);
}

TEST(Correlation, PercentilesByLinearInterpolation) {
  // numpy.percentile (linear) of these seven values
  const std::vector<double> v = {0.3, -0.1, 0.25, 0.7, 0.05, 0.4, 0.33};
  struct Case {
    double q, numpy;
  };
  for (const Case& c : {Case{0.025, -0.0775}, Case{0.5, 0.3}, Case{0.975, 0.6549999999999998},
                        Case{0.0, -0.1}, Case{1.0, 0.7}}) {
    std::vector<double> w = v;
    EXPECT_NEAR(percentile(w.data(), w.size(), c.q), c.numpy, 1e-15) << c.q;
  }
  EXPECT_TRUE(std::isnan(percentile(nullptr, 0, 0.5)));
}

TEST(Correlation, MissingBelowTheYearsNeededOrWithoutVariation) {
  Series2 s = made_up(25, 0.7, 11u);
  CorrelationWork w;
  Correlation c;
  CorrelationSettings set;
  set.min_years = 26;
  for (CorrelationMethod m : {CorrelationMethod::pearson, CorrelationMethod::spearman}) {
    set.method = m;
    correlate(s.x.data(), s.y.data(), s.x.size(), set, nullptr, w, c);
    EXPECT_EQ(c.n, 25);
    EXPECT_TRUE(std::isnan(c.r) && std::isnan(c.p) && std::isnan(c.low) && std::isnan(c.high));
  }
  set.min_years = 25;
  set.method = CorrelationMethod::pearson;
  correlate(s.x.data(), s.y.data(), s.x.size(), set, nullptr, w, c);
  EXPECT_FALSE(std::isnan(c.r));
  std::vector<double> flat(25, 4.5);
  correlate(flat.data(), s.y.data(), 25, set, nullptr, w, c);
  EXPECT_EQ(c.n, 25);
  EXPECT_TRUE(std::isnan(c.r));
  // never fewer than 3 pairs, whatever the setting
  set.min_years = 0;
  correlate(s.x.data(), s.y.data(), 2, set, nullptr, w, c);
  EXPECT_TRUE(std::isnan(c.r));
}

TEST(Correlation, FullResultsOfBothMethods) {
  Series2 s = made_up(48, 0.4, 5u);
  s.y[10] = kNaN;
  CorrelationWork w;
  Correlation c;
  CorrelationSettings set;
  correlate(s.x.data(), s.y.data(), s.x.size(), set, nullptr, w, c);
  EXPECT_EQ(c.n, 47);
  EXPECT_NEAR(c.r, textbook_r(s.x, s.y), 1e-12);
  EXPECT_DOUBLE_EQ(c.p, t_test_p(c.r, 47));
  double low = 0, high = 0;
  fisher_interval(c.r, 47, low, high);
  EXPECT_DOUBLE_EQ(c.low, low);
  EXPECT_DOUBLE_EQ(c.high, high);
  set.method = CorrelationMethod::spearman;
  correlate(s.x.data(), s.y.data(), s.x.size(), set, nullptr, w, c);
  std::vector<double> a = s.x, b = s.y;
  a.erase(a.begin() + 10);
  b.erase(b.begin() + 10);
  EXPECT_NEAR(c.r, brute_spearman(a, b), 1e-12);
  EXPECT_DOUBLE_EQ(c.p, t_test_p(c.r, 47));
}

TEST(RandomDraws, OutputsArePinned) {
  // xoshiro256** seeded by splitmix64, as written out in Python for this test
  RandomState r = seed_random(0);
  EXPECT_EQ(next_random(r), 0x99ec5f36cb75f2b4ULL);
  EXPECT_EQ(next_random(r), 0xbf6e1f784956452aULL);
  EXPECT_EQ(next_random(r), 0x1a5f849d4933e6e0ULL);
  r = seed_random(2024);
  EXPECT_EQ(next_random(r), 0x0e48715a13d7772eULL);
  EXPECT_EQ(next_random(r), 0xc837f3ee8a7a1065ULL);
  ResampleDraws d = draw_resamples(2024, 3, 5);
  ASSERT_EQ(d.raw.size(), 15u);
  EXPECT_EQ(d.raw[0], 0x0e48715au);
  EXPECT_EQ(d.row(1)[0], d.raw[5]);
  // indices below n, and every index reached
  std::vector<int> seen(7, 0);
  ResampleDraws many = draw_resamples(1, 100, 7);
  for (std::uint32_t v : many.raw) {
    ASSERT_LT(draw_index(v, 7), 7u);
    ++seen[draw_index(v, 7)];
  }
  for (int k : seen) EXPECT_GT(k, 60);
  EXPECT_EQ(draw_index(0xFFFFFFFFu, 120), 119u);
  EXPECT_EQ(draw_index(0u, 120), 0u);
}

// The bootstrap against resamples built here: the same draws, each resample
// copied out and correlated by the textbook sums or brute-force ranks,
// percentiles of the sorted r by type 7.
void expect_bootstrap_as_built_here(CorrelationMethod method) {
  Series2 s = made_up(60, 0.5, 21u);
  s.x[3] = kNaN;
  const int resamples = 400;
  ResampleDraws draws = draw_resamples(77, resamples, 64);
  CorrelationWork w;
  Correlation c;
  CorrelationSettings set;
  set.method = method;
  set.bootstrap = resamples;
  correlate(s.x.data(), s.y.data(), s.x.size(), set, &draws, w, c);
  std::vector<double> a, b;
  for (std::size_t i = 0; i < s.x.size(); ++i)
    if (std::isfinite(s.x[i])) {
      a.push_back(s.x[i]);
      b.push_back(s.y[i]);
    }
  const auto n = static_cast<std::uint32_t>(a.size());
  std::vector<double> rs;
  for (int k = 0; k < resamples; ++k) {
    std::vector<double> ra, rb;
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint32_t j = draw_index(draws.row(k)[i], n);
      ra.push_back(a[j]);
      rb.push_back(b[j]);
    }
    rs.push_back(method == CorrelationMethod::pearson ? textbook_r(ra, rb)
                                                      : brute_spearman(ra, rb));
  }
  std::sort(rs.begin(), rs.end());
  auto type7 = [&](double q) {
    double h = (rs.size() - 1) * q;
    auto k = static_cast<std::size_t>(h);
    return rs[k] + (h - k) * (rs[k + 1] - rs[k]);
  };
  EXPECT_EQ(c.n, 59);
  EXPECT_NEAR(c.low, type7(0.025), 1e-12);
  EXPECT_NEAR(c.high, type7(0.975), 1e-12);
  EXPECT_LT(c.low, c.r);
  EXPECT_GT(c.high, c.r);
  // the same seed, the same numbers; another seed, others
  Correlation again;
  correlate(s.x.data(), s.y.data(), s.x.size(), set, &draws, w, again);
  EXPECT_EQ(again.low, c.low);
  EXPECT_EQ(again.high, c.high);
  ResampleDraws other = draw_resamples(78, resamples, 64);
  correlate(s.x.data(), s.y.data(), s.x.size(), set, &other, w, again);
  EXPECT_NE(again.low, c.low);
  EXPECT_EQ(again.r, c.r);
}

TEST(Bootstrap, PearsonResamplesAsBuiltHere) {
  expect_bootstrap_as_built_here(CorrelationMethod::pearson);
}

TEST(Bootstrap, SpearmanResamplesRankedWithinEachResample) {
  expect_bootstrap_as_built_here(CorrelationMethod::spearman);
}

TEST(Bootstrap, SpearmanWithTiesWithinResamples) {
  // values on a coarse grid: many ties in the series and more in resamples
  std::vector<double> x, y;
  for (int i = 0; i < 30; ++i) {
    x.push_back(i % 7);
    y.push_back((i * 5) % 11 + (i % 7) * 2);
  }
  ResampleDraws draws = draw_resamples(5, 50, 30);
  CorrelationWork w;
  Correlation c;
  CorrelationSettings set;
  set.method = CorrelationMethod::spearman;
  set.bootstrap = 50;
  correlate(x.data(), y.data(), x.size(), set, &draws, w, c);
  std::vector<double> rs;
  for (int k = 0; k < 50; ++k) {
    std::vector<double> ra, rb;
    for (int i = 0; i < 30; ++i) {
      std::uint32_t j = draw_index(draws.row(k)[i], 30);
      ra.push_back(x[j]);
      rb.push_back(y[j]);
    }
    rs.push_back(brute_spearman(ra, rb));
  }
  std::sort(rs.begin(), rs.end());
  const double h = 49 * 0.025;
  EXPECT_NEAR(c.low, rs[1] + (h - 1) * (rs[2] - rs[1]), 1e-12);
  EXPECT_NEAR(c.r, brute_spearman(x, y), 1e-12);
}

TEST(Bootstrap, TooFewDrawsLeaveTheIntervalMissing) {
  Series2 s = made_up(30, 0.5, 2u);
  ResampleDraws short_rows = draw_resamples(1, 100, 29);
  CorrelationWork w;
  Correlation c;
  CorrelationSettings set;
  set.bootstrap = 100;
  correlate(s.x.data(), s.y.data(), 30, set, &short_rows, w, c);
  EXPECT_FALSE(std::isnan(c.r));
  EXPECT_TRUE(std::isnan(c.low) && std::isnan(c.high));
  correlate(s.x.data(), s.y.data(), 30, set, nullptr, w, c);
  EXPECT_TRUE(std::isnan(c.low));
}

}  // namespace
}  // namespace versel
