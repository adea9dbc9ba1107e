// The stop and the failed end of the dialogue's run.
#include "dialogue/run_end.h"

#include <cstdio>
#include <cstdlib>

#include "records/io.h"

namespace versel {
namespace {

void to_standard_error(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

// The failed end once the reason is known: nothing may fail any more.
[[noreturn]] void end_with(const RunFailure& f) {
  abandon_run();
  std::fflush(stdout);
  to_standard_error(dialogue_failure_text(f));
  std::exit(-1);
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

std::string dialogue_failure_text(const RunFailure& f) {
  if (f.statement) return failure_lines(*f.statement);
  if (!f.pause.empty()) return {};
  const std::vector<std::string>& lines = f.dialogue_lines.empty() ? f.lines : f.dialogue_lines;
  std::string text = "? ";
  text += kMsgRuntimeHeader;
  text += '\n';
  for (const std::string& line : lines) text.append("? ").append(line).append("\n");
  return text;
}

void stop() {
  try {
    close_all_units();
  } catch (const RunFailure& f) {
    end_with(f);
  }
  std::exit(0);
}

void end_failed(const RunFailure& f) {
  if (!f.pause.empty()) {
    try {
      pause(f.pause);
    } catch (const RunFailure& at_pause) {
      end_with(at_pause);
    }
  }
  end_with(f);
}

void run_to_the_end(const std::function<void()>& steps) {
  try {
    steps();
  } catch (const RunFailure& f) {
    end_failed(f);
  }
  stop();
}

}  // namespace versel
