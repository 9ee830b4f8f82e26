// app/base/note_tables: the program's note tables and the two private note messages' packing:
// the held-note and played-note tables, the per-pitch-class activity and per-note glow, the pedal
// and the input counters. The note road of the shell (app/note_input) fills them; every floor
// reads them.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

// ---- the two private messages ----
// kMsgMidiNote: wParam bits 0-7 note, bits 8-12 channel + 1 (0 = none), bits 32-63 the device time
// stamp (0 = none); lParam bits 0-29 (and 31) velocity (0 = note off), bit 30 display-only.
// kMsgMidiSustain: wParam bits 0-31 the device time stamp (0 = none); lParam the controller value.
constexpr int64_t kNoteDisplayOnly = 0x40000000;  // lParam bit 30

// wParam of kMsgMidiNote; channel 0..15, or -1 for a note without channel.
inline uint64_t MakeNoteWParam(int note, int channel, uint32_t stampMs) {
  uint64_t ch = (channel >= 0 && channel <= 15) ? (uint64_t)(channel + 1) : 0;
  return ((uint64_t)stampMs << 32) | (ch << 8) | ((uint64_t)note & 0xFF);
}
// lParam of kMsgMidiNote.
inline int64_t MakeNoteLParam(int velocity, bool displayOnly) {
  return (int64_t)(velocity & 0xBFFFFFFF) | (displayOnly ? kNoteDisplayOnly : 0);
}

// ---- tables ----
// One record per note number that has been pressed; it stays after the release and is reused.
struct HeldNote {
  int32_t note;           // MIDI note number (0..255 through the 8-bit field)
  int32_t velocity;       // of the latest note-on
  uint8_t sounding;       // key down or held by the pedal
  uint8_t keyDown;        // key physically down
  uint8_t sustained;      // released while the pedal was down, still sounding
  uint32_t arrivalMs;     // ClockMs32 when the latest note-on was handled
  uint32_t serial;        // note-on serial of the latest note-on
  int32_t channel;        // 0..15 of the latest note-on, -1 without channel
  uint16_t channelMask;   // bit c for every channel c holding the key down; 0 without channel
  uint8_t displayOnly = 0;  // the latest note-on was the program's own (the song's), not a key's
};

// One note-on, kept for trails and the staff panel.
struct PlayedNote {
  int32_t note;
  uint32_t arrivalMs;     // ClockMs32 when handled
  uint32_t serial;
  float r, g, b;          // colour by ring position, red when off the scale
  uint8_t offScale;       // off the current scale or judged wrong
};

enum { kPlayedNoteMax = 768 };

extern std::vector<HeldNote> gHeldNotes;      // in order of first use; one record per note number
extern std::vector<PlayedNote> gPlayedNotes;  // oldest first, at most kPlayedNoteMax
extern uint32_t gNoteOnSerial;                // next note-on serial; from 1, never 0
extern float gPcActivity[12];                 // activity per pitch class 0..1
extern float gNoteGlow[128];                  // glow per note 0..2.4; the frame decays it
extern bool gWrongNoteMark[128];              // play-along's wrong-key mark; cleared on every note-on
extern bool gSustainDown;                     // the sustain pedal is down
extern std::atomic<int32_t> gMidiInMessageCount;  // raw input data messages received
extern uint32_t gLastMidiInputMs;             // ClockMs32 of the last device note or pedal message
extern int32_t gMidiEventLagMs;               // during one note message: handling time - event time
extern bool gSyntheticNoteInput;              // set around a synchronous send: the note is display-only

// Empties both tables and puts every level, flag and counter back to its start value.
void ResetNoteTables();
