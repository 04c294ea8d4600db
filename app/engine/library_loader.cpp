#include "library_loader.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <new>

#include "paradox/pdx_codes.h"
#include "registry.h"

namespace engine {

namespace {

namespace fs = std::filesystem;

// A file that exists but fails to load means a damaged install; only a bare
// name that the platform cannot find at all means "not found".
bool dlerrorSaysMissing() {
  const char* text = dlerror();
  return text && std::string(text).find("No such file") != std::string::npos;
}

std::string modeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%03o", static_cast<unsigned>(mode & 0777));
  return text;
}

std::vector<std::string> existingCandidates(const LibrarySearch& search) {
  std::vector<std::string> candidates;
  std::error_code ignored;
  std::string program =
      search.programDirectory.empty() ? programDirectory() : search.programDirectory;
  if (!program.empty()) {
    fs::path beside = fs::path(program) / search.fileName;
    if (fs::exists(beside, ignored)) candidates.push_back(beside.string());
  }
  std::string registry = search.registryFile.empty() ? registryFilePath() : search.registryFile;
  auto dllPath = readRegistryValue(registry, search.registryKey, search.registryValue);
  if (dllPath) {
    for (const auto& dir : splitSearchPath(*dllPath)) {
      fs::path candidate = fs::path(dir) / search.fileName;
      if (fs::exists(candidate, ignored)) candidates.push_back(candidate.string());
    }
  }
  return candidates;
}

pdx_code bind(void* handle, Api& api) {
  if (!dlsym(handle, "pdx_init")) return PDX_ERR_NOT_INITIALIZED;
#define VINDRAL_BIND(name)                                               \
  api.name = reinterpret_cast<decltype(api.name)>(dlsym(handle, #name)); \
  if (!api.name) return PDX_ERR_ENTRY_POINT_NOT_FOUND;
  PDX_API_FUNCTIONS(VINDRAL_BIND)
#undef VINDRAL_BIND
  return PDX_OK;
}

std::string loadedFrom(void* symbol, const std::string& fallback) {
  Dl_info info{};
  if (symbol && dladdr(symbol, &info) && info.dli_fname) return info.dli_fname;
  return fallback;
}

}  // namespace

std::string programDirectory() {
  std::error_code failed;
  fs::path executable = fs::read_symlink("/proc/self/exe", failed);
  if (failed || executable.empty()) return {};
  return executable.parent_path().string();
}

std::string unsafeLibraryReason(const std::string& file) {
  constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return {};
  if (info.st_mode & kWritableByOthers)
    return "the file is writable by users other than its owner (mode " + modeText(info.st_mode) +
           ")";
  std::string directory = fs::path(file).parent_path().string();
  if (directory.empty()) directory = ".";
  if (::stat(directory.c_str(), &info) == 0 && (info.st_mode & kWritableByOthers))
    return "its folder " + directory + " is writable by users other than its owner (mode " +
           modeText(info.st_mode) + ")";
  return {};
}

std::vector<std::string> splitSearchPath(const std::string& value) {
  std::vector<std::string> dirs;
  std::string part;
  for (char c : value + ";") {
    if (c == ';' || c == ':') {
      if (!part.empty()) dirs.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  return dirs;
}

pdx_code LoadedLibrary::load(const LibrarySearch& search, Api& api) {
  release();
  refusals_.clear();
  try {
    pdx_code failure = PDX_ERR_LIBRARY_NOT_FOUND;
    for (const auto& candidate : existingCandidates(search)) {
      if (std::string why = unsafeLibraryReason(candidate); !why.empty()) {
        refusals_.push_back(candidate + " was not loaded: " + why + ".");
        continue;
      }
      handle_ = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle_) break;
      dlerror();
      failure = PDX_ERR_LIBRARY_LOAD_FAILED;
    }
    if (!handle_) {
      handle_ = dlopen(search.fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handle_) return dlerrorSaysMissing() ? failure : pdx_code{PDX_ERR_LIBRARY_LOAD_FAILED};
    }
    pdx_code bound = bind(handle_, api);
    if (bound != PDX_OK) {
      release();
      api = Api{};
      return bound;
    }
    path_ = loadedFrom(reinterpret_cast<void*>(api.pdx_init), search.fileName);
    return PDX_OK;
  } catch (const std::bad_alloc&) {
    release();
    api = Api{};
    return PDX_ERR_NO_MEMORY;
  }
}

void LoadedLibrary::release() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
  path_.clear();
}

}  // namespace engine
