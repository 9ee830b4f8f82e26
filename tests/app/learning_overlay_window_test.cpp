// The learning overlay in the program's real window, walked as a user walks it: Learn puts up the
// staff, its Filter button the tabs, a tab the filtered list beside the staff. The arrows then step
// through that list, the wheel scrolls it only over the list itself, and the column between the
// list and the staff is dimmed as the staff panel is. On a wide screen the circle stays across the
// staff panel. Screenshots are kept in the build folder.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "app/floor_links.h"
#include "app/window_proc.h"
#include "board/board_layout.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "gfx/widgets_draw.h"
#include "learning_ui/placement_prompt.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "practice/students.h"
#include "tests/app/real_window_fixture.h"
#include "tests/support/test_support.h"
#include "theory/filter_tabs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

namespace {

constexpr int kPentatonicSet = 4;
constexpr int kAllScales = 7;

class LearningOverlayWindow : public RealWindow {
 protected:
  void SetUp() override {
    OpenProgramWindow(fullHd_ ? 0 : 100, fullHd_ ? 0 : 100, width_, height_);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WaitForClientSize(width_, height_));
    RebuildFonts();
    ConnectFloors();
    // The app clock counts from its first reading, which a driven clock of an earlier test in this
    // process may have taken far ahead: these frames start after every frame before them, or no
    // fade would move.
    ClockDriveBegin(ClockTickMs64());
    const double behind = std::max(gLastFrameSeconds, 0.0) + 1.0 - GetAppSeconds();
    if (behind > 0.0) ClockDriveAdvance((uint64_t)std::ceil(behind * 1000.0));
    ResetScaleSelection();
    ResetFilterTabs();
    ResetViewModes();
    SelectScaleFilter(0);
    gMouseX = gMouseY = -10000;
    RelayoutAll();
    RunDrivenFrames(30);
  }
  void TearDown() override {
    SetLanguage("en-US");
    ResetPlacementPrompt();
    ResetStudentListView();
    ResetStudents();
    ResetScaleSelection();
    ResetFilterTabs();
    ResetViewModes();
    SelectScaleFilter(0);
    ClockDriveEnd();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  static void Click(const RectF& r) {
    const int x = (int)(r.x + r.w / 2), y = (int)(r.y + r.h / 2);
    MainWndProc(kMsgMouseMove, 0, MakePointParam(x, y));
    MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam(x, y));
    MainWndProc(kMsgLButtonUp, 0, MakePointParam(x, y));
  }
  static void Key(int vk) { MainWndProc(kMsgKeyDown, (uint64_t)vk, 1); }
  static void Wheel(int delta, int x, int y) {
    MainWndProc(kMsgMouseMove, 0, MakePointParam(x, y));
    MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)delta, MakePointParam(x, y));
  }
  // Learn, then Filter, then the tab of the filter, each pressed where it is drawn.
  static void ChooseOverlayFilter(int filter) {
    Click(gLearningButtonRect);
    RunDrivenFrames(40);
    ASSERT_TRUE(gLearningOverlay);
    Click(gOverlayFilterButtonRect);
    RunDrivenFrames(30);
    const FilterPanelGeometry g = ComputeFilterPanelGeometry();
    ASSERT_TRUE(g.visible);
    for (int i = 0; i < g.count; ++i)
      if (g.tabs[i].filterId == filter) Click(g.tabs[i].rect);
    RunDrivenFrames(40);
    ASSERT_EQ(gScaleFilter, filter);
    ASSERT_TRUE(IsOverlayListShown());
  }
  static const ScaleRow* ListRow(int position) { return gScaleCatalogue[(size_t)VisibleScaleAt(position)]; }
  static void SetLanguage(const std::string& tag) {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = tag;
    ResetTranslationFileForTesting();
  }
  bool fullHd_ = false;   // a window maximised on the 1920 x 1080 screen
  int width_ = 1440, height_ = 920;
};

class LearningOverlayWindowFullHd : public LearningOverlayWindow {
 protected:
  void SetUp() override {
    fullHd_ = true;
    width_ = 1920, height_ = 1080;
    LearningOverlayWindow::SetUp();
  }
};

// A window wider than the screen's 1920 x 1080, as a 2560 x 1440 screen gives it.
class LearningOverlayWindowWide : public LearningOverlayWindow {
 protected:
  void SetUp() override {
    fullHd_ = true;
    width_ = 2560, height_ = 1440;
    LearningOverlayWindow::SetUp();
  }
};

// Up and Down walk the list the overlay shows, row by row and without wrapping, keeping the key;
// Left and Right change only the key. The church modes the board would step are not in this list.
TEST_F(LearningOverlayWindow, TheArrowsStepThroughTheListBesideTheStaff) {
  ChooseOverlayFilter(kPentatonicSet);
  ASSERT_EQ(gCurrentScale, ListRow(0));
  ASSERT_EQ(gKeyRoot, 0);
  const struct {
    int key, position, keyRoot;
  } steps[] = {{kKeyDown, 1, 0}, {kKeyDown, 2, 0}, {kKeyUp, 1, 0},  {kKeyUp, 0, 0},   {kKeyUp, 0, 0},
               {kKeyRight, 0, 7}, {kKeyRight, 0, 2}, {kKeyDown, 1, 2}, {kKeyLeft, 1, 7}};
  for (const auto& s : steps) {
    Key(s.key);
    RunDrivenFrames(5);
    EXPECT_EQ(gCurrentScale, ListRow(s.position)) << gCurrentScale->name << ", wanted row " << s.position;
    EXPECT_EQ(gKeyRoot, s.keyRoot) << gCurrentScale->name;
    EXPECT_EQ(gCurrentScaleIndex, VisibleScaleAt(s.position)) << "the lit row of the list";
    EXPECT_FLOAT_EQ(gScaleListScrollTarget, (float)s.position);
  }
  for (int i = 0; i < VisibleScaleCount() + 2; ++i) Key(kKeyDown);
  RunDrivenFrames(5);
  EXPECT_EQ(gCurrentScale, ListRow(VisibleScaleCount() - 1)) << "past the end stays on the last row";
  KeepScreenshot("learning_overlay_stepped_list");
}

// The board keeps its rectangle under the staff: a wheel there, where the user sees only the staff,
// leaves the list and the scale alone; over the list it scrolls the list one row a notch.
TEST_F(LearningOverlayWindow, TheWheelScrollsTheListOnlyOverTheList) {
  ChooseOverlayFilter(kPentatonicSet);
  BoardLayout b;
  ComputeBoardLayout(&b);
  const RectF& staff = gStaffPanelRect;
  const float left = std::max(b.panelX, staff.x), right = std::min(b.panelX + b.panelW, staff.x + staff.w);
  const float top = std::max(b.panelY, staff.y), bottom = std::min(b.panelY + b.panelH, staff.y + staff.h);
  ASSERT_LT(left + 20.0f, right) << "the board lies under the staff";
  ASSERT_LT(top + 20.0f, bottom);
  const ScaleRow* before = gCurrentScale;
  for (int delta : {-120, 120}) {
    Wheel(delta, (int)((left + right) / 2), (int)((top + bottom) / 2));
    RunDrivenFrames(20);
    EXPECT_EQ(gCurrentScale, before) << gCurrentScale->name;
    EXPECT_FLOAT_EQ(gScaleListScrollTarget, 0.0f);
  }
  const ScaleListLayout L = LayoutFilterTabs();
  ASSERT_TRUE(L.valid);
  Wheel(-120, (int)(L.list.x + L.list.w / 2), (int)(L.list.y + L.list.h / 2));
  RunDrivenFrames(20);
  EXPECT_FLOAT_EQ(gScaleListScrollTarget, 1.0f);
  EXPECT_EQ(gCurrentScale, ListRow(1)) << gCurrentScale->name;
}

// The circle goes on under the list and the staff. Between the list's box and the staff panel,
// where the scroll strip stands, its labels must be dimmed as under the panel: no letter of them
// shows there at the brightness of the uncovered circle.
TEST_F(LearningOverlayWindow, TheColumnBetweenTheListAndTheStaffIsDimmed) {
  ChooseOverlayFilter(kPentatonicSet);
  RunDrivenFrames(1);
  KeepScreenshot("learning_overlay_filtered_list");
  const ScaleListLayout L = LayoutFilterTabs();
  ASSERT_TRUE(L.valid);
  const RectF& staff = gStaffPanelRect;
  const int x0 = (int)std::ceil(L.list.x + L.list.w) + 1, x1 = (int)staff.x - 1;
  ASSERT_GT(x1 - x0, 12) << "a column between the list and the staff";
  const std::vector<uint8_t> frame = ReadFrame();
  int brightest = 0, bx = -1, by = -1;
  for (int y = (int)staff.y + 2; y < (int)(staff.y + staff.h) - 2; ++y)
    for (int x = x0; x <= x1; ++x) {
      if (std::fabs((float)x - L.stripX) <= 3.0f) continue;  // the scroll strip and its thumb
      const uint8_t* px = &frame[((size_t)y * (size_t)gClientWidth + (size_t)x) * 4];
      const int m = std::max({px[0], px[1], px[2]});
      if (m > brightest) brightest = m, bx = x, by = y;
    }
  EXPECT_LT(brightest, 120) << "an undimmed piece of the circle at " << bx << "," << by;
}

// On the overlay the control band holds only the speed slider (and the unload button with a song):
// its backdrop was an empty box over the sky, and on a 4K window it covered the circle's corner. Left
// of the speed slider, inside the band, the sky must look as it does just outside the band.
TEST_F(LearningOverlayWindow, TheBandDrawsNoEmptyBoxAroundTheSpeedSlider) {
  Click(gLearningButtonRect);
  RunDrivenFrames(40);
  ASSERT_TRUE(gLearningOverlay);
  const RectF band = gControlBandRect, speed = gSpeedSliderRect;
  ASSERT_GT(band.w, 2.0f);
  ASSERT_GT(speed.x - band.x, 40.0f) << "room in the band left of the slider";
  const std::vector<uint8_t> frame = ReadFrame();
  // The median brightness down one column of the band's height: stars are few, the sky's gradient
  // changes little over a few pixels.
  auto median = [&](int x) {
    std::vector<int> v;
    for (int y = (int)band.y + 6; y < (int)(band.y + band.h) - 6; ++y) {
      const uint8_t* px = &frame[((size_t)y * (size_t)gClientWidth + (size_t)x) * 4];
      v.push_back(px[0] + px[1] + px[2]);
    }
    std::nth_element(v.begin(), v.begin() + (long)v.size() / 2, v.end());
    return v[v.size() / 2];
  };
  const int inside = median((int)band.x + 14), outside = median((int)band.x - 6);
  EXPECT_LE(std::abs(inside - outside), 2) << "the band's backdrop shows: " << inside << " inside, " << outside
                                           << " outside";
}

// The students panel opens at the window's left, over the column the list stands in. The open panel
// is drawn above the list, so its placement quiz button shows the same fill at its left end, over
// the list, as at its right end; and the first press there opens the quiz.
TEST_F(LearningOverlayWindow, TheOpenStudentsPanelStandsOverTheList) {
  ChooseOverlayFilter(kPentatonicSet);
  gStudents = {{"Ada", "ada", 0.9f, 0.4f, 0.3f}};
  gActiveStudentIndex = 0;
  RelayoutAll();
  Click(gSideListStudentsButtonRect);
  ASSERT_TRUE(gStudentListOpen);
  gMouseX = gMouseY = -10000;   // no button of the panel lit by the pointer
  RunDrivenFrames(5);
  KeepScreenshot("learning_overlay_students_panel");
  const ScaleListLayout L = LayoutFilterTabs();
  ASSERT_TRUE(L.valid);
  const RectF& staff = gStaffPanelRect;
  const RectF& quiz = gPlacementQuizButtonRect;
  const int left = (int)quiz.x + 6, right = (int)(quiz.x + quiz.w) - 6, y = (int)(quiz.y + quiz.h / 2.0f);
  ASSERT_TRUE(left >= (int)L.area.x && left <= (int)(L.area.x + L.area.w) && y >= (int)L.area.y &&
              y <= (int)(L.area.y + L.area.h))
      << "the button's left end lies over the list's column";
  ASSERT_TRUE(y > (int)staff.y && left < (int)staff.x) << "where the list's backing is drawn";
  const std::vector<uint8_t> frame = ReadFrame();
  const uint8_t* a = &frame[((size_t)y * (size_t)gClientWidth + (size_t)left) * 4];
  const uint8_t* b = &frame[((size_t)y * (size_t)gClientWidth + (size_t)right) * 4];
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(a[c], b[c], 6) << "channel " << c << ": the list is drawn over the button";

  MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam(left, y));
  MainWndProc(kMsgLButtonUp, 0, MakePointParam(left, y));
  EXPECT_TRUE(gPlacementPromptOpen) << "the press went to the list under the panel";
  EXPECT_TRUE(IsOverlayListShown());
}

// In a wide window the staff is narrower than its room, and the list a chosen tab brings up moves it
// right: Learn, Filter and Song, in their column beside it, must move with it and not stand over
// its right end, where the notes to come are drawn.
TEST_F(LearningOverlayWindowWide, TheButtonColumnStaysRightOfTheStaffTheListMoved) {
  ChooseOverlayFilter(kPentatonicSet);
  KeepScreenshot("learning_overlay_wide_filtered_list");
  const RectF& staff = gStaffPanelRect;
  const float staffRight = staff.x + staff.w;
  for (const RectF* r : {&gLearningButtonRect, &gOverlayFilterButtonRect, &gSongViewButtonRect}) {
    ASSERT_GT(r->w, 2.0f);
    EXPECT_GE(r->x, staffRight) << "a button over the staff, which ends at " << staffRight;
  }
}

// The staff panel stands over the circle. On a wide screen the panel keeps the width of its staff in
// the middle of its room, and the circle, at its share of the window's free width, stood with its
// left half outside it. The circle must lie across the panel at every size; where it already did
// (1440 x 920, full HD) it stands where the layout puts it without the panel, and the band above
// stands where it stood at that size before, whatever size the window had last.
TEST_F(LearningOverlayWindow, TheCircleLiesAcrossTheStaffPanelAtEverySize) {
  const struct {
    int w, h;
    bool heldAlready;
  } sizes[] = {{1440, 920, true},  {1920, 1080, true}, {2560, 1440, false}, {3840, 2160, false},
               {2560, 1440, false}, {1920, 1080, true}, {1440, 920, true}};
  std::vector<std::pair<int, RectF>> bands;   // the band at each width when first laid out
  gLearningOverlay = true;
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.w << "x" << size.h);
    gClientWidth = size.w, gClientHeight = size.h;
    RelayoutAll();
    RectF staff;
    ASSERT_TRUE(ComputeStaffPanelRect(&staff));
    float cx, cy, minSide, radius, inner, innermost;
    ComputeCircleLayout(&cx, &cy, &minSide, &radius, &inner, &innermost);
    EXPECT_GE(cx - radius, staff.x) << "the circle's left edge stands outside the panel";
    EXPECT_LE(cx + radius, staff.x + staff.w) << "the circle's right edge stands outside the panel";
    const auto seen = std::find_if(bands.begin(), bands.end(), [&](const auto& b) { return b.first == size.w; });
    if (seen == bands.end()) bands.push_back({size.w, gControlBandRect});
    else
      EXPECT_TRUE(seen->second.x == gControlBandRect.x && seen->second.y == gControlBandRect.y &&
                  seen->second.w == gControlBandRect.w)
          << "the band moved to " << gControlBandRect.x << "," << gControlBandRect.y << " from "
          << seen->second.x << "," << seen->second.y;
    if (!size.heldAlready) continue;
    void (*facts)(LayoutFacts*) = gLayoutFactsHook;
    gLayoutFactsHook = nullptr;
    float alone[6];
    ComputeCircleLayout(&alone[0], &alone[1], &alone[2], &alone[3], &alone[4], &alone[5]);
    gLayoutFactsHook = facts;
    EXPECT_EQ(cx, alone[0]) << "a circle the panel held already was moved";
    EXPECT_EQ(cy, alone[1]);
    EXPECT_EQ(radius, alone[3]);
  }
}

// On a 2560 x 1440 screen the circle's names Bb, Eb and Ab stood bright on the bare background left
// of the staff panel. Left of the panel, over the circle's whole height, nothing of it may show;
// above the panel, where the circle rises past it, its names still show.
TEST_F(LearningOverlayWindowWide, NothingOfTheCircleShowsLeftOfTheStaffPanel) {
  Click(gLearningButtonRect);
  RunDrivenFrames(40);
  ASSERT_TRUE(gLearningOverlay);
  KeepScreenshot("learning_overlay_wide_circle");
  const RectF& staff = gStaffPanelRect;
  ASSERT_GT(staff.w, 2.0f);
  float cx, cy, minSide, radius, inner, innermost;
  ComputeCircleLayout(&cx, &cy, &minSide, &radius, &inner, &innermost);
  const std::vector<uint8_t> frame = ReadFrame();
  auto bright = [&](int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, gClientHeight); ++y)
      for (int x = std::max(x0, 0); x < std::min(x1, gClientWidth); ++x) {
        const uint8_t* px = &frame[((size_t)y * (size_t)gClientWidth + (size_t)x) * 4];
        n += std::max({px[0], px[1], px[2]}) > 120;
      }
    return n;
  };
  const int top = (int)(cy - radius), bottom = (int)(cy + radius) + 1;
  // The panel's glow reaches a little past its edge.
  EXPECT_EQ(bright(0, (int)staff.x - 20, top, bottom), 0) << "the circle shows left of the panel at " << staff.x;
  EXPECT_GT(bright((int)std::max(staff.x, cx - radius), (int)(cx + radius), top, (int)staff.y - 20), 100)
      << "no name of the circle above the panel";
}

// In Russian the names of one family share a long first word ("Гармонический минор", "Гармонический
// мажор"), wider than the list's rows. Each row must still show the word that tells it from its
// neighbour: the ink of the two rows differs, where cut at the end they would read alike.
TEST_F(LearningOverlayWindowFullHd, LongRussianNamesKeepTheWordThatTellsThemApart) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  std::filesystem::copy(std::filesystem::path(TONVARRA_SOURCE_ROOT) / "translations" / "locales",
                        dir.File("locales"));
  SetLanguage("ru-RU");
  ASSERT_EQ(Tr("Harmonic Minor"), "Гармонический минор");
  ChooseOverlayFilter(kAllScales);
  RunDrivenFrames(1);
  KeepScreenshot("learning_overlay_russian_list");
  const ScaleListLayout L = LayoutFilterTabs();
  ASSERT_TRUE(L.valid);
  const float size = FontPixelSize(gFontSmall);
  {
    ScopedTrSuppress shown;
    ASSERT_GT(MeasureText(gFontSmall, "Гармонический минор", size), L.list.w - 14.0f) << "the name must not fit";
  }
  // The bright pixels of a row, from above its capitals to below its tails.
  const std::vector<uint8_t> frame = ReadFrame();
  auto rowInk = [&](const char* name) {
    int position = -1;
    for (int p = 0; p < VisibleScaleCount(); ++p)
      if (ListRow(p)->name == std::string(name)) position = p;
    EXPECT_GE(position, 0) << name;
    const float middle = L.list.y + L.list.h / 2.0f + ((float)position - gScaleListScroll) * L.rowPitch;
    std::vector<bool> ink;
    for (int y = (int)(middle - 0.5f * L.rowPitch) + 1; y < (int)(middle + 0.5f * L.rowPitch); ++y)
      for (int x = (int)L.list.x; x < (int)(L.list.x + L.list.w); ++x) {
        const uint8_t* px = &frame[((size_t)y * (size_t)gClientWidth + (size_t)x) * 4];
        ink.push_back(std::max({px[0], px[1], px[2]}) > 70);
      }
    return ink;
  };
  const std::vector<bool> minor = rowInk("Harmonic Minor"), major = rowInk("Harmonic Major");
  ASSERT_EQ(minor.size(), major.size());
  int inked = 0, differing = 0;
  for (size_t i = 0; i < minor.size(); ++i) inked += minor[i], differing += minor[i] != major[i];
  ASSERT_GT(inked, 100) << "no name drawn in the row";
  EXPECT_GT(differing, inked / 6) << "the two rows read alike";
}

}  // namespace
