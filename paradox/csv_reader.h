// Records of a CSV file (RFC 4180) read from a stream: fields separated by
// commas, quoted fields with doubled quotes, commas and line breaks inside,
// lines ended by CR LF or LF. A byte-order mark at the start and empty
// lines are skipped. A
// quote inside an unquoted field is taken as it stands; a quoted field that
// does not end at a comma or the end of a line, and one that is never
// closed, are errors.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace pdx::tool {

class CsvReader {
 public:
  explicit CsvReader(std::FILE* input) : input_(input), buffer_(1 << 16) {}

  // The next record's fields, valid until the next call. False at the end
  // of the input, and on an error, which error() then describes.
  bool Next(std::vector<std::string_view>* fields);
  // The line the last record started on, counted from 1.
  int64_t line() const { return record_line_; }
  const std::string& error() const { return error_; }

 private:
  // The next byte, or -1 at the end of the input.
  int Get() {
    if (position_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[position_++]);
  }
  int Peek() {
    if (position_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[position_]);
  }
  bool Fill();
  bool Fail(const std::string& message);

  std::FILE* input_;
  std::vector<char> buffer_;
  size_t position_ = 0, end_ = 0;
  bool started_ = false;
  int64_t line_ = 1;
  int64_t record_line_ = 0;
  std::string text_;            // the current record's unquoted bytes
  std::vector<size_t> bounds_;  // field ends in text_
  std::string error_;
};

}  // namespace pdx::tool
