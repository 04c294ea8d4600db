#include "table_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include "create_table.h"
#include "field_codec.h"
#include "locking.h"
#include "paradox/testing/memory_file_system.h"
#include "paradox/testing/table_shape.h"
#include "pdx_codes.h"
#include "schema.h"

namespace pdx {
namespace {

using testing::MemoryFileSystem;
using testing::ReadTableShape;

struct Layout {
  int level;
  int block_size;
  bool keyed;
};

std::string LevelText(int level) {
  return "level " + std::to_string(level / 10) + "." + std::to_string(level % 10) + "\n";
}

class TableWriterTest : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    const Layout& layout = GetParam();
    // A key of two fields (a short and an alpha) and a wide row, so that
    // blocks fill after a few rows and every split and merge path runs.
    std::string text = std::string("Group\tS") + (layout.keyed ? "*" : "") + "\nCode\tA6" +
                       (layout.keyed ? "*" : "") + "\nAmount\tN\nText\tA90\n" +
                       LevelText(layout.level) + "blocksize " + std::to_string(layout.block_size) +
                       "\n";
    TableSchema schema;
    std::string error;
    ASSERT_EQ(ParseSchema(text, &schema, &error), PDX_OK) << error;
    ASSERT_EQ(CreateTable(&fs_, "/d", "T", schema, &error), PDX_OK) << error;
    ASSERT_EQ(TableWriter::Open(&fs_, "/d/T.DB", &writer_, &error), PDX_OK) << error;
    record_size_ = schema.RecordSize();
  }

  std::string Record(int group, int code, double amount) {
    std::string r(record_size_, '\0');
    auto* d = reinterpret_cast<uint8_t*>(r.data());
    EncodeInteger(group, d, 2);
    std::string c = std::to_string(100000 + code).substr(1);
    std::memcpy(d + 2, c.data(), c.size());
    EncodeDouble(amount, d + 8);
    std::string text = "row " + std::to_string(group) + "/" + c;
    std::memcpy(d + 16, text.data(), text.size());
    return r;
  }

  void ExpectShape(const std::vector<std::string>& expected) {
    auto shape = ReadTableShape(&fs_, "/d/T.DB");
    for (const std::string& problem : shape.problems) ADD_FAILURE() << problem;
    EXPECT_EQ(shape.rows, expected);
    ASSERT_EQ(writer_->Refresh(), PDX_OK);
    EXPECT_EQ(writer_->RecordCount(), static_cast<int64_t>(expected.size()));
  }

  MemoryFileSystem fs_;
  std::unique_ptr<TableWriter> writer_;
  int record_size_ = 0;
};

// Random inserts, deletes, modifies (with and without key changes) against
// a plain model of the table; after every step the files are checked.
TEST_P(TableWriterTest, RandomWorkKeepsOrderChainIndexAndCounts) {
  const bool keyed = GetParam().keyed;
  std::mt19937 random(7);
  std::map<std::string, std::string> by_key;  // keyed model
  std::vector<std::string> in_order;          // unkeyed model
  auto expected = [&] {
    if (!keyed) return in_order;
    std::vector<std::string> rows;
    for (auto& [key, row] : by_key) rows.push_back(row);
    return rows;
  };
  for (int step = 0; step < 600; ++step) {
    int action = random() % 10;
    size_t size = keyed ? by_key.size() : in_order.size();
    if (action < 6 || size < 5) {
      std::string row = Record(random() % 5, random() % 400, step);
      std::string key = row.substr(0, 8);
      std::string buffer = row;
      int64_t number = 0;
      pdx_code code = writer_->Insert(reinterpret_cast<uint8_t*>(buffer.data()), &number);
      if (keyed && by_key.count(key)) {
        ASSERT_EQ(code, PDX_ERR_KEY_VIOLATION);
        continue;
      }
      ASSERT_EQ(code, PDX_OK) << writer_->last_error();
      if (keyed)
        by_key[key] = row;
      else
        in_order.push_back(row);
      std::vector<std::string> rows = expected();
      ASSERT_EQ(rows[number - 1], row) << "insert reports the row's place";
    } else if (action < 8) {
      int64_t number = 1 + random() % size;
      ASSERT_EQ(writer_->Delete(number), PDX_OK) << writer_->last_error();
      if (keyed)
        by_key.erase(std::next(by_key.begin(), number - 1));
      else
        in_order.erase(in_order.begin() + (number - 1));
    } else {
      int64_t number = 1 + random() % size;
      std::vector<std::string> rows = expected();
      std::string row =
          action == 8 ? rows[number - 1] : Record(random() % 5, random() % 400, -step);
      if (action == 8) EncodeDouble(-step, reinterpret_cast<uint8_t*>(row.data()) + 8);
      std::string key = row.substr(0, 8);
      int64_t moved_to = 0;
      pdx_code code =
          writer_->Modify(number, reinterpret_cast<const uint8_t*>(row.data()), &moved_to);
      if (keyed && key != rows[number - 1].substr(0, 8) && by_key.count(key)) {
        ASSERT_EQ(code, PDX_ERR_KEY_VIOLATION);
        continue;
      }
      ASSERT_EQ(code, PDX_OK) << writer_->last_error();
      if (keyed) {
        by_key.erase(rows[number - 1].substr(0, 8));
        by_key[key] = row;
      } else {
        in_order[number - 1] = row;
      }
      ASSERT_EQ(expected()[moved_to - 1], row) << "modify reports where the row went";
    }
    if (step % 25 == 0 || step > 580) {
      ExpectShape(expected());
      if (HasFailure()) return;
    }
  }
  // Empty the table, then use it again: the head block and free list hold.
  while (writer_->RecordCount() > 0) ASSERT_EQ(writer_->Delete(1), PDX_OK);
  ExpectShape({});
  std::string row = Record(1, 1, 1);
  int64_t number = 0;
  ASSERT_EQ(writer_->Insert(reinterpret_cast<uint8_t*>(row.data()), &number), PDX_OK);
  ExpectShape({row});
}

TEST_P(TableWriterTest, ABatchIsOneTransactionAndSurvivesARefusedRow) {
  writer_->BeginBatch();
  std::vector<std::string> rows;
  for (int i = 0; i < 200; ++i) {
    std::string row = Record(1, i, i);
    rows.push_back(row);
    int64_t number = 0;
    ASSERT_EQ(writer_->Insert(reinterpret_cast<uint8_t*>(row.data()), &number), PDX_OK);
  }
  std::string again = rows[10];
  int64_t number = 0;
  EXPECT_EQ(writer_->Insert(reinterpret_cast<uint8_t*>(again.data()), &number),
            GetParam().keyed ? PDX_ERR_KEY_VIOLATION : PDX_OK);
  if (!GetParam().keyed) rows.push_back(again);
  EXPECT_EQ(ReadTableShape(&fs_, "/d/T.DB").rows.size(), 0u) << "nothing written before commit";
  ASSERT_EQ(writer_->CommitBatch(), PDX_OK);
  ExpectShape(rows);
}

// Another writer's rows show: the writer notices the changed header.
TEST_P(TableWriterTest, TwoWritersSeeEachOthersRows) {
  std::unique_ptr<TableWriter> other;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&fs_, "/d/T.DB", &other, &error), PDX_OK) << error;
  std::vector<std::string> rows;
  for (int i = 0; i < 60; ++i) {
    std::string row = Record(2, i, i);
    rows.push_back(row);
    int64_t number = 0;
    TableWriter* w = i % 2 ? other.get() : writer_.get();
    ASSERT_EQ(w->Insert(reinterpret_cast<uint8_t*>(row.data()), &number), PDX_OK);
    EXPECT_EQ(number, i + 1);
  }
  ExpectShape(rows);
  EXPECT_EQ(other->RecordCount(), 60);
}

TEST_P(TableWriterTest, AFullDiskLeavesTheTableAsItWas) {
  std::vector<std::string> rows;
  for (int i = 0; i < 20; ++i) {
    std::string row = Record(3, i, i);
    rows.push_back(row);
    int64_t number = 0;
    ASSERT_EQ(writer_->Insert(reinterpret_cast<uint8_t*>(row.data()), &number), PDX_OK);
  }
  fs_.SetSizeLimit(static_cast<long long>(fs_.Contents("/d/T.DB").size()));
  pdx_code code = PDX_OK;
  for (int i = 20; i < 400 && code == PDX_OK; ++i) {
    std::string row = Record(3, i, i);
    int64_t number = 0;
    code = writer_->Insert(reinterpret_cast<uint8_t*>(row.data()), &number);
    if (code == PDX_OK) rows.push_back(row);
  }
  EXPECT_EQ(code, PDX_ERR_DISK_FULL);
  ExpectShape(rows);
  fs_.SetSizeLimit(-1);
  std::string row = Record(3, 999, 0);
  int64_t number = 0;
  ASSERT_EQ(writer_->Insert(reinterpret_cast<uint8_t*>(row.data()), &number), PDX_OK);
  rows.push_back(row);
  ExpectShape(rows);
}

INSTANTIATE_TEST_SUITE_P(Levels, TableWriterTest,
                         ::testing::Values(Layout{30, 1024, true}, Layout{35, 2048, false},
                                           Layout{40, 1024, true}, Layout{40, 4096, false},
                                           Layout{50, 2048, true}, Layout{70, 1024, true},
                                           Layout{70, 8192, true}, Layout{70, 1024, false}),
                         [](const auto& test_case) {
                           return "L" + std::to_string(test_case.param.level) + "_" +
                                  std::to_string(test_case.param.block_size) +
                                  (test_case.param.keyed ? "_keyed" : "_unkeyed");
                         });

TEST(TableWriterAutoIncrement, BlankValuesGetTheNextNumberAndGivenOnesRaiseIt) {
  MemoryFileSystem fs;
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Id\t+*\nName\tA10\n", &schema, &error), PDX_OK);
  ASSERT_EQ(CreateTable(&fs, "/d", "A", schema, &error), PDX_OK) << error;
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(&fs, "/d/A.DB", &writer, &error), PDX_OK) << error;
  uint8_t record[14] = {};
  int64_t number = 0;
  ASSERT_EQ(writer->Insert(record, &number), PDX_OK);
  EXPECT_EQ(DecodeInteger(record, 4), 1);
  std::memset(record, 0, sizeof record);
  EncodeInteger(10, record, 4);
  ASSERT_EQ(writer->Insert(record, &number), PDX_OK);
  std::memset(record, 0, sizeof record);
  ASSERT_EQ(writer->Insert(record, &number), PDX_OK);
  EXPECT_EQ(DecodeInteger(record, 4), 11);
  EXPECT_EQ(writer->header().auto_increment, 11u);
  EncodeInteger(10, record, 4);
  EXPECT_EQ(writer->Insert(record, &number), PDX_ERR_KEY_VIOLATION);
  EXPECT_EQ(DecodeInteger(record, 4), 10) << "a refused row keeps its buffer";
  std::memset(record, 0, sizeof record);
  ASSERT_EQ(writer->Insert(record, &number), PDX_OK);
  EXPECT_EQ(DecodeInteger(record, 4), 12) << "a refusal hands out no number";
}

}  // namespace
}  // namespace pdx

namespace pdx {
namespace {

TEST(RowLocks, AreHeldPerHandleAndReleasedOnUnlockOrClose) {
  testing::MemoryFileSystem fs;
  fs.SetContents("/d/T.DB", "");
  std::unique_ptr<File> first, second;
  ASSERT_EQ(fs.Open("/d/T.DB", OpenMode::kReadWrite, &first), PDX_OK);
  ASSERT_EQ(fs.Open("/d/T.DB", OpenMode::kReadWrite, &second), PDX_OK);
  const uint8_t key[] = {1, 2, 3};
  const uint64_t row = RowLockOffset(key, sizeof key);
  EXPECT_NE(row, RowLockOffset(key, 2));
  ASSERT_EQ(LockRow(first.get(), row), PDX_OK);
  EXPECT_EQ(LockRow(first.get(), row), PDX_OK) << "a holder may take its own lock again";
  EXPECT_EQ(LockRow(second.get(), row), PDX_ERR_RECORD_LOCKED);
  EXPECT_EQ(AcquireWriteLock(second.get()), PDX_OK) << "row locks leave the write lock free";
  ReleaseWriteLock(second.get());
  UnlockRow(first.get(), row);
  EXPECT_EQ(LockRow(second.get(), row), PDX_OK);
  second.reset();  // a lock dies with its holder
  EXPECT_EQ(LockRow(first.get(), row), PDX_OK);
}

}  // namespace
}  // namespace pdx

namespace pdx {
namespace {

// A long key leaves room for few entries per index block, so the index
// grows several levels and its level-1 blocks split and empty often.
TEST(TableWriterIndex, SplitsAndEmptiesIndexBlocksUnderRandomWork) {
  testing::MemoryFileSystem fs;
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Key\tA150*\nPad\tA200\nblocksize 1024\n", &schema, &error), PDX_OK);
  ASSERT_EQ(CreateTable(&fs, "/d", "K", schema, &error), PDX_OK) << error;
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(&fs, "/d/K.DB", &writer, &error), PDX_OK) << error;
  std::mt19937 random(3);
  std::map<std::string, std::string> model;
  for (int step = 0; step < 1500; ++step) {
    std::string row(350, '\0');
    std::string key = "k" + std::to_string(random() % 5000);
    std::memcpy(row.data(), key.data(), key.size());
    if (step < 900 || random() % 3) {
      if (writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr) == PDX_OK)
        model[row.substr(0, 150)] = row;
    } else if (!model.empty()) {
      int64_t number = 1 + random() % model.size();
      ASSERT_EQ(writer->Delete(number), PDX_OK);
      model.erase(std::next(model.begin(), number - 1));
    }
    if (step % 100 == 99) {
      testing::TableShape shape = testing::ReadTableShape(&fs, "/d/K.DB");
      for (const std::string& problem : shape.problems) ADD_FAILURE() << step << ": " << problem;
      ASSERT_EQ(shape.rows.size(), model.size());
      if (HasFailure()) return;
    }
  }
  // A second writer lays the index out afresh and agrees with the file.
  std::unique_ptr<TableWriter> other;
  ASSERT_EQ(TableWriter::Open(&fs, "/d/K.DB", &other, &error), PDX_OK);
  while (other->RecordCount() > 3) ASSERT_EQ(other->Delete(1 + other->RecordCount() / 2), PDX_OK);
  testing::TableShape shape = testing::ReadTableShape(&fs, "/d/K.DB");
  for (const std::string& problem : shape.problems) ADD_FAILURE() << problem;
  EXPECT_EQ(shape.rows.size(), 3u);
}

}  // namespace
}  // namespace pdx

namespace pdx {
namespace {

// Tables the writer leaves alone, though it could read them.
class TableWriterRefusals : public ::testing::Test {
 protected:
  void SetUp() override {
    TableSchema schema;
    ASSERT_EQ(ParseSchema("Id\tI*\nName\tA10\n", &schema, &error), PDX_OK);
    ASSERT_EQ(CreateTable(&fs, "/d", "S", schema, &error), PDX_OK) << error;
  }
  testing::MemoryFileSystem fs;
  std::string error;
};

TEST_F(TableWriterRefusals, TablesWithADamagedSecondaryIndexAreNotWritten) {
  fs.SetContents("/d/S.X02", "an index the writer could not keep");
  std::unique_ptr<TableWriter> writer;
  EXPECT_EQ(TableWriter::Open(&fs, "/d/S.DB", &writer, &error), PDX_ERR_CORRUPT_INDEX);
  EXPECT_NE(error.find("secondary"), std::string::npos) << error;
}

TEST_F(TableWriterRefusals, TablesAnotherEngineHoldsOpenAreNotWritten) {
  fs.SetContents("/d/s.lck", "");
  std::unique_ptr<TableWriter> writer;
  EXPECT_EQ(TableWriter::Open(&fs, "/d/S.DB", &writer, &error), PDX_ERR_TABLE_BUSY);
  EXPECT_NE(error.find("S.LCK"), std::string::npos) << error;
  ASSERT_EQ(fs.Remove("/d/s.lck"), PDX_OK);
  EXPECT_EQ(TableWriter::Open(&fs, "/d/S.DB", &writer, &error), PDX_OK) << error;
}

}  // namespace
}  // namespace pdx
