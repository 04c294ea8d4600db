#include "table_rows.h"

#include "blob_file.h"
#include "error_context.h"
#include "field_codec.h"
#include "table_files.h"

namespace pdx::tool {

std::string DirectoryArgument(const std::string& directory) {
  if (directory.find('/') != std::string::npos) return directory;
  return directory == "." ? "./" : "./" + directory;
}

pdx_code TableRows::Open(const std::string& path, const std::vector<std::string>& passwords,
                         std::unique_ptr<TableRows>* rows, std::string* error) {
  std::string directory, name;
  SplitTablePath(path, &directory, &name);
  directory = DirectoryArgument(directory);
  std::unique_ptr<TableRows> opened(new TableRows());
  Table::Options options;
  options.passwords = passwords;
  ClearErrorContext();
  if (pdx_code code = Table::Open(FileSystem::Default(), directory, name, options, &opened->table_);
      code != PDX_OK) {
    *error = opened->error(code);
    return code;
  }
  opened->cursor_ = std::make_unique<Cursor>(opened->table_.get());
  opened->record_.resize(opened->table_->header().record_size);
  opened->scratch_.resize(opened->fields().size());
  *rows = std::move(opened);
  return PDX_OK;
}

std::string TableRows::stem() const {
  const std::string& path = table_->path();
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.substr(0, name.size() - 3);
}

pdx_code TableRows::Next() {
  ClearErrorContext();
  return cursor_->Next(record_.data());
}

std::string TableRows::error(pdx_code code) const {
  std::string text = CodeText(code);
  if (text.empty()) text = "engine error " + std::to_string(code);
  return OneLine(text, ErrorContext()) + " (engine code " + std::to_string(code) + ")";
}

pdx_code TableRows::ReadBlob(const Field& field, std::string* bytes) {
  const uint8_t* record = record_.data();
  const BlobPointer pointer = ParseBlobPointer(record + field.offset, field.length);
  BlobFile* blobs = nullptr;
  if (pointer.length > static_cast<uint32_t>(field.LeaderLength()))
    if (pdx_code code = table_->Blobs(&blobs); code != PDX_OK)
      return AddErrorContext(code, "Field: " + field.name);
  BlobValue value;
  if (pdx_code code = LocateBlobValue(blobs, field, record, &value); code != PDX_OK)
    return AddErrorContext(code, "Field: " + field.name);
  bytes->resize(value.length);
  size_t got = 0;
  if (pdx_code code =
          ReadBlobValue(blobs, field, record, value, 0, bytes->data(), bytes->size(), &got);
      code != PDX_OK)
    return AddErrorContext(code, "Field: " + field.name);
  bytes->resize(got);
  return PDX_OK;
}

pdx_code TableRows::Get(size_t index, Value* value) {
  const Field& field = fields()[index];
  const uint8_t* data = record_.data() + field.offset;
  std::string& scratch = scratch_[index];
  value->kind = ValueKind::kBlank;
  if (IsBlobType(field.type)) {
    if (ParseBlobPointer(data, field.length).length == 0) return PDX_OK;
    if (pdx_code code = ReadBlob(field, &scratch); code != PDX_OK) return code;
    if (scratch.empty()) return PDX_OK;
    value->kind = field.type == FieldType::kMemo ? ValueKind::kText : ValueKind::kBytes;
    value->text = scratch;
    return PDX_OK;
  }
  if (IsBlank(data, field.length)) return PDX_OK;
  switch (field.type) {
    case FieldType::kAlpha:
    case FieldType::kBytes:
      value->kind = field.type == FieldType::kAlpha ? ValueKind::kText : ValueKind::kBytes;
      value->text = std::string_view(reinterpret_cast<const char*>(data),
                                     LengthWithoutPadding(data, field.length));
      break;
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoIncrement:
      value->kind = ValueKind::kInteger;
      value->integer = DecodeInteger(data, field.length);
      break;
    case FieldType::kLogical:
      value->kind = ValueKind::kLogical;
      value->integer = DecodeInteger(data, 1) != 0;
      break;
    case FieldType::kNumber:
    case FieldType::kMoney:
      value->kind = ValueKind::kReal;
      value->real = DecodeDouble(data);
      break;
    case FieldType::kBcd:
    case FieldType::kDate:
    case FieldType::kTime:
    case FieldType::kTimestamp: {
      scratch.clear();
      AppendFieldText(field, record_.data(), &scratch);
      value->text = scratch;
      if (field.type == FieldType::kBcd) {
        value->kind = ValueKind::kDecimal;
        value->real = DecodeBcd(data, field.size_byte);
      } else if (field.type == FieldType::kTimestamp) {
        // The dump writes date and time apart; ISO 8601 joins them with a T.
        const size_t space = scratch.find(' ');
        if (space == std::string::npos) {
          value->kind = ValueKind::kReal;  // a value no calendar can show
          value->real = DecodeDouble(data);
        } else {
          scratch[space] = 'T';
          value->kind = ValueKind::kTimestamp;
        }
      } else {
        value->kind = field.type == FieldType::kDate ? ValueKind::kDate : ValueKind::kTime;
      }
      break;
    }
    default:
      break;
  }
  return PDX_OK;
}

}  // namespace pdx::tool
