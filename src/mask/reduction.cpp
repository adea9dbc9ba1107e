// Seasonal sums and averages, single months, and missing values.
#include "mask/reduction.h"

namespace versel {

OutputYears output_years(std::int32_t year_lines, std::int32_t first_year, const MaskShape& shape) {
  OutputYears y{first_year, year_lines - shape.extra};
  if (!shape.lead) y.IFC += shape.extra;
  return y;
}

void form_variables(const MonthlyValues& months, int nyc, const Mask& mask,
                    const MaskShape& shape, float flag, Station& st) {
  for (int i = 0; i < nyc && i < kMaxOutputYears; ++i) {
    const float* window = months.data() + 12 * i;
    int ncv = 0;
    float sm = 0.0f;
    int ncnt = 0;
    bool missing = false;  // a month of the season being formed equals the flag
    for (int j = 0; j < shape.NCM; ++j) {
      char c = mask[static_cast<std::size_t>(j)];
      if (c == '0') continue;
      float v = window[j];
      ++ncnt;
      char kind = shape.SEAS ? c : '2';  // without seasons every month stands alone
      if (kind == '1') {
        if (v == flag) missing = true;
        else sm += v;
        continue;
      }
      if (kind == '2') {
        sm = (missing || v == flag) ? flag : sm + v;
      } else if (kind == '3') {
        sm = (missing || v == flag) ? flag : (sm + v) / static_cast<float>(ncnt);
      } else if (missing) {
        // any other character closes the season without its own month
        sm = flag;
      }
      if (ncv < kMaxVariables) st.Y[static_cast<std::size_t>(i)][static_cast<std::size_t>(ncv)] = sm;
      ++ncv;
      sm = 0.0f;
      ncnt = 0;
      missing = false;
    }
    st.NCV = ncv;
  }
}

}  // namespace versel
