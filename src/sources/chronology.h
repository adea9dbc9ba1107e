// A tree-ring chronology (--chronology FILE): one value a year, read from a
// Tucson (ITRDB) .crn file or from a table of two columns, year and value.
//
// Which of the two a file is, its lines tell: the first line among its
// first four (empty lines and "#" comments passed over) that reads as a
// .crn data line or as a table row decides; a file of which none does is
// read as its name says (".crn", any case, as .crn) and fails there.
//
// .crn (the decadal format of the ITRDB):
//   columns 1-6    site code
//   columns 7-10   year of the line (a year below -999 takes column 6 too
//                  when its "-" stands there, the code then being columns
//                  1-5)
//   columns 11-80  ten pairs: the index times 1000 in four columns, the
//                  sample depth in three; 9990 is "no value"; a blank index
//                  is no value; a blank depth is 0
//   further columns (an optional record number) are not read.
// The year of a value: a line whose year is a multiple of ten (1950, 0,
// -10) holds the ten years of that decade, 1950..1959, pair 1 the decade
// year. The first line of a series may start inside a decade; files write it
// in one of two ways, and the pairs tell which:
//   "ABC   1573 933  11 951  12 ..."  the pairs start at the line's year:
//                                     1573..1579, at most the years left in
//                                     the decade (7 here);
//   "ABC   15739990  09990  09990  0 933  11 ..."
//                                     the pairs keep their decade places
//                                     (1570..1579): the years before 1573
//                                     hold 9990 or blanks.
// A line whose pairs before its year's place are all 9990 or blank is read
// in decade places, any other from its year on. (A series whose first
// years are all "no value" is read the same either way.) Years are
// numbers as written, decades by rounding down: the line "  -10" holds
// -10..-1.
// Header lines: up to three lines that do not read as data lines (the ITRDB
// writes the site name, place and species, and investigator there) before
// the data of each chronology. The chronologies of one file are told apart
// by their site codes: a chronology is a run of data lines of one code with
// no header line inside it; its title is the first header line before it,
// from column 10 on (the ITRDB's site name), or empty. The optional last
// line of statistics (number of years, autocorrelation, ... with decimal
// points) is passed over. A chronology's values are the index / 1000.
//
// Table: a year and a value a line, separated by a tab, a semicolon, a
// comma or blanks (whichever of tab, semicolon and comma the line holds
// first, else blanks); fields may stand in double quotes; in a line split on
// semicolons a decimal comma is a decimal point; empty fields at the end of
// a row are passed over. A third column, when present, is the sample depth
// (a whole number). Up to three title lines
// may come first. When the last of them is a row of column titles whose
// first names the year (year, years, yr, date, or empty as R writes row
// names), the value column's title is the code ("year,std" gives "std");
// the first title line that is not that row is the title. A value empty,
// NA, NaN or "-" is no value. The years increase; skipped years have no
// value.
//
// Both: the chronology runs from its first year with a value to its last;
// years in between without one are NaN.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace versel {

struct Chronology {
  std::string code;                 // .crn site code; a table's value-column title; may be empty
  std::string title;                // the site name of the .crn header; a table's first title line
  std::int32_t first_year = 0;      // the year of values[0]
  std::vector<double> values;       // values[i] is year first_year + i; NaN: no value
  std::vector<std::int32_t> depth;  // the sample depth of each year; 0 where none is given

  std::int32_t last_year() const {
    return first_year + static_cast<std::int32_t>(values.size()) - 1;
  }
  // The value of `year`; NaN outside the chronology.
  double at(std::int32_t year) const;
};

enum class ChronologyKind : std::uint8_t { crn, table };

// Why a chronology file cannot be read: the line (from 1; 0 for the file as a
// whole), the reason, and the line as read.
struct ChronologyError {
  std::int64_t line = 0;
  std::string reason;
  std::string text;
};

// "line N: reason" (just the reason for line 0).
std::string error_message(const ChronologyError& e);

// The line as a message shows it: control bytes as \xHH, cut after 100
// bytes.
std::string error_line_shown(const ChronologyError& e);

// The kind of the text, by its lines and then by `file_name` (see above).
ChronologyKind chronology_kind(std::string_view text, std::string_view file_name);

// The codes of the chronologies of the text in file order (a table: its one
// code); empty when the text cannot be read.
std::vector<std::string> chronology_codes(std::string_view text, std::string_view file_name);

// Reads the chronology `id` (a site code; empty: the first of the file) of
// the text into `out`. False with `error` at the first line that cannot be
// read, and when no chronology has that code or it holds no value.
bool read_chronology(std::string_view text, std::string_view file_name, std::string_view id,
                     Chronology& out, ChronologyError& error);

// The same from the file at `path`; line 0 with the system's reason when it
// cannot be opened.
bool load_chronology(const std::string& path, std::string_view id, Chronology& out,
                     ChronologyError& error);

}  // namespace versel
