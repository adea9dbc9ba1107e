// Fields, numbers and years of the layouts' lines.
#include "sources/fields.h"

#include <charconv>
#include <cfloat>
#include <cstdio>
#include <string>

namespace versel {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Exact powers of ten in double precision, 10^0 .. 10^15.
constexpr double kExactPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

bool separates(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The closing quote of a quoted field whose text starts at `from` (just
// past the opening quote): the first quote that is not one of a doubled
// pair; npos when the line ends first. `doubled` tells whether a doubled
// quote stands before it.
std::size_t closing_quote(std::string_view line, std::size_t from, bool& doubled) {
  doubled = false;
  for (;;) {
    std::size_t q = line.find('"', from);
    if (q == std::string_view::npos || q + 1 >= line.size() || line[q + 1] != '"') return q;
    doubled = true;
    from = q + 2;
  }
}

// From a field's first character to just past its closing quote, when it
// opens with one; an unclosed quote runs to the end of the line.
std::size_t past_quote(std::string_view line, std::size_t i) {
  if (i >= line.size() || line[i] != '"') return i;
  bool doubled = false;
  std::size_t close = closing_quote(line, i + 1, doubled);
  return close == std::string_view::npos ? line.size() : close + 1;
}

// `text` appended to `out` with each doubled quote made one; the view of
// what was appended. The first use after `out` was cleared reserves `room`
// (the length of the line, which the texts of its fields together never
// exceed), so that the views made into `out` before stay valid.
std::string_view append_unescaped(std::string_view text, std::string& out, std::size_t room) {
  if (out.empty()) out.reserve(room);
  const std::size_t start = out.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') ++i;
  }
  return std::string_view(out).substr(start);
}

void add(Fields& f, std::string_view field, std::size_t room) {
  if (f.count == Fields::kMaxFields) return;
  field = trim_blanks(field);
  std::string_view text = unquoted(field);
  if (text.size() != field.size() && text.find("\"\"") != std::string_view::npos)
    text = append_unescaped(text, f.unescaped, room);
  f.at[f.count++] = text;
}

}  // namespace

std::string_view without_bom(std::string_view line) {
  if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
  return line;
}

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && is_field_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_field_blank(s.back())) s.remove_suffix(1);
  return s;
}

bool is_empty_line(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

bool is_comment_line(std::string_view line) {
  std::size_t i = line.find_first_not_of(" \t");
  return i != std::string_view::npos && line[i] == '#';
}

std::string_view unquoted(std::string_view field) {
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
    return field.substr(1, field.size() - 2);
  return field;
}

NumberRead read_number(std::string_view field, float& value) {
  const char* p = field.data();
  const char* end = p + field.size();
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  const char* body = p;
  // the common field, "-4.5" or "123": at most 15 digits and one point; the
  // integer of its digits and the power of ten are exact doubles, so one
  // division rounds correctly
  std::int64_t m = 0;
  int digits = 0;
  int after_point = -1;  // digits after the point; -1 when there is none
  for (; p < end; ++p) {
    if (is_digit(*p)) {
      m = m * 10 + (*p - '0');
      if (after_point >= 0) ++after_point;
      if (++digits > 15) break;
    } else if (*p == '.' && after_point < 0) {
      after_point = 0;
    } else {
      break;
    }
  }
  if (p == end && digits > 0) {
    double v = static_cast<double>(m) / kExactPow10[after_point > 0 ? after_point : 0];
    value = static_cast<float>(negative ? -v : v);
    return NumberRead::ok;
  }
  // anything else must still be a number as written: digits with one point,
  // then an exponent of its own digits
  p = body;
  digits = 0;
  bool point = false;
  for (; p < end && (is_digit(*p) || (*p == '.' && !point)); ++p) {
    if (*p == '.') point = true;
    else ++digits;
  }
  if (digits == 0) return NumberRead::not_number;
  if (p < end) {
    if (*p != 'e' && *p != 'E') return NumberRead::not_number;
    ++p;
    if (p < end && (*p == '+' || *p == '-')) ++p;
    if (p == end) return NumberRead::not_number;
    for (; p < end; ++p)
      if (!is_digit(*p)) return NumberRead::not_number;
  }
  double v = 0.0;
  auto [ptr, ec] = std::from_chars(body, end, v);
  if (ec == std::errc::result_out_of_range) return NumberRead::out_of_range;
  if (ec != std::errc() || ptr != end) return NumberRead::not_number;
  if (v > FLT_MAX) return NumberRead::out_of_range;
  value = static_cast<float>(negative ? -v : v);
  return NumberRead::ok;
}

bool read_integer(std::string_view field, std::int64_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  if (i == field.size()) return false;
  constexpr std::int64_t kCap = std::int64_t{1} << 40;
  std::int64_t v = 0;
  for (; i < field.size(); ++i) {
    if (!is_digit(field[i])) return false;
    if (v < kCap) v = v * 10 + (field[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

std::string number_text(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

bool is_nines_sentinel(std::string_view field) {
  field = trim_blanks(field);
  if (field.size() < 3 || field[0] != '-' || field[1] != '9' || field[2] != '9') return false;
  std::size_t i = 1;
  while (i < field.size() && field[i] == '9') ++i;
  if (i == field.size()) return true;
  if (field[i] != '.') return false;
  ++i;
  while (i < field.size() && field[i] == '9') ++i;
  while (i < field.size() && field[i] == '0') ++i;
  return i == field.size();
}

void SentinelTally::add(float value) {
  for (auto& [v, n] : counts)
    if (v == value) {
      ++n;
      return;
    }
  counts.emplace_back(value, 1);
}

std::int64_t SentinelTally::total() const {
  std::int64_t n = 0;
  for (const auto& c : counts) n += c.second;
  return n;
}

std::string sentinel_text(const SentinelTally& t) {
  std::string text;
  for (std::size_t i = 0; i < t.counts.size(); ++i) {
    const auto& [value, n] = t.counts[i];
    if (i > 0) text += i + 1 == t.counts.size() ? " and " : ", ";
    text += std::to_string(n);
    if (i == 0) text += n == 1 ? " month" : " months";
    text += " of " + number_text(value);
  }
  return text;
}

bool equals_lower(std::string_view field, std::string_view lower_word) {
  if (field.size() != lower_word.size()) return false;
  for (std::size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower_word[i]) return false;
  }
  return true;
}

void split_on_blanks(std::string_view line, Fields& f) {
  f.count = 0;
  f.unescaped.clear();
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (f.count < Fields::kMaxFields) {
    while (i < n && separates(line[i])) ++i;
    if (i == n) break;
    std::size_t start = i;
    i = past_quote(line, i);
    while (i < n && !separates(line[i])) ++i;
    add(f, line.substr(start, i - start), n);
  }
}

void split_on(std::string_view line, std::string_view separators, Fields& f) {
  f.count = 0;
  f.unescaped.clear();
  std::size_t from = 0;
  while (f.count < Fields::kMaxFields) {
    std::size_t i = from;
    while (i < line.size() && is_field_blank(line[i])) ++i;
    std::size_t end = line.find_first_of(separators, past_quote(line, i));
    if (end == std::string_view::npos) {
      add(f, line.substr(from), line.size());
      break;
    }
    add(f, line.substr(from, end - from), line.size());
    from = end + 1;
  }
}

void split_cells(std::string_view line, char separator, Cells& c) {
  c.at.clear();
  c.unescaped.clear();
  c.open_quote = -1;
  const std::size_t n = line.size();
  // blanks around a field; with runs of blanks they separate as well
  auto blank = [separator](char ch) {
    return ch == ' ' || ch == '\r' || (ch == '\t' && separator != '\t');
  };
  // the end of a field from `i` on: the separator, or the line's end
  auto field_end = [&](std::size_t i) {
    if (separator != 0) {
      std::size_t end = line.find(separator, i);
      return end == std::string_view::npos ? n : end;
    }
    while (i < n && !blank(line[i])) ++i;
    return i;
  };
  auto trimmed = [&](std::size_t from, std::size_t to) {
    while (to > from && blank(line[to - 1])) --to;
    return line.substr(from, to - from);
  };
  std::size_t i = 0;
  if (separator == 0) {
    while (i < n && blank(line[i])) ++i;
    if (i == n) return;
  }
  for (;;) {
    while (i < n && blank(line[i])) ++i;
    Cell cell;
    std::size_t end = n;
    if (i < n && line[i] == '"') {
      cell.quoted = true;
      bool doubled = false;
      const std::size_t close = closing_quote(line, i + 1, doubled);
      if (close == std::string_view::npos) {
        c.open_quote = static_cast<int>(c.at.size());
        cell.text = line.substr(i + 1);
        if (doubled) cell.text = append_unescaped(cell.text, c.unescaped, n);
      } else {
        cell.text = line.substr(i + 1, close - i - 1);
        end = field_end(close + 1);
        std::string_view tail = trimmed(close + 1, end);
        if (doubled || !tail.empty()) {
          std::string_view joined = append_unescaped(cell.text, c.unescaped, n);
          c.unescaped += tail;
          cell.text = std::string_view(joined.data(), joined.size() + tail.size());
        }
      }
    } else {
      end = field_end(i);
      cell.text = trimmed(i, end);
    }
    c.at.push_back(cell);
    if (end >= n) return;
    i = end + 1;
    if (separator == 0) {
      while (i < n && blank(line[i])) ++i;
      if (i == n) return;
    }
  }
}

}  // namespace versel
