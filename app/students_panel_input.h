// app/students_panel_input: the students panel under the mouse: opening and closing it, the colour
// wheel of a row, switching and deleting students (a bin needs a second click within 4 seconds),
// the name entry and its add button, and the wheel turning a list longer than the panel holds.
#pragma once

// The header's or the side list's students button: opens or closes the panel.
void ToggleStudentsPanel();
// Closes the panel, the name entry's focus and the colour edit, saving a change to the list that
// "students.dat" has not taken yet (a colour, a save that failed) and every other dirty store.
void CloseStudentsPanel();
// A press while the panel is open; true when it ends the click's search (taken or swallowed).
bool StudentsPanelMouseDown(int x, int y);
// The open panel or its colour popup lies under the point, over whatever else stands there.
bool StudentsPanelCovers(int x, int y);
// A wheel turn (delta: 120 a notch away from the user) where the panel covers the point: its list
// turns, unless the colour popup stands there; true when the panel takes it.
bool StudentsPanelWheel(int x, int y, int delta);
// A double click on a bin only arms it (true: swallowed).
bool StudentsPanelSwallowsDoubleClick(int x, int y);
// A move during a wheel drag recolours the selected student.
void FollowColourWheelDrag(int x, int y);
// A move with the panel closed forgets the bin's confirmation and the colour edit.
void ForgetClosedPanelEdits();
// The button went up: the wheel drag ends and a changed colour is saved.
void EndColourWheelDrag();
