// Handing out the stations a selection kept.
#include "sources/selection.h"

#include "sources/station_source.h"

namespace versel {

bool kept_by_region(const StationSelection& s, double latitude, double longitude) {
  return !s.has_region || in_region(s.region, latitude, longitude);
}

bool take_listed_station(StationList& l, StationData& d) {
  if (l.next >= l.stations.size()) return false;
  d = l.stations[l.next++];
  show_station(d);
  return true;
}

void listed_year_spans(const StationList& l, std::vector<std::int32_t>& first,
                       std::vector<std::int32_t>& last) {
  for (const StationData& d : l.stations) {
    first.push_back(d.first_year);
    last.push_back(static_cast<std::int32_t>(d.first_year + d.year_lines() - 1));
  }
}

}  // namespace versel
