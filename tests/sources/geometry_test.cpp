// Distances, boxes and the option values --region and --near: known
// distances, boxes in both longitude conventions and across the date line,
// ordering with ties, and the texts that are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sources/geometry.h"

namespace versel {
namespace {

TEST(Geometry, GreatCircleDistances) {
  const double degree = 2.0 * M_PI * kEarthRadiusKm / 360.0;  // 111.195 km
  struct Case {
    double lat1, lon1, lat2, lon2, km;
  } cases[] = {
      {0, 0, 0, 1, degree},
      {0, 0, 1, 0, degree},
      {0, 179.5, 0, -179.5, degree},        // across the date line
      {0, 359.5, 0, 0.5, degree},           // 0..360 longitudes
      {10, -10, 10, 350, 0},                // the same place in both conventions
      {90, 0, 90, 123, 0},                  // the pole has every longitude
      {90, 0, -90, 0, 180 * degree},
      {0, 0, 0, 180, 180 * degree},         // antipodes
      {60, 0, 60, 1, degree * std::cos(60 * M_PI / 180) * 0.99999},  // near, not exact
  };
  for (const Case& c : cases) {
    const double got = great_circle_km(c.lat1, c.lon1, c.lat2, c.lon2);
    const double tolerance = c.lat1 == 60 ? 0.01 : 1e-6;
    EXPECT_NEAR(got, c.km, tolerance) << c.lat1 << "/" << c.lon1 << " " << c.lat2 << "/" << c.lon2;
    EXPECT_DOUBLE_EQ(got, great_circle_km(c.lat2, c.lon2, c.lat1, c.lon1));
  }
  // a metre apart
  EXPECT_NEAR(great_circle_km(45, 7, 45 + 0.001 / degree, 7), 0.001, 1e-9);
}

TEST(Geometry, BoxesInBothConventions) {
  struct Case {
    Region box;
    double lat, lon;
    bool in;
  } cases[] = {
      {{-10, 10, -5, 5}, 0, 0, true},
      {{-10, 10, -5, 5}, 0, 10, true},      // edges belong to the box
      {{-10, 10, -5, 5}, 5, -10, true},
      {{-10, 10, -5, 5}, 5.01, 0, false},
      {{-10, 10, -5, 5}, 0, 355, true},     // a 0..360 file in a -180..180 box
      {{-10, 10, -5, 5}, 0, 345, false},
      {{-10, 10, -5, 5}, 0, 10.5, false},
      {{350, 370, -5, 5}, 0, 5, true},      // a 0..360 box round the meridian
      {{350, 10, -5, 5}, 0, -5, true},
      {{170, -170, -90, 90}, 0, 175, true},  // across the date line
      {{170, -170, -90, 90}, 0, -175, true},
      {{170, -170, -90, 90}, 0, 185, true},
      {{170, -170, -90, 90}, 0, 0, false},
      {{170, -170, -90, 90}, 0, 165, false},
      {{170, 190, -90, 90}, 0, -175, true},
      {{170, 190, -90, 90}, 0, 195, false},
      {{-180, 180, -90, 90}, 0, 359.75, true},  // whole circles
      {{0, 360, 0, 90}, 0, -0.25, true},
      {{0, 360, 0, 90}, -0.25, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(in_region(c.box, c.lat, c.lon), c.in)
        << c.box.west << "/" << c.box.east << "/" << c.box.south << "/" << c.box.north << " at " << c.lat
        << " " << c.lon;
  }
}

TEST(Geometry, NearestFirstKeepsTiesInOrder) {
  const std::vector<double> lats = {10, 0, 0, 0, -1, 0};
  const std::vector<double> lons = {0, 2, -1, 1, 0, 359};
  // from (0, 0): index 2, 3, 4 and 5 are 1 degree away (in that order),
  // 1 is 2 degrees, 0 is 10
  EXPECT_EQ(nearest_first(lats, lons, 0, 0), (std::vector<std::size_t>{2, 3, 4, 5, 1, 0}));
  EXPECT_TRUE(nearest_first({}, {}, 0, 0).empty());
}

TEST(Geometry, OptionValues) {
  Region r;
  std::string error;
  ASSERT_TRUE(parse_region("-10/30.5/35/72", r, error)) << error;
  EXPECT_EQ(r.west, -10);
  EXPECT_EQ(r.east, 30.5);
  EXPECT_EQ(r.south, 35);
  EXPECT_EQ(r.north, 72);
  ASSERT_TRUE(parse_region(" 170 / -170 / -20 / +20 ", r, error)) << error;
  EXPECT_EQ(r.east, -170);
  EXPECT_EQ(r.north, 20);

  struct Bad {
    const char* text;
    const char* error;
  } bad_regions[] = {
      {"-10/30/35", "'-10/30/35' is not a region WEST/EAST/SOUTH/NORTH of four numbers in degrees"},
      {"-10/30/35/72/1", "'-10/30/35/72/1' is not a region WEST/EAST/SOUTH/NORTH of four numbers in degrees"},
      {"a/30/35/72", "'a/30/35/72' is not a region WEST/EAST/SOUTH/NORTH of four numbers in degrees"},
      {"-10//35/72", "'-10//35/72' is not a region WEST/EAST/SOUTH/NORTH of four numbers in degrees"},
      {"nan/30/35/72", "'nan/30/35/72' is not a region WEST/EAST/SOUTH/NORTH of four numbers in degrees"},
      {"-10/30/72/35", "'-10/30/72/35': SOUTH and NORTH must lie from -90 to 90 with SOUTH not above NORTH"},
      {"-10/30/-95/35", "'-10/30/-95/35': SOUTH and NORTH must lie from -90 to 90 with SOUTH not above NORTH"},
      {"-180/190/0/10",
       "'-180/190/0/10': WEST and EAST must lie from -360 to 360 and differ by at most 360 degrees"},
      {"10/10/0/10", "'10/10/0/10': WEST and EAST must lie from -360 to 360 and differ by at most 360 degrees"},
      {"400/10/0/10", "'400/10/0/10': WEST and EAST must lie from -360 to 360 and differ by at most 360 degrees"},
  };
  for (const Bad& b : bad_regions) {
    EXPECT_FALSE(parse_region(b.text, r, error)) << b.text;
    EXPECT_EQ(error, b.error);
  }

  NearSite s;
  ASSERT_TRUE(parse_near("52.25/-1.75", s, error)) << error;
  EXPECT_EQ(s.latitude, 52.25);
  EXPECT_EQ(s.longitude, -1.75);
  EXPECT_EQ(s.count, 1);
  ASSERT_TRUE(parse_near("-33.9/151.2/4", s, error)) << error;
  EXPECT_EQ(s.count, 4);
  const char* bad_near[] = {"52", "52/1/2/3", "52/1/0", "52/1/2.5", "52/1/-1", "52/x", "52/1/2000000"};
  for (const char* text : bad_near) {
    EXPECT_FALSE(parse_near(text, s, error)) << text;
    EXPECT_EQ(error, "'" + std::string(text) + "' is not a site LAT/LON or LAT/LON/N (N cells from 1 to 1000000)");
  }
  EXPECT_FALSE(parse_near("91/0", s, error));
  EXPECT_EQ(error, "'91/0': LAT must lie from -90 to 90 and LON from -360 to 360");
}

}  // namespace
}  // namespace versel
