// The end-to-end scenarios of versel. Every folder beside this file that
// holds a `stdin` or an `args` file is one run of the real binary:
//   stdin             the typed answers, one per line (absent: an empty input)
//   args              the command-line arguments, one per line, an empty
//                     line an empty argument (absent: none, the dialogue)
//   files/            files placed in a fresh working directory (optional)
//   cwd               a folder inside it to start versel in (optional)
//   about             what the scenario shows, for the reader (optional)
//   expected/stdout   standard output, byte for byte (CR LF included)
//   expected/stderr   standard error (absent: must be empty)
//   expected/status   the exit status, a number
//   expected/files/   every file of the working directory after the run,
//                     input files included (absent: no file at all)
// A run's outputs stay in the build tree under tests/scenarios/runs/<name>;
// `accept <build dir> <name>...` copies them into expected/ once they have
// been checked line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "scenario_run.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTimeLimitSeconds = 20;

std::vector<std::string> scenario_names() {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(VERSEL_SCENARIOS))
    if (e.is_directory() && (fs::exists(e.path() / "stdin") || fs::exists(e.path() / "args")))
      names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

class Scenario : public testing::TestWithParam<std::string> {};

TEST_P(Scenario, RunsAsExpected) {
  const fs::path dir = fs::path(VERSEL_SCENARIOS) / GetParam();
  const fs::path run = fs::path(VERSEL_SCENARIO_RUNS) / GetParam();
  const fs::path work = run / "work";
  fs::remove_all(run);
  fs::create_directories(work);
  if (fs::exists(dir / "files"))
    fs::copy(dir / "files", work, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  fs::path cwd = work;
  if (fs::exists(dir / "cwd")) cwd = work / trimmed(scenario::read_file(dir / "cwd"));
  fs::create_directories(cwd);

  fs::path in = dir / "stdin";
  if (!fs::exists(in)) in = "/dev/null";
  std::vector<std::string> args;
  if (fs::exists(dir / "args")) args = scenario::arguments_of(scenario::read_file(dir / "args"));
  int status = scenario::run_binary(VERSEL_BINARY, cwd, in, run / "stdout", run / "stderr",
                                    kTimeLimitSeconds, args);
  scenario::write_file(run / "status", std::to_string(status) + "\n");
  SCOPED_TRACE("outputs of this run: " + run.string());

  ASSERT_NE(status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_EQ(trimmed(scenario::read_file(dir / "expected" / "status")), std::to_string(status))
      << "exit status";
  EXPECT_EQ(scenario::first_difference(scenario::read_file(dir / "expected" / "stdout"),
                                       scenario::read_file(run / "stdout")),
            "")
      << "standard output";
  std::string expected_err;
  if (fs::exists(dir / "expected" / "stderr"))
    expected_err = scenario::read_file(dir / "expected" / "stderr");
  EXPECT_EQ(scenario::first_difference(expected_err, scenario::read_file(run / "stderr")), "")
      << "standard error";

  std::map<std::string, std::string> expected = scenario::files_below(dir / "expected" / "files");
  std::map<std::string, std::string> actual = scenario::files_below(work);
  for (const auto& [name, bytes] : expected) {
    auto it = actual.find(name);
    if (it == actual.end()) {
      ADD_FAILURE() << "file " << name << " is missing";
      continue;
    }
    EXPECT_EQ(scenario::first_difference(bytes, it->second), "") << "file " << name;
  }
  for (const auto& [name, bytes] : actual)
    if (!expected.count(name)) ADD_FAILURE() << "file " << name << " should not be there";
}

std::string test_name(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Versel, Scenario, testing::ValuesIn(scenario_names()), test_name);

}  // namespace
