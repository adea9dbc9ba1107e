// The data file read through a window: records forward with memchr in the
// window, steps back with memrchr over the bytes before the position, the
// window moved by pread wherever the next byte needed lies.
#include "records/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace versel {
namespace {

// Fills the window with the bytes from `offset` on. A window that comes back
// short reaches the end of the file.
bool load(InputFile& f, std::int64_t offset) {
  std::size_t n = 0;
  while (n < f.capacity) {
    ssize_t got = ::pread(f.fd, f.window.get() + n, f.capacity - n,
                          static_cast<off_t>(offset + static_cast<std::int64_t>(n)));
    if (got < 0) {
      if (errno == EINTR) continue;
      f.filled = 0;
      f.start = offset;
      f.reaches_end = false;
      return false;
    }
    if (got == 0) break;
    n += static_cast<std::size_t>(got);
  }
  f.start = offset;
  f.filled = n;
  f.reaches_end = n < f.capacity;
  return true;
}

bool holds(const InputFile& f, std::int64_t offset) {
  return offset >= f.start && offset - f.start <= static_cast<std::int64_t>(f.filled);
}

// The record from window[from] to window[to), the line feed (if any) after it.
std::string_view take(InputFile& f, std::size_t from, std::size_t to, std::string& scratch,
                      Tabs tabs) {
  const char* p = f.window.get() + from;
  std::size_t len = to - from;
  std::string_view raw(p, len);
  ++f.records;
  if (!std::memchr(p, '\r', len) && (tabs == Tabs::kept || !std::memchr(p, '\t', len))) return raw;
  edit_line(raw, scratch, tabs);
  return scratch;
}

// A record that does not lie whole in the window, from f.pos on: the window
// moves to it, and a line longer than the window is edited into `scratch`
// one window at a time.
LineRead next_line_moving(InputFile& f, std::string_view& line, std::string& scratch, Tabs tabs) {
  if (!load(f, f.pos)) return LineRead::failed;
  if (f.filled == 0) return LineRead::end;
  scratch.clear();
  for (;;) {
    const char* base = f.window.get();
    const char* nl = static_cast<const char*>(std::memchr(base, '\n', f.filled));
    std::size_t len = nl ? static_cast<std::size_t>(nl - base) : f.filled;
    if (f.start == f.pos && (nl || f.reaches_end)) {
      // the whole record now lies in the window
      f.pos += static_cast<std::int64_t>(nl ? len + 1 : len);
      line = take(f, 0, len, scratch, tabs);
      return LineRead::line;
    }
    append_edited(std::string_view(base, len), scratch, tabs);
    std::int64_t next = f.start + static_cast<std::int64_t>(f.filled);
    if (nl || f.reaches_end) {
      f.pos = f.start + static_cast<std::int64_t>(nl ? len + 1 : len);
      ++f.records;
      line = scratch;
      return LineRead::line;
    }
    if (!load(f, next)) return LineRead::failed;
  }
}

// Makes the window hold the byte before `offset` (offset > 0), and some
// bytes after it for the record that follows. False on a read error.
bool hold_before(InputFile& f, std::int64_t offset) {
  if (offset > f.start && holds(f, offset)) return true;
  std::int64_t back = static_cast<std::int64_t>(f.capacity - f.capacity / 4);
  return load(f, offset > back ? offset - back : 0);
}

// The offset of the last line feed before `end`, or -1 when there is none.
// Scans the window backwards, moving it back one window at a time.
bool last_line_feed(InputFile& f, std::int64_t end, std::int64_t& found) {
  while (end > 0) {
    if (!hold_before(f, end)) return false;
    // a file cut short since it was read has no bytes from its new end on
    std::int64_t held_end = f.start + static_cast<std::int64_t>(f.filled);
    if (end > held_end) end = held_end;
    std::size_t n = static_cast<std::size_t>(end - f.start);
    if (const void* p = ::memrchr(f.window.get(), '\n', n)) {
      found = f.start + (static_cast<const char*>(p) - f.window.get());
      return true;
    }
    end = f.start;
  }
  found = -1;
  return true;
}

}  // namespace

void append_edited(std::string_view raw, std::string& out, Tabs tabs) {
  for (char c : raw) {
    if (c == '\r') continue;
    if (c == '\t' && tabs == Tabs::expanded) {
      // the next character stands at the next column 9, 17, 25, ...
      out.append(8 - out.size() % 8, ' ');
      continue;
    }
    out.push_back(c);
  }
}

void edit_line(std::string_view raw, std::string& out, Tabs tabs) {
  out.clear();
  append_edited(raw, out, tabs);
}

bool open_input(InputFile& f, const char* path, std::size_t capacity) {
  close_input(f);
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  f.fd = fd;
  struct stat st {};
  if (::fstat(fd, &st) == 0) f.size = static_cast<std::int64_t>(st.st_size);
  f.window = std::make_unique_for_overwrite<char[]>(capacity);
  f.capacity = capacity;
  return true;
}

void close_input(InputFile& f) {
  if (f.fd >= 0) ::close(f.fd);
  f = InputFile{};
}

LineRead next_line(InputFile& f, std::string_view& line, std::string& scratch, Tabs tabs) {
  if (holds(f, f.pos)) {
    std::size_t from = static_cast<std::size_t>(f.pos - f.start);
    std::size_t left = f.filled - from;
    const char* base = f.window.get() + from;
    if (const char* nl = static_cast<const char*>(std::memchr(base, '\n', left))) {
      std::size_t len = static_cast<std::size_t>(nl - base);
      f.pos += static_cast<std::int64_t>(len + 1);
      line = take(f, from, from + len, scratch, tabs);
      return LineRead::line;
    }
    if (f.reaches_end) {
      // the last line of the file has no line end
      if (left == 0) return LineRead::end;
      f.pos += static_cast<std::int64_t>(left);
      line = take(f, from, f.filled, scratch, tabs);
      return LineRead::line;
    }
  }
  return next_line_moving(f, line, scratch, tabs);
}

bool step_back(InputFile& f) {
  if (f.pos == 0) return true;
  std::int64_t end = f.pos;
  if (!hold_before(f, end)) return false;
  // the line feed that ends the record read last is not where it starts
  if (holds(f, end) && end > f.start && f.window[static_cast<std::size_t>(end - 1 - f.start)] == '\n')
    --end;
  std::int64_t found = -1;
  if (!last_line_feed(f, end, found)) return false;
  f.pos = found + 1;
  if (f.records > 0) --f.records;
  return true;
}

void restart(InputFile& f) {
  f.pos = 0;
  f.records = 0;
}

}  // namespace versel
