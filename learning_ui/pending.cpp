// learning_ui/pending: bodies of the learning screens' functions whose real work comes later
// (declared, each with its marker, in learning_ui/learning_screen.h and performance_note.h).
#include "learning_ui/learning_screen.h"
#include "learning_ui/performance_note.h"

#include "learning/radar_flash.h"
#include "platform/clock.h"

void DrawLibraryButton() {}
void DrawLearningScreen() {}
void DrawLearningScrollHint() {}
void DrawPerformanceNotes() {}
// Until the radar is drawn only the flash's timing runs, so the song waiting for it resumes on time.
void DrawSkillsRadarFlash() {
  RadarFlashFrame frame;
  StepRadarFlash(ClockMs32(), &frame);
}
void OpenPerformanceNote(const std::string&) {}
bool HandleLearningClick(int, int) { return false; }
bool HandleSearchBoxChar(uint32_t) { return false; }
void HandleSearchBoxKey(int, bool, bool) {}
bool IsSearchBoxFocused() { return false; }
bool DragSearchSelection(int) { return false; }
bool ScrollLearningList(int) { return false; }
bool TakeSearchDragEnd() { return false; }
bool EndLibraryScrollbarDrag() { return false; }
bool DragLibraryScrollbar() { return false; }
bool PerformanceNoteMouseDown(int, int) { return false; }
bool PerformanceNoteMouseMove() { return false; }
bool PerformanceNoteMouseUp() { return false; }
