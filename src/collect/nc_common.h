// What the writers of netCDF files share (nc_output.h: seasonal values;
// nc_fields.h: one value per cell or station): the shape of a file, the
// check of a grid's geometry, the dimensions and coordinate variables that
// place its cells or stations, the name a station gets, and the calls of
// the library with the messages of their failures ("FILE: defining 'NAME':
// reason", "FILE: writing 'NAME': reason").
//
// The place of the values, as define_nc_place lays it out:
//   grid, axes         dimensions lat and lon (in the grid's order of rows
//                      and columns), coordinate variables lat(lat), lon(lon)
//                      with axis Y and X;
//   grid, curvilinear  dimensions y and x, lat(y, x) and lon(y, x); the
//                      values name them in their attribute coordinates;
//   stations           dimensions station and name_strlen, lat(station) and
//                      lon(station) (fill kNcCoordinateFill where a station
//                      has none), station_name(station, name_strlen) with
//                      cf_role timeseries_id; the values name lat and lon in
//                      coordinates, the file is of featureType timeSeries.
// lat and lon are doubles with units degrees_north and degrees_east,
// standard_name and long_name latitude and longitude.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mask/station.h"
#include "sources/netcdf_grid.h"

namespace versel {

enum class NcShape : std::uint8_t { grid, stations };

// The fill of a station's missing coordinates (the library's NC_FILL_DOUBLE).
inline constexpr double kNcCoordinateFill = 9.9692099683868690e+36;

// The dimensions and coordinate variables of a file's cells or stations.
struct NcPlace {
  std::vector<int> cell_dims;  // grid: (rows, columns); stations: (station)
  std::string coordinates;     // the values' attribute coordinates ("lat lon"), empty for axes
  int lat_id = -1, lon_id = -1;
  int name_id = -1;            // stations: station_name
};

// True when a grid can be written as a grid. Else false with `error`
// naming `path`: a grid of points (written as stations), a grid without
// cells, or coordinates that do not match its rows and columns.
bool check_nc_grid(const GridGeometry& g, std::string_view path, std::string& error);

// Defines (in define mode) the dimensions and coordinate variables of the
// shape, as above. `stations`: the length of the station dimension, 0 for
// an unlimited one; `name_length`: the characters of a name (at least 1).
bool define_nc_place(int id, std::string_view path, NcShape shape, const GridGeometry& g, std::int64_t stations,
                     std::size_t name_length, NcPlace& place, std::string& error);

// Writes (in data mode) the coordinates of a grid defined by define_nc_place.
bool write_nc_grid_coordinates(int id, std::string_view path, const GridGeometry& g, const NcPlace& place,
                               std::string& error);

// The name a file gives station `number` (from 1): d.name, else d.header,
// without the blanks at either end (when the station has a header), else
// the number; cut to `length` characters.
//   header "  Oxford  " -> "Oxford"; no header, number 3 -> "3"
std::string nc_station_name(const StationData& d, std::int64_t number, std::size_t length);

// The status of a definition or a write of NAME: true for success, else
// false with the message.
bool nc_defined(int status, std::string_view path, std::string_view name, std::string& error);
bool nc_written(int status, std::string_view path, std::string_view name, std::string& error);

// Attributes of variable `var` (NC_GLOBAL for the file): a text (none when
// `text` is empty), ints.
bool nc_text_att(int id, std::string_view path, int var, const char* name, std::string_view text,
                 std::string& error);
bool nc_int_att(int id, std::string_view path, int var, const char* name, const std::vector<int>& values,
                std::string& error);

// Defines variable `name` of netCDF type `type` over `dims`; its id in `var`.
bool define_nc_var(int id, std::string_view path, const std::string& name, int type, const std::vector<int>& dims,
                   int& var, std::string& error);

}  // namespace versel
