// The run driver: one run from the banner to the closing lines.
#pragma once

#include "run_settings.h"

namespace versel {

// Runs the steps in order and ends the process: through the stop after the
// closing lines or a quit answer, or through the failure path.
[[noreturn]] void run(RunSettings& s);

}  // namespace versel
