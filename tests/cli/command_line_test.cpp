// The command line: the forms of the options, the usage errors with their
// exact messages, the output names, and the help and version texts.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "collect/output_names.h"
#include "cli/help_text.h"
#include "sources/catalogue.h"
#include "sources/layout.h"
#include "run_settings.h"

namespace versel {
namespace {

CliRequest parse(std::vector<const char*> args) { return parse_command_line(args); }

// The usage error of `args`, or "" when they parse.
std::string error_of(std::vector<const char*> args) {
  CliRequest r = parse(args);
  return r.action == CliAction::usage_error ? r.error : "";
}

TEST(CommandLine, TakesEveryFormOfTheOptions) {
  const std::vector<std::vector<const char*>> same = {
      {"-k", "mat", "-d", "7", "-m", "000001130000", "-o", "out", "-q", "a.dat"},
      {"-kmat", "-d7", "-m000001130000", "-oout", "-q", "a.dat"},
      {"--kind", "mat", "--data-set", "7", "--mask", "000001130000", "--output", "out",
       "--quiet", "a.dat"},
      {"--kind=mat", "--data-set=7", "--mask=000001130000", "--output=out", "--quiet", "a.dat"},
      {"a.dat", "-qkmat", "-d", "7", "--mask", "000001130000", "-o", "out"},
  };
  for (const auto& args : same) {
    CliRequest r = parse(args);
    ASSERT_EQ(r.action, CliAction::run) << r.error;
    EXPECT_EQ(r.kind, kMat);
    EXPECT_EQ(r.data_set, 7);
    EXPECT_EQ(r.mask, "000001130000");
    EXPECT_EQ(r.output, "out");
    EXPECT_TRUE(r.quiet);
    EXPECT_EQ(r.files, std::vector<std::string>{"a.dat"});
  }
  // csv: one file, STEM_sea.csv, which standard output may take
  CliRequest csv = parse({"-k", "csv", "-d", "7", "-m", "000001130000", "--min-months", "2",
                          "data/cru_pre.dat"});
  ASSERT_EQ(csv.action, CliAction::run) << csv.error;
  EXPECT_EQ(csv.kind, kCsv);
  EXPECT_EQ(csv.min_months, 2);
  EXPECT_EQ(output_files(output_prefix(csv, "data/cru_pre.dat"), kCsv).sea, "data/cru_pre_sea.csv");
  EXPECT_EQ(error_of({"-k", "csv", "-d", "7", "-m", "1", "-o", "-", "a.dat"}), "");
}

TEST(CommandLine, TakesAFormatOfOnesOwnAndFilesAfterTheEndOfOptions) {
  CliRequest r = parse({"-k", "grd", "-f", "(1x,i4,12f5.1)", "--flag", "-999.9",
                        "--header-format", "(12x,f6.2,f7.2)", "-m", "1113", "--", "-x.dat",
                        "--kind", "b.dat"});
  ASSERT_EQ(r.action, CliAction::run) << r.error;
  EXPECT_EQ(r.data_set, 0);
  EXPECT_EQ(r.format, "(1x,i4,12f5.1)");
  EXPECT_EQ(r.header_format, "(12x,f6.2,f7.2)");
  EXPECT_EQ(r.flag, -999.9f);
  EXPECT_EQ(r.files, (std::vector<std::string>{"-x.dat", "--kind", "b.dat"}));
  // a header format with tsf is not needed, and not refused
  EXPECT_EQ(error_of({"-k", "tsf", "-f", "(i4,12f5.1)", "--flag", "0", "--header-format",
                      "(f6.2,f7.2)", "-m", "1", "a"}),
            "");
}

// The flag is read as the dialogue reads it: F15 with no implied decimals.
TEST(CommandLine, ReadsTheFlagAsTheDialogueDoes) {
  const std::vector<std::pair<const char*, float>> flags = {
      {"-999.9", -999.9f}, {"  -99.99 ", -99.99f}, {"-9999", -9999.0f}, {"163.835", 163.835f},
      {"0", 0.0f},         {"+5", 5.0f},           {"1e3", 1000.0f},    {"-.5", -0.5f},
  };
  for (auto [text, value] : flags) {
    CliRequest r = parse({"-k", "tsf", "-f", "(i4,12f5.1)", "--flag", text, "-m", "1", "a"});
    ASSERT_EQ(r.action, CliAction::run) << text << ": " << r.error;
    EXPECT_EQ(r.flag, value) << text;
  }
}

TEST(CommandLine, TakesTheLayoutsAndTheirOptions) {
  CliRequest r = parse({"-k", "mat", "--layout", "ghcnm", "--coords", "st.inv", "--keep-flagged",
                        "--flag", "-99.99", "--skip=3", "-m", "000001130000", "a.dat"});
  ASSERT_EQ(r.action, CliAction::run) << r.error;
  ASSERT_NE(r.layout, nullptr);
  EXPECT_EQ(r.layout->name, "ghcnm");
  EXPECT_EQ(r.coords, "st.inv");
  EXPECT_TRUE(r.keep_flagged);
  EXPECT_EQ(r.flag, -99.99f);
  EXPECT_EQ(r.skip, 3);
  // a layout needs no header format, and its flag is its own without --flag
  r = parse({"-k", "grd", "--layout", "free", "-m", "1", "a.csv"});
  ASSERT_EQ(r.action, CliAction::run) << r.error;
  EXPECT_FALSE(r.flag.has_value());
  // --skip goes with the catalogue and a format of one's own too
  r = parse({"-k", "tsf", "-d", "6", "--skip", "0012", "-m", "1", "a.dat"});
  ASSERT_EQ(r.action, CliAction::run) << r.error;
  EXPECT_EQ(r.skip, 12);
  EXPECT_EQ(r.layout, nullptr);
  // every layout of the table is taken by its name, and named where a value is asked for
  for (const Layout& l : kLayouts) {
    EXPECT_EQ(parse({"--layout", std::string(l.name).c_str()}).layout, &l);
    EXPECT_NE(parse({"--layout"}).error.find(l.name), std::string::npos);
    EXPECT_NE(help_text().find("  " + std::string(l.name) + " "), std::string::npos) << l.name;
  }
}

TEST(CommandLine, HelpWinsOverEverythingThenTheVersion) {
  EXPECT_EQ(parse({"--bogus", "-k", "x", "-h"}).action, CliAction::help);
  EXPECT_EQ(parse({"-V", "--help"}).action, CliAction::help);
  EXPECT_EQ(parse({"-qh"}).action, CliAction::help);
  EXPECT_EQ(parse({"--version", "-m", "x"}).action, CliAction::version);
  // inside a value or after "--", h is no option
  EXPECT_EQ(parse({"-mh"}).action, CliAction::usage_error);
  EXPECT_EQ(parse({"-k", "tsf", "-d", "1", "-m", "1", "--", "-h"}).action, CliAction::run);
}

TEST(CommandLine, ExplainNeedsOnlyTheMask) {
  CliRequest r = parse({"--explain", "-m", "00000000000113"});
  EXPECT_EQ(r.action, CliAction::explain);
  EXPECT_EQ(r.mask, "00000000000113");
  EXPECT_EQ(parse({"--explain", "-m", "1", "-", "-"}).action, CliAction::explain);
  EXPECT_EQ(error_of({"--explain"}),
            "--mask is missing: give the climate mask, such as --mask 000001130000");
  // what is given is still checked
  EXPECT_EQ(error_of({"--explain", "-m", "1", "-d", "1", "-f", "(i4)"}),
            "--format and --data-set do not go together: data set 1 has its own format");
}

TEST(CommandLine, UsageErrorsNameTheOptionAndTheValue) {
  struct Case {
    std::vector<const char*> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      // the options themselves
      {{"--mas", "0001"}, "unknown option '--mas'"},
      {{"--mask-x=1"}, "unknown option '--mask-x'"},
      {{"-qx"}, "unknown option '-x'"},
      {{"-k", "tsf", "--kind", "mat"},
       "option --kind is given twice: 'tsf' and 'mat'; give it once"},
      {{"-q", "--quiet"}, "option --quiet is given twice; give it once"},
      {{"--quiet=yes"}, "option --quiet takes no value (given '--quiet=yes')"},
      {{"-k"}, "option -k needs its KIND: tsf, mat, grd, csv or nc"},
      {{"-m", "1", "--output"},
       "option --output needs its PREFIX: the start of the output file names, or - for "
       "standard output"},
      // their values
      {{"-k", "TSF"}, "--kind 'TSF': not an output kind; use tsf, mat, grd, csv or nc"},
      {{"-d", "x7"}, "--data-set 'x7': not a number; give a data set of 1 to 12"},
      {{"--min-months", "0"}, "--min-months '0': an average needs at least 1 valid month"},
      {{"--min-months=-2"},
       "--min-months '-2': not a number; give how many valid months an average season "
       "needs, 1 or more"},
      {{"-d", "13"},
       "--data-set '13': no such data set; the known ones are 1 to 12 (for a format of your "
       "own give --format and --flag)"},
      {{"-d", "99999999999999999999"},
       "--data-set '99999999999999999999': no such data set; the known ones are 1 to 12 (for a "
       "format of your own give --format and --flag)"},
      {{"-f", "(1x,i4,12f5.1"},
       "--format '(1x,i4,12f5.1': Format string has unmatched parens"},
      {{"-f", "1x,i4"}, "--format '1x,i4': Format string missing opening ("},
      {{"--header-format", "(12x,f6.2;f7.2)"},
       "--header-format '(12x,f6.2;f7.2)': Error in format string"},
      {{"-f", "(1x,i4,12f5.1,1x,1x,1x,1x,1x,1x)"},
       "--format '(1x,i4,12f5.1,1x,1x,1x,1x,1x,1x)': 32 characters, more than the 30 a format "
       "may have"},
      {{"--flag", "abc"},
       "--flag 'abc': not a number; give the value that marks a missing month, such as -999.9"},
      {{"--flag", ""},
       "--flag '': not a number; give the value that marks a missing month, such as -999.9"},
      {{"--flag", "-99,9"},
       "--flag '-99,9': a comma would end the number there; write a decimal point as '.'"},
      {{"--flag", "-999.900000000001"},
       "--flag '-999.900000000001': longer than the 15 characters a flag is read from"},
      {{"--flag", "nan1"}, "--flag 'nan1': not a finite number, which no month could equal"},
      {{"--flag", "1e99"}, "--flag '1e99': not a finite number, which no month could equal"},
      {{"-o", ""},
       "--output '': an empty PREFIX; give the start of the output file names, or - for "
       "standard output"},
      // the mask
      {{"-m", "0000111311131113111x"},
       "--mask '0000111311131113111x': 'x' at position 20 (Aug of the mask's year 2) is not a "
       "mask digit; use 0 (month not used), 1 (month used), 2 (closes a season as a sum) or 3 "
       "(closes a season as an average)"},
      {{"-m", "000011130001"},
       "--mask '000011130001': the 1 at position 12 (Dec of the mask's year 1) comes after the "
       "last season's end at position 8 and would be in no climate variable; end its season "
       "with 2 or 3, or make it 0"},
      {{"-m", "000000"},
       "--mask '000000': no month selected; mark the months to use with 1, and close a season "
       "with 2 (sum) or 3 (average)"},
      {{"-m", "1111111111111111111111111"},
       "--mask '1111111111111111111111111': 25 climate variables, more than the 24 a run can "
       "hold; join months into seasons with 2 or 3"},
      {{"-m", "0000000000000000000000000000000000000000000000000000000000001"},
       "--mask '0000000000000000000000000000000000000000000000000000000000001': 61 months, more "
       "than the 60 (five years) a mask can hold"},
      // options that do not go together
      {{"-k", "tsf", "-d", "7", "-f", "(i4,12f5.1)", "-m", "1", "a"},
       "--format and --data-set do not go together: data set 7 has its own format"},
      {{"-k", "tsf", "-d", "7", "--flag", "0", "-m", "1", "a"},
       "--flag goes with --format or --layout: data set 7 has its own flag"},
      {{"-k", "mat", "-d", "7", "--header-format", "(2f7.1)", "-m", "1", "a"},
       "--header-format goes with --format: data set 7 has its own"},
      {{"-k", "tsf", "-d", "1", "-m", "1", "-o", "x", "a", "b"},
       "--output 'x' with 2 FILEs: each FILE writes outputs of its own; leave out --output, or "
       "run versel once per FILE"},
      {{"-k", "mat", "-d", "1", "-m", "1", "-o", "-", "a"},
       "--output - with --kind mat: mat writes two files, _sea and _key; give a PREFIX"},
      // what a run needs
      {{"-d", "1", "-m", "1", "a"}, "--kind is missing: give the output kind, tsf, mat, grd, csv or nc"},
      {{"-k", "tsf", "-m", "1", "a"},
       "the layout of the data is missing: give --data-set N (1 to 12), --format FMT with "
       "--flag X, or --layout NAME"},
      {{"-k", "tsf", "-f", "(i4,12f5.1)", "-m", "1", "a"},
       "--format needs --flag: give the value that marks a missing month in the data"},
      {{"-k", "grd", "-f", "(i4,12f5.1)", "--flag", "0", "-m", "1", "a"},
       "--kind grd with --format needs --header-format: how latitude and longitude are read "
       "from each header line, such as (12x,f6.2,f7.2)"},
      {{"-k", "tsf", "-d", "1", "a"},
       "--mask is missing: give the climate mask, such as --mask 000001130000"},
      {{"-k", "tsf", "-d", "1", "-m", "1"}, "no data FILE given"},
      // the FILEs and their outputs
      {{"-k", "tsf", "-d", "1", "-m", "1", "-"},
       "FILE '-': versel reads a data file by its name, not from standard input (for a file "
       "named -, give ./-)"},
      {{"-k", "tsf", "-d", "1", "-m", "1", ""}, "FILE '': an empty file name"},
      {{"-k", "tsf", "-d", "1", "-m", "1", "a.dat", "b.dat", "a.dat"}, "FILE 'a.dat' is given twice"},
      {{"-k", "tsf", "-d", "1", "-m", "1", "-o", "gap", "gap_sea"},
       "FILE 'gap_sea' would be overwritten by its own output"},
      {{"-k", "mat", "-d", "1", "-m", "1", "a.dat", "a_key"},
       "FILE 'a_key' would be overwritten by the output of FILE 'a.dat'"},
      {{"-k", "tsf", "-d", "1", "-m", "1", "cru.dat", "cru.txt"},
       "FILEs 'cru.dat' and 'cru.txt' would both write 'cru_sea'; the output names come from "
       "each file's name without its last extension: rename one, or run them with "
       "--output-dir apart"},
      // the layouts
      {{"--layout", "FREE"}, "--layout 'FREE': no such layout; the layouts are free, ghcnm, climdiv, table and netcdf"},
      {{"--skip", "-1"}, "--skip '-1': not a number of lines; give the lines to pass over, 0 or more"},
      {{"--skip", ""}, "--skip '': not a number of lines; give the lines to pass over, 0 or more"},
      {{"--coords", ""}, "--coords '': an empty file name"},
      {{"--keep-flagged=1"}, "option --keep-flagged takes no value (given '--keep-flagged=1')"},
      {{"-k", "tsf", "--layout", "free", "-d", "7", "-m", "1", "a"},
       "--layout and --data-set do not go together: give the one layout of the data"},
      {{"-k", "tsf", "--layout", "free", "-f", "(i4,12f5.1)", "--flag", "0", "-m", "1", "a"},
       "--layout and --format do not go together: layout free cuts its lines itself"},
      {{"-k", "mat", "--layout", "climdiv", "--header-format", "(2f7.1)", "-m", "1", "a"},
       "--header-format goes with --format: the stations of layout climdiv have no header line; "
       "give their coordinates with --coords"},
      {{"-k", "mat", "-d", "7", "--coords", "st.inv", "-m", "1", "a"},
       "--coords goes with --layout: the data sets and --format read each station's coordinates "
       "from its header line"},
      {{"-k", "tsf", "--layout", "free", "--keep-flagged", "-m", "1", "a"},
       "--keep-flagged goes with --layout ghcnm: only the global monthly station files carry "
       "quality flags"},
      {{"-k", "tsf", "-d", "1", "--keep-flagged", "-m", "1", "a"},
       "--keep-flagged goes with --layout ghcnm: only the global monthly station files carry "
       "quality flags"},
      // a value that would drive the terminal is shown escaped
      {{"-k", "\x1b[2J"}, "--kind '\\x1B[2J': not an output kind; use tsf, mat, grd, csv or nc"},
  };
  for (const Case& c : cases) {
    std::string all;
    for (const char* a : c.args) all += std::string(a) + " ";
    EXPECT_EQ(error_of(c.args), c.message) << all;
  }
}

TEST(CommandLine, ReportsTheFirstFaultOfTheArguments) {
  EXPECT_EQ(error_of({"-k", "x", "-d", "0", "--bogus"}),
            "--kind 'x': not an output kind; use tsf, mat, grd, csv or nc");
  EXPECT_EQ(error_of({"--bogus", "-k", "x"}), "unknown option '--bogus'");
}

TEST(CommandLine, UsageErrorLinesEndWithTheHint) {
  EXPECT_EQ(usage_error_text("no data FILE given"),
            "versel: no data FILE given\nTry 'versel --help'.\n");
}

TEST(CommandLine, OutputNamesAreTheFileNameWithoutItsLastExtension) {
  CliRequest r;
  struct Case {
    const char* file;
    const char* stem;
  };
  const Case cases[] = {
      {"temperature.dat", "temperature"},
      {"data/cru_pre.dat", "data/cru_pre"},
      {"data/cru_tmp.dat", "data/cru_tmp"},
      {"t_hohenpeissenberg_200306.txt", "t_hohenpeissenberg_200306"},
      {"free.csv", "free"},
      {"../data/x.dat", "../data/x"},
      {"v2.1/station file", "v2.1/station file"},
      {"v2.1/a.b.c", "v2.1/a.b"},
      {"alpha", "alpha"},
      {".hidden", ".hidden"},
      {"dir/.hidden", "dir/.hidden"},
  };
  for (const Case& c : cases) EXPECT_EQ(output_prefix(r, c.file), c.stem) << c.file;
  std::string long_name(60, 'a');
  EXPECT_EQ(output_prefix(r, long_name + ".dat"), long_name);
  // every kind: STEM_sea, with the extension of its own kind
  EXPECT_EQ(output_files("x", kTsf).sea, "x_sea");
  EXPECT_EQ(output_files("x", kGrd).sea, "x_sea");
  EXPECT_EQ(output_files("x", kMat).sea, "x_sea");
  EXPECT_EQ(output_files("x", kMat).key, "x_key");
  EXPECT_EQ(output_files("x", kCsv).sea, "x_sea.csv");
  EXPECT_EQ(output_files("x", kNc).sea, "x_sea.nc");
  EXPECT_EQ(output_files("x", kCsv).key, "");
  // --output-dir: the stem of the file's own name, in that folder
  r.output_dir = "out";
  EXPECT_EQ(output_prefix(r, "data/cru_pre.dat"), "out/cru_pre");
  r.output_dir = "/tmp/out/";
  EXPECT_EQ(output_prefix(r, "cru_pre.dat"), "/tmp/out/cru_pre");
  // -o PREFIX stands for the stem, in --output-dir when given
  r.output = "jja";
  EXPECT_EQ(output_prefix(r, "data/cru_pre.dat"), "/tmp/out/jja");
  r.output_dir.clear();
  r.output = "runs/jja";
  EXPECT_EQ(output_files(output_prefix(r, "data/cru_pre.dat"), kMat).sea, "runs/jja_sea");
  EXPECT_EQ(output_files(output_prefix(r, "data/cru_pre.dat"), kMat).key, "runs/jja_key");
}

TEST(CommandLine, FilesWhoseOutputsCollideAreRefusedNamingBoth) {
  EXPECT_EQ(error_of({"-k", "tsf", "-d", "7", "-m", "113", "cru_pre.dat", "cru_tmp.dat"}), "");
  EXPECT_EQ(error_of({"-k", "tsf", "-d", "7", "-m", "113", "x.dat", "x.txt"}),
            "FILEs 'x.dat' and 'x.txt' would both write 'x_sea'; the output names come from "
            "each file's name without its last extension: rename one, or run them with "
            "--output-dir apart");
  EXPECT_EQ(error_of({"-k", "csv", "-d", "7", "-m", "113", "--output-dir", "o", "a/x.dat",
                      "b/x.dat"}),
            "FILEs 'a/x.dat' and 'b/x.dat' would both write 'o/x_sea.csv'; the output names "
            "come from each file's name without its last extension: rename one, or run them "
            "with --output-dir apart");
  // a csv input and its csv output no longer share a name
  EXPECT_EQ(error_of({"-k", "csv", "--layout", "free", "-m", "113", "free.csv"}), "");
  EXPECT_EQ(error_of({"-k", "tsf", "-d", "7", "-m", "113", "a.dat", "a_sea"}),
            "FILE 'a_sea' would be overwritten by the output of FILE 'a.dat'");
}

TEST(HelpText, FitsTheTerminalAndNamesOnlyOptionsTheParserKnows) {
  std::istringstream lines{std::string(help_text())};
  std::string line;
  int options = 0;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 79u) << line;
    // "  -k, --kind KIND ..." or "      --flag X ..."
    bool with_short = line.size() > 6 && line.compare(0, 3, "  -") == 0 && line[4] == ',';
    if (!with_short && line.compare(0, 8, "      --") != 0) continue;
    ++options;
    std::string name = line.substr(6, line.find(' ', 6) - 6);
    EXPECT_EQ(parse({name.c_str(), "x"}).error.find("unknown option"), std::string::npos) << name;
  }
  // every option of the parser, --span and --max-months on one line
  EXPECT_EQ(options, 28);
  EXPECT_EQ(help_text().back(), '\n');
}

TEST(HelpText, ListsTheFormatOfEveryKnownDataSet) {
  std::string_view help = help_text();
  std::istringstream lines{std::string(help.substr(help.find("Known data sets")))};
  std::string line;
  std::getline(lines, line);
  for (const DataSet& row : known_data_sets()) {
    std::getline(lines, line);
    if (row.frm.empty()) {
      EXPECT_NE(line.find("first line"), std::string::npos) << line;
    } else {
      EXPECT_NE(line.find(row.frm), std::string::npos) << line;
    }
  }
  std::getline(lines, line);
  EXPECT_EQ(line, "");
}

TEST(VersionText, IsOneLine) {
  EXPECT_EQ(version_text().substr(0, 7), "versel ");
  EXPECT_EQ(version_text().find('\n'), version_text().size() - 1);
}

}  // namespace
}  // namespace versel
