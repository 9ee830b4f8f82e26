// classroom/attendance_classes: the named classes of this device and their members, kept whole in
// "attendance_classes.dat" ("CLASS" and "MEMBER" lines). The file is read once per run; from then
// on the list in memory is the truth and every change writes it back.
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

// Data folder + "attendance_classes.dat".
std::string AttendanceClassesPath();
// Reads the file into gAttendanceClasses (once per run).
void LoadAttendanceClasses();
// Writes gAttendanceClasses back whole.
void SaveAttendanceClasses();
// Drops a student id from every class; the rosters are saved when one changed.
void RemoveFromClassRosters(const std::string& id);
// The id is a member of the class; false for an index out of range.
bool IsClassMember(int classIndex, const std::string& studentId);
// Removes the id's first occurrence from the class, or appends it; then saves.
void ToggleClassMember(int classIndex, const std::string& studentId);
// Appends a class named "Class N", filters the panel by it and saves.
void AddAttendanceClass();
// Ends a pending rename; a non-blank trimmed name from the rename field replaces the class's name.
void CommitClassRename();
// Indices into gStudents of the students the panel lists under its class filter, ascending.
std::vector<int> StudentsOfSelectedClass();
// Empties the list and marks it unread.
void ResetAttendanceClasses();
