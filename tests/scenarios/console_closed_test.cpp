// Standard output closed by its reader while versel still runs, as in
// "versel < answers | head -c 100": the next console write fails, the run
// ends at once with the WRITE failure of the console and status 255, and
// no file is changed. The answers are typed only after the reader has
// closed its end, so the failing write is always the same one.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "scenario_run.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTimeLimitSeconds = 20;
constexpr const char* kBrokenConsole = "? System Error:\n? Broken pipe\n? WRITE(UNIT=*,...\n";
constexpr const char* kData =
    "station one  35.00 -94.00\n"
    " 1980  1.0  2.0  3.0  4.0  5.0  6.0  7.0  8.0  9.0 10.0 11.0 12.0\n"
    " 1981  1.5  2.5  3.5  4.5  5.5  6.5  7.5  8.5  9.5 10.5 11.5 12.5\n";

struct ClosedRun {
  int status = scenario::kTimedOut;
  std::string shown;  // what the reader took before it closed its end
  std::string err;
};

bool write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Types `before`, reads standard output until it has `bytes` bytes or shows
// `marker`, closes it, then types `after` and waits for the end.
ClosedRun run_closed(const fs::path& work, const std::string& before, std::size_t bytes,
                     const std::string& marker, const std::string& after) {
  ClosedRun r;
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return r;
  fs::path err_file = work.parent_path() / "stderr";
  pid_t pid = fork();
  if (pid < 0) return r;
  if (pid == 0) {
    int ferr = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (ferr < 0 || chdir(work.c_str()) != 0) _exit(126);
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(ferr, 2);
    close(in[1]);
    close(out[0]);
    execl(VERSEL_BINARY, "versel", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  write_all(in[1], before);
  char c;
  while (r.shown.size() < bytes && ::read(out[0], &c, 1) == 1) {
    r.shown.push_back(c);
    if (!marker.empty() && r.shown.ends_with(marker)) break;
  }
  close(out[0]);
  write_all(in[1], after);
  close(in[1]);

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeLimitSeconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return r;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.err = scenario::read_file(err_file);
  return r;
}

fs::path fresh_work(const std::string& name) {
  fs::path run = fs::path(VERSEL_SCENARIO_RUNS) / name;
  fs::remove_all(run);
  fs::create_directories(run / "work");
  scenario::write_file(run / "work" / "a.dat", kData);
  return run / "work";
}

TEST(ConsoleClosed, AfterTheFirstHundredBytes) {
  fs::path work = fresh_work("console_closed_at_100");
  ClosedRun r = run_closed(work, "", 100, "", "1\na.dat\n7\n111111111111\n");
  ASSERT_NE(r.status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_EQ(r.shown.size(), 100u);
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, kBrokenConsole);
  // the run ended at the prompt for the file name: nothing was opened
  EXPECT_EQ(scenario::read_file(work / "a.dat"), kData);
  EXPECT_FALSE(fs::exists(work / "a_sea"));
}

TEST(ConsoleClosed, AtTheMaskPromptWithFilesOpen) {
  fs::path work = fresh_work("console_closed_at_mask");
  ClosedRun r = run_closed(work, "2\na.dat\n7\n", 100000, " ->", "111111111111\n");
  ASSERT_NE(r.status, scenario::kTimedOut) << "no end within " << kTimeLimitSeconds << " s";
  EXPECT_TRUE(r.shown.ends_with(" ->"));
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, kBrokenConsole);
  // the output files were opened before the mask; the failed run leaves
  // none of them, nor a temporary file
  EXPECT_EQ(scenario::read_file(work / "a.dat"), kData);
  EXPECT_EQ(scenario::listing(work), "a.dat");
}

}  // namespace
