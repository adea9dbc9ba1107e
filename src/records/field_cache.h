// Real fields edited before, kept by value and edit descriptor. The values
// of a data file repeat: monthly values are a few hundred distinct tenths of
// a degree, and a matrix row repeats the flag wherever a station has no
// data. A field found here is a copy of the field that editing gave.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace versel {

struct FieldCache {
  static constexpr std::size_t kSlots = 8192;  // a power of two
  static constexpr int kMaxWidth = 12;         // wider fields are edited every time
  struct Slot {
    std::uint32_t bits = 0;
    std::uint32_t edit = 0;  // 0: empty
    char text[kMaxWidth];
  };
  std::array<Slot, kSlots> slots{};
};

// The key of an edit: width, decimals and the plus sign, never 0.
inline std::uint32_t field_edit_key(int w, int d, bool plus) {
  return 1u | static_cast<std::uint32_t>(w) << 1 | static_cast<std::uint32_t>(d + 1) << 9 |
         (plus ? 1u << 17 : 0u);
}

inline FieldCache::Slot& field_slot(FieldCache& c, std::uint32_t bits) {
  return c.slots[(bits * 0x9E3779B1u) >> 19 & (FieldCache::kSlots - 1)];
}

}  // namespace versel
