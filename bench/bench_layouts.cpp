// Benchmarks of the layouts: cutting one line of each, against the
// catalogue's year line read through its record format; and reading a file
// of 20,000 stations of 120 years (the same values in every layout, made on
// first use in the temporary folder and kept there) into stations, the
// catalogue's station reader beside the layouts' one.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "sources/data_lines.h"
#include "sources/station_reader.h"
#include "sources/catalogue_reader.h"
#include "records/io.h"

namespace {

using namespace versel;

constexpr int kStations = 20000;
constexpr int kYears = 120;

// The tenths of a degree of station s, year y, month m; -9999 where missing
// (2% of the months), as the catalogue's file of data set 7 holds them.
std::int32_t tenths(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  std::int32_t v = static_cast<std::int32_t>(state >> 8) % 600 - 200;
  state = state * 1664525u + 1013904223u;
  return state % 50 == 0 ? -9999 : v;
}

enum class FileLayout { catalogue, free, ghcnm, climdiv };

// One year line of each layout for the same twelve values.
std::string year_line(FileLayout layout, int station, int year, const std::array<std::int32_t, 12>& v) {
  char buf[160];
  int n = 0;
  switch (layout) {
    case FileLayout::catalogue:
      n = std::snprintf(buf, sizeof buf, " %4d", year);
      for (std::int32_t t : v) n += std::snprintf(buf + n, sizeof buf - n, "%5d", t);
      break;
    case FileLayout::free:
      n = std::snprintf(buf, sizeof buf, "%d", year);
      for (std::int32_t t : v)
        n += t == -9999 ? std::snprintf(buf + n, sizeof buf - n, " -999.9")
                        : std::snprintf(buf + n, sizeof buf - n, " %.1f", t / 10.0);
      break;
    case FileLayout::ghcnm:
      n = std::snprintf(buf, sizeof buf, "ZZM%08d%04dTAVG", station, year);
      for (std::int32_t t : v) n += std::snprintf(buf + n, sizeof buf - n, "%5d   ", t == -9999 ? t : t * 10);
      break;
    case FileLayout::climdiv:
      n = std::snprintf(buf, sizeof buf, "%04d02%04d", station % 10000, year);
      for (std::int32_t t : v)
        n += t == -9999 ? std::snprintf(buf + n, sizeof buf - n, " -99.90")
                        : std::snprintf(buf + n, sizeof buf - n, "%7.2f", t / 10.0);
      break;
  }
  return std::string(buf, static_cast<std::size_t>(n));
}

const char* kNames[] = {"catalogue", "free", "ghcnm", "climdiv"};

// The file of a layout; climdiv stations have codes of their own by keeping
// them below 10,000 apart and the element the same.
std::string real_size_file(FileLayout layout) {
  namespace fs = std::filesystem;
  fs::path p = fs::temp_directory_path() /
               (std::string("versel-bench-layout-") + kNames[static_cast<int>(layout)] + ".dat");
  std::error_code ec;
  if (fs::exists(p, ec) && fs::file_size(p, ec) > 0) return p.string();
  std::string tmp = p.string() + ".part";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return {};
  std::uint32_t state = 2024u;
  std::array<std::int32_t, 12> v{};
  for (int s = 0; s < kStations; ++s) {
    if (layout == FileLayout::catalogue) std::fprintf(f, "STATION %05d  41.50 -90.25\n", s);
    if (layout == FileLayout::free) std::fprintf(f, "STATION %05d\n", s);
    for (int y = 1901; y < 1901 + kYears; ++y) {
      for (std::int32_t& t : v) t = tenths(state);
      std::string line = year_line(layout, s, y, v);
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), f);
    }
  }
  std::fclose(f);
  fs::rename(tmp, p, ec);
  return ec ? std::string() : p.string();
}

// Cutting one line, the catalogue's read through "(1x,i4,12f5.1)" first.
void BM_CatalogueYearLine(benchmark::State& state) {
  RunSettings s;
  assign(s.FRM, "(1x,i4,12f5.1)");
  std::array<std::int32_t, 12> v{123, -45, 7, 151, 209, 250, 284, 276, 222, 148, 63, -9999};
  const std::string line = year_line(FileLayout::catalogue, 1, 1980, v);
  std::int32_t year = 0;
  std::array<float, 12> months{};
  for (auto _ : state) {
    bool ok = read_year_line(s, line, year, months);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(months.data());
  }
  if (year != 1980 || months[0] != 12.3f) state.SkipWithError("read wrongly");
}
BENCHMARK(BM_CatalogueYearLine);

void BM_CutLine(benchmark::State& state) {
  const auto layout = static_cast<FileLayout>(state.range(0));
  std::array<std::int32_t, 12> v{123, -45, 7, 151, 209, 250, 284, 276, 222, 148, 63, -9999};
  std::string line = year_line(layout, 1, 1980, v);
  if (state.range(1)) {  // the free layout's comma-separated form
    for (char& c : line)
      if (c == ' ') c = ',';
  }
  const Layout& l = kLayouts[static_cast<std::size_t>(static_cast<int>(layout) - 1)];
  CutSettings c;
  c.flag = l.flag;
  CutLine out;
  for (auto _ : state) {
    LineKind kind = l.cut(line, c, out);
    benchmark::DoNotOptimize(kind);
    benchmark::DoNotOptimize(out.months.data());
  }
  if (out.kind != LineKind::year || out.year != 1980) state.SkipWithError(out.reason.c_str());
  state.SetLabel(std::string(l.name) + (state.range(1) ? " commas" : ""));
}
BENCHMARK(BM_CutLine)->Args({1, 0})->Args({1, 1})->Args({2, 0})->Args({3, 0});

// The whole file into stations: "station" is the time per station.
void BM_ReadStations(benchmark::State& state) {
  const auto layout = static_cast<FileLayout>(state.range(0));
  const std::string path = real_size_file(layout);
  if (path.empty()) {
    state.SkipWithError("cannot write the data file");
    return;
  }
  RunSettings s;
  assign(s.FRM, "(1x,i4,12f5.1)");
  s.FLAG = -999.9f;
  std::int64_t stations = 0, months = 0;
  set_console_output(ConsoleOutput::discarded);  // no "reading in:" lines
  for (auto _ : state) {
    state.PauseTiming();
    versel::open(kDataUnit, path, OpenStatus::old);
    state.ResumeTiming();
    stations = months = 0;
    StationData d;
    if (layout == FileLayout::catalogue) {
      CatalogueReader r = catalogue_reader(s, false);
      while (next_catalogue_station(r, d) && !d.months.empty()) {
        ++stations;
        months += static_cast<std::int64_t>(d.months.size());
      }
    } else {
      LayoutReader r;
      r.layout = &kLayouts[static_cast<std::size_t>(static_cast<int>(layout) - 1)];
      r.cut.flag = r.layout->flag;
      LayoutFault fault;
      StationRead got;
      while ((got = read_layout_station(r, d, fault)) == StationRead::station) {
        ++stations;
        months += static_cast<std::int64_t>(d.months.size());
      }
      if (got == StationRead::fault) state.SkipWithError(fault.reason.c_str());
    }
    state.PauseTiming();
    versel::close(kDataUnit);
    state.ResumeTiming();
  }
  if (stations != kStations || months != std::int64_t{kStations} * kYears * 12)
    state.SkipWithError("the file was read wrongly");
  state.SetLabel(kNames[static_cast<int>(layout)]);
  state.counters["station"] = benchmark::Counter(
      static_cast<double>(stations),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadStations)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
