// The pieces every layout and the coordinates files are cut into: trimmed
// fields, numbers as written, years, and the splitting of a line into
// fields by blanks or by a separator character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace versel {

// The byte order mark a spreadsheet may write before a file's first line.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The line without a leading byte order mark.
std::string_view without_bom(std::string_view line);

// Blanks around a field: spaces and carriage returns (a line read elsewhere
// than through the data unit may still end in one).
inline bool is_field_blank(char c) { return c == ' ' || c == '\r'; }
std::string_view trim_blanks(std::string_view s);

// A line of nothing but blanks and tabs (and carriage returns).
bool is_empty_line(std::string_view line);

// A comment: the first character after leading blanks and tabs is "#".
bool is_comment_line(std::string_view line);

// The field without one pair of double quotes around it.
std::string_view unquoted(std::string_view field);

// A number as written: an optional sign, digits with at most one point (at
// least one digit), an optional exponent; nothing else. The value is the
// decimal number rounded to double, then to float, as the record formats
// read it. `out_of_range` for a number beyond the range of a float.
enum class NumberRead : std::uint8_t { ok, not_number, out_of_range };
NumberRead read_number(std::string_view field, float& value);

// An integer as written: an optional sign and digits only. Values beyond
// +-2^40 stay there (a caller's range check refuses them).
bool read_integer(std::string_view field, std::int64_t& value);

// A number as messages show it: -999.9, 0.5, -9999.
std::string number_text(float value);

// Case-insensitive comparison with a lower-case word.
bool equals_lower(std::string_view field, std::string_view lower_word);

// The fields of a line, at most kMaxFields of them; `count` stops counting
// there. Each field is trimmed of blanks and of one pair of double quotes;
// a separator between quotes is part of the field.
struct Fields {
  static constexpr std::size_t kMaxFields = 14;
  std::array<std::string_view, kMaxFields> at{};
  std::size_t count = 0;
};

// Fields separated by runs of blanks and tabs.
void split_on_blanks(std::string_view line, Fields& f);

// Fields separated by any of `separators`, one field between each two (an
// empty field is a field).
void split_on(std::string_view line, std::string_view separators, Fields& f);

}  // namespace versel
