// The progress line of a long run on a terminal: one line on standard
// error, rewritten in place, with the stations read so far and the share of
// the data file behind them. The station loop notes each station; the front
// end switches the line on for a file and clears it at the file's end. Off,
// a note costs one test.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace versel {

struct ProgressLine {
  bool on = false;
  std::string label;                              // the data file, as the user named it
  std::chrono::steady_clock::time_point due;      // the earliest time of the next showing
  std::uint32_t notes = 0;                        // notes since the clock was looked at
  std::size_t shown = 0;                          // characters of the line on the terminal
  std::size_t width = 80;                         // columns of the terminal
};

// The line, at most `width` - 1 characters; a label too long for it loses
// its start to "...":
//   "versel: a.dat: 1234 stations read, 45% of the file"
std::string progress_text(std::string_view label, std::int64_t stations, std::string_view step,
                          int percent, std::size_t width);

// From now on, notes show the line for `label` once half a second has
// passed. Standard error must be a terminal: the caller has asked isatty.
void start_progress(std::string_view label);

// Station `stations` of the file is done; `step` says what was done with it
// ("read", or "scanned" by the pre-scan). Looks at the clock every few notes
// only, and rewrites the line at most five times a second.
void note_progress(std::int64_t stations, std::string_view step = "read");

// Clears the line when it is shown, so that the next text starts on an
// empty line, and switches it off.
void end_progress();

}  // namespace versel
