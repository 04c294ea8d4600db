// An open table: its data file, the primary index and blob file beside it,
// the chain index built on first need, and one block cache for all of them.
// Cursors read through it; a writer refreshes it after changing the files.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "blob_file.h"
#include "block_cache.h"
#include "block_file.h"
#include "chain_index.h"
#include "change_counter.h"
#include "file_system.h"
#include "key_compare.h"
#include "secondary_index.h"
#include "val_file.h"

namespace pdx {

class Table {
 public:
  struct Options {
    bool write = false;
    // No other opening of the table, in this program or another, while open.
    bool exclusive = false;
    std::vector<std::string> passwords;
    size_t cache_budget = BlockCache::kDefaultBudget;
  };

  // directory and table name ("Portf", "PORTF.DB"): the files are found
  // without regard to case. Answers PDX_ERR_TABLE_NOT_FOUND,
  // PDX_ERR_PASSWORD_REQUIRED, a corrupt-table code, ... with context lines.
  static pdx_code Open(FileSystem* fs, const std::string& directory, const std::string& name,
                       const Options& options, std::unique_ptr<Table>* out);

  const TableHeader& header() const { return data_->header(); }
  const std::vector<Field>& fields() const { return header().fields; }
  BlockFile* data() { return data_.get(); }
  const std::string& path() const { return data_->path(); }
  bool read_only() const { return read_only_; }
  // Why the store will not change this table, empty when it will: keys it
  // cannot put in the table's own order, validity checks it cannot read,
  // secondary indexes it cannot keep up to date. A table opened for
  // writing with such a reason opens read-only instead.
  const std::string& write_refusal() const { return write_refusal_; }
  bool encrypted() const { return header().EncryptionKey() != 0; }
  const KeyCompare& key_compare() const { return key_compare_; }

  // The chain index, built on the first call (from the primary index when it
  // agrees with the table, else from the data blocks).
  pdx_code Chain(const ChainIndex** chain);
  // Rebuilds the chain index from the data blocks, when a block turned out
  // to disagree with what the index said about it.
  pdx_code RebuildChainFromData(const ChainIndex** chain);

  // The blob file, opened on the first call; PDX_ERR_BLOB_FILE_MISSING when
  // the table has none.
  pdx_code Blobs(BlobFile** blobs);

  // The validity checks of the .VAL file, read on the first call; none when
  // the table has no such file. PDX_ERR_CORRUPT_VAL for a damaged one.
  pdx_code Checks(const std::vector<FieldCheck>** checks);

  // The secondary indexes beside the table, found on the first call (index
  // files that cannot be read are left out).
  const std::vector<SecondaryIndex>& SecondaryIndexes();

  // Re-reads the files' headers so that changes by other programs show. The
  // chain index is built again only when the data file's header changed,
  // except that own_write, the change this process's writer just committed
  // to the table, brings it up to date when nothing else wrote before it.
  pdx_code Refresh(const ChainChange* own_write = nullptr);
  // Whether a writer of this process (through another cursor, or this
  // table's own) has committed a change since the table was last read or
  // refreshed: one load, cheap enough to ask on every move.
  bool ChangedInProcess() const {
    return changes_ != nullptr && changes_->load(std::memory_order_acquire) != changes_seen_;
  }

  // The path of a companion file (".PX", ".MB", ".VAL"), empty when absent.
  std::string CompanionPath(const std::string& extension) const;

 private:
  Table() = default;
  pdx_code OpenPrimaryIndex();
  pdx_code RefreshFiles(const ChainChange* own_write);
  std::string FindWriteRefusal();

  FileSystem* fs_ = nullptr;
  std::string directory_;
  std::string stem_;  // the data file's name without its extension
  bool read_only_ = true;
  std::string write_refusal_;
  uint32_t key_ = 0;
  std::unique_ptr<BlockCache> cache_;
  std::unique_ptr<BlockFile> data_;
  std::unique_ptr<BlockFile> primary_;  // null when absent or unreadable
  std::optional<ChainIndex> chain_;
  std::unique_ptr<BlobFile> blobs_;
  std::optional<std::vector<FieldCheck>> checks_;
  std::optional<std::vector<SecondaryIndex>> secondary_;
  std::vector<std::string> unreadable_indexes_;
  KeyCompare key_compare_;
  std::shared_ptr<const ChangeCounter> changes_;
  uint64_t changes_seen_ = 0;
};

}  // namespace pdx
