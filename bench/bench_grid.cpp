// Times the netCDF grid reader on a file such as bench/make_cru_like.py
// writes, and the way from it to the nc output: every cell read, every
// cell read and reduced by a mask and written as CF netCDF, or the cells
// nearest a site. Prints the wall time, the stations and the peak memory.
//
//   bench_grid FILE read [BAND_MB]
//   bench_grid FILE nc OUT.nc [MASK]          (default: the four seasons, DJF MAM JJA SON)
//   bench_grid FILE near LAT/LON/N
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "collect/nc_output.h"
#include "mask/reduction.h"
#include "mask/variable_names.h"
#include "sources/geometry.h"
#include "sources/netcdf_grid.h"

using namespace versel;

namespace {

constexpr float kFlag = -999.9f;

long peak_kb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

int fail(const std::string& error) {
  std::fprintf(stderr, "%s\n", error.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_grid FILE read [BAND_MB] | nc OUT.nc [MASK] | near LAT/LON/N\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const std::string mode = argv[2];
  GridRequest request;
  request.path = argv[1];
  request.flag = kFlag;
  std::string error;
  if (mode == "read" && argc > 3) request.band_bytes = static_cast<std::size_t>(std::stod(argv[3]) * (1 << 20));
  if (mode == "near") {
    if (argc < 4 || !parse_near(argv[3], request.near, error)) return fail(error);
    request.has_near = true;
  }
  GridSource src;
  if (!open_grid(src, request, error)) return fail(error);

  StationData d;
  GridRead got;
  double checksum = 0.0;
  if (mode == "nc") {
    if (argc < 4) return fail("nc needs an output file");
    Mask mask;
    mask.fill(' ');
    const std::string text = argc > 4 ? argv[4] : "00000000000113113113113";
    std::copy(text.begin(), text.end(), mask.begin());
    const MaskShape shape = analyse_mask(mask);
    NcOutputPlan plan;
    plan.grid = grid_window(src);
    plan.variables = climate_variables(mask);
    const OutputYears years = output_years(src.last_year - src.first_year + 1, src.first_year, shape);
    plan.first_year = years.IFC;
    plan.last_year = years.IFC + years.NYC - 1;
    plan.units = src.units;
    plan.flag = kFlag;
    plan.mask = text;
    plan.source = request.path;
    NcWriter w;
    if (!begin_nc_output(w, argv[3], plan, error)) return fail(error);
    Station st;
    while ((got = next_grid_station(src, d, error)) == GridRead::station) {
      const OutputYears oy = output_years(d.year_lines(), d.first_year, shape);
      st.IFC = oy.IFC;
      st.NYC = oy.NYC;
      form_variables(d.months, oy.NYC, mask, shape, kFlag, st);
      if (!put_nc_cell(w, src.window_cell, st, nullptr, error)) return fail(error);
    }
    if (got == GridRead::fault) return fail(error);
    if (!finish_nc_output(w, error)) return fail(error);
  } else {
    while ((got = next_grid_station(src, d, error)) == GridRead::station) {
      for (float v : d.months) {
        if (v != kFlag) checksum += v;
      }
      if (mode == "near") std::printf("%s  %.3f km\n", d.header.c_str(), src.distance_km);
    }
    if (got == GridRead::fault) return fail(error);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s %s: %.3f s, %lld cells with data of %lld, peak %.1f MB, checksum %.6g\n", argv[1], mode.c_str(),
              seconds, static_cast<long long>(src.cells_with_data), static_cast<long long>(src.cells_total),
              static_cast<double>(peak_kb()) / 1024.0, checksum);
  return 0;
}
