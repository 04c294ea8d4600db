#include "output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pdx::tool {
namespace {

// The temporary file that a signal handler removes: a plain buffer, since
// the handler may only make async-signal-safe calls. One export writes one
// file at a time.
char pending_path[4096];
volatile sig_atomic_t has_pending = 0;

void RemovePendingAndDie(int signal_number) {
  if (has_pending) unlink(pending_path);
  // Die of the signal, so that whoever started the program sees why.
  ::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

void WatchSignals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action {};
  action.sa_handler = RemovePendingAndDie;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    struct sigaction old {};
    // A signal ignored by whoever started us (nohup) stays ignored.
    if (sigaction(signal_number, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(signal_number, &action, nullptr);
  }
}

std::string SystemError(const std::string& what, const std::string& path) {
  return "cannot " + what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Create(const std::string& path, std::string* error) {
  path_ = path;
  if (path == "-") {
    to_stdout_ = true;
    fd_ = STDOUT_FILENO;
    return true;
  }
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string pattern = directory + "." + name + ".partial-XXXXXX";
  if (pattern.size() >= sizeof pending_path) {
    *error = "the file name is too long: " + path;
    return false;
  }
  WatchSignals();
  // The name is chosen and the handler told of it with signals held, so
  // that no signal comes between the file's creation and its being known.
  sigset_t all, previous;
  sigfillset(&all);
  sigprocmask(SIG_BLOCK, &all, &previous);
  fd_ = mkstemp(pattern.data());
  if (fd_ >= 0) {
    std::memcpy(pending_path, pattern.c_str(), pattern.size() + 1);
    has_pending = 1;
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  if (fd_ < 0) {
    *error = SystemError("create a file in", directory.empty() ? "." : directory);
    return false;
  }
  temporary_ = pattern;
  // mkstemp makes the file private; the finished one gets the usual
  // permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
  return true;
}

bool OutputFile::Write(const char* data, size_t size, std::string* error) {
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = SystemError("write", to_stdout_ ? "the output" : path_);
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool OutputFile::Commit(std::string* error) {
  if (to_stdout_) return true;
  if (fsync(fd_) != 0 || close(fd_) != 0) {
    fd_ = -1;
    *error = SystemError("write", path_);
    Discard();
    return false;
  }
  fd_ = -1;
  if (rename(temporary_.c_str(), path_.c_str()) != 0) {
    *error = SystemError("rename the finished file to", path_);
    Discard();
    return false;
  }
  has_pending = 0;
  temporary_.clear();
  return true;
}

void OutputFile::Discard() {
  if (to_stdout_) return;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) {
    has_pending = 0;
    unlink(temporary_.c_str());
    temporary_.clear();
  }
}

}  // namespace pdx::tool
