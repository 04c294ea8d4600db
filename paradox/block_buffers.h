// The blocks of a table writer's transaction, as plain bytes, found by block
// number without hashing: a bulk load's group holds tens of thousands of
// them and looks one up for every row.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace pdx {

class BlockBuffers {
 public:
  struct Buffer {
    std::vector<uint8_t> data;
    bool dirty = false;
    bool held = false;
  };

  Buffer* Find(uint16_t block) {
    return block < slots_.size() && slots_[block] && slots_[block]->held ? slots_[block].get()
                                                                         : nullptr;
  }
  // The block's buffer, made empty when it is not held yet. It stays where
  // it is while held, whatever else is held after it.
  Buffer& Hold(uint16_t block) {
    if (block >= slots_.size()) slots_.resize(block + 1u);
    if (!slots_[block]) slots_[block] = std::make_unique<Buffer>();
    Buffer& buffer = *slots_[block];
    if (!buffer.held) {
      buffer.held = true;
      buffer.dirty = false;
      buffer.data.clear();
      numbers_.push_back(block);
      ++held_;
    }
    return buffer;
  }
  void Release(uint16_t block) {
    if (Buffer* buffer = Find(block)) {
      buffer->held = false;
      std::vector<uint8_t>().swap(buffer->data);
      --held_;
    }
  }
  void Clear() {
    for (uint16_t block : numbers_) Release(block);
    numbers_.clear();
  }
  size_t size() const { return held_; }
  // The changed blocks, in ascending order.
  std::vector<uint16_t> Dirty() const {
    std::vector<uint16_t> dirty;
    for (uint16_t block : numbers_)
      if (slots_[block]->held && slots_[block]->dirty) dirty.push_back(block);
    std::sort(dirty.begin(), dirty.end());
    dirty.erase(std::unique(dirty.begin(), dirty.end()), dirty.end());
    return dirty;
  }

 private:
  std::vector<std::unique_ptr<Buffer>> slots_;  // by block number
  std::vector<uint16_t> numbers_;               // the blocks held (repeated when held again)
  size_t held_ = 0;
};

}  // namespace pdx
