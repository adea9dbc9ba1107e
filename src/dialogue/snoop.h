// The data-file viewer: the lines of the data file, five at a time, numbered
// under a column ruler, so that the user can work out a format.
#pragma once

#include <cstdint>

namespace versel {

// What an answer at a page prompt of the viewer asks for, by its first
// character, lower case only: "e" reads to the end and shows the last five
// lines, "m" returns, anything else (an empty answer included) shows more.
enum class PageAnswer : std::uint8_t { more, to_end, back };
PageAnswer page_answer(char first);

// Shows the data file open on `unit` until the user answers "m"; returns
// with the file rewound to its start.
void snoop(int unit);

}  // namespace versel
