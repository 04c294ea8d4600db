#include "loader_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace engine {

namespace {

std::string lockFilePath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::filesystem::path dir;
  if (runtime && *runtime && std::filesystem::is_directory(runtime)) {
    dir = runtime;
  } else {
    std::error_code ignored;
    dir = std::filesystem::temp_directory_path(ignored);
    if (dir.empty()) dir = "/tmp";
  }
  return (dir / "LIBLDRMUX").string();
}

}  // namespace

// Without a lock file (a read-only directory) loading goes on unserialised:
// refusing to start the engine would be worse than the race it guards.
LoaderLock::LoaderLock() {
  fd_ = ::open(lockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

LoaderLock::~LoaderLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace engine
