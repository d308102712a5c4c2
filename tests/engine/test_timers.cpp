// Timer passes driven by a clock of the test's own.
#include <gtest/gtest.h>

#include "engine/timers.h"

namespace {

double g_now = 0.0;
double TestNow() { return g_now; }

int g_calls = 0;
double g_call_cost = 0.0;  // how far each call moves the clock
void Counting() {
  ++g_calls;
  g_now += g_call_cost;
}

TimerList* g_list = nullptr;
Timer* g_victim = nullptr;
void DeletesVictim() {
  ++g_calls;
  if (g_victim != nullptr) g_list->remove(g_victim);
  g_victim = nullptr;  // a removed timer is gone: it is never named again
}
int g_victim_calls = 0;
void Victim() { ++g_victim_calls; }

void DeletesItself(Timer* self) {
  ++g_calls;
  g_list->remove(self);
}

class Timers : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = 0.0;
    g_calls = 0;
    g_call_cost = 0.0;
    g_victim_calls = 0;
    g_list = &list;
  }
  TimerList list;
};

}  // namespace

TEST_F(Timers, MissedPeriodsAreReplayedOneByOne) {
  Timer* t = list.add(Counting, 10, g_now);
  g_now = 35.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 3);
  EXPECT_DOUBLE_EQ(t->last_fire_ms, 30.0);
  g_now = 40.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 4);
}

TEST_F(Timers, ACallLongerThanItsIntervalStopsTheCatchUp) {
  list.add(Counting, 10, g_now);
  g_call_cost = 15.0;
  g_now = 35.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 1);
  // The next pass goes on replaying, still one call at a time.
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 2);
}

TEST_F(Timers, ATimerDeletedDuringAPassIsNotCalledAndIsFreedAfterIt) {
  list.add(DeletesVictim, 10, g_now);
  g_victim = list.add(Victim, 10, g_now);
  g_now = 30.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_victim_calls, 0);
  EXPECT_EQ(list.size(), 1u);
  g_now = 60.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_victim_calls, 0);
}

TEST_F(Timers, ATimerDeletingItselfStopsReplaying) {
  list.add(DeletesItself, 10, nullptr, g_now);
  g_now = 50.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(list.size(), 0u);
}

TEST_F(Timers, AnInactiveTimerKeepsUpWithTheClockAndReplaysNothingLater) {
  Timer* t = list.add(Counting, 10, g_now);
  t->active = false;
  g_now = 100.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 0);
  t->active = true;
  g_now = 105.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 0);
  g_now = 110.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 1);
}

TEST_F(Timers, ResetDropsTheMissedTime) {
  list.add(Counting, 10, g_now);
  g_now = 500.0;
  list.reset(g_now);
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 0);
}

TEST_F(Timers, AZeroIntervalRunsAsOneMillisecond) {
  Timer* t = list.add(Counting, 0, g_now);
  EXPECT_EQ(t->interval_ms, 1u);
  g_now = 5.0;
  list.run_pass(TestNow);
  EXPECT_EQ(g_calls, 5);
}

TEST_F(Timers, SenderTimersReceiveThemselvesAndTheirData) {
  static Timer* seen = nullptr;
  int data = 7;
  Timer* t = list.add([](Timer* self) { seen = self; }, 10, &data, g_now);
  g_now = 10.0;
  list.run_pass(TestNow);
  EXPECT_EQ(seen, t);
  EXPECT_EQ(t->user_data, &data);
}
