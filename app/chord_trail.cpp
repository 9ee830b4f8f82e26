// app/chord_trail: the chord history's column and names.
//
// Depends on the chord history, the client size and layout (toolbar panel, circle), the difficulty
// slider, the song view's fade and the fonts.
#include "app/chord_trail.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/view_modes.h"
#include "app/chord_recogniser.h"
#include "board/board_layout.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "practice/teaching_state.h"
#include "theory/circle_theory.h"
#include "visual/ring_labels.h"

// ---- constants ----
// A renewal that came late after a stalled frame keeps a let-go name still no longer than this.
static const uint32_t kRenewalHoldMaxMs = 250;
// The history records a chord again while its notes are this young, so one strike of a chord is
// recorded twice; the same name within this time is that strike.
static const uint32_t kSameStrikeMs = 136;

// ---- internal helpers ----
static float Px(float s, float k, float minimum) { return std::max(k * s, minimum); }

static UiFont TrailFont() { return gFontMain ? gFontMain : gFontMedium ? gFontMedium : gFontLarge; }

// Splits a name by its drawn width, not by a count of characters: glyphs are wider than any
// estimate, and a line the scissor cuts loses letters mid-glyph. A slash chord breaks before its
// bass note so that note is read whole; a line still too wide ends in "...".
static void SplitTrailName(UiFont font, const std::string& text, float avail, std::string* line1,
                           std::string* line2) {
  *line1 = text;
  line2->clear();
  if (MeasureText(font, text, 18) <= avail) return;
  const size_t slash = text.rfind('/');
  // "6/9" is part of a chord's label; only a note name after the slash is a bass note.
  const bool bass = slash != std::string::npos && slash > 0 && slash + 1 < text.size() &&
                    text[slash + 1] >= 'A' && text[slash + 1] <= 'G' && text.find(' ') == std::string::npos;
  if (bass) {
    *line1 = FitTextToWidth(font, text.substr(0, slash), 18, avail);
    *line2 = FitTextToWidth(font, text.substr(slash), 18, avail);
    return;
  }
  std::vector<std::string> lines = WrapTextToWidth(font, text, 18, avail, 2);
  *line1 = lines.empty() ? "" : lines[0];
  if (lines.size() > 1) *line2 = lines[1];
}

// ---- public functions ----
float TrailSmoothstep(float t) {
  t = Clamp01(t);
  return (3.0f - 2.0f * t) * t * t;
}

ColumnScissor::ColumnScissor(const TrailColumn& c) {
  if (c.colRight - c.colLeft <= 2) return;
  wasEnabled = glIsEnabled(GL_SCISSOR_TEST);
  if (wasEnabled) glGetIntegerv(GL_SCISSOR_BOX, box);
  int W = std::max(gClientWidth, 1), H = std::max(gClientHeight, 1);
  int x = std::clamp((int)std::floor(c.colLeft), 0, W - 1);
  int w = std::clamp((int)std::ceil(c.colRight - c.colLeft), 1, W - x);
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, 0, w, H);
  set = true;
}

ColumnScissor::~ColumnScissor() {
  if (!set) return;
  if (wasEnabled)
    glScissor(box[0], box[1], box[2], box[3]);
  else
    glDisable(GL_SCISSOR_TEST);
}

TrailColumn ComputeTrailColumn(int maxTextBytes) {
  TrailColumn c;
  const float W = (float)gClientWidth, H = (float)gClientHeight;
  const float s = GetUiScale();
  c.uiScale = s;
  const bool learning = IsLearningOverlayShown();
  const bool toolbar = gToolbarPanelRect.w > 1;
  const float cw = Px(s, 8.8f, 6.2f);
  const int maxChars = std::max(16, std::clamp(maxTextBytes, 0, 28));
  const float colW = std::max(Px(s, 132, 120), (float)maxChars * cw + Px(s, 24, 18));
  float R0 = W - Px(s, 14, 12), L;
  float cx, cy, m, R, Ri, Rm;
  ComputeCircleLayout(&cx, &cy, &m, &R, &Ri, &Rm);
  // Beside the circle's right edge, past the key marker.
  const float besideCircle = cx + R + std::max(0.018f * m, 12.0f) + Px(s, 24, 18);
  bool narrow = false;  // a band narrower than a full column, whose names wrap or shorten
  if (learning) {
    L = besideCircle;
    R0 = std::min(R0, L + colW);
    c.top = cy - 0.45f * R;
    c.bottom = cy + 0.45f * R;
  } else {
    c.top = toolbar ? gToolbarPanelRect.y : 0.36f * H;
    c.bottom = toolbar ? gToolbarPanelRect.y + gToolbarPanelRect.h : 0.7f * H;
    L = std::max(0.0f, R0 - colW);
    if (toolbar) {
      L = gToolbarPanelRect.x + gToolbarPanelRect.w + Px(s, 12, 10);
      // The toolbar stands at the window's right edge: a column pushed back over it and the board
      // had its names drawn under both. The free band between the circle and the board takes them.
      BoardLayout board;
      ComputeBoardLayout(&board);
      const float bandRight = std::min(board.panelX - Px(s, 10, 8), besideCircle + colW);
      if (R0 - L < Px(s, 132, 120) && bandRight - besideCircle >= Px(s, 84, 62)) {
        L = besideCircle;
        R0 = bandRight;
        c.top = cy - 0.45f * R;
        c.bottom = cy + 0.45f * R;
        narrow = true;
      } else if (R0 - L < Px(s, 64, 56)) {
        L = std::max(0.0f, R0 - Px(s, 64, 56));
      }
    }
  }
  c.mid = 0.5f * (c.top + c.bottom);
  if (!narrow && Px(s, 132, 120) > R0 - L) L = R0 - Px(s, 132, 120);
  c.colLeft = std::max(0.0f, L);
  c.colRight = std::max(c.colLeft + 2.0f, R0);
  c.colRight = std::min(std::max(c.colRight, c.colLeft + Px(s, 84, 62)), W - Px(s, 10, 8));
  c.colRight = std::max(c.colRight, c.colLeft + 2.0f);
  c.innerLeft = std::min(c.colLeft + Px(s, 3, 2), W - Px(s, 22, 18));
  c.innerLeft = std::max(std::min(c.innerLeft, c.colRight - Px(s, 12, 10)), c.colLeft + Px(s, 3, 2));
  c.y0 = c.mid - Px(s, 32, 26);
  c.travel = std::max(c.mid - c.top + Px(s, 30, 24), 104.0f);
  return c;
}

TrailColumn ComputeTrailColumn() {
  int longest = 0;
  for (const RingLabel& e : gRingLabels) longest = std::max(longest, (int)std::min(e.text.size(), (size_t)28));
  return ComputeTrailColumn(longest);
}

bool ComputeTrailEntryLook(const RingLabel& e, int index, uint32_t nowMs, const TrailColumn& c, float difficulty,
                           bool calm, TrailEntryLook* out) {
  const float life = std::max(kHarmonyTrailSeconds, 0.28f);
  const float fade = std::max(0.3f * life, 0.18f);
  float age = (float)(uint32_t)(nowMs - e.timeMs) / 1000.0f;
  if (age > life + fade) return false;
  float dir, speed, offset;
  GetStyleConstants((int)std::min(e.quality, 2u), &dir, &speed, &offset);
  const bool dim = e.quality == 2;
  const float s = c.uiScale;
  float p = Clamp01(age / life * speed);
  float fadeOut = age <= life ? 1.0f : 1.0f - TrailSmoothstep((age - life) / fade);
  out->y = std::clamp(c.y0 + p * dir * c.travel, c.top - Px(s, 90, 70), c.bottom + Px(s, 100, 80));
  const float col[3] = {Clamp01(e.r), Clamp01(e.g), Clamp01(e.b)};
  float alpha = (1.0f - p) * (1.0f - p) * fadeOut;
  float v = 0.5f + 0.5f * Clamp01(difficulty);
  float sh = calm ? 0.0f
                  : std::exp(-0.95f * age) *
                        (0.22f + 0.66f * (0.5f + 0.5f * std::sin(6.9f * v * age + 0.31f * (float)index)));
  if (dim) alpha *= 0.9f, sh *= 1.1f;
  float lift[3];
  for (int k = 0; k < 3; ++k) lift[k] = Clamp01(col[k] + 0.24f * sh);
  out->flash = out->dark = 0;
  if (dim) {
    float u = Clamp01(age / std::max(life, 0.001f));
    float a = Clamp01(u / 0.14f), b = Clamp01((u - 0.08f) / 0.42f);
    out->flash = TrailSmoothstep(1.0f - a);
    out->dark = TrailSmoothstep(b);
    for (float& x : lift) x = (1.0f - out->dark) * x * (1.0f - out->flash) + out->flash;
    alpha *= 0.86f - 0.28f * out->dark + 0.1f * out->flash;
  }
  alpha *= 0.8f + 0.34f * sh;
  out->r = lift[0], out->g = lift[1], out->b = lift[2];
  float halo = ClampFloat((0.2f + 0.48f * sh) * alpha, 0.0f, 0.94f);
  if (dim) halo *= (1.0f - 0.92f * out->dark) * (0.35f + 0.65f * out->flash);
  out->halo = halo;
  out->alpha = Clamp01(alpha);
  out->offset = offset;
  return true;
}

bool ComputeTrailEntryAge(const std::vector<RingLabel>& labels, size_t index, uint32_t nowMs, uint32_t* ageMs,
                          int* phaseIndex) {
  const RingLabel& e = labels[index];
  auto renews = [&](size_t i) {
    return labels[i].text == labels[i - 1].text &&
           (labels[i].repeat || labels[i].timeMs - labels[i - 1].timeMs < kSameStrikeMs);
  };
  if (index + 1 < labels.size() && renews(index + 1)) return false;
  size_t first = index;
  while (first > 0 && renews(first)) --first;
  *phaseIndex = (int)first;
  *ageMs = nowMs - e.timeMs;
  if (first < index) {
    const uint32_t pace = std::min(e.timeMs - labels[index - 1].timeMs, kRenewalHoldMaxMs);
    *ageMs = *ageMs > pace ? *ageMs - pace : 0;
  }
  return true;
}

void DrawChordTrail(const TrailColumn& c, uint32_t nowMs) {
  if (gRingLabels.empty()) return;
  const UiFont font = TrailFont();
  const float s = c.uiScale, H = (float)gClientHeight;
  const float pad = Px(s, 6, 5), cw = Px(s, 8.8f, 6.2f);
  const float avail = (c.colRight - c.colLeft) - 2.0f * pad;
  if (std::max(0.8f * cw, 4.0f) >= avail) return;
  const bool calm = gSongViewFade > 0.01f;
  ColumnScissor clip(c);
  ScopedTrSuppress names;  // chord names are not UI words
  std::string line1, line2;
  BeginTextRun();  // nothing but text below: one texture binding for the whole trail
  for (size_t i = 0; i < gRingLabels.size(); ++i) {
    const RingLabel& e = gRingLabels[i];
    uint32_t ageMs;
    int phase;
    if (!ComputeTrailEntryAge(gRingLabels, i, nowMs, &ageMs, &phase)) continue;
    TrailEntryLook k;
    if (!ComputeTrailEntryLook(e, phase, e.timeMs + ageMs, c, gTeachingLevel, calm, &k)) continue;
    std::string text = TrimSpaces(e.text);
    if (text.empty()) continue;
    SplitTrailName(font, text, avail, &line1, &line2);
    if (line1.empty()) continue;
    float w1 = std::max(MeasureText(font, line1, 18), 8.0f);
    float textH = MeasureTextHeight(font, text, Px(s, 22, 18));
    float gap = std::max(Px(s, 12, 10), textH + 8.0f);
    float centre = 0.5f * (c.colLeft + c.colRight) + k.offset * Px(s, 7, 6);
    float lo = c.colLeft + pad, x1 = lo;
    if (line2.empty() && w1 <= 0.72f * avail) {
      float hi = c.colRight - w1 - pad;
      x1 = hi >= lo ? std::clamp(centre - w1 / 2.0f, lo, hi) : lo;
    }
    float y = std::clamp(k.y, pad, std::max(pad, H - pad - textH - (line2.empty() ? 0.0f : gap)));
    DrawTextUtf8(font, x1 + 1.1f, y + 1.1f, line1, 1, 1, 1, k.halo);
    DrawTextUtf8(font, x1, y, line1, k.r, k.g, k.b, k.alpha);
    if (!line2.empty()) {
      DrawTextUtf8(font, lo + 1.1f, y + gap + 1.1f, line2, 1, 1, 1, Clamp01(0.94f * k.halo));
      DrawTextUtf8(font, lo, y + gap, line2, k.r, k.g, k.b, Clamp01(0.96f * k.alpha));
    }
  }
  EndTextRun();
}
