// One open table of the engine, closed when the object goes. Every call
// throws EngineError for a non-zero engine code, except where a code is an
// ordinary answer (the ends of the table for next, prior and findNearest).
// Record buffers are the caller's, info().record_size bytes long. The
// engine's shutdown closes every cursor still open; isOpen() then answers
// false.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "paradox/pdx.h"

namespace engine {

class Cursor {
 public:
  Cursor() = default;
  ~Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  // Opens table of database (an alias, or a directory when it has a '/'),
  // starting the engine if needed. A table that needs a password runs the
  // engine's password prompt and is tried again after each OK.
  void open(const std::string& database, const std::string& table, int mode = PDX_OPEN_READ_WRITE);
  void close();
  bool isOpen() const { return cursor_ != nullptr; }

  pdx_cursor_info info();
  pdx_field_desc fieldDesc(int fieldNumber);
  int checkCount();
  pdx_check_desc checkDesc(int index);

  void setToBegin();
  void setToEnd();
  // False at the end (beginning) of the table, where the cursor then stays.
  bool next(void* record);
  bool prior(void* record);
  void getRecord(void* record);
  void setToRecordNumber(int64_t number);
  int64_t recordNumber();
  int64_t recordCount();

  // False when no row has a key at or after the given one.
  bool findNearest(const void* record, int fieldCount, int prefixLength);
  void setRange(const void* low, int lowFields, int lowPrefix, bool lowInclusive, const void* high,
                int highFields, int highPrefix, bool highInclusive);
  void resetRange();

  int bookmarkSize();
  void getBookmark(void* bookmark);
  void setToBookmark(const void* bookmark);
  int compareBookmarks(const void* a, const void* b);

  void refresh();

  bool isBlank(const void* record, int fieldNumber);
  std::string text(const void* record, int fieldNumber);
  std::optional<int64_t> intValue(const void* record, int fieldNumber);
  std::optional<double> doubleValue(const void* record, int fieldNumber);
  std::string bytes(const void* record, int fieldNumber);
  // The same into a string whose storage is reused, for reading row after
  // row; fieldLength is the field's length in the record (a longer value is
  // cut there).
  void bytes(const void* record, int fieldNumber, size_t fieldLength, std::string& into);
  size_t blobSize(const void* record, int fieldNumber);
  std::string blob(const void* record, int fieldNumber);

  void initRecord(void* record);
  void putBlank(void* record, int fieldNumber);
  void putText(void* record, int fieldNumber, std::string_view text);
  void putInt(void* record, int fieldNumber, int64_t value);
  void putDouble(void* record, int fieldNumber, double value);
  void putBytes(void* record, int fieldNumber, std::string_view data);
  void blobWrite(void* record, int fieldNumber, std::string_view data);

  // Counts the calls that may change rows or read them afresh (insert,
  // modify, delete, refresh, lock) through any cursor of the process: a position remembered under
  // one count may be stale under another, even on another cursor of the
  // same table.
  static std::uint64_t changeCount() { return changes_; }

  void lockRecord(void* record);
  void unlockRecord();
  void insertRecord(const void* record);
  void modifyRecord(const void* record);
  void deleteRecord();

 private:
  pdx_cursor* handle();

  pdx_cursor* cursor_ = nullptr;
  int recordSize_ = 0;
  static inline std::uint64_t changes_ = 0;
};

}  // namespace engine
