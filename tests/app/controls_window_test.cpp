// The main window's controls in a real 1440 x 920 window on a private display: two students with
// the panel and a colour wheel open, a song with both loop points, the filter panel open, then
// practice mode with the settings sliders; a list of students longer than the panel, turned by the
// wheel. Screenshots of the whole frame are kept in the build folder for the developer to look at;
// the checks read the pixel at each control's centre on a black frame with only the controls drawn,
// and look for text ink in the name box.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "app/controls_draw.h"
#include "app/floor_links.h"
#include "classroom/attendance_panel.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/slider_panel.h"
#include "gfx/text.h"
#include "midi/midi_output.h"
#include "midi/playback.h"
#include "midi/playlist.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "platform/keys.h"
#include "practice/data_files.h"
#include "practice/student_colours.h"
#include "practice/students.h"
#include "tests/app/real_window_fixture.h"
#include "tests/midi/transport_harness.h"
#include "tests/support/test_support.h"
#include "theory/filter_tabs.h"
#include "theory/scale_selection.h"

namespace {

// n students named name + index, ids its first letter lower-cased + index, all in one colour.
void ListStudents(int n, const std::string& name, float r, float g, float b) {
  gStudents.clear();
  const std::string id(1, (char)std::tolower((unsigned char)name[0]));
  for (int i = 0; i < n; ++i) gStudents.push_back({name + std::to_string(i), id + std::to_string(i), r, g, b});
}

// Pixels whose colour differs between two window pictures (rows top-down, RGBA) inside box.
int PixelsDifferingIn(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, const RectF& box) {
  int differ = 0;
  for (int y = (int)box.y; y < (int)(box.y + box.h); ++y)
    for (int x = (int)box.x; x < (int)(box.x + box.w); ++x) {
      const size_t p = (size_t(y) * gClientWidth + size_t(x)) * 4;
      differ += !std::equal(&a[p], &a[p] + 3, &b[p]);
    }
  return differ;
}

class ControlsWindow : public RealWindow {
 protected:
  void SetUp() override {
    RealWindow::SetUp();
    if (HasFatalFailure()) return;
    RebuildFonts();
    ConnectFloors();
    ClockDriveBegin(ClockTickMs64());
  }
  void TearDown() override {
    UnloadMidi();
    SetMidiOutputPort(nullptr);
    ClockDriveEnd();
    ResetStudents();
    ResetStudentListView();
    ResetHitRegions();
    gSongEvents.clear();
    gLoopStartSet = gLoopEndSet = false;
    ResetFilterTabs();
    gScaleListMode = false;
    ResetSliderPanel();
    ResetViewModes();
    ResetAttendancePanelState();
    ResetPointer();
    ResetStatusText();
    ResetControlsDrawing();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  // The frame as the program draws it, saved as a PNG beside the program.
  void SaveScreenshot(const std::string& name) {
    RunDrivenFrames(1);
    EXPECT_TRUE(::KeepScreenshot(name, gClientWidth, gClientHeight, ReadFrame()));
  }
  // Only the controls, on black.
  static std::vector<uint8_t> DrawControlsAlone() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawMainControls(GetAppSeconds());
    return ReadFrame();
  }
  // The loop handles' gold (0.95, 0.72, 0.3), drawn opaque or at half strength.
  static bool IsGold(const std::vector<uint8_t>& frame, int x, int y) {
    const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
    const int r = p[0], g = p[1], b = p[2];
    return r > 110 && r > b + 60 && g > b + 30;
  }
  static int Brightest(const std::vector<uint8_t>& frame, int x, int y) {
    const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
    return std::max({p[0], p[1], p[2]});
  }
  static void ExpectDrawnAtCentre(const std::vector<uint8_t>& frame, const RectF& r, const char* what) {
    ASSERT_GT(r.w, 2.0f) << what << " is not shown";
    int x = (int)(r.x + r.w / 2.0f), y = (int)(r.y + r.h / 2.0f);
    EXPECT_GT(Brightest(frame, x, y), 24) << what << " at " << x << ", " << y;
  }
};

TEST_F(ControlsWindow, EveryControlIsDrawnWhereItIsHitTested) {
  ASSERT_EQ(gClientWidth, 1440);
  gStudents = {{"Ada Lovelace", "ada", 0.9f, 0.4f, 0.3f}, {"Bela", "bela", 0.3f, 0.7f, 0.5f}};
  gActiveStudentIndex = 0;
  gStudentListOpen = gColourPopupOpen = true;
  gSelectedStudentRow = 1;
  gSongEvents.clear();
  for (uint32_t t = 0; t < 60000; t += 500) gSongEvents.push_back(SongEvent{t, 0x90, (uint8_t)(60 + t % 12), 90, 0});
  gLoopStartSet = gLoopEndSet = true;
  gLoopStartMs = 12000;
  gLoopEndMs = 36000;
  gScaleListMode = true;
  gFilterPanelOpen = true;
  RelayoutAll();
  RunDrivenFrames(40);  // the filter fades come in
  SaveScreenshot("controls_students_song_filter");

  std::vector<uint8_t> frame = DrawControlsAlone();
  const struct { const RectF* r; const char* what; } controls[] = {
      {&gStudentHeaderRect, "name box"},     {&gFileButtonRect, "file button"},
      {&gPlayModeButtonRect, "play mode"},   {&gUnloadSongRect, "unload"},
      {&gPreviousButtonRect, "previous"},    {&gPlayButtonRect, "play"},
      {&gNextButtonRect, "next"},            {&gSeekBarRect, "seek bar"},
      {&gSpeedSliderRect, "speed slider"},   {&gRepeatButtonRect, "repeat"},
      {&gShuffleButtonRect, "shuffle"},      {&gClearLoopButtonRect, "clear loop"},
      {&gLoopStartHandleRect, "loop start"}, {&gLoopEndHandleRect, "loop end"},
      {&gStudentNameEntryRect, "name entry"}, {&gAddStudentButtonRect, "add"},
      {&gPlacementQuizButtonRect, "quiz"},
  };
  for (const auto& c : controls) ExpectDrawnAtCentre(frame, *c.r, c.what);
  // The loop handles stand on the track, below the seek bar's time line: none of their gold over it.
  for (const RectF* handle : {&gLoopStartHandleRect, &gLoopEndHandleRect}) {
    int gold = 0;
    const RectF& bar = gSeekBarRect;
    for (int y = (int)bar.y + 1; y < (int)(bar.y + 0.42f * bar.h); ++y)
      for (int x = (int)handle->x; x < (int)(handle->x + handle->w); ++x) gold += IsGold(frame, x, y);
    EXPECT_EQ(gold, 0) << "a loop handle over the time line";
  }
  ASSERT_EQ(gStudentRowRects.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    ExpectDrawnAtCentre(frame, gStudentSwatchRects[i], "swatch");
    ExpectDrawnAtCentre(frame, gStudentBinRects[i], "bin");
  }
  RectF box;
  float cx, cy, radius;
  ASSERT_TRUE(ShowColourPopup(&box, &cx, &cy, &radius));
  EXPECT_GT(Brightest(frame, (int)cx, (int)cy), 240) << "the wheel is white at its centre";
  FilterPanelGeometry g = ComputeFilterPanelGeometry();
  ASSERT_TRUE(g.visible);
  ExpectDrawnAtCentre(frame, g.button, "filter button");
  for (int i = 0; i < g.count; ++i) ExpectDrawnAtCentre(frame, g.tabs[i].rect, "filter tab");

  // Text ink in the name box: bright pixels right of the colour dot.
  const RectF& h = gStudentHeaderRect;
  int ink = 0;
  for (int y = (int)h.y + 4; y < (int)(h.y + h.h) - 4; ++y)
    for (int x = (int)(h.x + 0.3f * h.w); x < (int)(h.x + h.w) - 4; ++x) ink += Brightest(frame, x, y) > 150;
  EXPECT_GT(ink, 30);

  // Practice mode with the settings sliders.
  gStudentListOpen = false;
  gPracticeMode = true;
  RunDrivenFrames(60);  // the board fades in, the band moves up
  SetSliderPanelOpen(true);
  SaveScreenshot("controls_practice_sliders");
  frame = DrawControlsAlone();
  EXPECT_GT(gPracticeModeFade, 0.99f);
  ExpectDrawnAtCentre(frame, gSliderPanelButtonRect, "settings button");
  ExpectDrawnAtCentre(frame, gToolbarToggleHitRect, "day toggle");  // the toolbar is hidden here
  {  // the toolbar's own day button, at night a moon with its star, not a look of its own
    const RectF& t = gToolbarToggleHitRect;
    ASSERT_FALSE(gBackdropTint);
    const float cx = t.x + t.w / 2.0f, cy = t.y + t.h / 2.0f;
    EXPECT_GT(Brightest(frame, (int)(cx + 0.24f * t.h), (int)(cy - 0.2f * t.h)), 200) << "the moon's star";
  }
  for (int i = 0; i < kSmokeSliderCount; ++i) ExpectDrawnAtCentre(frame, gSliderRects[i], "slider");
  EXPECT_LT(gBandTopRowRect.y, 20.0f);
}

// A message set again in the same words is held for its full time from then: a second failed save
// a few seconds after the first is not taken away on the first one's timer. Its ink is counted in
// the bottom band of a black frame with only the status line drawn.
TEST_F(ControlsWindow, AMessageSetAgainIsHeldFromItsNewSetting) {
  auto inkAt = [](float now) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawStatusLine(now);
    std::vector<uint8_t> frame = ReadFrame();
    int ink = 0;
    for (int y = gClientHeight - 120; y < gClientHeight; ++y)
      for (int x = 0; x < gClientWidth; ++x) ink += Brightest(frame, x, y) > 150;
    return ink;
  };
  ResetControlsDrawing();
  gStatusText = kSaveFailureMessage;
  const int full = inkAt(100.0f);
  ASSERT_GT(full, 200) << "the message is shown";
  EXPECT_EQ(inkAt(103.0f), full);
  gStatusText = kSaveFailureMessage;   // the next save fails as well
  EXPECT_EQ(inkAt(103.5f), full);
  KeepScreenshot("controls_status_line_set_again");
  EXPECT_EQ(inkAt(107.0f), full) << "3.5 s after its new setting, 7 s after the first";
  EXPECT_EQ(gStatusText, kSaveFailureMessage);
  EXPECT_EQ(inkAt(109.0f), 0) << "gone 5.5 s after its new setting";
  EXPECT_TRUE(gStatusText.empty());
}

// With two hundred students the panel still draws the first one's full row: its swatch in the
// student's colour and its bin, where the row's press areas are.
TEST_F(ControlsWindow, APanelOfManyStudentsKeepsAFullRow) {
  ListStudents(200, "Student ", 0.9f, 0.4f, 0.3f);
  gStudents[0].r = 0.2f, gStudents[0].g = 0.9f, gStudents[0].b = 0.3f;
  gActiveStudentIndex = 0;
  gStudentListOpen = true;
  RelayoutAll();
  RunDrivenFrames(20);
  SaveScreenshot("controls_many_students");
  std::vector<uint8_t> frame = DrawControlsAlone();
  ASSERT_GE(gStudentRowRects.size(), 1u);
  ExpectDrawnAtCentre(frame, gStudentBinRects[0], "bin");
  const RectF& sw = gStudentSwatchRects[0];
  const int x = (int)(sw.x + sw.w / 2.0f), y = (int)(sw.y + sw.h / 2.0f);
  const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
  EXPECT_GT(p[1], 150) << "the swatch shows the student's green";
  EXPECT_LT(p[0], 120);
}

// A hundred and twenty students at 1440 x 920, more than the panel holds: forty wheel notches over
// the panel turn its list to the last student, whose entry is drawn where it is pressed, with the
// student's red dot, and a press there picks that student. The list ends there: the place after the
// last entry, where an entry is drawn before the turn, shows the bare panel.
TEST_F(ControlsWindow, TheWheelTurnsTheStudentsPanelToItsLastStudent) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  ListStudents(120, "Pupil ", 0.3f, 0.48f, 0.76f);
  gStudents[119].r = 0.9f, gStudents[119].g = 0.2f, gStudents[119].b = 0.2f;
  gActiveStudentIndex = 0;
  gStudentListOpen = true;
  RelayoutAll();
  RunDrivenFrames(2);
  SaveScreenshot("controls_students_list_top");
  const std::vector<RectF> places = gCompactStudentRects;
  ASSERT_FALSE(places.empty());
  ASSERT_EQ(gCompactStudentIndices.back(), (int)places.size());
  ASSERT_LT(places.size(), 119u);
  const RectF& p = gStudentsPanelRect;
  const float pad = std::max(10.0f * GetUiScale(), 8.0f);
  const int bareX = (int)(p.x + p.w - 2.0f * pad), bareY = (int)(p.y + 2.0f * pad);   // right of the title
  auto sameAsBare = [&](const std::vector<uint8_t>& frame, const RectF& r) {
    const uint8_t* a = &frame[(size_t(r.y + r.h / 2.0f) * gClientWidth + size_t(r.x + r.w / 2.0f)) * 4];
    const uint8_t* b = &frame[(size_t(bareY) * gClientWidth + size_t(bareX)) * 4];
    return std::abs(a[0] - b[0]) <= 3 && std::abs(a[1] - b[1]) <= 3 && std::abs(a[2] - b[2]) <= 3;
  };
  ASSERT_FALSE(sameAsBare(DrawControlsAlone(), places.back())) << "an entry is drawn in the last place";

  const int x = (int)(p.x + p.w / 2.0f), y = (int)(p.y + p.h / 2.0f);
  MainWndProc(kMsgMouseMove, 0, MakePointParam(x, y));
  for (int i = 0; i < 40; ++i) MainWndProc(kMsgMouseWheel, (uint64_t)(int64_t)-120, MakePointParam(x, y));
  RunDrivenFrames(1);
  SaveScreenshot("controls_students_list_turned");
  const std::vector<uint8_t> frame = DrawControlsAlone();
  ASSERT_EQ(gCompactStudentIndices.back(), 119);
  const RectF last = gCompactStudentRects.back();
  const float dot = 0.18f * last.h;
  const uint8_t* red = &frame[(size_t(last.y + last.h / 2.0f) * gClientWidth + size_t(last.x + 3.0f * dot)) * 4];
  EXPECT_GT(red[0], red[2] + 60) << "the last student's red dot";
  const size_t after = gCompactStudentRects.size();
  ASSERT_LT(after, places.size());
  for (size_t k = after; k < places.size(); ++k)
    EXPECT_TRUE(sameAsBare(frame, places[k])) << "nothing is drawn in place " << k << " after the last student";

  const int lx = (int)(last.x + last.w / 2.0f), ly = (int)(last.y + last.h / 2.0f);
  MainWndProc(kMsgMouseMove, 0, MakePointParam(lx, ly));
  MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam(lx, ly));
  MainWndProc(kMsgLButtonUp, 0, MakePointParam(lx, ly));
  EXPECT_EQ(gActiveStudentIndex, 119);
}

// A name of wide letters ends inside the name box and its row's name area: drawn against a name
// of as many narrow letters (the box is sized by the count), the two frames differ nowhere else
// by more than rounding.
TEST_F(ControlsWindow, LongNamesEndInsideTheirBoxes) {
  auto drawWith = [](const std::string& name) {
    gStudents = {{name, "a", 0.9f, 0.4f, 0.3f}, {"Bela", "bela", 0.3f, 0.7f, 0.5f}};
    gActiveStudentIndex = 0;
    gStudentListOpen = true;
    RelayoutAll();
    RunDrivenFrames(20);
    return DrawControlsAlone();
  };
  const std::vector<uint8_t> wide = drawWith(std::string(28, 'W'));
  SaveScreenshot("controls_long_student_name");
  const std::vector<uint8_t> narrow = drawWith(std::string(28, 'i'));
  ASSERT_EQ(gStudentNameRects.size(), 2u);
  const RectF boxes[] = {gStudentHeaderRect, gStudentNameRects[0]};
  int inside = 0, outside = 0;
  for (int y = 0; y < gClientHeight; ++y)
    for (int x = 0; x < gClientWidth; ++x) {
      const size_t p = (size_t(y) * gClientWidth + size_t(x)) * 4;
      // A step or two is the software renderer's rounding of a translucent fill, which changes
      // with what else a frame draws: text ink differs by far more.
      if (std::equal(&wide[p], &wide[p] + 3, &narrow[p], [](uint8_t a, uint8_t b) { return std::abs(a - b) <= 2; }))
        continue;
      bool in = false;
      for (const RectF& r : boxes) in = in || (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h);
      (in ? inside : outside) += 1;
    }
  EXPECT_GT(inside, 100) << "the names are drawn";
  EXPECT_EQ(outside, 0) << "ink outside the name box or the row's name area";
}

// The name box is sized by at most 26 bytes of the name, but the name is cut only where it does
// not fit: a name that fits is drawn to its last letter (two names that differ only there draw
// differently in the box), and one too long ends before it (they draw alike).
TEST_F(ControlsWindow, TheNameBoxCutsANameOnlyWhereItDoesNotFit) {
  auto headerWith = [this](const std::string& name, const char* shot) {
    gStudents = {{name, "a", 0.9f, 0.4f, 0.3f}};
    gActiveStudentIndex = 0;
    RelayoutAll();
    RunDrivenFrames(2);
    if (shot) SaveScreenshot(shot);
    return DrawControlsAlone();
  };
  const struct { const char* name; const char* lastChanged; bool fits; const char* shot; } cases[] = {
      {"Bartholomew Alexander Fitzge", "Bartholomew Alexander Fitzgx", true, "controls_name_box_latin"},
      {"学生の名前はとても長いです", "学生の名前はとても長いでね", true, "controls_name_box_japanese"},
      {"Bartholomew Alexander Fitzgerald of Wessex and Mercia", "Bartholomew Alexander Fitzgerald of Wessex and Merciz",
       false, "controls_name_box_long"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> whole = headerWith(c.name, c.shot);
    const std::vector<uint8_t> changed = headerWith(c.lastChanged, nullptr);
    if (c.fits)
      EXPECT_GT(PixelsDifferingIn(whole, changed, gStudentHeaderRect), 10) << "the last letter is drawn";
    else
      EXPECT_EQ(PixelsDifferingIn(whole, changed, gStudentHeaderRect), 0) << "a name too long for the box ends before its end";
  }
}

// A row of the students panel cuts a name by the room it has, not by its bytes: a name in Cyrillic
// or Japanese that fits is drawn to its last letter although it is longer than 40 bytes, and one
// too long for the row ends before it.
TEST_F(ControlsWindow, AStudentsRowCutsANameOnlyWhereItDoesNotFit) {
  auto rowWith = [this](const std::string& name, const char* shot) {
    gStudents = {{name, "a", 0.9f, 0.4f, 0.3f}, {"Bela", "bela", 0.3f, 0.7f, 0.5f}};
    gActiveStudentIndex = 1;
    gStudentListOpen = true;
    RelayoutAll();
    RunDrivenFrames(2);
    if (shot) SaveScreenshot(shot);
    return DrawControlsAlone();
  };
  const struct { const char* name; const char* lastChanged; bool fits; const char* shot; } cases[] = {
      {"Анастасия Владимировна Петрова", "Анастасия Владимировна Петровы", true, "controls_student_row_cyrillic"},
      {"日本語の名前のとても長い生徒さん", "日本語の名前のとても長い生徒くん", true, "controls_student_row_japanese"},
      {"Анастасия Владимировна Петрова-Водкина из Санкт-Петербурга и Москвы",
       "Анастасия Владимировна Петрова-Водкина из Санкт-Петербурга и Москву", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> whole = rowWith(c.name, c.shot);
    ASSERT_FALSE(gStudentNameRects.empty());
    const std::vector<uint8_t> changed = rowWith(c.lastChanged, nullptr);
    if (c.fits)
      EXPECT_GT(PixelsDifferingIn(whole, changed, gStudentNameRects[0]), 10) << "the last letter is drawn";
    else
      EXPECT_EQ(PixelsDifferingIn(whole, changed, gStudentNameRects[0]), 0) << "a name too long for the row ends before its end";
  }
}

// An entry of the compact list, below the full rows of a long class, cuts a name by its room too:
// a Greek or Japanese name, or one whose accents are combining marks, that fits as well as a Latin
// name of ten letters is drawn to its last letter and keeps the accent on each letter, and one too
// long for the entry ends before it.
TEST_F(ControlsWindow, ACompactEntryCutsANameOnlyWhereItDoesNotFit) {
  auto entryWith = [this](const std::string& name, const char* shot, RectF* entry) {
    ListStudents(40, "Pupil ", 0.3f, 0.48f, 0.76f);
    gStudents.back().name = name;
    gActiveStudentIndex = 0;
    gStudentListOpen = true;
    RelayoutAll();
    RunDrivenFrames(2);
    if (shot) SaveScreenshot(shot);
    *entry = kHiddenRect;
    for (size_t i = 0; i < gCompactStudentIndices.size(); ++i)
      if (gCompactStudentIndices[i] == (int)gStudents.size() - 1) *entry = gCompactStudentRects[i];
    return DrawControlsAlone();
  };
  const struct { const char* name; const char* lastChanged; bool fits; const char* shot; } cases[] = {
      {"Δημήτρα", "Δημήτρη", true, "controls_compact_entry_greek"},
      {"田中ひろし", "田中ひろみ", true, "controls_compact_entry_japanese"},
      {"José Núñez", "José Núñeq", true, nullptr},
      // The same name with its accents as combining marks: the u keeps its acute accent.
      {"Jose\xcc\x81 Nu\xcc\x81n\xcc\x83" "ez", "Jose\xcc\x81 Nun\xcc\x83" "ez", true, "controls_compact_entry_marks"},
      {"Bartholomew Alexander Fitzgerald", "Bartholomew Alexander Fitzgeralt", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RectF entry, changedEntry;
    const std::vector<uint8_t> whole = entryWith(c.name, c.shot, &entry);
    const std::vector<uint8_t> changed = entryWith(c.lastChanged, nullptr, &changedEntry);
    ASSERT_GT(entry.w, 0.0f) << "the last student has a compact entry";
    if (c.fits)
      EXPECT_GT(PixelsDifferingIn(whole, changed, entry), 10) << "the name is drawn to its last letter";
    else
      EXPECT_EQ(PixelsDifferingIn(whole, changed, entry), 0) << "a name too long for the entry ends before its end";
  }
}

// The register opened over the students panel covers the top of its Placement Quiz button; the
// pointer there is on the register, which takes the press, so the button beneath shows no hover.
TEST_F(ControlsWindow, AButtonUnderTheRegisterShowsNoHover) {
  gStudents = {{"Ada", "ada", 0.9f, 0.4f, 0.3f}};
  gActiveStudentIndex = 0;
  gStudentListOpen = true;
  RelayoutAll();
  OpenAttendancePanel();
  RunDrivenFrames(2);
  const RectF quiz = gPlacementQuizButtonRect, panel = LayoutAttendancePanel(GetUiScale()).panel;
  ASSERT_GT(quiz.w, 2.0f);
  // The overlap's middle, and a point of the button's face left of its label, clear of the panel.
  const float top = std::max(quiz.y, panel.y), bottom = std::min(quiz.y + quiz.h, panel.y + panel.h);
  const float left = std::max(quiz.x, panel.x), right = std::min(quiz.x + quiz.w, panel.x + panel.w);
  ASSERT_TRUE(top < bottom && left < right) << "the register does not cover the button here";
  const int faceX = (int)quiz.x + 5, faceY = (int)(quiz.y + quiz.h - 4);
  ASSERT_FALSE(PointInRect(panel, faceX, faceY));
  auto faceWithPointerAt = [&](int x, int y) {
    gMouseX = x, gMouseY = y;
    const std::vector<uint8_t> frame = DrawControlsAlone();
    const uint8_t* p = &frame[(size_t(faceY) * gClientWidth + size_t(faceX)) * 4];
    return p[0] + p[1] + p[2];
  };
  const int away = faceWithPointerAt(-10000, -10000);
  ASSERT_GT(faceWithPointerAt(faceX, faceY) - away, 8) << "the hover shows on the button's face";
  EXPECT_EQ(faceWithPointerAt((int)((left + right) / 2), (int)((top + bottom) / 2)), away);
  SaveScreenshot("controls_register_over_quiz");
}

// A song of one tick played with Repeat waits half a second at its end before it starts again, the
// song clock running on: the seek bar's time line reads the same all through the wait.
TEST_F(ControlsWindow, TheTimeLineOfASongOfOneTickStaysAtItsEnd) {
  SetMidiOutputPort(RecordingOutput::Port());
  TempDir dir;
  WriteFileBytes(dir.File("tick.mid"), smf::File(480, {smf::On(0, 60, 100) + smf::Off(1, 60)}));
  gPlaylist = {dir.File("tick.mid")};
  gPlaylistRepeat = true;
  ASSERT_TRUE(PlayPlaylistEntry(0));
  RelayoutAll();
  const uint32_t start = gPlayStartMs;
  RunDrivenFrames(3);
  ASSERT_LT(GetPlaybackPositionMs(ClockMs32()), 100u);
  const std::vector<uint8_t> early = DrawControlsAlone();
  RunDrivenFrames(21);
  ASSERT_EQ(gPlayStartMs, start) << "still waiting at the end";
  ASSERT_GE(GetPlaybackPositionMs(ClockMs32()), 400u);
  const std::vector<uint8_t> late = DrawControlsAlone();
  SaveScreenshot("controls_one_tick_song_waiting");

  const RectF& bar = gSeekBarRect;
  ASSERT_GT(bar.w, 100.0f);
  int ink = 0, differ = 0;
  for (int y = (int)bar.y; y < (int)(bar.y + 0.42f * bar.h); ++y)
    for (int x = (int)bar.x; x < (int)(bar.x + bar.w); ++x) {
      const size_t p = (size_t(y) * gClientWidth + size_t(x)) * 4;
      ink += std::max({early[p], early[p + 1], early[p + 2]}) > 150;
      differ += !std::equal(&early[p], &early[p] + 3, &late[p],
                            [](uint8_t a, uint8_t b) { return std::abs(a - b) <= 2; });
    }
  EXPECT_GT(ink, 30) << "the time line is drawn";
  EXPECT_EQ(differ, 0) << "the time line moved on past the song's end";
}

}  // namespace
