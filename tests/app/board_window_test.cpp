// The practice board in a real window on a private display, at 1440 x 920 and at 1000 x 600: the
// grid with a hovered cell, a Ctrl-picked selection and a cell earned on the keyboard filling with
// gold, a running practice run with its region and timer, an armed run held by a loaded song
// saying so in amber, the preview keyboard lit by a played note, and the toolbar's day and night.
// Pixels are read at positions computed from the board's layout; screenshots of whole frames are
// kept in the build folder for the developer to look at.
#include <filesystem>
#include <map>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/note_tables.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "app/floor_links.h"
#include "app/window_proc.h"
#include "board/board_frame.h"
#include "board/board_view.h"
#include "board/grid_interaction.h"
#include "board/practice_hud.h"
#include "board/scale_grid.h"
#include "board/scale_preview.h"
#include "board/toolbar.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "gfx/widgets_draw.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "practice/achievements.h"
#include "practice/achievement_tracking.h"
#include "practice/practice_records.h"
#include "practice/practice_run.h"
#include "practice/students.h"
#include "tests/app/real_window_fixture.h"
#include "tests/support/test_support.h"
#include "theory/circle_theory.h"
#include "theory/filter_tabs.h"
#include "theory/scale_diagrams.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

namespace {

using Rgb = std::array<unsigned char, 3>;

int Sum(const Rgb& p) { return p[0] + p[1] + p[2]; }

class BoardWindow : public RealWindow {
 protected:
  void SetUp() override {
    RealWindow::SetUp();
    if (HasFatalFailure()) return;
    RebuildFonts();
    ConnectFloors();
    ClockDriveBegin(ClockTickMs64());
    ResetAchievements();
    ResetBoardView();
    ResetToolbar();
    gMouseX = gMouseY = -10000;
    gPracticeStrip = true;
    gPracticeStripFade = 1.0f;
    RelayoutAll();
  }
  // The shipped translation files beside the test's program folder, and the languages listed;
  // false when the tree has none.
  bool UseShippedTranslations() {
    std::filesystem::path shipped = std::filesystem::path(TONVARRA_SOURCE_ROOT) / "translations" / "locales";
    if (!std::filesystem::exists(shipped)) return false;
    std::filesystem::copy(shipped, dir_.File("locales"));
    ResetTranslationFileForTesting();
    if (gLanguageList.empty()) InitUiLanguage();
    return true;
  }
  // The listed language at this index, with its fonts and the window laid out for its words.
  static void UseLanguage(int index) {
    ApplyUiLanguage(index, false);
    RebuildFonts();
    RelayoutAll();
  }
  void TearDown() override {
    UnloadMidi();
    ExitPracticeRun();
    ResetPracticeRecords();
    ResetNoteTables();
    ResetStudents();
    ResetAchievements();
    ResetAchievementTracking();
    ResetScaleSelection();
    ResetFilterTabs();
    ResetScaleDiagrams();
    ResetViewModes();
    ResetBoardView();
    ResetToolbar();
    gSelectedCells.clear();
    gSelectionAnchorRow = gSelectionAnchorCol = -1;
    gGridHoverRow = gGridHoverCol = -1;
    ClockDriveEnd();
    if (!gLanguageList.empty()) ApplyUiLanguage(0, false);
    ResetTranslationFileForTesting();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  // The whole frame as the program draws it (or what was drawn last), kept as a PNG beside the
  // test program.
  void SaveScreenshot(const std::string& name, bool nextFrame = true) {
    if (nextFrame) RunDrivenFrames(1);
    KeepScreenshot(name);
  }
  // The board and the toolbar alone, on black.
  static void DrawBoardAlone() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawBoardView();
    DrawToolbar();
    glFinish();
  }
  static BoardLayout Layout() {
    BoardLayout b;
    ComputeBoardLayout(&b);
    return b;
  }
  // A point inside a cell: fx, fy are fractions of its width and height.
  static void CellPoint(int slot, int col, float fx, float fy, int* x, int* y) {
    BoardLayout b = Layout();
    *x = (int)(b.gridX + (float)col * (b.cellW + b.cellGap) + fx * b.cellW);
    *y = (int)(b.gridY + ((float)slot - ScaleWindowFraction()) * (b.cellH + b.cellGap) + fy * b.cellH);
  }
  static Rgb CellPixel(int slot, int col, float fx = 0.5f, float fy = 0.5f) {
    int x, y;
    CellPoint(slot, col, fx, fy, &x, &y);
    return Pixel(x, y);
  }
  static void Hover(int slot, int col) {
    CellPoint(slot, col, 0.5f, 0.5f, &gMouseX, &gMouseY);
    UpdateGridHover(gMouseX, gMouseY);
  }
  static void NoHover() {
    gMouseX = gMouseY = -10000;
    UpdateGridHover(gMouseX, gMouseY);
  }
  // A key pressed on the keyboard afterMs after the previous one; released unless held.
  static void Key(int note, bool hold = false, uint32_t afterMs = 300) {
    ClockDriveAdvance(afterMs);
    PostAppMessage(kMsgMidiInData, 0x90u | (uint32_t)note << 8 | 100u << 16, (int64_t)ClockMs32());
    if (!hold) PostAppMessage(kMsgMidiInData, 0x80u | (uint32_t)note << 8 | 64u << 16, (int64_t)ClockMs32());
    DrainMessages();
  }

  // The preview's keyboard box; a diagram of the given size narrows it to the image's shape.
  static RectF PreviewBox(int imageW = 0, int imageH = 0) {
    BoardViewFrame f;
    ComputeBoardViewFrame(&f, GetAppSeconds());
    float m = std::max(10.0f * f.layout.scale, 8.0f);
    RectF inner = {f.lower.x + m, f.lower.y + m, f.lower.w - 2 * m, f.lower.h - 2 * m};
    return FitDiagramBox(inner, imageW, imageH);
  }
  // The centre of a preview key's lower block: white key i of the fifteen.
  static void PreviewWhiteKeyPoint(int i, int* x, int* y) {
    RectF box = PreviewBox();  // no diagram image in the test's folder
    float u = box.w / 301.0f, v = box.h / 95.0f;
    *x = (int)(box.x + (20.0f * (float)i + 10.5f) * u);
    *y = (int)(box.y + 77.0f * v);
  }

  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
};

TEST_F(BoardWindow, HoverSelectionAndGoldFillFromTheKeyboard) {
  ASSERT_EQ(gClientWidth, 1440);
  // The hovered cell is brighter than its neighbour in the same row.
  Hover(3, 4);
  DrawBoardAlone();
  EXPECT_GT(Sum(CellPixel(3, 4)), Sum(CellPixel(3, 5)) + 20);
  SaveScreenshot("board_church_hover");

  // A Ctrl-picked cell carries the selection's blue through its body.
  NoHover();
  ClickScaleCell(5, 8, false);
  DrawBoardAlone();
  Rgb picked = CellPixel(5, 8), plain = CellPixel(5, 9);
  EXPECT_GE(picked[2], plain[2] + 5);
  EXPECT_GT(picked[2] - picked[0], plain[2] - plain[0]);
  // Its frame stands over the cell's body: a bright line along the left edge.
  const BoardLayout b = Layout();
  const float edge = 1.0f / b.cellW;
  EXPECT_GT(Sum(CellPixel(5, 8, edge, 0.5f)), Sum(CellPixel(5, 9, edge, 0.5f)) + 250);
  SaveScreenshot("board_selection");
  gSelectedCells.clear();

  // C major up an octave on the keyboard earns Ionian in C: row 0, column 0.
  for (int note : {60, 62, 64, 65, 67, 69, 71, 72}) Key(note);
  ASSERT_TRUE(gAchvDone[0][0]);
  double earnedAt = gAchvEarnedAt[0][0];
  while (GetAppSeconds() - earnedAt < 1.0f) RunDrivenFrames(1);
  DrawBoardAlone();
  // The gold stands at 0.71 of the cell: gold near the bottom, still dark well above the surface.
  Rgb low = CellPixel(0, 0, 0.5f, 0.88f), high = CellPixel(0, 0, 0.5f, 0.3f);
  EXPECT_GT(low[0], 120) << (int)low[0] << "," << (int)low[1] << "," << (int)low[2];
  EXPECT_GT(low[0], low[2] + 60);
  EXPECT_LT(high[0], 70);
  SaveScreenshot("board_gold_filling");
  while (GetAppSeconds() - earnedAt < 2.85f) RunDrivenFrames(1);
  DrawBoardAlone();
  Rgb top = CellPixel(0, 0, 0.5f, 0.15f);
  EXPECT_GT(top[0], 120);
  EXPECT_GT(top[0], top[2] + 60);
  EXPECT_LT(Sum(CellPixel(0, 1, 0.5f, 0.15f)), 200) << "the neighbour stays plain";
}

TEST_F(BoardWindow, RunningPracticeRunShowsRegionAndTimer) {
  gStudents = {{"Ada Lovelace", "ada", 0.95f, 0.3f, 0.2f}};
  gActiveStudentIndex = 0;
  TempDir dir;
  ScopedExeDir exe(dir.path());
  LoadPracticeRuns();  // none yet: the record line says so
  BeginPracticeSelection();
  ASSERT_TRUE(OnPracticeGridDown(PracticeGridPoint{true, 1, 2, true}));
  ASSERT_TRUE(OnPracticeGridMove(PracticeGridPoint{true, 2, 4, true}));
  ASSERT_TRUE(OnPracticeGridUp(PracticeGridPoint{true, 2, 4, true}));
  ASSERT_EQ(gPracticeState, kPracticeArmed);
  ASSERT_TRUE(OnPracticeCommandKey('A'));
  ASSERT_EQ(gPracticeState, kPracticeRunning);
  RelayoutAll();
  ClockDriveAdvance(1234);
  DrawBoardAlone();

  // The current step (slot 1, column 2) is framed in the student colour; the region's other cells
  // are tinted by it; a cell outside stays plain.
  int fx, fy, reddest = -255;
  CellPoint(1, 2, 0.0f, 0.5f, &fx, &fy);
  for (int x = fx - 4; x <= fx + 2; ++x) reddest = std::max(reddest, Pixel(x, fy)[0] - Pixel(x, fy)[1]);
  EXPECT_GT(reddest, 40) << "the frame round the current step";
  Rgb inside = CellPixel(2, 4), outside = CellPixel(4, 6);
  EXPECT_GT(inside[0] - inside[1], outside[0] - outside[1] + 6);

  // The timer pill under the grid, at the right of the strip, with its time in it.
  BoardLayout b = Layout();
  const float s = b.scale;
  float pw = std::max(78.0f * s, 64.0f), ph = std::max(20.0f * s, 17.0f);
  float px = b.stripX + b.stripW - pw - std::max(12.0f * s, 10.0f);
  float py = b.gridY + b.gridH + std::max(6.0f * s, 4.0f) + (b.hudHeight - ph) / 2.0f;
  ASSERT_GT(b.hudHeight, 0.0f);
  std::vector<uint8_t> pixels = ReadFrame();
  auto bright = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const uint8_t* p = &pixels[(size_t(y) * gClientWidth + size_t(x)) * 4];
        n += p[0] > 170 && p[1] > 170 && p[2] > 170;
      }
    return n;
  };
  EXPECT_GT(bright((int)px + 4, (int)py + 2, (int)(px + pw) - 4, (int)(py + ph) - 2), 15) << "the time's ink";
  EXPECT_EQ(bright((int)(px - pw), (int)py + 2, (int)px - 4, (int)(py + ph) - 2), 0) << "nothing left of it";

  // The status line and the record line under it stand apart: between their inks lies a row with
  // none, in the strip left of the pill.
  std::string record;
  ASSERT_TRUE(PracticeRecordLine(&record));
  auto inked = [&](int y) {
    for (int x = (int)b.stripX + 4; x < (int)px - 4; ++x) {
      const uint8_t* p = &pixels[(size_t(y) * gClientWidth + size_t(x)) * 4];
      if (p[0] + p[1] + p[2] > 330) return true;
    }
    return false;
  };
  std::vector<int> inkRows;
  for (int y = (int)(b.gridY + b.gridH); y < (int)(b.stripY + b.stripH); ++y)
    if (inked(y)) inkRows.push_back(y);
  int lines = inkRows.empty() ? 0 : 1;
  for (size_t i = 1; i < inkRows.size(); ++i) lines += inkRows[i] > inkRows[i - 1] + 1;
  EXPECT_EQ(lines, 2) << "status and record lines, " << inkRows.size() << " inked rows";
  SaveScreenshot("board_practice_run");
}

TEST_F(BoardWindow, AnArmedRunHeldByASongSaysInAmberToCloseIt) {
  BeginPracticeSelection();
  ASSERT_TRUE(OnPracticeGridDown(PracticeGridPoint{true, 1, 2, true}));
  ASSERT_TRUE(OnPracticeGridUp(PracticeGridPoint{true, 1, 2, true}));
  ASSERT_EQ(gPracticeState, kPracticeArmed);
  // Amber ink in the HUD band under the grid, left of the timer pill.
  auto amberInk = [&] {
    RelayoutAll();
    DrawBoardAlone();
    BoardLayout b = Layout();
    float px = b.stripX + b.stripW - std::max(78.0f * b.scale, 64.0f) - std::max(12.0f * b.scale, 10.0f);
    std::vector<uint8_t> pixels = ReadFrame();
    int n = 0;
    for (int y = (int)(b.gridY + b.gridH); y < (int)(b.stripY + b.stripH); ++y)
      for (int x = (int)b.stripX + 4; x < (int)px - 4; ++x) {
        const uint8_t* p = &pixels[(size_t(y) * gClientWidth + size_t(x)) * 4];
        n += p[0] > 170 && p[0] - p[2] > 80;
      }
    return n;
  };
  EXPECT_EQ(amberInk(), 0) << "no song: the usual prompt";

  // A song played to its end is still loaded; its cross stands beside the transport.
  gSongEvents = {SongEvent{0, 0x90, 60, 90, 0}, SongEvent{400, 0x80, 60, 0, 0}};
  gSongPath = "evening_song.mid";
  gSongTitle = "Evening Song";
  EXPECT_GT(amberInk(), 20) << "the line that says how to go on";
  Key(60);
  EXPECT_EQ(gPracticeState, kPracticeArmed) << "the clock waits";
  SaveScreenshot("board_practice_run_held_by_song");

  UnloadMidi();
  EXPECT_EQ(amberInk(), 0);
  Key(60);
  EXPECT_EQ(gPracticeState, kPracticeRunning);
}

TEST_F(BoardWindow, TheHeldRunsLineFitsLeftOfTheTimerInEveryLanguage) {
  if (!UseShippedTranslations()) GTEST_SKIP() << "no translation files";
  BeginPracticeSelection();
  ASSERT_TRUE(OnPracticeGridDown(PracticeGridPoint{true, 1, 2, true}));
  ASSERT_TRUE(OnPracticeGridUp(PracticeGridPoint{true, 1, 2, true}));
  ASSERT_GE(gLanguageList.size(), 25u);
  ApplyClientSize(1000, 600, true);   // the narrowest strip
  for (size_t i = 0; i < gLanguageList.size(); ++i) {
    SCOPED_TRACE(gLanguageList[i].code);
    UseLanguage((int)i);
    BoardLayout b = Layout();
    const float s = b.scale;
    float room = b.stripW - std::max(12.0f * s, 10.0f) - std::max(78.0f * s, 64.0f) - std::max(12.0f * s, 10.0f);
    std::string line = PracticeHudStatusText(kPracticeArmed, 0, 1, true);
    EXPECT_NE(line, "");
    ScopedTrSuppress already;
    EXPECT_LE(MeasureText(gFontSmall, line, 9.0f), room) << line;
  }
}

// The status and record lines end before the timer pill in every language, also at the narrowest
// strip and with a long record: no ink in the columns just left of the pill.
TEST_F(BoardWindow, TheHudsLinesEndBeforeTheTimerInEveryLanguage) {
  if (!UseShippedTranslations()) GTEST_SKIP() << "no translation files";
  ASSERT_GE(gLanguageList.size(), 25u);
  gStudents = {{"Ada", "ada", 0.95f, 0.3f, 0.2f}};
  gActiveStudentIndex = 0;
  LoadPracticeRuns();
  BeginPracticeSelection();
  ASSERT_TRUE(OnPracticeGridDown(PracticeGridPoint{true, 0, 0, true}));
  ASSERT_TRUE(OnPracticeGridMove(PracticeGridPoint{true, 6, 11, true}));
  ASSERT_TRUE(OnPracticeGridUp(PracticeGridPoint{true, 6, 11, true}));
  ASSERT_EQ(gPracticeState, kPracticeArmed);
  RecordPracticeRun(63870);
  ASSERT_EQ(gPracticeRuns.size(), 1u);
  gPracticeRuns[0].lastMs = 754560;
  gPracticeRuns[0].runs = 123;
  ApplyClientSize(1000, 600, true);   // the narrowest strip
  for (size_t i = 0; i < gLanguageList.size(); ++i) {
    SCOPED_TRACE(gLanguageList[i].code);
    UseLanguage((int)i);
    DrawBoardAlone();
    BoardLayout b = Layout();
    const float s = b.scale;
    int px = (int)(b.stripX + b.stripW - std::max(78.0f * s, 64.0f) - std::max(12.0f * s, 10.0f));
    std::vector<uint8_t> pixels = ReadFrame();
    int ink = 0;
    for (int y = (int)(b.gridY + b.gridH); y < (int)(b.stripY + b.stripH); ++y)
      for (int x = px - 4; x < px; ++x) {
        const uint8_t* p = &pixels[(size_t(y) * gClientWidth + size_t(x)) * 4];
        ink += p[0] + p[1] + p[2] > 330;
      }
    EXPECT_EQ(ink, 0) << "text runs under the timer";
    if (gLanguageList[i].code.rfind("tr", 0) == 0) SaveScreenshot("board_practice_run_turkish");
  }
}

TEST_F(BoardWindow, PlayedKeyLightsThePreviewsLowerOctave) {
  int ex, ey, dx, dy, ux, uy;
  PreviewWhiteKeyPoint(2, &ex, &ey);   // E3
  PreviewWhiteKeyPoint(1, &dx, &dy);   // D3
  PreviewWhiteKeyPoint(9, &ux, &uy);   // E4, the upper octave
  DrawBoardAlone();
  Rgb idleE = Pixel(ex, ey), idleUpper = Pixel(ux, uy);
  Key(64, true);  // E4 held
  DrawBoardAlone();
  Rgb litE = Pixel(ex, ey), litD = Pixel(dx, dy), upper = Pixel(ux, uy);
  EXPECT_GT(Sum(litE), Sum(idleE) + 40);
  EXPECT_GT(Sum(litE), Sum(litD) + 40);
  EXPECT_LT(Sum(upper) + 60, Sum(litE)) << "the upper octave shows membership only";
  EXPECT_LT(std::abs(Sum(upper) - Sum(idleUpper)), 30);
  SaveScreenshot("board_preview_lit");
}

// A diagram of the picked mode and key in the program's "scales" folder lies over the preview
// keyboard tinted with the scale's colour: the black keys under light blue ink turn red for
// Phrygian. Every scale in every key has a shipped diagram: E Phrygian's marks every white key
// with a dot in the scale's colour and leaves the black keys dark.
TEST_F(BoardWindow, APickedScalesDiagramLiesOverThePreviewInItsColour) {
  const int w = 301, h = 95;
  DecodedImage ink{w, h, {}};
  for (int i = 0; i < w * h; ++i) ink.rgba.insert(ink.rgba.end(), {120, 160, 240, 255});
  std::filesystem::create_directories(dir_.File("scales"));
  ASSERT_TRUE(SaveImageFile(dir_.File("scales/phrygian_A.png"), ink));
  SelectScale(kChurchModes[2], 3, true);
  DrawBoardAlone();
  EXPECT_NE(gScaleDiagramImage.texture, 0u);
  EXPECT_EQ(gScaleDiagramMissingName, "");
  RectF box = PreviewBox(w, h);
  float u = box.w / 301.0f, v = box.h / 95.0f;
  for (float centre : {43.5f, 158.5f, 240.5f}) {  // the black keys D#3, F#4 and A#4
    Rgb p = Pixel((int)(box.x + centre * u), (int)(box.y + 35.0f * v));
    EXPECT_GT(p[0], p[1] + 50) << centre;
    EXPECT_GT(p[0], p[2] + 50) << centre;
    EXPECT_GT(p[0], 80) << centre;
  }
  SaveScreenshot("board_preview_diagram");

  SelectScale(kChurchModes[2], 4, true);
  DrawBoardAlone();
  ASSERT_NE(gScaleDiagramImage.texture, 0u) << "no shipped diagram for E Phrygian";
  EXPECT_EQ(gScaleDiagramImage.width, 602);
  EXPECT_EQ(gScaleDiagramImage.height, 190);
  box = PreviewBox(gScaleDiagramImage.width, gScaleDiagramImage.height);
  u = box.w / 301.0f, v = box.h / 95.0f;
  for (int i : {0, 2, 6, 9}) {  // C3, E3 (the tonic), B3 and E4: the dot in the scale's red
    Rgb dot = Pixel((int)(box.x + (20.0f * (float)i + 10.5f) * u), (int)(box.y + 76.0f * v));
    Rgb key = Pixel((int)(box.x + (20.0f * (float)i + 10.5f) * u), (int)(box.y + 66.0f * v));
    EXPECT_GT(dot[0], dot[1] + 25) << i << ": " << (int)dot[0] << "," << (int)dot[1] << "," << (int)dot[2];
    EXPECT_GT(Sum(key), Sum(dot) + 90) << i << ": the dot does not stand out of its key";
  }
  for (float centre : {43.5f, 158.5f, 240.5f})  // no black key is in the scale
    EXPECT_LT(Sum(Pixel((int)(box.x + centre * u), (int)(box.y + 35.0f * v))), 200) << centre;
  SaveScreenshot("board_preview_shipped_diagram");
}

// The program's own search finds a shipped diagram for every scale of the catalogue in every key,
// each the preview keyboard's shape.
TEST_F(BoardWindow, EveryScaleInEveryKeyHasItsDiagram) {
  GetScaleCatalogue();
  int shown = 0;
  for (const ScaleRow* row : gScaleCatalogue)
    for (int ring = 0; ring < 12; ++ring) {
      SelectScale(row, ring, false);
      UpdateScaleDiagram();
      EXPECT_NE(gScaleDiagramImage.texture, 0u) << row->name << " " << kKeyNamesByRing[ring] << ": "
                                                << gScaleDiagramMissingName;
      EXPECT_EQ(gScaleDiagramImage.width * 95, gScaleDiagramImage.height * 301) << row->name;
      shown += gScaleDiagramImage.texture != 0;
    }
  EXPECT_EQ(shown, 12 * (int)gScaleCatalogue.size());
}

TEST_F(BoardWindow, DayButtonShowsSunOrMoon) {
  const RectF& day = gToolbarRects[7];
  ASSERT_GT(day.w, 2.0f);
  int cx = (int)(day.x + day.w / 2), cy = (int)(day.y + day.h / 2);
  gBackdropTint = false;
  DrawBoardAlone();
  Rgb night = Pixel(cx, cy);
  SaveScreenshot("board_night");
  gBackdropTint = true;
  DrawBoardAlone();
  Rgb sun = Pixel(cx, cy);
  EXPECT_GT(std::abs(Sum(sun) - Sum(night)), 60) << Sum(sun) << " against " << Sum(night);
  EXPECT_GT(sun[0], sun[2] + 60) << "the sun is warm";
  RunDrivenFrames(30);  // the backdrop eases towards day
  SaveScreenshot("board_day");
}

// At the smallest window the twelve key names above the grid stay apart: three columns of
// background lie between each name and the next ("Db Ab Eb Bb", not "DbAbEbBb").
TEST_F(BoardWindow, KeyNamesStayApartInTheSmallestWindow) {
  ApplyClientSize(1120, 720, true);
  RelayoutAll();
  DrawBoardAlone();
  SaveScreenshot("board_key_names_1120", false);
  const BoardLayout b = Layout();
  const float baseline = b.gridY - std::max(7.0f * b.scale, 6.0f);
  const int top = (int)(baseline - FontPixelSize(gFontSmall)), bottom = (int)baseline + 3;
  auto inkAt = [&](int x) {
    for (int y = top; y <= bottom; ++y) {
      Rgb c = Pixel(x, y);
      if (std::max({c[0], c[1], c[2]}) > 90) return true;
    }
    return false;
  };
  for (int c = 0; c < 11; ++c) {
    const float right = b.gridX + (float)c * (b.cellW + b.cellGap) + b.cellW;
    int blank = 0, longest = 0;
    for (int x = (int)right - 4; x <= (int)(right + b.cellGap) + 4; ++x) {
      blank = inkAt(x) ? 0 : blank + 1;
      longest = std::max(longest, blank);
    }
    const bool apart = longest >= 3;
    EXPECT_TRUE(apart) << "key names " << c << " and " << c + 1 << " run together";
  }
}

// A name shrinks to its column where it must and is never drawn larger than its font: at every
// size no name's ink rises above the capitals of "C", drawn as it is.
TEST_F(BoardWindow, KeyNamesAreNeverDrawnLarger) {
  for (auto [w, h] : {std::pair{1440, 920}, std::pair{1280, 720}, std::pair{1120, 720}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    ApplyClientSize(w, h, true);
    RelayoutAll();
    DrawBoardAlone();
    const BoardLayout b = Layout();
    const float baseline = b.gridY - std::max(7.0f * b.scale, 6.0f);
    const int top = (int)(baseline - 2.0f * FontPixelSize(gFontSmall)), bottom = (int)baseline + 3;
    int capitals = -1;
    for (int c = 0; c < 12; ++c) {
      const float left = b.gridX + (float)c * (b.cellW + b.cellGap);
      int highest = -1;
      for (int y = top; y <= bottom && highest < 0; ++y)
        for (int x = (int)(left - b.cellGap / 2); x <= (int)(left + b.cellW + b.cellGap / 2); ++x) {
          Rgb px = Pixel(x, y);
          if (std::max({px[0], px[1], px[2]}) > 90) {
            highest = y;
            break;
          }
        }
      ASSERT_GE(highest, 0) << kKeyNamesByRing[c];
      if (c == 0) capitals = highest;
      EXPECT_GE(highest, capitals - 1) << kKeyNamesByRing[c] << " stands taller than C";
    }
  }
}

// In narrow windows the twelve key names keep one size and one place in their columns: every lone
// capital stands as tall as the others, every flat as tall as the other flats (the two shapes the
// names take), and each name's ink starts as far into its column as the others'.
TEST_F(BoardWindow, KeyNamesShareOneSizeAndPlace) {
  for (auto [w, h] : {std::pair{1120, 720}, std::pair{1280, 720}, std::pair{1440, 920}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    ApplyClientSize(w, h, true);
    RelayoutAll();
    DrawBoardAlone();
    SaveScreenshot("board_key_names_alike_" + std::to_string(w), false);
    const BoardLayout b = Layout();
    const float baseline = b.gridY - std::max(7.0f * b.scale, 6.0f);
    const int top = (int)(baseline - 2.0f * FontPixelSize(gFontSmall)), bottom = (int)baseline + 4;
    const float inset = std::max(0.16f * b.cellW, 1.0f);
    std::map<int, std::vector<int>> heights;   // by shape: 0 a lone capital, 1 a flat, 2 "F#"
    std::vector<int> starts;
    for (int c = 0; c < 12; ++c) {
      const float left = b.gridX + (float)c * (b.cellW + b.cellGap);
      const int end = (int)(left + b.cellW + b.cellGap + (c < 11 ? inset : 0.0f));   // before the next name
      int highest = -1, lowest = -1, first = -1;
      for (int x = (int)left; x < end; ++x)
        for (int y = top; y <= bottom; ++y) {
          Rgb px = Pixel(x, y);
          if (std::max({px[0], px[1], px[2]}) <= 90) continue;
          highest = highest < 0 ? y : std::min(highest, y);
          lowest = std::max(lowest, y);
          if (first < 0) first = x;
        }
      const std::string name = kKeyNamesByRing[c];
      ASSERT_GE(first, 0) << name;
      heights[name.size() == 1 ? 0 : (name[1] == 'b' ? 1 : 2)].push_back(lowest - highest);
      starts.push_back(first - (int)left);
    }
    for (const auto& [shape, hs] : heights)
      EXPECT_LE(*std::max_element(hs.begin(), hs.end()) - *std::min_element(hs.begin(), hs.end()), 1)
          << "names of shape " << shape << " drawn in different sizes";
    EXPECT_LE(*std::max_element(starts.begin(), starts.end()) - *std::min_element(starts.begin(), starts.end()), 2)
        << "names placed differently in their columns";
  }
}

TEST_F(BoardWindow, ScreenshotsOfListViewAndGoldAtBothSizes) {
  // Gold cells with their timers running, a pick, a selection and a sounding chord.
  const double now = GetAppSeconds();
  for (int row = 0; row < 7; ++row)
    for (int col = 0; col < 12; col += 1 + row % 3) {
      gAchvDone[row][col] = 1;
      gAchvTime[row][col] = NowSeconds();
      gAchvEarnedAt[row][col] = now - 0.4 * col;
      gAchvFlash[row][col] = 0.3f;
      gAchvGlow[row][col] = 12.0f;
      gAchvSheen[row][col] = 1.5f;
    }
  SelectScale(kChurchModes[1], 2, true);
  ClickScaleCell(4, 7, false);
  Key(60, true, 20);
  Key(64, true, 20);
  Key(66, true, 20);
  for (int size = 0; size < 2; ++size) {
    int eighth = -1;
    if (size == 1) ApplyClientSize(1000, 600, true);
    std::string tag = size == 0 ? "1440" : "1000";
    SaveScreenshot("board_gold_" + tag);
    gScaleListMode = true;
    gScaleFilter = 7;
    RebuildVisibleScales();
    gScaleListScroll = gScaleListScrollTarget = 5.5f;
    RelayoutAll();
    // The half-shown eighth row holds a gold cell; the grid's clip cuts it at the grid's bottom.
    eighth = VisibleScaleAt(ScaleWindowStep() + 7);
    ASSERT_GE(eighth, 7);
    SyncAchievementRows();
    gAchvDone[eighth][0] = 1;
    gAchvTime[eighth][0] = NowSeconds();
    gAchvEarnedAt[eighth][0] = now - 10.0;
    SaveScreenshot("board_list_view_" + tag);
    BoardLayout b = Layout();
    EXPECT_EQ(GridRowCount(true, VisibleScaleCount(), ScaleWindowFraction()), 8);
    Rgb inGrid = Pixel((int)(b.gridX + b.cellW / 2), (int)(b.gridY + b.gridH - 3));
    Rgb below = Pixel((int)(b.gridX + b.cellW / 2), (int)(b.gridY + b.gridH + 3));
    EXPECT_GT(inGrid[0], inGrid[2] + 60) << "gold in the half row";
    EXPECT_LT(below[0], 100) << "nothing of it below the grid";
    gAchvDone[eighth][0] = 0;
    gScaleListMode = false;
    gScaleFilter = 0;
    RebuildVisibleScales();
    RelayoutAll();
  }
}

TEST_F(BoardWindow, TranslatedScaleNamesStayInTheLabelColumn) {
  if (!UseShippedTranslations()) GTEST_SKIP() << "no translation files";
  gScaleFilter = 7;
  RebuildVisibleScales();
  for (const char* code : {"en", "ru", "hi", "ar", "ja"}) {
    SCOPED_TRACE(code);
    int language = -1;
    for (size_t i = 0; i < gLanguageList.size(); ++i)
      if (gLanguageList[i].code == code) language = (int)i;
    ASSERT_GE(language, 0);
    UseLanguage(language);
    BoardLayout b = Layout();
    const float px = (float)ComputeFontSizes(b.scale).small, room = RowLabelRoom(b.labelColumnWidth, b.scale);
    int cut = 0, widest = 0;
    float widestW = 0;
    for (int i = 0; i < VisibleScaleCount(); ++i) {
      const ScaleRow* row = gScaleCatalogue[VisibleScaleAt(i)];
      if (!row) continue;
      std::string name = Tr(row->name);
      RowLabelLines shown = SplitRowLabel(name, b.labelColumnWidth, b.scale, b.cellH);
      ScopedTrSuppress already;
      float whole = MeasureText(gFontSmall, name, px);
      EXPECT_LE(MeasureText(gFontSmall, shown.first, px), room) << name;
      EXPECT_LE(MeasureText(gFontSmall, shown.second, px), room) << name;
      if (whole <= room) {
        EXPECT_EQ(shown.first, name);
        EXPECT_EQ(shown.second, "");
      } else {
        ++cut;
      }
      if (whole > widestW) widestW = whole, widest = i;
    }
    EXPECT_GT(cut, 0) << "some names are wider than the column";
    if (std::string(code) == "ru" || std::string(code) == "en") continue;
    // The list scrolled to the widest name: the narrow gap between the labels and the grid stays
    // dark while the labels have ink. The frames that take in the new language come first.
    RunDrivenFrames(3);
    gScaleListMode = true;
    gScaleFilter = 7;
    RebuildVisibleScales();
    gScaleListScroll = gScaleListScrollTarget = (float)std::min(widest + 3, VisibleScaleCount() - 4);
    RelayoutAll();
    DrawBoardAlone();
    int gapInk = 0, labelInk = 0;
    float lx = b.contentX + RowLabelInset(b.scale);
    for (int r = 0; r < 7; ++r) {
      int y0 = (int)(b.gridY + (float)r * (b.cellH + b.cellGap)) + 2, y1 = y0 + (int)b.cellH - 4;
      for (int y = y0; y < y1; ++y) {
        for (int x = (int)(lx + room) + 1; x < (int)b.gridX - 1; ++x) gapInk = std::max(gapInk, Sum(Pixel(x, y)));
        for (int x = (int)lx; x < (int)(lx + room); ++x) labelInk = std::max(labelInk, Sum(Pixel(x, y)));
      }
    }
    EXPECT_GT(labelInk, 300);
    EXPECT_LT(gapInk, 200) << "a label runs into the grid";
    SaveScreenshot(std::string("board_list_view_") + code);
    gScaleListMode = false;
  }
  gScaleListMode = false;
  gScaleFilter = 0;
  RebuildVisibleScales();
}

TEST_F(BoardWindow, TheListsFilterButtonAndNamesAnswerWhereTheyAreDrawn) {
  gScaleListMode = true;
  SelectScaleFilter(7);
  SetScaleListScroll(20.0f, true, false);
  RelayoutAll();
  RunDrivenFrames(40);  // the filter button fades in
  BoardLayout b = Layout();
  FilterPanelGeometry g = ComputeFilterPanelGeometry();
  ASSERT_TRUE(g.visible);
  // The button stands in the key names' band over the label column, clear of the first row's
  // name and of the grid.
  EXPECT_LE(g.button.x + g.button.w, b.gridX);
  EXPECT_GE(g.button.y, b.gridY - b.keyRowHeight - 1.0f);
  EXPECT_LE(g.button.y + g.button.h, b.gridY);
  SaveScreenshot("board_list_filter_button");
  const int buttonY = (int)(g.button.y + g.button.h / 2.0f);
  const int buttonX = (int)(b.contentX + RowLabelInset(b.scale));
  EXPECT_GT(Sum(Pixel(buttonX, buttonY)), Sum(Pixel(buttonX, (int)(g.button.y + g.button.h) + 3)) + 40)
      << "no button where it is hit-tested";

  // A press on a name in the column picks that name's row; the list brings it to the middle.
  const float pitch = b.cellH + b.cellGap, lx = b.contentX + RowLabelInset(b.scale) + 4.0f;
  for (int slot : {0, 5}) {
    const int wanted = VisibleIndexOf(ScaleWindowItemIndex(slot));
    const int y = (int)(b.gridY + ((float)slot - ScaleWindowFraction()) * pitch + b.cellH / 2.0f);
    MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam((int)lx, y));
    MainWndProc(kMsgLButtonUp, 0, MakePointParam((int)lx, y));
    EXPECT_FLOAT_EQ(gScaleListScrollTarget, (float)wanted) << "slot " << slot;
    RunDrivenFrames(60);
    EXPECT_EQ(VisibleIndexOf(ScaleWindowItemIndex(3)), wanted) << "the picked name is not in the middle";
  }

  // The button opens the tabs; a tab narrows the list and the button names it.
  MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam((int)(g.button.x + g.button.w / 2), buttonY));
  MainWndProc(kMsgLButtonUp, 0, MakePointParam((int)(g.button.x + g.button.w / 2), buttonY));
  EXPECT_TRUE(gFilterPanelOpen);
  RunDrivenFrames(20);
  g = ComputeFilterPanelGeometry();
  const RectF tab = g.tabs[2].rect;  // "Harmonic Minor Set"
  MainWndProc(kMsgLButtonDown, kMouseFlagLeft, MakePointParam((int)(tab.x + tab.w / 2), (int)(tab.y + tab.h / 2)));
  MainWndProc(kMsgLButtonUp, 0, MakePointParam((int)(tab.x + tab.w / 2), (int)(tab.y + tab.h / 2)));
  EXPECT_EQ(gScaleFilter, 2);
  EXPECT_FALSE(gFilterPanelOpen);
  RunDrivenFrames(20);
  SaveScreenshot("board_list_filter_chosen");
  gScaleListMode = false;
  SelectScaleFilter(0);
}

TEST_F(BoardWindow, EveryScaleRowIsToldApartInEveryLanguage) {
  if (!UseShippedTranslations()) GTEST_SKIP() << "no translation files";
  ASSERT_GE(gLanguageList.size(), 20u);
  gScaleFilter = 7;
  RebuildVisibleScales();
  for (size_t language = 0; language < gLanguageList.size(); ++language) {
    SCOPED_TRACE(gLanguageList[language].code);
    UseLanguage((int)language);
    BoardLayout b = Layout();
    // Two scales whose names the language tells apart must not look alike in the column.
    std::vector<std::pair<std::string, std::string>> seen;  // name, label
    for (int i = 0; i < VisibleScaleCount(); ++i) {
      const ScaleRow* row = gScaleCatalogue[VisibleScaleAt(i)];
      if (!row) continue;
      std::string name = Tr(row->name);
      RowLabelLines shown = SplitRowLabel(name, b.labelColumnWidth, b.scale, b.cellH);
      std::string label = shown.first + "\n" + shown.second;
      for (const auto& [otherName, otherLabel] : seen)
        if (otherName != name) EXPECT_NE(otherLabel, label) << name << " and " << otherName;
      seen.emplace_back(name, label);
    }
  }

  // In English the list scrolled to the harmonic scales: both lines of their labels have ink,
  // a line apart, where the row's baselines are.
  ApplyUiLanguage(0, false);
  RebuildFonts();
  RunDrivenFrames(3);
  gScaleListMode = true;
  RebuildVisibleScales();
  int harmonic = -1;
  for (int i = 0; i < VisibleScaleCount(); ++i)
    if (const ScaleRow* row = gScaleCatalogue[VisibleScaleAt(i)]; row && std::string(row->name) == "Harmonic Minor")
      harmonic = i;
  ASSERT_GE(harmonic, 0);
  gScaleListScroll = gScaleListScrollTarget = (float)(harmonic + 3);
  RelayoutAll();
  const int slot = harmonic - ScaleWindowStep();
  ASSERT_TRUE(slot >= 0 && slot < 7);
  BoardLayout b = Layout();
  RowLabelLines shown = SplitRowLabel("Harmonic Minor", b.labelColumnWidth, b.scale, b.cellH);
  ASSERT_EQ(shown.second, "Minor") << "the English column is too wide for this test";
  DrawBoardAlone();
  const float px = (float)ComputeFontSizes(b.scale).small, lx = b.contentX + RowLabelInset(b.scale);
  const float rowY = b.gridY + ((float)slot - ScaleWindowFraction()) * (b.cellH + b.cellGap);
  auto inkBetween = [&](float top, float bottom) {
    int ink = 0;
    for (int y = (int)top; y < (int)bottom; ++y)
      for (int x = (int)lx; x < (int)(lx + px * 2.5f); ++x) ink = std::max(ink, Sum(Pixel(x, y)));
    return ink;
  };
  float first = RowLabelBaseline(rowY, b.cellH, b.scale, 0, 2), second = RowLabelBaseline(rowY, b.cellH, b.scale, 1, 2);
  EXPECT_GT(inkBetween(first - 0.6f * px, first), 300) << "no first line";
  EXPECT_GT(inkBetween(second - 0.6f * px, second), 300) << "no second line";
  EXPECT_LT(inkBetween(first + 1.0f, first + 0.1f * px + 1.0f), 250) << "the lines run together";
  SaveScreenshot("board_list_view_two_line_labels", false);
  gScaleListMode = false;
  gScaleFilter = 0;
  RebuildVisibleScales();
}

}  // namespace
