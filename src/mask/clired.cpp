// Reading one station, its header and year lines up to the step back over
// the next header, and its reduction by the mask.
#include "mask/clired.h"

#include <exception>
#include <string>

#include "mask/reduction.h"
#include "records/failure.h"
#include "records/io.h"

namespace versel {
namespace {

// The first `n` characters of a line, filled with blanks.
std::string padded(const std::string& line, std::size_t n) {
  std::string s = line.substr(0, n);
  s.resize(n, ' ');
  return s;
}

// The second line of a station that is no year line: the data format does
// not fit the file. The dialogue shows the line and waits for a typed line
// before it ends the run; without a dialogue it is a failure at that line.
[[noreturn]] void stop_on_unreadable(const RunSettings& s, const std::string& station,
                                     const std::string& raw) {
  write(kConsole, "(/1x,'error reading line:')", {});
  write(kConsole, "(1x,a)", {padded(raw, kLineLength)});
  std::string format(trimmed(s.FRM));
  pause_then_fail("return to terminate program",
                  {station + ": no year line after its header; the data format " + format +
                       " does not read this line",
                   "line: " + raw.substr(0, kLineLength)});
}

// Years skipped between two year lines are missing. Years far apart may need
// more memory than there is.
void add_missing_years(StationData& d, std::int64_t years, float flag, const std::string& station) {
  double bytes = (static_cast<double>(d.months.size()) + 12.0 * static_cast<double>(years)) *
                 sizeof(float);
  const std::string what = "the monthly values of " + station + " up to year " +
                           std::to_string(d.first_year + d.year_lines() + years);
  check_memory(what, bytes);
  try {
    d.months.insert(d.months.end(), 12 * static_cast<std::size_t>(years), flag);
  } catch (const std::exception&) {  // bad_alloc, or beyond what a vector can hold
    fail_memory(what, bytes);
  }
}

}  // namespace

bool read_year_line(const RunSettings& s, std::string_view line, std::int32_t& IYR,
                    std::array<float, 12>& CL) {
  return read_year_record(view(s.FRM), line, s.FLAG, IYR, CL);
}

bool is_year_line(const RunSettings& s, std::string_view line, std::int32_t& IYR) {
  return is_year_record(view(s.FRM), line, IYR);
}

bool is_blank_line(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

bool read_header(StationData& d, const RunSettings& s) {
  d.has_header = false;
  d.header.clear();
  d.months.clear();
  std::string raw;
  for (;;) {
    if (read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::end) return false;
    if (is_blank_line(raw)) continue;
    std::int32_t IYR = 0;
    std::array<float, 12> CL{};
    if (read_year_line(s, raw, IYR, CL)) {
      backspace(kDataUnit);  // a station without header: the line is its first year
      return true;
    }
    d.has_header = true;
    d.header = raw;
    return true;
  }
}

void read_year_lines(StationData& d, const RunSettings& s, std::int32_t NGRID) {
  std::int64_t last_year = 0;
  std::string raw;
  const std::string station = "station " + std::to_string(NGRID);
  for (;;) {
    if (read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::end) return;
    if (is_blank_line(raw)) continue;
    // a data line is read whole through the data format
    std::int32_t IYR = 0;
    std::array<float, 12> CL{};
    if (!read_year_line(s, raw, IYR, CL)) {
      if (d.months.empty()) stop_on_unreadable(s, station, raw);
      backspace(kDataUnit);  // the next station's header
      return;
    }
    if (!year_in_range(IYR))
      fail_at_line({station + ": year " + std::to_string(IYR) + " is out of range",
                "line: " + raw.substr(0, kLineLength)});
    if (d.months.empty()) {
      d.first_year = IYR;
    } else if (IYR <= last_year) {
      fail_at_line({station + ": year " + std::to_string(IYR) + " does not follow year " +
                    std::to_string(last_year),
                "line: " + raw.substr(0, kLineLength)});
    } else if (IYR > last_year + 1) {
      add_missing_years(d, IYR - last_year - 1, s.FLAG, station);
    }
    d.months.insert(d.months.end(), CL.begin(), CL.end());
    last_year = IYR;
  }
}

void clired(Station& st, const StationData& d, const RunSettings& s, const MaskShape& shape) {
  OutputYears years = output_years(d.year_lines(), d.first_year, shape);
  st.IFC = years.IFC;
  st.NYC = years.NYC;
  form_variables(d.months, st.NYC, s.MASK, shape, s.FLAG, st, s.min_months);
}

}  // namespace versel
