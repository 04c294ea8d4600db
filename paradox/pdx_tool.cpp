// pdx: the command-line face of the table store.
//
//   pdx [--password PW]... info TABLE
//   pdx [--password PW]... dump TABLE
//   pdx [--password PW]... check TABLE
//   pdx create|insert|update|delete ... (pdx_write_commands.h)
//   pdx export|import ... (pdx_exchange_commands.h)
//
// TABLE is a path to the table's .DB file (the extension may be left out;
// names match without regard to case). dump writes the dump format described
// in dump-format.md. Exit status 0 on success; 2, with one message on
// standard error, when the table cannot be read.
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "error_context.h"
#include "file_system.h"
#include "pdx.h"
#include "pdx_codes.h"
#include "pdx_exchange_commands.h"
#include "pdx_write_commands.h"
#include "table_check.h"
#include "table_files.h"
#include "table_rows.h"

namespace {

constexpr int kExitFailure = 2;

// Reports the last engine error on standard error as one line.
int Failure(const std::string& table) {
  pdx_code code = 0;
  char text[2048];
  pdx_last_error(&code, text, sizeof text);
  std::vector<std::string> lines;
  std::istringstream all(text);
  for (std::string line; std::getline(all, line);) lines.push_back(line);
  const std::string message =
      lines.empty() ? "" : pdx::OneLine(lines[0], {lines.begin() + 1, lines.end()});
  std::fprintf(stderr, "pdx: %s: %s (engine code %u)\n", table.c_str(), message.c_str(), code);
  return kExitFailure;
}

int Usage() {
  std::fprintf(
      stderr,
      "usage: pdx [--password PW]... info|dump|check TABLE\n"
      "       pdx [--password PW]... create SCHEMA TABLE | insert|update TABLE |\n"
      "           delete TABLE KEY...   [--group N] [--progress] [--no-sync]\n"
      "       pdx [--password PW]... export TABLE --csv FILE|- | export TABLE|DIR --sqlite FILE |\n"
      "           import TABLE --csv FILE|-   (pdx export, pdx import: their options)\n");
  return kExitFailure;
}

// Buffered standard output: one write per 256 KB, not per row.
class Output {
 public:
  ~Output() { Flush(); }
  void Append(const char* data, size_t n) {
    buffer_.append(data, n);
    if (buffer_.size() >= (256u << 10)) Flush();
  }
  void Append(const std::string& text) { Append(text.data(), text.size()); }
  void Append(char c) { buffer_.push_back(c); }
  bool Flush() {
    bool ok = std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) == buffer_.size();
    buffer_.clear();
    return ok && std::fflush(stdout) == 0;
  }

 private:
  std::string buffer_;
};

std::string LevelText(int level) {
  return std::to_string(level / 10) + "." + std::to_string(level % 10);
}

int Info(pdx_cursor* cursor, const std::string& table) {
  pdx_cursor_info info;
  if (pdx_cursor_info_get(cursor, &info) != PDX_OK) return Failure(table);
  std::printf("Table: %s\n", table.c_str());
  std::printf("Name in header: %s\n", info.table_name);
  std::printf("Level: %s\n", LevelText(info.level).c_str());
  std::printf("File type: %d (%s)\n", info.file_type, info.file_type == 0 ? "keyed" : "unkeyed");
  std::printf("Record size: %d\n", info.record_size);
  std::printf("Record count: %lld\n", static_cast<long long>(info.record_count));
  std::printf("Block size: %d\n", info.block_size);
  std::printf("Code page: %d\n", info.code_page);
  std::printf("Sort order: %s\n", info.sort_order);
  std::printf("Password protected: %s\n", info.encrypted ? "yes" : "no");
  std::printf("Key fields: %d\n", info.key_field_count);
  if (info.read_only_reason[0] != '\0') std::printf("Writable: no, %s\n", info.read_only_reason);
  std::printf("Fields: %d\n", info.field_count);
  for (int i = 1; i <= info.field_count; ++i) {
    pdx_field_desc desc;
    if (pdx_field_desc_get(cursor, i, &desc) != PDX_OK) return Failure(table);
    std::string type(1, desc.type);
    if (desc.size > 0 || desc.type == 'A' || desc.type == 'Y') type += std::to_string(desc.size);
    std::printf("  %d\t%s\t%s%s\n", i, desc.name, type.c_str(),
                i <= info.key_field_count ? "\tkey" : "");
  }
  int checks = 0;
  if (pdx_check_count(cursor, &checks) != PDX_OK) return Failure(table);
  std::printf("Validity checks: %d\n", checks);
  for (int i = 0; i < checks; ++i) {
    pdx_check_desc check;
    pdx_field_desc desc;
    if (pdx_check_desc_get(cursor, i, &check) != PDX_OK ||
        pdx_field_desc_get(cursor, check.field_number, &desc) != PDX_OK)
      return Failure(table);
    std::printf("  %s:", desc.name);
    if (check.required) std::printf(" required");
    if (check.has_minimum) std::printf(" min=%s", check.minimum);
    if (check.has_maximum) std::printf(" max=%s", check.maximum);
    if (check.has_default) std::printf(" default=%s", check.default_value);
    if (check.picture[0] != '\0') std::printf(" picture=%s", check.picture);
    std::printf("\n");
  }
  return 0;
}

int Dump(pdx_cursor* cursor, const std::string& table) {
  pdx_cursor_info info;
  if (pdx_cursor_info_get(cursor, &info) != PDX_OK) return Failure(table);
  Output out;
  for (int i = 1; i <= info.field_count; ++i) {
    pdx_field_desc desc;
    if (pdx_field_desc_get(cursor, i, &desc) != PDX_OK) return Failure(table);
    if (i > 1) out.Append('\t');
    out.Append(desc.name, std::strlen(desc.name));
  }
  out.Append('\n');
  std::vector<unsigned char> record(info.record_size);
  std::vector<char> text(4096);
  pdx_code rc;
  while ((rc = pdx_next(cursor, record.data())) == PDX_OK) {
    for (int i = 1; i <= info.field_count; ++i) {
      size_t length = 0;
      if (pdx_get_text(cursor, record.data(), i, text.data(), text.size(), &length) != PDX_OK)
        return out.Flush(), Failure(table);
      if (length >= text.size()) {
        text.resize(length + 1);
        if (pdx_get_text(cursor, record.data(), i, text.data(), text.size(), &length) != PDX_OK)
          return out.Flush(), Failure(table);
      }
      if (i > 1) out.Append('\t');
      out.Append(text.data(), length);
    }
    out.Append('\n');
  }
  if (rc != PDX_ERR_EOF) return out.Flush(), Failure(table);
  if (!out.Flush()) {
    std::fprintf(stderr, "pdx: cannot write the dump\n");
    return kExitFailure;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> passwords, words;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--password") == 0) {
      if (++i == argc) return Usage();
      passwords.emplace_back(argv[i]);
    } else {
      words.emplace_back(argv[i]);
    }
  }
  if (!words.empty() && pdx::tool::IsWriteCommand(words[0]))
    return pdx::tool::RunWriteCommand(words, passwords);
  if (!words.empty() && pdx::tool::IsExchangeCommand(words[0]))
    return pdx::tool::RunExchangeCommand(words, passwords);
  if (words.size() != 2 || (words[0] != "info" && words[0] != "dump" && words[0] != "check"))
    return Usage();
  const std::string& table = words[1];
  std::string directory, name;
  pdx::SplitTablePath(table, &directory, &name);
  if (words[0] == "check") {
    std::string out, error;
    const int status =
        pdx::CheckCommand(pdx::FileSystem::Default(), directory, name, passwords, &out, &error);
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (!error.empty()) std::fprintf(stderr, "pdx: %s\n", error.c_str());
    return status;
  }

  pdx_session* session = nullptr;
  pdx_cursor* cursor = nullptr;
  pdx_code rc = pdx_init(PDX_INTERFACE_VERSION, "0009");
  if (rc != PDX_OK && rc != PDX_ERR_ALREADY_INITIALIZED) return Failure(table);
  if (pdx_session_open("pdx", &session) != PDX_OK) return Failure(table);
  for (const std::string& password : passwords) pdx_session_add_password(session, password.c_str());
  int status;
  const std::string database = pdx::tool::DirectoryArgument(directory);
  if (pdx_table_open(session, database.c_str(), name.c_str(), PDX_OPEN_READ_ONLY, &cursor) !=
      PDX_OK) {
    status = Failure(table);
  } else {
    status = words[0] == "info" ? Info(cursor, table) : Dump(cursor, table);
  }
  pdx_exit();
  return status;
}
