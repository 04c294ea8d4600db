#include "table_writer.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "cipher.h"
#include "create_table.h"
#include "field_codec.h"
#include "key_compare.h"
#include "locking.h"
#include "pdx_codes.h"
#include "table_files.h"

namespace pdx {
namespace {

constexpr int kBlockHeader = 6;
constexpr uint32_t kMaxBlocks = 65535;

// Engines of the original kind announce a table in use by a lock file of
// their own format beside it, which our locks cannot see into; writing under
// such an engine could tear the table for both.
bool ForeignEngineHoldsTable(FileSystem* fs, const std::string& db_path) {
  return !FindCompanion(fs, db_path, kForeignLockExtension).empty();
}

pdx_code OpenCompanion(FileSystem* fs, const std::string& db_path, const char* extension,
                       std::unique_ptr<File>* file) {
  std::string path = FindCompanion(fs, db_path, extension);
  if (path.empty()) return PDX_ERR_FILE_NOT_FOUND;
  return fs->Open(path, OpenMode::kReadWrite, file);
}

// Rolls back what a journal holds, out of readers' sight; files[0] is the
// data file, whose commit lock readers wait on.
pdx_code RollBack(Journal* journal, const std::vector<File*>& files) {
  if (pdx_code code = AcquireCommitLock(files[0]); code != PDX_OK) return code;
  pdx_code code = journal->Recover(files);
  ReleaseCommitLock(files[0]);
  return code;
}

}  // namespace

pdx_code TableWriter::RecoverInterruptedChange(FileSystem* fs, const std::string& db_path) {
  const std::string journal_path = CompanionPath(db_path, kJournalExtension);
  std::unique_ptr<File> journal_file;
  uint64_t size = 0;
  if (fs->Open(journal_path, OpenMode::kRead, &journal_file) != PDX_OK ||
      journal_file->Size(&size) != PDX_OK || size == 0)
    return PDX_OK;
  journal_file.reset();
  std::unique_ptr<File> db, px, mb;
  if (fs->Open(db_path, OpenMode::kReadWrite, &db) != PDX_OK) return PDX_OK;
  if (TryWriteLock(db.get()) != PDX_OK) return PDX_OK;  // its writer is alive
  OpenCompanion(fs, db_path, kPrimaryIndexExtension, &px);
  OpenCompanion(fs, db_path, kBlobExtension, &mb);
  std::vector<Secondary> secondary;
  std::string error;
  OpenSecondaryIndexes(fs, db_path, &secondary, &error);
  std::vector<File*> files = {db.get(), px.get(), mb.get()};
  for (const Secondary& s : secondary) files.insert(files.end(), {s.x.get(), s.y.get()});
  Journal journal(fs, journal_path);
  pdx_code code = RollBack(&journal, files);
  ReleaseWriteLock(db.get());
  return code;
}

TableWriter::~TableWriter() {
  // Tidy up the journal file unless another writer is at work. A batch
  // still open holds the lock; its changes were never committed.
  if (db_ && journal_ && (batch_ || TryWriteLock(db_.get()) == PDX_OK)) {
    journal_->RemoveIfEmpty();
    ReleaseWriteLock(db_.get());
  }
}

pdx_code TableWriter::Open(FileSystem* fs, const std::string& db_path,
                           std::unique_ptr<TableWriter>* writer, std::string* error) {
  std::unique_ptr<TableWriter> w(new TableWriter());
  w->fs_ = fs;
  w->db_path_ = db_path;
  if (pdx_code code = fs->Open(db_path, OpenMode::kReadWrite, &w->db_); code != PDX_OK) {
    *error = "cannot open " + db_path + " for writing";
    return code;
  }
  w->changes_ = ChangeCounterOf(db_path);
  OpenCompanion(fs, db_path, kPrimaryIndexExtension, &w->px_);
  OpenCompanion(fs, db_path, kBlobExtension, &w->mb_);
  if (pdx_code code = OpenSecondaryIndexes(fs, db_path, &w->secondary_, error); code != PDX_OK)
    return code;
  if (ForeignEngineHoldsTable(fs, db_path)) {
    *error = "another engine has the table open (its lock file " +
             FileNameOf(WithoutExtension(db_path)) + kForeignLockExtension +
             " is present): " + db_path;
    return PDX_ERR_TABLE_BUSY;
  }
  w->journal_ = std::make_unique<Journal>(fs, CompanionPath(db_path, kJournalExtension));
  if (pdx_code code = AcquireWriteLock(w->db_.get()); code != PDX_OK) {
    *error = "another program keeps writing " + db_path;
    return code;
  }
  pdx_code code = RollBack(w->journal_.get(), w->Files());
  if (code != PDX_OK) {
    ReleaseWriteLock(w->db_.get());
    *error = "cannot roll back the unfinished change left in " +
             CompanionPath(db_path, kJournalExtension);
    return code;
  }
  w->transaction_ = std::make_unique<Transaction>(w->journal_.get(), w->Files());
  code = w->Load();
  ReleaseWriteLock(w->db_.get());
  if (code != PDX_OK) {
    *error = w->error_;
    return code;
  }
  *writer = std::move(w);
  return PDX_OK;
}

pdx_code TableWriter::Load() {
  blocks_.Clear();
  transaction_->Abandon();
  chain_.clear();
  changed_ = false;
  index_.Reset();  // the index is laid out afresh and compared with the file
  std::string why;
  if (pdx_code code = ReadTableHeader(db_.get(), &header_, &why); code != PDX_OK) {
    error_ = db_path_ + ": " + why;
    return code;
  }
  if (header_.kind() != FileKind::kKeyedData && header_.kind() != FileKind::kUnkeyedData) {
    error_ = db_path_ + " is not a table's data file";
    return PDX_ERR_CORRUPT_HEADER;
  }
  const bool keyed = header_.key_fields > 0;
  if (keyed && !KeysOrderAsBytes(header_)) {
    // Rows must go where the table's collation puts them; only the byte
    // orders are known exactly.
    error_ = KeyOrderRefusal(header_);
    return PDX_ERR_NOT_SUPPORTED;
  }
  key_ = header_.EncryptionKey();
  key_length_ = header_.KeyLength();
  blob_writer_ = mb_ ? std::make_unique<BlobWriter>(transaction_.get(), kMb, key_) : nullptr;
  auto_increment_field_ = -1;
  for (size_t i = 0; i < header_.fields.size(); ++i)
    if (header_.fields[i].type == FieldType::kAutoIncrement) auto_increment_field_ = int(i);

  // Each secondary index is read, then checked against the rows as the
  // chain is walked.
  if (pdx_code code = LoadSecondaryIndexes(); code != PDX_OK) return code;
  // The chain, in order; a chain that loops or leaves the file is corrupt.
  int64_t rows = 0;
  std::string last_key;  // of the rows walked so far, when the index must be rebuilt
  std::vector<bool> seen(header_.file_blocks + 1u, false);
  for (uint16_t b = header_.first_block; b != 0;) {
    if (b > header_.file_blocks || seen[b]) {
      error_ = db_path_ + ": the block chain is broken at block " + std::to_string(b);
      return PDX_ERR_CORRUPT_FILE;
    }
    seen[b] = true;
    std::vector<uint8_t>* data = nullptr;
    if (pdx_code code = ReadBlock(b, &data); code != PDX_OK) return code;
    int count = Count(*data);
    if (count < 0) {
      error_ = db_path_ + ": block " + std::to_string(b) + " has an invalid row count";
      return PDX_ERR_CORRUPT_FILE;
    }
    if (keyed && !px_ && !RowsFollowKeyOrder(*data, count, &last_key)) {
      error_ = "the primary index of " + db_path_ +
               " is missing, and it cannot be rebuilt: the rows are not in key order (block " +
               std::to_string(b) + ")";
      return PDX_ERR_CORRUPT_INDEX;
    }
    chain_.push_back({b, static_cast<uint16_t>(count),
                      std::string(reinterpret_cast<char*>(Row(*data, 0)), key_length_)});
    rows += count;
    for (Secondary& s : secondary_)
      for (int i = 0; i < count; ++i) s.writer.ExpectRow(Row(*data, i));
    uint16_t next = LoadLe16(data->data());
    blocks_.Release(b);  // memory stays one block, whatever the table's size
    b = next;
  }
  blocks_.Clear();
  header_.record_count = static_cast<uint32_t>(rows);
  header_.used_blocks = static_cast<uint16_t>(chain_.size());
  for (const Secondary& s : secondary_)
    if (pdx_code code = s.writer.Verify(&error_); code != PDX_OK) return code;

  if (keyed) {
    bool rebuild = false;
    if (!px_) {
      if (pdx_code code = CreateMissingIndex(); code != PDX_OK) return code;
      rebuild = true;
    }
    if (pdx_code code = index_.Load(px_.get(), key_length_, &error_); code != PDX_OK) return code;
    // An index without entries for a table with rows: one just made, or
    // one whose making was cut short. The rows were checked to be in key
    // order when it was made, so the index is written from the chain now,
    // in a transaction of its own.
    rebuild = rebuild || (index_.header().record_count == 0 && !chain_.empty());
    if (rebuild) {
      if (pdx_code code = SaveHeaderImage(); code != PDX_OK) return code;
      changed_ = true;
      if (pdx_code code = Flush(); code != PDX_OK) {
        error_ = "the primary index of " + db_path_ + " could not be rebuilt";
        return code;
      }
      return PDX_OK;
    }
  }
  return SaveHeaderImage();
}

pdx_code TableWriter::SaveHeaderImage() {
  seen_header_.assign(kExtendedHeaderSize, 0);
  size_t got = 0;
  return db_->ReadAt(0, seen_header_.data(), seen_header_.size(), &got);
}

bool TableWriter::RowsFollowKeyOrder(std::vector<uint8_t>& block, int count,
                                     std::string* last_key) {
  for (int i = 0; i < count; ++i) {
    const uint8_t* key = Row(block, i);
    if (!last_key->empty() &&
        CompareKey(reinterpret_cast<const uint8_t*>(last_key->data()), key) >= 0)
      return false;
    last_key->assign(reinterpret_cast<const char*>(key), key_length_);
  }
  return true;
}

pdx_code TableWriter::CreateMissingIndex() {
  // The new file holds only a header until the rebuild's transaction
  // commits; a crash before then leaves an index without entries, which
  // the next writer rebuilds and readers pass over (they check each block).
  const std::string path = CompanionPath(db_path_, kPrimaryIndexExtension);
  const std::vector<uint8_t> image =
      BuildIndexHeaderFor(header_, FileNameOf(WithoutExtension(db_path_)));
  std::unique_ptr<File> file;
  pdx_code code = fs_->Open(path, OpenMode::kCreate, &file);
  if (code == PDX_OK) code = file->WriteAt(0, image.data(), image.size());
  if (code == PDX_OK) code = file->Sync();
  if (code == PDX_OK) code = fs_->SyncDirectory(DirectoryOf(path));
  if (code == PDX_OK) code = fs_->Open(path, OpenMode::kReadWrite, &px_);
  if (code != PDX_OK) {
    error_ = "the primary index of " + db_path_ + " is missing and cannot be made: " + path;
    return code;
  }
  // The transaction and blob writer take the new file in.
  transaction_ = std::make_unique<Transaction>(journal_.get(), Files());
  blob_writer_ = mb_ ? std::make_unique<BlobWriter>(transaction_.get(), kMb, key_) : nullptr;
  return PDX_OK;
}

pdx_code TableWriter::Begin() {
  operation_changed_ = false;
  if (batch_) return PDX_OK;  // the batch holds the lock and the state
  change_published_ = false;
  if (pdx_code code = AcquireWriteLock(db_.get()); code != PDX_OK) {
    error_ = "another program keeps writing " + db_path_;
    return code;
  }
  pdx_code code = ReadHeaderIfChanged();
  if (code != PDX_OK) {
    ReleaseWriteLock(db_.get());
    return code;
  }
  tracking_ = true;
  change_.header_before = seen_header_;
  change_.blocks_before = chain_.size();
  change_.edits.clear();
  change_.entries.clear();
  touched_.clear();
  return PDX_OK;
}

void TableWriter::NoteChainEdit(ChainEdit edit, size_t chain_index) {
  if (!tracking_) return;
  const auto position = static_cast<uint32_t>(chain_index);
  switch (edit) {
    case ChainEdit::kTouched:
      if (std::find(touched_.begin(), touched_.end(), chain_index) == touched_.end())
        touched_.push_back(chain_index);
      return;
    case ChainEdit::kInserted:
      for (size_t& t : touched_)
        if (t >= chain_index) ++t;
      touched_.push_back(chain_index);
      change_.edits.push_back({true, position});
      return;
    case ChainEdit::kErased:
      touched_.erase(std::remove(touched_.begin(), touched_.end(), chain_index), touched_.end());
      for (size_t& t : touched_)
        if (t > chain_index) --t;
      change_.edits.push_back({false, position});
      return;
  }
}

void TableWriter::PublishChange() {
  tracking_ = false;
  for (size_t t : touched_) {
    if (t >= chain_.size()) return;  // not published: the notes went wrong
    const BlockInfo& info = chain_[t];
    change_.entries.push_back({static_cast<uint32_t>(t), info.block, info.count, info.first_key});
  }
  change_.header_after = seen_header_;
  change_published_ = true;
}

pdx_code TableWriter::End(pdx_code code) {
  if (!batch_) {
    blocks_.Clear();
    for (Secondary& s : secondary_) s.writer.ReleaseClean();
    ReleaseWriteLock(db_.get());
  }
  return code;
}

pdx_code TableWriter::Refresh() {
  if (pdx_code code = Begin(); code != PDX_OK) return code;
  return End(PDX_OK);
}

pdx_code TableWriter::ReadHeaderIfChanged() {
  std::vector<uint8_t> now(kExtendedHeaderSize, 0);
  size_t got = 0;
  if (pdx_code code = db_->ReadAt(0, now.data(), now.size(), &got); code != PDX_OK) return code;
  return now == seen_header_ ? pdx_code{PDX_OK} : Load();
}

int TableWriter::Count(const std::vector<uint8_t>& block) const {
  int16_t last = static_cast<int16_t>(LoadLe16(block.data() + 4));
  if (last < 0) return last == -header_.record_size ? 0 : -1;
  if (last % header_.record_size != 0 || last / header_.record_size >= header_.RecordsPerBlock())
    return -1;
  return last / header_.record_size + 1;
}

void TableWriter::SetCount(std::vector<uint8_t>& block, int count) const {
  StoreLe16(block.data() + 4, static_cast<uint16_t>((count - 1) * header_.record_size));
}

uint8_t* TableWriter::Row(std::vector<uint8_t>& block, int i) const {
  return block.data() + kBlockHeader + static_cast<size_t>(i) * header_.record_size;
}

int TableWriter::CompareKey(const uint8_t* a, const uint8_t* b) const {
  return std::memcmp(a, b, key_length_);
}

pdx_code TableWriter::ReadBlock(uint16_t block, std::vector<uint8_t>** data) {
  BlockBuffers::Buffer* buffer = blocks_.Find(block);
  if (buffer == nullptr) {
    buffer = &blocks_.Hold(block);
    buffer->data.resize(header_.BlockSize());
    if (pdx_code code = transaction_->Read(kDb, header_.BlockOffset(block), buffer->data.data(),
                                           buffer->data.size());
        code != PDX_OK) {
      blocks_.Release(block);
      return code;
    }
    if (key_) DecryptBlock(key_, block, buffer->data.data(), buffer->data.size());
  }
  *data = &buffer->data;
  return PDX_OK;
}

std::vector<uint8_t>& TableWriter::DirtyBlock(uint16_t block) {
  // Callers have read the block first; a new block is made by NewBlock.
  BlockBuffers::Buffer& buffer = blocks_.Hold(block);
  buffer.dirty = true;
  changed_ = operation_changed_ = true;
  return buffer.data;
}

pdx_code TableWriter::NewBlock(uint16_t* block) {
  if (uint16_t free = header_.first_free_block; free != 0) {
    std::vector<uint8_t>* data = nullptr;
    if (pdx_code code = ReadBlock(free, &data); code != PDX_OK) return code;
    uint16_t next = LoadLe16(data->data());
    if (next > header_.file_blocks) {
      error_ = db_path_ + ": the free-block list is broken";
      return PDX_ERR_CORRUPT_FILE;
    }
    header_.first_free_block = next;
    *block = free;
  } else {
    if (header_.file_blocks >= kMaxBlocks) {
      error_ = "the table has reached 65535 blocks";
      return PDX_ERR_TABLE_FULL;
    }
    *block = ++header_.file_blocks;
    blocks_.Hold(*block).data.assign(header_.BlockSize(), 0);
  }
  std::vector<uint8_t>& data = DirtyBlock(*block);
  std::fill(data.begin(), data.end(), 0);
  SetCount(data, 0);
  ++header_.used_blocks;
  return PDX_OK;
}

void TableWriter::FreeBlock(uint16_t block) {
  std::vector<uint8_t>& data = DirtyBlock(block);
  std::fill(data.begin(), data.end(), 0);
  StoreLe16(data.data(), header_.first_free_block);
  SetCount(data, 0);
  header_.first_free_block = block;
  --header_.used_blocks;
}

pdx_code TableWriter::Relink(size_t chain_index) {
  size_t from = chain_index == 0 ? 0 : chain_index - 1;
  size_t to = std::min(chain_index + 1, chain_.size() - 1);
  for (size_t i = from; i <= to && i < chain_.size(); ++i) {
    std::vector<uint8_t>* data = nullptr;
    if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return code;
    uint16_t next = i + 1 < chain_.size() ? chain_[i + 1].block : 0;
    uint16_t prev = i > 0 ? chain_[i - 1].block : 0;
    if (LoadLe16(data->data()) != next || LoadLe16(data->data() + 2) != prev) {
      std::vector<uint8_t>& d = DirtyBlock(chain_[i].block);
      StoreLe16(d.data(), next);
      StoreLe16(d.data() + 2, prev);
    }
  }
  header_.first_block = chain_.empty() ? 0 : chain_.front().block;
  header_.last_block = chain_.empty() ? 0 : chain_.back().block;
  return PDX_OK;
}

size_t TableWriter::BlockForKey(const uint8_t* record) const {
  // The last block whose first key is at or before the key.
  const size_t after = chain_.PartitionPoint([this, record](const BlockInfo& info) {
    return CompareKey(reinterpret_cast<const uint8_t*>(info.first_key.data()), record) <= 0;
  });
  return after == 0 ? 0 : after - 1;
}

pdx_code TableWriter::Place(int64_t number, size_t* chain_index, int* slot) const {
  if (number < 1 || number > header_.record_count) return PDX_ERR_RECORD_NOT_FOUND;
  return chain_.Place(number, chain_index, slot) ? pdx_code{PDX_OK} : PDX_ERR_RECORD_NOT_FOUND;
}

int64_t TableWriter::NumberOf(size_t chain_index, int slot) const {
  return chain_.RowsBefore(chain_index) + slot + 1;
}

void TableWriter::AssignAutoIncrement(uint8_t* record) {
  if (auto_increment_field_ < 0) return;
  uint8_t* value = record + header_.fields[auto_increment_field_].offset;
  if (IsBlank(value, 4)) {
    EncodeInteger(static_cast<int64_t>(header_.auto_increment) + 1, value, 4);
    ++header_.auto_increment;
  } else if (int64_t given = DecodeInteger(value, 4); given > int64_t(header_.auto_increment)) {
    header_.auto_increment = static_cast<uint32_t>(given);
  }
}

pdx_code TableWriter::InsertAt(size_t i, int slot, const uint8_t* record, int64_t* number) {
  const int capacity = header_.RecordsPerBlock();
  const int rs = header_.record_size;
  int count = chain_[i].count;
  std::vector<uint8_t>* unused = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &unused); code != PDX_OK) return code;
  if (count < capacity) {
    std::vector<uint8_t>& data = DirtyBlock(chain_[i].block);
    std::memmove(Row(data, slot + 1), Row(data, slot), static_cast<size_t>(count - slot) * rs);
    std::memcpy(Row(data, slot), record, rs);
    SetCount(data, count + 1);
    ++chain_[i].count;
    if (slot == 0) chain_[i].first_key.assign(reinterpret_cast<const char*>(record), key_length_);
    IndexTouched(i);
    ++header_.record_count;
    if (number != nullptr) *number = NumberOf(i, slot);
    return SecondaryInserted(record, chain_[i].block);
  }
  if (slot == count) {
    // After the last row of a full block: the start of the next block when it
    // has room, else a new block; a key-order load so fills every block.
    if (i + 1 < chain_.size() && chain_[i + 1].count < capacity)
      return InsertAt(i + 1, 0, record, number);
    uint16_t block = 0;
    if (pdx_code code = NewBlock(&block); code != PDX_OK) return code;
    chain_.insert(i + 1, BlockInfo{block, 0, {}});
    IndexInserted(i + 1);
    if (pdx_code code = Relink(i + 1); code != PDX_OK) return code;
    return InsertAt(i + 1, 0, record, number);
  }
  // Split: the upper half moves to a new block linked after this one.
  uint16_t block = 0;
  if (pdx_code code = NewBlock(&block); code != PDX_OK) return code;
  const int half = count / 2;
  std::vector<uint8_t>& old_data = DirtyBlock(chain_[i].block);
  std::vector<uint8_t>& new_data = DirtyBlock(block);
  std::memcpy(Row(new_data, 0), Row(old_data, half), static_cast<size_t>(count - half) * rs);
  SetCount(new_data, count - half);
  SetCount(old_data, half);
  chain_[i].count = static_cast<uint16_t>(half);
  IndexTouched(i);
  chain_.insert(i + 1,
                BlockInfo{block, static_cast<uint16_t>(count - half),
                          std::string(reinterpret_cast<char*>(Row(new_data, 0)), key_length_)});
  IndexInserted(i + 1);
  if (pdx_code code = Relink(i + 1); code != PDX_OK) return code;
  if (pdx_code code = SecondaryMoved(Row(new_data, 0), count - half, block); code != PDX_OK)
    return code;
  return slot <= half ? InsertAt(i, slot, record, number)
                      : InsertAt(i + 1, slot - half, record, number);
}

pdx_code TableWriter::RemoveAt(size_t i, int slot) {
  const int rs = header_.record_size;
  std::vector<uint8_t>& data = DirtyBlock(chain_[i].block);
  if (pdx_code code = SecondaryRemoved(Row(data, slot)); code != PDX_OK) return code;
  int count = chain_[i].count;
  std::memmove(Row(data, slot), Row(data, slot + 1), static_cast<size_t>(count - slot - 1) * rs);
  std::memset(Row(data, count - 1), 0, rs);
  --count;
  SetCount(data, count);
  chain_[i].count = static_cast<uint16_t>(count);
  IndexTouched(i);
  if (slot == 0 && count > 0)
    chain_[i].first_key.assign(reinterpret_cast<char*>(Row(data, 0)), key_length_);
  --header_.record_count;

  const int capacity = header_.RecordsPerBlock();
  size_t absorbed = 0;  // chain index of a block whose rows moved into block i
  if (count == 0 && chain_.size() == 1) {
    FreeBlock(chain_[0].block);
    NoteChainEdit(ChainEdit::kErased, 0);
    chain_.clear();
    index_.Reset();
    return Relink(0);
  }
  if (count == 0 && i > 0) {
    FreeBlock(chain_[i].block);
    IndexErased(i);
    chain_.erase(i);
    return Relink(i - 1);
  }
  // The head block of a chain is never freed: the next block's rows move
  // into it. Likewise two neighbours that together fill at most half a
  // block become one.
  if (i + 1 < chain_.size() && (count == 0 || count + chain_[i + 1].count <= capacity / 2))
    absorbed = i + 1;
  if (absorbed == 0) return PDX_OK;
  std::vector<uint8_t>* next = nullptr;
  if (pdx_code code = ReadBlock(chain_[absorbed].block, &next); code != PDX_OK) return code;
  std::vector<uint8_t>& here = DirtyBlock(chain_[i].block);
  int moving = chain_[absorbed].count;
  std::memcpy(Row(here, count), Row(*next, 0), static_cast<size_t>(moving) * rs);
  SetCount(here, count + moving);
  if (pdx_code code = SecondaryMoved(Row(here, count), moving, chain_[i].block); code != PDX_OK)
    return code;
  if (count == 0) chain_[i].first_key = chain_[absorbed].first_key;
  chain_[i].count = static_cast<uint16_t>(count + moving);
  FreeBlock(chain_[absorbed].block);
  IndexTouched(i);
  IndexErased(absorbed);
  chain_.erase(absorbed);
  return Relink(i);
}

pdx_code TableWriter::Insert(uint8_t* record, int64_t* number, const PendingBlobs* pending) {
  if (pdx_code code = Begin(); code != PDX_OK) return code;
  const bool keyed = header_.key_fields > 0;
  const uint32_t auto_increment = header_.auto_increment;
  uint8_t given[4] = {};
  if (auto_increment_field_ >= 0)
    std::memcpy(given, record + header_.fields[auto_increment_field_].offset, 4);
  AssignAutoIncrement(record);
  size_t i = 0;
  int slot = 0;
  if (chain_.empty()) {
    uint16_t block = 0;
    pdx_code code = NewBlock(&block);
    if (code != PDX_OK) return Finish(code);
    chain_.push_back({block, 0, {}});
    IndexInserted(0);
    if (code = Relink(0); code != PDX_OK) return Finish(code);
  } else if (keyed) {
    bool found = false;
    if (pdx_code code = FindSlot(record, &i, &slot, &found); code != PDX_OK) return Finish(code);
    if (found) {
      header_.auto_increment = auto_increment;
      if (auto_increment_field_ >= 0)
        std::memcpy(record + header_.fields[auto_increment_field_].offset, given, 4);
      error_ = "Key violation.";
      return Finish(PDX_ERR_KEY_VIOLATION);
    }
  } else {
    i = chain_.size() - 1;
    slot = chain_[i].count;
  }
  if (pdx_code code = CheckRowForIndexes(record, nullptr); code != PDX_OK) {
    header_.auto_increment = auto_increment;
    if (auto_increment_field_ >= 0)
      std::memcpy(record + header_.fields[auto_increment_field_].offset, given, 4);
    return Finish(code);
  }
  if (pdx_code code = StoreRowBlobs(nullptr, record, pending); code != PDX_OK) return Finish(code);
  return Finish(InsertAt(i, slot, record, number));
}

pdx_code TableWriter::Delete(int64_t number) {
  if (pdx_code code = Begin(); code != PDX_OK) return code;
  size_t i = 0;
  int slot = 0;
  if (pdx_code code = Place(number, &i, &slot); code != PDX_OK) return Finish(code);
  std::vector<uint8_t>* data = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return Finish(code);
  if (pdx_code code = FreeRowBlobs(Row(*data, slot)); code != PDX_OK) return Finish(code);
  return Finish(RemoveAt(i, slot));
}

pdx_code TableWriter::Modify(int64_t number, const uint8_t* record, int64_t* new_number,
                             const PendingBlobs* pending) {
  if (pdx_code code = Begin(); code != PDX_OK) return code;
  size_t i = 0;
  int slot = 0;
  if (pdx_code code = Place(number, &i, &slot); code != PDX_OK) return Finish(code);
  std::vector<uint8_t>* data = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return Finish(code);
  const std::vector<uint8_t> old(Row(*data, slot), Row(*data, slot) + header_.record_size);
  std::vector<uint8_t> row(record, record + header_.record_size);
  const bool same_key = header_.key_fields == 0 || CompareKey(old.data(), record) == 0;
  size_t at_block = 0;
  int at_slot = 0;
  bool found = false;
  if (!same_key) {
    if (pdx_code code = FindSlot(record, &at_block, &at_slot, &found); code != PDX_OK)
      return Finish(code);
    if (found) {
      error_ = "Key violation.";
      return Finish(PDX_ERR_KEY_VIOLATION);
    }
  }
  if (pdx_code code = CheckRowForIndexes(record, old.data()); code != PDX_OK) return Finish(code);
  if (pdx_code code = StoreRowBlobs(old.data(), row.data(), pending); code != PDX_OK)
    return Finish(code);
  if (same_key) {
    std::memcpy(Row(DirtyBlock(chain_[i].block), slot), row.data(), header_.record_size);
    if (new_number != nullptr) *new_number = number;
    return Finish(SecondaryReplaced(old.data(), row.data(), chain_[i].block));
  }
  pdx_code code = RemoveAt(i, slot);
  if (code != PDX_OK) return Finish(code);
  if (chain_.empty()) {
    uint16_t block = 0;
    if (code = NewBlock(&block); code != PDX_OK) return Finish(code);
    chain_.push_back({block, 0, {}});
    IndexInserted(0);
    if (code = Relink(0); code != PDX_OK) return Finish(code);
  }
  if (code = FindSlot(row.data(), &at_block, &at_slot, &found); code != PDX_OK) return Finish(code);
  return Finish(InsertAt(at_block, at_slot, row.data(), new_number));
}

pdx_code TableWriter::Read(int64_t number, uint8_t* record) {
  if (pdx_code code = Begin(); code != PDX_OK) return code;
  size_t i = 0;
  int slot = 0;
  if (pdx_code code = Place(number, &i, &slot); code != PDX_OK) return End(code);
  std::vector<uint8_t>* data = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return End(code);
  std::memcpy(record, Row(*data, slot), header_.record_size);
  return End(PDX_OK);
}

pdx_code TableWriter::FindSlot(const uint8_t* record, size_t* chain_index, int* slot, bool* found) {
  *chain_index = 0;
  *slot = 0;
  *found = false;
  if (chain_.empty()) return PDX_OK;
  size_t i = BlockForKey(record);
  std::vector<uint8_t>* data = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return code;
  int low = 0, high = chain_[i].count;
  while (low < high) {
    int middle = (low + high) / 2;
    if (CompareKey(Row(*data, middle), record) < 0)
      low = middle + 1;
    else
      high = middle;
  }
  *chain_index = i;
  *slot = low;
  *found = low < chain_[i].count && CompareKey(Row(*data, low), record) == 0;
  return PDX_OK;
}

pdx_code TableWriter::Locate(const uint8_t* record, int64_t* number, bool* found) {
  if (pdx_code code = Begin(); code != PDX_OK) return code;
  size_t i = 0;
  int slot = 0;
  pdx_code code = FindSlot(record, &i, &slot, found);
  *number = NumberOf(i, slot);
  return End(code);
}

pdx_code TableWriter::BeginBatch() {
  if (pdx_code code = Begin(); code != PDX_OK) return code;
  batch_ = true;
  tracking_ = false;  // a batch's changes are too many to pass on one by one
  return PDX_OK;
}

pdx_code TableWriter::CommitBatch() {
  batch_ = false;
  return Finish(PDX_OK);
}

pdx_code TableWriter::Finish(pdx_code code) {
  if (code != PDX_OK) {
    // A refusal found before this operation changed anything keeps a batch
    // going; anything else puts the model back as the files have it.
    tracking_ = false;
    if (!operation_changed_) return End(code);
    std::string error = error_;
    batch_ = false;
    Load();
    error_ = error;
    return End(code);
  }
  if (batch_) return PDX_OK;
  if (changed_) code = Flush();
  if (code != PDX_OK) {
    if (code != PDX_ERR_KEY_VIOLATION)
      error_ = "the change could not be written; the table is as it was";
    const std::string error = error_;
    Load();
    error_ = error;
  } else if (tracking_) {
    PublishChange();
  }
  return End(code);
}

pdx_code TableWriter::Flush() {
  const size_t block_size = header_.BlockSize();
  std::vector<uint8_t> cipher;
  // In file order, which is how the journal saves them and the files take them.
  for (uint16_t block : blocks_.Dirty()) {
    const std::vector<uint8_t>& data = blocks_.Find(block)->data;
    const uint8_t* bytes = data.data();
    if (key_) {
      cipher = data;
      EncryptBlock(key_, block, cipher.data(), block_size);
      bytes = cipher.data();
    }
    transaction_->Write(kDb, header_.BlockOffset(block), bytes, block_size);
    // The transaction holds its own copy: a large batch is not held twice.
    blocks_.Release(block);
  }
  ++header_.change_count;
  if (pdx_code code = WriteIndex(); code != PDX_OK) return code;
  if (pdx_code code = WriteSecondaryIndexes(); code != PDX_OK) {
    transaction_->Abandon();
    return code;
  }
  std::vector<uint8_t> image = header_.Serialize();
  image.resize(kExtendedHeaderSize);
  transaction_->Write(kDb, 0, image.data(), image.size());
  // Readers wait while the files hold the change half applied.
  pdx_code code = AcquireCommitLock(db_.get());
  if (code == PDX_OK) {
    code = transaction_->Commit();
    ReleaseCommitLock(db_.get());
    // Even a failed commit may have touched the files before rolling back.
    if (changes_) changes_->fetch_add(1, std::memory_order_release);
  } else {
    transaction_->Abandon();
  }
  blocks_.Clear();
  changed_ = false;
  if (code == PDX_OK) seen_header_ = image;
  return code;
}

void TableWriter::IndexTouched(size_t chain_index) {
  NoteChainEdit(ChainEdit::kTouched, chain_index);
  index_.Touched(chain_index);
}

void TableWriter::IndexInserted(size_t chain_index) {
  NoteChainEdit(ChainEdit::kInserted, chain_index);
  index_.Inserted(chain_index);
}

void TableWriter::IndexErased(size_t chain_index) {
  NoteChainEdit(ChainEdit::kErased, chain_index);
  index_.Erased(chain_index);
}

pdx_code TableWriter::WriteIndex() {
  if (header_.key_fields == 0 || !px_) return PDX_OK;
  return index_.Write(chain_, header_.change_count, transaction_.get(), kPx, &error_);
}

}  // namespace pdx
