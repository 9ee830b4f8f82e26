// Opening library items for practice and practice sets: keys and scales, views, scores, the set's
// order and end, and the radar flash that holds the next card's song.
#include <filesystem>

#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "learning/practice_set.h"
#include "learning/radar_flash.h"
#include "midi/midi_output.h"
#include "midi/play_along.h"
#include "platform/messages.h"
#include "tests/learning/learning_fixture.h"
#include "tests/midi/output_device_fixture.h"
#include "tests/midi/smf_builder.h"
#include "theory/scale_selection.h"

class PracticeSetTest : public LearningTest {
 protected:
  void SetUp() override {
    // A sound output that opens, as the built-in synthesiser does on a machine with sound.
    gPorts.clear();
    gSynthOpens = true;
    gNoSoundOutputSaid = false;
    SetMidiOutDriver(&kOutDriver);
    SetMidiOutputPort(DeviceMidiOutputPort());
    SetLocalTime("2024-05-10", 9, 0, 0);
    gPracticeMode = gSongView = gWaitMode = gLearningOverlay = false;
    ResetScaleSelection();
  }
  void TearDown() override {
    UnloadMidi();
    CloseMidiOutput();
    SetMidiOutputPort(nullptr);
    SetMidiOutDriver(nullptr);
    gPracticeMode = gSongView = gWaitMode = gPlayAlongRun = false;
    AppMessage m;
    while (TakeAppMessage(&m)) {}
    ResetScaleSelection();
  }
  // A library whose items all play the same short song (key signature of the given sharps).
  void Library(const std::vector<std::string>& rows, int sharps = 0) {
    using namespace smf;
    std::string song = File(480, {KeySig(0, sharps, 0) + On(0, 60, 90) + Off(480, 60) + EndOfTrack()});
    std::string index = "header\n";
    for (const std::string& row : rows) {
      index += row + "\n";
      std::string file = SplitTabs(row)[11];
      if (file != "missing.mid") WriteFileBytes(Lib(file), song);
    }
    WriteFileBytes(Lib("library_index.tsv"), index);
    WriteFileBytes(Lib("lesson_plan.tsv"), "");
    ResetLessonPlan();
    LoadLibraryIndex();
  }
  // An index row of 20 columns.
  static std::string Row(const std::string& id, const std::string& category, const std::string& type,
                         const std::string& name, const std::string& key = "", const std::string& file = "") {
    return id + "\t1\t" + category + "\t" + type + "\t" + name + "\t\t" + key + "\t\t\t\t\t" +
           (file.empty() ? id + ".mid" : file) + "\t100\t100\t0.9\t0.85\t\t\t\t";
  }
  ScopedDrivenClock clock_;
};

TEST_F(PracticeSetTest, KeysAndScalesComeFromTheItemsText) {
  Library({Row("e", "etude", "Studies", "Etude in F# minor"), Row("d", "scales", "Modes", "D Dorian - two octaves"),
           Row("m", "etude", "Studies", "Mixolydian tune in G"), Row("h", "etude", "Studies", "A harmonic minor study", "A"),
           Row("n", "etude", "Studies", "Nothing here")});
  struct Case { const char* id; int root; const char* scale; } cases[] = {
      {"e", 6, "Aeolian"}, {"d", 2, "Dorian"}, {"m", 7, "Mixolydian"}, {"h", 9, "Harmonic Minor"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem(c.id))) << gStatusText;
    EXPECT_EQ(gKeyRoot, c.root) << c.id;
    EXPECT_STREQ(gCurrentScale->name, c.scale) << c.id;
  }
  // No key anywhere: the song's key decides; without one the selection stays.
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("n")));
  EXPECT_EQ(gKeyRoot, 0) << "the song's key signature names C";
  SelectScale(FindScaleRowByName("Lydian"), 3, true);
  gSongKey = -1;
  OpenLibraryItem(*FindLibraryItem("n"));
  EXPECT_EQ(gKeyRoot, 9);
  EXPECT_STREQ(gCurrentScale->name, "Lydian");
}

TEST_F(PracticeSetTest, OpeningSetsTheRunTheViewsAndTheScore) {
  Library({Row("p", "etude", "Studies", "Piece"), Row("s", "sight", "Treble", "Reading 1"), Row("t", "sight", "Treble", "Reading 2")});
  WriteFileBytes(Lib("s.mid.sightscore.tsv"), "META\t480\t3\t4\t0\t0\t80\nNOTE\t0\t480\t0\t60\n");
  FindLibraryItem("p")->subtitle = "by us";
  gLibraryOpen = true;
  gLearningOverlay = true;
  // Note-fall mode's memory of the views it was entered from, as the shell connects it.
  static bool rememberedOverlay = false;
  gRememberNoteFallViewsHook = [] { rememberedOverlay = gLearningOverlay; };
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("p")));
  gRememberNoteFallViewsHook = nullptr;
  EXPECT_TRUE(rememberedOverlay) << "leaving note-fall mode gives back the learning overlay";
  EXPECT_EQ(gSongTitle, "Piece - by us");
  EXPECT_EQ(gPracticeItemId, "p");
  EXPECT_EQ(gPracticeStudentKey, "default");
  EXPECT_TRUE(gPracticeItemDay.empty()) << "not assigned on the day";
  EXPECT_FALSE(gLibraryOpen);
  EXPECT_TRUE(gPracticeMode && gSongView && gWaitMode && !gLearningOverlay);
  EXPECT_TRUE(gLearningItemLoaded && gPlayAlongRun);
  EXPECT_EQ(gStatusText, "Practice loaded - play the falling notes");
  // The views switch only when practice mode and the song view were both off.
  gPracticeMode = false;
  gSongView = true;
  gWaitMode = false;
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("s")));
  EXPECT_FALSE(gPracticeMode || gWaitMode);
  EXPECT_TRUE(gSightReadingMode && gSightScore.active);
  EXPECT_EQ(gSightScore.beats_per_bar, 3);
  EXPECT_EQ(gStatusText, "Sight-reading loaded - read the staff");
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("t")));
  EXPECT_FALSE(gSightScore.active) << "no score: the defaults";
  EXPECT_EQ(gSightScore.beats_per_bar, 4);
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("p")));
  EXPECT_FALSE(gSightReadingMode);
  // Opened into note-fall mode, a reading piece hides its bars as the NOTE FALL button's entry
  // would; a piece without a score and the next ordinary one show them again.
  gPracticeMode = gSongView = false;
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("s")));
  EXPECT_TRUE(gPracticeMode && gSightReadingView);
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("t")));
  EXPECT_FALSE(gSightReadingView) << "a score without notes has nothing to read";
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("s")));
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("p")));
  EXPECT_FALSE(gSightReadingView);
  // An absolute file with Windows separators.
  LibraryItem absolute = *FindLibraryItem("p");
  absolute.file = Lib("p.mid");
  std::replace(absolute.file.begin(), absolute.file.end(), '/', '\\');
  absolute.file[0] = '/';
  EXPECT_EQ(LibraryItemMidiPath(absolute), Lib("p.mid"));
  // Without any sound output the load says so, and the practice line does not cover it.
  UnloadMidi();
  CloseMidiOutput();
  gSynthOpens = false;
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("p")));
  EXPECT_FALSE(IsMidiOutputOpen());
  EXPECT_EQ(gStatusText, "Playing visualization only (synth unavailable)");
}

TEST_F(PracticeSetTest, SelectedCardsPlayInLibraryOrderAndEndTheSet) {
  Library({Row("a", "etude", "S", "A"), Row("first", "scales", "First", "Open"), Row("x", "scales", "Second", "Locked"),
           Row("bad", "etude", "S", "Bad", "", "missing.mid"), Row("b", "etude", "S", "B")});
  gSelectedCards = {"b", "x", "bad", "a"};
  ASSERT_TRUE(StartSelectedPractice());
  EXPECT_EQ(gPracticeSetIds, (std::vector<std::string>{"a", "bad", "b"})) << "library order, the locked card left out";
  EXPECT_EQ(gStatusText, "Selected practice 1/3 - A");
  EXPECT_TRUE(gSelectedCards.empty());
  EXPECT_FALSE(gPracticeSetSkipDone);
  // Its own loads keep the set; the missing file is skipped; no attempt, so no radar.
  EXPECT_TRUE(AdvancePracticeSet());
  EXPECT_EQ(gPracticeItemId, "b");
  EXPECT_EQ(gStatusText, "Selected practice 3/3 - B (Bad could not load)");
  EXPECT_EQ(gRadarFlashEndMs, 0u);
  gLibraryViewKey = "etude";
  gLibraryScroll = 50;
  EXPECT_FALSE(AdvancePracticeSet());
  EXPECT_EQ(gStatusText, "Practice set complete");
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_EQ(gLibraryViewKey, "etude");
  EXPECT_EQ(gLibraryScroll, 50) << "a set of selected cards keeps the view";
  EXPECT_FALSE(gPracticeSetActive);

  gSelectedCards = {"x"};
  EXPECT_FALSE(StartSelectedPractice());
  EXPECT_EQ(gStatusText, "Select available practice cards first");
  gSelectedCards = {"bad"};
  EXPECT_FALSE(StartSelectedPractice());
  EXPECT_EQ(gStatusText, "Selected practice could not load");
  // A song loaded outside the set ends it.
  gSelectedCards = {"a", "b"};
  ASSERT_TRUE(StartSelectedPractice());
  ASSERT_TRUE(LoadAndPlayMidi(Lib("a.mid")));
  EXPECT_FALSE(gPracticeSetActive);
}

TEST_F(PracticeSetTest, DailySetSkipsDoneCardsAndOpensItsDay) {
  Library({Row("a", "etude", "S", "A"), Row("b", "etude", "S", "B"), Row("c", "etude", "S", "C")});
  const std::string today = "2024-05-10";
  gLearningCalendar[today] = CalendarDay{{"a", "b", "c", "d"}, {"b", "d"}, 1};
  gCompletedItems.insert("c");   // mastered long ago, but a block of the day not yet played
  OpenCalendarDay(today);
  gLibraryViewKey = "today";
  ASSERT_TRUE(StartDailyPracticeSet({"a", "b", "c", "d"}));
  EXPECT_EQ(gPracticeItemId, "a");
  EXPECT_EQ(gPracticeItemDay, today);
  // The library is browsed in another view while a block plays: the set still goes by its day.
  gLibraryViewKey = "grid_keys";
  ASSERT_TRUE(AdvancePracticeSet());
  EXPECT_EQ(gPracticeItemId, "c") << "b is done today; c is not, however complete it is";
  gLibraryViewKey = "today";
  gLibraryScroll = 80;
  EXPECT_FALSE(AdvancePracticeSet()) << "d is done today";
  EXPECT_EQ(gStatusText, "Daily lesson complete - choose NEXT LESSON when ready");
  EXPECT_EQ(gLibraryViewKey, "today");
  EXPECT_EQ(gLibraryScroll, 0);
  EXPECT_EQ(gCurrentLearningDay, today);
  EXPECT_TRUE(gLibraryOpen);
}

// The cards passed over because their songs do not load are named where the set jumps them: at its
// start, on its way and at its end, in a set of selected cards and in the daily lesson; each step
// names only the cards it passed.
TEST_F(PracticeSetTest, CardsThatDoNotLoadAreNamedWhereTheSetPassesThem) {
  Library({Row("g1", "etude", "S", "Gone 1", "", "missing.mid"), Row("g2", "etude", "S", "Gone 2", "", "missing.mid"),
           Row("a", "etude", "S", "A"), Row("g3", "etude", "S", "Gone 3", "", "missing.mid"), Row("b", "etude", "S", "B"),
           Row("g4", "etude", "S", "Gone 4", "", "missing.mid")});
  gSelectedCards = {"g1", "g2", "a", "g3", "b", "g4"};
  ASSERT_TRUE(StartSelectedPractice());
  EXPECT_EQ(gStatusText, "Selected practice 3/6 - A (Gone 1, Gone 2 could not load)");
  ASSERT_TRUE(AdvancePracticeSet());
  EXPECT_EQ(gStatusText, "Selected practice 5/6 - B (Gone 3 could not load)");
  EXPECT_FALSE(AdvancePracticeSet());
  EXPECT_EQ(gStatusText, "Practice set complete (Gone 4 could not load)");

  ASSERT_TRUE(StartDailyPracticeSet({"g1", "a", "b", "g4"}));
  EXPECT_EQ(gPracticeItemId, "a");
  EXPECT_EQ(gStatusText, "Practice loaded - play the falling notes (Gone 1 could not load)");
  ASSERT_TRUE(AdvancePracticeSet());
  EXPECT_EQ(gStatusText, "Selected practice 3/4 - B");
  EXPECT_FALSE(AdvancePracticeSet());
  EXPECT_EQ(gStatusText, "Daily lesson complete - choose NEXT LESSON when ready (Gone 4 could not load)");
}

// A block whose song is gone can never be played: once the set has found that, the day counts
// without it and can be finished, and a finished day keeps it no more, so the file put back does
// not reopen the day. A day not finished, or one missed before, keeps its list; the piece counts
// again when the library is read again.
TEST_F(PracticeSetTest, ADayIsFinishedWithoutABlockWhoseSongIsGone) {
  Library({Row("a", "etude", "S", "A"), Row("b", "etude", "S", "B"), Row("gone", "etude", "S", "Gone", "", "missing.mid")});
  const std::string today = "2024-05-10", missed = "2024-05-09";
  gLearningCalendar[missed] = CalendarDay{{"b", "gone"}, {"b"}, 1};
  gLearningCalendar[today] = CalendarDay{{"a", "gone", "b"}, {"a"}, 2};
  OpenCalendarDay(today);
  EXPECT_FALSE(StartDailyPracticeSet({"gone"}));
  EXPECT_FALSE(AreItemsDone(gLearningCalendar[today]));
  EXPECT_EQ(gLearningCalendar[today].assigned.size(), 3u) << "a day still open keeps its list";

  ASSERT_TRUE(StartDailyPracticeSet({"b"}));
  Attempt("b", Run(10, 10));
  EXPECT_TRUE(AreItemsDone(gLearningCalendar[today]));
  EXPECT_EQ(gLearningCalendar[today].assigned, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(gLearningCalendar[missed].assigned.size(), 2u) << "a day missed before is left as it was";
  const std::string saved = ReadFileBytes(CalendarFilePath());
  EXPECT_EQ(saved.find("ASSIGNED\tgone"), saved.rfind("ASSIGNED\tgone")) << "only the missed day's: " << saved;

  WriteFileBytes(Lib("missing.mid"), ReadFileBytes(Lib("a.mid")));   // the file put back
  ResetLearningRecords();   // a new run
  LoadLibraryIndex();
  LoadLearningFiles();
  EXPECT_TRUE(AreItemsDone(gLearningCalendar[today]));
  EXPECT_FALSE(AreItemsDone(gLearningCalendar[missed])) << "the piece counts again where it was left";
}

// A block played that day keeps its place in the day's list when its song is found gone later:
// the day was finished with it, and its count must not shrink.
TEST_F(PracticeSetTest, ABlockPlayedBeforeItsSongWentStaysInTheFinishedDay) {
  Library({Row("a", "etude", "S", "A"), Row("gone", "etude", "S", "Gone", "", "missing.mid")});
  const std::string today = "2024-05-10";
  gLearningCalendar[today] = CalendarDay{{"a", "gone"}, {"a", "gone"}, 2};
  SaveCalendar();
  OpenCalendarDay(today);
  const LibraryItem gone = *FindLibraryItem("gone");
  EXPECT_FALSE(LoadLibraryItem(gone));   // played again from the library, its file gone meanwhile
  EXPECT_EQ(gLearningCalendar[today].assigned, (std::vector<std::string>{"a", "gone"}));
  ResetLearningRecords();
  LoadLibraryIndex();
  LoadLearningFiles();
  EXPECT_EQ(CountDoneItems(gLearningCalendar[today]), 2) << "nor after a restart";
}

// The last open block of the day gone: the set cannot start, and the open day is shown again
// without it (its list and counts, and the status, say the day is done and name the piece).
TEST_F(PracticeSetTest, ALastBlockThatCannotLoadLeavesTheOpenDayDone) {
  Library({Row("a", "etude", "S", "A"), Row("gone", "etude", "S", "Gone", "", "missing.mid")});
  const std::string today = "2024-05-10";
  gLearningCalendar[today] = CalendarDay{{"a", "gone"}, {"a"}, 1};
  SaveCalendar();
  OpenCalendarDay(today);
  ASSERT_EQ(gDayItemIds.size(), 2u);
  EXPECT_EQ(CountAssignedItems(gLearningCalendar[today]), 2);
  EXPECT_FALSE(IsCurrentDayComplete());
  EXPECT_FALSE(StartDailyPracticeSet({"gone"}));
  EXPECT_TRUE(IsCurrentDayComplete());
  EXPECT_EQ(gDayItemIds, std::vector<std::string>{"a"});
  EXPECT_EQ(CountAssignedItems(gLearningCalendar[today]), 1) << "a card's share of the day counts it no more";
  EXPECT_EQ(ReadFileBytes(CalendarFilePath()).find("ASSIGNED\tgone"), std::string::npos) << "nor after a restart";
  EXPECT_EQ(gStatusText, "Daily lesson complete - choose NEXT LESSON when ready (Gone could not load)");
}

// With the learning files unwritable, a card's end says that its progress was not saved, and
// neither the verdict nor the next card's title nor the set's end covers that; once the files
// can be written again both are said as before.
TEST_F(PracticeSetTest, AFailedSaveAtACardsEndStaysOnTheStatusLine) {
  Library({Row("a", "etude", "S", "A"), Row("b", "etude", "S", "B")});
  WriteData("learning_mastery_default.dat/inside", "a folder where the file goes: its saves fail");
  gSelectedCards = {"a", "b"};
  ASSERT_TRUE(StartSelectedPractice());
  ASSERT_EQ(gStatusText, "Selected practice 1/2 - A");
  Attempt("a", Run(10, 10));
  EXPECT_EQ(gStatusText, kSaveFailureMessage);
  ASSERT_TRUE(AdvancePracticeSet());
  EXPECT_EQ(gPracticeItemId, "b");
  EXPECT_EQ(gStatusText, kSaveFailureMessage);
  Attempt("b", Run(10, 10));
  EXPECT_FALSE(AdvancePracticeSet());
  EXPECT_EQ(gStatusText, kSaveFailureMessage);

  std::filesystem::remove_all(Data("learning_mastery_default.dat"));
  gSelectedCards = {"a", "b"};
  ASSERT_TRUE(StartSelectedPractice());
  Attempt("a", Run(10, 10));
  EXPECT_EQ(gStatusText, "Daily pass - repeat on another day for mastery");
  ASSERT_TRUE(AdvancePracticeSet());
  EXPECT_EQ(gStatusText, "Selected practice 2/2 - B");
}

// The next card's song waits 2600 ms for the radar and goes on where it stopped, also where the
// 32-bit clock wraps.
TEST_F(PracticeSetTest, NextCardWaitsForTheRadarFlash) {
  Library({Row("a", "etude", "S", "A"), Row("b", "etude", "S", "B")});
  for (uint64_t start : {0x500000000ull, 0x5FFFFF000ull}) {
    ClockDriveSet(start);
    gSelectedCards = {"a", "b"};
    ASSERT_TRUE(StartSelectedPractice());
    Attempt("a", Run(10, 10));
    ClockDriveAdvance(300);
    ASSERT_TRUE(AdvancePracticeSet());
    EXPECT_EQ(gRadarItemId, "a");
    EXPECT_TRUE(gPaused);
    uint32_t pausedAt = GetPlaybackPositionMs(ClockMs32());
    RadarFlashFrame frame;
    for (int ms = 0; ms < 2600; ms += 100) {
      EXPECT_TRUE(StepRadarFlash(ClockMs32(), &frame)) << ms;
      EXPECT_TRUE(gPaused);
      ClockDriveAdvance(100);
    }
    EXPECT_FALSE(StepRadarFlash(ClockMs32(), &frame));
    EXPECT_FALSE(gPaused);
    EXPECT_EQ(gRadarFlashEndMs, 0u);
    EXPECT_EQ(GetPlaybackPositionMs(ClockMs32()), pausedAt) << "resumes where it stopped";
    EXPECT_FALSE(AdvancePracticeSet());
  }
  // An item that leaves the library ends the flash at once, keeping its id.
  StartRadarFlash("gone", ClockMs32(), 2600);
  RadarFlashFrame frame;
  EXPECT_FALSE(StepRadarFlash(ClockMs32(), &frame));
  EXPECT_EQ(gRadarItemId, "gone");
}
