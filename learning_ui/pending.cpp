// learning_ui/pending: learning-screen services the frame already calls whose bodies come later.
#include "learning_ui/pending.h"

#include "learning/note_opener.h"

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
// Filled in later with the performance note.
void OpenPerformanceNote(const std::string&) {}

// The learning model asks for notes through this opener; installed before main runs.
static const bool kNoteOpenerInstalled = (gPerformanceNoteOpener = OpenPerformanceNote, true);
