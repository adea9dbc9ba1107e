// The free layout: a year and twelve values per line, as the ASCII and CSV
// exports of climate-data portals and spreadsheets write them.
//
//   "1990 -5.2 -3.1 0.4 ..."            runs of blanks separate the fields
//   "1990,-5.2,,0.4,...,12.1,Annual"    a tab or a comma on the line: tabs and
//                                       commas alone separate, "" is a field
//   "# exported 2024-01-05"             a comment
//   "Year Jan Feb ... Dec Annual"       column titles, skipped
//   "Little Rock AR"                    any other line may name a station
//   "0007 Lake Farm"                    so may a code and a name
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "records/message_text.h"
#include "sources/fields.h"
#include "sources/layout.h"
#include "sources/layout_messages.h"
#include "mask/clired.h"

namespace versel {
namespace {

constexpr std::array<std::string_view, 12> kMonthTitles{"jan", "feb", "mar", "apr", "may", "jun",
                                                         "jul", "aug", "sep", "oct", "nov", "dec"};

// A column title of month m (0 = January): letters only, the first three
// its abbreviation in any case ("Jan", "JAN", "January").
bool is_month_title(std::string_view field, std::size_t m) {
  if (field.size() < 3) return false;
  for (char c : field)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  return equals_lower(field.substr(0, 3), kMonthTitles[m]);
}

// Titles of the twelve months in order, first or after one title of the
// year column; titles of annual or seasonal columns may follow.
bool is_title_row(const Fields& f) {
  for (std::size_t first = 0; first <= 1; ++first) {
    if (f.count < first + 12) continue;
    bool months = true;
    for (std::size_t m = 0; m < 12 && months; ++m) months = is_month_title(f.at[first + m], m);
    if (months) return true;
  }
  return false;
}

// The marks of a missing month besides the flag: an empty field, NA, NaN
// (any case), a lone "-", or only asterisks (what a fixed-width writer
// prints for a value that does not fit).
bool is_missing_mark(std::string_view field) {
  if (field.empty() || field == "-") return true;
  if (field.find_first_not_of('*') == std::string_view::npos) return true;
  return equals_lower(field, "na") || equals_lower(field, "nan");
}

// A line that starts with an integer and still names a station: by a code
// and a name. Its second field is text, neither a number nor a missing-value
// mark, and no field after it holds a number:
//   "0007 Lake Farm", "10384,Hill Station,,,,,,,,,,," (a spreadsheet's name row)
// Any other line that starts with an integer is a year line, or a truncated
// one ("1990 -5.2 -3.1", "1950 2020").
bool is_coded_name(const Fields& f) {
  float value = 0.0f;
  if (is_missing_mark(f.at[1]) || read_number(f.at[1], value) != NumberRead::not_number) return false;
  for (std::size_t i = 2; i < f.count; ++i)
    if (read_number(f.at[i], value) != NumberRead::not_number) return false;
  return true;
}

// Exact powers of ten in double precision, and in single precision as far
// as they are exact there (5^10 < 2^24 < 5^11).
constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
constexpr float kPow10f[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The digits from p on into `v`; the first character after them.
const char* take_digits(const char* p, const char* end, std::uint64_t& v) {
  for (; p < end; ++p) {
    const unsigned d = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (d >= 10) break;
    v = v * 10 + d;
  }
  return p;
}

// The decimal v / 10^k rounded to double, then to float, as read_number
// gives it. For v < 2^24 and k <= 10 both are exact floats, and one float
// division rounds v / 10^k once, to the same float: the double nearest
// v / 10^k could only round differently to float if it were a midpoint of
// two floats that v / 10^k is not, and such a v / 10^k lies at least
// 2^-25 / 5^k of its size away from every midpoint, far more than the
// 2^-53 the double moves it.
//   v = 52, k = 1 -> 5.2f;  v = 123456789012, k = 3 -> 123456792.0f (by double)
float decimal(std::uint64_t v, int k) {
  if (v < (std::uint64_t{1} << 24) && k <= 10) return static_cast<float>(v) / kPow10f[k];
  return static_cast<float>(static_cast<double>(v) / kPow10[k]);
}

// The common year line, cut in one pass: a year of at most 9 digits and
// twelve plain numbers ("-5.2", "12", at most 12 digits) or, with a
// separator, empty fields; the same values as the rules in general give
// (read_number's fast path, the flag for an empty field). False for any
// other line, which then takes the general rules.
// A month that a nines sentinel marks missing: the flag, and the sentinel
// counted.
void sentinel(std::size_t m, float value, float flag, SentinelTally* sentinels, CutLine& out) {
  sentinels->add(value);
  out.months[m] = flag;
}

bool plain_year_line(std::string_view line, bool separated, float flag, SentinelTally* sentinels,
                     CutLine& out) {
  const char* p = line.data();
  const char* const end = p + line.size();
  auto blank = [](char c) { return c == ' ' || c == '\r'; };
  auto at_separator = [&](const char* q) {
    return q == end || (separated ? (*q == ',' || *q == '\t') : (blank(*q) || *q == '\t'));
  };
  while (p < end && (blank(*p) || (!separated && *p == '\t'))) ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  std::uint64_t year = 0;
  const char* digits = p;
  p = take_digits(p, end, year);
  // at most 9 digits: beyond the years a line may carry, or near
  if (p == digits || p - digits > 9) return false;
  while (separated && p < end && blank(*p)) ++p;
  if (!at_separator(p) || p == end) return false;
  out.year = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(year) : year);
  unsigned found = 0;  // the months that hold a nines sentinel
  for (std::size_t m = 0; m < 12; ++m) {
    // p stands on the separator before the field
    if (p == end) return false;
    if (separated) ++p;
    while (p < end && (blank(*p) || (!separated && *p == '\t'))) ++p;
    if (separated && (p == end || *p == ',' || *p == '\t')) {
      out.months[m] = flag;  // an empty field
      continue;
    }
    if (p == end) return false;
    bool minus = false;
    if (*p == '-' || *p == '+') minus = *p++ == '-';
    std::uint64_t v = 0;
    const char* first = p;
    p = take_digits(p, end, v);
    std::ptrdiff_t n = p - first;  // digits
    int k = 0;                     // digits after the point
    if (p < end && *p == '.') {
      const char* fraction = ++p;
      p = take_digits(p, end, v);
      k = static_cast<int>(std::min<std::ptrdiff_t>(p - fraction, 13));
      n += p - fraction;
    }
    if (n == 0 || n > 12) return false;  // more digits may have wrapped v around
    const char* field_end = p;
    while (separated && p < end && blank(*p)) ++p;
    if (!at_separator(p)) return false;
    const float f = decimal(v, k);
    out.months[m] = minus ? -f : f;
    if (minus && sentinels && n >= 2 && first[0] == '9' && first[1] == '9' &&
        is_nines_sentinel(std::string_view(first - 1, static_cast<std::size_t>(field_end - first + 1))))
      found |= 1u << m;
  }
  // counted only once the line is taken: the general rules read it again
  for (std::size_t m = 0; found != 0; ++m, found >>= 1)
    if (found & 1u) sentinel(m, out.months[m], flag, sentinels, out);
  return true;
}

LineKind bad(CutLine& out, std::string reason) {
  out.reason = std::move(reason);
  return out.kind = LineKind::bad;
}

}  // namespace

LineKind cut_free(std::string_view line, const CutSettings& c, CutLine& out) {
  out.name = out.name2 = out.place = {};
  line = without_bom(line);
  const bool separated = std::memchr(line.data(), ',', line.size()) ||
                         std::memchr(line.data(), '\t', line.size());
  // without --flag the nines sentinels are missing
  SentinelTally* sentinels = c.flag_given ? nullptr : c.sentinels;
  if (plain_year_line(line, separated, c.flag, sentinels, out)) return out.kind = LineKind::year;
  if (is_empty_line(line) || is_comment_line(line)) return out.kind = LineKind::nothing;
  // a spreadsheet's empty row is separators alone
  if (separated && line.find_first_not_of(" \t\r,\"") == std::string_view::npos)
    return out.kind = LineKind::nothing;
  Fields f;
  if (separated) split_on(line, "\t,", f);
  else split_on_blanks(line, f);

  std::int64_t year = 0;
  if (f.count > 1 && read_integer(f.at[0], year) && !is_coded_name(f)) {
    if (f.count < 13) return bad(out, compose(kMsgFreeTruncated, {std::to_string(f.count)}));
    if (year < -kMaxYearMagnitude || year > kMaxYearMagnitude)
      return bad(out, compose(kMsgYearOutOfRange, {f.at[0]}));
    out.year = static_cast<std::int32_t>(year);
    for (std::size_t m = 0; m < 12; ++m) {
      std::string_view field = f.at[m + 1];
      float& v = out.months[m];
      if (is_missing_mark(field)) {
        v = c.flag;
        continue;
      }
      switch (read_number(field, v)) {
        case NumberRead::ok:  // a value equal to the flag is the flag
          if (sentinels && is_nines_sentinel(field)) sentinel(m, v, c.flag, sentinels, out);
          break;
        case NumberRead::not_number:
          return bad(out, compose(kMsgFreeMonth,
                                  {std::to_string(m + 1), quoted(field), number_text(c.flag)}));
        case NumberRead::out_of_range:
          return bad(out, compose(kMsgMonthOutOfRange, {std::to_string(m + 1), quoted(field)}));
      }
    }
    return out.kind = LineKind::year;
  }
  if (is_title_row(f)) return out.kind = LineKind::nothing;
  // a name line: the line itself, without the empty cells a spreadsheet
  // adds after it
  std::size_t first = line.find_first_not_of(" \t\r");
  std::size_t last = line.find_last_not_of(" \t\r,");
  out.name = line.substr(first, last + 1 - first);
  out.place = f.at[0];
  return out.kind = LineKind::name;
}

}  // namespace versel
