// Coordinates of stations from a file of their own (--coords FILE), looked
// up by a station's place code: the ID (ghcnm), columns 1-4 (climdiv), the
// name line's first field (free).
//
// - A file whose name ends in ".inv" is a station inventory of the monthly
//   station files: ID in columns 1-11, latitude 13-20, longitude 22-30,
//   name 39-68, further columns ignored.
// - Any other file is a table whose fields are separated by tabs,
//   semicolons, commas or blanks (the first of these that its first row
//   holds), each field optionally in double quotes. A first row whose
//   fields name a column lat or latitude is a row of titles: lon, long or
//   longitude names the longitude, a title holding "name" the name, and the
//   code is the first other column. Without titles the columns are code,
//   latitude, longitude and an optional name. In a table separated by
//   semicolons a decimal comma is a decimal point ("41,5").
//
// Empty lines and lines starting with "#" are passed over; CR LF and LF
// both end a line. Codes compare after their leading zeros are removed: a
// table's "101" is the climate division 0101.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace versel {

struct Place {
  float latitude = 0.0f;
  float longitude = 0.0f;
  std::string name;       // empty when the file gives none
  std::int64_t line = 0;  // the line of the file that lists it
};

// Hashes std::string and std::string_view alike, so that a code is looked up
// without a copy.
struct CodeHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct CoordinateTable {
  // by place_key of the code
  std::unordered_map<std::string, Place, CodeHash, std::equal_to<>> places;
};

// A code as codes are compared: blanks and one pair of double quotes
// around it removed, then its leading zeros ("0101" -> "101", "000" -> "0").
std::string_view place_key(std::string_view code);

// The place of a code; null when the table does not list it.
const Place* find_place(const CoordinateTable& t, std::string_view code);

// Reads the text of an inventory or of a table into `t`. False with `error`
// ("line N: ...") at the first line that cannot be read.
bool read_inventory(std::string_view text, CoordinateTable& t, std::string& error);
bool read_coordinate_table(std::string_view text, CoordinateTable& t, std::string& error);

// Reads the file at `path`: an inventory when its name ends in ".inv" (any
// case), else a table. False with `error` (the system's reason, or
// "line N: ...") when it cannot be read.
bool load_coordinates(const std::string& path, CoordinateTable& t, std::string& error);

}  // namespace versel
