// app/view_flags: the view flags' storage; the window procedure and the frame set them.
#include "app/view_flags.h"

bool gStudentView = false;      // switched on when a practice run delivers its scores
float gHighlightPulse = 0.0f;   // raised by a completed practice run
