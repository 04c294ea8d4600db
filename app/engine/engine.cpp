#include "engine.h"

#include <vector>

#include "cursor.h"
#include "loader_lock.h"
#include "paradox/pdx_codes.h"
#include "toolkit/ui_services.h"

namespace engine {

namespace {

// The hourglass shows for the whole start, whichever way it ends.
class HourGlass {
 public:
  HourGlass() : previous_(toolkit::ui().cursor()) {
    toolkit::ui().setCursor(toolkit::CursorShape::kHourGlass);
  }
  ~HourGlass() { toolkit::ui().setCursor(previous_); }

 private:
  toolkit::CursorShape previous_;
};

constexpr const char* kLanguage = "0009";

}  // namespace

Engine& Engine::instance() {
  static Engine engine;
  return engine;
}

Engine::~Engine() {
  shutdown();
}

void Engine::start() {
  if (started_) return;
  HourGlass hourGlass;
  pdx_code loaded;
  {
    LoaderLock lock;
    loaded = library_.load(search_, api_);
  }
  if (loaded != PDX_OK) {
    // A refused library is named, so that its owner can fix the permissions.
    std::string message = startupErrorMessage(loaded);
    for (const std::string& refusal : library_.refusals()) message += "\n" + refusal;
    throw EngineError(loaded, message);
  }
  pdx_code init = api_.pdx_init(PDX_INTERFACE_VERSION, kLanguage);
  if (init != PDX_OK && init != PDX_ERR_ALREADY_INITIALIZED) {
    library_.release();
    api_ = Api{};
    throw EngineError(init, startupErrorMessage(init));
  }
  pdx_code opened = api_.pdx_session_open(sessionName_.c_str(), &session_);
  if (opened != PDX_OK) {
    EngineError error = errorFor(opened);
    session_ = nullptr;
    stopAndRelease();
    throw error;
  }
  started_ = true;
}

void Engine::shutdown() {
  if (!started_) return;
  // Copy first: closing a cursor detaches it from the set.
  std::vector<Cursor*> open(cursors_.begin(), cursors_.end());
  for (Cursor* cursor : open) cursor->close();
  api_.pdx_session_close(session_);
  session_ = nullptr;
  stopAndRelease();
}

void Engine::stopAndRelease() {
  api_.pdx_exit();
  library_.release();
  api_ = Api{};
  started_ = false;
}

const Api& Engine::api() {
  start();
  return api_;
}

pdx_session* Engine::defaultSession() {
  start();
  return session_;
}

void Engine::check(pdx_code code) {
  if (code != PDX_OK) throw errorFor(code);
}

EngineError Engine::errorFor(pdx_code code) {
  std::vector<char> text(4096, '\0');
  if (api_.pdx_last_error) {
    pdx_code last = PDX_OK;
    api_.pdx_last_error(&last, text.data(), text.size());
    if (last != code) text.assign(text.size(), '\0');
  }
  if (text[0] == '\0' && api_.pdx_code_text) api_.pdx_code_text(code, text.data(), text.size());
  return EngineError(code, composeErrorMessage(code, text.data()));
}

bool Engine::askPassword(const std::string& tableName) {
  return prompt_ && prompt_->askPassword(tableName, *this);
}

void Engine::addPassword(const std::string& password) {
  check(api().pdx_session_add_password(defaultSession(), password.c_str()));
}

void Engine::removePassword(const std::string& password) {
  check(api().pdx_session_remove_password(defaultSession(), password.c_str()));
}

void Engine::removeAllPasswords() {
  check(api().pdx_session_remove_all_passwords(defaultSession()));
}

std::string Engine::aliasPath(const std::string& alias) {
  std::vector<char> path(4096, '\0');
  check(api().pdx_alias_path(defaultSession(), alias.c_str(), path.data(), path.size()));
  return path.data();
}

void Engine::createTable(const std::string& database, const std::string& table,
                         const std::string& schema) {
  check(api().pdx_table_create(defaultSession(), database.c_str(), table.c_str(), schema.c_str()));
}

void Engine::deleteTable(const std::string& database, const std::string& table) {
  check(api().pdx_table_delete(defaultSession(), database.c_str(), table.c_str()));
}

}  // namespace engine
