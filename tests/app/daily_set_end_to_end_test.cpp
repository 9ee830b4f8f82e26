// A daily lesson of three short cards played from a scripted keyboard: each song loads from the
// library, is judged as it is played, ends into a recorded attempt and opens the next card, which
// waits for the radar flash; the set ends by reopening the day.
#include "learning/practice_set.h"
#include "learning/radar_flash.h"
#include "tests/app/play_along_harness.h"
#include "tests/learning/learning_fixture.h"
#include "tests/midi/smf_builder.h"

class DailySetEndToEnd : public PlayAlongTest {
 protected:
  void SetUp() override {
    PlayAlongTest::SetUp();
    ResetLearningModelForTest();
    ClockDriveSetLocal({2024, 5, 10, 9, 0, 0, 0, 5}, 0);
    using namespace smf;
    // 500 ticks a quarter at 120 BPM: a tick is a ms. Notes at 1000, 1500 and 2000 ms.
    std::string song = File(500, {On(1000, 60, 80) + Off(200, 60) + On(300, 62, 80) + Off(200, 62) + On(300, 64, 80) +
                                  Off(200, 64) + EndOfTrack()});
    std::string index = "header\n";
    for (const char* id : {"a", "b", "c"}) {
      WriteFileBytes(dir_.File(std::string("MIDI/Library/") + id + ".mid"), song);
      index += std::string(id) + "\t1\tetude\tStudies\tCard " + id + "\t\t\t\t\t\t\t" + id + ".mid\t120\t120\t0.9\t0.85\t\t\t\t\n";
    }
    WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"), index);
    WriteFileBytes(dir_.File("MIDI/Library/lesson_plan.tsv"), "1\tx\ta\tFirst\t3\n1\tx\tb\tFirst\t3\n1\tx\tc\tFirst\t3\n");
    LoadLibraryIndex();
  }
  void TearDown() override {
    PlayAlongTest::TearDown();
    ResetLearningModelForTest();
  }
  // Frames of the main loop's song steps with the radar flash's timing after them.
  void Play(uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 10) {
      Run(10);
      RadarFlashFrame frame;
      StepRadarFlash(Now(), &frame);
    }
  }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};

TEST_F(DailySetEndToEnd, ThreeCardsRecordThreeAttemptsAndCloseTheDay) {
  const std::string today = "2024-05-10";
  ASSERT_EQ(gDayItemIds, (std::vector<std::string>{"a", "b", "c"}));
  gPracticeSetIds = gDayItemIds;   // the daily lesson's START
  gPracticeSetActive = true;
  gPracticeSetIndex = 0;
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("a"))) << gStatusText;
  for (const char* id : {"a", "b", "c"}) {
    ASSERT_EQ(gPracticeItemId, id);
    if (std::string(id) != "a") {
      EXPECT_TRUE(gPaused) << "the card waits for the radar of the one before";
      uint32_t waitEnds = gRadarFlashEndMs;
      while (gPaused && (int32_t)(Now() - waitEnds) < 100) Play(10);
      EXPECT_FALSE(gPaused);
      EXPECT_LE((int32_t)(Now() - waitEnds), 10);
      EXPECT_LE(Position(), 10u) << "and starts from its beginning";
    }
    Play(1000);
    for (int note : {60, 62, 64}) {
      Press(note, 80);
      Release(note);
      Play(500);
    }
    Play(300);   // the song ends: the attempt is recorded and the next card opens
    EXPECT_EQ(gMasteryRecords[id].attempts, 1) << id;
    EXPECT_TRUE(gMasteryRecords[id].latest_passed) << id;
    EXPECT_EQ(gLearningCalendar[today].complete.count(id), 1u) << id;
  }
  EXPECT_FALSE(gPracticeSetActive);
  EXPECT_EQ(gStatusText, "Daily lesson complete - choose NEXT LESSON when ready");
  EXPECT_TRUE(gLibraryOpen);
  EXPECT_EQ(gLibraryViewKey, "today");
  EXPECT_NE(ReadFileBytes(dir_.File("Data/learning_calendar_default.dat")).find("COMPLETE\tc\n"), std::string::npos);
}
