// Lines of a CSV file (RFC 4180) built into a buffer: fields separated by
// commas, quoted only when they hold a comma, a quote or a line break (a
// quote inside is doubled), lines ended by CR LF or, by choice, LF alone.
// A line of one empty field is written as "" so that readers do not take it
// for an empty line, and a field that starts with a byte-order mark is
// quoted so that it is not taken for the file's own.
#pragma once

#include <string>
#include <string_view>

namespace pdx::tool {

class CsvWriter {
 public:
  explicit CsvWriter(bool crlf) : crlf_(crlf) {}

  // Adds a field to the current line, quoted when it needs to be.
  void Field(std::string_view text);
  // Adds a field the caller knows to need no quotes (numbers, dates).
  void PlainField(std::string_view text) {
    Separate();
    buffer_.append(text);
  }
  // Adds an empty field, for a blank value.
  void EmptyField() { Separate(); }
  // Room to write a field in place: the caller appends to buffer() after it.
  void StartPlainField() { Separate(); }
  void EndLine();

  std::string& buffer() { return buffer_; }
  // Empties the buffer after its lines were written out, between lines.
  void Clear() {
    buffer_.clear();
    line_offset_ = 0;
  }

 private:
  void Separate() {
    if (!line_start_) buffer_.push_back(',');
    line_start_ = false;
    ++fields_;
  }

  bool crlf_;
  bool line_start_ = true;
  int fields_ = 0;          // in the current line
  size_t line_offset_ = 0;  // where the current line starts in buffer_
  std::string buffer_;
};

}  // namespace pdx::tool
