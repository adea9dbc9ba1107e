// The nc output kind: definitions, the band gathered in memory, and its
// hyperslabs.
#include "collect/nc_output.h"

#include <netcdf.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "collect/nc_messages.h"
#include "records/message_text.h"
#include "sources/cf_time.h"

namespace versel {
namespace {

constexpr std::int16_t kCountFill = -1;
constexpr int kDeflateLevel = 1;
// Bytes an attribute actual_range takes in a classic header, twice (values
// and means), with room to spare.
constexpr std::size_t kRangeRoom = 128;

// Names the file gives its own variables, which no climate variable takes.
const char* const kReservedNames[] = {"time", "time_bnds", "year", "lat", "lon", "station_name",
                                      "station", "x", "y", "nv", "name_strlen"};

bool letter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

std::string cf_name(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const bool offset = i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])) != 0;
    if (c == '-' && offset) {
      out += "_p";
    } else if (c == '+' && offset) {
      out += "_n";
    } else {
      out += name_char(c) ? c : '_';
    }
  }
  if (out.empty() || !letter(out[0])) out = "v_" + out;
  return out;
}

std::string month_list(const ClimateVariable& v) {
  std::string out;
  for (const MaskMonth& m : v.months) {
    if (!out.empty()) out += ' ';
    out += month_name(m.month);
    if (m.year_offset > 0) out += '+';
    if (m.year_offset != 0) out += std::to_string(m.year_offset);
  }
  return out;
}

// The library's status, naming what was being done with `what`.
bool ok(NcWriter& w, int status, std::string_view what, std::string& error) {
  return netcdf_ok(status, w.path, what, error);
}
bool defined(NcWriter& w, int status, std::string_view name, std::string& error) {
  return nc_defined(status, w.path, name, error);
}
bool written(NcWriter& w, int status, std::string_view name, std::string& error) {
  return nc_written(status, w.path, name, error);
}

bool text_att(NcWriter& w, int var, const char* name, std::string_view text, std::string& error) {
  return nc_text_att(w.file.id, w.path, var, name, text, error);
}

bool int_att(NcWriter& w, int var, const char* name, const std::vector<int>& v, std::string& error) {
  return nc_int_att(w.file.id, w.path, var, name, v, error);
}

bool def_var(NcWriter& w, const std::string& name, nc_type type, const std::vector<int>& dims, int& id,
             std::string& error) {
  return define_nc_var(w.file.id, w.path, name, type, dims, id, error);
}

// netCDF-4: deflated, in chunks of one band.
bool compress(NcWriter& w, int id, const std::vector<std::size_t>& chunks, const std::string& name,
              std::string& error) {
  if (!w.plan.netcdf4) return true;
  if (!chunks.empty() &&
      !defined(w, nc_def_var_chunking(w.file.id, id, NC_CHUNKED, chunks.data()), name, error)) {
    return false;
  }
  return defined(w, nc_def_var_deflate(w.file.id, id, 1, 1, kDeflateLevel), name, error);
}

bool grid(const NcWriter& w) { return w.plan.shape == NcShape::grid; }

// Cells of the band now: rows (grid) x cells per row, or stations.
std::int64_t band_rows_now(const NcWriter& w) {
  return std::min(w.band_size, std::max<std::int64_t>(w.total - w.band_first, 0));
}
std::int64_t band_cells(const NcWriter& w) {
  return grid(w) ? band_rows_now(w) * w.row_cells : w.band_size;
}

// Where value (variable v, year y, band cell b) sits: grid [v][y][b], so
// that a variable's band is (time, rows, columns); stations [v][b][y], so
// that it is (station, time).
std::size_t at(const NcWriter& w, std::int64_t v, std::int64_t y, std::int64_t b) {
  const std::int64_t cells = grid(w) ? band_cells(w) : w.band_size;
  return static_cast<std::size_t>(grid(w) ? (v * w.years + y) * cells + b : (v * w.band_size + b) * w.years + y);
}

void clear_band(NcWriter& w) {
  const auto n = static_cast<std::size_t>(w.band_size * w.row_cells);
  const std::size_t nv = w.vars.size();
  w.values.assign(nv * static_cast<std::size_t>(w.years) * n, w.plan.flag);
  w.means.assign(nv * n, w.plan.flag);
  if (w.plan.counts) w.counts.assign(nv * static_cast<std::size_t>(w.years) * n, kCountFill);
  if (!grid(w)) {
    w.lats.assign(n, kNcCoordinateFill);
    w.lons.assign(n, kNcCoordinateFill);
    w.names.assign(n * w.plan.name_length, '\0');
  }
}

// Writes the band: grid rows band_first.., or the first `stations` of a
// band of stations.
bool flush_band(NcWriter& w, std::int64_t stations, std::string& error) {
  const int id = w.file.id;
  const auto first = static_cast<std::size_t>(w.band_first);
  const auto years = static_cast<std::size_t>(w.years);
  if (grid(w)) {
    const auto rows = static_cast<std::size_t>(band_rows_now(w));
    const auto cols = static_cast<std::size_t>(w.row_cells);
    if (rows == 0) return true;
    const std::size_t start[3] = {0, first, 0};
    const std::size_t count[3] = {years, rows, cols};
    const std::size_t cells = rows * cols;
    for (std::size_t v = 0; v < w.vars.size(); ++v) {
      const NcVariable& var = w.vars[v];
      if (!written(w, nc_put_vara_float(id, var.values, start, count, w.values.data() + v * years * cells),
                   var.name, error) ||
          !written(w, nc_put_vara_float(id, var.mean, start + 1, count + 1, w.means.data() + v * cells),
                   var.name + "_mean", error)) {
        return false;
      }
      if (w.plan.counts &&
          !written(w, nc_put_vara_short(id, var.count, start, count, w.counts.data() + v * years * cells),
                   var.name + "_n", error)) {
        return false;
      }
    }
    return true;
  }
  if (stations <= 0) return true;
  const auto n = static_cast<std::size_t>(stations);
  const auto size = static_cast<std::size_t>(w.band_size);
  const std::size_t start[2] = {first, 0};
  const std::size_t count[2] = {n, years};
  const std::size_t name_count[2] = {n, w.plan.name_length};
  if (!written(w, nc_put_vara_double(id, w.lat_id, start, count, w.lats.data()), "lat", error) ||
      !written(w, nc_put_vara_double(id, w.lon_id, start, count, w.lons.data()), "lon", error) ||
      !written(w, nc_put_vara_text(id, w.name_id, start, name_count, w.names.data()), "station_name", error)) {
    return false;
  }
  for (std::size_t v = 0; v < w.vars.size(); ++v) {
    const NcVariable& var = w.vars[v];
    if (!written(w, nc_put_vara_float(id, var.values, start, count, w.values.data() + v * size * years),
                 var.name, error) ||
        !written(w, nc_put_vara_float(id, var.mean, start, count, w.means.data() + v * size),
                 var.name + "_mean", error)) {
      return false;
    }
    if (w.plan.counts &&
        !written(w, nc_put_vara_short(id, var.count, start, count, w.counts.data() + v * size * years),
                 var.name + "_n", error)) {
      return false;
    }
  }
  return true;
}

void widen(bool& any, float& low, float& high, float value) {
  if (!any || value < low) low = value;
  if (!any || value > high) high = value;
  any = true;
}

// Copies a station's values, counts and means into band cell `b`.
bool keep_values(NcWriter& w, std::int64_t b, const Station& st, const std::int32_t* counts,
                 std::string& error) {
  const auto nv = static_cast<std::int32_t>(w.vars.size());
  if (st.NCV != nv) {
    error = compose(kMsgNcVariableCount, {shown_name(w.path), std::to_string(st.NCV), std::to_string(nv)});
    return false;
  }
  if (st.NYC >= 1 && (st.IFC < w.plan.first_year || st.IFC > w.plan.last_year - (st.NYC - 1))) {
    error = compose(kMsgNcYearsOutside,
                    {shown_name(w.path), std::to_string(st.IFC), std::to_string(st.IFC + st.NYC - 1),
                     std::to_string(w.plan.first_year), std::to_string(w.plan.last_year)});
    return false;
  }
  const std::int64_t cells = grid(w) ? band_cells(w) : w.band_size;
  const std::int64_t y0 = st.IFC - w.plan.first_year;
  // consecutive years lie `step` apart in the band (grid [v][y][b],
  // stations [v][b][y])
  const std::size_t step = grid(w) ? static_cast<std::size_t>(cells) : 1;
  const bool keep_counts = counts != nullptr && w.plan.counts;
  for (std::int32_t v = 0; v < nv; ++v) {
    NcVariable& var = w.vars[static_cast<std::size_t>(v)];
    std::size_t k = st.NYC >= 1 ? at(w, v, y0, b) : 0;
    float SUM = 0.0f;
    std::int32_t N = 0;
    for (std::int32_t i = 0; i < st.NYC; ++i, k += step) {
      const float value = st.year(i)[v];
      w.values[k] = value;
      if (keep_counts) {
        const std::int32_t n = counts[static_cast<std::size_t>(i) * static_cast<std::size_t>(nv) + static_cast<std::size_t>(v)];
        w.counts[k] = n < 0 ? kCountFill : static_cast<std::int16_t>(std::min<std::int32_t>(n, 32767));
      }
      // the long-term mean as grd's: valid values summed in float, in order
      if (value == w.plan.flag) continue;
      ++N;
      SUM += value;
      widen(var.any_value, var.low, var.high, value);
    }
    const float mean = N == 0 ? w.plan.flag : SUM / static_cast<float>(N);
    w.means[static_cast<std::size_t>(v * cells + b)] = mean;
    if (N > 0) widen(var.any_mean, var.mean_low, var.mean_high, mean);
  }
  return true;
}

// The ranges of the valid values, added to the header (which has room).
bool put_ranges(NcWriter& w, std::string& error) {
  const int id = w.file.id;
  if (!ok(w, nc_redef(id), compose(kMsgNcWhatDefine, {quoted("actual_range")}), error)) return false;
  for (const NcVariable& v : w.vars) {
    const float range[2] = {v.low, v.high};
    const float mean_range[2] = {v.mean_low, v.mean_high};
    if (v.any_value &&
        !defined(w, nc_put_att_float(id, v.values, "actual_range", NC_FLOAT, 2, range), v.name, error)) {
      return false;
    }
    if (v.any_mean &&
        !defined(w, nc_put_att_float(id, v.mean, "actual_range", NC_FLOAT, 2, mean_range), v.name + "_mean", error)) {
      return false;
    }
  }
  return ok(w, nc_enddef(id), compose(kMsgNcWhatDefine, {quoted("actual_range")}), error);
}

bool define(NcWriter& w, std::string& error) {
  const NcOutputPlan& p = w.plan;
  const int id = w.file.id;
  int time_dim = -1, nv_dim = -1;
  if (!defined(w, nc_def_dim(id, "time", static_cast<std::size_t>(w.years), &time_dim), "time", error) ||
      !defined(w, nc_def_dim(id, "nv", 2, &nv_dim), "nv", error)) {
    return false;
  }
  NcPlace place;
  if (!define_nc_place(id, w.path, p.shape, p.grid, p.stations, p.name_length, place, error)) return false;
  w.lat_id = place.lat_id;
  w.lon_id = place.lon_id;
  w.name_id = place.name_id;
  const std::vector<int>& cell_dims = place.cell_dims;  // the dimensions of a cell or station
  const std::string& coordinates = place.coordinates;   // the attribute of the data variables, when needed

  int time_id = -1, bounds_id = -1, year_id = -1;
  if (!def_var(w, "time", NC_DOUBLE, {time_dim}, time_id, error) ||
      !text_att(w, time_id, "units", kNcTimeUnits, error) ||
      !text_att(w, time_id, "calendar", kNcTimeCalendar, error) ||
      !text_att(w, time_id, "standard_name", "time", error) ||
      !text_att(w, time_id, "long_name", "middle of the label year", error) ||
      !text_att(w, time_id, "axis", "T", error) || !text_att(w, time_id, "bounds", "time_bnds", error) ||
      !def_var(w, "time_bnds", NC_DOUBLE, {time_dim, nv_dim}, bounds_id, error) ||
      !def_var(w, "year", NC_INT, {time_dim}, year_id, error) ||
      !text_att(w, year_id, "long_name", "year label of the seasonal values", error)) {
    return false;
  }

  // the climate variables
  std::vector<int> value_dims;
  std::vector<std::size_t> chunks;
  if (grid(w)) {
    value_dims = {time_dim, cell_dims[0], cell_dims[1]};
    chunks = {1, static_cast<std::size_t>(std::max<std::int64_t>(1, std::min(w.band_size, p.grid.rows))),
              static_cast<std::size_t>(std::max<std::int64_t>(1, p.grid.cols))};
  } else {
    value_dims = {cell_dims[0], time_dim};
  }
  const std::vector<std::string> names = cf_variable_names(p.variables);
  const std::string years_text = std::to_string(p.first_year) + " to " + std::to_string(p.last_year);
  for (std::size_t i = 0; i < p.variables.size(); ++i) {
    const ClimateVariable& cv = p.variables[i];
    NcVariable v;
    v.name = names[i];
    const char* method = cv.kind == VariableKind::average ? "time: mean"
                         : cv.kind == VariableKind::sum   ? "time: sum"
                                                          : "time: point";
    const char* what = cv.kind == VariableKind::average ? "mean of" : cv.kind == VariableKind::sum ? "sum of" : "month";
    std::vector<int> months, offsets;
    for (const MaskMonth& m : cv.months) {
      months.push_back(m.month + 1);
      offsets.push_back(m.year_offset);
    }
    const std::string long_name = cv.name + ": " + what + " " + month_list(cv);
    if (!def_var(w, v.name, NC_FLOAT, value_dims, v.values, error) ||
        !compress(w, v.values, chunks, v.name, error) ||
        !defined(w, nc_put_att_float(id, v.values, "_FillValue", NC_FLOAT, 1, &p.flag), v.name, error) ||
        !text_att(w, v.values, "long_name", long_name, error) ||
        !text_att(w, v.values, "short_name", cv.name, error) ||
        !text_att(w, v.values, "units", p.units, error) ||
        !text_att(w, v.values, "cell_methods", method, error) ||
        !int_att(w, v.values, "months", months, error) || !int_att(w, v.values, "year_offsets", offsets, error) ||
        !text_att(w, v.values, "coordinates", coordinates, error)) {
      return false;
    }
    const std::string mean_name = v.name + "_mean";
    if (!def_var(w, mean_name, NC_FLOAT, cell_dims, v.mean, error) ||
        !compress(w, v.mean, {}, mean_name, error) ||
        !defined(w, nc_put_att_float(id, v.mean, "_FillValue", NC_FLOAT, 1, &p.flag), mean_name, error) ||
        !text_att(w, v.mean, "long_name", "long-term mean of " + cv.name + " over the valid years of " + years_text,
                  error) ||
        !text_att(w, v.mean, "units", p.units, error) ||
        !int_att(w, v.mean, "first_year", {p.first_year}, error) ||
        !int_att(w, v.mean, "last_year", {p.last_year}, error) ||
        !text_att(w, v.mean, "coordinates", coordinates, error)) {
      return false;
    }
    if (p.counts) {
      const std::string count_name = v.name + "_n";
      const short fill = kCountFill;
      if (!def_var(w, count_name, NC_SHORT, value_dims, v.count, error) ||
          !compress(w, v.count, chunks, count_name, error) ||
          !defined(w, nc_put_att_short(id, v.count, "_FillValue", NC_SHORT, 1, &fill), count_name, error) ||
          !text_att(w, v.count, "long_name", "valid months of " + cv.name, error) ||
          !text_att(w, v.count, "coordinates", coordinates, error)) {
        return false;
      }
    }
    w.vars.push_back(v);
  }

  // global attributes
  if (!text_att(w, NC_GLOBAL, "Conventions", "CF-1.8", error) || !text_att(w, NC_GLOBAL, "title", p.title, error) ||
      !text_att(w, NC_GLOBAL, "source", p.source, error) || !text_att(w, NC_GLOBAL, "history", p.history, error) ||
      (!grid(w) && !text_att(w, NC_GLOBAL, "featureType", "timeSeries", error)) ||
      !text_att(w, NC_GLOBAL, "climate_mask", p.mask, error) ||
      !defined(w, nc_put_att_float(id, NC_GLOBAL, "flag", NC_FLOAT, 1, &p.flag), "flag", error) ||
      !int_att(w, NC_GLOBAL, "min_months", {p.min_months}, error)) {
    return false;
  }
  // room in the header for the ranges added at the end
  const std::size_t room = kRangeRoom * (w.vars.size() + 1);
  if (!ok(w, nc__enddef(id, room, 4, 0, 4), compose(kMsgNcWhatDefine, {quoted("the header")}), error)) return false;

  // the time axis and the grid's coordinates
  std::vector<double> time, bounds;
  std::vector<int> labels;
  for (std::int32_t y = p.first_year; y <= p.last_year; ++y) {
    const double start = nc_year_start(y);
    const double end = nc_year_start(y + 1);
    time.push_back((start + end) / 2.0);
    bounds.push_back(start);
    bounds.push_back(end);
    labels.push_back(y);
  }
  if (!written(w, nc_put_var_double(id, time_id, time.data()), "time", error) ||
      !written(w, nc_put_var_double(id, bounds_id, bounds.data()), "time_bnds", error) ||
      !written(w, nc_put_var_int(id, year_id, labels.data()), "year", error)) {
    return false;
  }
  return !grid(w) || write_nc_grid_coordinates(id, w.path, p.grid, place, error);
}

}  // namespace

std::vector<std::string> cf_variable_names(const std::vector<ClimateVariable>& variables) {
  std::set<std::string> taken(std::begin(kReservedNames), std::end(kReservedNames));
  std::vector<std::string> out;
  for (const ClimateVariable& v : variables) {
    const std::string base = cf_name(v.name);
    std::string name = base;
    for (int k = 2; taken.count(name) || taken.count(name + "_mean") || taken.count(name + "_n"); ++k) {
      name = base + "_" + std::to_string(k);
    }
    taken.insert(name);
    taken.insert(name + "_mean");
    taken.insert(name + "_n");
    out.push_back(name);
  }
  return out;
}

double nc_year_start(std::int32_t year) {
  return static_cast<double>(day_number(Calendar::proleptic_gregorian, year, 1, 1) -
                             day_number(Calendar::proleptic_gregorian, 1850, 1, 1));
}

bool begin_nc_output(NcWriter& w, const std::string& path, const NcOutputPlan& plan, std::string& error) {
  abandon_nc_output(w);
  w = NcWriter{};
  w.path = path;
  w.plan = plan;
  if (w.plan.name_length == 0) w.plan.name_length = 1;
  if (plan.variables.empty()) {
    error = compose(kMsgNcNoVariables, {shown_name(path)});
    return false;
  }
  if (plan.last_year < plan.first_year) {
    error = compose(kMsgNcNoYears, {shown_name(path), std::to_string(plan.first_year), std::to_string(plan.last_year)});
    return false;
  }
  if (plan.shape == NcShape::grid && !check_nc_grid(plan.grid, path, error)) return false;
  w.years = static_cast<std::int64_t>(plan.last_year) - plan.first_year + 1;
  const int cmode = NC_CLOBBER | (plan.netcdf4 ? (NC_NETCDF4 | NC_CLASSIC_MODEL) : NC_64BIT_OFFSET);
  int id = -1;
  if (!ok(w, nc_create(path.c_str(), cmode, &id), kMsgNcWhatCreate, error)) return false;
  w.file.id = id;
  int old_mode = 0;
  if (!ok(w, nc_set_fill(id, NC_NOFILL, &old_mode), kMsgNcWhatCreate, error)) return false;

  // the band: as many rows or stations as band_bytes holds
  const auto nv = static_cast<std::int64_t>(plan.variables.size());
  const std::int64_t cell_bytes = nv * (w.years * (4 + (plan.counts ? 2 : 0)) + 4) +
                                  (grid(w) ? 0 : 16 + static_cast<std::int64_t>(w.plan.name_length));
  if (grid(w)) {
    w.row_cells = std::max<std::int64_t>(1, plan.grid.cols);
    w.total = plan.grid.rows;
  } else {
    w.row_cells = 1;
    w.total = plan.stations;
  }
  const std::int64_t row_bytes = cell_bytes * w.row_cells;
  w.band_size = std::max<std::int64_t>(1, static_cast<std::int64_t>(plan.band_bytes) / row_bytes);
  if (w.total > 0) w.band_size = std::min(w.band_size, w.total);
  if (!define(w, error)) return false;
  clear_band(w);
  return true;
}

bool put_nc_cell(NcWriter& w, std::int64_t cell, const Station& st, const std::int32_t* counts,
                 std::string& error) {
  if (!grid(w)) {
    error = compose(kMsgNcCellOnStations, {shown_name(w.path)});
    return false;
  }
  const std::int64_t cells = w.plan.grid.rows * w.plan.grid.cols;
  if (cell < 0 || cell >= cells) {
    error = compose(kMsgNcCellOutside, {shown_name(w.path), std::to_string(cell), std::to_string(cells)});
    return false;
  }
  if (cell <= w.last_put) {
    error = compose(kMsgNcCellOrder, {shown_name(w.path), std::to_string(cell), std::to_string(w.last_put)});
    return false;
  }
  const std::int64_t row = cell / w.row_cells;
  while (row >= w.band_first + band_rows_now(w)) {
    if (!flush_band(w, 0, error)) return false;
    w.band_first += w.band_size;
    clear_band(w);
  }
  if (!keep_values(w, cell - w.band_first * w.row_cells, st, counts, error)) return false;
  w.last_put = cell;
  return true;
}

bool put_nc_station(NcWriter& w, const StationData& d, const Station& st, const std::int32_t* counts,
                    std::string& error) {
  if (grid(w)) {
    error = compose(kMsgNcStationOnGrid, {shown_name(w.path)});
    return false;
  }
  const std::int64_t s = w.last_put + 1;
  if (w.total > 0 && s >= w.total) {
    error = compose(kMsgNcTooManyStations, {shown_name(w.path), std::to_string(s + 1), std::to_string(w.total)});
    return false;
  }
  if (s >= w.band_first + w.band_size) {
    if (!flush_band(w, w.band_size, error)) return false;
    w.band_first += w.band_size;
    clear_band(w);
  }
  const std::int64_t b = s - w.band_first;
  if (!keep_values(w, b, st, counts, error)) return false;
  w.last_put = s;
  if (d.has_coordinates) {
    w.lats[static_cast<std::size_t>(b)] = d.RLAT;
    w.lons[static_cast<std::size_t>(b)] = d.RLON;
  }
  const std::string name = nc_station_name(d, s + 1, w.plan.name_length);
  std::copy(name.begin(), name.end(), w.names.begin() + static_cast<std::ptrdiff_t>(b) *
                                                            static_cast<std::ptrdiff_t>(w.plan.name_length));
  return true;
}

bool finish_nc_output(NcWriter& w, std::string& error) {
  if (grid(w)) {
    while (true) {
      if (!flush_band(w, 0, error)) return false;
      if (w.band_first + w.band_size >= w.total) break;
      w.band_first += w.band_size;
      clear_band(w);
    }
  } else {
    // the stations put, then those planned and never put, as missing
    if (!flush_band(w, w.last_put + 1 - w.band_first, error)) return false;
    std::int64_t next = w.last_put + 1;
    while (next < w.total) {
      w.band_first = next;
      clear_band(w);
      const std::int64_t n = std::min(w.band_size, w.total - next);
      if (!flush_band(w, n, error)) return false;
      next += n;
    }
  }
  return put_ranges(w, error) && ok(w, close_netcdf(w.file), kMsgNcWhatClose, error);
}

void abandon_nc_output(NcWriter& w) { close_netcdf(w.file); }

}  // namespace versel
