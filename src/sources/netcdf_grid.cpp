// The netCDF grid reader, opening: the file checked and opened, the
// variable, its axes (netcdf_axes.cpp), its time and packing
// (netcdf_time_packing.cpp) found once, and the selection laid out; the
// stations themselves: netcdf_grid_read.cpp.
#include "sources/netcdf_grid.h"

#include <netcdf.h>
#include <netcdf_filter.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "capacities.h"
#include "records/message_text.h"
#include "sources/netcdf_extent.h"
#include "sources/netcdf_grid_parts.h"
#include "sources/netcdf_messages.h"

namespace versel {
namespace {

// The window around the selected cells, and their count.
void lay_out_selection(GridSource& src) {
  const GridGeometry& g = src.grid;
  src.win_row = 0;
  src.win_col = 0;
  src.win_rows = g.rows;
  src.win_cols = g.cols;
  src.cells_total = g.rows * g.cols;
  if (!src.region_on) return;
  std::int64_t r0 = g.rows, r1 = -1, c0 = g.cols, c1 = -1, count = 0;
  if (g.kind == GridKind::axes) {
    // a box is a band of latitudes times a band of longitudes
    const Region& box = src.region;
    auto lat_in = [&](double lat) { return lat >= box.south && lat <= box.north; };
    auto lon_in = [&](double lon) { return in_region(Region{box.west, box.east, -90.0, 90.0}, 0.0, lon); };
    std::int64_t rows_in = 0, cols_in = 0;
    for (std::int64_t r = 0; r < g.rows; ++r) {
      const double v = g.row_axis[static_cast<std::size_t>(r)];
      if (g.rows_are_latitude ? lat_in(v) : lon_in(v)) {
        r0 = std::min(r0, r);
        r1 = r;
        ++rows_in;
      }
    }
    for (std::int64_t c = 0; c < g.cols; ++c) {
      const double v = g.col_axis[static_cast<std::size_t>(c)];
      if (g.rows_are_latitude ? lon_in(v) : lat_in(v)) {
        c0 = std::min(c0, c);
        c1 = c;
        ++cols_in;
      }
    }
    count = rows_in * cols_in;
  } else {
    for (std::int64_t r = 0; r < g.rows; ++r) {
      for (std::int64_t c = 0; c < g.cols; ++c) {
        if (!selected(src, r, c)) continue;
        r0 = std::min(r0, r);
        r1 = std::max(r1, r);
        c0 = std::min(c0, c);
        c1 = std::max(c1, c);
        ++count;
      }
    }
  }
  src.cells_total = count;
  if (count == 0) {
    src.win_rows = src.win_cols = 0;
    return;
  }
  src.win_row = r0;
  src.win_col = c0;
  src.win_rows = r1 - r0 + 1;
  src.win_cols = c1 - c0 + 1;
}

// The height and width of a block (see the header), whole chunks of rows
// where the file is chunked and they fit four budgets.
void plan_blocks(GridSource& src) {
  const std::int64_t cell_bytes = src.steps * static_cast<std::int64_t>(type_bytes(src.packing.type)) +
                                  src.month_count * static_cast<std::int64_t>(sizeof(float)) + 1;
  const std::int64_t budget = static_cast<std::int64_t>(src.band_bytes);
  const std::int64_t cells = std::max<std::int64_t>(1, budget / cell_bytes);
  const std::int64_t cols = std::max<std::int64_t>(1, src.win_cols);
  if (cells >= cols) {
    src.band_cols = cols;
    src.band_rows = std::clamp<std::int64_t>(cells / cols, 1, std::max<std::int64_t>(1, src.win_rows));
    if (src.row_pos >= 0) {
      int storage = NC_CONTIGUOUS;
      std::vector<std::size_t> chunks(static_cast<std::size_t>(src.rank), 0);
      if (nc_inq_var_chunking(src.file.id, src.varid, &storage, chunks.data()) == NC_NOERR &&
          storage == NC_CHUNKED) {
        // chunks stored as they are (no filter) are read in part straight
        // from the file when the library keeps no cache for them; a cache
        // would read each whole chunk again for every block that crosses it
        std::size_t filters = 0;
        if (nc_inq_var_filter_ids(src.file.id, src.varid, &filters, nullptr) == NC_NOERR && filters == 0) {
          nc_set_var_chunk_cache(src.file.id, src.varid, 0, 0, 0.0f);
        }
        const auto chunk_rows = static_cast<std::int64_t>(chunks[static_cast<std::size_t>(src.row_pos)]);
        if (chunk_rows > src.band_rows && chunk_rows * cols <= 4 * cells) {
          src.band_rows = std::min(chunk_rows, std::max<std::int64_t>(1, src.win_rows));
        } else if (chunk_rows > 0 && src.band_rows > chunk_rows) {
          src.band_rows -= src.band_rows % chunk_rows;
        }
      }
    }
  } else {
    src.band_rows = 1;
    src.band_cols = cells;
  }
}

}  // namespace

double cell_latitude(const GridGeometry& g, std::int64_t row, std::int64_t col) {
  if (g.kind == GridKind::axes) {
    return g.rows_are_latitude ? g.row_axis[static_cast<std::size_t>(row)]
                               : g.col_axis[static_cast<std::size_t>(col)];
  }
  return g.lat[static_cast<std::size_t>(row * g.cols + col)];
}

double cell_longitude(const GridGeometry& g, std::int64_t row, std::int64_t col) {
  if (g.kind == GridKind::axes) {
    return g.rows_are_latitude ? g.col_axis[static_cast<std::size_t>(col)]
                               : g.row_axis[static_cast<std::size_t>(row)];
  }
  return g.lon[static_cast<std::size_t>(row * g.cols + col)];
}

float decode_value(const GridPacking& p, double stored, float flag) { return decode(p, stored, flag); }

bool selected(const GridSource& src, std::int64_t row, std::int64_t col) {
  return !src.region_on ||
         in_region(src.region, cell_latitude(src.grid, row, col), cell_longitude(src.grid, row, col));
}

std::size_t type_bytes(int type) {
  switch (type) {
    case NC_BYTE: case NC_UBYTE: return 1;
    case NC_SHORT: case NC_USHORT: return 2;
    case NC_INT: case NC_UINT: case NC_FLOAT: return 4;
    default: return 8;
  }
}

std::string centre_text(float latitude, float longitude) {
  auto text = [](float v) {
    if (v == 0.0f) v = 0.0f;  // -0 -> 0
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, r.ptr);
  };
  return text(latitude) + " " + text(longitude);
}

bool open_grid(GridSource& src, const GridRequest& request, std::string& error) {
  close_grid(src);
  src = GridSource{};
  src.path = request.path;
  src.flag = request.flag;
  src.band_bytes = std::max<std::size_t>(request.band_bytes, 1);
  struct stat st {};
  if (::stat(request.path.c_str(), &st) != 0) {
    error = compose(kMsgNotAFile, {shown_name(request.path), std::strerror(errno)});
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    error = compose(kMsgNotAFile, {shown_name(request.path), std::strerror(EISDIR)});
    return false;
  }
  // a classic file's header is walked before the library reads it: a cut
  // file is refused, and so is a header whose sizes run past the file (the
  // library would try to allocate what they claim)
  if (is_classic_file(request.path)) {
    ClassicExtent extent;
    std::uint64_t stop = 0;
    std::string reason;
    if (!classic_extent(request.path, extent, stop, reason)) {
      error = reason.empty() ? compose(kMsgBadHeader, {shown_name(request.path), std::to_string(stop)})
                             : compose(kMsgNotAFile, {shown_name(request.path), reason});
      return false;
    }
    if (extent.data_end > static_cast<std::uint64_t>(st.st_size)) {
      error = compose(kMsgTruncated, {shown_name(request.path), std::to_string(extent.data_end),
                                      std::to_string(st.st_size)});
      return false;
    }
  }
  int ncid = -1;
  const int status = nc_open(request.path.c_str(), NC_NOWRITE, &ncid);
  if (status == NC_ENOTNC) {
    error = compose(kMsgNotNetcdf, {shown_name(request.path)});
    return false;
  }
  if (!netcdf_ok(status, request.path, kMsgWhatOpen, error)) return false;
  src.file.id = ncid;

  Ctx x{ncid, src.path, error};
  GridShape shape;
  if (!find_grid_variable(x, request.variable, src.varid, shape)) return false;
  src.variable = variable_name(ncid, src.varid);
  text_attribute(ncid, src.varid, "units", src.units);
  if (!text_attribute(ncid, src.varid, "long_name", src.long_name)) {
    text_attribute(ncid, src.varid, "standard_name", src.long_name);
  }
  src.rank = static_cast<int>(shape.dims.size());
  src.time_pos = shape.time_pos;
  src.row_pos = shape.row_pos;
  src.col_pos = shape.col_pos;
  if (!read_grid_time(x, shape, src) || !read_grid_geometry(x, shape, src) ||
      !read_grid_packing(x, src.varid, src.packing)) {
    return false;
  }
  src.region_on = request.has_region;
  src.region = request.region;
  src.near_on = request.has_near;
  src.near = request.near;
  lay_out_selection(src);
  plan_blocks(src);
  rewind_grid(src);
  return true;
}

void grid_year_span(const GridSource& src, std::int32_t& first_year, std::int32_t& last_year) {
  first_year = src.first_year;
  last_year = src.last_year;
}

GridGeometry grid_window(const GridSource& src) {
  const GridGeometry& g = src.grid;
  GridGeometry w;
  w.kind = g.kind;
  w.rows = src.win_rows;
  w.cols = src.win_cols;
  w.row_dim = g.row_dim;
  w.col_dim = g.col_dim;
  w.lat_name = g.lat_name;
  w.lon_name = g.lon_name;
  w.rows_are_latitude = g.rows_are_latitude;
  if (g.kind == GridKind::axes) {
    w.row_axis.assign(g.row_axis.begin() + src.win_row, g.row_axis.begin() + src.win_row + src.win_rows);
    w.col_axis.assign(g.col_axis.begin() + src.win_col, g.col_axis.begin() + src.win_col + src.win_cols);
    return w;
  }
  for (std::int64_t r = 0; r < src.win_rows; ++r) {
    for (std::int64_t c = 0; c < src.win_cols; ++c) {
      w.lat.push_back(cell_latitude(g, src.win_row + r, src.win_col + c));
      w.lon.push_back(cell_longitude(g, src.win_row + r, src.win_col + c));
    }
  }
  return w;
}

void close_grid(GridSource& src) { close_netcdf(src.file); }

}  // namespace versel
