// Distances, boxes and the option values that name them.
#include "sources/geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "records/message_text.h"
#include "sources/netcdf_messages.h"

namespace versel {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadians = kPi / 180.0;

// The degrees from `from` eastward to `to`, in [0, 360).
double eastward(double from, double to) {
  double d = std::fmod(to - from, 360.0);
  if (d < 0.0) d += 360.0;
  return d;
}

// Splits `text` at '/' and reads each part as a finite number.
bool numbers(std::string_view text, std::vector<double>& out) {
  out.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = text.find('/', start);
    std::string_view part = text.substr(start, slash == std::string_view::npos ? text.npos : slash - start);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    if (!part.empty() && part.front() == '+') part.remove_prefix(1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size() || !std::isfinite(v)) {
      return false;
    }
    out.push_back(v);
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

}  // namespace

double great_circle_km(double lat1, double lon1, double lat2, double lon2) {
  const double p1 = lat1 * kRadians;
  const double p2 = lat2 * kRadians;
  const double dp = (lat2 - lat1) * kRadians;
  const double dl = (lon2 - lon1) * kRadians;
  const double s1 = std::sin(dp / 2.0);
  const double s2 = std::sin(dl / 2.0);
  double h = s1 * s1 + std::cos(p1) * std::cos(p2) * s2 * s2;
  h = std::clamp(h, 0.0, 1.0);
  return 2.0 * kEarthRadiusKm * std::asin(std::sqrt(h));
}

bool in_region(const Region& region, double latitude, double longitude) {
  if (!(latitude >= region.south && latitude <= region.north)) return false;
  const double width = region.east - region.west;
  if (width >= 360.0 || width <= -360.0) return true;
  const double span = width < 0.0 ? width + 360.0 : width;
  return eastward(region.west, longitude) <= span;
}

std::vector<std::size_t> nearest_first(const std::vector<double>& latitudes,
                                       const std::vector<double>& longitudes, double site_latitude,
                                       double site_longitude) {
  const std::size_t n = std::min(latitudes.size(), longitudes.size());
  std::vector<double> distance(n);
  for (std::size_t i = 0; i < n; ++i) {
    distance[i] = great_circle_km(site_latitude, site_longitude, latitudes[i], longitudes[i]);
  }
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return distance[a] < distance[b]; });
  return order;
}

bool parse_region(std::string_view text, Region& region, std::string& error) {
  std::vector<double> v;
  if (!numbers(text, v) || v.size() != 4) {
    error = compose(kMsgRegionForm, {quoted(text)});
    return false;
  }
  const Region r{v[0], v[1], v[2], v[3]};
  if (r.south < -90.0 || r.north > 90.0 || r.south > r.north) {
    error = compose(kMsgRegionLatitudes, {quoted(text)});
    return false;
  }
  if (std::fabs(r.west) > 360.0 || std::fabs(r.east) > 360.0 || r.east - r.west > 360.0 ||
      r.west == r.east) {
    error = compose(kMsgRegionLongitudes, {quoted(text)});
    return false;
  }
  region = r;
  return true;
}

bool parse_near(std::string_view text, NearSite& site, std::string& error) {
  std::vector<double> v;
  const std::string most = std::to_string(kMaxNearCount);
  if (!numbers(text, v) || v.size() < 2 || v.size() > 3 ||
      (v.size() == 3 && (v[2] < 1.0 || v[2] > static_cast<double>(kMaxNearCount) ||
                         v[2] != std::floor(v[2])))) {
    error = compose(kMsgNearForm, {quoted(text), most});
    return false;
  }
  if (std::fabs(v[0]) > 90.0 || std::fabs(v[1]) > 360.0) {
    error = compose(kMsgNearPlace, {quoted(text)});
    return false;
  }
  site.latitude = v[0];
  site.longitude = v[1];
  site.count = v.size() == 3 ? static_cast<std::int64_t>(v[2]) : 1;
  return true;
}

}  // namespace versel
