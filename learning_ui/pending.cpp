// learning_ui/pending: bodies of the learning screens' functions whose real work comes later
// (declared, each with its marker, in learning_ui/learning_views.h and performance_note.h).
#include "learning_ui/learning_views.h"
#include "learning_ui/performance_note.h"

#include "learning/radar_flash.h"
#include "platform/clock.h"

void DrawPerformanceNotes() {}
// Until the radar is drawn only the flash's timing runs, so the song waiting for it resumes on time.
void DrawSkillsRadarFlash() {
  RadarFlashFrame frame;
  StepRadarFlash(ClockMs32(), &frame);
}
void OpenPerformanceNote(const std::string&) {}
bool PerformanceNoteMouseDown(int, int) { return false; }
bool PerformanceNoteMouseMove() { return false; }
bool PerformanceNoteMouseUp() { return false; }
