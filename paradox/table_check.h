// A full check of an open table for damage, for `pdx check`: the header
// against the blocks and the file's length, the block chain (links, cycles,
// record counts), the free list, the key order of a keyed table, the primary
// index against the chain, every blob pointer against the blob file, the blob
// file's blocks (kinds, lengths, overlapping slots; values no row names are
// counted apart), and the validity-check file against the table.
//
// Unlike reading, which stops at the first fault it meets, the check goes on
// past each problem it can step over and describes every one in a line of
// its own, so a damaged table gets one report rather than a series of runs.
#pragma once

#include <string>
#include <vector>

#include "pdx.h"
#include "table.h"

namespace pdx {

// Reports beyond this many lines end with a line saying how many were left out.
inline constexpr size_t kMaxCheckProblems = 1000;

// Space in the blob file held by values that no row names. Not damage (the
// original engine leaves such values behind), but space no writer reuses.
struct BlobSpace {
  int64_t unnamed_values = 0;
  uint64_t unnamed_bytes = 0;
};

// fs is the file system the table was opened through (for its companion
// files). Appends one line per problem to *problems (empty: the table is
// sound); *total, when given, receives the number of problems including
// those left out, and *space what it found of the blob file's space. Answers
// an engine code only when the check itself could not run.
pdx_code CheckTable(FileSystem* fs, Table* table, std::vector<std::string>* problems,
                    size_t* total = nullptr, BlobSpace* space = nullptr);

// `pdx check`: opens the table (name without regard to case, with the
// passwords given), checks it and answers the exit status: 0 sound, 1 not,
// 2 when the table cannot be opened at all. *out receives one line per
// problem and a closing summary, *error the one line of a failure.
int CheckCommand(FileSystem* fs, const std::string& directory, const std::string& name,
                 const std::vector<std::string>& passwords, std::string* out, std::string* error);

}  // namespace pdx
