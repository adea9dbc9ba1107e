// The station reduction: reads one station from the data file and turns its
// monthly values into the climate variables of the mask.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "capacities.h"
#include "mask/mask_shape.h"
#include "mask/station.h"
#include "run_settings.h"

namespace versel {

// A line of blanks and tabs only, or empty: neither a year line nor a
// header. The pre-scan and the reduction skip the same lines.
bool is_blank_line(std::string_view line);

// A year line is a line that the data format reads without error as a year
// and twelve monthly values, with a digit in its year field; a month field
// without a digit is missing (read_year_record of the record layer). False
// for any other line (a header).
bool read_year_line(const RunSettings& s, std::string_view line, std::int32_t& IYR,
                    std::array<float, 12>& CL);

// Whether a line is a year line, and its year: what read_year_line decides,
// for the pre-scan, which needs no monthly values.
bool is_year_line(const RunSettings& s, std::string_view line, std::int32_t& IYR);

// A year a year line may carry: every year label and span stays a 32-bit
// integer.
inline bool year_in_range(std::int32_t year) {
  return year <= kMaxYearMagnitude && year >= -kMaxYearMagnitude;
}

// Reads up to the station's first year line: true with the station's header
// line in d.header when one stands first (blank lines skipped), or with
// d.has_header false when a year line comes first (only the first station of
// a file may lack a header); false at the end of the data file. The year
// lines are left for read_year_lines.
bool read_header(StationData& d, const RunSettings& s);

// Reads the station's year lines up to the next header, which it steps back
// over, or the end of the file; blank lines are skipped. Years skipped
// between two year lines are filled with the flag; a year that does not
// follow the one before ends the run. A header followed by a second line that
// is no year line ends the run with "error reading line:", the line and a
// pause. d.months stays empty when the file ends first. NGRID numbers the
// station from 1 in messages.
void read_year_lines(StationData& d, const RunSettings& s, std::int32_t NGRID);

// Reduces a station as read by the mask into st: the output years and
// their climate variables (see form_variables).
void clired(Station& st, const StationData& d, const RunSettings& s, const MaskShape& shape);

}  // namespace versel
