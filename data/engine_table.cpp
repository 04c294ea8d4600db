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
      lengths_.push_back(static_cast<size_t>(desc.length));
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

  void SetToBegin() override {
    Moved();
    cursor_.setToBegin();
  }
  void SetToEnd() override {
    Moved();
    cursor_.setToEnd();
  }
  bool Next(Row& row) override { return Read(row, &engine::Cursor::next); }
  bool Prior(Row& row) override { return Read(row, &engine::Cursor::prior); }
  bool NextUndecoded(Row& row) override { return Read(row, &engine::Cursor::next, false); }
  FieldValue DecodeField(const Row& row, int fieldNumber) override {
    FieldValue value;
    DecodeInto(row, static_cast<size_t>(fieldNumber - 1), value);
    return value;
  }

  Bookmark GetBookmark() override {
    Bookmark bookmark;
    GetBookmarkInto(bookmark);
    return bookmark;
  }
  void GetBookmarkInto(Bookmark& into) override {
    into.resize(static_cast<size_t>(bookmarkSize_));
    cursor_.getBookmark(into.data());
    StandsOn(into);
  }
  bool GoToBookmark(const Bookmark& bookmark) override {
    if (Standing(bookmark)) return true;
    Moved();
    try {
      cursor_.setToBookmark(bookmark.data());
    } catch (const engine::EngineError& error) {
      if (error.code() == PDX_ERR_RECORD_NOT_FOUND || error.code() == PDX_ERR_NO_CURRENT_RECORD)
        return false;
      throw;
    }
    StandsOn(bookmark);
    return true;
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
    Moved();
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
    Moved();
    std::string record = Encode(row);
    cursor_.insertRecord(record.data());
  }
  void Modify(const Row& row) override {
    Moved();
    std::string record = Encode(row);
    cursor_.modifyRecord(record.data());
  }
  void Delete() override {
    Moved();
    cursor_.deleteRecord();
  }
  void Refresh() override {
    Moved();
    cursor_.refresh();
  }

  bool FindNearest(const Row& key, int fieldCount) override {
    Moved();
    std::string record = Encode(key);
    return cursor_.findNearest(record.data(), fieldCount, 0);
  }
  void SetRange(const RangeEnd& low, const RangeEnd& high) override {
    Moved();
    std::string lowRecord = low.present ? Encode(low.key) : std::string();
    std::string highRecord = high.present ? Encode(high.key) : std::string();
    cursor_.setRange(low.present ? lowRecord.data() : nullptr, low.fieldCount, 0, true,
                     high.present ? highRecord.data() : nullptr, high.fieldCount, 0, true);
  }
  void ResetRange() override {
    Moved();
    cursor_.resetRange();
  }

 private:
  // Where the engine's cursor stands, when known: the bookmark last taken or
  // gone to, until the cursor moves or a row of any table changes through the
  // engine. A window that moves row by row goes to its last row's bookmark
  // before every read; standing there already, the cursor stays as it is.
  void Moved() { position_.known = false; }
  void StandsOn(const Bookmark& bookmark) {
    position_.bookmark = bookmark;
    position_.changes = engine::Cursor::changeCount();
    position_.known = true;
  }
  bool Standing(const Bookmark& bookmark) const {
    return position_.known && position_.changes == engine::Cursor::changeCount() &&
           position_.bookmark == bookmark;
  }

  bool Read(Row& row, bool (engine::Cursor::*move)(void*), bool decode = true) {
    Moved();
    row.record.resize(static_cast<size_t>(info_.record_size));
    if (!(cursor_.*move)(row.record.data())) return false;
    if (decode) Decode(row);
    return true;
  }

  // Rows are read one after another into the same buffers: each value is
  // decoded over the one before it, so that a text keeps its storage.
  void Decode(Row& row) {
    row.values.resize(fields_.size());
    for (size_t i = 0; i < fields_.size(); ++i) DecodeInto(row, i, row.values[i]);
  }

  void DecodeInto(const Row& row, size_t index, FieldValue& value) {
    const FieldDef& field = fields_[index];
    const void* record = row.record.data();
    switch (field.storeType) {
      case 'A':
      case 'Y': {
        // The stored bytes without their zero padding: none left is blank.
        std::string* text = std::get_if<std::string>(&value);
        if (!text) text = &value.emplace<std::string>();
        cursor_.bytes(record, field.number, lengths_[index], *text);
        if (text->empty()) value = FieldValue{};
        return;
      }
      case 'N':
      case '$':
      case '#':
        if (auto number = cursor_.doubleValue(record, field.number)) {
          value = *number;
          return;
        }
        break;
      case '@':
        if (auto stamp = cursor_.doubleValue(record, field.number)) {
          value = static_cast<int64_t>(*stamp);
          return;
        }
        break;
      case 'M':
      case 'B':
      case 'F':
      case 'O':
      case 'G':
        if (!cursor_.isBlank(record, field.number)) {
          value = UnreadBlob{};
          return;
        }
        break;
      default:
        if (auto integer = cursor_.intValue(record, field.number)) {
          value = *integer;
          return;
        }
    }
    value = FieldValue{};
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
  std::vector<size_t> lengths_;  // of each field in the record, by field number - 1
  int bookmarkSize_ = 0;
  struct {
    Bookmark bookmark;
    std::uint64_t changes = 0;
    bool known = false;
  } position_;
};

}  // namespace

std::unique_ptr<TableCursor> EngineTableOpener::Open(const std::string& database,
                                                     const std::string& table) {
  return std::make_unique<EngineTableCursor>(database, table);
}

}  // namespace data
