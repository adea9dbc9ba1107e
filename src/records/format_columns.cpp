// Walking a read format for the columns its data items take.
#include "records/format_columns.h"

#include <algorithm>
#include <string>

#include "records/format.h"
#include "records/format_walk.h"

namespace versel {

bool data_columns(std::string_view format_text, std::size_t count, std::vector<ColumnSpan>& out) {
  out.clear();
  const Format format = translate(format_text, FormatOrigin::held);
  if (!format.error.empty()) return false;
  Walker w = start_walk(format);
  std::size_t pos = 0;
  // a format of groups can hand out items for long; a header format takes a
  // few items within a line
  for (int steps = 0; out.size() < count && steps < 10000; ++steps) {
    const FormatItem* it = nullptr;
    if (next_item(w, it, static_cast<std::int32_t>(pos)) != WalkStep::item) return false;
    switch (it->kind) {
      case ItemKind::X:
      case ItemKind::TR: pos += static_cast<std::size_t>(it->w); break;
      case ItemKind::T: pos = it->w > 0 ? static_cast<std::size_t>(it->w - 1) : 0; break;
      case ItemKind::TL:
        pos = pos > static_cast<std::size_t>(it->w) ? pos - static_cast<std::size_t>(it->w) : 0;
        break;
      case ItemKind::text: pos += static_cast<std::size_t>(it->text_len); break;
      case ItemKind::slash: return false;
      default:
        if (!is_data_item(it->kind)) break;
        if (it->w == kAbsent || it->w < 1) return false;
        out.push_back({pos, static_cast<std::size_t>(it->w)});
        pos += static_cast<std::size_t>(it->w);
        break;
    }
  }
  return out.size() == count;
}

std::string line_without_columns(std::string_view line, const std::vector<ColumnSpan>& spans) {
  std::vector<bool> removed(line.size(), false);
  for (const ColumnSpan& s : spans)
    for (std::size_t c = s.first; c < s.first + s.width && c < line.size(); ++c) removed[c] = true;
  std::string out;
  std::size_t c = 0;
  while (c < line.size()) {
    if (removed[c]) {
      ++c;
      continue;
    }
    std::size_t end = c;
    while (end < line.size() && !removed[end]) ++end;
    std::string_view part = line.substr(c, end - c);
    const std::size_t a = part.find_first_not_of(" \t");
    if (a != std::string_view::npos) {
      part = part.substr(a, part.find_last_not_of(" \t") - a + 1);
      if (!out.empty()) out += ' ';
      out += part;
    }
    c = end;
  }
  return out;
}

}  // namespace versel
