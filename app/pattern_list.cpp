// app/pattern_list: the pattern labels in the chord trail's column.
//
// Depends on the pattern events of the theory floor, the trail's column and scissor, the difficulty
// slider, the song view's fade and the fonts. Labels are UI words: they are translated once and then
// measured, cut and drawn as translated.
#include "app/pattern_list.h"

#include <algorithm>
#include <cmath>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/strings.h"
#include "app/base/view_modes.h"
#include "app/chord_recogniser.h"
#include "app/chord_trail.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "practice/teaching_state.h"
#include "theory/chromatic_runs.h"
#include "visual/ring_labels.h"

// ---- constants ----
static constexpr float kShowDelay = 0.18f;     // seconds before a label shows
static constexpr uint32_t kStackMs = 260;      // events this close stack
static constexpr int kMaxStackRows = 8;

// ---- internal helpers ----
static float Px(float s, float k, float minimum) { return std::max(k * s, minimum); }

static UiFont PatternFont() { return gFontMedium ? gFontMedium : gFontMain ? gFontMain : gFontLarge; }

static bool IsChromaticLabel(const std::string& text) {
  std::string upper = text;
  for (char& ch : upper)
    if (ch >= 'a' && ch <= 'z') ch = (char)(ch - 'a' + 'A');
  return upper.find("CHROMATIC") != std::string::npos;
}

// ---- public functions ----
bool ComputePatternLabelLook(const std::vector<PatternEvent>& events, int index, uint32_t nowMs,
                             const TrailColumn& c, float difficulty, bool calm,
                             PatternLabelLook* out) {
  const PatternEvent& ev = events[(size_t)index];
  float age = (float)(int32_t)(nowMs - ev.timeMs) / 1000.0f - kShowDelay;
  if (age < 0) return false;
  const float life = std::max(1.12f * kHarmonyTrailSeconds, 0.28f);
  const float fade = std::max(0.3f * life, 0.18f);
  if (age > life + fade) return false;
  const float s = c.uiScale;
  float p = Clamp01(age / std::max(0.01f, life + fade));
  float fadeOut = age <= life ? 1.0f : 1.0f - TrailSmoothstep((age - life) / fade);
  float yStart = c.mid + Px(s, 70, 56);
  float rise = std::max(Px(s, 70, 56) - Px(s, 20, 16), 96.0f);
  int stacked = 0;
  for (int j = 0; j < index; ++j) {
    uint32_t d = events[(size_t)j].timeMs > ev.timeMs ? events[(size_t)j].timeMs - ev.timeMs
                                                        : ev.timeMs - events[(size_t)j].timeMs;
    if (d <= kStackMs) ++stacked;
  }
  out->y = yStart - p * rise;
  out->stackRows = std::min(stacked, kMaxStackRows);
  float glow = 0;
  if (calm) {
    out->r = 0.95f, out->g = 0.76f, out->b = 0.23f;
    out->alpha = (1.0f - 0.64f * p) * 0.78f * fadeOut;
  } else {
    float v = 0.5f + 0.5f * Clamp01(difficulty);
    float sh = 0.5f + 0.5f * std::sin(8.1f * v * age + 0.37f * (float)index);
    out->r = Clamp01(0.95f + 0.15f * sh);
    out->g = Clamp01(0.76f + 0.32f * sh);
    out->b = Clamp01(0.23f + 0.23f * sh);
    out->alpha = (1.0f - 0.64f * p) * (0.78f + 0.56f * sh) * fadeOut;
    glow = 0.38f + 0.7f * sh;
  }
  out->halo = (1.0f - p) * glow * fadeOut;
  out->chromatic = IsChromaticLabel(ev.label);
  return true;
}

// The first of the label font, the main and the small font in which both lines fit the column:
// a name wider than the column would be cut off mid-letter at its edge.
static UiFont FittingLabelFont(UiFont font, const std::string& a, const std::string& b, float avail) {
  UiFont smallest = font;
  for (UiFont f : {font, gFontMain, gFontSmall}) {
    if (!f) continue;
    smallest = f;
    if (MeasureText(f, a, 18) <= avail && (b.empty() || MeasureText(f, b, 18) <= avail)) return f;
  }
  return smallest;
}

void KeepLabelsApart(std::vector<LabelSlot>* slots) {
  for (size_t i = 1; i < slots->size(); ++i) {
    const LabelSlot& before = (*slots)[i - 1];
    (*slots)[i].y = std::max((*slots)[i].y, before.y + before.room);
  }
}

namespace {
// A label ready to draw: its look, its one or two lines in the font that fits, and where it goes.
struct ShownLabel {
  PatternLabelLook k;
  UiFont font;
  std::string line1, line2;
  float x1;
  float textH, lineStep;
};
}  // namespace

void DrawPatternList(const TrailColumn& c, uint32_t nowMs) {
  if (gPatternEvents.empty()) return;
  const UiFont font = PatternFont();
  const float s = c.uiScale, H = (float)gClientHeight;
  const float cw = Px(s, 9.2f, 6.8f), pad = Px(s, 6, 5);
  const bool calm = gSongViewFade > 0.01f;
  const float width = c.colRight - c.colLeft;
  ColumnScissor clip(c);
  // Kept between frames so that a list drawn every frame allocates nothing once it has grown.
  static std::vector<ShownLabel> shown;
  static std::vector<LabelSlot> slots;
  shown.clear();
  slots.clear();
  for (size_t i = 0; i < gPatternEvents.size(); ++i) {
    const PatternEvent& ev = gPatternEvents[i];
    ShownLabel l;
    if (!ComputePatternLabelLook(gPatternEvents, (int)i, nowMs, c, gTeachingLevel, calm, &l.k)) continue;
    std::string text = TrimSpaces(TrScaleLabel(ev.label));
    if (text.empty()) continue;
    ScopedTrSuppress translated;  // measured and cut as translated
    l.textH = MeasureTextHeight(font, text, Px(s, 22, 18));
    const float rowStep = std::max(Px(s, 28, 22), l.textH + 8.0f);
    l.k.y += (float)l.k.stackRows * rowStep;
    l.lineStep = 0.0f;
    if (l.k.chromatic) {
      float avail = std::max(width - 2.0f * pad, 24.0f);
      l.font = FittingLabelFont(font, text, "", avail);
      l.line1 = FitTextToWidth(l.font, text, 18, avail);
      float w = std::max(MeasureText(l.font, l.line1, 18), 8.0f);
      float lo = c.colLeft + pad, hi = c.colRight - w - pad;
      l.x1 = hi >= lo ? std::clamp(c.innerLeft + pad, lo, hi) : lo;
    } else {
      float avail = std::max(width - 2.0f * pad, 20.0f);
      WrapLabelTwoLines(text, std::max(4, (int)std::floor(avail / std::max(cw, 1.0f))), &l.line1, &l.line2);
      if (l.line1.empty()) continue;
      l.font = FittingLabelFont(font, l.line1, l.line2, avail);
      l.line1 = FitTextToWidth(l.font, l.line1, 18, avail);
      if (!l.line2.empty()) l.line2 = FitTextToWidth(l.font, l.line2, 18, avail);
      float w1 = std::max(MeasureText(l.font, l.line1, 18), 8.0f);
      l.x1 = c.innerLeft;
      if (l.line2.empty() && w1 <= 0.72f * avail) l.x1 = 0.5f * (c.colLeft + c.colRight) - w1 / 2.0f;
      float lo = c.colLeft + pad, hi = c.colRight - w1 - pad;
      l.x1 = hi >= lo ? std::clamp(l.x1, lo, hi) : lo;
      if (!l.line2.empty()) l.lineStep = std::max(Px(s, 12, 10), l.textH + 8.0f);
    }
    slots.push_back({l.k.y, l.lineStep + rowStep});
    shown.push_back(std::move(l));
  }
  // Patterns completed one after another rise together, less than a row apart when they come more
  // than the stacking time apart: each keeps clear of the one before it.
  KeepLabelsApart(&slots);
  ScopedTrSuppress translated;  // drawn as translated
  BeginTextRun();  // nothing but text below: one texture binding for the whole list
  for (size_t i = 0; i < shown.size(); ++i) {
    const ShownLabel& l = shown[i];
    const PatternLabelLook& k = l.k;
    float y = std::clamp(slots[i].y, pad, std::max(pad, H - pad - l.textH - l.lineStep));
    if (k.chromatic) {
      DrawTextUtf8(l.font, l.x1 + 1.1f, y + 1.1f, l.line1, 1, 1, 1, Clamp01(0.78f * k.halo));
      DrawTextUtf8(l.font, l.x1, y, l.line1, k.r, k.g, k.b, Clamp01(k.alpha));
      continue;
    }
    DrawTextUtf8(l.font, l.x1 + 2, y + 2, l.line1, 1, 1, 1, Clamp01(0.72f * k.halo));
    DrawTextUtf8(l.font, l.x1 - 1, y + 1, l.line1, 1, 1, 1, Clamp01(0.48f * k.halo));
    DrawTextUtf8(l.font, l.x1, y, l.line1, k.r, k.g, k.b, Clamp01(k.alpha));
    if (!l.line2.empty()) {
      const float x2 = c.innerLeft;
      DrawTextUtf8(l.font, x2 + 2, y + l.lineStep + 2, l.line2, 1, 1, 1, Clamp01(0.66f * k.halo));
      DrawTextUtf8(l.font, x2, y + l.lineStep, l.line2, k.r, k.g, k.b, Clamp01(0.95f * k.alpha));
    }
  }
  EndTextRun();
}
