// Runs of versel in a real terminal: tmux starts it, the answers are typed
// with send-keys, and the captured screen must show each prompt's "=> " at
// column 45 with the typed answer after it; a long run of the command line
// shows its progress line there, and never into a pipe. Skipped when tmux is
// missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
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

// A data file large enough for a run of a few seconds: `stations` stations
// of 120 years in the layout of data set 7.
void write_large_file(const fs::path& path, int stations) {
  std::ofstream out(path, std::ios::binary);
  std::string block;
  char line[128];
  for (int st = 0; st < stations; ++st) {
    std::snprintf(line, sizeof line, "STATION%05d %6.2f%7.2f\n", st, 35.0, -94.0);
    block += line;
    for (int y = 1901; y <= 2020; ++y) {
      int n = std::snprintf(line, sizeof line, " %4d", y);
      for (int m = 0; m < 12; ++m)
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%5d",
                           (st * 7 + y * 13 + m * 29) % 400 - 100);
      block.append(line, static_cast<std::size_t>(n));
      block += '\n';
    }
    if (block.size() > (1u << 20)) {
      out << block;
      block.clear();
    }
  }
  out << block;
}

TEST(Terminal, ALongRunShowsItsProgressOnATerminalAndNeverInAPipe) {
  fs::path dir = fs::path(VERSEL_SCENARIO_RUNS) / "terminal_progress";
  fs::remove_all(dir);
  fs::create_directories(dir);
  // mat reads the file twice: the pre-scan, then the stations
  write_large_file(dir / "big.dat", 20000);
  const std::string args = " -k mat -d 7 -m 000001130000 big.dat";
  const std::string summary = "versel: big.dat: 20000 stations, years 1901 to 2020, 1 climate "
                              "variable; wrote big_sea and big_key";

  // standard error into a pipe: the summary line alone
  std::string piped = "cd '" + dir.string() + "' && '" + std::string(VERSEL_BINARY) + "'" + args +
                      " 2>&1 >/dev/null | cat > piped_stderr";
  ASSERT_EQ(std::system(piped.c_str()), 0);
  EXPECT_EQ(scenario::read_file(dir / "piped_stderr"), summary + "\n");

  if (std::system("tmux -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is missing";
  Terminal t;
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(t.tmux("new-session -d -s versel -x 120 -y 20 -c '" + dir.string() + "' '" +
                   std::string(VERSEL_BINARY) + args + "; echo status $?; sleep 60'"),
            0);
  std::string progress;  // a progress line seen on the screen
  std::string screen;
  for (int i = 0; i < 30000; ++i) {
    screen = t.screen();
    if (progress.empty()) progress = line_starting(screen, "versel: big.dat: ");
    if (progress.find("% of the file") == std::string::npos) progress.clear();
    if (screen.find("status ") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_NE(screen.find("status 0"), std::string::npos) << screen;
  // the summary stands where the progress line was, with nothing of it left
  EXPECT_EQ(line_starting(screen, "versel: big.dat: "), summary);
  EXPECT_EQ(screen.find("% of the file"), std::string::npos) << screen;
  if (seconds < 0.8) GTEST_SKIP() << "the run took " << seconds << " s, too short for a progress line";
  EXPECT_NE(progress.find(" stations "), std::string::npos) << "no progress line was seen";
  std::printf("progress line seen: %s (a run of %.1f s)\n", progress.c_str(), seconds);
  fs::remove(dir / "big.dat");
  fs::remove(dir / "big_sea");
}

}  // namespace
