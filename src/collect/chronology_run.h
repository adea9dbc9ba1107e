// A run that correlates a tree-ring chronology with the climate of every
// station instead of writing the climate: with a mask, the correlation with
// each of its climate variables (_corr); with --screen, with every window of
// months (_screen), the best window of each station, and the picture of the
// first stations' screens.
//
// Outputs, by kind, on the output units of the run:
//   csv  _corr.csv    station,name,lat,lon,variable,n,r,low,high,p
//        _screen.csv  station,name,lat,lon,window,mask,first_month,months,n,r,low,high,p
//   grd  one line per station: latitude and longitude (f8.2), then for
//        each variable r (f8.3), n (f8.2) and p (f9.4) (_corr), or the best
//        window's r (f8.3), first month (from January of the label year: -7
//        is June of the year before) and length (f8.2 each) (_screen); the
//        flag where missing
//   nc   the same as 2-D fields of a grid input, or per station
//   and for a screen the picture _screen.svg on the second unit.
// A missing correlation is an empty csv field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "collect/nc_fields.h"
#include "collect/screen.h"
#include "collect/screen_svg.h"
#include "mask/station.h"
#include "run_settings.h"
#include "sources/chronology.h"
#include "sources/station_source.h"

namespace versel {

// What the command line asks of a chronology.
struct ChronologyRequest {
  const Chronology* chronology = nullptr;  // null: no chronology, the mask's values are written
  bool screen = false;
  ScreenSettings settings;  // span, longest window, min_months, method, min_years, bootstrap
  std::uint64_t seed = 1;
};

// A station's best window, for the line a run shows of it.
struct BestWindow {
  std::int64_t station = 0;  // from 1
  std::string name;
  bool found = false;       // a window has a correlation
  std::size_t window = 0;   // its index in the run's windows
  Correlation result;
};

// What a chronology run keeps from station to station.
struct ChronologyRun {
  const ChronologyRequest* request = nullptr;
  std::vector<ScreenWindow> windows;  // --screen
  std::vector<std::string> names;     // the variables (with a mask) or windows
  ResampleDraws draws;
  ScreenWork work;
  std::vector<Correlation> results;
  std::vector<ScreenPanel> panels;    // the first kScreenPanels stations of a screen
  std::vector<BestWindow> best;       // every station of a screen
  NcFields fields;                    // nc: every station's results
  bool gridded = false;               // nc: put by the cells of the source's grid
  std::vector<double> field_values;   // nc: one station's
  std::int64_t stations = 0;
  std::string row;                    // scratch for a station's rows
};

// Prepares the run: the windows, the draws and, for nc, the fields of the
// file (the layout of the source's grid); writes the csv title row.
void begin_chronology_run(const RunSettings& s, const ChronologyRequest& request,
                          const StationSource& source, ChronologyRun& run);

// Correlates one station (st is its reduction by the mask, unused by a
// screen) and writes or keeps what the output kind takes of it.
void chronology_station(const RunSettings& s, ChronologyRun& run, const StationData& d,
                        const Station& st);

// Writes what is kept (the nc file, the picture).
void finish_chronology_run(const RunSettings& s, ChronologyRun& run);

// "JJA-1_avg" for a window, "Jun-1" for its first month: the names of the
// csv; the title of the picture: "CAN001 Big Bend".
std::string chronology_title(const Chronology& c);

}  // namespace versel
