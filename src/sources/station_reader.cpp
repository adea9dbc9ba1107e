// Grouping the lines of a layout into stations, with their names, skipped
// years and coordinates.
#include "sources/station_reader.h"

#include "records/message_text.h"
#include "sources/data_lines.h"
#include "sources/fields.h"
#include "sources/layout_messages.h"
#include "sources/station_source.h"
#include "sources/year_lines.h"
#include "records/failure.h"
#include "records/io.h"
#include "records/progress.h"

namespace versel {
namespace {

StationRead fault_here(const LayoutReader& r, std::string reason, LayoutFault& fault) {
  fault.line = record_number(kDataUnit);
  fault.reason = std::move(reason);
  fault.text = r.line;
  return StationRead::fault;
}

// The code of a station without a name line: its file's name up to the
// extension ("0101.csv" -> "0101").
std::string_view stem(std::string_view base_name) {
  std::size_t dot = base_name.rfind('.');
  return dot == 0 || dot == std::string_view::npos ? base_name : base_name.substr(0, dot);
}

// The station's header and coordinates, once its lines are read.
void finish_station(LayoutReader& r, StationData& d, std::string& name, std::string_view place) {
  for (char& c : name)
    if (c == '\t') c = ' ';
  const Place* p = r.coords ? find_place(*r.coords, place) : nullptr;
  d.has_coordinates = p != nullptr;
  if (p) {
    d.RLAT = p->latitude;
    d.RLON = p->longitude;
    // a name that is no more than a code gets the table's name after it
    if (!p->name.empty() && (r.layout->coded || unquoted(name) == place)) name += " " + p->name;
  } else {
    d.RLAT = d.RLON = r.cut.flag;
    ++r.without_coordinates;
  }
  d.has_header = true;
  d.header = std::move(name);
  d.name = d.header;
  ++r.stations;
}

}  // namespace

StationRead read_layout_station(LayoutReader& r, StationData& d, LayoutFault& fault) {
  const Layout& layout = *r.layout;
  r.cut.sentinels = &r.sentinels;
  d.has_header = false;
  d.header.clear();
  d.months.clear();
  d.first_year = 0;
  std::string name, place;  // free: the last name line seen
  bool named = false;
  // free: the first name line of the paragraph (lines without an empty one
  // between them) that holds the last name line, and whether an empty line
  // stands between the last name line and the year lines
  std::string first_name, first_place;
  bool in_paragraph = false;
  bool gap = false;
  CutLine& c = r.cut_line;
  while (read_data_line(r.line)) {
    const LineKind kind = layout.cut(r.line, r.cut, c);
    if (kind == LineKind::nothing) {
      if (is_empty_line(r.line)) {
        in_paragraph = false;
        gap = named;
      }
      continue;
    }
    if (kind == LineKind::bad) return fault_here(r, std::move(c.reason), fault);
    if (kind == LineKind::name) {
      if (!d.months.empty()) {  // the next station's name
        backspace(kDataUnit);
        break;
      }
      name.assign(c.name);
      place.assign(c.place);
      if (!in_paragraph) {
        first_name = name;
        first_place = place;
        in_paragraph = true;
      }
      named = true;
      gap = false;
      continue;
    }
    if (d.months.empty()) {
      if (!layout.coded && named && gap) {
        // a preamble set apart by an empty line, such as a title and the
        // citations under it: the station takes the title
        name = first_name;
        place = first_place;
      }
      if (layout.coded) {
        r.key.assign(c.name);
        r.key2.assign(c.name2);
        name.assign(c.name);
        if (!c.name2.empty()) name.append(" ").append(c.name2);
        place.assign(c.place);
      } else if (!named) {
        name = r.base_name;
        place = stem(r.base_name);
      }
    } else if (layout.coded && (c.name != r.key || c.name2 != r.key2)) {
      backspace(kDataUnit);  // the next station's first year line
      break;
    }
    const YearStep step = append_year_line(d, c.year, c.months, r.cut.flag, name);
    if (step != YearStep::added) return fault_here(r, year_fault_text(step, d, c.year, name), fault);
  }
  if (d.months.empty()) return StationRead::end;
  finish_station(r, d, name, place);
  return StationRead::station;
}

std::optional<float> layout_flag(const Layout& layout, std::int64_t skip, LayoutFault& fault) {
  if (!layout.flag_by_element) return layout.flag;
  CutSettings settings;
  settings.flag = layout.flag;
  CutLine c;
  std::string line;
  float flag = layout.flag;
  while (read_data_line(line)) {
    const LineKind kind = layout.cut(line, settings, c);
    if (kind == LineKind::bad) {
      fault.line = record_number(kDataUnit);
      fault.reason = std::move(c.reason);
      fault.text = line;
      return std::nullopt;
    }
    if (kind != LineKind::year) continue;
    climdiv_element_flag(c.name.substr(4, 2), flag);
    break;
  }
  rewind(kDataUnit);
  skip_lines(skip);
  return flag;
}

StationRead layout_year_spans(LayoutReader& r, std::int64_t skip, std::vector<std::int32_t>& first,
                              std::vector<std::int32_t>& last, LayoutFault& fault) {
  const std::int64_t stations = r.stations;
  const std::int64_t without = r.without_coordinates;
  const SentinelTally sentinels = r.sentinels;
  StationData d;
  StationRead got;
  while ((got = read_layout_station(r, d, fault)) == StationRead::station) {
    first.push_back(d.first_year);
    last.push_back(d.first_year + d.year_lines() - 1);
    note_progress(static_cast<std::int64_t>(first.size()), "scanned");
  }
  r.stations = stations;
  r.without_coordinates = without;
  r.sentinels = sentinels;
  if (got == StationRead::fault) return got;
  rewind(kDataUnit);
  skip_lines(skip);
  return StationRead::end;
}

std::array<std::string, 2> layout_fault_lines(const LayoutFault& fault) {
  return {compose(kMsgLineFault, {std::to_string(fault.line), fault.reason}),
          std::string(kMsgShownLine) + escaped(fault.text, kLayoutFaultShown, true)};
}

void fail_at_fault(const LayoutFault& fault) {
  RunFailure f;
  f.lines = {fault.reason, layout_fault_lines(fault)[1]};
  f.at_line = fault.line;
  throw f;
}

bool take_layout_station(LayoutReader& r, StationData& d) {
  LayoutFault fault;
  const StationRead got = read_layout_station(r, d, fault);
  if (got == StationRead::fault) fail_at_fault(fault);
  if (got == StationRead::station) show_station(d);
  return got == StationRead::station;
}

void take_layout_year_spans(LayoutReader& r, std::vector<std::int32_t>& first,
                            std::vector<std::int32_t>& last) {
  LayoutFault fault;
  if (layout_year_spans(r, r.skip, first, last, fault) == StationRead::fault) fail_at_fault(fault);
}

void rewind_layout(LayoutReader& r) {
  rewind(kDataUnit);
  skip_lines(r.skip);
}

}  // namespace versel
