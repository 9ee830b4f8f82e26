// app/base/start_clock: the start screen's pausable clock.
#include "app/base/start_clock.h"

#include <algorithm>

// ---- state ----
float gStartClock = -1.0f;       // app time of the first start-screen frame
float gStartHeldTime = 0.0f;     // finished pauses
float gStartPauseStart = -1.0f;  // start of the running pause
int gStartOpenLists = 0;         // open lists

// ---- public functions ----
void SetStartListOpen(int list, bool open, float now) {
  int before = gStartOpenLists;
  gStartOpenLists = open ? (before | list) : (before & ~list);
  if (before == 0 && gStartOpenLists != 0) gStartPauseStart = now;
  if (before != 0 && gStartOpenLists == 0 && gStartPauseStart >= 0.0f) {
    gStartHeldTime += std::max(0.0f, now - gStartPauseStart);
    gStartPauseStart = -1.0f;
  }
}

float StartHeldTime(float now) {
  float held = gStartHeldTime;
  if (gStartPauseStart >= 0.0f) held += std::max(0.0f, now - gStartPauseStart);
  return held;
}

float StartClockElapsed(float now) {
  if (gStartClock < 0.0f) return 0.0f;
  return std::max(0.0f, now - gStartClock - StartHeldTime(now));
}

void EndStartScreenAtOnce(float now) {
  if (gStartClock < 0.0f) gStartClock = now;
  gStartHeldTime = now - gStartClock - 5.6f;
  gStartPauseStart = -1.0f;
}

void ResetStartClock() {
  gStartClock = -1.0f;
  gStartHeldTime = 0.0f;
  gStartPauseStart = -1.0f;
  gStartOpenLists = 0;
}
