// The writers of the mat and grd _sea files, from the result tables.
#pragma once

#include "collect/result_tables.h"
#include "dialogue/run_settings.h"

namespace versel {

// One row per year and season from MIN1 on: year, season, every station's value.
void write_mat(const RunSettings& s, const ResultTables& t);

// The long-term mean of every station's seasons: FLAG only for a season
// without any valid value.
void compute_means(const RunSettings& s, ResultTables& t);

// Shows the data-set number, computes the means and writes one line per
// station: latitude, longitude and its means.
void write_grd(const RunSettings& s, ResultTables& t);

}  // namespace versel
