// Lines of the data unit with their tabs. Until the record layer can deliver
// a record unedited, the bytes of the record that read_line has just read are
// taken again from the unit's window, or from the file when a record longer
// than the window has moved it: the record layer stays the one reader of the
// file, and its line count and its step back stay right.
#include "layouts/data_lines.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "records/failure.h"
#include "records/io.h"
#include "records/units.h"

namespace versel {
namespace {

// The bytes of the file from `from` to `to` into `line`: from the window
// when it holds them, else read from the file.
void raw_bytes(const InputFile& f, std::int64_t from, std::int64_t to, std::string& line) {
  const auto n = static_cast<std::size_t>(to - from);
  if (from >= f.start && to <= f.start + static_cast<std::int64_t>(f.filled)) {
    line.assign(f.window.get() + (from - f.start), n);
    return;
  }
  line.resize(n);
  std::size_t got = 0;
  while (got < n) {
    ssize_t r = ::pread(f.fd, line.data() + got, n - got, static_cast<off_t>(from) + static_cast<off_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) fail(system_failure(r < 0 ? errno : EIO, "READ", file_unit(kDataUnit)));
    got += static_cast<std::size_t>(r);
  }
}

}  // namespace

bool read_data_line(std::string& line) {
  const InputFile& f = units().slots[static_cast<std::size_t>(kDataUnit)].in;
  const std::int64_t from = f.pos;
  if (read_line(file_unit(kDataUnit), line, kOnEnd) == IoStatus::end) return false;
  // a tab is expanded to one blank at least: a line without blanks had none
  if (line.find(' ') == std::string::npos) return true;
  const std::int64_t to = f.pos;
  bool tab = false;
  if (from >= f.start && to <= f.start + static_cast<std::int64_t>(f.filled))
    tab = std::memchr(f.window.get() + (from - f.start), '\t', static_cast<std::size_t>(to - from));
  else
    tab = true;  // a record longer than the window: read it again to see
  if (!tab) return true;
  raw_bytes(f, from, to, line);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  std::erase(line, '\r');
  return true;
}

void skip_lines(std::int64_t n) {
  std::string line;
  for (std::int64_t i = 0; i < n; ++i)
    if (read_line(file_unit(kDataUnit), line, kOnEnd) == IoStatus::end) return;
}

}  // namespace versel
