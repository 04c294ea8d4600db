#include "row_loader.h"

#include <strings.h>

#include <cstdio>

#include "error_context.h"
#include "record_checks.h"
#include "record_text.h"

namespace pdx::tool {
namespace {

// A group commits early once the blocks it read and changed take this much
// memory (its commit holds them about three times over), so a large group
// in a large table stays within a few hundred megabytes.
constexpr size_t kGroupMemory = size_t{64} << 20;

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) return parts;
    start = tab + 1;
  }
}

}  // namespace

std::string CodeLine(pdx_code code, const std::string& detail) {
  std::string line = CodeText(code);
  if (line.empty()) line = "engine error " + std::to_string(code);
  return OneLine(line, {detail});
}

int Fail(const std::string& table, const std::string& message) {
  std::fprintf(stderr, "pdx: %s: %s\n", table.c_str(), message.c_str());
  return kExitFailed;
}

bool IsRefusal(pdx_code code) {
  return code == PDX_ERR_KEY_VIOLATION || code == PDX_ERR_RECORD_NOT_FOUND ||
         code == PDX_ERR_REQUIRED || code == PDX_ERR_MINIMUM || code == PDX_ERR_MAXIMUM;
}

pdx_code RowLoader::Open(const std::string& directory, const std::string& name,
                         const WriteOptions& options, std::string* error) {
  name_ = name;
  Table::Options table_options;
  table_options.passwords = options.passwords;
  if (pdx_code code = Table::Open(FileSystem::Default(), directory, name, table_options, &table_);
      code != PDX_OK) {
    *error = CodeLine(code, ErrorContext().empty() ? "" : ErrorContext().back());
    return code;
  }
  const std::vector<FieldCheck>* checks = nullptr;
  if (pdx_code code = table_->Checks(&checks); code != PDX_OK) {
    *error = CodeLine(code, "");
    return code;
  }
  checks_ = *checks;
  if (pdx_code code = TableWriter::Open(FileSystem::Default(), table_->path(), &writer_, error);
      code != PDX_OK)
    return code;
  writer_->set_sync(options.sync);
  group_ = options.group < 1 ? 1 : options.group;
  progress_ = options.progress;
  return PDX_OK;
}

int RowLoader::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < fields().size(); ++i)
    if (fields()[i].name.size() == name.size() &&
        strncasecmp(fields()[i].name.data(), name.data(), name.size()) == 0)
      return static_cast<int>(i);
  return -1;
}

bool RowLoader::Columns(const std::string& line, std::vector<int>* columns,
                        std::string* error) const {
  for (std::string_view name : SplitTabs(line)) {
    const int found = FieldIndex(name);
    if (found < 0) {
      *error = "the table has no field \"" + std::string(name) + "\"";
      return false;
    }
    columns->push_back(found);
  }
  return true;
}

pdx_code RowLoader::Fill(const std::vector<int>& columns, const std::string& line, uint8_t* record,
                         std::string* detail) {
  std::vector<std::string_view> values = SplitTabs(line);
  if (values.size() != columns.size()) {
    *detail = "expected " + std::to_string(columns.size()) + " values, found " +
              std::to_string(values.size());
    return PDX_ERR_INVALID_PARAMETER;
  }
  for (size_t i = 0; i < columns.size(); ++i)
    if (pdx_code code =
            PutFieldText(fields()[columns[i]], values[i], record, detail, &long_values_);
        code != PDX_OK)
      return code;
  return PDX_OK;
}

pdx_code RowLoader::Check(const uint8_t* record, std::string* detail) {
  std::string field;
  pdx_code code = CheckRecord(fields(), checks_, record, &field);
  if (code != PDX_OK) *detail = "Field: " + field;
  return code;
}

void RowLoader::Refuse(const std::string& where, pdx_code code, const std::string& detail) {
  Refuse(where, CodeLine(code, detail));
}

void RowLoader::Refuse(const std::string& where, const std::string& message) {
  std::fprintf(stderr, "pdx: %s: %s: %s\n", name_.c_str(), where.c_str(), message.c_str());
  refused_ = true;
}

pdx_code RowLoader::Written() {
  if (++pending_ < group_ && writer_->BatchBytes() < kGroupMemory) return PDX_OK;
  return Commit();
}

pdx_code RowLoader::Commit() {
  if (pdx_code code = writer_->CommitBatch(); code != PDX_OK) return code;
  committed_ += pending_;
  pending_ = 0;
  if (progress_) {
    std::printf("%lld\n", static_cast<long long>(committed_));
    std::fflush(stdout);
  }
  return writer_->BeginBatch();
}

int RowLoader::Finish() {
  pdx_code code = writer_->CommitBatch();
  if (code != PDX_OK) return Fail(name_, CodeLine(code, writer_->last_error()));
  committed_ += pending_;
  if (progress_) std::printf("%lld\n", static_cast<long long>(committed_));
  return refused_ ? kExitRefused : 0;
}

int RowLoader::Abort(pdx_code code) {
  return Fail(name_, CodeLine(code, writer_->last_error()) +
                         " The rows of the last group were not written.");
}

}  // namespace pdx::tool
