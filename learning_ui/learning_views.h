// learning_ui/learning_views: the views the learning screen shows besides its card grid (the daily
// lesson with its calendar and overview, the practice routes, the mastery map, the endless-runs
// picker) as the screen's frame, scrolling and click walk call them. Each view is a draw function
// and a click function that takes the layout and the click and says whether it took it.
#pragma once
#include <string>
#include <vector>

#include "gfx/rect.h"
#include "learning_ui/learning_layout.h"

// The two sub-tab pills of the "skills" view: index 0 OVERVIEW, 1 MAP; left of CLEAR while it shows.
RectF GetSkillsTabRect(const LearningLayout& l, int index);

// The daily lesson panel of the "today" view (learning_ui/lesson_panel).
void DrawLessonPanel(const LearningLayout& l);
bool HandleLessonPanelClick(const LearningLayout& l, int x, int y);
std::vector<std::string> LessonPanelRowSections();   // each block row's section tab label, in order
// The month calendar of the sidebar (learning_ui/learning_calendar).
void DrawLearningCalendar(const LearningLayout& l);
bool LearningCalendarCellRect(const LearningLayout& l, int cell, RectF* rect, std::string* isoDate);
void ShiftLearningCalendarMonth(int months);
// The overview panel in the detail column (learning_ui/overview_panel).
void DrawOverviewPanel(const LearningLayout& l, int listed, int doneToday);
// The practice routes of the OVERVIEW tab (learning_ui/practice_routes.h).
void DrawRoutesPanel(const LearningLayout& l);
bool HandleRoutesClick(const LearningLayout& l, int x, int y);
// The mastery map of the MAP tab (learning_ui/mastery_map); a click on empty map space drops the
// selection and is left to the screen.
void DrawMasteryMap(const LearningLayout& l);
bool HandleMasteryMapClick(const LearningLayout& l, int x, int y);
void ClearMasteryMapSelection();
// The endless-runs picker band of technique views (learning_ui/endless_runs.h); the list is drawn
// after everything else of the screen.
void DrawEndlessRunsBar(const LearningLayout& l);
void DrawEndlessRunsDropDown(const LearningLayout& l);
bool HandleEndlessRunsClick(const LearningLayout& l, int x, int y);
