// learning_ui/pending: learning-screen services the frame already calls whose bodies come later.
#pragma once
#include <string>


// Per-frame drawing, in this order.
void DrawLibraryButton();
void DrawLearningScreen();
void DrawLearningScrollHint();
void DrawPerformanceNotes();
void DrawSkillsRadarFlash();
// Filled in later with the performance note: opens an item's note, or brings it to the top.
void OpenPerformanceNote(const std::string& itemId);
