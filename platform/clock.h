// platform/clock: the program's clocks, and a driven clock for tests.
//
// ClockMs32 is the 32-bit millisecond clock that MIDI time stamps, playback and UI timing use; it
// wraps after 49.7 days, so users compare its values by signed 32-bit differences. ClockTickMs64 is
// the 64-bit count of the same milliseconds (its low 32 bits equal ClockMs32 on the real clock).
// ClockMicros64 counts the same time in microseconds, for what must be timed finer than a
// millisecond (a song's events on their way to the sound); ClockMicros64() / 1000 equals
// ClockTickMs64() on the real clock. All start far from 0: CLOCK_MONOTONIC plus a large constant
// offset.
#pragma once
#include <cstdint>

// Milliseconds, 32 bits, wrapping.
uint32_t ClockMs32();
// Milliseconds, 64 bits, never wrapping.
uint64_t ClockTickMs64();
// Microseconds on the same time line, 64 bits.
int64_t ClockMicros64();
// Wall-clock seconds since the epoch.
int64_t ClockWallSeconds();
// Processor time the calling thread has used, in microseconds (never driven): on a busy machine
// it tells work from waiting.
int64_t ClockThreadCpuMicros();

// Local calendar date and time of the wall clock.
struct LocalDateTime {
  int year, month, day;        // month 1..12, day 1..31
  int hour, minute, second;
  int millisecond;
  int weekday;                 // 0 = Sunday
};
LocalDateTime ClockLocalNow();

// Sleeps the calling thread for about ms milliseconds.
void ClockSleepMs(uint32_t ms);

// Driven clock for tests: while on, ClockMs32/ClockTickMs64/ClockMicros64/ClockWallSeconds/
// ClockLocalNow return the values set here instead of the real ones, and ClockSleepMs returns at
// once. The millisecond setters put the microseconds at the start of that millisecond.
void ClockDriveBegin(uint64_t tickMs64);
void ClockDriveSet(uint64_t tickMs64);                 // ms32 follows as the low 32 bits
void ClockDriveSetRaw(uint64_t tickMs64, uint32_t ms32); // the two sources set apart
void ClockDriveAdvance(uint64_t ms);
void ClockDriveSetMicros(int64_t micros);             // the millisecond clocks follow
void ClockDriveSetLocal(const LocalDateTime& local, int64_t wallSeconds);
void ClockDriveEnd();
bool ClockIsDriven();
