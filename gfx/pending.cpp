// gfx/pending: graphics services others already call whose bodies come with later work.
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/pending.h"

// Filled in later with the hit regions.
std::vector<int> gStudentRowStudents;
// Filled in later with the hit regions.
std::vector<RectF> gStudentRowRects;
// Filled in later with the hit regions.
RectF gSeekBarRect = kHiddenRect;
// Filled in later with the hit regions.
RectF gSpeedSliderRect = kHiddenRect;

// Filled in later with the UI scale and layout.
void RelayoutAll() {}
// Filled in later with the hit regions.
void LayoutHitRegions() {}
RectF gSliderPanelButtonRect = kHiddenRect;
RectF gUnloadSongRect = kHiddenRect;
RectF gMetronomeStopRect = kHiddenRect;

// Filled in later with the UI layout: hidden until laid out.
RectF gToolbarRects[8] = {kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect,
                          kHiddenRect, kHiddenRect, kHiddenRect, kHiddenRect};
RectF gHeaderRowFirstRect = kHiddenRect;
RectF gHeaderRowSecondRect = kHiddenRect;
RectF gPracticeRunSlotRect = kHiddenRect;
