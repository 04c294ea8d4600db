// Entry points for the engine, its errors, sessions, aliases and tables.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "api_state.h"
#include "api_write.h"
#include "engine_config.h"
#include "error_context.h"
#include "file_system.h"
#include "pdx_codes.h"

namespace pdx::api {
namespace {

// A program may call the interface from its own static destructors, which run
// after this thread's thread-local objects are gone; the flag (trivially
// destructible, so it outlives them) keeps those late calls off freed memory.
thread_local bool last_error_gone = false;
struct LastError {
  pdx_code code = PDX_OK;
  std::string text;
  ~LastError() { last_error_gone = true; }
};
thread_local LastError last_error;

pdx_code CopyText(const std::string& text, char* out, size_t size) {
  if (out == nullptr || size == 0) return PDX_ERR_INVALID_PARAMETER;
  CopyTruncated(text, out, size);
  return PDX_OK;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The directory of a database argument: a path when it holds a '/', else an
// alias, whose configured code page lands in *code_page when asked for.
pdx_code DatabaseDirectory(const char* database, std::string* directory, int* code_page = nullptr) {
  if (database == nullptr || *database == '\0') {
    *directory = ".";
    return PDX_OK;
  }
  if (std::strchr(database, '/') != nullptr) {
    *directory = database;
  } else {
    const EngineConfig config = LoadEngineConfig();
    *directory = config.AliasPath(database);
    if (code_page != nullptr) *code_page = config.AliasCodePage(database);
    if (directory->empty())
      return Fail(PDX_ERR_UNKNOWN_DATABASE, std::string("Alias: ") + database);
  }
  if (!IsDirectory(*directory)) {
    AddErrorContext(PDX_ERR_UNKNOWN_DATABASE, std::string("Database: ") + database);
    return Fail(PDX_ERR_UNKNOWN_DATABASE, "Directory does not exist: " + *directory);
  }
  return PDX_OK;
}

}  // namespace

EngineState engine_state;

pdx_code KeepLastError(pdx_code code) {
  if (last_error_gone) return code;
  last_error.code = code;
  last_error.text = CodeText(code);
  for (const std::string& line : ErrorContext()) last_error.text += "\n" + line;
  return code;
}

pdx_code Fail(pdx_code code, const std::string& context) {
  return AddErrorContext(code, context);
}

bool ValidSession(pdx_session* session) {
  return session != nullptr && State().sessions.count(session) != 0;
}

bool IsLiveCursor(pdx_cursor* cursor) {
  EngineState& state = State();
  if (cursor == nullptr || state.cursors.count(cursor) == 0) return false;
  state.last_checked = cursor;
  return true;
}

void CloseCursor(pdx_cursor* cursor) {
  EngineState& state = State();
  state.cursors.erase(cursor);
  cursor->session->cursors.erase(cursor);
  if (state.last_checked == cursor) state.last_checked = nullptr;
  delete cursor;
}

void CloseSession(pdx_session* session) {
  while (!session->cursors.empty()) CloseCursor(*session->cursors.begin());
  State().sessions.erase(session);
  delete session;
}

}  // namespace pdx::api

using namespace pdx;
using namespace pdx::api;

extern "C" {

pdx_code pdx_init(uint16_t version, const char* language) {
  Begin();
  if (version == 0 || version > PDX_INTERFACE_VERSION)
    return Finish(Fail(PDX_ERR_INTERFACE_VERSION, "Requested version: " + std::to_string(version)));
  (void)language;  // every text of the engine is English
  if (State().started) return Finish(PDX_ERR_ALREADY_INITIALIZED);
  State().started = true;
  return PDX_OK;
}

pdx_code pdx_exit(void) {
  Begin();
  EngineState& state = State();
  if (!state.started) return Finish(PDX_ERR_NOT_INITIALIZED);
  while (!state.sessions.empty()) CloseSession(*state.sessions.begin());
  state.started = false;
  return PDX_OK;
}

pdx_code pdx_last_error(pdx_code* code, char* text, size_t size) {
  if (last_error_gone) return PDX_ERR_NOT_INITIALIZED;
  if (code != nullptr) *code = last_error.code;
  if (text == nullptr) return PDX_OK;
  return CopyText(last_error.text, text, size);
}

pdx_code pdx_code_text(pdx_code code, char* text, size_t size) {
  return CopyText(CodeText(code), text, size);
}

pdx_code pdx_session_open(const char* name, pdx_session** session) {
  Begin();
  if (session == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  if (!State().started) return Finish(PDX_ERR_NOT_INITIALIZED);
  auto* opened = new pdx_session;
  opened->name = name != nullptr ? name : "";
  State().sessions.insert(opened);
  *session = opened;
  return PDX_OK;
}

pdx_code pdx_session_close(pdx_session* session) {
  Begin();
  if (!ValidSession(session)) return Finish(PDX_ERR_INVALID_HANDLE);
  CloseSession(session);
  return PDX_OK;
}

pdx_code pdx_session_add_password(pdx_session* session, const char* password) {
  Begin();
  if (!ValidSession(session)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (password == nullptr || *password == '\0') return Finish(PDX_ERR_INVALID_PASSWORD);
  session->passwords.emplace_back(password);
  return PDX_OK;
}

pdx_code pdx_session_remove_password(pdx_session* session, const char* password) {
  Begin();
  if (!ValidSession(session)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (password == nullptr) return Finish(PDX_ERR_INVALID_PASSWORD);
  std::erase(session->passwords, std::string(password));
  return PDX_OK;
}

pdx_code pdx_session_remove_all_passwords(pdx_session* session) {
  Begin();
  if (!ValidSession(session)) return Finish(PDX_ERR_INVALID_HANDLE);
  session->passwords.clear();
  return PDX_OK;
}

pdx_code pdx_alias_path(pdx_session* session, const char* alias, char* path, size_t size) {
  Begin();
  if (!ValidSession(session)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (alias == nullptr || path == nullptr || size == 0) return Finish(PDX_ERR_INVALID_PARAMETER);
  const std::string directory = LoadEngineConfig().AliasPath(alias);
  if (directory.empty())
    return Finish(Fail(PDX_ERR_UNKNOWN_DATABASE, std::string("Alias: ") + alias));
  return Finish(CopyText(directory, path, size));
}

pdx_code pdx_table_open(pdx_session* session, const char* database, const char* table, int mode,
                        pdx_cursor** cursor) {
  Begin();
  if (!ValidSession(session)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (table == nullptr || cursor == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  std::string directory;
  int configured_code_page = 0;
  if (pdx_code rc = DatabaseDirectory(database, &directory, &configured_code_page); rc != PDX_OK)
    return Finish(rc);
  Table::Options options;
  options.write = (mode & PDX_OPEN_READ_WRITE) != 0;
  options.exclusive = (mode & PDX_OPEN_EXCLUSIVE) != 0;
  options.passwords = session->passwords;
  std::unique_ptr<Table> opened;
  if (pdx_code rc = Table::Open(FileSystem::Default(), directory, table, options, &opened);
      rc != PDX_OK)
    return Finish(rc);
  auto* handle = new pdx_cursor;
  handle->session = session;
  handle->table = std::move(opened);
  handle->configured_code_page = configured_code_page;
  handle->fields = &handle->table->fields();
  handle->cursor = std::make_unique<Cursor>(handle->table.get());
  session->cursors.insert(handle);
  State().cursors.insert(handle);
  *cursor = handle;
  return PDX_OK;
}

pdx_code pdx_cursor_close(pdx_cursor* cursor) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  CloseCursor(cursor);
  return PDX_OK;
}

pdx_code pdx_table_create(pdx_session* session, const char* database, const char* table,
                          const char* schema) {
  Begin();
  if (!ValidSession(session)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (table == nullptr || schema == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  std::string directory;
  if (pdx_code rc = DatabaseDirectory(database, &directory); rc != PDX_OK) return Finish(rc);
  return Finish(CreateTableFromSchema(directory, table, schema));
}

pdx_code pdx_table_delete(pdx_session* session, const char* database, const char* table) {
  Begin();
  if (!ValidSession(session)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (table == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  std::string directory;
  if (pdx_code rc = DatabaseDirectory(database, &directory); rc != PDX_OK) return Finish(rc);
  return Finish(DeleteTableFiles(directory, table));
}

}  // extern "C"
