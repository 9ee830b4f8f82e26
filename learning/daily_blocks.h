// learning/daily_blocks: which items a day of practice gets. A day takes passed items that are due
// for spaced review (the most overdue first, a capped number), then items of the lesson plan not
// passed yet, walking the plan from lesson 1, up to the blocks of the student's practice load.
// Items failed five times without a pass are set aside, beyond the first two met on a day.
#pragma once
#include <string>
#include <vector>

extern const int kBlocksPerLoad[4];   // Light, Standard, Long, Marathon: 7, 14, 22, 32
extern int gOpenSyllabusCount;        // cached CountOpenSyllabusItems, -1 stale

// An item still to be learnt and the lesson that first lists it.
struct PendingSyllabusItem {
  std::string id;
  int lesson;
};

// Blocks per day of the (clamped) practice load.
int BlocksPerDay();
// Days between passes before a review is due, by distinct pass days: 1, 6, then doubling to 120.
int ReviewIntervalDays(int distinctPassDays);
// The day's blocks built fresh; changes nothing.
std::vector<std::string> BuildLessonBlocks(const std::string& date);
// By CategoryCode of the items' categories (an id outside the library counts as code 3).
bool ItemIdLess(const std::string& a, const std::string& b);
// Plan items (first occurrence) not mastered and never passed, set-aside ones included.
std::vector<PendingSyllabusItem> PendingSyllabusItems();
// The preview of the day daysAhead after today: its slice of the pending items after today's blocks.
std::vector<std::string> PlanDayAhead(int daysAhead, int* lessonOut);
// Plan items outside the shown day with five or more attempts and no pass.
std::vector<std::string> ListSetAsideItems();
// Whether the daily lesson lists set-aside items now.
bool HasSetAsideItems();
// Plan items not mastered and never attempted (cached in gOpenSyllabusCount).
int CountOpenSyllabusItems();
// Gives the day (created when missing) its lesson number and fresh blocks; does not save.
void FillCalendarDay(const std::string& date);
