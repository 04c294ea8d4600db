#include "korveel.h"

#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/engine/engine.h"
#include "application.h"
#include "grid/wwdbgrid.h"
#include "navigator.h"
#include "show_state.h"
#include "toolkit/abort.h"
#include "toolkit/bevel_panel.h"
#include "toolkit/forwarding_printer.h"
#include "toolkit/glyph_button.h"
#include "toolkit/inplace_editor.h"
#include "toolkit/scripted_ui.h"
#include "toolkit/tab_control.h"

#ifdef HAVE_STORE
#include <QLineEdit>

#include "password_dialog.h"
#include "recordview/record_view_form.h"
#include "recordview/wwrcdvw.h"
#include "test_tables.h"
#include "toolkit/locale_settings.h"
#include "toolkit/printer.h"

using namespace std::chrono_literals;
#endif

namespace app {
namespace {

using toolkit::MessageButtons;
using toolkit::MessageKind;

const std::string kStartupFailure =
    "An error occurred while attempting to initialize the table engine (error $2108)";

// Every test starts with the engine stopped and ends by stopping it, since
// the process has one engine.
class WindowTest : public ::testing::Test {
 protected:
  ~WindowTest() override {
    engine::Engine::instance().shutdown();
    engine::Engine::instance().setLibrarySearch(engine::LibrarySearch{});
  }
  // An engine library that cannot be found anywhere.
  void withoutEngineLibrary() {
    engine::LibrarySearch search;
    search.fileName = "libvindral-absent-engine.so";
    search.registryFile = "registry-that-does-not-exist.ini";
    engine::Engine::instance().setLibrarySearch(search);
  }
  void clickTab(TKorvelfrm& form, int index) {
    QTest::mouseClick(form.TabControl1, Qt::LeftButton, {},
                      form.TabControl1->tabRect(index).center());
  }

  toolkit::ScopedScriptedUi ui_;
};

TEST_F(WindowTest, IsBuiltWithItsStoredPlacements) {
  withoutEngineLibrary();
  TKorvelfrm form(FormDescription::korveel());
  EXPECT_EQ(form.windowTitle(), "Vindral");
  EXPECT_EQ(form.size(), QSize(612, 348));
  EXPECT_EQ(form.pos(), QPoint(118, 123));
  EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 612, 121));
  EXPECT_EQ(form.Panel2->geometry(), QRect(0, 121, 612, 227));
  EXPECT_EQ(form.wwDBGrid1->geometry(), QRect(1, 1, 610, 225));
  EXPECT_EQ(form.wwDataSource1.DataSet(), &form.wwTable1);
  EXPECT_EQ(form.wwTable1.TableType, data::TTableType::ttParadox);
  EXPECT_EQ(form.DBNavigator1->geometry(), QRect(6, 3, 240, 30));
  EXPECT_EQ(form.TabControl1->geometry(), QRect(2, 32, 607, 65));
  EXPECT_EQ(form.Label1->pos(), QPoint(3, 102));
  EXPECT_EQ(form.Label1->text(), "Search");
  EXPECT_EQ(form.wwIncrementalSearch1->geometry(), QRect(44, 98, 169, 21));
  EXPECT_EQ(form.BitBtn3->geometry(), QRect(455, 2, 75, 25));
  EXPECT_EQ(form.BitBtn3->text(), "Print");
  EXPECT_EQ(form.BitBtn2->geometry(), QRect(530, 2, 75, 25));
  EXPECT_EQ(form.BitBtn2->text(), "&Close");
  EXPECT_FALSE(form.BitBtn2->isDefault());
  EXPECT_EQ(form.BitBtn2->kind(), toolkit::ButtonKind::kClose);
  EXPECT_TRUE(form.BitBtn3->hasGlyph());
  EXPECT_TRUE(form.TabControl1->multiLine());
  EXPECT_EQ(form.TabControl1->tabs(),
            QStringList({"Portfolios", "Portfolio details", "Transactions", "Accounts",
                         "Account Transactions", "Price History"}));
  EXPECT_EQ(form.wwTable1.DatabaseName(), "FOLIODB");

  form.show();
  form.resize(800, 500);
  EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 800, 121));
  EXPECT_EQ(form.wwDBGrid1->geometry(), QRect(1, 1, 798, 377));
}

TEST_F(WindowTest, EngineThatCannotStartShowsOneBoxAndTheWindowStillOpens) {
  withoutEngineLibrary();
  TKorvelfrm form(FormDescription::korveel());
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ui_.shown[0].text, kStartupFailure);
  EXPECT_EQ(ui_.shown[0].caption, Application::instance()->Title());
  EXPECT_EQ(ui_.shown[0].kind, MessageKind::kError);
  EXPECT_EQ(ui_.shown[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(form.TabControl1->tabIndex(), 0);
  EXPECT_FALSE(form.wwTable1.Active());
  EXPECT_EQ(form.wwTable1.TableName(), "Portf");
  form.show();
  EXPECT_TRUE(form.isVisible());
}

TEST_F(WindowTest, TheCloseButtonClosesTheWindow) {
  withoutEngineLibrary();
  TKorvelfrm form(FormDescription::korveel());
  form.show();
  QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(WindowTest, TheIconicStartRequestShowsTheWindowMinimised) {
  EXPECT_EQ(startShowState({"vindral"}), ShowState::kNormal);
  EXPECT_EQ(startShowState({"vindral", "-iconic"}), ShowState::kMinimised);
  QWidget window;
  showInState(window, ShowState::kMinimised);
  EXPECT_TRUE(window.isMinimized());
}

// An object whose handler of the program's own events throws what the test
// gives it. (Through Qt's mouse and key dispatch the unwinding leaks the
// event copies and guards Qt makes there; see Application::RunHandler.)
class ThrowingObject : public QObject {
 public:
  std::function<void()> onEvent;
  int events = 0;

  void send() {
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(this, &event);
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    ++events;
    onEvent();
    return true;
  }
};

TEST_F(WindowTest, TopLevelHandlerShowsFailuresWithAFullStopAndTheLoopGoesOn) {
  ThrowingObject receiver;
  receiver.onEvent = [] { throw std::runtime_error("Table is busy"); };
  receiver.send();
  receiver.onEvent = [] { throw std::runtime_error("Key violation."); };
  receiver.send();
  receiver.onEvent = [] { throw toolkit::EAbort(); };
  receiver.send();
  EXPECT_EQ(receiver.events, 3);
  ASSERT_EQ(ui_.shown.size(), 2u);
  EXPECT_EQ(ui_.shown[0].text, "Table is busy.");
  EXPECT_EQ(ui_.shown[0].caption, Application::instance()->Title());
  EXPECT_EQ(ui_.shown[1].text, "Key violation.");
}

TEST_F(WindowTest, TopLevelHandlerReleasesTheMouse) {
  QPushButton button;
  button.show();
  button.grabMouse();
  if (QWidget::mouseGrabber() != &button) GTEST_SKIP() << "this platform cannot grab the mouse";
  Application::instance()->HandleException(
      std::make_exception_ptr(std::runtime_error("Record locked by another user")));
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ui_.shown[0].text, "Record locked by another user.");
}

#ifdef HAVE_STORE

class WindowOnTablesTest : public WindowTest {
 protected:
  testing::TestDatabase database_;
};

TEST_F(WindowOnTablesTest, StartOpensPortfAndATabOpensItsTable) {
  testing::addTheSixTables(database_);
  TKorvelfrm form(FormDescription::korveel());
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(form.TabControl1->tabIndex(), 0);
  EXPECT_TRUE(form.wwTable1.Active());
  EXPECT_EQ(form.wwTable1.TableName(), "Portf");
  EXPECT_EQ(form.wwTable1.State(), data::DataSetState::kBrowse);
  EXPECT_EQ(form.wwTable1.RecordCountTotal(), 3);
  EXPECT_EQ(form.wwTable1.FieldByName("Name")->AsString(), "Growth");
  EXPECT_FALSE(form.DBNavigator1->Button(nbPrior)->isEnabled());
  EXPECT_TRUE(form.DBNavigator1->Button(nbNext)->isEnabled());

  form.show();
  clickTab(form, 5);
  EXPECT_EQ(form.TabControl1->tabIndex(), 5);
  EXPECT_TRUE(form.wwTable1.Active());
  EXPECT_EQ(form.wwTable1.TableName(), "UpdateSh");
  EXPECT_EQ(form.wwTable1.RecordCountTotal(), 4);
  EXPECT_EQ(form.wwTable1.FieldByName("Name")->AsString(), "ACME 12.50");
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(WindowOnTablesTest, TheGridShowsTheTabsTableAndEditsInPlace) {
  testing::addTheSixTables(database_);
  TKorvelfrm form(FormDescription::korveel());
  form.show();
  grid::TwwDBGrid& grid = *form.wwDBGrid1;
  EXPECT_EQ(grid.DataLink().MappedCount(), form.wwTable1.FieldCount());
  EXPECT_EQ(grid.DataLink().RecordCount(), 3);
  EXPECT_EQ(grid.rowCount(), 4);  // the titles and the three rows
  clickTab(form, 5);
  EXPECT_EQ(grid.DataLink().MappedCount(), form.wwTable1.FieldCount());
  EXPECT_EQ(grid.DataLink().RecordCount(), 4);
  EXPECT_EQ(grid.rowCount(), 5);

  clickTab(form, 0);
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  grid.setFocus();
  grid.SelectDataColumn(form.wwTable1.FieldByName("Name")->Index());
  QTest::keyClick(&grid, Qt::Key_F2);
  ASSERT_TRUE(grid.editor() && grid.editor()->hasFocus());
  QTest::keyClicks(grid.editor(), "X");
  QTest::keyClick(grid.editor(), Qt::Key_Down);
  EXPECT_EQ(form.wwTable1.State(), data::DataSetState::kBrowse);
  form.wwTable1.First();
  EXPECT_EQ(form.wwTable1.FieldByName("Name")->AsString(), "GrowthX");
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(WindowOnTablesTest, ATabSwitchDuringAnEditDropsTheEdit) {
  testing::addTheSixTables(database_);
  TKorvelfrm form(FormDescription::korveel());
  form.show();
  form.wwTable1.Edit();
  form.wwTable1.FieldByName("Name")->SetAsString("Changed");
  clickTab(form, 1);
  EXPECT_EQ(form.wwTable1.TableName(), "PortfDet");
  EXPECT_EQ(form.wwTable1.State(), data::DataSetState::kBrowse);
  clickTab(form, 0);
  EXPECT_EQ(form.wwTable1.FieldByName("Name")->AsString(), "Growth");
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(WindowOnTablesTest, MissingTableShowsOneBoxAndAnotherTabStillOpens) {
  testing::addTheSixTables(database_);
  std::filesystem::remove(database_.directory() / "SECTRANS.DB");
  TKorvelfrm form(FormDescription::korveel());
  form.show();
  clickTab(form, 2);
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_NE(ui_.shown[0].text.find("Table does not exist"), std::string::npos) << ui_.shown[0].text;
  EXPECT_EQ(ui_.shown[0].text.back(), '.');
  EXPECT_FALSE(form.wwTable1.Active());
  EXPECT_EQ(form.wwTable1.TableName(), "Sectrans");
  for (int button = nbFirst; button <= nbRefresh; ++button) {
    EXPECT_FALSE(form.DBNavigator1->Button(TNavigateBtn(button))->isEnabled()) << button;
  }
  EXPECT_EQ(form.TabControl1->tabIndex(), 2);

  clickTab(form, 3);
  EXPECT_TRUE(form.wwTable1.Active());
  EXPECT_EQ(form.wwTable1.TableName(), "Account");
  EXPECT_EQ(ui_.shown.size(), 1u);
}

TEST_F(WindowOnTablesTest, ATableTheEngineOnlyReadsIsShownAndTheUserHearsWhyOnce) {
  testing::addTheSixTables(database_);
  // Validity checks that cannot be read: the rows still can.
  test_support::TemporaryDirectory scratch;
  scratch.Write(database_.directory() / "SECTRANS.VAL", std::string(40, '\x7f'));
  TKorvelfrm form(FormDescription::korveel());
  form.show();
  clickTab(form, 2);
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ui_.shown[0].text.rfind("The table Sectrans can be read but not changed: ", 0), 0u)
      << ui_.shown[0].text;
  EXPECT_EQ(ui_.shown[0].kind, MessageKind::kWarning);
  EXPECT_TRUE(form.wwTable1.Active());
  EXPECT_FALSE(form.wwTable1.CanModify());
  EXPECT_GT(form.wwTable1.RecordCountTotal(), 0);

  clickTab(form, 3);
  clickTab(form, 2);
  EXPECT_EQ(ui_.shown.size(), 1u);
  EXPECT_TRUE(form.wwTable1.Active());
}

TEST_F(WindowOnTablesTest, MissingAliasShowsTheBoxDuringStartAndTheWindowOpens) {
  testing::addTheSixTables(database_);
  database_.dropAlias();
  TKorvelfrm form(FormDescription::korveel());
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_FALSE(form.wwTable1.Active());
  form.show();
  EXPECT_TRUE(form.isVisible());
}

TEST_F(WindowOnTablesTest, ProtectedTableAsksForThePasswordAndOpensAfterOk) {
  testing::addTheSixTables(database_);
  std::filesystem::remove(database_.directory() / "PORTF.DB");
  database_.addTable("PORTF.DB", {"Secret fund"}, "swordfish");
  PasswordDialogPrompt prompt;
  engine::Engine::instance().setPasswordPrompt(&prompt);
  int asked = 0;
  // The dialog is modal: answer it from the event loop it runs.
  std::function<void()> answer = [&] {
    auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      QTimer::singleShot(10, answer);
      return;
    }
    ++asked;
    QTest::keyClicks(dialog->passwordEdit(), asked == 1 ? "wrong" : "swordfish");
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    if (asked == 1) QTimer::singleShot(10, answer);
  };
  QTimer::singleShot(10, answer);
  TKorvelfrm form(FormDescription::korveel());
  engine::Engine::instance().setPasswordPrompt(nullptr);
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_TRUE(form.wwTable1.Active());
  EXPECT_EQ(form.wwTable1.FieldByName("Name")->AsString(), "Secret fund");
}

TEST_F(WindowOnTablesTest, PrintReportsTheShownTableUnderItsTabsCaptionDatedToday) {
  testing::addTheSixTables(database_);
  const toolkit::LocaleSettings saved = toolkit::localeSettings();
  toolkit::LocaleSettings fixed = saved;
  fixed.shortDateFormat = "d/M/yyyy";
  fixed.now = [] { return std::chrono::sys_days{std::chrono::December / 8 / 2026} + 15h; };
  toolkit::setLocaleSettings(fixed);
  TKorvelfrm form(FormDescription::korveel());
  EXPECT_EQ(form.xvDBPrint1.Table, &form.wwTable1);
  EXPECT_EQ(form.xvDBPrint1.TopMargin, 100);
  EXPECT_TRUE(form.xvDBPrint1.RowLines);
  EXPECT_EQ(form.xvDBPrint1.TitleFont().name, "Arial");
  EXPECT_EQ(form.xvDBPrint1.PrintMgrTitle, "xvDBPrint1");
  EXPECT_EQ(form.xvDBPrint1.Header, "Myreport today");
  toolkit::RecordingPrinter printer(4800, 6600, 600);
  form.xvDBPrint1.SetPrinterFactory([&printer](const report::TxvDBPrint&) {
    auto handle = std::make_unique<toolkit::ForwardingPrinter>(printer);
    return std::unique_ptr<toolkit::PrinterService>(std::move(handle));
  });
  form.show();
  clickTab(form, 5);
  form.wwTable1.Next();
  QTest::mouseClick(form.BitBtn3, Qt::LeftButton);
  toolkit::setLocaleSettings(saved);

  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(form.xvDBPrint1.Header, "Price History");
  EXPECT_EQ(form.xvDBPrint1.DateLabel, "8/12/2026");
  EXPECT_EQ(printer.steps(), (std::vector<std::string>{"title xvDBPrint1", "begin", "end"}));
  std::vector<std::string> texts;
  for (const toolkit::CanvasCall& call :
       printer.recording().callsOf(toolkit::CanvasCall::Kind::kTextOut))
    texts.push_back(call.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"8/12/2026", "Page 1", "Price History"}));
  EXPECT_EQ(form.wwTable1.RecNo(), 2) << "the grid's row is kept";
}

TEST_F(WindowOnTablesTest, ADoubleClickOnAGridRowOpensTheRecordViewOnIt) {
  testing::addTheSixTables(database_);
  TKorvelfrm form(FormDescription::korveel());
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  bool shown = false;
  QTimer::singleShot(0, [&] {
    recordview::TwwRecordViewForm* view = form.wwRecordViewDialog1->Form();
    ASSERT_NE(view, nullptr);
    shown = true;
    EXPECT_EQ(view->windowTitle(), "Record View");
    EXPECT_EQ(form.wwRecordViewDialog1->ReadOnlyColor, toolkit::clNavy);
    auto* name = view->findChild<QLineEdit*>();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Income");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, " Fund");
    QTest::mouseClick(view->OKButton, Qt::LeftButton);
  });
  // The second row of the grid: below the title row.
  const toolkit::Rect cell = form.wwDBGrid1->cellRect(1, 2);
  const QPoint point(cell.left + 3, cell.top + 3);
  QTest::mouseClick(form.wwDBGrid1, Qt::LeftButton, {}, point);
  ASSERT_EQ(form.wwTable1.FieldByName("Name")->AsString(), "Income");
  QTest::mouseDClick(form.wwDBGrid1, Qt::LeftButton, {}, point);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(form.wwTable1.State(), data::DataSetState::kBrowse);
  EXPECT_EQ(form.wwTable1.FieldByName("Name")->AsString(), "Income Fund");
}

#endif

}  // namespace
}  // namespace app
