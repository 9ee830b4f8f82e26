// visual/note_sparks: the frame's note sparks: up to 16 coloured light points on a horizontal line,
// one per note that should light the sky, spread across the window by note number (A0 at the left
// margin, C8 at the right). The frame empties them and spawns them anew every pass; the backdrop's
// stars flash and brighten near them.
#pragma once

// One spark of this frame.
struct NoteSpark {
  float x, y;      // window pixels
  float strength;  // 0..1
  float radius;    // reach of its light: 110 + 150 strength
  float r, g, b;   // ring palette colour of the note's pitch class
};

enum { kNoteSparkMax = 16 };

// ---- state ----
extern NoteSpark gNoteSparks[kNoteSparkMax];  // the live sparks are the first gNoteSparkCount
extern int gNoteSparkCount;                    // 0..16; the frame sets it to 0 before spawning

// Height of the spark line: 0.78 of the client height in practice mode, else 0.7.
float NoteSparkLineY();
// Adds one spark for a MIDI note; nothing when 16 are live.
void SpawnNoteSpark(int note, float strength);
// No spark live.
void ResetNoteSparks();
