#include "registry.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

namespace engine {

namespace {

std::string trimmed(const std::string& text) {
  const char* blanks = " \t\r";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

bool sameName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::tolower(x) == std::tolower(y);
  });
}

}  // namespace

std::string registryFilePath() {
  const char* override = std::getenv("VINDRAL_REGISTRY");
  if (override && *override) return override;
  return "/etc/vindral/registry.ini";
}

std::optional<std::string> readRegistryValue(const std::string& path, const std::string& key,
                                             const std::string& valueName) {
  std::ifstream in(path);
  bool inKey = false;
  for (std::string raw; std::getline(in, raw);) {
    std::string line = trimmed(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      inKey = sameName(trimmed(line.substr(1, line.size() - 2)), key);
      continue;
    }
    size_t equals = line.find('=');
    if (!inKey || equals == std::string::npos) continue;
    if (sameName(trimmed(line.substr(0, equals)), valueName))
      return trimmed(line.substr(equals + 1));
  }
  return std::nullopt;
}

}  // namespace engine
