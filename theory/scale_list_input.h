// theory/scale_list_input: the scale list under the mouse: a press on a row scrolls the list to it
// and holds the list until the button comes up; a press on its scroll strip drags the list. The
// drag's flag is gScaleListDragging (theory/scale_selection); the pointer's capture is the caller's,
// taken when a press asks for it and given back when the hold or the drag ends.
#pragma once

// A press on a row (scrolls to it, previews the row and holds the list) or on the strip (starts a
// drag); true when the press was on either. *capture tells the caller to capture the pointer.
bool ScaleListMouseDown(int x, int y, bool* capture);
// A move during the drag: the list follows the pointer over the strip's length. False when the
// drag cannot go on (the list no longer takes input or is empty): the drag has then ended.
bool DragScaleList(int y);
// Ends the drag and the hold; true when a drag was on (its previewed row is then due at once).
bool EndScaleListDrag();
// The list is held by the pointer apart from a drag: a row was pressed, the button is still down
// and the list still takes input.
bool IsScaleListHeld();
// A drag or a hold is on, so the caller holds the pointer's capture for the list.
bool ScaleListHasPointer();
// No drag, no hold.
void ResetScaleListInput();
