// Teacher notes: the escaped "NOTE" line and the older block form, the open note following the
// panel's student and day, an emptied note leaving the file, and the register's noted days.
#include <gtest/gtest.h>

#include <tuple>

#include "classroom/teacher_notes.h"
#include "tests/classroom/class_stores_fixture.h"

using TeacherNotes = ClassStoresTest;
using Notes = std::map<std::string, std::string>;

TEST_F(TeacherNotes, FileReadAndWrittenBack) {
  const struct { const char* what; std::string file; Notes notes; std::string rewritten; } cases[] = {
      {"line feeds, a tab and backslashes in one line", "NOTE\t2025-01-02\tscales\\nC \\\\ G\\tok\\n\\x\\\n",
       {{"2025-01-02", "scales\nC \\ G\tok\nx\\"}}, "NOTE\t2025-01-02\tscales\\nC \\\\ G\\tok\\nx\\\\\n"},
      {"the block form, written back as one line", "DATE\t2025-01-03\nfirst\r\n\nthird\nENDNOTE\n",
       {{"2025-01-03", "first\n\nthird"}}, "NOTE\t2025-01-03\tfirst\\n\\nthird\n"},
      {"an unended block, a block with no date, a NOTE line without its second tab",
       "DATE\t\nx\nENDNOTE\nNOTE\t2025-01-04\nDATE\t2025-01-05\nlost\n", {}, ""},
      {"a NOTE line ends an open block; a later note replaces an earlier one",
       "DATE\t2025-01-06\nlost\nNOTE\t2025-01-06\ta\nNOTE\t2025-01-06\tb\n", {{"2025-01-06", "b"}},
       "NOTE\t2025-01-06\tb\n"},
      {"a block whose date holds a TAB could not be written back: it stays in the copy only",
       "DATE\t2025-01-07\tx\nkept\nENDNOTE\nNOTE\t2025-01-08\tb\n", {{"2025-01-08", "b"}}, "NOTE\t2025-01-08\tb\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetTeacherNotes();
    WriteData("notes_anna.dat", c.file);
    gCalendarSelectedDate = "2025-02-01";
    LoadNotes("anna");
    SaveNotes();   // the selected day's empty note is kept in memory, not written
    Notes expected = c.notes;
    expected["2025-02-01"] = "";
    EXPECT_EQ(gNotesByStudent["anna"], expected);
    EXPECT_EQ(ReadData("notes_anna.dat"), c.rewritten);
    ResetTeacherNotes();   // what was written reads back as the same notes
    LoadNotes("anna");
    SaveNotes();
    EXPECT_EQ(gNotesByStudent["anna"], expected);
    EXPECT_EQ(ReadData("notes_anna.dat"), c.rewritten);
  }
  EXPECT_EQ(EscapeNoteText("a\r\nb"), "a\\nb");   // a carriage return is dropped
}

TEST_F(TeacherNotes, OpenNoteFollowsThePanelAndEmptiedNotesLeaveTheFile) {
  WriteData("notes_ben.dat", "NOTE\t2025-03-14\tgood week\n");
  gStudents = {Student{"Anna", "anna"}, Student{"Ben", "ben"}};
  gActiveStudentIndex = 1;
  gCalendarSelectedDate = "2025-03-14";
  SyncNoteEditor();   // the notes view is closed: nothing opens
  EXPECT_FALSE(gNoteEditorActive);

  gNotesViewOpen = true;
  SyncNoteEditor();
  EXPECT_EQ(std::make_tuple(gEditField.text, gEditField.cursor, gNoteEditorActive), std::make_tuple("good week", 9, true));
  gEditField.text = "";    // emptied, then another day: the note is saved and its line goes
  gCalendarSelectedDate = "2025-03-13";
  SyncNoteEditor();
  EXPECT_EQ(gNoteDate, "2025-03-13");
  EXPECT_EQ(ReadData("notes_ben.dat"), "");

  gEditField.text = "late";
  gActiveStudentIndex = 0;   // another student: Ben's note is saved, Anna's day opens
  SyncNoteEditor();
  EXPECT_EQ(gNoteStudentKey, "anna");
  EXPECT_EQ(ReadData("notes_ben.dat"), "NOTE\t2025-03-13\tlate\n");

  // Leaving the panel saves the note and closes the view.
  gEditField.text = "x";
  CommitNoteEdit();
  EXPECT_EQ(ReadData("notes_anna.dat"), "NOTE\t2025-03-13\tx\n");
  EXPECT_FALSE(gNotesViewOpen || gNoteEditorActive);
}

// The register marks the days that hold a note as soon as it shows a student, before the notes
// view was ever opened: the file is read for the question, and no note is opened by it.
TEST_F(TeacherNotes, TheRegisterKnowsTheNotedDaysBeforeTheNotesViewOpens) {
  ResetTeacherNotes();
  WriteData("notes_anna.dat", "NOTE\t2025-01-06\tscales\nNOTE\t2025-01-07\t\n");
  EXPECT_TRUE(HasTeacherNote("anna", "2025-01-06"));
  EXPECT_FALSE(HasTeacherNote("anna", "2025-01-07")) << "an empty note";
  EXPECT_FALSE(HasTeacherNote("anna", "2025-01-08"));
  EXPECT_FALSE(HasTeacherNote("ben", "2025-01-06")) << "no file";
  EXPECT_FALSE(gNoteEditorActive);
  EXPECT_EQ(ReadData("notes_anna.dat"), "NOTE\t2025-01-06\tscales\nNOTE\t2025-01-07\t\n") << "nothing written";
  // Opening the note afterwards does not read the file again over an edit.
  gCalendarSelectedDate = "2025-01-06";
  LoadNotes("anna");
  EXPECT_EQ(gEditField.text, "scales");
}
