// How the dialogue's run ends when the record layer fails, seen from outside
// a child process: the three failure lines on standard error with exit
// status 255, the quiet stop with status 0, the console conventions and the
// branches of console reads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/run_end.h"
#include "records/failure.h"
#include "records/io.h"
#include "records/units.h"

namespace versel {
namespace {

namespace fs = std::filesystem;

struct ChildRun {
  int status = -1;  // exit status, or -1 when the child did not exit
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs `body` in a child process whose standard input holds `input`, as the
// dialogue runs its steps: a failure ends the run as the dialogue ends it,
// the stop ends it with status 0; returning is status 99.
ChildRun run_child(const std::string& input, const std::function<void()>& body) {
  ChildRun r;
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return r;
  // the input is small enough to wait in the pipe before the child starts
  if (::write(in[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) return r;
  ::close(in[1]);
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(in[0]);
    ::close(out[0]);
    ::close(out[1]);
    ::close(err[0]);
    ::close(err[1]);
    try {
      body();
    } catch (const RunFailure& f) {
      end_failed(f);
    }
    std::fflush(stdout);
    _exit(99);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&r.out, &r.err};
  int open_pipes = 2;
  while (open_pipes > 0 && poll(fds, 2, 10000) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buf[4096];
      ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  for (pollfd& f : fds)
    if (f.fd >= 0) ::close(f.fd);
  // a child that is still silent after ten seconds hangs: end it
  if (pid > 0 && open_pipes > 0) ::kill(pid, SIGKILL);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    r.status = WEXITSTATUS(status);
  return r;
}

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct TempDir {
  fs::path path;
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "versel-fail-XXXXXX").string();
    path = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string file(const char* name) const { return (path / name).string(); }
};

struct FailureCase {
  const char* what;
  std::string input;
  std::function<void()> body;
  const char* err;
  const char* out = "";
};

TEST(FailurePath, ThreeLinesAndStatus255) {
  TempDir dir;
  std::ofstream(dir.file("empty.dat")) << "";
  std::string missing = dir.file("no such file.dat");
  std::string empty = dir.file("empty.dat");
  std::string folder = dir.path.string();
  const FailureCase cases[] = {
      {"menu answer with a letter", "x1\n",
       [] {
         std::int32_t choice = 0;
         read(kConsole, "(i2)", {to(choice)});
       },
       "? versel run-time error:\n? Illegal character in numeric input\n? READ(UNIT=*,...\n"},
      {"end of the console input", "",
       [] {
         std::int32_t choice = 0;
         read(kConsole, "(i2)", {to(choice)});
       },
       "? versel run-time error:\n? Attempt to read past end of file\n? READ(UNIT=*,...\n"},
      {"end of the console input after one line", "3\n",
       [] {
         std::int32_t choice = 0;
         read(kConsole, "(i2)", {to(choice)});
         write(kConsole, "(1x,i2)", {choice});
         read(kConsole, "(i2)", {to(choice)});
       },
       "? versel run-time error:\n? Attempt to read past end of file\n? READ(UNIT=*,...\n",
       "  3\r\n"},
      {"a prompt stays on the screen before the failure", "abc\n",
       [] {
         std::int32_t choice = 0;
         write(kConsole, "(1x,'  enter 1 2 3',t20,'=> ',$)", {});
         read(kConsole, "(i2)", {to(choice)});
       },
       "? versel run-time error:\n? Illegal character in numeric input\n? READ(UNIT=*,...\n",
       "   enter 1 2 3     => "},
      {"missing data file", "",
       [&] { open(kDataUnit, missing, OpenStatus::old); },
       "? System Error:\n? No such file or directory\n? OPEN(UNIT=14,...\n"},
      {"a directory as data file", "",
       [&] { open(kDataUnit, folder, OpenStatus::old); },
       "? System Error:\n? Is a directory\n? OPEN(UNIT=14,...\n"},
      {"an output file that cannot be created", "",
       [&] { open(kSeaUnit, empty + "/x_sea", OpenStatus::unknown); },
       "? System Error:\n? Not a directory\n? OPEN(UNIT=12,...\n"},
      {"an empty data file read without an end branch", "",
       [&] {
         open(kDataUnit, empty, OpenStatus::old);
         std::int32_t v = 0;
         read(file_unit(kDataUnit), "(i2)", {to(v)});
       },
       "? versel run-time error:\n? Attempt to read past end of file\n? READ(UNIT=14,...\n"},
      {"a header format that does not translate", "",
       [] {
         float lat = 0, lon = 0;
         read(internal("  36.00 -94.00"), held("(2x,2f7.1                     "),
              {to(lat), to(lon)});
       },
       "? versel run-time error:\n? Format string has unmatched parens\n? READ(UNIT=INTERNAL,...\n"},
      {"a header field with a letter", "",
       [] {
         std::int32_t v[4] = {};
         read(internal("  4001 ELKO  lat  40 long 115"), held("(13x,i3,2x,i3,8x,i4,2x,i4)"),
              {to(std::span<std::int32_t>(v))});
       },
       "? versel run-time error:\n? Illegal character in numeric input\n? READ(UNIT=INTERNAL,...\n"},
      {"a read error of the data file, even under an error branch", "",
       [&] {
         open(kDataUnit, empty, OpenStatus::old);
         // the file's descriptor now reads a folder: every read of it fails
         ::dup2(::open(folder.c_str(), O_RDONLY | O_DIRECTORY), units().slots[kDataUnit].in.fd);
         std::string line;
         read_line(file_unit(kDataUnit), line, kOnBoth);
       },
       "? System Error:\n? Is a directory\n? READ(UNIT=14,...\n"},
      {"a full disk, found when the file is closed", "",
       [] {
         open(kSeaUnit, "/dev/full", OpenStatus::unknown);
         write(file_unit(kSeaUnit), "(1x,a)", {"a record"});
         close(kSeaUnit);
       },
       "? System Error:\n? No space left on device\n? WRITE(UNIT=12,...\n"},
      {"a full disk, found by the stop", "",
       [] {
         open(kKeyUnit, "/dev/full", OpenStatus::unknown);
         write(file_unit(kKeyUnit), "(1x,a)", {"a record"});
         stop();
       },
       "? System Error:\n? No space left on device\n? WRITE(UNIT=13,...\n"},
  };
  for (const FailureCase& c : cases) {
    if (std::string_view(c.what).find("full disk") != std::string_view::npos &&
        !fs::exists("/dev/full"))
      continue;
    ChildRun r = run_child(c.input, c.body);
    EXPECT_EQ(r.status, 255) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
    EXPECT_EQ(r.out, c.out) << c.what;
  }
}

// Every file of `dir` by name, a hidden one included.
std::string names_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string s;
  for (const std::string& n : names) s += n + " ";
  return s;
}

TEST(FailurePath, EarlierOutputsStayAsTheyWere) {
  TempDir dir;
  std::string sea = dir.file("x_sea"), key = dir.file("x_key");
  std::ofstream(sea) << "the result of an earlier run\n";
  ChildRun r = run_child("x1\n", [&] {
    open(kSeaUnit, sea, OpenStatus::unknown);
    open(kKeyUnit, key, OpenStatus::unknown);
    write(file_unit(kSeaUnit), "(1x,i4,f8.2)", {1901, 1.5f});
    write(file_unit(kKeyUnit), "(1x,i4,f8.2)", {1901, 1.5f});
    close(kKeyUnit);
    std::int32_t choice = 0;
    read(kConsole, "(i2)", {to(choice)});
  });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, "? versel run-time error:\n? Illegal character in numeric input\n? READ(UNIT=*,...\n");
  // no partial file under either name, no temporary file left
  EXPECT_EQ(contents(sea), "the result of an earlier run\n");
  EXPECT_EQ(names_in(dir.path), "x_sea ");
}

TEST(Stop, ClosesFilesAndEndsWithStatus0) {
  TempDir dir;
  std::string sea = dir.file("x_sea"), key = dir.file("x_key");
  std::ofstream(sea) << "an older and much longer file that must not survive\n";
  ChildRun r = run_child("", [&] {
    open(kSeaUnit, sea, OpenStatus::unknown);
    open(kKeyUnit, key, OpenStatus::unknown);
    write(file_unit(kKeyUnit), "(1x,2f8.2)", {36.0f, -94.0f});
    write(file_unit(kSeaUnit), "(1x,i4,i2,f8.2)", {1901, 1, 1.5f});
    write(file_unit(kSeaUnit), "(1x,i4,i2,f8.2)", {1901, 2, -2.25f});
    commit_outputs();
    stop();
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(contents(sea), " 1901 1    1.50\r\n 1901 2   -2.25\r\n");
  EXPECT_EQ(contents(key), "    36.00  -94.00\r\n");
  EXPECT_EQ(names_in(dir.path), "x_key x_sea ");
}

TEST(Stop, AQuitLeavesEarlierOutputsAsTheyWere) {
  TempDir dir;
  std::string sea = dir.file("x_sea"), key = dir.file("x_key");
  std::ofstream(sea) << "the result of an earlier run\n";
  ChildRun r = run_child("", [&] {
    open(kSeaUnit, sea, OpenStatus::unknown);
    open(kKeyUnit, key, OpenStatus::unknown);
    write(file_unit(kSeaUnit), "(1x,i4,i2,f8.2)", {1901, 1, 1.5f});
    stop();
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(contents(sea), "the result of an earlier run\n");
  EXPECT_EQ(names_in(dir.path), "x_sea ");
}

TEST(Console, FreeWritesAndPauses) {
  ChildRun r = run_child("\nanything\n", [] {
    free_write(kConsole, " ");
    pause(" hit return to continue");
    pause("return to terminate program");
    write(kConsole, "(/1x,'Program Terminated by user')", {});
    stop();
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "  \r\n"
            "  hit return to continue\r\n"
            " return to terminate program\r\n"
            "\r\n"
            " Program Terminated by user\r\n");
  EXPECT_EQ(r.err, "");
}

// Each console read takes one typed line; the branches take failures quietly.
TEST(Console, ReadsAndTheirBranches) {
  ChildRun r = run_child("x1\n12345\n7\r\n\n\tab\n-3", [] {
    std::int32_t v = -1;
    // one "(i2)" read with the given branches, then its status and value
    auto show = [&v](unsigned branches) {
      IoStatus st = read(kConsole, "(i2)", {to(v)}, branches);
      write(kConsole, "(i1,i6)", {static_cast<std::int32_t>(st), v});
    };
    show(kOnError);  // x1: error, v untouched
    show(kOnError);  // 12345 gives 12
    show(kOnError);  // 7 and a CR
    show(kOnError);  // an empty line gives 0
    char text[12];
    read(kConsole, "(a)", {to(std::span(text))});
    write(kConsole, "('[',a,']')", {std::string_view(text, sizeof text)});
    show(kOnError);  // -3 without a line end
    show(kOnEnd);
    show(kOnError);
    show(kOnBoth);
    stop();
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "1    -1\r\n"
            "0    12\r\n"
            "0     7\r\n"
            "0     0\r\n"
            "[        ab  ]\r\n"
            "0    -3\r\n"
            "2    -3\r\n"
            "1    -3\r\n"
            "2    -3\r\n");
}

TEST(Console, EachReadTakesOneLine) {
  // a NUL byte is a character of its line; long lines are read whole
  std::string input("ab\0cd\nxy\n", 9);
  input += std::string(10000, 'z') + "!\nlast\n";
  ChildRun r = run_child(input, [] {
    std::string line;
    for (int n = 0; n < 4; ++n) {
      read_line(kConsole, line);
      write(kConsole, "(i5,1x,a)", {static_cast<std::int32_t>(line.size()),
                                    std::string_view(line).substr(0, 6)});
    }
    stop();
  });
  EXPECT_EQ(r.status, 0);
  const char expected[] = "    5 ab\0cd\r\n    2 xy\r\n10001 zzzzzz\r\n    4 last\r\n";
  EXPECT_EQ(r.out, std::string(expected, sizeof expected - 1));
}

}  // namespace
}  // namespace versel
