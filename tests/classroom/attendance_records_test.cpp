// The attendance register: its file read and written back, the five-step mark cycle, days still to
// come, and the shown calendar month.
#include <gtest/gtest.h>

#include "tests/classroom/class_stores_fixture.h"

using AttendanceRecords = ClassStoresTest;

// Each file is read, then written back: only well-formed records survive, as "STATUS" lines.
TEST_F(AttendanceRecords, FileReadAndWrittenBack) {
  const struct { const char* what; std::string file, rewritten; } cases[] = {
      {"an older PRESENT record is written back as STATUS", "PRESENT\t2024-03-05\n", "STATUS\t2024-03-05\tP\n"},
      {"the four marks, in date order", "STATUS\t2024-03-07\tE\nSTATUS\t2024-03-05\tL\r\nSTATUS\t2024-03-06\tAbc\n",
       "STATUS\t2024-03-05\tL\nSTATUS\t2024-03-06\tA\nSTATUS\t2024-03-07\tE\n"},
      {"a date of the wrong length, a mark X, no mark, no second tab, no tab, other keywords",
       "STATUS\t2024-3-5\tP\nSTATUS\t2024-03-05\tX\nSTATUS\t2024-03-06\t\nSTATUS\t2024-03-07 P\nSTATUS\nNOTE\tx\ty\n", ""},
      {"a later record for the same day replaces the earlier", "STATUS\t2024-03-05\tA\nPRESENT\t2024-03-05\n",
       "STATUS\t2024-03-05\tP\n"},
      {"an older PRESENT record whose date holds a TAB", "PRESENT\t\t024-03-05\nSTATUS\t2024-03-06\tP\n",
       "STATUS\t2024-03-06\tP\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetAttendanceRecords();
    WriteData("attendance_anna.dat", c.file);
    LoadAttendance("anna");
    SaveAttendance("anna");
    EXPECT_EQ(ReadData("attendance_anna.dat"), c.rewritten);
    ResetAttendanceRecords();   // what was written reads back the same
    LoadAttendance("anna");
    SaveAttendance("anna");
    EXPECT_EQ(ReadData("attendance_anna.dat"), c.rewritten);
  }
}

TEST_F(AttendanceRecords, TogglingCyclesBackToNoMarkAndNoLine) {
  const char* const files[] = {"STATUS\t2025-03-14\tP\n", "STATUS\t2025-03-14\tL\n", "STATUS\t2025-03-14\tA\n",
                               "STATUS\t2025-03-14\tE\n", ""};
  for (const char* expected : files) {
    ToggleAttendance(" anna ", "2025-03-14");   // the id's file key is trimmed
    EXPECT_EQ(ReadData("attendance_anna.dat"), expected);
  }
  EXPECT_TRUE(gAttendanceByStudent["anna"].empty());
  ToggleAttendance("../x", "2025-03-01");   // an id that could leave the Data folder stays in it
  EXPECT_EQ(ReadData("attendance_" + StudentFileId("../x") + ".dat"), "STATUS\t2025-03-01\tP\n");

  // A day still to come and a text that is no date change nothing and write nothing.
  for (const char* date : {"2025-03-15", "2025-3-1", ""}) ToggleAttendance("ben", date);
  EXPECT_FALSE(DataExists("attendance_ben.dat"));
  EXPECT_EQ(gAttendanceByStudent.count("ben"), 0u);
}

TEST_F(AttendanceRecords, CalendarMonthStartsAtTodayAndShiftsAcrossYears) {
  EnsureCalendarMonth();
  EXPECT_EQ(gCalendarYear * 100 + gCalendarMonth, 202503);
  EXPECT_EQ(gCalendarSelectedDate, "2025-03-14");
  EXPECT_EQ(CalendarDayDate(9), "2025-03-09");
  const struct { int delta, yearMonth; } steps[] = {{-13, 202402}, {-2, 202312}, {1, 202401}, {23, 202512}, {1, 202601}, {0, 202601}};
  for (const auto& s : steps) {
    ShiftCalendarMonth(s.delta);
    EXPECT_EQ(gCalendarYear * 100 + gCalendarMonth, s.yearMonth) << s.delta;
  }
}
