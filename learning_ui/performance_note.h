// learning_ui/performance_note: the note shown after a lesson song, and the skills radar's flash.
#pragma once
#include <string>

// PENDING: drawn with the performance note, each frame after the learning screen.
void DrawPerformanceNotes();
// PENDING: the skills radar's drawing; each frame it already runs the flash's timing
// (learning/radar_flash), which resumes the song that waits for the flash.
void DrawSkillsRadarFlash();
// PENDING: the performance note; opens an item's note, or brings it to the top. The shell hands it
// to the learning model as its note opener.
void OpenPerformanceNote(const std::string& itemId);

// ---- input ----
// PENDING: the performance note; a press on a note (its close box, its drag bar); true when taken.
bool PerformanceNoteMouseDown(int x, int y);
// PENDING: the performance note; a move while a note is dragged; true when taken.
bool PerformanceNoteMouseMove();
// PENDING: the performance note; button-up ends a note's drag; true when one was on.
bool PerformanceNoteMouseUp();
