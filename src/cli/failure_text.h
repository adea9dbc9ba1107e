// A failed run in the command line's words: the lines that follow
// "versel: FILE: " on standard error.
#pragma once

#include <string>
#include <vector>

#include "records/failure.h"

namespace versel {

// The lines of a failed statement (failed.statement): the file by its name (the data file,
// whose name the caller shows, by its line), the system's or the record
// layer's reason.
//   open of the data file      "No such file or directory"
//   open of an output          "cannot create out/a_sea: Permission denied"
//   write of an output         "cannot write a_sea: No space left on device"
//   read of the data file      "line 8: Input/output error"; at its end
//                              "the file is empty" or "no line after line 7"
//   read of a line in memory   "line 3 does not fit the format (2x,2f7.1):
//                              Illegal character in numeric input", "line: ..."
std::vector<std::string> statement_failure_lines(const RunFailure& failed);

// The lines of any failed run: a statement's, or the failure's own lines,
// the first after "line N: " when it is about a line of the data file. A
// failure whose reason the dialogue's console showed has its lines too.
std::vector<std::string> failure_lines_of(const RunFailure& f);

}  // namespace versel
