// The names of the output files and the checks that keep them off the
// input: the dialogue's stem rule, the command line's, the output names of
// a stem, and the refusal of an output that would be the input file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "run_settings.h"

namespace versel {

// What every output name ends in: the seasonal values, and mat's key of
// coordinates.
inline constexpr std::string_view kSeaSuffix = "_sea";
inline constexpr std::string_view kKeySuffix = "_key";
inline constexpr std::string_view kCorrSuffix = "_corr";
inline constexpr std::string_view kScreenSuffix = "_screen";

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

// The command line's stem of a file: its name without its last extension,
// folders kept; a name without a full stop (or one that starts with its
// only full stop) is its own stem.
//   "data/cru_pre.dat" -> "data/cru_pre", "t_hohenpeissenberg_200306.txt" ->
//   "t_hohenpeissenberg_200306", "free.csv" -> "free", "v2.1/alpha" ->
//   "v2.1/alpha", ".hidden" -> ".hidden"
std::string file_stem(std::string_view file);

// What the outputs of a run hold: the mask's values (_sea), the correlation
// of a chronology with them (_corr), or the screen of every window (_screen,
// with its picture).
enum class OutputRole : std::uint8_t { values, correlation, screen };

// The outputs of a stem on the command line: STEM_sea (tsf, mat, grd),
// STEM_sea.csv (csv), STEM_sea.nc (nc), and for mat STEM_key as well (empty
// for the other kinds); a correlation STEM_corr with the same extensions; a
// screen STEM_screen with them and its picture STEM_screen.svg as the
// second file. An input file is never named so: no output takes an input's
// name, whatever its extension.
struct OutputFiles {
  std::string sea;
  std::string key;
};
OutputFiles output_files(std::string_view stem, std::int32_t kind,
                         OutputRole role = OutputRole::values);

// True when the two names lead to one file: the same text, or one file
// reached through a link or another spelling of the path.
bool same_file(std::string_view a, std::string_view b);

// Refuses, on the failure path and before any output is created, an output
// name that leads to the input file, or a _key name (empty for none) that
// leads to the _sea file:
//   "output file a_sea is the input file", "output file x_key is also the _sea file"
void refuse_clashing_outputs(std::string_view infile, std::string_view sea, std::string_view key);

}  // namespace versel
