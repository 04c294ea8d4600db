// pdx import --csv: awkward CSV text imported and dumped back, a table
// exported and imported again unchanged, and the refusals, each with the
// line it happened on.
#include <gtest/gtest.h>

#include <filesystem>

#include "paradox/testing/tool_test_support.h"
#include "store_test_support.h"

namespace pdx::testing {
namespace {

// Every type the format has; new tables are in code page 850.
constexpr char kSchema[] =
    "Name\tA30*\nNote\tM10\nAmount\tN\nPrice\t#2\nDay\tD\nAt\t@\nClock\tT\nFlag\tL\n"
    "Count\tI\nSmall\tS\nSerial\t+\nMoney\t$\nRaw\tY4\nPicture\tB10\nRich\tF10\n";

class ImportTest : public ::testing::Test {
 protected:
  void Create(const std::string& name) {
    WriteFile(dir_.File("schema"), kSchema);
    ASSERT_EQ(Shell(Pdx() + "create " + dir_.File("schema") + " " + dir_.File(name)), 0);
  }
  // Imports csv into the table; answers the exit status, standard error in errors_.
  int Import(const std::string& name, const std::string& csv, const std::string& options = "") {
    WriteFile(dir_.File("in.csv"), csv);
    const int status = Shell(Pdx() + "import " + dir_.File(name) + " --csv - --no-sync " + options +
                             " < " + dir_.File("in.csv") + " 2> " + dir_.File("err"));
    errors_ = ReadFile(dir_.File("err"));
    return status;
  }
  std::string Dump(const std::string& name) {
    Shell(Pdx() + "dump " + dir_.File(name) + " > " + dir_.File("dump"));
    return ReadFile(dir_.File("dump"));
  }

  TemporaryDirectory dir_;
  std::string errors_;
};

TEST_F(ImportTest, AwkwardCsvImportsAndDumpsBack) {
  Create("T");
  // Columns in another order, some left out; quotes, commas and line breaks
  // in quoted fields; UTF-8 text; CR LF and LF lines mixed.
  const std::string csv =
      "Note,Name,Amount,Price,Day,At,Clock,Flag,Raw\r\n"
      "\"He said \"\"no\"\", then left,\r\nslowly.\",\"Müller, Jürgen\",1.5,12.30,"
      "2024-02-29,2024-02-29T23:59:59.999,08:00:00.000,true,AP8=\r\n"
      "Straße,Zoë,-0.1,-3,0001-01-01,1999-12-31 12:00:00,00:00:00,F,\n"
      ",empty row,,,,,,,\n";
  ASSERT_EQ(Import("T", csv), 0) << errors_;
  EXPECT_EQ(
      Dump("T"),
      "Name\tNote\tAmount\tPrice\tDay\tAt\tClock\tFlag\tCount\tSmall\tSerial\tMoney\tRaw\t"
      "Picture\tRich\n"
      "M\x81ller, J\x81rgen\tHe said \"no\", then left,\\r\\nslowly.\t1.5\t12.30\t2024-02-29\t"
      "2024-02-29 23:59:59.999\t08:00:00.000\tT\t\t\t1\t\t00ff\t\t\n"
      "Zo\x89\tStra\xe1"
      "e\t-0.10000000000000001\t-3.00\t0001-01-01\t1999-12-31 12:00:00.000\t"
      "00:00:00.000\tF\t\t\t2\t\t\t\t\n"
      "empty row\t\t\t\t\t\t\t\t\t\t3\t\t\t\t\n");
}

TEST_F(ImportTest, ExportedTableImportsUnchanged) {
  Create("A");
  WriteFile(
      dir_.File("rows"),
      "Name\tNote\tAmount\tPrice\tDay\tAt\tClock\tFlag\tCount\tSmall\tMoney\tRaw\tPicture\tRich\n"
      "caf\x82\ta long memo, with \"quotes\"\\nand a second line that goes on and on\t"
      "1e+300\t-0.05\t-0044-03-15\t2000-01-01 00:00:00.001\t23:59:59.999\tF\t-2147483647\t"
      "32767\t0.1\t01\t" +
          std::string(9000, 'a') +
          "\t00ff0a0d2c22\n"
          "x\t\t-0\t0.00\t\t\t\t\t\t\t\t\t\t\n");
  ASSERT_EQ(Shell(Pdx() + "insert " + dir_.File("A") + " < " + dir_.File("rows")), 0);
  ASSERT_EQ(Shell(Pdx() + "export " + dir_.File("A") + " --csv " + dir_.File("a.csv")), 0);
  Create("B");
  ASSERT_EQ(Import("B", ReadFile(dir_.File("a.csv"))), 0) << errors_;
  const std::string a = Dump("A");
  EXPECT_EQ(Dump("B"), a);
  EXPECT_NE(a.find("caf\x82"), std::string::npos);
}

TEST_F(ImportTest, CharacterOutsideTheCodePageIsRefusedWithItsLine) {
  Create("T");
  const std::string csv =
      "Name,Note\n"
      "first,\"a note of\ntwo lines\"\n"
      "costs 5 \xe2\x82\xac,x\n"  // the euro sign, which code page 850 lacks, on line 4
      "last,y\n";
  EXPECT_EQ(Import("T", csv), 1);
  EXPECT_NE(errors_.find("T: line 4: "), std::string::npos) << errors_;
  EXPECT_NE(errors_.find("(U+20AC) cannot be stored in code page 850."), std::string::npos)
      << errors_;
  EXPECT_NE(errors_.find("Field: Name"), std::string::npos) << errors_;
  EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 1) << errors_;
  const std::string dump = Dump("T");
  EXPECT_NE(dump.find("\nfirst\t"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\nlast\t"), std::string::npos) << dump;
  EXPECT_EQ(dump.find("costs"), std::string::npos) << dump;
  // The table's own bytes go in as they are with --encoding table.
  EXPECT_EQ(Import("T", "Name\ncaf\x82\n", "--encoding table"), 0) << errors_;
  EXPECT_NE(Dump("T").find("\ncaf\x82\t"), std::string::npos);
}

TEST_F(ImportTest, CodePageOptionOverridesTheHeadersBothWays) {
  // Text written in code page 1251 into a table whose header says 850.
  Create("T");
  const std::string csv = "Name\n\xd0\x9f\xd1\x80\xd0\xb8\n";  // Cyrillic, which 850 lacks
  EXPECT_EQ(Import("T", csv), 1);
  EXPECT_EQ(Import("T", csv, "--code-page 1251"), 0) << errors_;
  const std::string dump = Dump("T");
  EXPECT_EQ(dump.substr(dump.find('\n') + 1, 4), "\xcf\xf0\xe8\t");
  ASSERT_EQ(Shell(Pdx() + "export " + dir_.File("T") + " --csv " + dir_.File("out.csv") +
                  " --lf --code-page 1251"),
            0);
  const std::string out = ReadFile(dir_.File("out.csv"));
  EXPECT_EQ(out.substr(out.find('\n') + 1, 7), "\xd0\x9f\xd1\x80\xd0\xb8,");
}

TEST_F(ImportTest, RowsThatDoNotFitAreRefusedAndTheRestGoesIn) {
  Create("T");
  EXPECT_EQ(Import("T",
                   "name,DAY,Count,Raw\n"
                   "a,2023-02-29,1,\n"    // no such day
                   "b,,2,3,4\n"           // a value too many
                   "c,,x,\n"              // not a number
                   "d,2023-03-01,4,!!\n"  // not base64
                   "e,,5,\n"
                   "e,,6,\n"),  // the key again
            1);
  EXPECT_NE(errors_.find("line 2: Invalid Date. (Field: Day)"), std::string::npos) << errors_;
  EXPECT_NE(errors_.find("line 3: expected 4 values, found 5"), std::string::npos) << errors_;
  EXPECT_NE(errors_.find("line 4: Number is out of range. (Field: Count)"), std::string::npos)
      << errors_;
  EXPECT_NE(errors_.find("line 5: the value is not base64 (Field: Raw)"), std::string::npos)
      << errors_;
  EXPECT_NE(errors_.find("line 7: Key violation."), std::string::npos) << errors_;
  EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 5) << errors_;
  const std::string dump = Dump("T");
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 2) << dump;  // the header and e
  // Input that cannot be a table's rows at all is a failure that writes nothing.
  EXPECT_EQ(Import("T", "Name,Colour\nf,red\n"), 2);
  EXPECT_NE(errors_.find("the table has no field \"Colour\""), std::string::npos) << errors_;
  EXPECT_EQ(Import("T", "Name,NAME\nf,g\n"), 2);
  EXPECT_EQ(Import("T", "Name\nf\n\"g\n"), 2);
  EXPECT_NE(errors_.find("line 3: a quoted field is not closed"), std::string::npos) << errors_;
  EXPECT_EQ(Dump("T"), dump);
}

}  // namespace
}  // namespace pdx::testing
