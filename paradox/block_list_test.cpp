// The chunked block list must behave exactly as a plain vector would,
// across chunk splits and chunks that empty.
#include "block_list.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace pdx {
namespace {

TEST(BlockList, AgreesWithAVectorUnderRandomInsertsAndErases) {
  BlockList list;
  std::vector<BlockList::Entry> model;
  std::mt19937 random(11);
  uint16_t next_block = 1;
  auto check = [&] {
    ASSERT_EQ(list.size(), model.size());
    int64_t rows = 0;
    for (size_t i = 0; i < model.size(); ++i) {
      ASSERT_EQ(list[i].block, model[i].block) << i;
      ASSERT_EQ(list.RowsBefore(i), rows) << i;
      size_t position = 0;
      int slot = -1;
      ASSERT_TRUE(list.Place(rows + model[i].count, &position, &slot));
      ASSERT_EQ(position, i);
      ASSERT_EQ(slot, model[i].count - 1);
      rows += model[i].count;
    }
    size_t position = 0;
    int slot = 0;
    EXPECT_FALSE(list.Place(rows + 1, &position, &slot));
  };
  // Grows past several chunks, shrinks to nothing, grows again.
  for (int round = 0; round < 2; ++round) {
    for (int step = 0; step < 3000; ++step) {
      const size_t at = random() % (model.size() + 1);
      BlockList::Entry entry{next_block++, static_cast<uint16_t>(1 + random() % 30), {}};
      list.insert(at, entry);
      model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), entry);
      if (step % 5 == 0) {
        // Counts change through the entries, as a writer's inserts do,
        // also once the rows of every chunk have been summed.
        if (step % 50 == 0) check();
        const size_t changed = random() % model.size();
        const auto count = static_cast<uint16_t>(1 + random() % 30);
        list[changed].count = count;
        model[changed].count = count;
        if (step % 50 == 0) check();
      }
      if (step % 3 == 0 && !model.empty()) {
        const size_t gone = random() % model.size();
        list.erase(gone);
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(gone));
      }
    }
    check();
    if (HasFailure()) return;
    while (!model.empty()) {
      const size_t gone = random() % model.size();
      list.erase(gone);
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(gone));
    }
    check();
  }
}

TEST(BlockList, PartitionPointFindsTheFirstBlockNotBeforeAKey) {
  BlockList list;
  for (int i = 0; i < 2000; ++i) list.push_back({static_cast<uint16_t>(i + 1), 1, {}});
  for (size_t i = 0; i < list.size(); ++i) list[i].count = static_cast<uint16_t>(i % 7 + 1);
  for (uint16_t key : {0, 1, 2, 511, 512, 513, 1024, 1999, 2000, 2001}) {
    const size_t point =
        list.PartitionPoint([key](const BlockList::Entry& e) { return e.block <= key; });
    EXPECT_EQ(point, key > 2000 ? 2000u : key) << key;
  }
}

}  // namespace
}  // namespace pdx
