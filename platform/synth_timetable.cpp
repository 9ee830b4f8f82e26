// platform/synth_timetable: the ring from the program's threads to the audio thread, the table of
// waiting messages, and the map from the program's clock to sample positions (platform/sample_clock).
#include "platform/synth_timetable.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/sample_clock.h"

// ---- constants ----
namespace {
constexpr uint32_t kRingSize = 16384;        // posted commands not yet taken (a power of two)
constexpr int kWaitingSize = 8192;           // timed messages waiting for their sample
constexpr int kAtOnceSize = 1024;            // at-once messages of one buffer

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

// Owned by the audio thread while buffers are made, by the owner otherwise.
Waiting gWaiting[kWaitingSize];            // timed messages, sorted by due time, equal times in order
int gWaitingFirst = 0;                     // first waiting entry
int gWaitingEnd = 0;                       // one past the last
uint32_t gAtOnce[kAtOnceSize];             // this buffer's at-once messages, in order
int gAtOnceCount = 0;
int gAtOnceNext = 0;                       // next one to hand out
int64_t gSample = 0;                       // first sample of the current buffer
int gFrames = 0;                           // frames of the current buffer
SampleClock gMap;                          // program time to sample positions
std::atomic<int64_t> gLatencyUs{0};        // the map's latency (read by tests from other threads)
}  // namespace

// ---- internal helpers ----
namespace {

bool PostCommand(const Command& c) {
  std::lock_guard<std::mutex> lock(gPostMutex);
  uint32_t head = gRingHead.load(std::memory_order_relaxed);
  if (head - gRingTail.load(std::memory_order_acquire) >= kRingSize) return false;   // full
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
  if (gWaitingEnd == kWaitingSize) return;   // full: the message is lost
  // Messages come mostly in time order: the place is found from the back, after equal times.
  int at = gWaitingEnd;
  while (at > gWaitingFirst && gWaiting[at - 1].due > due) --at;
  std::memmove(gWaiting + at + 1, gWaiting + at, sizeof(Waiting) * (size_t)(gWaitingEnd - at));
  gWaiting[at] = {due, message};
  ++gWaitingEnd;
}

void AddAtOnce(uint32_t message) {
  if (gAtOnceCount == kAtOnceSize) return;   // full: the message is lost
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
  if (rate <= 0) return;
  FollowSampleClock(gMap, nowUs, gSample, frames, rate);
  gLatencyUs.store(gMap.latencyUs);
}

bool TimetableNext(int* offset, uint32_t* message) {
  if (gAtOnceNext < gAtOnceCount) {
    *offset = 0;
    *message = gAtOnce[gAtOnceNext++];
    return true;
  }
  if (gWaitingFirst == gWaitingEnd || !gMap.valid) return false;
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
  gMap = SampleClock();
  gLatencyUs.store(0);
}

int64_t TimetableLatencyUs() { return gLatencyUs.load(); }

int64_t TimetableSampleFor(int64_t dueUs) { return SampleClockSampleFor(gMap, dueUs); }
