#include "import_csv.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "base64.h"
#include "csv_reader.h"
#include "field_codec.h"
#include "table_files.h"
#include "table_text.h"

namespace pdx::tool {
namespace {

// Parses one CSV value into a field of record. On a refusal *message says
// why, on one line.
class ValueParser {
 public:
  ValueParser(RowLoader* loader, const TableText* text) : loader_(loader), text_(text) {}

  bool Put(const Field& field, std::string_view value, uint8_t* record, std::string* message) {
    if (value.empty()) return true;  // the record starts blank
    switch (field.type) {
      case FieldType::kAlpha:
      case FieldType::kMemo: {
        std::string_view bytes = value;
        if (text_ != nullptr && !IsAscii(value)) {
          if (!text_->FromUtf8(value, &converted_, message)) return Refuse(field, message);
          bytes = converted_;
        }
        if (field.type != FieldType::kAlpha)
          return Stored(field, loader_->pending()->Put(field, record, bytes), message);
        if (bytes.size() > static_cast<size_t>(field.length))
          return Stored(field, PDX_ERR_OUT_OF_RANGE, message);
        std::memset(record + field.offset, 0, field.length);
        std::memcpy(record + field.offset, bytes.data(), bytes.size());
        return true;
      }
      case FieldType::kBytes:
      case FieldType::kFormattedMemo:
      case FieldType::kBlob:
      case FieldType::kOle:
      case FieldType::kGraphic:
        if (!DecodeBase64(value, &converted_)) {
          *message = "the value is not base64";
          return Refuse(field, message);
        }
        if (field.type != FieldType::kBytes)
          return Stored(field, loader_->pending()->Put(field, record, converted_), message);
        if (converted_.size() > static_cast<size_t>(field.length))
          return Stored(field, PDX_ERR_OUT_OF_RANGE, message);
        std::memset(record + field.offset, 0, field.length);
        std::memcpy(record + field.offset, converted_.data(), converted_.size());
        return true;
      case FieldType::kLogical:
        if (strcasecmp(std::string(value).c_str(), "true") == 0 || value == "T" || value == "t" ||
            value == "1")
          value = "T";
        else if (strcasecmp(std::string(value).c_str(), "false") == 0 || value == "F" ||
                 value == "f" || value == "0")
          value = "F";
        return Stored(field, ParseFieldText(field, value, record), message);
      case FieldType::kTimestamp: {
        converted_.assign(value);
        const size_t t = converted_.find('T');
        if (t != std::string::npos) converted_[t] = ' ';
        return Stored(field, ParseFieldText(field, converted_, record), message);
      }
      default:
        return Stored(field, ParseFieldText(field, value, record), message);
    }
  }

 private:
  static bool Refuse(const Field& field, std::string* message) {
    *message += " (Field: " + field.name + ")";
    return false;
  }
  static bool Stored(const Field& field, pdx_code code, std::string* message) {
    if (code == PDX_OK) return true;
    *message = CodeLine(code, "Field: " + field.name);
    return false;
  }

  RowLoader* loader_;
  const TableText* text_;
  std::string converted_;
};

class Input {
 public:
  ~Input() {
    if (file_ != nullptr && file_ != stdin) std::fclose(file_);
  }
  bool Open(const std::string& path) {
    file_ = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    return file_ != nullptr;
  }
  std::FILE* get() { return file_; }

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace

int ImportCsv(const std::string& table, const std::string& file, const ImportOptions& options) {
  std::string directory, name;
  SplitTablePath(table, &directory, &name);
  Input input;
  if (!input.Open(file)) return Fail(table, "cannot read " + file + ": " + std::strerror(errno));
  RowLoader loader;
  std::string error;
  if (loader.Open(directory, name, options.write, &error) != PDX_OK) return Fail(table, error);
  std::unique_ptr<TableText> text;
  const int code_page = options.code_page != 0 ? options.code_page : loader.code_page();
  if (!options.keep_code_page && !TableText::Make(code_page, &text, &error))
    return Fail(table, error + " Import with --encoding table for text in the table's own bytes.");

  CsvReader csv(input.get());
  std::vector<std::string_view> values;
  if (!csv.Next(&values))
    return Fail(table, csv.error().empty() ? "the input has no line of field names" : csv.error());
  std::vector<int> columns;
  for (std::string_view header : values) {
    std::string field_name, message;
    if (text == nullptr || IsAscii(header))
      field_name = header;
    else if (!text->FromUtf8(header, &field_name, &message))
      return Fail(table, "line 1: " + message);
    const int index = loader.FieldIndex(field_name);
    if (index < 0) return Fail(table, "the table has no field \"" + std::string(header) + "\"");
    if (std::find(columns.begin(), columns.end(), index) != columns.end())
      return Fail(table, "the field \"" + std::string(header) + "\" is named twice");
    columns.push_back(index);
  }

  ValueParser parser(&loader, text.get());
  if (pdx_code code = loader.Begin(); code != PDX_OK) return loader.Abort(code);
  std::vector<uint8_t> record(loader.record_size());
  while (csv.Next(&values)) {
    const std::string where = "line " + std::to_string(csv.line());
    std::fill(record.begin(), record.end(), 0);
    std::string message;
    bool filled = values.size() == columns.size();
    if (!filled)
      message = "expected " + std::to_string(columns.size()) + " values, found " +
                std::to_string(values.size());
    for (size_t i = 0; filled && i < columns.size(); ++i)
      filled = parser.Put(loader.fields()[columns[i]], values[i], record.data(), &message);
    pdx_code code = PDX_OK;
    std::string detail;
    if (filled) code = loader.Check(record.data(), &detail);
    if (filled && code == PDX_OK)
      code = loader.writer()->Insert(record.data(), nullptr, loader.pending());
    loader.ForgetRow(record.data());
    if (!filled) {
      loader.Refuse(where, message);
    } else if (code == PDX_OK) {
      if (code = loader.Written(); code != PDX_OK) return loader.Abort(code);
    } else if (IsRefusal(code) || !detail.empty()) {
      loader.Refuse(where, code, detail);
    } else {
      return loader.Abort(code);
    }
  }
  if (!csv.error().empty())
    return Fail(table, csv.error() + ". The rows of the last group were not written.");
  return loader.Finish();
}

}  // namespace pdx::tool
