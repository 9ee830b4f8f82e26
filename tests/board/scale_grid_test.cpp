// The grid's rules that decide what is drawn where: the row-label cut (ASCII against non-ASCII),
// the scale band and the extra half row of a scrolled list, and the clip box kept inside the
// window whatever the window's size.
#include <gtest/gtest.h>

#include <string>

#include "board/scale_grid.h"
#include "tests/board/board_frame_fixture.h"
#include "theory/scale_rows.h"

namespace {

using ScaleGridRules = BoardFrameTest;

TEST_F(ScaleGridRules, RowLabelsAreCutOnlyWhenAsciiAndTooLong) {
  const std::string cyrillic = "\xD0\x9B\xD0\xB8\xD0\xB4\xD0\xB8\xD0\xB9\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9 "
                               "\xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB8\xD0\xBD\xD0\xB0\xD0\xBD\xD1\x82";
  const struct {
    const char* name;
    float column, scale;
    const char* want;
  } cases[] = {
      {"Ionian", 126, 1.0f, "Ionian"},
      {"Sixteen chars ok", 126, 1.0f, "Sixteen chars ok"},          // 16 fit at full scale
      {"Seventeen chars x", 126, 1.0f, "Seventeen cha..."},         // 13 kept and "..."
      {"Hungarian Minor Long Name", 108, 0.78f, "Hungarian Mino..."},  // 17 fit at 0.78
      {"Abcdefgh", 10, 1.0f, "A..."},                               // never fewer than 4 characters
      {"", 126, 1.0f, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CutRowLabel(c.name, c.column, c.scale), c.want) << c.name;
  // A name in another script is never cut, however narrow the column.
  EXPECT_EQ(CutRowLabel(cyrillic, 10, 0.78f), cyrillic);
  EXPECT_EQ(CutRowLabel("Dorian \xC3\xA9tendu et tr\xC3\xA8s long", 10, 1.0f), "Dorian \xC3\xA9tendu et tr\xC3\xA8s long");
}

TEST_F(ScaleGridRules, ScaleBandAndTheHalfRowOfAScrolledList) {
  BoardLayout b = Layout();
  float top, bottom;
  // Church modes fill all seven slots: the band is the grid.
  EXPECT_TRUE(ComputeScaleBand(b, 0.0f, &top, &bottom));
  EXPECT_NEAR(top, b.gridY, 1e-3f);
  EXPECT_NEAR(bottom, b.gridY + b.gridH, 1e-3f);
  EXPECT_EQ(GridRowCount(false, 50, 0.5f), 7);

  // A filter with one scale: the band covers its row only.
  gScaleListMode = true;
  gScaleFilter = 1;
  RebuildVisibleScales();
  ASSERT_EQ(VisibleScaleCount(), 1);
  EXPECT_TRUE(ComputeScaleBand(b, 0.0f, &top, &bottom));
  EXPECT_NEAR(top, b.gridY, 1e-3f);
  EXPECT_NEAR(bottom, b.gridY + b.cellH, 1e-3f);
  EXPECT_EQ(GridRowCount(true, 1, 0.5f), 7);

  // Every scale, scrolled half a row: eight rows; the band starts clamped at the grid's top and
  // ends with the seventh slot, half a row above the grid's bottom.
  gScaleFilter = 7;
  RebuildVisibleScales();
  gScaleListScroll = gScaleListScrollTarget = 3.5f;
  float frac = ScaleWindowFraction();
  ASSERT_NEAR(frac, 0.5f, 1e-4f);
  EXPECT_EQ(GridRowCount(true, VisibleScaleCount(), frac), 8);
  EXPECT_EQ(GridRowCount(true, VisibleScaleCount(), 0.001f), 7);
  EXPECT_EQ(GridRowCount(true, 7, 0.5f), 7);
  EXPECT_TRUE(ComputeScaleBand(b, frac, &top, &bottom));
  EXPECT_NEAR(top, b.gridY, 1e-3f);
  EXPECT_NEAR(bottom, b.gridY + 5.5f * (b.cellH + b.cellGap) + b.cellH, 1e-3f);
}

TEST_F(ScaleGridRules, ClipBoxStaysInsideTheWindow) {
  const struct { int w, h; } sizes[] = {{1600, 900}, {1000, 600}, {300, 200}, {1, 1}, {0, 0}};
  for (const auto& size : sizes) {
    gClientWidth = std::max(size.w, 1);
    gClientHeight = std::max(size.h, 1);
    BoardLayout b = Layout();
    GridClip clip = ComputeGridClip(b, size.w, size.h);
    int W = std::max(size.w, 1), H = std::max(size.h, 1);
    EXPECT_GE(clip.x, 0) << size.w;
    EXPECT_GE(clip.y, 0) << size.w;
    EXPECT_GE(clip.w, 1) << size.w;
    EXPECT_GE(clip.h, 1) << size.w;
    EXPECT_LE(clip.x + clip.w, W) << size.w;
    EXPECT_LE(clip.y, H - 1) << size.w;
    EXPECT_LE(clip.h, H) << size.w;
  }
  // In a window that holds the board, the box holds the label column, the key names and the grid.
  gClientWidth = 1600;
  gClientHeight = 900;
  BoardLayout b = Layout();
  GridClip clip = ComputeGridClip(b, 1600, 900);
  EXPECT_LE(clip.x, b.contentX);
  EXPECT_GE(clip.x + clip.w, b.gridX + b.gridW);
  EXPECT_LE(clip.y, 900 - (b.gridY + b.gridH) + 1.0f);  // whole pixels
  EXPECT_GE(clip.y + clip.h, 900 - (b.gridY - b.keyRowHeight));
}

}  // namespace
