// gfx/hit_regions: the rectangles of the small controls around the circle and the board that the
// window procedure hit-tests and the shell draws: the active student's name box with the students
// panel below it, the top-right toggle, the control band (filter row, header buttons, transport
// with the seek bar and speed slider, playlist row) that slides from above the practice strip to
// the top of the window as the board fades in, and the file menu. A control that is not shown has
// kHiddenRect, so no hit test finds it. LayoutHitRegions (gfx/layout.h) writes them all.
#pragma once
#include <vector>

#include "gfx/rect.h"

// ---- the header and the top-right toggle ----
extern RectF gStudentHeaderRect;        // the active student's name box (hidden in practice mode)
extern RectF gStudentsButtonRect;       // opens the students panel: the name box (not overlay only)
extern RectF gSideListStudentsButtonRect;  // the same box in the overlay-only layout

// ---- the control band and its rows ----
extern RectF gControlBandRect;
extern RectF gBandTopRowRect;           // header buttons
extern RectF gBandMiddleRowRect;        // previous, play, next, the seek bar and the speed slider
extern RectF gBandBottomRowRect;        // repeat, shuffle and clear-loop; gone once the board is in
extern RectF gSliderPanelButtonRect;    // the settings panel button left of the band (practice mode)
extern RectF gLearningButtonRect;       // switches the learning overlay; hidden in practice mode
extern RectF gSongViewButtonRect;
extern RectF gOverlayFilterButtonRect;  // the learning overlay's filter button, beside the staff panel
extern RectF gMetronomeStopRect;        // while the metronome runs
extern RectF gUnloadSongRect;           // while a song is loaded

// Header buttons (top row).
extern RectF gFileButtonRect;
extern RectF gSightReadingButtonRect;   // while a sight-reading score is loaded
extern RectF gPlayModeButtonRect;       // while a song is loaded
// Transport (middle row).
extern RectF gPreviousButtonRect;
extern RectF gPlayButtonRect;
extern RectF gNextButtonRect;
extern RectF gSeekBarRect;              // its track is inset at both ends (midi/seek_bar)
extern RectF gSpeedSliderRect;          // its track is inset at both ends (midi/playback)
// Playlist row (bottom row).
extern RectF gRepeatButtonRect;
extern RectF gShuffleButtonRect;
extern RectF gClearLoopButtonRect;
// The loop handles on the seek bar, placed from the loop points by LayoutLoopHandles (midi).
extern RectF gLoopStartHandleRect;
extern RectF gLoopEndHandleRect;
extern bool gLoopMarkersShown;          // both handles are laid out

// ---- the file menu (below the file button while gFileMenuOpen) ----
extern RectF gFileMenuRect;
extern RectF gFileMenuOpenFileRect;
extern RectF gFileMenuOpenFolderRect;

// ---- the students panel (while the student list is open) ----
extern RectF gStudentsPanelRect;
// Per listed row, parallel to gStudentRowStudents and gStudentRowRects (gfx/layout.h).
extern std::vector<RectF> gStudentSwatchRects;
extern std::vector<RectF> gStudentNameRects;
extern std::vector<RectF> gStudentBinRects;
// The students that find no full row: a compact list of small entries, with their student indices.
extern std::vector<RectF> gCompactStudentRects;
extern std::vector<int> gCompactStudentIndices;
extern RectF gStudentNameEntryRect;     // the new-student name entry
extern RectF gAddStudentButtonRect;
extern RectF gPlacementQuizButtonRect;
// More students than the open panel holds: its list turns by whole lines of the compact list, the
// full row showing the first student listed. Notches as the wheel counts them, positive towards the
// list's top; the turn stops at either end of the list. Laid out again after it (RelayoutAll).
void ScrollStudentsPanel(float notches);
// The next layout of the open panel turns its list as little as lists this student (-1: none).
void ShowStudentInPanel(int student);

// How far from the window's right edge the learning overlay's button column reaches, with its gap
// before the staff panel: the panel keeps left of it, so that no button covers the staff.
float OverlayButtonColumnRoom();
// Every rectangle hidden, every list empty and the students panel's list turned back to its top.
void ResetHitRegions();
