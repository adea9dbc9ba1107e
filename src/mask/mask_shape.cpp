// Quantities derived from a climate mask.
#include "mask/mask_shape.h"

namespace versel {

MaskShape analyse_mask(const Mask& mask) {
  MaskShape m;
  for (int p = 1; p <= kMaskLength; ++p) {
    char c = mask[static_cast<std::size_t>(p - 1)];
    if (c == ' ') break;
    ++m.NCM;
    if (c == '0') continue;
    ++m.INM;
    if (m.IFM == 0) m.IFM = p;
    if (c == '2' || c == '3') m.SEAS = true;
  }
  m.extra = extra_years(m.NCM);
  m.lead = m.IFM > 12;
  // Without season mode every selected month is a variable; in season mode
  // a variable ends at every selected position that is not a "1".
  for (int p = 0; p < m.NCM; ++p) {
    char c = mask[static_cast<std::size_t>(p)];
    if (c == '0') continue;
    if (!m.SEAS || c != '1') ++m.NCV;
  }
  return m;
}

}  // namespace versel
