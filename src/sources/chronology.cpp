// Reading a chronology: the .crn lines and their years, the table rows, and
// the choice among the chronologies of a file.
#include "sources/chronology.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "records/message_text.h"
#include "sources/chronology_messages.h"
#include "sources/fields.h"

namespace versel {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
constexpr std::int64_t kCrnMissing = 9990;
constexpr std::size_t kCrnColumns = 80;  // columns past 80 (a record number) are not read
constexpr int kMaxHeaderLines = 3;
constexpr std::int64_t kMaxTableYear = 99999;
constexpr std::size_t kShownLine = 100;

bool fail(std::int64_t line, std::string reason, std::string_view text, ChronologyError& e) {
  e.line = line;
  e.reason = std::move(reason);
  e.text = std::string(text);
  return false;
}

// Columns [from, to) of a line counted from 0, as far as the line reaches.
std::string_view columns(std::string_view line, std::size_t from, std::size_t to) {
  if (from >= line.size()) return {};
  return line.substr(from, std::min(to, line.size()) - from);
}

bool is_blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

std::int32_t decade_of(std::int32_t year) {
  std::int32_t d = year / 10;
  if (year % 10 < 0) --d;  // rounds down: -5 lies in the decade -10..-1
  return d * 10;
}

// A chronology being read: its values appended in increasing years, the
// years skipped between two of them without a value.
struct Series {
  Chronology c;
  bool any_value = false;
  std::int32_t last_valued = 0;  // the last year that holds a value

  void put(std::int32_t year, double value, std::int32_t depth) {
    if (!any_value) c.first_year = year;
    while (any_value && c.last_year() < year - 1) {
      c.values.push_back(kNoValue);
      c.depth.push_back(0);
    }
    c.values.push_back(value);
    c.depth.push_back(depth);
    last_valued = year;
    any_value = true;
  }
};

// ---- .crn ----

struct CrnLine {
  std::string_view code;
  std::int32_t year = 0;
  int pairs = 0;  // pairs up to the last whose index is not blank
  std::array<bool, 10> blank{};
  std::array<std::int64_t, 10> index{};
  std::array<std::int32_t, 10> depth{};
};

// Cuts a .crn data line; false with the reason when it is none.
bool cut_crn_line(std::string_view line, CrnLine& out, std::string& reason) {
  line = line.substr(0, std::min(line.size(), kCrnColumns));
  std::int64_t year = 0;
  std::string_view year_field = trim_blanks(columns(line, 6, 10));
  if (line.size() > 5 && line[5] == '-' && read_integer(columns(line, 5, 10), year)) {
    out.code = trim_blanks(columns(line, 0, 5));  // a year below -999
  } else if (read_integer(year_field, year)) {
    out.code = trim_blanks(columns(line, 0, 6));
  } else {
    reason = compose(kMsgCrnYear, {versel::quoted(columns(line, 6, 10))});
    return false;
  }
  out.year = static_cast<std::int32_t>(year);
  out.pairs = 0;
  for (int k = 0; k < 10; ++k) {
    const std::size_t at = 10 + 7 * static_cast<std::size_t>(k);
    std::string_view index = columns(line, at, at + 4);
    std::string_view depth = columns(line, at + 4, at + 7);
    out.blank[static_cast<std::size_t>(k)] = is_blank(index);
    out.index[static_cast<std::size_t>(k)] = kCrnMissing;
    out.depth[static_cast<std::size_t>(k)] = 0;
    if (!is_blank(index)) {
      std::int64_t v = 0;
      if (!read_integer(trim_blanks(index), v)) {
        reason = compose(kMsgCrnIndex, {std::to_string(k + 1), std::to_string(at + 1),
                                        std::to_string(at + 4), versel::quoted(index)});
        return false;
      }
      out.index[static_cast<std::size_t>(k)] = v;
      out.pairs = k + 1;
    }
    if (!is_blank(depth)) {
      std::int64_t d = 0;
      if (!read_integer(trim_blanks(depth), d) || d < 0) {
        reason = compose(kMsgCrnDepth, {std::to_string(k + 1), std::to_string(at + 5),
                                        std::to_string(at + 7), versel::quoted(depth)});
        return false;
      }
      out.depth[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(d);
    }
  }
  if (out.pairs == 0) {
    reason = std::string(kMsgCrnNoPair);
    return false;
  }
  return true;
}

bool is_crn_line(std::string_view line) {
  CrnLine l;
  std::string reason;
  return cut_crn_line(line, l, reason);
}

bool no_value_at(const CrnLine& l, int k) {
  auto i = static_cast<std::size_t>(k);
  return l.blank[i] || l.index[i] == kCrnMissing;
}

// The year of the line's first pair (see the header): its decade year, or
// its own year when it starts inside its decade with values before its
// place. False with the reason when such a line runs past its decade.
bool first_pair_year(const CrnLine& l, std::int32_t& start, std::string& reason) {
  const std::int32_t decade = decade_of(l.year);
  const int place = l.year - decade;
  bool decade_places = true;
  for (int k = 0; k < place && k < l.pairs; ++k)
    if (!no_value_at(l, k)) decade_places = false;
  if (decade_places) {
    start = decade;
    return true;
  }
  if (l.pairs > 10 - place) {
    reason = compose(kMsgCrnPastDecade, {std::to_string(l.year), std::to_string(l.pairs),
                                         std::to_string(10 - place), std::to_string(l.year)});
    return false;
  }
  start = l.year;
  return true;
}

// A title from a header line: the ITRDB's site name (columns 10-61) when
// the line starts with the code, else the whole line.
std::string title_of(std::string_view header, std::string_view code) {
  if (!code.empty() && trim_blanks(columns(header, 0, 6)) == code)
    return std::string(trim_blanks(columns(header, 9, 61)));
  return std::string(trim_blanks(header.substr(0, std::min(header.size(), kCrnColumns))));
}

// The optional statistics line after the data: the code, then numbers with
// decimal points.
bool is_statistics_line(std::string_view line, std::string_view code) {
  return trim_blanks(columns(line, 0, 6)) == code && line.find('.') != std::string_view::npos;
}

struct Pending {
  std::int64_t line;
  std::string_view text;
  std::string reason;
};

bool read_crn(std::string_view text, std::vector<Series>& out, ChronologyError& e) {
  LineWalk walk{text};
  std::string_view line;
  std::vector<Pending> pending;  // lines since the last data line that are none
  Series* current = nullptr;
  CrnLine l;
  std::string reason;
  while (walk.next(line)) {
    if (passed_over(line)) continue;
    if (!cut_crn_line(line, l, reason)) {
      if (pending.size() == kMaxHeaderLines)
        return fail(walk.number, compose(kMsgCrnHeaders, {reason}), line, e);
      pending.push_back({walk.number, line, reason});
      continue;
    }
    std::int32_t start = 0;
    if (!first_pair_year(l, start, reason)) return fail(walk.number, reason, line, e);
    // the first year of the line that holds a value
    std::int32_t first_valued = start + l.pairs;
    for (int k = 0; k < l.pairs; ++k)
      if (!no_value_at(l, k)) {
        first_valued = start + k;
        break;
      }
    const bool same_code = current != nullptr && l.code == current->c.code;
    const bool restarts = same_code && current->any_value && first_valued <= current->last_valued;
    if (same_code && !pending.empty() && !restarts) {
      // a line that breaks a chronology's data is no header
      const Pending& p = pending.front();
      return fail(p.line, compose(kMsgCrnInside, {p.reason, versel::quoted(current->c.code)}),
                  p.text, e);
    }
    if (current == nullptr || !same_code || !pending.empty()) {
      out.emplace_back();
      current = &out.back();
      current->c.code = std::string(l.code);
      if (!pending.empty()) current->c.title = title_of(pending.front().text, l.code);
      pending.clear();
    } else if (current->any_value && first_valued <= current->last_valued) {
      return fail(
          walk.number,
          compose(kMsgCrnYearBack, {std::to_string(first_valued), versel::quoted(current->c.code),
                                    std::to_string(current->last_valued)}),
          line, e);
    }
    for (int k = 0; k < l.pairs; ++k) {
      auto i = static_cast<std::size_t>(k);
      std::int32_t year = start + k;
      if (no_value_at(l, k)) continue;
      current->put(year, static_cast<double>(l.index[i]) / 1000.0, l.depth[i]);
    }
  }
  if (!pending.empty()) {
    if (current != nullptr && pending.size() == 1 &&
        is_statistics_line(pending.front().text, current->c.code))
      return true;
    const Pending& p = pending.front();
    return fail(p.line, p.reason, p.text, e);
  }
  return true;
}

// ---- tables ----

struct TableRow {
  std::int32_t year = 0;
  double value = kNoValue;
  std::int32_t depth = 0;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A decimal number as written (sign, digits with at most one point, an
// optional exponent), read to double; `decimal_comma` takes a comma for the
// point.
bool read_decimal(std::string_view field, bool decimal_comma, double& value) {
  std::string s(field);
  if (decimal_comma)
    for (char& c : s)
      if (c == ',') c = '.';
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const std::size_t body = i;
  int digits = 0;
  bool point = false;
  for (; i < s.size() && (is_digit(s[i]) || (s[i] == '.' && !point)); ++i) {
    if (s[i] == '.') point = true;
    else ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size()) {
    if (s[i] != 'e' && s[i] != 'E') return false;
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i == s.size()) return false;
    for (; i < s.size(); ++i)
      if (!is_digit(s[i])) return false;
  }
  double v = 0.0;
  auto [ptr, ec] = std::from_chars(s.data() + body, s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(v)) return false;
  value = s[0] == '-' ? -v : v;
  return true;
}

bool is_no_value(std::string_view field) {
  return field.empty() || equals_lower(field, "na") || equals_lower(field, "nan") || field == "-";
}

// The separator of a line: the first of tab, semicolon and comma it holds;
// 0 (blanks) when it holds none.
char separator_of(std::string_view line) {
  for (char c : {'\t', ';', ','})
    if (line.find(c) != std::string_view::npos) return c;
  return 0;
}

void split(std::string_view line, Fields& f) {
  char sep = separator_of(line);
  if (sep == 0) split_on_blanks(line, f);
  else split_on(line, std::string_view(&sep, 1), f);
}

bool cut_table_row(std::string_view line, TableRow& row, std::string& reason) {
  Fields f;
  split(line, f);
  while (f.count > 2 && f.at[f.count - 1].empty())
    --f.count;  // separators a spreadsheet left at the end
  if (f.count < 2 || f.count > 3) {
    reason = compose(kMsgTableFields,
                     {f.count == 1 ? std::string("1 field") : std::to_string(f.count) + " fields"});
    return false;
  }
  std::int64_t year = 0;
  if (!read_integer(f.at[0], year) || year < -kMaxTableYear || year > kMaxTableYear) {
    reason = compose(kMsgChronologyTableYear, {versel::quoted(f.at[0])});
    return false;
  }
  row.year = static_cast<std::int32_t>(year);
  row.value = kNoValue;
  if (!is_no_value(f.at[1]) && !read_decimal(f.at[1], separator_of(line) == ';', row.value)) {
    reason = compose(kMsgChronologyTableValue, {versel::quoted(f.at[1])});
    return false;
  }
  row.depth = 0;
  if (f.count == 3 && !f.at[2].empty()) {
    std::int64_t d = 0;
    if (!read_integer(f.at[2], d) || d < 0 || d > std::numeric_limits<std::int32_t>::max()) {
      reason = compose(kMsgTableDepth, {versel::quoted(f.at[2])});
      return false;
    }
    row.depth = static_cast<std::int32_t>(d);
  }
  return true;
}

bool names_the_year(std::string_view title) {
  for (std::string_view word : {"", "year", "years", "yr", "date"})
    if (equals_lower(title, word)) return true;
  return false;
}

bool is_table_row(std::string_view line) {
  TableRow row;
  std::string reason;
  return cut_table_row(line, row, reason);
}

bool read_table(std::string_view text, Series& s, ChronologyError& e) {
  LineWalk walk{text};
  std::string_view line;
  std::vector<Pending> titles;
  TableRow row;
  std::string reason;
  bool rows = false;
  std::int32_t last = 0;
  while (walk.next(line)) {
    if (passed_over(line)) continue;
    if (!cut_table_row(line, row, reason)) {
      if (rows) return fail(walk.number, reason, line, e);
      if (titles.size() == kMaxHeaderLines)
        return fail(walk.number, compose(kMsgTableTitles, {reason}), line, e);
      titles.push_back({walk.number, line, reason});
      continue;
    }
    if (rows && row.year <= last)
      return fail(walk.number,
                  compose(kMsgTableYearBack, {std::to_string(row.year), std::to_string(last)}),
                  line, e);
    if (!rows && !titles.empty()) {
      // a row of column titles (its first naming the year) names the
      // chronology by the value column's title
      Fields f;
      split(titles.back().text, f);
      if ((f.count == 2 || f.count == 3) && names_the_year(f.at[0]))
        s.c.code = std::string(f.at[1]);
      if (titles.size() > 1 || s.c.code.empty())
        s.c.title = std::string(trim_blanks(titles.front().text));
    }
    rows = true;
    last = row.year;
    if (!std::isnan(row.value)) s.put(row.year, row.value, row.depth);
  }
  if (!rows) {
    if (titles.empty()) return fail(0, std::string(kMsgChronEmpty), {}, e);
    const Pending& p = titles.front();
    return fail(p.line, p.reason, p.text, e);
  }
  return true;
}

bool read_all(std::string_view text, std::string_view file_name, std::vector<Series>& out,
              ChronologyError& e) {
  out.clear();
  if (chronology_kind(text, file_name) == ChronologyKind::crn) {
    if (!read_crn(text, out, e)) return false;
    if (out.empty()) return fail(0, std::string(kMsgChronEmpty), {}, e);
    return true;
  }
  out.emplace_back();
  return read_table(text, out.back(), e);
}

}  // namespace

double Chronology::at(std::int32_t year) const {
  if (year < first_year || year > last_year()) return kNoValue;
  return values[static_cast<std::size_t>(year - first_year)];
}

std::string error_message(const ChronologyError& e) {
  if (e.line == 0) return e.reason;
  return compose(kMsgChronLineFault, {std::to_string(e.line), e.reason});
}

std::string error_line_shown(const ChronologyError& e) { return escaped(e.text, kShownLine); }

ChronologyKind chronology_kind(std::string_view text, std::string_view file_name) {
  LineWalk walk{text};
  std::string_view line;
  int seen = 0;
  while (seen <= kMaxHeaderLines && walk.next(line)) {
    if (passed_over(line)) continue;
    ++seen;
    if (is_crn_line(line)) return ChronologyKind::crn;
    if (is_table_row(line)) return ChronologyKind::table;
  }
  const bool crn_name =
      file_name.size() >= 4 && equals_lower(file_name.substr(file_name.size() - 4), ".crn");
  return crn_name ? ChronologyKind::crn : ChronologyKind::table;
}

std::vector<std::string> chronology_codes(std::string_view text, std::string_view file_name) {
  std::vector<Series> all;
  ChronologyError e;
  std::vector<std::string> codes;
  if (!read_all(text, file_name, all, e)) return codes;
  for (const Series& s : all) codes.push_back(s.c.code);
  return codes;
}

bool read_chronology(std::string_view text, std::string_view file_name, std::string_view id,
                     Chronology& out, ChronologyError& error) {
  std::vector<Series> all;
  if (!read_all(text, file_name, all, error)) return false;
  Series* chosen = id.empty() ? &all.front() : nullptr;
  for (std::size_t i = 0; chosen == nullptr && i < all.size(); ++i)
    if (all[i].c.code == id) chosen = &all[i];
  if (chosen == nullptr) {
    std::string list;
    for (const Series& s : all) {
      if (!list.empty()) list += ", ";
      list += versel::quoted(s.c.code);
    }
    return fail(0, compose(kMsgChronNoId, {versel::quoted(id), list}), {}, error);
  }
  if (!chosen->any_value)
    return fail(0, compose(kMsgChronNoValue, {versel::quoted(chosen->c.code)}), {}, error);
  out = std::move(chosen->c);
  return true;
}

bool load_chronology(const std::string& path, std::string_view id, Chronology& out,
                     ChronologyError& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    return fail(0, compose(kMsgChronOpen, {std::strerror(EISDIR)}), {}, error);
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(0, compose(kMsgChronOpen, {std::strerror(errno)}), {}, error);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return fail(0, compose(kMsgChronOpen, {std::strerror(errno)}), {}, error);
  return read_chronology(text.str(), path, id, out, error);
}

}  // namespace versel
