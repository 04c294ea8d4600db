// The window's table until the full data set takes its place: only what the
// table switch needs — close, set the table name, open on the alias through
// the engine — and the state the switch is judged by.
#pragma once

#include <string>

#include "app/engine/cursor.h"

namespace app {

class PlainTable {
 public:
  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const std::string& name) { databaseName_ = name; }
  const std::string& TableName() const { return tableName_; }
  void SetTableName(const std::string& name) { tableName_ = name; }

  bool Active() const { return cursor_.isOpen(); }
  // Throws the engine's error and stays closed when the table cannot open.
  void Open();
  void Close() { cursor_.close(); }
  int64_t RecordCount() { return cursor_.recordCount(); }

 private:
  std::string databaseName_;
  std::string tableName_;
  engine::Cursor cursor_;
};

}  // namespace app
