#include "table.h"

#include "cipher.h"
#include "error_context.h"
#include "locking.h"
#include "pdx_codes.h"
#include "table_files.h"
#include "table_writer.h"

namespace pdx {
namespace {}  // namespace

pdx_code Table::Open(FileSystem* fs, const std::string& directory, const std::string& name,
                     const Options& options, std::unique_ptr<Table>* out) {
  if (name.empty() || name.find('/') != std::string::npos)
    return AddErrorContext(PDX_ERR_INVALID_TABLE_NAME, "Table: " + name);
  const std::string file_name = DataFileName(name);
  const std::string path = FindFileNoCase(fs, directory, file_name);
  if (path.empty())
    return AddErrorContext(PDX_ERR_TABLE_NOT_FOUND, "Table: " + JoinPath(directory, file_name));

  std::unique_ptr<Table> table(new Table());
  table->fs_ = fs;
  table->directory_ = directory;
  const std::string found = FileNameOf(path);
  table->stem_ = TableStem(found);
  table->cache_ = std::make_unique<BlockCache>(options.cache_budget);
  table->read_only_ = !options.write;
  // A writer killed in the middle of a change left its journal: roll it
  // back first, so that the table reads as it was before that change.
  if (pdx_code rc = TableWriter::RecoverInterruptedChange(fs, path); rc != PDX_OK)
    return AddErrorContext(rc, "Table: " + path);
  pdx_code rc = BlockFile::Open(fs, path, options.write ? OpenMode::kReadWrite : OpenMode::kRead,
                                table->cache_.get(), &table->data_);
  if (options.write && (rc == PDX_ERR_TABLE_READ_ONLY || rc == PDX_ERR_DIRECTORY_READ_ONLY)) {
    ClearErrorContext();
    table->read_only_ = true;
    rc = BlockFile::Open(fs, path, OpenMode::kRead, table->cache_.get(), &table->data_);
  }
  if (rc != PDX_OK) return rc;
  if (options.exclusive && table->read_only_)
    return AddErrorContext(PDX_ERR_NO_EXCLUSIVE, "Table: " + path);
  if (pdx_code lock = LockTableOpen(table->data_->file(), options.exclusive); lock != PDX_OK)
    return AddErrorContext(lock, "Table: " + path);
  table->changes_ = ChangeCounterOf(path);
  if (table->changes_) table->changes_seen_ = table->changes_->load(std::memory_order_acquire);
  {
    // The header was read before a writer could be waited for: read it again
    // out of the way of a change being applied.
    CommitWait wait(table->data_->file());
    if (wait.code() != PDX_OK) return AddErrorContext(wait.code(), "Table: " + path);
    if (pdx_code again = table->data_->Refresh(); again != PDX_OK) return again;
  }

  const TableHeader& h = table->header();
  if (h.kind() != FileKind::kKeyedData && h.kind() != FileKind::kUnkeyedData) {
    AddErrorContext(PDX_ERR_CORRUPT_HEADER, "File: " + path);
    return AddErrorContext(PDX_ERR_CORRUPT_HEADER, "the file is an index, not a table");
  }
  if (const uint32_t key = h.EncryptionKey(); key != 0) {
    bool known = false;
    for (const std::string& password : options.passwords)
      known = known || PasswordChecksum(password) == key;
    if (!known) return AddErrorContext(PDX_ERR_PASSWORD_REQUIRED, "Table: " + path);
    table->key_ = key;
    table->data_->set_key(key);
  }
  table->key_compare_ = KeyCompare(h);
  table->write_refusal_ = table->FindWriteRefusal();
  if (!table->write_refusal_.empty()) table->read_only_ = true;
  *out = std::move(table);
  return PDX_OK;
}

std::string Table::FindWriteRefusal() {
  const TableHeader& h = header();
  if (h.IsKeyed() && !KeysOrderAsBytes(h)) return KeyOrderRefusal(h);
  const std::vector<FieldCheck>* checks = nullptr;
  if (pdx_code rc = Checks(&checks); rc != PDX_OK) {
    ClearErrorContext();
    // The rows stay readable; only changes, which the checks would have to
    // pass, are refused.
    return "the validity checks in " + FileNameOf(CompanionPath(kChecksExtension)) +
           " cannot be read, so changes are refused: " + CodeText(rc);
  }
  {
    const std::vector<SecondaryIndex>& indexes = SecondaryIndexes();
    if (!unreadable_indexes_.empty())
      return "the secondary index " + unreadable_indexes_.front() + ", so changes are refused";
    for (const SecondaryIndex& index : indexes)
      if (std::string refusal = index.WriteRefusal(h); !refusal.empty()) return refusal;
  }
  return {};
}

const std::vector<SecondaryIndex>& Table::SecondaryIndexes() {
  if (!secondary_) {
    std::vector<SecondaryIndex> found;
    unreadable_indexes_.clear();
    if (FindSecondaryIndexes(fs_, path(), header(), &found, &unreadable_indexes_) != PDX_OK)
      found.clear();
    secondary_ = std::move(found);
  }
  return *secondary_;
}

std::string Table::CompanionPath(const std::string& extension) const {
  return FindFileNoCase(fs_, directory_, stem_ + extension);
}

pdx_code Table::OpenPrimaryIndex() {
  const std::string path = CompanionPath(kPrimaryIndexExtension);
  if (path.empty()) return PDX_ERR_FILE_NOT_FOUND;
  if (pdx_code rc = BlockFile::Open(fs_, path, OpenMode::kRead, cache_.get(), &primary_);
      rc != PDX_OK)
    return rc;
  // An index file carries its own key, and is often left unscrambled.
  primary_->set_key(primary_->header().EncryptionKey());
  return PDX_OK;
}

pdx_code Table::Chain(const ChainIndex** chain) {
  if (!chain_) {
    CommitWait wait(data_->file());
    if (wait.code() != PDX_OK) return AddErrorContext(wait.code(), "Table: " + path());
    ChainIndex built;
    bool have = false;
    if (header().IsKeyed()) {
      // An index that cannot be used costs only speed: the data blocks are walked instead.
      const size_t mark = ErrorContext().size();
      if (primary_ || OpenPrimaryIndex() == PDX_OK)
        have = ChainIndex::FromPrimaryIndex(primary_.get(), header(), &built) == PDX_OK;
      TruncateErrorContext(mark);
    }
    if (!have) {
      if (pdx_code rc = ChainIndex::FromDataFile(data_.get(), &built); rc != PDX_OK) return rc;
    }
    chain_ = std::move(built);
  }
  *chain = &*chain_;
  return PDX_OK;
}

pdx_code Table::RebuildChainFromData(const ChainIndex** chain) {
  CommitWait wait(data_->file());
  if (wait.code() != PDX_OK) return AddErrorContext(wait.code(), "Table: " + path());
  ChainIndex built;
  if (pdx_code rc = ChainIndex::FromDataFile(data_.get(), &built); rc != PDX_OK) return rc;
  chain_ = std::move(built);
  *chain = &*chain_;
  return PDX_OK;
}

pdx_code Table::Blobs(BlobFile** blobs) {
  if (!blobs_) {
    const std::string path = CompanionPath(kBlobExtension);
    if (path.empty()) return AddErrorContext(PDX_ERR_BLOB_FILE_MISSING, "Table: " + data_->path());
    std::unique_ptr<File> file;
    if (pdx_code rc = fs_->Open(path, OpenMode::kRead, &file); rc != PDX_OK)
      return AddErrorContext(rc, "File: " + path);
    auto opened = std::make_unique<BlobFile>(std::move(file), key_);
    if (pdx_code rc = opened->Open(); rc != PDX_OK) return AddErrorContext(rc, "File: " + path);
    blobs_ = std::move(opened);
  }
  *blobs = blobs_.get();
  return PDX_OK;
}

pdx_code Table::Checks(const std::vector<FieldCheck>** checks) {
  if (!checks_) {
    std::vector<FieldCheck> loaded;
    const std::string path = CompanionPath(kChecksExtension);
    if (!path.empty()) {
      // Validity-check files are small; anything this large is not one.
      constexpr uint64_t kLargestValFile = 4u << 20;
      std::unique_ptr<File> file;
      uint64_t size = 0;
      size_t got = 0;
      if (pdx_code rc = fs_->Open(path, OpenMode::kRead, &file); rc != PDX_OK)
        return AddErrorContext(rc, "File: " + path);
      if (file->Size(&size) != PDX_OK || size > kLargestValFile)
        return AddErrorContext(PDX_ERR_CORRUPT_VAL, "File: " + path);
      std::vector<uint8_t> bytes(size);
      if (file->ReadAt(0, bytes.data(), bytes.size(), &got) != PDX_OK || got != size)
        return AddErrorContext(PDX_ERR_READ, "File: " + path);
      ValFile val;
      if (pdx_code rc = ParseValFile(bytes.data(), bytes.size(), &val, &fields()); rc != PDX_OK)
        return AddErrorContext(rc, "File: " + path);
      // Checks of an older structure still describe the fields that kept
      // their type and size, which is all ResolveChecks keeps.
      ResolveChecks(val, fields(), header().structure_count, &loaded);
    }
    checks_ = std::move(loaded);
  }
  *checks = &*checks_;
  return PDX_OK;
}

pdx_code Table::Refresh(const ChainChange* own_write) {
  // Taken before the files are read: a change committed after this is
  // noticed by the next move. A refresh that fails is tried again then.
  const uint64_t changes = changes_ ? changes_->load(std::memory_order_acquire) : 0;
  const pdx_code rc = RefreshFiles(own_write);
  if (rc == PDX_OK) changes_seen_ = changes;
  return rc;
}

pdx_code Table::RefreshFiles(const ChainChange* own_write) {
  // Validity checks may change without the data file's header: read again
  // unless this follows a change of this process's own.
  if (own_write == nullptr) checks_.reset();
  CommitWait wait(data_->file());
  if (wait.code() != PDX_OK) return AddErrorContext(wait.code(), "Table: " + path());
  const std::vector<uint8_t> before = data_->header_image();
  if (primary_) cache_->DropFile(primary_->cache_id());
  primary_.reset();
  if (pdx_code rc = data_->Refresh(); rc != PDX_OK) {
    chain_.reset();
    return rc;
  }
  if (blobs_) {
    if (pdx_code rc = blobs_->Refresh(); rc != PDX_OK) return rc;
  }
  // Every writer rewrites the header, so an unchanged one means the chain
  // index still holds (readers check each block against it anyway).
  const std::vector<uint8_t>& now = data_->header_image();
  if (now == before) return PDX_OK;
  const bool only_own_write =
      own_write != nullptr && own_write->header_before == before && own_write->header_after == now;
  if (only_own_write) {
    if (chain_ && !(chain_->Apply(*own_write) && chain_->total_rows() == header().record_count))
      chain_.reset();
    return PDX_OK;
  }
  chain_.reset();
  checks_.reset();
  secondary_.reset();
  key_compare_ = KeyCompare(header());
  return PDX_OK;
}

}  // namespace pdx
