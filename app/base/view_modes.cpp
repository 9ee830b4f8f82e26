// app/base/view_modes: the view-mode flags' and fades' storage.
#include "app/base/view_modes.h"

// ---- state ----
bool gSongView = false;           // switched by the view commands and the song view keep-alive
bool gLearningOverlay = false;    // switched by the learning commands
bool gStudentView = false;        // switched on when a practice run delivers its scores
bool gPracticeMode = false;       // switched by the practice-mode command
bool gRingMode = false;           // the program entry clears it after reading the setting
// The grid is drawn whether or not the strip is on, so the strip starts on: a press on a cell the
// user sees then picks it, where it would be ignored until the practice strip command.
bool gPracticeStrip = true;       // switched by the practice strip command
bool gSightReadingView = false;   // switched by the sight-reading command
bool gBackdropTint = false;       // switched by the tint command
bool gWaitMode = false;           // switched by the wait command and the song view keep-alive
bool gStaffNoteOption = false;    // no key switches it yet: the staff's step labels stay off
float gSongViewFade = 0.0f;
float gPracticeStripFade = 0.0f;
float gStudentViewFade = 0.0f;
float gPracticeModeFade = 0.0f;
float gRingModeFade = 0.0f;
float gRingModeFadeSlow = 0.0f;
float gBackdropTintFade = 0.0f;
float gHighlightPulse = 0.0f;

// ---- public functions ----
bool IsPracticeStripFadedIn() { return gPracticeStrip && gPracticeStripFade > 0.12f; }

bool IsPracticeStripShown() {
  return IsPracticeStripFadedIn() && !gPracticeMode && !gLearningOverlay;
}

bool IsLearningOverlayShown() { return gLearningOverlay && !gPracticeMode; }

void ResetViewModes() {
  gSongView = gLearningOverlay = gStudentView = gPracticeMode = false;
  gRingMode = gSightReadingView = gBackdropTint = gWaitMode = gStaffNoteOption = false;
  gPracticeStrip = true;
  gSongViewFade = gPracticeStripFade = gStudentViewFade = gPracticeModeFade = 0.0f;
  gRingModeFade = gRingModeFadeSlow = gBackdropTintFade = gHighlightPulse = 0.0f;
}
