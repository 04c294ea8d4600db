#include "screen_metrics.h"

namespace toolkit {

namespace {
ScreenMetrics& installed() {
  static ScreenMetrics metrics;
  return metrics;
}
}  // namespace

const ScreenMetrics& screenMetrics() {
  return installed();
}
void setScreenMetrics(const ScreenMetrics& metrics) {
  installed() = metrics;
}

}  // namespace toolkit
