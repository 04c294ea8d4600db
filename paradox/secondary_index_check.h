// Checks a secondary index's .Y file, the primary index of its .X file,
// against the .X file's block chain: its tree walked from the root (levels,
// blocks reached once, entries ascending in the index's order, every upper
// entry carrying its child's first key and row count) and its leaf entries
// naming the .X chain's blocks in order, with their row counts and first
// keys.
#pragma once

#include <string>
#include <vector>

#include "file_system.h"
#include "secondary_index.h"

namespace pdx {

// Appends what is wrong, each problem naming the .Y file, to *problems.
// check_order: whether the store knows the index's order exactly, so that
// entries out of it are a fault.
void CheckSecondaryIndexTree(FileSystem* fs, const SecondaryIndex& index, bool check_order,
                             std::vector<std::string>* problems);

}  // namespace pdx
