// learning/student_switch: the learning model's part of a change of the active student.
#pragma once
#include <string>

// After a switch of the active student, with the song file name loaded before it: reloads the
// learning records (OnStudentChanged) and unloads the lesson song of the item loaded before when
// the new student may not open it; one they may open waits paused at its start, recorded for
// them. A lesson song under way is stopped either way, and the status line says it was not
// recorded.
void OnActiveStudentSwitched(const std::string& songPathBefore);
// Unloads the lesson song that was loaded for itemId when the active student may not open that
// item.
void UnloadOtherLessonSong(const std::string& itemId, const std::string& songPath);
