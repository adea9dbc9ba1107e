// The texts of --help and --version.
#pragma once

#include <string_view>

namespace versel {

// Usage, every option, the mask notation in brief, the known data sets and
// examples; lines of at most 79 characters, the last ending in a line feed.
std::string_view help_text();

// The program's name and version, one line.
std::string_view version_text();

}  // namespace versel
