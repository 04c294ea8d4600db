#include "engine_config.h"
#include "table_files.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace pdx {
namespace {

std::string Trim(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *text = buffer.str();
  return true;
}

std::string ModuleDirectory() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&LoadEngineConfig), &info) == 0 || info.dli_fname == nullptr)
    return {};
  return DirectoryOf(info.dli_fname);
}

}  // namespace

std::string EngineConfig::AliasPath(const std::string& alias) const {
  auto it = aliases.find(Upper(alias));
  return it == aliases.end() ? std::string() : it->second;
}

int EngineConfig::AliasCodePage(const std::string& alias) const {
  auto it = code_pages.find(Upper(alias));
  return it == code_pages.end() ? 0 : it->second;
}

EngineConfig ParseEngineConfig(const std::string& text) {
  EngineConfig config;
  std::istringstream lines(text);
  std::string line, section;
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = Upper(Trim(line.substr(1, line.size() - 2)));
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string name = Trim(line.substr(0, equals));
    std::string value = Trim(line.substr(equals + 1));
    if (section == "ALIASES") {
      if (!name.empty()) config.aliases[Upper(name)] = value;
    } else if (Upper(name) == "CODEPAGE") {
      // Any other section is an alias's own; a code page that is no plain
      // positive number is skipped like any unreadable line.
      char* end = nullptr;
      const long code_page = std::strtol(value.c_str(), &end, 10);
      if (!value.empty() && *end == '\0' && code_page > 0 && code_page < 65536)
        config.code_pages[section] = static_cast<int>(code_page);
    }
  }
  return config;
}

EngineConfig LoadEngineConfig() {
  std::string text;
  if (const char* path = std::getenv("PDX_CONFIG"); path != nullptr && *path != '\0') {
    ReadFile(path, &text);
    return ParseEngineConfig(text);
  }
  const std::string directory = ModuleDirectory();
  if (!directory.empty() && (ReadFile(directory + "/engine.cfg", &text) ||
                             ReadFile(directory + "/../lib/engine.cfg", &text)))
    return ParseEngineConfig(text);
  return {};
}

}  // namespace pdx
