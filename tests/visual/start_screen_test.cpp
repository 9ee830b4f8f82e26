// The start screen's logic without a window: layout at three scales, the pausable clock and
// visibility, the drum's hit test between rows, the clamped wheel and drag, the version line, the
// overall alpha and the language list's pick, keep and reopen.
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/start_clock.h"
#include "app/base/view_modes.h"
#include "gfx/hit_regions.h"
#include "gfx/images.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "midi/device_pickers.h"
#include "tests/support/test_support.h"
#include "visual/start_screen.h"

namespace {

class StartScreenLogic : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.File("Data"));
    ResetUiLanguageForTesting();
    InitUiLanguage();
    ApplyUiLanguage(0, false);
    gClientWidth = 1600;
    gClientHeight = 900;
    gSplashImage = {1, 4, 4};  // a splash "loaded": only its presence is read here
    ResetStartScreen();
    SetLanguageListRows(0.0f);
    gStartClock = GetAppSeconds();
  }
  void TearDown() override {
    ResetStartScreen();
    gSplashImage = {};
    ResetUiLanguageForTesting();
  }
  double Now() const { return GetAppSeconds(); }
  // Lets the list's easing settle.
  void Settle() {
    for (int i = 0; i < 200; ++i) {
      clock_.Advance(20);
      UpdateStartScreenSmoothing(Now());
    }
  }
  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
  ScopedDrivenClock clock_;
};

TEST_F(StartScreenLogic, LayoutAtThreeScales) {
  const struct { int w, h; float scale, buttonW, rowH; } cases[] = {
      {1600, 900, 1.0f, 270.0f, 20.0f}, {1280, 600, 0.75f, 202.5f, 15.0f}, {3840, 2160, 1.2f, 324.0f, 24.0f}};
  for (const auto& c : cases) {
    gClientWidth = c.w;
    gClientHeight = c.h;
    StartScreenLayout l = ComputeStartScreenLayout();
    EXPECT_FLOAT_EQ(l.scale, c.scale) << c.w;
    EXPECT_FLOAT_EQ(l.buttonW, c.buttonW) << c.w;
    EXPECT_FLOAT_EQ(l.rowH, c.rowH) << c.w;
    // The button sits in the bottom-left corner; the panel above it never overlaps it.
    EXPECT_FLOAT_EQ(l.buttonY + l.buttonH + std::max(14.0f, 16.0f * c.scale), (float)c.h);
    EXPECT_LE(l.panelY + l.panelH, l.buttonY) << c.w;
    EXPECT_GT(l.barCentreX, l.rowsX + l.rowsW);
    EXPECT_LE(l.barHitX + l.barHitW, l.panelX + l.panelW + 1.0f) << c.w;
  }
}

TEST_F(StartScreenLogic, AListOpenFor10SecondsEndsTheScreenAt14Point6) {
  double start = gStartClock;
  clock_.Advance(2000);
  SetLanguageListOpen(true, Now());
  clock_.Advance(10000);
  EXPECT_NEAR(GetStartScreenElapsed(Now()), 2.0f, 0.01f);  // the clock stood still
  EXPECT_TRUE(IsStartScreenVisible(Now()));
  SetLanguageListOpen(false, Now());
  clock_.Advance(2590);
  EXPECT_TRUE(IsStartScreenVisible(Now()));
  clock_.Advance(20);
  EXPECT_FALSE(IsStartScreenVisible(Now()));
  EXPECT_NEAR(Now() - start, 14.61f, 0.01f);
}

TEST_F(StartScreenLogic, OverlappingListsPauseOnceAndADeviceListHoldsTheScreen) {
  clock_.Advance(4000);
  SetLanguageListOpen(true, Now());  // pause from 4 s
  clock_.Advance(1000);
  gMidiPickerOpen = true;
  SetStartListOpen(kStartListMidi, true, Now());
  clock_.Advance(1000);
  SetLanguageListOpen(false, Now());  // the MIDI list still holds the clock
  clock_.Advance(3000);
  EXPECT_NEAR(GetStartScreenElapsed(Now()), 4.0f, 0.01f);
  EXPECT_TRUE(IsStartScreenVisible(Now()));
  gMidiPickerOpen = false;
  SetStartListOpen(kStartListMidi, false, Now());
  EXPECT_NEAR(gStartHeldTime, 5.0f, 0.01f);  // 5 s of pause, counted once
  clock_.Advance(590);
  EXPECT_TRUE(IsStartScreenVisible(Now()));
  clock_.Advance(20);
  EXPECT_FALSE(IsStartScreenVisible(Now()));
  // Once gone it stays gone; F12's reset brings it back from the start.
  ResetStartScreen();
  EXPECT_TRUE(IsStartScreenVisible(Now()));
  EXPECT_EQ(GetStartScreenElapsed(Now()), 0.0f);
  gSplashImage = {};
  EXPECT_FALSE(IsStartScreenVisible(Now()));  // no splash, no start screen
}

TEST_F(StartScreenLogic, EndingAtOnceSkipsTheHoldAndTheFade) {
  clock_.Advance(500);
  EndStartScreenAtOnce(Now());
  EXPECT_NEAR(GetStartScreenElapsed(Now()), 5.6f, 0.01f);
  EXPECT_FALSE(IsStartScreenVisible(Now()));
}

// F12 brings the screen back on a machine that has run for weeks: frame by frame it fades in and
// runs its 4.6 s as it does at the start.
TEST_F(StartScreenLogic, ShownAgainAfterWeeksOfRunningItRunsAsAtTheStart) {
  clock_.Advance(25ull * 86400000ull);
  ResetStartScreen();
  gStartClock = Now();  // its first frame
  for (int frame = 1; frame <= 40; ++frame) {
    clock_.Advance(20);
    EXPECT_NEAR(GetStartScreenElapsed(Now()), 0.02f * (float)frame, 0.002f) << "frame " << frame;
  }
  clock_.Advance(3790);
  EXPECT_TRUE(IsStartScreenVisible(Now()));
  clock_.Advance(20);
  EXPECT_FALSE(IsStartScreenVisible(Now()));
}

TEST_F(StartScreenLogic, BetweenRowsTheNearerCountsAndPastTheLastRowNone) {
  SetLanguageListOpen(true, Now());
  Settle();
  StartScreenLayout l = ComputeStartScreenLayout();
  float centre = l.rowsY + l.rowsH / 2.0f, x = l.rowsX + 20.0f;
  int row = -1;
  EXPECT_TRUE(LanguageRowAt(x, centre + 2.0f * l.rowH, &row));
  EXPECT_EQ(row, 2);
  // A row answers within 0.55 rows of its centre, so between two rows the nearer one answers.
  EXPECT_TRUE(LanguageRowAt(x, centre + 0.6f * l.rowH, &row));
  EXPECT_EQ(row, 1);
  EXPECT_FALSE(LanguageRowAt(l.rowsX - 2.0f, centre, &row));
  // With the drum on the last row, 0.6 rows below it is no row: a press there keeps the list open.
  int last = (int)gLanguageList.size() - 1;
  SetLanguageListRows((float)last);
  EXPECT_FALSE(LanguageRowAt(x, centre + 0.6f * l.rowH, &row));
  EXPECT_TRUE(StartScreenMouseDown((int)x, (int)std::lround(centre + 0.6f * l.rowH)));
  EXPECT_TRUE(gLanguageListOpen);
  EXPECT_EQ(gLanguageIndex, 0);
}

TEST_F(StartScreenLogic, TheWheelAndTheDragStayInsideTheList) {
  SetLanguageListOpen(true, Now());
  StartScreenLayout l = ComputeStartScreenLayout();
  int px = (int)(l.panelX + 5.0f), py = (int)(l.panelY + 5.0f);
  StartScreenMouseWheel(px, py, 120);
  EXPECT_EQ(gLanguageScrollTarget, 0.0f);
  StartScreenMouseWheel(px, py, -240);
  EXPECT_EQ(gLanguageScrollTarget, 2.0f);
  StartScreenMouseWheel((int)(l.panelX + l.panelW + 40.0f), py, -120);  // outside: nothing
  EXPECT_EQ(gLanguageScrollTarget, 2.0f);
  // Dragging by the full track moves count - 1 rows, and no further.
  int count = (int)gLanguageList.size();
  gLanguageScrollTarget = 0.0f;
  int bx = (int)l.barCentreX, by = (int)(l.trackTop + 10.0f);
  ASSERT_TRUE(IsOnLanguageScrollBar((float)bx, (float)by));
  StartScreenMouseDown(bx, by);
  ASSERT_TRUE(gLanguageDragging);
  StartScreenMouseMove(bx, by + (int)(l.trackBottom - l.trackTop));
  EXPECT_NEAR(gLanguageScrollTarget, (float)(count - 1), 0.05f);
  StartScreenMouseMove(bx, by + 5000);
  EXPECT_EQ(gLanguageScrollTarget, (float)(count - 1));
  StartScreenMouseMove(bx, by - 5000);
  EXPECT_EQ(gLanguageScrollTarget, 0.0f);
  StartScreenMouseUp();
  EXPECT_FALSE(gLanguageDragging);
}

TEST_F(StartScreenLogic, TheLitRowFollowsTheWheelUnderAStillPointer) {
  SetLanguageListOpen(true, Now());
  Settle();
  StartScreenLayout l = ComputeStartScreenLayout();
  int x = (int)(l.rowsX + 20.0f), y = (int)std::lround(l.rowsY + l.rowsH / 2.0f + l.rowH);
  StartScreenMouseMove(x, y);
  EXPECT_EQ(gLanguageHoverRow, 1);
  // Three rows on, the pointer unmoved: the row under it, the one a press would pick, is lit.
  StartScreenMouseWheel(x, y, -360);
  Settle();
  int row = -1;
  ASSERT_TRUE(LanguageRowAt((float)x, (float)y, &row));
  EXPECT_EQ(row, 4);
  EXPECT_EQ(gLanguageHoverRow, 4);
}

TEST_F(StartScreenLogic, PickingARowAppliesKeepsAndReopensOnIt) {
  StartScreenLayout l = ComputeStartScreenLayout();
  EXPECT_TRUE(StartScreenMouseDown((int)(l.buttonX + 10), (int)(l.buttonY + 10)));
  ASSERT_TRUE(gLanguageListOpen);
  Settle();
  float centre = l.rowsY + l.rowsH / 2.0f;
  EXPECT_TRUE(StartScreenMouseDown((int)(l.rowsX + 20), (int)std::lround(centre + 3.0f * l.rowH)));
  EXPECT_FALSE(gLanguageListOpen);
  EXPECT_EQ(gLanguageIndex, 3);
  std::string saved = ReadFileBytes(dir_.File("Data/ui_language.txt"));
  EXPECT_EQ(saved, gLanguageList[3].locale);
  // The next start reads the choice back; the reopened list centres on it.
  ResetUiLanguageForTesting();
  InitUiLanguage();
  EXPECT_EQ(gLanguageIndex, 3);
  SetLanguageListOpen(true, Now());
  EXPECT_EQ(gLanguageScrollTarget, 3.0f);
  // A press outside the panel closes the list without a choice.
  StartScreenMouseDown((int)(l.panelX + l.panelW + 50), (int)(l.panelY + 20));
  EXPECT_FALSE(gLanguageListOpen);
  EXPECT_EQ(gLanguageIndex, 3);
}

// The overlay's button column is as wide as its words in the UI language: a language picked on the
// start screen lays it out again at once, not at the next resize (Russian words stood cut to two
// letters and an ellipsis in a column left as narrow as the Chinese ones).
TEST_F(StartScreenLogic, APickedLanguageLaysTheButtonColumnOutForItsWords) {
  std::filesystem::create_directories(dir_.File("locales"));
  WriteFileBytes(dir_.File("locales/de-DE.json"),
                 "{\n  \"Learn\": \"Lernen\",\n  \"Filter\": \"Auswahlfilter\",\n  \"Song\": \"Stueck\"\n}\n");
  ResetTranslationFileForTesting();
  gLayoutFactsHook = [](LayoutFacts* out) {
    out->staffPanelShown = true;
    out->staffPanel = {40.0f, 150.0f, 1200.0f, 480.0f};
  };
  gLearningOverlay = true;
  RelayoutAll();
  const float english = gOverlayFilterButtonRect.w;
  StartScreenLayout l = ComputeStartScreenLayout();
  ASSERT_TRUE(StartScreenMouseDown((int)(l.buttonX + 10), (int)(l.buttonY + 10)));
  Settle();
  float centre = l.rowsY + l.rowsH / 2.0f;
  ASSERT_TRUE(StartScreenMouseDown((int)(l.rowsX + 20), (int)std::lround(centre + 3.0f * l.rowH)));
  ASSERT_EQ(gLanguageList[gLanguageIndex].locale, "de-DE");
  const float picked = gOverlayFilterButtonRect.w;
  RelayoutAll();
  EXPECT_GT(gOverlayFilterButtonRect.w, english);
  EXPECT_FLOAT_EQ(picked, gOverlayFilterButtonRect.w);
  gLearningOverlay = false;
  gLayoutFactsHook = nullptr;
  ResetTranslationFileForTesting();
}

TEST_F(StartScreenLogic, NoPressIsTakenOnceTheScreenHasEnded) {
  clock_.Advance(4700);
  EXPECT_FALSE(StartScreenMouseDown(20, 20));
  EXPECT_FALSE(StartScreenMouseWheel(20, 20, 120));
  EXPECT_FALSE(StartScreenMouseMove(20, 20));
}

TEST(StartScreenVersion, DatesAreDottedAndOddIdsKept) {
  const struct { const char* id; const char* line; } cases[] = {
      {"linux-20261207", "v2026.12.07  0123abcd"},
      {"linux-x-20250101", "v2025.01.01  0123abcd"},
      {"20261207", "v2026.12.07  0123abcd"},
      {"nodash", "vnodash  0123abcd"},
      {"linux-2026127", "v2026127  0123abcd"},
      {"linux-", "v  0123abcd"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatVersionLine(c.id, "0123abcd"), c.line) << c.id;
  std::string line = BuildVersionLine();
  ASSERT_GE(line.size(), 20u);
  EXPECT_EQ(line.find_first_not_of("0123456789abcdef", line.size() - 8), std::string::npos) << line;
}

TEST(StartScreenAlpha, FadesInAndOut) {
  EXPECT_EQ(StartScreenAlpha(0.0f), 0.0f);
  EXPECT_NEAR(StartScreenAlpha(0.644f), 1.0f, 1e-4f);
  EXPECT_NEAR(StartScreenAlpha(3.588f), 1.0f, 1e-4f);
  EXPECT_LT(StartScreenAlpha(3.7f), 1.0f);
  EXPECT_NEAR(StartScreenAlpha(4.6f), 0.0f, 1e-6f);
}

TEST(StartScreenScene, LightsStayInTheirBandAndTheMarkSettles) {
  float xs[kHillSamples], ys[kHillSamples];
  HillLight lights[2000];
  int total = 0;
  for (int k = 0; k < kHillLayers; ++k) {
    HillSilhouette(k, 1.3f, 1440, 920, xs, ys);
    int n = PlaceHillLights(k, 1.3f, 1440, 920, xs, ys, lights, 2000);
    total += n;
    for (int i = 0; i < n; ++i) {
      EXPECT_GE(lights[i].y, 0.31f * 920);
      EXPECT_LE(lights[i].y, 0.78f * 920);
      EXPECT_GE(lights[i].alpha, 0.004f);
    }
  }
  EXPECT_GT(total, 20);
  EXPECT_EQ(RollingMarkX(-1.0f, -100.0f, 400.0f, 200.0f), -100.0f);
  EXPECT_EQ(RollingMarkX(2.85f, -100.0f, 400.0f, 200.0f), RollingMarkX(9.0f, -100.0f, 400.0f, 200.0f));
  EXPECT_NEAR(RollingMarkX(9.0f, -100.0f, 400.0f, 200.0f), 400.0f, 0.2f);
}

}  // namespace
