// The variable of a netCDF file as a grid of monthly values: the variable
// chosen, its time dimension, its rows and columns and the coordinates of
// its cells, found by CF attributes (see netcdf_grid.h).
#include <netcdf.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "records/message_text.h"
#include "sources/netcdf_grid_parts.h"
#include "sources/netcdf_messages.h"

namespace versel {
namespace {

// Cells a grid may have; a curvilinear or point grid (coordinates per cell)
// fewer.
constexpr std::int64_t kMaxCells = std::int64_t{1} << 28;
constexpr std::int64_t kMaxCellCoordinates = std::int64_t{1} << 25;

bool one_of(const std::string& s, std::initializer_list<const char*> words) {
  for (const char* w : words) {
    if (s == w) return true;
  }
  return false;
}

// The CF clues that a variable holds latitudes or longitudes.
bool is_latitude(int ncid, int varid) {
  std::string units, standard, axis;
  const bool has_units = text_attribute(ncid, varid, "units", units);
  units = lower_trimmed(units);
  if (one_of(units, {"degrees_north", "degree_north", "degree_n", "degrees_n", "degreen", "degreesn"}))
    return true;
  if (text_attribute(ncid, varid, "standard_name", standard) && lower_trimmed(standard) == "latitude") return true;
  return text_attribute(ncid, varid, "axis", axis) && lower_trimmed(axis) == "y" &&
         (!has_units || units.rfind("degree", 0) == 0);
}

bool is_longitude(int ncid, int varid) {
  std::string units, standard, axis;
  const bool has_units = text_attribute(ncid, varid, "units", units);
  units = lower_trimmed(units);
  if (one_of(units, {"degrees_east", "degree_east", "degree_e", "degrees_e", "degreee", "degreese"}))
    return true;
  if (text_attribute(ncid, varid, "standard_name", standard) && lower_trimmed(standard) == "longitude") return true;
  return text_attribute(ncid, varid, "axis", axis) && lower_trimmed(axis) == "x" &&
         (!has_units || units.rfind("degree", 0) == 0);
}

// The coordinate variable of a dimension: same name, one dimension, that
// one. -1 when there is none.
int coordinate_variable(int ncid, int dimid) {
  const std::string name = dimension_name(ncid, dimid);
  int varid = -1;
  if (nc_inq_varid(ncid, name.c_str(), &varid) != NC_NOERR) return -1;
  int ndims = 0;
  int dims[1] = {-1};
  if (nc_inq_varndims(ncid, varid, &ndims) != NC_NOERR || ndims != 1) return -1;
  if (nc_inq_vardimid(ncid, varid, dims) != NC_NOERR || dims[0] != dimid) return -1;
  return varid;
}

bool is_time_dimension(int ncid, int dimid) {
  const std::string name = lower_trimmed(dimension_name(ncid, dimid));
  if (name == "time" || name == "valid_time") return true;
  const int cv = coordinate_variable(ncid, dimid);
  if (cv < 0) return false;
  std::string units, standard, axis;
  if (text_attribute(ncid, cv, "units", units) && lower_trimmed(units).find(" since ") != std::string::npos) return true;
  if (text_attribute(ncid, cv, "standard_name", standard) && lower_trimmed(standard) == "time") return true;
  return text_attribute(ncid, cv, "axis", axis) && lower_trimmed(axis) == "t";
}

int position_of(const GridShape& s, int dimid) {
  for (std::size_t i = 0; i < s.dims.size(); ++i) {
    if (s.dims[i] == dimid) return static_cast<int>(i);
  }
  return -1;
}

std::vector<int> var_dims(int ncid, int varid) {
  int ndims = 0;
  if (nc_inq_varndims(ncid, varid, &ndims) != NC_NOERR || ndims < 0) return {};
  std::vector<int> dims(static_cast<std::size_t>(ndims));
  if (ndims > 0 && nc_inq_vardimid(ncid, varid, dims.data()) != NC_NOERR) return {};
  return dims;
}

// Finds time, rows, columns and the coordinate variables of `varid`.
bool analyse(Ctx& x, int varid, GridShape& s) {
  nc_type type = NC_NAT;
  if (!status_of_var(x, nc_inq_vartype(x.ncid, varid, &type), varid)) return false;
  if (!numeric_type(type)) return var_fault(x, varid, compose(kMsgNotNumeric, {quoted(variable_name(x.ncid, varid))}));
  s.dims = var_dims(x.ncid, varid);
  s.lengths.clear();
  for (int d : s.dims) {
    std::size_t len = 0;
    if (!netcdf_ok(nc_inq_dimlen(x.ncid, d, &len), x.path,
                   compose(kMsgWhatDimension, {quoted(dimension_name(x.ncid, d))}), x.error)) {
      return false;
    }
    s.lengths.push_back(len);
  }
  for (std::size_t i = 0; i < s.dims.size() && s.time_pos < 0; ++i) {
    if (is_time_dimension(x.ncid, s.dims[i])) s.time_pos = static_cast<int>(i);
  }
  if (s.time_pos < 0) return var_fault(x, varid, kMsgNoTimeAxis);
  const int time_dim = s.dims[static_cast<std::size_t>(s.time_pos)];

  // latitude and longitude: named by `coordinates`, else coordinate variables
  std::string coordinates;
  if (text_attribute(x.ncid, varid, "coordinates", coordinates)) {
    std::size_t i = 0;
    while (i < coordinates.size()) {
      while (i < coordinates.size() && std::isspace(static_cast<unsigned char>(coordinates[i]))) ++i;
      std::size_t j = i;
      while (j < coordinates.size() && !std::isspace(static_cast<unsigned char>(coordinates[j]))) ++j;
      const std::string name = coordinates.substr(i, j - i);
      i = j;
      int cv = -1;
      if (name.empty() || nc_inq_varid(x.ncid, name.c_str(), &cv) != NC_NOERR) continue;
      if (s.lat_var < 0 && is_latitude(x.ncid, cv)) {
        s.lat_var = cv;
      } else if (s.lon_var < 0 && is_longitude(x.ncid, cv)) {
        s.lon_var = cv;
      }
    }
    if (s.lat_var < 0 || s.lon_var < 0) s.lat_var = s.lon_var = -1;
  }
  if (s.lat_var >= 0) {
    const std::vector<int> ld = var_dims(x.ncid, s.lat_var);
    const std::vector<int> od = var_dims(x.ncid, s.lon_var);
    auto inside = [&](const std::vector<int>& dims) {
      for (int d : dims) {
        if (d == time_dim || position_of(s, d) < 0) return false;
      }
      return true;
    };
    const bool fits = inside(ld) && inside(od);
    if (fits && ld.size() == 2 && ld == od) {
      s.kind = GridKind::curvilinear;
      s.row_pos = std::min(position_of(s, ld[0]), position_of(s, ld[1]));
      s.col_pos = std::max(position_of(s, ld[0]), position_of(s, ld[1]));
    } else if (fits && ld.size() == 1 && ld == od) {
      s.kind = GridKind::points;
      s.col_pos = position_of(s, ld[0]);
    } else if (fits && ld.size() == 1 && od.size() == 1) {
      s.kind = GridKind::axes;
      const int lp = position_of(s, ld[0]);
      const int op = position_of(s, od[0]);
      s.rows_are_latitude = lp < op;
      s.row_pos = std::min(lp, op);
      s.col_pos = std::max(lp, op);
    } else {
      return var_fault(x, varid, compose(kMsgCoordinatesShape, {quoted(variable_name(x.ncid, s.lat_var)),
                                                                quoted(variable_name(x.ncid, s.lon_var))}));
    }
  } else {
    int lat_pos = -1;
    int lon_pos = -1;
    for (std::size_t i = 0; i < s.dims.size(); ++i) {
      if (static_cast<int>(i) == s.time_pos) continue;
      const int cv = coordinate_variable(x.ncid, s.dims[i]);
      if (cv < 0) continue;
      if (lat_pos < 0 && is_latitude(x.ncid, cv)) {
        lat_pos = static_cast<int>(i);
        s.lat_var = cv;
      } else if (lon_pos < 0 && is_longitude(x.ncid, cv)) {
        lon_pos = static_cast<int>(i);
        s.lon_var = cv;
      }
    }
    if (lat_pos < 0) return var_fault(x, varid, kMsgNoLatitude);
    if (lon_pos < 0) return var_fault(x, varid, kMsgNoLongitude);
    s.kind = GridKind::axes;
    s.rows_are_latitude = lat_pos < lon_pos;
    s.row_pos = std::min(lat_pos, lon_pos);
    s.col_pos = std::max(lat_pos, lon_pos);
  }
  for (std::size_t i = 0; i < s.dims.size(); ++i) {
    const int p = static_cast<int>(i);
    if (p == s.time_pos || p == s.row_pos || p == s.col_pos || s.lengths[i] == 1) continue;
    return var_fault(x, varid, compose(kMsgExtraDimension, {quoted(dimension_name(x.ncid, s.dims[i])),
                                                           std::to_string(s.lengths[i])}));
  }
  s.time_var = coordinate_variable(x.ncid, time_dim);
  if (s.time_var < 0) {
    return var_fault(x, varid, compose(kMsgTimeNoCoordinate, {quoted(dimension_name(x.ncid, time_dim))}));
  }
  return true;
}

bool check_coordinates(Ctx& x, int varid, const std::vector<double>& values, bool latitude) {
  for (double v : values) {
    const bool ok = std::isfinite(v) && (latitude ? std::fabs(v) <= 90.0 : std::fabs(v) <= 720.0);
    if (!ok) {
      x.error = compose(kMsgNcFileStatus,
                        {shown_name(x.path), compose(latitude ? kMsgBadLatitude : kMsgBadLongitude,
                                                     {quoted(variable_name(x.ncid, varid)), number_shown(v)})});
      return false;
    }
  }
  return true;
}

// Reads a per-cell coordinate (2-D over the row and column dimensions, in
// either order, or 1-D over the points' dimension) row-major.
bool cell_coordinates(Ctx& x, const GridShape& s, int varid, std::int64_t rows, std::int64_t cols,
                      std::vector<double>& out) {
  std::vector<double> v;
  if (!read_doubles(x, varid, static_cast<std::size_t>(rows * cols), v)) return false;
  const std::vector<int> dims = var_dims(x.ncid, varid);
  if (s.kind == GridKind::curvilinear && position_of(s, dims[0]) != s.row_pos) {
    out.assign(v.size(), 0.0);  // stored (column, row): turn it
    for (std::int64_t r = 0; r < rows; ++r) {
      for (std::int64_t c = 0; c < cols; ++c) {
        out[static_cast<std::size_t>(r * cols + c)] = v[static_cast<std::size_t>(c * rows + r)];
      }
    }
  } else {
    out = std::move(v);
  }
  return true;
}

std::string variable_list(int ncid, const std::vector<int>& ids) {
  std::string out;
  for (int id : ids) {
    if (!out.empty()) out += ", ";
    out += quoted(variable_name(ncid, id));
  }
  return out.empty() ? "none" : out;
}

// Chooses the variable: --var, else the one that reads as a grid.
}  // namespace

// Reads the grid's coordinates into src.grid.
bool read_grid_geometry(Ctx& x, const GridShape& s, GridSource& src) {
  GridGeometry& g = src.grid;
  g = GridGeometry{};
  g.kind = s.kind;
  g.rows = s.row_pos < 0 ? 1 : static_cast<std::int64_t>(s.lengths[static_cast<std::size_t>(s.row_pos)]);
  g.cols = static_cast<std::int64_t>(s.lengths[static_cast<std::size_t>(s.col_pos)]);
  if (s.row_pos >= 0) g.row_dim = dimension_name(x.ncid, s.dims[static_cast<std::size_t>(s.row_pos)]);
  g.col_dim = dimension_name(x.ncid, s.dims[static_cast<std::size_t>(s.col_pos)]);
  g.lat_name = variable_name(x.ncid, s.lat_var);
  g.lon_name = variable_name(x.ncid, s.lon_var);
  const std::int64_t limit = s.kind == GridKind::axes ? kMaxCells : kMaxCellCoordinates;
  if (g.rows > 0 && g.cols > limit / g.rows) {
    x.error = compose(kMsgNcFileStatus,
                      {shown_name(x.path), compose(kMsgTooManyCells, {std::to_string(g.rows) + " x " +
                                                                          std::to_string(g.cols),
                                                                      std::to_string(src.steps)})});
    return false;
  }
  if (s.kind == GridKind::axes) {
    g.rows_are_latitude = s.rows_are_latitude;
    const int row_var = s.rows_are_latitude ? s.lat_var : s.lon_var;
    const int col_var = s.rows_are_latitude ? s.lon_var : s.lat_var;
    return read_doubles(x, row_var, static_cast<std::size_t>(g.rows), g.row_axis) &&
           read_doubles(x, col_var, static_cast<std::size_t>(g.cols), g.col_axis) &&
           check_coordinates(x, row_var, g.row_axis, s.rows_are_latitude) &&
           check_coordinates(x, col_var, g.col_axis, !s.rows_are_latitude);
  }
  return cell_coordinates(x, s, s.lat_var, g.rows, g.cols, g.lat) &&
         cell_coordinates(x, s, s.lon_var, g.rows, g.cols, g.lon) &&
         check_coordinates(x, s.lat_var, g.lat, true) && check_coordinates(x, s.lon_var, g.lon, false);
}

bool find_grid_variable(Ctx& x, const std::string& wanted, int& varid, GridShape& shape) {
  int nvars = 0;
  if (!netcdf_ok(nc_inq_nvars(x.ncid, &nvars), x.path, "", x.error)) return false;
  std::vector<int> all;
  for (int v = 0; v < nvars; ++v) all.push_back(v);
  if (!wanted.empty()) {
    if (nc_inq_varid(x.ncid, wanted.c_str(), &varid) != NC_NOERR) {
      x.error = compose(kMsgNoSuchVariable, {shown_name(x.path), quoted(wanted), variable_list(x.ncid, all)});
      return false;
    }
    return analyse(x, varid, shape);
  }
  // the data variables: all but coordinate variables and scalars
  std::vector<int> data;
  for (int v : all) {
    const std::vector<int> dims = var_dims(x.ncid, v);
    if (dims.empty()) continue;
    if (dims.size() == 1 && coordinate_variable(x.ncid, dims[0]) == v) continue;
    data.push_back(v);
  }
  std::vector<int> grids;
  GridShape found;
  std::string saved = x.error;
  for (int v : data) {
    GridShape s;
    if (analyse(x, v, s)) {
      if (grids.empty()) found = s;
      grids.push_back(v);
    }
  }
  x.error = saved;
  if (grids.size() == 1) {
    varid = grids[0];
    shape = found;
    return true;
  }
  if (grids.size() > 1) {
    x.error = compose(kMsgSeveralVariables, {shown_name(x.path), variable_list(x.ncid, grids)});
    return false;
  }
  // no grid: the reason of the one variable that looks like data, else the list
  std::vector<int> likely;
  for (int v : data) {
    if (var_dims(x.ncid, v).size() >= 2) likely.push_back(v);
  }
  if (likely.size() == 1) {
    GridShape s;
    analyse(x, likely[0], s);
    return false;
  }
  x.error = compose(kMsgNoGriddedVariable, {shown_name(x.path), variable_list(x.ncid, all)});
  return false;
}

}  // namespace versel
