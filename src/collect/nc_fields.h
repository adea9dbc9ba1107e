// Result fields as a CF-1.8 netCDF file: one value per grid cell or per
// station for each of a few named fields (a correlation map: JJA_avg_r,
// JJA_avg_n, JJA_avg_p per climate variable; a screen of a grid: best_r,
// best_first_month, best_months), so that a map tool draws each field as a
// grid (`gmt grdimage FILE?best_r`).
//
// The file is laid out as the nc output kind lays out the same shape
// (nc_common.h): a grid with lat and lon axes, or y and x with 2-D lat and
// lon, each field a variable over (rows, columns); stations as a file of
// featureType timeSeries with lat, lon and station_name, each field a
// variable over (station). It has no time dimension.
//
// Fields. A real field is a float variable with _FillValue = plan.flag; an
// integer field an int variable with _FillValue kNcFieldIntFill. Each has
// long_name and units (when not empty), its text_attributes, coordinates
// "lat lon" where the cells' coordinates are not axes, and actual_range
// (its least and greatest value) when it holds a value. Global attributes:
// Conventions CF-1.8, title, source, history (when not empty),
// featureType timeSeries for stations, then plan.global_attributes.
//
// Values. Everything is gathered in memory, fields x cells x 4 bytes (plus
// a station's name and coordinates), and written at once by
// write_nc_fields. A value is a double: NaN (or infinite, or beyond the
// range of a float) is missing and written as the fill; an integer field
// takes the value rounded to the nearest integer (halves away from 0), and
// one outside -2147483646..2147483647 is missing. Cells never put are
// missing. A real value equal to plan.flag reads back as missing.
//
// A run: begin_nc_fields (checks the plan), then put_nc_field_cell or
// put_nc_field_station for each result, then write_nc_fields. A put does
// not fail: a misuse (a cell outside the grid, a station on a grid file,
// stations beyond the memory allowed) is kept and write_nc_fields reports
// the first and writes nothing.
//   plan: grid of 2 x 3 axes cells, fields best_r (real), best_months (integer)
//   put_nc_field_cell(f, 4, {0.61, 3})      -> best_r[1][1] = 0.61, best_months[1][1] = 3
//   put_nc_field_cell(f, 5, {NaN, NaN})     -> both missing (as cells 0..3)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "collect/nc_common.h"
#include "mask/station.h"
#include "sources/netcdf_grid.h"

namespace versel {

// The fill of integer fields (the library's default int fill).
inline constexpr std::int32_t kNcFieldIntFill = -2147483647;
// Bytes the values of a file of fields may take in memory.
inline constexpr std::uint64_t kNcFieldsMaxBytes = std::uint64_t{4} << 30;

enum class NcFieldType : std::uint8_t { real, integer };

struct NcField {
  std::string name;       // a CF name: a letter, then letters, digits or underscores ("JJA_avg_r", "best_r")
  std::string long_name;  // "correlation of JJA_avg with chronology CAN001"
  std::string units;      // "1" for r and p, "" for counts (no attribute), "months" ...
  NcFieldType type = NcFieldType::real;
  std::vector<std::pair<std::string, std::string>> text_attributes;  // further attributes of the variable
};

struct NcFieldsPlan {
  NcShape shape = NcShape::grid;
  GridGeometry grid;              // grid: the cells (axes or curvilinear)
  std::size_t name_length = 100;  // stations: characters of a name kept (at least 1)
  std::vector<NcField> fields;
  float flag = -999.9f;           // the fill of real fields
  std::string title, source, history;
  std::vector<std::pair<std::string, std::string>> global_attributes;  // chronology, method, interval, ...
  // The file as the messages of begin_nc_fields and of the puts name it
  // (write_nc_fields names the path it is given).
  std::string file;
};

// The values gathered, by field: real fields in `reals[k]`, integer fields
// in `integers[k]` (the other of the two empty), one value per cell (grid,
// row-major) or per station put.
struct NcFields {
  NcFieldsPlan plan;
  bool planned = false;       // begin_nc_fields succeeded
  std::int64_t cells = 0;     // grid: rows x columns; stations: the stations put
  std::vector<std::vector<float>> reals;
  std::vector<std::vector<std::int32_t>> integers;
  std::vector<char> names;    // stations: plan.name_length characters each, NUL after a shorter name
  std::vector<double> lats, lons;  // stations: kNcCoordinateFill where missing
  std::uint64_t station_bytes = 0;  // stations: the memory one takes
  std::string fault;          // the first misuse of a put, reported by write_nc_fields
};

// Checks the plan and sizes the memory (a grid's cells all missing); writes
// nothing. False with `error` naming plan.file when the plan has no field,
// a field's name is no CF name or is taken (by another field or by lat,
// lon, x, y, station, station_name, name_strlen), a grid cannot be written
// as a grid (check_nc_grid), or the values would take more than
// kNcFieldsMaxBytes.
bool begin_nc_fields(NcFields& f, const NcFieldsPlan& plan, std::string& error);

// The values of grid cell `cell` (row-major in plan.grid): values[k] for
// field k, NaN where missing; a null `values` leaves the cell missing. A
// later put of a cell replaces an earlier one.
void put_nc_field_cell(NcFields& f, std::int64_t cell, const double* values);

// The next station: its name (nc_station_name: d.name, else d.header
// trimmed, else its number from 1), its coordinates (missing when
// !d.has_coordinates), and values[k] for field k as put_nc_field_cell.
void put_nc_field_station(NcFields& f, const StationData& d, const double* values);

// Creates the file at `path` (replacing one there; 64-bit offset format),
// defines and writes everything, and closes it. False with `error` naming
// `path` when the fields were not planned, a put was a misuse, or the
// library fails; the file is then removed.
bool write_nc_fields(const NcFields& f, const std::string& path, std::string& error);

}  // namespace versel
