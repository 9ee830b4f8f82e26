// practice/students: the students of the installation, the active one, and "students.dat".
//
// Every per-student file of the program is named by the student's id, so the id is the student's
// identity on disk; the display name and the colour may change freely. Students are created by the
// classroom panels with MakeUniqueStudentName, MakeUniqueStudentId, NormalizeStudentColour and
// SaveStudents; this module loads, saves, switches and deletes them.
#pragma once
#include <string>
#include <vector>

// One student.
struct Student {
  std::string name;     // UTF-8 display name, never empty in a loaded list
  std::string id;       // unique key; names the student's files
  float r = 0.3f;       // colour, each component 0..1
  float g = 0.48f;
  float b = 0.76f;
};

extern std::vector<Student> gStudents;   // in file order, never sorted
extern int gActiveStudentIndex;          // index of the active student, -1 when none
extern bool gStudentsLoaded;             // LoadStudents has run

// Slug of a name: ASCII letters (lower-cased) and digits kept, every other run of bytes one "_",
// no leading or trailing "_"; "student" when nothing is left.
std::string IdSlugFromName(const std::string& name);
// Some student has exactly this id.
bool IsStudentIdTaken(const std::string& id);
// The slug of text, made unique with "_2", "_3" ...; an id that some file in the Data folder
// already carries is passed over too, so a new student never inherits files.
std::string MakeUniqueStudentId(const std::string& text);
// The trimmed wanted name ("Student" when empty), made unique ignoring ASCII case with " 2", " 3" ...
std::string MakeUniqueStudentName(const std::string& wanted);
// A name as names are told apart: trimmed, ASCII letters in lower case.
std::string StudentNameKey(const std::string& name);

// An id that must not become part of a path: it holds "/", "\", "..", ":" or a control byte.
bool IsUnsafeStudentId(const std::string& id);
// The bounded form of an id for file names: up to 40 of its letters, digits, "-" and "_" (others
// as "_"), then ".." and 16 hex digits of a hash of the whole id. It holds "..", so it never
// equals an id that is used as it is.
std::string HashedStudentFileId(const std::string& id);
// a-z, A-Z, 0-9, "-" or "_": a byte any file name may hold.
bool IsPlainFileIdByte(char c);
// The form of an id used in file names: the id itself, or for an unsafe id or one longer than
// a file name allows, HashedStudentFileId.
std::string StudentFileId(const std::string& id);
// The names of every file in the Data folder that belongs to this (trimmed, non-empty) id.
std::vector<std::string> StudentFileNames(const std::string& id);

// ---- what the student records tell the floors above; the shell connects these at start ----
// After a change of the active student by a deletion (the learning model reloads its records and
// hands a lesson song over as on a switch).
extern void (*gStudentChangedHook)();
// After a switch of the active student, with the song file name loaded before it (the learning
// model reloads its records and unloads a lesson song the new student may not open).
extern void (*gStudentSwitchedHook)(const std::string& songPathBefore);
// A deleted student's trimmed id (the classroom drops it from its class rosters).
extern void (*gStudentDeletedHook)(const std::string& id);
// The add-student button's typed name (the classroom opens its panel with the name in its entry).
extern void (*gAddStudentHook)(const std::string& name);

// No students, none active, the file not read yet, nothing waiting to be saved.
void ResetStudents();
// Writes "students.dat" (newest version); true when it was written. A failed write leaves
// gStudentsDirty set, so the list is written again when the students panel closes or the program
// ends.
bool SaveStudents();
// Writes "students.dat" when the list in memory is ahead of it (gStudentsDirty).
void SaveDirtyStudents();
// Reads "students.dat" at start-up, saves it back and loads the active student's teaching state.
void LoadStudents();
// Makes the student at index (limited to the list) active and reloads what belongs to the student.
void SwitchActiveStudent(int index);
// Removes a student and every file of that student.
void DeleteStudent(int index);
// The active index when valid; otherwise 0 for a non-empty list and -1 for an empty one.
int GetActiveStudentIndex();
// A student is chosen. Without one GetActiveStudentIndex still answers 0 for a non-empty list,
// while the learning files in use are the no-student ones.
bool HasActiveStudent();
// The main view's add-student button and Enter in its name entry: tells where students are added
// and hands the typed name on (the name entry is emptied and loses the keyboard).
void AddStudentAction();
// The part after the last "/" or "\", ASCII letters lower-cased.
std::string FileNameOfPath(const std::string& path);
