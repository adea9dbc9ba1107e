// The reduction of a station's monthly values to the climate variables of
// the mask.
#pragma once

#include <cstdint>
#include <vector>

#include "mask/mask_shape.h"
#include "mask/station.h"

namespace versel {

// The output years of a station of `year_lines` lines whose first line is
// `first_year`: a lag mask labels a value with the last calendar year of its
// window (IFC moves on by the extra years), a lead mask with the first.
// NYC is zero or below for a station shorter than the mask.
struct OutputYears {
  std::int32_t IFC;
  std::int32_t NYC;
};
OutputYears output_years(std::int32_t year_lines, std::int32_t first_year, const MaskShape& shape);

// Forms output years 1..nyc from `months` (12 per year line): output year I
// reads the window of year lines I to I + span - 1. A single month is its
// value; a season closed by "2" is the sum of its months, by "3" their
// average over the season's selected months. A month equal to `flag`
// anywhere in a season makes the season `flag`, except in an average when
// `min_months` is above 0: the average of a season with missing months is
// then the mean of its valid months when at least min_months of them are
// valid (all of them, for a season of fewer months), else `flag`. Sets
// st.NCV and sizes st.Y when at least one output year is formed; otherwise
// st.NCV keeps its value. With st.counting, st.N gets the count of valid
// months behind each value: the months of a sum or a single month, the
// valid months of an average, 0 for a value that is the flag.
void form_variables(const std::vector<float>& months, std::int32_t nyc, const Mask& mask,
                    const MaskShape& shape, float flag, Station& st, int min_months = 0);

}  // namespace versel
