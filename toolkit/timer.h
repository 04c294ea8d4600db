// Millisecond timers that tick on the event loop, behind an interface so that
// tests advance time by hand (ManualTimers) while the program uses QTimer
// (toolkit_qt). A timer repeats until stopped unless it is single-shot;
// changing the interval of a running timer starts its wait afresh. A timer's
// owner keeps it; destroying it stops it. Qt-free.
#pragma once

#include <functional>
#include <memory>

namespace toolkit {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void start(int intervalMs) = 0;
  virtual void stop() = 0;
  virtual void setInterval(int intervalMs) = 0;
  virtual int interval() const = 0;
  virtual bool isActive() const = 0;
  virtual void setSingleShot(bool singleShot) = 0;

  // Called at every tick; may stop, restart or change the timer.
  std::function<void()> onTimeout;
};

class TimerFactory {
 public:
  virtual ~TimerFactory() = default;
  virtual std::unique_ptr<Timer> createTimer() = 0;
};

// The installed factory: ManualTimers whose time never moves until the
// program installs the Qt one (or a test its own).
TimerFactory& timers();
// Installs factory (not owned) and answers the one it replaced.
TimerFactory* setTimers(TimerFactory* factory);

}  // namespace toolkit
