// app/pattern_list: the pattern labels in the chord trail's column.
//
// Depends on the pattern events of the theory floor, the trail's column and scissor, the difficulty
// slider, the song view's fade and the fonts. Labels are UI words: they are translated once and then
// measured, cut and drawn as translated.
#include "app/pattern_list.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/strings.h"
#include "app/base/view_modes.h"
#include "app/chord_recogniser.h"
#include "app/chord_trail.h"
#include "gfx/label_fit.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
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

static bool FitsIn(UiFont font, const std::string& line, float avail) { return MeasureText(font, line, 18) <= avail; }

// The lines hold every letter of the label: the wrap by letter count cuts a word it cannot break.
static bool KeptWhole(const std::string& text, const std::string& line1, const std::string& line2) {
  return line2.empty() ? line1 == text : line1 + " " + line2 == text;
}

void KeepLabelsApart(std::vector<LabelSlot>* slots) {
  for (size_t i = 1; i < slots->size(); ++i) {
    const LabelSlot& before = (*slots)[i - 1];
    (*slots)[i].y = std::max((*slots)[i].y, before.y + before.room);
  }
}

PatternLabelLines FitPatternLabel(const TrailColumn& c, const std::string& text, bool chromatic) {
  ScopedTrSuppress translated;  // measured and cut as translated
  const float s = c.uiScale, width = c.colRight - c.colLeft;
  const float cw = Px(s, 9.2f, 6.8f), pad = Px(s, 6, 5);
  const UiFont font = PatternFont();
  PatternLabelLines l;
  l.avail = std::max(width - 2.0f * pad, chromatic ? 24.0f : 20.0f);
  if (!chromatic) {
    WrapLabelTwoLines(text, std::max(4, (int)std::floor(l.avail / std::max(cw, 1.0f))), &l.line1, &l.line2);
    if (l.line1.empty()) return l;
    l.font = FittingLabelFont(font, l.line1, l.line2, l.avail);
    const bool fits = FitsIn(l.font, l.line1, l.avail) && FitsIn(l.font, l.line2, l.avail);
    if (fits && KeptWhole(text, l.line1, l.line2)) return l;
  }
  // A count of letters misjudges long words and scripts whose letters are wider than Latin ones
  // ("G Миксолидийский", "G ミクソリディアン" were cut): the label is measured, on one line in the
  // largest font that holds it, else broken in two between words, else between syllables; then the
  // smallest font is drawn smaller, as far as it stays legible. A chromatic run stays on one line.
  auto fitsAt = [&](UiFont f, float scale, bool syllables) {
    l.font = f;
    l.scale = scale;
    l.line2.clear();
    const float room = l.avail / scale;
    if (!syllables && FitsIn(f, text, room)) {
      l.line1 = text;
      return true;
    }
    if (chromatic) return false;
    return syllables ? HyphenateInTwoLines(f, text, 18, room, &l.line1, &l.line2)
                     : BreakInTwoLines(f, text, 18, room, &l.line1, &l.line2);
  };
  for (bool syllables : {false, true})
    for (UiFont f : {font, gFontMain, gFontSmall})
      if (f && fitsAt(f, 1.0f, syllables)) return l;
  const UiFont smallest = l.font;
  for (float scale : {0.92f, 0.85f, kMinLabelScale})
    for (bool syllables : {false, true})
      if (fitsAt(smallest, scale, syllables)) return l;
  l.line1 = FitTextToWidth(smallest, text, 18, l.avail / kMinLabelScale);
  return l;
}

// Fitting a label measures its text several times over, and the list draws up to 256 labels a frame
// of a handful of texts: each text keeps its fit while the column's width, the scale and the fonts
// stay as they are.
static const PatternLabelLines& CachedPatternLabelFit(const TrailColumn& c, const std::string& text, bool chromatic) {
  struct Key {
    float width, scale;
    UiFont medium, main, small;
    bool operator==(const Key&) const = default;
  };
  static Key key{};
  static std::unordered_map<std::string, PatternLabelLines> fits[2];   // other labels, chromatic runs
  const Key now{c.colRight - c.colLeft, c.uiScale, gFontMedium, gFontMain, gFontSmall};
  if (!(now == key) || fits[0].size() + fits[1].size() > 512) {
    key = now;
    fits[0].clear();
    fits[1].clear();
  }
  auto& table = fits[chromatic ? 1 : 0];
  auto it = table.find(text);
  if (it == table.end()) it = table.emplace(text, FitPatternLabel(c, text, chromatic)).first;
  return it->second;
}

namespace {
// A label ready to draw: its look, its one or two lines in the font that fits, and where it goes.
struct ShownLabel {
  PatternLabelLook k;
  UiFont font;
  float scale;
  std::string line1, line2;
  float x1;
  float textH, lineStep;
};
}  // namespace

static void DrawLabelLine(const ShownLabel& l, float x, float y, const std::string& line, float r, float g, float b,
                          float a) {
  if (l.scale < 1.0f)
    DrawTextScaled(l.font, x, y, l.scale, line, r, g, b, a);
  else
    DrawTextUtf8(l.font, x, y, line, r, g, b, a);
}

void DrawPatternList(const TrailColumn& c, uint32_t nowMs) {
  if (gPatternEvents.empty()) return;
  const UiFont font = PatternFont();
  const float s = c.uiScale, H = (float)gClientHeight;
  const float pad = Px(s, 6, 5);
  const bool calm = gSongViewFade > 0.01f;
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
    const PatternLabelLines& fit = CachedPatternLabelFit(c, text, l.k.chromatic);
    if (fit.line1.empty()) continue;
    l.font = fit.font;
    l.scale = fit.scale;
    l.line1 = fit.line1;
    l.line2 = fit.line2;
    const float w1 = std::max(l.scale * MeasureText(l.font, l.line1, 18), 8.0f);
    if (l.k.chromatic) {
      l.x1 = c.innerLeft + pad;
    } else {
      l.x1 = c.innerLeft;
      if (l.line2.empty() && w1 <= 0.72f * fit.avail) l.x1 = 0.5f * (c.colLeft + c.colRight) - w1 / 2.0f;
      if (!l.line2.empty()) l.lineStep = std::max(Px(s, 12, 10), l.textH + 8.0f);
    }
    const float lo = c.colLeft + pad, hi = c.colRight - w1 - pad;
    l.x1 = hi >= lo ? std::clamp(l.x1, lo, hi) : lo;
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
      DrawLabelLine(l, l.x1 + 1.1f, y + 1.1f, l.line1, 1, 1, 1, Clamp01(0.78f * k.halo));
      DrawLabelLine(l, l.x1, y, l.line1, k.r, k.g, k.b, Clamp01(k.alpha));
      continue;
    }
    DrawLabelLine(l, l.x1 + 2, y + 2, l.line1, 1, 1, 1, Clamp01(0.72f * k.halo));
    DrawLabelLine(l, l.x1 - 1, y + 1, l.line1, 1, 1, 1, Clamp01(0.48f * k.halo));
    DrawLabelLine(l, l.x1, y, l.line1, k.r, k.g, k.b, Clamp01(k.alpha));
    if (!l.line2.empty()) {
      const float x2 = c.innerLeft;
      DrawLabelLine(l, x2 + 2, y + l.lineStep + 2, l.line2, 1, 1, 1, Clamp01(0.66f * k.halo));
      DrawLabelLine(l, x2, y + l.lineStep, l.line2, k.r, k.g, k.b, Clamp01(0.95f * k.alpha));
    }
  }
  EndTextRun();
}
