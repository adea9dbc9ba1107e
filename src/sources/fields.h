// The pieces every layout and the coordinates files are cut into: trimmed
// fields, numbers as written, years, and the splitting of a line into
// fields by blanks or by a separator character, quoted fields by the usual
// CSV rules.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <vector>

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

// The lines of a text, each with its number from 1: the line end (LF or
// CR LF) and a first line's byte order mark dropped.
struct LineWalk {
  std::string_view text;
  std::size_t from = 0;
  std::int64_t number = 0;

  bool next(std::string_view& line) {
    if (from >= text.size()) return false;
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    line = text.substr(from, end - from);
    from = end + 1;
    if (++number == 1) line = without_bom(line);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }
};

// A line that holds nothing to read: empty, blanks only, or a comment.
inline bool passed_over(std::string_view line) {
  return is_empty_line(line) || is_comment_line(line);
}

// The field without one pair of double quotes around it (a doubled quote
// inside stays doubled: the splitters below make it one).
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

// The missing-value sentinels of public monthly archives: a negative number
// made only of nines, at least two of them before the point, with any
// number of zeros after the point's nines ("-99", "-99.9", "-99.90",
// "-999.99", "-9999", "-99999."); not "-99.09", "-909" or "-.99". A single
// nine before the point ("-9", "-9.0", "-9.9") is a temperature as often as
// a flag: it stays a value (the outlier report names it where it stands
// out). Blanks around the field are allowed.
bool is_nines_sentinel(std::string_view field);

// How many months each sentinel value marked missing in a file, in the
// order the values were first met.
struct SentinelTally {
  std::vector<std::pair<float, std::int64_t>> counts;
  void add(float value);
  std::int64_t total() const;
};

// "3 months of -99.9", "3 months of -99.9 and 12 of -9999",
// "1 month of -9, 2 of -99.9 and 4 of -9999".
std::string sentinel_text(const SentinelTally& t);

// Case-insensitive comparison with a lower-case word.
bool equals_lower(std::string_view field, std::string_view lower_word);

// The fields of a line, at most kMaxFields of them; `count` stops counting
// there. Each field is trimmed of blanks and of one pair of double quotes;
// a separator between quotes is part of the field, and a doubled quote
// between them is one quote:  "Hill ""North"""  ->  Hill "North".
// The fields are views into the line, or into `unescaped` for a field that
// held a doubled quote: a Fields is not copied.
struct Fields {
  static constexpr std::size_t kMaxFields = 14;
  std::array<std::string_view, kMaxFields> at{};
  std::size_t count = 0;
  std::string unescaped;
};

// Fields separated by runs of blanks and tabs.
void split_on_blanks(std::string_view line, Fields& f);

// Fields separated by any of `separators`, one field between each two (an
// empty field is a field).
void split_on(std::string_view line, std::string_view separators, Fields& f);

// One field of a row of a delimited table, and whether it stood in quotes.
struct Cell {
  std::string_view text;
  bool quoted = false;
};

// A row of a delimited table cut by the usual CSV rules, every field kept:
// - `separator` ',', ';' or '\t' separates one field from the next (an empty
//   field is a field; a line of nothing is one empty field); 0 separates by
//   runs of blanks and tabs (a line of nothing has no field);
// - blanks (and tabs, unless they separate) around a field are not part of it;
// - a field that opens with a double quote runs to the closing quote, the
//   separators in between belonging to it and a doubled quote standing for
//   one; text after the closing quote up to the separator is added to it
//   ("a"b -> ab). A quote inside a field that does not open with one is
//   a character like any other.
// `open_quote` is the field whose quote is not closed, which then runs to
// the end of the line; -1 when every quote is closed.
// The texts are views into the line, or into `unescaped` for a field that
// needed rewriting: a Cells is not copied, and the views hold until the next
// split.
struct Cells {
  std::vector<Cell> at;
  std::string unescaped;
  int open_quote = -1;
};
void split_cells(std::string_view line, char separator, Cells& c);

}  // namespace versel
