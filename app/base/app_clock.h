// app/base/app_clock: the program's own clocks built on the platform's: the unwrapped monotonic
// milliseconds, the animation seconds and the wall-clock seconds.
#pragma once
#include <cstdint>

// 64-bit milliseconds with the 32-bit clock's resolution, unwrapped against the 64-bit count.
uint64_t GetMonotonicMs();
// Seconds since the first call (which returns 0); animation and UI timing. A double: after weeks of
// running a float of it would step by a tenth of a second, so stamps compared with it stay double.
double GetAppSeconds();
// GetAppSeconds folded onto a cycle of 6400 pi s (about 5.6 h), as the float clock of periodic
// animations (the orb): a float of the run time itself steps by 31 ms after six days. The first
// cycle is the run time itself, and every sin(k t) whose rate k is a whole number of hundredths
// runs on across each fold as if nothing happened.
float PhaseSeconds(double appSeconds);
// Wall-clock seconds since the epoch.
int64_t NowSeconds();
