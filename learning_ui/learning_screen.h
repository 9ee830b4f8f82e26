// learning_ui/learning_screen: the learning screen the frame draws (the library button, the screen
// itself and its scroll hint) and its input, which the window procedure offers it first.
#pragma once
#include <cstdint>

// PENDING: drawn with the learning screen, in this order each frame.
void DrawLibraryButton();
void DrawLearningScreen();
void DrawLearningScrollHint();

// ---- input ----
// PENDING: the learning screen's clicks; true when the click was on the screen or one of its views.
bool HandleLearningClick(int x, int y);
// PENDING: the library search box; one typed character, true when the box took it.
bool HandleSearchBoxChar(uint32_t character);
// PENDING: the library search box; a key while the box has the focus.
void HandleSearchBoxKey(int virtualKey, bool shift, bool ctrl);
// PENDING: the library search box; true while it has the keyboard focus.
bool IsSearchBoxFocused();
// PENDING: the library search box; a move during its selection drag puts the caret under x (true),
// or ends the drag when the box lost the screen or the focus (false).
bool DragSearchSelection(int x);
// PENDING: the learning screen's list; one wheel turn, true when the list took it.
bool ScrollLearningList(int wheelDelta);
// PENDING: button-up: ends the search box's selection drag; true when one was on.
bool TakeSearchDragEnd();
// PENDING: button-up: ends the library's scrollbar drag; true when one was on.
bool EndLibraryScrollbarDrag();
// PENDING: mouse move: follows the library's scrollbar drag; true when one is on.
bool DragLibraryScrollbar();
