// The climate mask, then the station loop and the writer of the output kind.
#include "dialogue/later_steps.h"

#include "collect/collection.h"
#include "mask/askmon.h"

namespace versel {

void seasonalize(RunSettings& s) {
  askmon(s.MASK);
  collect_and_write(s);
}

}  // namespace versel
