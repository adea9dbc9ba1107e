// The format walker: a flat item list, an index and a fixed stack of groups.
#include "records/format_walk.h"

namespace versel {

WalkStep next_item(Walker& w, const FormatItem*& item, std::int32_t position) {
  const std::vector<FormatItem>& items = w.format->items;
  for (;;) {
    if (w.index >= static_cast<std::int32_t>(items.size())) return WalkStep::end;
    const FormatItem& it = items[static_cast<std::size_t>(w.index)];
    switch (it.kind) {
      case ItemKind::open: {
        if (w.depth == kMaxGroupDepth) return WalkStep::overflow;
        w.frames[static_cast<std::size_t>(w.depth++)] = {w.index, it.repeat, position, w.handed};
        ++w.index;
        continue;
      }
      case ItemKind::close: {
        WalkFrame& fr = w.frames[static_cast<std::size_t>(w.depth - 1)];
        bool settled = fr.handed == w.handed ||
                       (position != kAbsent &&
                        items[static_cast<std::size_t>(fr.open)].control_only &&
                        fr.mark == position);
        if (--fr.remaining > 0 && !settled) {
          fr.mark = position;
          fr.handed = w.handed;
          w.index = fr.open + 1;
        } else {
          --w.depth;
          ++w.index;
        }
        continue;
      }
      default:
        break;
    }
    item = &it;
    ++w.handed;
    if (is_data_item(it.kind)) {
      w.data_seen = true;
      if (w.repeat_left == 0) w.repeat_left = it.repeat;
      if (--w.repeat_left == 0) ++w.index;
    } else {
      ++w.index;
    }
    return WalkStep::item;
  }
}

bool revert(Walker& w) {
  if (!w.data_seen) return false;
  w.data_seen = false;
  w.index = w.format->revert_to;
  w.depth = 0;
  w.repeat_left = 0;
  return true;
}

}  // namespace versel
