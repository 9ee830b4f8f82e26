// theory/staff_panel_draw: the staff panel drawn. Texturing is switched on only for the clefs and
// line smoothing off for the panel, both restored; blending is left as the frame set it.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "gfx/draw_alpha.h"
#include "gfx/gl_setup.h"
#include "gfx/images.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/shapes.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "platform/clock.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/staff_panel.h"

// ---- constants ----
constexpr float kPlayedDriftSpacings = 2.4f;  // line spacings a played head drifts per second
constexpr float kPlayedLifeSeconds = 2.2f;    // a played head fades out over this

// ---- state ----
static double gStaffLastTime = -1.0;  // time of the previous frame, for the level decay

// ---- internal helpers ----
// A head of this frame, held back until the signs of its chord are placed.
struct HeadToDraw {
  float x, y;
  int kind;
  float r, g, b, a;
  int octaves = 0;  // written this many octaves below where it sounds (above when negative)
  int chord = -1;   // the chord it was written with: one octave mark for each of its groups
};

static UiFont CaptionFont() { return gFontSmall ? gFontSmall : gFontMain; }

// Short ledger lines between the staves' outer edge and a head above or below them, and middle C's.
static void DrawLedgers(const StaffGeometry& g, float x, float y, float halfW, float r, float gg, float b, float a) {
  float step = g.sp / 2.0f;
  int k = (int)std::lround((g.middleCY - y) / step);
  int from = k > 0 ? 0 : k, to = k > 0 ? k : 0;
  for (int i = from; i <= to; ++i) {
    if (i % 2 != 0 || (std::abs(i) < 12 && i != k)) continue;
    float ly = g.middleCY - (float)i * step;
    if (!IsOnStaffLine(g, ly)) DrawThickLine(x - 1.5f * halfW, ly, x + 1.5f * halfW, ly, 1.3f, r, gg, b, a);
  }
}

static void DrawHead(const StaffGeometry& g, const HeadToDraw& h, float x, int kind, float signX, float signSize) {
  const StaffHeadSizes sizes = StaffHeadSizesFor(g.sp);
  DrawLedgers(g, x, h.y, sizes.halfW, h.r, h.g, h.b, h.a * 0.8f);
  SetGlColor(h.r, h.g, h.b, h.a);
  FillEllipse(x, h.y, sizes.halfW, sizes.halfH, 21);
  if (kind != 0) DrawAccidental(signX, h.y, signSize, kind, h.r, h.g, h.b, h.a);
}

// One mark for each group of a chord written octaves away, in the colour of the head it stands
// over, clear of every head drawn (`drawn`: where each head stands), of each other and of the
// caption (`caption`: its box).
static void DrawOttavaMarks(const StaffGeometry& g, const std::vector<HeadToDraw>& heads,
                            const std::vector<StaffHeadSign>& drawn, const RectF& caption) {
  ScopedTrSuppress plain;  // the marks are written the same in every language
  const UiFont font = CaptionFont();
  const float capHeight = 0.7f * FontPixelSize(font);
  const StaffHeadSizes sizes = StaffHeadSizesFor(g.sp);
  // Marks are read within the heads' area, above the note-fall keyboard drawn after the panel.
  RectF seen = g.notes;
  const float floor = gStaffFloorHook ? gStaffFloorHook() : 0.0f;
  if (floor > seen.y) seen.h = std::min(seen.h, floor - seen.y);
  std::vector<StaffOttavaPlace> places;
  std::vector<size_t> outers;
  for (size_t i = 0; i < heads.size(); ++i) {
    const HeadToDraw& h = heads[i];
    // Each group is drawn once, from its first head in the list.
    bool first = h.octaves != 0;
    std::vector<size_t> group;
    for (size_t j = 0; j < heads.size() && first; ++j)
      if (heads[j].chord == h.chord && heads[j].octaves == h.octaves) {
        first = j >= i;
        group.push_back(j);
      }
    if (!first) continue;
    const float width = MeasureText(font, StaffOttavaMark(h.octaves), FontPixelSize(font));
    const RectF box = StaffOttavaMarkBox(g, sizes, drawn, group, h.octaves, width, capHeight, seen, caption);
    size_t outer = group[0];
    for (size_t j : group)
      if (h.octaves > 0 ? heads[j].y < heads[outer].y : heads[j].y > heads[outer].y) outer = j;
    places.push_back({box, h.octaves});
    outers.push_back(outer);
  }
  SettleStaffOttavaMarks(&places, caption, std::max(0.12f * g.sp, 1.5f), seen);
  for (size_t k = 0; k < places.size(); ++k) {
    if (places[k].octaves == 0) continue;
    const HeadToDraw& o = heads[outers[k]];
    const RectF& box = places[k].box;
    DrawTextUtf8(font, box.x, box.y + box.h, StaffOttavaMark(places[k].octaves), o.r, o.g, o.b, o.a);
  }
}

// Heads in list order, the signs of a chord staggered leftwards where they would run into each
// other, heads of different pitches on one row side by side; heads closer than half a head's width
// stand as one chord. The octave marks come last, clear of them all.
static void DrawHeads(const StaffGeometry& g, const std::vector<HeadToDraw>& heads, const RectF& caption) {
  const StaffHeadSizes sizes = StaffHeadSizesFor(g.sp);
  std::vector<StaffHeadSign> signs;
  signs.reserve(heads.size());
  for (const HeadToDraw& h : heads) signs.push_back({h.x, h.y, h.kind});
  const std::vector<StaffSignPlace> places = PlaceStaffSigns(signs, sizes);
  std::vector<StaffHeadSign> drawn = signs;
  for (size_t i = 0; i < heads.size(); ++i) {
    drawn[i].x = StaffHeadX(signs[i], places[i], sizes);
    DrawHead(g, heads[i], drawn[i].x, places[i].kind, StaffSignX(places[i], sizes), places[i].scale * sizes.sign);
  }
  DrawOttavaMarks(g, heads, drawn, caption);
}

// Writes the heads heads[from, to) as one chord, octaves nearer where it reaches past the panel.
static void WriteChord(const StaffGeometry& g, std::vector<HeadToDraw>* heads, size_t from, size_t to, int chord) {
  std::vector<float> ys;
  for (size_t i = from; i < to; ++i) ys.push_back((*heads)[i].y);
  const std::vector<int> octaves = StaffChordOttava(g, StaffHeadSizesFor(g.sp).halfH, &ys);
  for (size_t i = from; i < to; ++i) {
    (*heads)[i].y = ys[i - from];
    (*heads)[i].octaves = octaves[i - from];
    (*heads)[i].chord = chord;
  }
}

static void DrawPanelBox(const StaffGeometry& g, float alpha) {
  const RectF& p = g.panel;
  float s = GetUiScale(), radius = std::max(0.9f * g.sp, 8.0f);
  for (int i = 10; i >= 1; --i) {
    float grow = (float)i / 10.0f * (8.0f * s + 10.0f);
    SetGlColor(0.45f, 0.62f, 0.95f, 0.05f * (1.0f - (float)i / 11.0f) * alpha);
    StrokeRoundedRect(p.x - grow, p.y - grow, p.w + 2.0f * grow, p.h + 2.0f * grow, radius + grow, 12);
  }
  SetGlColor(0.04f, 0.06f, 0.11f, 0.82f * alpha);
  FillRoundedRect(p.x, p.y, p.w, p.h, radius, 12);
  SetGlColor(0.8f, 0.88f, 1.0f, 0.22f * alpha);
  StrokeRoundedRect(p.x + 0.5f, p.y + 0.5f, p.w - 1.0f, p.h - 1.0f, radius, 12);
}

static void DrawClefs(const StaffGeometry& g, float alpha) {
  float x = g.panel.x + 0.45f * g.sp;
  DrawClefTexture(gTrebleClefImage.texture, gTrebleClefImage.width, gTrebleClefImage.height, x,
                  g.trebleTop - 1.3f * g.sp, 6.6f * g.sp, alpha);
  DrawClefTexture(gBassClefImage.texture, gBassClefImage.width, gBassClefImage.height, x, g.bassTop,
                  3.2f * g.sp, alpha);
}

// The letter of every step in reach, lit by what sounds there.
static void DrawStepLabels(const StaffGeometry& g, double time, float alpha) {
  float step = g.sp / 2.0f;
  float top = g.panel.y + 0.4f * g.sp, bottom = g.panel.y + g.panel.h - 0.4f * g.sp;
  float fade = std::max(10.0f * g.sp, 6.0f * step);
  int kMax = (int)std::ceil((g.middleCY - (top - fade)) / step), kMin = (int)std::floor((g.middleCY - (bottom + fade)) / step);
  static const char* const kLetters[7] = {"C", "D", "E", "F", "G", "A", "B"};
  ScopedTrSuppress plain;  // letter names are the same in every language here
  for (int k = kMin; k <= kMax; ++k) {
    float y = g.middleCY - (float)k * step;
    float beyond = y < top ? top - y : (y > bottom ? y - bottom : 0.0f);
    float f = beyond / fade;
    if (f >= 0.999f) continue;
    float fadeFactor = 1.0f - f * f;
    int letter = ((k % 7) + 7) % 7, octave = 4 + (k - letter) / 7;
    int note = std::clamp(60 + (octave - 4) * 12 + kLetterPitchClass[letter], 0, 127);
    bool line = k % 2 == 0;
    UiFont font = line ? gFontMain : (gFontSmall ? gFontSmall : gFontMain);
    float factor = line ? 0.62f : 0.5f;
    float in = gStaffInLevel[note], off = gStaffOffLevel[note];
    float r = 0.72f, gg = 0.78f, b = 0.86f, a = alpha * factor;
    if (off - in <= 0.015f) {
      if (in > 0.01f) {
        float lift = 0.26f * in + 1.04f;
        r = Clamp01(gStaffInColour[note][0] * lift);
        gg = Clamp01(gStaffInColour[note][1] * lift);
        b = Clamp01(gStaffInColour[note][2] * lift);
        a = (0.24f * in + 0.72f) * alpha;
      }
    } else {
      float p = std::sin(0.15f * (float)note + 13.5f * time);
      float w = 1.0f - ((0.5f * p + 0.5f) * 0.42f + 0.58f) * off;
      r = 1.0f;
      gg = Clamp01(0.28f * w + 0.1f);
      b = Clamp01(0.24f * w + 0.1f);
      a = (0.22f * off + 0.76f) * alpha;
    }
    DrawTextUtf8(font, g.labelX, y + 0.3f * g.sp, kLetters[letter], r, gg, b, a * fadeFactor);
    if (line && !IsOnStaffLine(g, y))
      DrawThickLine(g.labelX + 1.1f * g.sp, y, g.labelX + 1.9f * g.sp, y, 1.2f, 0.84f, 0.9f, 0.98f, 0.5f * a * fadeFactor);
  }
}

// Notes of the song due within kStruckTogetherMs of each other are one chord, as played ones are.
static void AddUpcomingHeads(const StaffGeometry& g, const StaffSongFeed& feed, bool flats, float alpha,
                             std::vector<HeadToDraw>* heads, int* chords) {
  float step = g.sp / 2.0f, right = g.panel.x + g.panel.w - 1.2f * g.sp;
  size_t chordFrom = heads->size();
  float chordMs = 0.0f;
  for (const StaffSongNote& n : feed.upcoming) {
    if (n.aheadMs < 0.0f || n.aheadMs > kStaffLookAheadMs) continue;
    float x = g.playX + n.aheadMs / kStaffLookAheadMs * (right - g.playX);
    if (x < -200.0f || x > (float)gClientWidth + 64.0f) continue;
    float ramp = Clamp01((kStaffLookAheadMs - n.aheadMs) / kStaffRampInMs);
    int pc = PitchClassMod(n.note), kind = 0;
    float y;
    if (n.scored) {
      y = StaffYForLetter(n.letter, n.octave, g.middleCY, step);
      kind = StaffAccidentalForScored(n.accidental, n.showAccidental);
    } else {
      // Written as a played note would be, so the note played to meet it lands on its row.
      const StaffSpelling spelled = StaffSpellNote(n.note, flats);
      y = StaffYForLetter(spelled.letter, spelled.octave, g.middleCY, step);
      kind = StaffAccidentalForScored(spelled.accidental, false);
    }
    if (heads->size() > chordFrom && n.aheadMs - chordMs >= (float)kStruckTogetherMs) {
      WriteChord(g, heads, chordFrom, heads->size(), (*chords)++);
      chordFrom = heads->size();
    }
    chordMs = n.aheadMs;
    float r, gg, b;
    PitchClassRingColour(pc, &r, &gg, &b);
    heads->push_back({x, y, kind, r, gg, b, 0.92f * ramp * alpha});
  }
  if (heads->size() > chordFrom) WriteChord(g, heads, chordFrom, heads->size(), (*chords)++);
}

static void AddPlayedHeads(const StaffGeometry& g, bool flats, float alpha, std::vector<HeadToDraw>* heads,
                           int* chords) {
  uint32_t now = ClockMs32();
  float step = g.sp / 2.0f, leftLimit = g.labelX + 1.2f * g.sp;
  std::vector<StaffPlayedHead> played;
  std::vector<HeadToDraw> drawn;
  for (auto it = gPlayedNotes.rbegin(); it != gPlayedNotes.rend(); ++it) {
    float age = (float)(int32_t)(now - it->arrivalMs) / 1000.0f;
    if (age > kPlayedLifeSeconds) break;
    if (it->note < 0 || it->note > 127) continue;
    age = std::max(age, 0.0f);
    float x = g.playX - age * kPlayedDriftSpacings * g.sp;
    if (x < leftLimit) continue;
    const StaffSpelling spelled = StaffSpellNote(it->note, flats);
    const float y = StaffYForLetter(spelled.letter, spelled.octave, g.middleCY, step);
    float fade = 1.0f - age / kPlayedLifeSeconds;
    const int kind = StaffAccidentalForScored(spelled.accidental, false);
    played.push_back({{x, y, kind}, it->arrivalMs});
    drawn.push_back({x, y, kind, it->r, it->g, it->b, fade * alpha});
  }
  // A chord is written octaves nearer as one before the chords are spaced by their rows.
  for (size_t first = 0; first < played.size();) {
    const size_t end = StaffPlayedChordEnd(played, first);
    WriteChord(g, &drawn, first, end, (*chords)++);
    for (size_t i = first; i < end; ++i) played[i].head.y = drawn[i].y;
    first = end;
  }
  const std::vector<float> xs = SpacePlayedHeads(played, StaffHeadSizesFor(g.sp));
  for (size_t i = 0; i < drawn.size() && xs[i] >= leftLimit; ++i) {
    drawn[i].x = xs[i];
    heads->push_back(drawn[i]);
  }
}

// ---- public functions ----
void DrawThickLine(float x0, float y0, float x1, float y1, float width, float r, float g, float b, float a) {
  float dx = x1 - x0, dy = y1 - y0, len = std::sqrt(dx * dx + dy * dy);
  if (len < 0.001f) return;
  float nx = -dy / len * width / 2.0f, ny = dx / len * width / 2.0f;
  SetGlColor(r, g, b, a);
  glBegin(GL_QUADS);
  glVertex2f(x0 + nx, y0 + ny);
  glVertex2f(x1 + nx, y1 + ny);
  glVertex2f(x1 - nx, y1 - ny);
  glVertex2f(x0 - nx, y0 - ny);
  glEnd();
}

void DrawAccidental(float x, float y, float size, int kind, float r, float g, float b, float a) {
  float stroke = std::max(0.085f * size, 1.4f), w = 0.62f * size;
  if (kind == 1) {
    DrawThickLine(x - 0.2f * w, y - 0.46f * size, x - 0.2f * w, y + 0.46f * size, stroke, r, g, b, a);
    DrawThickLine(x + 0.2f * w, y - 0.5f * size, x + 0.2f * w, y + 0.42f * size, stroke, r, g, b, a);
    for (float yc : {-0.12f * size, 0.2f * size})
      DrawThickLine(x - 0.42f * w, y + yc + 0.1f * size, x + 0.42f * w, y + yc - 0.1f * size, 1.6f * stroke, r, g, b, a);
  } else if (kind == 4) {
    // A double sharp: an x about a space across whose four tips are thickened into small squares.
    const float e = 0.19f * size, tip = 1.05f * stroke, c = e - 0.3f * tip;
    DrawThickLine(x - e, y - e, x + e, y + e, 1.6f * stroke, r, g, b, a);
    DrawThickLine(x - e, y + e, x + e, y - e, 1.6f * stroke, r, g, b, a);
    for (float dx : {-c, c})
      for (float dy : {-c, c}) DrawThickLine(x + dx - tip, y + dy, x + dx + tip, y + dy, 2.0f * tip, r, g, b, a);
  } else if (kind == 5) {
    // Two flats side by side, the left one's bowl against the right one's stem; the pair reaches
    // as near the head as a sharp does, so it runs no further left than it must.
    DrawAccidental(x - 0.54f * w, y, size, 2, r, g, b, a);
    DrawAccidental(x + 0.04f * w, y, size, 2, r, g, b, a);
  } else if (kind == 2) {
    // The bowl is what the eye takes for the note's row; the stem rises above it.
    float stem = x - 0.2f * w;
    // The stem runs down to the bowl's foot, so the bowl's lower edge shows no step beside it.
    DrawThickLine(stem, y - 0.78f * size, stem, y + 0.3f * size, stroke, r, g, b, a);
    SetGlColor(r, g, b, a);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(stem, y - 0.18f * size);
    for (int i = 0; i < 15; ++i) {
      float t = -1.5707963f + 3.1415926f * (float)i / 14.0f;
      glVertex2f(stem + 0.58f * w * std::cos(t), y + 0.3f * size * std::sin(t));
    }
    glVertex2f(stem, y + 0.2f * size);
    glEnd();
  } else {
    // As the sign is printed, the left stroke rises above the bars and the right one falls below
    // them; the other way round it reads as a mirrored glyph.
    DrawThickLine(x - 0.2f * w, y - 0.5f * size, x - 0.2f * w, y + 0.22f * size, stroke, r, g, b, a);
    DrawThickLine(x + 0.2f * w, y - 0.22f * size, x + 0.2f * w, y + 0.5f * size, stroke, r, g, b, a);
    DrawThickLine(x - 0.2f * w, y - 0.1f * size, x + 0.2f * w, y - 0.22f * size, 1.4f * stroke, r, g, b, a);
    DrawThickLine(x - 0.2f * w, y + 0.22f * size, x + 0.2f * w, y + 0.1f * size, 1.4f * stroke, r, g, b, a);
  }
}

bool DrawClefTexture(uint32_t texture, int width, int height, float x, float y, float drawHeight, float alpha) {
  if (texture == 0 || width <= 0 || height <= 0 || drawHeight <= 1.0f) return false;
  float drawWidth = drawHeight * (float)width / (float)std::max(height, 1);
  GLint saved = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved);
  GLboolean wasEnabled = glIsEnabled(GL_TEXTURE_2D);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  SetGlColor(1.0f, 1.0f, 1.0f, alpha);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(x, y);
  glTexCoord2f(1, 0);
  glVertex2f(x + drawWidth, y);
  glTexCoord2f(1, 1);
  glVertex2f(x + drawWidth, y + drawHeight);
  glTexCoord2f(0, 1);
  glVertex2f(x, y + drawHeight);
  glEnd();
  glBindTexture(GL_TEXTURE_2D, (GLuint)saved);
  if (!wasEnabled) glDisable(GL_TEXTURE_2D);
  return true;
}

void DrawStaffLines(const StaffGeometry& g, float top, float alpha) {
  float x0 = g.panel.x + 0.35f * g.sp, x1 = g.panel.x + g.panel.w - 0.35f * g.sp;
  SetGlColor(0.84f, 0.9f, 0.98f, 0.86f * alpha);
  glBegin(GL_QUADS);
  for (int i = 0; i < 5; ++i) {
    float y = top + (float)i * g.sp;
    glVertex2f(x0, y - 0.7f);
    glVertex2f(x1, y - 0.7f);
    glVertex2f(x1, y + 0.7f);
    glVertex2f(x0, y + 0.7f);
  }
  glEnd();
}

void DrawStaffPanel(double time, float alpha) {
  float dt = gStaffLastTime < 0.0 ? 0.0f : std::clamp((float)(time - gStaffLastTime), 0.0f, 0.05f);
  gStaffLastTime = time;
  gStaffOverlayBottom = 0.0f;
  gStaffPanelRect = kHiddenRect;
  if (alpha <= 0.001f || gRingMode) return;
  StaffGeometry g;
  if (!ComputeStaffGeometry(&g)) return;
  gStaffPanelRect = g.panel;
  gStaffOverlayBottom = g.panel.y + g.panel.h;
  float a = Clamp01(alpha);
  bool flats = StaffUsesFlats();
  // The panel's outlines are axis-aligned or gently curved and its glow rings faint: smoothing
  // them costs a software rasteriser a fifth of the frame for nothing seen. It comes back at the end.
  const GLboolean smooth = glIsEnabled(GL_LINE_SMOOTH);
  glDisable(GL_LINE_SMOOTH);
  DrawPanelBox(g, a);
  DrawStaffLines(g, g.trebleTop, a);
  DrawStaffLines(g, g.bassTop, a);
  DrawClefs(g, a);
  if (gStaffNoteOption) {
    UpdateStaffNoteLevels(dt);
    DrawStepLabels(g, time, a);
  }
  // Heads far above or below the staves (their ledger lines with them) end at the content area's
  // edge: not over the keyboard, nor off the window.
  const SavedClip clip = BeginClip(g.notes.x, g.notes.y, g.notes.w, g.notes.h);
  // Coming and played heads are placed together: a chord the song waits for and the notes of it
  // already played stand at the same play line, and their signs must not run into each other.
  std::vector<HeadToDraw> heads;
  int chords = 0;
  if (gWaitMode && gStaffSongFeedHook) {
    StaffSongFeed feed;
    gStaffSongFeedHook(&feed);
    if (feed.waiting) AddUpcomingHeads(g, feed, flats, a, &heads, &chords);
  }
  AddPlayedHeads(g, flats, a, &heads, &chords);
  const std::string caption = StaffCaption(StaffKeyMode());
  ScopedTrSuppress translated;  // the caption is already in the UI language
  const float captionSize = FontPixelSize(CaptionFont()), captionBaseline = g.panel.y + 12.95f * g.sp;
  const RectF captionBox = {g.labelX, captionBaseline - 0.8f * captionSize,
                            MeasureText(CaptionFont(), caption, captionSize), captionSize};
  DrawHeads(g, heads, captionBox);
  EndClip(clip);
  DrawTextUtf8(CaptionFont(), g.labelX, captionBaseline, caption, 0.88f, 0.92f, 0.99f, 0.9f * a);
  if (smooth) glEnable(GL_LINE_SMOOTH);
}
