// The command line's words for a failed run.
#include "cli/failure_text.h"

#include "capacities.h"
#include "cli/messages.h"
#include "sources/layout_messages.h"

namespace versel {
namespace {

std::string number(std::int64_t n) { return std::to_string(n); }

// "(2x,2f7.1)" of a format held blank-padded
std::string_view without_blanks(std::string_view text) {
  std::size_t n = text.find_last_not_of(' ');
  return text.substr(0, n == std::string_view::npos ? 0 : n + 1);
}

}  // namespace

std::vector<std::string> statement_failure_lines(const RunFailure& failed) {
  const Failure& f = *failed.statement;
  const std::string& reason = f.message;
  const std::int64_t line = failed.data_line;
  std::string first;
  switch (f.unit.kind) {
    case UnitKind::internal:
      // a line of the data file read again through another format: the header
      first = line > 0 ? std::string(kMsgLinePrefix) + number(line) : std::string(kMsgSomeLine);
      first += kMsgDoesNotFit;
      first += without_blanks(f.format);
      return {first + ": " + reason,
              std::string(kMsgShownLine) +
                  std::string(without_blanks(std::string_view(failed.unit_text).substr(0, kLineLength)))};
    case UnitKind::console:
      return {std::string(f.statement == "READ" ? kMsgOnStandardInput : kMsgOnStandardOutput) +
              reason};
    case UnitKind::file:
      break;
  }
  const bool data = f.unit.number == kDataUnit;
  std::string name = failed.unit_name.empty() ? "unit " + number(f.unit.number) : failed.unit_name;
  if (f.statement == "OPEN") {
    // the caller names the data file; a refused output names itself
    if (data || !f.system) return {reason};
    return {std::string(kMsgCannotCreate) + name + ": " + reason};
  }
  if (data) {
    if (reason == kMsgReadPastEnd)
      return {line == 0 ? std::string(kMsgEmptyFile) : std::string(kMsgNoLineAfter) + number(line)};
    return {std::string(kMsgLinePrefix) + number(line + 1) + ": " + reason};
  }
  return {std::string(kMsgCannotWrite) + name + ": " + reason};
}

std::vector<std::string> failure_lines_of(const RunFailure& f) {
  if (f.statement) return statement_failure_lines(f);
  std::vector<std::string> lines = f.lines;
  if (f.at_line > 0 && !lines.empty())
    lines[0] = std::string(kMsgLinePrefix) + number(f.at_line) + ": " + lines[0];
  return lines;
}

}  // namespace versel
