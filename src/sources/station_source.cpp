// The operations of the station sources, each carried out by the source's
// own reader.
#include "sources/station_source.h"

#include "capacities.h"
#include "records/io.h"

namespace versel {

bool next_station(StationSource& source, StationData& d) {
  struct Next {
    StationData& d;
    bool operator()(CatalogueReader& r) const { return next_catalogue_station(r, d); }
    bool operator()(LayoutReader& r) const { return take_layout_station(r, d); }
    bool operator()(TableReader& r) const { return take_table_station(r, d); }
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
  };
  std::visit(Spans{first, last}, source);
}

void rewind_source(StationSource& source) {
  struct Rewind {
    void operator()(CatalogueReader& r) const { rewind_catalogue(r); }
    void operator()(LayoutReader& r) const { rewind_layout(r); }
    void operator()(TableReader& r) const { rewind_table(r.table); }
  };
  std::visit(Rewind{}, source);
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
