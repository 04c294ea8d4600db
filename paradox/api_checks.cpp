// Entry points for a table's validity checks (.VAL).
#include <algorithm>
#include <cstring>

#include "api_state.h"
#include "error_context.h"
#include "field_codec.h"
#include "pdx_codes.h"

using namespace pdx;
using namespace pdx::api;

namespace {

// A check value (in the field's record encoding) as dump-format text.
void ValueText(const Field& field, const std::optional<std::vector<uint8_t>>& value, int* has,
               char* out, size_t size) {
  *has = value.has_value() ? 1 : 0;
  out[0] = '\0';
  if (!value || value->size() < static_cast<size_t>(field.length)) return;
  Field at_start = field;
  at_start.offset = 0;
  std::string text;
  AppendFieldText(at_start, value->data(), &text);
  CopyTruncated(text, out, size);
}

}  // namespace

extern "C" {

pdx_code pdx_check_count(pdx_cursor* cursor, int* count) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (count == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  const std::vector<FieldCheck>* checks;
  if (pdx_code rc = cursor->table->Checks(&checks); rc != PDX_OK) {
    // A damaged .VAL leaves the rows readable: no checks are reported, and
    // the table's write refusal says why changes are refused.
    if (rc != PDX_ERR_CORRUPT_VAL) return Finish(rc);
    ClearErrorContext();
    *count = 0;
    return PDX_OK;
  }
  *count = static_cast<int>(checks->size());
  return PDX_OK;
}

pdx_code pdx_check_desc_get(pdx_cursor* cursor, int index, pdx_check_desc* desc) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  const std::vector<FieldCheck>* checks;
  if (pdx_code rc = cursor->table->Checks(&checks); rc != PDX_OK) return Finish(rc);
  if (desc == nullptr || index < 0 || index >= static_cast<int>(checks->size()))
    return Finish(PDX_ERR_INVALID_PARAMETER);
  const FieldCheck& check = (*checks)[index];
  const Field* field = FieldOf(cursor, check.field_number);
  if (field == nullptr) return Finish(PDX_ERR_CORRUPT_VAL);
  *desc = pdx_check_desc{};
  desc->field_number = check.field_number;
  desc->required = check.required ? 1 : 0;
  ValueText(*field, check.minimum, &desc->has_minimum, desc->minimum, sizeof desc->minimum);
  ValueText(*field, check.maximum, &desc->has_maximum, desc->maximum, sizeof desc->maximum);
  ValueText(*field, check.default_value, &desc->has_default, desc->default_value,
            sizeof desc->default_value);
  const size_t n = std::min(check.picture.size(), sizeof desc->picture - 1);
  std::memcpy(desc->picture, check.picture.data(), n);
  desc->picture[n] = '\0';
  return PDX_OK;
}

}  // extern "C"
