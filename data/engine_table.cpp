#include "engine_table.h"

#include <strings.h>

#include <string_view>

#include "app/engine/cursor.h"
#include "app/engine/engine_error.h"
#include "paradox/pdx_codes.h"
#include "table_code_page.h"

namespace data {
namespace {

class EngineTableCursor : public TableCursor {
 public:
  EngineTableCursor(const std::string& database, const std::string& table) {
    cursor_.open(database, table, PDX_OPEN_READ_WRITE);
    info_ = cursor_.info();
    for (int number = 1; number <= info_.field_count; ++number) {
      pdx_field_desc desc = cursor_.fieldDesc(number);
      fields_.push_back({desc.number, desc.name, desc.type, desc.size});
    }
    bookmarkSize_ = cursor_.bookmarkSize();
  }

  const std::vector<FieldDef>& Fields() const override { return fields_; }
  int KeyFieldCount() const override { return info_.key_field_count; }
  // Only the ascii orders compare alpha keys byte by byte; the international
  // and national ones compare letters without regard to case.
  bool CaseInsensitiveKeys() const override {
    std::string_view order = info_.sort_order;
    return !order.empty() && strcasecmp(info_.sort_order, "ascii") != 0 &&
           strcasecmp(info_.sort_order, "DBWINUS0") != 0;
  }
  bool ReadOnly() const override { return info_.read_only != 0; }
  std::string ReadOnlyReason() const override { return info_.read_only_reason; }
  int CodePage() const override {
    return TableCodePage({info_.level, info_.code_page, info_.sort_order, info_.sort_order_code,
                          info_.configured_code_page});
  }

  std::vector<CheckDef> Checks() override {
    std::vector<CheckDef> checks;
    int count = cursor_.checkCount();
    for (int i = 0; i < count; ++i) {
      pdx_check_desc desc = cursor_.checkDesc(i);
      checks.push_back({desc.field_number, desc.required != 0, desc.picture});
    }
    return checks;
  }

  void SetToBegin() override { cursor_.setToBegin(); }
  void SetToEnd() override { cursor_.setToEnd(); }
  bool Next(Row& row) override { return Read(row, &engine::Cursor::next); }
  bool Prior(Row& row) override { return Read(row, &engine::Cursor::prior); }
  bool NextUndecoded(Row& row) override { return Read(row, &engine::Cursor::next, false); }
  FieldValue DecodeField(const Row& row, int fieldNumber) override {
    return DecodeOne(row, fields_.at(static_cast<size_t>(fieldNumber - 1)));
  }

  Bookmark GetBookmark() override {
    Bookmark bookmark(static_cast<size_t>(bookmarkSize_), '\0');
    cursor_.getBookmark(bookmark.data());
    return bookmark;
  }
  bool GoToBookmark(const Bookmark& bookmark) override {
    try {
      cursor_.setToBookmark(bookmark.data());
      return true;
    } catch (const engine::EngineError& error) {
      if (error.code() == PDX_ERR_RECORD_NOT_FOUND || error.code() == PDX_ERR_NO_CURRENT_RECORD)
        return false;
      throw;
    }
  }
  int CompareBookmarks(const Bookmark& a, const Bookmark& b) override {
    return cursor_.compareBookmarks(a.data(), b.data());
  }
  bool Current(Row& row) override {
    row.record.assign(static_cast<size_t>(info_.record_size), '\0');
    try {
      cursor_.getRecord(row.record.data());
    } catch (const engine::EngineError& error) {
      if (error.code() == PDX_ERR_NO_CURRENT_RECORD || error.code() == PDX_ERR_EOF ||
          error.code() == PDX_ERR_BOF)
        return false;
      throw;
    }
    Decode(row);
    return true;
  }
  int64_t RecordNumber() override { return cursor_.recordNumber(); }
  int64_t RecordCount() override { return cursor_.recordCount(); }
  bool GoToRecordNumber(int64_t number) override {
    if (number < 1 || number > cursor_.recordCount()) return false;
    cursor_.setToRecordNumber(number);
    return true;
  }
  std::string ReadBlob(const Row& row, int fieldNumber) override {
    return cursor_.blob(row.record.data(), fieldNumber);
  }

  Row Lock() override {
    Row row;
    row.record.assign(static_cast<size_t>(info_.record_size), '\0');
    cursor_.lockRecord(row.record.data());
    Decode(row);
    return row;
  }
  void Unlock() override { cursor_.unlockRecord(); }
  Row BlankRow() override {
    Row row;
    row.record.assign(static_cast<size_t>(info_.record_size), '\0');
    cursor_.initRecord(row.record.data());
    Decode(row);
    return row;
  }
  void Insert(const Row& row) override {
    std::string record = Encode(row);
    cursor_.insertRecord(record.data());
  }
  void Modify(const Row& row) override {
    std::string record = Encode(row);
    cursor_.modifyRecord(record.data());
  }
  void Delete() override { cursor_.deleteRecord(); }
  void Refresh() override { cursor_.refresh(); }

  bool FindNearest(const Row& key, int fieldCount) override {
    std::string record = Encode(key);
    return cursor_.findNearest(record.data(), fieldCount, 0);
  }
  void SetRange(const RangeEnd& low, const RangeEnd& high) override {
    std::string lowRecord = low.present ? Encode(low.key) : std::string();
    std::string highRecord = high.present ? Encode(high.key) : std::string();
    cursor_.setRange(low.present ? lowRecord.data() : nullptr, low.fieldCount, 0, true,
                     high.present ? highRecord.data() : nullptr, high.fieldCount, 0, true);
  }
  void ResetRange() override { cursor_.resetRange(); }

 private:
  bool Read(Row& row, bool (engine::Cursor::*move)(void*), bool decode = true) {
    row.record.resize(static_cast<size_t>(info_.record_size));
    if (!(cursor_.*move)(row.record.data())) return false;
    if (decode) Decode(row);
    return true;
  }

  void Decode(Row& row) {
    row.values.assign(fields_.size(), FieldValue{});
    for (size_t i = 0; i < fields_.size(); ++i) row.values[i] = DecodeOne(row, fields_[i]);
  }

  FieldValue DecodeOne(const Row& row, const FieldDef& field) {
    const void* record = row.record.data();
    switch (field.storeType) {
      case 'A':
      case 'Y':
        if (!cursor_.isBlank(record, field.number)) return cursor_.bytes(record, field.number);
        break;
      case 'N':
      case '$':
      case '#':
        if (auto number = cursor_.doubleValue(record, field.number)) return *number;
        break;
      case '@':
        if (auto stamp = cursor_.doubleValue(record, field.number))
          return static_cast<int64_t>(*stamp);
        break;
      case 'M':
      case 'B':
      case 'F':
      case 'O':
      case 'G':
        if (!cursor_.isBlank(record, field.number)) return UnreadBlob{};
        break;
      default:
        if (auto integer = cursor_.intValue(record, field.number)) return *integer;
    }
    return FieldValue{};
  }

  // The row's own record bytes carry what the values do not say (blobs not
  // read); every value is then written over them.
  std::string Encode(const Row& row) {
    std::string record = row.record;
    if (record.size() != static_cast<size_t>(info_.record_size)) {
      record.assign(static_cast<size_t>(info_.record_size), '\0');
      cursor_.initRecord(record.data());
    }
    for (size_t i = 0; i < fields_.size() && i < row.values.size(); ++i) {
      const FieldDef& field = fields_[i];
      const FieldValue& value = row.values[i];
      void* buffer = record.data();
      if (std::holds_alternative<UnreadBlob>(value)) continue;
      if (IsBlank(value)) {
        cursor_.putBlank(buffer, field.number);
      } else if (const auto* integer = std::get_if<int64_t>(&value)) {
        if (field.storeType == '@')
          cursor_.putDouble(buffer, field.number, static_cast<double>(*integer));
        else if (field.storeType == 'N' || field.storeType == '$' || field.storeType == '#')
          cursor_.putDouble(buffer, field.number, static_cast<double>(*integer));
        else
          cursor_.putInt(buffer, field.number, *integer);
      } else if (const auto* number = std::get_if<double>(&value)) {
        cursor_.putDouble(buffer, field.number, *number);
      } else if (const auto* text = std::get_if<std::string>(&value)) {
        switch (field.storeType) {
          case 'M':
          case 'B':
          case 'F':
          case 'O':
          case 'G':
            cursor_.blobWrite(buffer, field.number, *text);
            break;
          default:
            cursor_.putBytes(buffer, field.number, *text);
        }
      }
    }
    return record;
  }

  engine::Cursor cursor_;
  pdx_cursor_info info_{};
  std::vector<FieldDef> fields_;
  int bookmarkSize_ = 0;
};

}  // namespace

std::unique_ptr<TableCursor> EngineTableOpener::Open(const std::string& database,
                                                     const std::string& table) {
  return std::make_unique<EngineTableCursor>(database, table);
}

}  // namespace data
