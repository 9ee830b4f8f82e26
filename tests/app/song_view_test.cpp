// The song-view keep-alive, the re-application of the selection while a song is shown, and the
// deferred key pick of the circle.
#include "app/base/view_modes.h"
#include "app/song_view.h"
#include "midi/playback.h"
#include "tests/theory/theory_fixture.h"
#include "theory/circle_theory.h"

namespace {
void LoadSong() { gSongEvents = {{0, 0x90, 60, 100, 0}, {500, 0x80, 60, 0, 0}}; }
}  // namespace

class SongView : public TheoryTest {
 protected:
  void SetUp() override { ResetAll(); }
  void TearDown() override { ResetAll(); }
  // The theory globals, the keep-alive and the loaded song back at their start.
  static void ResetAll() {
    TheoryTest::ResetAll();
    ResetSongViewKeepAlive();
    gSongEvents.clear();
  }
};

TEST_F(SongView, KeepAliveStates) {
  struct Case {
    const char* what;
    bool loaded, songView, practice, cancelled, ringMode, armedBefore, keepsPracticeBefore;
    bool songViewAfter, waitAfter, practiceAfter, armedAfter;
  } cases[] = {
      {"song view arms itself, brings wait mode", 1, 1, 0, 0, 0, 0, 0, /**/ 1, 1, 0, 1},
      {"practice mode is what is kept", 1, 0, 1, 0, 0, 0, 0, /**/ 0, 0, 1, 1},
      {"cancelled by the user: not re-armed", 1, 1, 0, 1, 0, 0, 0, /**/ 1, 0, 0, 0},
      {"no song: nothing arms", 0, 1, 0, 0, 0, 0, 0, /**/ 1, 0, 0, 0},
      {"armed without a song disarms", 0, 0, 0, 0, 0, 1, 0, /**/ 0, 0, 0, 0},
      {"armed song view is switched back on", 1, 0, 0, 0, 0, 1, 0, /**/ 1, 1, 0, 1},
      {"armed practice is switched back on", 1, 0, 0, 0, 0, 1, 1, /**/ 0, 0, 1, 1},
      {"ring mode clears every view", 1, 1, 1, 0, 1, 1, 0, /**/ 0, 0, 0, 1},
  };
  for (const Case& c : cases) {
    ResetAll();
    if (c.loaded) LoadSong();
    gSongView = c.songView;
    gPracticeMode = c.practice;
    gSongViewCancelled = c.cancelled;
    gRingMode = c.ringMode;
    gSongViewArmed = c.armedBefore;
    gSongViewKeepsPractice = c.keepsPracticeBefore;
    gLearningOverlay = true;
    KeepSongView();
    EXPECT_EQ(gSongView, c.songViewAfter) << c.what;
    EXPECT_EQ(gWaitMode, c.waitAfter) << c.what;
    EXPECT_EQ(gPracticeMode, c.practiceAfter) << c.what;
    EXPECT_EQ(gSongViewArmed, c.armedAfter) << c.what;
    EXPECT_EQ(gLearningOverlay, !c.ringMode) << c.what;
  }
  ResetAll();
  LoadSong();
  gSongViewCancelled = gPracticeMode = true;
  ArmSongView();  // clears the cancel and remembers practice
  EXPECT_FALSE(gSongViewCancelled);
  EXPECT_TRUE(gSongViewArmed);
  EXPECT_TRUE(gSongViewKeepsPractice);
}

TEST_F(SongView, ReapplyOnlyWhileSongViewAndWaitMode) {
  SelectScale(&gScaleRows[kRowMixolydian], 2, false);  // picked, not applied
  gWaitMode = true;
  ReapplyScaleSelection();  // song view off: wait mode goes
  EXPECT_FALSE(gWaitMode);
  EXPECT_EQ(gCurrentScale, IonianRow());
  gSongView = gWaitMode = true;
  gKeyRoot = 5;  // moved by hand; the selection is at ring position 2
  ReapplyScaleSelection();
  EXPECT_EQ(gKeyRoot, 2);
  EXPECT_EQ(gPickedScale, &gScaleRows[kRowMixolydian]);
  gPickedScale = &gScaleRows[kRowMaqams];  // unusable pick: replaced
  gRingPos = 4;
  ReapplyScaleSelection();
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(gKeyRoot, 4);
}

TEST_F(SongView, DeferredKeyPickWaitsItsTime) {
  SelectScale(&gScaleRows[kRowAeolian], 0, true);
  gRingPickActive = true;
  gRingPickPos = 14;  // clamped to 11
  gRingPickScale = &gScaleRows[kRowDorian];
  gRingPickTime = 10.0;
  ApplyDeferredKeyPick(9.99f);
  EXPECT_TRUE(gRingPickActive);
  EXPECT_EQ(gRingPos, 0);
  ApplyDeferredKeyPick(10.0f);
  EXPECT_FALSE(gRingPickActive);
  EXPECT_EQ(gRingPos, 11);
  EXPECT_EQ(gKeyRoot, 5);
  EXPECT_EQ(gPickedScale, &gScaleRows[kRowDorian]);
  ResetAll();
  gCurrentScale = nullptr;
  gRingPickActive = true;
  gRingPickPos = 2;
  gRingPickModeIndex = 4;  // no row: the mode's row
  ApplyDeferredKeyPick(1.0f);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowMixolydian]);
  EXPECT_EQ(gKeyRoot, 2);
}
