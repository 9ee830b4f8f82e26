// classroom/attendance_sync: the day's attendance sent to the classroom service.
#pragma once

// Starts the background send of today's attendance when the program is set up for it and today
// was not sent yet; returns at once.
void StartAttendanceSync();
