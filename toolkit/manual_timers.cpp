#include "manual_timers.h"

#include <algorithm>

namespace toolkit {

class ManualTimers::ManualTimer : public Timer {
 public:
  explicit ManualTimer(ManualTimers* clock) : clock_(clock) { clock_->live_.push_back(this); }
  ~ManualTimer() override {
    if (clock_ != nullptr) std::erase(clock_->live_, this);
  }

  void start(int intervalMs) override {
    interval_ = intervalMs;
    arm();
  }
  void stop() override { active_ = false; }
  void setInterval(int intervalMs) override {
    interval_ = intervalMs;
    if (active_) arm();
  }
  int interval() const override { return interval_; }
  bool isActive() const override { return active_; }
  void setSingleShot(bool singleShot) override { singleShot_ = singleShot; }

  void detach() { clock_ = nullptr; }
  long long due() const { return due_; }
  long long armedAt() const { return armedAt_; }
  void fire() {
    if (singleShot_)
      active_ = false;
    else
      arm();
    if (onTimeout) onTimeout();
  }

 private:
  void arm() {
    active_ = clock_ != nullptr;
    if (!active_) return;
    armedAt_ = ++clock_->armings_;
    due_ = clock_->now_ + std::max(1, interval_);
  }

  ManualTimers* clock_;
  int interval_ = 0;
  bool active_ = false;
  bool singleShot_ = false;
  long long due_ = 0;
  long long armedAt_ = 0;
};

ManualTimers::~ManualTimers() {
  for (ManualTimer* timer : live_) timer->detach();
}

std::unique_ptr<Timer> ManualTimers::createTimer() {
  return std::make_unique<ManualTimer>(this);
}

int ManualTimers::activeCount() const {
  return static_cast<int>(std::count_if(live_.begin(), live_.end(),
                                        [](const ManualTimer* t) { return t->isActive(); }));
}

// The active timer due first by `until`; ties go to the one armed first.
ManualTimers::ManualTimer* ManualTimers::nextDue(long long until) const {
  ManualTimer* next = nullptr;
  for (ManualTimer* timer : live_) {
    if (!timer->isActive() || timer->due() > until) continue;
    if (next == nullptr || timer->due() < next->due() ||
        (timer->due() == next->due() && timer->armedAt() < next->armedAt()))
      next = timer;
  }
  return next;
}

void ManualTimers::advance(int ms) {
  const long long until = now_ + std::max(0, ms);
  while (ManualTimer* timer = nextDue(until)) {
    now_ = std::max(now_, timer->due());
    timer->fire();
  }
  now_ = until;
}

namespace {
TimerFactory*& installed() {
  static ManualTimers fallback;
  static TimerFactory* factory = &fallback;
  return factory;
}
}  // namespace

TimerFactory& timers() {
  return *installed();
}

TimerFactory* setTimers(TimerFactory* factory) {
  TimerFactory* previous = installed();
  installed() = factory;
  return previous;
}

}  // namespace toolkit
