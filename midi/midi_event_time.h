// midi/midi_event_time: dating MIDI input events from the driver's time stamps, and the input
// device's failure flag that the note road raises.
//
// A key press is dated by its time stamp, but never more than 250 ms back and never before the
// event handed out last, so the judges see a plausible, never decreasing event clock.
#pragma once
#include <cstdint>

extern uint32_t gLastEventTimeMs;   // the last event time handed out; playback sets it to now on
                                    // start, resume, seek and speed change (with the valid flag)
extern bool gLastEventTimeValid;    // gLastEventTimeMs holds a value
extern bool gMidiInHardFail;        // the input device failed; the frame's watchdog reopens it

// Event time on the 32-bit ms clock for a message stamped ts (0 = no stamp) and handled at now.
uint32_t EstimateMidiEventTime(uint32_t ts, uint32_t now);
// No time handed out yet and no device failure flagged.
void ResetMidiEventTime();
