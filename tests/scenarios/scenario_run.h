// Running the versel binary in a directory of its own: typed answers from a
// file, standard output and standard error into files, a time limit.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace scenario {

inline constexpr int kTimedOut = -1;

// Runs `binary` with the arguments `args` in `cwd` with standard input from
// `in` and the two outputs into `out` and `err`. The exit status (0 to 255),
// 128 plus the signal when killed, or kTimedOut after `seconds`.
int run_binary(const std::filesystem::path& binary, const std::filesystem::path& cwd,
               const std::filesystem::path& in, const std::filesystem::path& out,
               const std::filesystem::path& err, int seconds,
               const std::vector<std::string>& args = {});

// The arguments of an `args` file: one per line, an empty line an empty
// argument; the line end of the last line ends it.
std::vector<std::string> arguments_of(const std::string& text);

std::string read_file(const std::filesystem::path& p);
// Every name in the folder `dir`, hidden ones included, sorted and joined by
// blanks: a temporary file left behind shows here.
std::string listing(const std::filesystem::path& dir);
void write_file(const std::filesystem::path& p, const std::string& bytes);

// Every file below `root` by its relative path, with its bytes; a link shows
// as "-> " and its target. Empty when `root` does not exist.
std::map<std::string, std::string> files_below(const std::filesystem::path& root);

// The first difference of two texts, line by line, with carriage returns,
// tabs and a missing last line end made visible; empty when they are equal.
std::string first_difference(const std::string& expected, const std::string& actual);

}  // namespace scenario
