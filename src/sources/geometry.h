// Where a station lies: the great-circle distance to a site, a box of
// longitudes and latitudes (one across the date line too), the ordering of
// places by their distance from a site, and the option values --region
// W/E/S/N and --near LAT/LON[/N] that name them. Pure functions, for the
// cells of a grid as for stations of any other source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace versel {

// Mean radius of the Earth (IUGG), kilometres.
inline constexpr double kEarthRadiusKm = 6371.0088;

// A box in GMT's -R order, degrees. Latitudes south to north, both included.
// Longitudes run east from `west` to `east`, both included, whichever
// convention they and the places use: 170/-170 and 170/190 are the same
// box of 20 degrees across the date line, -10/10 holds longitude 355,
// -180/180 and 0/360 hold every longitude.
struct Region {
  double west = -180.0;
  double east = 180.0;
  double south = -90.0;
  double north = 90.0;
};

// A site and the number of cells or stations nearest to it (--near).
struct NearSite {
  double latitude = 0.0;
  double longitude = 0.0;
  std::int64_t count = 1;
};

// The most places --near may ask for.
inline constexpr std::int64_t kMaxNearCount = 1000000;

// Great-circle distance in kilometres between two places (haversine,
// exact to rounding for antipodes and for places a metre apart). Longitudes
// in any convention.
double great_circle_km(double lat1, double lon1, double lat2, double lon2);

// Whether a place lies in the box (see Region).
bool in_region(const Region& region, double latitude, double longitude);

// Indices of `latitudes`/`longitudes` (same length) ordered by their
// distance from the site, nearest first; equal distances keep index order.
std::vector<std::size_t> nearest_first(const std::vector<double>& latitudes,
                                       const std::vector<double>& longitudes, double site_latitude,
                                       double site_longitude);

// Reads "W/E/S/N" (four numbers, blanks around them allowed). False with
// `error` (kMsgRegion... of netcdf_messages.h) when the text has another
// form, SOUTH or NORTH lie outside -90..90 or SOUTH > NORTH, or WEST or EAST
// lie outside -360..360 or span more than 360 degrees (WEST > EAST is a box
// across the date line: 170/-170).
bool parse_region(std::string_view text, Region& region, std::string& error);

// Reads "LAT/LON" or "LAT/LON/N" (N from 1 to kMaxNearCount, 1 when not
// given). False with `error` (kMsgNear...) otherwise.
bool parse_near(std::string_view text, NearSite& site, std::string& error);

}  // namespace versel
