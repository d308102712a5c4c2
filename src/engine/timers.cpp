// Timer passes: replay of missed periods, the catch-up cut, deferred removal.
#include "engine/timers.h"

#include <algorithm>

namespace {

// A zero interval would make a pass replay forever.
uint32_t SafeInterval(uint32_t interval_ms) { return interval_ms == 0 ? 1 : interval_ms; }

}  // namespace

Timer* TimerList::add(TimerProc proc, uint32_t interval_ms, double now) {
  auto timer = std::make_unique<Timer>();
  timer->interval_ms = SafeInterval(interval_ms);
  timer->last_fire_ms = now;
  timer->proc = proc;
  timers_.push_back(std::move(timer));
  return timers_.back().get();
}

Timer* TimerList::add(TimerSenderProc proc, uint32_t interval_ms, void* user_data, double now) {
  Timer* timer = add(static_cast<TimerProc>(nullptr), interval_ms, now);
  timer->sender_proc = proc;
  timer->user_data = user_data;
  return timer;
}

void TimerList::remove(Timer* timer) {
  if (timer == nullptr) return;
  timer->deleted = true;
  if (!in_pass_) purge_deleted();
}

void TimerList::run_pass(NowFn now) {
  in_pass_ = true;
  // Timers added during the pass wait for the next one.
  const std::size_t count = timers_.size();
  for (std::size_t i = 0; i < count; ++i) {
    Timer* timer = timers_[i].get();
    if (timer->deleted) continue;
    if (!timer->active) {
      timer->last_fire_ms = now();
      continue;
    }
    const double interval = timer->interval_ms;
    double t = now();
    while (!timer->deleted && t >= timer->last_fire_ms + interval) {
      timer->last_fire_ms += interval;
      if (timer->sender_proc != nullptr)
        timer->sender_proc(timer);
      else if (timer->proc != nullptr)
        timer->proc();
      const double after = now();
      if (t < after - interval) break;  // the call took longer than a period
      t = after;
    }
  }
  in_pass_ = false;
  purge_deleted();
}

void TimerList::reset(double now) {
  for (auto& timer : timers_) timer->last_fire_ms = now;
}

void TimerList::clear() { timers_.clear(); }

void TimerList::purge_deleted() {
  std::erase_if(timers_, [](const std::unique_ptr<Timer>& t) { return t->deleted; });
}
