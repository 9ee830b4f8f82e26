// app/note_input: the road of every note: raw MIDI input turned into the program's two private
// messages, and their handling into the held-note and played-note tables.
//
// These are branches of the window procedure: it calls them for the matching message codes.
#pragma once
#include <cstdint>

extern bool gWrongNoteMark[128];   // per note: marked wrong by play-along judging
extern float gPcActivity[12];      // activity per pitch class 0..1

// kMsgMidiInData: wParam = the packed short message, lParam = its time stamp on ClockMs32.
void HandleMidiInData(uint64_t wParam, int64_t lParam);
// kMsgMidiInError and kMsgMidiInLongError.
void HandleMidiInError(uint32_t code, uint64_t wParam, int64_t lParam);
// kMsgMidiNote.
void HandleMidiNoteMessage(uint64_t wParam, int64_t lParam);
// kMsgMidiSustain.
void HandleMidiSustainMessage(uint64_t wParam, int64_t lParam);
