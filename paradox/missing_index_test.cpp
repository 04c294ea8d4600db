// A keyed table that lost its primary index: the first write makes it again
// from the data blocks, when their rows are in key order, and refuses with
// the reason otherwise. The rebuilt index is checked by an independent
// reader of the files and by pxlib.
#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

#include <cstring>

#include "create_table.h"
#include "field_codec.h"
#include "paradox/testing/memory_file_system.h"
#include "paradox/testing/table_shape.h"
#include "pdx_codes.h"
#include "schema.h"
#include "store_test_support.h"
#include "table_writer.h"

extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace pdx {
namespace {

using testing::MemoryFileSystem;
using testing::ReadTableShape;

constexpr int kRows = 120;

// Code S*, Name A40: about 24 rows to a 1 KB block, so several blocks and a
// two-level index.
std::string Row(int code, const char* name) {
  std::string row(42, '\0');
  EncodeInteger(code, reinterpret_cast<uint8_t*>(row.data()), 2);
  std::memcpy(row.data() + 2, name, std::strlen(name));
  return row;
}

// Writes a table of kRows rows in directory, then takes its .PX away.
void MakeTableWithoutIndex(FileSystem* fs, const std::string& directory) {
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Code\tS*\nName\tA40\nlevel 4.0\nblocksize 1024\n", &schema, &error),
            PDX_OK);
  ASSERT_EQ(CreateTable(fs, directory, "T", schema, &error), PDX_OK) << error;
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(fs, directory + "/T.DB", &writer, &error), PDX_OK) << error;
  ASSERT_EQ(writer->BeginBatch(), PDX_OK);
  for (int i = 0; i < kRows; ++i) {
    std::string row = Row((i * 37) % kRows, "row");
    ASSERT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  }
  ASSERT_EQ(writer->CommitBatch(), PDX_OK);
  writer.reset();
  ASSERT_EQ(fs->Remove(directory + "/T.PX"), PDX_OK);
}

void ExpectSoundWithRows(FileSystem* fs, const std::string& db, size_t rows) {
  testing::TableShape shape = ReadTableShape(fs, db);
  for (const std::string& problem : shape.problems) ADD_FAILURE() << problem;
  EXPECT_EQ(shape.rows.size(), rows);
}

TEST(MissingPrimaryIndex, FirstWriteRebuildsItAndPxlibReadsTheTable) {
  testing::TemporaryDirectory dir;
  FileSystem* fs = FileSystem::Default();
  MakeTableWithoutIndex(fs, dir.Path());
  const std::string db = dir.File("T.DB");
  std::unique_ptr<TableWriter> writer;
  std::string error;
  ASSERT_EQ(TableWriter::Open(fs, db, &writer, &error), PDX_OK) << error;
  std::string row = Row(500, "new");
  ASSERT_EQ(writer->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  row = Row(3, "changed");
  ASSERT_EQ(writer->Modify(4, reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  writer.reset();
  ExpectSoundWithRows(fs, db, kRows + 1);

  std::string messages;
  auto quiet = [](pxdoc_t*, int, const char* message, void* data) {
    static_cast<std::string*>(data)->append(message).append("\n");
  };
  if (__lsan_disable) __lsan_disable();
  pxdoc_t* doc = PX_new3(quiet, nullptr, nullptr, nullptr, &messages);
  pxdoc_t* index = PX_new3(quiet, nullptr, nullptr, nullptr, &messages);
  ASSERT_EQ(PX_open_file(doc, db.c_str()), 0) << messages;
  ASSERT_EQ(PX_open_file(index, dir.File("T.PX").c_str()), 0) << messages;
  EXPECT_EQ(PX_read_primary_index(index), 0) << messages;
  EXPECT_EQ(PX_add_primary_index(doc, index), 0) << messages;
  EXPECT_EQ(PX_get_num_records(doc), kRows + 1);
  std::vector<char> record(42);
  ASSERT_NE(PX_get_record(doc, 3, record.data()), nullptr) << messages;
  EXPECT_STREQ(record.data() + 2, "changed");
  PX_close(doc);
  PX_delete(doc);
  PX_close(index);
  PX_delete(index);
  if (__lsan_enable) __lsan_enable();
}

TEST(MissingPrimaryIndex, RowsOutOfKeyOrderKeepTheTableFromBeingWritten) {
  MemoryFileSystem fs;
  MakeTableWithoutIndex(&fs, "/d");
  // Swap the first two rows of the first block (its header is 6 bytes).
  std::string bytes = fs.Contents("/d/T.DB");
  const size_t first = uint8_t(bytes[2]) | uint8_t(bytes[3]) << 8;
  std::string a = bytes.substr(first + 6, 42);
  bytes.replace(first + 6, 42, bytes.substr(first + 6 + 42, 42));
  bytes.replace(first + 6 + 42, 42, a);
  fs.SetContents("/d/T.DB", bytes);
  std::unique_ptr<TableWriter> writer;
  std::string error;
  EXPECT_EQ(TableWriter::Open(&fs, "/d/T.DB", &writer, &error), PDX_ERR_CORRUPT_INDEX);
  EXPECT_NE(error.find("not in key order"), std::string::npos) << error;
  EXPECT_FALSE(fs.Exists("/d/T.PX"));
}

// The rebuild cut short at every write: the table reads as before (rows
// intact), and the next writer finishes the index.
TEST(MissingPrimaryIndex, RebuildCutShortAtAnyWriteIsFinishedByTheNextWriter) {
  for (long writes = 0;; ++writes) {
    MemoryFileSystem fs;
    MakeTableWithoutIndex(&fs, "/d");
    const std::string before = fs.Contents("/d/T.DB");
    fs.FailWritesAfter(writes);
    std::unique_ptr<TableWriter> writer;
    std::string error;
    const pdx_code code = TableWriter::Open(&fs, "/d/T.DB", &writer, &error);
    writer.reset();
    fs.Crash();
    fs.FailWritesAfter(-1);
    if (code == PDX_OK) {
      ExpectSoundWithRows(&fs, "/d/T.DB", kRows);
      EXPECT_GT(writes, 3) << "the rebuild takes several writes";
      break;
    }
    ASSERT_EQ(TableWriter::Open(&fs, "/d/T.DB", &writer, &error), PDX_OK)
        << "after " << writes << " writes: " << error;
    writer.reset();
    ExpectSoundWithRows(&fs, "/d/T.DB", kRows);
    if (HasFailure()) FAIL() << "after " << writes << " writes";
    ASSERT_LT(writes, 100);
  }
}

}  // namespace
}  // namespace pdx
