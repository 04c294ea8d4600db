// The record view on tables written by the store: how it opens, what it
// shows, and how it closes by keys, buttons and the close box, posting or
// cancelling the row; and a second program holding the row.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include "app/engine/cursor.h"
#include "data/field.h"
#include "edit/wwdbedit.h"
#include "foliodb_writer.h"
#include "grid/wwmemo.h"
#include "paradox/pdx.h"
#include "recordview/record_view_controls.h"
#include "recordview/record_view_form.h"
#include "recordview/record_view_test_support.h"
#include "toolkit/bevel_panel.h"
#include "toolkit/glyph_button.h"

namespace recordview::testing {
namespace {

using toolkit::MessageResult;

const char* const kPeople = "ID\tI*\nName\tA20\nCity\tA12\n";

class RecordViewDialogTest : public RecordViewTest {
 protected:
  void MakePeople() { MakeTable(kPeople, {{"1", "Ann", "Oslo"}, {"2", "Bob", "Rome"}}); }
  std::string Shown(TwwRecordViewForm& form, const std::string& field) {
    return qobject_cast<QLineEdit*>(ControlOf(form, field))->text().toStdString();
  }
  void Type(TwwRecordViewForm& form, const std::string& field, const char* text) {
    QWidget* edit = ControlOf(form, field);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, text);
  }
  const std::string kExitWarning = "Changes have been made!  Do you wish to save your changes?";
};

TEST_F(RecordViewDialogTest, RefusesWithoutADataSetOrWhenItIsClosed) {
  TwwRecordViewDialog unbound;
  EXPECT_FALSE(unbound.Execute());
  data::TwwDataSource empty;
  unbound.SetDataSource(&empty);
  EXPECT_FALSE(unbound.Execute());
  EXPECT_FALSE(dialog.Execute()) << "the table is not open";
  ASSERT_EQ(ui.shown.size(), 3u);
  EXPECT_EQ(ui.shown[0].text, "DataSource or DataSource.DataSet not defined.");
  EXPECT_EQ(ui.shown[1].text, "DataSource or DataSource.DataSet not defined.");
  EXPECT_EQ(ui.shown[2].text, "DataSet must be active.");
  EXPECT_EQ(ui.shown[2].kind, toolkit::MessageKind::kWarning);
  EXPECT_EQ(dialog.Form(), nullptr);
}

TEST_F(RecordViewDialogTest, ShowsTheRowWithItsNavigatorAndButtons) {
  MakePeople();
  bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
    EXPECT_EQ(form.windowTitle(), "Record View");
    EXPECT_EQ(Shown(form, "Name"), "Ann");
    EXPECT_EQ(Shown(form, "City"), "Oslo");
    ASSERT_NE(form.Navigator, nullptr);
    EXPECT_EQ(form.Navigator->geometry(), QRect(8, 8, 240, 25));
    EXPECT_EQ(form.NavigatorPanel->height(), 41);
    EXPECT_EQ(form.OKButton->text(), "&OK");
    EXPECT_EQ(form.CancelButton->text(), "Cancel");
    EXPECT_TRUE(form.OKButton->isDefault());
    EXPECT_TRUE(form.isModal());
    // The navigator moves the shown row.
    form.Navigator->BtnClick(app::nbNext);
    EXPECT_EQ(Shown(form, "Name"), "Bob");
    QTest::keyClick(&form, Qt::Key_Escape);
  });
  EXPECT_FALSE(ok);
  EXPECT_TRUE(ui.shown.empty()) << "nothing changed, nothing asked";
  EXPECT_EQ(table.FieldByName("Name")->AsString(), "Bob");
  EXPECT_EQ(dialog.Form(), nullptr) << "the modal window is gone";
}

TEST_F(RecordViewDialogTest, OkPostsTheTypedValue) {
  MakePeople();
  bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "Name", "ie");
    EXPECT_EQ(table.State(), data::DataSetState::kEdit) << "the first key starts the edit";
    QTest::mouseClick(form.OKButton, Qt::LeftButton);
  });
  EXPECT_TRUE(ok);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
  EXPECT_EQ(Stored(1, "Name"), "Annie");
}

TEST_F(RecordViewDialogTest, OkWithoutChangesLeavesTheRowInBrowseState) {
  MakePeople();
  EXPECT_TRUE(ExecuteWith(
      [&](TwwRecordViewForm& form) { QTest::mouseClick(form.OKButton, Qt::LeftButton); }));
  EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
  EXPECT_EQ(Stored(1, "Name"), "Ann");
}

TEST_F(RecordViewDialogTest, CtrlEnterAndEnterCloseAsOk) {
  MakePeople();
  EXPECT_TRUE(ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "City", "x");
    QTest::keyClick(ControlOf(form, "City"), Qt::Key_Return, Qt::ControlModifier);
  }));
  EXPECT_EQ(Stored(1, "City"), "Oslox");
  // Enter in an edit box presses the default button, OK.
  EXPECT_TRUE(ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "City", "y");
    QTest::keyClick(ControlOf(form, "City"), Qt::Key_Return);
  }));
  EXPECT_EQ(Stored(1, "City"), "Osloxy");
}

TEST_F(RecordViewDialogTest, EscapeFirstRestoresAChangedBoxThenAsksBeforeClosing) {
  MakePeople();
  bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "Name", "zz");
    QTest::keyClick(ControlOf(form, "Name"), Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible()) << "Escape in a changed box never closes the window";
    EXPECT_EQ(Shown(form, "Name"), "Ann");
    EXPECT_TRUE(ui.shown.empty());
    // The row is still in edit state: the next Escape asks; No cancels.
    ui.answers.push_back(MessageResult::kNo);
    QTest::keyClick(ControlOf(form, "Name"), Qt::Key_Escape);
  });
  EXPECT_FALSE(ok);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, kExitWarning);
  EXPECT_EQ(ui.shown[0].buttons, toolkit::MessageButtons::kYesNoCancel);
  EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
  EXPECT_EQ(Stored(1, "Name"), "Ann");
}

TEST_F(RecordViewDialogTest, TheCloseBoxAsksAndYesSavesNoDiscardsCancelStays) {
  MakePeople();
  // Yes: the changes are posted.
  ui.answers = {MessageResult::kYes};
  EXPECT_TRUE(ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "Name", "1");
    form.close();
  }));
  EXPECT_EQ(Stored(1, "Name"), "Ann1");

  // Cancel keeps the window and the typed text; then No throws it away.
  ui.shown.clear();
  ui.answers = {MessageResult::kCancel, MessageResult::kNo};
  EXPECT_FALSE(ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "Name", "2");
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Shown(form, "Name"), "Ann12");
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
  }));
  EXPECT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(Stored(1, "Name"), "Ann1");
  EXPECT_EQ(table.FieldByName("Name")->AsString(), "Ann1");
}

TEST_F(RecordViewDialogTest, CancelWithoutConfirmationOrWithItsOwnWarning) {
  MakePeople();
  dialog.Options.erase(rvoConfirmCancel);
  EXPECT_FALSE(ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "Name", "3");
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
  }));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(Stored(1, "Name"), "Ann");

  dialog.Options.insert(rvoConfirmCancel);
  int warnings = 0;
  dialog.OnCancelWarning = [&](TwwRecordViewForm&, bool& canClose) { canClose = ++warnings > 1; };
  EXPECT_FALSE(ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "Name", "4");
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    EXPECT_TRUE(form.isVisible()) << "the handler said no";
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
  }));
  EXPECT_EQ(warnings, 2);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(Stored(1, "Name"), "Ann");
}

TEST_F(RecordViewDialogTest, WithoutCloseIsCancelTheCloseBoxSaves) {
  MakePeople();
  dialog.Options.erase(rvoCloseIsCancel);
  EXPECT_TRUE(ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "City", "!");
    form.close();
  }));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(Stored(1, "City"), "Oslo!");
}

TEST_F(RecordViewDialogTest, ARowHeldByAnotherProgramRefusesTheEditAndLosesNothing) {
  MakePeople();
  // A second cursor stands for another program: its own files, its own locks.
  engine::Cursor other;
  other.open(directory.Database(), "T", PDX_OPEN_READ_WRITE);
  std::string record(static_cast<size_t>(other.info().record_size), '\0');
  other.setToRecordNumber(1);
  other.lockRecord(record.data());

  bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
    Type(form, "Name", "X");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.rfind("Record locked by another user.", 0), 0u) << ui.shown[0].text;
    EXPECT_EQ(ui.shown[0].kind, toolkit::MessageKind::kError);
    EXPECT_EQ(Shown(form, "Name"), "Ann") << "the refused key typed nothing";
    EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
    EXPECT_TRUE(form.isVisible());

    // Once the other program is done, the same window edits the row.
    other.putText(record.data(), 3, "Bergen");
    other.modifyRecord(record.data());
    table.Refresh();
    EXPECT_EQ(Shown(form, "City"), "Bergen");
    Type(form, "Name", "a");
    QTest::mouseClick(form.OKButton, Qt::LeftButton);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(Stored(1, "Name"), "Anna");
  EXPECT_EQ(Stored(1, "City"), "Bergen") << "the other program's change stays";
}

TEST_F(RecordViewDialogTest, AFailedPostKeepsTheWindowAndTheTypedRow) {
  MakeTable("ID\tI*\nName\tA20\n", {{"1", "Ann"}, {"2", "Bob"}});
  bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
    // The key of another row: the store refuses the post.
    QWidget* id = ControlOf(form, "ID");
    id->setFocus();
    QTest::keyClick(id, Qt::Key_End);
    QTest::keyClick(id, Qt::Key_Backspace);
    QTest::keyClicks(id, "2");
    QTest::mouseClick(form.OKButton, Qt::LeftButton);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, toolkit::MessageKind::kError);
    EXPECT_TRUE(form.isVisible()) << "the user may put it right";
    EXPECT_EQ(table.State(), data::DataSetState::kEdit);
    EXPECT_EQ(table.FieldByName("ID")->AsString(), "2");
    ui.answers.push_back(MessageResult::kNo);
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(Stored(1, "ID"), "1");
  EXPECT_EQ(Stored(2, "Name"), "Bob");
}

TEST_F(RecordViewDialogTest, ReadOnlyFieldsAreNavyAndTabSkipsThem) {
  MakePeople();
  table.FieldByName("Name")->SetReadOnly(true);
  dialog.ReadOnlyColor = toolkit::clNavy;
  ExecuteWith([&](TwwRecordViewForm& form) {
    QWidget* id = ControlOf(form, "ID");
    QWidget* name = ControlOf(form, "Name");
    QWidget* city = ControlOf(form, "City");
    EXPECT_EQ(name->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(name->palette().color(QPalette::Text), QColor(Qt::white)) << "readable on navy";
    EXPECT_NE(id->palette().color(QPalette::Base), QColor(0, 0, 128));
    id->setFocus();
    QTest::keyClick(id, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), city);
    QTest::keyClick(city, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), id);
    // Typing into it changes nothing.
    name->setFocus();
    QTest::keyClicks(name, "Q");
    EXPECT_EQ(Shown(form, "Name"), "Ann");
    EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
    QTest::keyClick(&form, Qt::Key_Escape);
  });
}

TEST_F(RecordViewDialogTest, EnterMovesOnWhenAskedAndOkIsNoLongerTheDefault) {
  MakePeople();
  dialog.Options.insert(rvoEnterToTab);
  ExecuteWith([&](TwwRecordViewForm& form) {
    EXPECT_FALSE(form.OKButton->isDefault());
    QWidget* id = ControlOf(form, "ID");
    id->setFocus();
    QTest::keyClick(id, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), ControlOf(form, "Name"));
    EXPECT_TRUE(form.isVisible());
    QTest::keyClick(ControlOf(form, "Name"), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(form.isVisible()) << "no Ctrl+Enter while Enter moves on";
    QTest::keyClick(&form, Qt::Key_Escape);
  });
}

TEST_F(RecordViewDialogTest, EventsSeeEveryFieldAndMayLeaveOneOut) {
  MakePeople();
  std::vector<std::string> before, after;
  int inits = 0, closes = 0;
  dialog.OnBeforeCreateControl = [&](TwwRecordViewForm&, data::TField& field, bool& accept) {
    before.push_back(field.FieldName());
    accept = field.FieldName() != "City";
  };
  dialog.OnAfterCreateControl = [&](TwwRecordViewForm&, data::TField& field, QWidget& control) {
    after.push_back(field.FieldName() + (qobject_cast<QLabel*>(&control) ? ":label" : ""));
  };
  dialog.OnInitDialog = [&](TwwRecordViewForm&) { ++inits; };
  dialog.OnCloseDialog = [&](TwwRecordViewForm&) { ++closes; };
  ExecuteWith([&](TwwRecordViewForm& form) {
    EXPECT_EQ(ControlOf(form, "City"), nullptr);
    QTest::keyClick(&form, Qt::Key_Escape);
  });
  EXPECT_EQ(before, (std::vector<std::string>{"ID", "Name", "City"}));
  EXPECT_EQ(after, (std::vector<std::string>{"ID:label", "ID", "Name:label", "Name"}));
  EXPECT_EQ(inits, 1);
  EXPECT_EQ(closes, 1);
}

TEST_F(RecordViewDialogTest, ANonModalWindowComesToTheFrontOnASecondCall) {
  MakePeople();
  dialog.Options.erase(rvoModalForm);
  EXPECT_TRUE(dialog.Execute());
  QPointer<TwwRecordViewForm> form = dialog.Form();
  ASSERT_TRUE(form);
  EXPECT_FALSE(form->isModal());
  EXPECT_FALSE(dialog.Execute()) << "the window is already open";
  EXPECT_EQ(dialog.Form(), form.data());
  QTest::mouseClick(form->OKButton, Qt::LeftButton);
  EXPECT_EQ(dialog.Form(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(form) << "it destroys itself";
}

TEST_F(RecordViewDialogTest, CheckBoxesFollowTheControlTypeList) {
  MakeTable("ID\tI*\nPaid\tA1\n", {{"1", "Y"}});
  table.ControlType = {"Paid;CheckBox;Y;N"};
  bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
    auto* box = form.findChild<TwwDBCheckBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(box->width(), 17);
    auto* label = qobject_cast<TwwLabel*>(box->Label());
    ASSERT_NE(label, nullptr);
    box->setFocus();
    EXPECT_TRUE(label->ShowsFocusMark());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    QTest::mouseClick(form.OKButton, Qt::LeftButton);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(Stored(1, "Paid"), "N");
}

TEST_F(RecordViewDialogTest, F2OpensTheMemoInTheMemoDialogWithThePendingLines) {
  MakeTable("ID\tI*\nNotes\tM20\n", {{"1", "first"}});
  bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
    auto* memo = qobject_cast<QPlainTextEdit*>(ControlOf(form, "Notes"));
    ASSERT_NE(memo, nullptr);
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " line");
    memo->moveCursor(QTextCursor::Start);
    memo->moveCursor(QTextCursor::NextCharacter);
    bool opened = false;
    QTimer::singleShot(0, [&] {
      auto* memoDialog = qobject_cast<grid::TwwMemoDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(memoDialog, nullptr);
      opened = true;
      EXPECT_EQ(memoDialog->windowTitle(), "Notes");
      EXPECT_EQ(memoDialog->Memo->toPlainText(), "first line") << "the pending lines went first";
      EXPECT_EQ(memoDialog->Memo->textCursor().position(), 1) << "the record view's caret";
      memoDialog->Memo->moveCursor(QTextCursor::End);
      QTest::keyClicks(memoDialog->Memo, "s");
      QTest::keyClick(memoDialog->Memo, Qt::Key_Return, Qt::ControlModifier);
    });
    QTest::keyClick(memo, Qt::Key_F2);
    EXPECT_TRUE(opened);
    EXPECT_EQ(memo->toPlainText(), "first lines");
    QTest::mouseClick(form.OKButton, Qt::LeftButton);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(Stored(1, "Notes"), "first lines");
}

}  // namespace
}  // namespace recordview::testing

namespace recordview::testing {
namespace {

// The sample database: on each of its six tables a field is edited in the
// window and posted with OK.
TEST_F(RecordViewDialogTest, EverySampleTableIsEditedAndPosted) {
  std::string reason;
  ASSERT_TRUE(foliodb::WriteFolioDb(directory.Path().string(), 1, &reason)) << reason;
  struct Edit {
    const char* table;
    const char* field;
    const char* typed;
    bool append;  // typed after the value, else in its place
  };
  const Edit edits[] = {{"Portf", "Owner", " Jr", true},      {"PortfDet", "Shares", "123", false},
                        {"Sectrans", "Price", "45.5", false}, {"Account", "Bank", " Ltd", true},
                        {"Acctr", "Description", " x", true}, {"UpdateSh", "Volume", "777", false}};
  table.SetDatabaseName(directory.Database());
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.table);
    table.Close();
    table.SetTableName(edit.table);
    table.Open();
    table.Next();
    const std::string before = table.FieldByName(edit.field)->AsString();
    bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
      QWidget* box = ControlOf(form, edit.field);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(form.EditList().size(), static_cast<size_t>(table.FieldCount()));
      box->setFocus();
      if (edit.append) {
        QTest::keyClick(box, Qt::Key_End);
      } else {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
      }
      QTest::keyClicks(box, edit.typed);
      QTest::mouseClick(form.OKButton, Qt::LeftButton);
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ui.shown.empty()) << (ui.shown.empty() ? "" : ui.shown[0].text);
    data::TField* field = table.FieldByName(edit.field);
    if (edit.append) {
      EXPECT_EQ(field->AsString(), before + edit.typed);
    } else {
      EXPECT_DOUBLE_EQ(field->AsFloat(), std::stod(edit.typed));
    }
    EXPECT_EQ(Stored(2, edit.field), field->AsString()) << "in the table, not only in the window";
  }
}

}  // namespace
}  // namespace recordview::testing
