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
  // A scale played through completes one pattern after another, each close to the one before
  // but not to the first: counting only the labels close to this one would put every label from
  // the third on the same row. The whole unbroken run of close labels counts, and past the last
  // row a run starts again at the top, where the first labels have risen by then.
  int stacked = 0;
  for (int j = index - 1; j >= 0; --j) {
    uint32_t a = events[(size_t)j].timeMs, b = events[(size_t)j + 1].timeMs;
    if ((a > b ? a - b : b - a) > kStackMs) break;
    ++stacked;
  }
  out->y = yStart - p * rise;
  out->stackRows = stacked % (kMaxStackRows + 1);
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

void DrawPatternList(const TrailColumn& c, uint32_t nowMs) {
  if (gPatternEvents.empty()) return;
  const UiFont font = PatternFont();
  const float s = c.uiScale, H = (float)gClientHeight;
  const float cw = Px(s, 9.2f, 6.8f), pad = Px(s, 6, 5);
  const bool calm = gSongViewFade > 0.01f;
  const float width = c.colRight - c.colLeft;
  ColumnScissor clip(c);
  std::string line1, line2;
  BeginTextRun();  // nothing but text below: one texture binding for the whole list
  for (size_t i = 0; i < gPatternEvents.size(); ++i) {
    const PatternEvent& ev = gPatternEvents[i];
    PatternLabelLook k;
    if (!ComputePatternLabelLook(gPatternEvents, (int)i, nowMs, c, gTeachingLevel, calm, &k)) continue;
    std::string text = TrimSpaces(TrScaleLabel(ev.label));
    if (text.empty()) continue;
    ScopedTrSuppress translated;  // measured, cut and drawn as translated
    float textH = MeasureTextHeight(font, text, Px(s, 22, 18));
    k.y += (float)k.stackRows * std::max(Px(s, 28, 22), textH + 8.0f);
    if (IsChromaticLabel(ev.label)) {
      float avail = std::max(width - 2.0f * pad, 24.0f);
      UiFont fit = FittingLabelFont(font, text, "", avail);
      text = FitTextToWidth(fit, text, 18, avail);
      float w = std::max(MeasureText(fit, text, 18), 8.0f);
      float lo = c.colLeft + pad, hi = c.colRight - w - pad;
      float x = hi >= lo ? std::clamp(c.innerLeft + pad, lo, hi) : lo;
      float y = std::clamp(k.y, pad, std::max(pad, H - pad - textH));
      DrawTextUtf8(fit, x + 1.1f, y + 1.1f, text, 1, 1, 1, Clamp01(0.78f * k.halo));
      DrawTextUtf8(fit, x, y, text, k.r, k.g, k.b, Clamp01(k.alpha));
      continue;
    }
    float avail = std::max(width - 2.0f * pad, 20.0f);
    WrapLabelTwoLines(text, std::max(4, (int)std::floor(avail / std::max(cw, 1.0f))), &line1, &line2);
    if (line1.empty()) continue;
    UiFont fit = FittingLabelFont(font, line1, line2, avail);
    line1 = FitTextToWidth(fit, line1, 18, avail);
    if (!line2.empty()) line2 = FitTextToWidth(fit, line2, 18, avail);
    float w1 = std::max(MeasureText(fit, line1, 18), 8.0f);
    float x1 = c.innerLeft, x2 = c.innerLeft;
    if (line2.empty() && w1 <= 0.72f * avail) x1 = 0.5f * (c.colLeft + c.colRight) - w1 / 2.0f;
    float lo = c.colLeft + pad, hi = c.colRight - w1 - pad;
    x1 = hi >= lo ? std::clamp(x1, lo, hi) : lo;
    float lineStep = std::max(Px(s, 12, 10), textH + 8.0f);
    float y = std::clamp(k.y, pad, std::max(pad, H - pad - textH - (line2.empty() ? 0.0f : lineStep)));
    DrawTextUtf8(fit, x1 + 2, y + 2, line1, 1, 1, 1, Clamp01(0.72f * k.halo));
    DrawTextUtf8(fit, x1 - 1, y + 1, line1, 1, 1, 1, Clamp01(0.48f * k.halo));
    DrawTextUtf8(fit, x1, y, line1, k.r, k.g, k.b, Clamp01(k.alpha));
    if (!line2.empty()) {
      DrawTextUtf8(fit, x2 + 2, y + lineStep + 2, line2, 1, 1, 1, Clamp01(0.66f * k.halo));
      DrawTextUtf8(fit, x2, y + lineStep, line2, k.r, k.g, k.b, Clamp01(0.95f * k.alpha));
    }
  }
  EndTextRun();
}
