// The report's text file. Lines are written into a temporary file beside the
// final one, which takes the final name only when the report is complete: a
// run that fails or is stopped leaves an earlier file of that name as it was
// and no half-written file behind. Lines end with CR LF; the text is written
// byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace report {

class ReportFile {
 public:
  // Throws std::runtime_error("Error creating report.") when the name is
  // empty or no file can be made there.
  explicit ReportFile(const std::string& path);
  // Discards the file unless it was committed.
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // Adds to the current line.
  void append(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kFlushSize) flush();
  }
  void append(char c) { buffer_.push_back(c); }
  void endLine() { append("\r\n"); }

  // Writes what is left and gives the file its final name, replacing an
  // earlier one. Throws std::runtime_error naming the failure.
  void commit();
  // Closes and removes the temporary file.
  void discard();

  const std::string& temporaryPath() const { return temporary_; }

 private:
  static constexpr std::size_t kFlushSize = 1 << 18;
  void flush();
  [[noreturn]] void fail(const char* what);

  std::string path_;
  std::string temporary_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace report
