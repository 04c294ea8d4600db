// Makes a change to a table's files happen whole or not at all.
//
// A Transaction collects the writes of one operation in memory (reads
// through it see them). Commit then
//   1. saves the bytes about to be overwritten, and each file's length, in
//      the journal file and syncs it;
//   2. writes the changes into the table's files and syncs them;
//   3. empties the journal and syncs it: this is the moment the change counts.
// A crash before 3 leaves a whole journal, which Recover rolls back the next
// time a writer takes the table; a crash during 1 leaves a torn journal
// (its checksum fails) and untouched files. A failed write in 2 rolls back
// at once, so a full disk answers an error and leaves the table as it was.
//
// The caller holds the table's write lock around a transaction and around
// Recover; the journal itself takes no locks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "file_system.h"

namespace pdx {

class Journal {
 public:
  // path: the journal file, created by a commit when missing and opened
  // only for the length of a commit.
  Journal(FileSystem* fs, std::string path);
  ~Journal();

  // files: the table's files, indexed as in the transactions that use this
  // journal. Rolls back what a dead writer left; nothing to do answers OK.
  pdx_code Recover(const std::vector<File*>& files);

  // Removes the journal file when it holds nothing; the caller holds the
  // write lock.
  void RemoveIfEmpty();

  // Off: nothing is synced, so a crash may lose or tear the last changes.
  // Only for measurements and throwaway loads.
  void set_sync(bool sync) { sync_ = sync; }
  bool sync() const { return sync_; }

 private:
  friend class Transaction;
  pdx_code OpenFile(bool create);
  pdx_code Write(const std::string& bytes);
  pdx_code Clear();

  FileSystem* fs_;
  std::string path_;
  std::unique_ptr<File> file_;
  bool sync_ = true;
};

class Transaction {
 public:
  Transaction(Journal* journal, std::vector<File*> files);

  // Buffered: nothing reaches a file before Commit.
  void Write(int file, uint64_t offset, const void* data, size_t n);
  // Reads the file as this transaction has changed it; bytes past the end of
  // the file read as zeros up to the transaction's end of file.
  pdx_code Read(int file, uint64_t offset, void* data, size_t n);
  // The file's size after the pending writes.
  pdx_code Size(int file, uint64_t* size);
  // Cuts (or extends with zeros) the file to size at commit, before the
  // writes that follow this call are applied.
  void SetSize(int file, uint64_t size);
  bool empty() const;

  // Writes everything or nothing (see the top of this file). The transaction
  // is empty afterwards either way.
  pdx_code Commit();
  // Drops the pending writes.
  void Abandon();

 private:
  pdx_code BuildJournal(std::string* bytes);
  pdx_code Apply();

  Journal* journal_;
  std::vector<File*> files_;
  std::vector<std::map<uint64_t, std::string>> pending_;  // per file: offset -> bytes
  std::vector<int64_t> pending_size_;                     // per file: -1, or the new size
};

}  // namespace pdx
