// Helpers the store's tests share: the project's temporary directory, a
// started engine with a session, and a table's whole dump through the
// interface.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pdx.h"
#include "pdx_codes.h"
#include "test_support/temporary_directory.h"

namespace pdx::testing {

using test_support::TemporaryDirectory;

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline std::string LastErrorText() {
  char text[2048];
  pdx_last_error(nullptr, text, sizeof text);
  return text;
}

// A started engine and an open session for one test.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pdx_code rc = pdx_init(PDX_INTERFACE_VERSION, "0009");
    ASSERT_TRUE(rc == PDX_OK || rc == PDX_ERR_ALREADY_INITIALIZED);
    ASSERT_EQ(pdx_session_open("test", &session_), PDX_OK);
  }
  void TearDown() override {
    if (session_ != nullptr) pdx_session_close(session_);
  }

  // Opens directory/table read-only; the directory must hold a '/'.
  pdx_code Open(const std::string& directory, const std::string& table, pdx_cursor** cursor) {
    std::string database = directory.find('/') == std::string::npos ? "./" + directory : directory;
    return pdx_table_open(session_, database.c_str(), table.c_str(), PDX_OPEN_READ_ONLY, cursor);
  }

  // A marker that dump text cannot hold (0x7F is always escaped there).
  static constexpr const char* kError = "\x7f error ";

  // Every row in the dump format, a header line first; a failing code ends
  // it as kError and the code.
  std::string Dump(pdx_cursor* cursor) {
    pdx_cursor_info info;
    if (pdx_code rc = pdx_cursor_info_get(cursor, &info); rc != PDX_OK)
      return kError + std::to_string(rc);
    std::string out;
    for (int i = 1; i <= info.field_count; ++i) {
      pdx_field_desc desc;
      pdx_field_desc_get(cursor, i, &desc);
      out += (i > 1 ? "\t" : "") + std::string(desc.name);
    }
    out += "\n";
    std::vector<uint8_t> record(info.record_size);
    pdx_set_to_begin(cursor);
    pdx_code rc;
    while ((rc = pdx_next(cursor, record.data())) == PDX_OK) {
      for (int i = 1; i <= info.field_count; ++i) {
        size_t length = 0;
        if (pdx_code text_rc = pdx_get_text(cursor, record.data(), i, nullptr, 0, &length);
            text_rc != PDX_OK)
          return out + kError + std::to_string(text_rc);
        std::string text(length + 1, '\0');
        pdx_get_text(cursor, record.data(), i, text.data(), text.size(), &length);
        text.resize(length);
        out += (i > 1 ? "\t" : "") + text;
      }
      out += "\n";
    }
    if (rc != PDX_ERR_EOF) out += kError + std::to_string(rc);
    return out;
  }

  pdx_session* session_ = nullptr;
};

}  // namespace pdx::testing
