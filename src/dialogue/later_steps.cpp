// Until the climate mask and the station loop are in place, a run passes
// from the settings summary straight to the closing.
#include "dialogue/later_steps.h"

namespace versel {

void seasonalize(RunSettings&) {}

}  // namespace versel
