// Output files that replace earlier ones only at the normal end of a run:
// written under a temporary name beside the final one, renamed over it at
// the commit, removed on every other end, a signal that ends the run
// included. Every output file of the record layer is opened here.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace versel {

// An output file written under a temporary name, waiting for its commit.
struct PendingOutput {
  std::string temp;    // the file written, in the folder of `target`
  std::string target;  // the name it takes at the commit
  int unit = 0;
};

// Opens the output file `name` for writing, as a plain create would: a
// missing or regular file (for a link, the file at the end of its chain of
// links) is written under a temporary name in the same folder, entered in
// `pending`; the new file gets the mode a create would give it, or the mode
// of the file it replaces. Anything else, such as a device or a named pipe,
// is opened directly and `temporary` is false. Null with errno set when the
// file could not be written: a missing or unwritable folder, a file that is
// not writable, a directory.
std::FILE* open_output(std::string_view name, int unit, std::vector<PendingOutput>& pending,
                       bool& temporary);

// Renames every pending output over its target, in the order of the opens.
// False at the first that cannot be renamed, with errno set and `unit` its
// unit; it and the ones after it stay pending.
bool rename_pending(std::vector<PendingOutput>& pending, int& unit);

// Removes the temporary file of every pending output.
void remove_pending(std::vector<PendingOutput>& pending);

// From now on SIGINT, SIGTERM and SIGHUP remove the temporary files of the
// unit table's pending outputs, then end the process as the signal would
// have: its exit status shows the signal. A signal the process was started
// with ignored stays ignored.
void remove_pending_on_signals();

}  // namespace versel
