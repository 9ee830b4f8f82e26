// gfx/layout_rects: the laid-out rectangles' storage; hidden until the layout places them.
#include "gfx/hit_regions.h"
#include "gfx/layout.h"

// ---- state ----
std::vector<int> gStudentRowStudents;           // per laid-out student row, its student
std::vector<RectF> gStudentRowRects;            // per laid-out student row, its rectangle
RectF gSeekBarRect = kHiddenRect;               // the seek bar
RectF gSpeedSliderRect = kHiddenRect;           // the speed slider
RectF gSliderPanelButtonRect = kHiddenRect;     // the settings panel button
RectF gUnloadSongRect = kHiddenRect;            // the unload button
RectF gMetronomeStopRect = kHiddenRect;         // the metronome stop button
RectF gToolbarRects[8] = {kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect,
                          kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect};
RectF gToolbarPanelRect = kHiddenRect;          // the toolbar's panel
RectF gHeaderRowFirstRect = kHiddenRect;        // the header row's buttons
RectF gHeaderRowSecondRect = kHiddenRect;
RectF gPracticeRunSlotRect = kHiddenRect;
