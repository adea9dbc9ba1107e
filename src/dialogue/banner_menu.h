// The start of a run: the banner, the output-kind menu and its three help
// screens.
#pragma once

#include <cstdint>

namespace versel {

// What an answer at the output-kind menu asks for.
enum class MenuStep : std::uint8_t {
  help_tsf,     // 10
  help_mat,     // 20
  help_grd,     // 30
  quit,         // 0, an empty answer included
  output_kind,  // 1, 2 or 3
  again,        // any other number: the menu is shown again
};

MenuStep menu_step(std::int32_t answer);

// Written once, at start-up.
void write_banner();

// Shows the menu, and a help screen when asked, until the answer is an output
// kind, which it returns. The answer 0 ends the run with its quit line.
std::int32_t ask_output_kind();

}  // namespace versel
