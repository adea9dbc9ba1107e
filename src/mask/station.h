// One station on its way through a run: as read from the data file (its
// header and monthly values), and as the reduction delivers it (its seasonal
// values by output year and climate variable).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace versel {

// A station as read: its header line, when it has one, and its monthly
// values. Year line n (from 0) holds months[12n .. 12n+11], January first;
// years skipped between two year lines hold the flag.
struct StationData {
  bool has_header = false;
  std::string header;              // the header line as read (a layout's: the name)
  // the name tables and files give the station: the header without the
  // fields of its coordinates and without blanks at either end
  std::string name;
  std::int32_t first_year = 0;     // the year of the first year line
  std::vector<float> months;
  float RLAT = 0.0f;               // latitude and longitude (mat, grd, csv)
  float RLON = 0.0f;
  bool has_coordinates = false;    // RLAT and RLON were read for the station
  // a grid's cell: its place (row-major) in the grid its source lays out;
  // -1 for a station that is no cell of such a grid
  std::int64_t cell = -1;

  std::int32_t year_lines() const { return static_cast<std::int32_t>(months.size() / 12); }
};

// A station as reduced: Y holds NYC output years of NCV climate variables,
// output year i (from 0) labelled IFC + i. With `counting`, N holds beside
// each value the number of valid months behind it (0 for a missing value).
struct Station {
  std::vector<float> Y;
  std::vector<std::uint8_t> N;
  bool counting = false;
  std::int32_t IFC = 0;
  std::int32_t NYC = 0;  // output years; zero or below for a station shorter than the mask
  std::int32_t NCV = 0;  // climate variables of each output year

  const float* year(std::int32_t i) const {
    return Y.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(NCV);
  }
};

}  // namespace versel
