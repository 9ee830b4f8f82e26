// learning/student_switch: what the learning model does when the active student changes: reload
// the student's learning records, unload a lesson song the new student may not open and hand one
// they may open over to them from its start.
#include "learning/student_switch.h"

#include "app/base/status_text.h"
#include "learning/learning_model.h"
#include "learning/practice_set.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "practice/students.h"

// ---- internal helpers ----
// A lesson song the new student may open stays open for them, waiting paused at its start: what
// was played of it belongs to the student before, so no part of it may count as the new one's.
static void KeepLessonSongForActiveStudent(const std::string& itemId) {
  if (itemId.empty() || !gLearningItemLoaded) return;
  const LibraryItem* item = FindLibraryItem(itemId);
  if (!item) return;
  RecordItemForActiveStudent(*item);
  if (!gPlaying) return;
  SeekPlayback(0);
  PausePlayback(ClockMs32());
}

// ---- public functions ----
void OnActiveStudentSwitched(const std::string& songPathBefore) {
  std::string itemId = gPracticeItemId;
  // An attempt under way is the student's before; the records it would go to are put away now.
  bool attemptUnderWay = !itemId.empty() && gLearningItemLoaded && GetPlaybackPositionMs(ClockMs32()) > 0;
  OnStudentChanged();
  UnloadOtherLessonSong(itemId, songPathBefore);
  KeepLessonSongForActiveStudent(itemId);
  if (attemptUnderWay) gStatusText = "Student changed - the lesson song was stopped and not recorded";
}

void UnloadOtherLessonSong(const std::string& itemId, const std::string& songPath) {
  if (itemId.empty() || songPath.empty() || !HasMidiContent() || gSongPath != songPath) return;
  LibraryItem* item = FindLibraryItem(itemId);
  if (!item || item->file.empty()) return;
  if (FileNameOfPath(songPath) != FileNameOfPath(item->file)) return;
  if (IsItemAvailable(*item)) return;
  UnloadMidi();
}
