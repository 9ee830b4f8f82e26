// The pedal glow on a song note's bar, drawn on a virtual display: a light band at the phase of
// the pedal span, nothing where the band is not, nothing at all when the note has no span, the
// bar is too small or faint, or a sight-reading item is open; blending is left as it was.
#include <algorithm>
#include <cmath>

#include "midi/play_along.h"
#include "midi/playback.h"
#include "tests/gfx/gl_fixture.h"

namespace {

class NoteGlowTest : public GlFixture {
 protected:
  void SetUp() override {
    GlFixture::SetUp();
    // Pedal down 0..1000 ms over the first note; the second note has no span.
    gSongEvents = {{0, 0xB0, 64, 127, 0}, {100, 0x90, 60, 90, 0}, {300, 0x80, 60, 0, 0},
                   {1000, 0xB0, 64, 0, 0}, {2000, 0x90, 62, 90, 0}, {2100, 0x80, 62, 0, 0}};
    gNotePedalSpans = BuildNotePedalSpans(gSongEvents);
    gSightReadingMode = false;
  }
  void TearDown() override {
    gSongEvents.clear();
    gNotePedalSpans.clear();
    gSightReadingMode = false;
  }
  // The brightest pixel in the rectangle.
  int Peak(const std::vector<uint8_t>& frame, int x0, int y0, int x1, int y1) {
    int peak = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) peak = std::max(peak, Brightest(frame, x, y));
    return peak;
  }
};

TEST_F(NoteGlowTest, TheBandSitsAtThePedalPhase) {
  ASSERT_TRUE(gNotePedalSpans[1].present);
  // Span 1000 ms gives the shortest period, 1100 ms; at now = 550 the band is half-way up the bar.
  DrawNoteGlow(1, 100, 40, 100, 400, 1.0f, 1.0f, 550);
  std::vector<uint8_t> frame = ReadFrame();
  double b = ((std::sin(550 * 0.0024) * 0.28 + 0.72) * 0.15 + 0.22);
  EXPECT_GE(Peak(frame, 101, 248, 139, 252), (int)(b * 255) - 2);  // the centre line and band
  EXPECT_GT(Brightest(frame, 120, 244), 0);                       // fading towards the edges
  EXPECT_LT(Brightest(frame, 120, 244), Peak(frame, 101, 248, 139, 252));
  EXPECT_EQ(Peak(frame, 0, 100, 1000, 238) + Peak(frame, 0, 262, 1000, 400), 0);   // above and below the band
  EXPECT_EQ(Peak(frame, 0, 240, 100, 260) + Peak(frame, 141, 240, 1000, 260), 0);  // left and right of the bar
  GLint dst = 0;
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(NoteGlowTest, NothingIsDrawnWithoutASpanOrRoom) {
  struct Case {
    const char* name;
    size_t index;
    float w, yTop, yBottom, alpha;
    bool sight;
  } cases[] = {
      {"no span", 4, 40, 100, 400, 1.0f, false},       {"past the end", 99, 40, 100, 400, 1.0f, false},
      {"faint", 1, 40, 100, 400, 0.001f, false},       {"short", 1, 40, 100, 103, 1.0f, false},
      {"sight-reading", 1, 40, 100, 400, 1.0f, true},
  };
  for (const Case& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    gSightReadingMode = c.sight;
    DrawNoteGlow(c.index, 100, c.w, c.yTop, c.yBottom, c.alpha, 1.0f, 550);
    std::vector<uint8_t> frame = ReadFrame();
    EXPECT_EQ(Peak(frame, 90, 90, 150, 410), 0) << c.name;
  }
}

}  // namespace
