// The process's one table engine. It exists from program start with its
// session "Default" named but not started; the first table open loads the
// library, starts the engine and opens the session. Single-threaded, like
// the rest of the program.
#pragma once

#include <set>
#include <string>

#include "api.h"
#include "engine_error.h"
#include "library_loader.h"
#include "password_prompt.h"

namespace engine {

class Cursor;

class Engine : private PasswordKeeper {
 public:
  static Engine& instance();

  const std::string& sessionName() const { return sessionName_; }
  bool started() const { return started_; }
  // Loads and starts the engine if not yet done; throws EngineError with the
  // start-up message when the library or the engine cannot be started.
  void start();
  // Closes every open cursor and the session, stops the engine and releases
  // the library. Starting again later is allowed.
  void shutdown();

  const Api& api();
  // The same table of entry points without starting the engine: its members
  // are null until the start binds them.
  const Api& entryPoints() const { return api_; }
  pdx_session* defaultSession();
  // Where the library was loaded from; empty before the start.
  const std::string& libraryPath() const { return library_.path(); }

  // Throws the EngineError of a non-zero code.
  void check(pdx_code code);
  EngineError errorFor(pdx_code code);

  // Not owned; null leaves protected tables refused.
  void setPasswordPrompt(PasswordPrompt* prompt) { prompt_ = prompt; }
  // Runs the prompt for table; true when the open should be tried again.
  bool askPassword(const std::string& tableName);
  PasswordKeeper& passwords() { return *this; }

  std::string aliasPath(const std::string& alias);
  void createTable(const std::string& database, const std::string& table,
                   const std::string& schema);
  void deleteTable(const std::string& database, const std::string& table);

  // Takes effect at the next start.
  void setLibrarySearch(const LibrarySearch& search) { search_ = search; }

 private:
  friend class Cursor;
  Engine() = default;
  ~Engine();

  void addPassword(const std::string& password) override;
  void removePassword(const std::string& password) override;
  void removeAllPasswords() override;

  void attach(Cursor* cursor) { cursors_.insert(cursor); }
  void detach(Cursor* cursor) { cursors_.erase(cursor); }
  void stopAndRelease();

  std::string sessionName_ = "Default";
  LibrarySearch search_;
  LoadedLibrary library_;
  Api api_;
  pdx_session* session_ = nullptr;
  bool started_ = false;
  PasswordPrompt* prompt_ = nullptr;
  std::set<Cursor*> cursors_;
};

}  // namespace engine
