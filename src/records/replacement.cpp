// The atomic replacement of output files: the temporary file beside the
// target, its rename at the commit, its removal on every other end.
//
// The list of pending outputs is read by the signal handler, so it changes
// only while SIGINT, SIGTERM and SIGHUP are held back: the handler always
// finds each temporary file that exists, and a signal during the commit
// comes after every rename, never between the _sea and the _key file.
#include "records/replacement.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <system_error>

#include "records/units.h"

namespace versel {
namespace {

constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kMaxLinks = 40;  // links followed before the name counts as a loop
constexpr std::string_view kTempSuffix = ".XXXXXX";

sigset_t end_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kEndSignals) sigaddset(&set, sig);
  return set;
}

sigset_t hold_signals() {
  sigset_t set = end_signals(), before;
  sigprocmask(SIG_BLOCK, &set, &before);
  return before;
}

void release_signals(const sigset_t& before) { sigprocmask(SIG_SETMASK, &before, nullptr); }

// Async-signal-safe calls only: unlink, sigaction, raise.
extern "C" void remove_pending_and_end(int sig) {
  for (const PendingOutput& p : units().pending) ::unlink(p.temp.c_str());
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigemptyset(&plain.sa_mask);
  ::sigaction(sig, &plain, nullptr);
  // delivered, with its default action, once the handler returns
  ::raise(sig);
}

// The file a name leads to: the name itself, or the end of its chain of
// links. False with errno ELOOP for a chain that does not end.
bool follow_links(std::string& path) {
  namespace fs = std::filesystem;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::error_code ec;
    fs::path to = fs::read_symlink(path, ec);
    if (ec) return true;  // gone meanwhile: the create reports what it finds
    // a relative link counts from the folder of the link
    path = to.is_absolute() ? to.string() : (fs::path(path).parent_path() / to).string();
  }
  errno = ELOOP;
  return false;
}

mode_t created_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// "dir/.name.XXXXXX" for the target "dir/name".
std::string temp_pattern(const std::string& target) {
  namespace fs = std::filesystem;
  fs::path p(target);
  std::string folder = p.parent_path().string();
  std::string base = p.filename().string();
  if (base.size() + 1 + kTempSuffix.size() > NAME_MAX) base = "versel";
  std::string pattern = folder.empty() ? std::string() : folder + "/";
  pattern += '.';
  pattern += base;
  pattern += kTempSuffix;
  return pattern;
}

}  // namespace

std::FILE* open_output(std::string_view name, int unit, std::vector<PendingOutput>& pending,
                       bool& temporary) {
  temporary = false;
  std::string path(name);
  std::string target = path;
  if (!follow_links(target)) return nullptr;
  struct stat st {};
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return std::fopen(path.c_str(), "wb");
  // a file the run could not write is refused, as a create would refuse it
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return nullptr;
  mode_t mode = exists ? (st.st_mode & 07777) : created_mode();

  std::string temp = temp_pattern(target);
  sigset_t before = hold_signals();
  int fd = ::mkstemp(temp.data());
  int err = errno;
  if (fd >= 0) pending.push_back(PendingOutput{temp, target, unit});
  release_signals(before);
  if (fd < 0) {
    errno = err;
    return nullptr;
  }
  temporary = true;
  ::fchmod(fd, mode);  // a folder that keeps no modes keeps its own
  std::FILE* out = ::fdopen(fd, "wb");
  if (!out) {
    err = errno;
    ::close(fd);
    errno = err;
  }
  return out;
}

bool rename_pending(std::vector<PendingOutput>& pending, int& unit) {
  sigset_t before = hold_signals();
  std::size_t done = 0;
  bool ok = true;
  for (; done < pending.size(); ++done) {
    if (::rename(pending[done].temp.c_str(), pending[done].target.c_str()) != 0) {
      unit = pending[done].unit;
      ok = false;
      break;
    }
  }
  int err = errno;
  pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(done));
  release_signals(before);
  errno = err;
  return ok;
}

void remove_pending(std::vector<PendingOutput>& pending) {
  sigset_t before = hold_signals();
  for (const PendingOutput& p : pending) ::unlink(p.temp.c_str());
  pending.clear();
  release_signals(before);
}

void remove_pending_on_signals() {
  units();  // the table exists before a handler can look at it
  struct sigaction act {};
  act.sa_handler = remove_pending_and_end;
  act.sa_mask = end_signals();
  for (int sig : kEndSignals) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &act, nullptr);
  }
}

}  // namespace versel
