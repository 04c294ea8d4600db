#include "manual_timers.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

TEST(ManualTimers, AutoRepeatWaitsFourHundredThenTicksEveryHundred) {
  ScopedManualTimers clock;
  auto repeat = timers().createTimer();
  std::vector<long long> ticks;
  repeat->onTimeout = [&] {
    ticks.push_back(clock.now());
    repeat->setInterval(100);
  };
  repeat->start(400);
  clock.advance(399);
  EXPECT_TRUE(ticks.empty());
  clock.advance(1);
  clock.advance(250);
  EXPECT_EQ(ticks, (std::vector<long long>{400, 500, 600}));
  repeat->stop();
  clock.advance(1000);
  EXPECT_EQ(ticks.size(), 3u);
  EXPECT_EQ(clock.activeCount(), 0);
}

TEST(ManualTimers, RestartingOrChangingTheIntervalStartsTheWaitAfresh) {
  ManualTimers clock;
  auto delay = clock.createTimer();
  delay->setSingleShot(true);
  int ticks = 0;
  delay->onTimeout = [&] { ++ticks; };
  delay->start(333);
  clock.advance(300);
  delay->start(333);  // another key stroke
  clock.advance(300);
  EXPECT_EQ(ticks, 0);
  clock.advance(33);
  EXPECT_EQ(ticks, 1);
  clock.advance(1000);
  EXPECT_EQ(ticks, 1) << "single-shot";
  EXPECT_FALSE(delay->isActive());
}

TEST(ManualTimers, TimersTickInTimeOrderAndADestroyedTimerNeverTicks) {
  ManualTimers clock;
  auto slow = clock.createTimer();
  auto fast = clock.createTimer();
  auto doomed = clock.createTimer();
  std::string order;
  slow->onTimeout = [&] { order += 's'; };
  fast->onTimeout = [&] {
    order += 'f';
    doomed.reset();  // a tick may destroy another timer
  };
  doomed->onTimeout = [&] { order += 'd'; };
  slow->start(30);
  fast->start(20);
  doomed->start(25);
  clock.advance(60);
  EXPECT_EQ(order, "fsfsf") << "at 60 the timer armed first ticks first";
}

TEST(ManualTimers, ATimerOutlivingItsClockIsInert) {
  std::unique_ptr<Timer> orphan;
  {
    ManualTimers clock;
    orphan = clock.createTimer();
    orphan->start(10);
  }
  orphan->start(10);
  EXPECT_FALSE(orphan->isActive());
}

}  // namespace
}  // namespace toolkit
