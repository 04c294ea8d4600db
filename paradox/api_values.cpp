// Entry points that read and write field values in a caller's record buffer.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "api_state.h"
#include "blob_file.h"
#include "error_context.h"
#include "field_codec.h"
#include "pdx_codes.h"
#include "record_text.h"

using namespace pdx;
using namespace pdx::api;

namespace {

bool IsIntegerType(FieldType type) {
  return type == FieldType::kShort || type == FieldType::kLong ||
         type == FieldType::kAutoIncrement || type == FieldType::kLogical ||
         type == FieldType::kDate || type == FieldType::kTime;
}

pdx_code FieldContext(pdx_code code, const Field& field) {
  return Fail(code, "Field: " + field.name);
}

[[gnu::noinline, gnu::cold]] pdx_code NoSuchField(int field_number) {
  return Fail(PDX_ERR_INVALID_PARAMETER, "Field number: " + std::to_string(field_number));
}

// Checks the handle, the field number and the buffer of a value call; a scan
// makes it several times per row, so the failures are kept out of line.
inline pdx_code Prepare(pdx_cursor* cursor, const void* record, int field_number,
                        const Field** field) {
  if (!ValidCursor(cursor)) return PDX_ERR_INVALID_HANDLE;
  *field = FieldOf(cursor, field_number);
  if (*field == nullptr) [[unlikely]]
    return NoSuchField(field_number);
  if (record == nullptr) return PDX_ERR_INVALID_PARAMETER;
  return PDX_OK;
}

pdx_code LocateBlob(pdx_cursor* cursor, const Field& field, const uint8_t* record, BlobFile** blobs,
                    BlobValue* value) {
  *blobs = nullptr;
  const BlobPointer pointer = ParseBlobPointer(record + field.offset, field.length);
  if (pointer.length > static_cast<uint32_t>(field.LeaderLength())) {
    if (pdx_code rc = cursor->table->Blobs(blobs); rc != PDX_OK) return FieldContext(rc, field);
  }
  if (pdx_code rc = LocateBlobValue(*blobs, field, record, value); rc != PDX_OK)
    return FieldContext(rc, field);
  return PDX_OK;
}

// The dump-format text of a field into cursor->text.
pdx_code FieldText(pdx_cursor* cursor, const Field& field, const uint8_t* record) {
  std::string& text = cursor->text;
  text.clear();
  if (!IsBlobType(field.type)) {
    AppendFieldText(field, record, &text);
    return PDX_OK;
  }
  std::string bytes;
  if (const std::string* held = cursor->pending_blobs.Find(field, record)) {
    bytes = *held;
  } else {
    BlobFile* blobs;
    BlobValue value;
    if (pdx_code rc = LocateBlob(cursor, field, record, &blobs, &value); rc != PDX_OK) return rc;
    bytes.resize(value.length);
    size_t got = 0;
    if (pdx_code rc =
            ReadBlobValue(blobs, field, record, value, 0, bytes.data(), bytes.size(), &got);
        rc != PDX_OK)
      return FieldContext(rc, field);
    bytes.resize(got);
  }
  const size_t got = bytes.size();
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  if (field.type == FieldType::kMemo || field.type == FieldType::kFormattedMemo)
    AppendEscaped(data, got, &text);
  else
    AppendHex(data, got, &text);
  return PDX_OK;
}

// A blob field's whole value into the buffer (held until the row is stored
// when it is longer than the leader).
pdx_code PutBlob(pdx_cursor* cursor, void* record, const Field& field, const void* data,
                 size_t length) {
  if (data == nullptr && length > 0) return PDX_ERR_INVALID_PARAMETER;
  const char* bytes = length > 0 ? static_cast<const char*>(data) : "";
  pdx_code rc = cursor->pending_blobs.Put(field, static_cast<uint8_t*>(record),
                                          std::string_view(bytes, length));
  return rc == PDX_OK ? rc : FieldContext(rc, field);
}

}  // namespace

extern "C" {

pdx_code pdx_is_blank(pdx_cursor* cursor, const void* record, int field_number, int* blank) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (blank == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  const uint8_t* data = static_cast<const uint8_t*>(record) + field->offset;
  *blank = IsBlobType(field->type) ? ParseBlobPointer(data, field->length).length == 0
                                   : IsBlank(data, field->length);
  return PDX_OK;
}

pdx_code pdx_get_text(pdx_cursor* cursor, const void* record, int field_number, char* text,
                      size_t size, size_t* length) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (pdx_code rc = FieldText(cursor, *field, static_cast<const uint8_t*>(record)); rc != PDX_OK)
    return Finish(rc);
  const std::string& value = cursor->text;
  if (length != nullptr) *length = value.size();
  if (text != nullptr && size > 0) CopyTruncated(value, text, size);
  return PDX_OK;
}

pdx_code pdx_get_int(pdx_cursor* cursor, const void* record, int field_number, int64_t* value,
                     int* blank) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (value == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  if (!IsIntegerType(field->type)) return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
  const uint8_t* data = static_cast<const uint8_t*>(record) + field->offset;
  const bool is_blank = IsBlank(data, field->length);
  *value = is_blank ? 0 : DecodeInteger(data, field->length);
  if (field->type == FieldType::kLogical) *value = *value != 0;
  if (blank != nullptr) *blank = is_blank;
  return PDX_OK;
}

pdx_code pdx_get_double(pdx_cursor* cursor, const void* record, int field_number, double* value,
                        int* blank) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (value == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  const uint8_t* data = static_cast<const uint8_t*>(record) + field->offset;
  const bool is_blank = IsBlank(data, field->length);
  switch (field->type) {
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kTimestamp:
      *value = is_blank ? 0 : DecodeDouble(data);
      break;
    case FieldType::kBcd:
      *value = is_blank ? 0 : DecodeBcd(data, field->size_byte);
      break;
    default:
      if (!IsIntegerType(field->type))
        return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
      *value = is_blank ? 0 : static_cast<double>(DecodeInteger(data, field->length));
  }
  if (blank != nullptr) *blank = is_blank;
  return PDX_OK;
}

pdx_code pdx_get_bytes(pdx_cursor* cursor, const void* record, int field_number, void* data,
                       size_t size, size_t* length) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (field->type != FieldType::kAlpha && field->type != FieldType::kBytes)
    return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
  const uint8_t* bytes = static_cast<const uint8_t*>(record) + field->offset;
  const size_t n = LengthWithoutPadding(bytes, field->length);
  if (length != nullptr) *length = n;
  if (data != nullptr) std::memcpy(data, bytes, std::min(n, size));
  return PDX_OK;
}

pdx_code pdx_blob_size(pdx_cursor* cursor, const void* record, int field_number, size_t* size) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (size == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  if (!IsBlobType(field->type)) return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
  const auto* bytes = static_cast<const uint8_t*>(record);
  if (const std::string* held = cursor->pending_blobs.Find(*field, bytes)) {
    *size = held->size();
    return PDX_OK;
  }
  BlobFile* blobs;
  BlobValue value;
  if (pdx_code rc = LocateBlob(cursor, *field, bytes, &blobs, &value); rc != PDX_OK)
    return Finish(rc);
  *size = value.length;
  return PDX_OK;
}

pdx_code pdx_blob_read(pdx_cursor* cursor, const void* record, int field_number, size_t offset,
                       void* data, size_t size, size_t* read) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (data == nullptr && size > 0) return Finish(PDX_ERR_INVALID_PARAMETER);
  if (!IsBlobType(field->type)) return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
  const auto* bytes = static_cast<const uint8_t*>(record);
  if (const std::string* held = cursor->pending_blobs.Find(*field, bytes)) {
    const size_t got = offset < held->size() ? std::min(size, held->size() - offset) : 0;
    if (got > 0) std::memcpy(data, held->data() + offset, got);
    if (read != nullptr) *read = got;
    return PDX_OK;
  }
  BlobFile* blobs;
  BlobValue value;
  if (pdx_code rc = LocateBlob(cursor, *field, bytes, &blobs, &value); rc != PDX_OK)
    return Finish(rc);
  size_t got = 0;
  if (pdx_code rc = ReadBlobValue(blobs, *field, bytes, value, offset, data, size, &got);
      rc != PDX_OK)
    return Finish(FieldContext(rc, *field));
  if (read != nullptr) *read = got;
  return PDX_OK;
}

pdx_code pdx_init_record(pdx_cursor* cursor, void* record) {
  Begin();
  if (!ValidCursor(cursor)) return Finish(PDX_ERR_INVALID_HANDLE);
  if (record == nullptr) return Finish(PDX_ERR_INVALID_PARAMETER);
  auto* bytes = static_cast<uint8_t*>(record);
  cursor->pending_blobs.DropBuffer(record);
  std::memset(bytes, 0, cursor->cursor->record_size());
  // Defaults from the validity checks; a damaged .VAL leaves the row blank
  // here and shows its error where the checks are asked for.
  const std::vector<FieldCheck>* checks;
  if (cursor->table->Checks(&checks) != PDX_OK) {
    ClearErrorContext();
    return PDX_OK;
  }
  for (const FieldCheck& check : *checks) {
    const Field* field = FieldOf(cursor, check.field_number);
    if (field != nullptr && check.default_value &&
        check.default_value->size() >= static_cast<size_t>(field->length))
      std::memcpy(bytes + field->offset, check.default_value->data(), field->length);
  }
  return PDX_OK;
}

pdx_code pdx_put_blank(pdx_cursor* cursor, void* record, int field_number) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  cursor->pending_blobs.DropField(record, *field);
  std::memset(static_cast<uint8_t*>(record) + field->offset, 0, field->length);
  return PDX_OK;
}

pdx_code pdx_put_text(pdx_cursor* cursor, void* record, int field_number, const char* text,
                      size_t length) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (text == nullptr && length > 0) return Finish(PDX_ERR_INVALID_PARAMETER);
  std::string detail;
  pdx_code rc = PutFieldText(*field, std::string_view(text ? text : "", length),
                             static_cast<uint8_t*>(record), &detail, &cursor->pending_blobs);
  return Finish(rc == PDX_OK ? rc : FieldContext(rc, *field));
}

pdx_code pdx_put_int(pdx_cursor* cursor, void* record, int field_number, int64_t value) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  uint8_t* data = static_cast<uint8_t*>(record) + field->offset;
  switch (field->type) {
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kTimestamp:
      EncodeDouble(static_cast<double>(value), data);
      return PDX_OK;
    case FieldType::kBcd: {
      uint8_t encoded[kBcdLength];
      if (!EncodeBcdFromDouble(static_cast<double>(value), field->size_byte, encoded))
        return Finish(FieldContext(PDX_ERR_OUT_OF_RANGE, *field));
      std::memcpy(data, encoded, kBcdLength);
      return PDX_OK;
    }
    case FieldType::kLogical:
      value = value != 0;
      break;
    case FieldType::kTime:
      if (value < 0 || value >= kMillisecondsPerDay)
        return Finish(FieldContext(PDX_ERR_INVALID_TIME, *field));
      break;
    default:
      if (!IsIntegerType(field->type))
        return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
  }
  uint8_t encoded[4];
  if (!EncodeInteger(value, encoded, field->length))
    return Finish(FieldContext(
        field->type == FieldType::kDate ? PDX_ERR_INVALID_DATE : PDX_ERR_OUT_OF_RANGE, *field));
  std::memcpy(data, encoded, field->length);
  return PDX_OK;
}

pdx_code pdx_put_double(pdx_cursor* cursor, void* record, int field_number, double value) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (std::isnan(value)) return Finish(FieldContext(PDX_ERR_OUT_OF_RANGE, *field));
  uint8_t* data = static_cast<uint8_t*>(record) + field->offset;
  uint8_t encoded[kBcdLength];
  switch (field->type) {
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kTimestamp:
      EncodeDouble(value, data);
      return PDX_OK;
    case FieldType::kBcd:
      if (!EncodeBcdFromDouble(value, field->size_byte, encoded))
        return Finish(FieldContext(PDX_ERR_OUT_OF_RANGE, *field));
      std::memcpy(data, encoded, kBcdLength);
      return PDX_OK;
    default:
      if (!IsIntegerType(field->type))
        return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
      if (value != std::trunc(value) || std::fabs(value) > 9e15)
        return Finish(FieldContext(PDX_ERR_OUT_OF_RANGE, *field));
  }
  return pdx_put_int(cursor, record, field_number, static_cast<int64_t>(value));
}

pdx_code pdx_put_bytes(pdx_cursor* cursor, void* record, int field_number, const void* data,
                       size_t length) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (IsBlobType(field->type)) return Finish(PutBlob(cursor, record, *field, data, length));
  if (field->type != FieldType::kAlpha && field->type != FieldType::kBytes)
    return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
  if (length > static_cast<size_t>(field->length) || (data == nullptr && length > 0))
    return Finish(FieldContext(PDX_ERR_OUT_OF_RANGE, *field));
  uint8_t* target = static_cast<uint8_t*>(record) + field->offset;
  std::memset(target, 0, field->length);
  if (length > 0) std::memcpy(target, data, length);
  return PDX_OK;
}

pdx_code pdx_blob_write(pdx_cursor* cursor, void* record, int field_number, const void* data,
                        size_t length) {
  Begin();
  const Field* field;
  if (pdx_code rc = Prepare(cursor, record, field_number, &field); rc != PDX_OK) return Finish(rc);
  if (!IsBlobType(field->type)) return Finish(FieldContext(PDX_ERR_INVALID_FIELD_TYPE, *field));
  return Finish(PutBlob(cursor, record, *field, data, length));
}

}  // extern "C"
