// Inserts, modifies and deletes rows of one table, keeping everything the
// format asks for in step after every operation: rows in key order across
// the block chain (a keyed table), block headers, the free-block list, the
// header's counts and auto-increment value, and the primary index (.PX).
//
// Each operation is one journalled transaction (journal.h): it happens whole
// or not at all. Between BeginBatch and CommitBatch the operations share one
// transaction instead, for bulk loads; a refused row in a batch changes
// nothing, a failed write abandons the batch.
//
// The writer keeps the list of the chain's blocks (number, row count, first
// key) in memory. Before each operation it compares the header on disk with
// the one it last saw and reloads when another program has written. The
// caller holds the table's write lock (locking.h) across each operation.
//
// Rows are addressed by record number: the 1-based position in table order.
//
// Memo and blob values longer than their leader live in the blob file
// (blob_writer.h), written in the same transaction as the row: a row brings
// them as values held in a PendingBlobs, or as pointers to values already
// stored. Every row owns its stored values; a modify or delete frees what
// the row drops.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "blob_writer.h"
#include "block_buffers.h"
#include "block_list.h"
#include "chain_change.h"
#include "change_counter.h"
#include "file_system.h"
#include "journal.h"
#include "pending_blobs.h"
#include "primary_index_writer.h"
#include "secondary_index.h"
#include "secondary_index_writer.h"
#include "table_header.h"

namespace pdx {

class TableWriter {
 public:
  // db_path names the .DB file; the .PX and .MB beside it are found without
  // regard to case. Rolls back a journal left by a writer that died.
  static pdx_code Open(FileSystem* fs, const std::string& db_path,
                       std::unique_ptr<TableWriter>* writer, std::string* error);
  ~TableWriter();

  // Rolls back a change that a writer killed in the middle of it left
  // behind, so that readers too open the table as it was before that change.
  // Does nothing (quickly) when there is none, while another writer is at
  // work, or when the files cannot be written.
  static pdx_code RecoverInterruptedChange(FileSystem* fs, const std::string& db_path);

  const TableHeader& header() const { return header_; }
  // Inserts record (record_size bytes); a blank auto-increment field gets the
  // next value, written back into record. *number (when number is not
  // null): where the row now is; finding it costs a walk over the blocks.
  // Long values the record's tokens name in pending are stored; a pointer
  // to a value already stored gets a copy of its own. On success record
  // holds the new blob pointers.
  pdx_code Insert(uint8_t* record, int64_t* number, const PendingBlobs* pending = nullptr);
  pdx_code Delete(int64_t number);
  // Replaces the row; a changed key moves it (*new_number, when not null).
  // A blob pointer left as the row has it keeps its value; any other value
  // is stored anew (as in Insert) and the replaced one freed.
  pdx_code Modify(int64_t number, const uint8_t* record, int64_t* new_number,
                  const PendingBlobs* pending = nullptr);
  // Reads a row as the writer sees it (pending batch changes included).
  pdx_code Read(int64_t number, uint8_t* record);
  // Keyed tables: the record number of the row with record's key, or of the
  // row where it would go (*found false).
  pdx_code Locate(const uint8_t* record, int64_t* number, bool* found);
  // Rows as of the last operation or Refresh.
  int64_t RecordCount() const { return header_.record_count; }
  // Takes in what other programs have written since the last operation.
  pdx_code Refresh();
  // The data file, whose locks (locking.h) stand for this writer.
  File* data_file() { return db_.get(); }

  // Holds the write lock until CommitBatch.
  pdx_code BeginBatch();
  pdx_code CommitBatch();
  // The bytes of the blocks the batch has read or changed so far, which
  // its commit holds about three times over (blocks, journal, writes).
  size_t BatchBytes() const;
  void set_sync(bool sync) { journal_->set_sync(sync); }

  std::string last_error() const { return error_; }

  // What the last operation, when it committed on its own (not in a batch),
  // did to the block chain; null otherwise.
  const ChainChange* last_change() const { return change_published_ ? &change_ : nullptr; }

 private:
  using BlockInfo = BlockList::Entry;
  enum FileIndex { kDb = 0, kPx = 1, kMb = 2 };

  TableWriter() = default;
  pdx_code Load();
  pdx_code SaveHeaderImage();
  // A keyed table without its .PX: its rows must be in key order (checked
  // block by block as the chain is walked), then an index file is made and
  // filled from the chain.
  bool RowsFollowKeyOrder(std::vector<uint8_t>& block, int count, std::string* last_key);
  pdx_code CreateMissingIndex();
  // Every public operation starts with Begin (the write lock, then the
  // table's state re-read if another program changed it) and ends with
  // Finish (commit or roll back the model, release the lock) or End.
  pdx_code Begin();
  pdx_code ReadHeaderIfChanged();
  pdx_code End(pdx_code code);
  pdx_code FindSlot(const uint8_t* record, size_t* chain_index, int* slot, bool* found);
  pdx_code Finish(pdx_code code);

  // Blocks as plain bytes; changes stay in blocks_ until the transaction ends.
  pdx_code ReadBlock(uint16_t block, std::vector<uint8_t>** data);
  std::vector<uint8_t>& DirtyBlock(uint16_t block);
  pdx_code NewBlock(uint16_t* block);
  void FreeBlock(uint16_t block);
  // Sets the chain links of the blocks at chain_index - 1 .. chain_index + 1.
  pdx_code Relink(size_t chain_index);

  int Count(const std::vector<uint8_t>& block) const;
  void SetCount(std::vector<uint8_t>& block, int count) const;
  uint8_t* Row(std::vector<uint8_t>& block, int i) const;
  int CompareKey(const uint8_t* a, const uint8_t* b) const;
  // Chain index of the block a key belongs in.
  size_t BlockForKey(const uint8_t* record) const;
  pdx_code Place(int64_t number, size_t* chain_index, int* slot) const;
  int64_t NumberOf(size_t chain_index, int slot) const;

  pdx_code InsertAt(size_t chain_index, int slot, const uint8_t* record, int64_t* number);
  pdx_code RemoveAt(size_t chain_index, int slot);
  void AssignAutoIncrement(uint8_t* record);

  // Keep the primary index in step with chain_: an entry changed, was
  // inserted at, or is about to be erased from chain_index.
  void IndexTouched(size_t chain_index);
  void IndexInserted(size_t chain_index);
  void IndexErased(size_t chain_index);
  // Notes the chain's edits of an operation for last_change().
  enum class ChainEdit { kTouched, kInserted, kErased };
  void NoteChainEdit(ChainEdit edit, size_t chain_index);
  void PublishChange();
  pdx_code WriteIndex();
  pdx_code Flush();

  // Secondary indexes (table_writer_secondary.cpp): found and opened with
  // the table, checked against the rows whenever the table is loaded (a
  // stale one refuses writes), told of every row placed, removed or moved,
  // and their changed blocks written by each change's Flush.
  struct Secondary {
    SecondaryIndex index;
    std::unique_ptr<File> x, y;
    SecondaryIndexWriter writer;
  };
  static pdx_code OpenSecondaryIndexes(FileSystem* fs, const std::string& db_path,
                                       std::vector<Secondary>* secondary, std::string* error);
  // Every file the transaction covers: data, primary index, blobs, then the
  // .X and .Y of each secondary index.
  std::vector<File*> Files() const;
  // Reads each index's blocks; Load then checks them against the rows.
  pdx_code LoadSecondaryIndexes();
  // A unique index already holding row's indexed values (other than those
  // of the row replaced) refuses it with a key violation; an index that
  // cannot hold its values exactly refuses it as not supported.
  pdx_code CheckRowForIndexes(const uint8_t* row, const uint8_t* replaced);
  pdx_code SecondaryInserted(const uint8_t* row, uint16_t block);
  pdx_code SecondaryRemoved(const uint8_t* row);
  pdx_code SecondaryMoved(const uint8_t* rows, int count, uint16_t block);
  // A row modified in place, its key kept.
  pdx_code SecondaryReplaced(const uint8_t* old_row, const uint8_t* row, uint16_t block);
  pdx_code WriteSecondaryIndexes();

  // Blob hooks (table_writer_blobs.cpp): the values of row that are not in
  // old_row (null for a new row) are stored and old_row's replaced ones
  // freed; row's pointers are set to the stored values.
  pdx_code StoreRowBlobs(const uint8_t* old_row, uint8_t* row, const PendingBlobs* pending);
  pdx_code StoreFieldBlob(const Field& field, const uint8_t* old_row, uint8_t* row,
                          const PendingBlobs* pending);
  pdx_code FreeRowBlobs(const uint8_t* row);
  pdx_code BlobFileFor(const Field& field, BlobWriter** blobs);

  FileSystem* fs_ = nullptr;
  std::string db_path_;
  std::unique_ptr<File> db_, px_, mb_;
  // Told of every commit, so that the process's other cursors on the table
  // re-read it on their next move.
  std::shared_ptr<ChangeCounter> changes_;
  std::vector<Secondary> secondary_;
  std::unique_ptr<Journal> journal_;
  std::unique_ptr<Transaction> transaction_;
  std::unique_ptr<BlobWriter> blob_writer_;  // null when the table has no blob file
  TableHeader header_;
  std::vector<uint8_t> seen_header_;  // the header bytes as last read or written
  PrimaryIndexWriter index_;
  BlockList chain_;
  BlockBuffers blocks_;  // this transaction's blocks, plain
  uint32_t key_ = 0;     // the cipher key, 0 for a table without password
  int key_length_ = 0;
  int auto_increment_field_ = -1;
  bool batch_ = false;
  bool changed_ = false;            // the model differs from the files
  bool operation_changed_ = false;  // ... because of the operation under way
  ChainChange change_;
  std::vector<size_t> touched_;  // chain indexes of change_'s entries, kept current
  bool tracking_ = false;        // change_ is being noted for this operation
  bool change_published_ = false;
  std::string error_;
};

}  // namespace pdx
