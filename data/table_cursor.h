// What the data set needs of an open table: rows one at a time in table
// order, bookmarks, record numbers, blobs, keys and ranges, and writing. The
// data set holds only a window of rows; everything else stays in the table
// behind this interface. Failures are exceptions of the engine interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "field_value.h"

namespace data {

struct FieldDef {
  int number = 0;  // 1-based
  std::string name;
  char storeType = 'A';
  int size = 0;
};

struct CheckDef {
  int fieldNumber = 0;
  bool required = false;
  std::string picture;
};

class TableCursor {
 public:
  virtual ~TableCursor() = default;

  virtual const std::vector<FieldDef>& Fields() const = 0;
  // Leading fields that make the primary key (the current index); 0 unkeyed.
  virtual int KeyFieldCount() const = 0;
  // The code page of the table's text (see table_code_page.h).
  virtual int CodePage() const { return 437; }
  // Whether the key compares text without regard to case (the table's sort
  // order is not the bytes' order).
  virtual bool CaseInsensitiveKeys() const { return false; }
  virtual bool ReadOnly() const = 0;
  // Why the engine will not change the table, when it says; empty otherwise.
  virtual std::string ReadOnlyReason() const { return {}; }
  virtual std::vector<CheckDef> Checks() = 0;

  virtual void SetToBegin() = 0;
  virtual void SetToEnd() = 0;
  // Moves one row and reads it; false (cursor past the end / before the
  // beginning) when there is none.
  virtual bool Next(Row& row) = 0;
  virtual bool Prior(Row& row) = 0;
  // For a scan that looks at a few fields of every row: the next row's
  // record without its values, and one field's value of such a row.
  virtual bool NextUndecoded(Row& row) { return Next(row); }
  virtual FieldValue DecodeField(const Row& row, int fieldNumber) {
    return row.values.at(static_cast<size_t>(fieldNumber - 1));
  }
  virtual Bookmark GetBookmark() = 0;
  // The same into a bookmark whose storage is reused.
  virtual void GetBookmarkInto(Bookmark& into) { into = GetBookmark(); }
  // False when the bookmarked row no longer exists.
  virtual bool GoToBookmark(const Bookmark& bookmark) = 0;
  virtual int CompareBookmarks(const Bookmark& a, const Bookmark& b) = 0;
  // The current row, re-read; false off a row.
  virtual bool Current(Row& row) = 0;
  virtual int64_t RecordNumber() = 0;
  virtual int64_t RecordCount() = 0;
  virtual bool GoToRecordNumber(int64_t number) = 0;
  virtual std::string ReadBlob(const Row& row, int fieldNumber) = 0;

  // Takes the row lock of the current row and answers the row re-read.
  virtual Row Lock() = 0;
  virtual void Unlock() = 0;
  virtual Row BlankRow() = 0;
  // Writes the row; the cursor ends on it.
  virtual void Insert(const Row& row) = 0;
  virtual void Modify(const Row& row) = 0;
  // Deletes the current row; the cursor ends on the row after it.
  virtual void Delete() = 0;
  virtual void Refresh() = 0;

  // Keyed tables. key holds values for the leading key fields; fieldCount of
  // them take part. The cursor ends on the row found (true) or past the end.
  virtual bool FindNearest(const Row& key, int fieldCount) = 0;
  // Bounds of a range: key values for fieldCount leading fields, or none.
  struct RangeEnd {
    Row key;
    int fieldCount = 0;
    bool present = false;
  };
  virtual void SetRange(const RangeEnd& low, const RangeEnd& high) = 0;
  virtual void ResetRange() = 0;
};

// Opens tables for the data set: the store behind the engine interface in the
// program, a directory of test tables in tests.
class TableOpener {
 public:
  virtual ~TableOpener() = default;
  virtual std::unique_ptr<TableCursor> Open(const std::string& database,
                                            const std::string& table) = 0;
};

}  // namespace data
