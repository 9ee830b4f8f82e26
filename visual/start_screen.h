// visual/start_screen: the start screen with its language list: state, layout, clock, the mouse
// handlers and the drawing. The logic (everything above the drawing section) runs without GL.
#pragma once
#include <cstdint>
#include <string>

// ---- state ----
extern bool gLanguageListOpen;            // the language list is open
extern float gLanguageListOpenAmount;     // eased open state 0..1
extern float gLanguageScroll;             // row shown at the drum's centre
extern float gLanguageScrollTarget;       // where the scroll heads
extern bool gLanguageDragging;            // the scroll bar is dragged
extern float gLanguageDragStartY;         // mouse y when the drag began
extern float gLanguageDragStartTarget;    // scroll target when the drag began
extern bool gLanguageScrollBarHover;      // the mouse is over the scroll bar
extern int gLanguageHoverRow;             // row under the mouse, -1 none
extern float gLanguageHoverAmount;        // eased hover/drag state of the scroll bar 0..1
extern double gStartLastTime;             // previous smoothing time, -1 initially
extern double gStartLastDrawTime;         // previous drawing time, -1 initially
extern float gMidiPickerOpenAmount;       // eased open state of the MIDI picker
extern float gAudioPickerOpenAmount;      // eased open state of the audio-out picker

constexpr float kStartScreenSeconds = 4.6f;  // the run of the start screen, pauses excluded

// The start screen's rectangles, recomputed from the client size on every use.
struct StartScreenLayout {
  float scale;
  float buttonX, buttonY, buttonW, buttonH;
  float panelX, panelY, panelW, panelH;
  float rowsX, rowsY, rowsW, rowsH;
  float barHitX, barHitY, barHitW, barHitH;
  float barCentreX, trackTop, trackBottom;
  float rowH;
};

// ---- logic ----
StartScreenLayout ComputeStartScreenLayout();
// The layout's scale for a client size: clamp(min(w, h) / 900, 0.75, 1.2).
float StartScreenScale(int width, int height);
// Seconds the screen has run (pauses excluded); 0 before its first frame.
float GetStartScreenElapsed(double now);
// The splash is loaded and the screen has not run its 4.6 s, or a list is open.
bool IsStartScreenVisible(double now);
// Opens or closes the language list at app time now.
void SetLanguageListOpen(bool open, double now);
// The per-frame easing of the list's open, hover and scroll states.
void UpdateStartScreenSmoothing(double now);
bool IsOnLanguageScrollBar(float x, float y);
// The row under (x, y) of the open list; false between rows and outside it.
bool LanguageRowAt(float x, float y, int* row);
// Mouse input, client pixels; true when taken.
bool StartScreenMouseDown(int x, int y);
bool StartScreenMouseMove(int x, int y);
bool StartScreenMouseWheel(int x, int y, int delta);
// Ends a scroll-bar drag (the button's release) and lets the mouse go.
void StartScreenMouseUp();
// The overall alpha at elapsed seconds: fades in over 0.644 s and out over the last 1.012 s.
float StartScreenAlpha(float elapsed);
// True while the screen's opaque sky hides whatever was drawn before it (alpha 1).
bool StartScreenCoversBackground(double now);
// "v" + the build date as YYYY.MM.DD + two spaces + the build hash, for an id "platform-YYYYMMDD".
std::string FormatVersionLine(const std::string& buildId, const std::string& hash);
// The line of this build, made once.
std::string BuildVersionLine();
// The scene hash of n as 0..1 (24 bits).
float SceneHash01(uint32_t n);
// The y of hill layer k's 113 silhouette samples (x_i = i W / 112) at elapsed seconds.
void HillSilhouette(int layer, float elapsed, int width, int height, float* xs, float* ys);
constexpr int kHillSamples = 113;
constexpr int kHillLayers = 9;
// One light square of the hills: centre, half size and alpha (before the overall alpha).
struct HillLight {
  float x, y, half, alpha;
};
// The lights of layer k along its silhouette; returns how many were written (at most capacity).
int PlaceHillLights(int layer, float elapsed, int width, int height, const float* xs, const float* ys,
                    HillLight* out, int capacity);
// The mark's roll: centre x at time t (side s, from x0 to x1), and its rotation in radians.
float RollingMarkX(float t, float x0, float x1, float side);
// The list's colour ramp at t with shimmer.
void LanguageAccentColour(float t, double now, float* r, float* g, float* b);

// Puts every start-screen state back so it shows again (F12).
void ResetStartScreen();
// Sets the language list's scroll position and target to the row.
void SetLanguageListRows(float row);

// ---- drawing ----
// Draws the start screen for this frame; false when there is none (the frame goes on).
bool DrawStartScreen(double now);
void DrawSplashScene(double now, float elapsed, float alpha);
void DrawRollingMark(float t, float alpha);
void DrawLanguageList(double now, float alpha);
