// Finds, loads and binds the engine library. The search tries, in turn: the
// library file in the current directory, when it exists there; the same file
// in each directory of the DLLPATH value under the engine's registry key
// (directories separated by ';' or ':'); the platform's own search by the
// bare file name. Loading and binding run under the LIBLDRMUX lock, a file
// lock that dies with its process, so that two programs starting the engine
// at once do not bind a half-written library.
#pragma once

#include <string>
#include <vector>

#include "api.h"
#include "paradox/pdx.h"

namespace engine {

struct LibrarySearch {
  std::string fileName = "libpdx.so";
  std::string registryKey = "Software\\Vindral\\Table Engine";
  std::string registryValue = "DLLPATH";
  std::string registryFile;  // empty: registryFilePath()
};

class LoadedLibrary {
 public:
  LoadedLibrary() = default;
  ~LoadedLibrary() { release(); }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  // Loads by the search order and binds every entry point into api. Answers
  // 0, or the loader's code: PDX_ERR_LIBRARY_NOT_FOUND,
  // PDX_ERR_LIBRARY_LOAD_FAILED, PDX_ERR_NO_MEMORY, PDX_ERR_NOT_INITIALIZED
  // (the library has no engine start entry) or PDX_ERR_ENTRY_POINT_NOT_FOUND.
  pdx_code load(const LibrarySearch& search, Api& api);
  void release();

  bool loaded() const { return handle_ != nullptr; }
  // The file the library was loaded from (after the platform's search).
  const std::string& path() const { return path_; }

 private:
  void* handle_ = nullptr;
  std::string path_;
};

// The directories of a DLLPATH value, in order, empty parts left out.
std::vector<std::string> splitSearchPath(const std::string& value);

}  // namespace engine
