// Earlier output files on every end of a run of the real binary: a quit at
// each prompt after the opens, a failure in the station loop, a refusal,
// SIGINT, SIGTERM and SIGHUP during a long run or at a prompt, and a full
// filesystem leave the earlier _sea and _key files exactly as they were and
// no temporary file beside them; a normal run replaces them, keeps their
// mode, and writes through a link to its target.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "scenario_run.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTimeLimitSeconds = 60;
const std::string kEarlierSea = "the _sea file of an earlier run\r\n";
const std::string kEarlierKey = "the _key file of an earlier run\r\n";

// Data set 7's layout: `stations` stations of `years` year lines from 1901;
// station `repeat_at` (from 1; 0 for none) repeats its first year on its
// second line, a year that does not follow the one before.
std::string data_file(int stations, int years, int repeat_at = 0) {
  std::string s;
  char line[128];
  for (int st = 1; st <= stations; ++st) {
    // latitude and longitude where "(12x,f6.2,f7.2)" reads them
    std::snprintf(line, sizeof line, "STATION%04d  35.00 -94.00 %-40s\n", st, "OF A LONG RUN");
    s += line;
    for (int y = 0; y < years; ++y) {
      int year = st == repeat_at && y == 1 ? 1901 : 1901 + y;
      int n = std::snprintf(line, sizeof line, " %4d", year);
      for (int m = 0; m < 12; ++m)
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%5d",
                           (st * 7 + y * 13 + m * 29) % 400 - 100);
      s.append(line, static_cast<std::size_t>(n));
      s += '\n';
    }
  }
  return s;
}

// A fresh working folder holding the data file and, when `earlier`, the
// earlier _sea and _key files.
fs::path fresh_work(const std::string& name, const std::string& data, bool earlier = true) {
  fs::path run = fs::path(VERSEL_SCENARIO_RUNS) / name;
  fs::remove_all(run);
  fs::create_directories(run / "work");
  scenario::write_file(run / "work" / "a.dat", data);
  if (earlier) {
    scenario::write_file(run / "work" / "a_sea", kEarlierSea);
    scenario::write_file(run / "work" / "a_key", kEarlierKey);
  }
  return run / "work";
}

struct RunResult {
  int status = scenario::kTimedOut;
  std::string out, err;
};

RunResult run_in(const fs::path& work, const std::string& answers) {
  fs::path run = work.parent_path();
  scenario::write_file(run / "stdin", answers);
  RunResult r;
  r.status = scenario::run_binary(VERSEL_BINARY, work, run / "stdin", run / "stdout",
                                  run / "stderr", kTimeLimitSeconds);
  r.out = scenario::read_file(run / "stdout");
  r.err = scenario::read_file(run / "stderr");
  return r;
}

void expect_earlier_files(const fs::path& work) {
  EXPECT_EQ(scenario::read_file(work / "a_sea"), kEarlierSea);
  EXPECT_EQ(scenario::read_file(work / "a_key"), kEarlierKey);
  EXPECT_EQ(scenario::listing(work), "a.dat a_key a_sea");
}

struct EndCase {
  const char* what;
  std::string data;
  std::string answers;
  int status;
  std::string err;  // the start of standard error
};

void check_ends(const char* prefix, const std::vector<EndCase>& cases) {
  int n = 0;
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path work = fresh_work(std::string(prefix) + std::to_string(++n), c.data);
    RunResult r = run_in(work, c.answers);
    ASSERT_NE(r.status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
    expect_earlier_files(work);
  }
}

TEST(SafeOutputs, AQuitAtEveryPromptAfterTheOpensKeepsTheEarlierFiles) {
  const std::string data = data_file(3, 10);
  const std::string fmt = "(1x,i4,12f5.1)\n-999.9\n";
  check_ends("safe_quit_",
             {{"tsf, / at the format prompt", data, "1\na.dat\n13\n/\n", 0, ""},
              {"mat, / at the format prompt", data, "2\na.dat\n13\n/\n", 0, ""},
              {"mat, / at the header prompt", data, "2\na.dat\n13\n" + fmt + "/\n", 0, ""},
              {"grd, / at the header prompt", data, "3\na.dat\n13\n" + fmt + "/\n", 0, ""},
              {"tsf, / at the mask prompt", data, "1\na.dat\n7\n/\n", 0, ""},
              {"mat, / at the mask prompt", data, "2\na.dat\n7\n/\n", 0, ""},
              {"grd, / at the mask prompt after help", data, "3\na.dat\n7\nh\nn\n/\n", 0, ""}});
}

TEST(SafeOutputs, AFailureOrARefusalKeepsTheEarlierFiles) {
  // the failing station comes after many written ones: for tsf the
  // temporary file holds more than an output buffer by then
  const std::string late_repeat = data_file(300, 60, 300);
  const std::string does_not_follow = "? versel run-time error:\n? station 300: year 1901";
  const std::string huge_year =
      "station one  35.00 -94.00\n 99999999999   1.0   2.0\n";
  const std::string user = "13\n(i12,12f6.1)\n-99.99\n";
  check_ends(
      "safe_fail_",
      {{"tsf, a year that does not follow", late_repeat, "1\na.dat\n7\n111111111111\n", 255,
        does_not_follow},
       {"mat, a year that does not follow", late_repeat, "2\na.dat\n7\n111111111111\n", 255,
        does_not_follow},
       {"grd, a year that does not follow", late_repeat, "3\na.dat\n7\n000011130000\n", 255,
        does_not_follow},
       {"tsf, a year out of range refused", huge_year, "1\na.dat\n" + user + "111111111111\n",
        255, "? versel run-time error:\n? station 1: year 2147483647 is out of range"},
       {"mat, a year out of range refused by the pre-scan", huge_year,
        "2\na.dat\n" + user + "(12x,f6.2,f7.2)\n111111111111\n", 255,
        "? versel run-time error:\n? station 1: year 2147483647 is out of range"},
       {"tsf, a format that does not fit, after its pause", "a header\nanother header\n",
        "1\na.dat\n7\n111111111111\n\n", 255, ""},
       {"mat, the end of the typed input at the data-set menu", late_repeat, "2\na.dat\n", 255,
        "? versel run-time error:\n? Attempt to read past end of file"},
       {"tsf, an answer that is no number", late_repeat, "1\na.dat\nx\n", 255,
        "? versel run-time error:\n? Illegal character in numeric input"}});
}

// A run of versel in `work` whose standard output is a pipe of one page that
// the test does not read: the run stops in its first write past the page.
struct Held {
  pid_t pid = -1;
  int out = -1;      // the read end of standard output
  int answers = -1;  // the write end of standard input
};

Held start_held(const fs::path& work) {
  int in[2], out[2];
  Held h;
  if (::pipe(in) != 0 || ::pipe(out) != 0) return h;
  ::fcntl(out[1], F_SETPIPE_SZ, 4096);
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    // as from a terminal, whatever the test runner ignores
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::signal(sig, SIG_DFL);
    int err = ::open((work.parent_path() / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err < 0 || ::chdir(work.c_str()) != 0) _exit(126);
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err, 2);
    ::close(in[1]);
    ::close(out[0]);
    execl(VERSEL_BINARY, "versel", static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  h.pid = pid;
  h.out = out[0];
  h.answers = in[1];
  return h;
}

// Waits until `ready` holds, at most the time limit.
bool wait_for(const std::function<bool()>& ready) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeLimitSeconds);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

bool has_temporary(const fs::path& work) {
  for (const fs::directory_entry& e : fs::directory_iterator(work))
    if (e.path().filename().string().starts_with(".a_sea.")) return true;
  return false;
}

std::size_t waiting_bytes(int fd) {
  int n = 0;
  return ::ioctl(fd, FIONREAD, &n) == 0 ? static_cast<std::size_t>(n) : 0;
}

// The signal that ended the process, or -1.
int end_signal(pid_t pid) {
  int status = 0;
  if (!wait_for([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
    ::kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
}

TEST(SafeOutputs, ASignalDuringALongRunKeepsTheEarlierFiles) {
  const std::string data = data_file(450, 100);
  struct Case {
    const char* kind;
    int sig;
  };
  for (Case c : {Case{"1", SIGINT}, Case{"2", SIGTERM}, Case{"3", SIGHUP}, Case{"2", SIGINT}}) {
    SCOPED_TRACE(std::string("output kind ") + c.kind + ", signal " + strsignal(c.sig));
    fs::path work = fresh_work("safe_signal_" + std::string(c.kind) + "_" + std::to_string(c.sig), data);
    Held h = start_held(work);
    ASSERT_GT(h.pid, 0);
    std::string answers = std::string(c.kind) + "\na.dat\n7\n111111111111\n";
    ASSERT_EQ(::write(h.answers, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
    ::close(h.answers);
    // the station loop has (nearly) filled the page of standard output: a
    // line that does not fit whole waits for room
    bool stuck = wait_for([&] { return has_temporary(work) && waiting_bytes(h.out) >= 3072; });
    if (!stuck) ::kill(h.pid, SIGKILL);
    ASSERT_TRUE(stuck) << "the run never stopped in its station loop";
    ::kill(h.pid, c.sig);
    EXPECT_EQ(end_signal(h.pid), c.sig);
    ::close(h.out);
    expect_earlier_files(work);
  }
}

TEST(SafeOutputs, ASignalAtAPromptKeepsTheEarlierFiles) {
  fs::path work = fresh_work("safe_signal_at_prompt", data_file(3, 10));
  Held h = start_held(work);
  ASSERT_GT(h.pid, 0);
  std::string answers = "2\na.dat\n7\n";
  ASSERT_EQ(::write(h.answers, answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
  // the mask prompt is the last thing shown
  std::string shown;
  bool at_mask = wait_for([&] {
    char buf[4096];
    if (waiting_bytes(h.out) > 0) {
      ssize_t n = ::read(h.out, buf, sizeof buf);
      if (n > 0) shown.append(buf, static_cast<std::size_t>(n));
    }
    return shown.ends_with(" ->");
  });
  if (!at_mask) ::kill(h.pid, SIGKILL);
  ASSERT_TRUE(at_mask) << shown;
  EXPECT_TRUE(has_temporary(work));
  ::kill(h.pid, SIGINT);
  EXPECT_EQ(end_signal(h.pid), SIGINT);
  ::close(h.out);
  ::close(h.answers);
  expect_earlier_files(work);
}

// A folder that is full after 64 KiB: a tmpfs mounted on it in a private
// mount namespace; where no tmpfs can be mounted, a limit on the size of the
// files a process writes (SIGXFSZ ignored, so that the write fails instead of
// ending the process). Called in a child process.
bool fill_up_at_64k(const fs::path& dir, bool tmpfs) {
  if (!tmpfs) {
    rlimit limit{64 * 1024, 64 * 1024};
    ::signal(SIGXFSZ, SIG_IGN);
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  if (::unshare(CLONE_NEWNS) != 0) {
    // without the right to mount here, as root of a user namespace
    std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    scenario::write_file("/proc/self/setgroups", "deny");
    scenario::write_file("/proc/self/gid_map", "0 " + gid + " 1");
    scenario::write_file("/proc/self/uid_map", "0 " + uid + " 1");
  }
  return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") == 0;
}

constexpr int kCannotFill = 200;

// Runs versel in run/full, made full at 64 KiB and holding the earlier
// files and a link to the data file; what it holds at the end is copied
// into run/after before a tmpfs goes. The exit status, or kCannotFill.
int run_full(const fs::path& run, bool tmpfs) {
  fs::path full = run / "full";
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (!fill_up_at_64k(full, tmpfs)) _exit(kCannotFill);
    fs::create_symlink(run / "a.dat", full / "a.dat");
    scenario::write_file(full / "a_sea", kEarlierSea);
    scenario::write_file(full / "a_key", kEarlierKey);
    int status = scenario::run_binary(VERSEL_BINARY, full, run / "stdin", run / "stdout",
                                      run / "stderr", kTimeLimitSeconds);
    for (const fs::directory_entry& e : fs::directory_iterator(full))
      fs::copy(e.path(), run / "after" / e.path().filename(), fs::copy_options::copy_symlinks);
    _exit(status);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SafeOutputs, AFullFilesystemKeepsTheEarlierFiles) {
  const std::string data = data_file(450, 100);
  bool tmpfs = true;
  for (const char* kind : {"1", "2"}) {
    SCOPED_TRACE(std::string("output kind ") + kind);
    fs::path run = fs::path(VERSEL_SCENARIO_RUNS) / ("safe_full_" + std::string(kind));
    fs::remove_all(run);
    fs::create_directories(run / "full");
    fs::create_directories(run / "after");
    scenario::write_file(run / "a.dat", data);
    scenario::write_file(run / "stdin", std::string(kind) + "\na.dat\n7\n111111111111\n");
    int status = tmpfs ? run_full(run, true) : kCannotFill;
    if (status == kCannotFill) {
      tmpfs = false;
      std::printf("no tmpfs can be mounted here: a limit on the file size stands for it\n");
      status = run_full(run, false);
    }
    if (status == kCannotFill) GTEST_SKIP() << "neither a tmpfs nor a file size limit works here";
    EXPECT_EQ(status, 255);
    EXPECT_EQ(scenario::read_file(run / "stderr"),
              std::string("? System Error:\n? ") +
                  (tmpfs ? "No space left on device" : "File too large") + "\n? WRITE(UNIT=12,...\n");
    EXPECT_EQ(scenario::read_file(run / "after" / "a_sea"), kEarlierSea);
    EXPECT_EQ(scenario::read_file(run / "after" / "a_key"), kEarlierKey);
    EXPECT_EQ(scenario::listing(run / "after"), "a.dat a_key a_sea");
  }
}

mode_t mode_of(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(SafeOutputs, ANormalRunReplacesTheEarlierFilesAndKeepsTheirMode) {
  const std::string data = data_file(5, 20);
  const std::string answers = "2\na.dat\n7\n000011130000\n";
  fs::path fresh = fresh_work("safe_normal_fresh", data, false);
  ASSERT_EQ(run_in(fresh, answers).status, 0);
  const std::string sea = scenario::read_file(fresh / "a_sea");
  const std::string key = scenario::read_file(fresh / "a_key");
  ASSERT_NE(sea, "");
  ASSERT_NE(key, "");
  EXPECT_EQ(scenario::listing(fresh), "a.dat a_key a_sea");
  // created as a plain create would: 0666 less the umask of the test
  mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(mode_of(fresh / "a_sea"), 0666 & ~mask);

  fs::path work = fresh_work("safe_normal_replaced", data);
  ::chmod((work / "a_sea").c_str(), 0604);
  ::chmod((work / "a_key").c_str(), 0640);
  RunResult r = run_in(work, answers);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(scenario::read_file(work / "a_sea"), sea);
  EXPECT_EQ(scenario::read_file(work / "a_key"), key);
  EXPECT_EQ(mode_of(work / "a_sea"), 0604u);
  EXPECT_EQ(mode_of(work / "a_key"), 0640u);
  EXPECT_EQ(scenario::listing(work), "a.dat a_key a_sea");
}

TEST(SafeOutputs, AnOutputNameThatIsALinkStaysALink) {
  const std::string data = data_file(5, 20);
  const std::string answers = "1\na.dat\n7\n000011130000\n";
  fs::path fresh = fresh_work("safe_link_fresh", data, false);
  ASSERT_EQ(run_in(fresh, answers).status, 0);
  const std::string sea = scenario::read_file(fresh / "a_sea");

  // a_sea -> kept/sea_link -> results/a_sea: the last target is replaced
  fs::path work = fresh_work("safe_link", data, false);
  fs::create_directories(work / "kept");
  fs::create_directories(work / "results");
  scenario::write_file(work / "results" / "a_sea", kEarlierSea);
  fs::create_symlink("../results/a_sea", work / "kept" / "sea_link");
  fs::create_symlink("kept/sea_link", work / "a_sea");
  // a failed run leaves the target as it was and nothing beside it
  RunResult failed = run_in(work, "1\na.dat\nx\n");
  EXPECT_EQ(failed.status, 255);
  EXPECT_EQ(scenario::read_file(work / "results" / "a_sea"), kEarlierSea);
  EXPECT_EQ(scenario::listing(work / "results"), "a_sea");
  EXPECT_EQ(scenario::listing(work / "kept"), "sea_link");

  RunResult r = run_in(work, answers);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(fs::is_symlink(work / "a_sea"));
  EXPECT_EQ(fs::read_symlink(work / "a_sea"), "kept/sea_link");
  EXPECT_EQ(fs::read_symlink(work / "kept" / "sea_link"), "../results/a_sea");
  EXPECT_EQ(scenario::read_file(work / "results" / "a_sea"), sea);
  EXPECT_EQ(scenario::listing(work / "results"), "a_sea");
  EXPECT_EQ(scenario::listing(work), "a.dat a_sea kept results");

  // a link to a file that is not there yet: the file is made at its target
  fs::path dangling = fresh_work("safe_link_dangling", data, false);
  fs::create_directories(dangling / "results");
  fs::create_symlink("results/new_sea", dangling / "a_sea");
  EXPECT_EQ(run_in(dangling, answers).status, 0);
  EXPECT_TRUE(fs::is_symlink(dangling / "a_sea"));
  EXPECT_EQ(scenario::read_file(dangling / "results" / "new_sea"), sea);
  EXPECT_EQ(scenario::listing(dangling / "results"), "new_sea");
}

}  // namespace
