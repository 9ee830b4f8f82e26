// The board frame's preview values and the key painter: the fade after a pick in a student's view
// with its hold by teaching level, the off-scale flash that fires once per key start, the keys the
// painter lights for the preview and for the lane, and the board's scale-run timers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "board/preview_keys.h"
#include "board/preview_state.h"
#include "midi/midi_output.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "midi/playlist.h"
#include "practice/achievement_tracking.h"
#include "practice/students.h"
#include "practice/teaching_state.h"
#include "tests/board/board_frame_fixture.h"
#include "tests/midi/smf_builder.h"
#include "tests/support/test_support.h"
#include "theory/chromatic_runs.h"

namespace {

using PreviewFadeTest = BoardFrameTest;

TEST_F(PreviewFadeTest, HoldByLevelIsContinuousFromThirtyToTwoSeconds) {
  EXPECT_NEAR(PreviewHoldSeconds(0.0f), 30.0f, 1e-4f);
  EXPECT_NEAR(PreviewHoldSeconds(0.5f), 16.875f, 1e-4f);
  EXPECT_NEAR(PreviewHoldSeconds(1.0f), 2.0f, 1e-4f);
  for (float joint : {0.25f, 0.65f, 0.9f})
    EXPECT_NEAR(PreviewHoldSeconds(joint - 1e-4f), PreviewHoldSeconds(joint), 0.01f) << joint;
  float previous = PreviewHoldSeconds(0.0f);
  for (int i = 1; i <= 100; ++i) {
    float h = PreviewHoldSeconds((float)i / 100.0f);
    EXPECT_LE(h, previous + 1e-4f) << i;
    previous = h;
  }
}

TEST_F(PreviewFadeTest, FadeInHoldAndFadeOut) {
  const struct {
    bool pick, student, practice;
    float level, elapsed, want;
  } cases[] = {
      {true, true, false, 0.5f, 0.0f, 0.0f},       // the pick starts invisible
      {true, true, false, 0.5f, 0.475f, 0.5f},     // half faded in
      {true, true, false, 0.5f, 16.8f, 1.0f},      // still held
      {true, true, false, 0.5f, 19.375f, 0.75f},   // half way through the fade-out: 1 - 0.5^2
      {true, true, false, 0.5f, 21.9f, 0.0f},      // gone
      {true, true, false, 0.0f, 1000.0f, 1.0f},    // at the lowest level it never fades out
      {true, true, false, 0.001f, 1000.0f, 1.0f},
      {true, true, false, 1.0f, 7.0f, 0.0f},       // 2 s hold and 5 s fade at the highest
      {true, true, true, 0.5f, 0.0f, 1.0f},        // practice mode always shows it
      {true, false, false, 0.5f, 0.0f, 1.0f},      // outside a student's view
      {false, true, false, 0.5f, 0.0f, 1.0f},      // without a pick
  };
  for (const auto& c : cases)
    EXPECT_NEAR(ComputePreviewFade(c.pick, c.student, c.practice, 100.0f + c.elapsed, 100.0f, c.level), c.want,
                1e-3f)
        << c.level << " after " << c.elapsed;
}

TEST_F(PreviewFadeTest, APickInAStudentsViewRestartsTheFadeEachTime) {
  gStudents.push_back(MakeStudent("Ada", "ada"));
  gActiveStudentIndex = 0;
  gStudentView = true;
  gTeachingLevel = 0.5f;
  SelectScale(kChurchModes[1], 2, true);
  EXPECT_NEAR(Frame().previewFade, 0.017f / 0.95f, 1e-3f);
  clock_.Advance(18000);
  float fading = Frame().previewFade;
  EXPECT_GT(fading, 0.0f);
  EXPECT_LT(fading, 1.0f);
  SelectScale(kChurchModes[1], 2, true);  // the same cell again
  EXPECT_LT(Frame().previewFade, 0.1f);
  gStudentView = false;
  EXPECT_FLOAT_EQ(Frame().previewFade, 1.0f);
}

// The playlist's Repeat, or its step to the next entry, loads a song that selects its key again:
// in a student's view the preview (and the keyboard under the lane) stays up instead of vanishing
// and fading back in, and the pick's hold goes on counting from the pick.
TEST_F(PreviewFadeTest, APlaylistsStepKeepsThePreviewUp) {
  using namespace smf;
  SetMidiOutputPort(nullptr);
  TempDir dir;
  std::vector<std::string> songs;
  for (int sharps : {0, 1}) {   // C major, then G major: one note, one second
    songs.push_back(dir.File(std::to_string(sharps) + ".mid"));
    WriteFileBytes(songs.back(), File(480, {KeySig(0, sharps, 0) + Tempo(0, 500000) + On(0, 67, 100) + Off(960, 67) +
                                            EndOfTrack()}));
  }
  gStudents.push_back(MakeStudent("Ada", "ada"));
  gActiveStudentIndex = 0;
  gStudentView = true;
  gTeachingLevel = 0.5f;   // a 16.875 s hold
  for (size_t entries : {1, 2}) {
    SCOPED_TRACE(std::to_string(entries) + " entries");
    gPlaylist.assign(songs.begin(), songs.begin() + (long)entries);
    gPlaylistRepeat = true;
    ASSERT_TRUE(PlayPlaylistEntry(0));
    const double pickedAt = GetAppSeconds();
    clock_.Advance(1500);
    ASSERT_FLOAT_EQ(Frame().previewFade, 1.0f);
    for (int step = 1; step <= 3; ++step) {
      const uint32_t startedAt = gPlayStartMs;
      for (int pass = 0; pass < 200 && gPlaying && gPlayStartMs == startedAt; ++pass) {
        clock_.Advance(17);
        PumpMidiPlayback(ClockMs32(), nullptr);
      }
      ASSERT_TRUE(gPlaying && gPlayStartMs != startedAt) << "no song followed at step " << step;
      EXPECT_EQ(gPlaylistIndex, entries == 1 ? 0 : step % 2) << step;
      EXPECT_EQ(gKeyRoot, entries == 1 || step % 2 == 0 ? 0 : 7) << step;
      EXPECT_FLOAT_EQ(Frame().previewFade, 1.0f) << "after step " << step;
    }
    clock_.Advance((uint64_t)((pickedAt + 18.0 - GetAppSeconds()) * 1000.0));
    const float fading = Frame().previewFade;
    EXPECT_GT(fading, 0.0f);
    EXPECT_LT(fading, 1.0f) << "the hold counts from the pick";
    UnloadMidi();
  }
  ResetPlaylist();
}

using PreviewFlashTest = BoardFrameTest;

TEST_F(PreviewFlashTest, AKeyOffTheScaleFlashesOncePerStart) {
  // C major: C and E belong, F# does not.
  Press(60, 100);
  Press(64, 100);
  Press(66, 100);
  BoardViewFrame f = Frame();
  EXPECT_TRUE(f.keyOffScale[66]);
  EXPECT_FALSE(f.keyOffScale[64]);
  EXPECT_FLOAT_EQ(f.keyFlash[66], 1.0f);
  EXPECT_FLOAT_EQ(f.pcFlash[6], 1.0f);
  EXPECT_FLOAT_EQ(f.keyFlash[64], 0.0f);
  EXPECT_TRUE(f.pcOffScale[6]);

  // Held, it fades over about 0.7 s and does not flash again.
  for (int i = 0; i < 20; ++i) f = Frame();
  EXPECT_NEAR(f.keyFlash[66], 1.0f - 20 * 1.4f * 0.017f, 1e-3f);
  for (int i = 0; i < 40; ++i) f = Frame();
  EXPECT_FLOAT_EQ(f.keyFlash[66], 0.0f);

  // Struck again, it flashes again.
  Release(66);
  f = Frame();
  EXPECT_FALSE(f.keySounding[66]);
  Press(66, 90);
  EXPECT_FLOAT_EQ(Frame().keyFlash[66], 1.0f);

  // An in-scale key never flashes; nor does any key while every note is allowed.
  gAllNotesAllowed = true;
  Press(61, 90);
  f = Frame();
  EXPECT_FALSE(f.keyOffScale[61]);
  EXPECT_FLOAT_EQ(f.keyFlash[61], 0.0f);
  gAllNotesAllowed = false;
}

TEST_F(PreviewFlashTest, SongKeysSoundAtLeastAtAFifthAndOutOfRangeNotesAreIgnored) {
  gKeySounding[64] = true;
  gKeyLevel[64] = 0.05f;
  Press(200, 127);  // a held-note record past the keyboard's 128 keys
  BoardViewFrame f = Frame();
  EXPECT_TRUE(f.keySounding[64]);
  EXPECT_TRUE(f.keyPressed[64]);
  EXPECT_FLOAT_EQ(f.keySoundLevel[64], 0.2f);
  EXPECT_FLOAT_EQ(f.pcLevel[4], 0.2f);
  EXPECT_TRUE(f.anySounding);
  // The pedal keeps a released key sounding but not pressed.
  Press(67, 127);
  for (HeldNote& h : gHeldNotes)
    if (h.note == 67) h.keyDown = 0;
  f = Frame();
  EXPECT_TRUE(f.keySounding[67]);
  EXPECT_FALSE(f.keyPressed[67]);
}

using KeyPainterTest = BoardFrameTest;

TEST_F(KeyPainterTest, PreviewLowerOctaveShowsWhatIsPlayedInAnyOctave) {
  BoardViewFrame idle = Frame();
  Press(64, 127);  // E4
  BoardViewFrame f = Frame();
  KeyColour lowerE = DrawPreviewKey(f, 52, 4, 0.66f, false);
  KeyColour idleE = DrawPreviewKey(idle, 52, 4, 0.66f, false);
  KeyColour upperE = DrawPreviewKey(f, 64, 4, 0.66f, false);
  KeyColour lowerD = DrawPreviewKey(f, 50, 2, 0.66f, false);
  EXPECT_GT(lowerE.a, 2.0f * idleE.a);
  EXPECT_GT(lowerE.r + lowerE.g + lowerE.b, idleE.r + idleE.g + idleE.b);
  // The upper octave and the other keys show scale membership only.
  EXPECT_FLOAT_EQ(upperE.a, DrawPreviewKey(idle, 64, 4, 0.66f, false).a);
  EXPECT_FLOAT_EQ(lowerD.a, DrawPreviewKey(idle, 50, 2, 0.66f, false).a);
}

TEST_F(KeyPainterTest, EachCaseOfTheLight) {
  Press(66, 127);  // F#: sounding off the C major scale
  BoardViewFrame f = Frame();
  for (bool lane : {false, true}) {
    int note = lane ? 66 : 54;
    KeyColour red = DrawPreviewKey(f, note, 6, 1.0f, lane);
    EXPECT_FLOAT_EQ(red.r, 1.0f) << lane;
    EXPECT_LT(red.g, 0.1f) << lane;
    EXPECT_GT(red.a, 0.5f) << lane;
    // Silent: in the scale a dim hint of the ring colour, out of it darker and fainter still.
    KeyColour inScale = DrawPreviewKey(f, lane ? 62 : 50, 2, 1.0f, lane);
    KeyColour outside = DrawPreviewKey(f, lane ? 63 : 51, 3, 1.0f, lane);
    EXPECT_GT(inScale.a, 2.0f * outside.a) << lane;
    EXPECT_GT(inScale.r + inScale.g + inScale.b, 2.0f * (outside.r + outside.g + outside.b)) << lane;
  }
  // While every note is allowed no key is dimmed as outside.
  gAllNotesAllowed = true;
  BoardViewFrame all = Frame();
  gAllNotesAllowed = false;
  KeyColour freed = DrawPreviewKey(all, 63, 3, 1.0f, true);
  EXPECT_GT(freed.a, 5.0f * DrawPreviewKey(f, 63, 3, 1.0f, true).a);
  EXPECT_GT(freed.a, DrawPreviewKey(all, 62, 2, 1.0f, true).a - 1e-6f);
  // A sounding in-scale key outshines a silent one, louder more so.
  Release(66);
  Press(60, 40);
  BoardViewFrame soft = Frame();
  Press(60, 127);
  BoardViewFrame loud = Frame();
  float silentC = DrawPreviewKey(f, 60, 0, 1.0f, true).a;
  EXPECT_GT(DrawPreviewKey(soft, 60, 0, 1.0f, true).a, 2.0f * silentC);
  EXPECT_GT(DrawPreviewKey(loud, 60, 0, 1.0f, true).a, DrawPreviewKey(soft, 60, 0, 1.0f, true).a);
}

TEST_F(KeyPainterTest, NotesOffTheKeyTablesAreSilent) {
  Press(60, 127);
  BoardViewFrame f = Frame();
  KeyColour silent = DrawPreviewKey(f, 72, 0, 1.06f, true);
  for (int note : {-1, 128, 255, 100000}) {
    KeyColour c = DrawPreviewKey(f, note, 0, 1.06f, true);
    EXPECT_FLOAT_EQ(c.a, silent.a) << note;
    EXPECT_FLOAT_EQ(c.r, silent.r) << note;
  }
}

TEST_F(KeyPainterTest, GlowsShimmerAndGoldOverTheKey) {
  BoardViewFrame f = Frame();
  KeyColour plain = DrawPreviewKey(f, 60, 0, 1.0f, true);
  f.noteGlow[60] = 2.4f;
  KeyColour shimmer = DrawPreviewKey(f, 60, 0, 1.0f, true);
  EXPECT_GT(shimmer.a, plain.a);
  EXPECT_LE(shimmer.a, 1.0f);
  f.noteGlow[60] = 0.0f;
  f.scaleRunGlow[0] = 1.05f;
  KeyColour gold = DrawPreviewKey(f, 60, 0, 1.0f, true);
  EXPECT_GT(gold.r, gold.b + 0.3f);
  EXPECT_GT(gold.g, gold.b + 0.2f);
  EXPECT_GE(gold.a, 0.92f - 1e-4f);
  // Everything the painter gives fades with the preview.
  f.previewFade = 0.0f;
  f.noteGlow[60] = 2.4f;
  f.cellGlow = 1.0f;
  EXPECT_FLOAT_EQ(DrawPreviewKey(f, 60, 0, 1.0f, true).a, 0.0f);
  EXPECT_FLOAT_EQ(PreviewKeyColour(f, 0, false, true).a, 0.0f);
}

TEST_F(KeyPainterTest, BaseColourForms) {
  BoardViewFrame f = Frame();
  // The preview's form: light white keys and near-black black keys.
  KeyColour white = PreviewKeyColour(f, 0, false, false), black = PreviewKeyColour(f, 1, true, false);
  EXPECT_GT(white.r, 0.7f);
  EXPECT_LT(black.r, 0.1f);
  // The lane's form takes the ring colours while every note is allowed: keys differ by pitch class.
  f.allNotesAllowed = true;
  KeyColour c = PreviewKeyColour(f, 0, false, true), g = PreviewKeyColour(f, 7, false, true);
  EXPECT_GT(std::fabs(c.r - g.r) + std::fabs(c.g - g.g) + std::fabs(c.b - g.b), 0.05f);
}

TEST_F(KeyPainterTest, WhiteKeyBlocksStayInsideNarrowKeys) {
  for (float width : {40.0f, 3.0f, 1.0f})
    for (int pc : {0, 2, 4, 5, 7, 9, 11}) {
      PreviewKeyboardBox box{10.0f, 20.0f, 301.0f, 95.0f, 1.0f, 1.0f, 2.8f, 1.0f};
      RectF lower, upper;
      PreviewKeyBodyBlocks(box, 100.0f, width, pc, &lower, &upper);
      EXPECT_GE(lower.w, 1.0f);
      EXPECT_GE(upper.w, 1.0f);
      EXPECT_GE(upper.x, lower.x - 1e-4f) << width << " " << pc;
      EXPECT_LE(upper.x + upper.w, lower.x + std::max(lower.w, 1.0f) + 1e-4f) << width << " " << pc;
      EXPECT_GT(upper.y + upper.h, lower.y) << "the blocks overlap";
    }
}

TEST_F(BoardFrameTest, LowerBoardTimersStopAtZero) {
  ResetAchievementTracking();
  gScaleRunGlow[0] = 1.05f;
  gScaleRunGlow[1] = 0.01f;
  gScaleRunGlow[2] = 0.0f;
  LowerBoardTimers(0.05f);
  EXPECT_NEAR(gScaleRunGlow[0], 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(gScaleRunGlow[1], 0.0f);
  EXPECT_FLOAT_EQ(gScaleRunGlow[2], 0.0f);
  for (int i = 0; i < 30; ++i) LowerBoardTimers(0.05f);
  EXPECT_FLOAT_EQ(gScaleRunGlow[0], 0.0f);
  ResetAchievementTracking();
}

}  // namespace
