// Dump-format text into a field of a record buffer, for every field type:
// what `pdx insert` and the sample generator store. A memo or blob value
// longer than the field's leader is held in pending until the row is stored
// (without pending such values answer PDX_ERR_NOT_SUPPORTED).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "field_type.h"
#include "pdx.h"
#include "pending_blobs.h"

namespace pdx {

// On failure answers the engine code and sets *detail to a context line;
// the record is then left as it was.
pdx_code PutFieldText(const Field& field, std::string_view text, uint8_t* record,
                      std::string* detail, PendingBlobs* pending = nullptr);

}  // namespace pdx
