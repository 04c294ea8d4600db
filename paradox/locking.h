// Operating-system locks that let several programs write one table.
//
// All locks are byte-range locks on the table's data file, far past any
// data (the range lies beyond what a table file can reach, so the locks
// never touch real bytes). They are open file description locks: they die
// with the program, and two handles on one file, even in one program, are
// two holders.
//   - The write lock (exclusive) serialises writers: it is held from before
//     a writer re-reads the table's state until its change is committed, and
//     while a journal left by a dead writer is rolled back.
//   - The commit lock is held exclusively while a change is applied to the
//     table's files (or rolled back), and shared by a reader while it reads
//     the table's state (its header, its index), so that no reader takes in
//     a change half applied. Readers hold it for microseconds.
//   - The open lock is held by every open table for as long as it is open:
//     shared normally, exclusive for a table opened for exclusive use, so
//     that such a table and any other opening of it exclude each other.
//   - A row lock (exclusive, one byte per row) is held while a row is in
//     edit. The byte is chosen by a hash of the row's key (of the whole row
//     in an unkeyed table), so every program picks the same byte for a row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "file_system.h"
#include "pdx_codes.h"

namespace pdx {

// Waits (polling, at most about five seconds) for other writers to finish;
// then answers PDX_ERR_TABLE_BUSY.
pdx_code AcquireWriteLock(File* data_file);
// Without waiting: PDX_ERR_FILE_LOCKED while another writer holds it.
pdx_code TryWriteLock(File* data_file);
void ReleaseWriteLock(File* data_file);

// Both wait (polling, at most about five seconds), then answer
// PDX_ERR_TABLE_BUSY.
pdx_code AcquireCommitLock(File* data_file);
pdx_code AwaitCommits(File* data_file);
// Ends either.
void ReleaseCommitLock(File* data_file);

// Holds AwaitCommits for a scope; ok() tells whether it was granted.
class CommitWait {
 public:
  explicit CommitWait(File* data_file) : file_(data_file), code_(AwaitCommits(data_file)) {}
  ~CommitWait() {
    if (code_ == PDX_OK) ReleaseCommitLock(file_);
  }
  CommitWait(const CommitWait&) = delete;
  CommitWait& operator=(const CommitWait&) = delete;
  pdx_code code() const { return code_; }

 private:
  File* file_;
  pdx_code code_;
};

// PDX_ERR_NO_EXCLUSIVE when exclusive use is asked for a table open
// elsewhere; PDX_ERR_TABLE_BUSY when another holder has it for exclusive use.
pdx_code LockTableOpen(File* data_file, bool exclusive);

uint64_t RowLockOffset(const uint8_t* identity, size_t length);
// PDX_ERR_RECORD_LOCKED when another holder has the row.
pdx_code LockRow(File* data_file, uint64_t row_lock);
void UnlockRow(File* data_file, uint64_t row_lock);

}  // namespace pdx
