// The two clocks every benchmark reports: the wall clock a user waits on, and
// this process's processor time, which on a machine shared with other work
// shows what the code itself costs.
#pragma once

#include <time.h>

#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

inline double CpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

}  // namespace bench
