// The command line's outputs where the scenario runner does not reach: the
// _sea file through a pipe (whole, and into a pipe closed early), and what
// --explain says a mask computes against what a run computes with it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "scenario_run.h"

namespace fs = std::filesystem;

namespace {

struct PipedRun {
  int status = -1;
  std::string out;  // as much as was read before the pipe was closed
  std::string err;
};

// Runs versel with `args` in `cwd`, standard output and standard error into
// pipes. With `keep` > 0, reads that many bytes of standard output and then
// closes its end of the pipe.
PipedRun run_piped(const fs::path& cwd, const std::vector<std::string>& args, std::size_t keep = 0) {
  PipedRun r;
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return r;
  pid_t pid = fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
    int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, 0);
    if (::chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv{const_cast<char*>("versel")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(VERSEL_BINARY, argv.data());
    _exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&r.out, &r.err};
  int open_pipes = 2;
  while (open_pipes > 0 && ::poll(fds, 2, 60000) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buf[4096];
      std::size_t want = sizeof buf;
      if (i == 0 && keep > 0) want = std::min(want, keep - r.out.size());
      ssize_t n = ::read(fds[i].fd, buf, want);
      if (n > 0) sinks[i]->append(buf, static_cast<std::size_t>(n));
      if (n <= 0 || (i == 0 && keep > 0 && r.out.size() >= keep)) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  for (pollfd& f : fds)
    if (f.fd >= 0) ::close(f.fd);
  if (open_pipes > 0) ::kill(pid, SIGKILL);
  int status = 0;
  if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.status = WEXITSTATUS(status);
  return r;
}

// `stations` stations in the layout of data set 7, years 1950 to 1957; the
// month m (0 to 11) of year y of station s holds (s * 7 + (y - 1950) * 12 + m)
// tenths.
std::string data_file(int stations) {
  std::string s;
  char line[128];
  for (int st = 0; st < stations; ++st) {
    std::snprintf(line, sizeof line, "STATION%04d  35.00 -94.00\n", st);
    s += line;
    for (int y = 1950; y <= 1957; ++y) {
      int n = std::snprintf(line, sizeof line, " %4d", y);
      for (int m = 0; m < 12; ++m)
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%5d",
                           st * 7 + (y - 1950) * 12 + m);
      s.append(line, static_cast<std::size_t>(n));
      s += '\n';
    }
  }
  return s;
}

fs::path fresh(const std::string& name, int stations) {
  fs::path work = fs::path(VERSEL_SCENARIO_RUNS) / name;
  fs::remove_all(work);
  fs::create_directories(work);
  scenario::write_file(work / "a.dat", data_file(stations));
  return work;
}

TEST(CommandLinePipe, TheSeaFileThroughAPipeIsTheFileItself) {
  fs::path work = fresh("cli_pipe_whole", 2000);
  const std::vector<std::string> common = {"-k", "tsf", "-d", "7", "-m", "00001113111311131113"};
  std::vector<std::string> to_pipe = common, to_file = common;
  to_pipe.insert(to_pipe.end(), {"-o", "-", "a.dat"});
  to_file.insert(to_file.end(), {"-q", "a.dat"});
  PipedRun piped = run_piped(work, to_pipe);
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.err,
            "versel: a.dat: 2000 stations, years 1951 to 1957, 4 climate variables; wrote standard "
            "output\n");
  EXPECT_EQ(scenario::listing(work), "a.dat");
  PipedRun filed = run_piped(work, to_file);
  EXPECT_EQ(filed.status, 0);
  EXPECT_EQ(filed.out, "");
  EXPECT_EQ(filed.err, "");
  std::string sea = scenario::read_file(work / "a_sea");
  EXPECT_GT(sea.size(), 100000u);
  EXPECT_TRUE(piped.out == sea) << "the piped output differs from a_sea";
}

TEST(CommandLinePipe, APipeClosedEarlyFailsTheFile) {
  fs::path work = fresh("cli_pipe_closed", 4000);
  PipedRun r = run_piped(work, {"-k", "tsf", "-d", "7", "-m", "111111111111", "-o", "-", "a.dat"}, 100);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "versel: a.dat: cannot write standard output: Broken pipe\n");
  EXPECT_EQ(scenario::listing(work), "a.dat");
}

// --explain as a program reads it: for each variable its kind and its months
// with their years relative to the label.
struct Stated {
  std::string name;
  std::string kind;                         // "single", "sum" or "average"
  std::vector<std::pair<int, int>> months;  // month 0 to 11, year offset
};

std::vector<Stated> stated_variables(const std::string& explanation) {
  static const std::vector<std::string> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::vector<Stated> out;
  std::istringstream in(explanation);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    int number = 0;
    Stated v;
    std::string word;
    if (!(words >> number >> v.name >> word)) continue;
    v.kind = word == "single" ? "single" : word;
    if (word == "single") words >> word;  // "month:"
    else words >> word >> word >> word;    // "of", N, "months:"
    std::vector<int> pending;
    while (words >> word) {
      if (word == "of") {
        std::string year;
        words >> year;
        if (!year.empty() && year.back() == ',') year.pop_back();
        int offset = year == "Y" ? 0 : std::stoi(year.substr(1));
        for (int m : pending) v.months.push_back({m, offset});
        pending.clear();
        continue;
      }
      for (int m = 0; m < 12; ++m)
        if (word == kMonths[static_cast<std::size_t>(m)]) pending.push_back(m);
    }
    out.push_back(v);
  }
  return out;
}

TEST(CommandLineExplain, SaysWhatARunComputes) {
  fs::path work = fresh("cli_explain_run", 1);
  // every mask of the help pages, and a lead
  for (const std::string mask :
       {"00001111111111111111", "00001112111211121112", "00001113111311131113",
        "00003333111311133333", "00001111000000001111", "00001122002002001112", "0000111100000000",
        "0000111100000000000000000", "00000000000000001111"}) {
    SCOPED_TRACE(mask);
    PipedRun explained = run_piped(work, {"--explain", "-m", mask});
    ASSERT_EQ(explained.status, 0);
    std::vector<Stated> stated = stated_variables(explained.out);
    ASSERT_FALSE(stated.empty()) << explained.out;
    PipedRun run = run_piped(work, {"-k", "tsf", "-d", "7", "-m", mask, "-o", "-", "a.dat"});
    ASSERT_EQ(run.status, 0) << run.err;

    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);  // the header
    int years = 0;
    while (std::getline(lines, line)) {
      std::istringstream fields(line);
      int label = 0;
      fields >> label;
      ++years;
      for (const Stated& v : stated) {
        double value = 0;
        fields >> value;
        double sum = 0;
        for (auto [month, offset] : v.months) sum += ((label + offset - 1950) * 12 + month) / 10.0;
        double expected = v.kind == "average" ? sum / static_cast<double>(v.months.size()) : sum;
        EXPECT_NEAR(value, expected, 0.006) << v.name << " of " << label;
      }
    }
    EXPECT_GT(years, 4);
  }
}

}  // namespace
