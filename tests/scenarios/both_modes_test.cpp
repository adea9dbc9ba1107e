// Every dialogue scenario run in both modes: its typed answers, and the
// command-line options that say the same (kind, FILE, data set or format,
// flag and header format, mask), each in a fresh copy of its files. Where
// the dialogue reaches the station loop, the command line must leave the
// very same files, byte for byte, with status 0 where the dialogue ends
// with 0 and 1 where it fails (255), and nothing on standard output. Where
// it does not, where the command line refuses what the dialogue takes, or
// where it fails a run that yields nothing, the scenario is listed below
// with the reason, and the test checks that the list is right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "scenario_run.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTimeLimitSeconds = 20;

// Scenarios whose dialogue never reaches the station loop, and why.
const std::map<std::string, std::string> kNoStationLoop = {
    {"bad_eof_at_data_format", "the answers end at the format prompt"},
    {"bad_eof_at_data_set_menu", "the answers end at the data-set menu"},
    {"bad_eof_at_file_name", "the answers end at the file prompt"},
    {"bad_eof_at_header_format", "the answers end at the header-format prompt"},
    {"bad_eof_at_mask_help", "the mask's help pages"},
    {"bad_eof_in_viewer", "the data-file viewer"},
    {"bad_eof_at_viewer_end", "the data-file viewer"},
    {"bad_input_device", "the answers end at the data-set menu"},
    {"bad_input_directory", "the answers end at the data-set menu"},
    {"bad_input_name_with_nul", "a name with a NUL byte, which no argument can hold"},
    {"bad_key_is_directory", "the answers end at the data-set menu"},
    {"bad_sea_is_directory", "the answers end at the data-set menu"},
    {"catalogue_bad_choices", "a quit at the mask prompt"},
    {"catalogue_choice_01", "a quit at the mask prompt"},
    {"catalogue_choice_02", "a quit at the mask prompt"},
    {"catalogue_choice_03", "a quit at the mask prompt"},
    {"catalogue_choice_04", "a quit at the mask prompt"},
    {"catalogue_choice_05_empty_file", "the answers end at the mask prompt"},
    {"catalogue_choice_07", "a quit at the mask prompt"},
    {"catalogue_choice_08", "a quit at the mask prompt"},
    {"catalogue_choice_09", "a quit at the mask prompt"},
    {"catalogue_choice_10", "a quit at the mask prompt"},
    {"catalogue_choice_11", "a quit at the mask prompt"},
    {"catalogue_choice_12", "a quit at the mask prompt"},
    {"catalogue_not_a_number", "an answer that is no number at the data-set menu"},
    {"fuzz_regression_1", "the answers end at the mask prompt"},
    {"fuzz_regression_3", "the mask's help pages"},
    {"input_missing", "the answers end at the data-set menu"},
    {"mask_bad_masks_then_quit", "a quit at the mask prompt"},
    {"mask_end_of_input", "the answers end at the mask prompt"},
    {"mask_help_ends_on_n", "the mask's help pages"},
    {"mask_help_to_the_end", "the mask's help pages"},
    {"menu_empty_answer_quits", "a quit at the output-kind menu"},
    {"menu_end_of_input", "the answers end at the output-kind menu"},
    {"menu_help_pause_end_of_input", "the answers end at the output-kind menu"},
    {"menu_help_screens", "a quit at the output-kind menu"},
    {"menu_not_a_number", "an answer that is no number at the output-kind menu"},
    {"menu_quit", "a quit at the output-kind menu"},
    {"output_existing_kept_at_quit", "a quit at the mask prompt"},
    {"output_is_input_cut_suffix", "the answers end at the data-set menu"},
    {"output_is_input_forty", "the answers end at the data-set menu"},
    {"output_is_input_link", "the answers end at the data-set menu"},
    {"output_is_input_named_sea", "the answers end at the data-set menu"},
    {"output_key_is_sea", "the answers end at the data-set menu"},
    {"stem_underscore", "a quit at the mask prompt"},
    {"user_format_flag_end_of_input", "the answers end at the flag prompt"},
    {"user_format_kind_mat_with_viewer", "the data-file viewer"},
    {"user_format_kind_tsf", "a quit at the mask prompt"},
    {"user_format_quit_at_format", "a quit at the format prompt"},
    {"user_format_quit_at_header", "a quit at the header-format prompt"},
    {"viewer_empty_file", "the data-file viewer"},
    {"viewer_five_lines", "the data-file viewer"},
    {"viewer_paging", "the data-file viewer"},
    {"viewer_read_to_end", "the data-file viewer"},
};

// Scenarios whose answers the dialogue takes and the command line refuses
// before it opens a file (status 2): the typos its checks are there for.
const std::map<std::string, std::string> kRefusedByTheCommandLine = {
    {"bad_data_format_rejected", "a data format the notation rejects"},
    {"bad_eof_at_terminate_pause", "a data format the notation rejects"},
    {"bad_flag_nan", "a flag without a digit (nan), which matches no month"},
    {"bad_header_format_rejected", "a header format the notation rejects"},
    {"fuzz_regression_4", "a mask with 1s after its last season"},
    {"mask_upper_h_is_a_mask", "a mask with a character other than 0 to 3"},
};

// Scenarios whose file yields no station, or no output year for any
// station: the dialogue writes empty outputs, the command line fails the
// FILE (status 1) and leaves nothing.
const std::map<std::string, std::string> kFailedByTheCommandLine = {
    {"bad_cr_only_line_ends", "one line without a line end: a header, no year line"},
    {"grd_no_stations", "a file of headers without year lines"},
    {"input_name_cut_at_forty", "an empty data file"},
    {"mat_no_stations", "a file of headers without year lines"},
    {"menu_other_numbers_ask_again", "an empty data file"},
    {"stem_directory_underscore", "an empty data file"},
    {"stem_no_full_stop", "an empty data file"},
    {"stem_parent_directory", "an empty data file"},
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t nl = text.find('\n', from);
    if (nl == std::string::npos) nl = text.size();
    lines.push_back(text.substr(from, nl - from));
    from = nl + 1;
  }
  return lines;
}

// An answer read as "(i2)": its first two columns, blanks left out; nullopt
// for an answer that is no number (the dialogue fails there).
std::optional<int> menu_number(const std::string& answer) {
  std::string digits;
  for (char c : answer.substr(0, 2))
    if (c != ' ') digits += c;
  if (digits.empty()) return 0;
  std::size_t at = digits[0] == '-' || digits[0] == '+' ? 1 : 0;
  if (at == digits.size()) return 0;
  for (std::size_t i = at; i < digits.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(digits[i]))) return std::nullopt;
  return std::stoi(digits);
}

// A flag answer the dialogue takes: one that holds a digit, or a NaN or an
// infinity; the flag prompt asks again for any other.
bool flag_taken(const std::string& answer) {
  std::string lower;
  for (char c : answer) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer.find_first_of("0123456789") != std::string::npos ||
         lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

std::string without_trailing_blanks(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The stem rule of the dialogue on the name as it holds it (40 characters).
std::size_t stem_of(const std::string& name) {
  std::size_t end = name.find_first_of("._ ");
  return end == std::string::npos ? name.size() : end;
}

// The command line's own prefix: the file's name without its last extension.
std::string own_prefix(const std::string& file) {
  std::size_t slash = file.rfind('/');
  std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = file.rfind('.');
  return dot == std::string::npos || dot <= name ? file : file.substr(0, dot);
}

struct Derived {
  std::vector<std::string> args;
  std::string no_station_loop;  // why, when the dialogue does not get there
};

// The options that say what the typed answers say, as far as the dialogue
// reaches the station loop with them.
Derived derive(const std::string& typed) {
  std::vector<std::string> answers = lines_of(typed);
  std::size_t next = 0;
  auto answer = [&](std::string& line) {
    if (next == answers.size()) return false;
    line = answers[next++];
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    return true;
  };
  Derived d;
  std::string line;

  int kind = 0;
  for (;;) {
    if (!answer(line)) return {{}, "the answers end at the output-kind menu"};
    std::optional<int> n = menu_number(line);
    if (!n) return {{}, "an answer that is no number at the output-kind menu"};
    if (*n == 10 || *n == 20 || *n == 30) {
      if (next < answers.size()) ++next;  // the pause after the help screen
      continue;
    }
    if (*n == 0) return {{}, "a quit at the output-kind menu"};
    if (*n >= 1 && *n <= 3) {
      kind = *n;
      break;
    }
  }
  if (!answer(line)) return {{}, "the answers end at the file prompt"};
  if (line.find('\0') != std::string::npos)
    return {{}, "a name with a NUL byte, which no argument can hold"};
  std::string name = line.substr(0, 40);
  std::string file = without_trailing_blanks(name);

  const char* kinds[] = {"", "tsf", "mat", "grd"};
  d.args = {"-k", kinds[kind]};
  int data_set = 0;
  for (;;) {
    if (!answer(line)) return {{}, "the answers end at the data-set menu"};
    std::optional<int> n = menu_number(line);
    if (!n) return {{}, "an answer that is no number at the data-set menu"};
    if (*n >= 1 && *n <= 13) {
      data_set = *n;
      break;
    }
  }
  if (data_set == 13) {
    if (!answer(line)) return {{}, "the answers end at the format prompt"};
    if (line.rfind("/", 0) == 0) return {{}, "a quit at the format prompt"};
    if (line.rfind("h", 0) == 0) return {{}, "the data-file viewer"};
    d.args.insert(d.args.end(), {"-f", without_trailing_blanks(line.substr(0, 30))});
    do {
      if (!answer(line)) return {{}, "the answers end at the flag prompt"};
    } while (!flag_taken(line));
    d.args.insert(d.args.end(), {"--flag", line});
    if (kind > 1) {
      if (!answer(line)) return {{}, "the answers end at the header-format prompt"};
      if (line.rfind("/", 0) == 0) return {{}, "a quit at the header-format prompt"};
      if (line.rfind("h", 0) == 0) return {{}, "the data-file viewer"};
      d.args.insert(d.args.end(), {"--header-format", without_trailing_blanks(line.substr(0, 30))});
    }
  } else {
    d.args.insert(d.args.end(), {"-d", std::to_string(data_set)});
  }
  for (;;) {
    if (!answer(line)) return {{}, "the answers end at the mask prompt"};
    std::string mask = line.substr(0, 60);
    if (mask.rfind("/", 0) == 0) return {{}, "a quit at the mask prompt"};
    mask = mask.substr(0, mask.find(' '));
    if (mask.find_first_not_of('0') == std::string::npos) continue;  // asked again
    if (mask[0] == 'h') return {{}, "the mask's help pages"};
    std::size_t variables = 0;
    bool seasons = mask.find_first_of("23") != std::string::npos;
    for (char c : mask)
      if (c != '0' && (!seasons || c != '1')) ++variables;
    if (variables > 24) continue;  // asked again
    d.args.insert(d.args.end(), {"-m", mask});
    break;
  }
  // the dialogue's output names, when the command line's own differ
  std::string prefix = name.substr(0, stem_of(name));
  if (prefix != own_prefix(file)) d.args.insert(d.args.end(), {"-o", prefix.empty() ? "./" : prefix});
  d.args.push_back(file);
  return d;
}

struct ModeRun {
  int status = scenario::kTimedOut;
  std::string out;
  std::map<std::string, std::string> files;
};

ModeRun run_mode(const fs::path& dir, const fs::path& run, const std::vector<std::string>* args) {
  const fs::path work = run / "work";
  fs::remove_all(run);
  fs::create_directories(work);
  if (fs::exists(dir / "files"))
    fs::copy(dir / "files", work, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  fs::path cwd = work;
  if (fs::exists(dir / "cwd")) {
    std::string sub = scenario::read_file(dir / "cwd");
    cwd = work / without_trailing_blanks(sub.substr(0, sub.find('\n')));
  }
  fs::create_directories(cwd);
  ModeRun r;
  r.status = args ? scenario::run_binary(VERSEL_BINARY, cwd, "/dev/null", run / "stdout",
                                         run / "stderr", kTimeLimitSeconds, *args)
                  : scenario::run_binary(VERSEL_BINARY, cwd, dir / "stdin", run / "stdout",
                                         run / "stderr", kTimeLimitSeconds);
  r.out = scenario::read_file(run / "stdout");
  r.files = scenario::files_below(work);
  return r;
}

std::vector<std::string> dialogue_scenarios() {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(VERSEL_SCENARIOS))
    if (e.is_directory() && fs::exists(e.path() / "stdin") && !fs::exists(e.path() / "args"))
      names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class BothModes : public testing::TestWithParam<std::string> {};

TEST_P(BothModes, LeaveTheSameFiles) {
  const fs::path dir = fs::path(VERSEL_SCENARIOS) / GetParam();
  Derived d = derive(scenario::read_file(dir / "stdin"));
  if (auto it = kNoStationLoop.find(GetParam()); it != kNoStationLoop.end()) {
    EXPECT_EQ(d.no_station_loop, it->second) << "listed as not reaching the station loop";
    return;
  }
  ASSERT_EQ(d.no_station_loop, "") << "reaches no station loop: list it in kNoStationLoop";

  const fs::path runs = fs::path(VERSEL_SCENARIO_RUNS) / "both_modes" / GetParam();
  ModeRun dialogue = run_mode(dir, runs / "dialogue", nullptr);
  ModeRun command_line = run_mode(dir, runs / "command_line", &d.args);
  std::string shown;
  for (const std::string& a : d.args) shown += " '" + a + "'";
  SCOPED_TRACE("versel" + shown + " (runs in " + runs.string() + ")");

  ASSERT_NE(dialogue.status, scenario::kTimedOut);
  ASSERT_NE(command_line.status, scenario::kTimedOut);
  EXPECT_EQ(command_line.out, "") << "standard output";
  if (kRefusedByTheCommandLine.count(GetParam())) {
    EXPECT_EQ(command_line.status, 2) << "listed as refused by the command line";
    EXPECT_EQ(command_line.files, scenario::files_below(dir / "files")) << "a refusal creates nothing";
    return;
  }
  ASSERT_NE(command_line.status, 2) << scenario::read_file(runs / "command_line" / "stderr");
  if (kFailedByTheCommandLine.count(GetParam())) {
    EXPECT_EQ(command_line.status, 1) << "listed as failed by the command line";
    EXPECT_EQ(command_line.files, scenario::files_below(dir / "files")) << "a failure leaves nothing";
    return;
  }
  EXPECT_EQ(command_line.status, dialogue.status == 0 ? 0 : 1)
      << "dialogue status " << dialogue.status;
  for (const auto& [name, bytes] : dialogue.files) {
    auto it = command_line.files.find(name);
    if (it == command_line.files.end()) {
      ADD_FAILURE() << "the command line did not leave " << name;
      continue;
    }
    EXPECT_EQ(scenario::first_difference(bytes, it->second), "") << "file " << name;
  }
  for (const auto& [name, bytes] : command_line.files)
    if (!dialogue.files.count(name)) ADD_FAILURE() << "only the command line left " << name;
}

std::string test_name(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Versel, BothModes, testing::ValuesIn(dialogue_scenarios()), test_name);

// The lists name scenarios that exist: a renamed scenario does not slip out.
TEST(BothModesLists, NameExistingScenarios) {
  for (const auto* list : {&kNoStationLoop, &kRefusedByTheCommandLine, &kFailedByTheCommandLine})
    for (const auto& [name, why] : *list)
      EXPECT_TRUE(fs::exists(fs::path(VERSEL_SCENARIOS) / name / "stdin")) << name;
}

}  // namespace
