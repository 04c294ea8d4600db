// The open-and-read path of the store over hostile files. Input layout: one
// byte of flags (bit 0: a primary index, bit 1: a blob file, bit 2: a
// validity-check file, bit 3: the session knows the password "123"), the
// lengths of the data file, primary index and blob file (u16 LE each), then
// those images one after another; whatever follows is the validity-check
// file. The files are written into a private temporary directory and read
// through the interface as the program reads them, then checked as
// `pdx check` checks them.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "paradox/file_system.h"
#include "paradox/pdx.h"
#include "paradox/pdx_codes.h"
#include "paradox/table_check.h"

namespace {

// Rows read per input: enough to cross several blocks, few enough that an
// input claiming millions of rows stays fast.
constexpr int kMaxRows = 300;
constexpr size_t kMaxText = 1 << 20;

void RemoveDirectory();

// Never destroyed: the exit handler that removes the directory runs after
// static objects are gone.
const std::string& Directory() {
  static const std::string* directory = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "pdx-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit(RemoveDirectory);
    return new std::string(pattern);
  }();
  return *directory;
}

void RemoveDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(Directory(), ignored);
}

void Place(const std::string& name, bool present, const uint8_t* data, size_t size) {
  const std::string path = Directory() + "/" + name;
  if (!present) {
    unlink(path.c_str());
    return;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}

void ReadRow(pdx_cursor* cursor, const std::vector<uint8_t>& record, int fields) {
  std::vector<char> text(256);
  for (int f = 1; f <= fields; ++f) {
    size_t length = 0;
    if (pdx_get_text(cursor, record.data(), f, text.data(), text.size(), &length) == PDX_OK &&
        length >= text.size() && length < kMaxText) {
      text.resize(length + 1);
      pdx_get_text(cursor, record.data(), f, text.data(), text.size(), &length);
    }
    size_t blob = 0;
    if (pdx_blob_size(cursor, record.data(), f, &blob) == PDX_OK && blob > 0) {
      uint8_t piece[64];
      size_t read = 0;
      pdx_blob_read(cursor, record.data(), f, blob / 2, piece, sizeof piece, &read);
    }
  }
}

void ReadTable(bool password) {
  pdx_session* session = nullptr;
  if (pdx_session_open("fuzz", &session) != PDX_OK) std::abort();
  if (password) pdx_session_add_password(session, "123");
  pdx_cursor* cursor = nullptr;
  if (pdx_table_open(session, Directory().c_str(), "T", PDX_OPEN_READ_ONLY, &cursor) != PDX_OK) {
    pdx_session_close(session);
    return;
  }
  pdx_cursor_info info;
  // The record count in the info walks the chain, which may be damaged.
  if (pdx_cursor_info_get(cursor, &info) != PDX_OK) {
    pdx_session_close(session);
    return;
  }
  for (int f = 1; f <= info.field_count; ++f) {
    pdx_field_desc desc;
    pdx_field_desc_get(cursor, f, &desc);
  }
  int checks = 0;
  pdx_check_count(cursor, &checks);
  for (int i = 0; i < checks; ++i) {
    pdx_check_desc desc;
    pdx_check_desc_get(cursor, i, &desc);
  }
  std::vector<uint8_t> record(info.record_size);
  std::vector<uint8_t> first;
  for (int row = 0; row < kMaxRows && pdx_next(cursor, record.data()) == PDX_OK; ++row) {
    if (first.empty()) first = record;
    ReadRow(cursor, record, info.field_count);
  }
  pdx_set_to_end(cursor);
  for (int row = 0; row < 3 && pdx_prior(cursor, record.data()) == PDX_OK; ++row) {
    ReadRow(cursor, record, info.field_count);
  }
  int64_t count = 0;
  if (pdx_get_record_count(cursor, &count) == PDX_OK && count > 0) {
    pdx_set_to_record_number(cursor, count / 2 + 1);
    pdx_get_record(cursor, record.data());
  }
  if (!first.empty() && info.key_field_count > 0) {
    pdx_find_nearest(cursor, first.data(), info.key_field_count, 0);
    pdx_set_range(cursor, first.data(), info.key_field_count, 0, 1, nullptr, 0, 0, 0);
    while (pdx_next(cursor, nullptr) == PDX_OK && --count > 0) {
    }
  }
  pdx_session_close(session);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  const uint8_t flags = data[0];
  size_t lengths[3];
  size_t at = 7;
  for (int i = 0; i < 3; ++i) {
    lengths[i] = std::min<size_t>(data[1 + 2 * i] | (data[2 + 2 * i] << 8), size - at);
    at += lengths[i];
  }
  const uint8_t* db = data + 7;
  const uint8_t* px = db + lengths[0];
  const uint8_t* mb = px + lengths[1];
  const uint8_t* val = mb + lengths[2];
  Place("T.DB", true, db, lengths[0]);
  Place("T.PX", flags & 1, px, lengths[1]);
  Place("T.MB", flags & 2, mb, lengths[2]);
  Place("T.VAL", flags & 4, val, static_cast<size_t>(data + size - val));

  pdx_code rc = pdx_init(PDX_INTERFACE_VERSION, "0009");
  if (rc != PDX_OK && rc != PDX_ERR_ALREADY_INITIALIZED) std::abort();
  ReadTable(flags & 8);
  pdx_exit();

  std::string out, error;
  std::vector<std::string> passwords;
  if (flags & 8) passwords.push_back("123");
  pdx::CheckCommand(pdx::FileSystem::Default(), Directory(), "T", passwords, &out, &error);
  return 0;
}
