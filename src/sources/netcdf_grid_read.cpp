// The netCDF grid reader, reading: the blocks of the file decoded into
// stations, and the cells nearest a site one by one (opening:
// netcdf_grid.cpp).
#include <netcdf.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <queue>

#include "records/message_text.h"
#include "sources/netcdf_grid.h"
#include "sources/netcdf_grid_parts.h"
#include "sources/netcdf_messages.h"

namespace versel {
namespace {

// Steps and cells decoded together when a block is turned from the file's
// order into the stations' (see decode_block_as).
constexpr std::int64_t kCellTile = 16;
constexpr std::int64_t kStepTile = 64;
// The nearest cells looked at first by --near, times the count asked for.
constexpr std::int64_t kNearFirst = 64;
constexpr std::int64_t kNearFactor = 4;

// The start and count of a hyperslab of all steps over rows [row, row +
// rows) and columns [col, col + cols) of the file, and the strides of time,
// row and column in the values it gives.
struct Slab {
  std::vector<std::size_t> start, count;
  std::int64_t time_stride = 0, row_stride = 0, col_stride = 0;
};

Slab slab(const GridSource& src, std::int64_t row, std::int64_t rows, std::int64_t col, std::int64_t cols) {
  Slab s;
  s.start.assign(static_cast<std::size_t>(src.rank), 0);
  s.count.assign(static_cast<std::size_t>(src.rank), 1);
  s.start[static_cast<std::size_t>(src.col_pos)] = static_cast<std::size_t>(col);
  s.count[static_cast<std::size_t>(src.col_pos)] = static_cast<std::size_t>(cols);
  if (src.row_pos >= 0) {
    s.start[static_cast<std::size_t>(src.row_pos)] = static_cast<std::size_t>(row);
    s.count[static_cast<std::size_t>(src.row_pos)] = static_cast<std::size_t>(rows);
  }
  s.count[static_cast<std::size_t>(src.time_pos)] = static_cast<std::size_t>(src.steps);
  std::int64_t stride = 1;
  for (int i = src.rank - 1; i >= 0; --i) {
    if (i == src.time_pos) s.time_stride = stride;
    if (i == src.row_pos) s.row_stride = stride;
    if (i == src.col_pos) s.col_stride = stride;
    stride *= static_cast<std::int64_t>(s.count[static_cast<std::size_t>(i)]);
  }
  return s;
}

// Whether a float variable needs no more than one missing value and the
// float range to be decoded (no scale, no valid range): the common case of
// float grids with a _FillValue, decoded without the general steps.
bool plain_float(const GridPacking& p) {
  return p.type == NC_FLOAT && !p.scaled && !p.has_min && !p.has_max && p.missing.size() <= 1;
}

// Decodes the block as the file gave it (`raw`, the order of the variable's
// dimensions) into the stations' order, in three passes:
// 1. which cells hold a valid month: the values in the file's order, step
//    by step (a run through memory);
// 2. the cells with data, in order (a cell outside --region has none);
// 3. their months, cell after cell, in data_cells' order. When steps lie
//    apart in the file (time before the horizontal dimensions), the turn
//    goes in tiles of kStepTile steps by kCellTile cells so that both sides
//    of a tile stay in the cache; when a cell's steps lie together (time
//    last), cell by cell.
// Cells without data (sea, outside the mask: most cells of a land grid)
// cost only the first pass.
template <typename T, bool kPlain>
void decode_block_as(GridSource& src, const Slab& sl) {
  const T* raw = reinterpret_cast<const T*>(src.raw.data());
  const std::int64_t n = src.block_rows * src.block_cols;
  const GridPacking& p = src.packing;
  const float flag = src.flag;
  // plain floats: the one missing value (NaN when there is none: never equal)
  const float missing = p.missing.empty() ? std::numeric_limits<float>::quiet_NaN()
                                          : static_cast<float>(p.missing[0]);
  auto decoded = [&](T stored) {
    if constexpr (kPlain) {
      const float x = static_cast<float>(stored);
      return (!(std::fabs(x) <= FLT_MAX) || x == missing) ? flag : x;
    } else {
      return decode(p, static_cast<double>(stored), flag);
    }
  };
  auto valid = [&](T stored) {
    if constexpr (kPlain) {
      const float x = static_cast<float>(stored);
      return static_cast<unsigned char>((std::fabs(x) <= FLT_MAX) & (x != missing));
    } else {
      return static_cast<unsigned char>(decode(p, static_cast<double>(stored), flag) != flag);
    }
  };
  std::vector<std::int64_t>& base = src.cell_base;  // each cell's first value in the block
  base.resize(static_cast<std::size_t>(n));
  for (std::int64_t b = 0; b < n; ++b) {
    base[static_cast<std::size_t>(b)] = (b / src.block_cols) * sl.row_stride + (b % src.block_cols) * sl.col_stride;
  }
  const bool cells_in_a_row = sl.col_stride == 1 && (src.block_rows == 1 || sl.row_stride == src.block_cols);

  // 1. cells with a valid month
  src.has_data.assign(static_cast<std::size_t>(n), 0);
  unsigned char* has = src.has_data.data();
  if (sl.time_stride == 1) {
    for (std::int64_t b = 0; b < n; ++b) {
      const T* in = raw + base[static_cast<std::size_t>(b)];
      std::int64_t t = 0;
      while (t < src.steps && !valid(in[t])) ++t;
      has[b] = t < src.steps;
    }
  } else {
    for (std::int64_t t = 0; t < src.steps; ++t) {
      const T* in = raw + t * sl.time_stride;
      if (cells_in_a_row) {
        for (std::int64_t b = 0; b < n; ++b) has[b] |= valid(in[b]);
      } else {
        for (std::int64_t b = 0; b < n; ++b) has[b] |= valid(in[base[static_cast<std::size_t>(b)]]);
      }
    }
  }

  // 2. the cells with data
  src.data_cells.clear();
  for (std::int64_t b = 0; b < n; ++b) {
    if (has[b] && src.region_on &&
        !selected(src, src.win_row + src.block_row + b / src.block_cols,
                  src.win_col + src.block_col + b % src.block_cols)) {
      has[b] = 0;
    }
    if (has[b]) src.data_cells.push_back(b);
  }
  const auto cells = static_cast<std::int64_t>(src.data_cells.size());
  const std::int64_t months = src.month_count;
  if (static_cast<std::int64_t>(src.decoded.size()) < cells * months) {
    src.decoded.resize(static_cast<std::size_t>(cells * months));
  }
  float* out = src.decoded.data();
  if (months != src.steps) std::fill(out, out + cells * months, flag);  // months without a step

  // 3. their months
  const std::int64_t* slot = src.slot.data();
  const std::int64_t* data = src.data_cells.data();
  if (sl.time_stride == 1) {
    for (std::int64_t k = 0; k < cells; ++k) {
      const T* in = raw + base[static_cast<std::size_t>(data[k])];
      float* cell = out + k * months;
      for (std::int64_t t = 0; t < src.steps; ++t) cell[slot[t]] = decoded(in[t]);
    }
    return;
  }
  for (std::int64_t t0 = 0; t0 < src.steps; t0 += kStepTile) {
    const std::int64_t t1 = std::min(src.steps, t0 + kStepTile);
    for (std::int64_t k0 = 0; k0 < cells; k0 += kCellTile) {
      const std::int64_t k1 = std::min(cells, k0 + kCellTile);
      for (std::int64_t t = t0; t < t1; ++t) {
        const T* in = raw + t * sl.time_stride;
        float* at = out + slot[t];
        for (std::int64_t k = k0; k < k1; ++k) at[k * months] = decoded(in[base[static_cast<std::size_t>(data[k])]]);
      }
    }
  }
}

void decode_block(GridSource& src, const Slab& sl) {
  switch (src.packing.type) {
    case NC_BYTE: decode_block_as<std::int8_t, false>(src, sl); break;
    case NC_UBYTE: decode_block_as<std::uint8_t, false>(src, sl); break;
    case NC_SHORT: decode_block_as<std::int16_t, false>(src, sl); break;
    case NC_USHORT: decode_block_as<std::uint16_t, false>(src, sl); break;
    case NC_INT: decode_block_as<std::int32_t, false>(src, sl); break;
    case NC_UINT: decode_block_as<std::uint32_t, false>(src, sl); break;
    case NC_INT64: decode_block_as<std::int64_t, false>(src, sl); break;
    case NC_UINT64: decode_block_as<std::uint64_t, false>(src, sl); break;
    case NC_FLOAT:
      if (plain_float(src.packing)) {
        decode_block_as<float, true>(src, sl);
      } else {
        decode_block_as<float, false>(src, sl);
      }
      break;
    default: decode_block_as<double, false>(src, sl); break;
  }
}

// Reads rows [row, row + rows) x columns [col, col + cols) of the window
// as the block and decodes it.
bool load_cells(GridSource& src, std::int64_t row, std::int64_t rows, std::int64_t col, std::int64_t cols,
                std::string& error) {
  src.block_row = row;
  src.block_col = col;
  src.block_rows = rows;
  src.block_cols = cols;
  const Slab sl = slab(src, src.win_row + row, rows, src.win_col + col, cols);
  const std::int64_t n = rows * cols;
  src.raw.resize(static_cast<std::size_t>(n * src.steps) * type_bytes(src.packing.type));
  const int status = nc_get_vara(src.file.id, src.varid, sl.start.data(), sl.count.data(), src.raw.data());
  if (!netcdf_ok(status, src.path, compose(kMsgWhatValues, {quoted(src.variable)}), error)) return false;
  decode_block(src, sl);
  src.next_cell = 0;
  src.next_data = 0;
  return true;
}

// Reads the block at (block_row, block_col) of the window: band_rows x
// band_cols or what is left of the window.
bool load_block(GridSource& src, std::string& error) {
  return load_cells(src, src.block_row, std::min(src.band_rows, src.win_rows - src.block_row), src.block_col,
                    std::min(src.band_cols, src.win_cols - src.block_col), error);
}

void fill_station(GridSource& src, std::int64_t row, std::int64_t col, StationData& d) {
  const double lat = cell_latitude(src.grid, row, col);
  const double lon = cell_longitude(src.grid, row, col);
  d.has_header = true;
  d.RLAT = static_cast<float>(lat);
  d.RLON = static_cast<float>(lon);
  d.header = centre_text(d.RLAT, d.RLON);
  d.has_coordinates = true;
  d.first_year = src.first_year;
  src.row = row;
  src.col = col;
  src.window_cell = (row - src.win_row) * src.win_cols + (col - src.win_col);
}

// The haversine term of the distance from the site to each window cell,
// ordered: the `want` nearest (by term, then index).
void order_near(GridSource& src, std::size_t want) {
  const GridGeometry& g = src.grid;
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  const double lat0 = src.near.latitude * kRad;
  const double cos0 = std::cos(lat0);
  auto term = [&](double lat, double lon) {
    const double a = std::sin((lat * kRad - lat0) / 2.0);
    const double b = std::sin((lon - src.near.longitude) * kRad / 2.0);
    return a * a + cos0 * std::cos(lat * kRad) * b * b;
  };
  using Entry = std::pair<double, std::int64_t>;
  std::priority_queue<Entry> heap;  // the largest of the nearest on top
  std::int64_t candidates = 0;
  auto offer = [&](double h, std::int64_t index) {
    ++candidates;
    if (heap.size() < want) {
      heap.emplace(h, index);
    } else if (Entry{h, index} < heap.top()) {
      heap.pop();
      heap.emplace(h, index);
    }
  };
  if (g.kind == GridKind::axes) {
    // the term splits into a part of the latitude and a part of the
    // longitude: sin^2(dlat/2) and cos(lat) by latitude, sin^2(dlon/2) by
    // longitude
    auto lat_parts = [&](const std::vector<double>& axis, std::int64_t from, std::int64_t n,
                         std::vector<double>& a, std::vector<double>& cosine) {
      for (std::int64_t i = 0; i < n; ++i) {
        const double lat = axis[static_cast<std::size_t>(from + i)];
        const double s = std::sin((lat * kRad - lat0) / 2.0);
        a.push_back(s * s);
        cosine.push_back(cos0 * std::cos(lat * kRad));
      }
    };
    auto lon_parts = [&](const std::vector<double>& axis, std::int64_t from, std::int64_t n,
                         std::vector<double>& b) {
      for (std::int64_t i = 0; i < n; ++i) {
        const double s = std::sin((axis[static_cast<std::size_t>(from + i)] - src.near.longitude) * kRad / 2.0);
        b.push_back(s * s);
      }
    };
    std::vector<double> a, cosine, b;
    const bool by_row = g.rows_are_latitude;
    if (by_row) {
      lat_parts(g.row_axis, src.win_row, src.win_rows, a, cosine);
      lon_parts(g.col_axis, src.win_col, src.win_cols, b);
    } else {
      lat_parts(g.col_axis, src.win_col, src.win_cols, a, cosine);
      lon_parts(g.row_axis, src.win_row, src.win_rows, b);
    }
    for (std::int64_t r = 0; r < src.win_rows; ++r) {
      for (std::int64_t c = 0; c < src.win_cols; ++c) {
        if (src.region_on && !selected(src, src.win_row + r, src.win_col + c)) continue;
        const auto i = static_cast<std::size_t>(by_row ? r : c);
        const auto j = static_cast<std::size_t>(by_row ? c : r);
        offer(a[i] + cosine[i] * b[j], r * src.win_cols + c);
      }
    }
  } else {
    for (std::int64_t r = 0; r < src.win_rows; ++r) {
      for (std::int64_t c = 0; c < src.win_cols; ++c) {
        const std::int64_t row = src.win_row + r;
        const std::int64_t col = src.win_col + c;
        if (!selected(src, row, col)) continue;
        offer(term(cell_latitude(g, row, col), cell_longitude(g, row, col)), r * src.win_cols + c);
      }
    }
  }
  std::vector<Entry> sorted;
  sorted.reserve(heap.size());
  while (!heap.empty()) {
    sorted.push_back(heap.top());
    heap.pop();
  }
  std::reverse(sorted.begin(), sorted.end());
  src.near_order.clear();
  for (const Entry& e : sorted) src.near_order.push_back(e.second);
  src.near_all = static_cast<std::int64_t>(sorted.size()) >= candidates;
}

// Reads the block that holds the next batch of --near's cells: the
// smallest box of rows and columns around them. A batch is the count asked
// for at first, kNearFactor times the one before after that, made smaller
// until its box fits the memory budget (one cell always does).
bool load_near_batch(GridSource& src, std::string& error) {
  const std::int64_t bytes_per_cell = src.steps * static_cast<std::int64_t>(type_bytes(src.packing.type)) +
                                      src.month_count * static_cast<std::int64_t>(sizeof(float)) + 1;
  std::size_t m = std::min(src.near_order.size() - src.near_next, src.near_batch);
  while (true) {
    std::int64_t r0 = src.win_rows, r1 = -1, c0 = src.win_cols, c1 = -1;
    for (std::size_t i = src.near_next; i < src.near_next + m; ++i) {
      const std::int64_t w = src.near_order[i];
      r0 = std::min(r0, w / src.win_cols);
      r1 = std::max(r1, w / src.win_cols);
      c0 = std::min(c0, w % src.win_cols);
      c1 = std::max(c1, w % src.win_cols);
    }
    const std::int64_t cells = (r1 - r0 + 1) * (c1 - c0 + 1);
    if (m == 1 || cells * bytes_per_cell <= static_cast<std::int64_t>(src.band_bytes)) {
      src.near_batch_end = src.near_next + m;
      src.near_batch = std::max<std::size_t>(m, 1) * static_cast<std::size_t>(kNearFactor);
      return load_cells(src, r0, r1 - r0 + 1, c0, c1 - c0 + 1, error);
    }
    m = std::max<std::size_t>(1, m / 2);
  }
}

GridRead next_near(GridSource& src, StationData& d, std::string& error) {
  while (src.cells_with_data < src.near.count) {
    if (src.near_next >= src.near_order.size()) {
      if (src.near_all && !src.near_order.empty()) return GridRead::end;
      const std::size_t want = std::max<std::size_t>(
          static_cast<std::size_t>(kNearFirst),
          std::max(src.near_order.size() * static_cast<std::size_t>(kNearFactor),
                   static_cast<std::size_t>(src.near.count * kNearFactor)));
      order_near(src, want);
      if (src.near_next >= src.near_order.size()) return GridRead::end;
    }
    if (src.near_next >= src.near_batch_end && !load_near_batch(src, error)) return GridRead::fault;
    const std::int64_t w = src.near_order[src.near_next++];
    const std::int64_t r = w / src.win_cols;
    const std::int64_t c = w % src.win_cols;
    ++src.cells_total;
    const std::int64_t b = (r - src.block_row) * src.block_cols + (c - src.block_col);
    if (!src.has_data[static_cast<std::size_t>(b)]) {
      ++src.cells_without_data;
      continue;
    }
    const auto k = std::lower_bound(src.data_cells.begin(), src.data_cells.end(), b) - src.data_cells.begin();
    const float* values = src.decoded.data() + k * src.month_count;
    d.months.assign(values, values + src.month_count);
    const std::int64_t row = src.win_row + r;
    const std::int64_t col = src.win_col + c;
    fill_station(src, row, col, d);
    src.distance_km = great_circle_km(src.near.latitude, src.near.longitude,
                                      cell_latitude(src.grid, row, col), cell_longitude(src.grid, row, col));
    ++src.cells_with_data;
    return GridRead::station;
  }
  return GridRead::end;
}

}  // namespace

GridRead next_grid_station(GridSource& src, StationData& d, std::string& error) {
  if (src.file.id < 0) return GridRead::end;
  if (src.near_on) return next_near(src, d, error);
  while (true) {
    if (!src.block_loaded || src.next_cell >= src.block_rows * src.block_cols) {
      if (src.block_loaded) {
        src.block_col += src.band_cols;
        if (src.block_col >= src.win_cols) {
          src.block_col = 0;
          src.block_row += src.band_rows;
        }
      }
      if (src.block_row >= src.win_rows || src.win_cols == 0) return GridRead::end;
      src.block_loaded = true;
      if (!load_block(src, error)) return GridRead::fault;
    }
    const std::int64_t b = src.next_cell++;
    const std::int64_t row = src.win_row + src.block_row + b / src.block_cols;
    const std::int64_t col = src.win_col + src.block_col + b % src.block_cols;
    if (!selected(src, row, col)) continue;
    if (!src.has_data[static_cast<std::size_t>(b)]) {
      ++src.cells_without_data;
      continue;
    }
    const float* values = src.decoded.data() + src.next_data++ * src.month_count;
    d.months.assign(values, values + src.month_count);
    fill_station(src, row, col, d);
    ++src.cells_with_data;
    return GridRead::station;
  }
}

void rewind_grid(GridSource& src) {
  src.block_loaded = false;
  src.block_row = src.block_col = 0;
  src.block_rows = src.block_cols = 0;
  src.next_cell = 0;
  src.cells_with_data = src.cells_without_data = 0;
  src.near_order.clear();
  src.near_next = 0;
  src.near_all = false;
  src.near_batch = static_cast<std::size_t>(std::max<std::int64_t>(1, src.near.count));
  src.near_batch_end = 0;
  if (src.near_on) src.cells_total = 0;
  src.distance_km = 0.0;
}

}  // namespace versel
