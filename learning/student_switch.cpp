// learning/student_switch: what the learning model does when the active student changes: reload
// the student's learning records and unload a lesson song the new student may not open.
#include "learning/student_switch.h"

#include "learning/learning_model.h"
#include "learning/practice_set.h"
#include "midi/playback.h"
#include "practice/students.h"

// ---- public functions ----
void OnActiveStudentSwitched(const std::string& songPathBefore) {
  std::string itemId = gPracticeItemId;
  OnStudentChanged();
  UnloadOtherLessonSong(itemId, songPathBefore);
}

void UnloadOtherLessonSong(const std::string& itemId, const std::string& songPath) {
  if (itemId.empty() || songPath.empty() || !HasMidiContent() || gSongPath != songPath) return;
  LibraryItem* item = FindLibraryItem(itemId);
  if (!item || item->file.empty()) return;
  if (FileNameOfPath(songPath) != FileNameOfPath(item->file)) return;
  if (IsItemAvailable(*item)) return;
  UnloadMidi();
}
