// The song-view keep-alive, the re-application of the selection while a song is shown, and the
// deferred key pick of the circle.
#include "tests/support/test_support.h"
#include "tests/theory/theory_fixture.h"
#include "theory/circle_theory.h"

namespace {
void LoadSong() { gSongEvents = {{0, 0x90, 60, 100, 0}, {500, 0x80, 60, 0, 0}}; }
}  // namespace

using SongView = TheoryTest;

TEST_F(SongView, KeepAliveStates) {
  struct Case {
    const char* what;
    bool loaded, songView, practice, cancelled, ringMode, armedBefore, keepsPracticeBefore;
    bool songViewAfter, waitAfter, practiceAfter, armedAfter;
  } cases[] = {
      {"song view arms itself and brings wait mode", true, true, false, false, false, false, false,
       true, true, false, true},
      {"practice mode is what is kept", true, false, true, false, false, false, false,
       false, false, true, true},
      {"cancelled by the user: not re-armed", true, true, false, true, false, false, false,
       true, false, false, false},
      {"no song: nothing arms", false, true, false, false, false, false, false,
       true, false, false, false},
      {"armed without a song disarms", false, false, false, false, false, true, false,
       false, false, false, false},
      {"armed song view is switched back on", true, false, false, false, false, true, false,
       true, true, false, true},
      {"armed practice is switched back on", true, false, false, false, false, true, true,
       false, false, true, true},
      {"ring mode clears every view", true, true, true, false, true, true, false,
       false, false, false, true},
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
}

TEST_F(SongView, ArmClearsTheCancelAndRemembersPractice) {
  LoadSong();
  gSongViewCancelled = true;
  gPracticeMode = true;
  ArmSongView();
  EXPECT_FALSE(gSongViewCancelled);
  EXPECT_TRUE(gSongViewArmed);
  EXPECT_TRUE(gSongViewKeepsPractice);
  ResetAll();
  gSongViewCancelled = true;
  gSongView = true;  // no song loaded: only the cancel is cleared
  ArmSongView();
  EXPECT_FALSE(gSongViewCancelled);
  EXPECT_FALSE(gSongViewArmed);
}

TEST_F(SongView, ReapplyOnlyWhileSongViewAndWaitMode) {
  SelectScale(&gScaleRows[kRowMixolydian], 2, false);  // picked, not applied
  gWaitMode = true;
  ReapplyScaleSelection();  // song view off: wait mode goes
  EXPECT_FALSE(gWaitMode);
  EXPECT_EQ(gCurrentScale, IonianRow());

  gSongView = true;
  ReapplyScaleSelection();  // wait mode off: nothing
  EXPECT_EQ(gCurrentScale, IonianRow());

  gWaitMode = true;
  gKeyRoot = 5;  // moved by hand; the selection is at ring position 2
  ReapplyScaleSelection();
  EXPECT_EQ(gKeyRoot, 2);
  EXPECT_EQ(gPickedScale, &gScaleRows[kRowMixolydian]);

  ResetAll();
  gSongView = gWaitMode = true;
  gKeyRoot = 9;  // nothing selected on the ring: the key's position is taken
  gRingPickActive = true;
  ReapplyScaleSelection();
  EXPECT_EQ(gRingPos, 3);
  EXPECT_EQ(gPickedScale, IonianRow());
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(gRingPickPos, 3);
}

TEST_F(SongView, ReapplyReplacesAnUnusablePick) {
  gSongView = gWaitMode = true;
  gPickedScale = &gScaleRows[kRowMaqams];
  gCurrentScale = &gScaleRows[kRowYo];
  gRingPos = 4;
  ReapplyScaleSelection();
  EXPECT_EQ(gCurrentScale, IonianRow());
  EXPECT_EQ(gKeyRoot, 4);
}

TEST_F(SongView, DeferredKeyPickWaitsItsTime) {
  SelectScale(&gScaleRows[kRowDorian], 0, true);
  gRingPickActive = true;
  gRingPickPos = 14;  // clamped to 11
  gRingPickScale = &gScaleRows[kRowDorian];
  gRingPickModeIndex = 1;
  gRingPickTime = 10.0f;
  ApplyDeferredKeyPick(9.99f);
  EXPECT_TRUE(gRingPickActive);
  EXPECT_EQ(gRingPos, 0);
  ApplyDeferredKeyPick(10.0f);
  EXPECT_FALSE(gRingPickActive);
  EXPECT_EQ(gRingPickPos, -1);
  EXPECT_EQ(gRingPickScale, nullptr);
  EXPECT_EQ(gRingPickModeIndex, -1);
  EXPECT_EQ(gRingPos, 11);
  EXPECT_EQ(gKeyRoot, 5);
  EXPECT_EQ(gPickedScale, &gScaleRows[kRowDorian]);
}

TEST_F(SongView, DeferredKeyPickWithoutARowUsesTheMode) {
  gCurrentScale = nullptr;
  gRingPickActive = true;
  gRingPickPos = 2;
  gRingPickModeIndex = 4;
  ApplyDeferredKeyPick(1.0f);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowMixolydian]);
  EXPECT_EQ(gKeyRoot, 2);
  ResetAll();
  gCurrentScale = nullptr;
  gRingPickActive = true;
  gRingPickPos = 2;
  ApplyDeferredKeyPick(1.0f);  // neither row nor mode: only the key moves
  EXPECT_EQ(gCurrentScale, nullptr);
  EXPECT_EQ(gKeyRoot, 2);
  EXPECT_FALSE(gRingPickActive);
}
