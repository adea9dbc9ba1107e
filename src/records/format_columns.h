// The columns of a record that a read format's data items take: where a
// header format finds latitude and longitude in a header line, so that the
// rest of the line can name the station.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace versel {

// A stretch of columns of a record, from 0: [first, first + width).
struct ColumnSpan {
  std::size_t first = 0;
  std::size_t width = 0;
};

// The columns of the first `count` data items of `format_text` (a held
// format, such as "(12x,f6.2,f7.2)"), walked as a read walks it: X, TR, T
// and TL move, quoted texts and data items take their width. False when the
// format does not translate, reaches a "/" or ends before `count` items, or
// holds an item without a width.
//   "(12x,f6.2,f7.2)", 2               -> {12, 6}, {18, 7}
//   "(13x,i3,2x,i3,8x,i4,2x,i4)", 4    -> {13, 3}, {18, 3}, {29, 4}, {35, 4}
bool data_columns(std::string_view format_text, std::size_t count, std::vector<ColumnSpan>& out);

// `line` without the columns of `spans`, its parts joined by one blank and
// without blanks at either end:
//   "LITTLE ROCK  34.73 -92.23", {12,6},{18,7} -> "LITTLE ROCK"
std::string line_without_columns(std::string_view line, const std::vector<ColumnSpan>& spans);

}  // namespace versel
