// The processing steps of a run after the dialogue.
#include "collect/collection.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>

#include "collect/prescan.h"
#include "collect/station_loop.h"
#include "collect/writers.h"
#include "mask/mask_shape.h"
#include "records/failure.h"

namespace versel {
namespace {

// Room for `cells` reals, null when there is none. A large table is
// aligned to 2 MiB and asks for huge pages, so that filling it does not
// fault once per 4 KiB page.
float* allocate_cells(std::size_t cells) {
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  std::size_t bytes = (cells == 0 ? 1 : cells) * sizeof(float);
  if (bytes < kHuge) return static_cast<float*>(std::malloc(bytes));
  bytes = (bytes + kHuge - 1) / kHuge * kHuge;
  void* p = std::aligned_alloc(kHuge, bytes);
#ifdef MADV_HUGEPAGE
  if (p) madvise(p, bytes, MADV_HUGEPAGE);
#endif
  return static_cast<float*>(p);
}

// Sizes MATRIX from the pre-scan; the station loop fills every column, the
// flag where a station has no value. A table that cannot be allocated ends
// the run before any output line is written.
void make_matrix(ResultTables& t, std::int32_t ncv) {
  std::int64_t rows = std::max<std::int64_t>(0, static_cast<std::int64_t>(t.ISTOP) * ncv);
  std::int64_t columns = t.stations;
  // rows below 2e9 x 24 and columns below the lines of a file: their product
  // fits the arithmetic of doubles, not always that of sizes
  double bytes = static_cast<double>(rows) * static_cast<double>(columns) * sizeof(float);
  const std::string what = "the matrix of " + std::to_string(rows) + " rows and " +
                           std::to_string(columns) + " stations";
  check_memory(what, bytes);
  std::size_t cells = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
  t.MATRIX.cells.reset(allocate_cells(cells));
  if (!t.MATRIX.cells) fail_memory(what, bytes);
  t.MATRIX.rows = rows;
  t.MATRIX.columns = columns;
}

}  // namespace

void FreeCells::operator()(float* p) const { std::free(p); }

bool needs_coordinates(const RunSettings& s) {
  return s.FMTCTRL == kMat || s.FMTCTRL == kGrd || s.FMTCTRL == kNc ||
         (s.FMTCTRL == kCsv && !trimmed(s.FRM3).empty());
}

RunTotals collect_and_write(const RunSettings& s, StationSource& source, const RunExtras& extras) {
  ResultTables t;
  if (s.FMTCTRL == kMat) {
    clired2(t, source);
    make_matrix(t, analyse_mask(s.MASK).NCV);
  }
  const bool chronology = extras.chronology.chronology != nullptr;
  if (chronology) {
    begin_chronology_run(s, extras.chronology, source, t.chronology);
  } else {
    if (s.FMTCTRL == kCsv) write_csv_head();
    if (s.FMTCTRL == kNc) begin_nc_run(s, extras.nc, source, t.nc);
  }
  station_loop(s, t, source);
  if (chronology) finish_chronology_run(s, t.chronology);
  if (s.FMTCTRL == kNc && !chronology) finish_nc_run(t.nc);
  // columns of stations the pre-scan found and the loop did not read hold
  // the flag (the two read stations alike: there are none)
  for (std::int64_t c = t.NGRID + 1; c <= t.MATRIX.columns; ++c)
    std::fill_n(t.MATRIX.column(c), t.MATRIX.rows, s.FLAG);
  if (s.FMTCTRL == kMat) write_mat(s, t);
  if (s.FMTCTRL == kGrd && !chronology) write_grd(s, t);
  RunTotals totals;
  totals.stations = t.NGRID;
  totals.labelled = t.labelled;
  totals.first_label = t.first_label;
  totals.last_label = t.last_label;
  totals.longest = t.longest;
  totals.stations_without_coordinates = t.without_coordinates;
  if (s.scan_outliers) totals.outliers = find_outliers(t.outliers);
  totals.windows = std::move(t.chronology.windows);
  totals.best = std::move(t.chronology.best);
  return totals;
}

}  // namespace versel
