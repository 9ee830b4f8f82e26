// classroom/classroom_panels: what the frame does for the three classroom panels: the register's
// panes slide and the institution panel takes the server's answers, then the register, the class
// view and the institution panel are drawn, the last on top (it is also the first to take a press).
#pragma once
#include <cstdint>

// Every pass, drawn or not: a pupil the server let go leaves the local list while the window is
// minimised too.
void StepClassroomPanels(float elapsedSeconds);
void DrawClassroomPanels();
// Some classroom entry, the rename field or a note has the keyboard: every key-down ends there.
bool ClassroomPanelHasKeyboard();
// One of the panels is open. Each takes every press, so the views behind it are out of reach of
// the keys as well.
bool IsClassroomPanelOpen();

// ---- input, in the window procedure's order ----
// A press: the institution panel, the class view, then the register; each takes every press while
// open (a press outside closes it).
bool ClassroomPanelsMouseDown(int x, int y);
// Escape undoes one layer of the institution panel or the class view; then the register's rename
// field or note takes the key; while any panel is open every key ends here.
bool ClassroomPanelsKeyDown(int virtualKey, bool shift, bool ctrl);
// The wheel: the institution panel's pupil rows or the register's panes; either takes it while open.
bool ClassroomPanelsWheel(int x, int y, int wheelDelta);
// A typed character for the institution entry, the class view's entry or the register.
bool ClassroomPanelsChar(uint32_t character);
// The point lies on an open panel: the controls beneath it are out of the pointer's reach.
bool IsPointOnClassroomPanel(int x, int y);
