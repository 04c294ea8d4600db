// Finds, loads and binds the engine library. The search tries, in turn: the
// library file in the running program's own directory (resolved through
// /proc/self/exe), when it exists there; the same file in each directory of
// the DLLPATH value under the engine's registry key (directories separated
// by ';' or ':'); the platform's own search by the bare file name. The
// current directory is never searched: a library of that name in a
// downloads folder or an unpacked archive would run with the user's rights.
//
// A library file found in the first two steps is not loaded when it, or the
// directory holding it, can be written by users other than its owner (group
// or world write permission): the search goes on as if the file were not
// there, and refusals() says which file was refused and why.
//
// Loading and binding run under the LIBLDRMUX lock, a file lock that dies
// with its process, so that two programs starting the engine at once do not
// bind a half-written library.
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
  std::string registryFile;      // empty: registryFilePath()
  std::string programDirectory;  // empty: the running program's own directory
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
  // One line per library file the last load found but would not load, naming
  // the file and why.
  const std::vector<std::string>& refusals() const { return refusals_; }

 private:
  void* handle_ = nullptr;
  std::string path_;
  std::vector<std::string> refusals_;
};

// The directory of the running program's executable; empty when it cannot be
// resolved.
std::string programDirectory();

// Why a library file may not be loaded: it, or its directory, is writable by
// its group or by everyone. Empty when it may be loaded.
std::string unsafeLibraryReason(const std::string& file);

// The directories of a DLLPATH value, in order, empty parts left out.
std::vector<std::string> splitSearchPath(const std::string& value);

}  // namespace engine
