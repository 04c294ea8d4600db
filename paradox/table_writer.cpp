#include "table_writer.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "byte_order.h"
#include "cipher.h"
#include "field_codec.h"
#include "key_compare.h"
#include "locking.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

constexpr int kBlockHeader = 6;
constexpr uint32_t kMaxBlocks = 65535;

// Index entries hold block numbers as short integers do (big-endian, top
// bit flipped) but unsigned: blocks past 32767 exist in large tables.
void StoreIndexBlockNumber(uint8_t* at, uint16_t block) {
  at[0] = static_cast<uint8_t>((block >> 8) ^ 0x80);
  at[1] = static_cast<uint8_t>(block);
}

std::string Stem(const std::string& path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash)
             ? path
             : path.substr(0, dot);
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// NAME.Xnn / NAME.XGn files beside the table.
bool HasSecondaryIndex(FileSystem* fs, const std::string& db_path) {
  std::vector<std::string> names;
  if (fs->ListDirectory(DirectoryOf(db_path), &names) != PDX_OK) return false;
  const std::string stem = BaseName(Stem(db_path));
  for (const std::string& name : names) {
    if (name.size() < stem.size() + 3 || name[stem.size()] != '.' ||
        strncasecmp(name.c_str(), stem.c_str(), stem.size()) != 0)
      continue;
    const char* extension = name.c_str() + stem.size() + 1;
    if ((extension[0] == 'X' || extension[0] == 'x') && std::strlen(extension) == 3) return true;
  }
  return false;
}

// Engines of the original kind announce a table in use by a lock file of
// their own format beside it, which our locks cannot see into; writing under
// such an engine could tear the table for both.
bool ForeignEngineHoldsTable(FileSystem* fs, const std::string& db_path) {
  return !FindFileNoCase(fs, DirectoryOf(db_path), BaseName(Stem(db_path)) + ".LCK").empty();
}

pdx_code OpenCompanion(FileSystem* fs, const std::string& db_path, const char* extension,
                       std::unique_ptr<File>* file) {
  std::string path = FindFileNoCase(fs, DirectoryOf(db_path), BaseName(Stem(db_path)) + extension);
  if (path.empty()) return PDX_ERR_FILE_NOT_FOUND;
  return fs->Open(path, OpenMode::kReadWrite, file);
}

pdx_code ReadHeader(File* file, TableHeader* header, std::string* why) {
  uint64_t size = 0;
  if (pdx_code code = file->Size(&size); code != PDX_OK) return code;
  uint8_t start[4] = {};
  size_t got = 0;
  if (pdx_code code = file->ReadAt(0, start, 4, &got); code != PDX_OK) return code;
  size_t header_size = std::max<size_t>(LoadLe16(start + 2), kExtendedHeaderSize);
  std::vector<uint8_t> image(std::min<uint64_t>(header_size, size));
  if (pdx_code code = file->ReadAt(0, image.data(), image.size(), &got); code != PDX_OK)
    return code;
  return ParseTableHeader(image.data(), got, size, header, why);
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
  const std::string journal_path = Stem(db_path) + ".JNL";
  std::unique_ptr<File> journal_file;
  uint64_t size = 0;
  if (fs->Open(journal_path, OpenMode::kRead, &journal_file) != PDX_OK ||
      journal_file->Size(&size) != PDX_OK || size == 0)
    return PDX_OK;
  journal_file.reset();
  std::unique_ptr<File> db, px, mb;
  if (fs->Open(db_path, OpenMode::kReadWrite, &db) != PDX_OK) return PDX_OK;
  if (TryWriteLock(db.get()) != PDX_OK) return PDX_OK;  // its writer is alive
  OpenCompanion(fs, db_path, ".PX", &px);
  OpenCompanion(fs, db_path, ".MB", &mb);
  Journal journal(fs, journal_path);
  pdx_code code = RollBack(&journal, {db.get(), px.get(), mb.get()});
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
  OpenCompanion(fs, db_path, ".PX", &w->px_);
  OpenCompanion(fs, db_path, ".MB", &w->mb_);
  if (HasSecondaryIndex(fs, db_path)) {
    // They would go stale: the writer keeps only the primary index.
    *error = "writing a table with secondary indexes is not supported: " + db_path;
    return PDX_ERR_NOT_SUPPORTED;
  }
  if (ForeignEngineHoldsTable(fs, db_path)) {
    *error = "another engine has the table open (its lock file " + BaseName(Stem(db_path)) +
             ".LCK is present): " + db_path;
    return PDX_ERR_TABLE_BUSY;
  }
  w->journal_ = std::make_unique<Journal>(fs, Stem(db_path) + ".JNL");
  if (pdx_code code = AcquireWriteLock(w->db_.get()); code != PDX_OK) {
    *error = "another program keeps writing " + db_path;
    return code;
  }
  pdx_code code = RollBack(w->journal_.get(), {w->db_.get(), w->px_.get(), w->mb_.get()});
  if (code != PDX_OK) {
    ReleaseWriteLock(w->db_.get());
    *error = "cannot roll back the unfinished change left in " + Stem(db_path) + ".JNL";
    return code;
  }
  w->transaction_ = std::make_unique<Transaction>(
      w->journal_.get(), std::vector<File*>{w->db_.get(), w->px_.get(), w->mb_.get()});
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
  leaves_.clear();  // the index is laid out afresh and compared with the file
  std::string why;
  if (pdx_code code = ReadHeader(db_.get(), &header_, &why); code != PDX_OK) {
    error_ = db_path_ + ": " + why;
    return code;
  }
  if (header_.kind() != FileKind::kKeyedData && header_.kind() != FileKind::kUnkeyedData) {
    error_ = db_path_ + " is not a table's data file";
    return PDX_ERR_CORRUPT_HEADER;
  }
  const bool keyed = header_.key_fields > 0;
  if (keyed && !IsByteOrderSortOrder(header_)) {
    // Rows must go where the table's collation puts them; only the byte
    // orders are known exactly.
    error_ = "writing a keyed table sorted by \"" + header_.sort_order_name + "\" is not supported";
    return PDX_ERR_NOT_SUPPORTED;
  }
  key_ = header_.EncryptionKey();
  key_length_ = header_.KeyLength();
  blob_writer_ = mb_ ? std::make_unique<BlobWriter>(transaction_.get(), kMb, key_) : nullptr;
  auto_increment_field_ = -1;
  for (size_t i = 0; i < header_.fields.size(); ++i)
    if (header_.fields[i].type == FieldType::kAutoIncrement) auto_increment_field_ = int(i);

  // The chain, in order; a chain that loops or leaves the file is corrupt.
  int64_t rows = 0;
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
    chain_.push_back({b, static_cast<uint16_t>(count),
                      std::string(reinterpret_cast<char*>(Row(*data, 0)), key_length_)});
    rows += count;
    uint16_t next = LoadLe16(data->data());
    blocks_.Release(b);  // memory stays one block, whatever the table's size
    b = next;
  }
  blocks_.Clear();
  header_.record_count = static_cast<uint32_t>(rows);
  header_.used_blocks = static_cast<uint16_t>(chain_.size());

  if (keyed) {
    if (!px_) {
      error_ = "the primary index of " + db_path_ + " is missing";
      return PDX_ERR_CORRUPT_INDEX;
    }
    if (pdx_code code = ReadHeader(px_.get(), &index_header_, &why); code != PDX_OK) {
      error_ = "primary index: " + why;
      return PDX_ERR_CORRUPT_INDEX;
    }
    if (index_header_.record_size != key_length_ + 6) {
      error_ = "the primary index does not match the table's key";
      return PDX_ERR_CORRUPT_INDEX;
    }
    uint64_t size = 0;
    if (pdx_code code = px_->Size(&size); code != PDX_OK) return code;
    index_image_.assign(size > index_header_.header_size ? size - index_header_.header_size : 0, 0);
    size_t got = 0;
    if (pdx_code code =
            px_->ReadAt(index_header_.header_size, index_image_.data(), index_image_.size(), &got);
        code != PDX_OK)
      return code;
    const size_t index_block = index_header_.BlockSize();
    index_image_.resize(index_image_.size() / index_block * index_block);
    if (uint32_t key = index_header_.EncryptionKey())
      for (size_t at = 0; at < index_image_.size(); at += index_block)
        DecryptBlock(key, static_cast<uint32_t>(at / index_block + 1), index_image_.data() + at,
                     index_block);
  }
  seen_header_.assign(kExtendedHeaderSize, 0);
  size_t got = 0;
  return db_->ReadAt(0, seen_header_.data(), seen_header_.size(), &got);
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
    return PDX_OK;
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
  return slot <= half ? InsertAt(i, slot, record, number)
                      : InsertAt(i + 1, slot - half, record, number);
}

pdx_code TableWriter::RemoveAt(size_t i, int slot) {
  const int rs = header_.record_size;
  std::vector<uint8_t>& data = DirtyBlock(chain_[i].block);
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
    leaves_.clear();
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
  if (pdx_code code = StoreRowBlobs(old.data(), row.data(), pending); code != PDX_OK)
    return Finish(code);
  if (same_key) {
    std::memcpy(Row(DirtyBlock(chain_[i].block), slot), row.data(), header_.record_size);
    if (new_number != nullptr) *new_number = number;
    return Finish(PDX_OK);
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
    error_ = "the change could not be written; the table is as it was";
    Load();
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
  std::vector<uint8_t> image = header_.Serialize();
  image.resize(kExtendedHeaderSize);
  transaction_->Write(kDb, 0, image.data(), image.size());
  // Readers wait while the files hold the change half applied.
  pdx_code code = AcquireCommitLock(db_.get());
  if (code == PDX_OK) {
    code = transaction_->Commit();
    ReleaseCommitLock(db_.get());
  } else {
    transaction_->Abandon();
  }
  blocks_.Clear();
  changed_ = false;
  if (code == PDX_OK) seen_header_ = image;
  return code;
}

size_t TableWriter::LeafOf(size_t chain_index) const {
  size_t start = 0;
  for (size_t k = 0; k < leaves_.size(); ++k) {
    if (chain_index < start + leaves_[k].size || k + 1 == leaves_.size()) return k;
    start += leaves_[k].size;
  }
  return 0;
}

void TableWriter::IndexTouched(size_t chain_index) {
  NoteChainEdit(ChainEdit::kTouched, chain_index);
  if (!leaves_.empty()) leaves_[LeafOf(chain_index)].dirty = true;
}

void TableWriter::IndexInserted(size_t chain_index) {
  NoteChainEdit(ChainEdit::kInserted, chain_index);
  if (leaves_.empty()) return;  // laid out afresh when written
  const size_t k = LeafOf(chain_index);
  Leaf& leaf = leaves_[k];
  leaf.dirty = true;
  if (++leaf.size <= IndexEntriesPerBlock()) return;
  // A full index block splits; the new half goes into a new block of the
  // file, so no other block's place changes.
  Leaf upper;
  upper.block = ++index_file_blocks_;
  upper.size = leaf.size - leaf.size / 2;
  upper.dirty = true;
  leaf.size /= 2;
  leaves_.insert(leaves_.begin() + k + 1, upper);
  if (k + 2 < leaves_.size()) leaves_[k + 2].dirty = true;  // its back link
}

void TableWriter::IndexErased(size_t chain_index) {
  NoteChainEdit(ChainEdit::kErased, chain_index);
  if (leaves_.empty()) return;
  const size_t k = LeafOf(chain_index);
  if (--leaves_[k].size > 0) {
    leaves_[k].dirty = true;
    return;
  }
  // An emptied index block drops out of its level; its neighbours' links change.
  leaves_.erase(leaves_.begin() + k);
  if (k > 0) leaves_[k - 1].dirty = true;
  if (k < leaves_.size()) leaves_[k].dirty = true;
}

size_t TableWriter::IndexEntriesPerBlock() const {
  return (index_header_.BlockSize() - kBlockHeader) / (static_cast<size_t>(key_length_) + 6);
}

// The index is one entry per data block (its first key, its number, its row
// count) in level-1 blocks, and above them levels of one entry per block of
// the level below, up to a single root. Level-1 blocks keep their place in
// the file: one that fills up splits into a new block at the end of the
// file, so a change rewrites only the level-1 blocks whose entries changed.
// The upper levels are small and made again each time, in blocks of their
// own. Blocks are written only where they differ from the file.
pdx_code TableWriter::WriteIndex() {
  if (header_.key_fields == 0 || !px_) return PDX_OK;
  const size_t block_size = index_header_.BlockSize();
  const size_t entry = static_cast<size_t>(key_length_) + 6;
  const size_t per_block = IndexEntriesPerBlock();
  if (leaves_.empty() && !chain_.empty()) {
    // Afresh: level-1 blocks full, numbered from 1, upper levels after them.
    upper_blocks_.clear();
    for (size_t first = 0; first < chain_.size(); first += per_block) {
      Leaf leaf;
      leaf.block = static_cast<uint16_t>(leaves_.size() + 1);
      leaf.size = std::min(per_block, chain_.size() - first);
      leaf.dirty = true;
      leaves_.push_back(leaf);
    }
    index_file_blocks_ = static_cast<uint16_t>(leaves_.size());
  }
  if (leaves_.empty()) index_file_blocks_ = 0, upper_blocks_.clear();

  const uint32_t key = index_header_.EncryptionKey();
  std::vector<uint8_t> block(block_size), cipher;
  struct Entry {
    const char* key;
    uint16_t block;
    int64_t count;
  };
  // Makes one index block and writes it where it differs from the file.
  auto put_block = [&](uint16_t number, const Entry* entries, size_t n, uint16_t next,
                       uint16_t prev) {
    uint8_t* data = block.data();
    std::memset(data, 0, block_size);
    StoreLe16(data, next);
    StoreLe16(data + 2, prev);
    StoreLe16(data + 4, static_cast<uint16_t>((n - 1) * entry));
    for (size_t e = 0; e < n; ++e) {
      uint8_t* out = data + kBlockHeader + e * entry;
      std::memcpy(out, entries[e].key, key_length_);
      StoreIndexBlockNumber(out + key_length_, entries[e].block);
      EncodeInteger(std::min(entries[e].count, kMaxIndexCount), out + key_length_ + 2, 2);
      EncodeInteger(0, out + key_length_ + 4, 2);
    }
    const size_t at = static_cast<size_t>(number - 1) * block_size;
    if (index_image_.size() < at + block_size) index_image_.resize(at + block_size);
    if (std::memcmp(index_image_.data() + at, data, block_size) == 0) return;
    std::memcpy(index_image_.data() + at, data, block_size);
    if (key) {
      cipher.assign(data, data + block_size);
      EncryptBlock(key, number, cipher.data(), block_size);
      data = cipher.data();
    }
    transaction_->Write(kPx, index_header_.header_size + at, data, block_size);
  };

  std::vector<Entry> entries;
  size_t start = 0;
  for (size_t k = 0; k < leaves_.size(); ++k) {
    Leaf& leaf = leaves_[k];
    if (leaf.dirty) {
      entries.clear();
      leaf.sum = 0;
      for (size_t i = start; i < start + leaf.size; ++i) {
        entries.push_back({chain_[i].first_key.data(), chain_[i].block, chain_[i].count});
        leaf.sum += chain_[i].count;
      }
      leaf.first_key = chain_[start].first_key;
      put_block(leaf.block, entries.data(), leaf.size,
                k + 1 < leaves_.size() ? leaves_[k + 1].block : 0,
                k > 0 ? leaves_[k - 1].block : 0);
      leaf.dirty = false;
    }
    start += leaf.size;
  }

  uint32_t total_entries = static_cast<uint32_t>(chain_.size());
  uint8_t levels = leaves_.empty() ? 0 : 1;
  uint16_t root = leaves_.empty() ? 0 : leaves_.front().block;
  std::vector<std::tuple<std::string, uint16_t, int64_t>> level;
  for (const Leaf& leaf : leaves_) level.emplace_back(leaf.first_key, leaf.block, leaf.sum);
  size_t used_upper = 0;
  while (level.size() > 1) {
    ++levels;
    const size_t count = (level.size() + per_block - 1) / per_block;
    while (upper_blocks_.size() < used_upper + count) {
      if (index_file_blocks_ >= kMaxBlocks) {
        error_ = "the primary index has reached 65535 blocks";
        return PDX_ERR_TABLE_FULL;
      }
      upper_blocks_.push_back(++index_file_blocks_);
    }
    std::vector<std::tuple<std::string, uint16_t, int64_t>> above;
    for (size_t b = 0; b < count; ++b) {
      const size_t first = b * per_block, n = std::min(per_block, level.size() - first);
      entries.clear();
      int64_t sum = 0;
      for (size_t i = first; i < first + n; ++i) {
        entries.push_back(
            {std::get<0>(level[i]).data(), std::get<1>(level[i]), std::get<2>(level[i])});
        sum += std::get<2>(level[i]);
      }
      const uint16_t number = upper_blocks_[used_upper + b];
      put_block(number, entries.data(), n, b + 1 < count ? upper_blocks_[used_upper + b + 1] : 0,
                b > 0 ? upper_blocks_[used_upper + b - 1] : 0);
      above.emplace_back(std::get<0>(level[first]), number, sum);
      root = number;
    }
    used_upper += count;
    total_entries += static_cast<uint32_t>(level.size());
    level = std::move(above);
  }
  const size_t size = static_cast<size_t>(index_file_blocks_) * block_size;
  if (size != index_image_.size()) {
    // Blocks past the last one in use (after a fresh layout) are cut off;
    // blocks that fell out of use stay, unreferenced, until then.
    transaction_->SetSize(kPx, index_header_.header_size + size);
    index_image_.resize(size);
  }
  index_header_.record_count = total_entries;
  index_header_.file_blocks = index_file_blocks_;
  index_header_.used_blocks = static_cast<uint16_t>(leaves_.size() + used_upper);
  index_header_.first_block = leaves_.empty() ? 0 : leaves_.front().block;
  index_header_.last_block = leaves_.empty() ? 0 : leaves_.back().block;
  index_header_.index_root = root;
  index_header_.index_levels = levels;
  index_header_.parent_change_count = header_.change_count;
  ++index_header_.change_count;
  std::vector<uint8_t> header = index_header_.Serialize();
  header.resize(kFixedHeaderSize);
  transaction_->Write(kPx, 0, header.data(), header.size());
  return PDX_OK;
}

}  // namespace pdx
