// How a run that cannot go on is reported: the record layer and every layer
// above it throw RunFailure, and only a front end catches it and decides how
// the run ends (the dialogue: the "? " lines on standard error and status
// 255; the command line: "versel: FILE: " and the lines, then the next FILE).
// Nothing below the front ends ends the process.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/io.h"

namespace versel {

inline constexpr std::string_view kMsgReadPastEnd = "Attempt to read past end of file";
inline constexpr std::string_view kMsgNotConnected = "Unit not connected";
inline constexpr std::string_view kMsgNotRegularFile = "Not a regular file";

// A failed statement.
struct Failure {
  bool system = false;      // reported by the operating system
  std::string message;      // the record layer's message or the system's text
  std::string_view statement;  // "READ", "WRITE", "OPEN", ...
  Unit unit = kConsole;
  std::string format{};     // a failed read of a text held in memory: its format
};

// A run that cannot go on: a failed statement, or data the run cannot use.
// It is no std::exception, so that no handler of the processing takes it
// for one of its own. The catcher discards the outputs (abandon_run).
struct RunFailure {
  std::optional<Failure> statement;  // a failed statement; else `lines` say what failed
  // of a failed statement, taken when it failed, for the messages that name them
  std::string unit_name;       // the name its file unit was opened with
  std::string unit_text;       // the text of its internal unit (the unit's view dangles)
  std::int64_t data_line = 0;  // the line of the data file read last
  // what failed, first line first, then lines that show more (such as
  // "line: " and the line); empty for a statement
  std::vector<std::string> lines;
  std::int64_t at_line = 0;  // the line of the data file `lines` are about; 0 for none
  // the dialogue has shown the reason on its console already: it pauses with
  // this text, then ends without a message of its own
  std::string pause;
  // the dialogue's own words for the failure where they differ from `lines`
  std::vector<std::string> dialogue_lines;
};

// Throws RunFailure for a failed statement, with the unit's name and the
// data file's line filled in.
[[noreturn]] void fail(Failure f);

// Throws RunFailure for data the run cannot use.
[[noreturn]] void fail_run(std::initializer_list<std::string_view> lines);

// fail_run for a line of the data file that the run cannot use, the line
// read last (its number in at_line).
[[noreturn]] void fail_at_line(std::initializer_list<std::string_view> lines);

// Throws the failure `f` at the line of the data file read last.
[[noreturn]] void fail_at_line(RunFailure f);

// The failure of a run whose table cannot be allocated:
// "not enough memory: " and `what`, "it needs N MB".
[[noreturn]] void fail_memory(const std::string& what, double bytes);

// fail_memory when a table of `bytes` is more than the machine's memory,
// swap included: such a table could only be allocated on credit, and filling
// it would end the run without a word.
void check_memory(const std::string& what, double bytes);

// A failure with the system's text for `err` (an errno value).
Failure system_failure(int err, std::string_view statement, Unit unit);

}  // namespace versel
