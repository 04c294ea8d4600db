#include "record_checks.h"

#include <cstring>

#include "field_codec.h"
#include "pdx_codes.h"

namespace pdx {

pdx_code CheckRecord(const std::vector<Field>& fields, const std::vector<FieldCheck>& checks,
                     const uint8_t* record, std::string* field_name) {
  for (const FieldCheck& check : checks) {
    if (check.field_number < 1 || check.field_number > static_cast<int>(fields.size())) continue;
    const Field& field = fields[check.field_number - 1];
    const uint8_t* value = record + field.offset;
    *field_name = field.name;
    if (IsBlank(value, field.length)) {
      // A blank value is only ever refused by the required flag.
      if (check.required) return PDX_ERR_REQUIRED;
      continue;
    }
    if (IsBlobType(field.type)) continue;
    if (check.minimum && check.minimum->size() == static_cast<size_t>(field.length) &&
        std::memcmp(value, check.minimum->data(), field.length) < 0)
      return PDX_ERR_MINIMUM;
    if (check.maximum && check.maximum->size() == static_cast<size_t>(field.length) &&
        std::memcmp(value, check.maximum->data(), field.length) > 0)
      return PDX_ERR_MAXIMUM;
  }
  field_name->clear();
  return PDX_OK;
}

}  // namespace pdx
