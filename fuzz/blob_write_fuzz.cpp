// The writer over a hostile blob file: rows whose blob pointers name
// anything at all, and a blob file image that may be any bytes. Inserting,
// replacing and deleting values must answer codes, never crash, and never
// write outside what the transaction covers.
//
// Input: one byte of options (bit 0: the replacing modify stores a value
// longer than a sub-allocated block holds), four rows' blob pointers (the 10
// bytes after the leader each), then the blob file image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "paradox/create_table.h"
#include "paradox/pdx_codes.h"
#include "paradox/pending_blobs.h"
#include "paradox/schema.h"
#include "paradox/table_writer.h"
#include "paradox/testing/memory_file_system.h"

namespace {

constexpr int kRows = 4;
constexpr size_t kPointerLength = 10;
constexpr int kLeader = 10;

// The row with id, its memo value wholly in the leader.
std::vector<uint8_t> ShortRow(const pdx::TableHeader& header, int32_t id) {
  std::vector<uint8_t> row(header.record_size, 0);
  const uint32_t stored = static_cast<uint32_t>(id) ^ 0x80000000u;  // long integers as stored
  for (int i = 0; i < 4; ++i) row[i] = static_cast<uint8_t>(stored >> (24 - 8 * i));
  std::memcpy(row.data() + header.fields[1].offset, "short", 5);
  row[header.fields[1].offset + kLeader + 4] = 5;  // the value's length, in the leader
  return row;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t prefix = 1 + kRows * kPointerLength;
  if (size < prefix) return 0;
  const bool long_value = data[0] & 1;

  pdx::testing::MemoryFileSystem fs;
  pdx::TableSchema schema;
  std::string error;
  if (pdx::ParseSchema("Id\tI*\nNote\tM10\n", &schema, &error) != PDX_OK ||
      pdx::CreateTable(&fs, "/t", "T", schema, &error) != PDX_OK)
    std::abort();

  std::unique_ptr<pdx::TableWriter> writer;
  if (pdx::TableWriter::Open(&fs, "/t/T.DB", &writer, &error) != PDX_OK) std::abort();
  const pdx::TableHeader header = writer->header();
  for (int id = 1; id <= kRows; ++id) {
    std::vector<uint8_t> row = ShortRow(header, id);
    if (writer->Insert(row.data(), nullptr) != PDX_OK) std::abort();
  }
  writer.reset();

  // The rows now point wherever the input says, into a blob file that holds
  // whatever the input says.
  std::string table = fs.Contents("/t/T.DB");
  const pdx::Field& note = header.fields[1];
  for (int i = 0; i < kRows; ++i) {
    const size_t at = header.header_size + 6 + static_cast<size_t>(i) * header.record_size +
                      note.offset + kLeader;
    if (at + kPointerLength > table.size()) std::abort();
    std::memcpy(table.data() + at, data + 1 + i * kPointerLength, kPointerLength);
  }
  fs.SetContents("/t/T.DB", table);
  fs.SetContents("/t/T.MB",
                 std::string(reinterpret_cast<const char*>(data + prefix), size - prefix));

  if (pdx::TableWriter::Open(&fs, "/t/T.DB", &writer, &error) != PDX_OK) return 0;
  std::vector<uint8_t> row(header.record_size);
  // A row copied from row 1 asks for a copy of whatever its pointer names.
  if (writer->Read(1, row.data()) == PDX_OK) {
    row[3] = 99;
    writer->Insert(row.data(), nullptr);
  }
  // Replacing row 2's value frees what its pointer names and stores anew.
  if (writer->Read(2, row.data()) == PDX_OK) {
    pdx::PendingBlobs pending;
    const std::string value(long_value ? 5000 : 300, 'v');
    if (pending.Put(note, row.data(), value) == PDX_OK)
      writer->Modify(2, row.data(), nullptr, &pending);
  }
  // Deleting frees; a row cut back to its leader frees too.
  writer->Delete(3);
  if (writer->Read(1, row.data()) == PDX_OK) {
    std::vector<uint8_t> shorter = ShortRow(header, 1);
    std::memcpy(shorter.data(), row.data(), 4);
    writer->Modify(1, shorter.data(), nullptr);
  }
  return 0;
}
