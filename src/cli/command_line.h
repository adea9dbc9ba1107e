// The command line: the options and FILEs of a run without the dialogue,
// parsed into a request and checked before any file is opened.
//
//   versel [OPTION]... FILE...
//
// - Short options take their value from the next argument (-k tsf) or joined
//   (-ktsf); short options without a value may be bundled (-qk tsf). Long
//   options take it from the next argument (--kind tsf) or after "=" (--kind=tsf).
//   A value is taken as it stands, a leading "-" included (--flag -999.9).
// - Long options are spelled out: no abbreviations, so that a later option
//   never changes what an existing script means.
// - Options and FILEs may come in any order; "--" ends the options, so that
//   every later argument is a FILE.
// - "-" is no option and no FILE: data files are read by their name (the
//   reader steps back over lines), so "-" is refused; a file named "-" is ./-.
//   "-o -" writes the _sea file to standard output.
// - -h/--help anywhere wins over everything else, then -V/--version; then the
//   first fault in the order of the arguments, then the checks between options.
// - Every option may be given once; -k and --kind are one option.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collect/output_names.h"
#include "sources/geometry.h"

namespace versel {

struct Layout;

// Exit statuses of a run from the command line (the dialogue keeps 0 and 255).
enum ExitStatus : int {
  kExitDone = 0,
  kExitRunFailed = 1,  // a FILE could not be processed
  kExitUsage = 2,      // a usage error: nothing was opened
};

enum class CliAction : std::uint8_t {
  run,          // process the FILEs
  explain,      // print what the mask computes
  help,
  version,
  usage_error,  // `error` says why
};

// Standard output as the output prefix: "-o -".
inline constexpr std::string_view kStandardOutput = "-";

struct CliRequest {
  CliAction action = CliAction::run;
  std::int32_t kind = 0;       // kTsf, kMat, kGrd or kCsv; 0 when not given
  std::int32_t data_set = 0;   // 1 to 12; 0 when not given
  std::string format;          // --format as given; empty when not given
  std::optional<float> flag;   // --flag, read as the dialogue reads it
  std::string header_format;   // --header-format; empty when not given
  std::string mask;            // --mask, checked by check_mask_text
  std::string output;          // --output PREFIX or kStandardOutput; empty when not given
  std::string output_dir;      // --output-dir DIR; empty when not given
  std::int32_t min_months = 0; // --min-months; 0 when not given (an average needs all)
  bool quiet = false;
  std::string layout_name;     // --layout NAME; empty when not given
  const Layout* layout = nullptr;  // --layout of a layout cut line by line (kLayouts); else null
  bool table = false;          // --layout table
  bool netcdf = false;         // --layout netcdf
  std::string var;             // --var NAME; empty when not given
  bool has_region = false;     // --region W/E/S/N
  Region region;
  bool has_near = false;       // --near LAT/LON[/N]
  NearSite near;
  // a tree-ring chronology correlated with the climate instead of writing it
  std::string chronology;      // --chronology FILE; empty when not given
  std::string chronology_id;   // --chronology-id CODE; empty: the file's first
  bool screen = false;         // --screen: every window of months
  int span_years = 2;          // --span Y
  int max_months = 12;         // --max-months L
  int min_years = 20;          // --min-years N
  bool spearman = false;       // --method spearman
  int bootstrap = 0;           // --bootstrap N
  std::uint64_t seed = 1;      // --seed S
  std::string coords;          // --coords FILE; empty when not given
  std::int64_t skip = 0;       // --skip N
  bool keep_flagged = false;   // --keep-flagged
  std::vector<std::string> files;
  std::string error;           // usage_error: the message, without "versel: "
};

// Parses the arguments after the program's name; without any, versel runs
// its dialogue and this is not called. Opens no file and writes nothing; a
// usage error comes back as the action with its message.
CliRequest parse_command_line(std::span<const char* const> args);

// The lines of a usage error for standard error: "versel: " and the message,
// then "Try 'versel --help'.", each ending in a line feed.
std::string usage_error_text(std::string_view message);

// What the outputs of a run hold: the mask's values, the correlation of a
// chronology with them, or its screen of windows.
OutputRole output_role(const CliRequest& request);

// The stem of FILE's output names: --output PREFIX when given, else the
// file's name without its last extension (file_stem), in the file's folder
// or in --output-dir:
//   "data/cru_pre.dat" -> "data/cru_pre"; with --output-dir out: "out/cru_pre"
std::string output_prefix(const CliRequest& request, std::string_view file);

}  // namespace versel
