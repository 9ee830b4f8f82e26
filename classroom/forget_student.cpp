// classroom/forget_student: dropping a deleted student from the classroom stores.
#include "classroom/forget_student.h"

#include <algorithm>

#include "classroom/attendance_classes.h"
#include "classroom/attendance_records.h"
#include "classroom/class_report.h"
#include "classroom/teacher_notes.h"
#include "gfx/text_field.h"
#include "learning/learning_files.h"

// Marks the key as read, so a file the deletion could not remove is not read back this run.
static void MarkRead(std::vector<std::string>& loadedKeys, const std::string& key) {
  if (std::find(loadedKeys.begin(), loadedKeys.end(), key) == loadedKeys.end()) loadedKeys.push_back(key);
}

void ForgetClassroomStudent(const std::string& studentId) {
  RemoveFromClassRosters(studentId);
  std::string key = StudentFileKeyOf(studentId);
  MarkRead(gAttendanceLoadedKeys, key);
  MarkRead(gNotesLoadedKeys, key);
  gAttendanceByStudent.erase(key);
  gNotesByStudent.erase(key);
  gReportFiguresCache.erase(key);
  if (gNoteStudentKey == key) {
    gNoteStudentKey.clear();
    gNoteDate.clear();
    gNoteEditorActive = false;
    gEditField.text.clear();
    gEditField.cursor = gEditField.anchor = 0;
  }
}
