// visual/backdrop: the window's background: a vertical gradient drawn first in every frame, and a
// field of slowly rising, twinkling stars with an occasional shooting star drawn after the circle.
// The stars take their hues from the pitch classes that sound, flash, and brighten near the frame's
// note sparks. The same client size always gives the same sky: a star's seed is its index.
#pragma once
#include <cstdint>
#include <vector>

// What the frame hands the stars each pass (set before DrawBackdrop).
struct BackdropDrive {
  float difficulty = 0;     // E: the teaching difficulty slider
  float light = 0;          // L: major light scaled by the focus
  float minor = 0;          // P: minor level
  float keyLevel = 0;       // D: key (tension) level
  float cellGlow = 0;       // Z: the current cell's eased completion glow
  float speed = 1;          // the star speed factor
  float circleOpacity = 1;  // X: the circle view's alpha (1 before the first circle pass)
  int colourPositions[12] = {0};  // ring positions to colour stars with, never empty
  int colourCount = 1;
};

// One star; positions are fractions of the window.
struct BackdropStar {
  float x, y;        // kept in -0.03..1.03
  float speed;       // rise in window heights per second, 0.01..0.05
  float size;        // base half size in pixels, 0.45..1.8
  float brightness;  // 0.06..0.20
  float phase;       // twinkle phase 0..2 pi
  float flash;       // twinkle flash, decays
  float sparkFlash;  // flash from a nearby note spark, decays
};

// One star as drawn: a square of half size `half` centred on (x, y).
struct StarQuad {
  float x, y, half;
  float r, g, b, a;
};

// The shooting star: inactive, or one flight to its end.
struct ShootingStar {
  bool active = false;
  float progress = 0;      // 0..1
  float duration = 1;      // seconds
  float startX = 0, startY = 0;  // window fractions
  float dx = 0, dy = 0;    // window fractions per unit of progress
  float tail = 0;          // tail length, fraction of the larger window side
  float strength = 0;
  uint32_t rng = 0;        // its random state
  bool seeded = false;     // mixed with the tick count at the first draw
};

// ---- state ----
extern BackdropDrive gBackdropDrive;      // set by the frame
extern std::vector<BackdropStar> gBackdrop;
extern uint32_t gStarRng;                 // twinkle random state
extern uint32_t gStarRespawnCount;        // stars that left the window
extern ShootingStar gShootingStar;

// ---- gradient ----
// Colours at vertical fraction t (0 top, 1 bottom) for the tint fade m (the frame's gBackdropTintFade).
void BackdropGradientColour(float t, float m, float* r, float* g, float* b);
void BackdropGradientColourTop(float t, float m, float* r, float* g, float* b);
// Strips for a frame step: fewer when frames are slow, 240..960.
int GradientStripCount(int height, float dt);
// Draws the gradient over the cleared window (the frame clears first).
void DrawBackgroundGradient(float dt);
// Deletes the gradient's texture while its GL context is still current; the next gradient makes
// a new one.
void FreeBackdropTexture();

// ---- stars ----
// u(n): the hash of n as a float in 0..1.
float StarHash01(uint32_t n);
// Sizes and seeds gBackdrop for the client size (nothing when unchanged).
void BuildStarField();
// Stars updated and drawn at the client size: 120..420.
int VisibleStarCount();
// Moves, twinkles and lights every visible star for the step; appends the drawn ones to *out.
void UpdateBackdropStars(float dt, double time, std::vector<StarQuad>* out);
// Updates and draws the stars, then the shooting star.
void DrawBackdrop(float dt, double time);
// Advances, perhaps starts, and draws the shooting star.
void UpdateShootingStar(float dt);
// An empty sky, fresh random states, no shooting star.
void ResetBackdrop();
