// Input: a whole .VAL image. Whatever parses must serialize to bytes that
// parse again to the same serialization, and resolve against its own fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "paradox/pdx_codes.h"
#include "paradox/val_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pdx::ValFile file;
  if (pdx::ParseValFile(data, size, &file) != PDX_OK) return 0;
  std::vector<pdx::Field> fields;
  for (const pdx::ValField& recorded : file.fields) {
    pdx::Field field;
    if (!pdx::FieldTypeFromCode(recorded.type, &field.type)) continue;
    field.size_byte = recorded.size_byte;
    field.id = recorded.id;
    field.name = recorded.name;
    fields.push_back(field);
  }
  std::vector<pdx::FieldCheck> checks;
  pdx::ResolveChecks(file, fields, file.structure_count(), &checks);

  std::vector<uint8_t> bytes = pdx::SerializeValFile(file);
  pdx::ValFile again;
  if (pdx::ParseValFile(bytes.data(), bytes.size(), &again) != PDX_OK) std::abort();
  if (pdx::SerializeValFile(again) != bytes) std::abort();
  return 0;
}
