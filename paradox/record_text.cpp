#include "record_text.h"

#include <cstring>

#include "byte_order.h"
#include "field_codec.h"
#include "pdx_codes.h"

namespace pdx {

pdx_code PutFieldText(const Field& field, std::string_view text, uint8_t* record,
                      std::string* detail, PendingBlobs* pending) {
  if (!IsBlobType(field.type)) {
    pdx_code code = ParseFieldText(field, text, record);
    if (code != PDX_OK) *detail = "Field: " + field.name;
    return code;
  }
  std::string bytes;
  const bool memo = field.type == FieldType::kMemo || field.type == FieldType::kFormattedMemo;
  if (!(memo ? ParseEscaped(text, &bytes) : ParseHex(text, &bytes))) {
    *detail = "Field: " + field.name;
    return PDX_ERR_OUT_OF_RANGE;
  }
  if (pending != nullptr) {
    pdx_code code = pending->Put(field, record, bytes);
    if (code != PDX_OK) *detail = "Field: " + field.name;
    return code;
  }
  if (bytes.size() > static_cast<size_t>(field.LeaderLength())) {
    *detail = "Field: " + field.name + "; values longer than the leader need the blob file";
    return PDX_ERR_NOT_SUPPORTED;
  }
  uint8_t* at = record + field.offset;
  std::memset(at, 0, field.length);
  std::memcpy(at, bytes.data(), bytes.size());
  StoreLe32(at + field.LeaderLength() + 4, static_cast<uint32_t>(bytes.size()));
  return PDX_OK;
}

}  // namespace pdx
