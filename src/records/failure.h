// The two ways a run ends from inside the record layer: the stop and the
// failure path. The failure path has two modes, kept in the unit table: the
// dialogue's, which writes its "? " lines on standard error and ends the
// process with status 255, and the command line's, which raises RunFailure
// so that its driver can end that FILE's run and go on with the next one.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "records/io.h"

namespace versel {

inline constexpr std::string_view kMsgReadPastEnd = "Attempt to read past end of file";
inline constexpr std::string_view kMsgNotConnected = "Unit not connected";
inline constexpr std::string_view kMsgNotRegularFile = "Not a regular file";
inline constexpr std::string_view kMsgRuntimeHeader = "versel run-time error:";
inline constexpr std::string_view kMsgSystemHeader = "System Error:";

// A failed statement, as the failure lines show it.
struct Failure {
  bool system = false;      // reported by the operating system
  std::string message;      // the record layer's message or the system's text
  std::string_view statement;  // "READ", "WRITE", "OPEN", ...
  Unit unit = kConsole;
  std::string format{};     // a failed read of a text held in memory: its format
};

enum class FailureMode : std::uint8_t {
  end_process,  // the dialogue: "? " lines on standard error, exit status 255
  raise,        // the command line: throw RunFailure; nothing written, nothing closed
};

// A run that failed in FailureMode::raise. The lines say what failed in the
// terms of the command line, without "? " and without the statement: a
// first line such as "line 7: station 2: year 1990 does not follow year
// 1991", then lines that show more (such as "line: " and the line). The
// catcher discards the outputs (discard_outputs) and closes the units.
// It is no std::exception, so that no handler of the processing takes it
// for one of its own.
struct RunFailure {
  std::vector<std::string> lines;
};

void set_failure_mode(FailureMode mode);
FailureMode failure_mode();

// The lines of RunFailure for a failed statement: the file by its name (the
// data file, whose name the catcher shows, by its line), the system's or
// the record layer's reason.
//   open of the data file      "No such file or directory"
//   open of an output          "cannot create out/a_sea: Permission denied"
//   write of an output         "cannot write a_sea: No space left on device"
//   read of the data file      "line 8: Input/output error"; at its end
//                              "the file is empty" or "no line after line 7"
//   read of a line in memory   "line 3 does not fit the format (2x,2f7.1):
//                              Illegal character in numeric input", "line: ..."
std::vector<std::string> failure_message(const Failure& f);

// The three failure lines, each ending in a line feed:
//   "? versel run-time error:" or "? System Error:", "? " message,
//   "? " statement "(UNIT=" unit ",..."
std::string failure_lines(const Failure& f);

// Closes every open file, writes the failure lines to standard error and ends
// the process with exit status -1. Raised: failure_message(f).
[[noreturn]] void fail(const Failure& f);

// Ends a run that met data it cannot use: every open file closed, then
// "? versel run-time error:" and each of `lines` after "? " on standard
// error, exit status -1. Raised: the lines as they are.
[[noreturn]] void fail_run(std::initializer_list<std::string_view> lines);

// fail_run for a line of the data file that the run cannot use, the line
// read last. Raised, the first line starts with "line N: ", its number.
[[noreturn]] void fail_at_line(std::initializer_list<std::string_view> lines);

// The end of a run that has shown its reason on the console already: the
// dialogue pauses with `text` and ends through stop_failed. Raised, no one
// waits at a console: fail_at_line(lines) instead.
[[noreturn]] void pause_then_fail(std::string_view text,
                                  std::initializer_list<std::string_view> lines);

// Ends a run whose table cannot be allocated: every open file closed, then
// "? versel run-time error:", "? not enough memory: " and `what`, and
// "? it needs N MB" on standard error, exit status -1.
[[noreturn]] void fail_memory(const std::string& what, double bytes);

// Ends the run through fail_memory when a table of `bytes` is more than the
// machine's memory, swap included: such a table could only be allocated on
// credit, and filling it would end the run without a word.
void check_memory(const std::string& what, double bytes);

// Ends the run with exit status -1 after its own messages were shown: every
// open file closed, nothing more written. Raised: RunFailure without lines.
[[noreturn]] void stop_failed();

// A failure with the system's text for `err` (an errno value).
Failure system_failure(int err, std::string_view statement, Unit unit);

}  // namespace versel
