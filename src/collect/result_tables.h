// The result tables of a run, sized from the data: the matrix of every
// station's seasonal values by year block (mat), every station's
// coordinates and long-term means (grd), and the pre-scan's year span.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "collect/chronology_run.h"
#include "collect/nc_run.h"
#include "collect/outliers.h"

namespace versel {

// Frees the cells of a matrix.
struct FreeCells {
  void operator()(float* p) const;
};

// MATRIX(row, column) for rows 1..rows and stations 1..columns, stored by
// column: a station's values are filled in one stretch as it is read, and
// the writer turns blocks of rows around (see write_mat).
struct Matrix {
  std::unique_ptr<float[], FreeCells> cells;
  std::int64_t rows = 0;
  std::int64_t columns = 0;

  float* column(std::int64_t c) {
    return cells.get() + static_cast<std::size_t>((c - 1) * rows);
  }
  const float* column(std::int64_t c) const {
    return cells.get() + static_cast<std::size_t>((c - 1) * rows);
  }
};

struct ResultTables {
  Matrix MATRIX;                     // mat only: ISTOP x NCV rows, one column per station
  std::vector<float> UCV;            // grd: NCV long-term means per station, station by station
  std::vector<float> RLAT3;          // grd: every station's coordinates
  std::vector<float> RLON3;
  std::vector<std::int32_t> ISTART;  // mat: year block of each station's first year
  std::int64_t stations = 0;         // mat: stations the pre-scan found
  std::int32_t ISTOP = 0;
  std::int32_t MIN1 = 0;
  std::int32_t NGRID = 0;
  std::int32_t NCV = 0;  // climate variables per year of the stations read
  // the year labels of every station's output years: the first and the last
  // over all stations; none while no station has an output year
  bool labelled = false;
  std::int32_t first_label = 0;
  std::int32_t last_label = 0;
  std::int32_t longest = 0;             // the most year lines of a station
  std::int64_t without_coordinates = 0;  // stations read without coordinates
  OutlierScan outliers;                  // with s.scan_outliers: every station's months
  NcRun nc;                              // nc: the file being written
  ChronologyRun chronology;              // a run with a chronology
};

// What a run read, for the summary a front end shows at its end.
struct RunTotals {
  std::int32_t stations = 0;  // stations read
  bool labelled = false;      // some station has an output year
  std::int32_t first_label = 0;
  std::int32_t last_label = 0;
  std::int32_t longest = 0;  // the most years of a station, from its first to its last
  std::int64_t stations_without_coordinates = 0;
  std::vector<Outlier> outliers;  // values that may be an undeclared flag
  std::string taken_as_missing;   // what the source took as missing by its own rules
  // a grid's cells with a valid month, and its cells (for the summary)
  std::optional<std::pair<std::int64_t, std::int64_t>> cells;
  std::int64_t passed_over = 0;   // stations --region or --near could not place
  // a screen: its windows' names and masks, and each station's best window
  std::vector<ScreenWindow> windows;
  std::vector<BestWindow> best;
  // stations whose coordinates no one gave (a layout's): shown when the run
  // looks coordinates up or writes them
  std::optional<std::int64_t> without_coordinates;
};

}  // namespace versel
