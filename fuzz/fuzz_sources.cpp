// libFuzzer target of the readers of whole files: arbitrary bytes read as a
// table (--layout table), as a chronology (.crn or a table of year and
// value), and written to a file opened as a netCDF grid whose every cell is
// read. Each reader must return a station, a fault or an error, never
// crash; what it hands out is checked for the invariants every station
// keeps (twelve months a year, missing months the flag, names without
// line ends).
//
// Input layout: byte 0 chooses the reader (0-1 table, 2 chronology, 3
// netCDF); the rest is the file.
//
// A table may hold years from -999999999 to 999999999, and a station spans
// its first to its last year in memory, as much as the machine has: a
// table of years 1 and 195095050 is a legal run of 9 GB, beyond what a
// fuzzing process may take. Tables with a number of more than six digits
// are therefore passed over here.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mask/station.h"
#include "sources/chronology.h"
#include "sources/netcdf_grid.h"
#include "sources/station_reader.h"
#include "sources/table_layout.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

void check_station(const versel::StationData& d, float flag) {
  check(d.months.size() % 12 == 0, "months a whole number of years");
  check(!d.months.empty(), "a station holds a year");
  for (float v : d.months) check(v == flag || std::isfinite(v), "a month a number or the flag");
  check(d.header.find('\n') == std::string::npos, "a name of one line");
}

// Whether a run of more than six digits stands in the text.
bool long_number(std::string_view text) {
  int digits = 0;
  for (char c : text) {
    digits = c >= '0' && c <= '9' ? digits + 1 : 0;
    if (digits > 6) return true;
  }
  return false;
}

void read_table(std::string_view text) {
  if (long_number(text)) return;
  versel::TableSettings s;
  s.file_name = "fuzz.csv";
  versel::Table t;
  versel::LayoutFault fault;
  if (!versel::read_table(text, s, t, fault)) return;
  versel::StationData d;
  while (versel::next_table_station(t, d)) check_station(d, s.flag);
}

void read_chronology(std::string_view text) {
  versel::Chronology c;
  versel::ChronologyError e;
  if (!versel::read_chronology(text, "fuzz.crn", "", c, e)) return;
  check(!c.values.empty(), "a chronology holds a value");
}

void read_grid(std::string_view bytes) {
  char path[] = "/tmp/fuzz-grid-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0) return;
  const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ::close(fd);
  if (written) {
    versel::GridRequest request;
    request.path = path;
    request.flag = -999.9f;
    request.band_bytes = 1 << 16;  // many small blocks
    versel::GridSource src;
    std::string error;
    if (versel::open_grid(src, request, error)) {
      versel::StationData d;
      for (int n = 0; n < 100000; ++n) {
        const versel::GridRead got = versel::next_grid_station(src, d, error);
        if (got != versel::GridRead::station) break;
        check_station(d, request.flag);
      }
    }
  }
  ::unlink(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % 4) {
    case 0:
    case 1: read_table(rest); break;
    case 2: read_chronology(rest); break;
    default: read_grid(rest); break;
  }
  return 0;
}
