// A gridded netCDF file as a station source (netcdf_grid.h): every cell
// with a valid month, its centre as its name and coordinates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mask/station.h"
#include "sources/netcdf_grid.h"

namespace versel {

struct GridReader {
  GridSource grid;
  // whole rows and columns of the file: a grid output can lay the cells
  // out as the input does (not after --near, nor for a file of points)
  bool gridded = false;
};

// Opens the grid of `request`: false with `error` (naming the file) when it
// cannot be read as a grid of monthly values.
bool open_grid_reader(GridReader& r, const GridRequest& request, std::string& error);

// The source's operations (station_source.h). A read the library fails
// fails the run with its message.
bool take_grid_station(GridReader& r, StationData& d);
void take_grid_year_spans(GridReader& r, std::vector<std::int32_t>& first,
                          std::vector<std::int32_t>& last);

}  // namespace versel
