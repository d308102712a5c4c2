// Periodic timers of the engine frame. The game's logic runs in them: each
// replays the periods it missed one by one, so a 10 ms timer keeps its
// average rate whatever the frame rate.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct Timer;
using TimerProc = void (*)();
using TimerSenderProc = void (*)(Timer* sender);

struct Timer {
  bool active = true;
  bool deleted = false;       // removal asked for during a pass
  uint32_t interval_ms = 1;
  double last_fire_ms = 0.0;
  TimerProc proc = nullptr;             // called with no argument
  TimerSenderProc sender_proc = nullptr;  // called with the timer itself
  void* user_data = nullptr;
};

// One list of timers in the order they were added. The clock is passed in so
// that tests can drive the list with a clock of their own.
class TimerList {
 public:
  using NowFn = double (*)();

  Timer* add(TimerProc proc, uint32_t interval_ms, double now);
  Timer* add(TimerSenderProc proc, uint32_t interval_ms, void* user_data, double now);
  // Removes the timer; during a pass the removal waits until the pass ends,
  // and the timer is not called again meanwhile.
  void remove(Timer* timer);
  // Runs every due timer, replaying missed periods one by one. A timer whose
  // call outlasts its interval stops catching up for this pass.
  void run_pass(NowFn now);
  // Every timer's last fire time becomes now: nothing missed is replayed.
  void reset(double now);
  void clear();
  std::size_t size() const { return timers_.size(); }

 private:
  void purge_deleted();

  std::vector<std::unique_ptr<Timer>> timers_;
  bool in_pass_ = false;
};
