#include "export_csv.h"

#include <charconv>
#include <memory>

#include "base64.h"
#include "csv_writer.h"
#include "output_file.h"
#include "row_loader.h"
#include "table_rows.h"
#include "table_text.h"

namespace pdx::tool {
namespace {

constexpr size_t kFlushBytes = size_t{256} << 10;

// Writes a value whose text never needs quotes.
template <typename Number>
void AppendNumber(Number number, CsvWriter* csv) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number);
  csv->PlainField(std::string_view(buffer, end - buffer));
}

class CsvExport {
 public:
  CsvExport(TableRows* rows, const TableText* text, const ExportOptions& options)
      : rows_(rows), text_(text), csv_(!options.lf) {
    for (size_t i = 0; i < rows->fields().size(); ++i) {
      const FieldType type = rows->fields()[i].type;
      const bool blob =
          type == FieldType::kBlob || type == FieldType::kOle || type == FieldType::kGraphic;
      if (!(options.no_blobs && blob)) columns_.push_back(i);
    }
  }

  CsvWriter& csv() { return csv_; }

  void Header() {
    for (size_t i : columns_) Text(rows_->fields()[i].name);
    csv_.EndLine();
  }

  pdx_code Row() {
    Value value;
    for (size_t i : columns_) {
      if (pdx_code code = rows_->Get(i, &value); code != PDX_OK) return code;
      switch (value.kind) {
        case ValueKind::kBlank:
          csv_.EmptyField();
          break;
        case ValueKind::kInteger:
          AppendNumber(value.integer, &csv_);
          break;
        case ValueKind::kLogical:
          csv_.PlainField(value.integer ? "true" : "false");
          break;
        case ValueKind::kReal:
          AppendNumber(value.real, &csv_);
          break;
        case ValueKind::kDecimal:
        case ValueKind::kDate:
        case ValueKind::kTime:
        case ValueKind::kTimestamp:
          csv_.PlainField(value.text);
          break;
        case ValueKind::kText:
          Text(value.text);
          break;
        case ValueKind::kBytes:
          csv_.StartPlainField();
          AppendBase64(value.text, &csv_.buffer());
          break;
      }
    }
    csv_.EndLine();
    return PDX_OK;
  }

 private:
  void Text(std::string_view text) {
    if (text_ == nullptr || IsAscii(text)) {
      csv_.Field(text);
      return;
    }
    converted_.clear();
    text_->AppendUtf8(text, &converted_);
    csv_.Field(converted_);
  }

  TableRows* rows_;
  const TableText* text_;  // null: text stays in the table's code page
  CsvWriter csv_;
  std::vector<size_t> columns_;
  std::string converted_;
};

}  // namespace

int ExportCsv(const std::string& table, const std::string& file, const ExportOptions& options) {
  std::unique_ptr<TableRows> rows;
  std::string error;
  if (TableRows::Open(table, options.passwords, &rows, &error) != PDX_OK) return Fail(table, error);
  std::unique_ptr<TableText> text;
  const int code_page = options.code_page != 0 ? options.code_page : rows->code_page();
  if (!options.keep_code_page && !TableText::Make(code_page, &text, &error))
    return Fail(table, error + " Export with --encoding table to keep the table's own bytes.");
  OutputFile out;
  if (!out.Create(file, &error)) return Fail(table, error);
  CsvExport csv(rows.get(), text.get(), options);
  csv.Header();
  const int64_t total = rows->row_count();
  int64_t done = 0;
  pdx_code code;
  while ((code = rows->Next()) == PDX_OK) {
    if (code = csv.Row(); code != PDX_OK) break;
    if (csv.csv().buffer().size() >= kFlushBytes) {
      if (!out.Write(csv.csv().buffer().data(), csv.csv().buffer().size(), &error))
        return Fail(table, error);
      csv.csv().Clear();
    }
    if (++done % kProgressRows == 0 && options.progress) ReportProgress(table, done, total);
  }
  if (code != PDX_ERR_EOF) return Fail(table, rows->error(code));
  if (!out.Write(csv.csv().buffer().data(), csv.csv().buffer().size(), &error) ||
      !out.Commit(&error))
    return Fail(table, error);
  if (options.progress) ReportProgress(table, done, total);
  return 0;
}

}  // namespace pdx::tool
