#include "password_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "application.h"

namespace app {

PasswordDialog::PasswordDialog(engine::PasswordKeeper& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      edit_(new QLineEdit(this)),
      ok_(new QPushButton("&OK", this)) {
  setWindowTitle("Enter password");
  setObjectName("PasswordDialog");
  edit_->setEchoMode(QLineEdit::Password);
  auto* add = new QPushButton("&Add", this);
  auto* remove = new QPushButton("&Remove", this);
  auto* removeAll = new QPushButton("Re&move all", this);
  auto* cancel = new QPushButton("Cancel", this);
  ok_->setDefault(true);

  auto* editRow = new QHBoxLayout;
  editRow->addWidget(new QLabel("&Password:", this));
  editRow->addWidget(edit_);
  auto* sessionButtons = new QHBoxLayout;
  sessionButtons->addWidget(add);
  sessionButtons->addWidget(remove);
  sessionButtons->addWidget(removeAll);
  auto* closeButtons = new QHBoxLayout;
  closeButtons->addStretch();
  closeButtons->addWidget(ok_);
  closeButtons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(editRow);
  layout->addLayout(sessionButtons);
  layout->addLayout(closeButtons);

  // The session may refuse a password; its error goes to the top-level handler.
  connect(add, &QPushButton::clicked, this,
          [this] { Application::RunHandler([this] { this->add(); }); });
  connect(remove, &QPushButton::clicked, this,
          [this] { Application::RunHandler([this] { this->remove(); }); });
  connect(removeAll, &QPushButton::clicked, this,
          [this] { Application::RunHandler([this] { this->removeAll(); }); });
  connect(ok_, &QPushButton::clicked, this, [this] { Application::RunHandler([this] { ok(); }); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(edit_, &QLineEdit::textChanged, this, &PasswordDialog::updateOk);
  updateOk();
}

void PasswordDialog::add() {
  session_.addPassword(edit_->text().toStdString());
  added_ = true;
  edit_->clear();
  edit_->setFocus();
}

void PasswordDialog::remove() {
  session_.removePassword(edit_->text().toStdString());
  edit_->clear();
  edit_->setFocus();
}

void PasswordDialog::removeAll() {
  session_.removeAllPasswords();
  edit_->setFocus();
}

void PasswordDialog::ok() {
  if (!edit_->text().isEmpty()) session_.addPassword(edit_->text().toStdString());
  accept();
}

void PasswordDialog::updateOk() {
  ok_->setEnabled(added_ || !edit_->text().isEmpty());
}

bool PasswordDialogPrompt::askPassword(const std::string&, engine::PasswordKeeper& session) {
  PasswordDialog dialog(session, QApplication::activeWindow());
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace app
