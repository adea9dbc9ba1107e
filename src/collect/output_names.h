// The names of the output files and the checks that keep them off the
// input: the stem rule, the output name of a stem and a suffix, and the
// refusal of an output that would be the input file.
#pragma once

#include <cstdint>
#include <string_view>

#include "run_settings.h"

namespace versel {

// The stem rule: the stem of a name is its characters before the first full
// stop, blank or underscore, or the whole name when there is none. Returns
// the stem's length.
//   "temp.dat" -> 4, "ghcn_v2.txt" -> 4, "alpha" -> 5, "../data/x.dat" -> 0
std::size_t stem_end(std::string_view name);

// The length of the stem of a 40-character name: stem_end of its first 40
// characters, so all 40 when there is no full stop, blank or underscore.
std::int32_t stem_length(std::string_view name);

// The stem followed by `suffix`, cut to 40 characters: with a stem of 37
// characters "_sea" keeps only "_se", with a stem of 40 nothing of it.
FixedText<kFileNameLength> output_name(std::string_view name, std::int32_t stem,
                                       std::string_view suffix);

// True when the two names lead to one file: the same text, or one file
// reached through a link or another spelling of the path.
bool same_file(std::string_view a, std::string_view b);

// Refuses, on the failure path and before any output is created, an output
// name that leads to the input file, or a _key name (empty for none) that
// leads to the _sea file:
//   "output file a_sea is the input file", "output file x_key is also the _sea file"
void refuse_clashing_outputs(std::string_view infile, std::string_view sea, std::string_view key);

}  // namespace versel
