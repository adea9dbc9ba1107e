// A gridded netCDF file of monthly values as a sequence of stations: each
// cell with at least one valid month is a station, named and placed by its
// centre. Every format the netCDF library reads (classic, 64-bit offset,
// CDF-5, netCDF-4/HDF5) is read through it; a classic file shorter than
// its header says is refused (netcdf_extent.h).
//
// The variable: --var names it, else the file's one variable with a time
// dimension and two horizontal dimensions (else a failure listing the
// candidates). Its dimensions:
// - time: named time or valid_time, or with a coordinate variable whose
//   units are "UNIT since DATE", standard_name time or axis T. The
//   coordinate variable's units and calendar decode each step (cf_time.h).
// - horizontal, as `GridKind` says:
//   axes         two dimensions with 1-D coordinate variables, latitude by
//                units degrees_north (degree_north, degree_N, degrees_N,
//                degreeN, degreesN), standard_name latitude or axis Y;
//                longitude alike (degrees_east, longitude, X). Any order,
//                ascending or descending, longitudes -180..180 or 0..360.
//   curvilinear  two dimensions and 2-D latitude and longitude variables
//                named by the variable's `coordinates` attribute.
//   points       one dimension (stations) with 1-D latitude and longitude
//                named by `coordinates`; the cells are its points.
// - any other dimension must have length 1 (a single level).
// Rows are the horizontal dimension that comes first in the variable
// (points: one row); cells come in the order of rows and columns.
//
// Values: read in their stored type and decoded once, here, by the CF
// attributes (the library's own unpacking is not used):
//   missing: _FillValue (else the type's default fill, bytes excepted,
//   unless filling is off), each missing_value, outside valid_range or
//   valid_min/valid_max (compared in the stored type's values), NaN;
//   then value * scale_factor + add_offset in double, rounded to float
//   (_Unsigned = "true" reads byte, short and int as unsigned). A result
//   that is not finite as a float is missing too. Missing is the run's flag.
//
// Time: each step's calendar month; a month without a step is missing in
// every cell; two steps in one month is the failure "not monthly". The
// months run from January of the first year to December of the last.
//
// Memory: the file is read in blocks of cells (all steps of a band of whole
// rows, or of part of one row when a row is too long), each block's raw and
// decoded values together under GridRequest::band_bytes. --near reads its
// cells in batches, each the box of rows and columns around them.
//
// A run: open_grid, then next_grid_station until it says `end` (or
// `fault`); rewind_grid starts the sequence again; the file closes when the
// GridSource goes out of scope (or with close_grid).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mask/station.h"
#include "sources/cf_time.h"
#include "sources/geometry.h"
#include "sources/netcdf_status.h"

namespace versel {

// Bytes a block of the file may take in memory, raw and decoded values
// together.
inline constexpr std::size_t kGridBandBytes = std::size_t{32} << 20;
// Years a time axis may span.
inline constexpr std::int64_t kGridMaxYears = 10000;

struct GridRequest {
  std::string path;
  std::string variable;  // --var; empty: the file's one gridded variable
  float flag = 0.0f;     // the run's missing-value flag: missing months hold it
  bool has_region = false;
  Region region;         // --region: cells whose centres lie in the box
  bool has_near = false;
  NearSite near;         // --near: the `count` cells with data nearest the site
  std::size_t band_bytes = kGridBandBytes;
};

enum class GridKind : std::uint8_t { axes, curvilinear, points };

// The horizontal layout of a grid, or of a window of it: `rows` x `cols`
// cells, row-major.
struct GridGeometry {
  GridKind kind = GridKind::axes;
  std::int64_t rows = 0;
  std::int64_t cols = 0;
  std::string row_dim, col_dim;  // the dimensions' names in the file (row_dim empty: points)
  std::string lat_name, lon_name;  // the coordinate variables' names in the file
  // axes: the coordinate of each row and each column; the rows are
  // latitudes and the columns longitudes unless the file has them the
  // other way round (rows_are_latitude false)
  bool rows_are_latitude = true;
  std::vector<double> row_axis, col_axis;
  // curvilinear, points: each cell's latitude and longitude, row-major
  std::vector<double> lat, lon;
};

// Latitude and longitude of cell (row, col) of a geometry.
double cell_latitude(const GridGeometry& g, std::int64_t row, std::int64_t col);
double cell_longitude(const GridGeometry& g, std::int64_t row, std::int64_t col);

// How the values of the variable are stored and decoded.
struct GridPacking {
  int type = 0;                 // the netCDF type as stored
  bool is_unsigned = false;     // _Unsigned = "true"
  std::vector<double> missing;  // values (as stored) that mean missing
  bool has_min = false, has_max = false;
  double valid_min = 0.0, valid_max = 0.0;  // as stored
  bool scaled = false;          // scale_factor or add_offset given
  double scale = 1.0, offset = 0.0;
};

// An open grid and where the sequence of its stations stands.
struct GridSource {
  // what open_grid found
  std::string path;
  std::string variable;     // the variable read
  std::string units;        // its units attribute, empty when it has none
  std::string long_name;    // its long_name (else standard_name), may be empty
  GridGeometry grid;        // the whole grid
  std::int32_t first_year = 0;  // the time axis: January of first_year ...
  std::int32_t last_year = 0;   // ... to December of last_year
  std::int64_t steps = 0;       // time steps in the file

  // the selection: the window of rows and columns that holds every
  // selected cell (all of the grid without --region)
  std::int64_t win_row = 0, win_col = 0, win_rows = 0, win_cols = 0;

  // counts of the pass so far: cells the selection covers (--near: cells
  // read), of them stations yielded, and cells without a valid month
  std::int64_t cells_total = 0;
  std::int64_t cells_with_data = 0;
  std::int64_t cells_without_data = 0;

  // the station yielded last: its cell in the file and in the window
  // (row-major index), and with --near its distance from the site
  std::int64_t row = 0, col = 0;
  std::int64_t window_cell = 0;
  double distance_km = 0.0;

  // --- the reading itself, kept by netcdf_grid.cpp ---
  NetcdfFile file;
  int varid = -1;
  GridPacking packing;
  float flag = 0.0f;
  std::size_t band_bytes = kGridBandBytes;
  int rank = 0;                      // the variable's dimensions
  int time_pos = -1, row_pos = -1, col_pos = -1;  // their places in the variable
  std::vector<std::int64_t> slot;    // each step's month: index into the months
  std::int64_t month_count = 0;      // 12 x years
  bool region_on = false;            // --region: only cells in `region`
  Region region;
  // blocks: rows [block_row, block_row + block_rows) x columns
  // [block_col, block_col + block_cols), within the window
  std::int64_t band_rows = 0, band_cols = 0;
  std::int64_t block_row = 0, block_col = 0, block_rows = 0, block_cols = 0;
  std::int64_t next_cell = 0;        // the block's next cell, row-major in the block
  std::int64_t next_data = 0;        // the next of its cells with data
  bool block_loaded = false;
  std::vector<unsigned char> raw;    // a block as stored
  std::vector<unsigned char> has_data;  // per block cell: a valid month (and selected)
  std::vector<std::int64_t> data_cells;  // the block cells with data, in order
  std::vector<float> decoded;        // their months, month_count each, in that order
  std::vector<std::int64_t> cell_base;  // per block cell: its first value in `raw`
  // --near: the site, the cells wanted, the nearest window cells found so
  // far (by distance, then index), the next of them to read, whether they
  // are all the window's cells, and the batch of them the block holds (up
  // to near_batch_end) and the size of the next batch
  bool near_on = false;
  NearSite near;
  std::vector<std::int64_t> near_order;
  std::size_t near_next = 0;
  bool near_all = false;
  std::size_t near_batch_end = 0;
  std::size_t near_batch = 1;
};

// Opens the file and its variable, decodes the time axis and lays out the
// selection. False with `error` (kMsg... of netcdf_messages.h, naming the
// file and the variable or attribute) when the file cannot be read, is not
// netCDF, is cut short, or holds no variable that can be read as a grid of
// monthly values.
bool open_grid(GridSource& src, const GridRequest& request, std::string& error);

enum class GridRead : std::uint8_t { station, end, fault };

// The next cell with data as a station: d.header is its centre (see
// centre_text), has_header and has_coordinates are true, RLAT/RLON its centre
// (longitude in the file's convention), first_year the time axis's,
// months 12 per year from January of first_year to December of last_year,
// missing months the flag. Cells without data are passed over and counted.
// Without --near: in the order of rows and columns; with --near: nearest
// first, the count asked for at most. `fault` with `error` when the library
// fails to read the values.
GridRead next_grid_station(GridSource& src, StationData& d, std::string& error);

// Starts the sequence of stations again (the counts too).
void rewind_grid(GridSource& src);

// The years of the time axis, without reading a value (for the pre-scan of
// mat output: every station of a grid spans them).
void grid_year_span(const GridSource& src, std::int32_t& first_year, std::int32_t& last_year);

// The geometry of the selection's window: rows win_row.., columns win_col..
// of the grid. A station's window_cell indexes it.
GridGeometry grid_window(const GridSource& src);

// Closes the file.
void close_grid(GridSource& src);

// A centre as a station's name: latitude, a blank, longitude, each the
// shortest decimal text without exponent that reads back as the same float
// ("52.25 -1.75", "0.1 359.9"); -0 is written 0.
std::string centre_text(float latitude, float longitude);

// One value as stored, decoded (missing -> flag).
float decode_value(const GridPacking& p, double stored, float flag);

}  // namespace versel
