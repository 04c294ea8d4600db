#include "csv_writer.h"

#include <cstring>

namespace pdx::tool {
namespace {

// A field that starts with a byte-order mark is quoted too: at the start of
// the file a reader would take the mark for the file's own and drop it.
bool NeedsQuotes(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) return true;
  for (char c : text)
    if (c == ',' || c == '"' || c == '\n' || c == '\r') return true;
  return false;
}

}  // namespace

void CsvWriter::Field(std::string_view text) {
  Separate();
  if (!NeedsQuotes(text)) {
    buffer_.append(text);
    return;
  }
  buffer_.push_back('"');
  for (;;) {
    const size_t quote = text.find('"');
    buffer_.append(text.substr(0, quote));
    if (quote == std::string_view::npos) break;
    buffer_.append("\"\"");
    text.remove_prefix(quote + 1);
  }
  buffer_.push_back('"');
}

void CsvWriter::EndLine() {
  if (fields_ == 1 && buffer_.size() == line_offset_) buffer_.append("\"\"");
  if (crlf_) buffer_.push_back('\r');
  buffer_.push_back('\n');
  line_start_ = true;
  fields_ = 0;
  line_offset_ = buffer_.size();
}

}  // namespace pdx::tool
