// The station source of the catalogue's data sets and of a format typed by
// the user: a station is a header line, then year lines read through the
// data format FRM; its latitude and longitude come from the header through
// the header format FRM3.
//
// - A year line is a line that the data format reads without error as a
//   year and twelve monthly values, with a digit in its year field; a month
//   field without a digit is missing. Any other line is a header.
// - Blank lines are skipped everywhere.
// - Only the first station of a file may lack a header: its first line is a
//   year line. Its coordinates are the flag.
// - A header followed by a second line that is no year line means the data
//   format does not fit the file: the console shows "error reading line:"
//   and the line, and the run fails (the dialogue pauses first).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "mask/station.h"
#include "records/format_columns.h"
#include "run_settings.h"

namespace versel {

// A line of blanks and tabs only, or empty: neither a year line nor a
// header.
bool is_blank_line(std::string_view line);

// Reads `line` as a year line through the data format (read_year_record of
// the record layer); false for any other line (a header).
bool read_year_line(const RunSettings& s, std::string_view line, std::int32_t& IYR,
                    std::array<float, 12>& CL);

// Whether a line is a year line, and its year, without converting the months.
bool is_year_line(const RunSettings& s, std::string_view line, std::int32_t& IYR);

// The catalogue's reader of the data file open on the data unit.
struct CatalogueReader {
  const RunSettings* s = nullptr;
  bool coordinates = false;  // read every header's latitude and longitude
  std::int32_t NGRID = 0;    // the station read last, from 1
  // the columns of a header that the header format reads, left out of the
  // station's name; none without a header format
  std::vector<ColumnSpan> coordinate_columns;
};

// The reader of the settings' data set or typed format: `coordinates` when
// the output needs the stations' latitudes and longitudes.
CatalogueReader catalogue_reader(const RunSettings& s, bool coordinates);

// Reads the next station into `d`: its header (shown on the console as
// "reading in:" and the line), its name (the header without the columns of
// its coordinates) and coordinates, then its year lines up to the
// next header, which it steps back over, or the end of the file. False at
// the end of the file; a header that no year line follows at the end is the
// last station, without months.
bool next_catalogue_station(CatalogueReader& r, StationData& d);

// The first and last year of every station from the reader's position on,
// taken as next_catalogue_station takes them but without converting a month;
// then back to the first station (rewind_catalogue).
void catalogue_year_spans(CatalogueReader& r, std::vector<std::int32_t>& first,
                          std::vector<std::int32_t>& last);

// Back to the first station: the data file rewound, the --skip lines and a
// first line that the data set skips read again.
void rewind_catalogue(CatalogueReader& r);

}  // namespace versel
