// A file that appears under its name only when it is complete: it is
// written under a temporary name beside its final one and renamed into
// place by Commit, after its bytes are on disk. A failure, a destructor run
// without Commit, or a signal that ends the program (interrupt, terminate,
// hang-up, broken pipe) removes the temporary file, so no half-written file
// is ever found under the final name. An existing file of that name is
// replaced only by the complete one.
#pragma once

#include <cstddef>
#include <string>

namespace pdx::tool {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file for path; path "-" writes to standard
  // output instead, directly.
  bool Create(const std::string& path, std::string* error);
  // The temporary file's name, for a library that opens the file itself.
  const std::string& temporary_path() const { return temporary_; }

  bool Write(const char* data, size_t size, std::string* error);
  // Syncs, closes and renames the file into place.
  bool Commit(std::string* error);
  // Removes the temporary file (the destructor does it too).
  void Discard();

 private:
  std::string path_;
  std::string temporary_;
  int fd_ = -1;
  bool to_stdout_ = false;
};

}  // namespace pdx::tool
