// The record view's window on real widgets with the classic desktop's
// metrics (work area 1024 by 740, caption 19, frames 3 and 4, thumbs 16):
// its size and place, the labels, scrolling, and the resize handler.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "data/field.h"
#include "edit/wwdbedit.h"
#include "recordview/record_view_form.h"
#include "recordview/record_view_test_support.h"
#include "toolkit/bevel_panel.h"
#include "toolkit/glyph_button.h"

namespace recordview::testing {
namespace {

class RecordViewWindowTest : public RecordViewTest {
 protected:
  // Outer sizes: a sizeable frame of 4 on each side and the caption.
  static int OuterWidth(const QWidget& form) { return form.width() + 8; }
  static int OuterHeight(const QWidget& form) { return form.height() + 8 + 19; }
  static int UserPanelHeight(const TwwRecordViewForm& form) {
    return 2 * 3 + form.OKButton->height() + 10;
  }
  void MakeWideTable(int fields) {
    std::string schema = "ID\tI*\n";
    for (int i = 1; i < fields; ++i) schema += "Field" + std::to_string(i) + "\tA10\n";
    MakeTable(schema, {{"1"}});
  }
  void CloseWindow(TwwRecordViewForm& form) { QTest::keyClick(&form, Qt::Key_Escape); }
};

TEST_F(RecordViewWindowTest, ThreeTextFieldsGiveAWindowJustTallEnoughCentredOnTheWorkArea) {
  MakeTable("Name\tA20\nCity\tA10\nZip\tA5\n", {{"Ann", "Oslo", "0150"}});
  table.FieldByName("Zip")->SetDisplayLabel("Zip~Code");
  ExecuteWith([&](TwwRecordViewForm& form) {
    QWidget* name = ControlOf(form, "Name");
    const int editHeight = name->height();
    const int runningTop = 5 + 3 * (editHeight + 2) + 5 - 2;
    EXPECT_EQ(OuterHeight(form), 19 + 41 + runningTop + UserPanelHeight(form) + 21);
    EXPECT_EQ(form.x(), (1024 - OuterWidth(form)) / 2);
    EXPECT_EQ(form.y(), (740 - OuterHeight(form)) / 2);
    EXPECT_EQ(OuterWidth(form), 240 + 5 + 14) << "the navigator is wider than the fields";

    // Rows stack 2 apart; labels stand right-aligned 4 lower in one column.
    EXPECT_EQ(ControlOf(form, "City")->y(), 5 + editHeight + 2);
    EXPECT_EQ(ControlOf(form, "Zip")->y(), 5 + 2 * (editHeight + 2));
    std::vector<QLabel*> labels;
    for (QLabel* label : form.ScrollContents->findChildren<QLabel*>()) labels.push_back(label);
    ASSERT_EQ(labels.size(), 3u);
    QLabel* zip = nullptr;
    for (QLabel* label : labels) {
      EXPECT_EQ(label->width(), labels[0]->width());
      EXPECT_TRUE(label->alignment() & Qt::AlignRight);
      if (label->buddy() == ControlOf(form, "Zip")) zip = label;
    }
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(zip->text(), "Zip Code");
    EXPECT_EQ(zip->y(), ControlOf(form, "Zip")->y() + 4);
    EXPECT_EQ(name->x(), 5 + zip->width() + 5);
    EXPECT_EQ(form.ScrollBox->geometry().topLeft(), QPoint(6, 6));

    // OK and Cancel at the right of the button panel.
    const int okWidth = form.OKButton->width();
    EXPECT_EQ(form.OKButton->pos(), QPoint(OuterWidth(form) - 2 * okWidth - 36, 3 + 5));
    EXPECT_EQ(form.CancelButton->x(), OuterWidth(form) - okWidth - 23);
    CloseWindow(form);
  });
}

TEST_F(RecordViewWindowTest, ATableTallerThanTheWorkAreaScrollsByARow) {
  MakeWideTable(60);
  ExecuteWith([&](TwwRecordViewForm& form) {
    const int editHeight = ControlOf(form, "ID")->height();
    EXPECT_EQ(OuterHeight(form), 740 - 12);
    QScrollBar* bar = form.ScrollBox->verticalScrollBar();
    EXPECT_EQ(bar->singleStep(), editHeight + 2);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(form.ScrollContents->height(), 5 + 60 * (editHeight + 2) + 5 - 2);
    EXPECT_EQ(OuterWidth(form), 240 + 5 + 14 + 16) << "widened for the scroll bar";
    CloseWindow(form);
  });
}

TEST_F(RecordViewWindowTest, FormPositionSetsTheSizeWithinItsLimits) {
  MakeWideTable(10);
  dialog.FormPosition = TwwFormPosition{0, 0, 300, 200};
  ExecuteWith([&](TwwRecordViewForm& form) {
    EXPECT_EQ(OuterHeight(form), 200);
    EXPECT_EQ(OuterWidth(form), 300 + 16) << "rows beyond the height: a scroll bar";
    CloseWindow(form);
  });
  table.Close();
  table.Open();
  dialog.FormPosition = TwwFormPosition{50, 60, 100, 200};
  dialog.Selected = {"ID\t4\tNumber"};
  ExecuteWith([&](TwwRecordViewForm& form) {
    EXPECT_EQ(OuterWidth(form), 240 + 5 + 14) << "never narrower than the navigator";
    EXPECT_LT(OuterHeight(form), 200) << "one row needs less";
    EXPECT_EQ(form.pos(), QPoint(50, 60));
    EXPECT_EQ(form.ScrollContents->findChild<QLabel*>()->text(), "Number");
    CloseWindow(form);
  });
}

TEST_F(RecordViewWindowTest, ResizingKeepsConsistentWidthsAndTheButtonsInReach) {
  MakeWideTable(3);
  dialog.Options.insert(rvoConsistentEditWidth);
  ExecuteWith([&](TwwRecordViewForm& form) {
    QWidget* first = ControlOf(form, "ID");
    const int editLeft = first->x();
    form.resize(500 - 8, form.height());
    EXPECT_EQ(first->width(), 500 - (editLeft + 5 + 20));
    EXPECT_EQ(ControlOf(form, "Field2")->width(), first->width());
    EXPECT_EQ(form.CancelButton->x(), 500 - form.OKButton->width() - 23);
    form.resize(150 - 8, form.height());
    EXPECT_EQ(form.OKButton->x(), 5);
    EXPECT_EQ(form.CancelButton->x(), form.OKButton->width() + 18);
    CloseWindow(form);
  });
}

TEST_F(RecordViewWindowTest, OptionsLeaveOutTheNavigatorButtonsAndHiddenFields) {
  MakeTable("ID\tI*\nName\tA20\nTotal\tN\n", {{"1", "Ann", "3"}});
  table.FieldByName("Total")->SetReadOnly(true);
  dialog.Options.insert(rvoHideNavigator);
  dialog.Options.insert(rvoHideReadOnly);
  dialog.OKCancelOptions.erase(rvokShowOKCancel);
  ExecuteWith([&](TwwRecordViewForm& form) {
    EXPECT_EQ(form.Navigator, nullptr);
    EXPECT_EQ(form.OKButton, nullptr);
    EXPECT_EQ(ControlOf(form, "Total"), nullptr);
    EXPECT_EQ(form.RecordPanel->y(), 0);
    EXPECT_EQ(form.EditList().size(), 2u);
    const int editHeight = ControlOf(form, "ID")->height();
    EXPECT_EQ(OuterHeight(form), 19 + 0 + (5 + 2 * (editHeight + 2) + 5 - 2) + 0 + 21);
    CloseWindow(form);
  });
}

}  // namespace
}  // namespace recordview::testing

namespace recordview::testing {
namespace {

// Labels and values are table text: shown, typed and stored in the table's
// code page (the store writes new tables in 850).
TEST_F(RecordViewWindowTest, LabelsAndValuesCrossInTheTablesCodePage) {
  MakeTable("ID\tI*\nCaf\x82\tM20\n", {{"1", "cr\x8Ame"}});
  ASSERT_EQ(table.textCodec().codePage(), 850);
  bool ok = ExecuteWith([&](TwwRecordViewForm& form) {
    auto* label = form.ScrollContents->findChildren<QLabel*>().at(1);
    EXPECT_EQ(label->text(), QString::fromUtf8("Caf\u00e9"));
    auto* memo = qobject_cast<QPlainTextEdit*>(ControlOf(form, "Caf\x82"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->toPlainText(), QString::fromUtf8("cr\u00e8me"));
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    // QTest types ASCII only; the key of a character beyond it, as a keyboard sends it.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Agrave, Qt::NoModifier, QString::fromUtf8("\u00e0"));
    QApplication::sendEvent(memo, &key);
    QTest::mouseClick(form.OKButton, Qt::LeftButton);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(Stored(1, "Caf\x82"), "cr\x8Ame\x85");
}

}  // namespace
}  // namespace recordview::testing

namespace recordview::testing {
namespace {

// A control of the owner's form named by the ControlType list takes the
// field's row while the window is open and goes home hidden afterwards.
TEST_F(RecordViewWindowTest, ABorrowedControlIsPlacedAndGivenBack) {
  MakeTable("ID\tI*\nName\tA20\nCity\tA12\n", {{"1", "Ann", "Oslo"}});
  QWidget owner;
  auto* own = new edit::TwwDBEdit(&owner);
  own->setObjectName("CityEdit");
  own->SetDataSource(&source);
  own->SetDataField("City");
  own->setGeometry(300, 200, 50, 21);
  own->hide();
  TwwRecordViewDialog borrowing(&owner);
  borrowing.SetDataSource(&source);
  table.ControlType = {"city;CustomEdit;CityEdit"};
  bool ran = false;
  QTimer::singleShot(0, [&] {
    TwwRecordViewForm* form = borrowing.Form();
    ASSERT_NE(form, nullptr);
    ran = true;
    EXPECT_EQ(own->parentWidget(), form->ScrollContents);
    EXPECT_TRUE(own->isVisible());
    EXPECT_EQ(own->x(), ControlOf(*form, "Name")->x());
    EXPECT_EQ(own->y(), ControlOf(*form, "Name")->y() + ControlOf(*form, "Name")->height() + 2);
    EXPECT_EQ(form->EditList().size(), 3u);
    EXPECT_EQ(own->text(), "Oslo");
    EXPECT_TRUE(own->hasFrame());
    QTest::keyClick(form, Qt::Key_Escape);
  });
  borrowing.Execute();
  EXPECT_TRUE(ran);
  EXPECT_EQ(own->parentWidget(), &owner);
  EXPECT_FALSE(own->isVisibleTo(&owner));
  EXPECT_EQ(own->geometry(), QRect(300, 200, 50, 21));
  EXPECT_FALSE(own->hasFrame()) << "given back without its border";
}

TEST_F(RecordViewWindowTest, TheHorizontalStyleSetsLabelsAboveTheirBoxes) {
  MakeTable("ID\tI*\nName\tA20\nCity\tA12\n", {{"1", "Ann", "Oslo"}});
  dialog.Style = TwwRecordViewStyle::rvsHorizontal;
  ExecuteWith([&](TwwRecordViewForm& form) {
    QWidget* id = ControlOf(form, "ID");
    QWidget* name = ControlOf(form, "Name");
    QLabel* label = qobject_cast<QLabel*>(form.ScrollContents->findChildren<QLabel*>().at(0));
    EXPECT_EQ(label->buddy(), id);
    EXPECT_EQ(label->pos(), QPoint(5 + 1, 5));
    EXPECT_EQ(id->pos(), QPoint(5, 5 + label->height() + 1));
    EXPECT_EQ(name->y(), id->y()) << "side by side in one row";
    EXPECT_GT(name->x(), id->x() + id->width());
    EXPECT_TRUE(label->alignment() & Qt::AlignLeft);
    CloseWindow(form);
  });
}

}  // namespace
}  // namespace recordview::testing

namespace recordview::testing {
namespace {

// A borrowed edit box that wants returns keeps Enter for its line breaks even
// where Enter otherwise moves on, and its lines reach the field on OK.
TEST_F(RecordViewWindowTest, ABorrowedMultiLineBoxKeepsEnterForItsLines) {
  MakeTable("ID\tI*\nNote\tA40\nCity\tA12\n", {{"1", "one", "Oslo"}});
  QWidget owner;
  auto* note = new edit::TwwDBEdit(&owner);
  note->setObjectName("NoteEdit");
  note->SetDataSource(&source);
  note->SetDataField("Note");
  note->SetWordWrap(true);
  note->SetWantReturns(true);
  note->hide();
  TwwRecordViewDialog borrowing(&owner);
  borrowing.SetDataSource(&source);
  borrowing.Options.insert(rvoEnterToTab);
  table.ControlType = {"Note;CustomEdit;NoteEdit"};
  bool ran = false;
  QTimer::singleShot(0, [&] {
    TwwRecordViewForm* form = borrowing.Form();
    ASSERT_NE(form, nullptr);
    ran = true;
    note->setFocus();
    QCoreApplication::processEvents();
    QWidget* lines = QApplication::focusWidget();
    ASSERT_TRUE(lines && note->isAncestorOf(lines));
    QTest::keyClick(lines, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(lines, Qt::Key_Return);
    QTest::keyClicks(lines, "two");
    EXPECT_TRUE(note->hasFocus()) << "Enter moved on";
    EXPECT_EQ(note->text(), "one\ntwo");
    QTest::mouseClick(form->OKButton, Qt::LeftButton);
  });
  EXPECT_TRUE(borrowing.Execute());
  EXPECT_TRUE(ran);
  EXPECT_EQ(Stored(1, "Note"), "one\ntwo");
}

}  // namespace
}  // namespace recordview::testing
