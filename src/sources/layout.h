// The layouts of downloaded data files (--layout NAME): each cuts one line
// of a file into what the line is — nothing, a name line, or a year line with
// its station code, year and twelve months — or says why it cannot be read.
// The station reader (station_reader.h) groups the lines into stations; the
// reduction never learns which layout fed it.
//
//   free     a year and twelve values per line, blanks or tabs/commas between
//   ghcnm    the global monthly station files: ID, year, element, twelve
//            groups of a value in hundredths and three flag characters
//   climdiv  the climate-division files: a 10-column code, twelve values
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace versel {

enum class LineKind : std::uint8_t {
  nothing,  // an empty or blank line, a comment, a line of column titles
  name,     // free: a line that may name the station of the year lines after it
  year,     // a year and twelve months
  bad,      // a line the layout cannot read: `reason` says why
};

// What a layout made of one line. The views point into the line.
struct CutLine {
  LineKind kind = LineKind::nothing;
  // The station a year line belongs to, as its name shows it: ghcnm the ID
  // and the element (the name is "ID ELEM"), climdiv columns 1-6 and no
  // second part. Free year lines have none; a free name line has the name.
  std::string_view name;
  std::string_view name2;
  // The code that --coords looks the station up by: the ID (ghcnm), columns
  // 1-4 (climdiv), the name line's first field (free).
  std::string_view place;
  std::int32_t year = 0;
  std::array<float, 12> months{};  // January first; a missing month holds the flag
  std::string reason;               // bad: why, without the line number
};

// What a run tells every cut.
struct SentinelTally;

struct CutSettings {
  float flag = -999.9f;     // the run's missing-value flag: every missing month takes it
  // --flag: the user's flag marks missing months too (climdiv); without it
  // the free layout takes the nines sentinels (is_nines_sentinel) as missing
  // and counts them in `sentinels`
  bool flag_given = false;
  SentinelTally* sentinels = nullptr;
  bool keep_flagged = false;  // --keep-flagged: ghcnm values with a quality flag are kept
};

using CutFunction = LineKind (*)(std::string_view line, const CutSettings& c, CutLine& out);

LineKind cut_free(std::string_view line, const CutSettings& c, CutLine& out);
LineKind cut_ghcnm(std::string_view line, const CutSettings& c, CutLine& out);
LineKind cut_climdiv(std::string_view line, const CutSettings& c, CutLine& out);

// climdiv: the missing-value flag of an element (columns 5-6), false for an
// element whose flag is not known.
bool climdiv_element_flag(std::string_view element, float& flag);

// One layout: its name for --layout and how its lines are cut and grouped.
struct Layout {
  std::string_view name;
  std::string_view summary;  // one line for --help
  CutFunction cut;
  float flag;                // the flag without --flag (climdiv: of the first year line's element)
  bool flag_by_element;      // climdiv: the flag comes from the element
  // ghcnm, climdiv: a station starts where the code of the year lines
  // changes. free: a station is the last name line before a run of year lines.
  bool coded;
};

inline constexpr std::array<Layout, 3> kLayouts{{
    {"free", "a year and twelve values per line, separated by blanks, or by tabs or commas",
     cut_free, -999.9f, false, false},
    {"ghcnm", "the global monthly station files: ID, year, element, twelve values in hundredths",
     cut_ghcnm, -99.99f, false, true},
    {"climdiv", "the climate-division files: a 10-column code, then twelve values", cut_climdiv,
     -99.99f, true, true},
}};

// The layout of a name as --layout takes it (exactly, lower case); null when
// there is none.
const Layout* find_layout(std::string_view name);

}  // namespace versel
