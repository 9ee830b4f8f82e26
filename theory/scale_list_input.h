// theory/scale_list_input: the scale list under the mouse: a click on a row scrolls the list to it,
// a press on its scroll strip drags the list. The drag's flag is gScaleListDragging
// (theory/scale_selection); the pointer's capture is the caller's.
#pragma once

// A press on a row (scrolls to it and previews the row) or on the strip (starts a drag); true when
// the press was on either. *dragStarted tells the caller to capture the pointer.
bool ScaleListMouseDown(int x, int y, bool* dragStarted);
// A move during the drag: the list follows the pointer over the strip's length. False when the
// drag cannot go on (the list no longer takes input or is empty): the drag has then ended.
bool DragScaleList(int y);
// Ends the drag; true when one was on.
bool EndScaleListDrag();
// No drag.
void ResetScaleListInput();
