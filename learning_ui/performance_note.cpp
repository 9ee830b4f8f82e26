// learning_ui/performance_note: the open cards, their cascade, their advice and figures, and the
// mouse that closes, raises and drags them. The drawing is in performance_note_draw.cpp.
#include "learning_ui/performance_note.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/performance_summary.h"
#include "learning_ui/card_text.h"
#include "learning_ui/mastery_figures.h"
#include "platform/clock.h"
#include "platform/input.h"

// ---- constants ----
static const char* const kIntervalClassNames[8] = {"Seconds", "Thirds",  "Fourths",  "Tritones",
                                                   "Fifths",  "Sixths", "Sevenths", "Octaves"};
static const int kCascadeSteps = 6;        // the seventh card lands on the first one's place
static const float kCascadeDx = 26.0f;
static const float kCascadeDy = 14.3f;
static const float kKeptOnScreen = 90.0f;  // of a card's width, at either side
static const float kKeptAboveBottom = 48.0f;
static const float kMastheadHeight = 46.0f;
static const float kCloseBoxSize = 22.0f;
static const float kCardRadius = 16.0f;     // the body's corners
static const float kLineStep = 17.0f;       // between two lines of the small font
static const float kRadarTextMargin = 12.0f;  // the radar's axis texts from the card's sides

// ---- state ----
std::vector<PerformanceNoteCard> gPerformanceNotes;   // see the header

// ---- internal helpers ----
static bool IsShown(const PerformanceNoteCard& card) { return FindLibraryItem(card.itemId) != nullptr; }

// One rule for where a card may stand: most of it may leave the window, never all of it, and its
// masthead never goes above the top or below reach at the bottom.
static void KeepCardReachable(PerformanceNoteCard* card) {
  const float W = (float)gClientWidth, H = (float)gClientHeight;
  card->x = std::max(std::min(card->x, W - kKeptOnScreen), kKeptOnScreen - card->w);
  card->y = std::max(std::min(card->y, H - kKeptAboveBottom), 0.0f);
}

// After a resize the user looks for a card within the window, not at the edges a drag may leave it
// at: on each axis where it fits it is moved just enough to lie wholly inside. One wider than the
// window keeps its right edge at the window's, so its close box stays in view; one taller keeps the
// drag's limits, which hold its masthead in the window.
static void BringCardIntoWindow(PerformanceNoteCard* card) {
  const float W = (float)gClientWidth, H = (float)gClientHeight;
  card->x = card->w <= W ? ClampFloat(card->x, 0.0f, W - card->w) : W - card->w;
  if (card->h <= H) card->y = ClampFloat(card->y, 0.0f, H - card->h);
  KeepCardReachable(card);
}

// A card's size follows the window it stands in.
static void SizeCardForWindow(PerformanceNoteCard* card) {
  const float W = (float)gClientWidth, H = (float)gClientHeight;
  card->w = std::min(ClampFloat(0.32f * W, 540.0f, 660.0f), std::max(W - 24.0f, 440.0f));
  card->h = std::min(ClampFloat(0.84f * H, 760.0f, 940.0f), std::max(H - 24.0f, 500.0f));
}

static bool Inside(float x, float y, float rx, float ry, float rw, float rh) {
  return x >= rx && x <= rx + rw && y >= ry && y <= ry + rh;
}

static UiFont MainFont() { return gFontMain ? gFontMain : gFontSmall; }
static UiFont LargeFont() { return gFontLarge ? gFontLarge : MainFont(); }

static std::string Percent(float share) {
  char text[16];
  std::snprintf(text, sizeof text, "%d%%", (int)std::lround(share * 100.0f));
  return text;
}

// The translated mastery line: progress, pass days (with today's), and the best tempo against the
// target.
static std::string MasteryLine(const LibraryItem& item, const MasteryRecord* r) {
  const MasteryProgress progress = ComputeMasteryProgress(item);
  std::string suffix;
  if (r && r->distinct_pass_days < 2 && (r->attempts > 0 || r->passes > r->distinct_pass_days))
    suffix = " " + Tr("+ today");
  const int best = r ? (int)std::lround(std::max(r->best_bpm, r->latest_bpm)) : 0;
  const int target = r && r->legacy_targets ? item.legacy_target_bpm : item.target_bpm;
  return TrF("Mastery %d%%   -   %d/2 retention days%s   -   %d / %d bpm (yours / target)",
             (int)std::lround(progress.overall * 100.0f), r ? r->distinct_pass_days : 0, suffix.c_str(), best, target);
}

// ---- public functions ----
void ResetPerformanceNotes() { gPerformanceNotes.clear(); }

void FitPerformanceNotesToWindow() {
  for (PerformanceNoteCard& card : gPerformanceNotes) {
    SizeCardForWindow(&card);
    BringCardIntoWindow(&card);
  }
}

void OpenPerformanceNote(const std::string& itemId) {
  if (itemId.empty()) return;
  const uint32_t now = ClockMs32();
  for (size_t i = 0; i < gPerformanceNotes.size(); ++i) {
    if (gPerformanceNotes[i].itemId != itemId) continue;
    PerformanceNoteCard card = gPerformanceNotes[i];
    gPerformanceNotes.erase(gPerformanceNotes.begin() + (long)i);
    card.openedMs = now;
    gPerformanceNotes.push_back(card);
    return;
  }
  const float W = (float)gClientWidth, H = (float)gClientHeight;
  const int k = (int)(gPerformanceNotes.size() % kCascadeSteps);
  PerformanceNoteCard card;
  card.itemId = itemId;
  SizeCardForWindow(&card);
  card.x = (W - card.w) / 2.0f + kCascadeDx * k;
  card.y = (H - card.h) / 2.0f + kCascadeDy * k;
  KeepCardReachable(&card);
  card.openedMs = now;
  gPerformanceNotes.push_back(card);
}

std::string ChooseAdvice(const LibraryItem& item, const MasteryRecord* r) {
  if (!r || r->latest_expected < 1) return Tr("Play a complete first pass without stopping.");
  if (r->latest_missed > 0) return Tr("Repeat the missed phrase slowly, then make one uninterrupted full-piece pass.");
  if (r->latest_wrong_attempts > 0) return Tr("Keep the same tempo and aim for one clean pass without extra notes.");
  if (r->latest_hold_breaks > 0) return Tr("Keep the pulse, but listen through the full written note lengths.");
  PerformanceSummary s;
  SummarizePerformance(&s, r);
  if (s.rhythm_measured && s.rhythm < 0.7f)
    return Tr("Place each note where it is written against the click: the long and short notes ran together.");
  if (s.articulation_measured && s.articulation < 0.7f)
    return Tr("Let the short notes go at once, and hold the joined ones until the next note sounds.");
  if (s.pedal_measured && s.pedal < 0.7f)
    return Tr("Lift the pedal as each new harmony sounds, and press it again just after.");
  if (s.pedal_has_data && r->latest_pedal_state == 4)
    return Tr("No sustain pedal was seen: connect one to have your pedalling read.");
  if (s.intervals_measured && s.intervals < 0.8f)
    return TrF("Hardest interval: %s. Measure each leap before you play it.",
               Tr(kIntervalClassNames[ClampInt(r->latest_intervals_weakest, 0, 7)]).c_str());
  if (item.target_timing > r->latest_timing + 0.0005f)
    return r->latest_late > r->latest_early ? Tr("Re-enter each phrase slightly earlier; your last run leaned late.")
                                            : Tr("Let the beat arrive before the key; your last run leaned early.");
  // Mastery is kept whatever later runs do; a failed review is still told to secure today's pass.
  if (r->latest_passed && IsItemMastered(item))
    return Tr("Mastered: keep it fresh by playing it again when it comes back in your daily lesson.");
  if (r->latest_passed) return Tr("Repeat tomorrow at target tempo; mastery requires control on two separate days.");
  return Tr("Repeat once at the authored tempo to secure today's pass.");
}

void ComputeNoteFigureBoxes(const LibraryItem& item, const MasteryRecord* r, NoteFigureBox boxes[4]) {
  PerformanceSummary s;
  SummarizePerformance(&s, r);
  const bool run = r && r->latest_expected > 0;
  struct Area {
    const char* label;
    bool hasData, measured;
    float value;
  };
  const Area areas[4] = {{"RHYTHM", s.rhythm_has_data, s.rhythm_measured, s.rhythm},
                         {"ARTICULATION", s.articulation_has_data, s.articulation_measured, s.articulation},
                         {"PEDALLING", s.pedal_has_data, s.pedal_measured, s.pedal},
                         {"INTERVALS", s.intervals_has_data, s.intervals_measured, s.intervals}};
  Area first = {"DYNAMICS", true, s.dynamics_measured, s.dynamics};
  bool isArea = false;
  for (const Area& a : areas)
    if (a.hasData) {
      first = a;
      isArea = true;
      break;
    }
  for (int i = 0; i < 4; ++i) boxes[i] = NoteFigureBox();
  boxes[0].label = first.label;
  boxes[0].value = run && first.measured ? Percent(first.value) : "--";
  boxes[0].highlighted = isArea && run && first.measured && first.value < 0.7f;
  boxes[1].label = "TIMING";
  boxes[2].label = "SLIPS";
  boxes[3].label = "TEMPO";
  if (!run) {
    for (int i = 1; i < 4; ++i) boxes[i].value = "--";
    return;
  }
  boxes[1].value = Percent(r->latest_timing);
  boxes[1].highlighted = item.target_timing > r->latest_timing + 0.0005f;
  const int slips = r->latest_missed + r->latest_hold_breaks + r->latest_wrong_attempts;
  boxes[2].value = std::to_string(slips);
  boxes[2].highlighted = slips > 0;
  boxes[3].value = TrF("%d bpm", (int)std::lround(r->latest_bpm));
  boxes[3].highlighted = (float)item.target_bpm > r->latest_bpm + 0.5f;
}

NoteCardLayout LayoutNoteCard(const PerformanceNoteCard& c, const LibraryItem& item, const MasteryRecord* r) {
  NoteCardLayout l;
  l.hasRun = r && r->latest_expected > 0;
  l.runFigure = l.hasRun ? Percent(Clamp01((float)r->latest_landed / (float)r->latest_expected)) : "--";
  l.verdictX = c.x + 28.0f +
               std::max(MeasureText(gFontSmall, "THIS RUN", 6.4f), ShownWidth(LargeFont(), l.runFigure, 16.0f)) + 18.0f;

  // The boxes share the row: evenly when each fits a quarter, else by need.
  ComputeNoteFigureBoxes(item, r, l.boxes);
  const float room = c.w - 86.0f;
  float need[4], sum = 0.0f;
  bool quarters = true;
  for (int i = 0; i < 4; ++i) {
    need[i] = std::max({64.0f, MeasureText(gFontSmall, l.boxes[i].label, 6.4f) + 18.0f,
                        ShownWidth(MainFont(), l.boxes[i].value, 9.0f) + 22.0f});
    sum += need[i];
    quarters = quarters && need[i] <= room / 4.0f;
  }
  float x = c.x + 28.0f;
  for (int i = 0; i < 4; ++i) {
    l.boxW[i] = quarters ? room / 4.0f : sum <= room ? need[i] + (room - sum) / 4.0f : need[i] * room / sum;
    l.boxX[i] = x;
    x += l.boxW[i] + 10.0f;
  }

  const std::string advice = ChooseAdvice(item, r);
  {
    ScopedTrSuppress suppress;   // the advice is translated already
    SplitTwoLines(gFontSmall, advice, c.w - 56.0f, 6.3f, &l.advice1, &l.advice2);
  }
  l.masteryY = c.y + 236.0f + (l.advice2.empty() ? 0.0f : 17.0f) + 20.0f;
  SplitTwoLinesAtGaps(gFontSmall, MasteryLine(item, r), c.w - 56.0f, 6.3f, &l.mastery1, &l.mastery2);
  const float extra = l.mastery2.empty() ? 0.0f : kLineStep;
  l.masteryBarY = l.masteryY + extra + 12.0f;
  l.radarRuleY = l.masteryY + extra + 40.0f;
  SplitTwoLines(gFontSmall, "Drag the masthead to compare this report beside another piece.", c.w - 56.0f, 6.3f,
                &l.footer1, &l.footer2);
  const float footerTop = c.y + c.h - 30.0f - (l.footer2.empty() ? 0.0f : kLineStep);
  l.footerY = footerTop + 14.0f;
  const float s = l.radarRuleY;
  l.radarR = std::max(std::min(0.3f * c.w, (footerTop - (s + 84.0f)) / 2.0f - 44.0f), 54.0f);
  l.radarCx = c.x + c.w / 2.0f;
  l.radarCy = s + 84.0f + 44.0f + l.radarR;
  l.radarLeft = c.x + kRadarTextMargin;
  l.radarRight = c.x + c.w - kRadarTextMargin;
  return l;
}

bool IsNoteAreaCovered(size_t index, float x, float y, float w, float h) {
  for (size_t i = index + 1; i < gPerformanceNotes.size(); ++i) {
    const PerformanceNoteCard& c = gPerformanceNotes[i];
    if (!IsShown(c) || x < c.x || y < c.y || x + w > c.x + c.w || y + h > c.y + c.h) continue;
    // The area's corners must also clear the upper card's rounded corners.
    bool inside = true;
    for (float px : {x, x + w})
      for (float py : {y, y + h}) {
        float dx = std::max({c.x + kCardRadius - px, px - (c.x + c.w - kCardRadius), 0.0f});
        float dy = std::max({c.y + kCardRadius - py, py - (c.y + c.h - kCardRadius), 0.0f});
        inside = inside && dx * dx + dy * dy <= kCardRadius * kCardRadius;
      }
    if (inside) return true;
  }
  return false;
}

bool NoteBodyStrips(size_t index, float* leftW, float* topH) {
  if (index + 1 >= gPerformanceNotes.size()) return false;
  const PerformanceNoteCard &c = gPerformanceNotes[index], &up = gPerformanceNotes[index + 1];
  // The upper card's right-hand corners must stand clear of this card's right edge.
  if (!IsShown(up) || up.x < c.x || up.y < c.y || up.x + up.w - kCardRadius < c.x + c.w || up.y + up.h < c.y + c.h)
    return false;
  *leftW = std::min(up.x - c.x + kCardRadius, c.w);
  *topH = std::min(up.y - c.y + kCardRadius, c.h);
  return true;
}

void NoteCloseBoxRect(const PerformanceNoteCard& card, float* x, float* y, float* w, float* h) {
  *x = card.x + card.w - 34.0f;
  *y = card.y + 10.0f;
  *w = *h = kCloseBoxSize;
}

int PerformanceNoteAt(int x, int y) {
  for (size_t i = gPerformanceNotes.size(); i-- > 0;) {
    const PerformanceNoteCard& card = gPerformanceNotes[i];
    if (IsShown(card) && Inside((float)x, (float)y, card.x, card.y, card.w, card.h)) return (int)i;
  }
  return -1;
}

bool PerformanceNoteMouseDown(int x, int y) {
  const int i = PerformanceNoteAt(x, y);
  if (i < 0) return false;
  const float px = (float)x, py = (float)y;
  PerformanceNoteCard touched = gPerformanceNotes[(size_t)i];
  gPerformanceNotes.erase(gPerformanceNotes.begin() + i);
  float bx, by, bw, bh;
  NoteCloseBoxRect(touched, &bx, &by, &bw, &bh);
  if (Inside(px, py, bx, by, bw, bh)) return true;
  if (py - touched.y < kMastheadHeight) {
    touched.dragging = true;
    touched.grabDx = px - touched.x;
    touched.grabDy = py - touched.y;
    CaptureMouse(true);
  }
  gPerformanceNotes.push_back(touched);
  return true;
}

bool PerformanceNoteMouseMove() {
  for (PerformanceNoteCard& card : gPerformanceNotes) {
    if (!card.dragging || !IsShown(card)) continue;
    card.x = (float)gMouseX - card.grabDx;
    card.y = (float)gMouseY - card.grabDy;
    KeepCardReachable(&card);
    return true;
  }
  return false;
}

bool PerformanceNoteMouseUp() {
  bool any = false;
  for (PerformanceNoteCard& card : gPerformanceNotes) {
    any = any || card.dragging;
    card.dragging = false;
  }
  if (any) CaptureMouse(false);
  return any;
}

bool IsPerformanceNoteDragging() {
  for (const PerformanceNoteCard& card : gPerformanceNotes)
    if (card.dragging) return true;
  return false;
}
