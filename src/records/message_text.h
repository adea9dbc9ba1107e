// Filling and quoting the texts of messages: every module keeps its own
// message texts in one place, with "{}" where a value goes, and fills them
// here, so that a value of a file or an option is shown the same way
// everywhere.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace versel {

// `text` with each "{}" replaced by the next of `args`; a "{}" without an
// argument stays as it is.
std::string compose(std::string_view text, std::initializer_list<std::string_view> args);

// A value as messages show it: in single quotes, a control character as
// \xHH (so no value can drive the terminal), cut after 80 bytes with "...".
std::string quoted(std::string_view value);

// A file name as messages show it: as it is, but a control character as \xHH.
std::string shown_name(std::string_view name);

// A value with each control byte as \xHH (tabs too unless `keep_tabs`), cut
// after `limit` bytes with "...".
std::string escaped(std::string_view value, std::size_t limit, bool keep_tabs = false);

}  // namespace versel
