// Handing out the cells of a grid.
#include "sources/grid_source.h"

#include "records/failure.h"
#include "sources/station_source.h"

namespace versel {

bool open_grid_reader(GridReader& r, const GridRequest& request, std::string& error) {
  if (!open_grid(r.grid, request, error)) return false;
  r.gridded = !request.has_near && r.grid.grid.kind != GridKind::points;
  return true;
}

bool take_grid_station(GridReader& r, StationData& d) {
  std::string error;
  switch (next_grid_station(r.grid, d, error)) {
    case GridRead::station:
      d.name = d.header;
      d.cell = r.gridded ? r.grid.window_cell : -1;
      show_station(d);
      return true;
    case GridRead::end: return false;
    case GridRead::fault: break;
  }
  fail_run({error});
}

void take_grid_year_spans(GridReader& r, std::vector<std::int32_t>& first,
                          std::vector<std::int32_t>& last) {
  // every cell spans the time axis; the cells of the selection bound the
  // stations without reading a value
  std::int32_t from = 0, to = 0;
  grid_year_span(r.grid, from, to);
  const std::int64_t cells = r.grid.near_on ? r.grid.near.count : r.grid.win_rows * r.grid.win_cols;
  first.assign(static_cast<std::size_t>(cells), from);
  last.assign(static_cast<std::size_t>(cells), to);
}

}  // namespace versel
