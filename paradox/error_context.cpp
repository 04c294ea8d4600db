#include "error_context.h"

#include <algorithm>

namespace pdx {
namespace {
thread_local std::vector<std::string> context_lines;
}

void ClearErrorContext() {
  context_lines.clear();
}

pdx_code AddErrorContext(pdx_code code, const std::string& line) {
  if (std::find(context_lines.begin(), context_lines.end(), line) == context_lines.end())
    context_lines.push_back(line);
  return code;
}

const std::vector<std::string>& ErrorContext() {
  return context_lines;
}

void TruncateErrorContext(size_t mark) {
  if (mark < context_lines.size()) context_lines.resize(mark);
}

}  // namespace pdx
