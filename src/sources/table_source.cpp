// Handing out the stations of a table.
#include "sources/table_source.h"

#include "sources/station_source.h"

namespace versel {
namespace {

// The code --coords knows a station by: its code, else the file's name
// without its extension ("0101.csv" -> "0101").
std::string_view lookup_code(const Table& t, const TableStation& st) {
  if (!st.code.empty()) return st.code;
  std::string_view name = t.file_name;
  const std::size_t dot = name.rfind('.');
  return dot == 0 || dot == std::string_view::npos ? name : name.substr(0, dot);
}

}  // namespace

bool take_table_station(TableReader& r, StationData& d) {
  const std::size_t at = r.table.next;
  if (!next_table_station(r.table, d)) return false;
  if (r.coords != nullptr) {
    const TableStation& st = r.table.stations[at];
    if (const Place* p = find_place(*r.coords, lookup_code(r.table, st))) {
      d.RLAT = p->latitude;
      d.RLON = p->longitude;
      d.has_coordinates = true;
      if (st.name.empty() && !p->name.empty()) d.name = d.header += " " + p->name;
    }
  }
  show_station(d);
  return true;
}

void take_table_year_spans(TableReader& r, std::vector<std::int32_t>& first,
                           std::vector<std::int32_t>& last) {
  table_year_spans(r.table, first, last);
  rewind_table(r.table);
}

}  // namespace versel
