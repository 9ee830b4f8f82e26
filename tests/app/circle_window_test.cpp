// The circle view in a real 1440 x 920 window on a virtual display (laid out at 1280 x 720 where a
// test asks): notes posted as raw MIDI input go the whole road through the window procedure and the
// frame, and the picture is read back at positions computed from the circle's layout. Screenshots
// go to the test's working folder.
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/frame_rest.h"
#include "app/base/note_tables.h"
#include "app/base/ring_key_drag.h"
#include "app/base/view_modes.h"
#include "app/chord_recogniser.h"
#include "app/chord_trail.h"
#include "app/circle_key_drag.h"
#include "app/circle_view.h"
#include "app/main_loop.h"
#include "app/orb_gate.h"
#include "app/ring_glow.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "gfx/gl_setup.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "practice/students.h"
#include "visual/orb_state.h"
#include "visual/orb_step_memory.h"
#include "theory/chromatic_runs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "tests/support/child_process.h"
#include "tests/support/leak_check.h"
#include "visual/backdrop.h"
#include "visual/orb_params.h"
#include "visual/ring_labels.h"

namespace {

using Rgb = std::array<int, 3>;

class CircleWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { display_ = new VirtualDisplay(); }
  static void TearDownTestSuite() {
    delete display_;
    display_ = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(display_->name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", display_->name().c_str(), 1);
    setenv("TONVARRA_MESSAGE_BOXES", "0", 1);
    SetAppMessageHandler(MainWndProc);
    gClientWidth = gClientHeight = gAppliedClientWidth = gAppliedClientHeight = 0;
    ASSERT_TRUE(WindowCreate("Tonvarra", "Orvanel", 100, 100, 1440, 920)) << WindowLastError();
    gMainWindowOpen = true;
    WindowShowMaximized();
    for (int i = 0; i < 100 && gClientWidth != 1440; ++i) {
      DrainMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(WindowCreateGlContext(), kGlReady) << WindowLastError();
    gGlReady = true;
    SetupGlState();
    SetProjection2D();
    RebuildFonts();
    ResetNoteTables();
    ResetScaleSelection();
    ValidateCurrentScale();
    ResetChordRecogniser();
    ResetRingGlow();
    ResetCircleView();
    ResetBackdrop();
    ResetViewModes();
    gRingLabels.clear();
    ComputeCircleLayout(&cx_, &cy_, &m_, &R_, &Ri_, &Rm_);
    CheckLeaksBeforeExit();
  }
  void TearDown() override {
    ResetViewModes();
    ResetStudents();
    ResetNoteTables();
    FreeAllFonts();
    DeleteGlowTexture();
    gGlReady = false;
    WindowDestroy();
    gMainWindowOpen = false;
    SetAppMessageHandler(nullptr);
  }

  static void Play(int note, int velocity) {
    int status = velocity > 0 ? 0x90 : 0x80;
    PostAppMessage(kMsgMidiInData, (uint64_t)(status | note << 8 | velocity << 16), ClockMs32());
  }
  // Frames for about `ms` milliseconds at the program's pace; the last one stays in the back buffer.
  static void Frames(int ms) {
    for (int t = 0; t < ms; t += 17) {
      RunFrameWork(ClockMs32());
      std::this_thread::sleep_for(std::chrono::milliseconds(17));
    }
    glFinish();
  }
  // Frames of a driven clock, 17 ms apart, for about `ms` milliseconds.
  static void DrivenFrames(int ms) {
    for (int t = 0; t < ms; t += 17) {
      ClockDriveAdvance(17);
      RunFrameWork(ClockMs32());
    }
    glFinish();
  }
  static Rgb Pixel(float x, float yFromTop) {
    unsigned char rgb[3] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels((int)x, gClientHeight - 1 - (int)yFromTop, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
  }
  // A point of ring position p at radius r, a little off the sector's middle (clear of its names).
  Rgb RingPoint(int p, float r) const {
    float a = (float)p * 0.5235988f - 1.5707964f + 0.16f;
    return Pixel(cx_ + r * std::cos(a), cy_ + r * std::sin(a));
  }
  // A point on the outer ring of ring position p, a little off the sector's middle (clear of the label).
  Rgb OuterSector(int p) const { return RingPoint(p, R_ - 8); }
  // Some pixel in the box is near white.
  static bool WhiteInk(float x0, float y0, float x1, float y1) {
    for (float y = y0; y <= y1; y += 1)
      for (float x = x0; x <= x1; x += 1) {
        Rgb c = Pixel(x, y);
        if (std::min({c[0], c[1], c[2]}) > 200) return true;
      }
    return false;
  }
  static bool BrightInk(float x0, float y0, float x1, float y1) {
    for (float y = y0; y <= y1; y += 1)
      for (float x = x0; x <= x1; x += 1) {
        Rgb c = Pixel(x, y);
        if (std::max({c[0], c[1], c[2]}) > 110) return true;
      }
    return false;
  }
  // Where the outer key name of position p is drawn: its first glyph's baseline and the box round it.
  void LabelBox(int p, float* x0, float* y0, float* x1, float* y1) const {
    float a = (float)p * 0.5235988f - 1.5707964f;
    float x = cx_ + (Ri_ + 25) * std::cos(a), y = cy_ + (Ri_ + 25) * std::sin(a);
    *x0 = x - 14, *x1 = x + 18, *y0 = y - 16, *y1 = y + 14;
  }
  static void Shot(const std::string& name) {
    DecodedImage shot{gClientWidth, gClientHeight, {}};
    std::vector<uint8_t> up((size_t)gClientWidth * gClientHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, gClientWidth, gClientHeight, GL_RGBA, GL_UNSIGNED_BYTE, up.data());
    shot.rgba.resize(up.size());
    size_t row = (size_t)gClientWidth * 4;
    for (int y = 0; y < gClientHeight; ++y)
      std::copy_n(&up[(size_t)(gClientHeight - 1 - y) * row], row, &shot.rgba[(size_t)y * row]);
    for (size_t i = 3; i < shot.rgba.size(); i += 4) shot.rgba[i] = 255;
    SaveImageFile(name, shot);
  }
  static int Sum(const Rgb& c) { return c[0] + c[1] + c[2]; }
  static int Redness(const Rgb& c) { return c[0] - (c[1] + c[2]) / 2; }

  float cx_ = 0, cy_ = 0, m_ = 0, R_ = 0, Ri_ = 0, Rm_ = 0;
  static VirtualDisplay* display_;
};

VirtualDisplay* CircleWindow::display_ = nullptr;

TEST_F(CircleWindow, ACMajorChordLightsItsSectorAndItsNameJoinsTheTrail) {
  ASSERT_EQ(gClientWidth, 1440);
  ASSERT_EQ(gClientHeight, 920);
  Frames(200);
  Rgb quiet = OuterSector(0);
  Shot("circle_quiet.png");
  for (int note : {60, 64, 67}) Play(note, 110);
  Frames(300);
  Shot("circle_c_major.png");
  Rgb lit = OuterSector(0);
  EXPECT_GT(Sum(lit), Sum(quiet) + 90) << quiet[0] << "," << quiet[1] << "," << quiet[2] << " -> " << lit[0] << ","
                                       << lit[1] << "," << lit[2];
  // The trail's "C" near the column's middle.
  TrailColumn c = ComputeTrailColumn();
  EXPECT_TRUE(BrightInk(c.colLeft, c.y0 - 90, c.colRight, c.y0 + 10));
  // The key marker's centre is white.
  Rgb marker = Pixel(std::round(gKeyMarkerX), std::round(gKeyMarkerY));
  EXPECT_GT(std::min({marker[0], marker[1], marker[2]}), 225);
  EXPECT_GT(gKeyMarkerRadius, 4.0f);
  // Every outer key name is where the labels go.
  for (int p = 0; p < 12; ++p) {
    float x0, y0, x1, y1;
    LabelBox(p, &x0, &y0, &x1, &y1);
    EXPECT_TRUE(WhiteInk(x0, y0, x1, y1)) << "label of position " << p;
  }
  for (int note : {60, 64, 67}) Play(note, 0);
  Frames(50);
}

// The song view fades the circle out, and its key marker with it: nothing is left there to grab,
// and the marker comes back with the circle.
TEST_F(CircleWindow, TheSongViewLeavesNoKeyMarkerToGrab) {
  Frames(200);
  ASSERT_GT(gKeyMarkerRadius, 4.0f);
  const int x = (int)std::lround(gKeyMarkerX), y = (int)std::lround(gKeyMarkerY);
  gSongView = true;
  Frames(1200);
  EXPECT_EQ(gCircleAlpha, 0.0f);
  EXPECT_EQ(gKeyMarkerRadius, 0.0f);
  EXPECT_FALSE(BeginRingKeyDrag(x, y));
  EXPECT_FALSE(gRingDragging);
  gSongView = gWaitMode = false;
  Frames(1200);
  EXPECT_GT(gKeyMarkerRadius, 4.0f);
}

// The gold band on the border of the chord on display outlasts the chord's release by the
// recogniser's grace and is gone once that has run out.
TEST_F(CircleWindow, TheShownChordsBandOutlastsItsRelease) {
  ClockDriveBegin(ClockTickMs64());
  // C's gold band lies on the border of the outer ring; gold stands out from the red of C and Am
  // by its green over blue.
  auto gold = [](const Rgb& c) { return c[1] - c[2]; };
  auto bandLift = [&] {
    int band = -255;
    for (float r = Ri_ - 2; r <= Ri_ + 2; r += 1) band = std::max(band, gold(RingPoint(0, r)));
    return band - std::max(gold(RingPoint(0, Ri_ - 5)), gold(RingPoint(0, Ri_ + 5)));
  };
  DrivenFrames(300);
  EXPECT_LE(bandLift(), 5) << "no chord, no band";
  for (int note : {48, 52, 55}) Play(note, 100);
  DrivenFrames(600);
  Shot("circle_band_held.png");
  EXPECT_GE(bandLift(), 15) << "C major held";
  for (int note : {48, 52, 55}) Play(note, 0);
  DrivenFrames(102);
  Shot("circle_band_released_100ms.png");
  EXPECT_GE(bandLift(), 15) << "C major released 100 ms ago is still on display";
  DrivenFrames(400);
  Shot("circle_band_released_500ms.png");
  EXPECT_LE(bandLift(), 5) << "C major released 500 ms ago";
  ClockDriveEnd();
}

// With nothing held the key's sector carries its two edge arcs, and they move with the key.
TEST_F(CircleWindow, TheKeysEdgeShowsWithNothingHeld) {
  ClockDriveBegin(ClockTickMs64());
  // The arcs, just inside the sector's outer edge, against its fill further in (the outermost row
  // carries the sector's soft highlight whether or not it is the key).
  auto edgeLift = [&](int p) {
    int edge = 0;
    for (float r = R_ - 3; r <= R_ - 1; r += 1) edge = std::max(edge, Sum(RingPoint(p, r)));
    return edge - Sum(RingPoint(p, R_ - 8));
  };
  for (int key : {0, 1}) {  // C, then G
    SCOPED_TRACE(key == 0 ? "key C" : "key G");
    SelectScale(&gScaleRows[kRowIonian], key, true);
    DrivenFrames(300);
    Shot(key == 0 ? "circle_key_edge_c.png" : "circle_key_edge_g.png");
    EXPECT_GE(edgeLift(key), 15) << "the key's edge";
    EXPECT_LE(edgeLift(1 - key), 5) << "a sector beside the key";
  }
  SelectScale(&gScaleRows[kRowIonian], 0, true);
  ClockDriveEnd();
}

TEST_F(CircleWindow, FSharpIsRedInCMajorButNotInGMajor) {
  int redness[2];
  for (int i = 0; i < 2; ++i) {
    SelectScale(&gScaleRows[kRowIonian], i == 0 ? 0 : 1, true);  // C, then G
    Play(66, 110);
    Frames(250);
    Shot(i == 0 ? "circle_fsharp_in_c.png" : "circle_fsharp_in_g.png");
    redness[i] = Redness(OuterSector(6));
    Play(66, 0);
    Frames(100);
  }
  EXPECT_GT(redness[0], redness[1] + 60) << redness[0] << " vs " << redness[1];
}

// The minor and major names of a position stand apart: at 3 o'clock "F#m" on the inner ring and
// "A" on the outer one ran together as "F#mA" when the longer name only grew outwards.
TEST_F(CircleWindow, TheRingsNamesStandApart) {
  for (const auto& [w, h] : {std::pair{1440, 920}, std::pair{1500, 800}, std::pair{1280, 720}, std::pair{1024, 600}}) {
    SCOPED_TRACE(testing::Message() << w << " x " << h);
    WindowSetClientSize(w, h);
    for (int i = 0; i < 100 && (gClientWidth != w || gClientHeight != h); ++i) {
      DrainMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(gClientWidth, w);
    SetProjection2D();
    Frames(400);
    ComputeCircleLayout(&cx_, &cy_, &m_, &R_, &Ri_, &Rm_);
    Shot("circle_ring_names_" + std::to_string(w) + ".png");
    // Along the row through the centre, between the middle of "F#m" and the middle of "A", fourteen
    // columns running carry no ink of either name (they were six, and eleven at 1024 x 600, where
    // the names stood at fixed offsets wider than their narrowed bands: they read as one).
    int clear = 0, longest = 0;
    const float minorAt = std::min(30.0f, 0.5f * (Ri_ - Rm_)), majorAt = std::min(25.0f, 0.5f * (R_ - Ri_));
    for (float x = cx_ + Rm_ + minorAt; x <= cx_ + Ri_ + majorAt; x += 1.0f) {
      bool ink = false;
      for (float y = cy_ - 14.0f; y <= cy_ + 6.0f && !ink; y += 1.0f) ink = Sum(Pixel(x, y)) > 330;
      clear = ink ? 0 : clear + 1;
      longest = std::max(longest, clear);
    }
    EXPECT_GE(longest, 14) << "F#m and A run together";
    // In Bb major the leading note's "viio" stands at 3 o'clock inside "F#m": clear columns between
    // them along the same row.
    SelectScale(&gScaleRows[kRowIonian], 10, true);   // Bb: its vii is A
    Frames(60);
    Shot("circle_degree_label_" + std::to_string(w) + ".png");
    // The three columns before the first letter of "F#m" (centred on its point) carry no ink but
    // the ring's edge.
    const float minorLeft = cx_ + Rm_ + minorAt - 0.5f * MeasureText(gFontMain, "F#m", 20.0f);
    int ink = 0, label = 0;
    for (float x = minorLeft - 3.0f; x < minorLeft; x += 1.0f)
      if (std::fabs(x - (cx_ + Rm_)) > 2.0f)
        for (float y = cy_ - 8.0f; y <= cy_ + 8.0f; y += 1.0f) ink += Sum(Pixel(x, y)) > 140;
    for (float x = cx_ + Rm_ - 30.0f; x < cx_ + Rm_ - 10.0f; x += 1.0f)
      for (float y = cy_ - 8.0f; y <= cy_ + 8.0f; y += 1.0f) label += Sum(Pixel(x, y)) > 140;
    EXPECT_GT(label, 0) << "the degree label is drawn";
    EXPECT_EQ(ink, 0) << "viio and F#m run together";
    SelectScale(&gScaleRows[kRowIonian], 0, true);
  }
}

TEST_F(CircleWindow, TheStudentViewHidesTheCircleWhileItsStateGoesOn) {
  gStudents.push_back(Student{});
  gActiveStudentIndex = 0;
  gStudentView = true;
  Play(60, 100);
  Frames(150);
  float hold = gPcHoldSeconds[0], time = gVisualParams.time;
  Frames(150);
  Shot("circle_student_view.png");
  EXPECT_EQ(gCircleAlpha, 0.0f);
  EXPECT_GT(gPcHoldSeconds[0], hold + 0.05f);
  EXPECT_GT(gVisualParams.time, time + 0.05f);
  for (int p = 0; p < 12; ++p) {
    float x0, y0, x1, y1;
    LabelBox(p, &x0, &y0, &x1, &y1);
    EXPECT_FALSE(WhiteInk(x0, y0, x1, y1)) << "label of position " << p;
  }
  EXPECT_LT(Sum(OuterSector(0)), 150);
  EXPECT_EQ(gKeyMarkerRadius, 0.0f);
  Play(60, 0);
  Frames(50);
}

// Left alone, the running loop rests: a resting pass leaves the back buffer untouched, now and then
// one draws the same sky again with its time held, and a held key keeps the loop awake for as long
// as it sounds; any event wakes it at once.
// The trail's column as drawn in the back buffer, rows from the window's foot.
struct ColumnPixels {
  int x0 = 0, w = 0;
  std::vector<unsigned char> rgb;
  bool Gold(int x, int y) const {
    const unsigned char* p = &rgb[((size_t)y * w + x) * 3];
    return p[0] > 150 && p[1] > 100 && p[2] < p[1] - 30;
  }
};

static ColumnPixels ReadColumn(const TrailColumn& c) {
  ColumnPixels col;
  col.x0 = (int)std::ceil(c.colLeft);
  col.w = (int)std::floor(c.colRight) - col.x0;
  col.rgb.resize((size_t)col.w * gClientHeight * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(col.x0, 0, col.w, gClientHeight, GL_RGB, GL_UNSIGNED_BYTE, col.rgb.data());
  return col;
}

// Frames 17 ms apart on the driven clock.
static void DriveFrames(int n) {
  for (int i = 0; i < n; ++i) {
    ClockDriveAdvance(17);
    RunFrameWork(ClockMs32());
  }
}

// A scale's name wider than the column between the circle and the board is drawn in a smaller
// font and ends inside the column, instead of running into its edge and losing its last letters.
TEST_F(CircleWindow, AWideScaleNameEndsInsideItsColumn) {
  TrailColumn c = ComputeTrailColumn();
  const std::string name = "E Phrygian";
  float avail = c.colRight - c.colLeft - 12.0f;
  ASSERT_GT(MeasureText(gFontMedium, name, 18), avail) << "the column holds the name in the label font";
  // A driven clock: the label lives 4.5 s, which a loaded machine's slow frames must not use up.
  ClockDriveBegin(ClockTickMs64());
  gPatternEvents.push_back({name, ClockMs32()});
  DriveFrames(36);
  glFinish();
  Shot("circle_wide_scale_name.png");
  const ColumnPixels col = ReadColumn(c);
  int rightmostGold = -1;
  for (int y = 0; y < gClientHeight; ++y)
    for (int x = 0; x < col.w; ++x)
      if (col.Gold(x, y)) rightmostGold = std::max(rightmostGold, col.x0 + x);
  ASSERT_GE(rightmostGold, 0) << "the name is drawn";
  EXPECT_LT(rightmostGold, col.x0 + col.w - 3) << "the name runs into the column's edge";
  gPatternEvents.clear();
  ClockDriveEnd();
}

// A scale played through at 300 ms a note completes its patterns one after another, too far apart
// to stack by time but less than a row apart as they rise: each label is drawn clear of the one
// before it, seven bands of gold, not one smear.
TEST_F(CircleWindow, PatternLabelsCompletedOneAfterAnotherAreEachReadable) {
  TrailColumn c = ComputeTrailColumn();
  const char* names[] = {"C Ionian", "D Dorian", "E Phrygian", "F Lydian", "G Mixolydian", "A Aeolian", "B Locrian"};
  ClockDriveBegin(ClockTickMs64());
  for (const char* name : names) {
    gPatternEvents.push_back({name, ClockMs32()});
    DriveFrames(18);
  }
  DriveFrames(12);
  glFinish();
  Shot("circle_labels_one_after_another.png");
  const ColumnPixels col = ReadColumn(c);
  // A band is a run of rows holding gold, a thin font's faint row or two not breaking it.
  int bands = 0, lastGold = -100;
  for (int y = 0; y < gClientHeight; ++y) {
    bool gold = false;
    for (int x = 0; x < col.w && !gold; ++x) gold = col.Gold(x, y);
    if (!gold) continue;
    if (y - lastGold > 3) ++bands;
    lastGold = y;
  }
  EXPECT_EQ(bands, 7) << "labels drawn over one another";
  gPatternEvents.clear();
  ClockDriveEnd();
}

// A slash chord too wide for the band between the circle and the board breaks before its bass
// note: both lines are drawn whole inside the column, where the scissor once sliced the name
// mid-letter ("C#mMaj7/(" for C#mMaj7/G#).
TEST_F(CircleWindow, ASlashChordTooWideForTheColumnShowsItsBassNoteOnASecondLine) {
  struct Case {
    int width, height;
    const char* name;
    uint32_t quality;
    const char *above, *below;
  };
  const Case cases[] = {
      {1440, 920, "C#mMaj7/G#", 1, "C#mMaj7", "/G#"},
      {1280, 720, "G#m7b5/D", 2, "G#m7b5", "/D"},
      {1280, 720, "Abm7b5/D", 2, "Abm7b5", "/D"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.name) + " at " + std::to_string(k.width) + "x" + std::to_string(k.height));
    ApplyClientSize(k.width, k.height, true);
    RelayoutAll();
    const uint32_t now = 100000;
    gRingLabels.clear();
    gRingLabels.push_back({k.name, now - 60, 0.95f, 0.8f, 0.3f, k.quality, 0});
    const TrailColumn c = ComputeTrailColumn();
    const UiFont font = gFontMain;
    ASSERT_GT(MeasureText(font, k.name, 18), c.colRight - c.colLeft) << "the name must be too wide for one line";
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawChordTrail(c, now);
    glFinish();
    Shot(std::string("chord_trail_") + k.name[0] + k.name[1] + "_" + std::to_string(k.width) + ".png");

    // Ink rows grouped into lines, each with its leftmost and rightmost inked column.
    const int x0 = (int)std::floor(c.colLeft), x1 = (int)std::ceil(c.colRight), w = x1 - x0;
    std::vector<unsigned char> rgb((size_t)w * gClientHeight * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x0, 0, w, gClientHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    struct Line {
      int left, right;
    };
    std::vector<Line> lines;
    int lastInkRow = -100;
    for (int y = 0; y < gClientHeight; ++y) {
      int left = -1, right = -1;
      for (int x = x0; x < x1; ++x) {
        const unsigned char* p = &rgb[((size_t)(gClientHeight - 1 - y) * w + (size_t)(x - x0)) * 3];
        if (std::max({p[0], p[1], p[2]}) > 40) {
          if (left < 0) left = x;
          right = x;
        }
      }
      if (left < 0) continue;
      if (y - lastInkRow > 3) lines.push_back({left, right});
      lines.back().left = std::min(lines.back().left, left);
      lines.back().right = std::max(lines.back().right, right);
      lastInkRow = y;
    }
    ASSERT_EQ(lines.size(), 2u) << "the name and its bass note on lines of their own";
    const char* expected[2] = {k.above, k.below};
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(expected[i]);
      EXPECT_LT(lines[i].right, (int)std::floor(c.colRight) - 2) << "the line runs into the column's edge";
      EXPECT_GT(lines[i].left, (int)std::ceil(c.colLeft) + 1);
      // Ink as wide as the whole text: no letter lost or sliced.
      EXPECT_NEAR((float)(lines[i].right - lines[i].left + 1), MeasureText(font, expected[i], 18), 4.0f);
    }
    // The same name in the whole frame, for a look beside the circle and the board.
    gRingLabels.back().timeMs = ClockMs32();
    RunFrameWork(ClockMs32());
    glFinish();
    Shot(std::string("chord_trail_frame_") + k.name[0] + k.name[1] + "_" + std::to_string(k.width) + ".png");
  }
  gRingLabels.clear();
}

// A chord held from the keyboard is one name in the trail: it renewed itself many times a second,
// and each renewal was drawn as a copy of the name a few pixels above the last, a red column of
// "C" over "C" that no one could read.
TEST_F(CircleWindow, AHeldChordIsOneNameInTheTrail) {
  ClockDriveBegin(ClockTickMs64());
  const TrailColumn c = ComputeTrailColumn();
  const float lineH = MeasureTextHeight(gFontMain, "C", 18);
  // The first and last rows (from the top) of the column holding C's red, a star's speck aside.
  auto redRows = [&](int* first, int* last) {
    glFinish();
    const ColumnPixels col = ReadColumn(c);
    *first = *last = -1;
    for (int y = 0; y < gClientHeight; ++y) {
      int red = 0;
      for (int x = 0; x < col.w; ++x) {
        const unsigned char* p = &col.rgb[((size_t)y * col.w + x) * 3];
        red += p[0] > 70 && p[0] > p[1] + 30 && p[0] > p[2] + 30;
      }
      if (red < 3) continue;
      if (*last < 0) *last = gClientHeight - 1 - y;
      *first = gClientHeight - 1 - y;
    }
  };
  for (int note : {48, 52, 55}) Play(note, 100);
  int heldTop = -1;
  for (int heldMs : {600, 1500, 3000}) {
    SCOPED_TRACE(testing::Message() << "held " << heldMs << " ms");
    DrivenFrames(heldMs - (heldMs == 600 ? 0 : heldMs == 1500 ? 600 : 1500));
    Shot("chord_trail_held_" + std::to_string(heldMs) + ".png");
    int first, last;
    redRows(&first, &last);
    ASSERT_GE(first, 0) << "the name is drawn";
    EXPECT_LE((float)(last - first), 1.5f * lineH) << "rows " << first << ".." << last << ": copies stacked";
    if (heldTop >= 0) EXPECT_NEAR(first, heldTop, 1) << "the held name stands still";
    heldTop = first;
  }
  for (int note : {48, 52, 55}) Play(note, 0);
  // Let go, the name rises and fades as every name does.
  DrivenFrames(700);
  Shot("chord_trail_let_go.png");
  int first, last;
  redRows(&first, &last);
  ASSERT_GE(first, 0) << "the name is still drawn";
  EXPECT_LT(first, heldTop - 10) << "the name rises once let go";
  EXPECT_LE((float)(last - first), 1.5f * lineH);
  DrivenFrames(3500);
  redRows(&first, &last);
  EXPECT_LT(first, 0) << "the name outlives its life";
  ClockDriveEnd();
}

TEST_F(CircleWindow, ALoopLeftAloneRestsAndAnEventWakesIt) {
  ClockDriveBegin(ClockTickMs64());
  auto pass = [](int stepMs = 17) {
    RunLoopPass();
    ClockDriveAdvance(stepMs);
  };
  // Awake stretches go by in long steps: the rule reads only the time, and every awake pass draws.
  auto passes = [&](float seconds, int stepMs = 17) {
    for (int i = 0; i < (int)(seconds * 1000.0f / (float)stepMs); ++i) pass(stepMs);
  };
  auto mark = [] {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  };
  auto marked = [] {
    glFinish();
    return Pixel(40, 300) == Rgb{255, 0, 255};
  };
  auto starYs = [] {
    std::vector<float> ys;
    for (const BackdropStar& s : gBackdrop) ys.push_back(s.y);
    return ys;
  };

  // A key held down keeps the loop drawing every pass, the quiet time long over.
  Play(60, 100);
  passes(kRestAfterSeconds + 2.0f, 500);
  mark();
  pass();
  EXPECT_FALSE(marked()) << "a sounding key must keep every pass drawn";
  std::vector<float> moving = starYs();
  ASSERT_FALSE(moving.empty());
  passes(0.2f);
  EXPECT_NE(starYs(), moving) << "the sky moves while the loop is awake";

  // Released, the quiet time runs, and the loop stays awake while the orb relaxes: resting at the
  // quiet time's end froze it lopsided and contracted, for as long as nobody touched anything.
  Play(60, 0);
  passes(kRestAfterSeconds + 1.0f, 500);
  ASSERT_TRUE(IsOrbRelaxing()) << "the orb's own quiet starts once the glows have gone";
  EXPECT_TRUE(IsOrbSettling());
  // Its time runs on (a resting loop would hold it); once its own activity has died down, its
  // last seconds of relaxing go by at once here (at a real frame rate they take about 20 s).
  for (int i = 0; i < 400 && gOrbStepMemory.quietTime <= 0.0f; ++i) pass(66);
  ASSERT_GT(gOrbStepMemory.quietTime, 0.0f) << "the orb was frozen before it could relax";
  // The idle accents that start after ten quiet seconds stop once the loop is about to rest, and
  // the last one fades before it does: resting froze one's bulge on the orb.
  gOrbStepMemory.quietTime = kOrbRelaxedQuietSeconds - 0.05f;
  for (int i = 0; i < 300 && IsOrbSettling(); ++i) pass(66);
  EXPECT_FALSE(IsOrbRelaxing()) << "the orb reached its rest";
  EXPECT_EQ(gOrbStepMemory.wanderEnv, 0.0f) << "an idle accent would stand frozen";
  passes(0.5f, 500);
  std::vector<float> held = starYs();
  // The next held drawing comes within one interval, and nothing is drawn in between.
  mark();
  int until = 0;
  while (marked() && until < 100) pass(), ++until;
  EXPECT_GE(until, 1);
  EXPECT_LE(until, (int)(kRestRedrawSeconds * 1000.0f / 17.0f) + 1);
  EXPECT_EQ(starYs(), held) << "a held drawing keeps the stars where they stopped";
  mark();
  for (int i = 0; i + 2 < (int)(kRestRedrawSeconds * 1000.0f / 17.0f); ++i) pass();
  EXPECT_TRUE(marked()) << "a resting pass must draw nothing";
  passes(0.1f);
  EXPECT_FALSE(marked()) << "a resting loop still draws each interval";
  EXPECT_EQ(starYs(), held);

  // What a keyboard sends that the program drops (a worn wheel's bends, pressure, other controllers,
  // a program change, a Stop byte) changes nothing on screen and leaves it resting.
  const uint64_t dropped[] = {0x4001E0, 0x407FE0, 0x30D0, 0x2A3CA0, 0x4001B0, 0x05C0, 0xFC};
  for (int i = 0; i < 12; ++i) {
    for (int k = 0; k < 2; ++k) PostAppMessage(kMsgMidiInData, dropped[(2 * i + k) % std::size(dropped)], ClockMs32());
    passes(0.25f);
  }
  EXPECT_EQ(starYs(), held) << "a message the program drops woke the loop";

  // A move of the mouse wakes it: the very next pass draws and the sky moves on.
  mark();
  PostAppMessage(kMsgMouseMove, 0, MakePointParam(600, 400));
  pass();
  EXPECT_FALSE(marked()) << "an event must be drawn by the next pass";
  passes(0.2f);
  EXPECT_NE(starYs(), held);
  ClockDriveEnd();
}

}  // namespace
