// The window's search box on the sample database: on every tab, typing the
// last row's first key value finds that row.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "app/engine/engine.h"
#include "korveel.h"
#include "test_tables.h"
#include "toolkit/manual_timers.h"
#include "toolkit/scripted_ui.h"
#include "toolkit/tab_control.h"

namespace app {
namespace {

class SearchBoxWindowTest : public ::testing::Test {
 protected:
  ~SearchBoxWindowTest() override { engine::Engine::instance().shutdown(); }
  toolkit::ScopedScriptedUi ui_;
  toolkit::ScopedManualTimers timers_;
  testing::TestDatabase database_;
};

TEST_F(SearchBoxWindowTest, FindsTheLastRowOfEveryTableByItsKey) {
  const std::filesystem::path samples = FOLIODB_DIR;
  if (!std::filesystem::exists(samples / "UpdateSh.DB")) GTEST_SKIP() << "no sample database";
  for (const auto& file : std::filesystem::directory_iterator(samples))
    std::filesystem::copy(file.path(), database_.directory() / file.path().filename());

  TKorvelfrm form(FormDescription::korveel());
  ASSERT_TRUE(ui_.shown.empty()) << ui_.shown[0].text;
  EXPECT_EQ(form.wwIncrementalSearch1->objectName(), "wwIncrementalSearch1");
  EXPECT_EQ(form.wwIncrementalSearch1->geometry(), QRect(44, 98, 169, 21));
  EXPECT_EQ(form.wwIncrementalSearch1->CharCase(), edit::TEditCharCase::ecUpperCase);
  for (int tab = 0; tab < 6; ++tab) {
    form.TabControl1->setTabIndex(tab);
    form.TabControl1Change(form.TabControl1);
    data::TwwTable& table = form.wwTable1;
    ASSERT_TRUE(table.Active());
    data::TField* key = table.IndexFields(0);
    ASSERT_NE(key, nullptr) << table.TableName();
    table.Last();
    const std::string wanted = key->AsString();
    table.First();
    form.wwIncrementalSearch1->Clear();
    QTest::keyClicks(form.wwIncrementalSearch1, QString::fromStdString(wanted));
    timers_.advance(166);
    EXPECT_EQ(key->AsString(), wanted) << table.TableName();
  }
}

}  // namespace
}  // namespace app
