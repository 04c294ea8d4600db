#include "error_context.h"

#include <algorithm>

namespace pdx {

std::atomic<int> threads_with_context{0};

namespace {

// Set when this thread's context is destroyed: calls made later, from a
// program's static destructors, must not touch it.
thread_local bool context_gone = false;

// A thread's lines; it counts itself in threads_with_context while it holds
// any, and stops counting when it ends holding some.
struct ThreadContext {
  std::vector<std::string> lines;
  bool counted = false;

  void Count() {
    if (counted) return;
    counted = true;
    threads_with_context.fetch_add(1, std::memory_order_relaxed);
  }
  void Uncount() {
    if (!counted) return;
    counted = false;
    threads_with_context.fetch_sub(1, std::memory_order_relaxed);
  }
  ~ThreadContext() {
    Uncount();
    context_gone = true;
  }
};
thread_local ThreadContext thread_context;

}  // namespace

void ClearThreadErrorContext() {
  if (context_gone || !thread_context.counted) return;
  thread_context.lines.clear();
  thread_context.Uncount();
}

pdx_code AddErrorContext(pdx_code code, const std::string& line) {
  if (context_gone) return code;
  thread_context.Count();
  if (std::find(thread_context.lines.begin(), thread_context.lines.end(), line) ==
      thread_context.lines.end())
    thread_context.lines.push_back(line);
  return code;
}

const std::vector<std::string>& ErrorContext() {
  if (context_gone) {
    // Made only by a call this late, so that the library holds no heap
    // memory of its own while the program runs.
    static const auto* const kNone = new std::vector<std::string>;
    return *kNone;
  }
  return thread_context.lines;
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
  if (context_gone) return;
  if (mark < thread_context.lines.size()) thread_context.lines.resize(mark);
}

}  // namespace pdx
