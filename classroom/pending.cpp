// classroom/pending: bodies of the classroom's functions whose real work comes later (declared,
// each with its marker, in classroom/attendance_classes.h).
#include "classroom/attendance_classes.h"

void LoadAttendanceClasses() {}
void SaveAttendanceClasses() {}
