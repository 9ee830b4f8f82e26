// app/base/app_clock: the program's own clocks built on the platform's: the unwrapped monotonic
// milliseconds, the animation seconds and the wall-clock seconds.
#pragma once
#include <cstdint>

// 64-bit milliseconds with the 32-bit clock's resolution, unwrapped against the 64-bit count.
uint64_t GetMonotonicMs();
// Seconds since the first call (which returns 0); animation and UI timing.
float GetAppSeconds();
// Wall-clock seconds since the epoch.
int64_t NowSeconds();
