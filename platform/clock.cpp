// platform/clock: CLOCK_MONOTONIC and the local time, with a driven clock for tests.
#include "platform/clock.h"

#include <atomic>
#include <ctime>
#include <mutex>
#include <sys/time.h>

// ---- constants ----
// Keeps the clock far from 0 after boot: ages and "not yet set" tests misbehave on small values.
static const uint64_t kClockOffsetMs = 1000000000ull;

// ---- state ----
static std::atomic<bool> gClockDriven{false};   // tests drive the clock
static std::mutex gClockDriveMutex;             // guards the driven values below
static uint64_t gDrivenTick64 = 0;              // driven 64-bit count
static uint32_t gDrivenMs32 = 0;                // driven 32-bit clock
static int64_t gDrivenMicros = 0;               // driven microseconds
static bool gDrivenLocalSet = false;            // a local time was given
static LocalDateTime gDrivenLocal{};            // driven local time
static int64_t gDrivenWall = 0;                 // driven wall seconds

// ---- internal helpers ----
static uint64_t RealTickMs64() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return kClockOffsetMs + (uint64_t)ts.tv_sec * 1000ull + (uint64_t)ts.tv_nsec / 1000000ull;
}

static int64_t RealMicros64() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (int64_t)kClockOffsetMs * 1000 + (int64_t)ts.tv_sec * 1000000 + (int64_t)ts.tv_nsec / 1000;
}

// ---- public functions ----
uint32_t ClockMs32() {
  if (gClockDriven.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> lock(gClockDriveMutex);
    return gDrivenMs32;
  }
  return (uint32_t)RealTickMs64();
}

uint64_t ClockTickMs64() {
  if (gClockDriven.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> lock(gClockDriveMutex);
    return gDrivenTick64;
  }
  return RealTickMs64();
}

int64_t ClockMicros64() {
  if (gClockDriven.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> lock(gClockDriveMutex);
    return gDrivenMicros;
  }
  return RealMicros64();
}

int64_t ClockWallSeconds() {
  if (gClockDriven.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> lock(gClockDriveMutex);
    if (gDrivenLocalSet) return gDrivenWall;
  }
  return (int64_t)time(nullptr);
}

LocalDateTime ClockLocalNow() {
  if (gClockDriven.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> lock(gClockDriveMutex);
    if (gDrivenLocalSet) return gDrivenLocal;
  }
  timeval tv;
  gettimeofday(&tv, nullptr);
  time_t secs = tv.tv_sec;
  tm parts;
  localtime_r(&secs, &parts);
  LocalDateTime out;
  out.year = parts.tm_year + 1900;
  out.month = parts.tm_mon + 1;
  out.day = parts.tm_mday;
  out.hour = parts.tm_hour;
  out.minute = parts.tm_min;
  out.second = parts.tm_sec;
  out.millisecond = (int)(tv.tv_usec / 1000);
  out.weekday = parts.tm_wday;
  return out;
}

int64_t ClockThreadCpuMicros() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return (int64_t)ts.tv_sec * 1000000 + (int64_t)ts.tv_nsec / 1000;
}

void ClockSleepMs(uint32_t ms) {
  if (gClockDriven.load(std::memory_order_acquire)) return;
  timespec ts{(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void ClockDriveBegin(uint64_t tickMs64) {
  ClockDriveSet(tickMs64);
  gClockDriven.store(true, std::memory_order_release);
}

void ClockDriveSet(uint64_t tickMs64) { ClockDriveSetRaw(tickMs64, (uint32_t)tickMs64); }

void ClockDriveSetRaw(uint64_t tickMs64, uint32_t ms32) {
  std::lock_guard<std::mutex> lock(gClockDriveMutex);
  gDrivenTick64 = tickMs64;
  gDrivenMs32 = ms32;
  gDrivenMicros = (int64_t)tickMs64 * 1000;
}

void ClockDriveAdvance(uint64_t ms) {
  std::lock_guard<std::mutex> lock(gClockDriveMutex);
  gDrivenTick64 += ms;
  gDrivenMs32 += (uint32_t)ms;
  gDrivenMicros += (int64_t)ms * 1000;
}

void ClockDriveSetMicros(int64_t micros) {
  std::lock_guard<std::mutex> lock(gClockDriveMutex);
  gDrivenMicros = micros;
  gDrivenTick64 = (uint64_t)(micros / 1000);
  gDrivenMs32 = (uint32_t)gDrivenTick64;
}

void ClockDriveSetLocal(const LocalDateTime& local, int64_t wallSeconds) {
  std::lock_guard<std::mutex> lock(gClockDriveMutex);
  gDrivenLocal = local;
  gDrivenWall = wallSeconds;
  gDrivenLocalSet = true;
}

void ClockDriveEnd() {
  gClockDriven.store(false, std::memory_order_release);
  std::lock_guard<std::mutex> lock(gClockDriveMutex);
  gDrivenLocalSet = false;
}

bool ClockIsDriven() { return gClockDriven.load(std::memory_order_acquire); }
