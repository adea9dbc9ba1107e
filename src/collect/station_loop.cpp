// The station loop: each station of the source read, reduced, and its
// values written (tsf, csv), placed in the matrix (mat) or turned into its
// long-term means (grd), until the source has no further station.
#include "collect/station_loop.h"

#include <algorithm>
#include <span>
#include <string>

#include "collect/writers.h"
#include "mask/clired.h"
#include "mask/mask_shape.h"
#include "records/failure.h"
#include "records/io.h"
#include "records/progress.h"

namespace versel {
namespace {

// Fills a station's column of MATRIX: output year i goes to the year block
// of its label, IFC - MIN1 + 1; every other cell holds the flag.
void copy_station(const RunSettings& s, const Station& st, std::int32_t NGRID, ResultTables& t) {
  // the pre-scan reads the stations as the loop does: a station that leaves
  // the table is a fault of the program, never written past the table
  std::int64_t first = static_cast<std::int64_t>(st.IFC) - t.MIN1 + 1;
  std::int64_t last = first + st.NYC - 1;
  if (NGRID > t.MATRIX.columns || (st.NYC >= 1 && (first < 1 || last > t.ISTOP)))
    fail_run({"station " + std::to_string(NGRID) + ": the years " + std::to_string(st.IFC) +
              " to " + std::to_string(st.IFC + st.NYC - 1) +
              " do not fit the rows of the matrix"});
  float* column = t.MATRIX.column(NGRID);
  const std::int64_t rows = t.MATRIX.rows;
  if (st.NYC < 1) {
    std::fill_n(column, rows, s.FLAG);
    return;
  }
  const std::int64_t r0 = (first - 1) * st.NCV;  // the station's first cell, from 0
  const std::int64_t n = static_cast<std::int64_t>(st.NYC) * st.NCV;
  std::fill_n(column, r0, s.FLAG);
  std::copy_n(st.Y.data(), n, column + r0);
  std::fill_n(column + r0 + n, rows - r0 - n, s.FLAG);
}

// The first and last year label over the stations read so far.
void note_labels(const Station& st, ResultTables& t) {
  if (st.NYC < 1) return;
  std::int32_t last = st.IFC + st.NYC - 1;
  if (!t.labelled || st.IFC < t.first_label) t.first_label = st.IFC;
  if (!t.labelled || last > t.last_label) t.last_label = last;
  t.labelled = true;
}

}  // namespace

void station_loop(const RunSettings& s, ResultTables& t, StationSource& source) {
  MaskShape shape = analyse_mask(s.MASK);
  const CsvTable csv = s.FMTCTRL == kCsv ? csv_table(s) : CsvTable{};
  StationData d;
  Station st;
  st.counting = s.FMTCTRL == kCsv || s.FMTCTRL == kNc;  // the valid months behind each value
  t.outliers.flag = s.FLAG;
  std::int32_t NGRID = 1;
  for (;; ++NGRID) {
    if (!next_station(source, d)) break;
    if (s.FMTCTRL == kTsf && d.has_header) write_tsf_header(s, padded_line(d.header));
    if (d.months.empty()) break;  // a header at the end, without a station
    if (s.scan_outliers) scan_months(t.outliers, d.months);
    if (t.chronology.request) {
      // the chronology against the station: its windows, or the mask's variables
      if (!t.chronology.request->screen) clired(st, d, s, shape);
      chronology_station(s, t.chronology, d, st);
      t.longest = std::max(t.longest, d.year_lines());
      if (!t.chronology.request->screen) note_labels(st, t);
      note_progress(NGRID);
      continue;
    }
    clired(st, d, s, shape);
    if (s.FMTCTRL == kTsf) write_tsf_station(s, st);
    else if (s.FMTCTRL == kMat) {
      // one _key line per column of the matrix, in column order
      write_key_line(d.RLAT, d.RLON);
      copy_station(s, st, NGRID, t);
    }
    else if (s.FMTCTRL == kGrd) keep_means(s, d, st, shape.NCV, t);
    else if (s.FMTCTRL == kCsv) write_csv_station(s, csv, NGRID, d, st);
    else if (s.FMTCTRL == kNc) put_nc_run(t.nc, d, st);
    t.NCV = st.NCV;
    note_labels(st, t);
    t.longest = std::max(t.longest, d.year_lines());
    if (!d.has_coordinates) ++t.without_coordinates;
    note_progress(NGRID);
  }
  t.NGRID = NGRID - 1;
  write(kConsole, "(1x,i4,'      data sets read ')", {t.NGRID});
  write(kConsole, "(/1x,'*writing seasonalized values to output files*')", {});
}

}  // namespace versel
