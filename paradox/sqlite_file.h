// The SQLite database an export writes into, through the system's SQLite
// library. A new file is built under a temporary name (see OutputFile)
// without a journal or syncs, which it does not need, since an unfinished
// file is thrown away whole; it is synced and renamed into place by Commit.
// An existing database gets the new tables in one transaction of its own,
// with SQLite's journal, so that it holds all of them or none.
#pragma once

#include <sqlite3.h>

#include <string>

#include "output_file.h"

namespace pdx::tool {

class SqliteFile {
 public:
  SqliteFile() = default;
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  // Opens or creates path and begins the transaction.
  bool Open(const std::string& path, std::string* error);
  sqlite3* db() { return db_; }

  // Runs statements; false, with SQLite's message, on failure.
  bool Execute(const std::string& sql, std::string* error);
  bool HasTable(const std::string& name, bool* has, std::string* error);
  // Commits the transaction and puts a new file in place.
  bool Commit(std::string* error);

  // SQLite's message of the last failure.
  std::string Message() const;
  // SQLite's primary result code of the last failure.
  int Code() const { return db_ == nullptr ? SQLITE_NOMEM : sqlite3_errcode(db_) & 0xFF; }

 private:
  void Close();

  sqlite3* db_ = nullptr;
  bool is_new_ = false;
  OutputFile file_;
};

// A name quoted for SQL: "name", with quotes inside doubled.
std::string QuoteName(const std::string& name);

}  // namespace pdx::tool
