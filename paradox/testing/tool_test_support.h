// Running the pdx tool and other programs from tests through the shell,
// and the files they read and write.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// Starts the tool with its standard error on a pipe; answers its pid.
inline pid_t Start(const std::vector<std::string>& arguments, int* error_pipe) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 2);
    close(fds[0]);
    std::vector<char*> argv{const_cast<char*>(PDX_TOOL_PATH)};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(PDX_TOOL_PATH, argv.data());
    _exit(127);
  }
  close(fds[1]);
  *error_pipe = fds[0];
  return pid;
}

inline std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (read(fd, &c, 1) == 1 && c != '\n') line.push_back(c);
  return line;
}

}  // namespace pdx::testing
