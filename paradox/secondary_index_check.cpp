#include "secondary_index_check.h"

#include <memory>

#include "byte_order.h"
#include "cipher.h"
#include "field_codec.h"
#include "pdx_codes.h"
#include "table_files.h"
#include "table_header.h"

namespace pdx {
namespace {

constexpr int kBlockHeader = 6;
constexpr int kEntryTail = 6;  // block number, count, reserved
constexpr int kMaxLevels = 8;

struct ChainBlock {
  uint16_t block;
  int64_t count;
  std::string first_key;
};

class TreeCheck {
 public:
  TreeCheck(FileSystem* fs, const SecondaryIndex& index, bool check_order,
            std::vector<std::string>* problems)
      : fs_(fs),
        index_(index),
        check_order_(check_order),
        problems_(problems),
        y_name_(FileNameOf(index.y_path)) {}

  void Run() {
    if (!ReadChain()) return;
    if (fs_->Open(index_.y_path, OpenMode::kRead, &y_) != PDX_OK ||
        ReadTableHeader(y_.get(), &yh_, &why_) != PDX_OK) {
      Problem("its header cannot be read" + (why_.empty() ? "" : ": " + why_));
      return;
    }
    key_length_ = index_.header.KeyLength();
    if (yh_.record_size != key_length_ + kEntryTail) {
      Problem("its entries do not fit the keys of " + FileNameOf(index_.x_path));
      return;
    }
    if (chain_.empty() && yh_.index_levels == 0) return;
    if (yh_.index_levels == 0 || yh_.index_levels > kMaxLevels) {
      Problem("its tree has " + std::to_string(yh_.index_levels) + " levels");
      return;
    }
    visited_.assign(yh_.file_blocks + 1u, false);
    std::string first_key;
    int64_t rows = 0;
    if (!Walk(yh_.index_root, yh_.index_levels, &first_key, &rows)) return;
    CompareLeavesWithChain();
  }

 private:
  void Problem(const std::string& what) { problems_->push_back(y_name_ + ": " + what); }

  // The .X file's chain; its own faults are the .X check's to report.
  bool ReadChain() {
    const TableHeader& h = index_.header;
    std::unique_ptr<File> x;
    if (fs_->Open(index_.x_path, OpenMode::kRead, &x) != PDX_OK) return false;
    std::vector<uint8_t> block(h.BlockSize());
    std::vector<bool> seen(h.file_blocks + 1u, false);
    for (uint16_t b = h.first_block; b != 0;) {
      size_t got = 0;
      if (b > h.file_blocks || seen[b] ||
          x->ReadAt(h.BlockOffset(b), block.data(), block.size(), &got) != PDX_OK ||
          got != block.size())
        return false;
      seen[b] = true;
      if (uint32_t key = h.EncryptionKey()) DecryptBlock(key, b, block.data(), block.size());
      const auto last = static_cast<int16_t>(LoadLe16(block.data() + 4));
      const int count = last < 0 ? 0 : last / h.record_size + 1;
      if (count > 0)
        chain_.push_back({b, count,
                          std::string(reinterpret_cast<const char*>(block.data()) + kBlockHeader,
                                      static_cast<size_t>(h.KeyLength()))});
      b = LoadLe16(block.data());
    }
    return true;
  }

  bool ReadBlock(uint16_t number, std::vector<uint8_t>* block) {
    block->assign(yh_.BlockSize(), 0);
    size_t got = 0;
    if (y_->ReadAt(yh_.BlockOffset(number), block->data(), block->size(), &got) != PDX_OK ||
        got != block->size())
      return false;
    if (uint32_t key = yh_.EncryptionKey()) DecryptBlock(key, number, block->data(), block->size());
    return true;
  }

  // False when the walk had to stop.
  bool Walk(uint32_t number, int level, std::string* first_key, int64_t* rows) {
    const std::string where = "block " + std::to_string(number);
    if (number == 0 || number > yh_.file_blocks) {
      Problem("an entry names block " + std::to_string(number) + ", outside its " +
              std::to_string(yh_.file_blocks) + " blocks");
      return false;
    }
    if (visited_[number]) {
      Problem(where + " is reached twice");
      return false;
    }
    visited_[number] = true;
    std::vector<uint8_t> block;
    if (!ReadBlock(static_cast<uint16_t>(number), &block)) {
      Problem(where + " cannot be read");
      return false;
    }
    const auto last = static_cast<int16_t>(LoadLe16(block.data() + 4));
    const int count = last < 0 ? 0 : last / yh_.record_size + 1;
    if (count == 0 || kBlockHeader + static_cast<size_t>(count) * yh_.record_size > block.size()) {
      Problem(where + (count == 0 ? " holds no entries" : " has an invalid entry count"));
      return false;
    }
    for (int i = 0; i < count; ++i) {
      const uint8_t* entry = block.data() + kBlockHeader + static_cast<size_t>(i) * yh_.record_size;
      const uint16_t child = static_cast<uint16_t>(DecodeInteger(entry + key_length_, 2) & 0xFFFF);
      const int64_t entry_rows = DecodeInteger(entry + key_length_ + 2, 2);
      const std::string key(reinterpret_cast<const char*>(entry), key_length_);
      if (i == 0) *first_key = key;
      if (i > 0 && check_order_ &&
          CompareIndexRows(index_, entry - yh_.record_size, entry, index_.header.key_fields) >= 0)
        Problem(where + ": entry " + std::to_string(i + 1) + " is not above the entry before it");
      if (level == 1) {
        *rows += entry_rows;
        leaves_.push_back({child, entry_rows, key});
        continue;
      }
      std::string below_key;
      int64_t below_rows = 0;
      if (!Walk(child, level - 1, &below_key, &below_rows)) return false;
      *rows += below_rows;
      const bool saturated = entry_rows == kMaxIndexCount && below_rows > kMaxIndexCount;
      if (below_rows != entry_rows && !saturated)
        Problem(where + ", entry " + std::to_string(i + 1) + ": counts " +
                std::to_string(entry_rows) + " rows, the block below holds " +
                std::to_string(below_rows));
      if (below_key != key)
        Problem(where + ", entry " + std::to_string(i + 1) +
                ": its key differs from the first key of the block below");
    }
    return true;
  }

  void CompareLeavesWithChain() {
    const std::string x_name = FileNameOf(index_.x_path);
    if (leaves_.size() != chain_.size())
      Problem("it names " + std::to_string(leaves_.size()) + " blocks of " + x_name +
              ", whose chain has " + std::to_string(chain_.size()));
    for (size_t i = 0; i < leaves_.size() && i < chain_.size(); ++i) {
      const std::string where = "entry " + std::to_string(i + 1) + " of its lowest level";
      if (leaves_[i].block != chain_[i].block) {
        Problem(where + " names block " + std::to_string(leaves_[i].block) + ", the chain has " +
                std::to_string(chain_[i].block));
        continue;
      }
      if (leaves_[i].count != chain_[i].count)
        Problem(where + " counts " + std::to_string(leaves_[i].count) + " rows in block " +
                std::to_string(chain_[i].block) + ", which holds " +
                std::to_string(chain_[i].count));
      if (leaves_[i].first_key != chain_[i].first_key)
        Problem(where + ": its key differs from the first key of block " +
                std::to_string(chain_[i].block));
    }
  }

  FileSystem* fs_;
  const SecondaryIndex& index_;
  bool check_order_;
  std::vector<std::string>* problems_;
  std::string y_name_;
  std::string why_;
  std::unique_ptr<File> y_;
  TableHeader yh_;
  int key_length_ = 0;
  std::vector<ChainBlock> chain_, leaves_;
  std::vector<bool> visited_;
};

}  // namespace

void CheckSecondaryIndexTree(FileSystem* fs, const SecondaryIndex& index, bool check_order,
                             std::vector<std::string>* problems) {
  if (index.y_path.empty()) return;
  TreeCheck(fs, index, check_order, problems).Run();
}

}  // namespace pdx
