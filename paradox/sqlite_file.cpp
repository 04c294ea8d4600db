#include "sqlite_file.h"

#include <sys/stat.h>

namespace pdx::tool {

std::string QuoteName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

SqliteFile::~SqliteFile() {
  Close();
}

void SqliteFile::Close() {
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
}

std::string SqliteFile::Message() const {
  return db_ == nullptr ? "out of memory" : sqlite3_errmsg(db_);
}

bool SqliteFile::Open(const std::string& path, std::string* error) {
  struct stat info;
  is_new_ = stat(path.c_str(), &info) != 0;
  if (path == "-") {
    *error = "an SQLite database cannot be written to standard output";
    return false;
  }
  std::string opened = path;
  if (is_new_) {
    if (!file_.Create(path, error)) return false;
    opened = file_.temporary_path();
  }
  if (sqlite3_open_v2(opened.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    *error = path + ": " + Message();
    return false;
  }
  // No journal and no syncs for a new file: it is thrown away whole on any
  // failure. The begin also reads an existing file's schema, and so finds a
  // file that is not a database.
  const char* begin = is_new_ ? "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"
                              : "BEGIN IMMEDIATE; SELECT count(*) FROM sqlite_schema";
  if (!Execute(begin, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool SqliteFile::Execute(const std::string& sql, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
  *error = message != nullptr ? message : Message();
  sqlite3_free(message);
  return false;
}

bool SqliteFile::HasTable(const std::string& name, bool* has, std::string* error) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_schema WHERE lower(name) = lower(?)", -1,
                         &statement, nullptr) != SQLITE_OK) {
    *error = Message();
    return false;
  }
  sqlite3_bind_text(statement, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
  const int rc = sqlite3_step(statement);
  *has = rc == SQLITE_ROW;
  sqlite3_finalize(statement);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    *error = Message();
    return false;
  }
  return true;
}

bool SqliteFile::Commit(std::string* error) {
  if (!Execute("COMMIT", error)) return false;
  if (sqlite3_close(db_) != SQLITE_OK) {
    *error = Message();
    return false;
  }
  db_ = nullptr;
  return !is_new_ || file_.Commit(error);
}

}  // namespace pdx::tool
