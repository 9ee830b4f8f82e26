// The orb in the program's own 1440 x 920 window on a private display: scripted ring glow (a C
// major triad held, a scale entry, a warm flash) drives the orb through the frame's gate, and the
// picture is read back at positions computed from the orb's state. Screenshots go to the test's
// working folder.
#include <GL/gl.h>

#include <array>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "app/base/view_modes.h"
#include "app/main_loop.h"
#include "app/orb_gate.h"
#include "app/ring_glow.h"
#include "gfx/layout.h"
#include "platform/images.h"
#include "practice/students.h"
#include "real_window_fixture.h"
#include "theory/ring_palette.h"
#include "visual/orb_body.h"
#include "visual/orb_draw.h"
#include "visual/orb_overlays.h"
#include "visual/orb_state.h"

namespace {

using Rgb = std::array<int, 3>;
constexpr float kBg[3] = {0.04f, 0.05f, 0.08f};

class OrbWindow : public RealWindow {
 protected:
  void SetUp() override {
    RealWindow::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(WaitForClientSize(1440, 920));
    ResetViewModes();
    ResetStudents();
    ResetRingGlow();
    RestartOrbSimulation();
    ResetOrbDrawing();
    float m, outer, inner;
    ComputeCircleLayout(&cx_, &cy_, &m, &outer, &inner, &innermost_);
    p_ = OrbParams();
    p_.centreX = cx_;
    p_.centreY = cy_;
    p_.innerRadius = innermost_;
    p_.tempo = 1.0f;
    p_.flow = 1.0f;
    p_.liveliness = 0.5f;
    p_.time = 10.0f;
  }
  void TearDown() override {
    ResetViewModes();
    ResetStudents();
    ResetRingGlow();
    RealWindow::TearDown();
  }
  static void ClearGlow() {
    for (int i = 0; i < 12; ++i) gRingGlowMajor[i] = gRingGlowMinor[i] = gRingGlowKey[i] = 0.0f;
  }
  // One frame of the background and the gated orb, 1/60 s after the last.
  void Frame() {
    p_.time += 1.0f / 60.0f;
    gVisualParams = p_;
    glClearColor(kBg[0], kBg[1], kBg[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawOrbInFrame();
    glFinish();
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  static Rgb At(float x, float y) {
    auto c = Pixel((int)std::lround(x), (int)std::lround(y));
    return {c[0], c[1], c[2]};
  }
  static Rgb Background() {
    return {(int)std::lround(kBg[0] * 255), (int)std::lround(kBg[1] * 255), (int)std::lround(kBg[2] * 255)};
  }
  static int Dist2(const Rgb& a, const float* palette) {
    int d = 0;
    for (int i = 0; i < 3; ++i) {
      int e = a[i] - (int)std::lround(palette[i] * 255);
      d += e * e;
    }
    return d;
  }
  static bool SameColour(const Rgb& a, const Rgb& b, int tolerance = 2) {
    for (int i = 0; i < 3; ++i)
      if (std::abs(a[i] - b[i]) > tolerance) return false;
    return true;
  }
  static void Shot(const std::string& name) {
    std::vector<uint8_t> frame = ReadFrame();
    DecodedImage shot{gClientWidth, gClientHeight, frame};
    for (size_t i = 3; i < shot.rgba.size(); i += 4) shot.rgba[i] = 255;
    EXPECT_TRUE(SaveImageFile(name, shot)) << name;
  }
  // The ring point whose ink leans most toward ring position q's colour.
  static int InkiestPoint(int q) {
    const OrbState& s = gOrbState;
    int best = 0;
    float bestScore = -1e9f;
    for (int j = 0; j < s.pointCount; ++j) {
      float score = s.inkR[j] * kRingPalette[q][0] + s.inkG[j] * kRingPalette[q][1] + s.inkB[j] * kRingPalette[q][2];
      if (score > bestScore) bestScore = score, best = j;
    }
    return best;
  }
  // Pixel of ring point j's point at fraction t from the ring's centre (no turn: ring mode off).
  void RingFraction(int j, float t, float* x, float* y) const {
    const OrbState& s = gOrbState;
    float ux = s.centre[0] + t * (s.x[j] - s.centre[0]), uy = s.centre[1] + t * (s.y[j] - s.centre[1]);
    *x = cx_ + innermost_ * ux;
    *y = cy_ + innermost_ * uy;
  }

  float cx_ = 0, cy_ = 0, innermost_ = 0;
  OrbParams p_;
};

TEST_F(OrbWindow, ATriadAScaleEntryAndAWarmFlashColourTheBody) {
  ASSERT_GT(innermost_, 40.0f);
  // A C major triad held: C, G and E on the major ring, C accented.
  ClearGlow();
  gRingGlowMajor[0] = 1.0f;
  gRingGlowMajor[1] = 0.8f;
  gRingGlowMajor[4] = 0.8f;
  p_.accentPos = 0;
  p_.accentLevel = 0.8f;
  p_.level64 = 0.7f;
  Frames(120);
  Shot("orb_c_major.png");
  EXPECT_FALSE(SameColour(At(cx_, cy_), Background(), 6)) << "the body covers the centre";

  // A scale entry outside the key (F#, ring position 6).
  p_.scaleMode = 1;
  p_.entryCount = 1;
  p_.entryPos[0] = 6;
  p_.entryStrength[0] = 0.9f;
  p_.entryEmphasis[0] = 0.6f;
  Frames(30);
  Shot("orb_scale_entry.png");

  // A warm flash on top.
  p_.level80 = 0.9f;
  Frames(20);
  Shot("orb_warm_flash.png");
  EXPECT_FALSE(SameColour(At(cx_, cy_), Background(), 6));
}

// The body's inner rows keep fewer samples than the rim; drawn both ways from the same state, the
// picture may differ only by a few levels here and there, never in its shape.
TEST_F(OrbWindow, TheThinnedBodyDrawsWhatTheFullOneDraws) {
  ClearGlow();
  gRingGlowMajor[0] = 1.0f;
  gRingGlowMajor[1] = 0.8f;
  gRingGlowMinor[3] = 0.6f;
  p_.accentPos = 0;
  p_.accentLevel = 0.8f;
  p_.level64 = 0.7f;
  p_.level72 = 0.5f;
  p_.scaleMode = 1;
  p_.entryCount = 1;
  p_.entryPos[0] = 6;
  p_.entryStrength[0] = 0.9f;
  p_.hueAmount = 0.6f;
  Frames(90);
  p_.time += 1.0f / 60.0f;
  const OrbState state = gOrbState;
  const OrbDrawMemory draw = gOrbDraw;
  const OrbOverlayMemory overlays = gOrbOverlays;
  std::vector<uint8_t> shots[2];
  size_t triangles[2] = {};
  for (int thinned = 0; thinned < 2; ++thinned) {
    gOrbState = state;
    gOrbDraw = draw;
    gOrbOverlays = overlays;
    gOrbDraw.bodyStepPx = thinned ? kOrbBodyStepPx : 0.0f;
    glClearColor(kBg[0], kBg[1], kBg[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawOrb(p_, gOrbState);
    glFinish();
    shots[thinned] = ReadFrame();
    triangles[thinned] = gOrbDraw.bodyIndex.size() / 3;
    Shot(thinned ? "orb_body_thinned.png" : "orb_body_full.png");
  }
  EXPECT_LT(triangles[1], triangles[0] * 4 / 5) << "the inner rows were not thinned";
  int worst = 0;
  size_t changed = 0, covered = 0;
  const Rgb bg = Background();
  for (size_t i = 0; i + 3 < shots[0].size(); i += 4) {
    int d = 0;
    for (int c = 0; c < 3; ++c) d = std::max(d, std::abs((int)shots[0][i + c] - (int)shots[1][i + c]));
    worst = std::max(worst, d);
    if (d > 3) ++changed;
    if (std::abs((int)shots[0][i] - bg[0]) + std::abs((int)shots[0][i + 1] - bg[1]) + std::abs((int)shots[0][i + 2] - bg[2]) > 6)
      ++covered;
  }
  ASSERT_GT(covered, 20000u) << "the orb was drawn";
  EXPECT_LE(worst, 24);
  EXPECT_LT(changed, covered / 200) << changed << " of " << covered << " pixels changed by more than 3 levels";
}

TEST_F(OrbWindow, InkOfOnePositionShowsItsColourTowardWhereItGathered) {
  // E alone (ring position 4, green) for a while; its opposite position 10 is a red-violet.
  for (int q : {4, 9}) {
    SCOPED_TRACE(q);
    RestartOrbSimulation();
    ResetOrbDrawing();
    ClearGlow();
    gRingGlowMajor[q] = 1.0f;
    p_.accentPos = q;
    p_.accentLevel = 0.7f;
    p_.keyRootPos = q;
    Frames(90);
    const int j = InkiestPoint(q);
    float x, y;
    RingFraction(j, 0.7f, &x, &y);
    Shot("orb_ink_" + std::to_string(q) + ".png");
    Rgb c = At(x, y);
    const int opposite = (q + 6) % 12;
    EXPECT_LT(Dist2(c, kRingPalette[q]), Dist2(c, kRingPalette[opposite]))
        << "pixel " << c[0] << "," << c[1] << "," << c[2] << " at point " << j;
  }
}

TEST_F(OrbWindow, TheOutlineCircleSitsAtTheFadedReach) {
  ClearGlow();
  // Ring mode part way on: the orb is smaller (and turned, which a circle about the centre hides).
  for (float slow : {0.0f, 0.3f}) {
    SCOPED_TRACE(slow);
    gRingModeFadeSlow = slow;
    Frames(20);
    const float fade = std::pow(1.0f - std::min(slow / 0.92f, 1.0f), 1.35f);
    const float radius = innermost_ * fade;
    int shown = 0;
    for (int k = 0; k < 16; ++k) {
      const float a = 2.0f * 3.14159265f * ((float)k + 0.5f) / 16.0f;
      int brightest = 0;
      for (float r = radius - 1.5f; r <= radius + 1.5f; r += 0.5f) {
        Rgb c = At(cx_ + r * std::cos(a), cy_ + r * std::sin(a));
        brightest = std::max(brightest, c[0] + c[1] + c[2]);
      }
      Rgb outside = At(cx_ + (radius + 6) * std::cos(a), cy_ + (radius + 6) * std::sin(a));
      EXPECT_TRUE(SameColour(outside, Background())) << "angle " << k;
      const Rgb bg = Background();
      if (brightest > bg[0] + bg[1] + bg[2] + 12) ++shown;
    }
    EXPECT_GE(shown, 14) << "the faint circle at radius " << radius;
    if (slow > 0) Shot("orb_ring_mode_part.png");
  }
}

TEST_F(OrbWindow, RingModeAndPracticeModeHideIt) {
  ClearGlow();
  gRingGlowMajor[0] = 1.0f;
  Frames(30);
  ASSERT_FALSE(SameColour(At(cx_, cy_), Background(), 6));
  struct Case {
    const char* name;
    float slow;
    bool practice;
  } cases[] = {{"ring mode fully on", 1.0f, false}, {"practice mode", 0.0f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gRingModeFadeSlow = c.slow;
    gPracticeMode = c.practice;
    const float before = gOrbState.prevTime;
    Frame();
    EXPECT_EQ(gOrbState.prevTime, before) << "not even stepped";
    for (float dx : {-0.8f, -0.4f, 0.0f, 0.4f, 0.8f})
      for (float dy : {-0.8f, 0.0f, 0.8f})
        EXPECT_TRUE(SameColour(At(cx_ + dx * innermost_, cy_ + dy * innermost_), Background(), 0));
    gRingModeFadeSlow = 0.0f;
    gPracticeMode = false;
  }
}

// The gate as the main loop runs it: whether a pass steps the orb.
TEST_F(OrbWindow, TheMainLoopGatesTheOrb) {
  struct Case {
    const char* name;
    bool ringMode, studentView, practiceMode, overlay, songView;
    bool drawn;
  } cases[] = {
      {"plain circle", false, false, false, false, false, true},
      {"ring mode", true, false, false, false, false, false},
      {"student view", false, true, false, false, false, false},
      {"practice mode", false, false, true, false, false, false},
      {"full song view", false, false, false, false, true, false},
      {"song view under the learning overlay", false, false, false, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetViewModes();
    ResetStudents();
    if (c.studentView) {
      gStudents.push_back(Student{});
      gActiveStudentIndex = 0;
      gStudentView = true;
    }
    gRingMode = c.ringMode;
    gRingModeFade = gRingModeFadeSlow = c.ringMode ? 1.0f : 0.0f;
    gPracticeMode = c.practiceMode;
    gPracticeModeFade = c.practiceMode ? 1.0f : 0.0f;
    gLearningOverlay = c.overlay;
    gSongView = c.songView;
    gSongViewFade = c.songView ? 1.0f : 0.0f;
    RunFrameWork(0);
    const float before = gOrbState.prevTime;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    RunFrameWork(0);
    if (c.drawn) {
      EXPECT_GT(gOrbState.prevTime, before);
    } else {
      EXPECT_EQ(gOrbState.prevTime, before);
    }
    // Under the overlay the orb sits at the circle's centre, whatever the frame's record says.
    if (c.overlay) {
      float x, y, m, outer, inner, innermost;
      ComputeCircleLayout(&x, &y, &m, &outer, &inner, &innermost);
      gVisualParams.centreX = 10;
      OrbPlacement place = ComputeOrbPlacement(gVisualParams);
      EXPECT_EQ(place.params.centreX, x);
      EXPECT_EQ(place.params.innerRadius, std::max(24.0f, innermost));
    }
  }
  ResetViewModes();
}

}  // namespace
