// Timers on QTimer for the program; see timer.h for the contract.
#pragma once

#include "toolkit/timer.h"

namespace toolkit {

class QtTimers : public TimerFactory {
 public:
  std::unique_ptr<Timer> createTimer() override;
};

}  // namespace toolkit
