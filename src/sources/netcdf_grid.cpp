// The netCDF grid reader, opening: the variable, its axes, its time and its
// packing found once, and the selection laid out (the stations themselves:
// netcdf_grid_read.cpp).
#include "sources/netcdf_grid.h"

#include <netcdf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <queue>

#include "capacities.h"
#include "records/message_text.h"
#include "sources/netcdf_extent.h"
#include "sources/netcdf_grid_parts.h"
#include "sources/netcdf_messages.h"

namespace versel {
namespace {

// Cells a grid may have; a curvilinear or point grid (coordinates per cell)
// fewer.
constexpr std::int64_t kMaxCells = std::int64_t{1} << 28;
constexpr std::int64_t kMaxCellCoordinates = std::int64_t{1} << 25;

std::string lower(std::string_view s) {
  std::string out;
  for (char c : s) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back()))) out.pop_back();
  std::size_t i = 0;
  while (i < out.size() && std::isspace(static_cast<unsigned char>(out[i]))) ++i;
  return out.substr(i);
}

std::string number_text(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

// What a reader of one file needs to name things in messages.
struct Ctx {
  int ncid;
  const std::string& path;
  std::string& error;
};

std::string var_name(int ncid, int varid) {
  if (varid == NC_GLOBAL) return "global attributes";
  char name[NC_MAX_NAME + 1] = {};
  if (nc_inq_varname(ncid, varid, name) != NC_NOERR) return "?";
  return name;
}

std::string dim_name(int ncid, int dimid) {
  char name[NC_MAX_NAME + 1] = {};
  if (nc_inq_dimname(ncid, dimid, name) != NC_NOERR) return "?";
  return name;
}

bool var_fault(Ctx& x, int varid, std::string_view why) {
  x.error = compose(kMsgVariableFault, {shown_name(x.path), quoted(var_name(x.ncid, varid)), why});
  return false;
}

bool status_of_var(Ctx& x, int status, int varid) {
  return netcdf_ok(status, x.path, compose(kMsgWhatVariable, {quoted(var_name(x.ncid, varid))}),
                   x.error);
}

bool status_of_att(Ctx& x, int status, int varid, const char* att) {
  return netcdf_ok(status, x.path,
                   compose(kMsgWhatAttribute, {quoted(att), quoted(var_name(x.ncid, varid))}),
                   x.error);
}

// A text attribute (char or string); false when absent or of another type.
bool text_att(int ncid, int varid, const char* name, std::string& out) {
  nc_type type = NC_NAT;
  std::size_t len = 0;
  if (nc_inq_att(ncid, varid, name, &type, &len) != NC_NOERR) return false;
  if (type == NC_CHAR) {
    out.assign(len, '\0');
    if (len > 0 && nc_get_att_text(ncid, varid, name, out.data()) != NC_NOERR) return false;
    while (!out.empty() && out.back() == '\0') out.pop_back();
    return true;
  }
  if (type == NC_STRING && len >= 1) {
    std::vector<char*> strings(len, nullptr);
    if (nc_get_att_string(ncid, varid, name, strings.data()) != NC_NOERR) return false;
    out = strings[0] ? strings[0] : "";
    nc_free_string(len, strings.data());
    return true;
  }
  return false;
}

// A numeric attribute's values as doubles. `present` false when the
// variable has no such attribute; false (with the error) when it holds text.
bool number_att(Ctx& x, int varid, const char* name, std::vector<double>& values, bool& present) {
  values.clear();
  nc_type type = NC_NAT;
  std::size_t len = 0;
  present = nc_inq_att(x.ncid, varid, name, &type, &len) == NC_NOERR;
  if (!present) return true;
  if (type == NC_CHAR || type == NC_STRING || type > NC_STRING || len == 0) {
    return var_fault(x, varid, compose(kMsgBadAttribute, {quoted(name)}));
  }
  values.resize(len);
  return status_of_att(x, nc_get_att_double(x.ncid, varid, name, values.data()), varid, name);
}

bool numeric_type(nc_type t) {
  switch (t) {
    case NC_BYTE: case NC_UBYTE: case NC_SHORT: case NC_USHORT: case NC_INT: case NC_UINT:
    case NC_INT64: case NC_UINT64: case NC_FLOAT: case NC_DOUBLE:
      return true;
    default:
      return false;
  }
}

bool one_of(const std::string& s, std::initializer_list<const char*> words) {
  for (const char* w : words) {
    if (s == w) return true;
  }
  return false;
}

// The CF clues that a variable holds latitudes or longitudes.
bool is_latitude(int ncid, int varid) {
  std::string units, standard, axis;
  const bool has_units = text_att(ncid, varid, "units", units);
  units = lower(units);
  if (one_of(units, {"degrees_north", "degree_north", "degree_n", "degrees_n", "degreen", "degreesn"}))
    return true;
  if (text_att(ncid, varid, "standard_name", standard) && lower(standard) == "latitude") return true;
  return text_att(ncid, varid, "axis", axis) && lower(axis) == "y" &&
         (!has_units || units.rfind("degree", 0) == 0);
}

bool is_longitude(int ncid, int varid) {
  std::string units, standard, axis;
  const bool has_units = text_att(ncid, varid, "units", units);
  units = lower(units);
  if (one_of(units, {"degrees_east", "degree_east", "degree_e", "degrees_e", "degreee", "degreese"}))
    return true;
  if (text_att(ncid, varid, "standard_name", standard) && lower(standard) == "longitude") return true;
  return text_att(ncid, varid, "axis", axis) && lower(axis) == "x" &&
         (!has_units || units.rfind("degree", 0) == 0);
}

// The coordinate variable of a dimension: same name, one dimension, that
// one. -1 when there is none.
int coordinate_variable(int ncid, int dimid) {
  const std::string name = dim_name(ncid, dimid);
  int varid = -1;
  if (nc_inq_varid(ncid, name.c_str(), &varid) != NC_NOERR) return -1;
  int ndims = 0;
  int dims[1] = {-1};
  if (nc_inq_varndims(ncid, varid, &ndims) != NC_NOERR || ndims != 1) return -1;
  if (nc_inq_vardimid(ncid, varid, dims) != NC_NOERR || dims[0] != dimid) return -1;
  return varid;
}

bool is_time_dimension(int ncid, int dimid) {
  const std::string name = lower(dim_name(ncid, dimid));
  if (name == "time" || name == "valid_time") return true;
  const int cv = coordinate_variable(ncid, dimid);
  if (cv < 0) return false;
  std::string units, standard, axis;
  if (text_att(ncid, cv, "units", units) && lower(units).find(" since ") != std::string::npos) return true;
  if (text_att(ncid, cv, "standard_name", standard) && lower(standard) == "time") return true;
  return text_att(ncid, cv, "axis", axis) && lower(axis) == "t";
}

// The variable's shape as a grid, found by analyse().
struct Shape {
  std::vector<int> dims;
  std::vector<std::size_t> lengths;
  int time_pos = -1;
  int time_var = -1;
  int row_pos = -1;  // -1: points
  int col_pos = -1;
  int lat_var = -1, lon_var = -1;
  GridKind kind = GridKind::axes;
  bool rows_are_latitude = true;
};

int position_of(const Shape& s, int dimid) {
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
bool analyse(Ctx& x, int varid, Shape& s) {
  nc_type type = NC_NAT;
  if (!status_of_var(x, nc_inq_vartype(x.ncid, varid, &type), varid)) return false;
  if (!numeric_type(type)) return var_fault(x, varid, compose(kMsgNotNumeric, {quoted(var_name(x.ncid, varid))}));
  s.dims = var_dims(x.ncid, varid);
  s.lengths.clear();
  for (int d : s.dims) {
    std::size_t len = 0;
    if (!netcdf_ok(nc_inq_dimlen(x.ncid, d, &len), x.path,
                   compose(kMsgWhatDimension, {quoted(dim_name(x.ncid, d))}), x.error)) {
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
  if (text_att(x.ncid, varid, "coordinates", coordinates)) {
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
      return var_fault(x, varid, compose(kMsgCoordinatesShape, {quoted(var_name(x.ncid, s.lat_var)),
                                                                quoted(var_name(x.ncid, s.lon_var))}));
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
    return var_fault(x, varid, compose(kMsgExtraDimension, {quoted(dim_name(x.ncid, s.dims[i])),
                                                           std::to_string(s.lengths[i])}));
  }
  s.time_var = coordinate_variable(x.ncid, time_dim);
  if (s.time_var < 0) {
    return var_fault(x, varid, compose(kMsgTimeNoCoordinate, {quoted(dim_name(x.ncid, time_dim))}));
  }
  return true;
}

bool read_doubles(Ctx& x, int varid, std::size_t count, std::vector<double>& out) {
  nc_type type = NC_NAT;
  if (!status_of_var(x, nc_inq_vartype(x.ncid, varid, &type), varid)) return false;
  if (!numeric_type(type)) return var_fault(x, varid, compose(kMsgNotNumeric, {quoted(var_name(x.ncid, varid))}));
  out.assign(count, 0.0);
  if (count == 0) return true;
  return status_of_var(x, nc_get_var_double(x.ncid, varid, out.data()), varid);
}

bool check_coordinates(Ctx& x, int varid, const std::vector<double>& values, bool latitude) {
  for (double v : values) {
    const bool ok = std::isfinite(v) && (latitude ? std::fabs(v) <= 90.0 : std::fabs(v) <= 720.0);
    if (!ok) {
      x.error = compose(kMsgNcFileStatus,
                        {shown_name(x.path), compose(latitude ? kMsgBadLatitude : kMsgBadLongitude,
                                                     {quoted(var_name(x.ncid, varid)), number_text(v)})});
      return false;
    }
  }
  return true;
}

// Reads a per-cell coordinate (2-D over the row and column dimensions, in
// either order, or 1-D over the points' dimension) row-major.
bool cell_coordinates(Ctx& x, const Shape& s, int varid, std::int64_t rows, std::int64_t cols,
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

// The stored value of an attribute's number, as a value of the variable
// would compare with it: a float variable rounds it to float; an unsigned
// reading (_Unsigned) takes a negative number as its unsigned twin (a byte
// -2 is 254).
double as_stored(double v, nc_type type, bool is_unsigned) {
  if (type == NC_FLOAT && std::fabs(v) <= FLT_MAX) return static_cast<double>(static_cast<float>(v));
  if (is_unsigned && v < 0.0) {
    switch (type) {
      case NC_BYTE: return v + 256.0;
      case NC_SHORT: return v + 65536.0;
      case NC_INT: return v + 4294967296.0;
      case NC_INT64: return v + 18446744073709551616.0;
      default: break;
    }
  }
  return v;
}

bool read_packing(Ctx& x, int varid, GridPacking& p) {
  nc_type type = NC_NAT;
  if (!status_of_var(x, nc_inq_vartype(x.ncid, varid, &type), varid)) return false;
  p = GridPacking{};
  std::string unsigned_text;
  p.is_unsigned = (type == NC_BYTE || type == NC_SHORT || type == NC_INT || type == NC_INT64) &&
                  text_att(x.ncid, varid, "_Unsigned", unsigned_text) && lower(unsigned_text) == "true";
  p.type = type;
  if (p.is_unsigned) {
    p.type = type == NC_BYTE ? NC_UBYTE : type == NC_SHORT ? NC_USHORT : type == NC_INT ? NC_UINT : NC_UINT64;
  }
  std::vector<double> v;
  bool present = false;
  if (!number_att(x, varid, "_FillValue", v, present)) return false;
  if (present) {
    for (double f : v) p.missing.push_back(as_stored(f, type, p.is_unsigned));
  } else if (type != NC_BYTE && type != NC_UBYTE) {
    int no_fill = 0;
    unsigned char fill[8] = {};
    if (nc_inq_var_fill(x.ncid, varid, &no_fill, fill) == NC_NOERR && !no_fill) {
      double f = 0.0;
      switch (type) {
        case NC_SHORT: { std::int16_t t; std::memcpy(&t, fill, 2); f = t; break; }
        case NC_USHORT: { std::uint16_t t; std::memcpy(&t, fill, 2); f = t; break; }
        case NC_INT: { std::int32_t t; std::memcpy(&t, fill, 4); f = t; break; }
        case NC_UINT: { std::uint32_t t; std::memcpy(&t, fill, 4); f = t; break; }
        case NC_INT64: { std::int64_t t; std::memcpy(&t, fill, 8); f = static_cast<double>(t); break; }
        case NC_UINT64: { std::uint64_t t; std::memcpy(&t, fill, 8); f = static_cast<double>(t); break; }
        case NC_FLOAT: { float t; std::memcpy(&t, fill, 4); f = t; break; }
        default: { std::memcpy(&f, fill, 8); break; }
      }
      p.missing.push_back(as_stored(f, type, p.is_unsigned));
    }
  }
  if (!number_att(x, varid, "missing_value", v, present)) return false;
  for (double m : v) p.missing.push_back(as_stored(m, type, p.is_unsigned));
  // NaN never compares equal: NaN is caught by itself; a value given twice
  // (_FillValue and missing_value alike) is compared once
  p.missing.erase(std::remove_if(p.missing.begin(), p.missing.end(), [](double m) { return m != m; }),
                  p.missing.end());
  std::sort(p.missing.begin(), p.missing.end());
  p.missing.erase(std::unique(p.missing.begin(), p.missing.end()), p.missing.end());

  if (!number_att(x, varid, "valid_range", v, present)) return false;
  if (present && v.size() >= 2) {
    p.has_min = p.has_max = true;
    p.valid_min = as_stored(v[0], type, p.is_unsigned);
    p.valid_max = as_stored(v[1], type, p.is_unsigned);
  } else {
    if (!number_att(x, varid, "valid_min", v, present)) return false;
    if (present) {
      p.has_min = true;
      p.valid_min = as_stored(v[0], type, p.is_unsigned);
    }
    if (!number_att(x, varid, "valid_max", v, present)) return false;
    if (present) {
      p.has_max = true;
      p.valid_max = as_stored(v[0], type, p.is_unsigned);
    }
  }
  if (!number_att(x, varid, "scale_factor", v, present)) return false;
  if (present) {
    p.scaled = true;
    p.scale = v[0];
  }
  if (!number_att(x, varid, "add_offset", v, present)) return false;
  if (present) {
    p.scaled = true;
    p.offset = v[0];
  }
  return true;
}

// Decodes the steps of the time axis into the slots of the months.
bool read_time(Ctx& x, const Shape& s, GridSource& src) {
  const int tv = s.time_var;
  const std::string tname = var_name(x.ncid, tv);
  const std::size_t steps = s.lengths[static_cast<std::size_t>(s.time_pos)];
  if (steps == 0) {
    x.error = compose(kMsgNcFileStatus, {shown_name(x.path), compose(kMsgNoSteps, {quoted(tname)})});
    return false;
  }
  auto time_fault = [&](const std::string& why) {
    x.error = compose(kMsgNcFileStatus, {shown_name(x.path), why});
    return false;
  };
  if (steps > static_cast<std::size_t>(12 * kGridMaxYears)) {
    return time_fault(compose(kMsgTooManySteps, {quoted(tname), std::to_string(steps),
                                                 std::to_string(kGridMaxYears)}));
  }
  std::string units, calendar_text;
  if (!text_att(x.ncid, tv, "units", units)) return time_fault(compose(kMsgTimeNoUnits, {quoted(tname)}));
  Calendar calendar = Calendar::standard;
  if (text_att(x.ncid, tv, "calendar", calendar_text) && !parse_calendar(calendar_text, calendar)) {
    return time_fault(compose(kMsgUnknownCalendar, {quoted(tname), quoted(calendar_text)}));
  }
  TimeCoding coding;
  std::string why;
  if (!parse_time_units(units, calendar, coding, why)) {
    return time_fault(compose(kMsgTimeUnits, {quoted(tname), why}));
  }
  std::vector<double> values;
  if (!read_doubles(x, tv, steps, values)) return false;
  std::vector<double> fills;
  bool present = false;
  if (!number_att(x, tv, "_FillValue", fills, present)) return false;

  std::vector<YearMonth> months(steps);
  std::int64_t first = 0;
  std::int64_t last = 0;
  for (std::size_t i = 0; i < steps; ++i) {
    const bool fill = std::find(fills.begin(), fills.end(), values[i]) != fills.end();
    if (fill || !time_month(coding, values[i], months[i]) ||
        std::llabs(months[i].year) > kMaxYearMagnitude) {
      return time_fault(compose(kMsgTimeValue, {quoted(tname), std::to_string(i + 1), number_text(values[i])}));
    }
    if (i == 0 || months[i].year < first) first = months[i].year;
    if (i == 0 || months[i].year > last) last = months[i].year;
  }
  if (last - first + 1 > kGridMaxYears) {
    return time_fault(compose(kMsgTimeSpan, {std::to_string(first), std::to_string(last),
                                             std::to_string(kGridMaxYears)}));
  }
  src.first_year = static_cast<std::int32_t>(first);
  src.last_year = static_cast<std::int32_t>(last);
  src.steps = static_cast<std::int64_t>(steps);
  src.month_count = (last - first + 1) * 12;
  src.slot.assign(steps, 0);
  std::vector<std::int64_t> owner(static_cast<std::size_t>(src.month_count), -1);
  for (std::size_t i = 0; i < steps; ++i) {
    const std::int64_t k = (months[i].year - first) * 12 + months[i].month - 1;
    const std::int64_t before = owner[static_cast<std::size_t>(k)];
    if (before >= 0) {
      CfDate a;
      CfDate b;
      time_date(coding, values[static_cast<std::size_t>(before)], a);
      time_date(coding, values[i], b);
      return time_fault(compose(kMsgNotMonthly, {std::to_string(before + 1), date_text(a),
                                                 std::to_string(i + 1), date_text(b), quoted(tname)}));
    }
    owner[static_cast<std::size_t>(k)] = static_cast<std::int64_t>(i);
    src.slot[i] = k;
  }
  return true;
}

// Reads the grid's coordinates into src.grid.
bool read_geometry(Ctx& x, const Shape& s, GridSource& src) {
  GridGeometry& g = src.grid;
  g = GridGeometry{};
  g.kind = s.kind;
  g.rows = s.row_pos < 0 ? 1 : static_cast<std::int64_t>(s.lengths[static_cast<std::size_t>(s.row_pos)]);
  g.cols = static_cast<std::int64_t>(s.lengths[static_cast<std::size_t>(s.col_pos)]);
  if (s.row_pos >= 0) g.row_dim = dim_name(x.ncid, s.dims[static_cast<std::size_t>(s.row_pos)]);
  g.col_dim = dim_name(x.ncid, s.dims[static_cast<std::size_t>(s.col_pos)]);
  g.lat_name = var_name(x.ncid, s.lat_var);
  g.lon_name = var_name(x.ncid, s.lon_var);
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

std::string variable_list(int ncid, const std::vector<int>& ids) {
  std::string out;
  for (int id : ids) {
    if (!out.empty()) out += ", ";
    out += quoted(var_name(ncid, id));
  }
  return out.empty() ? "none" : out;
}

// Chooses the variable: --var, else the one that reads as a grid.
bool choose_variable(Ctx& x, const std::string& wanted, int& varid, Shape& shape) {
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
  Shape found;
  std::string saved = x.error;
  for (int v : data) {
    Shape s;
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
    Shape s;
    analyse(x, likely[0], s);
    return false;
  }
  x.error = compose(kMsgNoGriddedVariable, {shown_name(x.path), variable_list(x.ncid, all)});
  return false;
}

// The window around the selected cells, and their count.
void lay_out_selection(GridSource& src) {
  const GridGeometry& g = src.grid;
  src.win_row = 0;
  src.win_col = 0;
  src.win_rows = g.rows;
  src.win_cols = g.cols;
  src.cells_total = g.rows * g.cols;
  if (!src.region_on) return;
  std::int64_t r0 = g.rows, r1 = -1, c0 = g.cols, c1 = -1, count = 0;
  if (g.kind == GridKind::axes) {
    // a box is a band of latitudes times a band of longitudes
    const Region& box = src.region;
    auto lat_in = [&](double lat) { return lat >= box.south && lat <= box.north; };
    auto lon_in = [&](double lon) { return in_region(Region{box.west, box.east, -90.0, 90.0}, 0.0, lon); };
    std::int64_t rows_in = 0, cols_in = 0;
    for (std::int64_t r = 0; r < g.rows; ++r) {
      const double v = g.row_axis[static_cast<std::size_t>(r)];
      if (g.rows_are_latitude ? lat_in(v) : lon_in(v)) {
        r0 = std::min(r0, r);
        r1 = r;
        ++rows_in;
      }
    }
    for (std::int64_t c = 0; c < g.cols; ++c) {
      const double v = g.col_axis[static_cast<std::size_t>(c)];
      if (g.rows_are_latitude ? lon_in(v) : lat_in(v)) {
        c0 = std::min(c0, c);
        c1 = c;
        ++cols_in;
      }
    }
    count = rows_in * cols_in;
  } else {
    for (std::int64_t r = 0; r < g.rows; ++r) {
      for (std::int64_t c = 0; c < g.cols; ++c) {
        if (!selected(src, r, c)) continue;
        r0 = std::min(r0, r);
        r1 = std::max(r1, r);
        c0 = std::min(c0, c);
        c1 = std::max(c1, c);
        ++count;
      }
    }
  }
  src.cells_total = count;
  if (count == 0) {
    src.win_rows = src.win_cols = 0;
    return;
  }
  src.win_row = r0;
  src.win_col = c0;
  src.win_rows = r1 - r0 + 1;
  src.win_cols = c1 - c0 + 1;
}

// The height and width of a block (see the header), whole chunks of rows
// where the file is chunked and they fit four budgets.
void plan_blocks(GridSource& src) {
  const std::int64_t cell_bytes = src.steps * static_cast<std::int64_t>(type_bytes(src.packing.type)) +
                                  src.month_count * static_cast<std::int64_t>(sizeof(float)) + 1;
  const std::int64_t budget = static_cast<std::int64_t>(src.band_bytes);
  const std::int64_t cells = std::max<std::int64_t>(1, budget / cell_bytes);
  const std::int64_t cols = std::max<std::int64_t>(1, src.win_cols);
  if (cells >= cols) {
    src.band_cols = cols;
    src.band_rows = std::clamp<std::int64_t>(cells / cols, 1, std::max<std::int64_t>(1, src.win_rows));
    if (src.row_pos >= 0) {
      int storage = NC_CONTIGUOUS;
      std::vector<std::size_t> chunks(static_cast<std::size_t>(src.rank), 0);
      if (nc_inq_var_chunking(src.file.id, src.varid, &storage, chunks.data()) == NC_NOERR &&
          storage == NC_CHUNKED) {
        const auto chunk_rows = static_cast<std::int64_t>(chunks[static_cast<std::size_t>(src.row_pos)]);
        if (chunk_rows > src.band_rows && chunk_rows * cols <= 4 * cells) {
          src.band_rows = std::min(chunk_rows, std::max<std::int64_t>(1, src.win_rows));
        } else if (chunk_rows > 0 && src.band_rows > chunk_rows) {
          src.band_rows -= src.band_rows % chunk_rows;
        }
      }
    }
  } else {
    src.band_rows = 1;
    src.band_cols = cells;
  }
}

}  // namespace

double cell_latitude(const GridGeometry& g, std::int64_t row, std::int64_t col) {
  if (g.kind == GridKind::axes) {
    return g.rows_are_latitude ? g.row_axis[static_cast<std::size_t>(row)]
                               : g.col_axis[static_cast<std::size_t>(col)];
  }
  return g.lat[static_cast<std::size_t>(row * g.cols + col)];
}

double cell_longitude(const GridGeometry& g, std::int64_t row, std::int64_t col) {
  if (g.kind == GridKind::axes) {
    return g.rows_are_latitude ? g.col_axis[static_cast<std::size_t>(col)]
                               : g.row_axis[static_cast<std::size_t>(row)];
  }
  return g.lon[static_cast<std::size_t>(row * g.cols + col)];
}

float decode_value(const GridPacking& p, double stored, float flag) { return decode(p, stored, flag); }

bool selected(const GridSource& src, std::int64_t row, std::int64_t col) {
  return !src.region_on ||
         in_region(src.region, cell_latitude(src.grid, row, col), cell_longitude(src.grid, row, col));
}

std::size_t type_bytes(int type) {
  switch (type) {
    case NC_BYTE: case NC_UBYTE: return 1;
    case NC_SHORT: case NC_USHORT: return 2;
    case NC_INT: case NC_UINT: case NC_FLOAT: return 4;
    default: return 8;
  }
}

std::string centre_text(float latitude, float longitude) {
  auto text = [](float v) {
    if (v == 0.0f) v = 0.0f;  // -0 -> 0
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, r.ptr);
  };
  return text(latitude) + " " + text(longitude);
}

bool open_grid(GridSource& src, const GridRequest& request, std::string& error) {
  close_grid(src);
  src = GridSource{};
  src.path = request.path;
  src.flag = request.flag;
  src.band_bytes = std::max<std::size_t>(request.band_bytes, 1);
  struct stat st {};
  if (::stat(request.path.c_str(), &st) != 0) {
    error = compose(kMsgNotAFile, {shown_name(request.path), std::strerror(errno)});
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    error = compose(kMsgNotAFile, {shown_name(request.path), std::strerror(EISDIR)});
    return false;
  }
  // a classic file's header is walked before the library reads it: a cut
  // file is refused, and so is a header whose sizes run past the file (the
  // library would try to allocate what they claim)
  if (is_classic_file(request.path)) {
    ClassicExtent extent;
    std::uint64_t stop = 0;
    std::string reason;
    if (!classic_extent(request.path, extent, stop, reason)) {
      error = reason.empty() ? compose(kMsgBadHeader, {shown_name(request.path), std::to_string(stop)})
                             : compose(kMsgNotAFile, {shown_name(request.path), reason});
      return false;
    }
    if (extent.data_end > static_cast<std::uint64_t>(st.st_size)) {
      error = compose(kMsgTruncated, {shown_name(request.path), std::to_string(extent.data_end),
                                      std::to_string(st.st_size)});
      return false;
    }
  }
  int ncid = -1;
  const int status = nc_open(request.path.c_str(), NC_NOWRITE, &ncid);
  if (status == NC_ENOTNC) {
    error = compose(kMsgNotNetcdf, {shown_name(request.path)});
    return false;
  }
  if (!netcdf_ok(status, request.path, kMsgWhatOpen, error)) return false;
  src.file.id = ncid;

  Ctx x{ncid, src.path, error};
  Shape shape;
  if (!choose_variable(x, request.variable, src.varid, shape)) return false;
  src.variable = var_name(ncid, src.varid);
  text_att(ncid, src.varid, "units", src.units);
  if (!text_att(ncid, src.varid, "long_name", src.long_name)) {
    text_att(ncid, src.varid, "standard_name", src.long_name);
  }
  src.rank = static_cast<int>(shape.dims.size());
  src.time_pos = shape.time_pos;
  src.row_pos = shape.row_pos;
  src.col_pos = shape.col_pos;
  if (!read_time(x, shape, src) || !read_geometry(x, shape, src) || !read_packing(x, src.varid, src.packing)) {
    return false;
  }
  src.region_on = request.has_region;
  src.region = request.region;
  src.near_on = request.has_near;
  src.near = request.near;
  lay_out_selection(src);
  plan_blocks(src);
  rewind_grid(src);
  return true;
}

void grid_year_span(const GridSource& src, std::int32_t& first_year, std::int32_t& last_year) {
  first_year = src.first_year;
  last_year = src.last_year;
}

GridGeometry grid_window(const GridSource& src) {
  const GridGeometry& g = src.grid;
  GridGeometry w;
  w.kind = g.kind;
  w.rows = src.win_rows;
  w.cols = src.win_cols;
  w.row_dim = g.row_dim;
  w.col_dim = g.col_dim;
  w.lat_name = g.lat_name;
  w.lon_name = g.lon_name;
  w.rows_are_latitude = g.rows_are_latitude;
  if (g.kind == GridKind::axes) {
    w.row_axis.assign(g.row_axis.begin() + src.win_row, g.row_axis.begin() + src.win_row + src.win_rows);
    w.col_axis.assign(g.col_axis.begin() + src.win_col, g.col_axis.begin() + src.win_col + src.win_cols);
    return w;
  }
  for (std::int64_t r = 0; r < src.win_rows; ++r) {
    for (std::int64_t c = 0; c < src.win_cols; ++c) {
      w.lat.push_back(cell_latitude(g, src.win_row + r, src.win_col + c));
      w.lon.push_back(cell_longitude(g, src.win_row + r, src.win_col + c));
    }
  }
  return w;
}

void close_grid(GridSource& src) { close_netcdf(src.file); }

}  // namespace versel
