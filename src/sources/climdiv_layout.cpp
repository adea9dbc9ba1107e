// The climdiv layout: the climate-division files. Columns 1-10 are a code of
// place (1-4: state and division), element (5-6) and year (7-10); twelve
// values follow, each in 7 columns in most editions and 8 in some, so they
// are read as the blank-separated values after column 10:
//
//   "0101021895  44.10  39.20  54.10 ..."
#include <array>

#include "records/message_text.h"
#include "sources/fields.h"
#include "sources/layout.h"
#include "sources/layout_messages.h"

namespace versel {
namespace {

constexpr std::size_t kCodeWidth = 10;

struct ElementFlag {
  std::string_view element;
  float flag;
};

// The missing-value flag each element writes.
constexpr std::array<ElementFlag, 17> kElementFlags{{
    {"01", -9.99f},                                          // precipitation
    {"02", -99.90f}, {"27", -99.90f}, {"28", -99.90f},       // temperatures: mean, max, min
    {"05", -99.99f}, {"06", -99.99f}, {"07", -99.99f}, {"08", -99.99f},  // drought indices
    {"71", -99.99f}, {"72", -99.99f}, {"73", -99.99f}, {"74", -99.99f},  // standardized
    {"75", -99.99f}, {"76", -99.99f}, {"77", -99.99f},                   // precipitation indices
    {"25", -9999.0f}, {"26", -9999.0f},                      // heating and cooling degree days
}};

bool all_digits(std::string_view s) {
  for (char ch : s)
    if (ch < '0' || ch > '9') return false;
  return true;
}

// The blank-separated values of the rest of a line, all of them.
std::size_t count_values(std::string_view rest) {
  std::size_t n = 0;
  bool in_value = false;
  for (char ch : rest) {
    bool blank = ch == ' ' || ch == '\t' || ch == '\r';
    if (!blank && !in_value) ++n;
    in_value = !blank;
  }
  return n;
}

LineKind bad(CutLine& out, std::string reason) {
  out.reason = std::move(reason);
  return out.kind = LineKind::bad;
}

}  // namespace

bool climdiv_element_flag(std::string_view element, float& flag) {
  for (const ElementFlag& e : kElementFlags) {
    if (e.element == element) {
      flag = e.flag;
      return true;
    }
  }
  return false;
}

LineKind cut_climdiv(std::string_view line, const CutSettings& c, CutLine& out) {
  out.name = out.name2 = out.place = {};
  if (is_empty_line(line) || is_comment_line(line)) return out.kind = LineKind::nothing;
  std::string_view code = line.substr(0, kCodeWidth);
  if (code.size() < kCodeWidth || !all_digits(code))
    return bad(out, compose(kMsgClimdivCode, {quoted(code)}));
  float own = 0.0f;
  const bool known = climdiv_element_flag(code.substr(4, 2), own);
  if (!known && !c.flag_given) return bad(out, compose(kMsgClimdivElement, {code.substr(4, 2)}));
  std::string_view rest = line.substr(kCodeWidth);
  Fields f;
  split_on_blanks(rest, f);
  if (f.count != 12)
    return bad(out, compose(kMsgClimdivCount, {std::to_string(count_values(rest))}));
  for (std::size_t m = 0; m < 12; ++m) {
    float& v = out.months[m];
    switch (read_number(f.at[m], v)) {
      case NumberRead::ok: break;
      case NumberRead::not_number:
        return bad(out, compose(kMsgMonthNotNumber, {std::to_string(m + 1), quoted(f.at[m])}));
      case NumberRead::out_of_range:
        return bad(out, compose(kMsgMonthOutOfRange, {std::to_string(m + 1), quoted(f.at[m])}));
    }
    // the element's own flag marks a missing month whatever the run's flag
    if (known && v == own) v = c.flag;
  }
  out.year = (code[6] - '0') * 1000 + (code[7] - '0') * 100 + (code[8] - '0') * 10 + (code[9] - '0');
  out.name = code.substr(0, 6);
  out.place = code.substr(0, 4);
  return out.kind = LineKind::year;
}

}  // namespace versel
