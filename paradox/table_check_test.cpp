#include "table_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "byte_order.h"
#include "create_table.h"
#include "error_context.h"
#include "paradox/testing/memory_file_system.h"
#include "paradox/testing/samples.h"
#include "pdx_codes.h"
#include "schema.h"
#include "table_writer.h"

namespace pdx {
namespace {

std::vector<std::string> Check(FileSystem* fs, const std::string& directory,
                               const std::string& name) {
  Table::Options options;
  options.passwords = {"123"};
  std::unique_ptr<Table> table;
  pdx_code rc = Table::Open(fs, directory, name, options, &table);
  EXPECT_EQ(rc, PDX_OK) << name;
  ClearErrorContext();
  std::vector<std::string> problems;
  if (rc == PDX_OK) {
    EXPECT_EQ(CheckTable(fs, table.get(), &problems), PDX_OK);
  }
  return problems;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

bool Mentions(const std::vector<std::string>& problems, const std::string& text) {
  return Joined(problems).find(text) != std::string::npos;
}

TEST(CheckSamples, GenuineTablesAreSound) {
  SKIP_WITHOUT_SAMPLES();
  const std::string samples = testing::SamplesDirectory();
  for (const char* path : {
           "leonhad__paradoxdriver/fields/memo.db",     // sub-allocated memos
           "leonhad__paradoxdriver/fields/graphic.db",  // single-blob blocks, a free block
           "leonhad__paradoxdriver/fields/ole.db",
           "leonhad__paradoxdriver/encrypt/encryptedmemo.db",  // protected, with memos
           "leonhad__paradoxdriver/encrypt/encrypted35.db",
           "leonhad__paradoxdriver/fields/logical.db",  // validity checks
           "leonhad__paradoxdriver/joins/C.DB",         // checks with links
           "leonhad__paradoxdriver/joins/primary.db",   // emptied keyed table
           "nilsfr__python-pxlib/KOMMENT.DB",           // free blocks, many blob blocks
           "kymuweb__Paradox-Reader/zakazky.db",        // two-level primary index
           "MedilinkPS__Paradox-Reader/testtab.DB",     // every field type
           "celebithil__Rparadox/mushrooms.db",
           "celebithil__Rparadox/of.db",  // level 3.5
       }) {
    std::string full = samples + "/" + path;
    size_t slash = full.rfind('/');
    std::vector<std::string> problems =
        Check(FileSystem::Default(), full.substr(0, slash), full.substr(slash + 1));
    EXPECT_TRUE(problems.empty()) << path << ":\n" << Joined(problems);
  }
}

TEST(CheckSamples, KnownFaultsOfSamplesAreFound) {
  SKIP_WITHOUT_SAMPLES();
  const std::string samples = testing::SamplesDirectory();
  std::vector<std::string> problems =
      Check(FileSystem::Default(), samples + "/grigoryvp__pyparadox", "test.db");
  ASSERT_EQ(problems.size(), 1u) << Joined(problems);
  EXPECT_TRUE(Mentions(problems, "primary index (.PX) is missing"));
  // Its last block is cut short, though the records in it are whole.
  problems = Check(FileSystem::Default(), samples + "/leonhad__paradoxdriver/areas", "ZIPCODES");
  ASSERT_EQ(problems.size(), 1u) << Joined(problems);
  EXPECT_TRUE(Mentions(problems, "the data file holds 1405952 bytes"));
}

// A genuine table copied into memory, to be damaged on purpose: a shared
// sample (a derived fixture's SetUp skips without them) or a golden file.
class DamagedTable : public ::testing::Test {
 protected:
  void Load(const std::string& directory, const std::string& stem,
            const std::vector<std::string>& extensions) {
    stem_ = stem;
    for (const std::string& extension : extensions) {
      std::string path = FindFileNoCase(FileSystem::Default(), directory, stem + extension);
      ASSERT_FALSE(path.empty()) << stem << extension;
      files_[extension] = testing::ReadTestFile<std::string>(path);
    }
  }
  uint8_t* Bytes(const std::string& extension) {
    return reinterpret_cast<uint8_t*>(files_[extension].data());
  }
  // Block k (1-based) of the data file.
  uint8_t* Block(int k) {
    uint8_t* db = Bytes(".DB");
    return db + LoadLe16(db + 2) + (k - 1) * db[5] * 1024;
  }
  int RecordSize() { return LoadLe16(Bytes(".DB")); }
  std::vector<std::string> Run() {
    testing::MemoryFileSystem fs;
    for (const auto& [extension, bytes] : files_) fs.SetContents("/t/" + stem_ + extension, bytes);
    return Check(&fs, "/t", stem_);
  }

  std::string stem_;
  std::map<std::string, std::string> files_;
};

// Upper index levels sum their children's counts, which outgrow the short
// integer an entry holds once more than 32767 rows lie below one entry.
TEST(CheckWrittenTables, AnIndexDeepEnoughToSaturateItsCountsIsSound) {
  testing::MemoryFileSystem fs;
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Name\tA100*\nlevel 4.0\nblocksize 1024\n", &schema, &error), PDX_OK);
  ASSERT_EQ(CreateTable(&fs, "/t", "WIDE", schema, &error), PDX_OK) << error;
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(&fs, "/t/WIDE.DB", &writer, &error), PDX_OK) << error;
  writer->set_sync(false);
  ASSERT_EQ(writer->BeginBatch(), PDX_OK);
  std::vector<uint8_t> row(writer->header().record_size);
  for (int i = 0; i < 100000; ++i) {
    std::fill(row.begin(), row.end(), 0);
    const std::string name = "row " + std::to_string(100000 + i);
    std::copy(name.begin(), name.end(), row.begin());
    ASSERT_EQ(writer->Insert(row.data(), nullptr), PDX_OK) << writer->last_error();
  }
  ASSERT_EQ(writer->CommitBatch(), PDX_OK) << writer->last_error();
  writer.reset();
  EXPECT_EQ(Joined(Check(&fs, "/t", "WIDE")), "");
}

class DamagedKeyedTable : public DamagedTable {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    Load(testing::SamplePath("kymuweb__Paradox-Reader"), "zakazky", {".DB", ".PX"});
  }
};

TEST_F(DamagedKeyedTable, SoundBeforeDamage) {
  EXPECT_TRUE(Run().empty());
}

TEST_F(DamagedKeyedTable, HeaderCountsThatDisagreeWithTheChain) {
  StoreLe32(Bytes(".DB") + 0x06, 3989);
  StoreLe16(Bytes(".DB") + 0x0A, LoadLe16(Bytes(".DB") + 0x0A) + 1);
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "the header counts 3989 records, the chain holds 3988"))
      << Joined(problems);
  EXPECT_TRUE(Mentions(problems, "blocks in use, the chain has")) << Joined(problems);
}

TEST_F(DamagedKeyedTable, BrokenLinksAndCycles) {
  const uint16_t second = LoadLe16(Block(1));
  StoreLe16(Block(second) + 2, 77);
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "block " + std::to_string(second) +
                                     ": its previous-block link is 77, the chain comes from 1"))
      << Joined(problems);

  StoreLe16(Block(second), 1);  // back to the first block
  problems = Run();
  EXPECT_TRUE(Mentions(problems, "the block chain returns to block 1")) << Joined(problems);

  StoreLe16(Block(second), 60000);
  problems = Run();
  EXPECT_TRUE(Mentions(problems, "names block 60000")) << Joined(problems);
}

TEST_F(DamagedKeyedTable, KeysOutOfOrderAndRepeated) {
  uint8_t* block = Block(1);
  const int size = RecordSize();
  std::string first(reinterpret_cast<char*>(block + 6), size);
  std::copy(block + 6 + size, block + 6 + 2 * size, block + 6);
  std::copy(first.begin(), first.end(), block + 6 + size);
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "row 2: its key sorts before the row above it"))
      << Joined(problems);
  // The first record changed, so the index entry no longer matches.
  EXPECT_TRUE(Mentions(problems, "its key differs from the first key of block 1"))
      << Joined(problems);

  std::copy(block + 6 + size, block + 6 + 2 * size, block + 6);
  problems = Run();
  EXPECT_TRUE(Mentions(problems, "row 2: its key repeats the row above it")) << Joined(problems);
}

TEST_F(DamagedKeyedTable, RecordCountOfABlockDisagreesWithTheIndex) {
  uint8_t* block = Block(1);
  StoreLe16(block + 4, LoadLe16(block + 4) - RecordSize());
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "data entry 1: counts")) << Joined(problems);
  // An impossible last-record offset reads as an empty block.
  StoreLe16(block + 4, 5);
  problems = Run();
  EXPECT_TRUE(Mentions(problems, "block 1: its last-record offset 5 does not fit"))
      << Joined(problems);
}

TEST_F(DamagedKeyedTable, DamagedIndexTree) {
  uint8_t* px = Bytes(".PX");
  const uint16_t root = LoadLe16(px + 0x1E);
  uint8_t* root_block = px + LoadLe16(px + 2) + (root - 1) * px[5] * 1024;
  const int entry_size = LoadLe16(px);
  // The root's first entry: key, then child block and count in the record
  // encoding. A wrong count no longer sums its child's entries.
  uint8_t* count = root_block + 6 + entry_size - 4;
  count[1] ^= 0x01;
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "the block below holds")) << Joined(problems);
  count[1] ^= 0x01;
  // A child outside the index.
  uint8_t* child = root_block + 6 + entry_size - 6;
  child[0] = 0x80 | 0x40;
  problems = Run();
  EXPECT_TRUE(Mentions(problems, "outside the index's")) << Joined(problems);

  files_.erase(".PX");
  problems = Run();
  EXPECT_TRUE(Mentions(problems, "primary index (.PX) is missing")) << Joined(problems);
}

TEST_F(DamagedKeyedTable, FreeListThroughTheChain) {
  StoreLe16(Bytes(".DB") + 0x4D, 1);
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "block 1 is both in the chain and in the free list"))
      << Joined(problems);
}

TEST_F(DamagedKeyedTable, ManyProblemsAreCappedButCounted) {
  uint8_t* db = Bytes(".DB");
  const int size = RecordSize();
  for (int k = 1; k <= LoadLe16(db + 0x0C); ++k) {
    uint8_t* block = Block(k);
    const int records = static_cast<int16_t>(LoadLe16(block + 4)) / size + 1;
    for (int i = 0; i < records; ++i) StoreLe32(block + 6 + i * size, 0x01000080);
  }
  testing::MemoryFileSystem fs;
  for (const auto& [extension, bytes] : files_) fs.SetContents("/t/zakazky" + extension, bytes);
  std::string out, error;
  EXPECT_EQ(CheckCommand(&fs, "/t", "zakazky", {}, &out, &error), 1);
  EXPECT_TRUE(error.empty());
  // Every row but the first repeats a key; the index disagrees at its first
  // block's key only (the others still start with the key they had).
  EXPECT_NE(out.find("more problems not shown"), std::string::npos);
  EXPECT_NE(out.find("zakazky: "), std::string::npos);
  size_t lines = std::count(out.begin(), out.end(), '\n');
  EXPECT_EQ(lines, kMaxCheckProblems + 2);
}

TEST(CheckCommandTest, ExitStatusTellsSoundDamagedAndUnreadable) {
  SKIP_WITHOUT_SAMPLES();
  const std::string encrypt = testing::SamplePath("leonhad__paradoxdriver/encrypt");
  std::string out, error;
  EXPECT_EQ(CheckCommand(FileSystem::Default(), encrypt, "ENCRYPTED", {"123"}, &out, &error), 0);
  EXPECT_EQ(out, "ENCRYPTED: no problems found\n");
  out.clear();
  EXPECT_EQ(CheckCommand(FileSystem::Default(), encrypt, "encrypted", {}, &out, &error), 2);
  EXPECT_TRUE(out.empty());
  EXPECT_NE(error.find("engine code 10498"), std::string::npos) << error;

  testing::MemoryFileSystem fs;
  fs.SetContents("/t/bad.db", std::string(100, 'x'));
  error.clear();
  EXPECT_EQ(CheckCommand(&fs, "/t", "bad", {}, &out, &error), 2);
  EXPECT_NE(error.find("Corrupt table/index header"), std::string::npos) << error;

  // The original engine left values behind that no row names: counted, not damage.
  out.clear();
  const std::string mushrooms = testing::SamplePath("celebithil__Rparadox");
  EXPECT_EQ(CheckCommand(FileSystem::Default(), mushrooms, "mushrooms", {}, &out, &error), 0);
  EXPECT_NE(out.find("mushrooms: 10 values in the blob file (1168944 bytes) belong to no row\n"),
            std::string::npos)
      << out;

  out.clear();
  const std::string pyparadox = testing::SamplePath("grigoryvp__pyparadox");
  EXPECT_EQ(CheckCommand(FileSystem::Default(), pyparadox, "test", {}, &out, &error), 1);
  EXPECT_NE(out.find("test: 1 problem found\n"), std::string::npos) << out;
}

class DamagedBlobTable : public DamagedTable {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    Load(testing::SamplePath("nilsfr__python-pxlib"), "KOMMENT", {".DB", ".PX", ".MB"});
  }
  // Row 4 (block 1, record 3) keeps its memo in the blob file; its field is
  // the last one, 140 - 130 = 10 bytes into the record.
  uint8_t* MemoOfRow(int row) { return Block(1) + 6 + (row - 1) * RecordSize() + 10; }
  uint8_t* PointerOfRow(int row) { return MemoOfRow(row) + 120; }
};

TEST_F(DamagedBlobTable, SoundBeforeDamage) {
  EXPECT_TRUE(Run().empty()) << Joined(Run());
}

TEST_F(DamagedBlobTable, PointersThatNameNoLiveValue) {
  StoreLe32(PointerOfRow(4) + 4, LoadLe32(PointerOfRow(4) + 4) + 1);
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "row 4, field Kommentar: Corrupt Memo/BLOB file"))
      << Joined(problems);
}

TEST_F(DamagedBlobTable, TwoRowsClaimingOneValueAndALeaderThatDiffers) {
  std::copy(PointerOfRow(4), PointerOfRow(4) + 10, PointerOfRow(5));
  std::copy(MemoOfRow(4), MemoOfRow(4) + 120, MemoOfRow(5));
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "row 5, field Kommentar: its blob is also the value of row 4"))
      << Joined(problems);
  MemoOfRow(4)[3] ^= 0x20;
  problems = Run();
  EXPECT_TRUE(Mentions(problems, "row 4, field Kommentar: its leader differs")) << Joined(problems);
}

TEST_F(DamagedBlobTable, MissingOrDamagedBlobFile) {
  std::string blobs = files_[".MB"];
  files_.erase(".MB");
  std::vector<std::string> problems = Run();
  EXPECT_TRUE(Mentions(problems, "row 4, field Kommentar: its value needs the blob file"))
      << Joined(problems);
  files_[".MB"] = blobs;
  StoreLe16(Bytes(".MB") + 0x1000 + 1, 0);  // a block of no length
  problems = Run();
  EXPECT_TRUE(Mentions(problems, "blob file: the block at offset 4096")) << Joined(problems);
}

class DamagedValTable : public DamagedTable {
 protected:
  void SetUp() override { Load(PDX_TESTDATA_DIR, "logical", {".db", ".val"}); }
};

TEST_F(DamagedValTable, StaleAndDamagedChecksAreReported) {
  EXPECT_TRUE(Run().empty());
  Bytes(".val")[0] ^= 1;
  EXPECT_TRUE(Mentions(Run(), ".VAL file is out of date")) << Joined(Run());
  files_[".val"].resize(60);
  EXPECT_TRUE(Mentions(Run(), "Corrupt or missing .VAL file")) << Joined(Run());
}

}  // namespace
}  // namespace pdx
