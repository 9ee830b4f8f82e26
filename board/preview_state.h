// board/preview_state: what the scale preview shows and how strongly: the shown scale and root,
// the in-scale test against it, the fade after a pick in a student's view, and the off-scale flash
// that a key gets once when it starts to sound outside the scale.
#pragma once

#include "theory/scale_rows.h"

// ---- state ----
extern float gPreviewKeyFlash[128];   // off-scale flash per key, 1 at the start, falling 1.4 a second

// The scale and tonic the preview shows this frame: the pick while the song view shows the
// practice strip, else the current scale in the current key.
void ChoosePreviewScale(const ScaleRow** scale, int* root);
// pc lies in the scale on root; every pitch class does while all notes are allowed.
bool IsNoteInScaleOn(const ScaleRow* scale, int root, int pc, bool allNotesAllowed);

// Seconds a pick stays shown in a student's view at teaching level lv (0..1).
float PreviewHoldSeconds(float lv);
// The preview's fade f at app time now for a pick made at pickTime.
float ComputePreviewFade(bool pickPresent, bool studentView, bool practiceMode, double now, double pickTime,
                         float teachingLevel);
// pow(1 - clamp(x, 0, 1), 0.85): how strongly the keys light at a difficulty x.
float ToneCurveValue(float x);

// Lowers every flash by 1.4 dt, then gives 1 to each key that starts to sound while off the scale.
void AdvancePreviewKeyFlash(const bool sounding[128], const bool offScale[128], float dt);
// No flash and no key remembered as sounding.
void ResetPreviewState();
