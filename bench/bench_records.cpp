// Benchmarks of the record layer's hot paths: reading a year line through a
// held data format (the format cache lookup included), writing a matrix row
// of f8.2 fields, and the f8.2 edit alone.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "records/edit_output.h"
#include "records/format.h"
#include "records/io.h"
#include "records/statements.h"
#include "records/units.h"

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

}  // namespace

BENCHMARK_MAIN();
