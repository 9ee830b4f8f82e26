// classroom/attendance_classes: the class rosters and their file.
#include "classroom/attendance_classes.h"

#include <algorithm>

#include "app/base/strings.h"
#include "classroom/classroom_files.h"
#include "classroom/classroom_panel_state.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "practice/students.h"

// ---- constants ----
static const size_t kMaxNewClassNameBytes = 95;

// ---- state ----
std::vector<AttendanceClass> gAttendanceClasses;   // the classes in file order
bool gAttendanceClassesLoaded = false;             // the file has been read this run

// ---- internal helpers ----
static bool IsValidClassIndex(int index) { return index >= 0 && index < (int)gAttendanceClasses.size(); }

// At most maxBytes bytes, never ending inside a UTF-8 character.
static std::string CutUtf8(const std::string& s, size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  size_t end = maxBytes;
  while (end > 0 && ((unsigned char)s[end] & 0xC0) == 0x80) --end;
  return s.substr(0, end);
}

static std::string ClassesText() {
  std::string text;
  for (const AttendanceClass& cls : gAttendanceClasses) {
    text += "CLASS\t" + cls.name + "\n";
    for (const std::string& id : cls.members) text += "MEMBER\t" + id + "\n";
  }
  return text;
}

// ---- public functions ----
std::string AttendanceClassesPath() { return ClassroomFilePath("attendance_classes.dat"); }

void LoadAttendanceClasses() {
  if (gAttendanceClassesLoaded) return;
  gAttendanceClassesLoaded = true;
  std::vector<std::string> lines;
  std::string raw;
  if (!ReadClassroomFile(AttendanceClassesPath(), &lines, &raw)) return;
  AttendanceClass* current = nullptr;
  for (const std::string& line : lines) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string keyword = line.substr(0, tab), value = line.substr(tab + 1);
    if (keyword == "CLASS") {
      gAttendanceClasses.push_back({value, {}});
      current = &gAttendanceClasses.back();
    } else if (keyword == "MEMBER" && current) {
      current->members.push_back(value);
    }
  }
  KeepClassroomCopyIfRewritten(AttendanceClassesPath(), raw, ClassesText());
}

void SaveAttendanceClasses() { WriteClassroomFile(AttendanceClassesPath(), ClassesText(), FileAccess::kOwnerOnly); }

bool IsClassMember(int classIndex, const std::string& studentId) {
  if (!IsValidClassIndex(classIndex)) return false;
  const std::vector<std::string>& m = gAttendanceClasses[classIndex].members;
  return std::find(m.begin(), m.end(), studentId) != m.end();
}

void ToggleClassMember(int classIndex, const std::string& studentId) {
  if (!IsValidClassIndex(classIndex)) return;
  std::vector<std::string>& m = gAttendanceClasses[classIndex].members;
  auto it = std::find(m.begin(), m.end(), studentId);
  if (it != m.end()) m.erase(it);
  else m.push_back(studentId);
  SaveAttendanceClasses();
}

void AddAttendanceClass() {
  LoadAttendanceClasses();
  std::string name = CutUtf8(TrF("Class %d", (int)gAttendanceClasses.size() + 1), kMaxNewClassNameBytes);
  gAttendanceClasses.push_back({name, {}});
  gClassFilterIndex = (int)gAttendanceClasses.size() - 1;
  gClassDeleteArmedIndex = -1;
  SaveAttendanceClasses();
}

void CommitClassRename() {
  if (IsValidClassIndex(gRenameClassIndex)) {
    std::string name = TrimWhitespace(gClassRenameField.text);
    if (!name.empty()) {
      gAttendanceClasses[gRenameClassIndex].name = name;
      SaveAttendanceClasses();
    }
  }
  gRenameClassIndex = -1;
}

std::vector<int> StudentsOfSelectedClass() {
  std::vector<int> listed;
  if (gClassFilterIndex >= (int)gAttendanceClasses.size()) return listed;
  for (int i = 0; i < (int)gStudents.size(); ++i)
    if (gClassFilterIndex < 0 || IsClassMember(gClassFilterIndex, gStudents[i].id)) listed.push_back(i);
  return listed;
}

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

void ResetAttendanceClasses() {
  gAttendanceClasses.clear();
  gAttendanceClassesLoaded = false;
}
