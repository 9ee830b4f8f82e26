// app/pending: functions the frame already calls whose bodies come with later work.
#include <cstdint>

#include "app/note_input.h"

// Filled in later with the note road.
bool gWrongNoteMark[128] = {};
// Filled in later with the note road.
float gPcActivity[12] = {};

// Filled in later with the note road.
void HandleMidiInData(uint64_t, int64_t) {}
// Filled in later with the note road.
void HandleMidiInError(uint32_t, uint64_t, int64_t) {}
// Filled in later with the note road.
void HandleMidiNoteMessage(uint64_t, int64_t) {}
// Filled in later with the note road.
void HandleMidiSustainMessage(uint64_t, int64_t) {}

#include "app/ring_key_drag.h"
// Filled in later with the circle's key drag.
void CancelRingKeyDrag() {}
