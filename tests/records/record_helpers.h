// Helpers shared by the record layer tests: statements on a translated
// format with braced lists of destinations and values.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "records/format.h"
#include "records/statements.h"
#include "records/values.h"

namespace versel {

inline IoStatus read_with(Unit unit, const Format& f, DestList dests, Failure& fail) {
  return read_records(unit, f, std::span<const Dest>(dests.begin(), dests.size()), fail);
}

inline bool write_with(const Format& f, ValueList values, std::string& out,
                       std::string_view& message) {
  return write_records(f, std::span<const Value>(values.begin(), values.size()), out, message);
}

// The records one write statement makes, or "error: " and the message.
inline std::string written(std::string_view format, ValueList values,
                           FormatOrigin origin = FormatOrigin::fixed) {
  std::string out;
  std::string_view message;
  if (!write_with(translate(format, origin), values, out, message))
    return "error: " + std::string(message);
  return out;
}

}  // namespace versel
