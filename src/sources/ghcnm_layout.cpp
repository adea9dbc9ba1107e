// The ghcnm layout: the global monthly station files, one record per station,
// year and element in fixed columns:
//
//   columns  1-11  station ID          12-15  year      16-19  element
//   then twelve groups of 8 columns, January first: a value of 5 columns in
//   hundredths (-9999 missing) and three flags, the second the quality flag
//
//   "ACW000116041961TAVG -142  k  183  k  ..."
#include "records/message_text.h"
#include "sources/fields.h"
#include "sources/layout.h"
#include "sources/layout_messages.h"

namespace versel {
namespace {

constexpr std::size_t kFirstValue = 19;  // column 20, from 0
constexpr std::size_t kGroup = 8;        // a value and its three flags
constexpr std::size_t kValueWidth = 5;
constexpr std::size_t kQualityFlag = 6;  // within the group: after the value and the first flag
// A record whose writer dropped its trailing blanks still holds every value:
// the twelfth ends in column 112.
constexpr std::size_t kShortestRecord = kFirstValue + 11 * kGroup + kValueWidth;
constexpr std::int64_t kMissing = -9999;

LineKind bad(CutLine& out, std::string reason) {
  out.reason = std::move(reason);
  return out.kind = LineKind::bad;
}

}  // namespace

LineKind cut_ghcnm(std::string_view line, const CutSettings& c, CutLine& out) {
  out.name = out.name2 = out.place = {};
  if (is_empty_line(line) || is_comment_line(line)) return out.kind = LineKind::nothing;
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() < kShortestRecord)
    return bad(out, compose(kMsgGhcnmShort, {std::to_string(line.size())}));
  std::int64_t year = 0;
  if (!read_integer(trim_blanks(line.substr(11, 4)), year))
    return bad(out, compose(kMsgGhcnmYear, {quoted(line.substr(11, 4))}));
  out.year = static_cast<std::int32_t>(year);
  for (std::size_t m = 0; m < 12; ++m) {
    const std::size_t at = kFirstValue + m * kGroup;
    std::string_view field = line.substr(at, kValueWidth);
    std::string_view digits = trim_blanks(field);
    float& v = out.months[m];
    std::int64_t hundredths = 0;
    if (digits.empty()) {  // no value written: missing, never 0
      v = c.flag;
      continue;
    }
    if (!read_integer(digits, hundredths))
      return bad(out, compose(kMsgGhcnmMonth, {std::to_string(m + 1), std::to_string(at + 1),
                                               std::to_string(at + kValueWidth), quoted(field)}));
    const char quality = at + kQualityFlag < line.size() ? line[at + kQualityFlag] : ' ';
    if (hundredths == kMissing || (quality != ' ' && !c.keep_flagged)) {
      v = c.flag;
      continue;
    }
    // a decimal of two places rounded to double, then to float, as "f5.2" reads it
    v = static_cast<float>(static_cast<double>(hundredths) / 100.0);
  }
  out.name = line.substr(0, 11);
  out.name2 = line.substr(15, 4);
  out.place = out.name;
  return out.kind = LineKind::year;
}

}  // namespace versel
