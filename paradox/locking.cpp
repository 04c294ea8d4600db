#include "locking.h"

#include <chrono>
#include <thread>

#include "pdx_codes.h"

namespace pdx {
namespace {

// Past the largest table file (65535 blocks of 32 KB plus a header).
constexpr uint64_t kWriteLockOffset = uint64_t{1} << 40;
constexpr uint64_t kOpenLockOffset = kWriteLockOffset + 1;
constexpr uint64_t kCommitLockOffset = kWriteLockOffset + 2;
constexpr uint64_t kRowLockBase = kWriteLockOffset + 4096;
constexpr uint64_t kRowLockSpan = uint64_t{1} << 32;
constexpr auto kLockWait = std::chrono::seconds(5);

pdx_code WaitForLock(File* data_file, uint64_t offset, LockKind kind) {
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  auto pause = std::chrono::microseconds(50);
  for (;;) {
    pdx_code code = data_file->TryLock(offset, 1, kind);
    if (code != PDX_ERR_FILE_LOCKED) return code;
    if (std::chrono::steady_clock::now() >= deadline) return PDX_ERR_TABLE_BUSY;
    std::this_thread::sleep_for(pause);
    pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(5));
  }
}

}  // namespace

pdx_code AcquireWriteLock(File* data_file) {
  return WaitForLock(data_file, kWriteLockOffset, LockKind::kExclusive);
}

pdx_code AcquireCommitLock(File* data_file) {
  return WaitForLock(data_file, kCommitLockOffset, LockKind::kExclusive);
}

pdx_code AwaitCommits(File* data_file) {
  return WaitForLock(data_file, kCommitLockOffset, LockKind::kShared);
}

void ReleaseCommitLock(File* data_file) {
  data_file->Unlock(kCommitLockOffset, 1);
}

pdx_code TryWriteLock(File* data_file) {
  return data_file->TryLock(kWriteLockOffset, 1, LockKind::kExclusive);
}

void ReleaseWriteLock(File* data_file) {
  data_file->Unlock(kWriteLockOffset, 1);
}

pdx_code LockTableOpen(File* data_file, bool exclusive) {
  pdx_code code =
      data_file->TryLock(kOpenLockOffset, 1, exclusive ? LockKind::kExclusive : LockKind::kShared);
  if (code != PDX_ERR_FILE_LOCKED) return code;
  return exclusive ? PDX_ERR_NO_EXCLUSIVE : PDX_ERR_TABLE_BUSY;
}

uint64_t RowLockOffset(const uint8_t* identity, size_t length) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (size_t i = 0; i < length; ++i) {
    hash ^= identity[i];
    hash *= 1099511628211ull;
  }
  return kRowLockBase + hash % kRowLockSpan;
}

pdx_code LockRow(File* data_file, uint64_t row_lock) {
  pdx_code code = data_file->TryLock(row_lock, 1, LockKind::kExclusive);
  return code == PDX_ERR_FILE_LOCKED ? pdx_code{PDX_ERR_RECORD_LOCKED} : code;
}

void UnlockRow(File* data_file, uint64_t row_lock) {
  data_file->Unlock(row_lock, 1);
}

}  // namespace pdx
