// Small netCDF files written by the tests with the library: a file is a list
// of dimensions and variables with their attributes and values, and a grid
// of monthly values is built from latitudes, longitudes, times and a
// function of (step, row, column).
#pragma once

#include <gtest/gtest.h>
#include <netcdf.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace versel::testing_nc {

inline ::testing::AssertionResult nc_ok(int status) {
  if (status == NC_NOERR) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << nc_strerror(status);
}

struct NumberAtt {
  std::string name;
  nc_type type;
  std::vector<double> values;
};

struct TestVar {
  std::string name;
  nc_type type = NC_FLOAT;
  std::vector<std::string> dims;
  std::vector<std::pair<std::string, std::string>> texts;
  std::vector<NumberAtt> numbers;
  std::vector<double> values;  // all of them in the variable's order; empty: none written
};

struct TestDim {
  std::string name;
  std::size_t length = 0;
  bool unlimited = false;  // length: the records written
};

struct TestFile {
  std::vector<TestDim> dims;
  std::vector<TestVar> vars;
};

// Writes `f` at `path` in the format of `cmode` (NC_CLASSIC_MODEL alone is
// written as classic: 0; NC_64BIT_OFFSET, NC_64BIT_DATA, NC_NETCDF4 ...).
inline void write_file(const std::string& path, int cmode, const TestFile& f) {
  int id = -1;
  ASSERT_TRUE(nc_ok(nc_create(path.c_str(), cmode | NC_CLOBBER, &id)));
  std::map<std::string, int> dim_ids;
  std::map<std::string, std::size_t> lengths;
  for (const TestDim& d : f.dims) {
    int dim = -1;
    ASSERT_TRUE(nc_ok(nc_def_dim(id, d.name.c_str(), d.unlimited ? NC_UNLIMITED : d.length, &dim)));
    dim_ids[d.name] = dim;
    lengths[d.name] = d.length;
  }
  std::vector<int> var_ids;
  for (const TestVar& v : f.vars) {
    std::vector<int> dims;
    for (const std::string& d : v.dims) dims.push_back(dim_ids.at(d));
    int var = -1;
    ASSERT_TRUE(nc_ok(nc_def_var(id, v.name.c_str(), v.type, static_cast<int>(dims.size()), dims.data(), &var)));
    for (const auto& [name, text] : v.texts) {
      ASSERT_TRUE(nc_ok(nc_put_att_text(id, var, name.c_str(), text.size(), text.data())));
    }
    for (const NumberAtt& a : v.numbers) {
      ASSERT_TRUE(nc_ok(nc_put_att_double(id, var, a.name.c_str(), a.type, a.values.size(), a.values.data())));
    }
    var_ids.push_back(var);
  }
  ASSERT_TRUE(nc_ok(nc_enddef(id)));
  for (std::size_t i = 0; i < f.vars.size(); ++i) {
    const TestVar& v = f.vars[i];
    if (v.values.empty()) continue;
    std::vector<std::size_t> start(v.dims.size(), 0);
    std::vector<std::size_t> count;
    for (const std::string& d : v.dims) count.push_back(lengths.at(d));
    ASSERT_TRUE(nc_ok(nc_put_vara_double(id, var_ids[i], start.data(), count.data(), v.values.data())));
  }
  ASSERT_TRUE(nc_ok(nc_close(id)));
}

// A grid of monthly values: `value(step, lat index, lon index)` is the
// value stored (the fill where a cell has none). The variable's dimensions
// are `order` (names among "time", "lat", "lon" and `level`).
struct TestGrid {
  std::vector<double> lats, lons, times;
  std::string time_units = "days since 1900-01-01";
  std::string calendar;  // no attribute when empty
  std::string var = "tmp";
  nc_type type = NC_FLOAT;
  std::vector<std::string> order = {"time", "lat", "lon"};
  std::size_t level = 0;  // a dimension "plev" of this length when not 0
  bool unlimited_time = true;
  std::vector<std::pair<std::string, std::string>> texts = {{"units", "degC"}};
  std::vector<NumberAtt> numbers;
  std::function<double(std::size_t, std::size_t, std::size_t)> value;
};

inline TestFile grid_file(const TestGrid& g) {
  TestFile f;
  f.dims = {{"time", g.times.size(), g.unlimited_time}, {"lat", g.lats.size()}, {"lon", g.lons.size()}};
  if (g.level > 0) f.dims.push_back({"plev", g.level});
  TestVar time{"time", NC_DOUBLE, {"time"}, {{"units", g.time_units}, {"standard_name", "time"}}, {}, g.times};
  if (!g.calendar.empty()) time.texts.emplace_back("calendar", g.calendar);
  f.vars.push_back(time);
  f.vars.push_back({"lat", NC_DOUBLE, {"lat"}, {{"units", "degrees_north"}}, {}, g.lats});
  f.vars.push_back({"lon", NC_DOUBLE, {"lon"}, {{"units", "degrees_east"}}, {}, g.lons});
  if (g.level > 0) {
    std::vector<double> levels;
    for (std::size_t i = 0; i < g.level; ++i) levels.push_back(1000.0 - 100.0 * static_cast<double>(i));
    f.vars.push_back({"plev", NC_DOUBLE, {"plev"}, {{"units", "hPa"}}, {}, levels});
  }
  TestVar v{g.var, g.type, g.order, g.texts, g.numbers, {}};
  // the values in the variable's order: odometer over its dimensions
  std::vector<std::size_t> length;
  for (const std::string& d : g.order) {
    length.push_back(d == "time" ? g.times.size() : d == "lat" ? g.lats.size() : d == "lon" ? g.lons.size() : g.level);
  }
  std::vector<std::size_t> at(g.order.size(), 0);
  bool more = !g.order.empty();
  for (std::size_t n : length) more = more && n > 0;
  while (more) {
    std::size_t t = 0, r = 0, c = 0;
    for (std::size_t i = 0; i < g.order.size(); ++i) {
      if (g.order[i] == "time") t = at[i];
      if (g.order[i] == "lat") r = at[i];
      if (g.order[i] == "lon") c = at[i];
    }
    v.values.push_back(g.value(t, r, c));
    std::size_t i = g.order.size();
    while (i > 0) {
      --i;
      if (++at[i] < length[i]) break;
      at[i] = 0;
      if (i == 0) more = false;
    }
  }
  f.vars.push_back(v);
  return f;
}

// Days since 1900-01-01 of the 15th of each month, from January of `first`
// for `months` months, in the proleptic Gregorian calendar (standard after
// 1582).
inline std::vector<double> mid_months(int first, int months) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::vector<double> out;
  long day = 0;  // days from 1900-01-01 to 1 January of `first`
  for (int y = 1900; y < first; ++y) day += (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 366 : 365;
  for (int y = 1900; y > first; --y) day -= ((y - 1) % 4 == 0 && ((y - 1) % 100 != 0 || (y - 1) % 400 == 0)) ? 366 : 365;
  for (int i = 0; i < months; ++i) {
    const int y = first + i / 12;
    const int m = i % 12;
    out.push_back(static_cast<double>(day + 14));
    const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    day += kDays[m] + (m == 1 && leap ? 1 : 0);
  }
  return out;
}

}  // namespace versel::testing_nc
