// pdx export --csv: every genuine sample read back by Python's csv module
// and compared with `pdx dump`; the options; damaged, protected and
// interrupted exports, which must leave no file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "paradox/testing/samples.h"
#include "paradox/testing/tool_test_support.h"
#include "store_test_support.h"

namespace pdx::testing {
namespace {

namespace fs = std::filesystem;

// The sample tables, by path; those under encrypt/ need the password 123.
std::vector<fs::path> SampleTables() {
  std::vector<fs::path> tables;
  for (const auto& entry : fs::recursive_directory_iterator(testing::SamplesDirectory()))
    if (strcasecmp(entry.path().extension().c_str(), ".db") == 0) tables.push_back(entry.path());
  std::sort(tables.begin(), tables.end());
  return tables;
}

std::string PasswordFor(const fs::path& table) {
  return table.string().find("/encrypt/") != std::string::npos ? "--password 123 " : "";
}

// Names in directory, sorted.
std::vector<std::string> Files(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ExportCsv, EverySampleReadsBackAsItsDump) {
  SKIP_WITHOUT_SAMPLES();
  if (!Available("python3")) GTEST_SKIP() << "no python3 to read the CSV files";
  TemporaryDirectory dir;
  std::string files;
  int tables = 0;
  for (const fs::path& table : SampleTables()) {
    const std::string base = dir.File(std::to_string(++tables));
    const std::string tool = Pdx() + PasswordFor(table);
    ASSERT_EQ(Shell(tool + "dump " + ShellQuote(table) + " > " + base + ".dump"), 0) << table;
    ASSERT_EQ(Shell(tool + "info " + ShellQuote(table) + " > " + base + ".info"), 0) << table;
    // Every other table with LF line ends, which the reader must take as well.
    const std::string lf = tables % 2 == 0 ? " --lf" : "";
    EXPECT_EQ(Shell(tool + "export " + ShellQuote(table) + " --csv " + base + ".csv" + lf), 0)
        << table;
    files += " " + base + ".csv " + base + ".dump " + base + ".info";
  }
  EXPECT_GE(tables, 50);
  const std::string checker = std::string(PDX_TESTDATA_DIR) + "/../testing/export_matches_dump.py";
  const int status =
      Shell("python3 " + ShellQuote(checker) + " csv" + files + " > " + dir.File("report"));
  EXPECT_EQ(status, 0) << ReadFile(dir.File("report"));
}

class ExportTest : public ::testing::Test {
 protected:
  // A table made by the tool from a schema and rows in the dump format.
  void MakeTable(const std::string& schema, const std::string& rows) {
    WriteFile(dir_.File("schema"), schema);
    WriteFile(dir_.File("rows"), rows);
    ASSERT_EQ(Shell(Pdx() + "create " + dir_.File("schema") + " " + table()), 0);
    ASSERT_EQ(Shell(Pdx() + "insert " + table() + " --no-sync < " + dir_.File("rows")), 0);
  }
  std::string table() const { return dir_.File("T.DB"); }

  TemporaryDirectory dir_;
};

TEST_F(ExportTest, OptionsChooseLineEndsBlobsAndEncoding) {
  // Code page 850 (new tables): 0x82 is e acute.
  MakeTable("Name\tA20*\nFlag\tL\nRaw\tY4\nPicture\tB10\nNote\tM10\nlevel 5.0\n",
            "Name\tFlag\tRaw\tPicture\tNote\n"
            "Caf\x82\tT\t00ff\t0102030405060708090a0b0c\tsays \"hi\", twice\\nthen stops\n"
            "Plain\tF\t\t\t\n");
  const std::string out = dir_.File("out.csv");
  ASSERT_EQ(Shell(Pdx() + "export " + table() + " --csv " + out), 0);
  EXPECT_EQ(ReadFile(out),
            "Name,Flag,Raw,Picture,Note\r\n"
            "Caf\xc3\xa9,true,AP8=,AQIDBAUGBwgJCgsM,\"says \"\"hi\"\", twice\nthen stops\"\r\n"
            "Plain,false,,,\r\n");
  ASSERT_EQ(Shell(Pdx() + "export " + table() + " --csv " + out + " --lf --no-blobs"), 0);
  EXPECT_EQ(ReadFile(out),
            "Name,Flag,Raw,Note\n"
            "Caf\xc3\xa9,true,AP8=,\"says \"\"hi\"\", twice\nthen stops\"\n"
            "Plain,false,,\n");
  ASSERT_EQ(Shell(Pdx() + "export " + table() + " --csv - --lf --encoding table > " + out), 0);
  EXPECT_EQ(ReadFile(out).substr(0, 36), "Name,Flag,Raw,Picture,Note\nCaf\x82,true");
}

// A table of 500 rows in several blocks whose third block links back to
// the first: a scan fails after it has read two blocks' rows.
void DamageChain(const std::string& path) {
  std::vector<uint8_t> bytes = ReadBytes(path);
  const size_t header = bytes[2] | (bytes[3] << 8), block = bytes[5] * 1024u;
  ASSERT_GT(bytes.size(), header + 3 * block);
  bytes[header + 2 * block] = 1;  // the next-block link of block 3
  bytes[header + 2 * block + 1] = 0;
  WriteBytes(path, bytes);
}

TEST_F(ExportTest, DamagedAndProtectedTablesFailAsDumpDoesAndLeaveNoFile) {
  std::string rows = "Name\tCount\n";
  for (int i = 0; i < 500; ++i)
    rows += "row " + std::to_string(i) + "\t" + std::to_string(i) + "\n";
  MakeTable("Name\tA30\nCount\tI\nblocksize 1024\n", rows);
  DamageChain(table());
  fs::copy_file(std::string(PDX_TESTDATA_DIR) + "/encrypted35.db", dir_.File("secret.db"));
  const std::vector<std::string> before = Files(dir_.Path());
  for (const char* name : {"T.DB", "secret.db"}) {
    SCOPED_TRACE(name);
    const std::string path = dir_.File(name);
    ASSERT_EQ(Shell(Pdx() + "dump " + path + " > /dev/null 2> " + dir_.File("dump.err")), 2);
    const std::string expected = ReadFile(dir_.File("dump.err"));
    EXPECT_NE(expected.find(name), std::string::npos) << expected;
    fs::remove(dir_.File("dump.err"));
    for (const std::string format : {"--csv", "--sqlite"}) {
      const std::string command = Pdx() + "export " + path + " " + format + " " + dir_.File("out");
      EXPECT_EQ(Shell(command + " 2> " + dir_.File("export.err")), 2) << format;
      EXPECT_EQ(ReadFile(dir_.File("export.err")), expected) << format;
      fs::remove(dir_.File("export.err"));
      EXPECT_EQ(Files(dir_.Path()), before) << format;
    }
  }
}

TEST_F(ExportTest, RelativeTablePathsOpenForDumpAndExportAlike) {
  MakeTable("Name\tA10\n", "Name\nann\n");
  const fs::path dir(dir_.Path());
  // From the table's own directory, and from the one above it.
  const std::string here = "cd " + ShellQuote(dir.string()) + " && ";
  const std::string above = "cd " + ShellQuote(dir.parent_path().string()) + " && ";
  const std::string sub = dir.filename().string() + "/";
  for (const auto& [cd, prefix] : {std::pair{here, std::string()}, std::pair{above, sub}}) {
    SCOPED_TRACE(prefix);
    EXPECT_EQ(Shell(cd + Pdx() + "dump " + prefix + "T > /dev/null"), 0);
    EXPECT_EQ(Shell(cd + Pdx() + "export " + prefix + "T --csv " + prefix + "t.csv"), 0);
    EXPECT_EQ(ReadFile(dir_.File("t.csv")), "Name\r\nann\r\n");
    EXPECT_EQ(Shell(cd + Pdx() + "dump " + prefix + "None 2> " + dir_.File("dump.err")), 2);
    EXPECT_EQ(Shell(cd + Pdx() + "export " + prefix + "None --csv - 2> " + dir_.File("err")), 2);
    EXPECT_EQ(ReadFile(dir_.File("err")), ReadFile(dir_.File("dump.err")));
    EXPECT_NE(ReadFile(dir_.File("err")).find("Table does not exist."), std::string::npos);
  }
}

TEST_F(ExportTest, InterruptedExportLeavesNoFile) {
  // Enough rows for a progress report (after 100,000 rows), at which the
  // export is held until it is interrupted.
  std::string rows = "Key\tText\n";
  rows.reserve(200000 * 40);
  for (int i = 0; i < 200000; ++i)
    rows += std::to_string(i) + "\tthe text of row " + std::to_string(i) + "\n";
  MakeTable("Key\tI*\nText\tA40\nblocksize 4096\n", rows);
  for (const std::string format : {"--csv", "--sqlite"}) {
    SCOPED_TRACE(format);
    const std::vector<std::string> before = Files(dir_.Path());
    int error_pipe = -1;
    const pid_t pid = StartHeldAtFirstMessage(
        {"export", table(), format, dir_.File("out"), "--progress"}, &error_pipe);
    ASSERT_GT(pid, 0) << "the export never reached its first progress report";
    // While it runs, the file is there under a name of its own only.
    std::vector<std::string> running = Files(dir_.Path());
    EXPECT_EQ(std::count(running.begin(), running.end(), "out"), 0);
    EXPECT_EQ(running.size(), before.size() + 1);
    kill(pid, SIGINT);
    Drain(error_pipe);
    close(error_pipe);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the export ended before it was interrupted";
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_EQ(Files(dir_.Path()), before);
  }
}

}  // namespace
}  // namespace pdx::testing
