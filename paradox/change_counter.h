// A count of the changes this process has committed to one table file,
// shared by every handle on that file in the process: each open table and
// each writer of it. A writer adds one after every commit, so a cursor of
// another handle tells with one load, on every move, that its rows may be
// stale and re-reads the table's header; reading the file for that on every
// move would cost a system call per row.
//
// Files are told apart by device and inode, so names that differ in case,
// in their directory's spelling or through a link still share a counter.
// The counters may be used from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace pdx {

using ChangeCounter = std::atomic<uint64_t>;

// The counter of the file at path, or null when the file cannot be found
// (the caller then simply never hears of changes through it).
std::shared_ptr<ChangeCounter> ChangeCounterOf(const std::string& path);

}  // namespace pdx
