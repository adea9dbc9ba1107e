// The user-defined path of the data-set menu: the typed data format, the
// missing-value flag and, for mat and grd output, the typed header format.
#pragma once

#include "run_settings.h"

namespace versel {

// Asks for FRM, FLAG and (output kinds above 1) FRM3. A lower-case "h" at a
// format prompt shows the data file and asks again; "/" ends the run.
void ask_user_format(RunSettings& s);

}  // namespace versel
