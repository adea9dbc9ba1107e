// The choice of data-set format: the menu of the catalogue, the user-defined
// path and the summary of the settings made.
#pragma once

#include "run_settings.h"

namespace versel {

// Sets IFMT, FRM, FLAG, FRM3 and FRMOUT from the dialogue and writes the
// summary. Choice 5 leaves the data file at its start, choice 6 after its
// first line; the quit answer of the user-defined path ends the run.
void choose_data_set(RunSettings& s);

// The two summary lines of the formats and the flag, under their titles.
void write_summary(const RunSettings& s);

}  // namespace versel
