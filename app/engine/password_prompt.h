// How a table that needs a password gets one: the engine asks the installed
// prompt (the program's "Enter password" dialog; a scripted one in tests),
// which adds and removes passwords of the session through PasswordKeeper.
// Qt-free, so the engine interface stays a leaf library.
#pragma once

#include <string>

namespace engine {

class PasswordKeeper {
 public:
  virtual ~PasswordKeeper() = default;
  virtual void addPassword(const std::string& password) = 0;
  virtual void removePassword(const std::string& password) = 0;
  virtual void removeAllPasswords() = 0;
};

class PasswordPrompt {
 public:
  virtual ~PasswordPrompt() = default;
  // Answers true when the user chose OK (the open is then tried again),
  // false for Cancel.
  virtual bool askPassword(const std::string& tableName, PasswordKeeper& session) = 0;
};

}  // namespace engine
