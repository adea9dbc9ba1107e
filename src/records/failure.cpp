// The stop, the pause and the failure path.
#include "records/failure.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/sysinfo.h>

#include "records/units.h"

namespace versel {
namespace {

// Every end but the normal one: the outputs not committed removed, so that
// earlier files stay as they were, and every file closed, errors ignored.
void abandon_files() {
  discard_outputs();
  Failure ignored;
  close_all(ignored, true);
}

}  // namespace

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
  return Failure{true, std::strerror(err), statement, unit};
}

void fail(const Failure& f) {
  abandon_files();
  std::fflush(stdout);
  std::string lines = failure_lines(f);
  std::fwrite(lines.data(), 1, lines.size(), stderr);
  std::fflush(stderr);
  std::exit(-1);
}

void fail_run(std::initializer_list<std::string_view> lines) {
  abandon_files();
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
  abandon_files();
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
