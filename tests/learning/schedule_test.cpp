// Lessons and unlocking, daily blocks with spaced review, the schedule's day operations and the
// day rollover through a scripted stretch of days.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>

#include "learning/attempt_rules.h"
#include "learning/lessons.h"
#include "learning/practice_set.h"
#include "tests/learning/learning_fixture.h"

static void PlanOfLessons(std::initializer_list<int> numbers) {
  ResetLessonPlan();
  for (int n : numbers) gLessonPlan[n].ids = {"x"};
}

static int Resolved(int n) {
  const Lesson* lesson = FindLesson(n);
  if (!lesson) return 0;
  for (const auto& [number, l] : gLessonPlan)
    if (&l == lesson) return number;
  return -1;
}

TEST_F(LearningTest, LessonsWrapThroughTheLastOnes) {
  std::vector<int> forty;
  for (int i = 1; i <= 40; ++i) forty.push_back(i);
  ResetLessonPlan();
  for (int n : forty) gLessonPlan[n].ids = {"x"};
  struct Case { int day, lesson; } cases40[] = {{0, 1}, {1, 1}, {40, 40}, {41, 13}, {68, 40}, {69, 13}, {INT32_MAX, 13 + (INT32_MAX - 41) % 28}};
  for (const Case& c : cases40) EXPECT_EQ(Resolved(c.day), c.lesson) << c.day;
  PlanOfLessons({1, 2, 3, 4, 5});
  for (const Case& c : {Case{6, 1}, Case{10, 5}, Case{11, 1}}) EXPECT_EQ(Resolved(c.day), c.lesson) << c.day;
  // With a gap: L = 4, W = 4, so 5 resolves to 1 and 7 to the missing 3.
  PlanOfLessons({1, 2, 4});
  for (const Case& c : {Case{3, 0}, Case{5, 1}, Case{6, 2}, Case{7, 0}, Case{8, 4}}) EXPECT_EQ(Resolved(c.day), c.lesson) << c.day;
  ResetLessonPlan();
  EXPECT_EQ(FindLesson(1), nullptr);
  EXPECT_EQ(DaysBetweenIsoDates("2024-03-30", "2024-04-01"), 2);
  EXPECT_EQ(DaysBetweenIsoDates("2024-04-01", "2024-3-30"), 0);
}

TEST_F(LearningTest, TypesUnlockInFileOrderPerSection) {
  ScopedDrivenClock clock;
  SetLocalTime("2024-05-10", 9, 0, 0);
  MakeLibrary({"a1 scales Major_Scales C", "b1 scales Minor_Scales C", "a2 scales Major_Scales G",
               "c1 scales Chromatic C", "e1 etude Etudes", "x1 Scales Major_Scales C", "k1 chords", "e2 etude Studies"},
              {});
  auto open = [](const char* id) { return IsItemAvailable(*FindLibraryItem(id)); };
  EXPECT_TRUE(open("a1") && open("a2") && open("e1") && open("k1")) << "first types, an etude, an empty type";
  EXPECT_TRUE(open("e2")) << "every etude is open, whatever its type";
  EXPECT_FALSE(open("b1") || open("c1") || open("x1"));
  gMasteryRecords["a1"].distinct_pass_days = 1;
  gCompletedItems.insert("a2");
  RebuildSchedule();
  EXPECT_TRUE(open("b1"));
  EXPECT_FALSE(open("c1")) << "one type at a time";
  EXPECT_FALSE(open("x1")) << "a case-variant category never unlocks";
  EXPECT_EQ(CategoryCode("Scales"), 3);
  EXPECT_EQ(CategoryCode(""), 3);
}

// An item passed on each day it falls due, from 2023-12-30.
TEST_F(LearningTest, SpacedReviewFallsDueOnTheWorkedOutDays) {
  ScopedDrivenClock clock;
  SetLocalTime("2023-12-30", 9, 0, 0);
  MakeLibrary({"s scales Major_Scales C"}, {{"s"}});
  EXPECT_EQ(Attempt("s", Run(10, 10)), 1);
  const char* due[] = {"2023-12-31", "2024-01-06", "2024-01-18", "2024-02-11", "2024-03-30", "2024-07-04",
                       "2024-11-01", "2025-03-01"};
  std::string date = "2023-12-30";
  for (const char* expected : due) {
    do date = AddDaysIsoDate(date, 1);
    while (BuildLessonBlocks(date).empty() && date < "2026");
    EXPECT_EQ(date, expected);
    SetLocalTime(date, 9, 0, 0);
    EXPECT_EQ(Attempt("s", Run(10, 10)), 1);
  }
  EXPECT_EQ(ReviewIntervalDays(1000000), 120);
}

TEST_F(LearningTest, ReviewsAreCappedAndStrugglingItemsSetAside) {
  ScopedDrivenClock clock;
  SetLocalTime("2024-05-10", 9, 0, 0);
  std::vector<std::string> items;
  for (int i = 0; i < 10; ++i) items.push_back("r" + std::to_string(i) + " scales Major_Scales C");
  for (int i = 0; i < 3; ++i) items.push_back("f" + std::to_string(i) + " mechanics Drills");
  MakeLibrary(items, {{"f0", "f1"}, {"f2"}});
  for (int i = 0; i < 10; ++i) {   // passed once, 1 + i days ago: the oldest are the most overdue
    MasteryRecord& r = gMasteryRecords["r" + std::to_string(i)];
    r.passes = r.distinct_pass_days = 1;
    r.last_pass_date = AddDaysIsoDate("2024-05-10", -1 - i);
  }
  for (auto [load, blocks, reviews] : {std::tuple{0, 7, 3}, {1, 14, 6}, {3, 32, 13}, {9, 32, 13}}) {
    gPracticeLoad = load;
    std::vector<std::string> day = BuildLessonBlocks("2024-05-10");
    EXPECT_EQ(day.size(), (size_t)std::min(reviews, 10) + 3) << load;
    EXPECT_EQ(BlocksPerDay(), blocks);
  }
  gPracticeLoad = 0;
  EXPECT_EQ(BuildLessonBlocks("2024-05-10"),
            (std::vector<std::string>{"f0", "f1", "f2", "r9", "r8", "r7"})) << "mechanics before scales";
  for (int i = 0; i < 3; ++i) gMasteryRecords["f" + std::to_string(i)].attempts = 5;
  std::vector<std::string> day = BuildLessonBlocks("2024-05-10");
  EXPECT_EQ(std::count(day.begin(), day.end(), "f2"), 0) << "the third struggling item is set aside";
  gDayItemSet = {"f0", "f1"};
  EXPECT_EQ(ListSetAsideItems(), std::vector<std::string>{"f2"});
  gCurrentLearningDay = "2024-05-10";
  EXPECT_TRUE(HasSetAsideItems());
  gCurrentLearningDay = "2024-05-09";
  EXPECT_FALSE(HasSetAsideItems());
}

TEST_F(LearningTest, PlanDayAheadSlicesThePendingSyllabus) {
  ScopedDrivenClock clock;
  SetLocalTime("2024-05-10", 9, 0, 0);
  std::vector<std::string> items;
  std::vector<std::vector<std::string>> lessons(4);
  for (int i = 0; i < 20; ++i) {
    std::string id = "i" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    items.push_back(id + " scales T");
    lessons[i / 5].push_back(id);
  }
  lessons[3].push_back("i00");   // a second mention is ignored
  MakeLibrary(items, lessons);
  int lesson = -1;
  std::vector<std::string> day0 = PlanDayAhead(0, &lesson);
  EXPECT_EQ(day0.size(), 14u);
  EXPECT_EQ(lesson, 1);
  std::vector<std::string> day1 = PlanDayAhead(1, &lesson);
  EXPECT_EQ(day1, (std::vector<std::string>{"i14", "i15", "i16", "i17", "i18", "i19"}));
  EXPECT_EQ(lesson, 3);
  EXPECT_TRUE(PlanDayAhead(2, &lesson).empty());
  EXPECT_EQ(lesson, 0);
  EXPECT_TRUE(PlanDayAhead(-1, nullptr).empty());
  EXPECT_EQ(CountOpenSyllabusItems(), 20);
}

TEST_F(LearningTest, PlanIdentifierOfTheSignature) {
  ResetLessonPlan();
  gLessonPlan[1] = {"Warm-up", 2, {"c_major", "g_major"}};
  gLessonPlan[2] = {"Reading", 1, {"read_01"}};
  EXPECT_EQ(PlanSignatureText(), "1:Warm-up:2|c_major|g_major\n2:Reading:1|read_01\n");
  EXPECT_EQ(PlanIdentifier(), "E686D180BA408F5A");
  ResetLessonPlan();
  EXPECT_EQ(PlanIdentifier(), "");
}

TEST_F(LearningTest, NextLessonReplanningAndPlanChanges) {
  ScopedDrivenClock clock;
  SetLocalTime("2024-05-10", 9, 0, 0);
  std::vector<std::string> items;
  std::vector<std::vector<std::string>> lessons(3);
  for (int i = 0; i < 40; ++i) {
    std::string id = "m" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    items.push_back(id + " mechanics T");
    lessons[i < 20 ? 0 : i < 30 ? 1 : 2].push_back(id);
  }
  MakeLibrary(items, lessons);
  EXPECT_EQ(gCurrentLearningDay, "2024-05-10");
  EXPECT_EQ(gLearningCalendar["2024-05-10"].assigned.size(), 14u);
  EXPECT_EQ(gLearningCalendar["2024-05-10"].lesson, 1);
  // NEXT LESSON before today is done: tomorrow keeps lesson 1 (no day is done yet).
  PrepareNextLesson();
  EXPECT_EQ(gCurrentLearningDay, "2024-05-11");
  EXPECT_EQ(gStatusText, "Lesson 1 ready - Lesson 1");
  EXPECT_EQ(gLearningCalendar["2024-05-11"].assigned.size(), 14u);
  // Completing blocks of tomorrow and re-assigning keeps them; a placed completion goes.
  CalendarDay& tomorrow = gLearningCalendar["2024-05-11"];
  tomorrow.assigned.push_back("m39");
  tomorrow.complete = {"m39", "m00"};
  gMasteryRecords["m00"].placed_by_source = true;
  gMasteryRecords["m00"].passes = 1;   // passed: no longer a new item
  AssignDayBlocks("2024-05-11");
  EXPECT_TRUE(ContainsId(tomorrow.assigned, "m39"));
  EXPECT_FALSE(ContainsId(tomorrow.assigned, "m00"));
  EXPECT_EQ(tomorrow.complete.size(), 1u);
  // A heavier load re-plans today and the open future days.
  OpenCalendarDay("2024-05-10");
  gPracticeLoad = 2;
  ReplanFutureDays();
  EXPECT_EQ(gLearningCalendar["2024-05-10"].assigned.size(), 22u);
  EXPECT_EQ(tomorrow.assigned.size(), 17u) << "the slice after today's 22 of the 39 pending items";
  // With an earlier day open, the load re-plans today, and the open day keeps its blocks and stays
  // open.
  gLearningCalendar["2024-05-08"] = CalendarDay{{"m30", "m31"}, {"m31"}, 1};
  OpenCalendarDay("2024-05-08");
  gPracticeLoad = 1;
  ReplanFutureDays();
  EXPECT_EQ(gLearningCalendar["2024-05-08"].assigned, (std::vector<std::string>{"m30", "m31"}));
  EXPECT_EQ(gLearningCalendar["2024-05-08"].complete.size(), 1u);
  EXPECT_EQ(gLearningCalendar["2024-05-10"].assigned.size(), 14u);
  EXPECT_EQ(gCurrentLearningDay, "2024-05-08");
  // With today done and tomorrow opened by NEXT LESSON, a new load re-plans tomorrow, shown at
  // once, and leaves today done as it was.
  CalendarDay& today = gLearningCalendar["2024-05-10"];
  today.complete.insert(today.assigned.begin(), today.assigned.end());
  const std::vector<std::string> doneToday = today.assigned;
  const size_t tomorrowBefore = gLearningCalendar["2024-05-11"].assigned.size();
  OpenCalendarDay("2024-05-11");
  gPracticeLoad = 2;
  ReplanFutureDays();
  EXPECT_EQ(gLearningCalendar["2024-05-10"].assigned, doneToday);
  EXPECT_TRUE(AreItemsDone(gLearningCalendar["2024-05-10"]));
  EXPECT_EQ(gCurrentLearningDay, "2024-05-11");
  EXPECT_EQ(gDayItemIds.size(), gLearningCalendar["2024-05-11"].assigned.size());
  EXPECT_NE(gLearningCalendar["2024-05-11"].assigned.size(), tomorrowBefore) << "planned for the new load";
  today.complete.clear();
  OpenCalendarDay("2024-05-10");
  ReplanFutureDays();
  // A new plan: untouched days follow it, a day with a completion keeps its list, and a later day
  // the new plan leaves nothing for keeps its own.
  gLearningCalendar["2024-05-12"] = CalendarDay{{"m01"}, {}, 3};
  gLearningCalendar["2024-05-13"] = CalendarDay{{"m02"}, {"m02"}, 3};
  WriteFileBytes(Lib("lesson_plan.tsv"), "1\tx\tm05\tNew\t1\n2\tx\tm06\tNew\t1\n3\tx\tm07\tNew\t1\n");
  ResetLessonPlan();
  RebuildSchedule();
  EXPECT_EQ(gLearningCalendar["2024-05-10"].assigned, (std::vector<std::string>{"m05", "m06", "m07"}));
  EXPECT_EQ(gLearningCalendar["2024-05-12"].assigned, std::vector<std::string>{"m01"});
  EXPECT_EQ(gLearningCalendar["2024-05-13"].assigned, std::vector<std::string>{"m02"});
  EXPECT_EQ(gCalendarPlanId, PlanIdentifier());
  EXPECT_EQ(ReadData("learning_calendar_default.dat").rfind("PLAN\t" + gCalendarPlanId + "\n", 0), 0u);
}

// A plan that lists an item twice in a lesson: an untouched future day that follows it holds each
// block once, and its calendar file reads back as written.
TEST_F(LearningTest, APlanListingAnItemTwiceGivesADayEachBlockOnce) {
  ScopedDrivenClock clock;
  SetLocalTime("2024-05-10", 9, 0, 0);
  std::vector<std::string> items = {"a mechanics T", "b mechanics T"};
  std::vector<std::string> first, second = {"a", "b", "a"};
  for (int i = 0; i < 14; ++i) {   // today's Standard load, so that the day after takes a and b
    items.push_back("f" + std::string(i < 10 ? "0" : "") + std::to_string(i) + " mechanics T");
    first.push_back(items.back().substr(0, 3));
  }
  MakeLibrary(items, {first, second});
  gLearningCalendar["2024-05-11"] = CalendarDay{{"b"}, {}, 2};
  gCalendarPlanId = "an older plan";
  RebuildSchedule();
  EXPECT_EQ(gLearningCalendar["2024-05-11"].assigned, (std::vector<std::string>{"a", "b"}));
  const std::string saved = ReadData("learning_calendar_default.dat");
  std::vector<std::string> lines;
  for (size_t start = 0, end; start < saved.size(); start = end + 1) {
    end = std::min(saved.find('\n', start), saved.size());
    lines.push_back(saved.substr(start, end - start));
  }
  ResetLearningRecords();
  EXPECT_EQ(ReadCalendarLines(lines), 0);
  EXPECT_EQ(CalendarFileText(), saved);
}

// A new library's plan: a day prepared ahead with NEXT LESSON takes its share of what is still to
// learn in the new order, as a new load would give it. Its lesson's bare list repeated today's blocks,
// left out what the new plan moved earlier and taught again what was passed ahead of its lesson.
TEST_F(LearningTest, APlanChangeGivesAPreparedDayWhatIsStillToLearn) {
  ScopedDrivenClock clock;
  SetLocalTime("2024-05-10", 9, 0, 0);
  gPracticeLoad = 0;   // Light: 7 blocks
  std::vector<std::string> items, ids;
  for (int i = 0; i < 20; ++i) {
    ids.push_back("i" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    items.push_back(ids.back() + " mechanics T");
  }
  auto slice = [&](int from, int to) { return std::vector<std::string>(ids.begin() + from, ids.begin() + to); };
  MakeLibrary(items, {slice(0, 7), slice(7, 14), slice(14, 20)});
  PrepareNextLesson();
  ASSERT_EQ(gCurrentLearningDay, "2024-05-11");
  OpenCalendarDay("2024-05-10");
  gMasteryRecords["i15"].passes = 1;   // passed ahead of its lesson
  // The new plan teaches the third lesson's items before the second's.
  std::vector<std::string> moved = slice(14, 20);
  moved.push_back("i07");
  std::string plan = "lesson\tsection\tid\ttitle\tcount\n";
  for (const auto& [n, lesson] : std::vector<std::pair<int, std::vector<std::string>>>{{1, slice(0, 7)}, {2, moved}, {3, slice(8, 14)}})
    for (const std::string& id : lesson) plan += std::to_string(n) + "\tx\t" + id + "\tLesson\t" + std::to_string(lesson.size()) + "\n";
  WriteFileBytes(Lib("lesson_plan.tsv"), plan);
  ResetLessonPlan();
  RebuildSchedule();
  std::vector<std::string> tomorrow = gLearningCalendar["2024-05-11"].assigned;
  std::sort(tomorrow.begin(), tomorrow.end());
  EXPECT_EQ(tomorrow, (std::vector<std::string>{"i07", "i08", "i14", "i16", "i17", "i18", "i19"}));
}

// Thirty mechanics items i00..i29, ten to a lesson, at the Light load on 2024-05-10 at 09:00:
// today holds i00..i06. The test drives the clock.
class ThirtyItemsTest : public LearningTest {
 protected:
  void MakeThirtyItemsInThreeLessons() {
    SetLocalTime("2024-05-10", 9, 0, 0);
    gPracticeLoad = 0;
    std::vector<std::string> items;
    lessons_.assign(3, {});
    for (int i = 0; i < 30; ++i) {
      std::string id = "i" + std::string(i < 10 ? "0" : "") + std::to_string(i);
      items.push_back(id + " mechanics T");
      lessons_[(size_t)i / 10].push_back(id);
    }
    MakeLibrary(items, lessons_);
  }
  std::vector<std::vector<std::string>> lessons_;
};

static std::vector<std::string> Ids(int from, int to) {
  std::vector<std::string> ids;
  for (int i = from; i <= to; ++i) ids.push_back("i" + std::string(i < 10 ? "0" : "") + std::to_string(i));
  return ids;
}

// Today's blocks are today's, passed or not: a preview of the days after shows what follows them
// and names the lesson NEXT LESSON then gives. Counted as if today were still waiting, each pass
// today moved the previews one item on, past items no day would teach.
TEST_F(ThirtyItemsTest, PassingTodaysBlocksLeavesThePreviewOfLaterDaysAsItWas) {
  ScopedDrivenClock clock;
  MakeThirtyItemsInThreeLessons();
  const std::string today = "2024-05-10";
  const std::vector<std::string> blocks = gLearningCalendar[today].assigned;
  ASSERT_EQ(blocks, Ids(0, 6));
  struct Row { int passedToday; } rows[] = {{0}, {3}, {7}};
  int passed = 0;
  for (const Row& row : rows) {
    OpenCalendarDay(today);
    for (; passed < row.passedToday; ++passed) ASSERT_EQ(Attempt(blocks[(size_t)passed], Run(20, 20), today), 1);
    SelectCalendarDay("2024-05-11");
    EXPECT_EQ(gDayItemIds, Ids(7, 13)) << row.passedToday;
    EXPECT_EQ(gPlannedLessonNumber, 2) << row.passedToday;
    EXPECT_EQ(gPlannedTitleLesson, 1) << row.passedToday;
    SelectCalendarDay("2024-05-12");
    EXPECT_EQ(gDayItemIds, Ids(14, 20)) << row.passedToday;
    EXPECT_EQ(gPlannedLessonNumber, 3) << row.passedToday;
    EXPECT_EQ(gPlannedTitleLesson, 2) << row.passedToday;
  }
  OpenCalendarDay(today);
  PrepareNextLesson();
  EXPECT_EQ(gLearningCalendar["2024-05-11"].lesson, 2);
  EXPECT_EQ(gLearningCalendar["2024-05-11"].assigned,
            (std::vector<std::string>{"i00", "i01", "i02", "i07", "i08", "i09", "i10"}));
}

// A new load chosen on the day NEXT LESSON opened after today was done plans that day as NEXT
// LESSON would have: the reviews of today's passes, then the items after them. It took a slice
// counted as if today were still to play, which dropped the reviews and skipped i07..i20.
TEST_F(ThirtyItemsTest, ANewLoadOnTheDayAfterADoneDayKeepsItsReviewsAndNextItems) {
  ScopedDrivenClock clock;
  MakeThirtyItemsInThreeLessons();
  const std::string today = "2024-05-10", tomorrow = "2024-05-11";
  for (const std::string& id : Ids(0, 6)) ASSERT_EQ(Attempt(id, Run(20, 20), today), 1);
  ASSERT_TRUE(IsCurrentDayComplete());
  PrepareNextLesson();
  ASSERT_EQ(gCurrentLearningDay, tomorrow);
  gPracticeLoad = 1;   // Standard: 14 blocks, 6 reviews
  ReplanFutureDays();
  std::vector<std::string> expected = Ids(0, 5);
  for (const std::string& id : Ids(7, 14)) expected.push_back(id);
  EXPECT_EQ(gLearningCalendar[tomorrow].assigned, expected);
  EXPECT_EQ(gDayItemIds, expected);
  EXPECT_EQ(gLearningCalendar[today].assigned, Ids(0, 6)) << "a day done stays as it was";
  const std::string saved = ReadData("learning_calendar_default.dat");
  std::string day = "DATE\t" + tomorrow + "\nLESSON\t2\n";
  for (const std::string& id : expected) day += "ASSIGNED\t" + id + "\n";
  EXPECT_NE(saved.find(day + "END\n"), std::string::npos) << saved;
}

// A new plan after today is done: the day NEXT LESSON prepared takes the first items still to
// learn in the new order, not those a day further on.
TEST_F(ThirtyItemsTest, APlanChangeAfterADoneDayGivesThePreparedDayTheNextItems) {
  ScopedDrivenClock clock;
  MakeThirtyItemsInThreeLessons();
  for (const std::string& id : Ids(0, 6)) ASSERT_EQ(Attempt(id, Run(20, 20), "2024-05-10"), 1);
  PrepareNextLesson();
  OpenCalendarDay("2024-05-10");
  // The new plan teaches the third lesson first.
  std::string plan = "lesson\tsection\tid\ttitle\tcount\n";
  for (int n = 1; n <= 3; ++n)
    for (const std::string& id : lessons_[(size_t)(n + 1) % 3])
      plan += std::to_string(n) + "\tx\t" + id + "\tLesson\t10\n";
  WriteFileBytes(Lib("lesson_plan.tsv"), plan);
  ResetLessonPlan();
  RebuildSchedule();
  EXPECT_EQ(gLearningCalendar["2024-05-11"].assigned, Ids(20, 26));
  EXPECT_EQ(gLearningCalendar["2024-05-10"].assigned, Ids(0, 6));
}

// A set begun before midnight and finished after it: its blocks count for the day it began on,
// where passes made after midnight are passes, and the new day is made when the set has ended,
// from what it finished. Made at the first pass after midnight, that day offered the set's later
// blocks as new skills and took the unfinished day's lesson.
TEST_F(LearningTest, ASetOverMidnightLeavesTheNewDayToTheRollover) {
  ScopedDrivenClock clock;
  gPracticeLoad = 0;   // Light: 7 blocks, 3 reviews
  std::vector<std::string> items, first, second;
  for (int i = 1; i <= 7; ++i) {
    first.push_back("a" + std::to_string(i)), second.push_back("b" + std::to_string(i));
    items.push_back(first.back() + " mechanics T"), items.push_back(second.back() + " mechanics T");
  }
  SetLocalTime("2026-12-09", 23, 59, 15);
  MakeLibrary(items, {first, second});
  CheckDayRollover();
  ASSERT_EQ(gDayItemIds, first);
  gPracticeSetActive = true;
  for (int i = 0; i < 5; ++i) ASSERT_EQ(Attempt(first[(size_t)i], Run(10, 10), "2026-12-09"), 1);
  SetLocalTime("2026-12-10", 0, 0, 7);
  CheckDayRollover();
  ASSERT_EQ(Attempt("a6", Run(10, 10), "2026-12-09"), 1);
  SetLocalTime("2026-12-10", 0, 0, 20);
  ASSERT_EQ(Attempt("a7", Run(10, 10), "2026-12-09"), 1);
  EXPECT_EQ(gCurrentLearningDay, "2026-12-09") << "the day waits for the running set";
  EXPECT_TRUE(AreItemsDone(gLearningCalendar["2026-12-09"]));
  gLibraryViewKey = "today";
  for (const char* id : {"a1", "a6", "a7"}) {
    EXPECT_TRUE(IsItemPassedOnDate(id, "2026-12-09")) << id;
    EXPECT_EQ(ItemStatusText(*FindLibraryItem(id)), "Passed today") << id;
  }
  gPracticeSetActive = false;
  SetLocalTime("2026-12-10", 0, 0, 22);
  CheckDayRollover();
  ASSERT_EQ(gCurrentLearningDay, "2026-12-10");
  // The passes of the day before are due for review; those made after midnight are not.
  EXPECT_EQ(gDayItemIds, (std::vector<std::string>{"a1", "a2", "a3", "b1", "b2", "b3", "b4"}));
  EXPECT_EQ(gLearningCalendar["2026-12-10"].lesson, 2);
  // Reviewed on the new day, its latest pass is that day's, as by the clock.
  SetLocalTime("2026-12-10", 9, 0, 0);
  ASSERT_EQ(Attempt("a1", Run(10, 10), "2026-12-10"), 1);
  EXPECT_TRUE(IsItemPassedOnDate("a1", "2026-12-10"));
  EXPECT_FALSE(IsItemPassedOnDate("a1", "2026-12-09"));
}

// A clock set a day ahead makes a day before its date. The student then plays on the real date,
// and when the made day comes, untouched, it offers nothing passed since (its list and its file);
// once played on, it keeps its list, passes and all.
TEST_F(LearningTest, ADayMadeUnderAClockAheadFollowsThePassesMadeBeforeItCame) {
  ScopedDrivenClock clock;
  auto restart = [&](const char* date) {
    SaveCalendar(), SaveMastery(), SaveProgress();
    ResetAll();
    SetLocalTime(date, 9, 0, 0);
    LoadLibraryIndex();
  };
  SetLocalTime("2026-12-17", 9, 0, 0);
  MakeLibrary({"a1 mechanics T", "a2 mechanics T", "a3 mechanics T", "b1 mechanics T", "b2 mechanics T"},
              {{"a1", "a2", "a3"}, {"b1", "b2"}});
  ASSERT_EQ(Attempt("a1", Run(10, 10), "2026-12-17"), 1);
  restart("2026-12-19");   // a day ahead
  ASSERT_EQ(gLearningCalendar["2026-12-19"].assigned, (std::vector<std::string>{"a1", "a2", "a3", "b1", "b2"}));
  restart("2026-12-18");
  ASSERT_EQ(Attempt("a1", Run(10, 10), "2026-12-18"), 1);   // a second pass day: next due in six days
  ASSERT_EQ(Attempt("a2", Run(10, 10), "2026-12-18"), 1);   // a first: due the next day
  restart("2026-12-19");
  const std::vector<std::string> day = {"a2", "a3", "b1", "b2"};
  EXPECT_EQ(gDayItemIds, day);
  const std::string saved = ReadData("learning_calendar_default.dat");
  const size_t at = saved.find("DATE\t2026-12-19\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(saved.substr(at, saved.find("END\n", at) - at),
            "DATE\t2026-12-19\nLESSON\t1\nASSIGNED\ta2\nASSIGNED\ta3\nASSIGNED\tb1\nASSIGNED\tb2\n");
  ASSERT_EQ(Attempt("a3", Run(10, 10), "2026-12-19"), 1);
  ASSERT_EQ(Attempt("b1", Run(10, 10), "2026-12-19"), 1);
  restart("2026-12-19");
  EXPECT_EQ(gDayItemIds, day) << "a day played on keeps its blocks";
  EXPECT_EQ(gLearningCalendar["2026-12-19"].complete.size(), 2u);
}

// A scripted stretch of days over a year end, a leap February and a daylight-saving change: the
// student plays each day's blocks (every item passes except m1, which lands 6 of 10 notes), the day
// turns within a second after midnight, waits for a running set and keeps a previewed day, and
// the calendar file after each day is the schedule worked out below.
TEST_F(LearningTest, ScriptedDaysRollOverIntoTheWorkedOutCalendar) {
  const char* savedTz = getenv("TZ");
  std::string oldTz = savedTz ? savedTz : "";
  setenv("TZ", "America/New_York", 1);
  tzset();
  ScopedDrivenClock clock;
  AddActive("ann");
  gPracticeLoad = 0;   // Light: 7 blocks, 3 reviews
  WriteData("learning_practiceload_ann.dat", "0");
  SetLocalTime("2023-12-28", 9, 0, 0);
  MakeLibrary({"f1 foundations Keys", "s1 scales Major_Scales C", "s2 scales Major_Scales G", "m1 mechanics Drills",
               "r1 sight Treble"},
              {{"s1", "r1", "m1"}, {"s2", "f1"}});
  CheckDayRollover();   // remembers the first date

  // By hand: every item is new on the first day; f1, s1, s2 are then reviewed 1, 6, 12, 24 and 48
  // days after their passes (3 reviews a day at most, in library order), r1 a day after them; m1
  // never passes and comes back every day (set aside only beyond two struggling items).
  std::map<std::string, std::vector<std::string>> reviews = {
      {"2023-12-28", {"r1", "m1", "s1", "s2", "f1"}}, {"2023-12-29", {"m1", "s1", "s2", "f1"}},
      {"2023-12-30", {"r1", "m1"}}, {"2024-01-04", {"m1", "s1", "s2", "f1"}}, {"2024-01-05", {"r1", "m1"}},
      {"2024-01-16", {"m1", "s1", "s2", "f1"}}, {"2024-01-17", {"r1", "m1"}},
      {"2024-02-09", {"m1", "s1", "s2", "f1"}}, {"2024-02-10", {"r1", "m1"}}};
  std::string expected = "PLAN\t" + PlanIdentifier() + "\n";
  std::string date = "2023-12-28";
  int lesson = 1;
  for (; date <= "2024-03-12"; date = AddDaysIsoDate(date, 1), ++lesson) {
    ASSERT_EQ(gCurrentLearningDay, date);
    std::vector<std::string> blocks = reviews.count(date) ? reviews[date] : std::vector<std::string>{"m1"};
    ASSERT_EQ(gDayItemIds, blocks) << date;
    for (const std::string& id : std::vector<std::string>(gDayItemIds))
      Attempt(id, id == "m1" ? Run(10, 6, 0.5f, 4) : Run(10, 10), date);
    std::vector<std::string> sorted = blocks;
    std::sort(sorted.begin(), sorted.end());
    expected += "DATE\t" + date + "\nLESSON\t" + std::to_string(lesson) + "\n";
    for (const std::string& id : blocks) expected += "ASSIGNED\t" + id + "\n";
    for (const std::string& id : sorted) expected += "COMPLETE\t" + id + "\n";
    expected += "END\n";
    ASSERT_EQ(ReadData("learning_calendar_ann.dat"), expected) << date;

    std::string next = AddDaysIsoDate(date, 1);
    bool holdSet = date == "2024-02-28", preview = date == "2024-01-20";
    SetLocalTime(date, 23, 59, 59, 500);
    if (preview) SelectCalendarDay("2024-01-25");
    gPracticeSetActive = holdSet;
    CheckDayRollover();
    for (int ms = 0; ms <= 1000; ms += 100) {
      SetLocalTime(next, 0, 0, 0, ms);
      CheckDayRollover();
    }
    if (holdSet) {
      EXPECT_EQ(gCurrentLearningDay, date) << "the day waits for the running set";
      gPracticeSetActive = false;
      SetLocalTime(next, 0, 5, 0);
      CheckDayRollover();
    }
    if (preview) {
      EXPECT_EQ(gViewingPlannedDay, "2024-01-25") << "a previewed day survives the rollover";
      EXPECT_EQ(gCurrentLearningDay, "2024-01-25");
      OpenCalendarDay(next);
    }
    ASSERT_EQ(gCurrentLearningDay, next) << "within a second after midnight";
    if (!preview) {
      ASSERT_EQ(ReadData("learning_schedule_ann.dat").substr(0, 11), next + "\n");
    }
  }
  EXPECT_GT(gMasteryRecords["m1"].attempts, 5);
  if (savedTz) setenv("TZ", oldTz.c_str(), 1);
  else unsetenv("TZ");
  tzset();
}

// A day prepared with NEXT LESSON follows what was mastered since, each time NEXT LESSON comes back
// to it, until it is finished: finished, neither NEXT LESSON nor a new load gives it more blocks.
TEST_F(ThirtyItemsTest, APreparedDayFollowsTheProgressUntilItIsFinished) {
  ScopedDrivenClock clock;
  MakeThirtyItemsInThreeLessons();
  auto master = [](const std::string& id) {   // credited, with no pass day to review
    MasteryRecord& r = gMasteryRecords[id];
    r.best_accuracy = r.best_timing = 1.0f, r.best_bpm = 100.0f;
    r.attempts = r.passes = r.distinct_pass_days = 2;
  };
  const std::string today = "2024-05-10", tomorrow = "2024-05-11";
  PrepareNextLesson();
  ASSERT_EQ(gLearningCalendar[tomorrow].assigned, Ids(0, 6));
  master("i00");
  OpenCalendarDay(today);
  PrepareNextLesson();
  CalendarDay& day = gLearningCalendar[tomorrow];
  EXPECT_EQ(day.assigned, Ids(1, 7)) << "prepared again without the item mastered since";
  day.complete.insert(day.assigned.begin(), day.assigned.end());
  master("i01");
  OpenCalendarDay(today);
  PrepareNextLesson();
  EXPECT_EQ(day.assigned, Ids(1, 7)) << "a finished day stays as it was finished";
  OpenCalendarDay(today);
  gPracticeLoad = 1;
  ReplanFutureDays();
  EXPECT_EQ(day.assigned, Ids(1, 7)) << "and a new load leaves it alone";
  EXPECT_TRUE(AreItemsDone(day));
  // With the prepared day open, a new load leaves today, begun, as it stands.
  CalendarDay& first = gLearningCalendar[today];
  ASSERT_FALSE(first.assigned.empty());
  first.complete.insert(first.assigned.front());
  const std::vector<std::string> todays = first.assigned;
  OpenCalendarDay(tomorrow);
  gPracticeLoad = 2;
  ReplanFutureDays();
  EXPECT_EQ(first.assigned, todays);
}

// Opening a day: one without blocks changes nothing, one whose block left the library lists the
// others; an earlier day opened stays open over midnight while the calendar gains the new day.
TEST_F(ThirtyItemsTest, AnOpenedDayListsItsPlayableBlocksAndStaysOpenOverMidnight) {
  ScopedDrivenClock clock;
  MakeThirtyItemsInThreeLessons();
  gLearningCalendar["2024-05-08"] = CalendarDay{{}, {}, 1};
  OpenCalendarDay("2024-05-08");
  EXPECT_EQ(gCurrentLearningDay, "2024-05-10");
  EXPECT_EQ(gDayItemIds, Ids(0, 6));
  gLearningCalendar["2024-05-09"] = CalendarDay{{"i03", "gone"}, {"gone"}, 1};
  OpenCalendarDay("2024-05-09");
  EXPECT_EQ(gDayItemIds, std::vector<std::string>{"i03"});
  CheckDayRollover();   // remembers the date
  SetLocalTime("2024-05-11", 0, 0, 1);
  CheckDayRollover();
  EXPECT_EQ(gCurrentLearningDay, "2024-05-09");
  EXPECT_EQ(gDayItemIds, std::vector<std::string>{"i03"});
  EXPECT_EQ(gLearningCalendar.count("2024-05-11"), 1u);
}
