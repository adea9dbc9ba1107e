// The command line's driver: the request carried out, each FILE one run of
// the processing that the dialogue drives too, with the failures of one FILE
// reported and the next FILE run.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "collect/output_names.h"
#include "collect/result_tables.h"
#include "run_settings.h"

namespace versel {

// Carries out the arguments after the program's name and returns the exit
// status: help, version and --explain on standard output, a usage error on
// standard error (kExitUsage), or the run of every FILE in turn (kExitDone,
// or kExitRunFailed when any FILE failed).
int run_command_line(std::span<const char* const> args);

// The settings the dialogue makes for the same answers, before a data file
// is open: output kind, data-set choice or typed formats and flag, mask.
// A known data set's row is applied once the file is open (take_data_set),
// as choices 5 and 6 read its first line.
RunSettings settings_of(const CliRequest& request);

// The outputs of one FILE: the _sea file (kStandardOutput for "-o -") and,
// for mat, the _key file; `key` is empty otherwise.
using FileOutputs = OutputFiles;
FileOutputs outputs_of_file(const CliRequest& request, std::string_view file);

// The summary of a FILE's run, without "versel: FILE: " and the line end:
//   "4 stations, years 1932 to 1999, 4 climate variables; wrote t_sea and t_key"
std::string summary_text(const RunTotals& totals, int variables, const FileOutputs& outputs);

}  // namespace versel
