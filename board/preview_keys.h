// board/preview_keys: the key painter shared by the scale preview's two-octave keyboard and the
// note-fall lane's 88-key keyboard. From the frame record it tells each key's base colour and the
// colour and strength of the light laid over it: red while a key sounds off the scale, the ring
// colour of its pitch class while it sounds in the scale, a dim scale hint otherwise, with the
// note's glow as a shimmer and the gold of a freshly played scale run or earned cell on top.
// Only DrawPreviewKeyBody draws; everything else is plain arithmetic on the record.
#pragma once

#include "board/board_frame.h"
#include "gfx/rect.h"

// A colour with its alpha; an alpha above 1 is allowed (GL clamps it when drawn).
struct KeyColour {
  float r, g, b, a;
};

// The preview keyboard in its own units, 301 wide and 95 high: fifteen white keys from C3 (note
// 48) to C5, 20 units apart, and eleven black keys 13 wide on these centres, the last a sliver at
// the right edge.
constexpr int kPreviewWhiteNotes[15] = {48, 50, 52, 53, 55, 57, 59, 60, 62, 64, 65, 67, 69, 71, 72};
constexpr int kPreviewBlackNotes[11] = {49, 51, 54, 56, 58, 61, 63, 66, 68, 70, 73};
constexpr float kPreviewBlackCentres[11] = {18.5f,  43.5f,  78.5f,  100.5f, 122.5f, 158.5f,
                                            183.5f, 218.5f, 240.5f, 262.5f, 298.5f};

// The box the preview keyboard is drawn in: left x0, top y0, width w, height h, the key units
// u = w / 301 and v = h / 95, the key corner radius and the UI scale.
struct PreviewKeyboardBox {
  float x0, y0, w, h;
  float u, v;
  float radius;
  float scale;
};

// The base colour of a key; the alpha carries the preview fade. The preview keyboard uses the
// "not in the scale" form, the lane keyboard the "in the scale" form.
KeyColour PreviewKeyColour(const BoardViewFrame& f, int pitchClass, bool black, bool inScale);
// The light over one key. laneKey: the key's own values (lane keyboard); else the preview's lower
// octave (notes 48..59) shows its pitch class as played in any octave and the upper octave shows
// scale membership only. A is the caller's strength for its kind of key. Notes outside 0..127
// count as silent.
KeyColour DrawPreviewKey(const BoardViewFrame& f, int note, int pitchClass, float A, bool laneKey);
// The note's glow G (0..2.4) makes the key shimmer brighter.
KeyColour ShimmerKeyColour(const BoardViewFrame& f, KeyColour c, int note, int pitchClass, float G, float A);
// The gold of the scale-run glow of the pitch class and of the current cell's glow.
KeyColour DrawPreviewKeyGlow(const BoardViewFrame& f, KeyColour c, int pitchClass, float A);

// The two blocks a white key's light is drawn in: the wide part below the black keys and the
// narrow part between them, which overlaps it a little.
void PreviewKeyBodyBlocks(const PreviewKeyboardBox& box, float x, float width, int pitchClass, RectF* lower,
                          RectF* upper);
// Draws a white key's light in those blocks at alpha c.a x factor (nothing at 0.001 or less).
void DrawPreviewKeyBody(const PreviewKeyboardBox& box, float x, float width, int pitchClass, KeyColour c,
                        float factor);
