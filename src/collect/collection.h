// From the accepted mask to the finished output files: result tables,
// pre-scan, station loop and the writer of the output kind.
#pragma once

#include "run_settings.h"

namespace versel {

void collect_and_write(const RunSettings& s);

}  // namespace versel
