#include "table_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "paradox/testing/memory_file_system.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

TEST(TableFilesTest, PathsSplitIntoDirectoryNameAndStem) {
  EXPECT_EQ(DirectoryOf("/data/Portf.DB"), "/data");
  EXPECT_EQ(DirectoryOf("/Portf.DB"), "/");
  EXPECT_EQ(DirectoryOf("Portf.DB"), ".");
  EXPECT_EQ(FileNameOf("/data/Portf.DB"), "Portf.DB");
  EXPECT_EQ(WithoutExtension("/data/Portf.DB"), "/data/Portf");
  EXPECT_EQ(WithoutExtension("/da.ta/Portf"), "/da.ta/Portf");
  EXPECT_EQ(TableStem("Portf.db"), "Portf");
  EXPECT_EQ(TableStem("Portf"), "Portf");
  EXPECT_EQ(DataFileName("Portf"), "Portf.DB");
  EXPECT_EQ(DataFileName("PORTF.db"), "PORTF.db");
  std::string directory, name;
  SplitTablePath("sub/dir/Portf", &directory, &name);
  EXPECT_EQ(directory, "sub/dir");
  EXPECT_EQ(name, "Portf");
}

TEST(TableFilesTest, SecondaryIndexNamesAreRecognisedInAnyCase) {
  for (const char* yes : {"X02", "Y02", "x0a", "XG0", "ygF", "X1F"})
    EXPECT_TRUE(IsSecondaryIndexExtension(yes)) << yes;
  for (const char* no : {"X2", "XGG", "DB", "PX", "XZ1", "X0A1", "VAL"})
    EXPECT_FALSE(IsSecondaryIndexExtension(no)) << no;
}

TEST(TableFilesTest, CompanionsAndTableFilesAreFoundWithoutRegardToCase) {
  testing::MemoryFileSystem fs;
  for (const char* name :
       {"/d/PORTF.DB", "/d/portf.px", "/d/Portf.X02", "/d/PortfDet.DB", "/d/Portf.DB.bak"})
    fs.SetContents(name, "x");
  EXPECT_EQ(FindCompanion(&fs, "/d/PORTF.DB", ".PX"), "/d/portf.px");
  EXPECT_EQ(FindCompanion(&fs, "/d/PORTF.DB", ".MB"), "");
  EXPECT_EQ(CompanionPath("/d/PORTF.DB", ".JNL"), "/d/PORTF.JNL");
  std::vector<std::string> names;
  ASSERT_EQ(ListTableFiles(&fs, "/d", "Portf", &names), PDX_OK);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"PORTF.DB", "Portf.X02", "portf.px"}));
}

}  // namespace
}  // namespace pdx
