// Entry points for describing a table and moving a cursor over it.
#include <algorithm>
#include <cstring>

#include "api_state.h"
#include "error_context.h"
#include "pdx_codes.h"

using namespace pdx;
using namespace pdx::api;

namespace {

Cursor::Bound MakeBound(pdx_cursor* cursor, const void* key, int fields, int prefix,
                        int inclusive) {
  Cursor::Bound bound;
  if (key != nullptr) {
    const auto* bytes = static_cast<const uint8_t*>(key);
    bound.key.assign(bytes, bytes + cursor->cursor->record_size());
  }
  bound.fields = fields;
  bound.prefix = prefix;
  bound.inclusive = inclusive != 0;
  return bound;
}

}  // namespace

extern "C" {

pdx_code pdx_cursor_info_get(pdx_cursor* cursor, pdx_cursor_info* info) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (info == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  if (pdx_code rc = cursor->cursor->Sync(); rc != PDX_OK) return Finish(rc);
  const TableHeader& h = cursor->table->header();
  // Without a range the header's count serves: counting a range, or rows by
  // number, needs the per-block row index, which costs a pass over the
  // primary index on a large table, and opening must not pay for that.
  int64_t count = h.record_count;
  if (cursor->cursor->has_range()) {
    if (pdx_code rc = cursor->cursor->GetRecordCount(&count); rc != PDX_OK) return Finish(rc);
  }
  *info = pdx_cursor_info{};
  info->level = h.Level();
  info->file_type = h.file_type;
  info->record_size = h.record_size;
  info->record_count = count;
  info->block_size = h.BlockSize();
  info->code_page = h.code_page;
  info->encrypted = cursor->table->encrypted() ? 1 : 0;
  info->field_count = h.num_fields;
  info->key_field_count = h.IsKeyed() ? h.key_fields : 0;
  info->next_auto_increment = static_cast<int32_t>(h.auto_increment + 1);
  info->read_only = cursor->table->read_only() ? 1 : 0;
  CopyTruncated(h.sort_order_name, info->sort_order, sizeof info->sort_order);
  CopyTruncated(h.table_name, info->table_name, sizeof info->table_name);
  info->sort_order_code = h.sort_order_code;
  info->configured_code_page = cursor->configured_code_page;
  CopyTruncated(cursor->table->write_refusal(), info->read_only_reason,
                sizeof info->read_only_reason);
  return PDX_OK;
}

pdx_code pdx_field_desc_get(pdx_cursor* cursor, int field_number, pdx_field_desc* desc) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  const Field* field = FieldOf(cursor, field_number);
  if (field == nullptr || desc == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  *desc = pdx_field_desc{};
  desc->number = field_number;
  CopyTruncated(field->name, desc->name, sizeof desc->name);
  desc->type = FieldTypeLetter(field->type);
  desc->size = field->DeclaredSize();
  desc->offset = field->offset;
  desc->length = field->length;
  return PDX_OK;
}

pdx_code pdx_set_to_begin(pdx_cursor* cursor) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  return Finish(cursor->cursor->SetToBegin());
}

pdx_code pdx_set_to_end(pdx_cursor* cursor) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  return Finish(cursor->cursor->SetToEnd());
}

pdx_code pdx_next(pdx_cursor* cursor, void* record) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (record != nullptr) cursor->pending_blobs.DropBuffer(record);
  return Finish(cursor->cursor->Next(static_cast<uint8_t*>(record)));
}

pdx_code pdx_prior(pdx_cursor* cursor, void* record) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (record != nullptr) cursor->pending_blobs.DropBuffer(record);
  return Finish(cursor->cursor->Prior(static_cast<uint8_t*>(record)));
}

pdx_code pdx_get_record(pdx_cursor* cursor, void* record) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (record != nullptr) cursor->pending_blobs.DropBuffer(record);
  return Finish(cursor->cursor->GetRecord(static_cast<uint8_t*>(record)));
}

pdx_code pdx_set_to_record_number(pdx_cursor* cursor, int64_t number) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  return Finish(cursor->cursor->SetToRecordNumber(number));
}

pdx_code pdx_get_record_number(pdx_cursor* cursor, int64_t* number) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (number == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  return Finish(cursor->cursor->GetRecordNumber(number));
}

pdx_code pdx_get_record_count(pdx_cursor* cursor, int64_t* count) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (count == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  return Finish(cursor->cursor->GetRecordCount(count));
}

pdx_code pdx_find_nearest(pdx_cursor* cursor, const void* record, int field_count,
                          int prefix_length) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (record == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  return Finish(
      cursor->cursor->FindNearest(static_cast<const uint8_t*>(record), field_count, prefix_length));
}

pdx_code pdx_set_range(pdx_cursor* cursor, const void* low, int low_fields, int low_prefix,
                       int low_inclusive, const void* high, int high_fields, int high_prefix,
                       int high_inclusive) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  return Finish(
      cursor->cursor->SetRange(MakeBound(cursor, low, low_fields, low_prefix, low_inclusive),
                               MakeBound(cursor, high, high_fields, high_prefix, high_inclusive)));
}

pdx_code pdx_reset_range(pdx_cursor* cursor) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  return Finish(cursor->cursor->ResetRange());
}

pdx_code pdx_bookmark_size(pdx_cursor* cursor, int* size) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (size == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  *size = cursor->cursor->BookmarkSize();
  return PDX_OK;
}

pdx_code pdx_get_bookmark(pdx_cursor* cursor, void* bookmark) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (bookmark == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  return Finish(cursor->cursor->GetBookmark(static_cast<uint8_t*>(bookmark)));
}

pdx_code pdx_set_to_bookmark(pdx_cursor* cursor, const void* bookmark) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (bookmark == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  return Finish(cursor->cursor->SetToBookmark(static_cast<const uint8_t*>(bookmark)));
}

pdx_code pdx_compare_bookmarks(pdx_cursor* cursor, const void* a, const void* b, int* order) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (a == nullptr || b == nullptr || order == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  return Finish(cursor->cursor->CompareBookmarks(static_cast<const uint8_t*>(a),
                                                 static_cast<const uint8_t*>(b), order));
}

pdx_code pdx_refresh(pdx_cursor* cursor) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  return Finish(cursor->cursor->Refresh());
}

}  // extern "C"
