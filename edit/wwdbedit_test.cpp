// The edit box on a real table written by the store: showing the value,
// picture typing through key strokes, refused exits, the value check when the
// row is posted, Escape, read-only fields and the painting of aligned values.
#include "edit/wwdbedit.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <ctime>

#include "data/data_set_error.h"
#include "data/data_source.h"
#include "data/paradox_table_test_support.h"
#include "edit/edit_test_focus.h"
#include "edit/wwdbedit_texts.h"
#include "toolkit/locale_settings.h"
#include "toolkit/recording_canvas.h"
#include "toolkit/scripted_ui.h"

namespace edit {
namespace {

using data::testing::CreateNumberedTable;
using data::testing::TemporaryDirectory;

class DBEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto created = CreateNumberedTable(directory.Path(), "NUMBERS", 3, "###-####");
    if (!created.created) GTEST_SKIP() << "no table from the store: " << created.reason;
    table.SetDatabaseName(directory.Database());
    table.SetTableName("NUMBERS");
    table.TableType = data::TTableType::ttParadox;
    source.SetDataSet(&table);
    table.Open();

    auto* layout = new QVBoxLayout(&window);
    name = new TwwDBEdit(&window);
    amount = new TwwDBEdit(&window);
    other = new QLineEdit(&window);
    for (QWidget* widget : std::initializer_list<QWidget*>{name, amount, other})
      layout->addWidget(widget);
    name->SetDataSource(&source);
    name->SetDataField("NAME");
    amount->SetDataSource(&source);
    amount->SetDataField("AMOUNT");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void TearDown() override { table.Close(); }

  void Enter(QWidget* widget) { testing::FocusByTab(widget); }
  // Leaves the control for the plain box; nothing here may be refused.
  void Leave() { EXPECT_EQ(testing::LeaveFor(other), ""); }

  TemporaryDirectory directory;
  data::TwwTable table;
  data::TwwDataSource source;
  toolkit::ScopedScriptedUi ui;
  QWidget window;
  TwwDBEdit* name = nullptr;
  TwwDBEdit* amount = nullptr;
  QLineEdit* other = nullptr;
};

TEST_F(DBEditTest, TypingUnderTheTablesPictureFillsTheDashAndPostsTheValue) {
  ASSERT_EQ(name->Picture().PictureMask(), "###-####");
  EXPECT_TRUE(name->isReadOnly());
  Enter(name);
  QTest::keyClicks(name, "555");
  EXPECT_EQ(name->text(), "555-");
  EXPECT_TRUE(name->isModified());
  EXPECT_EQ(table.State(), data::DataSetState::kEdit);
  QTest::keyClicks(name, "1234");
  EXPECT_EQ(name->text(), "555-1234");
  Leave();
  EXPECT_FALSE(name->hasFocus());
  table.Post();
  table.First();
  EXPECT_EQ(table.FieldByName("NAME")->AsString(), "555-1234");
  EXPECT_EQ(ui.beeps, 0);
}

TEST_F(DBEditTest, AWrongKeyBeepsAtTheEndAndIsCheckedLaterInTheMiddle) {
  std::vector<bool> reports;
  name->OnCheckValue = [&](QObject*, bool passes) { reports.push_back(passes); };
  Enter(name);
  QTest::keyClicks(name, "55");
  QTest::keyClick(name, 'x');
  EXPECT_EQ(name->text(), "55");
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(reports, (std::vector<bool>{false, false}));

  name->setCursorPosition(1);
  QTest::keyClick(name, 'x');
  EXPECT_EQ(name->text(), "5x5");
  EXPECT_EQ(reports.back(), false);
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(DBEditTest, AnIncompleteValueCannotBeLeftUntilItIsCleared) {
  Enter(name);
  QTest::keyClicks(name, "555");
  Leave();
  EXPECT_TRUE(name->hasFocus());
  EXPECT_TRUE(name->Focused());
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(name->selectedText(), "555-");
  EXPECT_TRUE(ui.shown.empty());

  QTest::keyClick(name, Qt::Key_Backspace);
  EXPECT_EQ(name->text(), "");
  Leave();
  EXPECT_FALSE(name->hasFocus());
  EXPECT_EQ(table.FieldByName("NAME")->AsString(), "");
}

TEST_F(DBEditTest, PostingAValueTheMaskRefusesRaisesOrCallsTheHandler) {
  Enter(name);
  QTest::keyClicks(name, "12");
  try {
    table.Post();
    ADD_FAILURE() << "posted an incomplete value";
  } catch (const data::EDatabaseError& error) {
    EXPECT_STREQ(error.what(), texts::kInvalidInputValue);
  }
  EXPECT_EQ(table.State(), data::DataSetState::kEdit);

  std::string reported;
  table.OnInvalidValue = [&](data::TwwTable&, data::TField& field) {
    reported = field.FieldName();
    table.Cancel();
  };
  table.UpdateRecord();
  EXPECT_EQ(reported, "NAME");
}

TEST_F(DBEditTest, EscapeBringsTheFieldsValueBack) {
  Enter(name);
  QTest::keyClicks(name, "555");
  QTest::keyClick(name, Qt::Key_Escape);
  EXPECT_EQ(name->text(), "Name1");
  EXPECT_FALSE(name->isModified());
  EXPECT_EQ(name->selectedText(), "Name1");
}

TEST_F(DBEditTest, AReadOnlyFieldShowsItsDisplayTextAndTakesNoKeys) {
  table.FieldByName("AMOUNT")->SetReadOnly(true);
  const QString shown = amount->text();
  Enter(amount);
  EXPECT_EQ(amount->text().toStdString(), table.FieldByName("AMOUNT")->DisplayText());
  QTest::keyClicks(amount, "12");
  EXPECT_EQ(amount->text(), shown);
  EXPECT_FALSE(amount->isModified());
  EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
}

TEST_F(DBEditTest, ANumberIsPaintedRightAlignedUnfocusedAndEditedFocused) {
  data::TField* field = table.FieldByName("AMOUNT");
  ASSERT_EQ(field->Alignment(), data::TAlignment::taRightJustify);
  EXPECT_EQ(amount->text().toStdString(), field->DisplayText());
  toolkit::RecordingCanvas canvas;
  amount->PaintValue(canvas, {0, 0, 100, 21}, false);
  auto texts = canvas.callsOf(toolkit::CanvasCall::Kind::kTextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].anchor, toolkit::TextAnchor::kRight);
  EXPECT_EQ(texts[0].from.x, 100 - 1 - 2);
  EXPECT_EQ(texts[0].text, field->DisplayText());
  ASSERT_EQ(canvas.callsOf(toolkit::CanvasCall::Kind::kRectangle).size(), 1u);

  Enter(amount);
  EXPECT_EQ(amount->text().toStdString(), field->Text());
  EXPECT_EQ(amount->selectedText(), amount->text());

  amount->PasswordChar = '*';
  canvas.clear();
  amount->PaintValue(canvas, {0, 0, 100, 21}, true);
  EXPECT_EQ(canvas.callsOf(toolkit::CanvasCall::Kind::kTextOut)[0].text,
            std::string(field->DisplayText().size(), '*'));
}

TEST_F(DBEditTest, TheTablesOwnPictureCannotBeReplacedButAnotherFieldTakesOne) {
  name->Picture().SetPictureMask("###");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, texts::kPictureMaskDefinedInTable);
  EXPECT_EQ(ui.shown[0].kind, toolkit::MessageKind::kWarning);
  EXPECT_EQ(name->Picture().PictureMask(), "###-####");

  amount->Picture().SetPictureMask("#[#][.##]");
  EXPECT_EQ(amount->Picture().PictureMask(), "#[#][.##]");
  EXPECT_FALSE(amount->Picture().Stored());
  EXPECT_FALSE(amount->Picture().AllowInvalidExit());
}

TEST(UnboundDBEdit, KeepsItsOwnPictureAndFillsADateOnTheSpaceBar) {
  toolkit::ScopedScriptedUi ui;
  toolkit::LocaleSettings saved = toolkit::localeSettings();
  toolkit::LocaleSettings locale = saved;
  locale.shortDateFormat = "dd/MM/yyyy";
  std::tm local{};
  local.tm_year = 126;
  local.tm_mon = 10;
  local.tm_mday = 5;
  local.tm_isdst = -1;
  auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
  locale.now = [when] { return when; };
  toolkit::setLocaleSettings(locale);

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* date = new TwwDBEdit(&window);
  auto* other = new QLineEdit(&window);
  layout->addWidget(date);
  layout->addWidget(other);
  date->UnboundDataType = TwwEditDataType::wwEdtDate;
  date->SetReadOnly(false);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  date->setFocus();
  for (int i = 0; i < 3; ++i) QTest::keyClick(date, Qt::Key_Space);
  EXPECT_EQ(date->text(), "05/11/2026");

  date->Picture().SetPictureMask("##/##/####");
  date->Picture().SetAllowInvalidExit(true);
  EXPECT_TRUE(date->Picture().Stored());
  date->selectAll();
  QTest::keyClicks(date, "1");
  EXPECT_EQ(date->text(), "1");
  other->setFocus();
  QCoreApplication::processEvents();
  EXPECT_FALSE(date->hasFocus());
  toolkit::setLocaleSettings(saved);
}

}  // namespace
}  // namespace edit

namespace edit {
namespace {

TEST_F(DBEditTest, AValueTheFieldRefusesKeepsTheUserInTheBox) {
  Enter(amount);
  QTest::keyClicks(amount, "1-2");
  ASSERT_TRUE(amount->isModified());
  std::string error;
  try {
    other->setFocus(Qt::TabFocusReason);
  } catch (const std::exception& e) {
    error = e.what();
  }
  QCoreApplication::processEvents();
  EXPECT_NE(error, "");
  EXPECT_TRUE(amount->hasFocus());
  EXPECT_TRUE(amount->isModified());
  EXPECT_EQ(amount->selectedText(), "1-2");
}

}  // namespace
}  // namespace edit

namespace edit {
namespace {

// Opens the box's context menu and chooses the entry with the given caption
// (without its access key), as a click on it would.
void ChooseFromContextMenu(QWidget* box, const QString& caption) {
  bool chosen = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* action : menu->actions()) {
      if (action->text().remove('&') == caption && action->isEnabled()) {
        chosen = true;
        action->trigger();
      }
    }
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), box->mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(box, &event);
  EXPECT_TRUE(chosen) << "no enabled menu entry " << caption.toStdString();
}

TEST_F(DBEditTest, PasteAndCutFromTheMenuEditTheRowAndFollowThePicture) {
  std::vector<bool> reports;
  name->OnCheckValue = [&](QObject*, bool passes) { reports.push_back(passes); };
  Enter(name);
  ASSERT_EQ(table.State(), data::DataSetState::kBrowse);
  QGuiApplication::clipboard()->setText("5551234");
  name->selectAll();
  ChooseFromContextMenu(name, "Paste");
  EXPECT_EQ(name->text(), "555-1234");
  EXPECT_EQ(name->cursorPosition(), 8);
  EXPECT_TRUE(name->isModified());
  EXPECT_EQ(table.State(), data::DataSetState::kEdit);
  EXPECT_EQ(reports, (std::vector<bool>{true}));

  name->setSelection(4, 4);
  ChooseFromContextMenu(name, "Cut");
  EXPECT_EQ(name->text(), "555-");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "1234");
  EXPECT_EQ(reports.back(), false);

  // Ctrl+V takes the same road.
  QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(name->text(), "555-1234");
  EXPECT_EQ(reports.back(), true);
  Leave();
  table.Post();
  EXPECT_EQ(table.FieldByName("NAME")->AsString(), "555-1234");
}

TEST_F(DBEditTest, APastedCharacterTheTableCannotHoldIsRefusedWithAMessage) {
  Enter(amount);
  const QString before = amount->text();
  QGuiApplication::clipboard()->setText(QString::fromUtf8("12\u20ac"));
  amount->selectAll();
  QTest::keyClick(amount, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_NE(ui.shown[0].text.find("\u20ac"), std::string::npos) << ui.shown[0].text;
  EXPECT_EQ(amount->text(), before);
  EXPECT_FALSE(amount->isModified());
}

TEST_F(DBEditTest, AReadOnlyFieldOffersNoPasteOrCut) {
  table.FieldByName("NAME")->SetReadOnly(true);
  Enter(name);
  QGuiApplication::clipboard()->setText("5551234");
  bool pasteEnabled = true;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions())
      if (action->text().remove('&') == "Paste") pasteEnabled = action->isEnabled();
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), name->mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(name, &event);
  EXPECT_FALSE(pasteEnabled);
  QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(name->text(), "Name1");
  EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
}

}  // namespace
}  // namespace edit
