// learning/lesson_plan: the lessons of "lesson_plan.tsv" in the library folder, read once a run.
//
// A row is: lesson number, (unused), item id, lesson title, block count. Rows of a lesson add
// their id in file order; the last row of a lesson decides its title and count.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One lesson of the plan.
struct Lesson {
  std::string title;              // entity-decoded
  int32_t count = 10;             // at least 1
  std::vector<std::string> ids;   // item ids in file order, duplicates kept
};

extern const int kHighestLessonNumber;      // rows with a higher lesson number are skipped as damaged
extern std::map<int, Lesson> gLessonPlan;   // by lesson number (1 .. kHighestLessonNumber)

// Reads the plan the first time it is called; later calls return at once.
void LoadLessonPlan();
// Reads plan rows from lines into gLessonPlan (the first line is read like any other).
void ReadLessonPlanLines(const std::vector<std::string>& lines);
// Forgets the plan so the next LoadLessonPlan reads the file again (tests).
void ResetLessonPlan();
