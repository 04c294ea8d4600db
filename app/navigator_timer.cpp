#include "navigator_timer.h"

#include <QTimer>

namespace app {

QtRepeatTimer::QtRepeatTimer() : timer_(std::make_unique<QTimer>()) {
  QObject::connect(timer_.get(), &QTimer::timeout, [this] {
    if (onTick) onTick();
  });
}

QtRepeatTimer::~QtRepeatTimer() = default;

void QtRepeatTimer::Start(int intervalMs) {
  timer_->start(intervalMs);
}
void QtRepeatTimer::SetInterval(int intervalMs) {
  timer_->setInterval(intervalMs);
}
void QtRepeatTimer::Stop() {
  timer_->stop();
}
bool QtRepeatTimer::Running() const {
  return timer_->isActive();
}

}  // namespace app
