// The windows of a screen and their values from running sums.
#include "collect/windows.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "mask/mask_check.h"
#include "mask/variable_names.h"

namespace versel {

bool valid_screen_shape(int span_years, int max_months) {
  return span_years >= 1 && span_years <= kMaxSpanYears && max_months >= 1 &&
         max_months <= kMaxWindowMonths;
}

std::string window_mask(int span_years, int first, int length) {
  const int years_back = span_years - 1 - first / 12;      // of the first month
  const int skipped = 12 * (span_years - 1 - years_back);  // span months before the mask
  std::string mask(static_cast<std::size_t>(12 * (years_back + 1)), '0');
  for (int m = first; m < first + length; ++m) mask[static_cast<std::size_t>(m - skipped)] = '1';
  mask[static_cast<std::size_t>(first + length - 1 - skipped)] = '3';
  return mask;
}

std::vector<ScreenWindow> screen_windows(int span_years, int max_months) {
  std::vector<ScreenWindow> windows;
  if (!valid_screen_shape(span_years, max_months)) return windows;
  const int months = 12 * span_years;
  for (int length = 1; length <= std::min(max_months, months); ++length) {
    for (int first = 0; first + length <= months; ++first) {
      ScreenWindow w;
      w.first = first;
      w.length = length;
      w.offset = first - 12 * (span_years - 1);
      w.mask = window_mask(span_years, first, length);
      w.name = climate_variables(mask_from_text(w.mask)).front().name;
      const int years_back = span_years - 1 - first / 12;
      w.first_month = std::string(month_name(first % 12));
      if (years_back > 0) {
        w.first_month += '-';
        w.first_month += std::to_string(years_back);
      }
      windows.push_back(std::move(w));
    }
  }
  return windows;
}

void month_sums(const float* months, std::size_t month_count, float flag, MonthSums& out) {
  out.sum.resize(month_count + 1);
  out.count.resize(month_count + 1);
  double sum = 0.0;
  std::int32_t count = 0;
  out.sum[0] = 0.0;
  out.count[0] = 0;
  for (std::size_t i = 0; i < month_count; ++i) {
    const float v = months[i];
    // the flag, NaN and the infinities are missing
    const bool valid = v != flag && std::isfinite(v);
    sum += valid ? static_cast<double>(v) : 0.0;
    count += valid;
    out.sum[i + 1] = sum;
    out.count[i + 1] = count;
  }
}

int months_needed(int length, int min_months) {
  return min_months <= 0 ? length : std::min(min_months, length);
}

void window_values(const MonthSums& s, const ScreenWindow& w, int min_months, std::int32_t from,
                   std::int32_t to, double* out) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const int need = months_needed(w.length, min_months);
  const auto months = static_cast<std::int64_t>(s.sum.size()) - 1;
  const double* sum = s.sum.data();
  const std::int32_t* count = s.count.data();
  for (std::int32_t j = from; j < to; ++j) {
    const std::int64_t a = 12 * static_cast<std::int64_t>(j) + w.offset;
    const std::int64_t b = a + w.length;
    if (a < 0 || b > months) {
      out[j - from] = kNaN;
      continue;
    }
    const std::int32_t valid = count[b] - count[a];
    out[j - from] = valid >= need ? (sum[b] - sum[a]) / valid : kNaN;
  }
}

}  // namespace versel
