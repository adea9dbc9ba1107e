// Values, missing marks, years, months and dates of a table's fields.
#include "sources/table_fields.h"

#include <array>
#include <cstdio>
#include <string>

#include "capacities.h"

namespace versel {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames{
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The digits of `s` from `i` on, at most `most` of them, into `value`; how
// many there were.
std::size_t take_digits(std::string_view s, std::size_t& i, std::size_t most, std::int64_t& value) {
  std::size_t n = 0;
  value = 0;
  for (; i < s.size() && is_digit(s[i]) && n < most; ++i, ++n) value = value * 10 + (s[i] - '0');
  return n;
}

}  // namespace

bool is_missing_text(std::string_view field) {
  if (field.empty() || field == "-") return true;
  if (field.find_first_not_of('*') == std::string_view::npos) return true;
  return equals_lower(field, "na") || equals_lower(field, "nan");
}

NumberRead read_table_number(std::string_view field, char separator, float& value) {
  if (separator != ';' || field.find(',') == std::string_view::npos)
    return read_number(field, value);
  // a decimal comma: the field rewritten with a point (a field longer than
  // any number is no number either way)
  char text[64];
  if (field.size() > sizeof text) return NumberRead::not_number;
  for (std::size_t i = 0; i < field.size(); ++i) text[i] = field[i] == ',' ? '.' : field[i];
  return read_number(std::string_view(text, field.size()), value);
}

MonthValue read_month_value(std::string_view field, char separator, const TableSettings& s,
                            float& value) {
  switch (read_table_number(field, separator, value)) {
    case NumberRead::ok:
      if (!s.flag_given && is_nines_sentinel(field)) {
        if (s.sentinels) s.sentinels->add(value);
        value = s.flag;
        return MonthValue::missing;
      }
      return MonthValue::value;
    case NumberRead::out_of_range: return MonthValue::out_of_range;
    case NumberRead::not_number: break;
  }
  if (is_missing_text(field)) {
    value = s.flag;
    return MonthValue::missing;
  }
  return MonthValue::not_number;
}

bool read_table_year(std::string_view field, std::int32_t& year, bool& in_range) {
  std::int64_t v = 0;
  if (!read_integer(field, v)) return false;
  in_range = v >= -kMaxYearMagnitude && v <= kMaxYearMagnitude;
  if (in_range) year = static_cast<std::int32_t>(v);
  return true;
}

int month_of_name(std::string_view field) {
  for (std::size_t m = 0; m < 12; ++m) {
    const std::string_view name = kMonthNames[m];
    if (equals_lower(field, name) || equals_lower(field, name.substr(0, 3)))
      return static_cast<int>(m);
  }
  return -1;
}

int month_of_field(std::string_view field) {
  if (!field.empty() && is_digit(field.front())) {
    std::int64_t m = 0;
    if (field.size() <= 2 && read_integer(field, m) && m >= 1 && m <= 12)
      return static_cast<int>(m - 1);
    return -1;
  }
  return month_of_name(field);
}

bool read_table_date(std::string_view field, std::int32_t& year, int& month) {
  std::size_t i = 0;
  std::int64_t y = 0, m = 0, d = 0;
  const std::size_t digits = take_digits(field, i, 10, y);
  if (digits == 0) return false;
  if (i == field.size()) {  // YYYYMM
    if (digits != 6) return false;
    m = y % 100;
    y /= 100;
  } else {
    const char mark = field[i++];
    if ((mark != '-' && mark != '/') || digits > 9) return false;
    const std::size_t month_digits = take_digits(field, i, 3, m);
    if (month_digits == 0 || month_digits > 2) return false;
    if (i < field.size()) {
      if (field[i++] != mark) return false;
      const std::size_t day_digits = take_digits(field, i, 3, d);
      if (day_digits == 0 || day_digits > 2 || d < 1 || d > 31 || i != field.size()) return false;
    }
  }
  if (m < 1 || m > 12) return false;
  year = static_cast<std::int32_t>(y);
  month = static_cast<int>(m - 1);
  return true;
}

std::string month_text(std::int32_t year, int month) {
  char text[32];
  std::snprintf(text, sizeof text, "%d-%02d", static_cast<int>(year), month + 1);
  return text;
}

}  // namespace versel
