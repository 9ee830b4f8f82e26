// The performance note and the radar's flash in the program's 1440 x 920 window on a private
// display: a generated library of two three-note cards, a student in a warm colour, the whole main
// loop on a driven clock (also across the 32-bit wrap), a scripted keyboard on the window
// procedure's MIDI road, and xdotool for the pointer. Pixels are read at positions computed from
// the card's own layout; screenshots are kept in the build folder.

#include "app/base/note_tables.h"
#include "learning/performance_summary.h"
#include "learning/radar_flash.h"
#include "learning_ui/mastery_figures.h"
#include "learning_ui/performance_note.h"
#include "midi/click.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "platform/messages.h"
#include "tests/app/learning_window_fixture.h"
#include "tests/midi/smf_builder.h"

namespace {

class PerformanceNoteWindow : public LearningWindowTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    LearningWindowTest::SetUp();
    if (HasFatalFailure()) return;
    // Near the wrap the first song ends 0.7 s before the 32-bit clock turns over.
    uint64_t tick = ClockTickMs64();
    ClockDriveBegin(GetParam() ? (((tick >> 32) + 1) << 32) - 2900 : tick);
    SetMidiOutputPort(nullptr);
    SetMidiInDriver(&kNoKeyboard);
    SetClickPlayer(&kSilentClicks);
    UnloadMidi();
    ResetNoteTables();
    ResetPlayAlong();
    ResetPerformanceNotes();
    ConnectFloors();   // after the model's reset: the shell's links win, the note's opener among them
    WriteLibrary({"a", "b"});
    gStudents.push_back(Student{"Kim", "kim", 0.95f, 0.3f, 0.2f});
    gActiveStudentIndex = 0;
    LoadLibraryIndex();
    gPracticeMode = true;
  }
  void TearDown() override {
    SetMidiInDriver(nullptr);
    SetClickPlayer(nullptr);
    UnloadMidi();
    ResetPlayAlong();
    ResetNoteTables();
    ResetPerformanceNotes();
    LearningWindowTest::TearDown();
  }
  // Notes at 1000, 1500 and 2000 ms for 200 ms (a tick is a ms); targets 120 bpm, timing 0.85.
  void WriteLibrary(const std::vector<std::string>& ids) {
    using namespace smf;
    std::string song = File(500, {On(1000, 60, 80) + Off(200, 60) + On(300, 62, 80) + Off(200, 62) + On(300, 64, 80) +
                                  Off(200, 64) + EndOfTrack()});
    std::string index = "header\n", plan;
    for (const std::string& id : ids) {
      WriteFileBytes(dir_.File("MIDI/Library/" + id + ".mid"), song);
      index += id + "\t1\tetude\tStudies\tCard " + id + "\t\t\t\t\t\t\t" + id + ".mid\t120\t120\t0.9\t0.85\t\t\t\t\n";
      plan += "1\tx\t" + id + "\tFirst\t2\n";
    }
    WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"), index);
    WriteFileBytes(dir_.File("MIDI/Library/lesson_plan.tsv"), plan);
  }
  static void Frame(uint32_t ms = 17) {
    ClockDriveAdvance(ms);
    RunFrameWork(ClockMs32());
  }
  static uint32_t Position() { return GetPlaybackPositionMs(ClockMs32()); }
  // Frames until the song stands at ms; then a key as the MIDI input posts it, stamped now.
  static void KeyAt(uint32_t ms, uint32_t status, int note) {
    while (Position() + 17 < ms) Frame();
    if (Position() < ms) Frame(ms - Position());
    PostAppMessage(kMsgMidiInData, status | (uint32_t)note << 8 | 80u << 16, (int64_t)ClockMs32());
  }
  // The loaded card's notes on time with a slip onto the next key before the last, until the
  // song's end records the attempt.
  void PerformSong(const std::string& id) {
    for (int i = 0; i < 3; ++i) {
      if (i == 2) KeyAt(1960, 0x90, 65), KeyAt(1970, 0x80, 65);
      KeyAt(1000 + 500 * i, 0x90, 60 + 2 * i);
      KeyAt(1200 + 500 * i, 0x80, 60 + 2 * i);
    }
    for (int i = 0; i < 200 && gMasteryRecords[id].attempts == 0; ++i) Frame();
    ASSERT_EQ(gMasteryRecords[id].attempts, 1) << "the song's end recorded no attempt";
  }
  static Rgb At(const std::vector<uint8_t>& frame, float x, float y) {
    const uint8_t* p = &frame[(size_t((int)y) * gClientWidth + size_t((int)x)) * 4];
    return {p[0], p[1], p[2]};
  }
  void SaveScreenshot(const std::string& name) { LearningWindowTest::SaveScreenshot(GetParam() ? name + "_at_wrap" : name); }
  // xdotool on the private display, then frames until the program saw the input (done says when).
  template <typename Done>
  void Xdo(const std::vector<std::string>& args, Done done) {
    output_ = LearningWindowTest::Xdo(args);
    ASSERT_FALSE(output_.empty()) << args[0];
    for (int i = 0; i < 300 && !done(); ++i) Frame();
    ASSERT_TRUE(done()) << "the program did not see: " << args[0];
  }
  void MoveTo(int x, int y) {
    if (window_.empty()) Xdo({"search", "--name", "^Tonvarra$"}, [] { return true; });
    if (window_.empty()) window_ = output_.substr(0, output_.find('\n'));
    Xdo({"mousemove", "--window", window_, std::to_string(x), std::to_string(y)},
        [&] { return gMouseX == x && gMouseY == y; });
  }

  std::string output_;
};

// A song ends into its card at the first cascade place: the verdict, the slip's highlighted box,
// the mastery bar, the grown radar in the student's colour and the hovered close box.
TEST_P(PerformanceNoteWindow, ASongEndsIntoItsCard) {
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("a"))) << gStatusText;
  PerformSong("a");
  ASSERT_EQ(gPerformanceNotes.size(), 1u);
  const PerformanceNoteCard card = gPerformanceNotes[0];
  EXPECT_EQ(std::make_pair(card.x, card.w), std::make_pair(450.0f, 540.0f));
  EXPECT_NEAR(card.y, 73.6, 0.01);
  const MasteryRecord& r = gMasteryRecords["a"];
  const NoteCardLayout l = LayoutNoteCard(card, *FindLibraryItem("a"), &r);
  float bx, by, bw, bh;
  NoteCloseBoxRect(card, &bx, &by, &bw, &bh);
  for (int i = 0; i < 40; ++i) Frame();   // past the radar's grow-in
  gMouseX = (int)(bx + bw / 2), gMouseY = (int)(by + bh / 2);
  Frame();
  std::vector<uint8_t> frame = ReadFrame();
  SaveScreenshot("performance_note_card");

  ASSERT_TRUE(r.latest_passed);
  int green = 0;   // PASS's fullest stroke
  for (float y = card.y + 98; y < card.y + 111; ++y)
    for (float x = l.verdictX; x < l.verdictX + 60; ++x) green = std::max(green, At(frame, x, y)[1] - At(frame, x, y)[0]);
  EXPECT_GT(green, 60) << "PASS is green";
  ASSERT_TRUE(l.boxes[2].highlighted) << "the wrong key is a slip: " << l.boxes[2].value;
  for (int i = 0; i < 4; ++i) {
    Rgb c = At(frame, l.boxX[i] + l.boxW[i] - 12, card.y + 165);   // above the label
    EXPECT_GT(l.boxes[i].highlighted ? c[0] - c[2] : c[2] - c[0] - 12, 4) << l.boxes[i].label;
  }
  const float barY = l.masteryBarY + 2, fillEnd = 478 + ComputeMasteryProgress(*FindLibraryItem("a")).overall * 484;
  EXPECT_GT(Sum(At(frame, card.x + 31, barY)), 380) << "bar fill";
  EXPECT_GT(Sum(At(frame, fillEnd - 4, barY)), 380) << "bar fill";
  if (fillEnd < 980) EXPECT_LT(Sum(At(frame, fillEnd + 5, barY)), 150) << "bar track";
  PerformanceSummary s;
  SummarizePerformance(&s, &r);
  Rgb fill = At(frame, l.radarCx + 3, l.radarCy - 0.85f * l.radarR * s.precision);   // by the accuracy vertex
  EXPECT_GT(fill[0] - fill[2], 40) << "radar fill";
  Rgb hot = At(frame, bx + 3, by + bh / 2);
  gMouseX = gMouseY = -10000;
  Frame();
  Rgb cold = At(ReadFrame(), bx + 3, by + bh / 2);
  EXPECT_GT(hot[0] - hot[2], 60) << "hovered close box";
  EXPECT_LT(cold[0] - cold[2], 25) << "close box";
}

// Between two cards of a set the window dims under the radar while the next song waits 2.6 s;
// then it goes on from where it stopped.
TEST_P(PerformanceNoteWindow, APracticeSetFlashesItsRadarWhileTheNextSongWaits) {
  gPracticeSetIds = {"a", "b"};
  gPracticeSetActive = true;
  gPracticeSetIndex = 0;
  gPracticeSetSkipDone = false;
  ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("a")));
  PerformSong("a");
  ASSERT_EQ(gPracticeItemId, "b");
  ASSERT_TRUE(gPaused && gRadarFlashEndMs != 0);
  EXPECT_TRUE(gPerformanceNotes.empty());
  const uint32_t deadline = gRadarFlashEndMs, stoppedAt = Position();
  while ((int32_t)(ClockMs32() - deadline) < -1800) Frame();   // at full strength
  std::vector<uint8_t> flash = ReadFrame();
  SaveScreenshot("skills_radar_flash");
  gRadarFlashEndMs = 0;   // the same frame without the flash
  RunFrameWork(ClockMs32());
  std::vector<uint8_t> plain = ReadFrame();
  gRadarFlashEndMs = deadline;
  int checked = 0;
  for (float x = 60; x < 1400; x += 37)   // the lane keyboard's keys, still under the particles' sky
    if (Sum(At(plain, x, 840)) > 90) {
      ++checked;
      EXPECT_NEAR(Sum(At(flash, x, 840)), 0.45f * Sum(At(plain, x, 840)) + 14, 12) << x;
    }
  EXPECT_GT(checked, 10) << "bright keys to see the dimming on";
  PerformanceSummary s;
  SummarizePerformance(&s, &gMasteryRecords["a"]);
  Rgb fill = At(flash, 723, 460 - 0.85f * 147.2f * s.precision);
  EXPECT_GT(fill[0] - fill[2], 40) << "flash radar fill";

  uint32_t lastPaused = ClockMs32();
  for (; gPaused && (int32_t)(ClockMs32() - deadline) < 200; Frame()) lastPaused = ClockMs32();
  EXPECT_TRUE(!gPaused && gRadarFlashEndMs == 0);
  EXPECT_LT((int32_t)(lastPaused - deadline), 0);
  EXPECT_LE(Position() - stoppedAt, 17u) << "from where it stopped";
  Frame(100);
  EXPECT_NEAR((double)Position(), stoppedAt + 100.0, 17.0) << "and runs on";
}

// Under real pointer input a masthead drag stops with 90 px on screen, a press below the masthead
// raises a card undragged, the close box closes; a card whose item left the library is not drawn.
TEST_P(PerformanceNoteWindow, CardsUnderRealInput) {
  if (GetParam()) GTEST_SKIP() << "the pointer does not depend on the clock";
  for (const char* id : {"a", "b"}) OpenPerformanceNote(id);
  const PerformanceNoteCard a = gPerformanceNotes[0], b = gPerformanceNotes[1];
  EXPECT_FLOAT_EQ(b.x - a.x, 26.0f);
  EXPECT_NEAR(b.y - a.y, 14.3f, 0.001f);
  MoveTo((int)b.x + 12, (int)b.y + 20);
  Xdo({"mousedown", "1"}, [] { return IsPerformanceNoteDragging(); });
  MoveTo(1430, 910);
  EXPECT_EQ(std::make_pair(gPerformanceNotes[1].x, gPerformanceNotes[1].y), std::make_pair(1350.0f, 872.0f));
  MoveTo(700, 300);
  Xdo({"mouseup", "1"}, [] { return !IsPerformanceNoteDragging(); });
  const PerformanceNoteCard moved = gPerformanceNotes[1];
  EXPECT_EQ(moved.x, 688.0f);
  SaveScreenshot("performance_note_dragged");

  MoveTo((int)a.x + 20, (int)a.y + 300);   // a's body, where b no longer lies
  Xdo({"click", "1"}, [] { return gPerformanceNotes.back().itemId == "a"; });
  EXPECT_FALSE(IsPerformanceNoteDragging());
  float bx, by, bw, bh;
  NoteCloseBoxRect(gPerformanceNotes.back(), &bx, &by, &bw, &bh);
  MoveTo((int)(bx + bw / 2), (int)(by + bh / 2));
  Xdo({"click", "1"}, [] { return gPerformanceNotes.size() == 1; });
  EXPECT_EQ(gPerformanceNotes[0].itemId, "b");

  WriteLibrary({"a"});
  LoadLibraryIndex();
  RunFrameWork(ClockMs32());
  std::vector<uint8_t> without = ReadFrame();
  ResetPerformanceNotes();
  RunFrameWork(ClockMs32());
  std::vector<uint8_t> none = ReadFrame();
  for (float y = moved.y + 10; y < 900; y += 53)
    EXPECT_LE(std::abs(Sum(At(without, moved.x + 40, y)) - Sum(At(none, moved.x + 40, y))), 6) << y;
}

// A card opened in a window as large as a 4K screen is still wholly in sight after the window
// shrinks to its smallest size: its close box lights under the real pointer and closes it.
TEST_P(PerformanceNoteWindow, ACardStaysInSightWhenTheWindowShrinks) {
  if (GetParam()) GTEST_SKIP() << "the window's size does not depend on the clock";
  ApplyClientSize(3840, 2160, true);
  OpenPerformanceNote("a");
  ApplyClientSize(1440, 920, true);   // what the window really is, to shrink from
  WindowSetClientSize(1120, 720);
  ASSERT_TRUE(WaitForClientSize(1120, 720)) << gClientWidth << " x " << gClientHeight;
  for (int i = 0; i < 40; ++i) Frame();   // past the radar's grow-in
  const PerformanceNoteCard card = gPerformanceNotes[0];
  EXPECT_TRUE(card.x >= 0 && card.x + card.w <= 1120 && card.y >= 0 && card.y + card.h <= 720)
      << card.x << ", " << card.y << ", " << card.w << " x " << card.h;
  float bx, by, bw, bh;
  NoteCloseBoxRect(card, &bx, &by, &bw, &bh);
  MoveTo((int)(bx + bw / 2), (int)(by + bh / 2));
  Frame();
  const Rgb hot = At(ReadFrame(), bx + 3, by + bh / 2);
  SaveScreenshot("performance_note_after_shrink");
  EXPECT_GT(hot[0] - hot[2], 60) << "hovered close box";
  Xdo({"click", "1"}, [] { return gPerformanceNotes.empty(); });
}

INSTANTIATE_TEST_SUITE_P(Clock, PerformanceNoteWindow, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "NearTheWrap" : "Plain"); });

}  // namespace
