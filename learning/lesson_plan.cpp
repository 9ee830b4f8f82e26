// learning/lesson_plan: reading "lesson_plan.tsv".
#include "learning/lesson_plan.h"

#include <algorithm>

#include "app/base/logs.h"
#include "learning/library_index.h"
#include "learning/library_text.h"
#include "learning/number_fields.h"
#include "practice/data_files.h"

// ---- constants ----
// One lesson a day for more than a lifetime; a number beyond it is a damaged row, not a plan.
const int kHighestLessonNumber = 100000;

// ---- state ----
std::map<int, Lesson> gLessonPlan;     // the plan
static bool gLessonPlanRead = false;   // the file was tried this run

// ---- public functions ----
void ReadLessonPlanLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::vector<std::string> columns = SplitTabs(line);
    if (columns.size() < 5) continue;
    int number = AtoiField(columns[0]);
    if (number < 1 || columns[2].empty()) continue;
    if (number > kHighestLessonNumber) {
      DebugLog("[learning] lesson_plan.tsv: lesson %d is beyond %d; row skipped\n", number, kHighestLessonNumber);
      continue;
    }
    Lesson& lesson = gLessonPlan[number];
    lesson.title = DecodeHtmlEntities(columns[3]);
    lesson.count = std::max(1, AtoiField(columns[4]));
    lesson.ids.push_back(columns[2]);
  }
}

void LoadLessonPlan() {
  if (gLessonPlanRead) return;
  gLessonPlanRead = true;
  std::vector<std::string> lines;
  if (ReadDataFileLines(LibraryFolderPath() + "lesson_plan.tsv", &lines) == DataFileRead::kOk)
    ReadLessonPlanLines(lines);
}

void ResetLessonPlan() {
  gLessonPlan.clear();
  gLessonPlanRead = false;
}
