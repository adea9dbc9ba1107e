// The progress line: when to show it, its text, and its clearing. The line
// goes straight to file descriptor 2, past stdio, with a carriage return in
// front so that each showing covers the one before.
#include "records/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "records/units.h"

namespace versel {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kFirstShowing = std::chrono::milliseconds(500);  // a short run shows nothing
constexpr auto kBetweenShowings = std::chrono::milliseconds(200);
constexpr std::uint32_t kNotesPerLook = 16;  // notes between two looks at the clock

void put(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(STDERR_FILENO, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;  // a terminal that takes no more loses its progress line
    done += static_cast<std::size_t>(n);
  }
}

// The share of the data file before its next record, 0 to 100.
int share_read() {
  const InputFile& in = units().slots[static_cast<std::size_t>(kDataUnit)].in;
  if (in.size <= 0) return 100;
  return static_cast<int>(std::min<std::int64_t>(100, in.pos * 100 / in.size));
}

}  // namespace

std::string progress_text(std::string_view label, std::int64_t stations, std::string_view step,
                          int percent, std::size_t width) {
  std::string tail = ": " + std::to_string(stations) + (stations == 1 ? " station " : " stations ");
  tail += step;
  tail += ", " + std::to_string(percent) + "% of the file";
  const std::string_view head = "versel: ";
  std::size_t room = width > head.size() + tail.size() + 1 ? width - 1 - head.size() - tail.size() : 0;
  std::string text(head);
  if (label.size() <= room) {
    text += label;
  } else if (room > 3) {
    text += "...";
    text += label.substr(label.size() - (room - 3));
  }
  text += tail;
  if (text.size() >= width && width > 0) text.resize(width - 1);
  return text;
}

void start_progress(std::string_view label) {
  ProgressLine& p = units().progress;
  p = ProgressLine{};
  p.on = true;
  p.label = label;
  p.due = Clock::now() + kFirstShowing;
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) p.width = size.ws_col;
}

void note_progress(std::int64_t stations, std::string_view step) {
  ProgressLine& p = units().progress;
  if (!p.on || ++p.notes < kNotesPerLook) return;
  p.notes = 0;
  Clock::time_point now = Clock::now();
  if (now < p.due) return;
  p.due = now + kBetweenShowings;
  std::string text = progress_text(p.label, stations, step, share_read(), p.width);
  std::size_t length = text.size();
  // blanks over what is left of a longer line before
  if (length < p.shown) text.append(p.shown - length, ' ');
  put("\r" + text);
  p.shown = length;
}

void end_progress() {
  ProgressLine& p = units().progress;
  if (p.shown > 0) {
    std::string clear(p.shown + 2, ' ');  // back to the start, blanks over the line, back again
    clear.front() = clear.back() = '\r';
    put(clear);
  }
  p = ProgressLine{};
}

}  // namespace versel
