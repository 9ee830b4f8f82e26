// board/board_layout: the board's layout record.
//
// The board block (metronome panel, header line, key band and grid) is centred on the circle's
// centre and raised a little; every size scales with the UI scale and keeps a pixel minimum so
// the grid stays usable in small windows.
#include "board/board_layout.h"

#include <algorithm>
#include <cstring>

#include "app/base/maths.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "practice/practice_run_state.h"

BoardLayout* ComputeBoardLayout(BoardLayout* out) {
  BoardLayout& b = *out;
  std::memset(&b, 0, sizeof b);
  b.scale = 1.0f;
  ComputeSidePanelRect(&b.panelX, &b.panelY, &b.panelW, &b.panelH);
  float cx, cy, minSide, radius, inner, innermost;
  ComputeCircleLayout(&cx, &cy, &minSide, &radius, &inner, &innermost);

  const float s = GetUiScale();
  b.scale = s;
  b.pad = std::max(10.0f * s, 8.0f);
  b.labelColumnWidth = std::max(126.0f * s, 108.0f);
  b.keyRowHeight = std::max(20.0f * s, 15.0f);
  b.cellGap = std::max(2.0f * s, 1.0f);
  b.headerRowHeight = std::max(20.0f * s, 16.0f);
  const float L = b.labelColumnWidth, g = b.cellGap, pad = b.pad;
  const float H15 = b.keyRowHeight, H16 = b.headerRowHeight;
  const float M11 = std::max(11.0f * s, 9.0f), M12 = std::max(12.0f * s, 10.0f);
  const float T = PanelBlockHeight(s);

  b.gridW = std::max(b.panelW - 2.0f * pad - L, 180.0f);
  b.cellW = (b.gridW - 11.0f * g) / 12.0f;

  // Rows prefer a tall cell; the panel's height is the hard limit.
  float rowH = ClampFloat(2.24f * b.cellW, 28.0f * s, 64.0f * s);
  float preferred = 7.0f * rowH + 6.0f * g;
  float room = std::max(b.panelH - 2.0f * pad - T - M12 - H15 - H16, 120.0f);
  b.gridH = std::min(preferred, room);
  b.cellH = (b.gridH - 6.0f * g) / 7.0f;

  // When the panel is too short the bottom bound wins and the block may start above the margin.
  float block = T + M12 + H16 + H15 + b.gridH;
  float wanted = cy - block / 2.0f - 0.06f * b.panelH;
  float lo = b.panelY + pad;
  float hi = b.panelY + b.panelH - pad - block;
  b.boardTop = wanted > hi ? hi : std::max(wanted, lo);

  b.headerY = b.boardTop + T + M12;
  b.gridY = b.headerY + H16 + H15;
  b.gridX = b.panelX + pad + L;
  b.contentX = b.panelX + pad;
  b.contentW = L + b.gridW;

  b.headerBaselineY = b.headerY + 0.76f * H16 - 2.0f;
  b.hudHeight = IsPracticeRunActive() ? std::max(48.0f * s, 40.0f) : 0.0f;
  b.stripX = b.panelX + pad - M11;
  b.stripY = b.headerY - M11;
  b.stripW = L + b.gridW + 2.0f * M11;
  b.stripH = H16 + H15 + b.gridH + 2.0f * M11 + b.hudHeight;
  b.headerRightX = b.gridX + b.gridW + M11 - M12 - std::max(6.0f * s, 5.0f);
  b.headerCentreY = b.headerBaselineY - std::max(0.32f * H16, 3.0f) - 2.0f;
  b.headerGap = M12;
  return out;
}
