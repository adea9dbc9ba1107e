// The station reduction: reads one station from the data file and turns its
// monthly values into the climate variables of the mask.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "capacities.h"

#include "dialogue/run_settings.h"
#include "mask/mask_shape.h"
#include "mask/station.h"

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

// Whether a year line follows in the data file; the file is left where it was.
bool year_line_ahead(const RunSettings& s);

// A year a year line may carry: every year label and span stays a 32-bit
// integer.
inline bool year_in_range(std::int32_t year) {
  return year <= kMaxYearMagnitude && year >= -kMaxYearMagnitude;
}

// Reads the station that starts at the data file's position: its header line
// (echoed; written to the _sea file for tsf; its latitude and longitude read
// into RLAT and RLON for mat and grd, and written to the _key file for mat),
// its year lines up to the next header, which it steps back over, or the end
// of the file. Blank lines are skipped. Years skipped between two year lines
// are filled with the flag; a year that does not follow the one before ends
// the run. Sets st.EOF_ when no year line was found. NGRID numbers the
// station from 1 in messages.
void clired(Station& st, const RunSettings& s, const MaskShape& shape, std::int32_t NGRID,
            float& RLAT, float& RLON);

}  // namespace versel
