// The two ways of reading a year line (read_year_record of io.h): the
// general format walk, and a plan of fixed columns made once per data format
// for the usual formats (position items and I or real fields only), which
// reads a line without walking. Both give the same results bit for bit.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "records/format.h"

namespace versel {

// One field of a year line in fixed columns: the characters from `start`
// (column 1 is 0) on, `width` of them, fewer where the line ends first.
struct PlannedField {
  std::int32_t start = 0;
  std::int32_t width = 0;
  std::int32_t decimals = 0;  // implied decimals of a real field
  bool integer = false;       // an I field; otherwise F, E, EN, ES, D or G
  // How the field is read from sixteen columns at once (see read_by_plan):
  // `window` marks its columns among them, its last column as bit 15, when
  // the sixteen columns from `from` on are shifted up by `lift` (a field that
  // ends before column 17 is read from the line's first sixteen columns); 0
  // when the field is read only character by character. Its last eight
  // columns are read as one word from `eight` on, shifted up by `eight_lift`
  // bits.
  std::uint32_t window = 0;
  std::int32_t from = 0, lift = 0, eight = 0, eight_lift = 0;
};

// The year line of a data format as fixed columns: the year, then January to
// December. `fixed` is false for a format the plan does not cover; its lines
// are read by the general walk.
struct YearLinePlan {
  bool fixed = false;
  std::array<PlannedField, 13> fields{};
  std::int32_t end = 0;    // one past the last column of any field
  std::int32_t reach = 0;  // columns the fields are read from at once: end, at least 16
};

// Makes the plan of a translated format. It is fixed when the walk of a year
// line meets only X, TR, T, texts (skipped on input), BN, S, SS, SP, "$" and
// ":" around exactly thirteen I or real fields, and after them nothing that
// asks for a further record. Everything else is left to the walk: BZ, kP, TL
// (a step back from the end of a short line lands elsewhere than in fixed
// columns), "/", other data items, reversion, a walk of more than a few
// thousand items.
YearLinePlan plan_year_line(const Format& format);

// What a read by the plan found.
enum class PlanRead : std::uint8_t {
  year_line,     // the thirteen fields read; `digitless` marks those without a digit
  no_year_line,  // a field the format cannot read
  walk,          // a comma among the fields: it ends a field and moves the rest
};

// Reads `line` by a fixed plan. Each field is read from the sixteen columns
// that end with it: which of them hold a blank, a digit or a point is found
// in one step, and a plain field (blanks, a sign, up to eight characters of
// digits and at most one point up to the field's end) is checked and
// converted as one 64-bit word, without a branch on its characters: the
// lengths of the numbers change from field to field and line to line, which
// a loop over the characters mispredicts. Any other field is read by a quick
// parse of the common field or by the record layer's field editor, exactly
// as the walk reads it; only then is the line looked at for a comma, since a
// plain field holds none and a comma outside the fields changes nothing.
// Bit 0 of `digitless` stands for the year, bit m for month m (1 to 12); the
// year-line rule is not applied here.
// With `months_wanted` false, the plain month fields are only checked, not
// converted (what the pre-scan needs: which lines are year lines, and
// their years); `months` then holds only the fields that were not plain.
PlanRead read_by_plan(const YearLinePlan& plan, std::string_view line, std::int32_t& year,
                      std::array<float, 12>& months, std::uint32_t& digitless,
                      bool months_wanted = true);

// Which of sixteen columns hold a blank, a digit or a point: bit i for column
// i. classify() does it in one step where the processor can, and otherwise
// as classify_words(), eight columns to a 64-bit word.
struct ColumnMasks {
  std::uint32_t blank = 0, digit = 0, point = 0;
};
ColumnMasks classify(const char* p);
ColumnMasks classify_words(const char* p);

// Reads `line` as a year line through the general walk of `format`, then
// applies the year-line rule. False when it is no year line.
bool walk_year_line(const Format& format, std::string_view line, float flag, std::int32_t& year,
                    std::array<float, 12>& months);

// The year-line rule on fields already read: false when the year field holds
// no digit (bit 0 of `digitless`), else every month whose bit is set takes
// `flag`.
bool take_year_line(std::uint32_t digitless, float flag, std::array<float, 12>& months);

}  // namespace versel
