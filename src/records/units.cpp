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

}  // namespace

UnitTable& units() {
  // never destroyed: a signal handler may look at the pending outputs while
  // the process ends
  static UnitTable* table = new UnitTable;
  return *table;
}

void start_records() {
  std::signal(SIGPIPE, SIG_IGN);
  remove_pending_on_signals();
}

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

bool next_record(Unit unit, std::string_view& record, Failure& fail, Tabs tabs) {
  UnitTable& t = units();
  if (unit.kind == UnitKind::console) {
    if (!console_line(t.console_line, fail)) return false;
    edit_line(t.console_line, t.line, tabs);
    record = t.line;
    return true;
  }
  UnitSlot* s = slot_of(unit.number);
  if (unit.kind != UnitKind::file || !s || !s->open || !s->input) {
    fail = not_connected("READ", unit);
    return false;
  }
  switch (next_line(s->in, record, t.line, tabs)) {
    case LineRead::line: return true;
    case LineRead::end: return false;
    case LineRead::failed: break;
  }
  versel::fail(system_failure(errno, "READ", unit));
}

bool put_records(Unit unit, std::string_view bytes, Failure& fail) {
  if (unit.kind == UnitKind::console) {
    if (units().console_output == ConsoleOutput::discarded) return true;
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

void set_console_output(ConsoleOutput where) { units().console_output = where; }

void open(int unit, std::string_view name, OpenStatus status) {
  Failure f;
  UnitSlot* s = slot_of(unit);
  Unit u = file_unit(unit);
  if (!s) fail(not_connected("OPEN", u));
  if (s->open) close(unit);
  std::string path(name);
  s->name = path;  // for the messages of a failed open
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
    if (!open_input(s->in, path.c_str())) fail(system_failure(errno, "OPEN", u));
    s->input = true;
  } else {
    bool temporary = false;
    std::FILE* out = open_output(path, unit, units().pending, temporary);
    if (!out) fail(system_failure(errno, "OPEN", u));
    std::setvbuf(out, nullptr, _IOFBF, kOutputBuffer);
    s->out = out;
    s->temporary = temporary;
    s->input = false;
  }
  s->open = true;
}

void open_standard_output(int unit) {
  UnitSlot* s = slot_of(unit);
  if (!s) fail(not_connected("OPEN", file_unit(unit)));
  if (s->open) close(unit);
  s->out = stdout;
  s->standard = true;
  s->temporary = false;
  s->input = false;
  s->name = "standard output";
  s->open = true;
}

std::string output_path(int unit) {
  UnitSlot* s = slot_of(unit);
  if (!s || !s->open || s->input || s->standard) fail(not_connected("OPEN", file_unit(unit)));
  if (s->temporary)
    for (const PendingOutput& p : units().pending)
      if (p.unit == unit) return p.temp;
  return s->name;
}

std::string unit_name(int unit) {
  UnitSlot* s = slot_of(unit);
  return s ? s->name : std::string();
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
    if (s->standard) {
      // standard output stays open for the process; a write it took before
      // may still fail there
      if (ok && std::ferror(s->out)) {
        f = system_failure(EIO, "WRITE", file_unit(unit));
        ok = false;
      }
      std::clearerr(s->out);
    } else if (std::fclose(s->out) != 0 && ok) {
      f = system_failure(errno, "CLOSE", file_unit(unit));
      ok = false;
    }
    s->out = nullptr;
    s->temporary = false;
    s->standard = false;
  } else {
    close_input(s->in);
  }
  s->open = false;
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

bool commit_pending(Failure& fail) {
  for (int u = 0; u <= kMaxUnit; ++u) {
    const UnitSlot& s = units().slots[static_cast<std::size_t>(u)];
    if (s.open && !s.input && s.temporary && !close_slot(u, fail)) return false;
  }
  int unit = 0;
  if (rename_pending(units().pending, unit)) return true;
  fail = system_failure(errno, "CLOSE", file_unit(unit));
  return false;
}

void commit_outputs() {
  Failure f;
  if (!commit_pending(f)) fail(f);
}

void discard_outputs() {
  for (UnitSlot& s : units().slots) {
    if (!s.open || s.input || !s.temporary) continue;
    std::fclose(s.out);  // its bytes go nowhere: errors do not matter
    s.out = nullptr;
    s.temporary = false;
    s.open = false;
  }
  remove_pending(units().pending);
}

std::int64_t record_number(int unit) {
  UnitSlot* s = slot_of(unit);
  return s && s->open && s->input ? s->in.records : 0;
}

void rewind(int unit) {
  UnitSlot* s = slot_of(unit);
  if (!s || !s->open) fail(not_connected("REWIND", file_unit(unit)));
  if (s->input) {
    restart(s->in);
  } else if (std::fflush(s->out) != 0 || std::fseek(s->out, 0, SEEK_SET) != 0) {
    fail(system_failure(errno, "REWIND", file_unit(unit)));
  }
}

void backspace(int unit) {
  UnitSlot* s = slot_of(unit);
  if (!s || !s->open || !s->input) fail(not_connected("BACKSPACE", file_unit(unit)));
  if (!step_back(s->in)) fail(system_failure(errno, "BACKSPACE", file_unit(unit)));
}

}  // namespace versel
