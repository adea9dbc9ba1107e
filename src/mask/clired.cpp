// Reading one station: header, year lines, the step back over the next
// header, then the reduction.
#include "mask/clired.h"

#include <string>

#include "records/failure.h"
#include "records/io.h"
#include "mask/reduction.h"

namespace versel {
namespace {

// The first `n` characters of a line, filled with blanks.
std::string padded(const std::string& line, std::size_t n) {
  std::string s = line.substr(0, n);
  s.resize(n, ' ');
  return s;
}

// The station's header line in the _sea file, laid out by data set.
void write_tsf_header(const RunSettings& s, const std::string& H) {
  Unit sea = file_unit(kSeaUnit);
  std::string_view h = H;
  std::string_view T = view(s.FRMOUT);
  switch (s.IFMT) {
    case 1: write(sea, "(1x,42a1,1x,a)", {cells(h.substr(1, 42), 1), T}); break;
    case 2: write(sea, "(1x,42a1,30a)", {cells(h.substr(1, 43), 1), T}); break;
    case 3:
    case 4: write(sea, "(1x,a41,a)", {h.substr(0, 41), T}); break;
    case 5: write(sea, "(1x,a40,a)", {h.substr(0, 40), T}); break;
    case 6: write(sea, "(1x,a20,a31,a)", {h.substr(0, 20), h.substr(32, 31), T}); break;
    default: write(sea, "(1x,a)", {h}); break;
  }
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
  if (s.FMTCTRL == kMat) write(file_unit(kKeyUnit), "(1x,2(f8.2))", {RLAT, RLON});
}

void take_header(const RunSettings& s, const std::string& LINE, float& RLAT, float& RLON) {
  if (s.FMTCTRL == kTsf) {
    write_tsf_header(s, LINE);
    write(kConsole, "(1x,'reading in:',1x,a)", {LINE});
  } else if (s.FMTCTRL == kMat || s.FMTCTRL == kGrd) {
    write(kConsole, "(1x,'reading in:',1x,a)", {LINE});
    read_coordinates(s, LINE, RLAT, RLON);
  }
}

}  // namespace

bool read_year_line(const RunSettings& s, std::string_view line, std::int32_t& IYR,
                    std::array<float, 12>& CL) {
  return read_year_record(view(s.FRM), line, s.FLAG, IYR, CL);
}

bool year_line_ahead(const RunSettings& s) {
  std::string raw;
  int lines = 0;
  bool found = false;
  while (!found && read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::ok) {
    ++lines;
    std::int32_t IYR = 0;
    std::array<float, 12> CL{};
    found = !is_blank_line(raw) && read_year_line(s, raw, IYR, CL);
  }
  for (int i = 0; i < lines; ++i) backspace(kDataUnit);
  return found;
}

bool is_blank_line(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

void clired(Station& st, const RunSettings& s, const MaskShape& shape, std::int32_t NGRID,
            float& RLAT, float& RLON) {
  MonthlyValues WK;
  std::int32_t NYC = 0;  // year lines so far, gap years included
  std::int64_t last_year = 0;
  int NT = 0;
  std::string raw;
  const std::string station = "station " + std::to_string(NGRID);
  for (;;) {
    if (read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::end) break;
    if (is_blank_line(raw)) continue;
    // a data line is read whole through the data format
    std::int32_t IYR = 0;
    std::array<float, 12> CL{};
    if (read_year_line(s, raw, IYR, CL)) {
      std::int64_t gap = 0;
      if (!year_in_range(IYR))
        fail_run({station + ": year " + std::to_string(IYR) + " is out of range",
                  "line: " + raw.substr(0, kLineLength)});
      if (NYC == 0) {
        st.IFC = IYR;
      } else if (IYR <= last_year) {
        fail_run({station + ": year " + std::to_string(IYR) + " does not follow year " +
                      std::to_string(last_year),
                  "line: " + raw.substr(0, kLineLength)});
      } else {
        gap = IYR - last_year - 1;  // skipped years are missing
      }
      if (NYC + gap + 1 > kMaxYearLines)
        fail_run({station + " has more than " + std::to_string(kMaxYearLines) +
                  " year lines (skipped years included)"});
      for (std::int64_t g = 0; g < gap; ++g, ++NYC)
        for (int m = 0; m < 12; ++m) WK[static_cast<std::size_t>(12 * NYC + m)] = s.FLAG;
      for (int m = 0; m < 12; ++m) WK[static_cast<std::size_t>(12 * NYC + m)] = CL[static_cast<std::size_t>(m)];
      ++NYC;
      last_year = IYR;
      continue;
    }
    if (NYC > 0) {  // the next station's header
      backspace(kDataUnit);
      break;
    }
    std::string LINE = padded(raw, kLineLength);
    if (++NT == 2) {
      write(kConsole, "(/1x,'error reading line:')", {});
      write(kConsole, "(1x,a)", {LINE});
      pause("return to terminate program");
      stop_failed();
    }
    assign(st.TIT, LINE);
    take_header(s, LINE, RLAT, RLON);
  }

  if (NYC == 0) {
    st.EOF_ = true;
    st.NYC = 0;
    return;
  }
  OutputYears years = output_years(NYC, st.IFC, shape);
  st.IFC = years.IFC;
  st.NYC = years.NYC;
  if (st.NYC > kMaxOutputYears)
    fail_run({station + " has more than " + std::to_string(kMaxOutputYears) + " output years"});
  form_variables(WK, st.NYC, s.MASK, shape, s.FLAG, st);
}

}  // namespace versel
