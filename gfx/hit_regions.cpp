// gfx/hit_regions: LayoutHitRegions. The header and the band follow the board fade f: the band
// slides from its place above the practice strip (f = 0) to the top of the window (f = 1), its
// bottom row shrinking to nothing, so the controls follow the board while it fades in or out.
//
// Inside the band: the top row holds the header buttons from the left and the metronome stop and
// unload buttons at the right; the middle row the previous, play and next buttons, the seek bar and
// the speed slider; the bottom row the playlist's repeat, shuffle and clear-loop buttons. A button
// that finds no room in its row is hidden rather than drawn over its neighbour.
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/hit_regions.h"
#include "gfx/label_fit.h"
#include "gfx/layout.h"
#include "gfx/layout_facts.h"
#include "gfx/text.h"
#include "gfx/widgets_draw.h"

// ---- constants ----
constexpr int kChipColumns = 3;                   // entries on a line of the compact student list

// ---- state ----
RectF gStudentHeaderRect = kHiddenRect;           // outside practice mode
RectF gStudentsButtonRect = kHiddenRect;          // the name box, not overlay only
RectF gSideListStudentsButtonRect = kHiddenRect;  // the name box, overlay only
RectF gControlBandRect = kHiddenRect;
RectF gBandTopRowRect = kHiddenRect;
RectF gBandMiddleRowRect = kHiddenRect;
RectF gBandBottomRowRect = kHiddenRect;
RectF gSliderPanelButtonRect = kHiddenRect;       // practice mode only
RectF gLearningButtonRect = kHiddenRect;
RectF gSongViewButtonRect = kHiddenRect;
RectF gMetronomeStopRect = kHiddenRect;
RectF gUnloadSongRect = kHiddenRect;
RectF gFileButtonRect = kHiddenRect;
RectF gSightReadingButtonRect = kHiddenRect;
RectF gPlayModeButtonRect = kHiddenRect;
RectF gPreviousButtonRect = kHiddenRect;
RectF gPlayButtonRect = kHiddenRect;
RectF gNextButtonRect = kHiddenRect;
RectF gSeekBarRect = kHiddenRect;
RectF gSpeedSliderRect = kHiddenRect;
RectF gRepeatButtonRect = kHiddenRect;
RectF gShuffleButtonRect = kHiddenRect;
RectF gClearLoopButtonRect = kHiddenRect;
RectF gLoopStartHandleRect = kHiddenRect;         // written by LayoutLoopHandles
RectF gLoopEndHandleRect = kHiddenRect;
bool gLoopMarkersShown = false;
RectF gFileMenuRect = kHiddenRect;
RectF gFileMenuOpenFileRect = kHiddenRect;
RectF gFileMenuOpenFolderRect = kHiddenRect;
RectF gStudentsPanelRect = kHiddenRect;
RectF gOverlayFilterButtonRect = kHiddenRect;     // the learning overlay's filter button
std::vector<int> gStudentRowStudents;             // rebuilt on every call, in row order
std::vector<RectF> gStudentRowRects;
std::vector<RectF> gStudentSwatchRects;
std::vector<RectF> gStudentNameRects;
std::vector<RectF> gStudentBinRects;
std::vector<RectF> gCompactStudentRects;
std::vector<int> gCompactStudentIndices;
RectF gStudentNameEntryRect = kHiddenRect;
RectF gAddStudentButtonRect = kHiddenRect;
RectF gPlacementQuizButtonRect = kHiddenRect;
static float gStudentsPanelScroll = 0.0f;         // the students panel's list turned, in compact-list lines
static int gStudentsPanelMostScroll = 0;          // the farthest it turns at the last layout
static int gStudentsPanelShowStudent = -1;        // a student the next layout turns the list to, -1 none

// ---- internal helpers ----
static float Lerp(float a, float b, float t) { return a + (b - a) * t; }

// Places buttons left to right from x while they end before limit; a button without room is hidden.
struct RowPacker {
  float x, y, h, gap, limit;
  void Place(RectF* r, float w, bool shown) {
    *r = kHiddenRect;
    if (!shown || x + w > limit || h < 12.0f) return;
    *r = {x, y, w, h};
    x += w + gap;
  }
};

static void HideBandControls() {
  for (RectF* r : {&gFileButtonRect, &gSightReadingButtonRect, &gPlayModeButtonRect, &gPreviousButtonRect,
                   &gPlayButtonRect, &gNextButtonRect, &gSeekBarRect, &gSpeedSliderRect, &gRepeatButtonRect,
                   &gShuffleButtonRect, &gClearLoopButtonRect, &gUnloadSongRect, &gFileMenuRect,
                   &gFileMenuOpenFileRect, &gFileMenuOpenFolderRect, &gLearningButtonRect, &gSongViewButtonRect,
                   &gOverlayFilterButtonRect})
    *r = kHiddenRect;
}

static void LayoutHeader(const LayoutFacts& facts, float s, float m, float hh) {
  gStudentsButtonRect = gSideListStudentsButtonRect = kHiddenRect;
  if (gPracticeMode) {
    gStudentListOpen = false;
    gStudentView = false;
    return;
  }
  int n = std::min(std::max(facts.activeNameBytes, 0), 26);
  float w = ClampFloat((float)n * std::max(7.6f * s, 6.8f) + 120.0f, 160.0f, 330.0f);
  if (facts.studentCount <= 0) w = 1.14f * hh;
  gStudentHeaderRect = {m, m, w, hh};
  (IsLearningOverlayShown() ? gSideListStudentsButtonRect : gStudentsButtonRect) = gStudentHeaderRect;
}

// The three rows of the band and the settings button left of it.
static void LayoutBand(const LayoutFacts& facts, float s, float W, float m, float f) {
  const RectF& strip = facts.practiceStrip;
  float p = std::max(12.0f * s, 10.0f);
  float w0 = std::max(std::min(strip.w, W - 2.0f * p), 260.0f);
  float w1 = ClampFloat(0.92f * w0, 360.0f, std::max(W - 2.0f * p, 360.0f));
  float bw = Lerp(w0, w1, f);
  float xHi = std::max(W - p - bw, p);
  float x = Lerp(ClampFloat(strip.x, p, xHi), ClampFloat((W - bw) / 2.0f, p, xHi), f);
  float ra = ClampFloat(26.0f * s + 10.0f, 34.0f, 38.0f), rb = ClampFloat(38.0f * s + 14.0f, 50.0f, 60.0f);
  float rc = (1.0f - f) * ClampFloat(34.0f * s + 5.0f, 36.0f, 44.0f), g5 = ClampFloat(5.6f * s, 5.0f, 7.0f);
  float th = std::max(ra + rb + g5 + rc + (1.0f - f) * g5, 84.0f);
  // Where the strip stands too high for the band above it, the band keeps to the window's margin
  // rather than leaving the window at the top, and its bottom row gives up height so that its
  // buttons end above the strip instead of on its frame (1280 x 720).
  float y = std::max(Lerp(strip.y - std::max(20.0f * s, 16.0f) - th, m, f), m);
  const float over = y + th + 4.0f - strip.y;
  if (f <= 0.0f && over > 0.0f && rc > 0.0f) {
    const float given = std::min(over, std::max(rc - 28.0f, 0.0f));
    rc -= given;
    th = std::max(th - given, 84.0f);
  }
  gControlBandRect = {x, y, bw, th};
  gBandTopRowRect = {x, y, bw, ra};
  gBandMiddleRowRect = {x, y + ra + g5, bw, rb};
  gBandBottomRowRect = {x, gBandMiddleRowRect.y + rb + (1.0f - f) * g5, bw, rc};
  if (gPracticeMode) {
    float w = ClampFloat(24.0f * s, 20.0f, 30.0f), h = std::max(th - 2.0f, 40.0f);
    gSliderPanelButtonRect = {std::max(x - w - std::max(8.0f * s, 6.0f), 8.0f), y + (th - h) / 2.0f, w, h};
  }
}

// The controls inside the band's rows.
static void LayoutBandControls(const LayoutFacts& facts, float s) {
  float pad = std::max(4.0f * s, 3.0f), gap = std::max(6.0f * s, 5.0f);
  bool routed = !IsLearningOverlayShown();   // the header buttons, transport and seek bar take no overlay clicks

  const RectF& top = gBandTopRowRect;
  float bh = top.h - 2.0f * pad;
  float right = top.x + top.w - pad;
  if (facts.songLoaded) {
    gUnloadSongRect = {right - bh, top.y + pad, bh, bh};
    right -= bh + gap;
  }
  if (facts.metronomeRunning && !IsLearningOverlayShown()) {
    gMetronomeStopRect = {right - bh, top.y + pad, bh, bh};
    right -= bh + gap;
  }
  RowPacker header{top.x + pad, top.y + pad, bh, gap, right};
  header.Place(&gFileButtonRect, std::max(74.0f * s, 62.0f), routed);
  header.Place(&gPlayModeButtonRect, std::max(110.0f * s, 92.0f), routed && facts.songLoaded);
  header.Place(&gSightReadingButtonRect, std::max(124.0f * s, 104.0f), routed && facts.sightScoreLoaded);

  const RectF& mid = gBandMiddleRowRect;
  float inner = std::max(7.0f * s, 6.0f);
  float side = mid.h - 2.0f * inner;
  float speedW = ClampFloat(0.3f * mid.w, 96.0f, 200.0f);
  gSpeedSliderRect = {mid.x + mid.w - pad - speedW, mid.y + inner, speedW, side};
  RowPacker transport{mid.x + pad, mid.y + inner, side, gap, gSpeedSliderRect.x - gap};
  transport.Place(&gPreviousButtonRect, side, routed);
  transport.Place(&gPlayButtonRect, side, routed);
  transport.Place(&gNextButtonRect, side, routed);
  float seekX = transport.x + gap;
  float seekW = gSpeedSliderRect.x - 2.0f * gap - seekX;
  if (routed && seekW >= 24.0f) gSeekBarRect = {seekX, mid.y + inner, seekW, side};

  const RectF& bottom = gBandBottomRowRect;
  RowPacker playlist{bottom.x + pad, bottom.y + pad, bottom.h - 2.0f * pad, gap, bottom.x + bottom.w - pad};
  float bw = std::max(92.0f * s, 80.0f);
  // A translated label that would have to be cut even at its least scale widens its button, as far
  // as the row has room after it for the buttons still to come.
  auto widened = [&](const char* label, float base, float after) {
    const float need = kMinLabelScale * MeasureText(gFontSmall, label, 12.0f) + 2.0f * LabelMargin(s) + 2.0f;
    return std::max(base, std::min(need, playlist.limit - playlist.x - after));
  };
  const float loopW = std::max(104.0f * s, 90.0f);
  playlist.Place(&gRepeatButtonRect, widened("Repeat", bw, bw + loopW + 2.0f * gap), routed);
  playlist.Place(&gShuffleButtonRect, widened("Shuffle", bw, loopW + gap), routed);
  playlist.Place(&gClearLoopButtonRect, widened("Clear Loop", loopW, 0.0f), routed);
}

static void LayoutFileMenu(float s, float H) {
  if (!gFileMenuOpen || !(gFileButtonRect.w > 2.0f)) return;
  float pad = std::max(6.0f * s, 5.0f), ih = ClampFloat(30.0f * s, 26.0f, 34.0f);
  float w = std::max(210.0f * s, 180.0f), h = 2.0f * ih + 2.0f * pad;
  const RectF& b = gFileButtonRect;
  float y = b.y + b.h + 4.0f;
  if (y + h > H - 8.0f) y = std::max(b.y - 4.0f - h, 8.0f);
  gFileMenuRect = {b.x, y, w, h};
  gFileMenuOpenFileRect = {b.x + pad, y + pad, w - 2.0f * pad, ih};
  gFileMenuOpenFolderRect = {b.x + pad, y + pad + ih, w - 2.0f * pad, ih};
}

// The side buttons' side and gap, and the width of the overlay's column: as wide as "Learn",
// "Filter" and "Song" need in the UI language (the column holds all three; Japanese and Hindi
// "Filter" is the widest), from a square up to 2.4 squares, as the buttons beside the band.
static void SideButtonSizes(float s, float* bc, float* gc, float* columnW) {
  *bc = ClampFloat(0.84f * PanelElementSize(), 24.0f, 54.0f);
  *gc = std::max(8.0f * s, 6.0f);
  const float px = FontPixelSize(gFontSmall);
  float words = 0.0f;
  for (const char* word : {"Learn", "Filter", "Song"}) words = std::max(words, MeasureText(gFontSmall, word, px));
  *columnW = ClampFloat(words + 2.0f * LabelMargin(s) + 1.0f, *bc, 2.4f * *bc);
}

// The learning and song-view buttons, and in the learning view the column beside the staff panel.
static void LayoutSideButtons(const LayoutFacts& facts, float s, float W, float m) {
  if (gPracticeMode || gRingMode) return;
  float bc, gc, cw;
  SideButtonSizes(s, &bc, &gc, &cw);
  if (gLearningOverlay && facts.staffPanelShown) {
    const RectF& staff = facts.staffPanel;
    float k = facts.songTimed ? 5.0f : 4.0f;
    float x = std::min(staff.x + staff.w + gc, W - cw - m);
    float y = staff.y + (staff.h - (k * (bc + gc) + 1.18f * bc)) / 2.0f;
    gMetronomeStopRect = facts.metronomeRunning ? RectF{x, y, cw, bc} : kHiddenRect;
    gLearningButtonRect = {x, y + (bc + gc), cw, bc};
    gOverlayFilterButtonRect = {x, y + 2.0f * (bc + gc), cw, bc};
    gSongViewButtonRect = {x, y + 3.0f * (bc + gc), cw, bc};
    return;
  }
  const RectF& top = gBandTopRowRect;
  float x = std::min(top.x + top.w + m, W - bc - m);
  // Only beside a band that stands right of the circle: anywhere else they would cover the ring.
  float cx, cy, side, radius, inner, innermost;
  ComputeCircleLayout(&cx, &cy, &side, &radius, &inner, &innermost);
  if (x < cx + radius) return;
  // Their words take the room towards the window's edge: "Lernen" needs more than a square.
  float w = ClampFloat(W - m - x, bc, 2.4f * bc);
  gLearningButtonRect = {x, top.y + (top.h - bc) / 2.0f, w, bc};
  gSongViewButtonRect = {x, gLearningButtonRect.y + bc + gc, w, bc};
}

// The students panel's sizes, all from the UI scale.
struct PanelMetrics {
  float pad, title, row, gap, entry, chip, chipGap;
};

static float PanelHeight(const PanelMetrics& k, int rows, int chipLines) {
  float h = k.pad + k.title + k.gap + (float)rows * (k.row + k.gap) + (float)chipLines * (k.chip + k.chipGap);
  return h + k.entry + k.gap + k.entry + k.pad;
}

// How many steps of `step` students the list of n stands turned by, in a panel that holds `shown`
// of them. A step is a line of the compact list, so that every chip keeps its column as the list
// moves. A turn kept past a list that has shrunk since is clamped here, not forgotten: a window made
// taller and back again finds the list where it was. A student asked for comes in by the fewest steps.
static int TurnStudentList(int n, int shown, int step) {
  gStudentsPanelMostScroll = n > shown ? (n - shown + step - 1) / step : 0;
  int turn = std::clamp((int)std::lround(gStudentsPanelScroll), 0, gStudentsPanelMostScroll);
  const int wanted = std::exchange(gStudentsPanelShowStudent, -1);
  if (wanted < 0 || wanted >= n) return turn;
  if (wanted < turn * step)
    turn = wanted / step;
  else if (wanted >= turn * step + shown)
    turn = std::min((wanted - shown + step) / step, gStudentsPanelMostScroll);
  gStudentsPanelScroll = (float)turn;
  return turn;
}

static void LayoutStudentsPanel(const LayoutFacts& facts, float s, float W, float H, float m) {
  gStudentsPanelRect = gStudentNameEntryRect = gAddStudentButtonRect = gPlacementQuizButtonRect = kHiddenRect;
  gStudentRowStudents.clear();
  gStudentRowRects.clear();
  gStudentSwatchRects.clear();
  gStudentNameRects.clear();
  gStudentBinRects.clear();
  gCompactStudentRects.clear();
  gCompactStudentIndices.clear();
  if (!gStudentListOpen) {
    gStudentNameEntryActive = false;
    gHighlightRowId = -1;
    gHighlightDeadlineMs = 0;
    return;
  }
  PanelMetrics k{std::max(10.0f * s, 8.0f),          ClampFloat(26.0f * s, 22.0f, 30.0f),
                 ClampFloat(34.0f * s, 28.0f, 40.0f), std::max(4.0f * s, 3.0f),
                 ClampFloat(32.0f * s, 28.0f, 38.0f), ClampFloat(24.0f * s, 20.0f, 28.0f),
                 std::max(4.0f * s, 3.0f)};
  int n = std::max(facts.studentCount, 0);
  float hMax = std::max(H - 24.0f, 240.0f);
  // Full rows while they fit with the rest in the compact list; the compact list keeps what fits.
  // The first student keeps a full row however many there are: only a row offers the colour and
  // the bin, and a panel of chips alone leaves nobody to recolour or delete.
  int rows = n, lines = 0;
  while (rows > 1 && PanelHeight(k, rows, (n - rows + kChipColumns - 1) / kChipColumns) > hMax) --rows;
  lines = (n - rows + kChipColumns - 1) / kChipColumns;
  while (lines > 0 && PanelHeight(k, rows, lines) > hMax) --lines;
  const int step = lines > 0 ? kChipColumns : 1;
  const int first = step * TurnStudentList(n, rows + lines * kChipColumns, step);

  float w = std::max(0.82f * 1.35f * 420.0f * s, 330.0f);
  float h = std::min(PanelHeight(k, rows, lines), hMax);
  float x = std::min(std::max(gStudentHeaderRect.x, 8.0f), std::max(W - w - 8.0f, 8.0f));
  float y = std::min(std::max(gStudentHeaderRect.y + gStudentHeaderRect.h + m, 8.0f), std::max(H - h - 8.0f, 8.0f));
  gStudentsPanelRect = {x, y, w, h};

  float ix = x + k.pad, iw = w - 2.0f * k.pad, cy = y + k.pad + k.title + k.gap;
  for (int i = 0; i < rows; ++i, cy += k.row + k.gap) {
    RectF row{ix, cy, iw, k.row};
    float sw = k.row - 10.0f, bs = k.row - 8.0f;
    RectF swatch{row.x + 5.0f, row.y + 5.0f, sw, sw};
    RectF bin{row.x + row.w - bs - 4.0f, row.y + 4.0f, bs, bs};
    gStudentRowStudents.push_back(first + i);
    gStudentRowRects.push_back(row);
    gStudentSwatchRects.push_back(swatch);
    gStudentNameRects.push_back({swatch.x + sw + 6.0f, row.y, bin.x - 6.0f - (swatch.x + sw + 6.0f), row.h});
    gStudentBinRects.push_back(bin);
  }
  float cw = (iw - (float)(kChipColumns - 1) * k.chipGap) / (float)kChipColumns;
  for (int i = first + rows; i < n && (i - first - rows) / kChipColumns < lines; ++i) {
    int c = (i - first - rows) % kChipColumns, line = (i - first - rows) / kChipColumns;
    gCompactStudentRects.push_back({ix + (float)c * (cw + k.chipGap), cy + (float)line * (k.chip + k.chipGap), cw, k.chip});
    gCompactStudentIndices.push_back(i);
  }
  cy += (float)lines * (k.chip + k.chipGap);
  float addW = std::max(96.0f * s, 84.0f);
  gStudentNameEntryRect = {ix, cy, iw - addW - k.gap, k.entry};
  gAddStudentButtonRect = {ix + iw - addW, cy, addW, k.entry};
  gPlacementQuizButtonRect = {ix, cy + k.entry + k.gap, iw, k.entry};
}

// A selected row that is no longer listed takes its colour popup with it.
static void DropUnlistedSelection() {
  if (!gColourPopupOpen) return;
  if (std::find(gStudentRowStudents.begin(), gStudentRowStudents.end(), gSelectedStudentRow) !=
      gStudentRowStudents.end())
    return;
  gSelectedStudentRow = -1;
  gColourWheelDrag = false;
  gColourPopupOpen = false;
}

// ---- public functions ----
float OverlayButtonColumnRoom() {
  const float s = GetUiScale();
  float bc, gc, cw;
  SideButtonSizes(s, &bc, &gc, &cw);
  return std::max(10.0f * s, 8.0f) + cw + gc;
}

void LayoutHitRegions() {
  float W = (float)gClientWidth, H = (float)gClientHeight;
  float s = GetUiScale();
  float m = std::max(10.0f * s, 8.0f), hh = ClampFloat(29.0f * s, 27.0f, 36.0f), bt = ClampFloat(36.0f * s, 30.0f, 50.0f);
  float f = Clamp01(gPracticeModeFade);
  LayoutFacts facts = GetLayoutFacts();

  gStudentHeaderRect = gMetronomeStopRect = gSliderPanelButtonRect = kHiddenRect;
  HideBandControls();
  // The day toggle is the toolbar's button 7 wherever the toolbar has laid that out, also when only
  // the hit regions are laid out again (as during the practice-mode fade): a toggle left in the
  // corner stole the presses of what stands there and left the drawn button dead.
  gToolbarToggleHitRect = !gRingMode && gToolbarRects[7].w > 2.0f ? gToolbarRects[7]
                                                                  : RectF{std::max(W - m - bt, m), m, bt, bt};
  LayoutHeader(facts, s, m, hh);
  LayoutBand(facts, s, W, m, f);
  LayoutBandControls(facts, s);
  LayoutFileMenu(s, H);
  // On the learning overlay the staff panel keeps below the band just laid out, and the side
  // buttons stand beside it: its facts are taken again there.
  if (IsLearningOverlayShown()) facts = GetLayoutFacts();
  LayoutSideButtons(facts, s, W, m);
  LayoutStudentsPanel(facts, s, W, H, m);
  DropUnlistedSelection();
}

void ScrollStudentsPanel(float notches) {
  const float most = (float)gStudentsPanelMostScroll;
  gStudentsPanelScroll = std::clamp(std::min(gStudentsPanelScroll, most) - notches, 0.0f, most);
}

void ShowStudentInPanel(int student) { gStudentsPanelShowStudent = student; }

void ResetHitRegions() {
  HideBandControls();
  for (RectF* r : {&gStudentHeaderRect, &gStudentsButtonRect, &gSideListStudentsButtonRect, &gControlBandRect,
                   &gBandTopRowRect, &gBandMiddleRowRect, &gBandBottomRowRect, &gSliderPanelButtonRect,
                   &gMetronomeStopRect, &gLoopStartHandleRect, &gLoopEndHandleRect, &gStudentsPanelRect,
                   &gStudentNameEntryRect, &gAddStudentButtonRect, &gPlacementQuizButtonRect})
    *r = kHiddenRect;
  gLoopMarkersShown = false;
  gStudentRowStudents.clear();
  gStudentRowRects.clear();
  gStudentSwatchRects.clear();
  gStudentNameRects.clear();
  gStudentBinRects.clear();
  gCompactStudentRects.clear();
  gCompactStudentIndices.clear();
  gStudentsPanelScroll = 0.0f;
  gStudentsPanelMostScroll = 0;
  gStudentsPanelShowStudent = -1;
}
