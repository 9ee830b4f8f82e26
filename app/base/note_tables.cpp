// app/base/note_tables: the note tables' storage.
#include "app/base/note_tables.h"

#include <algorithm>

// ---- state ----
std::vector<HeldNote> gHeldNotes;               // one record per note number
std::vector<PlayedNote> gPlayedNotes;           // recent note-ons, oldest first
uint32_t gNoteOnSerial = 1;                     // next serial
float gPcActivity[12] = {};                     // per pitch class
float gNoteGlow[128] = {};                      // per note
bool gWrongNoteMark[128] = {};                  // per note, set by play-along judging
bool gSustainDown = false;                      // pedal state
std::atomic<int32_t> gMidiInMessageCount{0};    // raw data messages
uint32_t gLastMidiInputMs = 0;                  // last device note or pedal message
int32_t gMidiEventLagMs = 0;                    // lag of the note being handled
bool gSyntheticNoteInput = false;               // marks a sent note display-only

// ---- public functions ----
void ResetNoteTables() {
  gHeldNotes.clear();
  gPlayedNotes.clear();
  gNoteOnSerial = 1;
  std::fill(std::begin(gPcActivity), std::end(gPcActivity), 0.0f);
  std::fill(std::begin(gNoteGlow), std::end(gNoteGlow), 0.0f);
  std::fill(std::begin(gWrongNoteMark), std::end(gWrongNoteMark), false);
  gSustainDown = false;
  gMidiInMessageCount.store(0);
  gLastMidiInputMs = 0;
  gMidiEventLagMs = 0;
  gSyntheticNoteInput = false;
}
