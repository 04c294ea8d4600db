// The "Enter password" dialog that the engine runs when a table needs a
// password: one masked edit and the buttons "&Add", "&Remove", "Re&move all",
// "&OK" and "Cancel". Add, Remove and Remove all change the session's
// passwords at once; OK adds the typed password and closes. OK is enabled
// once anything is typed or added.
#pragma once

#include <QDialog>

#include "app/engine/password_prompt.h"

class QLineEdit;
class QPushButton;

namespace app {

class PasswordDialog : public QDialog {
  Q_OBJECT
 public:
  PasswordDialog(engine::PasswordKeeper& session, QWidget* parent = nullptr);

  QLineEdit* passwordEdit() const { return edit_; }
  QPushButton* okButton() const { return ok_; }

 private:
  void add();
  void remove();
  void removeAll();
  void ok();
  void updateOk();

  engine::PasswordKeeper& session_;
  QLineEdit* edit_;
  QPushButton* ok_;
  bool added_ = false;
};

// Installed into the engine by the program at start.
class PasswordDialogPrompt : public engine::PasswordPrompt {
 public:
  bool askPassword(const std::string& tableName, engine::PasswordKeeper& session) override;
};

}  // namespace app
