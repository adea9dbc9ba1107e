// The nc output kind read back through the library: the names made CF
// names, dimensions, attributes and every value of grid and station files
// in both formats and in bands of every size, the long-term means against
// the test's own sums, the faults of the calls, and, where installed, the
// files opened by ncdump, Python's netCDF4 and xarray, and cdo without a
// warning.
#include <gtest/gtest.h>
#include <netcdf.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "collect/nc_output.h"
#include "mask/variable_names.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

constexpr float kFlag = -99.9f;

Mask mask_of(std::string_view text) {
  Mask m;
  m.fill(' ');
  std::copy(text.begin(), text.end(), m.begin());
  return m;
}

// --- reading back -------------------------------------------------------

struct Reader {
  int id = -1;
  explicit Reader(const std::string& path) { EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &id), NC_NOERR) << path; }
  ~Reader() {
    if (id >= 0) nc_close(id);
  }
  int var(const std::string& name) const {
    int v = -1;
    EXPECT_EQ(nc_inq_varid(id, name.c_str(), &v), NC_NOERR) << name;
    return v;
  }
  bool has_var(const std::string& name) const {
    int v = -1;
    return nc_inq_varid(id, name.c_str(), &v) == NC_NOERR;
  }
  std::size_t dim(const std::string& name) const {
    int d = -1;
    std::size_t n = 0;
    EXPECT_EQ(nc_inq_dimid(id, name.c_str(), &d), NC_NOERR) << name;
    nc_inq_dimlen(id, d, &n);
    return n;
  }
  std::vector<std::string> dims_of(const std::string& name) const {
    int v = var(name);
    int n = 0;
    nc_inq_varndims(id, v, &n);
    std::vector<int> ids(static_cast<std::size_t>(n));
    nc_inq_vardimid(id, v, ids.data());
    std::vector<std::string> out;
    for (int d : ids) {
      char buf[NC_MAX_NAME + 1] = {};
      nc_inq_dimname(id, d, buf);
      out.push_back(buf);
    }
    return out;
  }
  std::size_t size(const std::string& name) const {
    std::size_t n = 1;
    for (const std::string& d : dims_of(name)) n *= dim(d);
    return n;
  }
  std::vector<float> floats(const std::string& name) const {
    std::vector<float> v(size(name));
    EXPECT_EQ(nc_get_var_float(id, var(name), v.data()), NC_NOERR) << name;
    return v;
  }
  std::vector<double> doubles(const std::string& name) const {
    std::vector<double> v(size(name));
    EXPECT_EQ(nc_get_var_double(id, var(name), v.data()), NC_NOERR) << name;
    return v;
  }
  std::vector<int> ints(const std::string& name) const {
    std::vector<int> v(size(name));
    EXPECT_EQ(nc_get_var_int(id, var(name), v.data()), NC_NOERR) << name;
    return v;
  }
  std::string text(const std::string& var_name, const char* att) const {
    const int v = var_name.empty() ? NC_GLOBAL : var(var_name);
    std::size_t n = 0;
    if (nc_inq_attlen(id, v, att, &n) != NC_NOERR) return "(none)";
    std::string s(n, '\0');
    nc_get_att_text(id, v, att, s.data());
    return s;
  }
  std::vector<double> numbers(const std::string& var_name, const char* att) const {
    const int v = var_name.empty() ? NC_GLOBAL : var(var_name);
    std::size_t n = 0;
    if (nc_inq_attlen(id, v, att, &n) != NC_NOERR) return {};
    std::vector<double> out(n);
    nc_get_att_double(id, v, att, out.data());
    return out;
  }
};

// --- what the test puts -------------------------------------------------

// The value of cell or station k, output year i, variable v; some missing.
float value_of(std::int64_t k, std::int32_t i, std::int32_t v) {
  if ((k + 2 * i + v) % 5 == 0) return kFlag;
  return static_cast<float>(k) * 1.5f + static_cast<float>(i) * 0.1f - static_cast<float>(v) * 3.0f;
}
std::int32_t count_of(std::int64_t k, std::int32_t i, std::int32_t v) {
  return static_cast<std::int32_t>((k + i + v) % 4);
}

Station station_of(std::int64_t k, std::int32_t first, std::int32_t years, std::int32_t ncv) {
  Station st;
  st.IFC = first;
  st.NYC = years;
  st.NCV = ncv;
  for (std::int32_t i = 0; i < years; ++i)
    for (std::int32_t v = 0; v < ncv; ++v) st.Y.push_back(value_of(k, i, v));
  return st;
}
std::vector<std::int32_t> counts_of(std::int64_t k, std::int32_t years, std::int32_t ncv) {
  std::vector<std::int32_t> c;
  for (std::int32_t i = 0; i < years; ++i)
    for (std::int32_t v = 0; v < ncv; ++v) c.push_back(count_of(k, i, v));
  return c;
}
// grd's mean: float sum in year order over count
float mean_of(const Station& st, std::int32_t v) {
  float sum = 0.0f;
  int n = 0;
  for (std::int32_t i = 0; i < st.NYC; ++i) {
    const float x = st.Y[static_cast<std::size_t>(i * st.NCV + v)];
    if (x == kFlag) continue;
    sum += x;
    ++n;
  }
  return n == 0 ? kFlag : sum / static_cast<float>(n);
}

class NcOutput : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "versel-ncout-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string path(const std::string& name) const { return (fs::path(dir_) / name).string(); }

  // A grid of 3 descending latitudes by 4 longitudes, 1901-1903, the four
  // seasons of the year (DJF with December of the year before).
  NcOutputPlan grid_plan() const {
    NcOutputPlan p;
    p.shape = NcShape::grid;
    p.grid.kind = GridKind::axes;
    p.grid.rows = 3;
    p.grid.cols = 4;
    p.grid.row_axis = {53.25, 52.75, 52.25};
    p.grid.col_axis = {358.75, 359.25, 359.75, 0.25};
    p.first_year = 1901;
    p.last_year = 1903;
    p.variables = climate_variables(mask_of("00000000000113113113113"));
    p.units = "degC";
    p.flag = kFlag;
    p.mask = "00000000000113113113113";
    p.min_months = 2;
    p.counts = true;
    p.source = "cru_like.nc";
    p.history = "2024-05-01 12:00:00: versel --kind nc cru_like.nc";
    return p;
  }

  std::string dir_;
};

TEST(NcNames, ShortNamesBecomeCfNames) {
  struct Case {
    const char* mask;
    std::vector<std::string> names;
  } cases[] = {
      {"00001113111311131113", {"MJJA_p1_avg", "SOND_p1_avg", "JFMA_avg", "MJJA_avg"}},
      {"00000000000113113113113", {"DJF_avg", "MAM_avg", "JJA_avg", "SON_avg"}},
      {"0000000000000000111100000", {"May_n1", "Jun_n1", "Jul_n1", "Aug_n1"}},
      {"000011002", {"May_Jun_Sep_sum"}},
      {"000000200000", {"Jul_sum"}},
      {"111111111111", {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cf_variable_names(climate_variables(mask_of(c.mask))), c.names) << c.mask;
  }
  // names made unique, also against the file's own and derived names
  auto variable = [](const char* name) { return ClimateVariable{VariableKind::single, {{1, 0, 0}}, name}; };
  EXPECT_EQ(cf_variable_names({variable("DJF_avg"), variable("DJF_avg"), variable("DJF-avg"), variable("time"),
                               variable("x_mean"), variable("x"), variable("1st"), variable("a b")}),
            (std::vector<std::string>{"DJF_avg", "DJF_avg_2", "DJF_avg_3", "time_2", "x_mean", "x_2", "v_1st",
                                      "a_b"}));
}

TEST(NcNames, YearStarts) {
  EXPECT_EQ(nc_year_start(1850), 0.0);
  EXPECT_EQ(nc_year_start(1851), 365.0);
  EXPECT_EQ(nc_year_start(1901), 18627.0);  // 51 years, 12 of them leap (1900 is not)
  EXPECT_EQ(nc_year_start(2001), 55152.0);
  EXPECT_EQ(nc_year_start(1849), -365.0);
  EXPECT_EQ(nc_year_start(1000), -310456.0);  // 850 years, 206 of them leap
}

// Cells put in order, some left out; every value, mean and count read back.
void check_grid_file(const std::string& file, const NcOutputPlan& p, const std::vector<std::int64_t>& put) {
  Reader r(file);
  const std::int32_t years = p.last_year - p.first_year + 1;
  const auto ncv = static_cast<std::int32_t>(p.variables.size());
  EXPECT_EQ(r.dim("time"), static_cast<std::size_t>(years));
  EXPECT_EQ(r.dim("lat"), 3u);
  EXPECT_EQ(r.dim("lon"), 4u);
  EXPECT_EQ(r.dim("nv"), 2u);
  EXPECT_EQ(r.doubles("lat"), p.grid.row_axis);
  EXPECT_EQ(r.doubles("lon"), p.grid.col_axis);
  EXPECT_EQ(r.text("lat", "units"), "degrees_north");
  EXPECT_EQ(r.text("lon", "standard_name"), "longitude");
  EXPECT_EQ(r.doubles("time"), (std::vector<double>{18809.5, 19174.5, 19539.5}));
  EXPECT_EQ(r.doubles("time_bnds"), (std::vector<double>{18627, 18992, 18992, 19357, 19357, 19722}));
  EXPECT_EQ(r.ints("year"), (std::vector<int>{1901, 1902, 1903}));
  EXPECT_EQ(r.text("time", "units"), "days since 1850-01-01 00:00:00");
  EXPECT_EQ(r.text("time", "calendar"), "proleptic_gregorian");
  EXPECT_EQ(r.text("time", "bounds"), "time_bnds");
  EXPECT_EQ(r.text("", "Conventions"), "CF-1.8");
  EXPECT_EQ(r.text("", "source"), p.source);
  EXPECT_EQ(r.text("", "history"), p.history);
  EXPECT_EQ(r.text("", "climate_mask"), p.mask);
  EXPECT_EQ(r.numbers("", "flag"), (std::vector<double>{static_cast<double>(kFlag)}));
  EXPECT_EQ(r.numbers("", "min_months"), (std::vector<double>{2}));
  EXPECT_EQ(r.text("", "featureType"), "(none)");

  const std::vector<std::string> names = cf_variable_names(p.variables);
  const char* long_names[] = {"DJF_avg: mean of Dec-1 Jan Feb", "MAM_avg: mean of Mar Apr May",
                              "JJA_avg: mean of Jun Jul Aug", "SON_avg: mean of Sep Oct Nov"};
  for (std::int32_t v = 0; v < ncv; ++v) {
    const std::string& n = names[static_cast<std::size_t>(v)];
    SCOPED_TRACE(n);
    EXPECT_EQ(r.dims_of(n), (std::vector<std::string>{"time", "lat", "lon"}));
    EXPECT_EQ(r.dims_of(n + "_mean"), (std::vector<std::string>{"lat", "lon"}));
    EXPECT_EQ(r.text(n, "long_name"), long_names[v]);
    EXPECT_EQ(r.text(n, "short_name"), p.variables[static_cast<std::size_t>(v)].name);
    EXPECT_EQ(r.text(n, "units"), "degC");
    EXPECT_EQ(r.text(n, "cell_methods"), "time: mean");
    EXPECT_EQ(r.numbers(n, "_FillValue"), (std::vector<double>{static_cast<double>(kFlag)}));
    EXPECT_EQ(r.text(n + "_mean", "long_name"), "long-term mean of " + p.variables[static_cast<std::size_t>(v)].name +
                                                    " over the valid years of 1901 to 1903");
    EXPECT_EQ(r.numbers(n + "_mean", "first_year"), (std::vector<double>{1901}));
    EXPECT_EQ(r.numbers(n + "_mean", "last_year"), (std::vector<double>{1903}));
    EXPECT_EQ(r.numbers(n + "_n", "_FillValue"), (std::vector<double>{-1}));
    const std::vector<float> values = r.floats(n);
    const std::vector<float> means = r.floats(n + "_mean");
    const std::vector<int> counts = r.ints(n + "_n");
    std::vector<float> valid, valid_means;
    for (std::int64_t k = 0; k < 12; ++k) {
      const bool was_put = std::find(put.begin(), put.end(), k) != put.end();
      const Station st = station_of(k, p.first_year, years, ncv);
      EXPECT_EQ(means[static_cast<std::size_t>(k)], was_put ? mean_of(st, v) : kFlag) << "cell " << k;
      if (was_put && mean_of(st, v) != kFlag) valid_means.push_back(mean_of(st, v));
      for (std::int32_t i = 0; i < years; ++i) {
        const auto at = static_cast<std::size_t>(i * 12 + k);
        EXPECT_EQ(values[at], was_put ? value_of(k, i, v) : kFlag) << "cell " << k << " year " << i;
        EXPECT_EQ(counts[at], was_put ? count_of(k, i, v) : -1) << "cell " << k << " year " << i;
        if (was_put && value_of(k, i, v) != kFlag) valid.push_back(value_of(k, i, v));
      }
    }
    const auto [low, high] = std::minmax_element(valid.begin(), valid.end());
    EXPECT_EQ(r.numbers(n, "actual_range"), (std::vector<double>{*low, *high}));
    const auto [mean_low, mean_high] = std::minmax_element(valid_means.begin(), valid_means.end());
    EXPECT_EQ(r.numbers(n + "_mean", "actual_range"), (std::vector<double>{*mean_low, *mean_high}));
  }
  EXPECT_EQ(r.numbers(names[0], "months"), (std::vector<double>{12, 1, 2}));
  EXPECT_EQ(r.numbers(names[0], "year_offsets"), (std::vector<double>{-1, 0, 0}));
}

TEST_F(NcOutput, GridReadBackInBandsOfEverySize) {
  const std::vector<std::int64_t> put = {0, 1, 2, 5, 6, 9, 11};  // every row in part
  for (bool netcdf4 : {false, true}) {
    for (std::size_t band : {std::size_t{1}, std::size_t{300}, std::size_t{700}, kNcBandBytes}) {
      SCOPED_TRACE(std::string(netcdf4 ? "netCDF-4" : "64-bit offset") + ", band " + std::to_string(band));
      NcOutputPlan p = grid_plan();
      p.netcdf4 = netcdf4;
      p.band_bytes = band;
      NcWriter w;
      std::string error;
      ASSERT_TRUE(begin_nc_output(w, path("g.nc"), p, error)) << error;
      for (std::int64_t k : put) {
        const Station st = station_of(k, 1901, 3, 4);
        const std::vector<std::int32_t> c = counts_of(k, 3, 4);
        ASSERT_TRUE(put_nc_cell(w, k, st, c.data(), error)) << error;
      }
      ASSERT_TRUE(finish_nc_output(w, error)) << error;
      int format = 0;
      Reader r(path("g.nc"));
      nc_inq_format(r.id, &format);
      EXPECT_EQ(format, netcdf4 ? NC_FORMAT_NETCDF4_CLASSIC : NC_FORMAT_64BIT_OFFSET);
      check_grid_file(path("g.nc"), p, put);
    }
  }
}

// A station shorter than the file's years sits at its own years; one
// without output years has only missing values and a missing mean.
TEST_F(NcOutput, GridCellsOfOtherSpans) {
  NcOutputPlan p = grid_plan();
  p.counts = false;
  NcWriter w;
  std::string error;
  ASSERT_TRUE(begin_nc_output(w, path("s.nc"), p, error)) << error;
  Station late = station_of(0, 1902, 2, 4);
  Station none;
  none.IFC = 1901;
  none.NYC = 0;
  none.NCV = 4;
  ASSERT_TRUE(put_nc_cell(w, 0, late, nullptr, error)) << error;
  ASSERT_TRUE(put_nc_cell(w, 1, none, nullptr, error)) << error;
  ASSERT_TRUE(finish_nc_output(w, error)) << error;
  Reader r(path("s.nc"));
  EXPECT_FALSE(r.has_var("DJF_avg_n"));
  const std::vector<float> v = r.floats("MAM_avg");
  EXPECT_EQ(v[0], kFlag);
  EXPECT_EQ(v[12], value_of(0, 0, 1));
  EXPECT_EQ(v[24], value_of(0, 1, 1));
  EXPECT_EQ(v[1], kFlag);
  EXPECT_EQ(r.floats("MAM_avg_mean")[0], mean_of(late, 1));
  EXPECT_EQ(r.floats("MAM_avg_mean")[1], kFlag);
}

TEST_F(NcOutput, CurvilinearGrid) {
  NcOutputPlan p = grid_plan();
  p.grid.kind = GridKind::curvilinear;
  p.grid.row_axis.clear();
  p.grid.col_axis.clear();
  for (int k = 0; k < 12; ++k) {
    p.grid.lat.push_back(60 + 0.5 * (k / 4) + 0.125 * (k % 4));
    p.grid.lon.push_back(10 + 0.5 * (k % 4));
  }
  NcWriter w;
  std::string error;
  ASSERT_TRUE(begin_nc_output(w, path("c.nc"), p, error)) << error;
  ASSERT_TRUE(put_nc_cell(w, 7, station_of(7, 1901, 3, 4), nullptr, error)) << error;
  ASSERT_TRUE(finish_nc_output(w, error)) << error;
  Reader r(path("c.nc"));
  EXPECT_EQ(r.dims_of("lat"), (std::vector<std::string>{"y", "x"}));
  EXPECT_EQ(r.dims_of("SON_avg"), (std::vector<std::string>{"time", "y", "x"}));
  EXPECT_EQ(r.doubles("lat"), p.grid.lat);
  EXPECT_EQ(r.doubles("lon"), p.grid.lon);
  EXPECT_EQ(r.text("SON_avg", "coordinates"), "lat lon");
  EXPECT_EQ(r.text("SON_avg_mean", "coordinates"), "lat lon");
  EXPECT_EQ(r.floats("SON_avg")[12 + 7], value_of(7, 1, 3));
}

// A grid whose rows are longitudes keeps the input's order of dimensions.
TEST_F(NcOutput, RowsOfLongitude) {
  NcOutputPlan p = grid_plan();
  p.grid.rows_are_latitude = false;
  p.grid.rows = 4;
  p.grid.cols = 3;
  p.grid.row_axis = {358.75, 359.25, 359.75, 0.25};
  p.grid.col_axis = {53.25, 52.75, 52.25};
  NcWriter w;
  std::string error;
  ASSERT_TRUE(begin_nc_output(w, path("t.nc"), p, error)) << error;
  ASSERT_TRUE(put_nc_cell(w, 4, station_of(4, 1901, 3, 4), nullptr, error)) << error;
  ASSERT_TRUE(finish_nc_output(w, error)) << error;
  Reader r(path("t.nc"));
  EXPECT_EQ(r.dims_of("JJA_avg"), (std::vector<std::string>{"time", "lon", "lat"}));
  EXPECT_EQ(r.dims_of("JJA_avg_mean"), (std::vector<std::string>{"lon", "lat"}));
  EXPECT_EQ(r.doubles("lon"), p.grid.row_axis);
  EXPECT_EQ(r.doubles("lat"), p.grid.col_axis);
  EXPECT_EQ(r.floats("JJA_avg")[2 * 12 + 4], value_of(4, 2, 2));  // (1903, lon 359.25, lat 53.25)
}

void put_stations(NcWriter& w, int n, std::string& error) {
  for (int k = 0; k < n; ++k) {
    StationData d;
    d.has_header = k != 2;
    d.header = k == 1 ? "  A NAME LONGER THAN TWELVE  " : "site " + std::to_string(k);
    d.has_coordinates = k != 3;
    d.RLAT = 40.5f + static_cast<float>(k);
    d.RLON = -105.25f;
    const std::vector<std::int32_t> c = counts_of(k, 3, 4);
    ASSERT_TRUE(put_nc_station(w, d, station_of(k, 1901, 3, 4), c.data(), error)) << error;
  }
}

TEST_F(NcOutput, StationFileReadBack) {
  struct Case {
    const char* what;
    std::int64_t planned;
    int put;
    std::size_t band;
    bool netcdf4;
  } cases[] = {
      {"count known", 5, 5, kNcBandBytes, false},
      {"count not known", 0, 5, kNcBandBytes, false},
      {"bands of one station", 0, 5, 1, false},
      {"bands of two, netCDF-4", 5, 5, 400, true},
      {"fewer put than planned", 7, 5, 400, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NcOutputPlan p = grid_plan();
    p.shape = NcShape::stations;
    p.grid = GridGeometry{};
    p.stations = c.planned;
    p.name_length = 12;
    p.band_bytes = c.band;
    p.netcdf4 = c.netcdf4;
    NcWriter w;
    std::string error;
    ASSERT_TRUE(begin_nc_output(w, path("st.nc"), p, error)) << error;
    put_stations(w, c.put, error);
    ASSERT_TRUE(finish_nc_output(w, error)) << error;

    Reader r(path("st.nc"));
    const std::size_t n = c.planned > 0 ? static_cast<std::size_t>(c.planned) : static_cast<std::size_t>(c.put);
    EXPECT_EQ(r.dim("station"), n);
    EXPECT_EQ(r.dim("name_strlen"), 12u);
    EXPECT_EQ(r.text("", "featureType"), "timeSeries");
    EXPECT_EQ(r.text("station_name", "cf_role"), "timeseries_id");
    EXPECT_EQ(r.dims_of("DJF_avg"), (std::vector<std::string>{"station", "time"}));
    EXPECT_EQ(r.dims_of("DJF_avg_mean"), (std::vector<std::string>{"station"}));
    EXPECT_EQ(r.text("DJF_avg", "coordinates"), "lat lon");
    std::vector<char> names(n * 12);
    ASSERT_EQ(nc_get_var_text(r.id, r.var("station_name"), names.data()), NC_NOERR);
    auto name = [&](std::size_t k) { return std::string(names.data() + k * 12, strnlen(names.data() + k * 12, 12)); };
    EXPECT_EQ(name(0), "site 0");
    EXPECT_EQ(name(1), "A NAME LONGE");
    EXPECT_EQ(name(2), "3");  // no header: the station's number
    const std::vector<double> lat = r.doubles("lat");
    EXPECT_EQ(lat[0], 40.5);
    EXPECT_EQ(lat[3], NC_FILL_DOUBLE);
    EXPECT_EQ(r.doubles("lon")[4], -105.25);
    for (std::int32_t v = 0; v < 4; ++v) {
      const std::string var = cf_variable_names(p.variables)[static_cast<std::size_t>(v)];
      const std::vector<float> values = r.floats(var);
      const std::vector<float> means = r.floats(var + "_mean");
      const std::vector<int> counts = r.ints(var + "_n");
      for (std::size_t k = 0; k < n; ++k) {
        const bool was_put = k < static_cast<std::size_t>(c.put);
        EXPECT_EQ(means[k], was_put ? mean_of(station_of(static_cast<std::int64_t>(k), 1901, 3, 4), v) : kFlag);
        for (std::int32_t i = 0; i < 3; ++i) {
          const auto kk = static_cast<std::int64_t>(k);
          EXPECT_EQ(values[k * 3 + static_cast<std::size_t>(i)], was_put ? value_of(kk, i, v) : kFlag);
          EXPECT_EQ(counts[k * 3 + static_cast<std::size_t>(i)], was_put ? count_of(kk, i, v) : -1);
        }
      }
    }
    if (c.planned > c.put) {
      EXPECT_EQ(name(6), "");
    }
  }
}

TEST_F(NcOutput, Faults) {
  std::string error;
  {
    NcWriter w;
    NcOutputPlan p = grid_plan();
    EXPECT_FALSE(begin_nc_output(w, path("none/g.nc"), p, error));
    EXPECT_EQ(error, path("none/g.nc") + ": cannot be created: No such file or directory");
    p.variables.clear();
    EXPECT_FALSE(begin_nc_output(w, path("g.nc"), p, error));
    EXPECT_EQ(error, path("g.nc") + ": the mask forms no climate variable to write");
    p = grid_plan();
    p.last_year = 1900;
    EXPECT_FALSE(begin_nc_output(w, path("g.nc"), p, error));
    EXPECT_EQ(error, path("g.nc") + ": no output years: the first is 1901, the last 1900");
    p = grid_plan();
    p.grid.col_axis.pop_back();
    EXPECT_FALSE(begin_nc_output(w, path("g.nc"), p, error));
    EXPECT_EQ(error, path("g.nc") + ": the coordinates of the grid do not match its 3 rows and 4 columns");
    p.grid.kind = GridKind::points;
    EXPECT_FALSE(begin_nc_output(w, path("g.nc"), p, error));
    EXPECT_EQ(error, path("g.nc") + ": a grid of points is written as stations, not as a grid");
  }
  {
    NcWriter w;
    ASSERT_TRUE(begin_nc_output(w, path("g.nc"), grid_plan(), error)) << error;
    const Station st = station_of(0, 1901, 3, 4);
    ASSERT_TRUE(put_nc_cell(w, 5, st, nullptr, error));
    EXPECT_FALSE(put_nc_cell(w, 5, st, nullptr, error));
    EXPECT_EQ(error, path("g.nc") + ": cell 5 comes after cell 5: cells are written in the order of rows and columns");
    EXPECT_FALSE(put_nc_cell(w, 12, st, nullptr, error));
    EXPECT_EQ(error, path("g.nc") + ": cell 12 lies outside the grid of 12 cells");
    EXPECT_FALSE(put_nc_cell(w, 6, station_of(0, 1902, 3, 4), nullptr, error));
    EXPECT_EQ(error, path("g.nc") + ": output years 1902 to 1904 of a station lie outside the years 1901 to 1903 of "
                                    "the file");
    EXPECT_FALSE(put_nc_cell(w, 6, station_of(0, 1901, 3, 2), nullptr, error));
    EXPECT_EQ(error, path("g.nc") + ": a station of 2 climate variables, where the file has 4");
    EXPECT_FALSE(put_nc_station(w, StationData{}, st, nullptr, error));
    EXPECT_EQ(error, path("g.nc") + ": a station put on a file of a grid");
    abandon_nc_output(w);
  }
  {
    NcWriter w;
    NcOutputPlan p = grid_plan();
    p.shape = NcShape::stations;
    p.stations = 1;
    ASSERT_TRUE(begin_nc_output(w, path("s.nc"), p, error)) << error;
    const Station st = station_of(0, 1901, 3, 4);
    EXPECT_FALSE(put_nc_cell(w, 0, st, nullptr, error));
    EXPECT_EQ(error, path("s.nc") + ": a grid cell put on a file of stations");
    ASSERT_TRUE(put_nc_station(w, StationData{}, st, nullptr, error)) << error;
    EXPECT_FALSE(put_nc_station(w, StationData{}, st, nullptr, error));
    EXPECT_EQ(error, path("s.nc") + ": station 2 is beyond the 1 stations planned");
    EXPECT_TRUE(finish_nc_output(w, error)) << error;
  }
}

// --- other readers ------------------------------------------------------

// Runs a command; its exit status, with standard error in `err`.
int run(const std::string& command, std::string& err, const std::string& dir) {
  const std::string err_file = dir + "/stderr.txt";
  const int status = std::system((command + " >/dev/null 2>" + err_file).c_str());
  err.clear();
  if (FILE* f = std::fopen(err_file.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) err.append(buf, n);
    std::fclose(f);
  }
  return status;
}

bool have(const std::string& check, const std::string& dir) {
  std::string err;
  return run(check, err, dir) == 0;
}

class NcOutputTools : public NcOutput {
 protected:
  // A grid file and a station file as a run writes them.
  void SetUp() override {
    NcOutput::SetUp();
    std::string error;
    NcWriter w;
    NcOutputPlan p = grid_plan();
    p.grid.row_axis = {52.25, 52.75, 53.25};
    p.grid.col_axis = {-1.75, -1.25, -0.75, -0.25};
    ASSERT_TRUE(begin_nc_output(w, path("grid.nc"), p, error)) << error;
    for (std::int64_t k : {0, 3, 4, 11}) {
      const std::vector<std::int32_t> c = counts_of(k, 3, 4);
      ASSERT_TRUE(put_nc_cell(w, k, station_of(k, 1901, 3, 4), c.data(), error)) << error;
    }
    ASSERT_TRUE(finish_nc_output(w, error)) << error;
    p.shape = NcShape::stations;
    p.stations = 0;
    NcWriter s;
    ASSERT_TRUE(begin_nc_output(s, path("stations.nc"), p, error)) << error;
    put_stations(s, 3, error);
    ASSERT_TRUE(finish_nc_output(s, error)) << error;
  }
};

TEST_F(NcOutputTools, Ncdump) {
  if (!have("command -v ncdump", dir_)) GTEST_SKIP() << "ncdump is not installed";
  for (const char* f : {"grid.nc", "stations.nc"}) {
    std::string err;
    EXPECT_EQ(run("ncdump " + path(f), err, dir_), 0) << f;
    EXPECT_EQ(err, "") << f;
  }
}

TEST_F(NcOutputTools, PythonNetcdf4AndXarray) {
  // the first Python that has both modules
  std::string python;
  for (const char* p : {"python3", "/usr/bin/python3"}) {
    if (have(std::string(p) + " -c 'import netCDF4, xarray'", dir_)) {
      python = p;
      break;
    }
  }
  if (python.empty()) GTEST_SKIP() << "no Python with netCDF4 and xarray";
  const std::string script =
      "import sys, warnings\n"
      "warnings.simplefilter('error')\n"
      "import netCDF4, xarray, numpy\n"
      "g = xarray.open_dataset(sys.argv[1])\n"
      "assert list(g['year'].values) == [1901, 1902, 1903]\n"
      "assert str(g['time'].values[0])[:16] == '1901-07-02T12:00'\n"
      "assert g['DJF_avg'].dims == ('time', 'lat', 'lon')\n"
      "assert numpy.isnan(g['DJF_avg'].values[0, 0, 1])\n"
      "assert abs(float(g['DJF_avg_mean'].values[2, 3]) - float(netCDF4.Dataset(sys.argv[1])['DJF_avg_mean'][2, 3])) < 1e-6\n"
      "s = xarray.open_dataset(sys.argv[2])\n"
      "assert s.attrs['featureType'] == 'timeSeries'\n"
      "assert s['MAM_avg'].dims == ('station', 'time')\n"
      "names = [bytes(n).decode().rstrip('\\x00') if not isinstance(n, str) else n for n in s['station_name'].values]\n"
      "assert names[0] == 'site 0', names\n"
      "d = netCDF4.Dataset(sys.argv[2])\n"
      "assert d['station_name'].cf_role == 'timeseries_id'\n";
  const std::string script_file = path("check.py");
  FILE* f = std::fopen(script_file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs(script.c_str(), f);
  std::fclose(f);
  std::string err;
  EXPECT_EQ(run(python + " " + script_file + " " + path("grid.nc") + " " + path("stations.nc"), err, dir_), 0) << err;
  EXPECT_EQ(err, "");
}

// GMT reads the grid and its means as grids, with their ranges.
TEST_F(NcOutputTools, GmtGrdinfo) {
  if (!have("command -v gmt", dir_)) GTEST_SKIP() << "GMT is not installed";
  std::string err;
  const std::string out = path("info.txt");
  ASSERT_EQ(run("gmt grdinfo -C '" + path("grid.nc") + "?DJF_avg_mean' >" + out + " 2>&1; test -s " + out, err, dir_), 0);
  EXPECT_EQ(run("gmt grdinfo '" + path("grid.nc") + "?DJF_avg'", err, dir_), 0);
  EXPECT_EQ(err, "");
  FILE* f = std::fopen(out.c_str(), "r");
  ASSERT_NE(f, nullptr);
  char line[1024] = {};
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
  std::fclose(f);
  // file, x range, y range, value range, increments, columns, rows
  char name[512];
  double x0, x1, y0, y1, v0, v1;
  ASSERT_EQ(std::sscanf(line, "%511s %lf %lf %lf %lf %lf %lf", name, &x0, &x1, &y0, &y1, &v0, &v1), 7) << line;
  EXPECT_EQ(x0, -2.0);
  EXPECT_EQ(x1, 0.0);
  EXPECT_EQ(y0, 52.0);
  EXPECT_EQ(y1, 53.5);
  std::vector<float> means;
  for (std::int64_t k : {0, 3, 4, 11}) means.push_back(mean_of(station_of(k, 1901, 3, 4), 0));
  EXPECT_FLOAT_EQ(static_cast<float>(v0), *std::min_element(means.begin(), means.end()));
  EXPECT_FLOAT_EQ(static_cast<float>(v1), *std::max_element(means.begin(), means.end()));
}

TEST_F(NcOutputTools, CdoSinfo) {
  if (!have("command -v cdo", dir_)) GTEST_SKIP() << "cdo is not installed";
  std::string err;
  EXPECT_EQ(run("cdo -s sinfo " + path("grid.nc"), err, dir_), 0) << err;
  EXPECT_EQ(err.find("arning"), std::string::npos) << err;
  EXPECT_EQ(run("cdo -s showyear " + path("grid.nc"), err, dir_), 0) << err;
  EXPECT_EQ(err.find("arning"), std::string::npos) << err;
}

}  // namespace
}  // namespace versel
