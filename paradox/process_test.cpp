// The store against real processes: programs killed while writing, writes
// that hit a file size limit, and two programs writing one table at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "create_table.h"
#include "field_codec.h"
#include "locking.h"
#include "paradox/testing/table_shape.h"
#include "pdx_codes.h"
#include "schema.h"
#include "table.h"
#include "table_writer.h"
#include "test_support/temporary_directory.h"

namespace pdx {
namespace {

constexpr char kSchema[] = "Id\tI*\nName\tA60\nAmount\t$\nblocksize 1024\n";

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TableSchema schema;
    std::string error;
    ASSERT_EQ(ParseSchema(kSchema, &schema, &error), PDX_OK);
    ASSERT_EQ(CreateTable(FileSystem::Default(), directory_, "T", schema, &error), PDX_OK);
  }

  std::string Table() const { return directory_ + "/T.DB"; }

  // Keys of the rows in the table, after checking its structure.
  std::vector<int> Keys() {
    EXPECT_EQ(TableWriter::RecoverInterruptedChange(FileSystem::Default(), Table()), PDX_OK);
    testing::TableShape shape = testing::ReadTableShape(FileSystem::Default(), Table());
    for (const std::string& problem : shape.problems) ADD_FAILURE() << problem;
    std::vector<int> keys;
    for (const std::string& row : shape.rows)
      keys.push_back(
          static_cast<int>(DecodeInteger(reinterpret_cast<const uint8_t*>(row.data()), 4)));
    return keys;
  }

  static std::vector<uint8_t> Row(int id) {
    std::vector<uint8_t> row(4 + 60 + 8, 0);
    EncodeInteger(id, row.data(), 4);
    std::string name = "row " + std::to_string(id) + std::string(40, '.');
    std::memcpy(row.data() + 4, name.data(), name.size());
    EncodeDouble(id * 1.5, row.data() + 64);
    return row;
  }

  // Runs the pdx tool with stdin from a file; answers its pid and a pipe
  // carrying its standard output.
  pid_t Spawn(const std::vector<std::string>& arguments, const std::string& input, int* output) {
    int pipe_fds[2];
    EXPECT_EQ(pipe(pipe_fds), 0);
    pid_t pid = fork();
    if (pid == 0) {
      int in = open(input.c_str(), O_RDONLY);
      dup2(in, 0);
      dup2(pipe_fds[1], 1);
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 2);
      close(pipe_fds[0]);
      std::vector<char*> argv{const_cast<char*>(PDX_TOOL_PATH)};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(PDX_TOOL_PATH, argv.data());
      _exit(127);
    }
    close(pipe_fds[1]);
    *output = pipe_fds[0];
    return pid;
  }

  int RunTool(const std::vector<std::string>& arguments) {
    int output = -1;
    pid_t pid = Spawn(arguments, "/dev/null", &output);
    char buffer[256];
    while (read(output, buffer, sizeof buffer) > 0) {
    }
    close(output);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  test_support::TemporaryDirectory temporary_;
  const std::string directory_ = temporary_.Path().string();
};

// `pdx insert` commits each row (or each group) and then prints how many
// rows it has committed; it is killed at many moments. Afterwards `pdx
// check` finds the table sound, and it holds the acknowledged rows: at most
// the one group that was committed but not yet acknowledged more.
TEST_F(ProcessTest, KilledWhileInsertingLeavesASoundTableWithTheAcknowledgedRows) {
  const std::string input = directory_ + "/rows.txt";
  {
    std::ofstream out(input);
    out << "Id\tName\tAmount\n";
    std::vector<int> ids(600);
    for (int i = 0; i < 600; ++i) ids[i] = i * 7919 % 600;  // not in key order
    for (int id : ids)
      out << id << "\trow " << id << std::string(40, '.') << "\t" << id * 1.5 << "\n";
  }
  std::mt19937 random(5);
  for (int round = 0; round < 24; ++round) {
    const int before = static_cast<int>(Keys().size());
    const int group = round % 3 == 0 ? 5 : 1;
    int output = -1;
    pid_t pid =
        Spawn({"insert", Table(), "--progress", "--group", std::to_string(group)}, input, &output);
    // Wait for a few acknowledgements, then kill at a random moment.
    const int wait_for = 1 + static_cast<int>(random() % 12);
    int acknowledged = 0, lines = 0;
    std::string pending;
    char buffer[64];
    while (lines < wait_for) {
      ssize_t n = read(output, buffer, sizeof buffer);
      if (n <= 0) break;
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == '\n') {
          acknowledged = std::atoi(pending.c_str());
          pending.clear();
          ++lines;
        } else {
          pending += buffer[i];
        }
      }
    }
    usleep(static_cast<useconds_t>(random() % 3000));
    kill(pid, SIGKILL);
    // Acknowledgements already on their way count too.
    ssize_t n;
    while ((n = read(output, buffer, sizeof buffer)) > 0)
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == '\n') {
          acknowledged = std::atoi(pending.c_str());
          pending.clear();
        } else {
          pending += buffer[i];
        }
      }
    close(output);
    waitpid(pid, nullptr, 0);
    ASSERT_EQ(RunTool({"check", Table()}), 0) << "round " << round;
    // Every round inserts the same rows again: the ones already there are
    // refused as key violations and not counted, so the table grows by the
    // acknowledged rows, or by one unacknowledged group more.
    const int after = static_cast<int>(Keys().size());
    EXPECT_GE(after, before + acknowledged) << "round " << round;
    EXPECT_LE(after, before + acknowledged + group) << "round " << round;
    if (HasFailure()) return;
  }
  // A last run completes the table.
  int output = -1;
  pid_t pid = Spawn({"insert", Table(), "--group", "50"}, input, &output);
  close(output);
  waitpid(pid, nullptr, 0);
  std::vector<int> keys = Keys();
  ASSERT_EQ(keys.size(), 600u);
  for (int i = 0; i < 600; ++i) EXPECT_EQ(keys[i], i);
}

// The first run after the kills is the strict one: a fresh table, one kill,
// and exactly the acknowledged rows (or one group more) in input order.
TEST_F(ProcessTest, AfterAKillTheTableHoldsExactlyTheAcknowledgedPrefix) {
  const std::string input = directory_ + "/rows.txt";
  {
    std::ofstream out(input);
    out << "Id\tName\tAmount\n";
    for (int i = 0; i < 3000; ++i) out << (i * 389 % 3000) << "\tx\t1\n";
  }
  for (int round = 0; round < 8; ++round) {
    std::filesystem::remove(directory_ + "/T.DB");
    std::filesystem::remove(directory_ + "/T.PX");
    std::filesystem::remove(directory_ + "/T.JNL");
    TableSchema schema;
    std::string error;
    ASSERT_EQ(ParseSchema(kSchema, &schema, &error), PDX_OK);
    ASSERT_EQ(CreateTable(FileSystem::Default(), directory_, "T", schema, &error), PDX_OK);
    int output = -1;
    pid_t pid = Spawn({"insert", Table(), "--progress", "--group", "3"}, input, &output);
    int acknowledged = 0;
    std::string text;
    char buffer[64];
    ssize_t n;
    while (acknowledged < 30 * (round + 1) && (n = read(output, buffer, sizeof buffer)) > 0) {
      text.append(buffer, n);
      size_t end = text.rfind('\n');
      if (end != std::string::npos) {
        size_t start = text.rfind('\n', end - 1);
        acknowledged = std::atoi(text.c_str() + (start == std::string::npos ? 0 : start + 1));
      }
    }
    kill(pid, SIGKILL);
    while ((n = read(output, buffer, sizeof buffer)) > 0) text.append(buffer, n);
    close(output);
    waitpid(pid, nullptr, 0);
    size_t end = text.rfind('\n');
    if (end != std::string::npos) {
      size_t start = end == 0 ? std::string::npos : text.rfind('\n', end - 1);
      acknowledged = std::atoi(text.c_str() + (start == std::string::npos ? 0 : start + 1));
    }
    ASSERT_EQ(RunTool({"check", Table()}), 0);
    std::vector<int> keys = Keys();
    ASSERT_GE(static_cast<int>(keys.size()), acknowledged);
    ASSERT_LE(static_cast<int>(keys.size()), acknowledged + 3);
    std::set<int> expected;
    for (size_t i = 0; i < keys.size(); ++i) expected.insert(static_cast<int>(i * 389 % 3000));
    EXPECT_EQ(std::set<int>(keys.begin(), keys.end()), expected) << "round " << round;
  }
}

// A file size limit makes writes fail part way: each failed insert answers
// an error and leaves the table as it was; the rows before it stay.
TEST_F(ProcessTest, AFileSizeLimitFailsWritesAndLeavesTheTableSound) {
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  pid_t pid = fork();
  if (pid == 0) {
    close(pipe_fds[0]);
    signal(SIGXFSZ, SIG_IGN);
    std::unique_ptr<TableWriter> writer;
    std::string error;
    if (TableWriter::Open(FileSystem::Default(), Table(), &writer, &error) != PDX_OK) _exit(100);
    writer->set_sync(false);  // the limit, not the disk, is under test
    struct rlimit limit = {40 * 1024, 40 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    int written = 0, failures = 0;
    for (int id = 0; id < 2000 && failures < 20; ++id) {
      std::vector<uint8_t> row = Row(id * 13 % 2000);
      int64_t number = 0;
      pdx_code code = writer->Insert(row.data(), &number);
      if (code == PDX_OK)
        ++written;
      else if (code == PDX_ERR_DISK_FULL)  // what a user is told: "Disk is full."
        ++failures;
      else
        _exit(101);
    }
    if (write(pipe_fds[1], &written, sizeof written) != sizeof written) _exit(103);
    _exit(failures > 0 ? 0 : 102);
  }
  close(pipe_fds[1]);
  int written = -1;
  ASSERT_EQ(read(pipe_fds[0], &written, sizeof written), static_cast<ssize_t>(sizeof written));
  close(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "child status " << WEXITSTATUS(status);
  std::vector<int> keys = Keys();
  EXPECT_EQ(static_cast<int>(keys.size()), written) << "exactly the inserts that succeeded";
  EXPECT_GT(keys.size(), 100u);
  EXPECT_EQ(RunTool({"check", Table()}), 0);
  // With the limit gone the table takes rows again.
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(FileSystem::Default(), Table(), &writer, &error), PDX_OK);
  std::vector<uint8_t> row = Row(5000);
  int64_t number = 0;
  EXPECT_EQ(writer->Insert(row.data(), &number), PDX_OK);
}

// Two programs insert into one table at the same time; neither loses a
// row, and each sees the other's rows.
TEST_F(ProcessTest, TwoProgramsWritingOneTableKeepEveryRow) {
  std::vector<pid_t> children;
  for (int program = 0; program < 2; ++program) {
    pid_t pid = fork();
    if (pid == 0) {
      std::unique_ptr<TableWriter> writer;
      std::string error;
      if (TableWriter::Open(FileSystem::Default(), Table(), &writer, &error) != PDX_OK) _exit(1);
      writer->set_sync(false);
      for (int i = 0; i < 300; ++i) {
        std::vector<uint8_t> row = Row(i * 2 + program);
        int64_t number = 0;
        if (writer->Insert(row.data(), &number) != PDX_OK) _exit(2);
      }
      _exit(writer->RecordCount() >= 300 ? 0 : 4);  // its own rows at least
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << WEXITSTATUS(status);
  }
  std::vector<int> keys = Keys();
  ASSERT_EQ(keys.size(), 600u);
  for (int i = 0; i < 600; ++i) EXPECT_EQ(keys[i], i);
  EXPECT_EQ(RunTool({"check", Table()}), 0);
}

// A reader that refreshes while another program applies a change waits for
// it, instead of taking in a header and blocks that do not belong together.
TEST_F(ProcessTest, AReaderNeverSeesAChangeHalfApplied) {
  {
    std::unique_ptr<TableWriter> writer;
    std::string error;
    ASSERT_EQ(TableWriter::Open(FileSystem::Default(), Table(), &writer, &error), PDX_OK);
    for (int id = 0; id < 50; ++id) {
      std::vector<uint8_t> row = Row(id);
      ASSERT_EQ(writer->Insert(row.data(), nullptr), PDX_OK);
    }
  }
  std::unique_ptr<pdx::Table> reader;
  ASSERT_EQ(pdx::Table::Open(FileSystem::Default(), directory_, "T", {}, &reader), PDX_OK);
  ASSERT_EQ(reader->header().record_count, 50);

  int holding[2];
  ASSERT_EQ(pipe(holding), 0);
  pid_t pid = fork();
  if (pid == 0) {
    // The middle of a commit: the header already new, the blocks not yet.
    std::unique_ptr<File> file;
    if (FileSystem::Default()->Open(Table(), OpenMode::kReadWrite, &file) != PDX_OK) _exit(1);
    if (AcquireCommitLock(file.get()) != PDX_OK) _exit(2);
    uint8_t count[4];
    size_t got = 0;
    if (file->ReadAt(6, count, 4, &got) != PDX_OK || got != 4) _exit(3);
    const uint8_t torn[4] = {0x0F, 0x27, 0, 0};  // 9999 rows
    if (file->WriteAt(6, torn, 4) != PDX_OK) _exit(4);
    if (write(holding[1], "h", 1) != 1) _exit(5);
    usleep(300 * 1000);
    if (file->WriteAt(6, count, 4) != PDX_OK) _exit(6);
    ReleaseCommitLock(file.get());
    _exit(0);
  }
  close(holding[1]);
  char signal_byte = 0;
  ASSERT_EQ(read(holding[0], &signal_byte, 1), 1);
  close(holding[0]);
  EXPECT_EQ(reader->Refresh(), PDX_OK);
  EXPECT_EQ(reader->header().record_count, 50);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << WEXITSTATUS(status);
}

}  // namespace
}  // namespace pdx
