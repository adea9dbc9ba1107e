// The operations of the station sources, each carried out by the source's
// own reader.
#include "sources/station_source.h"

#include <algorithm>

#include "capacities.h"
#include "records/io.h"

namespace versel {

bool next_station(StationSource& source, StationData& d) {
  struct Next {
    StationData& d;
    bool operator()(CatalogueReader& r) const { return next_catalogue_station(r, d); }
    bool operator()(LayoutReader& r) const { return take_layout_station(r, d); }
    bool operator()(TableReader& r) const { return take_table_station(r, d); }
    bool operator()(GridReader& r) const { return take_grid_station(r, d); }
    bool operator()(StationList& l) const { return take_listed_station(l, d); }
  };
  return std::visit(Next{d}, source);
}

void year_spans(StationSource& source, std::vector<std::int32_t>& first,
                std::vector<std::int32_t>& last) {
  struct Spans {
    std::vector<std::int32_t>& first;
    std::vector<std::int32_t>& last;
    void operator()(CatalogueReader& r) const { catalogue_year_spans(r, first, last); }
    void operator()(LayoutReader& r) const { take_layout_year_spans(r, first, last); }
    void operator()(TableReader& r) const { take_table_year_spans(r, first, last); }
    void operator()(GridReader& r) const { take_grid_year_spans(r, first, last); }
    void operator()(StationList& l) const { listed_year_spans(l, first, last); }
  };
  std::visit(Spans{first, last}, source);
}

void rewind_source(StationSource& source) {
  struct Rewind {
    void operator()(CatalogueReader& r) const { rewind_catalogue(r); }
    void operator()(LayoutReader& r) const { rewind_layout(r); }
    void operator()(TableReader& r) const { rewind_table(r.table); }
    void operator()(GridReader& r) const { rewind_grid(r.grid); }
    void operator()(StationList& l) const { l.next = 0; }
  };
  std::visit(Rewind{}, source);
}

SourceDescription describe_source(const StationSource& source) {
  SourceDescription d;
  if (const auto* r = std::get_if<GridReader>(&source)) {
    d.gridded = r->gridded;
    d.counts_exact = false;
    if (r->gridded) d.grid = grid_window(r->grid);
    d.units = r->grid.units;
    d.variable = r->grid.variable;
    d.cells_with_data = r->grid.cells_with_data;
    d.cells = r->grid.cells_total;
  }
  return d;
}

StationList select_stations(StationSource& source, const StationSelection& selection) {
  StationList list;
  StationData d;
  // --near: the nearest stations so far, by distance and then file order
  // (at most near.count of them, so that memory does not grow with the file)
  struct Near {
    double km;
    std::int64_t order;
    StationData station;
  };
  std::vector<Near> nearest;
  for (std::int64_t order = 0; next_station(source, d); ++order) {
    if (d.months.empty()) break;  // a header at the end, without a station
    if (!d.has_coordinates) {
      ++list.passed_over;
      continue;
    }
    if (!kept_by_region(selection, d.RLAT, d.RLON)) continue;
    if (!selection.has_near) {
      list.stations.push_back(d);
      continue;
    }
    const double km = great_circle_km(selection.near.latitude, selection.near.longitude, d.RLAT, d.RLON);
    if (static_cast<std::int64_t>(nearest.size()) == selection.near.count && km >= nearest.back().km)
      continue;
    auto at = std::upper_bound(nearest.begin(), nearest.end(), km,
                               [](double k, const Near& n) { return k < n.km; });
    nearest.insert(at, Near{km, order, d});
    if (static_cast<std::int64_t>(nearest.size()) > selection.near.count) nearest.pop_back();
  }
  for (Near& n : nearest) list.stations.push_back(std::move(n.station));
  return list;
}

const SentinelTally* sentinels_of(const StationSource& source) {
  if (const auto* r = std::get_if<LayoutReader>(&source)) return &r->sentinels;
  if (const auto* r = std::get_if<TableReader>(&source)) return &r->sentinels;
  return nullptr;
}

std::string padded_line(const std::string& line) {
  std::string s = line.substr(0, kLineLength);
  s.resize(kLineLength, ' ');
  return s;
}

void show_station(const StationData& d) {
  write(kConsole, "(1x,'reading in:',1x,a)", {padded_line(d.header)});
}

}  // namespace versel
