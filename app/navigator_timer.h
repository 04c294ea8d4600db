// The navigator's auto-repeat timer behind a seam, so that tests tick it by
// hand instead of waiting.
#pragma once

#include <functional>
#include <memory>

class QTimer;

namespace app {

class RepeatTimer {
 public:
  virtual ~RepeatTimer() = default;
  virtual void Start(int intervalMs) = 0;
  virtual void SetInterval(int intervalMs) = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
  std::function<void()> onTick;
};

// The timer of the event loop.
class QtRepeatTimer : public RepeatTimer {
 public:
  QtRepeatTimer();
  ~QtRepeatTimer() override;
  void Start(int intervalMs) override;
  void SetInterval(int intervalMs) override;
  void Stop() override;
  bool Running() const override;

 private:
  std::unique_ptr<QTimer> timer_;
};

}  // namespace app
