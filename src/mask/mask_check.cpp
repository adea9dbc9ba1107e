// Checks of a mask given whole as a text.
#include "mask/mask_check.h"

namespace versel {

Mask mask_from_text(std::string_view text) {
  Mask mask;
  mask.fill(' ');
  for (std::size_t i = 0; i < text.size() && i < mask.size(); ++i) mask[i] = text[i];
  return mask;
}

MaskCheck check_mask_text(std::string_view text) {
  MaskCheck check;
  if (text.size() > static_cast<std::size_t>(kMaskLength)) {
    check.fault = MaskFault::too_long;
    check.count = static_cast<int>(text.size());
    return check;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '3') {
      check.fault = MaskFault::bad_character;
      check.position = static_cast<int>(i) + 1;
      return check;
    }
  }
  const MaskShape shape = analyse_mask(mask_from_text(text));
  if (shape.INM == 0) {
    check.fault = MaskFault::no_month;
    return check;
  }
  if (shape.SEAS) {
    std::size_t closing = text.find_last_of("23");
    std::size_t stray = text.find('1', closing);
    if (stray != std::string_view::npos) {
      check.fault = MaskFault::stray_ones;
      check.position = static_cast<int>(stray) + 1;
      check.closing = static_cast<int>(closing) + 1;
      return check;
    }
  }
  if (shape.NCV > kMaxVariables) {
    check.fault = MaskFault::too_many_variables;
    check.count = shape.NCV;
  }
  return check;
}

}  // namespace versel
