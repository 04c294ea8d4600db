// The chain index from a table's primary index must describe exactly the
// chain that walking the data blocks finds; an index that does not is set
// aside for the walk.
#include "chain_index.h"
#include "field_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "create_table.h"
#include "paradox/testing/memory_file_system.h"
#include "paradox/testing/samples.h"
#include "schema.h"
#include "store_test_support.h"
#include "table.h"
#include "table_writer.h"

namespace pdx::testing {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<Table> OpenSample(const std::string& directory, const std::string& name) {
  std::unique_ptr<Table> table;
  EXPECT_EQ(Table::Open(FileSystem::Default(), directory, name, Table::Options(), &table), PDX_OK);
  return table;
}

void ExpectSameChain(const ChainIndex& a, const ChainIndex& b) {
  ASSERT_EQ(a.block_count(), b.block_count());
  for (size_t i = 0; i < a.block_count(); ++i) {
    EXPECT_EQ(a.block(i), b.block(i)) << i;
    EXPECT_EQ(a.count(i), b.count(i)) << i;
    if (a.key_length() > 0)
      EXPECT_EQ(std::memcmp(a.first_key(i), b.first_key(i), a.key_length()), 0) << i;
  }
  EXPECT_EQ(a.total_rows(), b.total_rows());
}

class ChainIndexTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_WITHOUT_SAMPLES(); }
  const std::string samples_ = testing::SamplesDirectory();
};

TEST_F(ChainIndexTest, TwoLevelIndexAgreesWithTheBlockWalk) {
  auto table = OpenSample(samples_ + "/kymuweb__Paradox-Reader", "zakazky");
  ASSERT_TRUE(table);
  const ChainIndex* from_index;
  ASSERT_EQ(table->Chain(&from_index), PDX_OK);
  EXPECT_TRUE(from_index->from_primary_index());
  EXPECT_EQ(from_index->total_rows(), 3988);
  ChainIndex walked;
  ASSERT_EQ(ChainIndex::FromDataFile(table->data(), &walked), PDX_OK);
  ExpectSameChain(*from_index, walked);
}

// Its header counts entries for far more rows than the table has, yet its
// leaves describe the chain exactly.
TEST_F(ChainIndexTest, IndexWithOddHeaderCountsStillMatchesTheChain) {
  auto table = OpenSample(samples_ + "/leonhad__paradoxdriver/areas", "ZIPCODES");
  ASSERT_TRUE(table);
  const ChainIndex* chain;
  ASSERT_EQ(table->Chain(&chain), PDX_OK);
  ChainIndex walked;
  ASSERT_EQ(ChainIndex::FromDataFile(table->data(), &walked), PDX_OK);
  ExpectSameChain(*chain, walked);
  EXPECT_EQ(chain->total_rows(), 43185);
}

TEST_F(ChainIndexTest, IndexNamingABlockTwiceIsSetAside) {
  TemporaryDirectory dir;
  const std::string from = samples_ + "/kymuweb__Paradox-Reader/";
  fs::copy_file(from + "zakazky.db", dir.File("zakazky.db"));
  std::vector<uint8_t> index = ReadBytes(from + "zakazky.PX");
  // The root (block 1) has two entries of a 4-byte key and a block number:
  // make the second name the block the first names.
  const size_t header = index[2] | (index[3] << 8);
  const size_t first = header + 6, second = first + 4 + 6;
  index[second + 4] = index[first + 4];
  index[second + 5] = index[first + 5];
  WriteBytes(dir.File("zakazky.PX"), index);
  auto table = OpenSample(dir.Path(), "zakazky");
  ASSERT_TRUE(table);
  const ChainIndex* chain;
  ASSERT_EQ(table->Chain(&chain), PDX_OK);
  EXPECT_FALSE(chain->from_primary_index());
  EXPECT_EQ(chain->total_rows(), 3988);
}

}  // namespace
}  // namespace pdx::testing

namespace pdx::testing {
namespace {

// An index whose leaf names a block with a first key it does not hold (its
// counts right): finding a key inside that block must still land on it.
TEST_F(ChainIndexTest, WrongFirstKeyInTheIndexDoesNotMisleadFinds) {
  TemporaryDirectory dir;
  const std::string from = samples_ + "/kymuweb__Paradox-Reader/";
  fs::copy_file(from + "zakazky.db", dir.File("zakazky.db"));
  std::vector<uint8_t> index = ReadBytes(from + "zakazky.PX");
  const size_t leaf = 2048 + 2048 + 6;  // block 2, a leaf: entries of a 4-byte key and 6 bytes
  const size_t fifth = leaf + 5 * 10, sixth = leaf + 6 * 10;
  const int64_t inside = DecodeInteger(&index[fifth], 4) + 1;
  std::memcpy(&index[fifth], &index[sixth], 4);
  WriteBytes(dir.File("zakazky.PX"), index);

  pdx_init(PDX_INTERFACE_VERSION, "0009");  // already started by another test is fine
  pdx_session* session;
  ASSERT_EQ(pdx_session_open("t", &session), PDX_OK);
  pdx_cursor* cursor;
  ASSERT_EQ(pdx_table_open(session, dir.Path().c_str(), "zakazky", PDX_OPEN_READ_ONLY, &cursor),
            PDX_OK);
  pdx_cursor_info info;
  ASSERT_EQ(pdx_cursor_info_get(cursor, &info), PDX_OK);
  std::vector<uint8_t> record(info.record_size);
  pdx_init_record(cursor, record.data());
  ASSERT_EQ(pdx_put_int(cursor, record.data(), 1, inside), PDX_OK);
  ASSERT_EQ(pdx_find_nearest(cursor, record.data(), 1, 0), PDX_OK);
  ASSERT_EQ(pdx_get_record(cursor, record.data()), PDX_OK);
  int64_t found = 0;
  int blank;
  ASSERT_EQ(pdx_get_int(cursor, record.data(), 1, &found, &blank), PDX_OK);
  EXPECT_EQ(found, inside);
  pdx_session_close(session);
}

}  // namespace
}  // namespace pdx::testing

namespace pdx {
namespace {

// A table's chain index kept up to date from its writer's own changes must
// describe the chain exactly as a fresh walk over the data blocks does.
class ChainIndexFollowsWriter : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    keyed_ = GetParam();
    // Wide rows in small blocks: a few rows fill a block, so inserts split
    // blocks and deletes empty and merge them all the time.
    const std::string text =
        std::string("Code\tA6") + (keyed_ ? "*" : "") + "\nText\tA90\nblocksize 1024\n";
    TableSchema schema;
    std::string error;
    ASSERT_EQ(ParseSchema(text, &schema, &error), PDX_OK) << error;
    ASSERT_EQ(CreateTable(&fs_, "/d", "T", schema, &error), PDX_OK) << error;
    ASSERT_EQ(TableWriter::Open(&fs_, "/d/T.DB", &writer_, &error), PDX_OK) << error;
    ASSERT_EQ(Table::Open(&fs_, "/d", "T", Table::Options(), &table_), PDX_OK);
    record_size_ = schema.RecordSize();
  }

  std::string Row(int code) {
    std::string row(record_size_, '\0');
    const std::string text = std::to_string(100000 + code).substr(1);
    std::memcpy(row.data(), text.data(), text.size());
    return row;
  }

  // The table's chain against a walk of the data blocks.
  void ExpectChainAsWalked() {
    const ChainIndex* chain;
    ASSERT_EQ(table_->Chain(&chain), PDX_OK);
    ChainIndex walked;
    ASSERT_EQ(ChainIndex::FromDataFile(table_->data(), &walked), PDX_OK);
    testing::ExpectSameChain(*chain, walked);
    for (size_t i = 0; i < walked.block_count(); ++i) {
      ASSERT_EQ(chain->PositionOfBlock(walked.block(i)), i);
      ASSERT_EQ(chain->first_row(i), walked.first_row(i));
    }
  }

  testing::MemoryFileSystem fs_;
  std::unique_ptr<TableWriter> writer_;
  std::unique_ptr<Table> table_;
  int record_size_ = 0;
  bool keyed_ = true;
};

TEST_P(ChainIndexFollowsWriter, RandomInsertsDeletesAndMovesMatchAFreshWalk) {
  // Built from the blocks, so that a rebuild (from the primary index) shows.
  const ChainIndex* chain;
  ASSERT_EQ(table_->RebuildChainFromData(&chain), PDX_OK);
  std::mt19937 random(5);
  for (int step = 0; step < 700; ++step) {
    const int64_t rows = writer_->RecordCount();
    const int action = rows < 3 ? 0 : static_cast<int>(random() % 10);
    pdx_code code;
    if (action < 5) {
      std::string row = Row(static_cast<int>(random() % 800));
      code = writer_->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr);
    } else if (action < 8) {
      code = writer_->Delete(1 + static_cast<int64_t>(random() % rows));
    } else {
      // A new key moves the row to another block.
      const std::string row = Row(static_cast<int>(random() % 800));
      code = writer_->Modify(1 + static_cast<int64_t>(random() % rows),
                             reinterpret_cast<const uint8_t*>(row.data()), nullptr);
    }
    if (code == PDX_ERR_KEY_VIOLATION) continue;
    ASSERT_EQ(code, PDX_OK) << writer_->last_error();
    ASSERT_NE(writer_->last_change(), nullptr);
    ASSERT_EQ(table_->Refresh(writer_->last_change()), PDX_OK);
    ASSERT_EQ(table_->Chain(&chain), PDX_OK);
    ASSERT_FALSE(chain->from_primary_index()) << "step " << step << ": built again";
    ExpectChainAsWalked();
    if (HasFailure()) return;
    // Emptied to the last row once: the chain shrinks to one block and grows again.
    if (step == 400)
      while (writer_->RecordCount() > 1) {
        ASSERT_EQ(writer_->Delete(1), PDX_OK);
        ASSERT_EQ(table_->Refresh(writer_->last_change()), PDX_OK);
      }
  }
}

TEST_P(ChainIndexFollowsWriter, AnotherWritersChangeIsReadAfresh) {
  for (int code = 0; code < 60; ++code) {
    std::string row = Row(code * 2);
    ASSERT_EQ(writer_->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  }
  const ChainIndex* chain;
  ASSERT_EQ(table_->Refresh(), PDX_OK);
  ASSERT_EQ(table_->RebuildChainFromData(&chain), PDX_OK);
  // Nothing written: the chain index stays.
  ASSERT_EQ(table_->Refresh(), PDX_OK);
  ASSERT_EQ(table_->Chain(&chain), PDX_OK);
  EXPECT_FALSE(chain->from_primary_index());

  std::unique_ptr<TableWriter> other;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&fs_, "/d/T.DB", &other, &error), PDX_OK) << error;
  std::string row = Row(1);
  ASSERT_EQ(writer_->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  const ChainChange own = *writer_->last_change();
  row = Row(3);
  ASSERT_EQ(other->Insert(reinterpret_cast<uint8_t*>(row.data()), nullptr), PDX_OK);
  // The own change no longer describes the table: it is read again.
  ASSERT_EQ(table_->Refresh(&own), PDX_OK);
  ExpectChainAsWalked();
  EXPECT_EQ(table_->header().record_count, 62u);
  if (keyed_) {
    ASSERT_EQ(table_->Chain(&chain), PDX_OK);
    EXPECT_TRUE(chain->from_primary_index());
  }
}

INSTANTIATE_TEST_SUITE_P(KeyedAndUnkeyed, ChainIndexFollowsWriter, ::testing::Bool());

}  // namespace
}  // namespace pdx
