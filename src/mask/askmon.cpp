// The mask prompt: ruler, "->", the typed mask and its judgement.
#include "mask/askmon.h"

#include <span>

#include "records/io.h"

namespace versel {

// The month initials over the five years a mask can cover.
inline constexpr std::string_view kRuler =
    "jfmamjjasondjfmamjjasondjfmamjjasondjfmamjjasondjfmamjjasond";

MaskAnswer judge_mask(const Mask& mask) {
  if (mask[0] == '/') return MaskAnswer::stop;
  MaskShape shape = analyse_mask(mask);
  if (shape.NCM == 0 || shape.INM == 0) return MaskAnswer::no_months;
  if (mask[0] == 'h') return MaskAnswer::help;
  if (shape.NCV > kMaxVariables) return MaskAnswer::too_many;
  return MaskAnswer::accepted;
}

bool askmon(Mask& mask) {
  for (;;) {
    write(kConsole, "(/3x,'enter the climate mask (h for help,',' / to exit):'/)", {});
    write(kConsole, "(3x,a)", {kRuler});
    write(kConsole, "(1x,'->',$)", {});
    read(kConsole, "(60a1)", {to_cells(std::span<char>(mask), 1)});
    switch (judge_mask(mask)) {
      case MaskAnswer::stop:
        return false;
      case MaskAnswer::no_months:
        write(kConsole, "(/4x,'*** bad mask! no months selected! ***')", {});
        continue;
      case MaskAnswer::too_many:
        write(kConsole, "(/4x,'*** bad mask! more than 24 climate variables! ***')", {});
        continue;
      case MaskAnswer::help:
        write(kConsole, "(' ')", {});
        show_mask_help();
        continue;
      case MaskAnswer::accepted:
        write(kConsole, "(' ')", {});
        return true;
    }
  }
}

}  // namespace versel
