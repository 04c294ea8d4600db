// Long memo and blob values written through the table writer and read back
// through the store's reader of the blob file, with the blob file's blocks
// and free space checked after the work.
#include "blob_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include "byte_order.h"
#include "create_table.h"
#include "error_context.h"
#include "field_codec.h"
#include "paradox/testing/memory_file_system.h"
#include "pdx_codes.h"
#include "schema.h"
#include "table.h"
#include "table_check.h"
#include "table_writer.h"

namespace pdx {
namespace {

using testing::MemoryFileSystem;

struct Layout {
  int level;
  bool keyed;
  bool password;
};

// Id, then a memo, a binary blob, a graphic and an OLE field with leaders of
// 10, 20, 10 and 12 bytes.
constexpr int kFields = 4;

class BlobTable : public ::testing::TestWithParam<Layout> {
 protected:
  void SetUp() override { Create(GetParam()); }

  void Create(const Layout& layout) {
    layout_ = layout;
    std::string text = std::string("Id\tS") + (layout.keyed ? "*" : "") +
                       "\nNote\tM10\nBin\tB20\nPic\tG10\nOle\tO12\nlevel " +
                       std::to_string(layout.level / 10) + "." + std::to_string(layout.level % 10) +
                       "\n" + (layout.password ? "password secret\n" : "");
    TableSchema schema;
    std::string error;
    ASSERT_EQ(ParseSchema(text, &schema, &error), PDX_OK) << error;
    ASSERT_EQ(CreateTable(&fs_, "/d", "T", schema, &error), PDX_OK) << error;
    ASSERT_EQ(TableWriter::Open(&fs_, "/d/T.DB", &writer_, &error), PDX_OK) << error;
  }

  const Field& field(int i) const { return writer_->header().fields[i]; }
  BlobPointer Pointer(const std::vector<uint8_t>& row, int f) const {
    return ParseBlobPointer(row.data() + field(f).offset, field(f).length);
  }
  int record_size() const { return writer_->header().record_size; }

  // A row with the given values (empty: blank), held as a caller would.
  std::vector<uint8_t> Row(int id, const std::vector<std::string>& values) {
    std::vector<uint8_t> row(record_size(), 0);
    EncodeInteger(id, row.data(), 2);
    for (int f = 0; f < kFields && f < static_cast<int>(values.size()); ++f)
      EXPECT_EQ(pending_.Put(field(f + 1), row.data(), values[f]), PDX_OK);
    return row;
  }

  pdx_code Insert(int id, const std::vector<std::string>& values) {
    std::vector<uint8_t> row = Row(id, values);
    pdx_code code = writer_->Insert(row.data(), nullptr, &pending_);
    pending_.DropBuffer(row.data());
    return code;
  }

  int64_t NumberOf(int id) {
    if (!layout_.keyed) {
      std::vector<uint8_t> row(record_size());
      for (int64_t n = 1; n <= writer_->RecordCount(); ++n) {
        EXPECT_EQ(writer_->Read(n, row.data()), PDX_OK);
        if (DecodeInteger(row.data(), 2) == id) return n;
      }
      return 0;
    }
    std::vector<uint8_t> key(record_size(), 0);
    EncodeInteger(id, key.data(), 2);
    int64_t number = 0;
    bool found = false;
    EXPECT_EQ(writer_->Locate(key.data(), &number, &found), PDX_OK);
    return found ? number : 0;
  }

  pdx_code Modify(int id, const std::vector<std::string>& values) {
    std::vector<uint8_t> row = Row(id, values);
    pdx_code code = writer_->Modify(NumberOf(id), row.data(), nullptr, &pending_);
    pending_.DropBuffer(row.data());
    return code;
  }

  std::vector<uint8_t> Stored(int id) {
    std::vector<uint8_t> row(record_size());
    EXPECT_EQ(writer_->Read(NumberOf(id), row.data()), PDX_OK);
    return row;
  }

  // The value of field f of the row as the store's reader sees it, with the
  // leader checked against it; "<error N>" when it cannot be read.
  std::string Value(const std::vector<uint8_t>& row, int f) {
    std::unique_ptr<File> file;
    EXPECT_EQ(fs_.Open("/d/T.MB", OpenMode::kRead, &file), PDX_OK);
    BlobFile blobs(std::move(file), writer_->header().EncryptionKey());
    EXPECT_EQ(blobs.Open(), PDX_OK);
    BlobValue value;
    if (pdx_code code = LocateBlobValue(&blobs, field(f), row.data(), &value); code != PDX_OK)
      return "<error " + std::to_string(code) + ">";
    std::string bytes(value.length, '\0');
    size_t got = 0;
    if (pdx_code code =
            ReadBlobValue(&blobs, field(f), row.data(), value, 0, bytes.data(), bytes.size(), &got);
        code != PDX_OK)
      return "<error " + std::to_string(code) + ">";
    const size_t leader = std::min<size_t>(field(f).LeaderLength(), bytes.size());
    EXPECT_EQ(std::memcmp(row.data() + field(f).offset, bytes.data(), leader), 0)
        << "the leader holds the value's first bytes";
    return bytes;
  }

  std::vector<std::string> Values(int id) {
    std::vector<uint8_t> row = Stored(id);
    std::vector<std::string> values;
    for (int f = 1; f <= kFields; ++f) values.push_back(Value(row, f));
    return values;
  }

  uint64_t BlobFileSize() { return fs_.Contents("/d/T.MB").size(); }

  std::vector<std::string> Problems(BlobSpace* space) {
    Table::Options options;
    options.passwords = {"secret"};
    std::unique_ptr<Table> table;
    EXPECT_EQ(Table::Open(&fs_, "/d", "T", options, &table), PDX_OK);
    std::vector<std::string> problems;
    if (table) EXPECT_EQ(CheckTable(&fs_, table.get(), &problems, nullptr, space), PDX_OK);
    ClearErrorContext();
    return problems;
  }

  // The check finds nothing wrong, and no value is left that no row names.
  void ExpectSound() {
    BlobSpace space;
    for (const std::string& problem : Problems(&space)) ADD_FAILURE() << problem;
    EXPECT_EQ(space.unnamed_values, 0) << "space lost in the blob file";
  }

  Layout layout_;
  MemoryFileSystem fs_;
  std::unique_ptr<TableWriter> writer_;
  PendingBlobs pending_;
};

std::string Bytes(size_t length, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(length, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// The leader's length and one past it, the small-blob threshold and one
// past it, a single unit filled exactly and one byte more, and several units.
const size_t kEdgeLengths[] = {0, 1, 10, 11, 2047, 2048, 2049, 4087, 4088, 8192, 12388, 70000};

TEST_P(BlobTable, ValuesAtTheEdgesReadBackWholeAndGoWhenTheirRowsGo) {
  int id = 0;
  for (size_t length : kEdgeLengths) {
    ++id;
    std::vector<std::string> values = {Bytes(length, id), Bytes(length, id + 100),
                                       Bytes(length, id + 200), Bytes(length, id + 300)};
    ASSERT_EQ(Insert(id, values), PDX_OK) << length << ": " << writer_->last_error();
    EXPECT_EQ(Values(id), values) << length;
    const BlobPointer memo = Pointer(Stored(id), 1);
    if (length <= 10) {
      EXPECT_EQ(memo.block_offset, 0u) << "a value that fits the leader stays in the record";
    } else {
      EXPECT_EQ(memo.index == kSingleBlobIndex, length > 2048) << length;
    }
    if (length > 10)
      EXPECT_EQ(Pointer(Stored(id), 3).length, length + kTypePrefixLength)
          << "the type prefix counts";
  }
  ExpectSound();
  // Every value changes its size: grown, shrunk, moved between block kinds.
  for (int i = 1; i <= id; ++i) {
    const size_t length = kEdgeLengths[(i * 5) % id];
    std::vector<std::string> values = {Bytes(length, i + 1000), "", Bytes(length / 2, i + 2000),
                                       Bytes(length + 3, i + 3000)};
    ASSERT_EQ(Modify(i, values), PDX_OK) << writer_->last_error();
    EXPECT_EQ(Values(i), values);
  }
  ExpectSound();
  while (writer_->RecordCount() > 0) ASSERT_EQ(writer_->Delete(1), PDX_OK);
  EXPECT_EQ(BlobFileSize(), kBlobUnit) << "every block freed, the file is its header again";
  ExpectSound();
}

TEST_P(BlobTable, ReplacingAValueByOneOfItsSizeReusesItsSpace) {
  for (size_t length : {300u, 5000u}) {
    ASSERT_EQ(Insert(1, {Bytes(length, 1)}), PDX_OK);
    const uint64_t size = BlobFileSize();
    for (uint32_t round = 0; round < 50; ++round) {
      ASSERT_EQ(Modify(1, {Bytes(length, round)}), PDX_OK);
      ASSERT_EQ(BlobFileSize(), size) << length << ", round " << round;
    }
    EXPECT_EQ(Values(1)[0], Bytes(length, 49));
    ASSERT_EQ(writer_->Delete(1), PDX_OK);
  }
}

TEST_P(BlobTable, AnUnchangedValueKeepsItsPlaceAndACopiedOneGetsItsOwn) {
  const std::string memo = Bytes(3000, 1), small = Bytes(100, 2);
  ASSERT_EQ(Insert(1, {memo, small}), PDX_OK);
  std::vector<uint8_t> row = Stored(1);
  const std::string modifications = fs_.Contents("/d/T.MB").substr(3, 2);
  // The row as read, with the binary value cut to fit the leader: the memo
  // is kept, the small value freed.
  std::vector<uint8_t> changed = row;
  BlobPointer cut;
  cut.length = 4;
  StoreBlobPointer(cut, changed.data() + field(2).offset, field(2).length);
  ASSERT_EQ(writer_->Modify(NumberOf(1), changed.data(), nullptr), PDX_OK);
  std::vector<uint8_t> after = Stored(1);
  EXPECT_EQ(
      std::memcmp(after.data() + field(1).offset, row.data() + field(1).offset, field(1).length),
      0);
  if (!GetParam().password)
    EXPECT_EQ(fs_.Contents("/d/T.MB").substr(3, 2), modifications) << "nothing was written anew";
  EXPECT_EQ(Values(1), (std::vector<std::string>{memo, small.substr(0, 4), "", ""}));

  // Another row made from this one's bytes shares nothing with it.
  std::vector<uint8_t> copy = after;
  EncodeInteger(2, copy.data(), 2);
  ASSERT_EQ(writer_->Insert(copy.data(), nullptr), PDX_OK);
  EXPECT_NE(Pointer(Stored(2), 1).block_offset | Pointer(Stored(2), 1).index,
            Pointer(after, 1).block_offset | Pointer(after, 1).index);
  ASSERT_EQ(writer_->Delete(NumberOf(1)), PDX_OK);
  EXPECT_EQ(Values(2)[0], memo);
  ExpectSound();
}

// Small values fill a sub-allocated block; every other one goes, and a
// value bigger than any single gap still fits once the others move together.
TEST_P(BlobTable, ScatteredRoomInASubAllocatedBlockIsGatheredUp) {
  for (int id = 1; id <= 15; ++id) ASSERT_EQ(Insert(id, {Bytes(200, id)}), PDX_OK);
  const uint64_t size = BlobFileSize();
  EXPECT_EQ(size, 2u * kBlobUnit) << "fifteen values of 200 bytes share one block";
  for (int id = 2; id <= 15; id += 2) ASSERT_EQ(writer_->Delete(NumberOf(id)), PDX_OK);
  ASSERT_EQ(Insert(100, {Bytes(1000, 100)}), PDX_OK);
  EXPECT_EQ(BlobFileSize(), size);
  for (int id = 1; id <= 15; id += 2) EXPECT_EQ(Values(id)[0], Bytes(200, id)) << id;
  EXPECT_EQ(Values(100)[0], Bytes(1000, 100));
  ExpectSound();
}

TEST_P(BlobTable, RandomWorkKeepsEveryValueAndTheBlobFileSound) {
  std::mt19937 random(GetParam().level + GetParam().keyed);
  std::map<int, std::vector<std::string>> model;
  auto random_values = [&] {
    std::vector<std::string> values;
    for (int f = 0; f < kFields; ++f) {
      const int kind = random() % 6;
      const size_t length = kind == 0   ? 0
                            : kind < 4  ? random() % 600
                            : kind == 4 ? 2000 + random() % 100
                                        : random() % 20000;
      values.push_back(Bytes(length, random()));
    }
    return values;
  };
  for (int step = 0; step < 300; ++step) {
    const int id = 1 + random() % 60;
    const int action = random() % 3;
    if (!model.count(id)) {
      std::vector<std::string> values = random_values();
      ASSERT_EQ(Insert(id, values), PDX_OK) << writer_->last_error();
      model[id] = values;
    } else if (action == 0) {
      ASSERT_EQ(writer_->Delete(NumberOf(id)), PDX_OK);
      model.erase(id);
    } else {
      std::vector<std::string> values = random_values();
      ASSERT_EQ(Modify(id, values), PDX_OK) << writer_->last_error();
      model[id] = values;
    }
    if (step % 50 == 49) {
      for (const auto& [key, values] : model) ASSERT_EQ(Values(key), values) << key;
      ExpectSound();
      if (HasFailure()) return;
    }
  }
  // A second writer learns the free space from the file and reuses it.
  std::unique_ptr<TableWriter> other;
  std::string error;
  ASSERT_EQ(TableWriter::Open(&fs_, "/d/T.DB", &other, &error), PDX_OK) << error;
  writer_ = std::move(other);
  for (const auto& [key, values] : model) ASSERT_EQ(Modify(key, values), PDX_OK);
  for (const auto& [key, values] : model) ASSERT_EQ(Values(key), values) << key;
  ExpectSound();
}

INSTANTIATE_TEST_SUITE_P(Levels, BlobTable,
                         ::testing::Values(Layout{40, true, false}, Layout{50, false, false},
                                           Layout{70, true, false}, Layout{70, true, true}),
                         [](const auto& test_case) {
                           return "L" + std::to_string(test_case.param.level) +
                                  (test_case.param.keyed ? "_keyed" : "_unkeyed") +
                                  (test_case.param.password ? "_protected" : "");
                         });

class BlobTableFaults : public BlobTable {};

// Power fails after every possible number of writes of a change that frees,
// reuses and appends blob space: the table comes back as it was before the
// change or, when the change answered success, as after it.
TEST_P(BlobTableFaults, ACrashAtAnyWriteLeavesTheOldOrTheNewValues) {
  const std::vector<std::string> before = {Bytes(9000, 1), Bytes(500, 2), Bytes(30, 3), ""};
  const std::vector<std::string> after = {Bytes(300, 4), Bytes(20000, 5), "", Bytes(2100, 6)};
  bool saw_old = false, saw_new = false;
  for (long budget = 0;; ++budget) {
    writer_.reset();
    fs_ = MemoryFileSystem();
    Create(GetParam());
    ASSERT_EQ(Insert(1, before), PDX_OK);
    ASSERT_EQ(Insert(2, after), PDX_OK);
    fs_.FailWritesAfter(budget);
    pdx_code code = Modify(1, after);
    if (code == PDX_OK) code = writer_->Delete(NumberOf(2));
    writer_.reset();
    fs_.Crash();
    fs_.FailWritesAfter(-1);
    std::string error;
    ASSERT_EQ(TableWriter::Open(&fs_, "/d/T.DB", &writer_, &error), PDX_OK) << error;
    ExpectSound();
    if (code == PDX_OK) {
      EXPECT_EQ(Values(1), after);
      EXPECT_EQ(NumberOf(2), 0);
      saw_new = true;
      break;
    }
    const std::vector<std::string> now = Values(1);
    EXPECT_TRUE(now == before || now == after) << "after " << budget << " writes";
    if (now == before) saw_old = true;
    if (NumberOf(2) != 0) EXPECT_EQ(Values(2), after) << budget;
    if (HasFailure()) return;
  }
  EXPECT_TRUE(saw_old && saw_new);
}

INSTANTIATE_TEST_SUITE_P(Levels, BlobTableFaults,
                         ::testing::Values(Layout{70, true, false}, Layout{50, false, true}),
                         [](const auto& test_case) {
                           return "L" + std::to_string(test_case.param.level) +
                                  (test_case.param.keyed ? "_keyed" : "_unkeyed") +
                                  (test_case.param.password ? "_protected" : "");
                         });

class BlobCheck : public BlobTable {
 protected:
  void SetUp() override { Create({70, true, false}); }
};

// The check's witness of the blob file: a value whose row forgot it is
// counted, slots whose data overlap are a problem.
TEST_F(BlobCheck, ValuesNoRowNamesAndOverlappingSlotsAreFound) {
  ASSERT_EQ(Insert(1, {Bytes(100, 1)}), PDX_OK);
  ASSERT_EQ(Insert(2, {Bytes(200, 2), "", "", Bytes(9000, 3)}), PDX_OK);
  ExpectSound();
  std::string mb = fs_.Contents("/d/T.MB");
  const uint8_t* unit = reinterpret_cast<const uint8_t*>(mb.data()) + kBlobUnit;
  const BlobSlot first = ParseBlobSlot(unit, 63), second = ParseBlobSlot(unit, 62);
  ASSERT_EQ(second.chunk, first.chunk + first.chunks) << "the second value follows the first";
  mb[kBlobUnit + kSlotTableOffset + kSlotLength * 62] = static_cast<char>(first.chunk + 1);
  fs_.SetContents("/d/T.MB", mb);
  BlobSpace space;
  std::vector<std::string> problems = Problems(&space);
  ASSERT_EQ(problems.size(), 2u) << "the overlap, and the second row's leader";
  EXPECT_NE(problems[1].find("slots 63 and 62: their data overlap"), std::string::npos)
      << problems[1];

  // Row 1 forgets its value: the blob file is sound, with one value no row names.
  std::string db = fs_.Contents("/d/T.DB");
  const std::vector<uint8_t> row = Stored(1);
  const std::string pointer(reinterpret_cast<const char*>(row.data()) + field(1).offset + 10, 10);
  const size_t at = db.find(pointer);
  ASSERT_NE(at, std::string::npos);
  db.replace(at, 10, std::string(10, '\0'));
  fs_.SetContents("/d/T.DB", db);
  mb[kBlobUnit + kSlotTableOffset + kSlotLength * 62] = static_cast<char>(second.chunk);
  fs_.SetContents("/d/T.MB", mb);
  EXPECT_TRUE(Problems(&space).empty());
  EXPECT_EQ(space.unnamed_values, 1);
  EXPECT_EQ(space.unnamed_bytes, 7u * kBlobChunk);
}

TEST(BlobFileMissing, LongValuesAreRefusedAndTheFileIsNotMadeAfresh) {
  MemoryFileSystem fs;
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Id\tS*\nNote\tM10\n", &schema, &error), PDX_OK);
  ASSERT_EQ(CreateTable(&fs, "/d", "T", schema, &error), PDX_OK) << error;
  ASSERT_EQ(fs.Remove("/d/T.MB"), PDX_OK);
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(&fs, "/d/T.DB", &writer, &error), PDX_OK) << error;
  PendingBlobs pending;
  std::vector<uint8_t> row(writer->header().record_size, 0);
  EncodeInteger(1, row.data(), 2);
  ASSERT_EQ(pending.Put(writer->header().fields[1], row.data(), std::string(50, 'x')), PDX_OK);
  EXPECT_EQ(writer->Insert(row.data(), nullptr, &pending), PDX_ERR_BLOB_FILE_MISSING);
  EXPECT_FALSE(fs.Exists("/d/T.MB"));
  ASSERT_EQ(pending.Put(writer->header().fields[1], row.data(), "short"), PDX_OK);
  EXPECT_EQ(writer->Insert(row.data(), nullptr, &pending), PDX_OK) << "the leader needs no file";
}

}  // namespace
}  // namespace pdx
