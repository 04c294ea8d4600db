#include "table_files.h"

#include <strings.h>

#include <cctype>

#include "pdx_codes.h"

namespace pdx {
namespace {

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         strcasecmp(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

bool IsHexDigit(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash)
             ? path
             : path.substr(0, dot);
}

std::string TableStem(const std::string& name) {
  return EndsWithNoCase(name, kDataExtension) && name.size() > 3 ? name.substr(0, name.size() - 3)
                                                                 : name;
}

std::string DataFileName(const std::string& name) {
  return EndsWithNoCase(name, kDataExtension) ? name : name + kDataExtension;
}

void SplitTablePath(const std::string& path, std::string* directory, std::string* name) {
  const size_t slash = path.rfind('/');
  // "./", not ".": a database name without a slash would be taken for an alias.
  *directory = slash == std::string::npos ? "./" : DirectoryOf(path);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FindCompanion(FileSystem* fs, const std::string& db_path,
                          const std::string& extension) {
  return FindFileNoCase(fs, DirectoryOf(db_path),
                        FileNameOf(WithoutExtension(db_path)) + extension);
}

std::string CompanionPath(const std::string& db_path, const std::string& extension) {
  return WithoutExtension(db_path) + extension;
}

bool IsSecondaryIndexExtension(const std::string& extension) {
  if (extension.size() != 3) return false;
  const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(extension[0])));
  if (kind != 'X' && kind != 'Y') return false;
  if (extension[1] == 'G' || extension[1] == 'g') return IsHexDigit(extension[2]);
  return IsHexDigit(extension[1]) && IsHexDigit(extension[2]);
}

pdx_code ListTableFiles(FileSystem* fs, const std::string& directory, const std::string& stem,
                        std::vector<std::string>* names) {
  names->clear();
  std::vector<std::string> all;
  if (pdx_code code = fs->ListDirectory(directory.empty() ? "." : directory, &all); code != PDX_OK)
    return code;
  for (std::string& name : all) {
    if (name.size() > stem.size() && name[stem.size()] == '.' &&
        name.find('.', stem.size() + 1) == std::string::npos &&
        strncasecmp(name.c_str(), stem.c_str(), stem.size()) == 0)
      names->push_back(std::move(name));
  }
  return PDX_OK;
}

}  // namespace pdx
