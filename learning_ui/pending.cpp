// learning_ui/pending: bodies of the learning screens' functions whose real work comes later
// (declared, each with its marker, in learning_ui/learning_screen.h and performance_note.h).
#include "learning_ui/learning_screen.h"
#include "learning_ui/performance_note.h"

void DrawLibraryButton() {}
void DrawLearningScreen() {}
void DrawLearningScrollHint() {}
void DrawPerformanceNotes() {}
void DrawSkillsRadarFlash() {}
void OpenPerformanceNote(const std::string&) {}
