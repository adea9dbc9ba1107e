// Numbered file units, the console and the format cache.
#include "records/units.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

namespace versel {
namespace {

constexpr std::size_t kOutputBuffer = std::size_t{1} << 16;  // bytes an output file gathers per write

Failure not_connected(std::string_view statement, Unit unit) {
  return Failure{false, std::string(kMsgNotConnected), statement, unit};
}

UnitSlot* slot_of(int number) {
  if (number < 0 || number > kMaxUnit) return nullptr;
  return &units().slots[static_cast<std::size_t>(number)];
}

// One typed line from standard input; false at its end.
bool console_line(std::string& raw, Failure& fail) {
  raw.clear();
  if (std::fflush(stdout) != 0) {
    fail = system_failure(errno, "WRITE", kConsole);
    return false;
  }
  // character by character: a NUL byte typed in a line is one more
  // character of it, not the end of the line
  bool any = false;
  for (int c; (c = std::getc(stdin)) != EOF;) {
    any = true;
    if (c == '\n') return true;
    raw.push_back(static_cast<char>(c));
  }
  if (std::ferror(stdin)) {
    fail = system_failure(errno, "READ", kConsole);
    return false;
  }
  return any;
}

bool read_whole_file(std::FILE* f, std::string& data) {
  data.clear();
  char chunk[65536];
  for (;;) {
    std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
    data.append(chunk, n);
    if (n < sizeof chunk) return !std::ferror(f);
  }
}

}  // namespace

UnitTable& units() {
  static UnitTable table;
  return table;
}

void start_records() { std::signal(SIGPIPE, SIG_IGN); }

CachedFormat& cached_entry(FormatText text) {
  UnitTable& t = units();
  char origin = text.origin == FormatOrigin::held ? 'h' : 'f';
  for (auto* entry : t.recent) {
    if (!entry) break;
    const std::string& k = entry->first;
    if (k.size() == text.text.size() + 1 && k[0] == origin &&
        std::memcmp(k.data() + 1, text.text.data(), text.text.size()) == 0)
      return entry->second;
  }
  t.key.assign(1, origin);
  t.key.append(text.text);
  auto it = t.formats.find(t.key);
  if (it == t.formats.end()) {
    if (t.formats.size() >= static_cast<std::size_t>(kFormatCacheSize)) {
      t.formats.clear();
      t.recent.fill(nullptr);
    }
    it = t.formats.emplace(t.key, CachedFormat{translate(text.text, text.origin), {}, false}).first;
  }
  // the newest first; map nodes stay where they are until the map is cleared
  for (std::size_t i = t.recent.size() - 1; i > 0; --i) t.recent[i] = t.recent[i - 1];
  t.recent[0] = &*it;
  return it->second;
}

void edit_line(std::string_view raw, std::string& out) {
  out.clear();
  for (char c : raw) {
    if (c == '\r') continue;
    if (c == '\t') {
      // the next character stands at the next column 9, 17, 25, ...
      out.append(8 - out.size() % 8, ' ');
      continue;
    }
    out.push_back(c);
  }
}

bool next_record(Unit unit, std::string_view& record, Failure& fail) {
  UnitTable& t = units();
  if (unit.kind == UnitKind::console) {
    if (!console_line(t.console_line, fail)) return false;
    edit_line(t.console_line, t.line);
    record = t.line;
    return true;
  }
  UnitSlot* s = slot_of(unit.number);
  if (unit.kind != UnitKind::file || !s || !s->open || !s->input) {
    fail = not_connected("READ", unit);
    return false;
  }
  if (s->pos >= s->data.size()) return false;
  const char* base = s->data.data() + s->pos;
  std::size_t left = s->data.size() - s->pos;
  const char* nl = static_cast<const char*>(std::memchr(base, '\n', left));
  std::size_t len = nl ? static_cast<std::size_t>(nl - base) : left;
  s->pos += nl ? len + 1 : len;
  std::string_view raw(base, len);
  if (std::memchr(base, '\r', len) || std::memchr(base, '\t', len)) {
    edit_line(raw, t.line);
    record = t.line;
  } else {
    record = raw;
  }
  return true;
}

bool put_records(Unit unit, std::string_view bytes, Failure& fail) {
  if (unit.kind == UnitKind::console) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0) {
      fail = system_failure(errno, "WRITE", kConsole);
      return false;
    }
    return true;
  }
  UnitSlot* s = slot_of(unit.number);
  if (unit.kind != UnitKind::file || !s || !s->open || s->input) {
    fail = not_connected("WRITE", unit);
    return false;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), s->out) != bytes.size()) {
    fail = system_failure(errno, "WRITE", unit);
    return false;
  }
  return true;
}

void open(int unit, std::string_view name, OpenStatus status) {
  Failure f;
  UnitSlot* s = slot_of(unit);
  Unit u = file_unit(unit);
  if (!s) fail(not_connected("OPEN", u));
  if (s->open) close(unit);
  std::string path(name);
  // a NUL byte typed into a name would cut it short: no file has such a name
  if (path.find('\0') != std::string::npos) fail(system_failure(EINVAL, "OPEN", u));
  if (status == OpenStatus::old) {
    std::error_code ec;
    std::filesystem::file_status st = std::filesystem::status(path, ec);
    // a directory opens for reading on this system; it is no data file
    if (std::filesystem::is_directory(st)) fail(system_failure(EISDIR, "OPEN", u));
    // nor is a device or a pipe, which may never end or never deliver a line
    if (!ec && std::filesystem::exists(st) && !std::filesystem::is_regular_file(st))
      fail(Failure{false, std::string(kMsgNotRegularFile), "OPEN", u});
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) fail(system_failure(errno, "OPEN", u));
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    s->data.clear();
    if (!ec) s->data.reserve(static_cast<std::size_t>(size));  // one allocation, no copies
    bool ok = read_whole_file(in, s->data);
    int err = errno;
    std::fclose(in);
    if (!ok) fail(system_failure(err, "OPEN", u));
    s->input = true;
    s->pos = 0;
  } else {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) fail(system_failure(errno, "OPEN", u));
    std::setvbuf(out, nullptr, _IOFBF, kOutputBuffer);
    s->out = out;
    s->input = false;
  }
  s->open = true;
  s->name = std::move(path);
}

namespace {

// Closes one unit; false with `f` set when its buffered records could not be
// written out.
bool close_slot(int unit, Failure& f) {
  UnitSlot* s = slot_of(unit);
  if (!s || !s->open) return true;
  bool ok = true;
  if (!s->input) {
    if (std::fflush(s->out) != 0) {
      f = system_failure(errno, "WRITE", file_unit(unit));
      ok = false;
    }
    if (std::fclose(s->out) != 0 && ok) {
      f = system_failure(errno, "CLOSE", file_unit(unit));
      ok = false;
    }
    s->out = nullptr;
  }
  s->open = false;
  s->data.clear();
  s->data.shrink_to_fit();
  s->pos = 0;
  return ok;
}

}  // namespace

void close(int unit) {
  Failure f;
  if (!close_slot(unit, f)) fail(f);
}

bool close_all(Failure& fail, bool quiet) {
  bool ok = true;
  for (int u = 0; u <= kMaxUnit; ++u) {
    Failure f;
    if (!close_slot(u, f) && ok && !quiet) {
      fail = f;
      ok = false;
    }
  }
  return ok;
}

void rewind(int unit) {
  UnitSlot* s = slot_of(unit);
  if (!s || !s->open) fail(not_connected("REWIND", file_unit(unit)));
  if (s->input) {
    s->pos = 0;
  } else if (std::fflush(s->out) != 0 || std::fseek(s->out, 0, SEEK_SET) != 0) {
    fail(system_failure(errno, "REWIND", file_unit(unit)));
  }
}

void backspace(int unit) {
  UnitSlot* s = slot_of(unit);
  if (!s || !s->open || !s->input) fail(not_connected("BACKSPACE", file_unit(unit)));
  // Back to the start of the record read last: the end of the data is no
  // record of its own, so after the last record it steps back over that one.
  std::size_t i = s->pos;
  if (i == 0) return;
  if (s->data[i - 1] == '\n') --i;
  while (i > 0 && s->data[i - 1] != '\n') --i;
  s->pos = i;
}

}  // namespace versel
