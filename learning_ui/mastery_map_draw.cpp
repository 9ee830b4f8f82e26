// learning_ui/mastery_map_draw: the mastery map drawn once a frame on the MAP tab: backdrop, column
// and tier bands, prerequisite links (the focused skill's lit and travelling), the star cards, the
// "you are here" marker and the focus card. Scissoring, line width and texturing come back as they
// were.
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/learning_records.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_draw.h"
#include "learning_ui/learning_views.h"
#include "learning_ui/mastery_map.h"
#include "learning_ui/skill_graph.h"
#include "platform/clock.h"

// ---- constants ----
static const float kPi = 3.14159265f;
static const char* const kMapColumnTitles[3] = {"Technique", "Reading", "Repertoire"};
static const float kStateColours[3][3] = {{0.4f, 0.44f, 0.55f}, {0.45f, 0.8f, 0.92f}, {0.97f, 0.82f, 0.36f}};

// ---- internal helpers ----
namespace {

// A graph row whose both skills have cards, by card index.
struct MapLink {
  int needed, needing;
};

// Fits an already translated text and draws it.
void DrawFittedShown(UiFont font, float x, float y, const std::string& shown, float width, float fallback, float r,
                     float g, float b, float a) {
  ScopedTrSuppress suppress;
  DrawTextUtf8(font, x, y, ElideTextToWidth(font, shown, width, fallback), r, g, b, a);
}

// Translates, fits and draws.
void DrawFitted(UiFont font, float x, float y, const std::string& english, float width, float fallback, float r,
                float g, float b, float a) {
  std::string shown = ElideTextToWidth(font, english, width, fallback);
  DrawShown(font, x, y, shown, r, g, b, a);
}

bool BandVisible(const LearningLayout& l, float top, float height) {
  return top + height >= l.contentY && top <= l.contentY + l.contentH;
}

std::vector<MapLink> ResolveLinks(const std::vector<MapNode>& nodes) {
  std::unordered_map<std::string, int> keyIndex;   // the per-frame key index
  keyIndex.reserve(nodes.size() * 2);
  for (int i = 0; i < (int)nodes.size(); ++i) keyIndex.emplace(ItemSkillKey(nodes[i].category, nodes[i].type), i);
  std::vector<MapLink> links;
  links.reserve(gSkillGraph.size());
  for (const SkillGraphRow& row : gSkillGraph) {
    auto needing = keyIndex.find(ItemSkillKey(row.category, row.type));
    if (needing == keyIndex.end()) continue;
    auto needed = keyIndex.find(ItemSkillKey(row.neededCategory, row.neededType));
    if (needed == keyIndex.end()) continue;
    links.push_back({needed->second, needing->second});
  }
  return links;
}

void DrawBands(const LearningLayout& l, const std::vector<MapNode>& nodes) {
  const float S = gLibraryScroll, cw3 = l.contentW / 3.0f;
  DrawTextUtf8(gFontSmall, l.contentX + 2.0f, l.contentY - S + 19.0f,
               "Mastery map - hover a star for its progress, tap to open its lessons", 0.62f, 0.7f, 0.84f, 0.92f);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.055f);
  for (int k = 1; k <= 2; ++k) FillRect(l.contentX + k * cw3, l.contentY, 1.0f, l.contentH);
  for (int k = 0; k < 3; ++k) {
    float w = MeasureText(gFontSmall, kMapColumnTitles[k], 6.4f);
    DrawTextUtf8(gFontSmall, l.contentX + (k + 0.5f) * cw3 - w / 2.0f, l.contentY - S + 45.0f, kMapColumnTitles[k],
                 0.78f, 0.84f, 0.96f, 0.92f);
  }
  const std::array<int, kMapTierCount> counts = MapTierCounts();
  const std::array<float, kMapTierCount> tops = MapTierTops(l);
  glLineWidth(1.0f);
  for (int t = 0; t < kMapTierCount; ++t) {
    const float T = tops[t], B = MapTierHeight(counts[t]);
    if (!BandVisible(l, T, B)) continue;
    if (t % 2 == 0)
      SetGlColor(0.07f, 0.08f, 0.12f, 0.48f);
    else
      SetGlColor(0.055f, 0.065f, 0.1f, 0.48f);
    FillRoundedRect(l.contentX, T + 8.0f, l.contentW, B - 18.0f, 12.0f, 10);
    SetGlColor(1.0f, 1.0f, 1.0f, 0.045f);
    StrokeRoundedRect(l.contentX, T + 8.0f, l.contentW, B - 18.0f, 12.0f, 10);
    DrawTextUtf8(gFontSmall, l.contentX + 14.0f, T + 30.0f, kMapTierTitles[t], 0.98f, 0.84f, 0.42f, 0.96f);
    const MapTierHead head = LayoutMapTierHead(l, t, T, nodes);
    DrawFitted(gFontSmall, head.subtitleX, head.subtitleY, kMapTierSubtitles[t], head.subtitleRoom, 6.2f, 0.52f, 0.6f,
               0.74f, 0.86f);
  }
}

// The curve lies within the triangle of its ends and its control point; a link whose triangle
// stays above or below the content band draws nothing, and a rasteriser still pays for its
// segments.
bool LinkMayShow(const LearningLayout& l, const MapNode& from, const MapNode& to) {
  float midX, midY;
  MapLinkPoint(from, to, 0.5f, &midX, &midY);
  const float controlY = 2.0f * midY - (from.centreY + to.centreY) / 2.0f;
  const float low = std::min({from.centreY, to.centreY, controlY}), high = std::max({from.centreY, to.centreY, controlY});
  return high >= l.contentY - 4.0f && low <= l.contentY + l.contentH + 4.0f;
}

void DrawLinks(const LearningLayout& l, const std::vector<MapNode>& nodes, const std::vector<MapLink>& links, int focus) {
  // The quiet links go as one batch of segments: the same pixels as a strip per link, without a
  // software rasteriser's cost for hundreds of separate primitives.
  glLineWidth(1.5f);
  glBegin(GL_LINES);
  for (const MapLink& link : links) {
    if (link.needed == focus || link.needing == focus) continue;
    const MapNode& from = nodes[link.needed];
    const MapNode& to = nodes[link.needing];
    if (!LinkMayShow(l, from, to)) continue;
    SetGlColor(0.56f, 0.64f, 0.82f, to.state == kMapNodeLocked ? 0.06f : 0.13f);
    float x0 = from.centreX, y0 = from.centreY;
    for (int i = 1; i <= 16; ++i) {
      float x, y;
      MapLinkPoint(from, to, i / 16.0f, &x, &y);
      glVertex2f(x0, y0);
      glVertex2f(x, y);
      x0 = x;
      y0 = y;
    }
  }
  glEnd();
  if (focus >= 0) {
    const double tMs = GetAppSeconds() * 1000.0;
    const float u = (float)std::fmod((tMs + 1.0) * 0.00022, 1.0);
    glLineWidth(2.4f);
    for (const MapLink& link : links) {
      if (link.needed != focus && link.needing != focus) continue;
      const MapNode& from = nodes[link.needed];
      const MapNode& to = nodes[link.needing];
      if (!LinkMayShow(l, from, to)) continue;
      DrawMapLink(from, to, 0.97f, 0.82f, 0.4f, to.state == kMapNodeLocked ? 0.45f : 0.85f);
      float x, y;
      MapLinkPoint(from, to, u, &x, &y);
      DrawSoftGlow(x, y, 7.0f, 1.0f, 0.94f, 0.6f, 0.85f);
    }
  }
  glLineWidth(1.0f);
}

bool CardVisible(const LearningLayout& l, const RectF& r) { return r.y + r.h >= l.contentY && r.y <= l.contentY + l.contentH; }

bool CardHovered(const LearningLayout& l, const RectF& r) {
  const float mx = (float)gMouseX, my = (float)gMouseY;
  return mx >= r.x && mx <= r.x + r.w && my >= r.y && my <= r.y + r.h && my >= l.contentY && my <= l.contentY + l.contentH;
}

// The in-progress star's breathing, by its place so neighbours do not pulse in step.
float OpenPulse(const MapNode& node, double tMs) { return 0.5f + 0.5f * (float)std::sin(0.004 * tMs + 0.01 * node.centreX); }

float StarRadius(const MapNode& node, double tMs) {
  if (node.state == kMapNodeMastered) return 10.0f;
  if (node.state == kMapNodeOpen) return 9.0f + 1.5f * OpenPulse(node, tMs);
  return 7.0f;
}

void DrawCardShapes(const LearningLayout& l, const MapNode& node, double tMs) {
  const RectF r = MapNodeRect(node);
  const bool hovered = CardHovered(l, r);
  const float* c = kStateColours[ClampInt(node.state, 0, 2)];
  const float body[4] = {0.035f, 0.045f, 0.07f, hovered ? 0.98f : 0.88f};
  FillRoundedRimRect(r.x, r.y, r.w, r.h, 10.0f, 1.0f, body);
  static const float kTopHover[4] = {0.16f, 0.18f, 0.25f, 0.96f}, kBottomHover[4] = {0.08f, 0.1f, 0.15f, 0.98f};
  static const float kTop[4] = {0.1f, 0.115f, 0.16f, 0.96f}, kBottom[4] = {0.05f, 0.065f, 0.1f, 0.98f};
  FillRoundedGradientRect(r.x + 1.0f, r.y + 1.0f, r.w - 2.0f, r.h - 2.0f, 9.0f, hovered ? kTopHover : kTop,
                          hovered ? kBottomHover : kBottom);
  SetGlColor(c[0], c[1], c[2], hovered ? 0.7f : 0.3f);
  StrokeRoundedRect(r.x, r.y, r.w, r.h, 10.0f, 10);
  const float px = r.x + 18.0f, py = node.centreY, R = StarRadius(node, tMs);
  if (node.state == kMapNodeMastered) {
    DrawSoftGlow(px, py, 2.7f * R, 0.97f, 0.82f, 0.4f, 0.24f);
  } else if (node.state == kMapNodeOpen) {
    const float p = OpenPulse(node, tMs);
    DrawSoftGlow(px, py, (0.6f * p + 2.2f) * R, 0.45f, 0.8f, 0.92f, 0.12f * p + 0.1f);
    DrawStar(px, py, R + 4.0f, c[0], c[1], c[2], 0.16f);
  }
  if (hovered) DrawStar(px, py, R + 5.0f, 1.0f, 1.0f, 1.0f, 0.18f);
  DrawStar(px, py, R, c[0], c[1], c[2], node.state == kMapNodeLocked ? 0.6f : 0.96f);
}

void DrawCardTexts(const MapNode& node) {
  static const float kMapStatusColours[3][4] = {
      {0.44f, 0.5f, 0.6f, 0.66f}, {0.54f, 0.8f, 0.92f, 0.92f}, {0.98f, 0.84f, 0.42f, 0.92f}};
  const MapCardText t = LayoutMapCardText(node);
  if (node.state == kMapNodeLocked) {
    DrawFittedShown(gFontSmall, t.textX, t.topBaseline, CategoryTabLabel(node.category), t.categoryW, 6.2f, 0.42f, 0.48f,
                    0.6f, 0.62f);
    DrawFitted(gFontSmall, t.textX, t.typeBaseline, node.type, t.typeW, 6.7f, 0.54f, 0.56f, 0.66f, 0.74f);
  } else {
    DrawFittedShown(gFontSmall, t.textX, t.topBaseline, CategoryTabLabel(node.category), t.categoryW, 6.2f, 0.56f, 0.64f,
                    0.8f, 0.9f);
    DrawFitted(gFontSmall, t.textX, t.typeBaseline, node.type, t.typeW, 6.7f, 0.88f, 0.92f, 1.0f, 0.96f);
  }
  const float* c = kMapStatusColours[ClampInt(node.state, 0, 2)];
  DrawTextUtf8(gFontSmall, t.statusX, t.topBaseline, t.status, c[0], c[1], c[2], c[3]);
}

void DrawYouAreHere(const LearningLayout& l, const std::vector<MapNode>& nodes, int here, double tMs) {
  const MapNode& node = nodes[(size_t)here];
  const RectF r = MapNodeRect(node);
  if (!CardVisible(l, r)) return;
  const float q = 0.5f + 0.5f * (float)std::sin(0.005 * tMs);
  const float px = r.x + 18.0f, py = node.centreY;
  DrawSoftGlow(px, py, 24.0f + 9.0f * q, 1.0f, 0.86f, 0.46f, 0.3f);
  const float radius = 15.0f + 3.0f * q;
  glLineWidth(2.0f);
  SetGlColor(1.0f, 0.88f, 0.52f, 0.55f + 0.35f * q);
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < 26; ++i) {
    float a = 2.0f * kPi * i / 26.0f;
    glVertex2f(px + radius * std::cos(a), py + radius * std::sin(a));
  }
  glEnd();
  glLineWidth(1.0f);
  float labelX, labelY;
  PlaceYouAreHereLabel(l, nodes, here, &labelX, &labelY);
  DrawTextUtf8(gFontSmall, labelX, labelY, "you are here", 1.0f, 0.88f, 0.52f, 0.92f);
}

// A piece row's star colour: mastered, complete, attempted, untouched.
void PieceColour(const LibraryItem& item, float c[4]) {
  auto set = [&](float r, float g, float b, float a) { c[0] = r, c[1] = g, c[2] = b, c[3] = a; };
  auto record = gMasteryRecords.find(item.id);
  if (IsItemMastered(item))
    set(0.97f, 0.82f, 0.4f, 0.95f);
  else if (IsItemComplete(item))
    set(0.55f, 0.85f, 0.55f, 0.95f);
  else if (record != gMasteryRecords.end() && record->second.attempts > 0)
    set(0.45f, 0.8f, 0.92f, 0.95f);
  else
    set(0.4f, 0.44f, 0.55f, 0.6f);
}

void DrawFocusCard(const LearningLayout& l, const MapNode& node, const std::vector<int>& items) {
  const float offset = MapFocusSlideOffset(ItemSkillKey(node.category, node.type), ClockMs32());
  const SkillStats stats = ComputeSkillStats(items);
  const MapFocusCard card = LayoutMapFocusCard(l, node, (int)items.size(), offset, &stats);
  const float body[4] = {0.03f, 0.04f, 0.07f, 0.98f};
  FillRoundedRimRect(card.x, card.y, card.w, card.h, 16.0f, 2.0f, body);
  static const float kTop[4] = {0.13f, 0.15f, 0.22f, 0.98f}, kBottom[4] = {0.045f, 0.055f, 0.095f, 0.99f};
  FillRoundedGradientRect(card.x + 2.0f, card.y + 2.0f, card.w - 4.0f, card.h - 4.0f, 14.0f, kTop, kBottom);
  glLineWidth(1.0f);
  SetGlColor(0.96f, 0.8f, 0.34f, 0.34f);
  StrokeRoundedRect(card.x, card.y, card.w, card.h, 16.0f, 12);

  const float tx = card.x + 18.0f, tw = card.w - 36.0f;
  float y = l.contentY + 30.0f;
  DrawShown(gFontSmall, tx, y, CategoryTabLabel(node.category), 0.6f, 0.7f, 0.9f, 0.92f);
  y += 21.0f;
  const UiFont titleFont = gFontMain ? gFontMain : gFontSmall;
  DrawFitted(titleFont, tx, y, node.type, tw, 7.2f, 0.96f, 0.93f, 1.0f, 0.98f);
  y += 27.0f;
  if (node.state == kMapNodeMastered)
    DrawTextUtf8(gFontSmall, tx, y, "MASTERED", 0.98f, 0.82f, 0.42f, 0.96f);
  else
    DrawTextUtf8(gFontSmall, tx, y, node.state == kMapNodeOpen ? "IN PROGRESS" : "LOCKED", 0.58f, 0.74f, 0.9f, 0.96f);
  y += 22.0f;
  SetGlColor(1.0f, 1.0f, 1.0f, 0.1f);
  FillRoundedRect(tx, y, tw, 8.0f, 4.0f, 6);
  if (stats.pieces > 0 && stats.done > 0) {
    SetGlColor(0.55f, 0.85f, 0.55f, 0.92f);
    FillRoundedRect(tx, y, tw * stats.done / stats.pieces, 8.0f, 4.0f, 6);
  }
  y += 22.0f;
  // The figure lines, 19 then 17 apart, each with its second line when it has one.
  const float after[3] = {19.0f, 17.0f, 0.0f};
  for (int i = 0; i < 3; ++i) {
    const float a = i == 0 ? 0.92f : 0.86f;
    const float r = i == 0 ? 0.74f : 0.6f, g = i == 0 ? 0.82f : 0.68f, b = i == 0 ? 0.94f : 0.82f;
    DrawShown(gFontSmall, tx, y, card.figures[i][0], r, g, b, a);
    if (!card.figures[i][1].empty()) {
      y += 17.0f;
      DrawShown(gFontSmall, tx, y, card.figures[i][1], r, g, b, a);
    }
    y += after[i];
  }
  y += 24.0f;
  SetGlColor(1.0f, 1.0f, 1.0f, 0.08f);
  FillRect(tx, y, tw, 1.0f);
  y += 14.0f;
  DrawTextUtf8(gFontSmall, tx, y, "Pieces in this skill", 0.55f, 0.62f, 0.78f, 0.8f);
  y += 18.0f;

  const std::vector<int> pieces = SortSkillPieces(items);
  for (int row = 0; row < card.rows; ++row, y += 16.0f) {
    const LibraryItem& item = gLibraryItems[pieces[row]];
    float c[4];
    PieceColour(item, c);
    DrawStar(tx + 4.0f, y + 4.0f, 4.2f, c[0], c[1], c[2], c[3]);
    const float a = c[3];
    DrawFittedShown(gFontSmall, tx + 16.0f, y + 8.0f, FocusPieceLine(item), tw - 18.0f, 6.0f, 0.9f * a + 0.06f,
                    0.92f * a + 0.06f, 0.98f * a + 0.06f, 0.92f);
  }
  if (card.more > 0) DrawShown(gFontSmall, tx + 16.0f, y + 8.0f, TrF("+ %d more", card.more), 0.55f, 0.62f, 0.78f, 0.78f);

  std::string needs, leads;
  SkillNeedsAndLeads(node.category, node.type, &needs, &leads);
  if (needs.empty()) needs = Tr("nothing - start here");
  if (leads.empty()) leads = Tr("a branch tip");
  const float lw = std::max(MeasureText(gFontSmall, "Needs:", 6.4f), MeasureText(gFontSmall, "Leads:", 6.4f)) + 10.0f;
  const float needsY = l.contentY + card.h - 34.0f;
  DrawTextUtf8(gFontSmall, tx, needsY, "Needs:", 0.55f, 0.62f, 0.78f, 0.82f);
  DrawFittedShown(gFontSmall, tx + lw, needsY, needs, tw - lw, 6.0f, 0.78f, 0.84f, 0.96f, 0.9f);
  DrawTextUtf8(gFontSmall, tx, needsY + 16.0f, "Leads:", 0.55f, 0.62f, 0.78f, 0.82f);
  DrawFittedShown(gFontSmall, tx + lw, needsY + 16.0f, leads, tw - lw, 6.0f, 0.78f, 0.84f, 0.96f, 0.9f);
}

}  // namespace

// ---- public functions ----
void DrawSoftGlow(float cx, float cy, float radius, float r, float g, float b, float a) {
  glBegin(GL_TRIANGLE_FAN);
  SetGlColor(r, g, b, a);
  glVertex2f(cx, cy);
  SetGlColor(r, g, b, 0.0f);
  for (int i = 0; i <= 22; ++i) {
    float angle = 2.0f * kPi * i / 22.0f;
    glVertex2f(cx + radius * std::cos(angle), cy + radius * std::sin(angle));
  }
  glEnd();
}

void DrawMapLink(const MapNode& from, const MapNode& to, float r, float g, float b, float a) {
  SetGlColor(r, g, b, a);
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= 16; ++i) {
    float x, y;
    MapLinkPoint(from, to, i / 16.0f, &x, &y);
    glVertex2f(x, y);
  }
  glEnd();
}

void DrawMapBackdrop(float x, float y, float w, float h) {
  static const float kTop[4] = {0.055f, 0.065f, 0.125f, 0.6f}, kBottom[4] = {0.1f, 0.06f, 0.135f, 0.42f};
  FillGradientRect(x, y, w, h, kTop, kBottom);
  const double t = GetAppSeconds();
  glBegin(GL_QUADS);
  for (uint32_t i = 0; i < 120; ++i) {
    const uint32_t seed = 1013904223u - 1640531535u * i;
    const float u = ((seed >> 9) & 2047u) / 2047.0f, v = ((seed >> 20) & 2047u) / 2047.0f;
    const float s = 1.7f * v + 0.7f;
    const float alpha = (0.5f * (float)std::sin((u + 0.6f) * t + 2.0f * kPi * v) + 0.5f) * 0.16f + 0.04f;
    SetGlColor(0.8f, 0.86f, 1.0f, alpha);
    const float px = x + u * w, py = y + v * h;
    glVertex2f(px - s, py - s);
    glVertex2f(px + s, py - s);
    glVertex2f(px + s, py + s);
    glVertex2f(px - s, py + s);
  }
  glEnd();
}

void DrawMasteryMap(const LearningLayout& l) {
  LoadSkillGraph();
  std::vector<std::vector<int>> items;
  const std::vector<MapNode> nodes = LayoutMasteryMap(l, &items);
  const std::vector<MapLink> links = ResolveLinks(nodes);
  const double tMs = GetAppSeconds() * 1000.0;

  glEnable(GL_SCISSOR_TEST);
  glScissor((int)std::floor(l.contentX), (int)std::floor(gClientHeight - (l.contentY + l.contentH)),
            (int)std::ceil(l.contentW), (int)std::ceil(l.contentH));
  DrawMapBackdrop(l.contentX, l.contentY, l.contentW, l.contentH);
  DrawBands(l, nodes);

  int focus = -1;
  if (!gMapSelectedSkill.empty()) {
    for (int i = 0; i < (int)nodes.size() && focus < 0; ++i)
      if (ItemSkillKey(nodes[i].category, nodes[i].type) == gMapSelectedSkill) focus = i;
  } else {
    focus = FindHoveredMapCard(l, nodes);
  }
  DrawLinks(l, nodes, links, focus);

  for (const MapNode& node : nodes) {
    if (!CardVisible(l, MapNodeRect(node))) continue;
    DrawCardShapes(l, node, tMs);
    DrawCardTexts(node);
  }
  const int here = FindYouAreHereCard(nodes);
  if (here >= 0) DrawYouAreHere(l, nodes, here, tMs);
  glDisable(GL_SCISSOR_TEST);

  if (focus >= 0) DrawFocusCard(l, nodes[focus], items[focus]);
}
