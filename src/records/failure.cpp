// The stop, the pause and the failure path.
#include "records/failure.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/sysinfo.h>

#include "capacities.h"
#include "records/units.h"

namespace versel {
namespace {

// The texts of raised failures (failure_message).
constexpr std::string_view kLine = "line ";
constexpr std::string_view kSomeLine = "a line";
constexpr std::string_view kDoesNotFit = " does not fit the format ";
constexpr std::string_view kShownLine = "line: ";
constexpr std::string_view kCannotCreate = "cannot create ";
constexpr std::string_view kCannotWrite = "cannot write ";
constexpr std::string_view kEmptyFile = "the file is empty";
constexpr std::string_view kNoLineAfter = "no line after line ";
constexpr std::string_view kStandardInput = "standard input: ";
constexpr std::string_view kStandardOutput = "standard output: ";

bool raising() { return units().failure_mode == FailureMode::raise; }

std::string number(std::int64_t n) { return std::to_string(n); }

// "(2x,2f7.1)" of a format held blank-padded
std::string_view without_blanks(std::string_view text) {
  std::size_t n = text.find_last_not_of(' ');
  return text.substr(0, n == std::string_view::npos ? 0 : n + 1);
}

}  // namespace

// Every end but the normal one: the outputs not committed removed, so that
// earlier files stay as they were, and every file closed, errors ignored.
void abandon_run() {
  discard_outputs();
  Failure ignored;
  close_all(ignored, true);
}

std::string failure_lines(const Failure& f) {
  std::string s = "? ";
  s += f.system ? kMsgSystemHeader : kMsgRuntimeHeader;
  s += "\n? ";
  s += f.message;
  s += "\n? ";
  s += f.statement;
  s += "(UNIT=";
  switch (f.unit.kind) {
    case UnitKind::console: s += '*'; break;
    case UnitKind::internal: s += "INTERNAL"; break;
    case UnitKind::file: s += std::to_string(f.unit.number); break;
  }
  s += ",...\n";
  return s;
}

Failure system_failure(int err, std::string_view statement, Unit unit) {
  return Failure{true, std::strerror(err), statement, unit, {}};
}

void set_failure_mode(FailureMode mode) { units().failure_mode = mode; }

FailureMode failure_mode() { return units().failure_mode; }

std::vector<std::string> failure_message(const Failure& f) {
  const std::string& reason = f.message;
  const std::int64_t line = record_number(kDataUnit);
  std::string first;
  switch (f.unit.kind) {
    case UnitKind::internal:
      // a line of the data file read again through another format: the header
      first = line > 0 ? std::string(kLine) + number(line) : std::string(kSomeLine);
      first += kDoesNotFit;
      first += without_blanks(f.format);
      return {first + ": " + reason,
              std::string(kShownLine) + std::string(without_blanks(f.unit.text.substr(0, kLineLength)))};
    case UnitKind::console:
      return {std::string(f.statement == "READ" ? kStandardInput : kStandardOutput) + reason};
    case UnitKind::file:
      break;
  }
  const bool data = f.unit.number == kDataUnit;
  std::string name = "unit " + number(f.unit.number);
  if (f.unit.number >= 0 && f.unit.number <= kMaxUnit)
    name = units().slots[static_cast<std::size_t>(f.unit.number)].name;
  if (f.statement == "OPEN") {
    // the catcher names the data file; a refused output names itself
    if (data || !f.system) return {reason};
    return {std::string(kCannotCreate) + name + ": " + reason};
  }
  if (data) {
    if (reason == kMsgReadPastEnd)
      return {line == 0 ? std::string(kEmptyFile) : std::string(kNoLineAfter) + number(line)};
    return {std::string(kLine) + number(line + 1) + ": " + reason};
  }
  return {std::string(kCannotWrite) + name + ": " + reason};
}

void fail(const Failure& f) {
  if (raising()) throw RunFailure{failure_message(f)};
  abandon_run();
  std::fflush(stdout);
  std::string lines = failure_lines(f);
  std::fwrite(lines.data(), 1, lines.size(), stderr);
  std::fflush(stderr);
  std::exit(-1);
}

void fail_run(std::initializer_list<std::string_view> lines) {
  if (raising()) throw RunFailure{std::vector<std::string>(lines.begin(), lines.end())};
  abandon_run();
  std::fflush(stdout);
  std::string text = "? ";
  text += kMsgRuntimeHeader;
  text += '\n';
  for (std::string_view line : lines) {
    text += "? ";
    text += line;
    text += '\n';
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
  std::exit(-1);
}

void fail_at_line(std::initializer_list<std::string_view> lines) {
  if (raising()) {
    std::vector<std::string> raised(lines.begin(), lines.end());
    if (!raised.empty())
      raised[0] = std::string(kLine) + number(record_number(kDataUnit)) + ": " + raised[0];
    throw RunFailure{std::move(raised)};
  }
  fail_run(lines);
}

void pause_then_fail(std::string_view text, std::initializer_list<std::string_view> lines) {
  if (raising()) fail_at_line(lines);
  pause(text);
  stop_failed();
}

void fail_memory(const std::string& what, double bytes) {
  // whole megabytes, rounded up: a table of a few bytes still needs 1 MB
  char mb[64];
  std::snprintf(mb, sizeof mb, "%.0f", std::ceil(bytes / (1024.0 * 1024.0)));
  fail_run({"not enough memory: " + what, std::string("it needs ") + mb + " MB"});
}

void check_memory(const std::string& what, double bytes) {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return;
  double total = (static_cast<double>(info.totalram) + static_cast<double>(info.totalswap)) *
                 static_cast<double>(info.mem_unit);
  if (bytes > total) fail_memory(what, bytes);
}

void stop_failed() {
  if (raising()) throw RunFailure{};
  abandon_run();
  std::fflush(stdout);
  std::exit(-1);
}

void stop() {
  // at a quit answer the outputs were never committed; at the normal end
  // nothing is pending any more
  discard_outputs();
  Failure f;
  if (!close_all(f, false)) fail(f);
  if (std::fflush(stdout) != 0) fail(system_failure(errno, "WRITE", kConsole));
  std::exit(0);
}

void pause(std::string_view text) {
  free_write(kConsole, text);
  std::string_view record;
  Failure f;
  if (!next_record(kConsole, record, f)) {
    if (f.message.empty()) f = Failure{false, std::string(kMsgReadPastEnd), "READ", kConsole};
    fail(f);
  }
}

}  // namespace versel
