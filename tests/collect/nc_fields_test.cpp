// Files of result fields read back through the library: the place of the
// values (axes, curvilinear and transposed grids, stations), every
// attribute and value, what becomes missing, the refusals of a plan and of
// a misused put, and, where installed, the grid file opened by ncdump and
// by GMT as a grid.
#include <gtest/gtest.h>
#include <netcdf.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "collect/nc_fields.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kFlag = -999.9f;
constexpr int kIntFill = -2147483647;

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
  // a dimension's length, -1 when there is none
  long dim(const std::string& name) const {
    int d = -1;
    std::size_t n = 0;
    return nc_inq_dimid(id, name.c_str(), &d) == NC_NOERR && nc_inq_dimlen(id, d, &n) == NC_NOERR ? long(n) : -1;
  }
  std::vector<std::string> dims_of(const std::string& name) const {
    int ids[NC_MAX_VAR_DIMS], n = 0;
    nc_inq_var(id, var(name), nullptr, nullptr, &n, ids, nullptr);
    std::vector<std::string> out;
    for (int k = 0; k < n; ++k) {
      char buf[NC_MAX_NAME + 1] = {};
      nc_inq_dimname(id, ids[k], buf);
      out.push_back(buf);
    }
    return out;
  }
  nc_type type_of(const std::string& name) const {
    nc_type t = NC_NAT;
    nc_inq_vartype(id, var(name), &t);
    return t;
  }
  // every value of a variable, read as T by `get` (nc_get_var_float, ...)
  template <typename T>
  std::vector<T> values(const std::string& name, int (*get)(int, int, T*)) const {
    std::size_t n = 1;
    for (const std::string& d : dims_of(name)) n *= static_cast<std::size_t>(dim(d));
    std::vector<T> v(n);
    EXPECT_EQ(get(id, var(name), v.data()), NC_NOERR) << name;
    return v;
  }
  std::vector<double> doubles(const std::string& name) const { return values<double>(name, nc_get_var_double); }
  std::vector<float> floats(const std::string& name) const { return values<float>(name, nc_get_var_float); }
  std::vector<int> ints(const std::string& name) const { return values<int>(name, nc_get_var_int); }
  // an attribute as text, "(none)" when there is none
  std::string text(const std::string& var_name, const char* att) const {
    const int v = var_name.empty() ? NC_GLOBAL : var(var_name);
    std::size_t n = 0;
    if (nc_inq_attlen(id, v, att, &n) != NC_NOERR) return "(none)";
    std::string s(n, '\0');
    nc_get_att_text(id, v, att, s.data());
    return s;
  }
  // a numeric attribute, and its type
  std::vector<double> numbers(const std::string& var_name, const char* att, nc_type* type = nullptr) const {
    const int v = var_name.empty() ? NC_GLOBAL : var(var_name);
    std::size_t n = 0;
    if (nc_inq_attlen(id, v, att, &n) != NC_NOERR) return {};
    if (type != nullptr) nc_inq_atttype(id, v, att, type);
    std::vector<double> out(n);
    nc_get_att_double(id, v, att, out.data());
    return out;
  }
};

class NcFieldsFile : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "versel-ncfields-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string path(const std::string& name) const { return (fs::path(dir_) / name).string(); }

  // The best window of a screen on 3 descending latitudes by 4 longitudes
  // of 0..360.
  NcFieldsPlan screen_plan() const {
    NcFieldsPlan p;
    p.grid.kind = GridKind::axes;
    p.grid.rows = 3;
    p.grid.cols = 4;
    p.grid.row_axis = {59.5, 58.5, 57.5};
    p.grid.col_axis = {45.0, 135.0, 225.0, 315.0};
    p.fields = {{"best_r", "correlation of the best window with chronology CAN001", "1", NcFieldType::real,
                 {{"method", "pearson"}}},
                {"best_first_month", "first month of the best window (1-24, 13 = January of the current year)", "",
                 NcFieldType::integer, {}},
                {"best_months", "length of the best window", "months", NcFieldType::integer, {}}};
    p.flag = kFlag;
    p.title = "screen of chronology CAN001";
    p.source = "cru_like.nc";
    p.history = "versel --screen --kind nc cru_like.nc";
    p.global_attributes = {{"chronology", "CAN001"}, {"interval", "95 % Fisher"}};
    p.file = path("screen.nc");
    return p;
  }

  std::string dir_;
};

// What each cell of the screen gets: cells 3 and 11 are never put, cell 5
// is put twice (the second replaces the first).
struct Put {
  std::int64_t cell;
  double r, first, months;
};
const Put kScreenPuts[] = {
    {0, 0.61, 18, 3},    {1, -0.42, 2.5, 1},  {2, NaN, NaN, NaN},  {4, 1e39, 13, 12},
    {5, 0.1, 1, 1},      {5, 0.25, -2.5, 24}, {6, HUGE_VAL, 3e9, -3e9}, {7, -1.0, 2.4999, 2},
    {8, 0.0, 13, NaN},   {9, 0.123456789, 24, 6}, {10, -0.05, kIntFill, 5},
};
// Read back, cell by cell.
const float kScreenR[12] = {0.61f, -0.42f, kFlag, kFlag, kFlag, 0.25f, kFlag, -1.0f, 0.0f, 0.123456789f, -0.05f, kFlag};
const int kScreenFirst[12] = {18, 3, kIntFill, kIntFill, 13, -3, kIntFill, 2, 13, 24, kIntFill, kIntFill};
const int kScreenMonths[12] = {3, 1, kIntFill, kIntFill, 12, 24, kIntFill, 2, kIntFill, 6, 5, kIntFill};

bool write_screen(const NcFieldsPlan& p, const std::string& file, std::string& error) {
  NcFields f;
  if (!begin_nc_fields(f, p, error)) return false;
  for (const Put& put : kScreenPuts) {
    const double values[3] = {put.r, put.first, put.months};
    put_nc_field_cell(f, put.cell, values);
  }
  return write_nc_fields(f, file, error);
}

TEST_F(NcFieldsFile, AxesGridReadBack) {
  const NcFieldsPlan p = screen_plan();
  std::string error;
  ASSERT_TRUE(write_screen(p, path("screen.nc"), error)) << error;
  Reader r(path("screen.nc"));
  int format = 0;
  nc_inq_format(r.id, &format);
  EXPECT_EQ(format, NC_FORMAT_64BIT_OFFSET);
  EXPECT_EQ(r.dim("lat"), 3);
  EXPECT_EQ(r.dim("lon"), 4);
  EXPECT_EQ(r.dim("time"), -1);
  EXPECT_EQ(r.doubles("lat"), p.grid.row_axis);
  EXPECT_EQ(r.doubles("lon"), p.grid.col_axis);
  EXPECT_EQ(r.text("lat", "units"), "degrees_north");
  EXPECT_EQ(r.text("lon", "axis"), "X");

  EXPECT_EQ(r.text("", "Conventions"), "CF-1.8");
  EXPECT_EQ(r.text("", "title"), p.title);
  EXPECT_EQ(r.text("", "source"), p.source);
  EXPECT_EQ(r.text("", "history"), p.history);
  EXPECT_EQ(r.text("", "chronology"), "CAN001");
  EXPECT_EQ(r.text("", "interval"), "95 % Fisher");
  EXPECT_EQ(r.text("", "featureType"), "(none)");

  for (const NcField& field : p.fields) {
    SCOPED_TRACE(field.name);
    EXPECT_EQ(r.dims_of(field.name), (std::vector<std::string>{"lat", "lon"}));
    EXPECT_EQ(r.type_of(field.name), field.type == NcFieldType::real ? NC_FLOAT : NC_INT);
    EXPECT_EQ(r.text(field.name, "long_name"), field.long_name);
    EXPECT_EQ(r.text(field.name, "units"), field.units.empty() ? "(none)" : field.units);
    EXPECT_EQ(r.text(field.name, "coordinates"), "(none)");
  }
  EXPECT_EQ(r.text("best_r", "method"), "pearson");

  nc_type type = NC_NAT;
  EXPECT_EQ(r.numbers("best_r", "_FillValue", &type), (std::vector<double>{kFlag}));
  EXPECT_EQ(type, NC_FLOAT);
  EXPECT_EQ(r.numbers("best_r", "actual_range", &type), (std::vector<double>{-1.0, 0.61f}));
  EXPECT_EQ(type, NC_FLOAT);
  EXPECT_EQ(r.numbers("best_months", "_FillValue", &type), (std::vector<double>{kIntFill}));
  EXPECT_EQ(type, NC_INT);
  EXPECT_EQ(r.numbers("best_months", "actual_range", &type), (std::vector<double>{1, 24}));
  EXPECT_EQ(type, NC_INT);
  EXPECT_EQ(r.numbers("best_first_month", "actual_range"), (std::vector<double>{-3, 24}));

  EXPECT_EQ(r.floats("best_r"), std::vector<float>(std::begin(kScreenR), std::end(kScreenR)));
  EXPECT_EQ(r.ints("best_first_month"), std::vector<int>(std::begin(kScreenFirst), std::end(kScreenFirst)));
  EXPECT_EQ(r.ints("best_months"), std::vector<int>(std::begin(kScreenMonths), std::end(kScreenMonths)));
}

// A field without any value has no actual_range; a rewritten file replaces
// the one there.
TEST_F(NcFieldsFile, NothingPutAndReplacedFile) {
  NcFieldsPlan p = screen_plan();
  std::string error;
  ASSERT_TRUE(write_screen(p, path("screen.nc"), error)) << error;
  NcFields f;
  p.fields.resize(1);
  ASSERT_TRUE(begin_nc_fields(f, p, error)) << error;
  ASSERT_TRUE(write_nc_fields(f, path("screen.nc"), error)) << error;
  Reader r(path("screen.nc"));
  int variables = 0;
  nc_inq_nvars(r.id, &variables);
  EXPECT_EQ(variables, 3);  // lat, lon, best_r
  EXPECT_EQ(r.floats("best_r"), std::vector<float>(12, kFlag));
  EXPECT_EQ(r.numbers("best_r", "actual_range"), std::vector<double>{});
}

// Grids other than latitude by longitude axes: the dimensions, the
// coordinates and where a cell's value lies.
TEST_F(NcFieldsFile, CurvilinearAndTransposedGrids) {
  NcFieldsPlan curvilinear = screen_plan();
  curvilinear.grid.kind = GridKind::curvilinear;
  curvilinear.grid.row_axis.clear();
  curvilinear.grid.col_axis.clear();
  for (int k = 0; k < 12; ++k) {
    curvilinear.grid.lat.push_back(60 + 0.5 * (k / 4) + 0.125 * (k % 4));
    curvilinear.grid.lon.push_back(10 + 0.5 * (k % 4));
  }
  NcFieldsPlan transposed = screen_plan();
  transposed.grid.rows_are_latitude = false;
  transposed.grid.rows = 4;
  transposed.grid.cols = 3;
  std::swap(transposed.grid.row_axis, transposed.grid.col_axis);
  struct Case {
    const char* what;
    NcFieldsPlan plan;
    std::vector<std::string> dims, lat_dims;
    std::string coordinates;
  } cases[] = {
      {"curvilinear", curvilinear, {"y", "x"}, {"y", "x"}, "lat lon"},
      {"rows of longitude", transposed, {"lon", "lat"}, {"lat"}, "(none)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    ASSERT_TRUE(write_screen(c.plan, path("g.nc"), error)) << error;
    Reader r(path("g.nc"));
    EXPECT_EQ(r.dims_of("best_months"), c.dims);
    EXPECT_EQ(r.dims_of("lat"), c.lat_dims);
    EXPECT_EQ(r.text("best_r", "coordinates"), c.coordinates);
    EXPECT_EQ(r.text("best_months", "coordinates"), c.coordinates);
    const bool axes = c.plan.grid.kind == GridKind::axes;
    EXPECT_EQ(r.doubles("lat"), axes ? c.plan.grid.col_axis : c.plan.grid.lat);
    EXPECT_EQ(r.doubles("lon"), axes ? c.plan.grid.row_axis : c.plan.grid.lon);
    // values stay in row-major order of the plan's grid
    EXPECT_EQ(r.floats("best_r"), std::vector<float>(std::begin(kScreenR), std::end(kScreenR)));
    EXPECT_EQ(r.ints("best_months"), std::vector<int>(std::begin(kScreenMonths), std::end(kScreenMonths)));
  }
}

TEST_F(NcFieldsFile, StationsReadBack) {
  NcFieldsPlan p;
  p.shape = NcShape::stations;
  p.name_length = 8;
  p.fields = {{"JJA_avg_r", "correlation of JJA_avg with chronology CAN001", "1", NcFieldType::real, {}},
              {"JJA_avg_n", "years paired", "", NcFieldType::integer, {}},
              {"JJA_avg_p", "two-sided p-value of JJA_avg_r", "1", NcFieldType::real, {}}};
  p.flag = -99.0f;
  p.file = path("corr.nc");
  NcFields f;
  std::string error;
  ASSERT_TRUE(begin_nc_fields(f, p, error)) << error;
  StationData named, headed, bare;
  named.has_header = true;
  named.header = "OXFORD    51.75  -1.25";
  named.name = "OXFORD";
  named.has_coordinates = true;
  named.RLAT = 51.75f;
  named.RLON = -1.25f;
  headed.has_header = true;
  headed.header = "   Rocky Mountain Site   ";
  headed.has_coordinates = true;
  headed.RLAT = 40.5f;
  headed.RLON = -105.25f;
  const double v1[3] = {0.55, 88, 0.0001}, v2[3] = {NaN, 12, NaN}, v3[3] = {-0.2, NaN, 0.3};
  put_nc_field_station(f, named, v1);
  put_nc_field_station(f, headed, v2);
  put_nc_field_station(f, bare, v3);
  ASSERT_TRUE(write_nc_fields(f, path("corr.nc"), error)) << error;

  Reader r(path("corr.nc"));
  EXPECT_EQ(r.dim("station"), 3);
  EXPECT_EQ(r.dim("name_strlen"), 8);
  EXPECT_EQ(r.dim("time"), -1);
  EXPECT_EQ(r.text("", "featureType"), "timeSeries");
  EXPECT_EQ(r.text("station_name", "cf_role"), "timeseries_id");
  std::vector<char> names(3 * 8);
  ASSERT_EQ(nc_get_var_text(r.id, r.var("station_name"), names.data()), NC_NOERR);
  EXPECT_EQ(std::string(names.data(), strnlen(names.data(), 8)), "OXFORD");
  EXPECT_EQ(std::string(names.data() + 8, 8), "Rocky Mo");
  EXPECT_EQ(std::string(names.data() + 16, strnlen(names.data() + 16, 8)), "3");
  EXPECT_EQ(r.doubles("lat"), (std::vector<double>{51.75, 40.5, NC_FILL_DOUBLE}));
  EXPECT_EQ(r.doubles("lon"), (std::vector<double>{-1.25, -105.25, NC_FILL_DOUBLE}));
  EXPECT_EQ(r.numbers("lat", "_FillValue"), (std::vector<double>{NC_FILL_DOUBLE}));
  for (const NcField& field : p.fields) {
    EXPECT_EQ(r.dims_of(field.name), (std::vector<std::string>{"station"})) << field.name;
    EXPECT_EQ(r.text(field.name, "coordinates"), "lat lon") << field.name;
  }
  EXPECT_EQ(r.floats("JJA_avg_r"), (std::vector<float>{0.55f, -99.0f, -0.2f}));
  EXPECT_EQ(r.ints("JJA_avg_n"), (std::vector<int>{88, 12, kIntFill}));
  EXPECT_EQ(r.floats("JJA_avg_p"), (std::vector<float>{0.0001f, -99.0f, 0.3f}));
  EXPECT_EQ(r.numbers("JJA_avg_r", "actual_range"), (std::vector<double>{-0.2f, 0.55f}));
  EXPECT_EQ(r.numbers("JJA_avg_n", "actual_range"), (std::vector<double>{12, 88}));

  // a file of no station at all
  NcFields none;
  ASSERT_TRUE(begin_nc_fields(none, p, error)) << error;
  ASSERT_TRUE(write_nc_fields(none, path("none.nc"), error)) << error;
  Reader empty(path("none.nc"));
  EXPECT_EQ(empty.dim("station"), 0);
}

TEST_F(NcFieldsFile, PlansRefused) {
  const std::string file = path("screen.nc");
  auto plan_with = [&](auto change) {
    NcFieldsPlan p = screen_plan();
    change(p);
    return p;
  };
  struct Case {
    const char* what;
    NcFieldsPlan plan;
    std::string message;
  } cases[] = {
      {"no field", plan_with([](NcFieldsPlan& p) { p.fields.clear(); }), ": no field to write"},
      {"a digit first", plan_with([](NcFieldsPlan& p) { p.fields[0].name = "1r"; }),
       ": field '1r' is no CF name (a letter, then letters, digits or underscores, at most 256)"},
      {"too long", plan_with([](NcFieldsPlan& p) { p.fields[0].name = std::string(257, 'r'); }),
       ": field '" + std::string(80, 'r') + "...' is no CF name (a letter, then letters, digits or underscores, at most 256)"},
      {"twice", plan_with([](NcFieldsPlan& p) { p.fields[2].name = "best_r"; }),
       ": field 'best_r' has the name of another field or of a coordinate of the file"},
      {"a coordinate", plan_with([](NcFieldsPlan& p) { p.fields[1].name = "lat"; }),
       ": field 'lat' has the name of another field or of a coordinate of the file"},
      {"points", plan_with([](NcFieldsPlan& p) { p.grid.kind = GridKind::points; }),
       ": a grid of points is written as stations, not as a grid"},
      {"curvilinear short", plan_with([](NcFieldsPlan& p) {
         p.grid.kind = GridKind::curvilinear;
         p.grid.lat.assign(12, 0.0);
         p.grid.lon.assign(11, 0.0);
       }),
       ": the coordinates of the grid do not match its 3 rows and 4 columns"},
      {"absurd size", plan_with([](NcFieldsPlan& p) {
         p.grid.rows = p.grid.cols = 40000;
         p.grid.row_axis.assign(40000, 0.0);
         p.grid.col_axis.assign(40000, 0.0);
       }),
       ": 3 fields of 1600000000 cells would take 1.92e+10 bytes in memory, more than the 4294967296 a file of "
       "fields may take"},
      {"absurd names", plan_with([](NcFieldsPlan& p) {
         p.shape = NcShape::stations;
         p.name_length = std::size_t{5} << 30;
       }),
       ": station 1 would take the fields beyond the 4294967296 bytes a file of fields may take in memory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NcFields f;
    std::string error;
    EXPECT_FALSE(begin_nc_fields(f, c.plan, error));
    EXPECT_EQ(error, file + c.message);
    EXPECT_FALSE(write_nc_fields(f, file, error));
    EXPECT_EQ(error, file + ": no fields were planned for the file");
    EXPECT_FALSE(fs::exists(file));
  }
}

// A write that fails leaves no file; a misused put is told by the write.
TEST_F(NcFieldsFile, WritesRefused) {
  const double values[3] = {0.5, 1, 2};
  StationData d;
  struct Case {
    const char* what;
    NcShape shape;
    std::string attribute;  // an extra attribute of best_r
    std::function<void(NcFields&)> puts;
    std::string file, message;
  } cases[] = {
      {"missing folder", NcShape::grid, "", [](NcFields&) {}, "none/screen.nc",
       "/none/screen.nc: cannot be created: No such file or directory"},
      {"bad attribute", NcShape::grid, "a/b", [](NcFields&) {}, "screen.nc",
       "/screen.nc: defining 'a/b': NetCDF: Name contains illegal characters"},
      {"cell beyond", NcShape::grid, "", [&](NcFields& f) { put_nc_field_cell(f, 12, values); }, "screen.nc",
       "/screen.nc: cell 12 lies outside the grid of 12 cells"},
      {"cell before", NcShape::grid, "",
       [&](NcFields& f) {
         put_nc_field_cell(f, -1, values);
         put_nc_field_cell(f, 99, values);  // the first misuse is told
       },
       "screen.nc", "/screen.nc: cell -1 lies outside the grid of 12 cells"},
      {"station on a grid", NcShape::grid, "", [&](NcFields& f) { put_nc_field_station(f, d, values); },
       "screen.nc", "/screen.nc: a station put on a file of a grid"},
      {"cell on stations", NcShape::stations, "", [&](NcFields& f) { put_nc_field_cell(f, 0, values); },
       "screen.nc", "/screen.nc: a grid cell put on a file of stations"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NcFieldsPlan p = screen_plan();
    p.shape = c.shape;
    if (!c.attribute.empty()) p.fields[0].text_attributes.push_back({c.attribute, "x"});
    p.file = path(c.file);
    NcFields f;
    std::string error;
    ASSERT_TRUE(begin_nc_fields(f, p, error)) << error;
    c.puts(f);
    EXPECT_FALSE(write_nc_fields(f, path(c.file), error));
    EXPECT_EQ(error, dir_ + c.message);
    EXPECT_FALSE(fs::exists(path(c.file)));
  }
}

// --- other readers ------------------------------------------------------

// Runs a shell command; its exit status, its output in `out` and its
// errors in `err`.
std::string slurp(const std::string& file) {
  std::string text;
  if (FILE* f = std::fopen(file.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}
int run(const std::string& command, std::string& out, std::string& err, const std::string& dir) {
  const int status = std::system((command + " >" + dir + "/out.txt 2>" + dir + "/err.txt").c_str());
  out = slurp(dir + "/out.txt");
  err = slurp(dir + "/err.txt");
  return status;
}

TEST_F(NcFieldsFile, NcdumpReadsTheHeader) {
  std::string out, err;
  if (run("command -v ncdump", out, err, dir_) != 0) GTEST_SKIP() << "ncdump is not installed";
  std::string error;
  ASSERT_TRUE(write_screen(screen_plan(), path("screen.nc"), error)) << error;
  ASSERT_EQ(run("ncdump -h " + path("screen.nc"), out, err, dir_), 0) << err;
  EXPECT_EQ(err, "");
  EXPECT_NE(out.find("float best_r(lat, lon)"), std::string::npos) << out;
  EXPECT_NE(out.find("int best_months(lat, lon)"), std::string::npos) << out;
  EXPECT_NE(out.find(":Conventions = \"CF-1.8\""), std::string::npos) << out;
}

// GMT takes best_r as a grid: its region from the cells' centres and
// spacing, its range that of the values.
TEST_F(NcFieldsFile, GmtReadsAGrid) {
  std::string out, err;
  if (run("command -v gmt", out, err, dir_) != 0) GTEST_SKIP() << "GMT is not installed";
  std::string error;
  ASSERT_TRUE(write_screen(screen_plan(), path("screen.nc"), error)) << error;
  for (const char* field : {"best_r", "best_months"}) {
    ASSERT_EQ(run("gmt grdinfo -C '" + path("screen.nc") + "?" + field + "'", out, err, dir_), 0) << err;
    SCOPED_TRACE(out);
    EXPECT_EQ(err, "");
    // file, west, east, south, north, least, greatest, ...
    char name[1024];
    double w, e, s, n, low, high;
    ASSERT_EQ(std::sscanf(out.c_str(), "%1023s %lf %lf %lf %lf %lf %lf", name, &w, &e, &s, &n, &low, &high), 7);
    EXPECT_EQ(w, 0.0);
    EXPECT_EQ(e, 360.0);
    EXPECT_EQ(s, 57.0);
    EXPECT_EQ(n, 60.0);
    if (std::strcmp(field, "best_r") == 0) {
      EXPECT_FLOAT_EQ(static_cast<float>(low), -1.0f);
      EXPECT_FLOAT_EQ(static_cast<float>(high), 0.61f);
    } else {
      EXPECT_EQ(low, 1.0);
      EXPECT_EQ(high, 24.0);
    }
  }
}

}  // namespace
}  // namespace versel
