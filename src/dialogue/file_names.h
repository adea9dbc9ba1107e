// The input-file prompt and the opens of the data file and the outputs.
#pragma once

#include "run_settings.h"

namespace versel {

// Asks for the input file and opens it on unit 14; sets ISKIP, OUTFL and,
// for mat output, OUTFL2, and creates those files on units 12 and 13. An
// output name that leads to the input file, or a _key name that leads to the
// _sea file, ends the run before any output file is created.
void name_files(RunSettings& s);

}  // namespace versel
