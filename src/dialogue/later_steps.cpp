// The climate mask, then the station loop and the writer of the output kind.
#include "dialogue/later_steps.h"

#include "collect/collection.h"
#include "dialogue/run_end.h"
#include "mask/askmon.h"

namespace versel {

void seasonalize(RunSettings& s) {
  if (!askmon(s.MASK)) stop();
  StationSource source = catalogue_reader(s, needs_coordinates(s));
  collect_and_write(s, source);
}

}  // namespace versel
