// learning_ui/skills_radar: the radar chart of one run's skills, drawn inside every performance note
// and as the full-screen flash between two cards of a practice set.
//
// A chart is filled fresh from a PerformanceSummary for every drawing; nothing is cached, so a
// chart always shows the current records.
#pragma once
#include <cstdint>
#include <string>

#include "gfx/label_fit.h"
#include "learning/performance_summary.h"

// ---- tables ----
constexpr int kRadarMaxAxes = 8;
extern const char* const kRadarBaseAxes[4];   // "Accuracy", "Timing", "Cleanliness", "Dynamics"

// ---- data ----
// The axes of one chart; at least three are needed to draw it.
struct RadarData {
  int count = 0;
  const char* label[kRadarMaxAxes] = {};   // English, translated when drawn
  float value[kRadarMaxAxes] = {};         // 0..1
  bool measured[kRadarMaxAxes] = {};      // only measured axes show a value and shape the polygon
  bool hasRun = false;                     // without a run every value reads "--" and no polygon shows
  float overall = 0;                       // the large centre figure, 0..1
};

// ---- logic ----
// The four base axes always, then rhythm, articulation, pedalling and intervals where they have data.
RadarData FillRadarData(const PerformanceSummary& summary);
// The value text of an axis: "NN%" for a measured axis of a run, else "--".
void RadarValueText(const RadarData& data, int axis, char* out, int size);
// The overall figure's colour for a run's overall o: green from 0.9, the accent from 0.75, amber
// from 0.5, else red.
void RadarOverallColour(float o, float accentR, float accentG, float accentB, float rgb[3]);
// The active student's colour, else the default blue-grey.
void RadarAccentColour(float* r, float* g, float* b);
// Smoothstep of the time since start over the 600 ms grow-in; 0 while now is before start (the
// 32-bit clock's difference is signed, so a grow-in across its wrap runs on).
float RadarGrowProgress(uint32_t startMs, uint32_t now);

// Where the flash between two cards puts its chart in a window of w x h: the chart's centre and
// radius, and the overall figure's baseline; the drawing and the tests read the same numbers.
struct RadarFlashPlace {
  float cx = 0, cy = 0, radius = 0, figureY = 0;
};
RadarFlashPlace PlaceRadarFlash(float w, float h);

// Where an axis's label and value stand beside its rim, on the side of the chart the axis points
// to, kept between left and right (the card's or the window's edges): the translated label at its
// size where it fits, else smaller, else on two lines. Each line's left edge and baseline.
struct RadarAxisTexts {
  LabelFit label;                          // lines translated
  float lineX[2] = {}, lineY[2] = {};
  std::string value;                       // "NN%" or "--"
  float valueX = 0, valueY = 0;
};
RadarAxisTexts LayoutRadarAxisTexts(const RadarData& data, int axis, float cx, float cy, float radius, float left,
                                    float right);

// ---- drawing ----
// The chart centred at (cx, cy) in the accent colour (r, g, b), its axis texts between left and
// right; the polygon grows with progress 0..1. Leaves no GL state changed.
void DrawRadarChart(const RadarData& data, float cx, float cy, float radius, float left, float right, float progress,
                    float alpha, float r, float g, float b);
// The overall figure centred on cx with its baseline at cy, counting up with progress, and its caption.
void DrawRadarOverall(const RadarData& data, float cx, float cy, float progress, float alpha, float r, float g, float b);
