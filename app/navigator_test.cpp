// The navigator bar, headless: enabling after every state, clicks with the
// delete confirmation, auto-repeat on a hand-ticked timer, the layout
// arithmetic, the keyboard and the glyphs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "app/navigator.h"
#include "app/navigator_glyphs.h"
#include "app/navigator_timer.h"
#include "data/data_set.h"
#include "data/data_source.h"
#include "data/memory_table_test_support.h"
#include "toolkit/scripted_ui.h"

namespace app {
namespace {

class HandTimer : public RepeatTimer {
 public:
  void Start(int intervalMs) override {
    running = true;
    intervals.push_back(intervalMs);
  }
  void SetInterval(int intervalMs) override { intervals.push_back(intervalMs); }
  void Stop() override { running = false; }
  bool Running() const override { return running; }
  void Tick() {
    if (running && onTick) onTick();
  }
  bool running = false;
  std::vector<int> intervals;
};

class NavigatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    opener->tables["T"] = data::testing::NumberedTable(5);
    opener->tables["Empty"] = data::testing::NumberedTable(0);
    dataSet.SetTableOpener(opener);
    dataSet.SetTableName("T");
    source.SetDataSet(&dataSet);
    navigator.resize(240, 30);
    navigator.SetDataSource(&source);
    auto hand = std::make_unique<HandTimer>();
    timer = hand.get();
    navigator.SetRepeatTimer(std::move(hand));
  }
  // The enabled buttons as a string of 0 and 1, first to refresh.
  std::string Enabled() {
    std::string flags;
    for (int i = 0; i < kNavigatorButtonCount; ++i)
      flags += navigator.Button(static_cast<TNavigateBtn>(i))->isEnabled() ? '1' : '0';
    return flags;
  }
  int64_t CurrentId() { return dataSet.FieldByName("ID")->AsInteger(); }

  std::shared_ptr<data::testing::MemoryOpener> opener =
      std::make_shared<data::testing::MemoryOpener>();
  data::TDataSet dataSet;
  data::TwwDataSource source;
  TDBNavigator navigator;
  HandTimer* timer = nullptr;
  toolkit::ScopedScriptedUi ui;
};

TEST_F(NavigatorTest, EnablingFollowsStateAndPosition) {
  EXPECT_EQ("0000000000", Enabled()) << "closed";
  dataSet.Open();
  //          FPNLIDEPCR
  EXPECT_EQ("0011111001", Enabled()) << "first row";
  dataSet.Last();
  EXPECT_EQ("1100111001", Enabled()) << "last row";
  dataSet.Prior();
  EXPECT_EQ("1111111001", Enabled());
  dataSet.Edit();
  EXPECT_EQ("1111110111", Enabled()) << "editing";
  dataSet.Cancel();
  EXPECT_EQ("1111111001", Enabled());
  navigator.setEnabled(false);
  EXPECT_EQ("0000000000", Enabled()) << "a disabled bar is not live";
  navigator.setEnabled(true);
  EXPECT_EQ("1111111001", Enabled());
  dataSet.Close();
  EXPECT_EQ("0000000000", Enabled());
}

TEST_F(NavigatorTest, EmptyAndReadOnlyTables) {
  dataSet.SetTableName("Empty");
  dataSet.Open();
  EXPECT_EQ("0000101001", Enabled()) << "empty: insert, edit and refresh";
  dataSet.Close();
  dataSet.SetTableName("T");
  dataSet.SetReadOnly(true);
  dataSet.Open();
  EXPECT_EQ("0011000000", Enabled()) << "read-only: only moving";
}

TEST_F(NavigatorTest, ClicksOperateOnTheDataSet) {
  dataSet.Open();
  std::vector<TNavigateBtn> clicked;
  navigator.OnClick = [&](TNavigateBtn button) { clicked.push_back(button); };
  QTest::mouseClick(navigator.Button(nbLast), Qt::LeftButton);
  EXPECT_EQ(5, CurrentId());
  QTest::mouseClick(navigator.Button(nbPrior), Qt::LeftButton);
  EXPECT_EQ(4, CurrentId());
  QTest::mouseClick(navigator.Button(nbEdit), Qt::LeftButton);
  EXPECT_EQ(data::DataSetState::kEdit, dataSet.State());
  dataSet.FieldByName("NAME")->SetAsString("Four");
  QTest::mouseClick(navigator.Button(nbPost), Qt::LeftButton);
  EXPECT_EQ(data::DataSetState::kBrowse, dataSet.State());
  EXPECT_EQ("Four", dataSet.FieldByName("NAME")->AsString());
  QTest::mouseClick(navigator.Button(nbInsert), Qt::LeftButton);
  EXPECT_EQ(data::DataSetState::kInsert, dataSet.State());
  QTest::mouseClick(navigator.Button(nbCancel), Qt::LeftButton);
  EXPECT_EQ(data::DataSetState::kBrowse, dataSet.State());
  EXPECT_EQ("1111111001", Enabled());
  QTest::mouseClick(navigator.Button(nbFirst), Qt::LeftButton);
  EXPECT_EQ(1, CurrentId());
  EXPECT_EQ(
      (std::vector<TNavigateBtn>{nbLast, nbPrior, nbEdit, nbPost, nbInsert, nbCancel, nbFirst}),
      clicked);
}

TEST_F(NavigatorTest, DeleteAsksFirst) {
  dataSet.Open();
  ui.answers.push_back(toolkit::MessageResult::kCancel);
  navigator.BtnClick(nbDelete);
  ASSERT_EQ(1u, ui.shown.size());
  EXPECT_EQ("Delete record?", ui.shown[0].text);
  EXPECT_EQ("Confirm", ui.shown[0].caption);
  EXPECT_EQ(toolkit::MessageKind::kConfirmation, ui.shown[0].kind);
  EXPECT_EQ(toolkit::MessageButtons::kOkCancel, ui.shown[0].buttons);
  EXPECT_EQ(1, CurrentId());
  EXPECT_EQ(5u, opener->tables["T"]->rows.size());
  EXPECT_EQ(data::DataSetState::kBrowse, dataSet.State());

  navigator.BtnClick(nbDelete);  // the scripted box answers OK
  EXPECT_EQ(4u, opener->tables["T"]->rows.size());
  EXPECT_EQ(2, CurrentId());
  navigator.ConfirmDelete = false;
  navigator.BtnClick(nbDelete);
  EXPECT_EQ(2u, ui.shown.size()) << "no box without ConfirmDelete";
  EXPECT_EQ(3u, opener->tables["T"]->rows.size());
}

TEST_F(NavigatorTest, ClickOnAClosedDataSetDoesNothingButItsEvent) {
  int clicks = 0;
  navigator.OnClick = [&](TNavigateBtn) { ++clicks; };
  navigator.BtnClick(nbNext);
  EXPECT_EQ(1, clicks);
  EXPECT_FALSE(dataSet.Active());
}

TEST_F(NavigatorTest, HoldingNextRepeats) {
  dataSet.Open();
  navigator.show();
  QAbstractButton* next = navigator.Button(nbNext);
  QTest::mousePress(next, Qt::LeftButton);
  EXPECT_TRUE(timer->running);
  EXPECT_EQ(1, CurrentId()) << "nothing before the first tick";
  timer->Tick();  // 400 ms
  EXPECT_EQ(2, CurrentId());
  timer->Tick();  // then every 100 ms
  EXPECT_EQ(3, CurrentId());
  EXPECT_EQ((std::vector<int>{400, 100, 100}), timer->intervals);
  QTest::mouseRelease(next, Qt::LeftButton);
  EXPECT_FALSE(timer->running);
  EXPECT_EQ(4, CurrentId()) << "the release is the ordinary click";

  // At the end next becomes disabled and the repeat stops moving.
  QTest::mousePress(next, Qt::LeftButton);
  timer->Tick();
  EXPECT_EQ(5, CurrentId());
  timer->Tick();
  EXPECT_FALSE(next->isEnabled());
  EXPECT_EQ(5, CurrentId());
}

TEST_F(NavigatorTest, ARepeatedClickThatFailsStopsTheTimer) {
  dataSet.Open();
  navigator.show();
  navigator.OnClick = [](TNavigateBtn) { throw std::runtime_error("refused"); };
  QTest::mousePress(navigator.Button(nbNext), Qt::LeftButton);
  EXPECT_THROW(timer->Tick(), std::runtime_error);
  EXPECT_FALSE(timer->running);
}

TEST(NavigatorLayoutTest, EqualSharesAndSpreadPixels) {
  std::array<bool, kNavigatorButtonCount> all;
  all.fill(true);
  NavigatorGeometry main = LayoutNavigator(240, 30, all, false);
  EXPECT_EQ(240, main.width);
  for (int i = 0; i < kNavigatorButtonCount; ++i) {
    EXPECT_EQ(24 * i, main.buttons[static_cast<size_t>(i)].left);
    EXPECT_EQ(24, main.buttons[static_cast<size_t>(i)].width);
    EXPECT_EQ(30, main.buttons[static_cast<size_t>(i)].height);
  }
  EXPECT_EQ(240, LayoutNavigator(241, 25, all, false).width) << "not aligned: a multiple of n";
  EXPECT_EQ(200, LayoutNavigator(50, 5, all, false).width) << "at least 20 pixels a button";
  EXPECT_EQ(18, LayoutNavigator(50, 5, all, false).height);

  // Aligned, 245 pixels: 5 spare pixels over 10 buttons, a running term from 5
  // that widens every button where it falls below 0.
  NavigatorGeometry aligned = LayoutNavigator(245, 25, all, true);
  EXPECT_EQ(245, aligned.width);
  std::string widths;
  for (const ButtonBox& box : aligned.buttons) widths += std::to_string(box.width) + " ";
  EXPECT_EQ("24 25 24 25 24 25 24 25 24 25 ", widths);
  EXPECT_EQ(245, aligned.buttons[9].left + aligned.buttons[9].width);

  std::array<bool, kNavigatorButtonCount> four{true, true, true, true};
  NavigatorGeometry moving = LayoutNavigator(100, 25, four, false);
  EXPECT_EQ(100, moving.width);
  EXPECT_EQ(75, moving.buttons[3].left);
  EXPECT_EQ(101, moving.buttons[4].left) << "hidden buttons sit just past the right edge";
  std::array<bool, kNavigatorButtonCount> none{};
  EXPECT_EQ(20, LayoutNavigator(10, 25, none, false).width) << "n counts as at least 1";
}

TEST_F(NavigatorTest, DefaultSizeAndHints) {
  TDBNavigator fresh;
  EXPECT_EQ(240, fresh.width()) << "241 by 25 shrinks to ten whole buttons";
  EXPECT_EQ(25, fresh.height());
  EXPECT_EQ("First record", fresh.Hint(nbFirst));
  EXPECT_EQ("Refresh data", fresh.Hint(nbRefresh));
  fresh.SetHints({"", "Back"});
  EXPECT_EQ("First record", fresh.Hint(nbFirst));
  EXPECT_EQ("Back", fresh.Hint(nbPrior));
  EXPECT_EQ("DBN_FIRST", TDBNavigator::GlyphName(nbFirst));
  EXPECT_EQ("DBN_REFRESH", TDBNavigator::GlyphName(nbRefresh));
}

TEST_F(NavigatorTest, KeyboardMovesTheMarkAndSpaceClicks) {
  dataSet.Open();
  navigator.SetTabStop(true);
  navigator.show();
  navigator.setFocus();
  QTest::keyClick(&navigator, Qt::Key_Left);
  EXPECT_EQ(nbFirst, navigator.FocusedButton()) << "stops at the end";
  QTest::keyClick(&navigator, Qt::Key_Right);
  QTest::keyClick(&navigator, Qt::Key_Right);
  EXPECT_EQ(nbNext, navigator.FocusedButton());
  QTest::keyClick(&navigator, Qt::Key_Space);
  EXPECT_EQ(2, CurrentId());
  navigator.SetVisibleButtons({true, false, false, true, true, true, true, true, true, true});
  QTest::keyClick(&navigator, Qt::Key_Left);
  EXPECT_EQ(nbFirst, navigator.FocusedButton()) << "hidden buttons are skipped";
  QTest::keyClick(&navigator, Qt::Key_Right);
  EXPECT_EQ(nbLast, navigator.FocusedButton());
  QTest::keyClick(&navigator, Qt::Key_Space);
  EXPECT_EQ(5, CurrentId());
  QTest::keyClick(&navigator, Qt::Key_Space);  // last is disabled now: nothing happens
  EXPECT_EQ(5, CurrentId());
}

TEST(NavigatorGlyphTest, TenBitmapsOfTwoImages) {
  for (int i = 0; i < kNavigatorButtonCount; ++i) {
    QImage glyph = NavigatorGlyph(TDBNavigator::GlyphName(static_cast<TNavigateBtn>(i)));
    ASSERT_FALSE(glyph.isNull());
    EXPECT_EQ(0, glyph.width() % 2);
    QRgb ground = glyph.pixel(0, glyph.height() - 1);
    // Each image has some ink of its own.
    for (int image = 0; image < 2; ++image) {
      bool ink = false;
      for (int x = 0; x < glyph.width() / 2 && !ink; ++x)
        for (int y = 0; y < glyph.height() && !ink; ++y)
          ink = glyph.pixel(image * glyph.width() / 2 + x, y) != ground;
      EXPECT_TRUE(ink) << i << " image " << image;
    }
  }
  EXPECT_TRUE(NavigatorGlyph("DBN_NOTHING").isNull());
}

}  // namespace
}  // namespace app

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
