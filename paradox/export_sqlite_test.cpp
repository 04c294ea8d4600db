// pdx export --sqlite: every genuine sample compared with `pdx dump`
// through the sqlite3 shell; keys; directories with unreadable tables; and
// databases that exist already, which get every table or none.
#include <gtest/gtest.h>
#include <signal.h>
#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "paradox/testing/samples.h"
#include "paradox/testing/tool_test_support.h"
#include "store_test_support.h"

namespace pdx::testing {
namespace {

namespace fs = std::filesystem;

// What the sqlite3 shell prints for a query, one line per row.
std::string Query(const std::string& database, const std::string& sql) {
  TemporaryDirectory dir;
  Shell("sqlite3 " + ShellQuote(database) + " " + ShellQuote(sql) + " > " + dir.File("out") +
        " 2>&1");
  return ReadFile(dir.File("out"));
}

TEST(ExportSqlite, EverySampleComparesWithItsDumpThroughTheShell) {
  SKIP_WITHOUT_SAMPLES();
  if (!Available("python3") || !Available("sqlite3")) GTEST_SKIP() << "no python3 or sqlite3";
  std::map<fs::path, std::vector<fs::path>> directories;
  for (const auto& entry : fs::recursive_directory_iterator(testing::SamplesDirectory()))
    if (strcasecmp(entry.path().extension().c_str(), ".db") == 0)
      directories[entry.path().parent_path()].push_back(entry.path());
  TemporaryDirectory dir;
  std::string arguments;
  int tables = 0;
  for (auto& [directory, paths] : directories) {
    const std::string password =
        directory.filename() == "encrypt" ? "--password 123 " : std::string();
    const std::string database = dir.File(std::to_string(tables) + ".sqlite");
    EXPECT_EQ(Shell(Pdx() + password + "export " + ShellQuote(directory) + " --sqlite " + database),
              0)
        << directory;
    for (const fs::path& table : paths) {
      const std::string base = dir.File(std::to_string(++tables));
      const std::string tool = Pdx() + password;
      ASSERT_EQ(Shell(tool + "dump " + ShellQuote(table) + " > " + base + ".dump"), 0) << table;
      ASSERT_EQ(Shell(tool + "info " + ShellQuote(table) + " > " + base + ".info"), 0) << table;
      arguments +=
          " " + database + " " + ShellQuote(table) + " " + base + ".dump " + base + ".info";
    }
  }
  EXPECT_GE(tables, 50);
  const std::string checker = std::string(PDX_TESTDATA_DIR) + "/../testing/export_matches_dump.py";
  const int status =
      Shell("python3 " + ShellQuote(checker) + " sqlite" + arguments + " > " + dir.File("report"));
  EXPECT_EQ(status, 0) << ReadFile(dir.File("report"));
}

// Secondary indexes of genuine tables: one field, descending (and, by its
// flag 0x01, ignoring case), several fields.
TEST(ExportSqlite, SecondaryIndexesBecomeSqliteIndexes) {
  SKIP_WITHOUT_SAMPLES();
  if (!Available("sqlite3")) GTEST_SKIP() << "no sqlite3 shell";
  TemporaryDirectory dir;
  const std::string database = dir.File("joins.sqlite");
  ASSERT_EQ(
      Shell(Pdx() + "export " + ShellQuote(SamplesDirectory() + "/leonhad__paradoxdriver/joins") +
            " --sqlite " + database),
      0);
  const std::string indexes =
      Query(database, "SELECT sql FROM sqlite_master WHERE type = 'index' AND sql NOT NULL");
  EXPECT_NE(indexes.find(R"(CREATE INDEX "C A" ON "C" ("A"))"), std::string::npos) << indexes;
  EXPECT_NE(
      indexes.find(
          R"(CREATE INDEX "indexed Descending" ON "indexed" ("Indexed" COLLATE NOCASE DESC))"),
      std::string::npos)
      << indexes;
  EXPECT_NE(indexes.find(R"(CREATE INDEX "fk4 reference" ON "fk4" ("FK1", "FK"))"),
            std::string::npos)
      << indexes;
  // The planner takes them: a search on an indexed field uses its index.
  EXPECT_NE(
      Query(database, "EXPLAIN QUERY PLAN SELECT * FROM \"C\" WHERE \"B\" = 1").find("USING INDEX"),
      std::string::npos);
}

class SqliteExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Available("sqlite3")) GTEST_SKIP() << "no sqlite3 shell";
  }
  void MakeTable(const std::string& name, const std::string& schema, const std::string& rows) {
    WriteFile(dir_.File("schema"), schema);
    WriteFile(dir_.File("rows"), rows);
    ASSERT_EQ(Shell(Pdx() + "create " + dir_.File("schema") + " " + dir_.File(name)), 0);
    ASSERT_EQ(Shell(Pdx() + "insert " + dir_.File(name) + " --no-sync < " + dir_.File("rows")), 0);
    fs::remove(dir_.File("schema"));
    fs::remove(dir_.File("rows"));
  }
  // A table of 500 rows in blocks of 1 KB whose third block links back to
  // the first, so that reading fails after two blocks' rows.
  void MakeDamagedTable(const std::string& name) {
    std::string rows = "Name\tCount\n";
    for (int i = 0; i < 500; ++i)
      rows += "row " + std::to_string(i) + "\t" + std::to_string(i) + "\n";
    MakeTable(name, "Name\tA30\nCount\tI\nblocksize 1024\n", rows);
    std::vector<uint8_t> bytes = ReadBytes(dir_.File(name));
    const size_t header = bytes[2] | (bytes[3] << 8), block = 1024;
    bytes[header + 2 * block] = 1;
    bytes[header + 2 * block + 1] = 0;
    WriteBytes(dir_.File(name), bytes);
  }
  std::string Export(const std::string& source, const std::string& options = "") {
    return Pdx() + "export " + dir_.File(source) + " --sqlite " + database_ + " " + options +
           " 2> " + dir_.File("err");
  }
  std::string Errors() { return ReadFile(dir_.File("err")); }

  TemporaryDirectory dir_;
  TemporaryDirectory out_;
  std::string database_ = out_.File("out.sqlite");
};

TEST_F(SqliteExportTest, KeysBecomePrimaryKeysWithoutLosingABlankKey) {
  MakeTable("Single.DB", "Id\tI*\nName\tA10\n", "Id\tName\n\tblank key\n3\tthree\n-7\tminus\n");
  MakeTable("Pair.DB", "A\tA5*\nB\tD*\nC\tN\n", "A\tB\tC\nx\t2001-02-03\t1.5\nx\t1999-12-31\t\n");
  MakeTable("Plain.DB", "N\tS\n", "N\n5\n5\n");
  ASSERT_EQ(Shell(Export("", "--progress")), 0) << Errors();
  EXPECT_NE(Errors().find("Single.DB: 3 of 3 rows"), std::string::npos) << Errors();
  // A blank integer key stays NULL: it must not become SQLite's row id,
  // which would give it a number.
  EXPECT_EQ(Query(database_, "SELECT quote(Id), Name FROM Single ORDER BY rowid"),
            "NULL|blank key\n-7|minus\n3|three\n");
  EXPECT_EQ(Query(database_, "SELECT type, pk FROM pragma_table_info('Single')"),
            "INT|1\nTEXT|0\n");
  EXPECT_EQ(Query(database_, "SELECT name, pk FROM pragma_table_info('Pair')"), "A|1\nB|2\nC|0\n");
  EXPECT_EQ(Query(database_, "SELECT A, B, quote(C) FROM Pair ORDER BY rowid"),
            "x|1999-12-31|NULL\nx|2001-02-03|1.5\n");
  EXPECT_EQ(Query(database_, "SELECT count(*) FROM pragma_table_info('Plain') WHERE pk > 0"),
            "0\n");
  EXPECT_EQ(Query(database_, "SELECT N FROM Plain"), "5\n5\n");
  // A single integer key with no blank is SQLite's row id itself.
  const std::string keyed = out_.File("keyed.sqlite");
  ASSERT_EQ(
      Shell(Pdx() + "export " + dir_.File("Pair") + " --sqlite " + keyed + " --table 'a \"b\"'"),
      0);
  MakeTable("Ids.DB", "Id\tI*\nName\tA10\n", "Id\tName\n4\tfour\n9\tnine\n");
  ASSERT_EQ(Shell(Pdx() + "export " + dir_.File("Ids") + " --sqlite " + keyed), 0);
  EXPECT_EQ(Query(keyed, "SELECT rowid, Id, Name FROM Ids; SELECT count(*) FROM \"a \"\"b\"\"\""),
            "4|4|four\n9|9|nine\n2\n");
}

TEST_F(SqliteExportTest, UnreadableTablesOfADirectoryAreLeftOutWhole) {
  MakeTable("Good.DB", "Name\tA10\n", "Name\nfirst\nsecond\n");
  MakeDamagedTable("Broken.DB");
  fs::copy_file(std::string(PDX_TESTDATA_DIR) + "/encrypted35.db", dir_.File("Secret.DB"));
  // Keys that differ only beyond a double's digits are one key in SQLite.
  MakeTable("Close.DB", "K\t#20*\n", "K\n1.00000000000000000001\n1.00000000000000000002\n");
  // Field names SQLite takes for one (another program's table: ours refuses them).
  MakeTable("Twice.DB", "Name\tA10\nNbme\tA10\n", "Name\n");
  std::string header = ReadFile(dir_.File("Twice.DB"));
  header.replace(header.find("Nbme"), 4, "NAME");
  WriteFile(dir_.File("Twice.DB"), header);
  EXPECT_EQ(Shell(Export("")), 1);
  const std::string errors = Errors();
  EXPECT_NE(errors.find("Broken.DB: Corrupt file - other than header."), std::string::npos)
      << errors;
  EXPECT_NE(errors.find("Secret.DB: Insufficient table rights"), std::string::npos) << errors;
  EXPECT_NE(errors.find("Close.DB: row 2: UNIQUE constraint failed"), std::string::npos) << errors;
  EXPECT_NE(errors.find("Twice.DB: duplicate column name: NAME"), std::string::npos) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 4) << errors;
  EXPECT_EQ(Query(database_, "SELECT name FROM sqlite_schema"), "Good\n");
  EXPECT_EQ(Query(database_, "SELECT Name FROM Good"), "first\nsecond\n");
  // With nothing readable, no file at all.
  fs::remove(database_);
  EXPECT_EQ(Shell(Export("Broken.DB")), 2);
  EXPECT_FALSE(fs::exists(database_));
}

TEST_F(SqliteExportTest, AnExistingDatabaseGetsTheTableOrStaysAsItWas) {
  ASSERT_EQ(Shell("sqlite3 " + database_ + " 'CREATE TABLE keep (x); INSERT INTO keep VALUES (1)'"),
            0);
  MakeTable("T.DB", "Name\tA10*\n", "Name\nann\nbob\n");
  MakeDamagedTable("Broken.DB");
  ASSERT_EQ(Shell(Export("T.DB", "--table people")), 0) << Errors();
  EXPECT_EQ(Query(database_, "SELECT x FROM keep; SELECT Name FROM people"), "1\nann\nbob\n");
  const std::string before = ReadFile(database_);
  EXPECT_EQ(Shell(Export("T.DB", "--table PEOPLE")), 2);
  EXPECT_NE(Errors().find("already has a table named \"PEOPLE\""), std::string::npos) << Errors();
  EXPECT_EQ(Shell(Export("Broken.DB")), 2);
  EXPECT_EQ(ReadFile(database_), before);
  EXPECT_FALSE(fs::exists(database_ + "-journal"));
  // Not a database: refused, and left alone.
  WriteFile(out_.File("notes.txt"), "just text\n");
  EXPECT_EQ(Shell(Pdx() + "export " + dir_.File("T") + " --sqlite " + out_.File("notes.txt") +
                  " 2> " + dir_.File("err")),
            2);
  EXPECT_NE(Errors().find("notes.txt: file is not a database"), std::string::npos) << Errors();
  EXPECT_EQ(ReadFile(out_.File("notes.txt")), "just text\n");
}

TEST_F(SqliteExportTest, ADatabaseInTheDirectoryIsNotTakenForATable) {
  MakeTable("T.DB", "Name\tA10\n", "Name\nann\n");
  const std::string inside = dir_.File("all.db");
  const std::string command = Pdx() + "export " + dir_.Path().string() + " --sqlite " + inside;
  ASSERT_EQ(Shell(command + " --table x 2> /dev/null"), 2);  // one name for many tables
  ASSERT_EQ(Shell(command), 0);
  ASSERT_EQ(Shell("sqlite3 " + inside + " 'DROP TABLE T'"), 0);
  EXPECT_EQ(Shell(command + " 2> " + dir_.File("err")), 0) << Errors();
  EXPECT_EQ(Query(inside, "SELECT Name FROM T"), "ann\n");
}

TEST_F(SqliteExportTest, AnInterruptedExportIntoAnExistingDatabaseIsRolledBack) {
  ASSERT_EQ(Shell("sqlite3 " + database_ + " 'CREATE TABLE keep (x); INSERT INTO keep VALUES (1)'"),
            0);
  std::string rows = "Key\tText\n";
  for (int i = 0; i < 200000; ++i)
    rows += std::to_string(i) + "\tthe text of row " + std::to_string(i) + "\n";
  MakeTable("Big.DB", "Key\tI*\nText\tA40\nblocksize 4096\n", rows);
  int error_pipe = -1;
  const pid_t pid = StartHeldAtFirstMessage(
      {"export", dir_.File("Big"), "--sqlite", database_, "--progress"}, &error_pipe);
  ASSERT_GT(pid, 0) << "the export never reached its first progress report";
  kill(pid, SIGINT);
  Drain(error_pipe);
  close(error_pipe);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the export ended before it was interrupted";
  // The next program to open the database rolls the unfinished transaction back.
  EXPECT_EQ(Query(database_, "SELECT name FROM sqlite_schema; SELECT x FROM keep"), "keep\n1\n");
  EXPECT_FALSE(fs::exists(database_ + "-journal"));
}

}  // namespace
}  // namespace pdx::testing
