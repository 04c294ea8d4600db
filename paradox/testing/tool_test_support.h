// Running the pdx tool and other programs from tests through the shell,
// and the files they read and write.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace pdx::testing {

// text quoted for the shell.
inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a command line; answers its exit status, or -1 when a signal ended it.
inline int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The pdx tool, quoted, followed by a space.
inline std::string Pdx() {
  return ShellQuote(PDX_TOOL_PATH) + " ";
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Whether a program runs here (the tests that need one skip without it).
inline bool Available(const std::string& program) {
  return Shell("command -v " + program + " >/dev/null 2>&1") == 0;
}

}  // namespace pdx::testing
