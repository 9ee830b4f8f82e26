// board/lane_keys: where things sit on the note-fall strip: the strip and its NOTE FALL button, the
// lane above the keyboard, the 88 keys (A0 to C8) and the colours the keyboard and the hit line
// take. Everything here is arithmetic on the client size and the view flags, so the drawing and
// the particles agree on a key's extent and tests reach it without a window.
#pragma once
#include <cstdint>

#include "gfx/rect.h"

struct ScaleRow;

// ---- the keyboard ----
constexpr int kLaneLowNote = 21;    // A0
constexpr int kLaneHighNote = 108;  // C8
constexpr int kLaneWhiteKeys = 52;

// Pitch class p (wrapped into 0..11, also when negative) is a black key.
bool IsBlackKey(int pitchClass);
// White-key index of every note 0..127: A0 = 0 ... C8 = 51, -1 for black notes and notes off the
// keyboard.
const int32_t* LaneWhiteKeyIndex();
// The 52 white notes, lowest first.
const int32_t* LaneWhiteNotes();

// What every drawing step needs to place something over a key.
struct KeyboardLayout {
  const int32_t* whiteIndex;  // LaneWhiteKeyIndex()
  float x;                    // keyboard's left edge
  float whiteW;               // one white key
  float blackW;               // one black key
  float width;                // the whole keyboard
};

// The layout of a keyboard of the given left edge and width.
KeyboardLayout MakeKeyboardLayout(float x, float width);
// The horizontal extent of a key; false for notes off the keyboard (outside 21..108) or a black
// key cut to 0.2 px or less by the keyboard's edges. isBlack is set in every case.
bool GetLaneKeyRect(const KeyboardLayout& k, int note, float* x, float* width, bool* isBlack);

// ---- the strip and the lane ----
struct NoteFallStrip {
  bool shown;                  // the strip is drawn this frame (a lane mode is on and it fits)
  float s;                     // UI scale
  float x, y, w, h;            // the strip
  float pad, kr;               // inner margin, key corner radius
  float keyboardX, keyboardTop, keyboardW, keyboardH;
  RectF button;                // the NOTE FALL button
  bool shortForm;              // learning overlay up, note-fall mode off: the lane fades in low
  float laneAlpha;             // the lane's fade (1 in the short form)
  bool laneShown;              // the lane, its notes and hit line are drawn
  float hitY, laneH;           // the hit line (keyboard's top); the lane runs from y = 0 to it
  float laneTop, span;         // where notes fade in (0 and laneH outside the short form)
};

// The strip for the current client size and view flags (gPracticeModeFade is the lane's fade).
NoteFallStrip ComputeNoteFallStrip();
// The strip's top while it is shown, else 0; it does not depend on the staff panel.
float NoteFallStripTop();
// A lane mode is on: note-fall, song view, wait mode or the learning overlay.
bool IsLaneModeOn();

// ---- colours ----
// Key highlight after the key painter: the painter's colour (r, g, b) and amount a are adjusted
// for a white or black key by the play-along state. marked tells the drawer to widen the glow.
struct LaneKeyMarks {
  bool run;             // a play-along run is active and available
  bool pressed;         // the key is down or the song sounds it
  float hit, pulse, upcoming, error;  // the play-along values of the key, 0..1
  bool displayState;    // the key's display state is set
};
void AdjustLaneKeyHighlight(bool black, const LaneKeyMarks& m, float boardAlpha, float* r, float* g, float* b,
                            float* amount, bool* marked);

// The hit line's two end colours from the scale's pitch classes on root: the pair of ring colours
// farthest apart (first pair on ties), lightened; root alone without a scale.
void PickHitLineColours(const ScaleRow* scale, int root, float left[3], float right[3]);
