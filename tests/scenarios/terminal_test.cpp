// A run of versel in a real terminal: tmux starts it, the answers are typed
// with send-keys, and the captured screen must show each prompt's "=> " at
// column 45 with the typed answer after it. Skipped when tmux is missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "scenario_run.h"

namespace fs = std::filesystem;

namespace {

// tmux on a server socket of this test's own.
class Terminal {
 public:
  Terminal() : socket_("versel-test-" + std::to_string(getpid())) {}
  ~Terminal() { tmux("kill-server"); }

  int tmux(const std::string& args) {
    return std::system(("tmux -L " + socket_ + " " + args + " >/dev/null 2>&1").c_str());
  }

  std::string screen() {
    std::string cmd = "tmux -L " + socket_ + " capture-pane -p -t versel";
    std::string text;
    if (FILE* p = popen(cmd.c_str(), "r")) {
      char buf[4096];
      std::size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
      pclose(p);
    }
    return text;
  }

  // Waits until the screen holds `text`; false after ten seconds.
  bool wait_for(const std::string& text) {
    for (int i = 0; i < 1000; ++i) {
      if (screen().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  void type(const std::string& answer) {
    if (!answer.empty()) tmux("send-keys -t versel -l '" + answer + "'");
    tmux("send-keys -t versel Enter");
  }

 private:
  std::string socket_;
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The screen line that starts with `start`.
std::string line_starting(const std::string& screen, const std::string& start) {
  for (const std::string& line : lines_of(screen))
    if (line.rfind(start, 0) == 0) return line;
  return {};
}

TEST(Terminal, PromptsStandAtColumn45WithTheAnswerAfterThem) {
  if (std::system("tmux -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is missing";
  fs::path dir = fs::path(VERSEL_SCENARIO_RUNS) / "terminal";
  fs::remove_all(dir);
  fs::create_directories(dir);
  scenario::write_file(dir / "temp.dat", "station one\r\n 1980  1.0  2.0\r\n");

  Terminal t;
  std::string start = "new-session -d -s versel -x 100 -y 60 -c '" + dir.string() +
                      "' '" + std::string(VERSEL_BINARY) + "; echo status $?; sleep 60'";
  ASSERT_EQ(t.tmux(start), 0);

  ASSERT_TRUE(t.wait_for("help]")) << t.screen();
  t.type("1");
  ASSERT_TRUE(t.wait_for("file to seasonalize:")) << t.screen();
  t.type("temp.dat");
  ASSERT_TRUE(t.wait_for("[1-13] :>")) << t.screen();
  t.type("7");
  ASSERT_TRUE(t.wait_for(" ->")) << t.screen();
  t.type("113");
  ASSERT_TRUE(t.wait_for("status 0")) << t.screen();

  std::string screen = t.screen();
  EXPECT_EQ(line_starting(screen, "   enter 1 2 3"),
            "   enter 1 2 3 or [10, 20, 30 for help]     => 1");
  std::string file = line_starting(screen, " file to seasonalize:");
  EXPECT_EQ(file.find("=> "), 44u) << file;
  EXPECT_EQ(file, " file to seasonalize:                       => temp.dat");
  EXPECT_EQ(line_starting(screen, " enter file format"),
            " enter file format and type __________________________  [1-13] :> 7");
  EXPECT_EQ(line_starting(screen, "  file: "),
            "  file: temp.dat                                 processed");
  EXPECT_TRUE(fs::exists(dir / "temp_sea"));
}

}  // namespace
