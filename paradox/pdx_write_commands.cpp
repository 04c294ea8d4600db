#include "pdx_write_commands.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "api_write.h"
#include "error_context.h"
#include "pdx_codes.h"
#include "row_loader.h"
#include "table_files.h"

namespace pdx::tool {
namespace {

bool ReadLine(std::FILE* input, std::string* line) {
  line->clear();
  int c;
  while ((c = std::getc(input)) != EOF && c != '\n') line->push_back(static_cast<char>(c));
  return c != EOF || !line->empty();
}

int LoadRows(const std::string& directory, const std::string& name, const WriteOptions& options,
             std::FILE* input, bool update) {
  RowLoader loader;
  std::string error;
  if (loader.Open(directory, name, options, &error) != PDX_OK) return Fail(name, error);
  std::string line;
  std::vector<int> columns;
  if (!ReadLine(input, &line)) return Fail(name, "the input has no line of field names");
  if (!loader.Columns(line, &columns, &error)) return Fail(name, error);
  if (update) {
    for (int k = 0; k < loader.key_fields(); ++k)
      if (std::find(columns.begin(), columns.end(), k) == columns.end())
        return Fail(name, "update needs every key field in the input");
    if (loader.key_fields() == 0) return Fail(name, "update needs a keyed table");
  }
  if (pdx_code code = loader.Begin(); code != PDX_OK) return loader.Abort(code);
  std::vector<uint8_t> record(loader.record_size());
  for (long number = 2; ReadLine(input, &line); ++number) {
    std::string detail;
    std::fill(record.begin(), record.end(), 0);
    pdx_code code = PDX_OK;
    if (update) {
      // The row's key first, then the row as it is, then the new values.
      code = loader.Fill(columns, line, record.data(), &detail);
      int64_t at = 0;
      bool found = false;
      if (code == PDX_OK) code = loader.writer()->Locate(record.data(), &at, &found);
      if (code == PDX_OK && !found) code = PDX_ERR_RECORD_NOT_FOUND;
      if (code == PDX_OK) code = loader.writer()->Read(at, record.data());
      if (code == PDX_OK) code = loader.Fill(columns, line, record.data(), &detail);
      if (code == PDX_OK) code = loader.Check(record.data(), &detail);
      if (code == PDX_OK)
        code = loader.writer()->Modify(at, record.data(), nullptr, loader.pending());
    } else {
      code = loader.Fill(columns, line, record.data(), &detail);
      if (code == PDX_OK) code = loader.Check(record.data(), &detail);
      if (code == PDX_OK) code = loader.writer()->Insert(record.data(), nullptr, loader.pending());
    }
    loader.ForgetRow(record.data());
    if (code == PDX_OK) {
      if (code = loader.Written(); code != PDX_OK) return loader.Abort(code);
    } else if (IsRefusal(code) || detail.size() > 0) {
      loader.Refuse("line " + std::to_string(number), code, detail);
    } else {
      return loader.Abort(code);
    }
  }
  return loader.Finish();
}

}  // namespace

int CreateCommand(const std::string& schema_file, const std::string& directory,
                  const std::string& name) {
  std::ifstream in(schema_file, std::ios::binary);
  if (!in) return Fail(schema_file, "cannot read the schema file");
  std::stringstream text;
  text << in.rdbuf();
  ClearErrorContext();
  if (pdx_code code = api::CreateTableFromSchema(directory, name, text.str()); code != PDX_OK) {
    return Fail(name, OneLine(CodeText(code), ErrorContext()));
  }
  return 0;
}

int InsertCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, std::FILE* input) {
  return LoadRows(directory, name, options, input, false);
}

int UpdateCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, std::FILE* input) {
  return LoadRows(directory, name, options, input, true);
}

int DeleteCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, const std::vector<std::string>& keys) {
  RowLoader loader;
  std::string error;
  if (loader.Open(directory, name, options, &error) != PDX_OK) return Fail(name, error);
  if (loader.key_fields() == 0) return Fail(name, "delete needs a keyed table");
  std::vector<int> columns;
  for (int k = 0; k < loader.key_fields(); ++k) columns.push_back(k);
  if (pdx_code code = loader.Begin(); code != PDX_OK) return loader.Abort(code);
  std::vector<uint8_t> record(loader.record_size());
  long argument = 0;
  for (const std::string& key : keys) {
    ++argument;
    std::string detail;
    std::fill(record.begin(), record.end(), 0);
    pdx_code code = loader.Fill(columns, key, record.data(), &detail);
    int64_t at = 0;
    bool found = false;
    if (code == PDX_OK) code = loader.writer()->Locate(record.data(), &at, &found);
    if (code == PDX_OK && !found) code = PDX_ERR_RECORD_NOT_FOUND;
    if (code == PDX_OK) code = loader.writer()->Delete(at);
    if (code == PDX_OK) {
      if (code = loader.Written(); code != PDX_OK) return loader.Abort(code);
    } else if (IsRefusal(code) || detail.size() > 0) {
      loader.Refuse("key " + std::to_string(argument) + " (" + key + ")", code, detail);
    } else {
      return loader.Abort(code);
    }
  }
  return loader.Finish();
}

bool IsWriteCommand(const std::string& word) {
  return word == "create" || word == "insert" || word == "update" || word == "delete";
}

int RunWriteCommand(const std::vector<std::string>& words,
                    const std::vector<std::string>& passwords) {
  WriteOptions options;
  options.passwords = passwords;
  std::vector<std::string> rest;
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i] == "--group" && i + 1 < words.size()) {
      options.group = std::atoi(words[++i].c_str());
      if (options.group < 1) return Fail("pdx", "--group needs a positive number");
    } else if (words[i] == "--progress") {
      options.progress = true;
    } else if (words[i] == "--no-sync") {
      options.sync = false;
    } else {
      rest.push_back(words[i]);
    }
  }
  const std::string& command = words[0];
  const size_t needed = command == "create" ? 2 : 1;
  if (rest.size() < needed || (command != "delete" && rest.size() != needed)) {
    std::fprintf(stderr,
                 "usage: pdx create SCHEMA TABLE | insert TABLE | update TABLE | "
                 "delete TABLE KEY...\n");
    return kExitFailed;
  }
  const std::string& table = command == "create" ? rest[1] : rest[0];
  std::string directory, name;
  SplitTablePath(table, &directory, &name);
  if (command == "create") return CreateCommand(rest[0], directory, name);
  if (command == "insert") return InsertCommand(directory, name, options, stdin);
  if (command == "update") return UpdateCommand(directory, name, options, stdin);
  return DeleteCommand(directory, name, options, {rest.begin() + 1, rest.end()});
}

}  // namespace pdx::tool
