// learning/note_opener: how the learning model asks the learning screens, which sit above it, to
// open an item's performance note. The screens install the opener; without one nothing opens.
#pragma once
#include <string>

using PerformanceNoteOpener = void (*)(const std::string& itemId);
extern PerformanceNoteOpener gPerformanceNoteOpener;

// Opens the item's performance note through the installed opener.
void RequestPerformanceNote(const std::string& itemId);
