// app/floor_links: which receiver above answers each lower floor's hook.
#include "app/floor_links.h"

#include "classroom/forget_student.h"
#include "learning/attempt_rules.h"
#include "learning/attempts.h"
#include "learning/learning_model.h"
#include "learning/note_opener.h"
#include "learning/student_switch.h"
#include "learning_ui/performance_note.h"
#include "midi/playback.h"
#include "practice/achievement_tracking.h"
#include "practice/students.h"

// ---- internal helpers ----
// The learning model credits a scale played up through an octave (its count is not needed here).
static void NoteEarnedScale(const char* scaleName, int ringPos) { CreditScaleAchievement(scaleName, ringPos); }

// ---- public functions ----
void ConnectFloors() {
  gSongChangeHook = ResetLearningRun;
  gStudentChangedHook = OnStudentChanged;
  gStudentSwitchedHook = OnActiveStudentSwitched;
  gStudentDeletedHook = ForgetClassroomStudent;
  gScaleEarnedHook = NoteEarnedScale;
  gPerformanceNoteOpener = OpenPerformanceNote;
}
