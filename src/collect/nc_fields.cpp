// Result fields: the plan's checks, the values kept in memory, and the file
// written in one go.
#include "collect/nc_fields.h"

#include <netcdf.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>

#include "collect/nc_messages.h"
#include "records/message_text.h"

namespace versel {
namespace {

static_assert(kNcFieldIntFill == NC_FILL_INT);

// Names of the file's coordinates and dimensions, which no field takes.
const char* const kPlaceNames[] = {"lat", "lon", "x", "y", "station", "station_name", "name_strlen"};
constexpr std::size_t kMaxNameLength = NC_MAX_NAME;
// Bytes a station takes beside its values: latitude and longitude.
constexpr std::uint64_t kStationCoordinateBytes = 16;

bool cf_field_name(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameLength || std::isalpha(static_cast<unsigned char>(name[0])) == 0) {
    return false;
  }
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; });
}

bool grid(const NcFields& f) { return f.plan.shape == NcShape::grid; }

// A value as a real field keeps it: missing (the flag) unless finite as a float.
float real_value(double v, float flag) {
  if (!std::isfinite(v) || std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) return flag;
  return static_cast<float>(v);
}

// A value as an integer field keeps it: rounded, missing outside the range
// of an int above the fill.
std::int32_t integer_value(double v) {
  if (!std::isfinite(v)) return kNcFieldIntFill;
  const double r = std::round(v);
  if (r <= static_cast<double>(kNcFieldIntFill) || r > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return kNcFieldIntFill;
  }
  return static_cast<std::int32_t>(r);
}

void keep_fault(NcFields& f, std::string message) {
  if (f.fault.empty()) f.fault = std::move(message);
}

// Keeps values[k] of field k at cell `at` (grid) or appends them (stations).
void keep(NcFields& f, std::size_t at, const double* values, bool append) {
  for (std::size_t k = 0; k < f.plan.fields.size(); ++k) {
    if (f.plan.fields[k].type == NcFieldType::real) {
      const float v = values == nullptr ? f.plan.flag : real_value(values[k], f.plan.flag);
      if (append) {
        f.reals[k].push_back(v);
      } else {
        f.reals[k][at] = v;
      }
    } else {
      const std::int32_t v = values == nullptr ? kNcFieldIntFill : integer_value(values[k]);
      if (append) {
        f.integers[k].push_back(v);
      } else {
        f.integers[k][at] = v;
      }
    }
  }
}

// The file being written, for the messages.
struct Out {
  int id = -1;
  const std::string& path;
};

// Defines the place, the fields and the global attributes.
bool define(const NcFields& f, const Out& o, NcPlace& place, std::vector<int>& ids, std::string& error) {
  const NcFieldsPlan& p = f.plan;
  if (!define_nc_place(o.id, o.path, p.shape, p.grid, grid(f) ? 0 : f.cells, p.name_length, place, error)) {
    return false;
  }
  for (std::size_t k = 0; k < p.fields.size(); ++k) {
    const NcField& field = p.fields[k];
    const bool real = field.type == NcFieldType::real;
    int var = -1;
    if (!define_nc_var(o.id, o.path, field.name, real ? NC_FLOAT : NC_INT, place.cell_dims, var, error)) return false;
    int status = NC_NOERR;
    if (real) {
      status = nc_put_att_float(o.id, var, "_FillValue", NC_FLOAT, 1, &p.flag);
    } else {
      const int fill = kNcFieldIntFill;
      status = nc_put_att_int(o.id, var, "_FillValue", NC_INT, 1, &fill);
    }
    if (!nc_defined(status, o.path, field.name, error) ||
        !nc_text_att(o.id, o.path, var, "long_name", field.long_name, error) ||
        !nc_text_att(o.id, o.path, var, "units", field.units, error) ||
        !nc_text_att(o.id, o.path, var, "coordinates", place.coordinates, error)) {
      return false;
    }
    for (const auto& [name, text] : field.text_attributes) {
      if (!nc_text_att(o.id, o.path, var, name.c_str(), text, error)) return false;
    }
    // the range of the values
    if (real) {
      bool any = false;
      float range[2] = {0.0f, 0.0f};
      for (const float v : f.reals[k]) {
        if (v == p.flag || std::isnan(v)) continue;  // a NaN flag keeps NaN
        range[0] = any ? std::min(range[0], v) : v;
        range[1] = any ? std::max(range[1], v) : v;
        any = true;
      }
      status = any ? nc_put_att_float(o.id, var, "actual_range", NC_FLOAT, 2, range) : NC_NOERR;
    } else {
      const auto valid = [](std::int32_t v) { return v != kNcFieldIntFill; };
      const auto& values = f.integers[k];
      if (std::any_of(values.begin(), values.end(), valid)) {
        int range[2] = {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
        for (const std::int32_t v : values) {
          if (!valid(v)) continue;
          range[0] = std::min(range[0], v);
          range[1] = std::max(range[1], v);
        }
        status = nc_put_att_int(o.id, var, "actual_range", NC_INT, 2, range);
      }
    }
    if (!nc_defined(status, o.path, field.name, error)) return false;
    ids.push_back(var);
  }
  if (!nc_text_att(o.id, o.path, NC_GLOBAL, "Conventions", "CF-1.8", error) ||
      !nc_text_att(o.id, o.path, NC_GLOBAL, "title", p.title, error) ||
      !nc_text_att(o.id, o.path, NC_GLOBAL, "source", p.source, error) ||
      !nc_text_att(o.id, o.path, NC_GLOBAL, "history", p.history, error) ||
      (!grid(f) && !nc_text_att(o.id, o.path, NC_GLOBAL, "featureType", "timeSeries", error))) {
    return false;
  }
  for (const auto& [name, text] : p.global_attributes) {
    if (!nc_text_att(o.id, o.path, NC_GLOBAL, name.c_str(), text, error)) return false;
  }
  return nc_defined(nc_enddef(o.id), o.path, "the header", error);
}

// Writes the coordinates, the stations' names and every field.
bool write_values(const NcFields& f, const Out& o, const NcPlace& place, const std::vector<int>& ids,
                  std::string& error) {
  if (grid(f)) {
    if (!write_nc_grid_coordinates(o.id, o.path, f.plan.grid, place, error)) return false;
  } else {
    if (f.cells == 0) return true;  // no station: nothing to write
    if (!nc_written(nc_put_var_double(o.id, place.lat_id, f.lats.data()), o.path, "lat", error) ||
        !nc_written(nc_put_var_double(o.id, place.lon_id, f.lons.data()), o.path, "lon", error) ||
        !nc_written(nc_put_var_text(o.id, place.name_id, f.names.data()), o.path, "station_name", error)) {
      return false;
    }
  }
  for (std::size_t k = 0; k < ids.size(); ++k) {
    const NcField& field = f.plan.fields[k];
    const int status = field.type == NcFieldType::real ? nc_put_var_float(o.id, ids[k], f.reals[k].data())
                                                        : nc_put_var_int(o.id, ids[k], f.integers[k].data());
    if (!nc_written(status, o.path, field.name, error)) return false;
  }
  return true;
}

}  // namespace

bool begin_nc_fields(NcFields& f, const NcFieldsPlan& plan, std::string& error) {
  f = NcFields{};
  const std::string file = shown_name(plan.file);
  if (plan.fields.empty()) {
    error = compose(kMsgNcNoFields, {file});
    return false;
  }
  std::set<std::string> taken(std::begin(kPlaceNames), std::end(kPlaceNames));
  for (const NcField& field : plan.fields) {
    if (!cf_field_name(field.name)) {
      error = compose(kMsgNcFieldName, {file, quoted(field.name)});
      return false;
    }
    if (!taken.insert(field.name).second) {
      error = compose(kMsgNcFieldTaken, {file, quoted(field.name)});
      return false;
    }
  }
  const auto fields = static_cast<std::uint64_t>(plan.fields.size());
  const std::uint64_t field_bytes = fields * 4;  // float or int each
  if (plan.shape == NcShape::grid) {
    if (!check_nc_grid(plan.grid, plan.file, error)) return false;
    const auto rows = static_cast<std::uint64_t>(plan.grid.rows);
    const auto cols = static_cast<std::uint64_t>(plan.grid.cols);
    // cells x bytes a cell, compared without overflow
    if (rows > kNcFieldsMaxBytes / cols || rows * cols > kNcFieldsMaxBytes / field_bytes) {
      const double bytes = static_cast<double>(rows) * static_cast<double>(cols) * static_cast<double>(field_bytes);
      char shown[32];
      std::snprintf(shown, sizeof shown, "%.3g", bytes);
      error = compose(kMsgNcFieldsTooLarge, {file, std::to_string(fields), std::to_string(rows * cols), shown,
                                             std::to_string(kNcFieldsMaxBytes)});
      return false;
    }
    f.cells = plan.grid.rows * plan.grid.cols;
  } else {
    const std::uint64_t name_bytes = std::max<std::uint64_t>(1, plan.name_length);
    if (name_bytes > kNcFieldsMaxBytes || field_bytes + kStationCoordinateBytes + name_bytes > kNcFieldsMaxBytes) {
      error = compose(kMsgNcFieldsTooManyStations, {file, "1", std::to_string(kNcFieldsMaxBytes)});
      return false;
    }
    f.station_bytes = field_bytes + kStationCoordinateBytes + name_bytes;
  }
  f.plan = plan;
  if (f.plan.name_length < 1) f.plan.name_length = 1;
  f.reals.resize(plan.fields.size());
  f.integers.resize(plan.fields.size());
  const auto n = static_cast<std::size_t>(f.cells);
  for (std::size_t k = 0; k < plan.fields.size(); ++k) {
    if (plan.fields[k].type == NcFieldType::real) {
      f.reals[k].assign(n, plan.flag);
    } else {
      f.integers[k].assign(n, kNcFieldIntFill);
    }
  }
  f.planned = true;
  return true;
}

void put_nc_field_cell(NcFields& f, std::int64_t cell, const double* values) {
  if (!f.planned) return;  // write_nc_fields says so
  const std::string file = shown_name(f.plan.file);
  if (!grid(f)) {
    keep_fault(f, compose(kMsgNcCellOnStations, {file}));
    return;
  }
  if (cell < 0 || cell >= f.cells) {
    keep_fault(f, compose(kMsgNcCellOutside, {file, std::to_string(cell), std::to_string(f.cells)}));
    return;
  }
  keep(f, static_cast<std::size_t>(cell), values, false);
}

void put_nc_field_station(NcFields& f, const StationData& d, const double* values) {
  if (!f.planned) return;
  if (grid(f)) {
    keep_fault(f, compose(kMsgNcStationOnGrid, {shown_name(f.plan.file)}));
    return;
  }
  const auto next = static_cast<std::uint64_t>(f.cells) + 1;
  if (next > kNcFieldsMaxBytes / f.station_bytes) {
    keep_fault(f, compose(kMsgNcFieldsTooManyStations,
                          {shown_name(f.plan.file), std::to_string(next), std::to_string(kNcFieldsMaxBytes)}));
    return;
  }
  keep(f, 0, values, true);
  f.lats.push_back(d.has_coordinates ? static_cast<double>(d.RLAT) : kNcCoordinateFill);
  f.lons.push_back(d.has_coordinates ? static_cast<double>(d.RLON) : kNcCoordinateFill);
  const std::string name = nc_station_name(d, f.cells + 1, f.plan.name_length);
  const std::size_t at = f.names.size();
  f.names.resize(at + f.plan.name_length, '\0');
  std::copy(name.begin(), name.end(), f.names.begin() + static_cast<std::ptrdiff_t>(at));
  ++f.cells;
}

bool write_nc_fields(const NcFields& f, const std::string& path, std::string& error) {
  if (!f.planned) {
    error = compose(kMsgNcFieldsNotPlanned, {shown_name(path)});
    return false;
  }
  if (!f.fault.empty()) {
    error = f.fault;
    return false;
  }
  NetcdfFile file;
  if (!netcdf_ok(nc_create(path.c_str(), NC_CLOBBER | NC_64BIT_OFFSET, &file.id), path, kMsgNcWhatCreate, error)) {
    return false;
  }
  const Out o{file.id, path};
  NcPlace place;
  std::vector<int> ids;
  int old_mode = 0;
  const bool done = netcdf_ok(nc_set_fill(file.id, NC_NOFILL, &old_mode), path, kMsgNcWhatCreate, error) &&
                    define(f, o, place, ids, error) && write_values(f, o, place, ids, error) &&
                    netcdf_ok(close_netcdf(file), path, kMsgNcWhatClose, error);
  if (!done) {
    close_netcdf(file);
    std::remove(path.c_str());
  }
  return done;
}

}  // namespace versel
