// app/note_input: the road of every note: raw MIDI input turned into the program's two private
// messages (app/base/note_tables), and their handling into the held-note and played-note tables, the per-pitch-class
// activity and the per-note glow, with the device notes handed to the judges in a fixed order.
//
// The handlers are branches of the window procedure: it calls them for the matching message codes.
// Notes sounded by the program itself (playback, previews, releases) travel the same road marked
// display-only: they reach the tables and the display but no judge.
#pragma once
#include <cstdint>

#include "app/base/note_tables.h"

// ---- window procedure branches ----
// kMsgMidiInData: wParam = the packed short message (status | data1 << 8 | data2 << 16),
// lParam = its time stamp on ClockMs32 (0 = none).
void HandleMidiInData(uint64_t wParam, int64_t lParam);
// kMsgMidiInError and kMsgMidiInLongError.
void HandleMidiInError(uint32_t code, uint64_t wParam, int64_t lParam);
// kMsgMidiNote.
void HandleMidiNoteMessage(uint64_t wParam, int64_t lParam);
// kMsgMidiSustain.
void HandleMidiSustainMessage(uint64_t wParam, int64_t lParam);
// kMsgMidiAllNotesOff: wParam as a note message's, without the note.
void HandleMidiAllNotesOffMessage(uint64_t wParam, int64_t lParam);

// ---- test hook ----
// When set, told the name of each judge feed just before the note road calls it.
using NoteFeedTrace = void (*)(const char* feed);
extern NoteFeedTrace gNoteFeedTrace;
