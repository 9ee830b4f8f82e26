// learning_ui/learning_draw: the small drawing pieces every learning view shares: pill buttons, a
// vertical gradient, a star, the level colours, and an item's mastery badge and retention dots.
// All colours pass through the global draw alpha; none of these leaves GL state changed.
#pragma once
#include <string>

#include "gfx/rect.h"
#include "learning/library_index.h"

// Pill styles.
constexpr int kPillPlain = 0;
constexpr int kPillGold = 1;
constexpr int kPillRed = 2;

// A pill button with its label; nudge moves the label left by that many label sizes.
void DrawPillButton(const RectF& r, const std::string& label, int style, bool enabled, float nudge, float yOffset,
                    float opacity);
// A rounded rectangle filled with a vertical gradient.
void FillRoundedGradientRect(float x, float y, float w, float h, float radius, const float top[4], const float bottom[4]);
// A rounded rectangle's rim of that width only (where a fill inset by the width would not reach),
// for bodies whose inside another fill covers.
void FillRoundedRimRect(float x, float y, float w, float h, float radius, float rim, const float colour[4]);
// A filled five-point star.
void DrawStar(float cx, float cy, float radius, float r, float g, float b, float a);
// The colour of a level 0..4 (grey, greens, gold, orange), red beyond.
void LevelColour(int level, float* r, float* g, float* b);
// The "%d%%" badge, or the gold diamond of a mastered item.
void DrawMasteryBadge(const LibraryItem& item, const RectF& r);
// Two dots left of the badge: days passed, the next one amber while in progress.
void DrawRetentionDots(const LibraryItem& item, const RectF& r);
