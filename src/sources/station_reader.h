// The station reader of the layouts: the lines of the data unit, cut by a
// layout, grouped into stations that the reduction takes as it takes the
// catalogue's (StationData: name as the header, first year, months with
// skipped years as the flag, coordinates).
//
// Grouping:
// - free: a station is the last name line before a run of year lines, with
//   those year lines; name lines that no year line follows are passed over.
//   When an empty line stands between that name line and the year lines,
//   the name line is part of a preamble (a title, then citations) and the
//   station takes the first line of its paragraph of name lines instead.
//   A first station without a name line is named by the file's base name.
// - ghcnm, climdiv: a station starts where the code of the year lines
//   changes (ghcnm: ID and element; climdiv: columns 1-6).
// - Empty lines, comments and title rows end nothing. Within a station a
//   year that does not follow the one before is a fault; years skipped
//   between two year lines hold the flag.
//
// A run: open the file on kDataUnit, skip_lines(--skip), layout_flag() when
// --flag is not given, then read_layout_station (or take_layout_station)
// until it says `end`.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sources/coordinates.h"
#include "sources/fields.h"
#include "sources/layout.h"
#include "mask/station.h"

namespace versel {

// A line the layout cannot read, or a year out of order: its line number in
// the file, why, and the line.
struct LayoutFault {
  std::int64_t line = 0;
  std::string reason;
  std::string text;
};

// One data file read through a layout: what the run gives it, and what the
// summary needs afterwards.
struct LayoutReader {
  const Layout* layout = nullptr;
  CutSettings cut;                          // the run's flag, --keep-flagged
  const CoordinateTable* coords = nullptr;  // --coords; null without
  std::string base_name;  // the data file's name without its folders (free's first station)
  std::int64_t skip = 0;  // --skip: the lines before the first station, passed over again at a rewind

  std::int64_t stations = 0;             // stations read
  std::int64_t without_coordinates = 0;  // of them, stations --coords does not list
  SentinelTally sentinels;               // months the nines sentinels marked missing

  // the line read last and what the layout made of it
  std::string line;
  CutLine cut_line;
  std::string key, key2;  // coded layouts: the code of the station being read
};

enum class StationRead : std::uint8_t { station, end, fault };

// Reads the next station into `d`: its name in d.header (has_header true),
// its first year and months, and its coordinates: those of the --coords table
// for its place code, else the flag (counted in without_coordinates). With a
// --coords name, a ghcnm or climdiv station's name gets " " and that name;
// so does a free station whose name line is its code alone. `fault` is
// filled when the reading stops at a line that cannot be read.
StationRead read_layout_station(LayoutReader& r, StationData& d, LayoutFault& fault);

// The run's flag when --flag is not given: the layout's own, or for climdiv
// that of the element of the first year line. For climdiv the data unit is
// read up to that line and then rewound, and `skip` lines skipped again.
// nullopt with `fault` when a line before it cannot be read; the layout's
// own flag when the file has no year line.
std::optional<float> layout_flag(const Layout& layout, std::int64_t skip, LayoutFault& fault);

// What the pre-scan of mat output needs: every station's first and last
// year, read as read_layout_station reads them (the same faults), then the
// file rewound and `skip` lines skipped again. The counts of `r` are not
// changed.
StationRead layout_year_spans(LayoutReader& r, std::int64_t skip, std::vector<std::int32_t>& first,
                              std::vector<std::int32_t>& last, LayoutFault& fault);

// The fault as a run shows it, two lines without line ends:
//   "line 12: a year line of 7 fields: ..."
//   "line: 1990 1 2 3 4 5 6"
// The line is cut after kLayoutFaultShown characters with "..."; control
// characters other than tabs are shown as \xHH.
std::array<std::string, 2> layout_fault_lines(const LayoutFault& fault);
inline constexpr std::size_t kLayoutFaultShown = 160;

// Fails the run at a fault, as every failure at a line of the data file: the
// reason, then "line: " and the line, at the fault's line.
[[noreturn]] void fail_at_fault(const LayoutFault& fault);

// The station source's operations (station_source.h): the next station,
// shown on the console once read (false at the end of the file); the year
// spans of every station; the rewind to the first station. A fault fails
// the run through fail_at_fault.
bool take_layout_station(LayoutReader& r, StationData& d);
void take_layout_year_spans(LayoutReader& r, std::vector<std::int32_t>& first,
                            std::vector<std::int32_t>& last);
void rewind_layout(LayoutReader& r);

}  // namespace versel
