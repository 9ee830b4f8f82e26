// Damaged registers are never lost, and a deleted student leaves nothing behind for the next
// student who is given the same id.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "classroom/forget_student.h"
#include "classroom/teacher_notes.h"
#include "tests/classroom/class_stores_fixture.h"

using ClassroomFiles = ClassStoresTest;

TEST_F(ClassroomFiles, AnUnreadableFileIsSetAsideNotOverwritten) {
  const struct { const char* file; std::function<void()> change; const char* written; } cases[] = {
      {"attendance_anna.dat", [] { ToggleAttendance("anna", "2025-03-14"); }, "STATUS\t2025-03-14\tP\n"},
      {"attendance_classes.dat", [] { AddAttendanceClass(); }, "CLASS\tClass 1\n"},
      {"notes_anna.dat", [] { gCalendarSelectedDate = "2025-03-14"; LoadNotes("anna"); gEditField.text = "hi"; SaveNotes(); },
       "NOTE\t2025-03-14\thi\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::filesystem::create_directories(Data(c.file));   // there, but not readable as a file
    WriteData(std::string(c.file) + "/inside", "keep");
    c.change();
    EXPECT_EQ(ReadData(std::string(c.file) + ".bad/inside"), "keep");
    EXPECT_EQ(ReadData(c.file), c.written);
  }
}

TEST_F(ClassroomFiles, ADeletedStudentsIdStartsEmptyForTheNextStudent) {
  gStudentDeletedHook = ForgetClassroomStudent;   // as the shell connects it
  gStudents = {Student{"Anna", "anna"}, Student{"Ben", "ben"}};
  gActiveStudentIndex = 1, gStudentsLoaded = true;
  ToggleAttendance("anna", "2025-03-13");
  AddAttendanceClass();
  ToggleClassMember(0, "anna");
  ToggleClassMember(0, "ben");
  gCalendarSelectedDate = "2025-03-13";
  LoadNotes("anna");
  gEditField.text = "practise thirds";
  SaveNotes();
  LoadNotes("anna");   // left open with a change: deleting closes it without saving
  gEditField.text = "unsaved";
  WriteData("learning_calendar_anna.dat", "PLAN\t\nDATE\t2025-03-13\nCOMPLETE\ti\nEND\n");
  LoadLearningCalendarForReport("anna");

  DeleteStudent(0);
  std::string id = MakeUniqueStudentId("Anna");
  ASSERT_EQ(id, "anna");
  gStudents.push_back(Student{"Anna", id});

  EXPECT_FALSE(gNoteEditorActive);
  SaveNotes();          // nothing open: nothing written
  SaveAttendance(id);   // the new student's register is empty
  EXPECT_EQ(ReadData("attendance_anna.dat"), "");
  EXPECT_FALSE(DataExists("notes_anna.dat"));
  EXPECT_EQ(ReadData("attendance_classes.dat"), "CLASS\tClass 1\nMEMBER\tben\n");
  EXPECT_EQ(LoadLearningCalendarForReport(id).lastPracticedDays, -1);
  LoadNotes(id);
  EXPECT_EQ(gEditField.text, "");
}
