// Tables this store creates and edits must read back identically through an
// independent reader: pxlib, here used only as a reader of plain records.
#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "byte_order.h"
#include "create_table.h"
#include "field_codec.h"
#include "paradox/testing/table_shape.h"
#include "pdx_codes.h"
#include "schema.h"
#include "table_header.h"
#include "table_writer.h"
#include "test_support/temporary_directory.h"
#include "val_file.h"

// pxlib keeps a few allocations to the end of the program when it has read a
// primary index; the leak checker of sanitizer builds is told to pass them.
extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace pdx {
namespace {

using test_support::TemporaryDirectory;

struct Case {
  const char* name;
  const char* schema;
};

// Every field type each level allows, keyed and unkeyed, one protected.
const Case kCases[] = {
    {"L30", "Code\tA8*\nCount\tS\nPrice\tN\nCost\t$\nDay\tD\nlevel 3.0\nblocksize 1024\n"},
    {"L35", "Code\tA8\nCount\tS\nPrice\tN\nCost\t$\nDay\tD\nlevel 3.5\n"},
    {"L40", "Code\tA8*\nDay\tD*\nCount\tS\nPrice\tN\nCost\t$\nNote\tM20\nPic\tG10\nlevel 4.0\n"},
    {"L50",
     "Id\t+*\nCode\tA12\nBig\tI\nWhen\tT\nStamp\t@\nFlag\tL\nAmount\t#2\nRaw\tY6\n"
     "Memo\tM10\nBin\tB10\nlevel 5.0\nblocksize 4096\n"},
    {"L70",
     "Code\tA5*\nBig\tI*\nShort\tS\nWhen\tT\nStamp\t@\nFlag\tL\nAmount\t#4\nRaw\tY3\n"
     "Memo\tM30\nFmt\tF10\nOle\tO10\nlevel 7.0\nblocksize 2048\n"},
    {"L70_password", "Code\tA10*\nAmount\tN\npassword secret\n"},
};

// Fills every non-blob field with a plausible value, or leaves it blank.
std::string RandomRow(const TableHeader& header, std::mt19937& random) {
  std::string row(header.record_size, '\0');
  auto* d = reinterpret_cast<uint8_t*>(row.data());
  for (const Field& f : header.fields) {
    uint8_t* v = d + f.offset;
    if (f.id > header.key_fields && random() % 5 == 0) continue;  // blank
    switch (f.type) {
      case FieldType::kAlpha:
        for (int i = 0; i < f.length; ++i)
          if (i < 2 || random() % 3)
            v[i] = static_cast<uint8_t>('A' + random() % 26);
          else
            break;
        break;
      case FieldType::kShort:
        EncodeInteger(int(random() % 2000) - 1000, v, 2);
        break;
      case FieldType::kLong:
      case FieldType::kAutoIncrement:
        EncodeInteger(int(random() % 100000), v, 4);
        break;
      case FieldType::kDate:
        EncodeInteger(730000 + random() % 9000, v, 4);
        break;
      case FieldType::kTime:
        EncodeInteger(random() % kMillisecondsPerDay, v, 4);
        break;
      case FieldType::kNumber:
      case FieldType::kMoney:
        EncodeDouble((int(random() % 200000) - 100000) / 100.0, v);
        break;
      case FieldType::kTimestamp:
        EncodeDouble(double(63700000000000.0 + random() % 1000000000), v);
        break;
      case FieldType::kLogical:
        EncodeInteger(random() % 2, v, 1);
        break;
      case FieldType::kBcd:
        EncodeBcdFromDouble((int(random() % 20000) - 10000) / 100.0, f.size_byte, v);
        break;
      case FieldType::kBytes:
        v[0] = static_cast<uint8_t>(1 + random() % 255);
        break;
      default: {
        // Memo and blob values short enough to live in the leader alone.
        int length = f.LeaderLength() > 0 ? 1 + int(random() % f.LeaderLength()) : 0;
        for (int i = 0; i < length; ++i) v[i] = static_cast<uint8_t>('a' + random() % 26);
        StoreLe32(v + f.LeaderLength() + 4, static_cast<uint32_t>(length));
      }
    }
  }
  return row;
}

struct PxlibLeaksIgnored {
  PxlibLeaksIgnored() {
    if (__lsan_disable) __lsan_disable();
  }
  ~PxlibLeaksIgnored() {
    if (__lsan_enable) __lsan_enable();
  }
};

void QuietErrors(pxdoc_t*, int, const char* message, void* data) {
  static_cast<std::string*>(data)->append(message).append("\n");
}

class PxlibReadsWhatWasWritten : public ::testing::TestWithParam<Case> {};

TEST_P(PxlibReadsWhatWasWritten, RowsFieldsAndIndexAfterInsertsModifiesAndDeletes) {
  TemporaryDirectory directory;
  FileSystem* fs = FileSystem::Default();
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema(GetParam().schema, &schema, &error), PDX_OK) << error;
  ASSERT_EQ(CreateTable(fs, directory.Path(), "T", schema, &error), PDX_OK) << error;
  const std::string db = directory.File("T.DB");
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(fs, db, &writer, &error), PDX_OK) << error;
  writer->set_sync(false);  // syncing is not what this test is about
  std::mt19937 random(11);
  for (int i = 0; i < 300; ++i) {
    std::string row = RandomRow(writer->header(), random);
    int64_t number = 0;
    pdx_code code = writer->Insert(reinterpret_cast<uint8_t*>(row.data()), &number);
    ASSERT_TRUE(code == PDX_OK || code == PDX_ERR_KEY_VIOLATION) << code;
    if (i % 7 == 0 && writer->RecordCount() > 3) {
      ASSERT_EQ(writer->Delete(1 + random() % writer->RecordCount()), PDX_OK);
    }
    if (i % 5 == 0 && writer->RecordCount() > 0) {
      int64_t at = 1 + random() % writer->RecordCount(), moved = 0;
      std::string changed = RandomRow(writer->header(), random);
      code = writer->Modify(at, reinterpret_cast<uint8_t*>(changed.data()), &moved);
      ASSERT_TRUE(code == PDX_OK || code == PDX_ERR_KEY_VIOLATION) << code;
    }
  }
  const TableHeader header = writer->header();
  std::vector<std::string> written;
  for (int64_t i = 1; i <= writer->RecordCount(); ++i) {
    std::string row(header.record_size, '\0');
    ASSERT_EQ(writer->Read(i, reinterpret_cast<uint8_t*>(row.data())), PDX_OK);
    written.push_back(row);
  }
  writer.reset();
  if (!header.EncryptionKey()) {
    testing::TableShape shape = testing::ReadTableShape(fs, db);
    for (const std::string& problem : shape.problems) ADD_FAILURE() << problem;
    EXPECT_EQ(shape.rows, written);
  }

  std::string messages;
  PxlibLeaksIgnored ignored;
  pxdoc_t* doc = PX_new3(QuietErrors, nullptr, nullptr, nullptr, &messages);
  ASSERT_EQ(PX_open_file(doc, db.c_str()), 0) << messages;
  ASSERT_EQ(PX_get_num_fields(doc), static_cast<int>(header.fields.size()));
  for (size_t i = 0; i < header.fields.size(); ++i) {
    pxfield_t* field = PX_get_field(doc, static_cast<int>(i));
    EXPECT_STREQ(field->px_fname, header.fields[i].name.c_str());
    EXPECT_EQ(static_cast<uint8_t>(field->px_ftype), static_cast<uint8_t>(header.fields[i].type));
  }
  ASSERT_EQ(PX_get_num_records(doc), static_cast<int>(header.record_count));
  std::vector<char> record(header.record_size);
  std::vector<std::string> rows;
  for (int i = 0; i < PX_get_num_records(doc); ++i) {
    ASSERT_NE(PX_get_record(doc, i, record.data()), nullptr) << messages;
    rows.emplace_back(record.data(), record.size());
  }
  EXPECT_EQ(rows, written);
  if (header.key_fields > 0) {
    // pxlib walks the primary index and checks it against the table.
    pxdoc_t* index = PX_new3(QuietErrors, nullptr, nullptr, nullptr, &messages);
    ASSERT_EQ(PX_open_file(index, (directory.File("T.PX")).c_str()), 0) << messages;
    EXPECT_EQ(PX_read_primary_index(index), 0) << messages;
    EXPECT_EQ(PX_add_primary_index(doc, index), 0) << messages;
    PX_close(doc);
    PX_delete(doc);
    // The document does not own the index it was given.
    PX_close(index);
    PX_delete(index);
    return;
  }
  PX_close(doc);
  PX_delete(doc);
}

INSTANTIATE_TEST_SUITE_P(Levels, PxlibReadsWhatWasWritten, ::testing::ValuesIn(kCases),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST(CreateTable, ValidityChecksReadBackThroughTheValParser) {
  TemporaryDirectory directory;
  FileSystem* fs = FileSystem::Default();
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("Account\tA8*\nOpened\tD\nLimit\t$\nActive\tA1\n"
                        "check Account picture ###-####\ncheck Account required\n"
                        "check Opened min 1990-01-01\ncheck Limit min 0\ncheck Limit max 50000\n"
                        "check Limit default 1000\ncheck Active picture {Y,N}\n",
                        &schema, &error),
            PDX_OK);
  ASSERT_EQ(CreateTable(fs, directory.Path(), "Acct", schema, &error), PDX_OK) << error;
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(fs, directory.File("Acct.DB"), &writer, &error), PDX_OK);
  std::unique_ptr<File> file;
  ASSERT_EQ(fs->Open(directory.File("Acct.VAL"), OpenMode::kRead, &file), PDX_OK);
  uint64_t size = 0;
  file->Size(&size);
  std::vector<uint8_t> bytes(size);
  size_t got = 0;
  file->ReadAt(0, bytes.data(), size, &got);
  ValFile val;
  ASSERT_EQ(ParseValFile(bytes.data(), bytes.size(), &val), PDX_OK);
  std::vector<FieldCheck> checks;
  ASSERT_EQ(ResolveChecks(val, writer->header().fields, writer->header().structure_count, &checks),
            PDX_OK);
  ASSERT_EQ(checks.size(), 4u);
  EXPECT_TRUE(checks[0].required);
  EXPECT_EQ(checks[0].picture, "###-####");
  EXPECT_EQ(checks[1].field_number, 2);
  std::string text;
  Field opened = writer->header().fields[1];
  opened.offset = 0;
  AppendFieldText(opened, checks[1].minimum->data(), &text);
  EXPECT_EQ(text, "1990-01-01");
  EXPECT_EQ(DecodeDouble(checks[2].maximum->data()), 50000.0);
  EXPECT_EQ(DecodeDouble(checks[2].default_value->data()), 1000.0);
  EXPECT_EQ(checks[3].picture, "{Y,N}");
}

TEST(CreateTable, RefusesBadCheckValuesAndAnExistingTable) {
  TemporaryDirectory directory;
  FileSystem* fs = FileSystem::Default();
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema("N\tS\ncheck N min 10\ncheck N max 5\n", &schema, &error), PDX_OK);
  EXPECT_EQ(CreateTable(fs, directory.Path(), "T", schema, &error), PDX_ERR_OUT_OF_RANGE);
  EXPECT_NE(error.find("minimum lies above"), std::string::npos) << error;
  ASSERT_EQ(ParseSchema("N\tS\ncheck N max 99999\n", &schema, &error), PDX_OK);
  EXPECT_EQ(CreateTable(fs, directory.Path(), "T", schema, &error), PDX_ERR_OUT_OF_RANGE);
  EXPECT_FALSE(std::filesystem::exists(directory.File("T.DB"))) << "nothing left behind";
  ASSERT_EQ(ParseSchema("N\tS\n", &schema, &error), PDX_OK);
  ASSERT_EQ(CreateTable(fs, directory.Path(), "T", schema, &error), PDX_OK);
  EXPECT_EQ(CreateTable(fs, directory.Path(), "t", schema, &error), PDX_ERR_TABLE_EXISTS);
}

}  // namespace
}  // namespace pdx
