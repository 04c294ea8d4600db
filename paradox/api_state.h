// What stands behind the interface's opaque handles, and the bookkeeping
// every entry point shares: the engine's started flag, the live handles (so a
// stale or foreign handle answers PDX_ERR_INVALID_HANDLE instead of being
// used), and the last error of the thread.
#pragma once

// The library is built with hidden visibility; the entry points alone are
// exported, so their declarations must be seen first under default
// visibility, before any other header brings pdx.h in.
#pragma GCC visibility push(default)
#include "pdx.h"
#pragma GCC visibility pop

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "cursor.h"
#include "error_context.h"
#include "pdx_codes.h"
#include "pending_blobs.h"
#include "table.h"
#include "table_writer.h"

struct pdx_session {
  std::string name;
  std::vector<std::string> passwords;
  std::unordered_set<pdx_cursor*> cursors;
};

struct pdx_cursor {
  pdx_session* session = nullptr;
  std::unique_ptr<pdx::Table> table;
  int configured_code_page = 0;  // the alias's CODEPAGE= setting, 0 for none
  // The table's fields (the same vector for the table's life), one step
  // nearer for the value calls, which look a field up every time.
  const std::vector<pdx::Field>* fields = nullptr;
  std::unique_ptr<pdx::Cursor> cursor;
  std::string text;                          // scratch space for values turned into text
  std::unique_ptr<pdx::TableWriter> writer;  // made by the first write
  uint64_t row_lock = 0;                     // the row lock held, 0 for none
  // Long values put into record buffers, until an insert or modify stores them.
  pdx::PendingBlobs pending_blobs;
};

namespace pdx::api {

struct EngineState {
  bool started = false;
  std::unordered_set<pdx_session*> sessions;
  std::unordered_set<pdx_cursor*> cursors;
  pdx_cursor* last_checked = nullptr;  // the common case: one cursor used many times in a row
};
extern EngineState engine_state;
inline EngineState& State() {
  return engine_state;
}

// Every entry point starts with Begin() and passes its result through
// Finish(), which keeps the code and its context for pdx_last_error. A scan
// makes several calls per row, so the bookkeeping they share is inline.
inline void Begin() {
  ClearErrorContext();
}
pdx_code KeepLastError(pdx_code code);
inline pdx_code Finish(pdx_code code) {
  return code == PDX_OK ? code : KeepLastError(code);
}
pdx_code Fail(pdx_code code, const std::string& context);

bool ValidSession(pdx_session* session);
bool IsLiveCursor(pdx_cursor* cursor);
inline bool ValidCursor(pdx_cursor* cursor) {
  return (cursor != nullptr && cursor == engine_state.last_checked) || IsLiveCursor(cursor);
}
void CloseCursor(pdx_cursor* cursor);

// The field (1-based) of the cursor's table, or null.
inline const Field* FieldOf(pdx_cursor* cursor, int field_number) {
  const std::vector<Field>& fields = *cursor->fields;
  if (field_number < 1 || field_number > static_cast<int>(fields.size())) return nullptr;
  return &fields[field_number - 1];
}

// Copies text into a caller's buffer of size bytes (size > 0): cut to fit,
// always ended by a zero byte.
inline void CopyTruncated(const std::string& text, char* out, size_t size) {
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

}  // namespace pdx::api
