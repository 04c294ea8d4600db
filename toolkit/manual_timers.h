// Timers for tests: time stands still until advance(ms) moves it, and every
// timer that falls due meanwhile ticks in time order (a repeating timer as
// often as its interval fits; an interval of 0 counts as 1 ms so time moves).
// ScopedManualTimers installs itself for a test.
#pragma once

#include <vector>

#include "toolkit/timer.h"

namespace toolkit {

class ManualTimers : public TimerFactory {
 public:
  ManualTimers() = default;
  ~ManualTimers() override;
  ManualTimers(const ManualTimers&) = delete;
  ManualTimers& operator=(const ManualTimers&) = delete;

  std::unique_ptr<Timer> createTimer() override;

  void advance(int ms);
  long long now() const { return now_; }
  int activeCount() const;

 private:
  class ManualTimer;
  friend class ManualTimer;
  ManualTimer* nextDue(long long until) const;

  long long now_ = 0;
  long long armings_ = 0;
  std::vector<ManualTimer*> live_;
};

class ScopedManualTimers : public ManualTimers {
 public:
  ScopedManualTimers() : previous_(setTimers(this)) {}
  ~ScopedManualTimers() override { setTimers(previous_); }

 private:
  TimerFactory* previous_;
};

}  // namespace toolkit
