// --region and --near for the stations of any source but a grid (which
// selects its cells itself, reading no more than it needs): the stations
// whose coordinates lie in the box, or the N nearest to a site, nearest
// first. Stations without coordinates cannot be placed: they are passed
// over and counted.
#pragma once

#include <cstdint>
#include <vector>

#include "mask/station.h"
#include "sources/geometry.h"

namespace versel {

// The stations a selection kept, handed out as a source of their own.
struct StationList {
  std::vector<StationData> stations;
  std::size_t next = 0;
  std::int64_t passed_over = 0;  // stations without coordinates
};

struct StationSelection {
  bool has_region = false;
  Region region;
  bool has_near = false;
  NearSite near;
};

// Whether a station of coordinates (latitude, longitude) is kept by the
// region: always without one.
bool kept_by_region(const StationSelection& s, double latitude, double longitude);

// The operations of the list as a source (station_source.h).
bool take_listed_station(StationList& l, StationData& d);
void listed_year_spans(const StationList& l, std::vector<std::int32_t>& first,
                       std::vector<std::int32_t>& last);

}  // namespace versel
