// The reduction of one station by the mask.
#include "mask/clired.h"

#include "mask/reduction.h"

namespace versel {

void clired(Station& st, const StationData& d, const RunSettings& s, const MaskShape& shape) {
  OutputYears years = output_years(d.year_lines(), d.first_year, shape);
  st.IFC = years.IFC;
  st.NYC = years.NYC;
  form_variables(d.months, st.NYC, s.MASK, shape, s.FLAG, st, s.min_months);
}

}  // namespace versel
