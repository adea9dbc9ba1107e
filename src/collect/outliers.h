// Values that look like an undeclared missing-value flag: a value that
// stands in at least 3 months of a file, is the file's smallest or largest
// valid value, and lies more than 10 median absolute deviations from the
// median of all its valid months (999.9, -888 among temperatures). They are
// reported, never changed: the run's outputs stay as they are. A dry
// station's many zeros lie at its median and are no outlier. So is a value
// that stands in at least 3 months as the file's only negative value (-9
// among precipitation sums), however close to the median it lies.
#pragma once

#include <cstdint>
#include <vector>

namespace versel {

struct OutlierScan {
  float flag = 0.0f;  // months equal to it are missing and not looked at
  bool any = false;   // a valid month was seen
  float smallest = 0.0f;
  float largest = 0.0f;
  std::int64_t smallest_count = 0;
  std::int64_t largest_count = 0;
  std::int64_t negative_count = 0;  // valid months below zero
  // every stride-th valid month, for the median and the deviations: at most
  // kSampleLimit of them, spread evenly over the file
  std::vector<float> sample;
  std::uint64_t stride = 1;
  std::uint64_t until_sample = 1;  // valid months to the next one the sample takes
  std::uint64_t seen = 0;
};

inline constexpr std::size_t kSampleLimit = std::size_t{1} << 20;
inline constexpr std::int64_t kOutlierMinCount = 3;
inline constexpr double kOutlierDeviations = 10.0;

// Takes the valid months of one station into the scan.
void scan_months(OutlierScan& scan, const std::vector<float>& months);

struct Outlier {
  float value = 0.0f;
  std::int64_t count = 0;
  bool largest = false;   // the file's largest value (else its smallest)
  float median = 0.0f;    // of all valid months
  double deviations = 0;  // how many median absolute deviations from the median
  bool only_negative = false;  // the file's only negative value, among `months` valid months
  std::uint64_t months = 0;
};

// The file's smallest and largest value where they are outliers; none for a
// file of fewer than 3 valid months or without spread.
std::vector<Outlier> find_outliers(const OutlierScan& scan);

}  // namespace versel
