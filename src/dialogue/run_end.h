// How a run of the dialogue ends: the stop (status 0), and the end of a run
// that failed (status 255), with the failure's lines on standard error:
//     ? versel run-time error:          ? System Error:
//     ? Illegal character in numeric input       ? No such file or directory
//     ? READ(UNIT=*,...                 ? OPEN(UNIT=14,...
// or, for data the run cannot use, "? versel run-time error:" and each line
// after "? ". These are the only places where the dialogue ends the process.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "records/failure.h"

namespace versel {

inline constexpr std::string_view kMsgRuntimeHeader = "versel run-time error:";
inline constexpr std::string_view kMsgSystemHeader = "System Error:";

// The three lines of a failed statement, each ending in a line feed:
//   "? versel run-time error:" or "? System Error:", "? " message,
//   "? " statement "(UNIT=" unit ",..."
std::string failure_lines(const Failure& f);

// The lines the dialogue writes on standard error for `f`: failure_lines of
// a statement, else the header and each line after "? " (its own words
// where the failure has them). Empty for a failure whose reason the console
// has shown already.
std::string dialogue_failure_text(const RunFailure& f);

// Ends the run normally: outputs not committed removed, every open file
// closed, exit status 0. A file that cannot be written out ends it as a
// failure.
[[noreturn]] void stop();

// Ends a failed run: the outputs discarded, every file closed, the failure's
// lines on standard error (after the pause, when the failure asks for one),
// exit status 255.
[[noreturn]] void end_failed(const RunFailure& f);

// Runs `steps` and ends the run: through end_failed when they throw, else
// through the stop (which the steps may have reached themselves).
[[noreturn]] void run_to_the_end(const std::function<void()>& steps);

}  // namespace versel
