// The steps between the settings summary and the closing: the climate mask,
// the station loop and the writers.
#pragma once

#include "run_settings.h"

namespace versel {

// Reduces every station of the data file by the climate mask and writes the
// output files of the chosen kind.
void seasonalize(RunSettings& s);

}  // namespace versel
