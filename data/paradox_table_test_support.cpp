#include "paradox_table_test_support.h"

// pxlib's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/engine/cursor.h"
#include "app/engine/engine.h"
#include "app/engine/engine_error.h"
#include "paradox/pdx_codes.h"

namespace data::testing {

bool StartEngine(std::string* reason) {
  try {
    engine::Engine::instance().start();
    return true;
  } catch (const engine::EngineError& error) {
    if (reason) *reason = error.what();
    return false;
  }
}

namespace {

bool WriteWithPxlib(const std::filesystem::path& file, int rows, std::string* reason) {
  PX_boot();
  pxdoc_t* doc = PX_new();
  // The writer takes the field list and frees it with its own allocator.
  auto* fields = static_cast<pxfield_t*>(doc->malloc(doc, 3 * sizeof(pxfield_t), "fields"));
  auto name = [doc](const char* text) {
    auto* copy = static_cast<char*>(doc->malloc(doc, std::strlen(text) + 1, "field name"));
    std::strcpy(copy, text);
    return copy;
  };
  fields[0] = {name("ID"), pxfLong, 4, 0};
  fields[1] = {name("NAME"), pxfAlpha, 20, 0};
  fields[2] = {name("AMOUNT"), pxfNumber, 8, 0};
  if (PX_create_file(doc, fields, 3, file.c_str(), pxfFileTypNonIndexDB) < 0) {
    *reason = "the independent writer could not create " + file.string();
    PX_delete(doc);
    return false;
  }
  std::vector<char> record(4 + 20 + 8);
  for (int i = 1; i <= rows; ++i) {
    std::fill(record.begin(), record.end(), 0);
    PX_put_data_long(doc, record.data(), 4, i);
    std::string text = "Name" + std::to_string(i);
    PX_put_data_alpha(doc, record.data() + 4, 20, text.data());
    PX_put_data_double(doc, record.data() + 24, 8, i * 1.5);
    PX_put_record(doc, record.data());
  }
  PX_close(doc);
  PX_delete(doc);
  return true;
}

}  // namespace

CreatedTable CreateNumberedTable(const std::filesystem::path& directory, const std::string& name,
                                 int rows, const std::string& namePicture) {
  CreatedTable result;
  std::string database = directory.string() + "/";
  std::string schema = "ID\tI*\nNAME\tA20\nAMOUNT\tN\n";
  if (!namePicture.empty()) schema += "check NAME picture " + namePicture + "\n";
  if (!StartEngine(&result.reason)) return result;
  // Rows are inserted one by one through the engine; a test asks for few.
  try {
    engine::Engine::instance().createTable(database, name, schema);
    engine::Cursor cursor;
    cursor.open(database, name, PDX_OPEN_READ_WRITE);
    std::string record(static_cast<size_t>(cursor.info().record_size), '\0');
    for (int i = 1; i <= rows; ++i) {
      cursor.initRecord(record.data());
      cursor.putInt(record.data(), 1, i);
      cursor.putBytes(record.data(), 2, "Name" + std::to_string(i));
      cursor.putDouble(record.data(), 3, i * 1.5);
      cursor.insertRecord(record.data());
    }
  } catch (const engine::EngineError& error) {
    result.reason = error.what();
    return result;
  }
  result.created = true;
  return result;
}

CreatedTable WriteNumberedTable(const std::filesystem::path& directory, const std::string& name,
                                int rows) {
  CreatedTable result;
  result.created = WriteWithPxlib(directory / (name + ".DB"), rows, &result.reason);
  return result;
}

}  // namespace data::testing
