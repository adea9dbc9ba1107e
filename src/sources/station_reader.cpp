// Grouping the lines of a layout into stations, with their names, skipped
// years and coordinates.
#include "sources/station_reader.h"

#include <exception>

#include "records/message_text.h"
#include "sources/data_lines.h"
#include "sources/fields.h"
#include "sources/layout_messages.h"
#include "records/failure.h"
#include "records/io.h"
#include "records/progress.h"

namespace versel {
namespace {

// Years skipped between two year lines are missing. Years far apart may need
// more memory than there is.
void add_missing_years(StationData& d, std::int64_t years, float flag, const std::string& name) {
  const double bytes =
      (static_cast<double>(d.months.size()) + 12.0 * static_cast<double>(years)) * sizeof(float);
  const std::string what = "the monthly values of station " + name + " up to year " +
                           std::to_string(d.first_year + d.year_lines() + years);
  check_memory(what, bytes);
  try {
    d.months.insert(d.months.end(), 12 * static_cast<std::size_t>(years), flag);
  } catch (const std::exception&) {  // bad_alloc, or beyond what a vector can hold
    fail_memory(what, bytes);
  }
}

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
  ++r.stations;
}

}  // namespace

StationRead read_layout_station(LayoutReader& r, StationData& d, LayoutFault& fault) {
  const Layout& layout = *r.layout;
  d.has_header = false;
  d.header.clear();
  d.months.clear();
  d.first_year = 0;
  std::string name, place;  // free: the last name line seen
  bool named = false;
  std::int64_t last_year = 0;
  CutLine& c = r.cut_line;
  while (read_data_line(r.line)) {
    const LineKind kind = layout.cut(r.line, r.cut, c);
    if (kind == LineKind::nothing) continue;
    if (kind == LineKind::bad) return fault_here(r, std::move(c.reason), fault);
    if (kind == LineKind::name) {
      if (!d.months.empty()) {  // the next station's name
        backspace(kDataUnit);
        break;
      }
      name.assign(c.name);
      place.assign(c.place);
      named = true;
      continue;
    }
    if (d.months.empty()) {
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
      d.first_year = c.year;
    } else if (layout.coded && (c.name != r.key || c.name2 != r.key2)) {
      backspace(kDataUnit);  // the next station's first year line
      break;
    } else if (c.year <= last_year) {
      return fault_here(r, compose(kMsgYearNotFollowing, {std::to_string(c.year),
                                                          std::to_string(last_year), name}),
                        fault);
    } else if (c.year > last_year + 1) {
      add_missing_years(d, c.year - last_year - 1, r.cut.flag, name);
    }
    d.months.insert(d.months.end(), c.months.begin(), c.months.end());
    last_year = c.year;
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
  StationData d;
  StationRead got;
  while ((got = read_layout_station(r, d, fault)) == StationRead::station) {
    first.push_back(d.first_year);
    last.push_back(d.first_year + d.year_lines() - 1);
    note_progress(static_cast<std::int64_t>(first.size()), "scanned");
  }
  r.stations = stations;
  r.without_coordinates = without;
  if (got == StationRead::fault) return got;
  rewind(kDataUnit);
  skip_lines(skip);
  return StationRead::end;
}

std::array<std::string, 2> layout_fault_lines(const LayoutFault& fault) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown = "line: ";
  for (std::size_t i = 0; i < fault.text.size(); ++i) {
    if (i == kLayoutFaultShown) {
      shown += "...";
      break;
    }
    auto c = static_cast<unsigned char>(fault.text[i]);
    if ((c >= 0x20 && c != 0x7f) || c == '\t') {
      shown += static_cast<char>(c);
    } else {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 0xf];
    }
  }
  return {compose(kMsgLineFault, {std::to_string(fault.line), fault.reason}), shown};
}

void fail_at_fault(const LayoutFault& fault) {
  fail_at_line({fault.reason, layout_fault_lines(fault)[1]});
}

bool take_layout_station(LayoutReader& r, StationData& d) {
  LayoutFault fault;
  const StationRead got = read_layout_station(r, d, fault);
  if (got == StationRead::fault) fail_at_fault(fault);
  return got == StationRead::station;
}

}  // namespace versel
