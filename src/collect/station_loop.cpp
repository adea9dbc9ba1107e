// The station loop: each station read, its header taken, reduced, and its
// values written (tsf), placed in the matrix (mat) or turned into its
// long-term means (grd), until the data file has no further station.
#include "collect/station_loop.h"

#include <algorithm>
#include <span>
#include <string>

#include "collect/writers.h"
#include "sources/station_reader.h"
#include "mask/clired.h"
#include "mask/mask_shape.h"
#include "records/failure.h"
#include "records/io.h"
#include "records/progress.h"

namespace versel {
namespace {

// The first `n` characters of a line, filled with blanks.
std::string padded(const std::string& line, std::size_t n) {
  std::string s = line.substr(0, n);
  s.resize(n, ' ');
  return s;
}

// Latitude and longitude from the header through the header format: the
// centre of the box for data sets 1 and 2, two reals for the others.
void read_coordinates(const RunSettings& s, const std::string& LINE, float& RLAT, float& RLON) {
  if (s.IFMT == 1 || s.IFMT == 2) {
    write(kConsole, "(1x,'line:',a,)", {LINE});
    std::int32_t LAT1 = 0, LAT2 = 0, LON1 = 0, LON2 = 0;
    read(internal(LINE), held(view(s.FRM3)), {to(LAT1), to(LAT2), to(LON1), to(LON2)});
    RLAT = static_cast<float>(LAT1) + static_cast<float>(LAT2 - LAT1) / 2.0f;
    RLON = static_cast<float>(LON1) + static_cast<float>(LON2 - LON1) / 2.0f;
  } else {
    read(internal(LINE), held(view(s.FRM3)), {to(RLAT), to(RLON)});
  }
}

// The station's header: echoed, written to the _sea file (tsf), its
// coordinates read (mat, grd). A station without header shows nothing; its
// coordinates are the flag.
void take_header(const RunSettings& s, StationData& d) {
  d.has_coordinates = false;
  if (!d.has_header) {
    d.RLAT = d.RLON = s.FLAG;
    return;
  }
  std::string LINE = padded(d.header, kLineLength);
  if (s.FMTCTRL == kTsf) {
    write_tsf_header(s, LINE);
    write(kConsole, "(1x,'reading in:',1x,a)", {LINE});
  } else if (s.FMTCTRL == kMat || s.FMTCTRL == kGrd) {
    write(kConsole, "(1x,'reading in:',1x,a)", {LINE});
    read_coordinates(s, LINE, d.RLAT, d.RLON);
    d.has_coordinates = true;
  } else if (s.FMTCTRL == kCsv && !trimmed(s.FRM3).empty()) {
    // csv: coordinates when the layout has a header format
    read_coordinates(s, LINE, d.RLAT, d.RLON);
    d.has_coordinates = true;
  }
}

// A layout's station, named and placed by its reader: its name is shown
// and, for tsf, written as its header line, as data sets 7 to 13 write
// theirs.
void take_name(const RunSettings& s, const StationData& d) {
  std::string LINE = padded(d.header, kLineLength);
  if (s.FMTCTRL == kTsf) write(file_unit(kSeaUnit), "(1x,a)", {LINE});
  write(kConsole, "(1x,'reading in:',1x,a)", {LINE});
}

// The next station of the source, its header taken; false at the end of
// the data.
bool next_station(const RunSettings& s, StationSource source, StationData& d, std::int32_t NGRID) {
  if (source.layout) {
    if (!take_layout_station(*source.layout, d)) return false;
    take_name(s, d);
    return true;
  }
  if (!read_header(d, s)) return false;
  take_header(s, d);
  read_year_lines(d, s, NGRID);
  return !d.months.empty();  // a header at the end of the file: no station
}

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

void station_loop(const RunSettings& s, ResultTables& t, StationSource source) {
  MaskShape shape = analyse_mask(s.MASK);
  const CsvTable csv = s.FMTCTRL == kCsv ? csv_table(s) : CsvTable{};
  StationData d;
  Station st;
  std::int32_t NGRID = 1;
  for (;; ++NGRID) {
    if (!next_station(s, source, d, NGRID)) break;
    clired(st, d, s, shape);
    if (s.FMTCTRL == kTsf) write_tsf_station(s, st);
    else if (s.FMTCTRL == kMat) {
      // one _key line per column of the matrix, in column order
      write_key_line(d.RLAT, d.RLON);
      copy_station(s, st, NGRID, t);
    }
    else if (s.FMTCTRL == kGrd) keep_means(s, d, st, shape.NCV, t);
    else if (s.FMTCTRL == kCsv) write_csv_station(s, csv, NGRID, d, st);
    t.NCV = st.NCV;
    note_labels(st, t);
    note_progress(NGRID);
  }
  t.NGRID = NGRID - 1;
  write(kConsole, "(1x,i4,'      data sets read ')", {t.NGRID});
  write(kConsole, "(/1x,'*writing seasonalized values to output files*')", {});
}

}  // namespace versel
