// versel with its standard input and output both pipes, as in
// `versel < answers | tee log`: every prompt and progress line must reach the
// pipe as soon as it is written, not when the run ends. The test holds the
// input pipe open and reads each prompt before it sends the answer, so a
// console that waited for a full buffer or for the end of the run would
// leave the test waiting at the banner.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class PipedRun {
 public:
  explicit PipedRun(const fs::path& dir) {
    signal(SIGPIPE, SIG_IGN);  // a versel that ended early fails the test, not the process
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[0]), close(in[1]), close(out[0]), close(out[1]);
      if (chdir(dir.c_str()) == 0) execl(VERSEL_BINARY, VERSEL_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_versel_ = in[1];
    from_versel_ = out[0];
  }

  ~PipedRun() {
    if (to_versel_ >= 0) close(to_versel_);
    if (from_versel_ >= 0) close(from_versel_);
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool started() const { return pid_ > 0; }

  // Reads from versel's output until `text` has arrived after the point the
  // last wait stopped at; false when five seconds pass without it.
  bool wait_for(const std::string& text) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
      std::size_t at = seen_.find(text, searched_);
      if (at != std::string::npos) {
        searched_ = at + text.size();
        return true;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd p{from_versel_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
      char buf[4096];
      ssize_t n = read(from_versel_, buf, sizeof buf);
      if (n <= 0) return false;
      seen_.append(buf, static_cast<std::size_t>(n));
    }
  }

  void answer(const std::string& line) {
    std::string text = line + "\n";
    ASSERT_EQ(write(to_versel_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  // Closes the input pipe and waits for the exit status.
  int finish() {
    close(to_versel_);
    to_versel_ = -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  const std::string& seen() const { return seen_; }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int to_versel_ = -1;
  int from_versel_ = -1;
  std::string seen_;
  std::size_t searched_ = 0;
};

fs::path fresh_run_folder(const std::string& name) {
  fs::path dir = fs::path(VERSEL_EXAMPLE_RUNS) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(fs::path(VERSEL_EXAMPLES) / "temperature.dat", dir / "temperature.dat");
  return dir;
}

TEST(ConsolePipe, EachPromptArrivesBeforeItsAnswerIsSent) {
  PipedRun run(fresh_run_folder("pipe_prompts"));
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.wait_for("   program versel can read monthly climate data files\r\n"))
      << "banner not seen before any answer; output so far:\n" << run.seen();
  ASSERT_TRUE(run.wait_for("   enter 1 2 3 or [10, 20, 30 for help]     => "))
      << "menu prompt not seen; output so far:\n" << run.seen();
  run.answer("1");
  ASSERT_TRUE(run.wait_for(" file to seasonalize:                       => ")) << run.seen();
  run.answer("temperature.dat");
  ASSERT_TRUE(run.wait_for("  [1-13] :> ")) << run.seen();
  run.answer("7");
  ASSERT_TRUE(run.wait_for("jfmamjjasond\r\n ->")) << run.seen();
  run.answer("00001113111311131113");
  ASSERT_TRUE(run.wait_for(" reading in: LITTLE ROCK")) << run.seen();
  ASSERT_TRUE(run.wait_for(" reading in: MINNEAPOLIS")) << run.seen();
  ASSERT_TRUE(run.wait_for("  normal termination of program versel\r\n")) << run.seen();
  EXPECT_EQ(run.finish(), 0);
}

// A pause waits for its line while the text before it already stands in the
// pipe: the user watching a log sees why the run is waiting.
TEST(ConsolePipe, HelpScreenIsShownWhileThePauseWaits) {
  PipedRun run(fresh_run_folder("pipe_pause"));
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.wait_for("=> ")) << run.seen();
  run.answer("30");
  ASSERT_TRUE(run.wait_for("  given above in the description of [mat] format.\r\n")) << run.seen();
  run.answer("");
  ASSERT_TRUE(run.wait_for("  select output format\r\n")) << run.seen();
  ASSERT_TRUE(run.wait_for("=> ")) << run.seen();
  run.answer("0");
  ASSERT_TRUE(run.wait_for(" Program Terminated by user\r\n")) << run.seen();
  EXPECT_EQ(run.finish(), 0);
}

}  // namespace
