// learning_ui/overview_panel: the detail column beside the learning screen's content: the day's
// date and progress, whether the next lesson is ready, the practice load with its four choices,
// the practice days left in the syllabus with a finishing date, and the cards selected for
// practice. The practice-load rows are drawn and clicked here; a choice is saved and re-plans.
#pragma once
#include <string>

#include "gfx/rect.h"
#include "learning_ui/learning_layout.h"

extern const char* const kPracticeLoadNames[4];   // "Light", "Standard", "Long", "Marathon"

// Practice-load row 0..3 in the detail column.
RectF PracticeLoadRowRect(const LearningLayout& l, int row);
// Practice days to cover the open items at that many blocks a day (today is the first); 0 when
// nothing is open.
int PracticeDaysLeft(int openItems, int blocksPerDay);
// The last of those days counted from today, as the panel names it ("" when none are left).
std::string PracticeFinishDate(int daysLeft);
// The panel's line for that many days left, translated; one day is said in the singular.
std::string PracticeDaysLeftText(int daysLeft);
// The rows answer only in the "today" view with a detail column and no previewed day. A new
// choice is saved and re-plans today and the unfinished future days; the chosen row only takes
// the click. A failed save keeps its message on the status line while the choice stands.
bool HandlePracticeLoadClick(const LearningLayout& l, int x, int y);
