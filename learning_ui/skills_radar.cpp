// learning_ui/skills_radar: the radar chart, its overall figure and the flash between two cards of
// a practice set. The flash's timing (deadline, fades, the resume of the waiting song) is the
// learning model's (learning/radar_flash); this draws what a frame of it shows.
#include "gfx/shapes.h"
#include "learning_ui/skills_radar.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "gfx/draw_alpha.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "learning/learning_records.h"
#include "learning/library_browser.h"
#include "learning/library_index.h"
#include "learning/radar_flash.h"
#include "learning_ui/card_text.h"
#include "learning_ui/performance_note.h"
#include "platform/clock.h"
#include "practice/students.h"

// ---- constants ----
const char* const kRadarBaseAxes[4] = {"Accuracy", "Timing", "Cleanliness", "Dynamics"};
static const float kPi = 3.14159265f;
static const float kGrowMs = 600.0f;
static const float kDefaultAccent[3] = {0.34f, 0.58f, 0.92f};
static const float kRadarFlashMargin = 12.0f;   // the flash's axis texts keep off the window's edges

// ---- internal helpers ----
static void AxisPoint(int axis, int count, float cx, float cy, float d, float* x, float* y) {
  float a = axis * 2.0f * kPi / count - kPi / 2.0f;
  *x = cx + std::cos(a) * d;
  *y = cy + std::sin(a) * d;
}

static UiFont LargestFont() { return gFontLarge ? gFontLarge : gFontMain ? gFontMain : gFontSmall; }

static void AddAxis(RadarData* d, const char* label, float value, bool measured) {
  d->label[d->count] = label;
  d->value[d->count] = value;
  d->measured[d->count] = measured;
  ++d->count;
}

// The axis's texts as laid out, drawn.
static void DrawAxisTexts(const RadarAxisTexts& t, float alpha, float r, float g, float b) {
  {
    ScopedTrSuppress shown;
    for (size_t i = 0; i < t.label.lines.size() && i < 2; ++i)
      DrawTextScaled(gFontSmall, t.lineX[i], t.lineY[i], t.label.scale, t.label.lines[i], 0.74f, 0.82f, 0.94f,
                     alpha * 0.92f);
  }
  DrawShown(gFontSmall, t.valueX, t.valueY, t.value, Clamp01(r + 0.18f), Clamp01(g + 0.18f), Clamp01(b + 0.18f),
            alpha * 0.95f);
}

// ---- public functions ----
RadarData FillRadarData(const PerformanceSummary& s) {
  RadarData d;
  AddAxis(&d, kRadarBaseAxes[0], s.precision, true);
  AddAxis(&d, kRadarBaseAxes[1], s.timing, true);
  AddAxis(&d, kRadarBaseAxes[2], s.completeness, true);
  AddAxis(&d, kRadarBaseAxes[3], s.dynamics, s.dynamics_measured);
  if (s.rhythm_has_data) AddAxis(&d, "Rhythm", s.rhythm, s.rhythm_measured);
  if (s.articulation_has_data) AddAxis(&d, "Articulation", s.articulation, s.articulation_measured);
  if (s.pedal_has_data) AddAxis(&d, "Pedalling", s.pedal, s.pedal_measured);
  if (s.intervals_has_data) AddAxis(&d, "Intervals", s.intervals, s.intervals_measured);
  d.hasRun = s.has_notes;
  d.overall = s.overall;
  return d;
}

void RadarValueText(const RadarData& data, int axis, char* out, int size) {
  if (data.hasRun && data.measured[axis])
    std::snprintf(out, (size_t)size, "%d%%", (int)std::lround(Clamp01(data.value[axis]) * 100.0f));
  else
    std::snprintf(out, (size_t)size, "--");
}

void RadarOverallColour(float o, float accentR, float accentG, float accentB, float rgb[3]) {
  const float green[3] = {0.42f, 0.93f, 0.54f}, amber[3] = {0.98f, 0.78f, 0.34f}, red[3] = {0.96f, 0.4f, 0.36f};
  const float accent[3] = {accentR, accentG, accentB};
  const float* c = o >= 0.9f ? green : o >= 0.75f ? accent : o >= 0.5f ? amber : red;
  std::copy(c, c + 3, rgb);
}

void RadarAccentColour(float* r, float* g, float* b) {
  if (gActiveStudentIndex >= 0 && gActiveStudentIndex < (int)gStudents.size()) {
    const Student& s = gStudents[(size_t)gActiveStudentIndex];
    *r = s.r, *g = s.g, *b = s.b;
    return;
  }
  *r = kDefaultAccent[0], *g = kDefaultAccent[1], *b = kDefaultAccent[2];
}

float RadarGrowProgress(uint32_t startMs, uint32_t now) {
  int32_t since = (int32_t)(now - startMs);
  float t = since <= 0 ? 0.0f : Clamp01((float)since / kGrowMs);
  return t * t * (3.0f - 2.0f * t);
}

RadarAxisTexts LayoutRadarAxisTexts(const RadarData& data, int axis, float cx, float cy, float radius, float left,
                                    float right) {
  RadarAxisTexts t;
  const float a = axis * 2.0f * kPi / data.count - kPi / 2.0f;
  const float s = std::sin(a), c = std::cos(a);
  float ax, ay;
  AxisPoint(axis, data.count, cx, cy, radius + 14.0f, &ax, &ay);
  // A label on the right starts at the anchor, one on the left ends there, one at the top or the
  // bottom is centred on it: its room is what that leaves to the edge.
  const int side = c > 0.3f ? 1 : c < -0.3f ? -1 : 0;
  const float room = side > 0 ? right - ax : side < 0 ? ax - left : 2.0f * std::min(ax - left, right - ax);
  const float size = FontPixelSize(gFontSmall);   // the height two lines may take, and their step
  t.label = FitLabel(gFontSmall, data.label[axis], size, std::max(room, 1.0f), 2.3f * size);
  const int lines = (int)std::min<size_t>(t.label.lines.size(), 2);
  const float step = std::max(15.0f, size * t.label.scale);
  // The label's last line keeps the place a one-line label has; a first line above it is taken
  // from the gap over the chart, except below the chart, where the lines and the value go down.
  float labelY = ay - 2.0f, valueY = ay + 13.0f;
  if (s < -0.3f) labelY = ay - 18.0f, valueY = ay - 3.0f;
  if (s > 0.3f) labelY = ay + 12.0f + (lines - 1) * step, valueY = ay + 27.0f + (lines - 1) * step;
  auto alignedX = [&](float width) { return side > 0 ? ax : side < 0 ? ax - width : ax - width / 2.0f; };
  ScopedTrSuppress shown;
  for (int i = 0; i < lines; ++i) {
    t.lineX[i] = alignedX(t.label.scale * MeasureText(gFontSmall, t.label.lines[(size_t)i], size));
    t.lineY[i] = labelY - (lines - 1 - i) * step;
  }
  char value[16];
  RadarValueText(data, axis, value, sizeof value);
  t.value = value;
  t.valueX = alignedX(MeasureText(gFontSmall, t.value, 6.2f));
  t.valueY = valueY;
  return t;
}

void DrawRadarChart(const RadarData& data, float cx, float cy, float radius, float left, float right, float progress,
                    float alpha, float r, float g, float b) {
  if (data.count < 3) return;
  const int n = data.count;
  glLineWidth(1.0f);
  SetGlColor(0.7f, 0.78f, 0.92f, alpha * 0.1f);
  for (float ring : {0.25f, 0.5f, 0.75f, 1.0f}) {
    glBegin(GL_LINE_LOOP);
    for (int j = 0; j < n; ++j) {
      float x, y;
      AxisPoint(j, n, cx, cy, radius * ring, &x, &y);
      glVertex2f(x, y);
    }
    glEnd();
  }
  SetGlColor(0.7f, 0.78f, 0.92f, alpha * 0.17f);
  glBegin(GL_LINES);
  for (int j = 0; j < n; ++j) {
    float x, y;
    AxisPoint(j, n, cx, cy, radius, &x, &y);
    glVertex2f(cx, cy);
    glVertex2f(x, y);
  }
  glEnd();
  BeginTextRun();
  for (int j = 0; j < n; ++j) DrawAxisTexts(LayoutRadarAxisTexts(data, j, cx, cy, radius, left, right), alpha, r, g, b);
  EndTextRun();
  if (!data.hasRun) return;

  float vx[kRadarMaxAxes], vy[kRadarMaxAxes];
  int listed = 0;
  const float p = Clamp01(progress);
  for (int j = 0; j < n; ++j) {
    if (!data.measured[j]) continue;
    AxisPoint(j, n, cx, cy, radius * Clamp01(data.value[j]) * p, &vx[listed], &vy[listed]);
    ++listed;
  }
  if (listed < 2) return;
  SetGlColor(r, g, b, alpha * 0.33f);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(cx, cy);
  for (int i = 0; i <= listed; ++i) glVertex2f(vx[i % listed], vy[i % listed]);
  glEnd();
  SetGlColor(Clamp01(1.25f * r + 0.08f), Clamp01(1.25f * g + 0.08f), Clamp01(1.25f * b + 0.08f), alpha * 0.96f);
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < listed; ++i) glVertex2f(vx[i], vy[i]);
  glEnd();
  SetGlColor(r, g, b, alpha);
  for (int i = 0; i < listed; ++i) FillDisc(vx[i], vy[i], 3.0f, 12);
}

void DrawRadarOverall(const RadarData& data, float cx, float cy, float progress, float alpha, float r, float g,
                      float b) {
  const UiFont font = LargestFont();
  char text[16];
  float rgb[3] = {0.58f, 0.64f, 0.74f};
  if (data.hasRun) {
    float o = Clamp01(data.overall);
    std::snprintf(text, sizeof text, "%d%%", (int)std::lround(o * Clamp01(progress) * 100.0f));
    RadarOverallColour(o, r, g, b, rgb);
  } else {
    std::snprintf(text, sizeof text, "--");
  }
  const float width = ShownWidth(font, text, 15.0f);
  const float x = cx - width / 2.0f;
  BeginTextRun();
  if (data.hasRun)
    for (int i = 0; i < 6; ++i) {
      float a = i * kPi / 3.0f;
      DrawShown(font, x + 2.2f * std::cos(a), cy + 2.2f * std::sin(a), text, rgb[0], rgb[1], rgb[2], alpha * 0.16f);
    }
  DrawShown(font, x, cy, text, rgb[0], rgb[1], rgb[2], alpha * 0.99f);
  std::string caption = Tr("OVERALL");
  DrawShown(gFontSmall, cx - ShownWidth(gFontSmall, caption, 6.2f) / 2.0f, cy + 17.0f, caption, 0.62f, 0.7f, 0.84f,
            alpha * 0.9f);
  EndTextRun();
}

RadarFlashPlace PlaceRadarFlash(float w, float h) {
  RadarFlashPlace p;
  p.cx = w / 2.0f;
  p.cy = h / 2.0f;
  p.radius = std::max(std::min(w, h) * 0.16f, 70.0f);
  p.figureY = p.cy - p.radius - 74.0f;
  return p;
}

void DrawSkillsRadarFlash() {
  RadarFlashFrame frame;
  if (!StepRadarFlash(ClockMs32(), &frame)) return;
  const LibraryItem* item = FindLibraryItem(gRadarItemId);
  if (!item) return;
  const float W = (float)gClientWidth, H = (float)gClientHeight, alpha = frame.alpha;
  SetGlColor(0.02f, 0.03f, 0.05f, alpha * 0.55f);
  FillRect(0.0f, 0.0f, W, H);

  float r, g, b;
  RadarAccentColour(&r, &g, &b);
  auto found = gMasteryRecords.find(item->id);
  PerformanceSummary summary;
  SummarizePerformance(&summary, found == gMasteryRecords.end() ? nullptr : &found->second);
  const RadarData data = FillRadarData(summary);
  const RadarFlashPlace place = PlaceRadarFlash(W, H);
  const float cx = place.cx, cy = place.cy, R = place.radius, top = place.figureY;

  const UiFont titleFont = gFontMain ? gFontMain : gFontSmall;
  std::string heading = Tr("SKILLS RADAR"), title = Tr(ItemCardTitle(*item));
  BeginTextRun();
  DrawShown(titleFont, cx - ShownWidth(titleFont, heading, 8.0f) / 2.0f, top - 66.0f, heading, 0.98f, 0.84f, 0.42f,
            alpha * 0.98f);
  DrawShown(gFontSmall, cx - ShownWidth(gFontSmall, title, 6.6f) / 2.0f, top - 44.0f, title, 0.86f, 0.92f, 1.0f,
            alpha * 0.95f);
  EndTextRun();
  DrawRadarOverall(data, cx, top, frame.grow, alpha, r, g, b);
  DrawRadarChart(data, cx, cy, R, kRadarFlashMargin, W - kRadarFlashMargin, frame.grow, alpha, r, g, b);
}
