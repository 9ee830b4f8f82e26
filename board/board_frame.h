// board/board_frame: the board view's frame record. It is computed once at the start of every
// board frame from the layout, the clocks, the view flags, the scale window and the note tables,
// and handed to every block the frame draws (grid, preview, note-fall lane, HUD), so every block
// of one frame sees the same values. Computing it needs no GL.
#pragma once
#include <cstdint>

#include "board/board_layout.h"
#include "gfx/rect.h"
#include "theory/scale_rows.h"

struct BoardViewFrame {
  // ---- layout ----
  BoardLayout layout;        // ComputeBoardLayout of this frame
  float keyBandLineY;        // the separator under the header line
  float charWidth;           // one character's width estimate, for centring
  // ---- clocks ----
  double now;                // GetAppSeconds
  int64_t wall;              // NowSeconds
  float dt;                  // seconds since the previous board frame, 0..0.08 (0 on the first)
  // ---- lane ----
  float laneFade;            // a: the note-fall lane's fade, 0..1
  bool laneMode;             // practice mode, song view, wait mode or the learning overlay is on
  bool noLane;               // !laneMode
  // ---- rows ----
  float frac;                // scale window fraction
  float rowPitch;            // cellH + cellGap
  int currentSlot;           // slot of gCurrentScale in the scale window, -1 when not shown
  int pickedSlot;            // slot of gPickedScale, -1 when not shown
  int keyRingPos;            // ring position of gKeyRoot
  bool bandOn;               // some slot holds a scale
  float bandTop, bandBottom; // rows holding a scale, clamped to the grid (the grid when off)
  // ---- the area under the strip ----
  RectF lower;
  // ---- keys pressed on the keyboard or sounded by the song (the lane keyboard's marks) ----
  bool keyPressed[128];
  float keyPressLevel[128];
  // ---- keys sounding, held by the pedal included (the preview's and the key painter's input) ----
  bool keySounding[128];
  float keySoundLevel[128];
  bool keyOffScale[128];     // sounding and shown off the scale (or marked by the judge)
  float keyFlash[128];       // the off-scale flash after this frame's update
  bool anySounding;
  // ---- the same per pitch class, over every octave ----
  bool pcSounding[12];
  bool pcOffScale[12];
  float pcLevel[12];
  float pcFlash[12];
  float pcGlow[12];          // gNoteGlow, 0..2.4
  // ---- the shown scale and the preview's fade ----
  const ScaleRow* shownScale;  // never a row outside the catalogue; null only without any scale
  int shownRoot;             // its tonic pitch class
  bool pickPresent;          // gPickedScale set and gRingPos 0..11
  float previewFade;         // f: the preview, the lane keyboard and the lane fade with it
  // ---- the key painter's factors ----
  bool allNotesAllowed;
  float cellGlow;            // CurrentCellGlow
  float toneCurve;           // t
  float scaleRunGlow[12];    // gScaleRunGlow
  float noteGlow[128];       // gNoteGlow, 0..2.4
};

// Fills the record for the frame at app time now. Also advances the off-scale flashes by the time
// since the previous call, so it is called once per drawn board frame.
void ComputeBoardViewFrame(BoardViewFrame* out, double now);
// Forgets the previous frame's time and the preview's flashes (the next frame's dt is 0).
void ResetBoardViewFrame();

// ---- rules the frame and the grid share ----
// The scale band from the slots that hold a scale; false (and the grid's span) when none does.
bool ComputeScaleBand(const BoardLayout& b, float frac, float* top, float* bottom);
// The area under the practice strip: the laid-out lower panel when it has a width, else a place
// under the strip that fits the window.
RectF ComputeLowerArea(const BoardLayout& b, const RectF& laidOut, float clientHeight);
