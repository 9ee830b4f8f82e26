// learning/schedule: the learning calendar kept in step with the library, the lesson plan and the
// student's progress: the day the daily lesson shows, previews of days the calendar does not hold,
// NEXT LESSON, re-planning, the rebuild after every change, and the day rollover after midnight.
#pragma once
#include <string>
#include <vector>

// ---- state ----
extern std::string gCurrentLearningDay;       // the day the daily lesson shows, "" for none
extern std::string gViewingPlannedDay;        // the previewed date, "" when none
extern std::vector<std::string> gDayItemIds;  // the shown day's known ids in order
extern int gPlannedLessonNumber;              // "Planned Lesson %d" while previewing, else 0
extern int gPlannedTitleLesson;               // the lesson titling the preview; < 1: the number above

// Shows a calendar day that has blocks (and ends a preview).
void OpenCalendarDay(const std::string& date);
// Previews a day the calendar does not hold: future days from the pending syllabus, past days
// from the plan.
void SelectCalendarDay(const std::string& date);
// The previewed day lies before today: a look back at the plan, with no date still to unlock it.
bool IsPreviewedDayPast();
// The shown day's blocks are all done.
bool IsCurrentDayComplete();
// NEXT LESSON: prepares and opens the day after the shown one.
void PrepareNextLesson();
// Re-assigns a calendar day from fresh blocks, keeping the blocks already completed on it.
void AssignDayBlocks(const std::string& date);
// A future day with open blocks gets fresh blocks.
void RefreshDayIfOpen(const std::string& date);
// After a change of the practice load or a placement: today and every unfinished future day.
void ReplanFutureDays();
// The plan's text fingerprint: "number:title:count|id|id\n" per lesson.
std::string PlanSignatureText();
// Its 64-bit FNV-1a hash in upper-case hex; "" for an empty plan.
std::string PlanIdentifier();
// Unlocking, plan changes, today's day and the shown day.
void RebuildSchedule();
// Once a frame: at most once a second, notices a new date and rebuilds.
void CheckDayRollover();
// Back to the start values, the rollover's memory included (tests).
void ResetSchedule();
