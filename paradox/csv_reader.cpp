#include "csv_reader.h"

namespace pdx::tool {

bool CsvReader::Fill() {
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), input_);
  position_ = 0;
  return end_ > 0;
}

bool CsvReader::Fail(const std::string& message) {
  error_ = "line " + std::to_string(line_) + ": " + message;
  return false;
}

bool CsvReader::Next(std::vector<std::string_view>* fields) {
  fields->clear();
  if (!error_.empty()) return false;
  if (!started_) {
    started_ = true;
    if (Peek() == 0xEF) {
      // A byte-order mark: some programs start UTF-8 files with one.
      const size_t at = position_;
      if (end_ - at >= 3 && static_cast<unsigned char>(buffer_[at + 1]) == 0xBB &&
          static_cast<unsigned char>(buffer_[at + 2]) == 0xBF)
        position_ += 3;
    }
  }
  int c = Get();
  // Empty lines hold no record (a record of one empty field is written "").
  while (c == '\n' || (c == '\r' && Peek() == '\n')) {
    if (c == '\r') Get();
    ++line_;
    c = Get();
  }
  if (c < 0) return false;
  record_line_ = line_;
  text_.clear();
  bounds_.clear();
  for (;;) {
    // One field, starting at c.
    if (c == '"') {
      const int64_t opened = line_;
      for (;;) {
        c = Get();
        if (c < 0) {
          line_ = opened;
          return Fail("a quoted field is not closed");
        }
        if (c == '"') {
          if (Peek() != '"') break;
          Get();
        } else if (c == '\n') {
          ++line_;
        }
        text_.push_back(static_cast<char>(c));
      }
      c = Get();
      if (c == '\r' && Peek() == '\n') c = Get();
      if (c >= 0 && c != ',' && c != '\n')
        return Fail("a quoted field must end at a comma or at the end of the line");
    } else {
      while (c >= 0 && c != ',' && c != '\n') {
        if (c == '\r' && Peek() == '\n') {
          c = Get();
          break;
        }
        text_.push_back(static_cast<char>(c));
        c = Get();
      }
    }
    bounds_.push_back(text_.size());
    if (c != ',') break;
    c = Get();
    if (c < 0 || c == '\n' || (c == '\r' && Peek() == '\n')) {
      // A comma at the end of the line: one more, empty field.
      if (c == '\r') c = Get();
      bounds_.push_back(text_.size());
      break;
    }
  }
  if (c == '\n') ++line_;
  size_t start = 0;
  for (size_t end : bounds_) {
    fields->emplace_back(text_.data() + start, end - start);
    start = end;
  }
  return true;
}

}  // namespace pdx::tool
