// Seasonal sums and averages, single months, and missing values.
#include "mask/reduction.h"

namespace versel {

OutputYears output_years(std::int32_t year_lines, std::int32_t first_year, const MaskShape& shape) {
  OutputYears y{first_year, year_lines - shape.extra};
  if (!shape.lead) y.IFC += shape.extra;
  return y;
}

void form_variables(const std::vector<float>& months, std::int32_t nyc, const Mask& mask,
                    const MaskShape& shape, float flag, Station& st, int min_months) {
  if (nyc < 1) return;
  // the last window ends at the last year line
  if (static_cast<std::size_t>(nyc - 1) * 12 + static_cast<std::size_t>(shape.NCM) > months.size())
    return;
  st.NCV = shape.NCV;
  const std::size_t values = static_cast<std::size_t>(nyc) * static_cast<std::size_t>(shape.NCV);
  st.Y.resize(values);
  float* out = st.Y.data();
  if (st.counting) st.N.resize(values);
  std::uint8_t* count = st.counting ? st.N.data() : nullptr;
  for (std::int32_t i = 0; i < nyc; ++i) {
    const float* window = months.data() + 12 * static_cast<std::size_t>(i);
    float sm = 0.0f;       // the sum of the valid months of the season being formed
    int ncnt = 0;          // its selected months
    int nvalid = 0;        // its valid months
    bool missing = false;  // a month of the season being formed equals the flag
    for (int j = 0; j < shape.NCM; ++j) {
      char c = mask[static_cast<std::size_t>(j)];
      if (c == '0') continue;
      float v = window[j];
      ++ncnt;
      char kind = shape.SEAS ? c : '2';  // without seasons every month stands alone
      if (kind == '1') {
        if (v == flag) {
          missing = true;
        } else {
          sm += v;
          ++nvalid;
        }
        continue;
      }
      if (kind == '2') {
        sm = (missing || v == flag) ? flag : sm + v;
      } else if (kind == '3') {
        if (!missing && v != flag) {
          sm = (sm + v) / static_cast<float>(ncnt);
        } else if (min_months > 0) {
          // the mean of the valid months, when there are enough of them
          const int valid = nvalid + (v != flag);
          if (v != flag) sm += v;
          int need = min_months < ncnt ? min_months : ncnt;
          sm = valid >= need && valid > 0 ? sm / static_cast<float>(valid) : flag;
        } else {
          sm = flag;
        }
      } else if (missing) {
        // any other character closes the season without its own month
        sm = flag;
      }
      *out++ = sm;
      // the valid months behind the value: all of them, or with min_months
      // those of an average that were there
      if (count) *count++ = static_cast<std::uint8_t>(sm == flag ? 0 : nvalid + (v != flag));
      sm = 0.0f;
      ncnt = 0;
      nvalid = 0;
      missing = false;
    }
  }
}

}  // namespace versel
