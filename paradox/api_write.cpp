// Entry points that change tables: row locks, insert, modify, delete, and
// the creating and deleting of tables.
// The entry points' declarations must come first (see api_state.h).
#include "api_state.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "api_write.h"
#include "create_table.h"
#include "error_context.h"
#include "locking.h"
#include "pdx_codes.h"
#include "record_checks.h"
#include "schema.h"
#include "table_files.h"

using namespace pdx;
using namespace pdx::api;

namespace {

// The writer of the cursor's table, made on first need.
pdx_code Writer(pdx_cursor* cursor, TableWriter** writer) {
  Table* table = cursor->table.get();
  if (table->read_only()) {
    if (!table->write_refusal().empty())
      AddErrorContext(PDX_ERR_TABLE_READ_ONLY, table->write_refusal());
    return Fail(PDX_ERR_TABLE_READ_ONLY, "Table: " + table->path());
  }
  if (!cursor->writer) {
    std::string error;
    if (pdx_code rc =
            TableWriter::Open(FileSystem::Default(), table->path(), &cursor->writer, &error);
        rc != PDX_OK)
      return Fail(rc, error);
    // For measurements only: a crash may then lose or tear the last changes.
    if (const char* no_sync = std::getenv("PDX_NO_SYNC"); no_sync && *no_sync == '1')
      cursor->writer->set_sync(false);
  }
  *writer = cursor->writer.get();
  return PDX_OK;
}

pdx_code WriterFailure(pdx_cursor* cursor, pdx_code rc) {
  const std::string error = cursor->writer->last_error();
  if (!error.empty() && error != CodeText(rc)) AddErrorContext(rc, error);
  return Fail(rc, "Table: " + cursor->table->path());
}

// A row's lock byte: by its key, or by all its bytes in an unkeyed table.
uint64_t RowLockOf(pdx_cursor* cursor, const uint8_t* record) {
  const TableHeader& h = cursor->table->header();
  const size_t length = h.key_fields > 0 ? h.KeyLength() : h.record_size;
  return RowLockOffset(record, length);
}

pdx_code CheckValues(pdx_cursor* cursor, const uint8_t* record) {
  const std::vector<FieldCheck>* checks = nullptr;
  if (pdx_code rc = cursor->table->Checks(&checks); rc != PDX_OK) return rc;
  std::string field;
  if (pdx_code rc = CheckRecord(cursor->table->fields(), *checks, record, &field); rc != PDX_OK)
    return Fail(rc, "Field: " + field);
  return PDX_OK;
}

// The writer and a checked copy of the caller's row, shared by insert and modify.
pdx_code PrepareRow(pdx_cursor* cursor, const void* record, TableWriter** writer,
                    std::vector<uint8_t>* row) {
  if (record == nullptr) return PDX_ERR_INVALID_PARAMETER;
  if (pdx_code rc = Writer(cursor, writer); rc != PDX_OK) return rc;
  const auto* bytes = static_cast<const uint8_t*>(record);
  row->assign(bytes, bytes + cursor->cursor->record_size());
  return CheckValues(cursor, row->data());
}

// The current row and its record number for the writer.
pdx_code CurrentRow(pdx_cursor* cursor, TableWriter* writer, std::vector<uint8_t>* row,
                    int64_t* number) {
  row->resize(cursor->cursor->record_size());
  if (pdx_code rc = cursor->cursor->GetRecord(row->data()); rc != PDX_OK) return rc;
  if (cursor->table->header().key_fields > 0) {
    bool found = false;
    if (pdx_code rc = writer->Locate(row->data(), number, &found); rc != PDX_OK)
      return WriterFailure(cursor, rc);
    // Another program deleted the row since this one read it.
    return found ? PDX_OK : PDX_ERR_RECORD_NOT_FOUND;
  }
  return cursor->cursor->GetRecordNumber(number);
}

// Takes the row's lock for the length of one change, unless the cursor
// holds it already; another program's lock refuses the change.
pdx_code HoldRowForChange(pdx_cursor* cursor, TableWriter* writer, uint64_t lock, bool* taken) {
  *taken = false;
  if (cursor->row_lock == lock) return PDX_OK;
  if (pdx_code rc = LockRow(writer->data_file(), lock); rc != PDX_OK)
    return Fail(rc, "Table: " + cursor->table->path());
  *taken = true;
  return PDX_OK;
}

void ReleaseRow(pdx_cursor* cursor, TableWriter* writer, uint64_t lock) {
  UnlockRow(writer->data_file(), lock);
  if (cursor->row_lock == lock) cursor->row_lock = 0;
}

// Puts the cursor on the row with record's key (keyed) or on row number,
// after the writer's change.
pdx_code Follow(pdx_cursor* cursor, const uint8_t* record, int64_t number) {
  if (pdx_code rc = cursor->cursor->Refresh(cursor->writer->last_change()); rc != PDX_OK) return rc;
  const TableHeader& h = cursor->table->header();
  if (h.key_fields > 0) {
    // Past the last row is a place too: after deleting the last row.
    pdx_code rc = cursor->cursor->FindNearest(record, h.key_fields, 0);
    return rc == PDX_ERR_EOF ? pdx_code{PDX_OK} : rc;
  }
  int64_t count = 0;
  if (pdx_code rc = cursor->cursor->GetRecordCount(&count); rc != PDX_OK) return rc;
  if (number > count) return cursor->cursor->SetToEnd();
  return cursor->cursor->SetToRecordNumber(number);
}

}  // namespace

namespace pdx::api {

pdx_code CreateTableFromSchema(const std::string& directory, const std::string& table,
                               const std::string& schema_text) {
  TableSchema schema;
  std::string error;
  if (pdx_code rc = ParseSchema(schema_text, &schema, &error); rc != PDX_OK) return Fail(rc, error);
  if (pdx_code rc = CreateTable(FileSystem::Default(), directory, TableStem(table), schema, &error);
      rc != PDX_OK)
    return Fail(rc, error);
  return PDX_OK;
}

pdx_code DeleteTableFiles(const std::string& directory, const std::string& table) {
  FileSystem* fs = FileSystem::Default();
  const std::string stem = TableStem(table);
  const std::string path = FindFileNoCase(fs, directory, stem + kDataExtension);
  if (path.empty())
    return Fail(PDX_ERR_TABLE_NOT_FOUND, "Table: " + JoinPath(directory, stem + kDataExtension));
  // A program that has the table open would go on reading, and writing, files
  // that no longer have a name: its changes would be lost without a word.
  std::unique_ptr<File> in_use;
  if (pdx_code rc = fs->Open(path, OpenMode::kReadWrite, &in_use); rc != PDX_OK)
    return Fail(rc, "Table: " + path);
  if (pdx_code rc = LockTableOpen(in_use.get(), true); rc != PDX_OK)
    return Fail(rc, "Table: " + path);
  std::vector<std::string> names;
  if (pdx_code rc = ListTableFiles(fs, directory, stem, &names); rc != PDX_OK) return rc;
  // The data file goes last, so an interrupted delete leaves a table whose
  // companions are missing rather than companions without a table.
  std::string data_file;
  for (const std::string& name : names) {
    if (strcasecmp(name.c_str() + stem.size(), kDataExtension) == 0) {
      data_file = name;
      continue;
    }
    if (pdx_code rc = fs->Remove(JoinPath(directory, name)); rc != PDX_OK)
      return Fail(rc, "File: " + JoinPath(directory, name));
  }
  if (pdx_code rc = fs->Remove(JoinPath(directory, data_file)); rc != PDX_OK)
    return Fail(rc, "File: " + JoinPath(directory, data_file));
  return fs->SyncDirectory(directory);
}

}  // namespace pdx::api

extern "C" {

pdx_code pdx_lock_record(pdx_cursor* cursor, void* record) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  TableWriter* writer = nullptr;
  if (pdx_code rc = Writer(cursor, &writer); rc != PDX_OK) return Finish(rc);
  // The row as it is now, not as this cursor last saw it; a row deleted
  // since answers that it is gone rather than lock its neighbour.
  if (pdx_code rc = cursor->cursor->Reread(); rc != PDX_OK) return Finish(rc);
  std::vector<uint8_t> row(cursor->cursor->record_size());
  if (pdx_code rc = cursor->cursor->GetRecord(row.data()); rc != PDX_OK) return Finish(rc);
  const uint64_t lock = RowLockOf(cursor, row.data());
  if (cursor->row_lock != 0 && cursor->row_lock != lock)
    ReleaseRow(cursor, writer, cursor->row_lock);
  if (pdx_code rc = LockRow(writer->data_file(), lock); rc != PDX_OK)
    return Finish(Fail(rc, "Table: " + cursor->table->path()));
  cursor->row_lock = lock;
  if (record != nullptr) {
    cursor->pending_blobs.DropBuffer(record);
    std::memcpy(record, row.data(), row.size());
  }
  return PDX_OK;
}

pdx_code pdx_unlock_record(pdx_cursor* cursor) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (cursor->row_lock != 0 && cursor->writer)
    ReleaseRow(cursor, cursor->writer.get(), cursor->row_lock);
  cursor->row_lock = 0;
  return PDX_OK;
}

pdx_code pdx_insert_record(pdx_cursor* cursor, const void* record) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  TableWriter* writer = nullptr;
  std::vector<uint8_t> row;
  if (pdx_code rc = PrepareRow(cursor, record, &writer, &row); rc != PDX_OK) return Finish(rc);
  int64_t number = 0;
  const bool keyed = cursor->table->header().key_fields > 0;
  if (pdx_code rc = writer->Insert(row.data(), keyed ? nullptr : &number, &cursor->pending_blobs);
      rc != PDX_OK)
    return Finish(WriterFailure(cursor, rc));
  cursor->pending_blobs.DropStored(cursor->table->fields(), static_cast<const uint8_t*>(record));
  return Finish(Follow(cursor, row.data(), number));
}

pdx_code pdx_modify_record(pdx_cursor* cursor, const void* record) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  TableWriter* writer = nullptr;
  std::vector<uint8_t> row;
  if (pdx_code rc = PrepareRow(cursor, record, &writer, &row); rc != PDX_OK) return Finish(rc);
  std::vector<uint8_t> old;
  int64_t number = 0;
  if (pdx_code rc = CurrentRow(cursor, writer, &old, &number); rc != PDX_OK) return Finish(rc);
  const uint64_t lock = RowLockOf(cursor, old.data());
  bool taken = false;
  if (pdx_code rc = HoldRowForChange(cursor, writer, lock, &taken); rc != PDX_OK) return Finish(rc);
  int64_t moved_to = number;
  const bool keyed = cursor->table->header().key_fields > 0;
  pdx_code rc =
      writer->Modify(number, row.data(), keyed ? nullptr : &moved_to, &cursor->pending_blobs);
  if (rc != PDX_OK) {
    // A refused post keeps the edit, and with it the row lock.
    if (taken) UnlockRow(writer->data_file(), lock);
    return Finish(WriterFailure(cursor, rc));
  }
  ReleaseRow(cursor, writer, lock);
  cursor->pending_blobs.DropStored(cursor->table->fields(), static_cast<const uint8_t*>(record));
  return Finish(Follow(cursor, row.data(), moved_to));
}

pdx_code pdx_delete_record(pdx_cursor* cursor) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  TableWriter* writer = nullptr;
  if (pdx_code rc = Writer(cursor, &writer); rc != PDX_OK) return Finish(rc);
  std::vector<uint8_t> old;
  int64_t number = 0;
  if (pdx_code rc = CurrentRow(cursor, writer, &old, &number); rc != PDX_OK) return Finish(rc);
  const uint64_t lock = RowLockOf(cursor, old.data());
  bool taken = false;
  if (pdx_code rc = HoldRowForChange(cursor, writer, lock, &taken); rc != PDX_OK) return Finish(rc);
  pdx_code rc = writer->Delete(number);
  ReleaseRow(cursor, writer, lock);
  if (rc != PDX_OK) return Finish(WriterFailure(cursor, rc));
  // The row after the deleted one: the next key, or the same number.
  return Finish(Follow(cursor, old.data(), number));
}

}  // extern "C"
