// app/circle_view: the circle view of one frame, in its fixed order: the glow feed before the
// circle; unless the student view is shown, the circle of fifths with its labels, the key marker,
// the chord trail and the pattern list; then, also while the student view hides the circle, the
// glow feed after it, the orb's parameter record and the backdrop's values.
#pragma once
#include <cstdint>

// ---- state ----
extern float gCircleAlpha;       // opacity of the whole view 0..1; 1 before the first frame
extern float gKeyMarkerX;        // the key marker's centre in client pixels (-10000 while hidden)
extern float gKeyMarkerY;
extern float gKeyMarkerRadius;   // its grab radius in pixels (0 while hidden)

// Where the key marker sits this frame.
struct KeyMarkerPlace {
  float x, y;         // centre
  float dotRadius;    // the drawn dot
  float grabRadius;   // the drag handle's reach
  float angle;        // radians, position 0 straight up
};

// The view's opacity from the student view, practice mode and the song view.
float ComputeCircleAlpha();
// The marker's place for the circle (cx, cy, shorter side m, outer radius R) at now (seconds).
KeyMarkerPlace ComputeKeyMarker(float cx, float cy, float m, float R, double now);
// The whole step of the frame.
void DrawCircleView(float dt, double now);
// On the learning overlay: the chord trail, drawn after the staff panel that covers the circle.
void DrawChordTrailOverStaff();
// Start state: opacity 1, marker hidden, its bob clock unset.
void ResetCircleView();
