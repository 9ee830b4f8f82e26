// platform/timed_sender: one queue sorted by due time, one thread that sleeps until the first due
// time (or new work) and sends what has come due, outside the lock.
//
// The state lives on the heap and is never freed, and the thread is detached: it may still wait
// when the process exits, and must then meet no destroyed object.
#include "platform/timed_sender.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/clock.h"

// ---- constants ----
namespace {
constexpr int kPriority = 5;                 // real-time priority asked for (SCHED_FIFO)
constexpr int64_t kLongestSleepUs = 100000;  // the thread looks again at least this often

struct Entry {
  int64_t due;       // program time in µs
  uint32_t message;
};

struct SenderState {
  std::mutex mutex;                   // guards everything below
  std::condition_variable wake;       // new work, an earlier due time
  std::condition_variable sent;       // a message went out
  std::deque<Entry> queue;            // sorted by due time, equal times in order of posting
  TimedSend send = nullptr;           // where messages go
  bool started = false;               // the thread runs
  bool sending = false;               // a message is being sent outside the lock
};
}  // namespace

// ---- state ----
namespace {
SenderState* gSender = new SenderState();  // never freed (see the top)
}  // namespace

// ---- internal helpers ----
namespace {

void RunSender() {
  sched_param param{};
  param.sched_priority = kPriority;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);  // refused without the right: fine
  SenderState& s = *gSender;
  std::unique_lock<std::mutex> lock(s.mutex);
  for (;;) {
    if (s.queue.empty()) {
      s.wake.wait(lock);
      continue;
    }
    int64_t wait = s.queue.front().due - ClockMicros64();
    if (wait > 0) {
      s.wake.wait_for(lock, std::chrono::microseconds(std::min(wait, kLongestSleepUs)));
      continue;
    }
    Entry e = s.queue.front();
    s.queue.pop_front();
    TimedSend send = s.send;
    s.sending = true;
    lock.unlock();
    if (send) send(e.message);
    lock.lock();
    s.sending = false;
    s.sent.notify_all();
  }
}

}  // namespace

// ---- public functions ----
void TimedSenderSetTarget(TimedSend send) {
  std::lock_guard<std::mutex> lock(gSender->mutex);
  gSender->send = send;
}

void TimedSenderPost(uint32_t message, int64_t dueUs) {
  SenderState& s = *gSender;
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.started) {
    std::thread(RunSender).detach();
    s.started = true;
  }
  int64_t now = ClockMicros64();
  if (dueUs < now) dueUs = now;
  auto at = std::upper_bound(s.queue.begin(), s.queue.end(), dueUs,
                             [](int64_t due, const Entry& e) { return due < e.due; });
  bool first = at == s.queue.begin();
  s.queue.insert(at, Entry{dueUs, message});
  if (first) s.wake.notify_one();
}

void TimedSenderCancelAfter(int64_t us) {
  SenderState& s = *gSender;
  std::lock_guard<std::mutex> lock(s.mutex);
  auto from = std::upper_bound(s.queue.begin(), s.queue.end(), us,
                               [](int64_t limit, const Entry& e) { return limit < e.due; });
  s.queue.erase(from, s.queue.end());
}

void TimedSenderFlush() {
  SenderState& s = *gSender;
  std::unique_lock<std::mutex> lock(s.mutex);
  int64_t now = ClockMicros64();
  s.sent.wait_for(lock, std::chrono::seconds(1),
                  [&] { return !s.sending && (s.queue.empty() || s.queue.front().due > now); });
}
