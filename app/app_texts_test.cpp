#include "app_texts.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(ApplicationTitle, TakesTheFileNameUpToTheFirstDotWithTheRestLowered) {
  EXPECT_EQ(applicationTitle("/usr/local/bin/VINDRAL.BIN"), "Vindral");
  EXPECT_EQ(applicationTitle("/opt/my.apps/KorVeel"), "Korveel");
  EXPECT_EQ(applicationTitle("vindral"), "vindral");
  EXPECT_EQ(applicationTitle("/usr/bin/.hidden"), "");
  EXPECT_EQ(applicationTitle(""), "");
}

TEST(FullStopRule, AppendsOnlyAfterCharactersThatSortAfterTheFullStop) {
  EXPECT_EQ(withFullStop("Table does not exist"), "Table does not exist.");
  EXPECT_EQ(withFullStop("Field : Amount2"), "Field : Amount2.");
  EXPECT_EQ(withFullStop("Done."), "Done.");
  EXPECT_EQ(withFullStop("Stop!"), "Stop!");
  EXPECT_EQ(withFullStop("(error $2108)"), "(error $2108)");
  EXPECT_EQ(withFullStop("trailing space "), "trailing space ");
  EXPECT_EQ(withFullStop("a-b-"), "a-b-");
  EXPECT_EQ(withFullStop(""), "");
  EXPECT_EQ(withFullStop("Gr\xC3\xBC\xC3\x9F"), "Gr\xC3\xBC\xC3\x9F.");
}

}  // namespace
}  // namespace app
