// Secondary indexes kept row by row, on tables and indexes the store makes
// itself, large enough that index blocks split and merge: after every change
// each index must equal the one rebuilt from the table's rows, block hints
// included, and a crash at any write must leave table and indexes in step.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "byte_order.h"
#include "create_table.h"
#include "field_codec.h"
#include "paradox/testing/memory_file_system.h"
#include "paradox/testing/table_shape.h"
#include "pdx_codes.h"
#include "schema.h"
#include "secondary_index.h"
#include "secondary_index_create.h"
#include "table.h"
#include "table_check.h"
#include "table_writer.h"

namespace pdx {
namespace {

using testing::MemoryFileSystem;

// Small blocks, so that a few hundred rows fill many of them.
constexpr char kSchema[] = "blocksize 1024\nId\tI*\nName\tA12\nGroup\tS\nDay\tD\n";
constexpr char kDb[] = "/d/T.DB";

std::string MakeRow(int id, const std::string& name, int group, int day) {
  std::string row(4 + 12 + 2 + 4, '\0');
  auto* d = reinterpret_cast<uint8_t*>(row.data());
  EncodeInteger(id, d, 4);
  std::memcpy(d + 4, name.data(), std::min<size_t>(name.size(), 12));
  EncodeInteger(group, d + 16, 2);
  EncodeInteger(day, d + 18, 4);
  return row;
}

std::string RandomName(std::mt19937& random) {
  static const char* kNames[] = {"anna", "Bert", "carl", "Dora", "emil", "Fritz", "gus", "Hans"};
  return std::string(kNames[random() % 8]) + std::to_string(random() % 40);
}

void MakeTable(MemoryFileSystem* memory, int rows, std::mt19937& random) {
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema(kSchema, &schema, &error), PDX_OK) << error;
  ASSERT_EQ(CreateTable(memory, "/d", "T", schema, &error), PDX_OK) << error;
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(memory, kDb, &writer, &error), PDX_OK) << error;
  ASSERT_EQ(writer->BeginBatch(), PDX_OK);
  for (int i = 0; i < rows; ++i) {
    std::string row = MakeRow(3 * i, RandomName(random), int(random() % 20), int(random() % 500));
    ASSERT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  }
  ASSERT_EQ(writer->CommitBatch(), PDX_OK) << writer->last_error();
}

void AddIndex(MemoryFileSystem* memory, NewSecondaryIndex request) {
  std::string error;
  ASSERT_EQ(CreateSecondaryIndex(memory, kDb, request, nullptr, &error), PDX_OK) << error;
}

// Name; (Group, Day) composite; (Name, Day) descending, ignoring case.
void AddThreeIndexes(MemoryFileSystem* memory) {
  AddIndex(memory, {{2}, false, "", false, false});
  AddIndex(memory, {{3, 4}, true, "GroupDay", false, false});
  AddIndex(memory, {{2, 4}, true, "NameDayDown", true, false, true});
}

// The rows of the table with the blocks that hold them, walked from the file.
std::vector<std::pair<std::string, uint16_t>> RowsWithBlocks(MemoryFileSystem* memory,
                                                             const TableHeader& h) {
  const std::string contents = memory->Contents(kDb);
  const auto* db = reinterpret_cast<const uint8_t*>(contents.data());
  std::vector<std::pair<std::string, uint16_t>> rows;
  for (uint16_t b = h.first_block; b != 0;) {
    const size_t at = h.BlockOffset(b);
    const int count = static_cast<int16_t>(LoadLe16(db + at + 4)) / h.record_size + 1;
    for (int i = 0; i < count; ++i)
      rows.emplace_back(contents.substr(at + 6 + i * h.record_size, h.record_size), b);
    b = LoadLe16(db + at);
  }
  return rows;
}

// Every index holds exactly what one rebuilt from the rows would, hints
// included, and the table check finds nothing wrong.
void ExpectIndexesRebuiltFromRows(MemoryFileSystem* memory, size_t index_count) {
  const testing::TableShape shape = testing::ReadTableShape(memory, kDb);
  for (const std::string& problem : shape.problems) ADD_FAILURE() << problem;
  std::unique_ptr<File> file;
  ASSERT_EQ(memory->Open(kDb, OpenMode::kRead, &file), PDX_OK);
  TableHeader table;
  std::string why;
  ASSERT_EQ(ReadTableHeader(file.get(), &table, &why), PDX_OK);
  const auto rows = RowsWithBlocks(memory, table);
  std::vector<TableRow> table_rows;
  for (const auto& [bytes, block] : rows)
    table_rows.push_back({block, reinterpret_cast<const uint8_t*>(bytes.data())});
  std::vector<SecondaryIndex> indexes;
  std::vector<std::string> unreadable;
  ASSERT_EQ(FindSecondaryIndexes(memory, kDb, table, &indexes, &unreadable), PDX_OK);
  ASSERT_TRUE(unreadable.empty());
  ASSERT_EQ(indexes.size(), index_count);
  for (const SecondaryIndex& index : indexes) {
    std::vector<std::string> stored;
    ASSERT_TRUE(ReadIndexRows(memory, index, &stored, &why)) << why;
    EXPECT_TRUE(stored == ExpectedIndexRows(index, table, table_rows)) << index.x_path;
    EXPECT_EQ(index.header.record_count, stored.size()) << index.x_path;
  }
  std::unique_ptr<Table> opened;
  ASSERT_EQ(Table::Open(memory, "/d", "T", {}, &opened), PDX_OK);
  std::vector<std::string> problems;
  CheckTable(memory, opened.get(), &problems);
  for (const std::string& problem : problems) ADD_FAILURE() << problem;
}

TEST(SecondaryIndexWriter, RandomChangesKeepEveryKindOfIndexEqualToItsRebuild) {
  MemoryFileSystem memory;
  std::mt19937 random(11);
  MakeTable(&memory, 300, random);
  AddThreeIndexes(&memory);
  ExpectIndexesRebuiltFromRows(&memory, 3);
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&memory, kDb, &writer, &error), PDX_OK) << error;
  for (int step = 0; step < 400; ++step) {
    const int action = static_cast<int>(random() % 4);
    std::string row =
        MakeRow(int(random() % 1200), RandomName(random), int(random() % 20), int(random() % 500));
    auto* bytes = reinterpret_cast<uint8_t*>(row.data());
    pdx_code code = PDX_OK;
    if (action == 0 || writer->RecordCount() < 10) {
      code = writer->Insert(bytes, nullptr);
    } else if (action == 1) {
      code = writer->Delete(1 + random() % writer->RecordCount());
    } else if (action == 2) {
      code = writer->Modify(1 + random() % writer->RecordCount(), bytes, nullptr);
    } else {
      // The key kept, only indexed values changed.
      const int64_t number = 1 + random() % writer->RecordCount();
      std::string old(row.size(), '\0');
      ASSERT_EQ(writer->Read(number, reinterpret_cast<uint8_t*>(old.data())), PDX_OK);
      std::memcpy(bytes, old.data(), 4);
      code = writer->Modify(number, bytes, nullptr);
    }
    ASSERT_TRUE(code == PDX_OK || code == PDX_ERR_KEY_VIOLATION) << writer->last_error();
    if (step % 10 == 0 || step > 380) ExpectIndexesRebuiltFromRows(&memory, 3);
    if (HasFailure()) FAIL() << "at step " << step;
  }
  // Emptied, and filled again from nothing.
  while (writer->RecordCount() > 0) ASSERT_EQ(writer->Delete(1), PDX_OK) << writer->last_error();
  ExpectIndexesRebuiltFromRows(&memory, 3);
  for (int i = 0; i < 50; ++i) {
    std::string row = MakeRow(i, RandomName(random), i % 3, 400 - i);
    ASSERT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  }
  ExpectIndexesRebuiltFromRows(&memory, 3);
}

TEST(SecondaryIndexWriter, AChangeWritesOnlyTheIndexBlocksItTouches) {
  MemoryFileSystem memory;
  std::mt19937 random(5);
  MakeTable(&memory, 600, random);
  AddIndex(&memory, {{2}, false, "", false, false});
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&memory, kDb, &writer, &error), PDX_OK) << error;
  // Room in the table's first block, so that no table rows move (rows
  // that move take their index rows' block hints along, wherever those are).
  ASSERT_EQ(writer->Delete(3), PDX_OK);
  const std::string x_before = memory.Contents("/d/T.X02");
  ASSERT_GT(x_before.size(), 10u * 1024) << "the index spans many blocks";
  std::string row = MakeRow(1, "zz-new", 1, 1);
  ASSERT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  const std::string x_after = memory.Contents("/d/T.X02");
  int blocks_changed = 0;
  for (size_t at = 0x800; at + 1024 <= x_before.size(); at += 1024)
    blocks_changed += x_before.compare(at, 1024, x_after, at, 1024) != 0;
  EXPECT_LE(blocks_changed, 2);
  ExpectIndexesRebuiltFromRows(&memory, 1);
}

TEST(SecondaryIndexWriter, AUniqueIndexRefusesARepeatedValueAndNothingChanges) {
  MemoryFileSystem memory;
  std::mt19937 random(7);
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema(kSchema, &schema, &error), PDX_OK);
  ASSERT_EQ(CreateTable(&memory, "/d", "T", schema, &error), PDX_OK);
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(&memory, kDb, &writer, &error), PDX_OK) << error;
  for (int i = 0; i < 100; ++i) {
    std::string row = MakeRow(i, "name" + std::to_string(i), i % 5, i);
    ASSERT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  }
  writer.reset();
  AddIndex(&memory, {{4}, true, "UniqueDay", false, true});
  ASSERT_EQ(TableWriter::Open(&memory, kDb, &writer, &error), PDX_OK) << error;
  std::map<std::string, std::string> before;
  for (const char* name : {"/d/T.DB", "/d/T.PX", "/d/T.XG0", "/d/T.YG0"})
    before[name] = memory.Contents(name);
  std::string row = MakeRow(500, "name42", 1, 1);
  EXPECT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_ERR_KEY_VIOLATION);
  EXPECT_EQ(writer->last_error(), "Key violation.");
  // Another row modified to take the day; the row itself keeping its own is fine.
  row = MakeRow(7, "name7", 1, 42);
  EXPECT_EQ(writer->Modify(8, reinterpret_cast<uint8_t*>(row.data()), nullptr),
            PDX_ERR_KEY_VIOLATION);
  for (const auto& [name, bytes] : before) EXPECT_EQ(memory.Contents(name), bytes) << name;
  row = MakeRow(42, "renamed", 3, 42);
  EXPECT_EQ(writer->Modify(43, reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK)
      << writer->last_error();
  row = MakeRow(500, "name500", 1, 500);
  EXPECT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  ExpectIndexesRebuiltFromRows(&memory, 1);
}

// A crash at every write of an insert that splits blocks of the table and of
// its indexes, then of a delete that merges them: afterwards the change is
// whole or the files are as they were.
TEST(SecondaryIndexWriter, ACrashAtAnyWriteLeavesTableAndIndexesInStep) {
  MemoryFileSystem base;
  std::mt19937 random(13);
  MakeTable(&base, 200, random);
  AddThreeIndexes(&base);
  std::vector<std::string> names;
  ASSERT_EQ(base.ListDirectory("/d", &names), PDX_OK);
  for (int operation = 0; operation < 2; ++operation) {
    for (long writes = 0;; ++writes) {
      MemoryFileSystem memory;
      for (const std::string& name : names)
        memory.SetContents("/d/" + name, base.Contents("/d/" + name));
      std::unique_ptr<TableWriter> writer;
      std::string error;
      ASSERT_EQ(TableWriter::Open(&memory, kDb, &writer, &error), PDX_OK) << error;
      const int64_t rows = writer->RecordCount();
      std::map<std::string, std::string> before;
      for (const std::string& name : names) before[name] = memory.Contents("/d/" + name);
      memory.FailWritesAfter(writes);
      std::string row = MakeRow(301, "new", 4, 44);
      const pdx_code code = operation == 0
                                ? writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr)
                                : writer->Delete(rows / 2);
      writer.reset();
      memory.Crash();
      memory.FailWritesAfter(-1);
      ASSERT_EQ(TableWriter::RecoverInterruptedChange(&memory, kDb), PDX_OK);
      if (code == PDX_OK) {
        EXPECT_EQ(testing::ReadTableShape(&memory, kDb).rows.size(),
                  static_cast<size_t>(operation == 0 ? rows + 1 : rows - 1));
        ExpectIndexesRebuiltFromRows(&memory, 3);
      } else {
        for (const auto& [name, bytes] : before)
          EXPECT_EQ(memory.Contents("/d/" + name), bytes) << name << " after " << writes;
      }
      if (HasFailure()) FAIL() << "operation " << operation << " after " << writes << " writes";
      if (code == PDX_OK) {
        EXPECT_GT(writes, 4) << "the journal, then table, index and three secondary indexes";
        break;
      }
      ASSERT_LT(writes, 400);
    }
  }
}

std::vector<std::string> CheckProblems(MemoryFileSystem* memory) {
  std::unique_ptr<Table> table;
  std::vector<std::string> problems;
  if (Table::Open(memory, "/d", "T", {}, &table) != PDX_OK) return {"the table does not open"};
  CheckTable(memory, table.get(), &problems);
  return problems;
}

// The check walks each .Y as it walks the primary index: a wrong count, a
// key that differs from its block's and a block out of the chain's order
// are each found and named.
TEST(SecondaryIndexWriter, TheCheckFindsFaultsInTheYFile) {
  MemoryFileSystem memory;
  std::mt19937 random(3);
  MakeTable(&memory, 600, random);
  AddIndex(&memory, {{2}, false, "", false, false});
  ASSERT_TRUE(CheckProblems(&memory).empty());
  const std::string y = memory.Contents("/d/T.Y02");
  std::unique_ptr<File> file;
  ASSERT_EQ(memory.Open("/d/T.Y02", OpenMode::kRead, &file), PDX_OK);
  TableHeader yh;
  std::string why;
  ASSERT_EQ(ReadTableHeader(file.get(), &yh, &why), PDX_OK);
  ASSERT_GE(yh.index_levels, 1);
  const size_t entry = yh.BlockOffset(1) + 6, key = yh.record_size - 6;
  struct Damage {
    size_t at;
    std::string bytes;
    const char* found;
  };
  const Damage damages[] = {
      {entry + key + 2, std::string("\x80\x01", 2), "counts 1 rows"},
      {entry + 3, "~", "its key differs"},
      {entry + key, std::string("\x80\x7F", 2), "names block 127"},
  };
  for (const Damage& damage : damages) {
    std::string damaged = y;
    damaged.replace(damage.at, damage.bytes.size(), damage.bytes);
    memory.SetContents("/d/T.Y02", damaged);
    const std::vector<std::string> problems = CheckProblems(&memory);
    ASSERT_FALSE(problems.empty()) << damage.found;
    bool named = false;
    for (const std::string& problem : problems)
      named = named || (problem.find("T.Y02") != std::string::npos &&
                        problem.find(damage.found) != std::string::npos);
    EXPECT_TRUE(named) << damage.found << ": " << problems.front();
  }
}

TEST(SecondaryIndexWriter, ANewIndexIsRefusedWhereItCannotBeMade) {
  MemoryFileSystem memory;
  std::mt19937 random(1);
  MakeTable(&memory, 20, random);
  std::string error;
  EXPECT_EQ(CreateSecondaryIndex(&memory, kDb, {{9}, false, "", false, false}, nullptr, &error),
            PDX_ERR_INVALID_PARAMETER);
  AddIndex(&memory, {{3}, false, "", false, false});
  EXPECT_EQ(CreateSecondaryIndex(&memory, kDb, {{3}, false, "", false, false}, nullptr, &error),
            PDX_ERR_TABLE_EXISTS);
  // Values that repeat cannot take a unique index.
  EXPECT_EQ(CreateSecondaryIndex(&memory, kDb, {{3}, true, "G", false, true}, nullptr, &error),
            PDX_ERR_KEY_VIOLATION);
  EXPECT_FALSE(memory.Exists("/d/T.XG0"));
  EXPECT_FALSE(memory.Exists("/d/T.YG0"));
  ExpectIndexesRebuiltFromRows(&memory, 1);
}

}  // namespace
}  // namespace pdx
