// practice/student_colours: keeping a student's colour visible, and the colour-wheel popup's
// geometry and point-to-colour mapping (the popup is drawn by the student-list panel with the
// same geometry, so what is shown under the pointer is what a pick returns).
#pragma once
#include "gfx/rect.h"
#include "practice/students.h"

// The default student colour.
inline constexpr float kDefaultStudentColour[3] = {0.3f, 0.48f, 0.76f};

// Clamps r, g, b into 0..1; a colour whose largest component is below 0.06 becomes the default.
void NormalizeStudentColour(Student& student);
// Geometry of the open popup: its box, the wheel's centre and radius; false when none is shown.
bool ShowColourPopup(RectF* box, float* cx, float* cy, float* radius);
// The colour under a window point on the wheel; false off the wheel or without a popup.
bool PickWheelColour(int x, int y, float* r, float* g, float* b);
