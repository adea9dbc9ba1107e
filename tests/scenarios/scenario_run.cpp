// The process side of the scenario runner and the readable report of the
// first difference between two outputs.
#include "scenario_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace scenario {

int run_binary(const std::filesystem::path& binary, const std::filesystem::path& cwd,
               const std::filesystem::path& in, const std::filesystem::path& out,
               const std::filesystem::path& err, int seconds,
               const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("versel"));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) return kTimedOut;
  if (pid == 0) {
    int fin = ::open(in.c_str(), O_RDONLY);
    int fout = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int ferr = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fin < 0 || fout < 0 || ferr < 0 || chdir(cwd.c_str()) != 0) _exit(126);
    dup2(fin, 0);
    dup2(fout, 1);
    dup2(ferr, 2);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return kTimedOut;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

std::vector<std::string> arguments_of(const std::string& text) {
  std::vector<std::string> args;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t nl = text.find('\n', from);
    if (nl == std::string::npos) nl = text.size();
    args.push_back(text.substr(from, nl - from));
    from = nl + 1;
  }
  return args;
}

std::string read_file(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string listing(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : " ") + n;
  return s;
}

void write_file(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary);
  f << bytes;
}

std::map<std::string, std::string> files_below(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  if (!fs::exists(root)) return files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
    // lexically: a link is named by its own path, not by where it leads
    std::string name = e.path().lexically_relative(root).string();
    if (e.is_symlink()) files[name] = "-> " + fs::read_symlink(e.path()).string();
    else if (e.is_regular_file()) files[name] = read_file(e.path());
  }
  return files;
}

namespace {

std::string visible(std::string_view line) {
  std::string s;
  for (char c : line) {
    if (c == '\r') s += "<CR>";
    else if (c == '\t') s += "<TAB>";
    else s += c;
  }
  return s;
}

// The line starting at `pos`, its line feed included when there is one.
std::string_view line_at(const std::string& text, std::size_t pos) {
  if (pos >= text.size()) return {};
  std::size_t nl = text.find('\n', pos);
  std::size_t end = nl == std::string::npos ? text.size() : nl + 1;
  return std::string_view(text).substr(pos, end - pos);
}

std::string shown(std::string_view line) {
  if (line.empty()) return "(nothing)";
  bool lf = line.back() == '\n';
  if (lf) line.remove_suffix(1);
  std::string s(1, '[');
  s += visible(line);
  s += ']';
  if (!lf) s += " without line end";
  return s;
}

}  // namespace

std::string first_difference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return {};
  std::size_t pos = 0;
  int number = 1;
  for (;;) {
    std::string_view e = line_at(expected, pos);
    std::string_view a = line_at(actual, pos);
    if (e != a) {
      return "line " + std::to_string(number) + "\n  expected " + shown(e) + "\n  actual   " +
             shown(a);
    }
    pos += e.size();
    ++number;
  }
}

}  // namespace scenario
