// A record format translated into a flat list of items: the notation
// "(1x,i4,12f5.2)" becomes X, I4, 12 F5.2 between the outer parentheses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace versel {

// The one named "absent" for a width, decimal count or exponent count that the
// format text leaves out.
inline constexpr int kAbsent = -1;

// Where a format text comes from. The two differ only in the widths that
// stand for a left-out width: a fixed format of the program reads "(f)" in
// free width, a format held as text (catalogue, typed, header) reads F15.6.
enum class FormatOrigin : std::uint8_t { fixed, held };

enum class ItemKind : std::uint8_t {
  // data edit descriptors
  I, B, O, Z, F, E, EN, ES, D, G, L, A, Q,
  // control items
  text,       // quoted or nH text: texts[text_pos, text_pos + text_len)
  X, T, TL, TR,
  slash,      // "/", repeat = number of records
  colon,      // ":"
  dollar,     // "$" or a backslash: no line end
  BN, BZ, S, SS, SP,
  P,          // scale factor k in `w`
  open,       // group start; `match` is the index of its close
  close,      // group end; `match` is the index of its open
};

struct FormatItem {
  ItemKind kind;
  std::int32_t repeat = 1;
  std::int32_t w = kAbsent;  // width; for X/T/TL/TR the count; for P the k
  std::int32_t d = kAbsent;  // decimals, or minimum digits m of I/B/O/Z
  std::int32_t e = kAbsent;  // exponent digits
  std::int32_t text_pos = 0;
  std::int32_t text_len = 0;
  std::int32_t match = 0;    // paired open/close index
  // open items only: the group holds no data item and no "/", so repeating
  // it on input only moves the position (see the walker)
  bool control_only = false;
};

inline bool is_data_item(ItemKind k) { return k <= ItemKind::Q; }

struct WritePlan;

struct Format {
  std::vector<FormatItem> items;  // between the outer parentheses
  std::string texts;              // pool of quoted and nH texts
  FormatOrigin origin = FormatOrigin::fixed;
  // index of the open item of the last group that stands directly in the
  // outer parentheses: where a walk goes on when the format is used up with
  // values still waiting; 0 (the start) when there is none
  std::int32_t revert_to = 0;
  // empty when the text translated; otherwise the message, such as
  // "Error in format string"
  std::string error;
  // the fields laid out for output, made when the format first writes: null
  // when the format is not one of fixed fields (see write_plan.h)
  mutable std::shared_ptr<const WritePlan> write_plan;
  mutable bool write_plan_tried = false;
};

// Translates a format text. Every syntax fault is reported in `error`; the
// walker trusts a format whose `error` is empty.
Format translate(std::string_view text, FormatOrigin origin);

// Format messages.
inline constexpr std::string_view kMsgMissingOpen = "Format string missing opening (";
inline constexpr std::string_view kMsgRepeatCount = "Illegal repeat count";
inline constexpr std::string_view kMsgNonRepeatable = "Non-repeatable format descriptor";
inline constexpr std::string_view kMsgFormatError = "Error in format string";
inline constexpr std::string_view kMsgUnmatchedQuotes = "Format string has unmatched quotes";
inline constexpr std::string_view kMsgHollerith = "Hollerith count exceeds remaining format string";
inline constexpr std::string_view kMsgUnmatchedParens = "Format string has unmatched parens";
inline constexpr std::string_view kMsgGroupOverflow = "Format group table overflow";

}  // namespace versel
