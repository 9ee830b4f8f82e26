// app/base/app_state: the program's run flags and the student list's view state, which the shell
// keeps and the student records read.
#pragma once
#include <cstdint>

// ---- the program ----
extern bool gAppRunning;          // the main loop runs while set; cleared by destruction and RequestAppExit
extern bool gMainWindowOpen;      // set while the main window exists (created, not yet destroyed)
extern bool gWindowMinimised;     // the main window is minimised (iconified): nobody sees it, nothing is drawn

// ---- the student list's view state, kept by the window procedure ----
extern bool gStudentListOpen;     // the student list is shown
extern bool gColourPopupOpen;     // the colour popup of the selected row is open
extern bool gColourWheelDrag;     // the left button is held on the colour wheel
extern bool gStudentsDirty;       // "students.dat" lags behind the list (a colour edit, a failed save)
extern int gSelectedStudentRow;   // index in gStudents of the selected row, -1 for none
extern bool gStudentNameEntryActive;   // the new-student entry has the keyboard focus

// The brief highlight of one list row: its id (-1 none) and deadline on ClockTickMs64.
extern int gHighlightRowId;
extern uint64_t gHighlightDeadlineMs;

// True while id is the highlighted row id and the deadline has not passed.
bool IsHighlightActive(int id);
// The student list's view state back to closed, nothing selected, no highlight.
void ResetStudentListView();
