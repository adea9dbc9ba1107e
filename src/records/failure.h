// The two ways a run ends from inside the record layer: the stop and the
// failure path with its three lines on standard error.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

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
};

// The three failure lines, each ending in a line feed:
//   "? versel run-time error:" or "? System Error:", "? " message,
//   "? " statement "(UNIT=" unit ",..."
std::string failure_lines(const Failure& f);

// Closes every open file, writes the failure lines to standard error and ends
// the process with exit status -1.
[[noreturn]] void fail(const Failure& f);

// Ends a run that met data it cannot use: every open file closed, then
// "? versel run-time error:" and each of `lines` after "? " on standard
// error, exit status -1.
[[noreturn]] void fail_run(std::initializer_list<std::string_view> lines);

// Ends a run whose table cannot be allocated: every open file closed, then
// "? versel run-time error:", "? not enough memory: " and `what`, and
// "? it needs N MB" on standard error, exit status -1.
[[noreturn]] void fail_memory(const std::string& what, double bytes);

// Ends the run through fail_memory when a table of `bytes` is more than the
// machine's memory, swap included: such a table could only be allocated on
// credit, and filling it would end the run without a word.
void check_memory(const std::string& what, double bytes);

// Ends the run with exit status -1 after its own messages were shown: every
// open file closed, nothing more written.
[[noreturn]] void stop_failed();

// A failure with the system's text for `err` (an errno value).
Failure system_failure(int err, std::string_view statement, Unit unit);

}  // namespace versel
