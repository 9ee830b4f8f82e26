// learning/pending: learning-model services the frame already calls whose bodies come later.
#pragma once

extern bool gLibraryLoaded;   // the lesson library has been loaded

// At most once a second: rebuilds the day's state when the date changed.
void CheckDayRollover();
// Write the active student's learning records.
void SaveCalendar();
void SaveMastery();
void SaveProgress();
void SaveSchedule();
