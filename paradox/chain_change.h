// What one committed change of a table writer did to the table's block
// chain, so that a reader of the same table in the same process can bring
// its chain index (chain_index.h) up to date without reading the primary
// index again.
//
// Positions count the chain's blocks in chain order from 0. The edits are
// the blocks inserted and removed, in the order they happened, each at its
// position at that moment; entries give the final state of every block
// inserted or changed, at its final position. The change applies only to a
// chain that the header bytes before it describe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pdx {

struct ChainChange {
  struct Edit {
    bool inserted = false;  // else removed
    uint32_t position = 0;
  };
  struct Entry {
    uint32_t position = 0;
    uint16_t block = 0;
    uint16_t count = 0;
    std::string first_key;
  };
  std::vector<uint8_t> header_before, header_after;  // the data file's first header bytes
  size_t blocks_before = 0;
  std::vector<Edit> edits;
  std::vector<Entry> entries;
};

}  // namespace pdx
