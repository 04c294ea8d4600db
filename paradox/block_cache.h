// A bounded cache of file blocks, least recently used first out. Every block
// the store reads goes through one, so memory stays within the budget
// whatever the table's size, and a scan costs one read per block, not per
// record. Blocks are dropped singly or per file when a writer changes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace pdx {

class BlockCache {
 public:
  static constexpr size_t kDefaultBudget = 8u << 20;

  explicit BlockCache(size_t budget_bytes = kDefaultBudget) : budget_(budget_bytes) {}
  BlockCache(const BlockCache&) = delete;
  BlockCache& operator=(const BlockCache&) = delete;

  // The cached bytes of (file, block), or nullptr. Valid until the next
  // Insert or Drop.
  const uint8_t* Find(uint32_t file, uint32_t block, size_t* size);
  // A buffer of size bytes for (file, block) for the caller to fill; it is
  // the most recently used entry afterwards. Evicts older entries as needed.
  uint8_t* Insert(uint32_t file, uint32_t block, size_t size);
  void Drop(uint32_t file, uint32_t block);
  void DropFile(uint32_t file);
  void Clear();

  size_t bytes_held() const { return held_; }
  size_t budget() const { return budget_; }
  // Changes whenever a pointer that Find or Insert gave out may have become
  // invalid, so a reader can keep one while this stays the same.
  uint64_t generation() const { return generation_; }

 private:
  struct Entry {
    uint64_t key;
    std::vector<uint8_t> data;
  };
  static uint64_t Key(uint32_t file, uint32_t block) {
    return (static_cast<uint64_t>(file) << 32) | block;
  }
  void Erase(std::list<Entry>::iterator it);

  size_t budget_;
  size_t held_ = 0;
  uint64_t generation_ = 0;
  std::list<Entry> order_;  // most recently used first
  std::unordered_map<uint64_t, std::list<Entry>::iterator> index_;
  std::vector<std::vector<uint8_t>> spare_;  // buffers of evicted entries, reused
};

}  // namespace pdx
