// The context lines of the error being reported (the file, table or field
// concerned). Inner code adds lines as a failure travels up; the interface
// layer clears them when a call starts and keeps them with the code when the
// call fails, so pdx_last_error can show both.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "pdx.h"

namespace pdx {

// How many threads hold context lines. Every entry point clears its thread's
// context; while no thread holds any, that is one load of a plain global,
// whereas reaching the thread's own lines from the shared library costs a
// call into the loader on every entry.
extern std::atomic<int> threads_with_context;

void ClearThreadErrorContext();
inline void ClearErrorContext() {
  if (threads_with_context.load(std::memory_order_relaxed) != 0) ClearThreadErrorContext();
}
// Adds a line unless the same line is already there; answers code, so a
// failure can be passed up in one statement.
pdx_code AddErrorContext(pdx_code code, const std::string& line);
const std::vector<std::string>& ErrorContext();
// Drops the lines added since size() was mark, after a failure was recovered from.
void TruncateErrorContext(size_t mark);

// A message and its context on one line, for programs that report an error
// in one line: "Field value required. (Field: Owner; Table: /data/A.DB)".
std::string OneLine(const std::string& text, const std::vector<std::string>& context);

// The engine's English text for code; empty for an unknown code.
const char* CodeText(pdx_code code);

}  // namespace pdx
