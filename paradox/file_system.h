// The store's one seam to the operating system's files. Every read, write,
// sync and lock of the store goes through a FileSystem, so tests can put a
// faulty one in its place (fail the k-th write, drop unsynced writes, report
// a full disk) and check that the store answers an error and loses nothing.
//
// Reads and writes are positioned (pread/pwrite): the store never maps files,
// since another program may shorten a mapped file under it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdx.h"

namespace pdx {

enum class LockKind { kShared, kExclusive };

class File {
 public:
  virtual ~File() = default;
  // Reads up to n bytes at offset; *got is less than n only at the end of the file.
  virtual pdx_code ReadAt(uint64_t offset, void* data, size_t n, size_t* got) = 0;
  // Writes all n bytes at offset or answers an error (PDX_ERR_DISK_FULL, PDX_ERR_WRITE).
  virtual pdx_code WriteAt(uint64_t offset, const void* data, size_t n) = 0;
  virtual pdx_code Size(uint64_t* size) = 0;
  virtual pdx_code Truncate(uint64_t size) = 0;
  virtual pdx_code Sync() = 0;
  // Advisory byte-range locks that die with the process (open file
  // description locks). TryLock answers PDX_ERR_FILE_LOCKED when another
  // holder conflicts; it never waits.
  virtual pdx_code TryLock(uint64_t offset, uint64_t length, LockKind kind) = 0;
  virtual pdx_code Unlock(uint64_t offset, uint64_t length) = 0;
};

enum class OpenMode { kRead, kReadWrite, kCreate /* read-write, must not exist */ };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual pdx_code Open(const std::string& path, OpenMode mode, std::unique_ptr<File>* file) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual pdx_code Remove(const std::string& path) = 0;
  virtual pdx_code Rename(const std::string& from, const std::string& to) = 0;
  // Makes a rename or a new file in directory durable.
  virtual pdx_code SyncDirectory(const std::string& directory) = 0;
  virtual pdx_code ListDirectory(const std::string& directory, std::vector<std::string>* names) = 0;

  // The real one, over POSIX calls.
  static FileSystem* Default();
};

// directory/name, with one slash between them whatever directory ends with.
std::string JoinPath(const std::string& directory, const std::string& name);

// Finds name in directory without regard to case ("portf.db" finds
// "PORTF.DB"); an exact match wins. Answers the full path, or empty.
std::string FindFileNoCase(FileSystem* fs, const std::string& directory, const std::string& name);

}  // namespace pdx
