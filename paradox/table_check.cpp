#include "table_check.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "blob_file.h"
#include "block_cache.h"
#include "byte_order.h"
#include "error_context.h"
#include "field_codec.h"
#include "pdx_codes.h"
#include "secondary_index.h"
#include "secondary_index_check.h"
#include "table_files.h"
#include "val_file.h"

namespace pdx {
namespace {

// Validity-check files are a few kilobytes; anything far larger is not one.
constexpr uint64_t kMaxValFileSize = 16u << 20;
// The primary index is small next to its table; a modest cache is enough.
constexpr size_t kIndexCacheBytes = 1u << 20;
// Index trees are shallow; a deeper one is damaged.
constexpr int kMaxIndexLevels = 16;
// An index entry: the key, then block number, count and a reserved word.
constexpr int kIndexEntryTail = 6;

std::string Describe(pdx_code code) {
  std::string text = CodeText(code);
  if (text.empty()) text = "engine code " + std::to_string(code);
  // Drop the trailing full stop so the text reads inside a sentence.
  if (!text.empty() && text.back() == '.') text.pop_back();
  const std::vector<std::string>& context = ErrorContext();
  for (const std::string& line : context) {
    if (line.rfind("File: ", 0) != 0) text += ": " + line;
  }
  return text;
}

// One block of the chain as the walk saw it.
struct ChainBlock {
  uint16_t block;
  int count;
  std::vector<uint8_t> first_key;
};

class Checker {
 public:
  Checker(FileSystem* fs, Table* table, std::vector<std::string>* problems)
      : fs_(fs), table_(table), data_(table->data()), h_(table->header()), problems_(problems) {}

  pdx_code Run() {
    CheckFileLength();
    CheckFreeList();
    const size_t before_chain = found_;
    if (pdx_code rc = WalkChain(); rc != PDX_OK) return rc;
    // Only a whole walk names every value the rows own.
    rows_complete_ = found_ == before_chain;
    if (h_.IsKeyed()) CheckPrimaryIndex();
    const bool has_blobs = std::any_of(h_.fields.begin(), h_.fields.end(),
                                       [](const Field& f) { return IsBlobType(f.type); });
    if (has_blobs && !table_->CompanionPath(kBlobExtension).empty() && OpenBlobFile())
      CheckBlobBlocks();
    CheckValFile();
    if (rows_complete_) CheckSecondaryIndexes();
    if (left_out_ > 0) {
      problems_->push_back(std::to_string(left_out_) + " more problems not shown");
    }
    return PDX_OK;
  }

  size_t total() const { return found_; }
  const BlobSpace& space() const { return space_; }

 private:
  void Problem(const std::string& line) {
    ++found_;
    if (problems_->size() < kMaxCheckProblems) {
      problems_->push_back(line);
    } else {
      ++left_out_;
    }
  }

  // Engine calls below leave context lines behind when they fail; the check
  // reports them itself and goes on, so they must not pile up.
  struct ContextMark {
    size_t mark = ErrorContext().size();
    ~ContextMark() { TruncateErrorContext(mark); }
  };

  void CheckFileLength() {
    const uint64_t needed = h_.header_size + uint64_t{h_.file_blocks} * h_.BlockSize();
    if (data_->length() < needed) {
      Problem("the data file holds " + std::to_string(data_->length()) + " bytes; its " +
              std::to_string(h_.file_blocks) + " blocks need " + std::to_string(needed));
    }
    if (h_.used_blocks > h_.file_blocks) {
      Problem("the header counts " + std::to_string(h_.used_blocks) + " blocks in use of " +
              std::to_string(h_.file_blocks) + " in the file");
    }
  }

  // Free blocks are linked through their next-block field from the header.
  void CheckFreeList() {
    in_free_list_.assign(h_.file_blocks + 1u, 0);
    uint32_t block = h_.first_free_block;
    while (block != 0) {
      if (block > h_.file_blocks) {
        Problem("the free list names block " + std::to_string(block) + ", outside the file");
        return;
      }
      if (in_free_list_[block]) {
        Problem("the free list returns to block " + std::to_string(block));
        return;
      }
      in_free_list_[block] = 1;
      ContextMark mark;
      std::vector<uint8_t> bytes;
      if (data_->ReadBlockStart(block, kBlockHeaderLength, &bytes) != PDX_OK ||
          bytes.size() < kBlockHeaderLength) {
        Problem("free block " + std::to_string(block) + " cannot be read");
        return;
      }
      block = LoadLe16(bytes.data());
    }
  }

  pdx_code WalkChain() {
    std::vector<uint8_t> visited(h_.file_blocks + 1u, 0);
    std::vector<uint8_t> previous_key;
    int64_t rows = 0;
    uint32_t blocks = 0;
    uint32_t previous = 0;
    uint32_t block = h_.first_block;
    if (h_.first_block == 0 && h_.record_count != 0) {
      Problem("the header counts " + std::to_string(h_.record_count) +
              " records but names no first block");
    }
    while (block != 0) {
      const std::string where = "block " + std::to_string(block);
      if (block > h_.file_blocks) {
        Problem("the block chain names block " + std::to_string(block) + " after block " +
                std::to_string(previous) + ", outside the file's " +
                std::to_string(h_.file_blocks) + " blocks");
        break;
      }
      if (visited[block]) {
        Problem("the block chain returns to block " + std::to_string(block) + " after block " +
                std::to_string(previous));
        break;
      }
      visited[block] = 1;
      if (in_free_list_[block]) Problem(where + " is both in the chain and in the free list");
      ContextMark mark;
      BlockView view;
      if (pdx_code rc = data_->ReadBlock(block, &view); rc != PDX_OK) {
        Problem(where + ": " + Describe(rc));
        break;
      }
      const auto last = static_cast<int16_t>(LoadLe16(view.data + 4));
      if (view.count == 0 && last != -h_.record_size) {
        Problem(where + ": its last-record offset " + std::to_string(last) +
                " does not fit its records");
      }
      if (view.prev != previous) {
        Problem(where + ": its previous-block link is " + std::to_string(view.prev) +
                ", the chain comes from " + std::to_string(previous));
      }
      // The view lives only until the next block read; keep what is needed.
      const uint16_t next = view.next;
      const int count = view.count;
      std::vector<uint8_t> records(view.Record(0), view.Record(count));
      if (count > 0) {
        chain_.push_back({static_cast<uint16_t>(block), count,
                          std::vector<uint8_t>(records.begin(), records.begin() + h_.KeyLength())});
      }
      for (int i = 0; i < count; ++i) {
        const uint8_t* record = records.data() + static_cast<size_t>(i) * h_.record_size;
        ++rows;
        if (h_.IsKeyed()) CheckKeyOrder(record, rows, &previous_key);
        CheckBlobs(record, rows);
      }
      ++blocks;
      previous = block;
      block = next;
    }
    if (rows != h_.record_count) {
      Problem("the header counts " + std::to_string(h_.record_count) +
              " records, the chain holds " + std::to_string(rows));
    }
    if (blocks != h_.used_blocks) {
      Problem("the header counts " + std::to_string(h_.used_blocks) +
              " blocks in use, the chain has " + std::to_string(blocks));
    }
    if (previous != h_.last_block) {
      Problem("the header names block " + std::to_string(h_.last_block) +
              " as the last, the chain ends at " + std::to_string(previous));
    }
    return PDX_OK;
  }

  void CheckKeyOrder(const uint8_t* record, int64_t row, std::vector<uint8_t>* previous_key) {
    if (!previous_key->empty()) {
      const int order =
          table_->key_compare().Compare(previous_key->data(), record, h_.key_fields, 0);
      if (order > 0) {
        Problem("row " + std::to_string(row) + ": its key sorts before the row above it");
      } else if (order == 0) {
        Problem("row " + std::to_string(row) + ": its key repeats the row above it");
      }
    }
    previous_key->assign(record, record + h_.record_size);
  }

  void CheckBlobs(const uint8_t* record, int64_t row) {
    for (const Field& field : h_.fields) {
      if (!IsBlobType(field.type)) continue;
      const BlobPointer pointer = ParseBlobPointer(record + field.offset, field.length);
      if (pointer.length <= static_cast<uint32_t>(field.LeaderLength())) continue;
      const std::string where = "row " + std::to_string(row) + ", field " + field.name;
      if (!OpenBlobFile()) {
        Problem(where + ": its value needs the blob file");
        continue;
      }
      ContextMark mark;
      BlobValue value;
      if (pdx_code rc = LocateBlobValue(blob_file_, field, record, &value); rc != PDX_OK) {
        Problem(where + ": " + Describe(rc) + " (its blob pointer names no live value of " +
                std::to_string(pointer.length) + " bytes)");
        continue;
      }
      const auto claim = std::make_pair(pointer.block_offset, pointer.index);
      auto [it, fresh] = claimed_.emplace(claim, row);
      if (!fresh) {
        Problem(where + ": its blob is also the value of row " + std::to_string(it->second));
      }
      // The leader repeats the value's first bytes.
      const size_t leader = std::min<size_t>(field.LeaderLength(), value.length);
      std::vector<uint8_t> start(leader);
      size_t got = 0;
      if (ReadBlobValue(blob_file_, field, record, value, 0, start.data(), leader, &got) !=
              PDX_OK ||
          got != leader) {
        Problem(where + ": its value cannot be read from the blob file");
      } else if (leader > 0 && std::memcmp(start.data(), record + field.offset, leader) != 0) {
        Problem(where + ": its leader differs from the start of its value");
      }
    }
  }

  bool OpenBlobFile() {
    if (!blob_file_tried_) {
      blob_file_tried_ = true;
      ContextMark mark;
      if (pdx_code rc = table_->Blobs(&blob_file_); rc != PDX_OK) {
        blob_file_ = nullptr;
        Problem("blob file: " + Describe(rc));
      }
    }
    return blob_file_ != nullptr;
  }

  // Every block of the blob file, walked by the lengths in their headers.
  // Values no row names are counted apart once the rows were all seen: they
  // waste space, but the original engine leaves such values behind too.
  void CheckBlobBlocks() {
    ContextMark mark;
    for (uint64_t offset = kBlobUnit; offset < blob_file_->size();) {
      BlobBlockHeader header;
      if (blob_file_->ReadBlockHeader(offset, &header) != PDX_OK) {
        Problem("blob file: the block at offset " + std::to_string(offset) +
                " has a length that does not fit the file");
        return;
      }
      const std::string where = "blob file: the block at offset " + std::to_string(offset);
      const auto type = static_cast<BlobBlockType>(header.type);
      if (type == BlobBlockType::kSingle) {
        if (rows_complete_ && !claimed_.count({static_cast<uint32_t>(offset), kSingleBlobIndex}))
          Unnamed(uint64_t{header.units} * kBlobUnit);
      } else if (type == BlobBlockType::kSuballocated) {
        CheckSlots(offset, header.units, where);
      } else if (type != BlobBlockType::kFree) {
        Problem(where + " is of unknown kind " + std::to_string(header.type));
      }
      offset += uint64_t{header.units} * kBlobUnit;
    }
  }

  void Unnamed(uint64_t bytes) {
    ++space_.unnamed_values;
    space_.unnamed_bytes += bytes;
  }

  // A sub-allocated block's live slots keep their data apart and inside it.
  void CheckSlots(uint64_t offset, uint32_t units, const std::string& where) {
    const uint8_t* unit = nullptr;
    if (units != 1 || blob_file_->ReadUnit(offset, &unit) != PDX_OK) {
      Problem(where + " is sub-allocated but not one unit long");
      return;
    }
    std::vector<std::pair<uint32_t, int>> used;  // first chunk, slot
    std::vector<uint32_t> ends(kBlobSlots, 0);
    for (int i = 0; i < kBlobSlots; ++i) {
      const BlobSlot slot = ParseBlobSlot(unit, i);
      if (slot.chunk == 0 || slot.chunks == 0 || slot.last_chunk_bytes == 0) continue;
      const std::string at = where + ", slot " + std::to_string(i);
      if (slot.chunk < kFirstDataChunk || uint32_t{slot.chunk} + slot.chunks > kChunksPerUnit) {
        Problem(at + ": its data lies outside the block's data area");
        continue;
      }
      used.emplace_back(slot.chunk, i);
      ends[i] = uint32_t{slot.chunk} + slot.chunks;
      if (rows_complete_ && !claimed_.count({static_cast<uint32_t>(offset), uint8_t(i)}))
        Unnamed(uint64_t{slot.chunks} * kBlobChunk);
    }
    std::sort(used.begin(), used.end());
    for (size_t k = 1; k < used.size(); ++k) {
      if (used[k].first < ends[used[k - 1].second])
        Problem(where + ", slots " + std::to_string(used[k - 1].second) + " and " +
                std::to_string(used[k].second) + ": their data overlap");
    }
  }

  // The primary index, walked by its own tree rather than trusted as a
  // whole: every entry of an upper level must carry its child's first key
  // and the sum of its child's counts, and the leaf entries must name the
  // chain's blocks in order with their counts and first keys.
  void CheckPrimaryIndex() {
    const std::string path = table_->CompanionPath(kPrimaryIndexExtension);
    if (path.empty()) {
      Problem("the table is keyed but its primary index (.PX) is missing");
      return;
    }
    ContextMark mark;
    if (pdx_code rc = BlockFile::Open(fs_, path, OpenMode::kRead, &index_cache_, &index_);
        rc != PDX_OK) {
      Problem("primary index: " + Describe(rc));
      return;
    }
    const TableHeader& ih = index_->header();
    index_->set_key(ih.EncryptionKey());
    bool fits = ih.kind() == FileKind::kPrimaryIndex && ih.num_fields == h_.key_fields &&
                ih.record_size == h_.KeyLength() + kIndexEntryTail;
    for (int i = 0; fits && i < h_.key_fields; ++i) {
      fits = ih.fields[i].type == h_.fields[i].type && ih.fields[i].length == h_.fields[i].length;
    }
    if (!fits) {
      Problem("primary index: its entries do not fit the table's key");
      return;
    }
    if (chain_.empty() && ih.index_levels == 0) return;
    if (ih.index_levels == 0 || ih.index_levels > kMaxIndexLevels) {
      Problem("primary index: its tree has " + std::to_string(ih.index_levels) + " levels");
      return;
    }
    index_visited_.assign(ih.file_blocks + 1u, 0);
    Subtree root;
    if (WalkIndexBlock(ih.index_root, ih.index_levels, &root)) CompareLeavesWithChain();
  }

  struct Subtree {
    std::vector<uint8_t> first_key;
    int64_t rows = 0;
  };

  // False when the walk had to stop.
  bool WalkIndexBlock(uint32_t block, int level, Subtree* subtree) {
    const TableHeader& ih = index_->header();
    const std::string where = "primary index, block " + std::to_string(block);
    if (block == 0 || block > ih.file_blocks) {
      Problem("primary index: an entry names block " + std::to_string(block) +
              ", outside the index's " + std::to_string(ih.file_blocks) + " blocks");
      return false;
    }
    if (index_visited_[block]) {
      Problem(where + " is reached twice");
      return false;
    }
    index_visited_[block] = 1;
    ContextMark mark;
    BlockView view;
    if (pdx_code rc = index_->ReadBlock(block, &view); rc != PDX_OK) {
      Problem(where + ": " + Describe(rc));
      return false;
    }
    if (view.count == 0) {
      Problem(where + " holds no entries");
      return false;
    }
    const int key_length = h_.KeyLength();
    std::vector<uint8_t> entries(view.Record(0), view.Record(view.count));
    for (int i = 0; i < view.count; ++i) {
      const uint8_t* entry = entries.data() + static_cast<size_t>(i) * ih.record_size;
      // Block numbers are unsigned: tables past 32767 blocks exist.
      const int64_t child = DecodeInteger(entry + key_length, 2) & 0xFFFF;
      const int64_t count = DecodeInteger(entry + key_length + 2, 2);
      if (i == 0) subtree->first_key.assign(entry, entry + key_length);
      if (i > 0 &&
          table_->key_compare().Compare(entry - ih.record_size, entry, h_.key_fields, 0) >= 0) {
        Problem(where + ": entry " + std::to_string(i + 1) + " is not above the entry before it");
      }
      if (level == 1) {
        subtree->rows += count;
        leaves_.push_back({static_cast<uint16_t>(std::clamp<int64_t>(child, 0, UINT16_MAX)),
                           static_cast<int>(count),
                           std::vector<uint8_t>(entry, entry + key_length)});
        continue;
      }
      Subtree below;
      if (!WalkIndexBlock(static_cast<uint32_t>(std::clamp<int64_t>(child, 0, UINT32_MAX)),
                          level - 1, &below)) {
        return false;
      }
      subtree->rows += below.rows;
      const bool saturated = count == kMaxIndexCount && below.rows > kMaxIndexCount;
      if (below.rows != count && !saturated) {
        Problem(where + ", entry " + std::to_string(i + 1) + ": counts " + std::to_string(count) +
                " rows, the block below holds " + std::to_string(below.rows));
      }
      if (below.first_key != std::vector<uint8_t>(entry, entry + key_length)) {
        Problem(where + ", entry " + std::to_string(i + 1) +
                ": its key differs from the first key of the block below");
      }
    }
    return true;
  }

  void CompareLeavesWithChain() {
    if (leaves_.size() != chain_.size()) {
      Problem("primary index: it names " + std::to_string(leaves_.size()) +
              " data blocks, the chain has " + std::to_string(chain_.size()) +
              " that hold records");
    }
    const size_t common = std::min(leaves_.size(), chain_.size());
    for (size_t i = 0; i < common; ++i) {
      const ChainBlock& walked = chain_[i];
      const ChainBlock& entry = leaves_[i];
      const std::string where = "primary index, data entry " + std::to_string(i + 1);
      if (entry.block != walked.block) {
        Problem(where + ": names block " + std::to_string(entry.block) + ", the chain has block " +
                std::to_string(walked.block));
        continue;
      }
      if (entry.count != walked.count) {
        Problem(where + ": counts " + std::to_string(entry.count) + " records in block " +
                std::to_string(walked.block) + ", which holds " + std::to_string(walked.count));
      }
      if (entry.first_key != walked.first_key) {
        Problem(where + ": its key differs from the first key of block " +
                std::to_string(walked.block));
      }
    }
  }

  // Each secondary index must hold exactly the rows the table's rows make,
  // in its order, with the right block hints.
  void CheckSecondaryIndexes() {
    std::vector<SecondaryIndex> indexes;
    std::vector<std::string> unreadable;
    if (FindSecondaryIndexes(fs_, table_->path(), h_, &indexes, &unreadable) != PDX_OK) return;
    for (const std::string& problem : unreadable) Problem("secondary index " + problem);
    if (indexes.empty()) return;
    // The rows and their blocks, walked again: a table with secondary
    // indexes is small enough for that.
    std::vector<std::string> rows;
    std::vector<TableRow> table_rows;
    for (const ChainBlock& walked : chain_) {
      BlockView view;
      if (data_->ReadBlock(walked.block, &view) != PDX_OK) return;
      for (int i = 0; i < view.count; ++i) {
        rows.emplace_back(reinterpret_cast<const char*>(view.Record(i)), h_.record_size);
        table_rows.push_back({walked.block, nullptr});
      }
    }
    for (size_t i = 0; i < rows.size(); ++i)
      table_rows[i].data = reinterpret_cast<const uint8_t*>(rows[i].data());
    for (const SecondaryIndex& index : indexes) {
      const std::string name = "secondary index " + FileNameOf(index.x_path);
      if (!index.maintained) continue;  // brought up to date when used, not at each change
      if (index.y_path.empty()) Problem(name + ": its companion file is missing");
      std::vector<std::string> stored;
      std::string why;
      if (!ReadIndexRows(fs_, index, &stored, &why)) {
        Problem(name + ": " + why);
        continue;
      }
      bool duplicate = false;
      std::vector<std::string> expected = ExpectedIndexRows(index, h_, table_rows, &duplicate);
      // Hints (the table block of each row) may be stale in files of other
      // engines, which find the row by its key then; they are not checked.
      for (std::vector<std::string>* list : {&expected, &stored})
        for (std::string& row : *list) row.resize(row.size() >= 2 ? row.size() - 2 : 0);
      if (!index.WriteRefusal(h_).empty()) {
        // An order the store cannot reproduce exactly (a collation, a
        // composite index on alpha fields, which may hold its values in
        // upper case when it ignores case): the rows are checked, not their
        // order, and their alpha values without regard to case.
        for (std::vector<std::string>* list : {&expected, &stored}) {
          for (std::string& row : *list) FoldIndexedAlpha(index, &row);
          std::sort(list->begin(), list->end());
        }
      }
      if (stored.size() != expected.size()) {
        Problem(name + ": it holds " + std::to_string(stored.size()) + " rows, the table " +
                std::to_string(expected.size()));
      } else if (stored != expected) {
        size_t first = 0;
        while (stored[first] == expected[first]) ++first;
        Problem(name + ": out of date from its row " + std::to_string(first + 1));
      }
      if (index.unique && duplicate) Problem(name + ": a unique index holds a value twice");
      std::vector<std::string> tree;
      CheckSecondaryIndexTree(fs_, index, index.WriteRefusal(h_).empty(), &tree);
      for (const std::string& problem : tree) Problem("secondary index " + problem);
    }
  }

  static void FoldIndexedAlpha(const SecondaryIndex& index, std::string* row) {
    for (size_t i = 0; i < index.fields.size() && i < index.header.fields.size(); ++i) {
      const Field& f = index.header.fields[i];
      if (f.type != FieldType::kAlpha) continue;
      for (int k = 0; k < f.length && f.offset + k < static_cast<int>(row->size()); ++k)
        (*row)[f.offset + k] =
            static_cast<char>(std::toupper(static_cast<uint8_t>((*row)[f.offset + k])));
    }
  }

  void CheckValFile() {
    const std::string path = table_->CompanionPath(kChecksExtension);
    if (path.empty()) return;
    std::unique_ptr<File> file;
    uint64_t size = 0;
    if (fs_->Open(path, OpenMode::kRead, &file) != PDX_OK || file->Size(&size) != PDX_OK) {
      Problem("validity checks (.VAL): the file cannot be read");
      return;
    }
    if (size > kMaxValFileSize) {
      Problem("validity checks (.VAL): the file is " + std::to_string(size) +
              " bytes, far more than checks take");
      return;
    }
    std::vector<uint8_t> bytes(size);
    size_t got = 0;
    if (file->ReadAt(0, bytes.data(), bytes.size(), &got) != PDX_OK || got != size) {
      Problem("validity checks (.VAL): the file cannot be read");
      return;
    }
    ValFile val;
    if (ParseValFile(bytes.data(), bytes.size(), &val, &h_.fields) != PDX_OK) {
      Problem("validity checks (.VAL): " + std::string(CodeText(PDX_ERR_CORRUPT_VAL)));
      return;
    }
    std::vector<FieldCheck> checks;
    if (ResolveChecks(val, h_.fields, h_.structure_count, &checks) != PDX_OK) {
      Problem("validity checks (.VAL): " + std::string(CodeText(PDX_ERR_VAL_OUT_OF_DATE)));
    }
    const size_t records = static_cast<size_t>(std::count_if(
        val.checks.begin(), val.checks.end(), [](const ValCheck& c) { return !c.Empty(); }));
    if (checks.size() != records) {
      Problem("validity checks (.VAL): " + std::to_string(records - checks.size()) +
              " checks name fields the table does not have");
    }
  }

  FileSystem* fs_;
  Table* table_;
  BlockFile* data_;
  const TableHeader& h_;
  std::vector<std::string>* problems_;
  size_t found_ = 0;
  size_t left_out_ = 0;
  std::vector<uint8_t> in_free_list_;
  std::vector<ChainBlock> chain_;
  BlockCache index_cache_{kIndexCacheBytes};
  std::unique_ptr<BlockFile> index_;
  std::vector<uint8_t> index_visited_;
  std::vector<ChainBlock> leaves_;
  BlobFile* blob_file_ = nullptr;
  bool blob_file_tried_ = false;
  std::map<std::pair<uint32_t, uint8_t>, int64_t> claimed_;
  bool rows_complete_ = false;
  BlobSpace space_;
};

}  // namespace

pdx_code CheckTable(FileSystem* fs, Table* table, std::vector<std::string>* problems, size_t* total,
                    BlobSpace* space) {
  Checker checker(fs, table, problems);
  pdx_code rc = checker.Run();
  if (total != nullptr) *total = checker.total();
  if (space != nullptr) *space = checker.space();
  return rc;
}

int CheckCommand(FileSystem* fs, const std::string& directory, const std::string& name,
                 const std::vector<std::string>& passwords, std::string* out, std::string* error) {
  ClearErrorContext();
  Table::Options options;
  options.passwords = passwords;
  std::unique_ptr<Table> table;
  std::vector<std::string> problems;
  size_t total = 0;
  BlobSpace space;
  pdx_code rc = Table::Open(fs, directory, name, options, &table);
  if (rc == PDX_OK) rc = CheckTable(fs, table.get(), &problems, &total, &space);
  if (rc != PDX_OK) {
    *error = name + ": " + OneLine(CodeText(rc), ErrorContext());
    *error += " (engine code " + std::to_string(rc) + ")";
    ClearErrorContext();
    return 2;
  }
  for (const std::string& line : problems) *out += line + "\n";
  if (space.unnamed_values > 0) {
    *out += name + ": " + std::to_string(space.unnamed_values) + " values in the blob file (" +
            std::to_string(space.unnamed_bytes) + " bytes) belong to no row\n";
  }
  if (total == 0) {
    *out += name + ": no problems found\n";
    return 0;
  }
  *out +=
      name + ": " + std::to_string(total) + (total == 1 ? " problem found\n" : " problems found\n");
  return 1;
}

}  // namespace pdx
