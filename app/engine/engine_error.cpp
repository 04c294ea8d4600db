#include "engine_error.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace engine {

namespace {

std::string formatWithCode(const char* pattern, pdx_code code) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, static_cast<unsigned>(code));
  return text;
}

}  // namespace

std::string composeErrorMessage(pdx_code code, const std::string& engineText) {
  std::vector<std::string> lines;
  std::istringstream in(engineText);
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    bool seen = false;
    for (const auto& kept : lines) seen = seen || kept == line;
    if (!seen) lines.push_back(line);
  }
  if (lines.empty()) return formatWithCode("Engine error $%.4x", code);
  std::string message = lines.front();
  for (size_t i = 1; i < lines.size(); ++i) message += "\n" + lines[i];
  return message;
}

std::string startupErrorMessage(pdx_code code) {
  return formatWithCode(
      "An error occurred while attempting to initialize the table engine (error $%.4x)", code);
}

}  // namespace engine
