// learning_ui/pending: learning-screen services the frame already calls whose bodies come later.
#pragma once

extern bool gLibraryOpen;   // the learning screen's library is open

// Per-frame drawing, in this order.
void DrawLibraryButton();
void DrawLearningScreen();
void DrawLearningScrollHint();
void DrawPerformanceNotes();
void DrawSkillsRadarFlash();
