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

// From a field's first character to just past its closing quote, when it
// opens with one; an unclosed quote runs to the end of the line.
std::size_t past_quote(std::string_view line, std::size_t i) {
  if (i >= line.size() || line[i] != '"') return i;
  std::size_t close = line.find('"', i + 1);
  return close == std::string_view::npos ? line.size() : close + 1;
}

void add(Fields& f, std::string_view field) {
  if (f.count < Fields::kMaxFields) f.at[f.count++] = unquoted(trim_blanks(field));
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
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (f.count < Fields::kMaxFields) {
    while (i < n && separates(line[i])) ++i;
    if (i == n) break;
    std::size_t start = i;
    i = past_quote(line, i);
    while (i < n && !separates(line[i])) ++i;
    add(f, line.substr(start, i - start));
  }
}

void split_on(std::string_view line, std::string_view separators, Fields& f) {
  f.count = 0;
  std::size_t from = 0;
  while (f.count < Fields::kMaxFields) {
    std::size_t i = from;
    while (i < line.size() && is_field_blank(line[i])) ++i;
    std::size_t end = line.find_first_of(separators, past_quote(line, i));
    if (end == std::string_view::npos) {
      add(f, line.substr(from));
      break;
    }
    add(f, line.substr(from, end - from));
    from = end + 1;
  }
}

}  // namespace versel
