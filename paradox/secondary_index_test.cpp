// Secondary indexes kept by the writer, on genuine tables that carry them:
// joins/C (keyed on C, one-field indexes on A and B) and joins/fk4 (a
// composite index on FK1 and FK). After every change each index must hold
// exactly one row per table row, in order, and pass the table check.
#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "field_codec.h"
#include "paradox/testing/memory_file_system.h"
#include "paradox/testing/samples.h"
#include "paradox/testing/table_shape.h"
#include "pdx_codes.h"
#include "secondary_index.h"
#include "table.h"
#include "table_check.h"
#include "table_writer.h"

namespace pdx {
namespace {

namespace fs = std::filesystem;
using testing::MemoryFileSystem;

// Copies the files of table stem from a folder of the samples into memory at /d.
void LoadSample(MemoryFileSystem* memory, const std::string& stem,
                const std::string& folder = "leonhad__paradoxdriver/joins") {
  const fs::path joins = testing::SamplePath(folder);
  for (const auto& entry : fs::directory_iterator(joins)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= stem.size() || name[stem.size()] != '.' ||
        strncasecmp(name.c_str(), stem.c_str(), stem.size()) != 0)
      continue;
    std::ifstream in(entry.path(), std::ios::binary);
    memory->SetContents("/d/" + name, std::string(std::istreambuf_iterator<char>(in), {}));
  }
}

std::vector<std::string> CheckProblems(MemoryFileSystem* memory, const std::string& name) {
  std::unique_ptr<Table> table;
  std::vector<std::string> problems;
  if (Table::Open(memory, "/d", name, {}, &table) != PDX_OK) return {"the table does not open"};
  CheckTable(memory, table.get(), &problems);
  return problems;
}

// The witness: each index holds one row per table row, its indexed values
// and key equal to some table row's, ordered by them (ascending bytes:
// these indexes are on integers and ascend).
void ExpectIndexesMatchRows(MemoryFileSystem* memory, const std::string& db) {
  const testing::TableShape shape = testing::ReadTableShape(memory, db);
  for (const std::string& problem : shape.problems) ADD_FAILURE() << problem;
  std::unique_ptr<File> file;
  ASSERT_EQ(memory->Open(db, OpenMode::kRead, &file), PDX_OK);
  TableHeader table;
  std::string why;
  ASSERT_EQ(ReadTableHeader(file.get(), &table, &why), PDX_OK);
  std::vector<SecondaryIndex> indexes;
  std::vector<std::string> unreadable;
  ASSERT_EQ(FindSecondaryIndexes(memory, db, table, &indexes, &unreadable), PDX_OK);
  ASSERT_TRUE(unreadable.empty());
  ASSERT_FALSE(indexes.empty());
  for (const SecondaryIndex& index : indexes) {
    std::vector<std::string> stored;
    ASSERT_TRUE(ReadIndexRows(memory, index, &stored, &why)) << why;
    std::multiset<std::string> want, got;
    for (const std::string& row : shape.rows) {
      std::string key;
      for (int field : index.fields)
        key += row.substr(table.fields[field - 1].offset, table.fields[field - 1].length);
      key += row.substr(0, table.KeyLength());
      want.insert(key);
    }
    for (const std::string& row : stored) got.insert(row.substr(0, row.size() - 2));
    EXPECT_EQ(got, want) << index.x_path;
    EXPECT_TRUE(std::is_sorted(stored.begin(), stored.end(),
                               [&](const std::string& a, const std::string& b) {
                                 return a.compare(0, a.size() - 2, b, 0, b.size() - 2) < 0;
                               }))
        << index.x_path;
  }
  for (const std::string& problem : CheckProblems(memory, "C")) ADD_FAILURE() << problem;
}

std::string CRow(int c, int a, int b) {
  std::string row(12, '\0');
  auto* d = reinterpret_cast<uint8_t*>(row.data());
  EncodeInteger(c, d, 4);
  EncodeInteger(a, d + 4, 4);
  EncodeInteger(b, d + 8, 4);
  return row;
}

TEST(SecondaryIndexWrites, RandomChangesKeepEveryIndexEqualToTheRows) {
  MemoryFileSystem memory;
  SKIP_WITHOUT_SAMPLES();
  LoadSample(&memory, "C");
  ASSERT_TRUE(CheckProblems(&memory, "C").empty());
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&memory, "/d/C.DB", &writer, &error), PDX_OK) << error;
  std::mt19937 random(3);
  for (int step = 0; step < 150; ++step) {
    const int action = static_cast<int>(random() % 3);
    std::string row = CRow(int(random() % 400) + 1, int(random() % 50), int(random() % 50));
    if (action == 0 || writer->RecordCount() < 3) {
      const pdx_code code = writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr);
      ASSERT_TRUE(code == PDX_OK || code == PDX_ERR_KEY_VIOLATION) << code;
    } else if (action == 1) {
      ASSERT_EQ(writer->Delete(1 + random() % writer->RecordCount()), PDX_OK);
    } else {
      const pdx_code code = writer->Modify(1 + random() % writer->RecordCount(),
                                           reinterpret_cast<uint8_t*>(row.data()), nullptr);
      ASSERT_TRUE(code == PDX_OK || code == PDX_ERR_KEY_VIOLATION) << code;
    }
    ExpectIndexesMatchRows(&memory, "/d/C.DB");
    if (HasFailure()) FAIL() << "at step " << step;
  }
}

// A crash at every write of an insert: afterwards (the journal rolled back
// or the change whole) the table and both indexes agree.
TEST(SecondaryIndexWrites, ACrashAtAnyWriteLeavesTableAndIndexesInStep) {
  for (long writes = 0;; ++writes) {
    MemoryFileSystem memory;
    SKIP_WITHOUT_SAMPLES();
    LoadSample(&memory, "C");
    std::unique_ptr<TableWriter> writer;
    std::string error;
    ASSERT_EQ(TableWriter::Open(&memory, "/d/C.DB", &writer, &error), PDX_OK) << error;
    std::map<std::string, std::string> before;
    for (const char* name : {"/d/C.DB", "/d/C.PX", "/d/C.X02", "/d/C.Y02", "/d/C.X03", "/d/C.Y03"})
      before[name] = memory.Contents(name);
    memory.FailWritesAfter(writes);
    std::string row = CRow(99, 7, 70);
    const pdx_code code = writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr);
    writer.reset();
    memory.Crash();
    memory.FailWritesAfter(-1);
    ASSERT_EQ(TableWriter::RecoverInterruptedChange(&memory, "/d/C.DB"), PDX_OK);
    if (code == PDX_OK) {
      EXPECT_EQ(testing::ReadTableShape(&memory, "/d/C.DB").rows.size(), 4u);
      ExpectIndexesMatchRows(&memory, "/d/C.DB");
    } else {
      for (const auto& [name, bytes] : before)
        EXPECT_EQ(memory.Contents(name), bytes) << name << " after " << writes << " writes";
    }
    if (HasFailure()) FAIL() << "after " << writes << " writes";
    if (code == PDX_OK) {
      EXPECT_GT(writes, 5) << "the journal, then table, index and both secondary indexes";
      break;
    }
    ASSERT_LT(writes, 200);
  }
}

TEST(SecondaryIndexWrites, AUniqueIndexRefusesARepeatedValue) {
  MemoryFileSystem memory;
  SKIP_WITHOUT_SAMPLES();
  LoadSample(&memory, "C");
  std::string x = memory.Contents("/d/C.X02");
  x[0x55] = 0x20;  // unique
  memory.SetContents("/d/C.X02", x);
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&memory, "/d/C.DB", &writer, &error), PDX_OK) << error;
  const std::string before = memory.Contents("/d/C.DB");
  std::string row = CRow(50, 2, 99);  // A = 2 is taken by row 2
  EXPECT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_ERR_KEY_VIOLATION);
  EXPECT_EQ(writer->last_error(), "Key violation.");
  EXPECT_EQ(memory.Contents("/d/C.DB"), before);
  row = CRow(50, 20, 99);
  EXPECT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK)
      << writer->last_error();
  ExpectIndexesMatchRows(&memory, "/d/C.DB");
}

// A row changed behind the index's back: the table still reads, the check
// names the index, and the writer refuses.
TEST(SecondaryIndexWrites, AStaleIndexRefusesWritesButTheTableReads) {
  MemoryFileSystem memory;
  SKIP_WITHOUT_SAMPLES();
  LoadSample(&memory, "C");
  std::unique_ptr<Table> table;
  ASSERT_EQ(Table::Open(&memory, "/d", "C", {}, &table), PDX_OK);
  const size_t first_row = table->data()->header().BlockOffset(1) + 6;
  table.reset();
  std::string db = memory.Contents("/d/C.DB");
  std::string changed = CRow(1, 42, 4);
  db.replace(first_row, 12, changed);
  memory.SetContents("/d/C.DB", db);

  std::vector<std::string> problems = CheckProblems(&memory, "C");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("C.X02"), std::string::npos) << problems[0];
  std::unique_ptr<TableWriter> writer;
  std::string error;
  EXPECT_EQ(TableWriter::Open(&memory, "/d/C.DB", &writer, &error), PDX_ERR_INDEX_OUT_OF_DATE);
  EXPECT_NE(error.find("C.X02"), std::string::npos) << error;
  EXPECT_EQ(testing::ReadTableShape(&memory, "/d/C.DB").rows.size(), 3u);
}

TEST(SecondaryIndexWrites, CompositeIndexOnIntegersIsKept) {
  MemoryFileSystem memory;
  SKIP_WITHOUT_SAMPLES();
  LoadSample(&memory, "fk4");
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&memory, "/d/fk4.db", &writer, &error), PDX_OK) << error;
  const int record_size = writer->header().record_size;
  for (int id = 10; id > 3; --id) {
    std::string row(record_size, '\0');
    auto* d = reinterpret_cast<uint8_t*>(row.data());
    EncodeInteger(id, d, 4);
    EncodeInteger(id % 3, d + 4, 4);
    EncodeInteger(100 - id, d + 11, 4);
    ASSERT_EQ(writer->Insert(d, nullptr), PDX_OK) << writer->last_error();
  }
  writer.reset();
  for (const std::string& problem : CheckProblems(&memory, "fk4")) ADD_FAILURE() << problem;
  std::vector<SecondaryIndex> indexes;
  std::vector<std::string> unreadable;
  std::unique_ptr<Table> table;
  ASSERT_EQ(Table::Open(&memory, "/d", "fk4", {}, &table), PDX_OK);
  ASSERT_EQ(table->SecondaryIndexes().size(), 1u);
  std::vector<std::string> stored;
  std::string why;
  ASSERT_TRUE(ReadIndexRows(&memory, table->SecondaryIndexes()[0], &stored, &why)) << why;
  EXPECT_EQ(stored.size(), 9u);
}

// The stored index against one rebuilt from the table's rows, block hints
// aside (genuine files carry a few stale ones).
void ExpectStoredEqualsRebuild(MemoryFileSystem* memory, const std::string& db) {
  std::unique_ptr<File> file;
  ASSERT_EQ(memory->Open(db, OpenMode::kRead, &file), PDX_OK);
  TableHeader table;
  std::string why;
  ASSERT_EQ(ReadTableHeader(file.get(), &table, &why), PDX_OK);
  const testing::TableShape shape = testing::ReadTableShape(memory, db);
  std::vector<TableRow> rows;
  for (const std::string& row : shape.rows)
    rows.push_back({0, reinterpret_cast<const uint8_t*>(row.data())});
  std::vector<SecondaryIndex> indexes;
  std::vector<std::string> unreadable;
  ASSERT_EQ(FindSecondaryIndexes(memory, db, table, &indexes, &unreadable), PDX_OK);
  ASSERT_FALSE(indexes.empty());
  for (const SecondaryIndex& index : indexes) {
    std::vector<std::string> stored;
    ASSERT_TRUE(ReadIndexRows(memory, index, &stored, &why)) << why;
    std::vector<std::string> rebuilt = ExpectedIndexRows(index, table, rows);
    ASSERT_EQ(stored.size(), rebuilt.size()) << index.x_path;
    for (size_t i = 0; i < stored.size(); ++i)
      ASSERT_EQ(stored[i].substr(0, stored[i].size() - 2),
                rebuilt[i].substr(0, rebuilt[i].size() - 2))
          << index.x_path << " row " << i + 1;
  }
}

// A composite index on integer and alpha fields that ignores case (flag
// 0x01): the genuine file holds the alpha values in upper case, ordered as
// those bytes order, exactly as rebuilt from the rows; changes keep it so.
TEST(SecondaryIndexWrites, ACaseInsensitiveCompositeIndexIsRebuiltExactlyAndKept) {
  MemoryFileSystem memory;
  SKIP_WITHOUT_SAMPLES();
  LoadSample(&memory, "zakazky", "kymuweb__Paradox-Reader");
  const std::string db = "/d/zakazky.db";
  ExpectStoredEqualsRebuild(&memory, db);
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&memory, db, &writer, &error), PDX_OK) << error;
  const TableHeader& h = writer->header();
  const Field& typl = h.fields[6];  // TYPL, A25, the index's fifth field
  std::mt19937 random(9);
  for (int step = 0; step < 40; ++step) {
    const int64_t number = 1 + random() % writer->RecordCount();
    std::string row(h.record_size, '\0');
    ASSERT_EQ(writer->Read(number, reinterpret_cast<uint8_t*>(row.data())), PDX_OK);
    const std::string value = step % 2 ? "l-5,0x" + std::to_string(random() % 9) : "Mixed Case";
    row.replace(typl.offset, typl.length, std::string(typl.length, '\0'));
    row.replace(typl.offset, value.size(), value);
    if (step % 3 == 2) {
      ASSERT_EQ(writer->Delete(number), PDX_OK) << writer->last_error();
    } else {
      ASSERT_EQ(writer->Modify(number, reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK)
          << writer->last_error();
    }
  }
  ExpectStoredEqualsRebuild(&memory, db);
  std::unique_ptr<Table> table;
  ASSERT_EQ(Table::Open(&memory, "/d", "zakazky", {}, &table), PDX_OK);
  std::vector<std::string> problems;
  CheckTable(&memory, table.get(), &problems);
  for (const std::string& problem : problems) ADD_FAILURE() << problem;

  // A letter beyond ASCII: how the index folds it is not known.
  const std::string before = memory.Contents("/d/zakazky.XG0");
  std::string row(h.record_size, '\0');
  ASSERT_EQ(writer->Read(1, reinterpret_cast<uint8_t*>(row.data())), PDX_OK);
  row[typl.offset] = static_cast<char>(0xE9);
  EXPECT_EQ(writer->Modify(1, reinterpret_cast<uint8_t*>(row.data()), nullptr),
            PDX_ERR_NOT_SUPPORTED);
  EXPECT_NE(writer->last_error().find("zakazky.XG0"), std::string::npos) << writer->last_error();
  EXPECT_EQ(memory.Contents("/d/zakazky.XG0"), before);
}

// An index that is not maintained (an unkeyed table's) is left as it is by
// a change, as its own engine leaves it; the table takes the row.
TEST(SecondaryIndexWrites, AnIndexNotMaintainedIsLeftAsItIs) {
  MemoryFileSystem memory;
  SKIP_WITHOUT_SAMPLES();
  LoadSample(&memory, "case");
  const std::string x = memory.Contents("/d/case.x01"), y = memory.Contents("/d/case.y01");
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&memory, "/d/case.db", &writer, &error), PDX_OK) << error;
  std::string row(writer->header().record_size, '\0');
  ASSERT_EQ(writer->Read(1, reinterpret_cast<uint8_t*>(row.data())), PDX_OK);
  ASSERT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK)
      << writer->last_error();
  EXPECT_EQ(writer->RecordCount(), 2);
  EXPECT_EQ(memory.Contents("/d/case.x01"), x);
  EXPECT_EQ(memory.Contents("/d/case.y01"), y);
  for (const std::string& problem : CheckProblems(&memory, "case")) ADD_FAILURE() << problem;
}

}  // namespace
}  // namespace pdx
