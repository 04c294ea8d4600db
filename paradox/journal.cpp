#include "journal.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "pdx_codes.h"
#include "table_files.h"

namespace pdx {
namespace {

constexpr char kMagic[8] = {'P', 'D', 'X', 'J', 'R', 'N', 'L', '2'};
// Journals of the first layout differ only in their checksum; one that a
// writer of that kind left behind is still rolled back.
constexpr char kMagicBytewise[8] = {'P', 'D', 'X', 'J', 'R', 'N', 'L', '1'};
constexpr size_t kHeaderSize = 8 + 4 + 4 + 8 + 8;
constexpr uint64_t kUntouched = std::numeric_limits<uint64_t>::max();

uint64_t ChecksumBytewise(const char* data, size_t n) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (size_t i = 0; i < n; ++i) {
    hash ^= static_cast<unsigned char>(data[i]);
    hash *= 1099511628211ull;
  }
  return hash;
}

// Eight bytes a step, each folded in and mixed: a bulk load's commit
// journals tens of megabytes, which a byte at a time took most of a second
// to sum.
uint64_t Checksum(const char* data, size_t n) {
  uint64_t hash = 14695981039346656037ull;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    hash ^= hash >> 29;
  }
  for (; i < n; ++i) hash = (hash ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
  return hash;
}

template <typename T>
void Put(std::string* out, T value) {
  char bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  out->append(bytes, sizeof(T));
}

template <typename T>
bool Take(const std::string& in, size_t* at, T* value) {
  if (in.size() - *at < sizeof(T)) return false;
  *value = 0;
  for (size_t i = 0; i < sizeof(T); ++i)
    *value |= static_cast<T>(static_cast<unsigned char>(in[*at + i])) << (8 * i);
  *at += sizeof(T);
  return true;
}

// Writes the saved bytes back and cuts every file to its saved length.
// Answers PDX_ERR_CORRUPT_FILE for a journal that is not whole (a crash while
// it was written, before any table file changed): there is nothing to undo.
pdx_code UndoFromJournal(const std::string& bytes, const std::vector<File*>& files, bool sync) {
  size_t at = 8;
  uint32_t file_count = 0, entry_count = 0;
  uint64_t body_length = 0, checksum = 0;
  if (bytes.size() < kHeaderSize) return PDX_ERR_CORRUPT_FILE;
  const bool bytewise = std::memcmp(bytes.data(), kMagicBytewise, 8) == 0;
  if ((!bytewise && std::memcmp(bytes.data(), kMagic, 8) != 0) || !Take(bytes, &at, &file_count) ||
      !Take(bytes, &at, &entry_count) || !Take(bytes, &at, &body_length) ||
      !Take(bytes, &at, &checksum) || body_length > bytes.size() - kHeaderSize ||
      (bytewise ? ChecksumBytewise : Checksum)(bytes.data() + kHeaderSize, body_length) != checksum)
    return PDX_ERR_CORRUPT_FILE;
  if (file_count != files.size()) return PDX_ERR_CORRUPT_FILE;
  std::string body = bytes.substr(kHeaderSize, body_length);
  at = 0;
  std::vector<uint64_t> sizes(file_count);
  for (uint64_t& size : sizes)
    if (!Take(body, &at, &size)) return PDX_ERR_CORRUPT_FILE;
  for (uint32_t i = 0; i < entry_count; ++i) {
    uint32_t file = 0, length = 0;
    uint64_t offset = 0;
    if (!Take(body, &at, &file) || !Take(body, &at, &offset) || !Take(body, &at, &length) ||
        file >= file_count || files[file] == nullptr || body.size() - at < length)
      return PDX_ERR_CORRUPT_FILE;
    if (pdx_code code = files[file]->WriteAt(offset, body.data() + at, length); code != PDX_OK)
      return code;
    at += length;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    if (sizes[i] == kUntouched || files[i] == nullptr) continue;
    if (pdx_code code = files[i]->Truncate(sizes[i]); code != PDX_OK) return code;
  }
  if (sync)
    for (size_t i = 0; i < files.size(); ++i)
      if (sizes[i] != kUntouched && files[i] != nullptr)
        if (pdx_code code = files[i]->Sync(); code != PDX_OK) return code;
  return PDX_OK;
}

}  // namespace

Journal::Journal(FileSystem* fs, std::string path) : fs_(fs), path_(std::move(path)) {}
Journal::~Journal() = default;

pdx_code Journal::OpenFile(bool create) {
  if (file_) return PDX_OK;
  if (fs_->Exists(path_)) return fs_->Open(path_, OpenMode::kReadWrite, &file_);
  if (!create) return PDX_ERR_FILE_NOT_FOUND;
  if (pdx_code code = fs_->Open(path_, OpenMode::kCreate, &file_); code != PDX_OK) return code;
  return sync_ ? fs_->SyncDirectory(DirectoryOf(path_)) : pdx_code{PDX_OK};
}

pdx_code Journal::Write(const std::string& bytes) {
  if (pdx_code code = OpenFile(true); code != PDX_OK) return code;
  if (pdx_code code = file_->WriteAt(0, bytes.data(), bytes.size()); code != PDX_OK) return code;
  return sync_ ? file_->Sync() : pdx_code{PDX_OK};
}

pdx_code Journal::Clear() {
  // Closed after every transaction: another writer may remove the empty
  // file, and a handle kept open would then write where no one looks.
  pdx_code code = file_->Truncate(0);
  if (code == PDX_OK && sync_) code = file_->Sync();
  file_.reset();
  return code;
}

void Journal::RemoveIfEmpty() {
  std::unique_ptr<File> file;
  uint64_t size = 1;
  if (fs_->Open(path_, OpenMode::kRead, &file) == PDX_OK && file->Size(&size) == PDX_OK &&
      size == 0) {
    file.reset();
    fs_->Remove(path_);
  }
}

pdx_code Journal::Recover(const std::vector<File*>& files) {
  if (pdx_code code = OpenFile(false); code == PDX_ERR_FILE_NOT_FOUND) {
    return PDX_OK;
  } else if (code != PDX_OK) {
    return code;
  }
  uint64_t size = 0;
  if (pdx_code code = file_->Size(&size); code != PDX_OK) return file_.reset(), code;
  if (size == 0) {
    file_.reset();
    return PDX_OK;
  }
  std::string bytes(size, '\0');
  size_t got = 0;
  if (pdx_code code = file_->ReadAt(0, bytes.data(), size, &got); code != PDX_OK)
    return file_.reset(), code;
  bytes.resize(got);
  pdx_code code = UndoFromJournal(bytes, files, sync_);
  if (code != PDX_OK && code != PDX_ERR_CORRUPT_FILE) {
    file_.reset();
    return code;  // kept for the next try
  }
  return Clear();
}

Transaction::Transaction(Journal* journal, std::vector<File*> files)
    : journal_(journal),
      files_(std::move(files)),
      pending_(files_.size()),
      pending_size_(files_.size(), -1) {}

bool Transaction::empty() const {
  return std::all_of(pending_.begin(), pending_.end(), [](const auto& m) { return m.empty(); }) &&
         std::all_of(pending_size_.begin(), pending_size_.end(), [](int64_t s) { return s < 0; });
}

void Transaction::SetSize(int file, uint64_t size) {
  auto& ranges = pending_[file];
  for (auto it = ranges.begin(); it != ranges.end();) {
    if (it->first >= size) {
      it = ranges.erase(it);
    } else {
      if (it->first + it->second.size() > size) it->second.resize(size - it->first);
      ++it;
    }
  }
  pending_size_[file] = static_cast<int64_t>(size);
}

void Transaction::Write(int file, uint64_t offset, const void* data, size_t n) {
  if (n == 0) return;
  auto& ranges = pending_[file];
  uint64_t start = offset, end = offset + n;
  auto it = ranges.upper_bound(offset);
  if (it != ranges.begin() && std::prev(it)->first + std::prev(it)->second.size() > offset) --it;
  // Ranges that merely touch stay apart: a commit of thousands of
  // neighbouring blocks then keeps each in a buffer of its own instead of
  // growing (and copying) one large one. The usual overlap, a rewrite
  // inside a pending range, changes that range in place.
  if (it != ranges.end() && it->first <= offset) {
    auto next = std::next(it);
    if (next == ranges.end() || next->first >= end) {
      std::string& bytes = it->second;
      if (bytes.size() < end - it->first) bytes.resize(end - it->first);
      std::memcpy(bytes.data() + (offset - it->first), data, n);
      return;
    }
  }
  // Otherwise merge with every range that overlaps the new one.
  std::vector<std::pair<uint64_t, std::string>> merged;
  while (it != ranges.end() && it->first < end) {
    start = std::min(start, it->first);
    end = std::max<uint64_t>(end, it->first + it->second.size());
    merged.emplace_back(it->first, std::move(it->second));
    it = ranges.erase(it);
  }
  std::string bytes(end - start, '\0');
  for (auto& [at, old] : merged) std::memcpy(bytes.data() + (at - start), old.data(), old.size());
  std::memcpy(bytes.data() + (offset - start), data, n);
  ranges.emplace(start, std::move(bytes));
}

pdx_code Transaction::Read(int file, uint64_t offset, void* data, size_t n) {
  size_t got = 0;
  if (pdx_code code = files_[file]->ReadAt(offset, data, n, &got); code != PDX_OK) return code;
  if (pending_size_[file] >= 0 && offset + got > static_cast<uint64_t>(pending_size_[file]))
    got = offset >= static_cast<uint64_t>(pending_size_[file]) ? 0 : pending_size_[file] - offset;
  std::memset(static_cast<char*>(data) + got, 0, n - got);
  for (const auto& [at, bytes] : pending_[file]) {
    uint64_t from = std::max(at, offset);
    uint64_t to = std::min<uint64_t>(at + bytes.size(), offset + n);
    if (from < to)
      std::memcpy(static_cast<char*>(data) + (from - offset), bytes.data() + (from - at),
                  to - from);
  }
  return PDX_OK;
}

pdx_code Transaction::Size(int file, uint64_t* size) {
  if (pdx_code code = files_[file]->Size(size); code != PDX_OK) return code;
  if (pending_size_[file] >= 0) *size = pending_size_[file];
  if (!pending_[file].empty()) {
    const auto& [at, bytes] = *pending_[file].rbegin();
    *size = std::max<uint64_t>(*size, at + bytes.size());
  }
  return PDX_OK;
}

pdx_code Transaction::BuildJournal(std::string* out) {
  std::vector<uint64_t> sizes(files_.size(), kUntouched);
  for (size_t i = 0; i < files_.size(); ++i) {
    if (pending_[i].empty() && pending_size_[i] < 0) continue;
    if (pdx_code code = files_[i]->Size(&sizes[i]); code != PDX_OK) return code;
  }
  struct Saved {
    uint32_t file;
    uint64_t at;
    uint32_t length;
  };
  std::vector<Saved> saved;
  constexpr size_t kEntryHeader = 4 + 8 + 4;
  size_t body_size = files_.size() * 8;
  for (size_t i = 0; i < files_.size(); ++i) {
    auto save = [&](uint64_t at, uint64_t size) {
      if (at >= sizes[i]) return;  // new bytes: undone by cutting the file
      const auto length = static_cast<uint32_t>(std::min<uint64_t>(size, sizes[i] - at));
      saved.push_back({static_cast<uint32_t>(i), at, length});
      body_size += kEntryHeader + length;
    };
    for (const auto& [at, bytes] : pending_[i]) save(at, bytes.size());
    // A cut saves the tail it removes (beyond the ranges written anyway).
    if (pending_size_[i] >= 0) save(pending_size_[i], ~0ull);
  }
  // Built in place, in one allocation, however many blocks a bulk load's
  // group touched; the body's length and checksum are filled in last.
  out->clear();
  out->reserve(kHeaderSize + body_size);
  out->assign(kMagic, 8);
  Put<uint32_t>(out, static_cast<uint32_t>(files_.size()));
  Put<uint32_t>(out, static_cast<uint32_t>(saved.size()));
  Put<uint64_t>(out, body_size);
  Put<uint64_t>(out, 0);
  for (uint64_t size : sizes) Put<uint64_t>(out, size);
  for (const Saved& entry : saved) {
    Put<uint32_t>(out, entry.file);
    Put<uint64_t>(out, entry.at);
    Put<uint32_t>(out, entry.length);
    const size_t start = out->size();
    out->resize(start + entry.length);
    size_t got = 0;
    if (pdx_code code =
            files_[entry.file]->ReadAt(entry.at, out->data() + start, entry.length, &got);
        code != PDX_OK)
      return code;
  }
  std::string checksum;
  Put<uint64_t>(&checksum, Checksum(out->data() + kHeaderSize, body_size));
  out->replace(kHeaderSize - 8, 8, checksum);
  return PDX_OK;
}

pdx_code Transaction::Apply() {
  for (size_t i = 0; i < files_.size(); ++i)
    if (pending_size_[i] >= 0)
      if (pdx_code code = files_[i]->Truncate(pending_size_[i]); code != PDX_OK) return code;
  for (size_t i = 0; i < files_.size(); ++i)
    for (const auto& [at, bytes] : pending_[i])
      if (pdx_code code = files_[i]->WriteAt(at, bytes.data(), bytes.size()); code != PDX_OK)
        return code;
  if (journal_->sync())
    for (size_t i = 0; i < files_.size(); ++i)
      if (!pending_[i].empty() || pending_size_[i] >= 0)
        if (pdx_code code = files_[i]->Sync(); code != PDX_OK) return code;
  return PDX_OK;
}

pdx_code Transaction::Commit() {
  if (empty()) return PDX_OK;
  std::string journal_bytes;
  pdx_code code = BuildJournal(&journal_bytes);
  if (code == PDX_OK) code = journal_->Write(journal_bytes);
  if (code != PDX_OK) {
    // No table file has changed; a half-written journal fails its checksum.
    if (journal_->file_) journal_->Clear();
    Abandon();
    return code;
  }
  code = Apply();
  if (code != PDX_OK) {
    // Put the table back now; should that fail too, the journal stays and
    // the next writer rolls it back.
    if (UndoFromJournal(journal_bytes, files_, journal_->sync()) == PDX_OK) journal_->Clear();
    Abandon();
    return code;
  }
  Abandon();
  code = journal_->Clear();
  if (code != PDX_OK && UndoFromJournal(journal_bytes, files_, journal_->sync()) == PDX_OK)
    journal_->Clear();
  return code;
}

void Transaction::Abandon() {
  for (auto& ranges : pending_) ranges.clear();
  std::fill(pending_size_.begin(), pending_size_.end(), -1);
}

}  // namespace pdx
