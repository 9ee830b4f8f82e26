// app/lesson_song_end: the end of a lesson song, which spans the song transport (midi), the
// learning model (learning) and the classroom service (classroom).
//
// The attempt is recorded at the song's last event, its verdict and performance note shown then;
// what follows waits until the last notes have rung out, since the next song's load closes the
// output and a jump back to the start releases every note, either of which would cut them.
#include "app/lesson_song_end.h"

#include "app/base/status_text.h"
#include "classroom/attendance_sync.h"
#include "learning/attempts.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"

// ---- state ----
namespace {
int gLessonSongRecorded = -1;  // what recording the attempt gave at the last event, -1 nothing
}  // namespace

// ---- public functions ----
void FinishLessonSong(uint32_t now, int end) {
  if (end & kLessonSongEnded) {
    gLessonSongRecorded = -1;
    bool judged = IsSongRunJudged();
    PracticeRunResult result = BuildPracticeRunResult();
    if (judged && result.expected > 0) {
      gLessonSongRecorded = RecordAttempt(result);
      if (gLessonSongRecorded == 1) StartAttendanceSync();
    }
  }
  if (!(end & kLessonSongRungOut)) return;
  const int recorded = gLessonSongRecorded;
  gLessonSongRecorded = -1;
  if (AdvancePracticeSet()) return;
  // The lesson song waits paused at its start, ready to be played again.
  SeekPlayback(0);
  PausePlayback(now);
  if (recorded < 0) gStatusText = "MIDI playback finished";
}

void ResetLessonSongEnd() { gLessonSongRecorded = -1; }
