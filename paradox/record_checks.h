// The validity checks a row must pass before it is written: a required
// field must not be blank, and a value must lie within the field's minimum
// and maximum. Stored values compare like the values they encode, so the
// comparison is on the record bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "field_type.h"
#include "val_file.h"

namespace pdx {

// PDX_OK, or PDX_ERR_REQUIRED / PDX_ERR_MINIMUM / PDX_ERR_MAXIMUM with
// *field_name set to the field concerned.
pdx_code CheckRecord(const std::vector<Field>& fields, const std::vector<FieldCheck>& checks,
                     const uint8_t* record, std::string* field_name);

}  // namespace pdx
