#include "report_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace report {

namespace {

constexpr const char* kCreateError = "Error creating report.";

// The permissions a new file gets under the process's umask.
mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ReportFile::ReportFile(const std::string& path) : path_(path) {
  if (path.empty()) throw std::runtime_error(kCreateError);
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 &&
      (S_ISDIR(existing.st_mode) || ::access(path.c_str(), W_OK) != 0)) {
    throw std::runtime_error(kCreateError);
  }
  const std::filesystem::path target(path);
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  fd_ = ::mkstemp(pattern.data());
  if (fd_ < 0) throw std::runtime_error(kCreateError);
  temporary_ = pattern;
  ::fchmod(fd_, newFileMode());
  buffer_.reserve(kFlushSize + 4096);
}

ReportFile::~ReportFile() {
  discard();
}

void ReportFile::flush() {
  const char* data = buffer_.data();
  std::size_t left = buffer_.size();
  while (left > 0) {
    const ssize_t written = ::write(fd_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      fail("write");
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  buffer_.clear();
}

void ReportFile::fail(const char* what) {
  const int error = errno;
  discard();
  throw std::runtime_error("Cannot " + std::string(what) + " the report file " + path_ + ": " +
                           std::strerror(error) + ".");
}

void ReportFile::commit() {
  if (fd_ < 0) throw std::runtime_error("The report file is closed.");
  flush();
  if (::close(fd_) != 0) {
    fd_ = -1;
    fail("write");
  }
  fd_ = -1;
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) fail("name");
  temporary_.clear();
}

void ReportFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  buffer_.clear();
}

}  // namespace report
