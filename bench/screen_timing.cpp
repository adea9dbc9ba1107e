// Timings of the screen's computation on the files that bench/screen_numpy.py
// reads and times in the same way, so that one run compares both:
//   (a) the first station against the chronology, every window of 1-12
//       months over 2 years, with 1,000 bootstrap resamples;
//   (b) every station (20,000 of 120 years in the file that screen_numpy.py
//       --make writes), every window, Fisher's intervals.
// Reading the files is timed apart. No Google Benchmark: a plain program.
//
//   bench/screen_numpy.py --make /tmp/screen-bench
//   screen_timing /tmp/screen-bench/stations.dat /tmp/screen-bench/chronology.txt
//                 [--layout set7|free] [--bootstrap 1000] [--seed 1] [--repeat 5]
//                 [--method pearson|spearman]
//   bench/screen_numpy.py /tmp/screen-bench/stations.dat /tmp/screen-bench/chronology.txt
//
// Built with the benchmarks (cmake -DVERSEL_BENCH=ON: target screen_timing),
// or by hand against the libraries of a build:
//   g++ -std=c++20 -O2 -Isrc bench/screen_timing.cpp build/libversel_collect.a
//       build/libversel_sources.a build/libversel_mask.a build/libversel_records.a
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "collect/screen.h"
#include "sources/chronology.h"

namespace {

using namespace versel;
using Clock = std::chrono::steady_clock;

constexpr float kFlag = -999.9f;

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// The processor time of the process: on a machine shared with other work
// the wall time runs ahead of it.
double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

bool to_int(std::string_view s, long& v) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size();
}

// A year line of data set 7, "(1x,i4,12f5.1)": tenths without a point,
// -9999 for a missing month.
bool set7_line(std::string_view line, long& year, float* months) {
  if (line.size() < 65 || line[0] != ' ' || !to_int(line.substr(1, 4), year)) return false;
  for (int m = 0; m < 12; ++m) {
    long t = 0;
    if (!to_int(line.substr(5 + 5 * static_cast<std::size_t>(m), 5), t)) return false;
    months[m] = t == -9999 ? kFlag : static_cast<float>(t) / 10.0f;
  }
  return true;
}

// A year line of the free layout: a year and twelve values, blanks or
// commas between, empty or -999.9 for a missing month.
bool free_line(std::string_view line, long& year, float* months) {
  std::vector<std::string_view> f;
  std::size_t i = 0;
  const char sep = line.find(',') != std::string_view::npos ? ',' : ' ';
  while (i <= line.size()) {
    std::size_t j = line.find(sep, i);
    if (j == std::string_view::npos) j = line.size();
    if (sep == ',' || j > i) f.push_back(line.substr(i, j - i));
    i = j + 1;
  }
  if (f.size() < 13 || !to_int(f[0], year)) return false;
  for (int m = 0; m < 12; ++m) {
    std::string_view v = f[static_cast<std::size_t>(m) + 1];
    float x = kFlag;
    if (!v.empty() && std::from_chars(v.data(), v.data() + v.size(), x).ec != std::errc())
      return false;
    months[m] = x;
  }
  return true;
}

bool read_stations(const std::string& path, bool set7, std::vector<StationData>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  float months[12];
  long year = 0, last = 0;
  bool open = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!(set7 ? set7_line(line, year, months) : free_line(line, year, months))) {
      open = false;  // a name line: the next year line starts a station
      continue;
    }
    if (!open) {
      out.emplace_back();
      out.back().first_year = static_cast<std::int32_t>(year);
      open = true;
    } else {
      for (long y = last + 1; y < year; ++y)
        out.back().months.insert(out.back().months.end(), 12, kFlag);
    }
    out.back().months.insert(out.back().months.end(), months, months + 12);
    last = year;
  }
  return true;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: screen_timing STATIONS CHRONOLOGY [--layout set7|free] [--bootstrap N] "
                 "[--seed S] [--repeat R] [--method pearson|spearman]\n");
    return 2;
  }
  const std::string stations_path = argv[1], chronology_path = argv[2];
  bool set7 = true;
  int bootstrap = 1000, repeat = 5;
  CorrelationMethod method = CorrelationMethod::pearson;
  std::uint64_t seed = 1;
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string opt = argv[i], val = argv[i + 1];
    if (opt == "--layout") set7 = val == "set7";
    else if (opt == "--bootstrap") bootstrap = std::atoi(val.c_str());
    else if (opt == "--seed") seed = std::strtoull(val.c_str(), nullptr, 10);
    else if (opt == "--repeat") repeat = std::max(1, std::atoi(val.c_str()));
    else if (opt == "--method")
      method = val == "spearman" ? CorrelationMethod::spearman : CorrelationMethod::pearson;
  }

  auto t = Clock::now();
  Chronology c;
  ChronologyError e;
  if (!load_chronology(chronology_path, "", c, e)) {
    std::fprintf(stderr, "%s: %s\n", chronology_path.c_str(), error_message(e).c_str());
    return 1;
  }
  std::vector<StationData> stations;
  if (!read_stations(stations_path, set7, stations) || stations.empty()) {
    std::fprintf(stderr, "%s: no station read\n", stations_path.c_str());
    return 1;
  }
  std::printf("read: %zu stations, chronology %d-%d: %.3f s\n", stations.size(), c.first_year,
              c.last_year(), seconds_since(t));

  const std::vector<ScreenWindow> windows = screen_windows(2, 12);
  ScreenWork work;
  std::vector<Correlation> out;

  // (a) one station, bootstrap
  ScreenSettings a;
  a.correlation.bootstrap = bootstrap;
  a.correlation.method = method;
  std::vector<double> times, cpu;
  for (int k = 0; k < repeat; ++k) {
    t = Clock::now();
    const double c0 = cpu_seconds();
    const ResampleDraws draws = screen_draws(c, a, seed);
    screen_station(stations.front(), kFlag, c, windows, a, draws, work, out);
    times.push_back(seconds_since(t));
    cpu.push_back(cpu_seconds() - c0);
  }
  std::ptrdiff_t best = best_window(out);
  std::printf("(a) one station, %zu windows, %d resamples: %.4f s, cpu %.4f s (median of %d)",
              windows.size(), bootstrap, median(times), median(cpu), repeat);
  if (best >= 0) {
    const Correlation& r = out[static_cast<std::size_t>(best)];
    std::printf("; best %s r %.4f [%.4f, %.4f] n %d",
                windows[static_cast<std::size_t>(best)].name.c_str(), r.r, r.low, r.high, r.n);
  }
  std::printf("\n");

  // (b) every station, Fisher
  ScreenSettings b;
  b.correlation.method = method;
  times.clear();
  cpu.clear();
  double check = 0.0;
  std::size_t found = 0;
  for (int k = 0; k < std::max(1, repeat / 2); ++k) {
    t = Clock::now();
    const double c0 = cpu_seconds();
    check = 0.0;
    found = 0;
    for (const StationData& d : stations) {
      screen_station(d, kFlag, c, windows, b, ResampleDraws{}, work, out);
      best = best_window(out);
      if (best < 0) continue;
      check += out[static_cast<std::size_t>(best)].r;
      ++found;
    }
    times.push_back(seconds_since(t));
    cpu.push_back(cpu_seconds() - c0);
  }
  std::printf(
      "(b) %zu stations, %zu windows, Fisher: %.3f s, cpu %.3f s (median of %zu); mean best r "
      "%.4f\n",
      stations.size(), windows.size(), median(times), median(cpu), times.size(),
      found ? check / static_cast<double>(found) : 0.0);
  return 0;
}
