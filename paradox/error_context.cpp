#include "error_context.h"

#include <algorithm>

namespace pdx {
namespace {
thread_local std::vector<std::string> context_lines;
// Every entry point clears the context; a plain flag keeps that to one cheap
// test while no line was added.
thread_local bool has_lines = false;
}  // namespace

void ClearErrorContext() {
  if (!has_lines) return;
  context_lines.clear();
  has_lines = false;
}

pdx_code AddErrorContext(pdx_code code, const std::string& line) {
  has_lines = true;
  if (std::find(context_lines.begin(), context_lines.end(), line) == context_lines.end())
    context_lines.push_back(line);
  return code;
}

const std::vector<std::string>& ErrorContext() {
  return context_lines;
}

std::string OneLine(const std::string& text, const std::vector<std::string>& context) {
  std::string line = text;
  const char* separator = " (";
  for (const std::string& item : context) {
    if (item.empty() || item == text) continue;
    line += separator + item;
    separator = "; ";
  }
  if (line.size() > text.size()) line += ')';
  return line;
}

void TruncateErrorContext(size_t mark) {
  if (mark < context_lines.size()) context_lines.resize(mark);
}

}  // namespace pdx
