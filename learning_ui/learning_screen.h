// learning_ui/learning_screen: the learning screen as the shell sees it: the three drawing calls
// of each frame (in this order) and the handlers the window procedure offers input to. Each
// handler returns true when the screen took the event, which then reaches nothing below it.
#pragma once
#include <cstdint>

#include "learning/library_view_state.h"   // gLibraryOpen and the view state the model shares
#include "learning_ui/learning_screen_state.h"

// ---- each frame ----
void DrawLibraryButton();
void DrawLearningScreen();
// The scroll hint beside the scrollbar when the side labels have no room; lays itself out.
void DrawLearningScrollHint();

// ---- input ----
// A left-button press at client (x, y).
bool HandleLearningClick(int x, int y);
// A wheel turn (120 per notch).
bool ScrollLearningList(int wheelDelta);
// Every mouse move; reads gMouseY. True while the scrollbar's thumb is dragged.
bool DragLibraryScrollbar();
// Button release: ends a thumb drag; true when one was under way.
bool EndLibraryScrollbarDrag();
// The search box's own input (learning_ui/library_search.h).
bool TakeSearchDragEnd();
bool HandleSearchBoxChar(uint32_t ch);
bool IsSearchBoxFocused();
bool HandleSearchBoxKey(int virtualKey, bool shift, bool ctrl);
bool DragSearchSelection(int x);

// ---- shared by the screen's parts ----
// Whole milliseconds of GetAppSeconds plus 1: never 0, which means "not stamped".
uint32_t LearningMsStamp();
// A previewed planned day ends and today is shown again.
void EndPlannedDayPreview();
