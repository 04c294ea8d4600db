// Input: a CSV file as pdx import reads it. Whatever records it reads must
// survive being written by the export's CSV writer and read again; a
// record's fields taken as base64 must, where they decode, encode back to
// themselves.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "paradox/base64.h"
#include "paradox/csv_reader.h"
#include "paradox/csv_writer.h"

namespace {

std::vector<std::vector<std::string>> ReadAll(const char* data, size_t size, bool* error) {
  std::vector<std::vector<std::string>> records;
  std::FILE* in = fmemopen(const_cast<char*>(data), size, "rb");
  if (in == nullptr) return records;  // fmemopen refuses an empty buffer on some systems
  pdx::tool::CsvReader reader(in);
  std::vector<std::string_view> fields;
  int64_t line = 0;
  while (reader.Next(&fields)) {
    if (reader.line() <= line) std::abort();  // lines only go forward
    line = reader.line();
    records.emplace_back(fields.begin(), fields.end());
  }
  *error = !reader.error().empty();
  std::fclose(in);
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bool error = false;
  const auto records = ReadAll(reinterpret_cast<const char*>(data), size, &error);
  for (bool crlf : {true, false}) {
    pdx::tool::CsvWriter writer(crlf);
    for (const auto& record : records) {
      for (const std::string& field : record) writer.Field(field);
      writer.EndLine();
    }
    bool again_error = false;
    const std::string& text = writer.buffer();
    if (!text.empty() && ReadAll(text.data(), text.size(), &again_error) != records) std::abort();
    if (again_error) std::abort();
  }
  for (const auto& record : records)
    for (const std::string& field : record) {
      std::string bytes, text;
      if (!pdx::tool::DecodeBase64(field, &bytes)) continue;
      pdx::tool::AppendBase64(bytes, &text);
      if (text != field) std::abort();
    }
  return 0;
}
