// learning_ui/library_search: the search box above the card grids: typing, editing keys, the
// clipboard, the mouse selection and its drawing. Every change of the text filters the library at
// once and scrolls the list back to the top. The typed text is the pupil's own: it is measured and
// drawn untranslated.
#pragma once
#include <cstdint>

#include "learning_ui/learning_layout.h"

// The technique views without a search text (their type, key and hand pickers apply).
bool IsTechniqueWithoutSearch();
// gSearchQuery from the box's text, and the list back to the top.
void ApplySearchText();
// A typed character while the screen is open and the box focused (Escape, Enter and Backspace
// arrive as characters too); true when the box took it.
bool HandleSearchBoxChar(uint32_t ch);
// The box has the keyboard focus (every key then ends there).
bool IsSearchBoxFocused();
// End, Home, Left, Right, Delete and Ctrl+A/C/V/X while the box is focused; false for other keys.
bool HandleSearchBoxKey(int virtualKey, bool shift, bool ctrl);
// The caret index nearest the client x, against the text where the box shows it.
int SearchCaretFromX(const LearningLayout& l, float x);
// A press inside the box: focus, caret and anchor at the point, and a selection drag begins.
void PressSearchBox(const LearningLayout& l, int x);
// The mouse moved during a selection drag: the caret follows while the box is focused on an open
// screen (true); otherwise the drag ends (false).
bool DragSearchSelection(int x);
// Button release: ends a selection drag; true when one was under way.
bool TakeSearchDragEnd();
// The box in card grids; elsewhere it hides and loses the focus.
void DrawSearchBox(const LearningLayout& l);
