// Scanning a file's months for values that look like an undeclared flag.
#include "collect/outliers.h"

#include <algorithm>
#include <cmath>

namespace versel {
namespace {

// The median of `v` (reordered): the middle value, or the mean of the two
// middle values.
double median_of(std::vector<double>& v) {
  const std::size_t n = v.size();
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n / 2), v.end());
  const double upper = v[n / 2];
  if (n % 2 == 1) return upper;
  const double lower = *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n / 2));
  return (lower + upper) / 2.0;
}

}  // namespace

void scan_months(OutlierScan& scan, const std::vector<float>& months) {
  for (float v : months) {
    if (v == scan.flag || v != v) continue;  // missing, or NaN
    ++scan.seen;
    if (!scan.any) {
      scan.any = true;
      scan.smallest = scan.largest = v;
      scan.smallest_count = scan.largest_count = 0;
    }
    if (v <= scan.smallest) {
      if (v < scan.smallest) {
        scan.smallest = v;
        scan.smallest_count = 0;
      }
      ++scan.smallest_count;
    }
    if (v >= scan.largest) {
      if (v > scan.largest) {
        scan.largest = v;
        scan.largest_count = 0;
      }
      ++scan.largest_count;
    }
    scan.negative_count += v < 0.0f;
    if (--scan.until_sample != 0) continue;
    scan.until_sample = scan.stride;
    scan.sample.push_back(v);
    if (scan.sample.size() == kSampleLimit) {
      // every other value kept: the sample stays spread over the whole file
      for (std::size_t i = 0; i < kSampleLimit / 2; ++i) scan.sample[i] = scan.sample[2 * i];
      scan.sample.resize(kSampleLimit / 2);
      scan.stride *= 2;
      scan.until_sample = scan.stride;
    }
  }
}

std::vector<Outlier> find_outliers(const OutlierScan& scan) {
  std::vector<Outlier> found;
  if (scan.sample.size() < static_cast<std::size_t>(kOutlierMinCount)) return found;
  std::vector<double> v(scan.sample.begin(), scan.sample.end());
  const double median = median_of(v);
  for (double& x : v) x = std::fabs(x - median);
  double spread = median_of(v);
  if (spread == 0.0) {
    // most months at the median (a dry station's zeros): the mean deviation
    double sum = 0.0;
    for (double x : v) sum += x;
    spread = sum / static_cast<double>(v.size());
  }
  if (spread == 0.0) return found;
  auto consider = [&](float value, std::int64_t count, bool largest) {
    const double deviations = std::fabs(static_cast<double>(value) - median) / spread;
    const bool only_negative = !largest && value < 0.0f && count == scan.negative_count &&
                               scan.largest > 0.0f;
    if (count >= kOutlierMinCount && (deviations > kOutlierDeviations || only_negative))
      found.push_back({value, count, largest, static_cast<float>(median), deviations,
                       only_negative && deviations <= kOutlierDeviations, scan.seen});
  };
  consider(scan.smallest, scan.smallest_count, false);
  if (scan.largest != scan.smallest) consider(scan.largest, scan.largest_count, true);
  return found;
}

}  // namespace versel
