// The library's browser model: what every view selects and lists, its order and labels, the card
// status; the performance summary; the long date format.
#include <mutex>

#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "learning/attempt_rules.h"
#include "learning/library_browser.h"
#include "learning/long_dates.h"
#include "learning/performance_summary.h"
#include "tests/learning/learning_fixture.h"

class BrowserTest : public LearningTest {
 protected:
  void SetUp() override {
    SetLocalTime("2024-05-10", 9, 0, 0);
    ResetLibraryBrowser();
    // id level category type name subtitle key era form group hand
    const char* rows[][11] = {
        {"f1", "0", "foundations", "Basics", "First", "Tonvarra", "C", "Traditional", "Melody", "", ""},
        {"s1", "1", "scales", "Major Scales", "D major - one octave", "", "D", "", "", "", "rh"},
        {"s2", "2", "scales", "Major Scales", "Scale (LH)", "", "D", "", "", "", ""},
        {"s3", "1", "scales", "Dorian Modes", "Mode study", "", "", "", "", "", ""},
        {"s4", "1", "scales", "Major Scales", "Eb major", "", "Eb", "", "", "", ""},
        {"r1", "3", "repertoire", "Folk", "Song B", "Zeta", "G", "Baroque", "Waltz", "Harmony & Modulation", ""},
        {"r2", "2", "repertoire", "Folk", "Song A", "Alpha", "G", "Classical", "Prelude", "Voicing & Texture", ""},
        {"e1", "2", "etude", "Studies", "Etude", "Alpha", "A", "Classical", "Etude", "", ""},
        {"g1", "1", "sight", "Treble", "Read", "", "F", "", "", "", ""},
        {"z1", "1", "", "Loose", "Loose", "", "", "", "", "", ""},
    };
    std::string index = "header\n";
    for (const auto& r : rows)
      index += std::string(r[0]) + "\t" + r[1] + "\t" + r[2] + "\t" + r[3] + "\t" + r[4] + "\t" + r[5] + "\t" + r[6] +
               "\t\t" + r[7] + "\t" + r[8] + "\t" + r[9] + "\t" + r[0] + ".mid\t100\t100\t0.9\t0.85\t" + r[10] + "\t\t\t\n";
    WriteFileBytes(Lib("library_index.tsv"), index);
    LoadLibraryIndex();
  }
  // The ids the current view lists, in the current order.
  std::vector<std::string> Listed() {
    SortLibraryItems();
    std::vector<std::string> ids;
    for (const LibraryItem& item : gLibraryItems)
      if (ItemMatchesFilters(item)) ids.push_back(item.id);
    return ids;
  }
  LibraryItem& Item(const char* id) { return *FindLibraryItem(id); }
  ScopedDrivenClock clock_;
};

TEST_F(BrowserTest, EveryViewSelectsItsItems) {
  struct Case { const char* view; int count; } cases[] = {
      {"", 10}, {"today", 0}, {"rep_era", 3}, {"rep_composer", 3}, {"forms", 4}, {"study", 4}, {"scales", 4},
      {"sight", 1}, {"Scales", 0}};
  for (const Case& c : cases) EXPECT_EQ(CountItemsInView(c.view), c.count) << c.view;
  gDayItemSet = {"s1", "r1"};
  EXPECT_EQ(CountItemsInView("today"), 2);
}

TEST_F(BrowserTest, FiltersSearchAndLevels) {
  gLibraryViewKey = "scales";
  EXPECT_TRUE(Listed().empty()) << "the key starts at C, and no major scale is in C";
  gChosenKey = -1;
  EXPECT_EQ(Listed(), (std::vector<std::string>{"s1", "s2", "s4"})) << "the first type when none is chosen";
  gChosenTypes["scales"] = "Dorian Modes";
  EXPECT_EQ(Listed(), std::vector<std::string>{"s3"});
  gChosenTypes["scales"] = "Gone";
  gChosenKey = 2;   // D: Eb is dropped, an item without a key passes
  EXPECT_EQ(Listed(), (std::vector<std::string>{"s1", "s2"}));
  gHandFilter = 2;  // left: "(LH)" in a name counts
  EXPECT_EQ(Listed(), std::vector<std::string>{"s2"});
  gSearchQuery = "dorian";   // a search lifts type, key and hand filters
  EXPECT_EQ(Listed(), std::vector<std::string>{"s3"});
  gSearchQuery = "alpha";   // and, in a technique view, its category: the whole library is searched
  EXPECT_EQ(Listed(), (std::vector<std::string>{"r2", "e1"}));
  gLibraryViewKey = "rep_era";
  EXPECT_EQ(Listed(), std::vector<std::string>{"r2"}) << "other views search their own items";
  gLibraryViewKey = "scales";
  gSearchQuery = "dorian";
  gLibraryViewKey = "";
  EXPECT_EQ(Listed(), std::vector<std::string>{"s3"}) << "found by its type alone";
  gSearchQuery = "alpha";
  EXPECT_EQ(Listed(), (std::vector<std::string>{"r2", "e1"}));
  Item("r2").subtitle = "renamed";
  EXPECT_EQ(Listed(), (std::vector<std::string>{"r2", "e1"})) << "search texts stay as first built";
  gSearchQuery.clear();
  EXPECT_EQ(Listed(), (std::vector<std::string>{"f1", "r1", "r2", "e1", "z1"})) << "no technique items";
  gLevelFilter = 0;
  EXPECT_EQ(Listed(), std::vector<std::string>{"f1"});
  gLevelFilter = 2;
  EXPECT_EQ(Listed(), (std::vector<std::string>{"f1", "r2", "e1", "z1"}));
  gLibraryViewKey = "today";
  gDayItemSet = {"s4"};
  EXPECT_EQ(Listed(), std::vector<std::string>{"s4"}) << "the day lists every item it holds";
}

TEST_F(BrowserTest, EachViewSortsAndGroupsByItsKeys) {
  struct Case { const char* view; std::vector<std::string> order; const char* groupOfR1; } cases[] = {
      {"rep_era", {"r1", "r2", "f1"}, "Baroque"},   // era rank: Baroque, Classical, Traditional
      {"rep_composer", {"r2", "f1", "r1"}, "Zeta"},
      {"forms", {"r2", "e1", "r1", "f1"}, "Waltz"},   // Prelude, Etude, Waltz, Melody
      {"study", {"r1", "r2", "g1", "e1"}, "Harmony & Modulation"},   // then level
      {"", {"f1", "r1", "r2", "e1", "z1"}, "Repertoire"},
      {"other", {}, "Folk"},
  };
  for (const Case& c : cases) {
    gLibraryViewKey = c.view;
    if (!c.order.empty()) EXPECT_EQ(Listed(), c.order) << c.view;
    EXPECT_EQ(RepertoireGroupLabel(Item("r1")), c.groupOfR1) << c.view;
  }
  gLibraryViewKey = "";
  EXPECT_EQ(RepertoireGroupLabel(Item("z1")), "Explore Library");
  EXPECT_EQ(RepertoireGroupLabel(Item("s1")), "Key Patterns");
  gLibraryViewKey = "today";
  EXPECT_EQ(RepertoireGroupLabel(Item("s1")), "Key Patterns - Major Scales");
  EXPECT_EQ(ViewKeyLabel(), "Continue Lesson");
  gLibraryViewKey = "nowhere";
  EXPECT_EQ(ViewKeyLabel(), "Browse All");
  EXPECT_EQ(RepertoireGroupLabel(Item("s1")), "Major Scales");
  EXPECT_EQ(CategoryTabLabel("Custom"), "Custom");
  EXPECT_EQ(ItemCardTitle(Item("s1")), "D major");
  EXPECT_EQ(ItemCardSubtitle(Item("s1")), "one octave");
  EXPECT_EQ(ItemCardTitle(Item("r1")), "Song B");
  EXPECT_EQ(ItemCardSubtitle(Item("r1")), "Zeta");
}

// Headings are drawn as they come from here, with translation held off, so a heading left in
// English here stays English on screen.
TEST_F(BrowserTest, EveryViewsGroupHeadingIsInTheUiLanguage) {
  WriteFileBytes(dir_.File("locales/de-DE.json"),
                 "\"Count aloud while you play\": \"Zähl beim Spielen laut mit\",\n"
                 "\"Composer Unassigned\": \"Ohne Komponist\",\n\"Baroque\": \"Barock\",\n"
                 "\"Waltz\": \"Walzer\",\n\"Harmony & Modulation\": \"Harmonik & Modulation\",\n"
                 "\"Repertoire\": \"Vortragsstücke\",\n\"Folk\": \"Volksweisen\",\n"
                 "\"Key Patterns\": \"Tonleitermuster\",\n\"Major Scales\": \"Durtonleitern\"\n");
  ResetTranslationFileForTesting();
  {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = "de-DE";
  }
  Item("r1").subtitle = "Count aloud while you play";
  struct Case { const char* view; const char* id; const char* heading; } cases[] = {
      {"rep_composer", "r1", "Zähl beim Spielen laut mit"}, {"rep_composer", "r2", "Alpha"},
      {"rep_composer", "s3", "Ohne Komponist"}, {"rep_era", "r1", "Barock"}, {"forms", "r1", "Walzer"},
      {"study", "r1", "Harmonik & Modulation"}, {"", "r1", "Vortragsstücke"}, {"other", "r1", "Volksweisen"},
      {"today", "s1", "Tonleitermuster - Durtonleitern"}};
  for (const Case& c : cases) {
    gLibraryViewKey = c.view;
    EXPECT_EQ(RepertoireGroupLabel(Item(c.id)), c.heading) << "view '" << c.view << "', " << c.id;
  }
  {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = "en-US";
  }
  ResetTranslationFileForTesting();
}

TEST_F(BrowserTest, StatusTextsInTheirOrder) {
  gLibraryViewKey = "today";
  gCurrentLearningDay = "2024-05-10";
  gLearningCalendar["2024-05-10"] = CalendarDay{{"s1", "e1"}, {"s1", "e1"}, 1};
  MasteryRecord& r = gMasteryRecords["s1"];
  r.best_accuracy = r.best_timing = 1, r.best_bpm = 100, r.distinct_pass_days = 2;
  EXPECT_EQ(ItemStatusText(Item("s1")), "Mastered") << "mastered and done today";
  gMasteryRecords["e1"] = MasteryRecord{};
  gMasteryRecords["e1"].latest_expected = 10, gMasteryRecords["e1"].latest_passed = true;
  gMasteryRecords["e1"].last_attempt_date = "2024-05-10";
  EXPECT_EQ(ItemStatusText(Item("e1")), "Passed today");
  gMasteryRecords["e1"].latest_passed = false;
  EXPECT_EQ(ItemStatusText(Item("e1")), "Practiced today");
  EXPECT_EQ(ItemStatusText(Item("s3")), "Locked - finish previous section");
  gDayItemSet.insert("r1");
  EXPECT_EQ(ItemStatusText(Item("r1")), "Next in daily practice");
  EXPECT_EQ(ItemStatusText(Item("r2")), "Available");
  gCompletedItems.insert("r2");
  EXPECT_EQ(ItemStatusText(Item("r2")), "Complete");
  EXPECT_EQ(GroupProgressText(Item("r1")), "1/2");
  gViewingPlannedDay = "2024-05-12";
  EXPECT_EQ(ItemStatusText(Item("s1")), "Planned - locked until May 12, 2024");
}

TEST(PerformanceSummary, WorkedValues) {
  PerformanceSummary s;
  EXPECT_FALSE(SummarizePerformance(&s, nullptr)->has_notes);
  EXPECT_EQ(s.overall, 0.0f);
  MasteryRecord r;
  r.latest_landed = 10, r.latest_wrong_attempts = 2, r.latest_expected = 20, r.latest_missed = 3, r.latest_hold_breaks = 1;
  r.latest_timing = 1.3f;
  SummarizePerformance(&s, &r);
  EXPECT_FLOAT_EQ(s.precision, 10.0f / 12);
  EXPECT_FLOAT_EQ(s.completeness, 0.8f);
  EXPECT_FLOAT_EQ(s.timing, 1.0f);
  EXPECT_FLOAT_EQ(s.overall, (10.0f / 12 + 1.0f + 0.8f) / 3);
  // Dynamics and rhythm measured, a rhythm-like area with data only.
  MasteryRecord m;
  m.latest_landed = 5, m.latest_expected = 5, m.latest_timing = 0.8f;
  m.latest_dynamics_state = 1, m.latest_dynamics = 0.5f, m.latest_rhythm_state = 1, m.latest_rhythm = 0.9f;
  m.latest_pedal_state = 2, m.latest_pedal = 0.7f;
  SummarizePerformance(&s, &m);
  EXPECT_FLOAT_EQ(s.overall, 0.84f);
  EXPECT_TRUE(s.pedal_has_data && !s.pedal_measured);
  EXPECT_EQ(s.pedal, 0.0f);
  // Expected 0, 1 and 2: below 2 the misses count against 1.
  for (auto [expected, missed, completeness] : {std::tuple{0, 0, 1.0f}, {1, 1, 0.0f}, {2, 1, 0.5f}}) {
    MasteryRecord e;
    e.latest_expected = expected, e.latest_missed = missed, e.latest_timing = -1;
    SummarizePerformance(&s, &e);
    EXPECT_FLOAT_EQ(s.completeness, completeness) << expected;
    EXPECT_EQ(s.timing, 0.0f);
    EXPECT_EQ(s.precision, 0.0f);
    EXPECT_EQ(s.has_notes, expected > 0);
  }
}

TEST(LongDates, EnglishAndTranslationsThatReorderDeclineAndRepeatTheirPlaces) {
  EXPECT_EQ(FormatLongDate("2024-03-05"), "March 5, 2024");
  EXPECT_EQ(FormatLongDate("2024-3-5"), "2024-3-5");
  EXPECT_EQ(FormatLongDate("2024-02-30"), "March 1, 2024");
  EXPECT_EQ(FormatMonthHeading(2026, 12), "December 2026");
  EXPECT_EQ(FormatMonthHeading(2026, 13), "");
  TempDir dir;
  ScopedExeDir exe(dir.path());
  // A month inside a date in the genitive and lower case, the heading in the nominative; the year
  // before the month; a translated month holding a place's name is not filled in again.
  WriteFileBytes(dir.File("locales/ru-RU.json"),
                 "\"December {day}, {year}\": \"{day} декабря {year} г.\",\n\"December\": \"Декабрь\",\n"
                 "\"{month} {year}\": \"{month} {year}\"\n");
  WriteFileBytes(dir.File("locales/ja-JP.json"),
                 "\"March {day}, {year}\": \"{year}年3月{day}日\",\n\"March\": \"{year}3月\",\n"
                 "\"{month} {year}\": \"{year}年{month}\"\n");
  auto in = [](const char* tag) {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = tag;
  };
  ResetTranslationFileForTesting();
  in("ru-RU");
  EXPECT_EQ(FormatLongDate("2026-12-07"), "7 декабря 2026 г.");
  EXPECT_EQ(FormatMonthHeading(2026, 12), "Декабрь 2026");
  EXPECT_EQ(FormatLongDate("2026-03-07"), "March 7, 2026");   // no value: the English date
  in("ja-JP");
  EXPECT_EQ(FormatLongDate("2024-03-05"), "2024年3月5日");
  EXPECT_EQ(FormatMonthHeading(2024, 3), "2024年{year}3月");
  in("en-US");
  ResetTranslationFileForTesting();
  std::string text = "a{x}b{x}";
  ReplaceAllTokens(text, "{x}", "{x}{x}");
  EXPECT_EQ(text, "a{x}{x}b{x}{x}");
}
