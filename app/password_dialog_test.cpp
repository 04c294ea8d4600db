#include "password_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <vector>

namespace app {
namespace {

// The session side of the dialog, recorded: the dialog's job is to call it.
struct RecordedSession : engine::PasswordKeeper {
  void addPassword(const std::string& password) override { calls.push_back("add " + password); }
  void removePassword(const std::string& password) override {
    calls.push_back("remove " + password);
  }
  void removeAllPasswords() override { calls.push_back("remove all"); }
  std::vector<std::string> calls;
};

QPushButton* button(QDialog& dialog, const QString& caption) {
  for (auto* candidate : dialog.findChildren<QPushButton*>()) {
    if (candidate->text() == caption) return candidate;
  }
  return nullptr;
}

TEST(PasswordDialog, HasItsCaptionMaskedEditAndFiveButtons) {
  RecordedSession session;
  PasswordDialog dialog(session);
  EXPECT_EQ(dialog.windowTitle(), "Enter password");
  EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
  for (const char* caption : {"&Add", "&Remove", "Re&move all", "&OK", "Cancel"}) {
    EXPECT_NE(button(dialog, caption), nullptr) << caption;
  }
}

TEST(PasswordDialog, OkIsEnabledOnceSomethingIsTypedOrAdded) {
  RecordedSession session;
  PasswordDialog dialog(session);
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  QTest::keyClicks(dialog.passwordEdit(), "se");
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  QTest::mouseClick(button(dialog, "&Add"), Qt::LeftButton);
  EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty());
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  EXPECT_EQ(session.calls, std::vector<std::string>{"add se"});
}

TEST(PasswordDialog, ButtonsChangeTheSessionAndOkAddsTheTypedPassword) {
  RecordedSession session;
  PasswordDialog dialog(session);
  QTest::keyClicks(dialog.passwordEdit(), "old");
  QTest::mouseClick(button(dialog, "&Remove"), Qt::LeftButton);
  QTest::mouseClick(button(dialog, "Re&move all"), Qt::LeftButton);
  QTest::keyClicks(dialog.passwordEdit(), "secret");
  QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(session.calls, (std::vector<std::string>{"remove old", "remove all", "add secret"}));
}

TEST(PasswordDialog, CancelAddsNothing) {
  RecordedSession session;
  PasswordDialog dialog(session);
  QTest::keyClicks(dialog.passwordEdit(), "typed");
  QTest::mouseClick(button(dialog, "Cancel"), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(session.calls.empty());
}

}  // namespace
}  // namespace app
