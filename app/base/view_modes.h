// app/base/view_modes: every view-mode flag of the main window and the fade the frame eases
// towards it. The shell's commands switch the flags; the floors above read them to decide what
// to lay out, draw and take input for.
#pragma once

// ---- the flags ----
extern bool gSongView;            // the song view (note road over the keyboard) is shown
extern bool gLearningOverlay;     // the learning overlay is shown
extern bool gStudentView;         // the active student's view is open
extern bool gPracticeMode;        // the practice view (note-fall lane) is on
extern bool gRingMode;            // the ring-mode view of the circle is chosen
extern bool gPracticeStrip;       // the practice strip is shown
extern bool gSightReadingView;    // the sight-reading view is on
extern bool gBackdropTint;        // the background tint toggle
extern bool gWaitMode;            // the song view's wait mode: playback waits for the expected notes
extern bool gStaffNoteOption;     // the staff names the steps and lights them by the held notes ("STAFF NOTES")

// ---- the fades ----
extern float gSongViewFade;       // moves linearly towards gSongView
extern float gPracticeStripFade;  // eased towards gPracticeStrip
extern float gStudentViewFade;    // eased towards IsStudentViewActive
extern float gPracticeModeFade;   // eased towards gPracticeMode
extern float gRingModeFade;       // eased towards gRingMode at 9.6 per second
extern float gRingModeFadeSlow;   // eased towards gRingMode at 4.4 per second
extern float gBackdropTintFade;   // eased towards gBackdropTint
extern float gHighlightPulse;     // the main view's highlight; raised by a completed practice run, the frame lowers it

// The practice strip is on and faded in past 0.12, whatever view covers it: the shell's input asks
// this (practice mode's own board button stays reachable while the strip is covered).
bool IsPracticeStripFadedIn();
// The practice strip is on and faded in, and neither practice mode nor the learning overlay is on.
bool IsPracticeStripShown();
// The learning overlay is on and practice mode, which covers it, is off.
bool IsLearningOverlayShown();
// Every flag off and every fade at 0.
void ResetViewModes();
