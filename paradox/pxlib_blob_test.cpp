// Memo and blob values written by the store read back identically through
// an independent reader, pxlib, from the record's leader or the blob file.
#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <map>
#include <random>

#include "create_table.h"
#include "field_codec.h"
#include "pdx_codes.h"
#include "schema.h"
#include "store_test_support.h"
#include "table_writer.h"

namespace pdx {
namespace {

struct BlobCase {
  const char* name;
  const char* schema;
};

// Each level that has blobs, every blob type pxlib reads, keyed and unkeyed.
const BlobCase kBlobCases[] = {
    {"L40", "Id\tS*\nNote\tM10\nPic\tG10\nBin\tB30\nlevel 4.0\n"},
    {"L50_unkeyed", "Id\tS\nNote\tM40\nBin\tB10\nFmt\tF20\nlevel 5.0\n"},
    {"L70", "Id\tS*\nNote\tM30\nPic\tG12\nBin\tB10\nlevel 7.0\nblocksize 4096\n"},
};

void CollectMessages(pxdoc_t*, int, const char* message, void* data) {
  static_cast<std::string*>(data)->append(message).append("\n");
}

// pxlib 0.6.8 as Debian builds it overflows its stack while opening any
// blob file (PX_set_blob_file, PX_open_blob_fp; the samples' files too), so
// the blob file is attached here through pxlib's public blob structure with
// plain stdio for its stream. Finding and decoding the values stays pxlib's.
size_t ReadBlobStream(pxblob_t*, pxstream_t* stream, size_t n, void* buffer) {
  return std::fread(buffer, 1, n, reinterpret_cast<std::FILE*>(stream));
}
int SeekBlobStream(pxblob_t*, pxstream_t* stream, long offset, int whence) {
  return std::fseek(reinterpret_cast<std::FILE*>(stream), offset, whence);
}
long TellBlobStream(pxblob_t*, pxstream_t* stream) {
  return std::ftell(reinterpret_cast<std::FILE*>(stream));
}

struct BlobFileAttached {
  BlobFileAttached(pxdoc_t* doc, const std::string& path) : file(std::fopen(path.c_str(), "rb")) {
    blob = PX_new_blob(doc);
    blob->mb_stream = reinterpret_cast<pxstream_t*>(file);
    blob->read = ReadBlobStream;
    blob->seek = SeekBlobStream;
    blob->tell = TellBlobStream;
    blob->mb_head = &head;
    doc->px_blob = blob;
  }
  ~BlobFileAttached() {
    blob->pxdoc->px_blob = nullptr;
    blob->mb_stream = nullptr;
    blob->mb_head = nullptr;
    PX_delete_blob(blob);
    std::fclose(file);
  }
  std::FILE* file;
  mbhead_t head{};
  pxblob_t* blob;
};

class PxlibReadsBlobs : public ::testing::TestWithParam<BlobCase> {};

TEST_P(PxlibReadsBlobs, ValuesOfEverySizeAfterInsertsModifiesAndDeletes) {
  testing::TemporaryDirectory directory;
  FileSystem* fs = FileSystem::Default();
  TableSchema schema;
  std::string error;
  ASSERT_EQ(ParseSchema(GetParam().schema, &schema, &error), PDX_OK) << error;
  ASSERT_EQ(CreateTable(fs, directory.Path(), "T", schema, &error), PDX_OK) << error;
  std::unique_ptr<TableWriter> writer;
  ASSERT_EQ(TableWriter::Open(fs, directory.File("T.DB"), &writer, &error), PDX_OK) << error;
  writer->set_sync(false);  // syncing is not what this test is about
  const TableHeader header = writer->header();

  std::mt19937 random(5);
  auto value = [&] {
    const size_t sizes[] = {0, 5, 40, 600, 2048, 2049, 5000, 30000};
    std::string bytes(sizes[random() % 8] + random() % 3, '\0');
    for (char& c : bytes) c = static_cast<char>('a' + random() % 26);
    return bytes;
  };
  std::map<int, std::vector<std::string>> model;  // id -> values of fields 2..
  PendingBlobs pending;
  auto row_of = [&](int id, std::vector<std::string>* values) {
    std::vector<uint8_t> row(header.record_size, 0);
    EncodeInteger(id, row.data(), 2);
    for (size_t f = 1; f < header.fields.size(); ++f) {
      values->push_back(value());
      EXPECT_EQ(pending.Put(header.fields[f], row.data(), values->back()), PDX_OK);
    }
    return row;
  };
  auto number_of = [&](int id) {
    std::vector<uint8_t> row(header.record_size);
    for (int64_t n = 1; n <= writer->RecordCount(); ++n)
      if (writer->Read(n, row.data()) == PDX_OK && DecodeInteger(row.data(), 2) == id) return n;
    return int64_t{0};
  };
  for (int step = 0; step < 120; ++step) {
    const int id = 1 + random() % 40;
    std::vector<std::string> values;
    std::vector<uint8_t> row = row_of(id, &values);
    if (!model.count(id)) {
      ASSERT_EQ(writer->Insert(row.data(), nullptr, &pending), PDX_OK) << writer->last_error();
      model[id] = values;
    } else if (random() % 3 == 0) {
      ASSERT_EQ(writer->Delete(number_of(id)), PDX_OK);
      model.erase(id);
    } else {
      ASSERT_EQ(writer->Modify(number_of(id), row.data(), nullptr, &pending), PDX_OK);
      model[id] = values;
    }
    pending.DropBuffer(row.data());
  }
  writer.reset();

  std::string messages;
  pxdoc_t* doc = PX_new3(CollectMessages, nullptr, nullptr, nullptr, &messages);
  ASSERT_EQ(PX_open_file(doc, directory.File("T.DB").c_str()), 0) << messages;
  struct Closed {
    pxdoc_t* doc;
    ~Closed() {
      PX_close(doc);
      PX_delete(doc);
    }
  } closed{doc};
  BlobFileAttached blobs(doc, directory.File("T.MB"));  // detached before the document closes
  ASSERT_EQ(PX_get_num_records(doc), static_cast<int>(model.size()));
  std::vector<char> record(header.record_size);
  std::map<int, std::vector<std::string>> read;
  for (int i = 0; i < PX_get_num_records(doc); ++i) {
    ASSERT_NE(PX_get_record(doc, i, record.data()), nullptr) << messages;
    const int id =
        static_cast<int>(DecodeInteger(reinterpret_cast<const uint8_t*>(record.data()), 2));
    std::vector<std::string>& values = read[id];
    for (size_t f = 1; f < header.fields.size(); ++f) {
      const Field& field = header.fields[f];
      char* data = nullptr;
      int modification = 0, size = 0;
      // Raw, as stored: pxlib's graphic reader steps over the type prefix
      // only in blocks of their own, so the prefix is checked here.
      const int got = PX_get_data_blob(doc, record.data() + field.offset, field.length,
                                       &modification, &size, &data);
      ASSERT_GE(got, 0) << "row " << id << ", field " << field.name << ": " << messages;
      std::string bytes = data != nullptr ? std::string(data, size) : std::string();
      std::free(data);
      if (field.type == FieldType::kGraphic && bytes.size() > size_t(field.LeaderLength())) {
        ASSERT_GE(bytes.size(), 8u);
        const uint32_t length = static_cast<uint32_t>(bytes.size() - 8);
        EXPECT_EQ(bytes.substr(0, 8), std::string("\x01\0\0\x01", 4) +
                                          std::string(reinterpret_cast<const char*>(&length), 4));
        bytes.erase(0, 8);
      }
      values.push_back(bytes);
    }
  }
  ASSERT_EQ(read.size(), model.size());
  for (const auto& [id, values] : model)
    for (size_t f = 0; f < values.size(); ++f)
      EXPECT_TRUE(read[id][f] == values[f])
          << "row " << id << ", field " << header.fields[f + 1].name << ": " << read[id][f].size()
          << " bytes read, " << values[f].size() << " written";
}

INSTANTIATE_TEST_SUITE_P(Levels, PxlibReadsBlobs, ::testing::ValuesIn(kBlobCases),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

}  // namespace
}  // namespace pdx
