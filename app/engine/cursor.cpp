#include "cursor.h"

#include <algorithm>
#include <vector>

#include "engine.h"
#include "paradox/pdx_codes.h"

namespace engine {

namespace {

Engine& engineOf() {
  return Engine::instance();
}
// The entry points for a cursor's calls, which need the engine started, as
// the cursor's open did. The table of them lives as long as the process (a
// restarted engine binds it again in place), so it is looked up once rather
// than at every call of a scan.
const Api& api() {
  static const Api& entryPoints = Engine::instance().entryPoints();
  return entryPoints;
}
// Most calls succeed: only a failure goes to the engine for its message.
inline void check(pdx_code code) {
  if (code != PDX_OK) Engine::instance().check(code);
}

}  // namespace

Cursor::~Cursor() {
  if (cursor_) close();
}

void Cursor::open(const std::string& database, const std::string& table, int mode) {
  close();
  for (;;) {
    pdx_cursor* opened = nullptr;
    pdx_session* session = engineOf().defaultSession();  // starts the engine
    pdx_code code =
        engineOf().api().pdx_table_open(session, database.c_str(), table.c_str(), mode, &opened);
    if (code == PDX_OK) {
      cursor_ = opened;
      engineOf().attach(this);
      // A table's record layout is fixed while it is open: the record size is
      // asked once here, not on every value read.
      recordSize_ = info().record_size;
      return;
    }
    // Taken before the prompt, whose own engine calls replace the last error.
    EngineError error = engineOf().errorFor(code);
    if (code != PDX_ERR_PASSWORD_REQUIRED || !engineOf().askPassword(table)) throw error;
  }
}

// Closing never throws: it runs from destructors and from the shutdown.
void Cursor::close() {
  if (!cursor_) return;
  engineOf().detach(this);
  if (engineOf().started()) engineOf().api().pdx_cursor_close(cursor_);
  cursor_ = nullptr;
  recordSize_ = 0;
}

pdx_cursor* Cursor::handle() {
  if (!cursor_) check(PDX_ERR_INVALID_HANDLE);
  return cursor_;
}

pdx_cursor_info Cursor::info() {
  pdx_cursor_info info{};
  check(api().pdx_cursor_info_get(handle(), &info));
  return info;
}

pdx_field_desc Cursor::fieldDesc(int fieldNumber) {
  pdx_field_desc desc{};
  check(api().pdx_field_desc_get(handle(), fieldNumber, &desc));
  return desc;
}

int Cursor::checkCount() {
  int count = 0;
  check(api().pdx_check_count(handle(), &count));
  return count;
}

pdx_check_desc Cursor::checkDesc(int index) {
  pdx_check_desc desc{};
  check(api().pdx_check_desc_get(handle(), index, &desc));
  return desc;
}

void Cursor::setToBegin() {
  check(api().pdx_set_to_begin(handle()));
}
void Cursor::setToEnd() {
  check(api().pdx_set_to_end(handle()));
}

bool Cursor::next(void* record) {
  pdx_code code = api().pdx_next(handle(), record);
  if (code == PDX_ERR_EOF) return false;
  check(code);
  return true;
}

bool Cursor::prior(void* record) {
  pdx_code code = api().pdx_prior(handle(), record);
  if (code == PDX_ERR_BOF) return false;
  check(code);
  return true;
}

void Cursor::getRecord(void* record) {
  check(api().pdx_get_record(handle(), record));
}

void Cursor::setToRecordNumber(int64_t number) {
  check(api().pdx_set_to_record_number(handle(), number));
}

int64_t Cursor::recordNumber() {
  int64_t number = 0;
  check(api().pdx_get_record_number(handle(), &number));
  return number;
}

int64_t Cursor::recordCount() {
  int64_t count = 0;
  check(api().pdx_get_record_count(handle(), &count));
  return count;
}

bool Cursor::findNearest(const void* record, int fieldCount, int prefixLength) {
  pdx_code code = api().pdx_find_nearest(handle(), record, fieldCount, prefixLength);
  if (code == PDX_ERR_EOF) return false;
  check(code);
  return true;
}

void Cursor::setRange(const void* low, int lowFields, int lowPrefix, bool lowInclusive,
                      const void* high, int highFields, int highPrefix, bool highInclusive) {
  check(api().pdx_set_range(handle(), low, lowFields, lowPrefix, lowInclusive ? 1 : 0, high,
                            highFields, highPrefix, highInclusive ? 1 : 0));
}

void Cursor::resetRange() {
  check(api().pdx_reset_range(handle()));
}

int Cursor::bookmarkSize() {
  int size = 0;
  check(api().pdx_bookmark_size(handle(), &size));
  return size;
}

void Cursor::getBookmark(void* bookmark) {
  check(api().pdx_get_bookmark(handle(), bookmark));
}

void Cursor::setToBookmark(const void* bookmark) {
  check(api().pdx_set_to_bookmark(handle(), bookmark));
}

int Cursor::compareBookmarks(const void* a, const void* b) {
  int order = 0;
  check(api().pdx_compare_bookmarks(handle(), a, b, &order));
  return order;
}

void Cursor::refresh() {
  ++changes_;
  check(api().pdx_refresh(handle()));
}

bool Cursor::isBlank(const void* record, int fieldNumber) {
  int blank = 0;
  check(api().pdx_is_blank(handle(), record, fieldNumber, &blank));
  return blank != 0;
}

std::string Cursor::text(const void* record, int fieldNumber) {
  std::vector<char> buffer(256);
  size_t length = 0;
  check(api().pdx_get_text(handle(), record, fieldNumber, buffer.data(), buffer.size(), &length));
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    check(api().pdx_get_text(handle(), record, fieldNumber, buffer.data(), buffer.size(), &length));
  }
  return std::string(buffer.data(), length);
}

std::optional<int64_t> Cursor::intValue(const void* record, int fieldNumber) {
  int64_t value = 0;
  int blank = 0;
  check(api().pdx_get_int(handle(), record, fieldNumber, &value, &blank));
  if (blank) return std::nullopt;
  return value;
}

std::optional<double> Cursor::doubleValue(const void* record, int fieldNumber) {
  double value = 0;
  int blank = 0;
  check(api().pdx_get_double(handle(), record, fieldNumber, &value, &blank));
  if (blank) return std::nullopt;
  return value;
}

std::string Cursor::bytes(const void* record, int fieldNumber) {
  std::string value;
  bytes(record, fieldNumber, static_cast<size_t>(recordSize_), value);
  return value;
}

void Cursor::bytes(const void* record, int fieldNumber, size_t fieldLength, std::string& into) {
  into.resize(fieldLength);
  size_t length = 0;
  check(api().pdx_get_bytes(handle(), record, fieldNumber, into.data(), into.size(), &length));
  into.resize(std::min(length, into.size()));
}

size_t Cursor::blobSize(const void* record, int fieldNumber) {
  size_t size = 0;
  check(api().pdx_blob_size(handle(), record, fieldNumber, &size));
  return size;
}

std::string Cursor::blob(const void* record, int fieldNumber) {
  std::string data(blobSize(record, fieldNumber), '\0');
  size_t read = 0;
  if (!data.empty()) {
    check(api().pdx_blob_read(handle(), record, fieldNumber, 0, data.data(), data.size(), &read));
  }
  data.resize(read);
  return data;
}

void Cursor::initRecord(void* record) {
  check(api().pdx_init_record(handle(), record));
}

void Cursor::putBlank(void* record, int fieldNumber) {
  check(api().pdx_put_blank(handle(), record, fieldNumber));
}

void Cursor::putText(void* record, int fieldNumber, std::string_view text) {
  // The store reads up to length; the copy gives it a terminated string too.
  std::string copy(text);
  check(api().pdx_put_text(handle(), record, fieldNumber, copy.c_str(), copy.size()));
}

void Cursor::putInt(void* record, int fieldNumber, int64_t value) {
  check(api().pdx_put_int(handle(), record, fieldNumber, value));
}

void Cursor::putDouble(void* record, int fieldNumber, double value) {
  check(api().pdx_put_double(handle(), record, fieldNumber, value));
}

void Cursor::putBytes(void* record, int fieldNumber, std::string_view data) {
  check(api().pdx_put_bytes(handle(), record, fieldNumber, data.data(), data.size()));
}

void Cursor::blobWrite(void* record, int fieldNumber, std::string_view data) {
  check(api().pdx_blob_write(handle(), record, fieldNumber, data.data(), data.size()));
}

void Cursor::lockRecord(void* record) {
  // Taking a lock reads the table afresh.
  ++changes_;
  check(api().pdx_lock_record(handle(), record));
}
void Cursor::unlockRecord() {
  check(api().pdx_unlock_record(handle()));
}
void Cursor::insertRecord(const void* record) {
  ++changes_;
  check(api().pdx_insert_record(handle(), record));
}
void Cursor::modifyRecord(const void* record) {
  ++changes_;
  check(api().pdx_modify_record(handle(), record));
}
void Cursor::deleteRecord() {
  ++changes_;
  check(api().pdx_delete_record(handle()));
}

}  // namespace engine
