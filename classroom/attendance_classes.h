// classroom/attendance_classes: the class rosters of "attendance_classes.dat".
#pragma once
#include <string>
#include <vector>

// One class: its name and the ids of its member students in the order they were added.
struct AttendanceClass {
  std::string name;
  std::vector<std::string> members;
};

extern std::vector<AttendanceClass> gAttendanceClasses;   // in file order
extern bool gAttendanceClassesLoaded;                     // the file was read once this run

// PENDING: the class rosters' file; reads "attendance_classes.dat" into gAttendanceClasses (once
// per run).
void LoadAttendanceClasses();
// PENDING: the class rosters' file; writes gAttendanceClasses back whole.
void SaveAttendanceClasses();
// Drops a student id from every class; the rosters are saved when one changed.
void RemoveFromClassRosters(const std::string& id);
