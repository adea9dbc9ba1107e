// Walking a translated format: groups, repeat counts and reversion are
// handled here; every other item is handed to the statement that walks.
#pragma once

#include <array>
#include <cstdint>

#include "capacities.h"
#include "records/format.h"

namespace versel {

struct WalkFrame {
  std::int32_t open = 0;       // index of the group's open item
  std::int32_t remaining = 0;  // passes still to make, this one included
  std::int32_t mark = 0;       // position when this pass began (control-only groups)
  std::uint64_t handed = 0;    // items handed out before this pass began
};

struct Walker {
  const Format* format = nullptr;
  std::int32_t index = 0;         // the next item
  std::int32_t repeat_left = 0;   // passes left of the current data item
  std::int32_t depth = 0;         // open groups, the outer parentheses excluded
  std::array<WalkFrame, kMaxGroupDepth> frames{};
  bool data_seen = false;         // a data item since the start or the last reversion
  std::uint64_t handed = 0;       // items handed out so far
};

enum class WalkStep : std::uint8_t {
  item,       // `item` is a data item (once per repeat) or a control item
  end,        // the outer closing parenthesis
  overflow,   // more groups open than the walker can hold
};

inline Walker start_walk(const Format& f) {
  Walker w;
  w.format = &f;
  return w;
}

// The next item. `position` is the record position of the caller, or kAbsent:
// a group that holds no data item and no "/" is left as soon as one of its
// passes ends where it began (a pass that starts at the same position moves
// and writes the same way, so the remaining passes would change nothing).
// A group is left too after a pass that handed out no item at all, such as
// one of empty groups: the passes still due would hand out none either.
WalkStep next_item(Walker& w, const FormatItem*& item, std::int32_t position = kAbsent);

// Goes on at the last top-level group (or the format's start) after the
// format is used up with values waiting. False when the format held no data
// item since the last reversion: walking again would never use a value.
bool revert(Walker& w);

}  // namespace versel
