// classroom/classroom_panels: what the frame does for the three classroom panels: the register's
// panes slide, then the register, the class view and the institution panel are drawn, the last on
// top (it is also the first to take a press).
#pragma once

void DrawClassroomPanels(float elapsedSeconds);
// Some classroom entry, the rename field or a note has the keyboard: every key-down ends there.
bool ClassroomPanelHasKeyboard();
