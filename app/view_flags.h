// app/view_flags: view state of the main window that the board and the practice run read.
#pragma once

extern bool gStudentView;         // the active student's view is open
extern float gHighlightPulse;     // the main view's highlight; the frame lowers it
