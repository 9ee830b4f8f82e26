// learning_ui/pending: learning-screen services the frame already calls whose bodies come later.
#include "learning_ui/pending.h"

bool gLibraryOpen = false;

// Filled in later with the learning screen.
void DrawLibraryButton() {}
// Filled in later with the learning screen.
void DrawLearningScreen() {}
// Filled in later with the learning screen.
void DrawLearningScrollHint() {}
// Filled in later with the performance note.
void DrawPerformanceNotes() {}
// Filled in later with the performance note.
void DrawSkillsRadarFlash() {}
