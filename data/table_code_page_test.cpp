// Which code page a data set decodes its table's text with: from the header,
// the sort order, or the alias's setting, on genuine tables.
#include "table_code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data_set_error.h"
#include "memory_table_test_support.h"
#include "paradox_table_test_support.h"
#include "wwtable.h"

namespace data {
namespace {

namespace fs = std::filesystem;

TEST(TableCodePageTest, TheAliasSettingThenTheHeaderThenTheSortOrderThen437) {
  EXPECT_EQ(TableCodePage({70, 936, "china", 0x03, 1251}), 1251);
  EXPECT_EQ(TableCodePage({70, 1252, "ANSIINTL", 0x62, 0}), 1252);
  // A header without a code page: the sort order's name tells.
  EXPECT_EQ(TableCodePage({40, 0, "BLROM800", 0x14, 0}), 1051);
  EXPECT_EQ(TableCodePage({40, 0, "nosuch", 0x14, 0}), 437);
  // Level 3 has only the sort order's code; where codes collide the level 3
  // drivers win over the later ones (0xD0 is also SYDC850), and Windows
  // drivers never match (0x8F is also ancyrr).
  EXPECT_EQ(TableCodePage({35, 0, "", 0xC0, 0}), 866);
  EXPECT_EQ(TableCodePage({30, 0, "", 0xD0, 0}), 861);
  EXPECT_EQ(TableCodePage({30, 0, "", 0x8F, 0}), 852);
  EXPECT_EQ(TableCodePage({30, 0, "", 0x00, 0}), 437);
  EXPECT_EQ(TableCodePage({30, 0, "", 0x55, 0}), 437);
}

// Genuine tables are copied into a temporary directory, since the data set
// opens its tables for writing.
class SampleCodePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    if (!testing::StartEngine(&reason)) GTEST_SKIP() << reason;
  }
  bool Copy(const std::string& sample) {
    const fs::path from = fs::path(VINDRAL_SAMPLES_DIR) / sample;
    if (!fs::exists(from)) return false;
    const std::string stem = from.stem().string();
    for (const auto& entry : fs::directory_iterator(from.parent_path()))
      if (entry.path().stem() == stem)
        fs::copy_file(entry.path(), directory.Path() / entry.path().filename());
    return true;
  }
  void OpenOn(const std::string& database, const std::string& name) {
    table.SetDatabaseName(database);
    table.TableType = TTableType::ttParadox;
    table.SetTableName(name);
    table.Open();
  }
  std::string Utf8(const std::string& field) {
    return table.textCodec().toUtf8(table.FieldByName(field)->AsString());
  }

  testing::TemporaryDirectory directory;
  TwwTable table;
};

#define COPY(sample)                                                             \
  do {                                                                           \
    if (!Copy(sample)) GTEST_SKIP() << "sample " << (sample) << " is not there"; \
  } while (false)

TEST_F(SampleCodePageTest, CyrillicTablesOfLevel3AndLevel4DecodeAlike) {
  COPY("celebithil__Rparadox/of_cp866.db");
  COPY("celebithil__Rparadox/of.db");
  // Level 4 names code page 866 in its header; level 3.5 has only the code
  // of its sort order, "cyrr".
  for (const char* name : {"of_cp866", "of"}) {
    SCOPED_TRACE(name);
    OpenOn(directory.Database(), name);
    EXPECT_EQ(table.textCodec().codePage(), 866);
    ASSERT_GE(table.FieldCount(), 4);
    EXPECT_EQ(table.textCodec().toUtf8(table.Fields(3)->FieldName()), "Наименование");
    EXPECT_EQ(table.textCodec().toUtf8(table.Fields(3)->AsString()), "АП-Т УЗТ-ПЕРЕНОСНОЙ");
    table.Close();
  }
}

TEST_F(SampleCodePageTest, WesternTablesDecodeAndEncodeBackByteForByte) {
  COPY("celebithil__Rparadox/TypSammlung.DB");
  COPY("nilsfr__python-pxlib/LAND.DB");
  struct Case {
    const char* table;
    int codePage;
    int field;
    const char* name;
    const char* text;
  };
  for (const Case& c : {Case{"TypSammlung", 1252, 2, "Währung", "Fünfter Datensatz"},
                        Case{"LAND", 865, 2, nullptr, "Østerrike"}}) {
    SCOPED_TRACE(c.table);
    OpenOn(directory.Database(), c.table);
    const toolkit::TextCodec& codec = table.textCodec();
    EXPECT_EQ(codec.codePage(), c.codePage);
    if (c.name != nullptr) {
      EXPECT_EQ(codec.toUtf8(table.Fields(c.field)->FieldName()), c.name);
    }
    bool found = false;
    for (; !table.Eof(); table.Next()) {
      for (int i = 0; i < table.FieldCount(); ++i) {
        TField* field = table.Fields(i);
        if (field->DataType() != TFieldType::ftString) continue;
        const std::string stored = field->AsString();
        const std::string utf8 = codec.toUtf8(stored);
        found = found || utf8 == c.text;
        const toolkit::TextCodec::Encoded back = codec.fromUtf8(utf8);
        ASSERT_TRUE(back.ok) << back.message;
        EXPECT_EQ(back.text, stored);
      }
    }
    EXPECT_TRUE(found) << c.text;
    table.Close();
  }
}

TEST_F(SampleCodePageTest, TheAliasSettingOverridesAHeaderThatNamesTheWrongPage) {
  COPY("leonhad__paradoxdriver/db-history/NOTE1251.DB");
  OpenOn(directory.Database(), "NOTE1251");
  EXPECT_EQ(table.textCodec().codePage(), 936);  // what its header claims
  table.Close();

  const fs::path config = directory.Path() / "engine.cfg";
  std::ofstream(config) << "[Aliases]\nNOTES=" << directory.Path().string()
                        << "\n[Notes]\nCODEPAGE=1251\n";
  const char* old = std::getenv("PDX_CONFIG");
  const std::string saved = old != nullptr ? old : "";
  setenv("PDX_CONFIG", config.c_str(), 1);
  OpenOn("NOTES", "NOTE1251");
  EXPECT_EQ(table.textCodec().codePage(), 1251);
  EXPECT_EQ(Utf8("Note").rfind("При разработке электронных сервисов", 0), 0u) << Utf8("Note");
  table.Close();

  // A code page the system cannot convert keeps the table closed, saying why.
  std::ofstream(config) << "[Aliases]\nNOTES=" << directory.Path().string()
                        << "\n[Notes]\nCODEPAGE=4242\n";
  try {
    OpenOn("NOTES", "NOTE1251");
    ADD_FAILURE() << "opened";
  } catch (const EDatabaseError& error) {
    EXPECT_NE(std::string(error.what()).find("4242"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("CODEPAGE="), std::string::npos) << error.what();
  }
  EXPECT_FALSE(table.Active());
  if (old != nullptr)
    setenv("PDX_CONFIG", saved.c_str(), 1);
  else
    unsetenv("PDX_CONFIG");
}

}  // namespace
}  // namespace data
