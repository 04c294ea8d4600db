#include "primary_index_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "create_table.h"
#include "field_codec.h"
#include "paradox/testing/memory_file_system.h"
#include "pdx_codes.h"
#include "schema.h"

namespace pdx {
namespace {

using testing::MemoryFileSystem;

constexpr int kKeyLength = 100;  // nine entries to a 1 KB index block

struct IndexEntry {
  std::string key;
  uint16_t block;
  int64_t count;
};

// The index as its bytes say, read without the writer: the root's level
// walked down to the leaves, whose entries are answered in order. Problems
// (sums that disagree, levels that do not match the header) are reported.
class IndexWalk {
 public:
  IndexWalk(MemoryFileSystem* fs, const std::string& path) {
    std::unique_ptr<File> file;
    EXPECT_EQ(fs->Open(path, OpenMode::kRead, &file), PDX_OK);
    uint64_t size = 0;
    file->Size(&size);
    bytes_.resize(size);
    size_t got = 0;
    file->ReadAt(0, bytes_.data(), size, &got);
    header_size_ = bytes_[2] | bytes_[3] << 8;
    block_size_ = bytes_[5] * 1024;
  }

  uint16_t Root() const { return bytes_[0x1E] | bytes_[0x1F] << 8; }
  int Levels() const { return bytes_[0x20]; }

  // Entries of the leaves under block, after checking each upper entry's
  // count against the rows below it.
  std::vector<IndexEntry> Leaves(uint16_t block, int level) {
    std::vector<IndexEntry> here = Entries(block);
    if (level == 1) return here;
    std::vector<IndexEntry> all;
    for (const IndexEntry& e : here) {
      std::vector<IndexEntry> below = Leaves(e.block, level - 1);
      int64_t sum = 0;
      for (const IndexEntry& b : below) sum += b.count;
      EXPECT_EQ(e.count, std::min<int64_t>(sum, kMaxIndexCount)) << "block " << e.block;
      EXPECT_EQ(e.key, below.front().key);
      all.insert(all.end(), below.begin(), below.end());
    }
    return all;
  }

 private:
  std::vector<IndexEntry> Entries(uint16_t block) {
    const uint8_t* data = bytes_.data() + header_size_ + size_t(block - 1) * block_size_;
    const int entry = kKeyLength + 6;
    const int n = (data[4] | data[5] << 8) / entry + 1;
    std::vector<IndexEntry> out;
    for (int i = 0; i < n; ++i) {
      const uint8_t* e = data + 6 + i * entry;
      out.push_back({std::string(reinterpret_cast<const char*>(e), kKeyLength),
                     static_cast<uint16_t>((e[kKeyLength] ^ 0x80) << 8 | e[kKeyLength + 1]),
                     DecodeInteger(e + kKeyLength + 2, 2)});
    }
    return out;
  }

  std::vector<uint8_t> bytes_;
  size_t header_size_ = 0;
  size_t block_size_ = 0;
};

class PrimaryIndexWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TableSchema schema;
    std::string error;
    ASSERT_EQ(ParseSchema("Key\tA100*\nValue\tS\nblocksize 1024\n", &schema, &error), PDX_OK)
        << error;
    ASSERT_EQ(CreateTable(&fs_, "/d", "T", schema, &error), PDX_OK) << error;
    ASSERT_EQ(fs_.Open("/d/T.PX", OpenMode::kReadWrite, &px_), PDX_OK);
    journal_ = std::make_unique<Journal>(&fs_, "/d/T.JNL");
    transaction_ = std::make_unique<Transaction>(journal_.get(), std::vector<File*>{px_.get()});
  }

  static BlockList::Entry Block(int number, int rows) {
    std::string key(kKeyLength, '\0');
    const std::string text = "key " + std::to_string(100000 + number);
    std::memcpy(key.data(), text.data(), text.size());
    return {static_cast<uint16_t>(number), static_cast<uint16_t>(rows), key};
  }

  void Write() {
    std::string error;
    ASSERT_EQ(index_.Write(chain_, ++change_count_, transaction_.get(), 0, &error), PDX_OK)
        << error;
    ASSERT_EQ(transaction_->Commit(), PDX_OK);
  }

  // The index on disk holds exactly the chain's entries, and a writer
  // loading it afresh writes nothing different.
  void ExpectIndexMatchesChain() {
    IndexWalk walk(&fs_, "/d/T.PX");
    std::vector<IndexEntry> leaves =
        chain_.empty() ? std::vector<IndexEntry>{} : walk.Leaves(walk.Root(), walk.Levels());
    ASSERT_EQ(leaves.size(), chain_.size());
    for (size_t i = 0; i < leaves.size(); ++i) {
      EXPECT_EQ(leaves[i].key, chain_[i].first_key) << i;
      EXPECT_EQ(leaves[i].block, chain_[i].block) << i;
      EXPECT_EQ(leaves[i].count, chain_[i].count) << i;
    }
  }

  MemoryFileSystem fs_;
  std::unique_ptr<File> px_;
  std::unique_ptr<Journal> journal_;
  std::unique_ptr<Transaction> transaction_;
  PrimaryIndexWriter index_;
  BlockList chain_;
  uint16_t change_count_ = 0;
};

TEST_F(PrimaryIndexWriterTest, FreshLayoutBuildsEveryLevelUpToOneRoot) {
  std::string error;
  ASSERT_EQ(index_.Load(px_.get(), kKeyLength, &error), PDX_OK) << error;
  for (int b = 1; b <= 100; ++b) chain_.push_back(Block(b, b % 7 + 1));
  Write();
  ExpectIndexMatchesChain();
  // 100 entries: 12 leaves, 2 blocks above them, then the root.
  IndexWalk walk(&fs_, "/d/T.PX");
  EXPECT_EQ(walk.Levels(), 3);
  EXPECT_EQ(index_.header().record_count, 100u + 12 + 2);
  EXPECT_EQ(index_.header().parent_change_count, change_count_);
}

// Inserts and erases at random places, as splits and merges of data blocks
// make them, each written as its own change; a leaf that fills splits and an
// emptied one drops out, and the index always equals the chain.
TEST_F(PrimaryIndexWriterTest, ChangedLeavesFollowInsertsAndErases) {
  std::string error;
  ASSERT_EQ(index_.Load(px_.get(), kKeyLength, &error), PDX_OK) << error;
  for (int b = 0; b < 30; ++b) chain_.push_back(Block(b * 1000 + 1, 3));
  Write();
  std::mt19937 random(5);
  int next_block = 100;
  for (int step = 0; step < 300; ++step) {
    const size_t at = random() % (chain_.size() + 1);
    if (chain_.size() > 2 && random() % 3 == 0) {
      const size_t gone = std::min(at, chain_.size() - 1);
      index_.Erased(gone);
      chain_.erase(gone);
    } else {
      // Keys stay in order: the new entry's key lies between its neighbours'.
      const int before = at == 0 ? 0 : std::stoi(chain_[at - 1].first_key.substr(4, 6)) - 100000;
      const int after =
          at == chain_.size() ? 999999 : std::stoi(chain_[at].first_key.substr(4, 6)) - 100000;
      if (after - before < 2) continue;
      BlockList::Entry entry = Block(before + 1 + int(random() % (after - before - 1)), 2);
      entry.block = static_cast<uint16_t>(++next_block);
      chain_.insert(at, entry);
      index_.Inserted(at);
    }
    if (!chain_.empty()) {
      const size_t touched = random() % chain_.size();
      chain_[touched].count = static_cast<uint16_t>(random() % 50 + 1);
      index_.Touched(touched);
    }
    Write();
    ExpectIndexMatchesChain();
    if (HasFailure()) FAIL() << "at step " << step;
  }
}

// Changes that keep every leaf (counts, and keys within their neighbours')
// range) remake only the upper entries above the changed leaves: through
// three levels, sums and first keys stay right at every level.
TEST_F(PrimaryIndexWriterTest, UpperLevelsFollowChangesBelowThem) {
  std::string error;
  ASSERT_EQ(index_.Load(px_.get(), kKeyLength, &error), PDX_OK) << error;
  for (int b = 1; b <= 100; ++b) chain_.push_back(Block(b * 10, 3));
  Write();
  std::mt19937 random(8);
  for (int step = 0; step < 200; ++step) {
    for (int n = 0; n < 3; ++n) {
      const size_t at = random() % chain_.size();
      chain_[at].count = static_cast<uint16_t>(random() % 60 + 1);
      if (random() % 2)
        chain_[at].first_key = Block(int(at + 1) * 10 + int(random() % 9), 1).first_key;
      index_.Touched(at);
    }
    Write();
    ExpectIndexMatchesChain();
    if (HasFailure()) FAIL() << "at step " << step;
  }
  IndexWalk walk(&fs_, "/d/T.PX");
  EXPECT_EQ(walk.Levels(), 3);
}

// Leaves keep their place in the file: a full one splits into a new block
// at the end, so the change rewrites no other leaf.
TEST_F(PrimaryIndexWriterTest, AFullLeafSplitsIntoANewBlockAtTheEnd) {
  std::string error;
  ASSERT_EQ(index_.Load(px_.get(), kKeyLength, &error), PDX_OK) << error;
  for (int b = 1; b <= 27; ++b) chain_.push_back(Block(b * 10, 5));
  Write();  // three full leaves, blocks 1 to 3, and a root in block 4
  const std::string before = fs_.Contents("/d/T.PX");
  BlockList::Entry entry = Block(11, 1);
  entry.block = 99;
  chain_.insert(1, entry);
  index_.Inserted(1);
  Write();
  ExpectIndexMatchesChain();
  // Leaf 1 split into blocks 1 and 5 (the root kept block 4).
  EXPECT_EQ(index_.header().file_blocks, 5);
  const std::string after = fs_.Contents("/d/T.PX");
  const size_t header = index_.header().header_size, block = 1024;
  auto at = [&](const std::string& bytes, int number, size_t from) {
    return bytes.substr(header + (number - 1) * block + from, block - from);
  };
  ASSERT_EQ(after.size(), header + 5 * block);
  EXPECT_EQ(at(after, 3, 0), at(before, 3, 0));
  // Leaf 2 keeps its entries; only its back link names the new block.
  EXPECT_EQ(at(after, 2, 4), at(before, 2, 4));
  EXPECT_EQ(after[header + block + 2], 5);
}

TEST_F(PrimaryIndexWriterTest, EmptiedChainLeavesAnEmptyIndex) {
  std::string error;
  ASSERT_EQ(index_.Load(px_.get(), kKeyLength, &error), PDX_OK) << error;
  for (int b = 1; b <= 20; ++b) chain_.push_back(Block(b, 1));
  Write();
  chain_.clear();
  index_.Reset();
  Write();
  EXPECT_EQ(index_.header().index_levels, 0);
  EXPECT_EQ(index_.header().record_count, 0u);
  EXPECT_EQ(index_.header().file_blocks, 0);
  uint64_t size = 0;
  px_->Size(&size);
  EXPECT_EQ(size, index_.header().header_size);
}

TEST_F(PrimaryIndexWriterTest, IndexOfAnotherKeyIsRefused) {
  std::string error;
  EXPECT_EQ(index_.Load(px_.get(), kKeyLength + 2, &error), PDX_ERR_CORRUPT_INDEX);
  EXPECT_NE(error.find("does not match"), std::string::npos) << error;
}

}  // namespace
}  // namespace pdx
