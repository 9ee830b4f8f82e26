// platform/messages: a mutex-guarded queue of AppMessage values.
#include "platform/messages.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/clock.h"

// ---- state ----
static std::mutex gQueueMutex;                       // guards gQueue
static std::deque<AppMessage> gQueue;                // posted, not yet handled
static bool gWakingWaits = false;                    // a waking message waits in gQueue
static std::condition_variable gWakingPosted;        // signalled by each waking post
static std::atomic<AppMessageHandler> gHandler{nullptr};

// ---- public functions ----
void SetAppMessageHandler(AppMessageHandler handler) { gHandler.store(handler); }

void PostAppMessage(uint32_t code, uint64_t wParam, int64_t lParam) {
  std::lock_guard<std::mutex> lock(gQueueMutex);
  gQueue.push_back(AppMessage{code, wParam, lParam});
}

void PostWakingAppMessage(uint32_t code, uint64_t wParam, int64_t lParam) {
  {
    std::lock_guard<std::mutex> lock(gQueueMutex);
    gQueue.push_back(AppMessage{code, wParam, lParam});
    gWakingWaits = true;
  }
  gWakingPosted.notify_one();
}

bool WaitForWakingMessage(uint32_t ms) {
  std::unique_lock<std::mutex> lock(gQueueMutex);
  if (ClockIsDriven()) return gWakingWaits;
  return gWakingPosted.wait_for(lock, std::chrono::milliseconds(ms), [] { return gWakingWaits; });
}

int64_t SendAppMessage(uint32_t code, uint64_t wParam, int64_t lParam) {
  AppMessageHandler handler = gHandler.load();
  return handler ? handler(code, wParam, lParam) : 0;
}

bool TakeAppMessage(AppMessage* out) {
  std::lock_guard<std::mutex> lock(gQueueMutex);
  if (gQueue.empty()) return false;
  *out = gQueue.front();
  gQueue.pop_front();
  // Whether the message taken was a waking one is not kept; an empty queue has none left.
  if (gQueue.empty()) gWakingWaits = false;
  return true;
}

int DrainAppMessages() {
  int handled = 0;
  AppMessage msg;
  while (TakeAppMessage(&msg)) {
    SendAppMessage(msg.code, msg.wParam, msg.lParam);
    ++handled;
  }
  return handled;
}

int RemoveAppMessages(uint32_t first, uint32_t last) {
  std::lock_guard<std::mutex> lock(gQueueMutex);
  size_t before = gQueue.size();
  std::erase_if(gQueue, [&](const AppMessage& m) { return m.code >= first && m.code <= last; });
  if (gQueue.empty()) gWakingWaits = false;
  return (int)(before - gQueue.size());
}

size_t CountAppMessages() {
  std::lock_guard<std::mutex> lock(gQueueMutex);
  return gQueue.size();
}
