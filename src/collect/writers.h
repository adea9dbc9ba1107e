// The lines of the output files: tsf headers and year lines as each station
// is read, _key lines, the mat rows and grd lines from the result tables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "collect/result_tables.h"
#include "mask/station.h"
#include "run_settings.h"

namespace versel {

// The station's header line in the _sea file, laid out by data set; LINE is
// the header filled with blanks to 100 characters.
void write_tsf_header(const RunSettings& s, const std::string& LINE);

// The console line " ncv= ... nyc ..." and one _sea line per output year.
void write_tsf_station(const RunSettings& s, const Station& st);

// A station's line of the _key file.
void write_key_line(float RLAT, float RLON);

// Keeps a station's coordinates and the long-term mean of each of its `ncv`
// climate variables: the flag only for a variable without any valid value.
void keep_means(const RunSettings& s, const StationData& d, const Station& st, std::int32_t ncv,
                ResultTables& t);

// What every row of a csv run shares: the decimals of its values and the
// short names of the climate variables.
struct CsvTable {
  int decimals = 2;
  std::vector<std::string> seasons;
};
CsvTable csv_table(const RunSettings& s);

// A text field of a csv row: in double quotes, its quotes doubled, when it
// holds a comma, a quote or a line break (RFC 4180).
void append_csv_text(std::string& row, std::string_view text);

// A value as a tsf field shows it, with `decimals` and the same rounding,
// without the blanks before it.
void append_csv_number(std::string& row, float value, int decimals);

// The decimals of the values of a run's outputs: 3 for the data sets that
// have them, else 2.
int csv_decimals(const RunSettings& s);

// The title row of a csv file.
void write_csv_head();

// One csv row per output year and climate variable of station NGRID:
// station,name,lat,lon,year,season,value,n_months, n_months the valid
// months behind the value (st.N). A missing value with its count, and the
// coordinates of a station without them, are empty fields.
void write_csv_station(const RunSettings& s, const CsvTable& csv, std::int32_t NGRID,
                       const StationData& d, const Station& st);

// One row per year and season from MIN1 on: year, season, every station's value.
void write_mat(const RunSettings& s, const ResultTables& t);

// Shows the data-set number and writes one line per station: latitude,
// longitude and its means.
void write_grd(const RunSettings& s, const ResultTables& t);

}  // namespace versel
