// The record layer driven by the command line: failures thrown as
// RunFailure and shown in the command line's words, which name the file and
// the line, the unit table ready for the next FILE after abandon_run, the
// console discarded, the _sea unit on standard output, and the progress
// line's text.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/failure_text.h"
#include "records/failure.h"
#include "records/io.h"
#include "records/progress.h"
#include "records/units.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

struct TempDir {
  fs::path path;
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "versel-raise-XXXXXX").string();
    path = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string file(const char* name, const std::string& bytes) const {
    std::ofstream(path / name, std::ios::binary) << bytes;
    return (path / name).string();
  }
  std::string names() const {
    std::vector<std::string> all;
    for (const fs::directory_entry& e : fs::directory_iterator(path))
      all.push_back(e.path().filename().string());
    std::sort(all.begin(), all.end());
    std::string s;
    for (const std::string& n : all) s += n + " ";
    return s;
  }
};

// The units closed after each test, and the console back on standard output.
class Raised : public testing::Test {
 protected:
  void TearDown() override {
    abandon_run();
    set_console_output(ConsoleOutput::standard_output);
  }
};

// The lines of the failure `body` throws, as the command line shows them;
// {"(nothing raised)"} when it returns.
std::vector<std::string> raised(const std::function<void()>& body) {
  try {
    body();
  } catch (const RunFailure& f) {
    abandon_run();
    return failure_lines_of(f);
  }
  return {"(nothing raised)"};
}

using Lines = std::vector<std::string>;

TEST_F(Raised, MessagesNameTheFileTheLineAndTheReason) {
  TempDir dir;
  const std::string data = dir.file("a.dat", "STATION ONE  35.00 -94.00\n 1990    1\n 1991    2\n");
  const std::string empty = dir.file("empty.dat", "");
  const std::string missing = (dir.path / "nothere.dat").string();
  const std::string no_folder = (dir.path / "no" / "a_sea").string();
  std::string line;
  struct Case {
    const char* what;
    std::function<void()> body;
    Lines lines;
  };
  const Case cases[] = {
      {"a data file that is missing", [&] { open(kDataUnit, missing, OpenStatus::old); },
       {"No such file or directory"}},
      {"a folder as data file", [&] { open(kDataUnit, dir.path.string(), OpenStatus::old); },
       {"Is a directory"}},
      {"an output in a missing folder", [&] { open(kSeaUnit, no_folder, OpenStatus::unknown); },
       {"cannot create " + no_folder + ": No such file or directory"}},
      {"the first line of an empty file",
       [&] {
         open(kDataUnit, empty, OpenStatus::old);
         read_line(file_unit(kDataUnit), line);
       },
       {"the file is empty"}},
      {"a line past the last one",
       [&] {
         open(kDataUnit, data, OpenStatus::old);
         for (int i = 0; i < 4; ++i) read_line(file_unit(kDataUnit), line);
       },
       {"no line after line 3"}},
      {"a header that the header format cannot read",
       [&] {
         open(kDataUnit, data, OpenStatus::old);
         read_line(file_unit(kDataUnit), line);
         float lat = 0, lon = 0;
         read(internal("STATION ONE  35.0x -94.00   "), held("(12x,f6.2,f7.2)               "),
              {to(lat), to(lon)});
       },
       {"line 1 does not fit the format (12x,f6.2,f7.2): Illegal character in numeric input",
        "line: STATION ONE  35.0x -94.00"}},
      {"a year line the run cannot use",
       [&] {
         open(kDataUnit, data, OpenStatus::old);
         for (int i = 0; i < 3; ++i) read_line(file_unit(kDataUnit), line);
         fail_at_line({"station 1: year 1991 does not follow year 1991", "line:  1991    2"});
       },
       {"line 3: station 1: year 1991 does not follow year 1991", "line:  1991    2"}},
      {"a failure of the run as it is", [] { fail_run({"not enough memory: x", "it needs 2 MB"}); },
       {"not enough memory: x", "it needs 2 MB"}},
      {"what the dialogue would pause on: no console read",
       [&] {
         open(kDataUnit, data, OpenStatus::old);
         read_line(file_unit(kDataUnit), line);
         read_line(file_unit(kDataUnit), line);
         RunFailure f;
         f.lines = {"station 1: no year line"};
         f.pause = "return to terminate program";
         fail_at_line(std::move(f));
       },
       {"line 2: station 1: no year line"}},
      {"a full disk",
       [] {
         open(kSeaUnit, "/dev/full", OpenStatus::unknown);
         write(file_unit(kSeaUnit), "(1x,a)", {"a record"});
         close(kSeaUnit);
       },
       {"cannot write /dev/full: No space left on device"}},
  };
  for (const Case& c : cases) EXPECT_EQ(raised(c.body), c.lines) << c.what;
}

TEST_F(Raised, AbandonedRunLeavesNoOutputAndTheUnitsReady) {
  TempDir dir;
  const std::string data = dir.file("a.dat", " 1990    1\n 1991    2\n");
  const std::string sea = (dir.path / "a_sea").string();
  const std::string key = (dir.path / "a_key").string();
  dir.file("a_sea", "an earlier result\n");
  Lines lines = raised([&] {
    open(kDataUnit, data, OpenStatus::old);
    open(kSeaUnit, sea, OpenStatus::unknown);
    open(kKeyUnit, key, OpenStatus::unknown);
    write(file_unit(kSeaUnit), "(1x,a)", {"half a result"});
    fail_run({"a failure"});
  });
  EXPECT_EQ(lines, Lines{"a failure"});
  EXPECT_EQ(dir.names(), "a.dat a_sea ");
  std::ifstream in(sea);
  std::string kept;
  std::getline(in, kept);
  EXPECT_EQ(kept, "an earlier result");

  // the next FILE of the command line starts on closed units
  open(kDataUnit, data, OpenStatus::old);
  EXPECT_EQ(record_number(kDataUnit), 0);
  std::string line;
  read_line(file_unit(kDataUnit), line);
  EXPECT_EQ(line, " 1990    1");
  open(kSeaUnit, sea, OpenStatus::unknown);
  write(file_unit(kSeaUnit), "(1x,a)", {"a result"});
  close(kDataUnit);
  close(kSeaUnit);
  commit_outputs();
  EXPECT_EQ(dir.names(), "a.dat a_sea ");
}

// Standard output redirected to a file for the duration of `body`.
std::string standard_output_of(const std::function<void()>& body) {
  TempDir dir;
  std::string path = (dir.path / "out").string();
  std::fflush(stdout);
  int saved = ::dup(STDOUT_FILENO);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(fd, STDOUT_FILENO);
  ::close(fd);
  body();
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(Raised, TheConsoleIsDiscardedAndTheSeaUnitMayBeStandardOutput) {
  std::string out = standard_output_of([] {
    set_console_output(ConsoleOutput::discarded);
    write(kConsole, "(1x,'reading in:',1x,a)", {"STATION ONE"});
    free_write(kConsole, " ");
    open_standard_output(kSeaUnit);
    write(file_unit(kSeaUnit), "(i5,f8.2)", {1990, 1.5f});
    write(file_unit(kSeaUnit), "(i5,f8.2)", {1991, -2.0f});
    close(kSeaUnit);
    commit_outputs();
  });
  EXPECT_EQ(out, " 1990    1.50\r\n 1991   -2.00\r\n");
  // standard output stays open after the unit's close
  EXPECT_EQ(standard_output_of([] { std::fputs("still open\n", stdout); }), "still open\n");
}

TEST(ProgressText, CountsTheShareAndCutsALongNameFromTheLeft) {
  EXPECT_EQ(progress_text("a.dat", 1234, "read", 45, 80),
            "versel: a.dat: 1234 stations read, 45% of the file");
  EXPECT_EQ(progress_text("a.dat", 1, "scanned", 0, 80),
            "versel: a.dat: 1 station scanned, 0% of the file");
  EXPECT_EQ(progress_text("/data/a/very/long/path/of/the/cru/data/cru_ts4.dat", 20, "read", 100, 60),
            "versel: .../cru_ts4.dat: 20 stations read, 100% of the file");
  // a terminal too narrow for the numbers gets as much of them as fits
  EXPECT_EQ(progress_text("a.dat", 20, "read", 7, 20), "versel: : 20 statio");
}

}  // namespace
}  // namespace versel
