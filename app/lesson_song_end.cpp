// app/lesson_song_end: the end of a lesson song, which spans the song transport (midi), the
// learning model (learning) and the classroom service (classroom).
#include "app/lesson_song_end.h"

#include "app/base/status_text.h"
#include "classroom/attendance_sync.h"
#include "learning/attempts.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"

// ---- public functions ----
void FinishLessonSong(uint32_t now) {
  bool judged = IsSongRunJudged();
  PracticeRunResult result = BuildPracticeRunResult();
  int recorded = -1;
  if (judged && result.expected > 0) {
    recorded = RecordAttempt(result);
    if (recorded == 1) StartAttendanceSync();
  }
  if (AdvancePracticeSet()) return;
  // The lesson song waits paused at its start, ready to be played again.
  SeekPlayback(0);
  PausePlayback(now);
  if (recorded < 0) gStatusText = "MIDI playback finished";
}
