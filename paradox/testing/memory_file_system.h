// A FileSystem held in memory, for tests that need to fail writes or lose
// power. Every file keeps two images: what has been written, and what the
// last Sync made durable. Crash() throws away everything not synced, as a
// power loss would; a write budget makes the k-th write fail; a size limit
// makes writes past it answer a full disk. Locks behave like open file
// description locks: each opened File is its own holder, so two Files on one
// path stand for two programs.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "paradox/file_system.h"

namespace pdx::testing {

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  pdx_code Open(const std::string& path, OpenMode mode, std::unique_ptr<File>* file) override;
  bool Exists(const std::string& path) override;
  pdx_code Remove(const std::string& path) override;
  pdx_code Rename(const std::string& from, const std::string& to) override;
  pdx_code SyncDirectory(const std::string& directory) override;
  pdx_code ListDirectory(const std::string& directory, std::vector<std::string>* names) override;

  // The next `writes` WriteAt calls succeed; every one after that answers
  // PDX_ERR_WRITE without changing anything. Negative: no limit.
  void FailWritesAfter(long writes);
  // Writes that would make any file longer than `bytes` answer
  // PDX_ERR_DISK_FULL. Negative: no limit.
  void SetSizeLimit(long long bytes);
  // Power loss: every file returns to its last synced image, files created
  // but never made durable by SyncDirectory vanish, and locks are dropped.
  void Crash();

  long writes() const;
  long syncs() const;
  // The current (unsynced) bytes of a file, for assertions.
  std::string Contents(const std::string& path);
  void SetContents(const std::string& path, const std::string& bytes);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace pdx::testing
