// Running the pdx tool and other programs from tests through the shell,
// and the files they read and write.
#pragma once

#include <fcntl.h>
#include <signal.h>
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

// Starts the tool with its standard error on a pipe that is full already, so
// that the tool stops at its first message (a progress report, say) for as
// long as nobody reads the pipe, however fast or slow the machine. Answers
// the pid once the tool waits there, or -1 when it ended first or never got
// there. Whoever sends it a signal then drains the pipe before waiting.
inline pid_t StartHeldAtFirstMessage(const std::vector<std::string>& arguments, int* error_pipe) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  fcntl(fds[1], F_SETPIPE_SZ, 4096);
  fcntl(fds[1], F_SETFL, O_NONBLOCK);
  const char fill[512] = {};
  while (write(fds[1], fill, sizeof fill) > 0) {
  }
  while (write(fds[1], fill, 1) > 0) {
  }
  // Blocking again: the flag belongs to the pipe's end, which the tool shares.
  fcntl(fds[1], F_SETFL, 0);
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
  const std::string wchan = "/proc/" + std::to_string(pid) + "/wchan";
  for (int tries = 0; tries < 6000; ++tries) {
    if (ReadFile(wchan).find("pipe_write") != std::string::npos) return pid;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return -1;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// Reads a pipe to its end (the writer gone).
inline void Drain(int fd) {
  char buffer[4096];
  while (read(fd, buffer, sizeof buffer) > 0) {
  }
}

}  // namespace pdx::testing
