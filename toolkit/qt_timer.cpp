#include "qt_timer.h"

#include <QTimer>

namespace toolkit {

namespace {
class QtTimer : public Timer {
 public:
  QtTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (onTimeout) onTimeout();
    });
  }
  void start(int intervalMs) override { timer_.start(intervalMs); }
  void stop() override { timer_.stop(); }
  void setInterval(int intervalMs) override { timer_.setInterval(intervalMs); }
  int interval() const override { return timer_.interval(); }
  bool isActive() const override { return timer_.isActive(); }
  void setSingleShot(bool singleShot) override { timer_.setSingleShot(singleShot); }

 private:
  QTimer timer_;
};
}  // namespace

std::unique_ptr<Timer> QtTimers::createTimer() {
  return std::make_unique<QtTimer>();
}

}  // namespace toolkit
