// What the netCDF writers share: the grid's check, the place of the
// values, station names and the library's calls with their messages.
#include "collect/nc_common.h"

#include <netcdf.h>

#include "collect/nc_messages.h"
#include "records/message_text.h"

namespace versel {

static_assert(kNcCoordinateFill == NC_FILL_DOUBLE);

bool check_nc_grid(const GridGeometry& g, std::string_view path, std::string& error) {
  if (g.kind == GridKind::points) {
    error = compose(kMsgNcPointsGrid, {shown_name(path)});
    return false;
  }
  if (g.rows < 1 || g.cols < 1) {
    error = compose(kMsgNcNoCells, {shown_name(path), std::to_string(g.rows), std::to_string(g.cols)});
    return false;
  }
  const auto rows = static_cast<std::size_t>(g.rows);
  const auto cols = static_cast<std::size_t>(g.cols);
  // rows x cols is compared only when the coordinates could hold that many
  const bool fits = g.kind == GridKind::axes
                        ? g.row_axis.size() == rows && g.col_axis.size() == cols
                        : g.lat.size() / cols == rows && g.lat.size() % cols == 0 && g.lon.size() == g.lat.size();
  if (!fits) {
    error = compose(kMsgNcGridShape, {shown_name(path), std::to_string(g.rows), std::to_string(g.cols)});
    return false;
  }
  return true;
}

bool nc_defined(int status, std::string_view path, std::string_view name, std::string& error) {
  return netcdf_ok(status, path, compose(kMsgNcWhatDefine, {quoted(name)}), error);
}

bool nc_written(int status, std::string_view path, std::string_view name, std::string& error) {
  return netcdf_ok(status, path, compose(kMsgNcWhatWrite, {quoted(name)}), error);
}

bool nc_text_att(int id, std::string_view path, int var, const char* name, std::string_view text,
                 std::string& error) {
  if (text.empty()) return true;
  return nc_defined(nc_put_att_text(id, var, name, text.size(), text.data()), path, name, error);
}

bool nc_int_att(int id, std::string_view path, int var, const char* name, const std::vector<int>& values,
                std::string& error) {
  return nc_defined(nc_put_att_int(id, var, name, NC_INT, values.size(), values.data()), path, name, error);
}

bool define_nc_var(int id, std::string_view path, const std::string& name, int type, const std::vector<int>& dims,
                int& var, std::string& error) {
  return nc_defined(nc_def_var(id, name.c_str(), type, static_cast<int>(dims.size()), dims.data(), &var), path,
                    name, error);
}

bool define_nc_place(int id, std::string_view path, NcShape shape, const GridGeometry& g, std::int64_t stations,
                     std::size_t name_length, NcPlace& place, std::string& error) {
  place = NcPlace{};
  auto dim = [&](const char* name, std::size_t length, int& dim_id) {
    return nc_defined(nc_def_dim(id, name, length, &dim_id), path, name, error);
  };
  auto coordinate = [&](const char* name, const std::vector<int>& dims, int& var) {
    return define_nc_var(id, path, name, NC_DOUBLE, dims, var, error);
  };
  if (shape == NcShape::grid) {
    const bool axes = g.kind == GridKind::axes;
    const char* row_name = axes ? (g.rows_are_latitude ? "lat" : "lon") : "y";
    const char* col_name = axes ? (g.rows_are_latitude ? "lon" : "lat") : "x";
    int row_dim = -1, col_dim = -1;
    if (!dim(row_name, static_cast<std::size_t>(g.rows), row_dim) ||
        !dim(col_name, static_cast<std::size_t>(g.cols), col_dim)) {
      return false;
    }
    place.cell_dims = {row_dim, col_dim};
    if (axes) {
      const int lat_dim = g.rows_are_latitude ? row_dim : col_dim;
      const int lon_dim = g.rows_are_latitude ? col_dim : row_dim;
      if (!coordinate("lat", {lat_dim}, place.lat_id) || !coordinate("lon", {lon_dim}, place.lon_id) ||
          !nc_text_att(id, path, place.lat_id, "axis", "Y", error) ||
          !nc_text_att(id, path, place.lon_id, "axis", "X", error)) {
        return false;
      }
    } else {
      place.coordinates = "lat lon";
      if (!coordinate("lat", place.cell_dims, place.lat_id) || !coordinate("lon", place.cell_dims, place.lon_id)) {
        return false;
      }
    }
  } else {
    const std::size_t n = stations > 0 ? static_cast<std::size_t>(stations) : NC_UNLIMITED;
    int station_dim = -1, strlen_dim = -1;
    if (!dim("station", n, station_dim) || !dim("name_strlen", name_length < 1 ? 1 : name_length, strlen_dim)) {
      return false;
    }
    place.cell_dims = {station_dim};
    place.coordinates = "lat lon";
    if (!coordinate("lat", place.cell_dims, place.lat_id) || !coordinate("lon", place.cell_dims, place.lon_id) ||
        !define_nc_var(id, path, "station_name", NC_CHAR, {station_dim, strlen_dim}, place.name_id, error) ||
        !nc_text_att(id, path, place.name_id, "long_name", "station name", error) ||
        !nc_text_att(id, path, place.name_id, "cf_role", "timeseries_id", error) ||
        !nc_defined(nc_put_att_double(id, place.lat_id, "_FillValue", NC_DOUBLE, 1, &kNcCoordinateFill), path,
                    "lat", error) ||
        !nc_defined(nc_put_att_double(id, place.lon_id, "_FillValue", NC_DOUBLE, 1, &kNcCoordinateFill), path,
                    "lon", error)) {
      return false;
    }
  }
  return nc_text_att(id, path, place.lat_id, "units", "degrees_north", error) &&
         nc_text_att(id, path, place.lat_id, "standard_name", "latitude", error) &&
         nc_text_att(id, path, place.lat_id, "long_name", "latitude", error) &&
         nc_text_att(id, path, place.lon_id, "units", "degrees_east", error) &&
         nc_text_att(id, path, place.lon_id, "standard_name", "longitude", error) &&
         nc_text_att(id, path, place.lon_id, "long_name", "longitude", error);
}

bool write_nc_grid_coordinates(int id, std::string_view path, const GridGeometry& g, const NcPlace& place,
                               std::string& error) {
  if (g.kind == GridKind::axes) {
    const std::vector<double>& lat = g.rows_are_latitude ? g.row_axis : g.col_axis;
    const std::vector<double>& lon = g.rows_are_latitude ? g.col_axis : g.row_axis;
    return nc_written(nc_put_var_double(id, place.lat_id, lat.data()), path, "lat", error) &&
           nc_written(nc_put_var_double(id, place.lon_id, lon.data()), path, "lon", error);
  }
  return nc_written(nc_put_var_double(id, place.lat_id, g.lat.data()), path, "lat", error) &&
         nc_written(nc_put_var_double(id, place.lon_id, g.lon.data()), path, "lon", error);
}

std::string nc_station_name(const StationData& d, std::int64_t number, std::size_t length) {
  std::string_view name = d.has_header ? std::string_view(d.name.empty() ? d.header : d.name) : std::string_view();
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  std::string out = name.empty() ? std::to_string(number) : std::string(name);
  if (out.size() > length) out.resize(length);
  return out;
}

}  // namespace versel
