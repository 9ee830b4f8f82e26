// app/floor_links: which receiver above answers each lower floor's hook.
#include "app/floor_links.h"

#include "app/main_loop.h"
#include "app/song_view.h"
#include "app/staff_song_feed.h"
#include "board/board_layout.h"
#include "board/grid_interaction.h"
#include "board/lane_keys.h"
#include "board/note_fall_mode.h"
#include "classroom/forget_student.h"
#include "classroom/institution_panel.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "learning/attempt_rules.h"
#include "learning/attempts.h"
#include "learning/learning_model.h"
#include "learning/note_opener.h"
#include "learning/placement.h"
#include "learning/practice_set.h"
#include "learning/sight_score.h"
#include "learning/student_switch.h"
#include "learning_ui/performance_note.h"
#include "midi/device_pickers.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "practice/achievement_tracking.h"
#include "practice/practice_run_state.h"
#include "practice/students.h"
#include "practice/teaching_state.h"
#include "theory/filter_tabs.h"
#include "theory/staff_panel.h"
#include "visual/start_screen.h"

// ---- internal helpers ----
// The learning model credits a scale played up through an octave (its count is not needed here).
static void NoteEarnedScale(const char* scaleName, int ringPos) { CreditScaleAchievement(scaleName, ringPos); }

// The layout's view of the board, the practice run, the students, the staff panel and the song.
static void FillLayoutFacts(LayoutFacts* out) {
  out->practiceRunActive = IsPracticeRunActive();
  BoardLayout b;
  ComputeBoardLayout(&b);
  out->boardScale = b.scale;
  out->boardPanel = {b.panelX, b.panelY, b.panelW, b.panelH};
  out->boardGrid = {b.gridX, b.gridY, b.gridW, b.gridH};
  out->rowLabelX = b.contentX;
  out->rowLabelW = b.labelColumnWidth;
  out->rowHeight = b.cellH;
  out->rowGap = b.cellGap;
  out->keyRowHeight = b.keyRowHeight;
  out->practiceStrip = {b.stripX, b.stripY, b.stripW, b.stripH};
  out->studentCount = (int)gStudents.size();
  // The name is read only for an active index inside the list.
  bool active = gActiveStudentIndex >= 0 && gActiveStudentIndex < (int)gStudents.size();
  out->activeNameBytes = active ? (int)gStudents[(size_t)gActiveStudentIndex].name.size() : 0;
  out->staffPanelShown = ComputeStaffPanelRect(&out->staffPanel);
  out->songLoaded = HasMidiContent();
  out->songTimed = !gSongEvents.empty() && gSongEvents.back().timeMs > 0;
  out->sightScoreLoaded = gSightScore.active;
  out->metronomeRunning = gTeachingState.metronomeOn || gTeachingState.gridRunning;
}

static bool IsSongPlaying() { return gPlaying; }


// After note-fall mode switched: leaving it is the user leaving the kept view, then the view the
// switch left on is kept again.
static void KeepSongViewAfterNoteFall(bool left) {
  if (left) {
    gSongViewArmed = false;
    gSongViewCancelled = true;
  }
  ArmSongView();
}

// The device pickers stand above the start screen's language row.
static void StartScreenLanguageRow(float* scale, RectF* row) {
  StartScreenLayout l = ComputeStartScreenLayout();
  *scale = l.scale;
  *row = {l.buttonX, l.buttonY, l.buttonW, l.buttonH};
}

static void RequestPlacementQuiz() { gPlacementQuizRequest = true; }

// Deleting the active student hands a lesson song over to the next one as a switch does: what the
// deleted student played of it is not the next one's.
static void HandLessonOverAfterDeletion() { OnActiveStudentSwitched(gSongPath); }

// ---- public functions ----
void ConnectFloors() {
  gSongChangeHook = ResetLearningRun;
  gStudentChangedHook = HandLessonOverAfterDeletion;
  gStudentSwitchedHook = OnActiveStudentSwitched;
  gStudentDeletedHook = ForgetClassroomStudent;
  gAddStudentHook = OpenInstitutionPanelForStudent;
  gScaleEarnedHook = NoteEarnedScale;
  gPerformanceNoteOpener = OpenPerformanceNote;
  gLayoutFactsHook = FillLayoutFacts;
  gSongPlayingHook = IsSongPlaying;
  gScaleFilterChangedHook = ResetGridClickMemory;
  gArmSongViewHook = ArmSongView;
  gRememberNoteFallViewsHook = RememberViewsForNoteFall;
  gSightScoreHasNotesHook = SightScoreHasNotes;
  gNoteFallSongViewHook = KeepSongViewAfterNoteFall;
  gStartScreenShownHook = IsStartScreenVisible;
  gStartScreenRowHook = StartScreenLanguageRow;
  gPlacementPromptAvailableHook = IsPlacementPromptAvailable;
  gPlacementQuizRequestHook = RequestPlacementQuiz;
  gStaffSongFeedHook = FillStaffSongFeed;
  gStaffOffScaleHook = IsOffScaleNote;
  gStaffFloorHook = NoteFallStripTop;
}
