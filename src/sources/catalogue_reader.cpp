// Reading the stations of a catalogue data set or a typed format: headers,
// coordinates through the header format, and year lines through the data
// format.
#include "sources/catalogue_reader.h"

#include <string>

#include "records/failure.h"
#include "records/io.h"
#include "records/message_text.h"
#include "records/progress.h"
#include "sources/catalogue.h"
#include "sources/data_lines.h"
#include "sources/layout_messages.h"
#include "sources/station_source.h"
#include "sources/year_lines.h"

namespace versel {
namespace {

// The line as a failure shows it: "line: " and its first 100 characters.
std::string shown_line(const std::string& raw) {
  return std::string(kMsgShownLine) + raw.substr(0, kLineLength);
}

// The second line of a station that is no year line: the data format does
// not fit the file. The console shows the line; the dialogue then waits for
// a typed line before it ends the run.
[[noreturn]] void fail_unreadable(const CatalogueReader& r, const std::string& raw) {
  write(kConsole, "(/1x,'error reading line:')", {});
  write(kConsole, "(1x,a)", {padded_line(raw)});
  RunFailure f;
  f.lines = {compose(kMsgNoYearLine, {std::to_string(r.NGRID), trimmed(r.s->FRM)}), shown_line(raw)};
  f.pause = kMsgTerminatePause;
  fail_at_line(std::move(f));
}

// A year that the station cannot take, at the line read last. The dialogue
// names the station by its number before the reason.
[[noreturn]] void fail_year(YearStep step, const StationData& d, std::int64_t year,
                            std::int32_t NGRID, const std::string& raw) {
  const std::string number = std::to_string(NGRID);
  RunFailure f;
  f.lines = {year_fault_text(step, d, year, number), shown_line(raw)};
  f.dialogue_lines = {
      step == YearStep::out_of_range
          ? compose(kMsgDialogueYearOutOfRange, {number, std::to_string(year)})
          : compose(kMsgDialogueYearNotFollowing,
                    {number, std::to_string(year), std::to_string(last_year(d))}),
      shown_line(raw)};
  fail_at_line(std::move(f));
}

// Reads up to the station's first year line: true with the header line in
// d.header when one stands first, or d.has_header false when a year line
// comes first; false at the end of the file.
bool read_header(const CatalogueReader& r, StationData& d) {
  d.has_header = false;
  d.header.clear();
  d.months.clear();
  std::string raw;
  for (;;) {
    if (read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::end) return false;
    if (is_blank_line(raw)) continue;
    std::int32_t IYR = 0;
    std::array<float, 12> CL{};
    if (read_year_line(*r.s, raw, IYR, CL)) {
      backspace(kDataUnit);  // a station without header: the line is its first year
      return true;
    }
    d.has_header = true;
    d.header = raw;
    return true;
  }
}

// Latitude and longitude from the header through the header format: the
// centre of the box for a data set whose header holds one, two reals for
// the others.
void read_coordinates(const RunSettings& s, StationData& d) {
  const std::string LINE = padded_line(d.header);
  if (data_set_traits(s.IFMT).box_header) {
    write(kConsole, "(1x,'line:',a,)", {LINE});
    std::int32_t LAT1 = 0, LAT2 = 0, LON1 = 0, LON2 = 0;
    read(internal(LINE), held(view(s.FRM3)), {to(LAT1), to(LAT2), to(LON1), to(LON2)});
    d.RLAT = static_cast<float>(LAT1) + static_cast<float>(LAT2 - LAT1) / 2.0f;
    d.RLON = static_cast<float>(LON1) + static_cast<float>(LON2 - LON1) / 2.0f;
  } else {
    read(internal(LINE), held(view(s.FRM3)), {to(d.RLAT), to(d.RLON)});
  }
  d.has_coordinates = true;
}

// The station's year lines up to the next header, which it steps back over,
// or the end of the file.
void read_year_lines(const CatalogueReader& r, StationData& d) {
  std::string raw;
  const std::string station = std::to_string(r.NGRID);
  for (;;) {
    if (read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::end) return;
    if (is_blank_line(raw)) continue;
    std::int32_t IYR = 0;
    std::array<float, 12> CL{};
    if (!read_year_line(*r.s, raw, IYR, CL)) {
      if (d.months.empty()) fail_unreadable(r, raw);
      backspace(kDataUnit);  // the next station's header
      return;
    }
    const YearStep step = append_year_line(d, IYR, CL, r.s->FLAG, station);
    if (step != YearStep::added) fail_year(step, d, IYR, r.NGRID, raw);
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

CatalogueReader catalogue_reader(const RunSettings& s, bool coordinates) {
  CatalogueReader r{&s, coordinates, 0, {}};
  // a box header gives four numbers, any other two
  const std::size_t fields = data_set_traits(s.IFMT).box_header ? 4 : 2;
  if (!trimmed(s.FRM3).empty() && !data_columns(trimmed(s.FRM3), fields, r.coordinate_columns))
    r.coordinate_columns.clear();
  return r;
}

bool next_catalogue_station(CatalogueReader& r, StationData& d) {
  if (!read_header(r, d)) return false;
  ++r.NGRID;
  d.has_coordinates = false;
  d.name.clear();
  if (d.has_header) {
    d.name = line_without_columns(d.header, r.coordinate_columns);
    show_station(d);
    if (r.coordinates) read_coordinates(*r.s, d);
  } else {
    d.RLAT = d.RLON = r.s->FLAG;
  }
  read_year_lines(r, d);
  return !d.months.empty() || d.has_header;
}

void catalogue_year_spans(CatalogueReader& r, std::vector<std::int32_t>& first,
                          std::vector<std::int32_t>& last) {
  bool in_station = false;
  std::string raw;
  while (read_line(file_unit(kDataUnit), raw, kOnEnd) == IoStatus::ok) {
    if (is_blank_line(raw)) continue;
    std::int32_t IYR = 0;
    if (!is_year_line(*r.s, raw, IYR)) {
      in_station = false;
      continue;
    }
    if (!year_in_range(IYR)) {
      StationData none;
      fail_year(YearStep::out_of_range, none, IYR,
                static_cast<std::int32_t>(first.size() + (in_station ? 0 : 1)), raw);
    }
    if (!in_station) {
      in_station = true;
      first.push_back(IYR);
      last.push_back(IYR);
      note_progress(static_cast<std::int64_t>(first.size()), "scanned");
    }
    last.back() = IYR;
  }
  rewind_catalogue(r);
}

void rewind_catalogue(CatalogueReader& r) {
  rewind(kDataUnit);
  skip_lines(r.s->skip);
  const DataSet* row = known_data_set(r.s->IFMT);
  if (row && row->first_line == FirstLine::skipped) {
    std::string raw;
    read_line(file_unit(kDataUnit), raw);  // the file's own header line
  }
  r.NGRID = 0;
}

}  // namespace versel
