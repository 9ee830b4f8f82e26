// learning/lesson_plan: reading "lesson_plan.tsv".
#include "learning/lesson_plan.h"

#include <algorithm>

#include "learning/library_index.h"
#include "learning/library_text.h"
#include "learning/number_fields.h"
#include "practice/data_files.h"

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
