// The processing steps of a run after the dialogue.
#include "collect/collection.h"

#include <algorithm>
#include <new>
#include <string>

#include "collect/prescan.h"
#include "collect/station_loop.h"
#include "collect/writers.h"
#include "mask/mask_shape.h"
#include "records/failure.h"

namespace versel {
namespace {

// Sizes MATRIX from the pre-scan, every cell the flag: a cell that no station
// fills reads as missing. A table that cannot be allocated ends the run
// before any output line is written.
void make_matrix(const RunSettings& s, ResultTables& t, std::int32_t ncv) {
  std::int64_t rows = std::max<std::int64_t>(0, static_cast<std::int64_t>(t.ISTOP) * ncv);
  std::int64_t columns = t.stations;
  // rows below 2e9 x 24 and columns below the lines of a file: their product
  // fits the arithmetic of doubles, not always that of sizes
  double bytes = static_cast<double>(rows) * static_cast<double>(columns) * sizeof(float);
  const std::string what = "the matrix of " + std::to_string(rows) + " rows and " +
                           std::to_string(columns) + " stations";
  check_memory(what, bytes);
  std::size_t cells = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
  t.MATRIX.cells.reset(new (std::nothrow) float[cells == 0 ? 1 : cells]);
  if (!t.MATRIX.cells) fail_memory(what, bytes);
  std::fill_n(t.MATRIX.cells.get(), cells, s.FLAG);
  t.MATRIX.rows = rows;
  t.MATRIX.columns = columns;
}

}  // namespace

RunTotals collect_and_write(const RunSettings& s) {
  ResultTables t;
  if (s.FMTCTRL == kMat) {
    clired2(s, t);
    make_matrix(s, t, analyse_mask(s.MASK).NCV);
  }
  station_loop(s, t);
  if (s.FMTCTRL == kMat) write_mat(s, t);
  if (s.FMTCTRL == kGrd) write_grd(s, t);
  return RunTotals{t.NGRID, t.labelled, t.first_label, t.last_label};
}

}  // namespace versel
