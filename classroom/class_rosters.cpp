// classroom/class_rosters: the class rosters' storage and a deleted student's removal from them.
#include <algorithm>

#include "classroom/attendance_classes.h"

// ---- state ----
std::vector<AttendanceClass> gAttendanceClasses;   // in file order
bool gAttendanceClassesLoaded = false;             // the file was read once this run

// ---- public functions ----
void RemoveFromClassRosters(const std::string& id) {
  LoadAttendanceClasses();
  bool rostersChanged = false;
  for (AttendanceClass& cls : gAttendanceClasses) {
    auto end = std::remove(cls.members.begin(), cls.members.end(), id);
    if (end != cls.members.end()) {
      cls.members.erase(end, cls.members.end());
      rostersChanged = true;
    }
  }
  if (rostersChanged) SaveAttendanceClasses();
}
