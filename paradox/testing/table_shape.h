// Reads a table's files straight from their bytes, without the store's
// reader, and checks what the writer must keep in step: the block chain and
// its back links, the free list, the header counts, key order, and that the
// primary index holds one entry per data block with its first key and row
// count. Tests of the writer use it as an independent witness.
#pragma once

#include <string>
#include <vector>

#include "paradox/file_system.h"

namespace pdx::testing {

struct TableShape {
  std::vector<std::string> rows;  // records in table order, raw bytes
  std::vector<std::string> problems;
  int blocks_in_chain = 0;
  int free_blocks = 0;
};

// directory/table + ".DB" (and ".PX" when keyed); unencrypted tables only.
TableShape ReadTableShape(FileSystem* fs, const std::string& db_path);

}  // namespace pdx::testing
