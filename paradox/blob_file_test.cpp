#include "blob_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "byte_order.h"
#include "cipher.h"
#include "paradox/testing/memory_file_system.h"
#include "paradox/testing/samples.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

std::unique_ptr<BlobFile> OpenBlobs(testing::MemoryFileSystem& fs, const std::string& bytes,
                                    uint32_t key = 0) {
  fs.SetContents("T.MB", bytes);
  std::unique_ptr<File> file;
  EXPECT_EQ(fs.Open("T.MB", OpenMode::kRead, &file), PDX_OK);
  return std::make_unique<BlobFile>(std::move(file), key);
}

// A table's first data block, with the blob fields of its records. The
// samples used here keep every row in block 1.
struct SampleTable {
  std::string db;
  std::vector<Field> fields;
  int record_size = 0;
  int records = 0;
  const uint8_t* Record(int i) const {
    size_t header = LoadLe16(reinterpret_cast<const uint8_t*>(db.data()) + 2);
    return reinterpret_cast<const uint8_t*>(db.data()) + header + 6 + i * record_size;
  }
};

// file: a whole path.
SampleTable LoadTable(const std::string& file, uint32_t key = 0) {
  SampleTable table;
  table.db = testing::ReadTestFile<std::string>(file);
  auto* bytes = reinterpret_cast<uint8_t*>(table.db.data());
  table.record_size = LoadLe16(bytes);
  int field_count = static_cast<int16_t>(LoadLe16(bytes + 0x21));
  int offset = 0;
  for (int i = 0; i < field_count; ++i) {
    Field field;
    FieldTypeFromCode(bytes[0x78 + 2 * i], &field.type);
    field.size_byte = bytes[0x78 + 2 * i + 1];
    field.offset = offset;
    field.length = FieldLength(field.type, field.size_byte);
    offset += field.length;
    table.fields.push_back(field);
  }
  size_t header = LoadLe16(bytes + 2);
  size_t block_size = bytes[5] * 1024u;
  if (key != 0) DecryptBlock(key, 1, bytes + header, block_size);
  table.records = static_cast<int16_t>(LoadLe16(bytes + header + 4)) / table.record_size + 1;
  return table;
}

std::vector<uint8_t> ReadWhole(BlobFile* blobs, const SampleTable& table, int record,
                               const Field& field, pdx_code* code) {
  BlobValue value;
  *code = LocateBlobValue(blobs, field, table.Record(record), &value);
  if (*code != PDX_OK) return {};
  std::vector<uint8_t> bytes(value.length);
  size_t got = 0;
  *code =
      ReadBlobValue(blobs, field, table.Record(record), value, 0, bytes.data(), bytes.size(), &got);
  EXPECT_EQ(got, bytes.size());
  return bytes;
}

// The leader repeats the first bytes of every value, which makes it a check
// that the reader found the right bytes in the blob file.
void ExpectLeaderMatches(const SampleTable& table, int record, const Field& field,
                         const std::vector<uint8_t>& value) {
  size_t compare = std::min<size_t>(field.LeaderLength(), value.size());
  EXPECT_EQ(std::memcmp(table.Record(record) + field.offset, value.data(), compare), 0)
      << "record " << record;
}

TEST(BlobSamples, ReadsSubAllocatedMemosAndChecksThemAgainstTheirLeaders) {
  SKIP_WITHOUT_SAMPLES();
  for (const char* name : {"leonhad__paradoxdriver/fields/memo", "nilsfr__python-pxlib/KOMMENT",
                           "leonhad__paradoxdriver/db-history/NOTE1251"}) {
    bool upper = std::string(name).find("KOMMENT") != std::string::npos ||
                 std::string(name).find("NOTE") != std::string::npos;
    SampleTable table = LoadTable(testing::SamplePath(std::string(name) + (upper ? ".DB" : ".db")));
    testing::MemoryFileSystem fs;
    auto blobs = OpenBlobs(
        fs, testing::ReadSample<std::string>(std::string(name) + (upper ? ".MB" : ".mb")));
    ASSERT_EQ(blobs->Open(), PDX_OK) << name;
    const Field& memo = table.fields.back();
    ASSERT_EQ(memo.type, FieldType::kMemo);
    int from_file = 0;
    for (int r = 0; r < table.records; ++r) {
      pdx_code code;
      std::vector<uint8_t> value = ReadWhole(blobs.get(), table, r, memo, &code);
      ASSERT_EQ(code, PDX_OK) << name << " record " << r;
      ExpectLeaderMatches(table, r, memo, value);
      if (value.size() > static_cast<size_t>(memo.LeaderLength())) ++from_file;
    }
    EXPECT_GT(from_file, 0) << name;
  }
}

TEST(BlobSamples, MemoSampleHoldsItsKnownText) {
  SampleTable table = LoadTable(testing::TestdataPath("memo.db"));
  testing::MemoryFileSystem fs;
  auto blobs = OpenBlobs(fs, testing::ReadTestFile<std::string>(testing::TestdataPath("memo.mb")));
  ASSERT_EQ(blobs->Open(), PDX_OK);
  pdx_code code;
  std::vector<uint8_t> first = ReadWhole(blobs.get(), table, 0, table.fields[1], &code);
  ASSERT_EQ(code, PDX_OK);
  EXPECT_EQ(first.size(), 555u);
  std::vector<uint8_t> second = ReadWhole(blobs.get(), table, 1, table.fields[1], &code);
  EXPECT_EQ(std::string(second.begin(), second.end()), "01234567890\n");
}

TEST(BlobSamples, GraphicValuesLeaveTheirPrefixOutAndSpanManyUnits) {
  SKIP_WITHOUT_SAMPLES();
  SampleTable table = LoadTable(testing::SamplePath("leonhad__paradoxdriver/fields/graphic.db"));
  testing::MemoryFileSystem fs;
  auto blobs =
      OpenBlobs(fs, testing::ReadSample<std::string>("leonhad__paradoxdriver/fields/graphic.mb"));
  ASSERT_EQ(blobs->Open(), PDX_OK);
  const Field& graphic = table.fields[1];
  ASSERT_EQ(graphic.type, FieldType::kGraphic);
  ASSERT_EQ(table.records, 3);
  for (int r = 0; r < table.records; ++r) {
    pdx_code code;
    std::vector<uint8_t> image = ReadWhole(blobs.get(), table, r, graphic, &code);
    ASSERT_EQ(code, PDX_OK);
    // A bitmap names its own length at offset 2.
    ASSERT_GT(image.size(), 6u);
    EXPECT_EQ(image[0], 'B');
    EXPECT_EQ(image[1], 'M');
    EXPECT_EQ(LoadLe32(image.data() + 2), image.size());
  }
}

TEST(BlobSamples, GraphicLeaderStartsAfterThePrefix) {
  SKIP_WITHOUT_SAMPLES();
  SampleTable table = LoadTable(testing::SamplePath("leonhad__paradoxdriver/fields/graphic240.db"));
  testing::MemoryFileSystem fs;
  auto blobs = OpenBlobs(
      fs, testing::ReadSample<std::string>("leonhad__paradoxdriver/fields/graphic240.mb"));
  ASSERT_EQ(blobs->Open(), PDX_OK);
  pdx_code code;
  std::vector<uint8_t> image = ReadWhole(blobs.get(), table, 0, table.fields[1], &code);
  ASSERT_EQ(code, PDX_OK);
  ExpectLeaderMatches(table, 0, table.fields[1], image);
}

TEST(BlobSamples, OleValueAndZeroLeaderBlob) {
  SKIP_WITHOUT_SAMPLES();
  {
    SampleTable table = LoadTable(testing::SamplePath("leonhad__paradoxdriver/fields/ole.db"));
    testing::MemoryFileSystem fs;
    auto blobs =
        OpenBlobs(fs, testing::ReadSample<std::string>("leonhad__paradoxdriver/fields/ole.mb"));
    ASSERT_EQ(blobs->Open(), PDX_OK);
    BlobValue value;
    ASSERT_EQ(LocateBlobValue(blobs.get(), table.fields[1], table.Record(0), &value), PDX_OK);
    EXPECT_EQ(value.length, 365928u - kTypePrefixLength);
    EXPECT_EQ(value.extent.prefix, kTypePrefixLength);
  }
  {
    // A binary field with no leader: even one byte lives in the blob file.
    SampleTable table = LoadTable(testing::SamplePath("MedilinkPS__Paradox-Reader/testtab.DB"));
    testing::MemoryFileSystem fs;
    auto blobs =
        OpenBlobs(fs, testing::ReadSample<std::string>("MedilinkPS__Paradox-Reader/testtab.MB"));
    ASSERT_EQ(blobs->Open(), PDX_OK);
    pdx_code code;
    std::vector<uint8_t> bytes = ReadWhole(blobs.get(), table, 0, table.fields[12], &code);
    ASSERT_EQ(code, PDX_OK);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "1");
    // Row 2 has it blank.
    std::vector<uint8_t> blank = ReadWhole(blobs.get(), table, 1, table.fields[12], &code);
    EXPECT_EQ(code, PDX_OK);
    EXPECT_TRUE(blank.empty());
  }
}

TEST(BlobSamples, ReadsTheMemoOfAProtectedTable) {
  SKIP_WITHOUT_SAMPLES();
  uint32_t key = PasswordChecksum("123");
  SampleTable table =
      LoadTable(testing::SamplePath("leonhad__paradoxdriver/encrypt/encryptedmemo.db"), key);
  testing::MemoryFileSystem fs;
  auto blobs = OpenBlobs(
      fs, testing::ReadSample<std::string>("leonhad__paradoxdriver/encrypt/encryptedmemo.mb"), key);
  ASSERT_EQ(blobs->Open(), PDX_OK);
  const Field& memo = table.fields[0];
  ASSERT_EQ(memo.type, FieldType::kMemo);
  size_t longest = 0;
  for (int r = 0; r < table.records; ++r) {
    pdx_code code;
    std::vector<uint8_t> value = ReadWhole(blobs.get(), table, r, memo, &code);
    ASSERT_EQ(code, PDX_OK) << r;
    ExpectLeaderMatches(table, r, memo, value);
    longest = std::max(longest, value.size());
  }
  EXPECT_GT(longest, static_cast<size_t>(memo.LeaderLength()));
}

TEST(BlobSamples, MissingBlobFileOnlyMattersForValuesOutsideTheLeader) {
  SampleTable table = LoadTable(testing::TestdataPath("memo.db"));
  BlobValue value;
  EXPECT_EQ(LocateBlobValue(nullptr, table.fields[1], table.Record(0), &value),
            PDX_ERR_BLOB_FILE_MISSING);
  EXPECT_EQ(LocateBlobValue(nullptr, table.fields[1], table.Record(1), &value), PDX_OK);
  EXPECT_EQ(value.length, 12u);
}

// ---- Hand-built blob files ----------------------------------------------

constexpr uint16_t kMod = 7;

// Header unit, then a sub-allocated block at 0x1000 (slot 63: 40 bytes),
// then a single-blob block at 0x2000 of three units holding 9000 bytes, then
// a free block at 0x5000.
class BuiltBlobFile : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_.assign(6 * kBlobUnit, 0);
    bytes_[0] = 0;
    StoreLe16(&bytes_[1], 1);
    StoreLe16(&bytes_[3], kMod);
    uint8_t* sub = &bytes_[0x1000];
    sub[0] = 3;
    StoreLe16(sub + 1, 1);
    uint8_t* slot = sub + kSlotTableOffset + kSlotLength * 63;
    slot[0] = kFirstDataChunk;
    slot[1] = 3;  // 40 bytes: two whole chunks and 8 bytes
    StoreLe16(slot + 2, kMod);
    slot[4] = 8;
    for (int i = 0; i < 40; ++i)
      sub[kFirstDataChunk * kBlobChunk + i] = static_cast<uint8_t>('a' + i % 26);
    uint8_t* single = &bytes_[0x2000];
    single[0] = 2;
    StoreLe16(single + 1, 3);
    StoreLe32(single + 3, 9000);
    StoreLe16(single + 7, kMod);
    for (int i = 0; i < 9000; ++i) single[kSingleBlobHeader + i] = static_cast<uint8_t>(i * 31 + 5);
    bytes_[0x5000] = 4;
    StoreLe16(&bytes_[0x5001], 1);
  }

  std::unique_ptr<BlobFile> Open(uint32_t key = 0) {
    std::string image(bytes_.begin(), bytes_.end());
    if (key != 0) {
      EncryptBlobChunks(key, reinterpret_cast<uint8_t*>(image.data()), image.size());
    }
    auto blobs = OpenBlobs(fs_, image, key);
    EXPECT_EQ(blobs->Open(), PDX_OK);
    return blobs;
  }

  pdx_code Locate(uint32_t location, uint32_t length, uint16_t mod = kMod,
                  FieldType type = FieldType::kMemo) {
    auto blobs = Open();
    BlobExtent extent;
    return blobs->Locate(
        type, BlobPointer{location & ~0xFFu, static_cast<uint8_t>(location), length, mod}, &extent);
  }

  std::vector<uint8_t> bytes_;
  testing::MemoryFileSystem fs_;
};

TEST_F(BuiltBlobFile, SoundPointersLocateTheirValues) {
  EXPECT_EQ(Locate(0x103F, 40), PDX_OK);
  EXPECT_EQ(Locate(0x20FF, 9000), PDX_OK);
}

TEST_F(BuiltBlobFile, DamagedPointersAnswerCorruptBlob) {
  EXPECT_EQ(Locate(0x003F, 40), PDX_ERR_CORRUPT_BLOB) << "header block";
  EXPECT_EQ(Locate(0x00FF, 40), PDX_ERR_CORRUPT_BLOB) << "header block";
  EXPECT_EQ(Locate(0x50FF, 40), PDX_ERR_CORRUPT_BLOB) << "free block";
  EXPECT_EQ(Locate(0x503F, 40), PDX_ERR_CORRUPT_BLOB) << "free block";
  EXPECT_EQ(Locate(0x1080FF, 40), PDX_ERR_CORRUPT_BLOB) << "past the end";
  EXPECT_EQ(Locate(0x1800 | 0x3F, 40), PDX_ERR_CORRUPT_BLOB) << "not on a unit";
  EXPECT_EQ(Locate(0x1040, 40), PDX_ERR_CORRUPT_BLOB) << "slot 64";
  EXPECT_EQ(Locate(0x10FE, 40), PDX_ERR_CORRUPT_BLOB) << "slot 254";
  EXPECT_EQ(Locate(0x103E, 40), PDX_ERR_CORRUPT_BLOB) << "unused slot";
  EXPECT_EQ(Locate(0x10FF, 40), PDX_ERR_CORRUPT_BLOB) << "single pointer into a sub block";
  EXPECT_EQ(Locate(0x203F, 9000), PDX_ERR_CORRUPT_BLOB) << "slot pointer into a single block";
  EXPECT_EQ(Locate(0x103F, 41), PDX_ERR_CORRUPT_BLOB) << "length differs";
  EXPECT_EQ(Locate(0x20FF, 0xFFFFFFFF), PDX_ERR_CORRUPT_BLOB) << "huge length";
  EXPECT_EQ(Locate(0x103F, 40, kMod + 1), PDX_ERR_CORRUPT_BLOB) << "stale modification";
  EXPECT_EQ(Locate(0x20FF, 9000, kMod + 1), PDX_ERR_CORRUPT_BLOB) << "stale modification";
}

TEST_F(BuiltBlobFile, DamagedBlocksAnswerCorruptBlob) {
  // A single block that claims more units than the file has, with a
  // matching huge length: refused before anything is allocated.
  StoreLe16(&bytes_[0x2001], 0xFFFF);
  StoreLe32(&bytes_[0x2003], 0xFFFFFFF0);
  EXPECT_EQ(Locate(0x20FF, 0xFFFFFFF0), PDX_ERR_CORRUPT_BLOB);
  // A length the block cannot hold.
  StoreLe16(&bytes_[0x2001], 1);
  StoreLe32(&bytes_[0x2003], 9000);
  EXPECT_EQ(Locate(0x20FF, 9000), PDX_ERR_CORRUPT_BLOB);
  // Slots running past the unit, pointing into the slot table, or deleted.
  uint8_t* slot = &bytes_[0x1000 + kSlotTableOffset + kSlotLength * 63];
  slot[0] = 254;
  EXPECT_EQ(Locate(0x103F, 40), PDX_ERR_CORRUPT_BLOB);
  slot[0] = 3;
  EXPECT_EQ(Locate(0x103F, 40), PDX_ERR_CORRUPT_BLOB);
  slot[0] = kFirstDataChunk;
  slot[4] = 0;
  EXPECT_EQ(Locate(0x103F, 32), PDX_ERR_CORRUPT_BLOB);
  slot[4] = 17;
  EXPECT_EQ(Locate(0x103F, 48), PDX_ERR_CORRUPT_BLOB);
}

TEST_F(BuiltBlobFile, OpenRefusesWhatIsNoBlobFile) {
  testing::MemoryFileSystem fs;
  EXPECT_EQ(OpenBlobs(fs, std::string(100, '\0'))->Open(), PDX_ERR_CORRUPT_BLOB);
  bytes_[0] = 2;
  EXPECT_EQ(OpenBlobs(fs, std::string(bytes_.begin(), bytes_.end()))->Open(), PDX_ERR_CORRUPT_BLOB);
  // Scrambled under another password, the header is noise.
  std::string image(bytes_.begin(), bytes_.end());
  image[0] = 0;
  EncryptBlobChunks(PasswordChecksum("right"), reinterpret_cast<uint8_t*>(image.data()),
                    image.size());
  EXPECT_EQ(OpenBlobs(fs, image, PasswordChecksum("wrong"))->Open(), PDX_ERR_CORRUPT_BLOB);
}

TEST_F(BuiltBlobFile, PiecesReadAcrossUnitsMatchTheStoredBytes) {
  for (uint32_t key : {0u, PasswordChecksum("secret")}) {
    auto blobs = Open(key);
    BlobExtent extent;
    ASSERT_EQ(blobs->Locate(FieldType::kBlob, BlobPointer{0x2000, 0xFF, 9000, kMod}, &extent),
              PDX_OK);
    // Pieces that start mid-unit, end mid-unit, cover whole units and the
    // value's last byte.
    for (auto [offset, n] : std::vector<std::pair<size_t, size_t>>{
             {0, 9000}, {0, 1}, {4087, 10}, {4087, 4200}, {100, 8900}, {8999, 1}, {0, 0}}) {
      std::vector<uint8_t> piece(n);
      ASSERT_EQ(blobs->Read(extent, offset, piece.data(), n), PDX_OK) << offset << "+" << n;
      for (size_t i = 0; i < n; ++i) {
        ASSERT_EQ(piece[i], static_cast<uint8_t>((offset + i) * 31 + 5)) << offset << "+" << i;
      }
    }
    uint8_t byte;
    EXPECT_EQ(blobs->Read(extent, 9000, &byte, 1), PDX_ERR_INVALID_PARAMETER);
  }
}

TEST_F(BuiltBlobFile, AFileCutShortUnderTheReaderAnswersCorruptBlob) {
  auto blobs = Open();
  BlobExtent extent;
  ASSERT_EQ(blobs->Locate(FieldType::kBlob, BlobPointer{0x2000, 0xFF, 9000, kMod}, &extent),
            PDX_OK);
  std::string cut(bytes_.begin(), bytes_.begin() + 0x2000 + 100);
  fs_.SetContents("T.MB", cut);
  std::vector<uint8_t> value(9000);
  EXPECT_EQ(blobs->Read(extent, 0, value.data(), value.size()), PDX_ERR_CORRUPT_BLOB);
  EXPECT_EQ(blobs->Read(extent, 5000, value.data(), 100), PDX_ERR_CORRUPT_BLOB);
}

TEST_F(BuiltBlobFile, GraphicPrefixIsSkippedOnlyWhenWellFormed) {
  uint8_t* data = &bytes_[0x2000 + kSingleBlobHeader];
  const uint8_t prefix[] = {1, 0, 0, 1};
  std::memcpy(data, prefix, 4);
  StoreLe32(data + 4, 9000 - kTypePrefixLength);
  auto blobs = Open();
  BlobExtent extent;
  BlobPointer pointer{0x2000, 0xFF, 9000, kMod};
  ASSERT_EQ(blobs->Locate(FieldType::kGraphic, pointer, &extent), PDX_OK);
  EXPECT_EQ(extent.length, 9000 - kTypePrefixLength);
  // The same bytes in a binary field are the value itself.
  ASSERT_EQ(blobs->Locate(FieldType::kBlob, pointer, &extent), PDX_OK);
  EXPECT_EQ(extent.length, 9000u);
  // A prefix whose length disagrees is data, not a prefix.
  StoreLe32(data + 4, 12);
  blobs = Open();
  ASSERT_EQ(blobs->Locate(FieldType::kGraphic, pointer, &extent), PDX_OK);
  EXPECT_EQ(extent.length, 9000u);
}

TEST_F(BuiltBlobFile, ValuesHeldInTheLeaderNeedNoBlobFile) {
  Field field;
  field.type = FieldType::kMemo;
  field.size_byte = 20;
  field.offset = 2;
  field.length = 20;
  std::vector<uint8_t> record(24, 0);
  std::memcpy(record.data() + 2, "short", 5);
  StoreLe32(record.data() + 2 + 10 + 4, 5);
  BlobValue value;
  ASSERT_EQ(LocateBlobValue(nullptr, field, record.data(), &value), PDX_OK);
  char text[8] = {};
  size_t got = 0;
  ASSERT_EQ(ReadBlobValue(nullptr, field, record.data(), value, 1, text, sizeof text, &got),
            PDX_OK);
  EXPECT_EQ(std::string(text, got), "hort");
  // Reading past the end gives nothing, not an error.
  EXPECT_EQ(ReadBlobValue(nullptr, field, record.data(), value, 9, text, sizeof text, &got),
            PDX_OK);
  EXPECT_EQ(got, 0u);
}

}  // namespace
}  // namespace pdx
