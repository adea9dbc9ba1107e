// Benchmarks of the record layer's hot paths: reading a year line through a
// held data format (the format cache lookup included) by the general read,
// by the plan of fixed columns and by the walk, writing a matrix row of f8.2
// fields, the f8.2 edit alone, and the records of a data file at real size
// (20,000 stations of 120 year lines, some 160 MB, made on first use).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "records/edit_output.h"
#include "records/format.h"
#include "records/io.h"
#include "records/statements.h"
#include "records/units.h"
#include "records/year_line.h"

namespace {

// Monthly values as the data sets hold them: temperatures and precipitation
// with one or two decimals, a few missing-value flags.
std::vector<float> monthly_values(std::size_t n) {
  std::vector<float> v(n);
  std::uint32_t s = 12345u;
  for (std::size_t i = 0; i < n; ++i) {
    s = s * 1664525u + 1013904223u;
    int hundredths = static_cast<int>(s >> 8) % 8000 - 3000;  // -30.00 .. 49.99
    v[i] = static_cast<float>(hundredths) / 100.0f;
    if (i % 97 == 13) v[i] = -99.99f;
    if (i % 41 == 7) v[i] = static_cast<float>(hundredths) * 3.7f;  // precipitation totals
  }
  return v;
}

// A year line of the data file, read as the station reduction reads it.
void BM_ReadYearLine(benchmark::State& state) {
  const std::string frm = "(1x,i4,12f5.1)                ";  // 30 characters, held
  const std::string line =
      " 1980 12.3 -4.5  0.7 15.1 20.9 25.0 28.4 27.6 22.2 14.8  6.3 -1.2";
  std::int32_t year = 0;
  std::array<float, 12> month{};
  for (auto _ : state) {
    versel::IoStatus st =
        versel::read(versel::internal(line), versel::held(frm),
                     {versel::to(year), versel::to(std::span<float>(month))}, versel::kOnError);
    benchmark::DoNotOptimize(st);
    benchmark::DoNotOptimize(month.data());
    benchmark::ClobberMemory();
  }
  if (year != 1980 || month[11] != -1.2f) state.SkipWithError("year line read wrongly");
  state.counters["line"] =
      benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadYearLine);

// Year lines of the catalogue's formats and of a typed one, as the data
// sets write them: values with and without a point, a flag now and then, a
// missing month left blank.
struct YearLineCase {
  const char* format;  // held, 30 characters with its blanks
  const char* label;
  const char* prefix;  // the columns before the year
  int width, decimals;
  bool point;          // values written with their point
};
const YearLineCase kYearLineCases[] = {
    {"(1x,i4,12f5.2)                ", "ukmo sst (1x,i4,12f5.2)", " ", 5, 2, true},
    {"(1x,i4,12f6.1)                ", "trenberth slp (1x,i4,12f6.1)", " ", 6, 1, true},
    {"(i4,12f7.3)                   ", "kaplan (i4,12f7.3)", "", 7, 3, true},
    {"(i4,12f5.1)                   ", "ghcn.v2 (i4,12f5.1)", "", 5, 1, false},
    {"(1x,i4,12f5.1)                ", "ghcn.v1 (1x,i4,12f5.1)", " ", 5, 1, false},
    {"(1x,i4,12f6.3)                ", "nadp (1x,i4,12f6.3)", " ", 6, 3, true},
    {"(1x,i4,12f11.4)               ", "ncar.pdsi (1x,i4,12f11.4)", " ", 11, 4, true},
    {"(6x,i4,12f7.2)                ", "typed (6x,i4,12f7.2)", "WYDIV8", 7, 2, true},
};

// Line `i` of a file of the case's layout: the year 1901 + i % 120, values in
// units of the last decimal as wide as the field allows and within +-50
// (+-5000 tenths for fields without a point), December blank in one line of
// fifty.
std::string year_line_of(const YearLineCase& c, int i) {
  std::int64_t limit = 1;
  for (int k = 0; k < c.width - 2; ++k) limit *= 10;
  std::int64_t scale = 1;
  for (int k = 0; k < c.decimals; ++k) scale *= 10;
  limit = std::min(limit - 1, 50 * scale * (c.point ? 1 : 100));
  std::uint32_t s = static_cast<std::uint32_t>(i + 1) * 2654435761u;
  std::string line = c.prefix + std::to_string(1901 + i % 120);
  char field[32];
  for (int m = 0; m < 12; ++m) {
    s = s * 1664525u + 1013904223u;
    std::int64_t units = static_cast<std::int64_t>(s >> 8) % (2 * limit + 1) - limit;
    if (c.point)
      std::snprintf(field, sizeof field, "%*.*f", c.width, c.decimals,
                    static_cast<double>(units) / static_cast<double>(scale));
    else
      std::snprintf(field, sizeof field, "%*lld", c.width, static_cast<long long>(units));
    line += field;
  }
  if (i % 50 == 3)
    line.replace(line.size() - static_cast<std::size_t>(c.width), static_cast<std::size_t>(c.width),
                 static_cast<std::size_t>(c.width), ' ');
  return line;
}

std::vector<std::string> year_lines_of(const YearLineCase& c, std::int64_t n) {
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) lines.push_back(year_line_of(c, i));
  return lines;
}

void count_lines(benchmark::State& state, const YearLineCase& c, std::size_t per_iteration) {
  state.SetLabel(c.label);
  state.counters["line"] = benchmark::Counter(
      static_cast<double>(per_iteration),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Year lines read as the reduction and the pre-scan read them: the format
// cache, the plan of fixed columns, the rule for fields without a digit.
// Arguments: the case, and how many different lines are read in turn. A
// file's lines all differ, and so do the lengths of its numbers: 4096
// lines keep the processor from learning them by heart, as it learns one
// line read again and again.
void BM_ReadYearRecord(benchmark::State& state) {
  const YearLineCase& c = kYearLineCases[state.range(0)];
  std::vector<std::string> lines = year_lines_of(c, state.range(1));
  std::int32_t year = 0;
  std::array<float, 12> month{};
  std::int64_t read = 0;
  for (auto _ : state) {
    for (const std::string& line : lines) {
      read += versel::read_year_record(c.format, line, -99.9f, year, month) ? 1 : 0;
      benchmark::DoNotOptimize(month.data());
      benchmark::ClobberMemory();
    }
  }
  if (read != state.iterations() * static_cast<std::int64_t>(lines.size()))
    state.SkipWithError("year line read wrongly");
  count_lines(state, c, lines.size());
}
BENCHMARK(BM_ReadYearRecord)
    ->ArgsProduct({benchmark::CreateDenseRange(0, std::size(kYearLineCases) - 1, 1), {4096}})
    ->Args({4, 1});

// The same lines through the general walk with the rule: what every line
// cost before the plan, and what a format the plan does not cover costs.
void BM_WalkYearLine(benchmark::State& state) {
  const YearLineCase& c = kYearLineCases[state.range(0)];
  std::vector<std::string> lines = year_lines_of(c, state.range(1));
  const versel::Format& f = versel::cached_format(versel::held(c.format));
  std::int32_t year = 0;
  std::array<float, 12> month{};
  std::int64_t read = 0;
  for (auto _ : state) {
    for (const std::string& line : lines) {
      read += versel::walk_year_line(f, line, -99.9f, year, month) ? 1 : 0;
      benchmark::DoNotOptimize(month.data());
      benchmark::ClobberMemory();
    }
  }
  if (read != state.iterations() * static_cast<std::int64_t>(lines.size()))
    state.SkipWithError("year line read wrongly");
  count_lines(state, c, lines.size());
}
BENCHMARK(BM_WalkYearLine)->Args({0, 4096})->Args({4, 4096})->Args({6, 4096})->Args({4, 1});

// A row of the matrix output: year, season and 500 f8.2 fields.
void BM_WriteMatrixRow(benchmark::State& state) {
  const std::size_t n = 500;
  std::vector<float> row = monthly_values(n);
  const versel::Format& f = versel::cached_format("(1x,i4,2x,i2,2000(1x,f8.2))");
  std::string out;
  std::string_view message;
  const versel::Value values[] = {versel::Value(std::int32_t{1901}),
                                  versel::Value(std::int32_t{1}), versel::reals(row)};
  for (auto _ : state) {
    out.clear();
    bool ok = versel::write_records(f, values, out, message);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(out.data());
  }
  if (out.size() != 1 + 4 + 2 + 2 + n * 9 + 2) state.SkipWithError("matrix row has a wrong length");
  state.counters["field"] = benchmark::Counter(
      static_cast<double>(n),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WriteMatrixRow);

// The f8.2 edit alone, one field per value.
void BM_EditF82(benchmark::State& state) {
  const std::size_t n = 500;
  std::vector<float> values = monthly_values(n);
  std::array<char, 8> field{};
  for (auto _ : state) {
    for (float v : values) {
      versel::edit_f_out(field.data(), 8, 2, v, false);
      benchmark::DoNotOptimize(field.data());
      benchmark::ClobberMemory();
    }
  }
  state.counters["field"] = benchmark::Counter(
      static_cast<double>(n),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EditF82);

// A data file of data set 7's layout: 20,000 stations, each a header line and
// the year lines 1901-2020, 2% of the months missing; written once into the
// temporary folder and kept there for later runs.
const std::string& real_size_file() {
  static const std::string path = [] {
    constexpr int kStations = 20000;
    constexpr int kYears = 120;
    namespace fs = std::filesystem;
    fs::path p = fs::temp_directory_path() / "versel-bench-20000x120.dat";
    constexpr std::uintmax_t kSize = std::uintmax_t{kStations} * (28 + 1 + kYears * (65 + 1));
    std::error_code ec;
    if (fs::file_size(p, ec) == kSize) return p.string();
    std::FILE* f = std::fopen(p.c_str(), "wb");
    if (!f) return std::string();
    std::uint32_t s = 2024u;
    auto next = [&s] { return s = s * 1664525u + 1013904223u; };
    char line[128];
    for (int st = 0; st < kStations; ++st) {
      std::snprintf(line, sizeof line, "STATION %05d %6.2f %7.2f\n", st,
                    static_cast<double>(next() % 12000) / 100.0 - 60.0,
                    static_cast<double>(next() % 36000) / 100.0 - 180.0);
      std::fputs(line, f);
      for (int y = 1901; y < 1901 + kYears; ++y) {
        int n = std::snprintf(line, sizeof line, " %4d", y);
        for (int m = 0; m < 12; ++m) {
          int v = static_cast<int>(next() >> 8) % 600 - 200;
          if (next() % 50 == 0) v = -9999;
          n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%5d", v);
        }
        line[n++] = '\n';
        std::fwrite(line, 1, static_cast<std::size_t>(n), f);
      }
    }
    std::fclose(f);
    return p.string();
  }();
  return path;
}

// Every record of the real-size file through next_record, the open and the
// close outside the measured time; "line" is the time per record, "peak_MiB"
// the peak resident memory of the process so far.
void BM_NextRecordRealSize(benchmark::State& state) {
  const std::string& path = real_size_file();
  if (path.empty()) {
    state.SkipWithError("cannot write the data file");
    return;
  }
  std::int64_t lines = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    versel::open(versel::kDataUnit, path, versel::OpenStatus::old);
    state.ResumeTiming();
    lines = 0;
    bytes = 0;
    std::string_view record;
    versel::Failure fail;
    while (versel::next_record(versel::file_unit(versel::kDataUnit), record, fail)) {
      ++lines;
      bytes += record.size();
    }
    benchmark::DoNotOptimize(bytes);
    state.PauseTiming();
    versel::close(versel::kDataUnit);
    state.ResumeTiming();
  }
  if (lines != 20000 * 121 || bytes != 20000 * (28 + 120 * 65))
    state.SkipWithError("the file was read wrongly");
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  state.counters["line"] = benchmark::Counter(
      static_cast<double>(lines),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_MiB"] = static_cast<double>(use.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_NextRecordRealSize)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same file opened and read whole, as a run's pre-scan reads it: the
// open included.
void BM_OpenAndReadRealSize(benchmark::State& state) {
  const std::string& path = real_size_file();
  if (path.empty()) {
    state.SkipWithError("cannot write the data file");
    return;
  }
  std::int64_t lines = 0;
  for (auto _ : state) {
    versel::open(versel::kDataUnit, path, versel::OpenStatus::old);
    lines = 0;
    std::string_view record;
    versel::Failure fail;
    while (versel::next_record(versel::file_unit(versel::kDataUnit), record, fail)) ++lines;
    versel::close(versel::kDataUnit);
  }
  if (lines != 20000 * 121) state.SkipWithError("the file was read wrongly");
  state.counters["line"] = benchmark::Counter(
      static_cast<double>(lines),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_OpenAndReadRealSize)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
