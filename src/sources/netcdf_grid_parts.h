// What the two halves of the netCDF grid reader share (netcdf_grid.cpp
// opens, netcdf_grid_read.cpp reads): the decoding of one stored value,
// the selection test and the size of a stored type. Not for other users.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "sources/netcdf_grid.h"

namespace versel {

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
