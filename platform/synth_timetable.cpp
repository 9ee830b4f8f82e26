// platform/synth_timetable: the ring from the program's threads to the audio thread, the table of
// waiting messages, and the map from the program's clock to sample positions.
//
// The clock map. Each buffer gives a pair (program time of its callback, its first sample), and
// offset = time - sample / rate says when, on the program's clock, sample 0 was asked for. A
// callback may come late (its thread was not scheduled at once) but never early for the device's
// pace, so the map follows the earliest callbacks: it moves earlier at once, and later only by
// 1 ms per second of sound (far more than any two clocks drift apart), unless the callbacks stay
// more than 30 ms later for 8 buffers in a row: then the device stalled and lost time, and the map
// jumps. A message due at t is applied at the first sample whose time is t + latency or later.
#include "platform/synth_timetable.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>

// ---- constants ----
namespace {
constexpr uint32_t kRingSize = 16384;        // posted commands not yet taken (a power of two)
constexpr int kWaitingSize = 8192;           // timed messages waiting for their sample
constexpr int kAtOnceSize = 1024;            // at-once messages of one buffer
constexpr double kCreepPerSecond = 0.001;    // how fast the map may move later: 1 ms per second
constexpr double kStallUs = 30000.0;         // callbacks this much later than the map...
constexpr int kStallBuffers = 8;             // ...this many times in a row: the device lost time

enum : uint8_t { kTimed, kAtOnce, kCancelAfter, kClear };
struct Command {
  int64_t due;       // program time in µs (kCancelAfter: the limit)
  uint32_t message;  // short message
  uint8_t kind;
};
struct Waiting {
  int64_t due;
  uint32_t message;
};
}  // namespace

// ---- state ----
namespace {
std::mutex gPostMutex;                     // posters take turns (the ring has one reader)
Command gRing[kRingSize];                  // posted commands
std::atomic<uint32_t> gRingHead{0};        // next slot to fill (posters)
std::atomic<uint32_t> gRingTail{0};        // next slot to take (audio thread)
std::atomic<uint64_t> gDropped{0};         // messages lost to a full queue

// Owned by the audio thread while buffers are made, by the owner otherwise.
Waiting gWaiting[kWaitingSize];            // timed messages, sorted by due time, equal times in order
int gWaitingFirst = 0;                     // first waiting entry
int gWaitingEnd = 0;                       // one past the last
uint32_t gAtOnce[kAtOnceSize];             // this buffer's at-once messages, in order
int gAtOnceCount = 0;
int gAtOnceNext = 0;                       // next one to hand out
int64_t gSample = 0;                       // first sample of the current buffer
int gFrames = 0;                           // frames of the current buffer
int gRate = 0;                             // sample rate of the map
bool gMapValid = false;                    // the map has a first pair
double gOffsetUs = 0.0;                    // program time at which sample 0 was asked for
int gLateRun = 0;                          // buffers in a row far later than the map
double gLateRunMin = 0.0;                  // the earliest offset among them
std::atomic<int64_t> gLatencyUs{0};        // constant latency (read by tests from other threads)
}  // namespace

// ---- internal helpers ----
namespace {

bool PostCommand(const Command& c) {
  std::lock_guard<std::mutex> lock(gPostMutex);
  uint32_t head = gRingHead.load(std::memory_order_relaxed);
  if (head - gRingTail.load(std::memory_order_acquire) >= kRingSize) {
    gDropped.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  gRing[head & (kRingSize - 1)] = c;
  gRingHead.store(head + 1, std::memory_order_release);
  return true;
}

void InsertWaiting(int64_t due, uint32_t message) {
  if (gWaitingEnd == kWaitingSize && gWaitingFirst > 0) {
    std::memmove(gWaiting, gWaiting + gWaitingFirst, sizeof(Waiting) * (size_t)(gWaitingEnd - gWaitingFirst));
    gWaitingEnd -= gWaitingFirst;
    gWaitingFirst = 0;
  }
  if (gWaitingEnd == kWaitingSize) {
    gDropped.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  // Messages come mostly in time order: the place is found from the back, after equal times.
  int at = gWaitingEnd;
  while (at > gWaitingFirst && gWaiting[at - 1].due > due) --at;
  std::memmove(gWaiting + at + 1, gWaiting + at, sizeof(Waiting) * (size_t)(gWaitingEnd - at));
  gWaiting[at] = {due, message};
  ++gWaitingEnd;
}

void AddAtOnce(uint32_t message) {
  if (gAtOnceCount == kAtOnceSize) {
    gDropped.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  gAtOnce[gAtOnceCount++] = message;
}

void TakePosted() {
  uint32_t head = gRingHead.load(std::memory_order_acquire);
  uint32_t tail = gRingTail.load(std::memory_order_relaxed);
  for (; tail != head; ++tail) {
    const Command& c = gRing[tail & (kRingSize - 1)];
    switch (c.kind) {
      case kTimed: InsertWaiting(c.due, c.message); break;
      case kAtOnce: AddAtOnce(c.message); break;
      case kCancelAfter:
        while (gWaitingEnd > gWaitingFirst && gWaiting[gWaitingEnd - 1].due > c.due) --gWaitingEnd;
        break;
      case kClear:
        gWaitingFirst = gWaitingEnd = 0;
        AddAtOnce(0xFF);
        break;
    }
  }
  gRingTail.store(tail, std::memory_order_release);
}

void MoveClockMap(int64_t nowUs, int frames, int rate) {
  double offset = (double)nowUs - (double)gSample * 1e6 / rate;
  if (!gMapValid || rate != gRate) {
    gMapValid = true;
    gRate = rate;
    gOffsetUs = offset;
    gLateRun = 0;
    gLatencyUs.store((int64_t)std::llround((double)frames * 1e6 / rate) + kSynthHandOverSlackUs);
    return;
  }
  if (offset <= gOffsetUs) {
    gOffsetUs = offset;
    gLateRun = 0;
    return;
  }
  double creep = (double)frames * 1e6 / rate * kCreepPerSecond;
  if (offset - gOffsetUs <= kStallUs) {
    gLateRun = 0;
    gOffsetUs = std::min(offset, gOffsetUs + creep);
    return;
  }
  gLateRunMin = gLateRun == 0 ? offset : std::min(gLateRunMin, offset);
  if (++gLateRun < kStallBuffers) {
    gOffsetUs += creep;
    return;
  }
  gOffsetUs = gLateRunMin;
  gLateRun = 0;
}

}  // namespace

// ---- public functions ----
bool TimetablePost(uint32_t message, int64_t dueUs) {
  return PostCommand({dueUs, message, dueUs == kSynthAtOnce ? kAtOnce : kTimed});
}

void TimetableCancelAfter(int64_t us) { PostCommand({us, 0, kCancelAfter}); }

void TimetableClear() { PostCommand({0, 0, kClear}); }

void TimetableBeginBuffer(int64_t nowUs, int frames, int rate) {
  gFrames = frames;
  gAtOnceCount = gAtOnceNext = 0;
  TakePosted();
  if (rate > 0) MoveClockMap(nowUs, frames, rate);
}

bool TimetableNext(int* offset, uint32_t* message) {
  if (gAtOnceNext < gAtOnceCount) {
    *offset = 0;
    *message = gAtOnce[gAtOnceNext++];
    return true;
  }
  if (gWaitingFirst == gWaitingEnd || !gMapValid) return false;
  int64_t at = TimetableSampleFor(gWaiting[gWaitingFirst].due) - gSample;
  if (at >= gFrames) return false;
  *offset = at < 0 ? 0 : (int)at;
  *message = gWaiting[gWaitingFirst++].message;
  if (gWaitingFirst == gWaitingEnd) gWaitingFirst = gWaitingEnd = 0;
  return true;
}

void TimetableEndBuffer() {
  gSample += gFrames;
  gFrames = 0;
  gAtOnceCount = gAtOnceNext = 0;
}

void ResetTimetable() {
  {
    std::lock_guard<std::mutex> lock(gPostMutex);
    gRingTail.store(gRingHead.load(std::memory_order_relaxed), std::memory_order_release);
  }
  gWaitingFirst = gWaitingEnd = 0;
  gAtOnceCount = gAtOnceNext = 0;
  gSample = 0;
  gFrames = 0;
  gRate = 0;
  gMapValid = false;
  gOffsetUs = 0.0;
  gLateRun = 0;
  gLatencyUs.store(0);
  gDropped.store(0);
}

int64_t TimetableLatencyUs() { return gLatencyUs.load(); }

int64_t TimetableSampleFor(int64_t dueUs) {
  if (!gMapValid) return 0;
  double us = (double)dueUs + (double)gLatencyUs.load(std::memory_order_relaxed) - gOffsetUs;
  return (int64_t)std::ceil(us * gRate / 1e6 - 1e-6);
}

uint64_t TimetableDroppedCount() { return gDropped.load(); }
