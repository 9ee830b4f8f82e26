// app/base/start_clock: the start screen's pausable clock.
#include "app/base/start_clock.h"

#include <algorithm>

// ---- state ----
double gStartClock = -1.0;       // app time of the first start-screen frame
double gStartHeldTime = 0.0;     // finished pauses
double gStartPauseStart = -1.0;  // start of the running pause
int gStartOpenLists = 0;         // open lists

// ---- public functions ----
void SetStartListOpen(int list, bool open, double now) {
  int before = gStartOpenLists;
  gStartOpenLists = open ? (before | list) : (before & ~list);
  if (before == 0 && gStartOpenLists != 0) gStartPauseStart = now;
  if (before != 0 && gStartOpenLists == 0 && gStartPauseStart >= 0.0) {
    gStartHeldTime += std::max(0.0, now - gStartPauseStart);
    gStartPauseStart = -1.0;
  }
}

double StartHeldTime(double now) {
  double held = gStartHeldTime;
  if (gStartPauseStart >= 0.0) held += std::max(0.0, now - gStartPauseStart);
  return held;
}

float StartClockElapsed(double now) {
  if (gStartClock < 0.0) return 0.0f;
  return (float)std::max(0.0, now - gStartClock - StartHeldTime(now));
}

void EndStartScreenAtOnce(double now) {
  if (gStartClock < 0.0) gStartClock = now;
  gStartHeldTime = now - gStartClock - 5.6;
  gStartPauseStart = -1.0;
}

void ResetStartClock() {
  gStartClock = -1.0;
  gStartHeldTime = 0.0;
  gStartPauseStart = -1.0;
  gStartOpenLists = 0;
}
