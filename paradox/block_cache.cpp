#include "block_cache.h"

namespace pdx {

const uint8_t* BlockCache::Find(uint32_t file, uint32_t block, size_t* size) {
  auto it = index_.find(Key(file, block));
  if (it == index_.end()) return nullptr;
  if (it->second != order_.begin()) order_.splice(order_.begin(), order_, it->second);
  *size = it->second->data.size();
  return it->second->data.data();
}

uint8_t* BlockCache::Insert(uint32_t file, uint32_t block, size_t size) {
  Drop(file, block);
  while (!order_.empty() && held_ + size > budget_) Erase(std::prev(order_.end()));
  std::vector<uint8_t> buffer;
  if (!spare_.empty()) {
    buffer = std::move(spare_.back());
    spare_.pop_back();
  }
  buffer.resize(size);
  order_.push_front(Entry{Key(file, block), std::move(buffer)});
  index_[Key(file, block)] = order_.begin();
  held_ += size;
  return order_.front().data.data();
}

void BlockCache::Erase(std::list<Entry>::iterator it) {
  ++generation_;
  held_ -= it->data.size();
  index_.erase(it->key);
  if (spare_.size() < 4) spare_.push_back(std::move(it->data));
  order_.erase(it);
}

void BlockCache::Drop(uint32_t file, uint32_t block) {
  auto it = index_.find(Key(file, block));
  if (it != index_.end()) Erase(it->second);
}

void BlockCache::DropFile(uint32_t file) {
  for (auto it = order_.begin(); it != order_.end();) {
    auto next = std::next(it);
    if ((it->key >> 32) == file) Erase(it);
    it = next;
  }
}

void BlockCache::Clear() {
  while (!order_.empty()) Erase(order_.begin());
  spare_.clear();
}

}  // namespace pdx
