#include "file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>

#include "pdx_codes.h"

namespace pdx {
namespace {

pdx_code WriteErrorCode(int error) {
  return (error == ENOSPC || error == EDQUOT || error == EFBIG) ? PDX_ERR_DISK_FULL : PDX_ERR_WRITE;
}

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  pdx_code ReadAt(uint64_t offset, void* data, size_t n, size_t* got) override {
    auto* out = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        *got = done;
        return PDX_ERR_READ;
      }
      if (r == 0) break;
      done += static_cast<size_t>(r);
    }
    *got = done;
    return PDX_OK;
  }

  pdx_code WriteAt(uint64_t offset, const void* data, size_t n) override {
    auto* in = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < n) {
      ssize_t w = ::pwrite(fd_, in + done, n - done, static_cast<off_t>(offset + done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return WriteErrorCode(errno);
      }
      done += static_cast<size_t>(w);
    }
    return PDX_OK;
  }

  pdx_code Size(uint64_t* size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return PDX_ERR_READ;
    *size = static_cast<uint64_t>(st.st_size);
    return PDX_OK;
  }

  pdx_code Truncate(uint64_t size) override {
    while (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      if (errno != EINTR) return WriteErrorCode(errno);
    }
    return PDX_OK;
  }

  pdx_code Sync() override {
    if (::fsync(fd_) != 0) return WriteErrorCode(errno);
    return PDX_OK;
  }

  pdx_code TryLock(uint64_t offset, uint64_t length, LockKind kind) override {
    return SetLock(offset, length, kind == LockKind::kShared ? F_RDLCK : F_WRLCK);
  }

  pdx_code Unlock(uint64_t offset, uint64_t length) override {
    return SetLock(offset, length, F_UNLCK) == PDX_OK ? PDX_OK : PDX_ERR_UNLOCK_FAILED;
  }

 private:
  // Open file description locks belong to this descriptor, not to the
  // process, so two tables open in one process still exclude each other.
  pdx_code SetLock(uint64_t offset, uint64_t length, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    while (::fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
      if (errno == EINTR) continue;
      return (errno == EACCES || errno == EAGAIN) ? PDX_ERR_FILE_LOCKED : PDX_ERR_READ;
    }
    return PDX_OK;
  }

  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  pdx_code Open(const std::string& path, OpenMode mode, std::unique_ptr<File>* file) override {
    int flags = O_CLOEXEC;
    switch (mode) {
      case OpenMode::kRead:
        flags |= O_RDONLY;
        break;
      case OpenMode::kReadWrite:
        flags |= O_RDWR;
        break;
      case OpenMode::kCreate:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    int fd;
    do {
      fd = ::open(path.c_str(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      switch (errno) {
        case ENOENT:
        case ENOTDIR:
          return PDX_ERR_FILE_NOT_FOUND;
        case EEXIST:
          return PDX_ERR_TABLE_EXISTS;
        case EROFS:
          return PDX_ERR_DIRECTORY_READ_ONLY;
        case EACCES:
        case EPERM:
          return mode == OpenMode::kRead ? PDX_ERR_READ : PDX_ERR_TABLE_READ_ONLY;
        default:
          return PDX_ERR_READ;
      }
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return PDX_ERR_FILE_NOT_FOUND;
    }
    *file = std::make_unique<PosixFile>(fd);
    return PDX_OK;
  }

  bool Exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }

  pdx_code Remove(const std::string& path) override {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return PDX_OK;
    return PDX_ERR_WRITE;
  }

  pdx_code Rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return WriteErrorCode(errno);
    return PDX_OK;
  }

  pdx_code SyncDirectory(const std::string& directory) override {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return PDX_ERR_WRITE;
    int rc = ::fsync(fd);
    ::close(fd);
    return rc == 0 ? PDX_OK : PDX_ERR_WRITE;
  }

  pdx_code ListDirectory(const std::string& directory, std::vector<std::string>* names) override {
    names->clear();
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return errno == ENOENT ? PDX_ERR_FILE_NOT_FOUND : PDX_ERR_READ;
    while (const dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names->push_back(std::move(name));
    }
    ::closedir(dir);
    return PDX_OK;
  }
};

}  // namespace

FileSystem* FileSystem::Default() {
  static PosixFileSystem instance;
  return &instance;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  const std::string dir = directory.empty() ? "." : directory;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string FindFileNoCase(FileSystem* fs, const std::string& directory, const std::string& name) {
  const std::string dir = directory.empty() ? "." : directory;
  const std::string prefix = JoinPath(dir, "");
  if (fs->Exists(prefix + name)) return prefix + name;
  std::vector<std::string> names;
  if (fs->ListDirectory(dir, &names) != PDX_OK) return {};
  for (const std::string& candidate : names) {
    if (strcasecmp(candidate.c_str(), name.c_str()) == 0) return prefix + candidate;
  }
  return {};
}

}  // namespace pdx
