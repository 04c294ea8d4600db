// The chain index from a table's primary index must describe exactly the
// chain that walking the data blocks finds; an index that does not is set
// aside for the walk.
#include "chain_index.h"
#include "field_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "store_test_support.h"
#include "table.h"

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
    EXPECT_EQ(std::memcmp(a.first_key(i), b.first_key(i), a.key_length()), 0) << i;
  }
  EXPECT_EQ(a.total_rows(), b.total_rows());
}

class ChainIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(VINDRAL_SAMPLES_DIR)) GTEST_SKIP() << "no sample folder";
  }
  const std::string samples_ = VINDRAL_SAMPLES_DIR;
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
  TempDir dir;
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
  auto table = OpenSample(dir.path(), "zakazky");
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
  TempDir dir;
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
  ASSERT_EQ(pdx_table_open(session, dir.path().c_str(), "zakazky", PDX_OPEN_READ_ONLY, &cursor),
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
