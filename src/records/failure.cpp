// Throwing the failures of a run.
#include "records/failure.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <sys/sysinfo.h>

#include "records/units.h"

namespace versel {

// Every end but the normal one: the outputs not committed removed, so that
// earlier files stay as they were, and every file closed, errors ignored.
void abandon_run() {
  discard_outputs();
  Failure ignored;
  close_all(ignored, true);
}

void close_all_units() {
  // at a quit answer the outputs were never committed; at the normal end
  // nothing is pending any more
  discard_outputs();
  Failure f;
  if (!close_all(f, false)) fail(f);
  if (std::fflush(stdout) != 0) fail(system_failure(errno, "WRITE", kConsole));
}

Failure system_failure(int err, std::string_view statement, Unit unit) {
  return Failure{true, std::strerror(err), statement, unit, {}};
}

void fail(Failure f) {
  RunFailure raised;
  if (f.unit.kind == UnitKind::file && f.unit.number >= 0 && f.unit.number <= kMaxUnit)
    raised.unit_name = units().slots[static_cast<std::size_t>(f.unit.number)].name;
  if (f.unit.kind == UnitKind::internal) {
    raised.unit_text.assign(f.unit.text);
    f.unit.text = {};
  }
  raised.data_line = record_number(kDataUnit);
  raised.statement = std::move(f);
  throw raised;
}

void fail_run(std::initializer_list<std::string_view> lines) {
  RunFailure f;
  f.lines.assign(lines.begin(), lines.end());
  throw f;
}

void fail_at_line(std::initializer_list<std::string_view> lines) {
  RunFailure f;
  f.lines.assign(lines.begin(), lines.end());
  fail_at_line(std::move(f));
}

void fail_at_line(RunFailure f) {
  f.at_line = record_number(kDataUnit);
  throw f;
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
