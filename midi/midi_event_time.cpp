// midi/midi_event_time: the event-time estimate of the MIDI input.
//
// Ages and orders are signed 32-bit differences of the wrapping millisecond clock, so the rules
// hold across the clock's wrap.
#include "midi/midi_event_time.h"

// ---- constants ----
static const int32_t kMaxStampAgeMs = 250;   // an event is never dated further back than this

// ---- state ----
uint32_t gLastEventTimeMs = 0;     // last time handed out
bool gLastEventTimeValid = false;  // whether there is one
bool gMidiInHardFail = false;      // raised on a device error, cleared by a successful open

// ---- public functions ----
uint32_t EstimateMidiEventTime(uint32_t ts, uint32_t now) {
  if (ts == 0) {
    // No stamp: the time of handling, even when that lies before the last estimate.
    gLastEventTimeMs = now;
    gLastEventTimeValid = true;
    return now;
  }
  int32_t age = (int32_t)(now - ts);
  uint32_t t = now;
  if (age > 0) t = now - (uint32_t)(age < kMaxStampAgeMs ? age : kMaxStampAgeMs);
  if (gLastEventTimeValid && (int32_t)(now - gLastEventTimeMs) >= 0 &&
      (int32_t)(t - gLastEventTimeMs) < 0)
    return gLastEventTimeMs;
  gLastEventTimeMs = t;
  gLastEventTimeValid = true;
  return t;
}

void ResetMidiEventTime() {
  gLastEventTimeMs = 0;
  gLastEventTimeValid = false;
  gMidiInHardFail = false;
}
