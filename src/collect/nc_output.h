// The nc output kind: the seasonal values of a run as a CF-1.8 netCDF file.
//
// A grid input gives a grid: dimensions time and the grid's own (lat, lon
// for axes, in the input's order; y, x with 2-D lat and lon for a
// curvilinear grid), one float variable per climate variable over (time,
// rows, columns), and NAME_mean over (rows, columns). A station input gives
// a discrete-sampling-geometry file of featureType timeSeries: dimensions
// station and time, lat(station), lon(station), station_name(station,
// name_strlen) with cf_role timeseries_id, values over (station, time) and
// NAME_mean over (station).
//
// Names. A climate variable's short name (mask/variable_names.h) becomes a
// CF name: "-" before the year offset becomes "_p" (previous), "+" before
// it "_n" (next), "+" between months and any other character that is not a
// letter, digit or underscore "_"; a name that does not start with a letter
// gets "v_" before it; a name already taken (by another variable, or by
// time, time_bnds, year, lat, lon, station_name, a NAME_mean or NAME_n)
// gets "_2", "_3", ... after it.
//   MJJA-1_avg -> MJJA_p1_avg, May+1 -> May_n1, May+Jun+Sep_avg -> May_Jun_Sep_avg
// The short name itself is the variable's attribute short_name and opens
// its long_name: "MJJA-1_avg: mean of May-1 Jun-1 Jul-1 Aug-1"; the months
// (1-12) and their years relative to the label are the int attributes
// months and year_offsets. cell_methods: "time: mean" for an average,
// "time: sum" for a sum, "time: point" for a single month. _FillValue is the
// run's flag; units are the input's.
//
// Time. One step per output year: time in "days since 1850-01-01 00:00:00"
// of the proleptic_gregorian calendar at the middle of the label year
// (half-way between its 1 January and the next: 1901 runs from day 18627
// to 18992, its time is 18809.5), time_bnds
// from 1 January of the label year to 1 January of the next, and the int
// variable year with the label itself.
//
// Ranges. Each value and mean variable with a valid value gets the
// attribute actual_range (its least and greatest valid value) when the file
// is finished; the header keeps room for them, so that adding them moves no
// data.
//
// Means. NAME_mean holds each cell's or station's long-term mean exactly as
// grd computes it: the float sum of its valid values in year order divided
// by their count, the flag where none is valid; its attributes first_year
// and last_year give the file's output years. NAME_n (short, only when the
// plan asks for counts) holds the valid months behind each value.
//
// Writing. Values are gathered in memory for a band of rows (grid) or a
// block of stations, at most NcOutputPlan::band_bytes, and written as
// hyperslabs; rows and stations never put are written as missing. The file
// goes where it is told (a temporary name the caller renames when
// finish_nc_output succeeds). Every failure is returned as a message that
// names the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "capacities.h"
#include "collect/nc_common.h"
#include "mask/station.h"
#include "mask/variable_names.h"
#include "sources/netcdf_grid.h"
#include "sources/netcdf_status.h"

namespace versel {

inline constexpr std::size_t kNcBandBytes = std::size_t{32} << 20;
// The time axis's origin and calendar.
inline constexpr std::string_view kNcTimeUnits = "days since 1850-01-01 00:00:00";
inline constexpr std::string_view kNcTimeCalendar = "proleptic_gregorian";

struct NcOutputPlan {
  NcShape shape = NcShape::grid;
  GridGeometry grid;          // grid: the cells written (axes or curvilinear)
  std::int64_t stations = 0;  // stations: how many will be put; 0: not known (an unlimited dimension)
  std::size_t name_length = kLineLength;  // stations: characters of a name kept
  std::int32_t first_year = 0;  // the output years (labels) of the file
  std::int32_t last_year = 0;
  std::vector<ClimateVariable> variables;  // climate_variables(mask)
  std::string units;          // the input's units, empty for none
  float flag = 0.0f;          // missing values
  std::string mask;           // global attributes: the mask, --min-months, title, source, history
  std::int32_t min_months = 0;
  bool counts = false;        // write NAME_n
  std::string title = "seasonal climate values";
  std::string source;
  std::string history;
  bool netcdf4 = false;       // netCDF-4 (classic model, deflated); else 64-bit offset
  std::size_t band_bytes = kNcBandBytes;
};

// One climate variable in the file.
struct NcVariable {
  std::string name;      // the CF name
  int values = -1;       // variable ids
  int mean = -1;
  int count = -1;
  // the range of the valid values and means put, for actual_range
  bool any_value = false, any_mean = false;
  float low = 0.0f, high = 0.0f, mean_low = 0.0f, mean_high = 0.0f;
};

// A file being written.
struct NcWriter {
  NetcdfFile file;
  std::string path;
  NcOutputPlan plan;
  std::vector<NcVariable> vars;
  std::int64_t years = 0;
  int lat_id = -1, lon_id = -1, name_id = -1;
  // the band (grid: rows; stations: stations) gathered in memory
  std::int64_t band_first = 0;   // its first row or station
  std::int64_t band_size = 0;    // rows or stations it holds at most
  std::int64_t row_cells = 1;    // cells of a row (grid), 1 (stations)
  std::int64_t last_put = -1;    // the cell or station put last
  std::int64_t total = 0;        // rows (grid) or stations planned (0: not known)
  std::vector<float> values;     // [variable][year][band cell]
  std::vector<float> means;      // [variable][band cell]
  std::vector<std::int16_t> counts;  // [variable][year][band cell]
  std::vector<double> lats, lons;    // stations: the band's coordinates
  std::vector<char> names;           // stations: the band's names, name_length each
};

// Creates the file, defines every dimension, variable and attribute, and
// writes the coordinates (grid) and the time axis. False with `error` when
// the file cannot be created or the plan cannot be written (no climate
// variable, last_year before first_year, a grid of points or without
// cells, coordinates that do not match the grid's rows and columns).
bool begin_nc_output(NcWriter& w, const std::string& path, const NcOutputPlan& plan, std::string& error);

// Puts the values of grid cell `cell` (row-major index in plan.grid), cells
// in increasing order. `counts`, when not null, holds st.NYC x st.NCV valid
// months laid out as st.Y. False with `error` when the cell lies outside the
// grid or comes before one put already, the station's years lie outside
// the plan's, or its variables are not the plan's.
bool put_nc_cell(NcWriter& w, std::int64_t cell, const Station& st, const std::int32_t* counts,
                 std::string& error);

// Puts the next station of a station file: its name (d.header without the
// blanks around it, cut to plan.name_length; the station's number from 1
// when it has none), its coordinates (missing when it has none), its values
// and optional counts as put_nc_cell.
bool put_nc_station(NcWriter& w, const StationData& d, const Station& st, const std::int32_t* counts,
                    std::string& error);

// Writes what is gathered, the rows or stations never put as missing, and
// closes the file. False with `error` when a write or the closing fails.
bool finish_nc_output(NcWriter& w, std::string& error);

// Closes the file without finishing it (after a failure; the caller removes it).
void abandon_nc_output(NcWriter& w);

// The CF names of the climate variables, by the rule above.
std::vector<std::string> cf_variable_names(const std::vector<ClimateVariable>& variables);

// Days since 1850-01-01 (proleptic Gregorian) of 1 January of `year`.
double nc_year_start(std::int32_t year);

}  // namespace versel
