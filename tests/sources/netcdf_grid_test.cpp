// The netCDF grid reader on files the tests write with the library: cells
// as stations in the file's order, every format, every calendar and unit,
// packing and each fill attribute, the orders and conventions of axes, a
// single level, 2-D coordinates and points, a gap month, blocks of every
// size, --region and --near, and each failure with its message. Values are
// compared one by one with the test's own computation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "netcdf_files.h"
#include "sources/netcdf_extent.h"
#include "sources/netcdf_grid.h"

// The netCDF and HDF5 libraries keep some memory when they fail to open a
// damaged netCDF-4 file; the leak check of the sanitizer build passes over
// what they allocate (the hook is read by LeakSanitizer only).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libnetcdf.so\nleak:libhdf5_serial.so\nleak:libhdf5.so\n";
}

namespace versel {
namespace {

namespace fs = std::filesystem;
using namespace testing_nc;

constexpr float kFlag = -99.9f;
constexpr double kFill = -999.0;

// A station as the test expects it.
struct Expect {
  std::string name;
  float lat = 0, lon = 0;
  std::int32_t first_year = 0;
  std::vector<float> months;
};

class NetcdfGrid : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "versel-nc-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string path(const std::string& name) const { return (fs::path(dir_) / name).string(); }

  GridRequest request(const std::string& file) const {
    GridRequest r;
    r.path = file;
    r.flag = kFlag;
    return r;
  }

  // Opens and reads every station.
  std::vector<StationData> read_all(GridSource& src, const GridRequest& r) {
    std::string error;
    EXPECT_TRUE(open_grid(src, r, error)) << error;
    return read_on(src);
  }
  std::vector<StationData> read_on(GridSource& src) {
    std::vector<StationData> out;
    std::string error;
    StationData d;
    GridRead got;
    while ((got = next_grid_station(src, d, error)) == GridRead::station) out.push_back(d);
    EXPECT_EQ(got, GridRead::end) << error;
    return out;
  }
  // The failure message of opening `file`.
  std::string failure(const GridRequest& r) {
    GridSource src;
    std::string error;
    EXPECT_FALSE(open_grid(src, r, error)) << r.path;
    return error;
  }

  std::string dir_;
};

void expect_stations(const std::vector<StationData>& got, const std::vector<Expect>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    const StationData& d = got[i];
    const Expect& e = want[i];
    SCOPED_TRACE("station " + std::to_string(i) + " " + e.name);
    EXPECT_TRUE(d.has_header);
    EXPECT_EQ(d.header, e.name);
    EXPECT_TRUE(d.has_coordinates);
    EXPECT_EQ(d.RLAT, e.lat);
    EXPECT_EQ(d.RLON, e.lon);
    EXPECT_EQ(d.first_year, e.first_year);
    ASSERT_EQ(d.months.size(), e.months.size());
    for (std::size_t m = 0; m < e.months.size(); ++m) {
      if (std::isnan(e.months[m])) {
        EXPECT_TRUE(std::isnan(d.months[m])) << "month " << m;
      } else {
        EXPECT_EQ(d.months[m], e.months[m]) << "month " << m;
      }
    }
  }
}

// The base grid: 3 x 4 cells of 0.5 degrees, 1901-1902 mid-month, cell (1,
// 2) without data, some months missing elsewhere.
bool base_missing(std::size_t t, std::size_t r, std::size_t c) {
  return (r == 1 && c == 2) || (t + r + 2 * c) % 7 == 0;
}
double base_value(std::size_t t, std::size_t r, std::size_t c) {
  return base_missing(t, r, c) ? kFill : 10.0 * r + c + 0.25 * t - 3.0;
}

TestGrid base_grid() {
  TestGrid g;
  g.lats = {52.25, 52.75, 53.25};
  g.lons = {-1.75, -1.25, -0.75, -0.25};
  g.times = mid_months(1901, 24);
  g.numbers = {{"_FillValue", NC_FLOAT, {kFill}}};
  g.value = base_value;
  return g;
}

std::string centre(double lat, double lon) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g %g", lat, lon);
  return buf;
}

// The stations of a test grid whose steps are consecutive months from
// January, row-major (rows = latitudes), decoding each stored value.
std::vector<Expect> expected(const TestGrid& g, int first_year,
                             const std::function<float(double)>& decode) {
  std::vector<Expect> out;
  for (std::size_t r = 0; r < g.lats.size(); ++r) {
    for (std::size_t c = 0; c < g.lons.size(); ++c) {
      Expect e{centre(g.lats[r], g.lons[c]), static_cast<float>(g.lats[r]), static_cast<float>(g.lons[c]),
               first_year, {}};
      bool any = false;
      for (std::size_t t = 0; t < g.times.size(); ++t) {
        const float v = decode(g.value(t, r, c));
        any = any || v != kFlag;
        e.months.push_back(v);
      }
      e.months.resize((e.months.size() + 11) / 12 * 12, kFlag);  // to December
      if (any) out.push_back(e);
    }
  }
  return out;
}

float fill_or_float(double v) { return v == kFill ? kFlag : static_cast<float>(v); }

TEST_F(NetcdfGrid, CellsWithDataInRowOrderNamedByCentre) {
  const TestGrid g = base_grid();
  write_file(path("base.nc"), 0, grid_file(g));
  GridSource src;
  const std::vector<StationData> got = read_all(src, request(path("base.nc")));
  const std::vector<Expect> want = expected(g, 1901, fill_or_float);
  ASSERT_EQ(want.size(), 11u);
  EXPECT_EQ(want[0].name, "52.25 -1.75");
  expect_stations(got, want);
  EXPECT_EQ(src.cells_total, 12);
  EXPECT_EQ(src.cells_with_data, 11);
  EXPECT_EQ(src.cells_without_data, 1);
  EXPECT_EQ(src.variable, "tmp");
  EXPECT_EQ(src.units, "degC");
  std::int32_t first = 0, last = 0;
  grid_year_span(src, first, last);
  EXPECT_EQ(first, 1901);
  EXPECT_EQ(last, 1902);

  // again from the start, counts anew
  rewind_grid(src);
  expect_stations(read_on(src), want);
  EXPECT_EQ(src.cells_with_data, 11);
  EXPECT_EQ(src.cells_without_data, 1);
}

TEST_F(NetcdfGrid, EveryFormatGivesTheSameStations) {
  const TestGrid g = base_grid();
  const std::vector<Expect> want = expected(g, 1901, fill_or_float);
  struct Format {
    const char* name;
    int cmode;
  } formats[] = {{"classic", 0},
                 {"64-bit offset", NC_64BIT_OFFSET},
                 {"CDF-5", NC_64BIT_DATA},
                 {"netCDF-4", NC_NETCDF4},
                 {"netCDF-4 classic model", NC_NETCDF4 | NC_CLASSIC_MODEL}};
  for (const Format& f : formats) {
    SCOPED_TRACE(f.name);
    TestGrid h = g;
    h.unlimited_time = f.cmode != NC_64BIT_DATA;  // a fixed time dimension too
    write_file(path("f.nc"), f.cmode, grid_file(h));
    GridSource src;
    expect_stations(read_all(src, request(path("f.nc"))), want);
  }
}

// One cell, one value per step (the step's number from 1): where each step
// lands among the months, for every calendar and unit.
TEST_F(NetcdfGrid, EveryCalendarAndUnit) {
  struct Case {
    const char* calendar;
    const char* units;
    std::vector<double> times;
    int first_year;
    std::vector<int> month_of_step;  // months from January of first_year
  } cases[] = {
      {"", "days since 2000-01-01", {0, 31, 60, 91}, 2000, {0, 1, 2, 3}},
      {"standard", "days since 2000-01-01", {0, 31, 60, 91}, 2000, {0, 1, 2, 3}},
      {"gregorian", "days since 2000-01-01", {0, 31, 60, 91}, 2000, {0, 1, 2, 3}},
      {"standard", "days since 1500-01-01", {30, 59}, 1500, {0, 1}},  // Julian: Feb 29
      {"proleptic_gregorian", "days since 1500-01-01", {30, 59}, 1500, {0, 2}},
      {"julian", "days since 1900-01-01", {0, 59, 60}, 1900, {0, 1, 2}},
      {"noleap", "days since 2000-01-01", {0, 31, 59, 90}, 2000, {0, 1, 2, 3}},
      {"365_day", "days since 2000-01-01", {0, 31, 59, 90}, 2000, {0, 1, 2, 3}},
      {"all_leap", "days since 2001-01-01", {0, 31, 60, 91}, 2001, {0, 1, 2, 3}},
      {"366_day", "days since 2001-01-01", {0, 31, 60, 91}, 2001, {0, 1, 2, 3}},
      {"360_day", "days since 2000-01-01", {0, 30, 60, 359}, 2000, {0, 1, 2, 11}},
      {"NoLeap", "hours since 1900-01-01 00:00:00", {0, 744, 1416}, 1900, {0, 1, 2}},
      {"standard", "minutes since 1979-01-01", {0, 44640}, 1979, {0, 1}},
      {"standard", "seconds since 1970-01-01T00:00:00Z", {1296000, 2678400}, 1970, {0, 1}},
      {"standard", "months since 1850-01-15", {0, 1.5, 11, 12}, 1850, {0, 1, 11, 12}},
      {"360_day", "months since 1850-1-1", {-1, 0}, 1849, {11, 12}},
      {"standard", "days since 1900-01-01", {-45, -1, 0}, 1899, {10, 11, 12}},
      {"standard", "days since 1900-01-01", {31, 0}, 1900, {1, 0}},  // steps out of order
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.calendar) + ", " + c.units);
    TestGrid g;
    g.lats = {10};
    g.lons = {20};
    g.times = c.times;
    g.time_units = c.units;
    g.calendar = c.calendar;
    g.value = [](std::size_t t, std::size_t, std::size_t) { return static_cast<double>(t + 1); };
    write_file(path("t.nc"), NC_NETCDF4, grid_file(g));
    const int last = c.first_year + *std::max_element(c.month_of_step.begin(), c.month_of_step.end()) / 12;
    Expect e{"10 20", 10, 20, c.first_year,
             std::vector<float>(static_cast<std::size_t>(12 * (last - c.first_year + 1)), kFlag)};
    for (std::size_t t = 0; t < c.times.size(); ++t) {
      e.months[static_cast<std::size_t>(c.month_of_step[t])] = static_cast<float>(t + 1);
    }
    GridSource src;
    expect_stations(read_all(src, request(path("t.nc"))), {e});
  }
}

TEST_F(NetcdfGrid, PackedValuesDecodedInDouble) {
  struct Case {
    const char* what;
    nc_type type;
    std::vector<NumberAtt> numbers;
    std::vector<std::pair<std::string, std::string>> texts;
    std::vector<double> stored;    // one cell's months
    std::vector<float> expected;
  };
  const Case cases[] = {
      {"short, scale and offset",
       NC_SHORT,
       {{"scale_factor", NC_DOUBLE, {0.01}}, {"add_offset", NC_DOUBLE, {273.15}}, {"_FillValue", NC_SHORT, {-32767}}},
       {},
       {-32767, 0, 1234, -1000, 32766},
       {kFlag, static_cast<float>(273.15), static_cast<float>(1234 * 0.01 + 273.15),
        static_cast<float>(-1000 * 0.01 + 273.15), static_cast<float>(32766 * 0.01 + 273.15)}},
      {"int beyond float's digits",  // read as a float first, 2^24 + 1 would be 2^24
       NC_INT,
       {{"add_offset", NC_DOUBLE, {-16777216}}},
       {},
       {16777217, 16777219, -2147483647},  // the last is int's default fill
       {1.0f, 3.0f, kFlag}},
      {"float attributes on a short",
       NC_SHORT,
       {{"scale_factor", NC_FLOAT, {0.1}}, {"add_offset", NC_FLOAT, {-5}}},
       {},
       {3, -32767},
       {static_cast<float>(3 * static_cast<double>(0.1f) - 5.0), kFlag}},
      {"unsigned bytes",
       NC_BYTE,
       {{"scale_factor", NC_DOUBLE, {0.5}}, {"_FillValue", NC_BYTE, {-2}}},
       {{"_Unsigned", "true"}},
       {-1, 0, 127, -128, -2},
       {127.5f, 0.0f, 63.5f, 64.0f, kFlag}},
      {"signed bytes have no default fill", NC_BYTE, {}, {}, {-127, 5}, {-127.0f, 5.0f}},
      {"double beyond float",
       NC_DOUBLE,
       {},
       {},
       {1.0e300, -1.0e39, 0.1, 9.969209968386869e36},
       {kFlag, kFlag, 0.1f, kFlag}},
      {"offset only", NC_FLOAT, {{"add_offset", NC_DOUBLE, {-273.15}}}, {}, {300.5}, {static_cast<float>(300.5 - 273.15)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestGrid g;
    g.lats = {0};
    g.lons = {0};
    g.times.clear();
    for (std::size_t i = 0; i < c.stored.size(); ++i) g.times.push_back(31.0 * static_cast<double>(i));
    g.type = c.type;
    g.numbers = c.numbers;
    g.texts = c.texts;
    const std::vector<double> stored = c.stored;
    g.value = [stored](std::size_t t, std::size_t, std::size_t) { return stored[t]; };
    write_file(path("p.nc"), 0, grid_file(g));
    Expect e{"0 0", 0, 0, 1900, std::vector<float>(12, kFlag)};
    std::copy(c.expected.begin(), c.expected.end(), e.months.begin());
    GridSource src;
    expect_stations(read_all(src, request(path("p.nc"))), {e});
  }
}

TEST_F(NetcdfGrid, NetcdfFourIntegerTypes) {
  for (nc_type type : {NC_UBYTE, NC_USHORT, NC_UINT, NC_INT64, NC_UINT64}) {
    SCOPED_TRACE(type);
    TestGrid g;
    g.lats = {0};
    g.lons = {0};
    g.times = {0, 31, 59};
    g.type = type;
    g.numbers = {{"scale_factor", NC_DOUBLE, {0.25}}, {"_FillValue", type, {200}}};
    g.value = [](std::size_t t, std::size_t, std::size_t) { return t == 1 ? 200.0 : 250.0 - static_cast<double>(t); };
    write_file(path("i.nc"), NC_NETCDF4, grid_file(g));
    Expect e{"0 0", 0, 0, 1900, std::vector<float>(12, kFlag)};
    e.months[0] = 62.5f;
    e.months[2] = 62.0f;
    GridSource src;
    expect_stations(read_all(src, request(path("i.nc"))), {e});
  }
}

TEST_F(NetcdfGrid, EachFillAttributeAndNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double default_fill = NC_FILL_FLOAT;
  const std::vector<double> stored = {1.5, -999, 1e20, nan, default_fill, 500, -300, 2.5};
  struct Case {
    const char* what;
    std::vector<NumberAtt> numbers;
    std::vector<bool> missing;  // per stored value
  } cases[] = {
      {"_FillValue", {{"_FillValue", NC_FLOAT, {-999}}}, {0, 1, 0, 1, 0, 0, 0, 0}},
      {"missing_value as a double", {{"missing_value", NC_DOUBLE, {1e20}}}, {0, 0, 1, 1, 1, 0, 0, 0}},
      {"two missing values", {{"missing_value", NC_FLOAT, {-999, 1e20}}}, {0, 1, 1, 1, 1, 0, 0, 0}},
      {"valid_min", {{"valid_min", NC_FLOAT, {-200}}}, {0, 1, 0, 1, 1, 0, 1, 0}},
      {"valid_max", {{"valid_max", NC_DOUBLE, {400}}}, {0, 0, 1, 1, 1, 1, 0, 0}},
      {"valid_range", {{"valid_range", NC_FLOAT, {-200, 400}}}, {0, 1, 1, 1, 1, 1, 1, 0}},
      {"valid_max equal to a value", {{"valid_max", NC_DOUBLE, {1e20}}}, {0, 0, 0, 1, 1, 0, 0, 0}},
      {"none: the default fill", {}, {0, 0, 0, 1, 1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestGrid g;
    g.lats = {-45};
    g.lons = {170};
    g.times = mid_months(1990, 8);
    g.numbers = c.numbers;
    g.value = [&](std::size_t t, std::size_t, std::size_t) { return stored[t]; };
    for (int cmode : {0, NC_NETCDF4}) {
      write_file(path("m.nc"), cmode, grid_file(g));
      Expect e{"-45 170", -45, 170, 1990, std::vector<float>(12, kFlag)};
      for (std::size_t i = 0; i < stored.size(); ++i) {
        e.months[i] = c.missing[i] ? kFlag : static_cast<float>(stored[i]);
      }
      GridSource src;
      expect_stations(read_all(src, request(path("m.nc"))), {e});
    }
  }
}

TEST_F(NetcdfGrid, DescendingLatitudesAndLongitudesTo360) {
  TestGrid g = base_grid();
  g.lats = {53.25, 52.75, 52.25};
  g.lons = {358.75, 359.25, 359.75, 0.25};
  write_file(path("d.nc"), 0, grid_file(g));
  GridSource src;
  const std::vector<StationData> got = read_all(src, request(path("d.nc")));
  expect_stations(got, expected(g, 1901, fill_or_float));
  EXPECT_EQ(got.front().header, "53.25 358.75");
  EXPECT_EQ(got.back().header, "52.25 0.25");
}

TEST_F(NetcdfGrid, DimensionsInAnyOrder) {
  const TestGrid g = base_grid();
  const std::vector<Expect> by_latitude = expected(g, 1901, fill_or_float);
  struct Case {
    std::vector<std::string> order;
    bool rows_are_latitude;
  } cases[] = {
      {{"lat", "lon", "time"}, true},
      {{"time", "lon", "lat"}, false},
      {{"lon", "time", "lat"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order[0] + " " + c.order[1] + " " + c.order[2]);
    TestGrid h = g;
    h.order = c.order;
    h.unlimited_time = false;
    write_file(path("o.nc"), NC_NETCDF4, grid_file(h));
    std::vector<Expect> want = by_latitude;
    if (!c.rows_are_latitude) {  // rows are longitudes: cells column by column
      std::stable_sort(want.begin(), want.end(), [](const Expect& a, const Expect& b) { return a.lon < b.lon; });
    }
    GridSource src;
    expect_stations(read_all(src, request(path("o.nc"))), want);
    EXPECT_EQ(src.grid.rows_are_latitude, c.rows_are_latitude);
  }
}

TEST_F(NetcdfGrid, ASingleLevelIsRead) {
  TestGrid g = base_grid();
  g.order = {"time", "plev", "lat", "lon"};
  g.level = 1;
  write_file(path("l.nc"), 0, grid_file(g));
  GridSource src;
  expect_stations(read_all(src, request(path("l.nc"))), expected(g, 1901, fill_or_float));
}

TEST_F(NetcdfGrid, GapMonthIsMissingInEveryCell) {
  TestGrid g = base_grid();
  std::vector<double> times = mid_months(1901, 24);
  times.erase(times.begin() + 14);  // no March 1902
  g.times = times;
  write_file(path("g.nc"), 0, grid_file(g));
  std::vector<Expect> want = expected(g, 1901, fill_or_float);
  for (Expect& e : want) {  // step 14 on lands one month later
    e.months.insert(e.months.begin() + 14, kFlag);
    e.months.pop_back();
  }
  GridSource src;
  const std::vector<StationData> got = read_all(src, request(path("g.nc")));
  expect_stations(got, want);
  for (const StationData& d : got) EXPECT_EQ(d.months[14], kFlag);
}

// A curvilinear grid: 2-D latitude and longitude named by `coordinates`,
// stored (y, x) or (x, y).
TEST_F(NetcdfGrid, TwoDimensionalCoordinates) {
  const std::size_t ny = 3, nx = 4, nt = 5;
  auto lat = [](std::size_t y, std::size_t x) { return 60.0 + 0.5 * y + 0.125 * x; };
  auto lon = [](std::size_t y, std::size_t x) { return 10.0 + 0.5 * x - 0.25 * y; };
  auto value = [](std::size_t t, std::size_t y, std::size_t x) {
    return (y == 0 && x == 3) ? kFill : static_cast<double>(100 * y + 10 * x + t);
  };
  for (bool transposed : {false, true}) {
    SCOPED_TRACE(transposed ? "lat(x, y)" : "lat(y, x)");
    TestFile f;
    f.dims = {{"time", nt}, {"y", ny}, {"x", nx}};
    std::vector<double> times, lats, lons, values;
    for (std::size_t t = 0; t < nt; ++t) times.push_back(31.0 * t);
    for (std::size_t a = 0; a < (transposed ? nx : ny); ++a) {
      for (std::size_t b = 0; b < (transposed ? ny : nx); ++b) {
        lats.push_back(transposed ? lat(b, a) : lat(a, b));
        lons.push_back(transposed ? lon(b, a) : lon(a, b));
      }
    }
    for (std::size_t t = 0; t < nt; ++t)
      for (std::size_t y = 0; y < ny; ++y)
        for (std::size_t x = 0; x < nx; ++x) values.push_back(value(t, y, x));
    const std::vector<std::string> cdims = transposed ? std::vector<std::string>{"x", "y"}
                                                      : std::vector<std::string>{"y", "x"};
    f.vars = {{"time", NC_DOUBLE, {"time"}, {{"units", "days since 2000-01-01"}}, {}, times},
              {"y", NC_DOUBLE, {"y"}, {{"units", "m"}, {"axis", "Y"}}, {}, {0, 1000, 2000}},
              {"x", NC_DOUBLE, {"x"}, {{"units", "m"}, {"axis", "X"}}, {}, {0, 1000, 2000, 3000}},
              {"nav_lat", NC_DOUBLE, cdims, {{"standard_name", "latitude"}}, {}, lats},
              {"nav_lon", NC_DOUBLE, cdims, {{"units", "degrees_east"}}, {}, lons},
              {"pr", NC_FLOAT, {"time", "y", "x"}, {{"coordinates", "nav_lon nav_lat"}},
               {{"_FillValue", NC_FLOAT, {kFill}}}, values}};
    write_file(path("c.nc"), NC_NETCDF4, f);
    std::vector<Expect> want;
    for (std::size_t y = 0; y < ny; ++y) {
      for (std::size_t x = 0; x < nx; ++x) {
        if (y == 0 && x == 3) continue;
        Expect e{centre(lat(y, x), lon(y, x)), static_cast<float>(lat(y, x)), static_cast<float>(lon(y, x)),
                 2000, std::vector<float>(12, kFlag)};
        for (std::size_t t = 0; t < nt; ++t) e.months[t] = static_cast<float>(value(t, y, x));
        want.push_back(e);
      }
    }
    GridSource src;
    expect_stations(read_all(src, request(path("c.nc"))), want);
    EXPECT_EQ(src.grid.kind, GridKind::curvilinear);
    EXPECT_EQ(src.cells_without_data, 1);
  }
}

TEST_F(NetcdfGrid, PointsAlongOneDimension) {
  TestFile f;
  f.dims = {{"time", 3, true}, {"station", 2}};
  f.vars = {{"time", NC_DOUBLE, {"time"}, {{"units", "months since 1950-01-01"}}, {}, {0, 1, 2}},
            {"lat", NC_FLOAT, {"station"}, {{"units", "degrees_north"}}, {}, {46.5, -33.875}},
            {"lon", NC_FLOAT, {"station"}, {{"units", "degrees_east"}}, {}, {7.25, 151.125}},
            {"prcp", NC_FLOAT, {"time", "station"}, {{"coordinates", "lat lon"}}, {}, {1, 2, 3, 4, 5, 6}}};
  write_file(path("s.nc"), 0, f);
  GridSource src;
  std::vector<float> a(12, kFlag), b(12, kFlag);
  a[0] = 1, a[1] = 3, a[2] = 5, b[0] = 2, b[1] = 4, b[2] = 6;
  expect_stations(read_all(src, request(path("s.nc"))),
                  {{"46.5 7.25", 46.5f, 7.25f, 1950, a}, {"-33.875 151.125", -33.875f, 151.125f, 1950, b}});
  EXPECT_EQ(src.grid.kind, GridKind::points);
}

// Blocks of one cell, of part of a row, of a few rows and of the whole
// grid give the same stations.
TEST_F(NetcdfGrid, BlocksOfEverySize) {
  TestGrid g;
  for (int i = 0; i < 7; ++i) g.lats.push_back(-30.0 + i);
  for (int i = 0; i < 9; ++i) g.lons.push_back(100.0 + 2 * i);
  g.times = mid_months(1950, 30);
  g.numbers = {{"_FillValue", NC_FLOAT, {kFill}}};
  g.value = [](std::size_t t, std::size_t r, std::size_t c) {
    return (r * 9 + c) % 5 == 1 || (t * 3 + r + c) % 11 == 0 ? kFill : r * 1000.0 + c * 10.0 + t * 0.5;
  };
  write_file(path("b.nc"), NC_64BIT_OFFSET, grid_file(g));
  const std::vector<Expect> want = expected(g, 1950, fill_or_float);
  for (std::size_t budget : {std::size_t{1}, std::size_t{700}, std::size_t{2000}, std::size_t{5000}, std::size_t{20000}, kGridBandBytes}) {
    SCOPED_TRACE(budget);
    GridRequest r = request(path("b.nc"));
    r.band_bytes = budget;
    GridSource src;
    expect_stations(read_all(src, r), want);
    EXPECT_EQ(src.cells_with_data + src.cells_without_data, 63);
  }
}

TEST_F(NetcdfGrid, RegionInBothConventionsAndAcrossTheDateLine) {
  struct Case {
    const char* what;
    std::vector<double> lons;
    Region box;
    std::vector<std::string> names;
  } cases[] = {
      {"-180..180, across the date line", {-179.5, -90, 0, 90, 179.5}, {170, -170, -5, 15},
       {"0 -179.5", "0 179.5", "10 -179.5", "10 179.5"}},
      {"-180..180, a box of 0..360", {-179.5, -90, 0, 90, 179.5}, {170, 190, -5, 15},
       {"0 -179.5", "0 179.5", "10 -179.5", "10 179.5"}},
      {"0..360, across the date line", {0.5, 90, 179.5, 180.5, 270}, {170, -170, -10, 0},
       {"-10 179.5", "-10 180.5", "0 179.5", "0 180.5"}},
      {"0..360, a box round the meridian", {0.5, 90, 179.5, 180.5, 359.5}, {-1, 1, 10, 10}, {"10 0.5", "10 359.5"}},
      {"nothing in the box", {0.5, 90}, {10, 20, -90, 90}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestGrid g;
    g.lats = {-10, 0, 10};
    g.lons = c.lons;
    g.times = {0, 31};
    g.value = [](std::size_t t, std::size_t r, std::size_t col) { return static_cast<double>(t + r + col); };
    write_file(path("r.nc"), 0, grid_file(g));
    GridRequest r = request(path("r.nc"));
    r.has_region = true;
    r.region = c.box;
    GridSource src;
    std::vector<std::string> names;
    for (const StationData& d : read_all(src, r)) names.push_back(d.header);
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(src.cells_total, static_cast<std::int64_t>(c.names.size()));
  }
}

TEST_F(NetcdfGrid, RegionWindowOfTheGrid) {
  TestGrid g = base_grid();
  write_file(path("w.nc"), 0, grid_file(g));
  GridRequest r = request(path("w.nc"));
  r.has_region = true;
  r.region = {-1.5, -0.5, 52.5, 54};
  GridSource src;
  const std::vector<StationData> got = read_all(src, r);
  // rows 1-2, columns 1-2; cell (1, 2) has no data
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].header, "52.75 -1.25");
  EXPECT_EQ(got[1].header, "53.25 -1.25");
  EXPECT_EQ(src.window_cell, 3);
  const GridGeometry w = grid_window(src);
  EXPECT_EQ(w.rows, 2);
  EXPECT_EQ(w.cols, 2);
  EXPECT_EQ(w.row_axis, (std::vector<double>{52.75, 53.25}));
  EXPECT_EQ(w.col_axis, (std::vector<double>{-1.25, -0.75}));
  EXPECT_EQ(src.cells_total, 4);
  EXPECT_EQ(src.cells_without_data, 1);
}

double haversine_km(double lat1, double lon1, double lat2, double lon2) {
  const double r = M_PI / 180.0;
  const double a = std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
                   std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
  return 2 * 6371.0088 * std::asin(std::sqrt(a));
}

TEST_F(NetcdfGrid, NearestCellsWithData) {
  TestGrid g;
  for (int i = 0; i < 8; ++i) g.lats.push_back(50.25 + 0.5 * i);
  for (int i = 0; i < 8; ++i) g.lons.push_back(-3.75 + 0.5 * i);
  g.times = mid_months(1901, 12);
  g.numbers = {{"_FillValue", NC_FLOAT, {kFill}}};
  auto no_data = [](std::size_t r, std::size_t c) { return (r + c) % 3 == 0 || r == 3; };
  g.value = [&](std::size_t t, std::size_t r, std::size_t c) {
    return no_data(r, c) ? kFill : static_cast<double>(r * 8 + c) + 0.125 * t;
  };
  write_file(path("n.nc"), 0, grid_file(g));
  struct Case {
    double lat, lon;
    std::int64_t count;
    bool region;
  } cases[] = {
      {52.1, -1.6, 4, false}, {51.99, -2.0, 1, false}, {50.0, -4.5, 3, false}, {55, 10, 200, false},
      {52.1, -1.6, 5, true},
  };
  const Region box{-3, -1, 51, 53};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.lat) + "/" + std::to_string(c.lon) + "/" + std::to_string(c.count));
    // the test's own ordering of the cells with data
    struct Cell {
      double km;
      std::size_t index;
    };
    std::vector<Cell> cells;
    for (std::size_t r = 0; r < 8; ++r) {
      for (std::size_t col = 0; col < 8; ++col) {
        if (no_data(r, col)) continue;
        if (c.region && !(g.lats[r] >= box.south && g.lats[r] <= box.north && g.lons[col] >= box.west &&
                          g.lons[col] <= box.east)) {
          continue;
        }
        cells.push_back({haversine_km(c.lat, c.lon, g.lats[r], g.lons[col]), r * 8 + col});
      }
    }
    std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) { return a.km < b.km; });
    cells.resize(std::min<std::size_t>(cells.size(), static_cast<std::size_t>(c.count)));

    // batches of cells read as boxes, or one by one when the budget holds one
    for (std::size_t budget : {kGridBandBytes, std::size_t{1}}) {
      SCOPED_TRACE(budget);
      GridRequest r = request(path("n.nc"));
      r.has_near = true;
      r.near = {c.lat, c.lon, c.count};
      r.has_region = c.region;
      r.region = box;
      r.band_bytes = budget;
      GridSource src;
      std::string error;
      ASSERT_TRUE(open_grid(src, r, error)) << error;
      StationData d;
      for (const Cell& cell : cells) {
        ASSERT_EQ(next_grid_station(src, d, error), GridRead::station) << error;
        const std::size_t row = cell.index / 8, col = cell.index % 8;
        EXPECT_EQ(d.header, centre(g.lats[row], g.lons[col]));
        EXPECT_NEAR(src.distance_km, cell.km, 1e-6);
        ASSERT_EQ(d.months.size(), 12u);
        for (std::size_t t = 0; t < 12; ++t) EXPECT_EQ(d.months[t], static_cast<float>(g.value(t, row, col)));
      }
      EXPECT_EQ(next_grid_station(src, d, error), GridRead::end);
      EXPECT_EQ(src.cells_with_data, static_cast<std::int64_t>(cells.size()));
    }
  }
}

TEST_F(NetcdfGrid, NetcdfFilesAreRecognised) {
  for (int cmode : {0, NC_64BIT_OFFSET, NC_64BIT_DATA, NC_NETCDF4}) {
    write_file(path("a.nc"), cmode, grid_file(base_grid()));
    EXPECT_TRUE(is_netcdf_file(path("a.nc"))) << cmode;
  }
  // an HDF5 signature after a user block of 512 bytes
  std::string bytes(512, 'x');
  bytes += "\x89HDF\r\n\x1a\n and more";
  std::ofstream(path("b.nc"), std::ios::binary) << bytes;
  EXPECT_TRUE(is_netcdf_file(path("b.nc")));
  for (const char* text : {"", "CDF", "CDF\x03 is no version", "1901 1 2 3 4 5 6 7 8 9 10 11 12\n"}) {
    std::ofstream(path("c.txt"), std::ios::binary) << text;
    EXPECT_FALSE(is_netcdf_file(path("c.txt"))) << text;
  }
  EXPECT_FALSE(is_netcdf_file(path("none")));
}

TEST_F(NetcdfGrid, CentreText) {
  struct Case {
    float lat, lon;
    const char* text;
  } cases[] = {
      {52.25f, -1.75f, "52.25 -1.75"}, {0.1f, 359.9f, "0.1 359.9"}, {-0.0f, 0.0f, "0 0"},
      {52.3f, 1e-5f, "52.3 0.00001"},  {-89.75f, 180.0f, "-89.75 180"},
      {static_cast<float>(60.123456789), -0.5f, "60.123455 -0.5"},
  };
  for (const Case& c : cases) EXPECT_EQ(centre_text(c.lat, c.lon), c.text);
}

// Each failure, with its message.
TEST_F(NetcdfGrid, Failures) {
  const TestGrid base = base_grid();
  const std::string file = path("x.nc");
  auto write = [&](const TestGrid& g, int cmode = 0) { write_file(file, cmode, grid_file(g)); };
  auto fail = [&](const std::string& var = "") {
    GridRequest r = request(file);
    r.variable = var;
    return failure(r);
  };

  {
    std::ofstream(file) << "1901 1 2 3 4 5 6 7 8 9 10 11 12\n";
    EXPECT_EQ(fail(), file + " is not a netCDF file");
  }
  EXPECT_EQ(failure(request(path("none.nc"))), path("none.nc") + " cannot be read: No such file or directory");
  EXPECT_EQ(failure(request(dir_)), dir_ + " cannot be read: Is a directory");
  for (int cmode : {0, NC_64BIT_OFFSET, NC_64BIT_DATA}) {
    SCOPED_TRACE(cmode);
    write(base, cmode);
    const auto size = fs::file_size(file);
    fs::resize_file(file, size - 4);
    EXPECT_EQ(fail(), file + " is truncated or corrupt: its header places data up to byte " + std::to_string(size) +
                          ", the file holds " + std::to_string(size - 4) + " bytes");
  }
  {
    write(base, NC_NETCDF4);
    fs::resize_file(file, fs::file_size(file) / 2);
    const std::string error = fail();
    EXPECT_EQ(error.rfind(file + ": cannot be opened: ", 0), 0u) << error;
  }
  write(base);
  EXPECT_EQ(fail("pre"), file + " has no variable 'pre' (its variables: 'time', 'lat', 'lon', 'tmp')");
  {
    TestFile f = grid_file(base);
    f.vars.push_back(f.vars.back());
    f.vars.back().name = "pre";
    write_file(file, 0, f);
    EXPECT_EQ(fail(), file + " holds several variables with a time dimension and two horizontal dimensions: "
                             "'tmp', 'pre'; choose one with --var");
    GridSource src;
    EXPECT_EQ(read_all(src, [&] { GridRequest r = request(file); r.variable = "pre"; return r; }()).size(), 11u);
  }
  {
    TestFile f;
    f.dims = {{"lat", 2}, {"lon", 2}};
    f.vars = {{"lat", NC_DOUBLE, {"lat"}, {{"units", "degrees_north"}}, {}, {0, 1}},
              {"lon", NC_DOUBLE, {"lon"}, {{"units", "degrees_east"}}, {}, {0, 1}},
              {"tmp", NC_FLOAT, {"lat", "lon"}, {}, {}, {1, 2, 3, 4}}};
    write_file(file, 0, f);
    const std::string no_time =
        file + ": variable 'tmp': no time dimension (a dimension named time or valid_time, or whose coordinate "
               "variable has units \"UNIT since DATE\", standard_name time or axis T)";
    EXPECT_EQ(fail("tmp"), no_time);
    EXPECT_EQ(fail(), no_time);  // the one data variable says why
    f.vars.push_back({"elev", NC_FLOAT, {"lat", "lon"}, {}, {}, {1, 2, 3, 4}});
    write_file(file, 0, f);
    EXPECT_EQ(fail(), file + " holds no variable with a time dimension and two horizontal dimensions (its "
                             "variables: 'lat', 'lon', 'tmp', 'elev'); name one with --var");
  }
  {
    TestGrid g = base;
    g.times = {14, 20, 45};
    write(g);
    EXPECT_EQ(fail(), file + ": the data are not monthly: steps 1 (1900-01-15) and 2 (1900-01-21) of time "
                             "variable 'time' fall in the same month");
    g.times = {14, 45, 14.5};
    g.time_units = "days since 1900-01-01 06:00";
    write(g);
    EXPECT_EQ(fail(), file + ": the data are not monthly: steps 1 (1900-01-15 06:00) and 3 (1900-01-15 18:00) of "
                             "time variable 'time' fall in the same month");
  }
  {
    TestGrid g = base;
    g.calendar = "lunar";
    write(g);
    EXPECT_EQ(fail(), file + ": time variable 'time': calendar 'lunar' is none of standard, gregorian, "
                             "proleptic_gregorian, julian, noleap, 365_day, all_leap, 366_day and 360_day");
    g.calendar = "";
    g.time_units = "years since 1900-01-01";
    write(g);
    EXPECT_EQ(fail(), file + ": time variable 'time': time unit 'years' is none of days, hours, minutes, "
                             "seconds and months");
    g.time_units = "days since the flood";
    write(g);
    EXPECT_EQ(fail(), file + ": time variable 'time': 'the flood' after \"since\" is not a date of the form "
                             "Y-M-D [h:m:s] [zone]");
  }
  {
    TestGrid g = base;
    g.order = {"time", "plev", "lat", "lon"};
    g.level = 3;
    write(g);
    EXPECT_EQ(fail(), file + ": variable 'tmp': dimension 'plev' has 3 steps: only a dimension of length 1 (a "
                             "single level) can be read besides time and the horizontal dimensions");
  }
  {
    TestFile f = grid_file(base);
    f.vars[1].texts.clear();  // lat without units
    write_file(file, 0, f);
    EXPECT_EQ(fail(), file + ": variable 'tmp': no latitude: no dimension has a coordinate variable with units "
                             "degrees_north, standard_name latitude or axis Y, and attribute coordinates "
                             "names no latitude variable");
    f = grid_file(base);
    f.vars[1].values[1] = 95;
    write_file(file, 0, f);
    EXPECT_EQ(fail(), file + ": 'lat' holds 95, which is not a latitude");
    f = grid_file(base);
    f.vars[0].texts = {{"standard_name", "time"}};
    write_file(file, 0, f);
    EXPECT_EQ(fail(), file + ": time variable 'time' has no units attribute");
    f = grid_file(base);
    f.vars[0].values[3] = std::numeric_limits<double>::quiet_NaN();
    write_file(file, 0, f);
    EXPECT_EQ(fail(), file + ": time variable 'time': step 4 holds nan, which is no time of the calendar");
  }
  {
    TestGrid g = base;
    g.times.clear();
    write(g);
    EXPECT_EQ(fail(), file + ": time dimension 'time' has no steps");
  }
}

}  // namespace
}  // namespace versel

namespace versel {
namespace {

// Files cut short and with bytes changed: each is refused with a message or
// read to its end; nothing crashes (the sanitizer build watches the reads).
// VERSEL_NC_MUTATIONS sets the damaged files per format (150).
TEST_F(NetcdfGrid, DamagedFilesFailCleanly) {
  TestGrid g = base_grid();
  for (int cmode : {0, NC_64BIT_DATA, NC_NETCDF4}) {
    SCOPED_TRACE(cmode);
    write_file(path("good.nc"), cmode, grid_file(g));
    std::string bytes;
    {
      std::ifstream in(path("good.nc"), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    const char* env = std::getenv("VERSEL_NC_MUTATIONS");
    const int mutations = env ? std::atoi(env) : 150;
    for (int i = 0; i < mutations; ++i) {
      std::string damaged = bytes;
      const std::size_t header = std::min<std::size_t>(damaged.size(), cmode == NC_NETCDF4 ? damaged.size() : 600);
      switch (i % 3) {
        case 0: damaged.resize(next() % damaged.size()); break;
        case 1: damaged[next() % header] ^= static_cast<char>(1 << (next() % 8)); break;
        default:
          for (int k = 0; k < 4; ++k) damaged[next() % header] = static_cast<char>(next());
          break;
      }
      {
        std::ofstream out(path("bad.nc"), std::ios::binary | std::ios::trunc);
        out << damaged;
      }
      GridRequest r = request(path("bad.nc"));
      r.band_bytes = 4096;
      GridSource src;
      std::string error;
      if (!open_grid(src, r, error)) {
        EXPECT_FALSE(error.empty()) << "mutation " << i;
        continue;
      }
      StationData d;
      GridRead got;
      int n = 0;
      while ((got = next_grid_station(src, d, error)) == GridRead::station) {
        ASSERT_EQ(d.months.size() % 12, 0u);
        ASSERT_LT(++n, 100000);
      }
      if (got == GridRead::fault) {
        EXPECT_FALSE(error.empty()) << "mutation " << i;
      }
    }
  }
}

}  // namespace
}  // namespace versel
