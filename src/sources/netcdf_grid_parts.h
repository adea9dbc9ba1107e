// What the parts of the netCDF grid reader share, not for other users:
// netcdf_access.cpp (names, attributes and statuses), netcdf_axes.cpp (the
// variable and its dimensions), netcdf_time_packing.cpp (time axis,
// packing), netcdf_grid.cpp (opening, selection) and netcdf_grid_read.cpp
// (the stations).
#pragma once

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sources/netcdf_grid.h"

namespace versel {

// The file being opened, for messages: a failure sets `error` and returns
// false.
struct Ctx {
  int ncid;
  const std::string& path;
  std::string& error;
};

// The variable's shape as a grid (find_grid_variable).
struct GridShape {
  std::vector<int> dims;              // the variable's dimensions
  std::vector<std::size_t> lengths;
  int time_pos = -1;                  // places of time, rows and columns among them
  int time_var = -1;                  // the time coordinate variable
  int row_pos = -1;                   // -1: points (one row)
  int col_pos = -1;
  int lat_var = -1, lon_var = -1;     // the coordinate variables
  GridKind kind = GridKind::axes;
  bool rows_are_latitude = true;
};

// --- netcdf_access.cpp ---
// A text in lower case without blanks at either end.
std::string lower_trimmed(std::string_view s);
// A number as messages show it (up to 10 significant digits).
std::string number_shown(double v);
// The names of a variable and a dimension ("?" when the library has none).
std::string variable_name(int ncid, int varid);
std::string dimension_name(int ncid, int dimid);
// "FILE: variable 'NAME': why"
bool var_fault(Ctx& x, int varid, std::string_view why);
// A status about a variable, or about one of its attributes.
bool status_of_var(Ctx& x, int status, int varid);
bool status_of_att(Ctx& x, int status, int varid, const char* att);
// A text attribute (char or string); false when absent or of another type.
bool text_attribute(int ncid, int varid, const char* name, std::string& out);
// A numeric attribute's values as doubles. `present` false when the
// variable has no such attribute; false (with the error) when it holds text.
bool number_attribute(Ctx& x, int varid, const char* name, std::vector<double>& values, bool& present);
// Whether a netCDF type holds numbers (the ten integer and real types).
bool numeric_type(int type);
// All `count` values of a numeric variable as doubles.
bool read_doubles(Ctx& x, int varid, std::size_t count, std::vector<double>& out);

// --- netcdf_axes.cpp ---
// The variable named `wanted`, else the file's one gridded variable, with
// its shape; failures as open_grid describes.
bool find_grid_variable(Ctx& x, const std::string& wanted, int& varid, GridShape& shape);
// The grid's coordinates into src.grid (src.steps set before, for messages).
bool read_grid_geometry(Ctx& x, const GridShape& shape, GridSource& src);

// --- netcdf_time_packing.cpp ---
// The time axis: src.first_year, last_year, steps, month_count and slot.
bool read_grid_time(Ctx& x, const GridShape& shape, GridSource& src);
// The packing attributes of the variable.
bool read_grid_packing(Ctx& x, int varid, GridPacking& p);

// --- netcdf_grid.cpp ---

// One value as stored (converted to double) decoded as the header of
// netcdf_grid.h says: missing -> flag, else unpacked and rounded to float.
inline float decode(const GridPacking& p, double x, float flag) {
  if (x != x) return flag;
  for (double m : p.missing) {
    if (x == m) return flag;
  }
  if (p.has_min && x < p.valid_min) return flag;
  if (p.has_max && x > p.valid_max) return flag;
  const double v = p.scaled ? x * p.scale + p.offset : x;
  if (!(std::fabs(v) <= static_cast<double>(FLT_MAX))) return flag;  // inf, NaN, beyond float
  return static_cast<float>(v);
}

// Whether cell (row, col) of the grid is selected (--region; all without).
bool selected(const GridSource& src, std::int64_t row, std::int64_t col);

// Bytes of one value of a netCDF numeric type.
std::size_t type_bytes(int type);

}  // namespace versel
