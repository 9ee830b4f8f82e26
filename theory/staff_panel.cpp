// theory/staff_panel: where the staff stands, where a note sits on it, the lit levels of the held
// notes and the caption. No GL here.
#include "theory/staff_panel.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/filter_tabs.h"
#include "theory/ring_palette.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

// ---- constants ----
const int kStaffStepSharp[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
const int kStaffStepFlat[12] = {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};
constexpr float kSignClearSizes = 1.1f;  // signs nearer than this many sizes above or below touch:
                                         // a sharp's or natural's height and a little air
constexpr float kSignAirSizes = 0.05f;   // what a sign keeps clear of a flat's stem below it
constexpr float kSameRowSizes = 0.11f;   // heads nearer than this many sign sizes share a row
constexpr float kSignColumnSizes = 0.8f; // a chord's sign columns stand this many sign sizes apart:
                                         // a sharp's width and a little air
constexpr float kBesideHeadWidths = 1.1f;  // a head beside another on its row stands this many head
                                           // widths right: the two touch nowhere
constexpr float kLedgerHalfWidths = 1.5f; // a ledger line reaches this many head half widths either side
constexpr float kChordAirWidths = 0.2f;  // what played chords keep clear of each other, in head half
                                         // widths: their ledger lines stay apart
constexpr float kSignGapWidths = 1.2f;   // from a head's left edge to its nearest sign's middle, in
                                         // head half widths
// The sizes a crowded chord's signs are tried at, largest first: below half size they no longer
// read, so the last stands even where it still touches.
constexpr float kSignScales[] = {1.0f, 0.85f, 0.7f, 0.6f, 0.5f};

// ---- state ----
RectF gStaffPanelRect = kHiddenRect;                   // the overlay panel, else hidden
float gStaffOverlayBottom = 0.0f;                      // bottom of the panel drawn this frame
float gStaffInLevel[128] = {};                         // in-scale level per note
float gStaffInColour[128][3] = {};                     // its colour
float gStaffOffLevel[128] = {};                        // off-scale level per note
void (*gStaffSongFeedHook)(StaffSongFeed* out) = nullptr;  // the song's part
bool (*gStaffOffScaleHook)(int note) = nullptr;        // off-scale test with play-along marks
float (*gStaffFloorHook)() = nullptr;                  // the top of what stands below the overlay

// ---- internal helpers ----
static float DefaultLineSpacing() { return ClampFloat(0.04f * (float)gClientHeight, 12.0f, 36.0f); }

static bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// How far a sign's strokes reach above and below its row, in sign sizes, as DrawAccidental draws
// them: a flat's bowl sits on the row and its stem rises well above.
struct SignReach {
  float up, down;
};
static SignReach ReachOf(int kind) {
  if (kind == 2 || kind == 5) return {0.78f, 0.3f};
  if (kind == 4) return {0.26f, 0.26f};
  return {0.5f, 0.5f};
}

// How far a sign's strokes reach left and right of its middle, in sign sizes, as DrawAccidental
// draws them: a flat's stem stands left of its middle and its bowl reaches right; a double flat is
// two of them.
struct SignSide {
  float left, right;
};
static SignSide SideReachOf(int kind) {
  switch (kind) {
    case 1: return {0.28f, 0.28f};
    case 2: return {0.17f, 0.24f};
    case 4: return {0.26f, 0.26f};
    case 5: return {0.5f, 0.26f};
    default: return {0.17f, 0.17f};
  }
}

// What a sign does to its letter: -2..2.
static int AlterationOf(int kind) {
  switch (kind) {
    case 1: return 1;
    case 2: return -1;
    case 4: return 2;
    case 5: return -2;
    default: return 0;
  }
}

// A sign fits a column when none already there would touch it, or when one there is the same sign
// on the same row: a note struck again, or played while the song waits for it, shows one sign.
static bool SignFitsColumn(const std::vector<StaffHeadSign>& signs, const std::vector<size_t>& column,
                           const StaffHeadSign& sign, float size) {
  for (size_t j : column) {
    const float dy = std::fabs(signs[j].y - sign.y);
    if (dy <= kSameRowSizes * size && signs[j].kind == sign.kind) return true;
    const StaffHeadSign& upper = signs[j].y < sign.y ? signs[j] : sign;
    const StaffHeadSign& lower = signs[j].y < sign.y ? sign : signs[j];
    const float reach = ReachOf(upper.kind).down + ReachOf(lower.kind).up + kSignAirSizes;
    if (dy < std::max(kSignClearSizes, reach) * size) return false;
  }
  return true;
}

// Heads of one chord on one row that differ in pitch would cover each other: each stands right of
// the lower ones, and a bare one takes a natural so the two read as different notes.
static void SetRowNeighbours(const std::vector<StaffHeadSign>& heads, const std::vector<size_t>& chord, float size,
                             std::vector<StaffSignPlace>* places) {
  for (size_t h : chord) {
    const int own = AlterationOf(heads[h].kind);
    std::vector<int> others;
    for (size_t o : chord) {
      const int alteration = AlterationOf(heads[o].kind);
      if (std::fabs(heads[o].y - heads[h].y) > kSameRowSizes * size || alteration == own) continue;
      if (std::find(others.begin(), others.end(), alteration) == others.end()) others.push_back(alteration);
    }
    StaffSignPlace& place = (*places)[h];
    place.kind = heads[h].kind == 0 && !others.empty() ? 3 : heads[h].kind;
    place.beside = (int)std::count_if(others.begin(), others.end(), [own](int a) { return a < own; });
  }
}

// Whether a chord's placed signs would touch a head standing left of them (one of an earlier chord).
static bool SignsTouchHeads(const std::vector<StaffHeadSign>& heads, const std::vector<StaffSignPlace>& places,
                            const std::vector<size_t>& chord, const std::vector<size_t>& before,
                            const StaffHeadSizes& sizes) {
  const float air = 0.1f * sizes.halfW;
  for (size_t h : chord) {
    if (places[h].column < 0) continue;
    const float size = places[h].scale * sizes.sign, x = StaffSignX(places[h], sizes);
    const SignSide side = SideReachOf(places[h].kind);
    const SignReach reach = ReachOf(places[h].kind);
    for (size_t o : before) {
      const float ox = StaffHeadX(heads[o], places[o], sizes);
      if (x - side.left * size > ox + sizes.halfW + air || x + side.right * size < ox - sizes.halfW - air) continue;
      if (heads[h].y - reach.up * size > heads[o].y + sizes.halfH + air ||
          heads[h].y + reach.down * size < heads[o].y - sizes.halfH - air)
        continue;
      return true;
    }
  }
  return false;
}

// A minor key borrows its sixth and seventh raised (C# in D minor, B in C minor), and they keep the
// letters of those degrees: the signature's flats would write the leading note as Db, a step too
// high. Two signs at most, as the staff's degrees take.
static bool SpellRaisedMinorDegree(int pc, int* letter, int* accidental) {
  if (!gCurrentScale || !IsCurrentScaleMinor()) return false;
  const int interval = PitchClassMod(pc - gKeyRoot);
  if (interval != 9 && interval != 11) return false;
  const std::string tonic = SpellScaleNotes(gKeyRoot, gCurrentScale);
  int tonicLetter = -1;
  for (int l = 0; l < 7 && !tonic.empty(); ++l)
    if ("CDEFGAB"[l] == tonic[0]) tonicLetter = l;
  if (tonicLetter < 0) return false;
  const int l = (tonicLetter + (interval == 9 ? 5 : 6)) % 7;
  int acc = PitchClassMod(pc - kLetterPitchClass[l]);
  if (acc > 6) acc -= 12;
  if (acc < -2 || acc > 2) return false;
  *letter = l;
  *accidental = acc;
  return true;
}

// The octaves a head at y must be written nearer to stand whole in the panel: none when it does,
// else as many as bring it to the space beside its staff (G5, F2) or nearer; positive for a head
// above the panel, negative below.
static int OctavesIntoPanel(const StaffGeometry& g, float headHalfH, float y) {
  const float octave = 3.5f * g.sp, slack = 0.01f * g.sp;
  int octaves = 0;
  if (!(octave > 0.0f) || !std::isfinite(y)) return 0;
  if (y - headHalfH < g.panel.y - slack) {
    const float highest = g.trebleTop - 0.5f * g.sp;
    while (y < highest - slack) y += octave, ++octaves;
  } else if (y + headHalfH > g.panel.y + g.panel.h + slack) {
    const float lowest = g.bassTop + 4.5f * g.sp;
    while (y > lowest + slack) y -= octave, --octaves;
  }
  return octaves;
}

// ---- public functions: geometry ----
StaffHeadSizes StaffHeadSizesFor(float sp) {
  StaffHeadSizes out;
  out.halfW = std::max(0.32f * sp, 6.2f) * 1.55f;
  out.halfH = std::max(0.24f * sp, 4.2f);
  out.sign = std::max(1.6f * sp, 10.0f);
  return out;
}

bool ComputeStaffPanelRect(RectF* out, RectF* contentArea) {
  *out = kHiddenRect;
  if (contentArea) *contentArea = kHiddenRect;
  if (!gLearningOverlay || gPracticeMode || gClientWidth <= 0 || gClientHeight <= 0) return false;
  float W = (float)gClientWidth, H = (float)gClientHeight, s = GetUiScale();
  float side = std::max(0.01f * W, 16.0f), top = std::max(0.03f * H, 18.0f);
  // The overlay's content area: the window inside its margins, above the note-fall keyboard that
  // stands at the overlay's foot (the bass staff and the caption ran under the keys),
  // and left of the button column at its right (a staff under the buttons hid the notes to come).
  RectF area{side, top, std::min(W - 2.0f * side, W - OverlayButtonColumnRoom() - side), H - 2.0f * top};
  const float contentTop = area.y;
  const float gap = std::max(8.0f * s, 6.0f);
  // Below the control band, the overlay's header (its box and the speed slider), when it stands in
  // the upper half.
  const RectF& band = gControlBandRect;
  if (band.w > 0.0f && band.y + band.h > area.y && band.y + band.h < H / 2.0f) {
    const float below = band.y + band.h + gap;
    area.h -= below - area.y;
    area.y = below;
  }
  const float floor = gStaffFloorHook ? gStaffFloorHook() : 0.0f;
  if (floor > area.y) area.h = std::min(area.h, floor - gap - area.y);
  // The filtered scale list, once a filter tab is chosen, stands left of the panel.
  const float listRoom = std::min(OverlayListRoom(), area.x + area.w - 420.0f);
  if (listRoom > area.x) area.w -= listRoom - area.x, area.x = listRoom;
  float sp = ClampFloat((area.h - 2.0f * std::max(12.0f * s, 10.0f)) / 8.5f, 9.0f,
                        std::max(1.15f * DefaultLineSpacing(), 10.0f));
  sp = std::max(std::min(sp, area.h / kStaffPanelSpacings), 9.0f);  // the whole panel fits the area
  float w = std::max(420.0f, std::min(area.w, 46.0f * sp));
  w = std::min(w, W - 2.0f * side);
  float h = kStaffPanelSpacings * sp;
  float x = ClampFloat(area.x + (area.w - w) / 2.0f, side, std::max(side, W - side - w));
  float y = std::max(area.y + (area.h - h) / 2.0f, area.y + std::max(8.0f * s, 6.0f));
  *out = {x, y, w, h};
  // The overlay's band holds only the speed slider at its right end: the content area reaches up
  // through it.
  if (contentArea) *contentArea = {area.x, contentTop, area.w, area.y + area.h - contentTop};
  return true;
}

StaffGeometry StaffGeometryIn(const RectF& panel, float sp) {
  StaffGeometry g;
  g.panel = panel;
  g.notes = panel;
  g.sp = sp;
  g.trebleTop = panel.y + 1.65f * sp;
  g.bassTop = panel.y + 7.65f * sp;
  g.middleCY = panel.y + 6.65f * sp;
  g.labelX = panel.x + 3.3f * sp;
  g.playX = panel.x + std::max(5.6f * sp, 0.3f * panel.w);
  return g;
}

bool ComputeStaffGeometry(StaffGeometry* out) {
  // Only the learning overlay has room for the staff: the block the board keeps at its top is
  // where the control band's three rows stand, and a staff squeezed in there ran across them.
  RectF panel, area;
  if (!ComputeStaffPanelRect(&panel, &area)) return false;
  *out = StaffGeometryIn(panel, panel.h / kStaffPanelSpacings);
  // Heads stand inside the panel (StaffChordOttava), but the stem of a flat on the rows just above the
  // treble staff rises past its edge: signs may stand in the content area around it, never over
  // the keyboard below or off the window.
  const float top = std::min(area.y, panel.y), bottom = std::max(area.y + area.h, panel.y + panel.h);
  out->notes = {panel.x, top, panel.w, bottom - top};
  return true;
}

float StaffYForNote(int note, float middleCY, float step, bool flats) {
  int octave = note >= 0 ? note / 12 : -((-note + 11) / 12);  // towards minus infinity
  int pc = note - octave * 12;
  int letter = flats ? kStaffStepFlat[pc] : kStaffStepSharp[pc];
  return middleCY - (float)(letter + (octave - 5) * 7) * step;
}

int StaffAccidentalFor(int note, bool flats) {
  const int pc = PitchClassMod(note);
  const bool black = pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
  return black ? (flats ? 2 : 1) : 0;
}

int StaffAccidentalForScored(int accidental, bool written) {
  if (accidental >= 2) return 4;
  if (accidental <= -2) return 5;
  if (accidental != 0) return accidental > 0 ? 1 : 2;
  return written ? 3 : 0;
}

float StaffYForLetter(int letter, int octave, float middleCY, float step) {
  int l = ((letter % 7) + 7) % 7;
  return middleCY - (float)(l + (octave - 4) * 7) * step;
}

StaffSpelling StaffSpellNote(int note, bool flats) {
  const int pc = PitchClassMod(note);
  StaffSpelling out;
  if (!SpellDegreeInCurrentKey(pc, &out.letter, &out.accidental, 2) &&
      !SpellRaisedMinorDegree(pc, &out.letter, &out.accidental)) {
    out.letter = flats ? kStaffStepFlat[pc] : kStaffStepSharp[pc];
    out.accidental = pc - kLetterPitchClass[out.letter];  // the tables never cross B to C
  }
  // The letter's natural note decides the octave: B#3 and Cb4 sound in the octave beside them.
  const int natural = note - out.accidental;
  out.octave = (natural >= 0 ? natural / 12 : -((-natural + 11) / 12)) - 1;
  return out;
}

std::vector<int> StaffChordOttava(const StaffGeometry& g, float headHalfH, std::vector<float>* ys) {
  std::vector<int> octaves(ys->size(), 0);
  const float octave = 3.5f * g.sp, slack = 0.01f * g.sp;
  if (!(octave > 0.0f)) return octaves;
  // The rows lowest first; a row that is no number stays out of it.
  std::vector<size_t> order;
  for (size_t i = 0; i < ys->size(); ++i)
    if (std::isfinite((*ys)[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return (*ys)[a] > (*ys)[b]; });
  const size_t n = order.size();
  if (n == 0) return octaves;
  std::vector<float> rows(n);
  for (size_t i = 0; i < n; ++i) rows[i] = (*ys)[order[i]];
  const int up = OctavesIntoPanel(g, headHalfH, rows[n - 1]), down = OctavesIntoPanel(g, headHalfH, rows[0]);
  if (up == 0 && down == 0) return octaves;
  // The notes below the panel are rows[0, low), those above it rows[high, n).
  size_t low = 0, high = n;
  while (low < n && OctavesIntoPanel(g, headHalfH, rows[low]) < 0) ++low;
  while (high > 0 && OctavesIntoPanel(g, headHalfH, rows[high - 1]) > 0) --high;
  // A layout: rows[0, b) moved `below` octaves, rows[t, n) moved `above`, the rest where they sound.
  auto written = [&](size_t i, size_t b, size_t t, int below, int above) {
    return rows[i] + (float)(i < b ? below : (i >= t ? above : 0)) * octave;
  };
  // How far a head reaches past the panel's top edge and past its foot.
  auto overTop = [&](float y) { return std::max(0.0f, g.panel.y - slack - (y - headHalfH)); };
  auto underFoot = [&](float y) { return std::max(0.0f, y + headHalfH - (g.panel.y + g.panel.h + slack)); };
  // Rows a step apart lie half a spacing apart: a group must stand wholly above the one below it.
  auto apart = [&](size_t i, size_t b, size_t t, int below, int above) {
    return i == 0 || i >= n || written(i - 1, b, t, below, above) - written(i, b, t, below, above) > 0.25f * g.sp;
  };
  // Of the layouts that keep the chord's order: the fewest pixels past the panel's edges, then the
  // whole chord under one mark, then the fewest notes moved.
  size_t bestB = 0, bestT = n, bestMoved = 0;
  int bestBelow = 0, bestAbove = 0;
  float bestBeyond = -1.0f;
  bool bestWhole = false;
  for (size_t b = down < 0 ? low : 0; b <= (down < 0 ? high : 0); ++b)
    for (size_t t = up > 0 ? b : n; t <= (up > 0 ? high : n); ++t) {
      // Each group goes as far as its outermost note needs, less where its inner end would leave
      // the panel's other edge or reach the notes it passes.
      int below = b > 0 ? down : 0, above = t < n ? up : 0;
      while (below < 0 && (overTop(written(b - 1, b, t, below, above)) > 0.0f || (b < t && !apart(b, b, t, below, above))))
        ++below;
      while (above > 0 && (underFoot(written(t, b, t, below, above)) > 0.0f || !apart(t, b, t, below, above))) --above;
      if (!apart(b, b, t, below, above) || !apart(t, b, t, below, above)) continue;
      float past = 0.0f;
      for (size_t i = 0; i < n; ++i) past += overTop(written(i, b, t, below, above)) + underFoot(written(i, b, t, below, above));
      const int first = b > 0 ? below : (t > b ? 0 : above);
      const bool whole = (b == 0 || below == first) && (t <= b || first == 0) && (t == n || above == first);
      const size_t moved = (below != 0 ? b : 0) + (above != 0 ? n - t : 0);
      const bool better = bestBeyond < 0.0f || past < bestBeyond - slack ||
                          (past <= bestBeyond + slack && ((whole && !bestWhole) || (whole == bestWhole && moved < bestMoved)));
      if (!better) continue;
      bestB = b, bestT = t, bestBelow = below, bestAbove = above;
      bestBeyond = past, bestWhole = whole, bestMoved = moved;
    }
  for (size_t i = 0; i < n; ++i) {
    octaves[order[i]] = i < bestB ? bestBelow : (i >= bestT ? bestAbove : 0);
    (*ys)[order[i]] = written(i, bestB, bestT, bestBelow, bestAbove);
  }
  return octaves;
}

std::string StaffOttavaMark(int octaves) {
  if (octaves == 0) return "";
  const int n = std::abs(octaves);
  return std::to_string(7 * n + 1) + (n == 1 ? "v" : "m") + (octaves > 0 ? "a" : "b");
}

bool IsOnStaffLine(const StaffGeometry& g, float y) {
  for (int i = 0; i < 5; ++i)
    for (float top : {g.trebleTop, g.bassTop})
      if (std::fabs(y - (top + (float)i * g.sp)) <= 0.16f * g.sp) return true;
  return false;
}

bool StaffUsesFlats() { return IsFlatKey(); }

// ---- public functions: logic ----
void UpdateStaffNoteLevels(float dt) {
  float inTarget[128] = {}, offTarget[128] = {};
  int inPc[128];
  std::fill(std::begin(inPc), std::end(inPc), -1);
  for (const HeldNote& h : gHeldNotes) {
    // A damaged stream can carry note numbers above 127: they have no level.
    if (!h.sounding || h.note < 0 || h.note > 127) continue;
    float t = Clamp01((float)h.velocity / 127.0f);
    bool off = gStaffOffScaleHook ? gStaffOffScaleHook(h.note) : !ScaleContainsPitchClass(PitchClassMod(h.note));
    if (!off) {
      if (t > inTarget[h.note]) {
        inTarget[h.note] = t;
        inPc[h.note] = PitchClassMod(h.note);
      }
    } else {
      offTarget[h.note] = std::max(offTarget[h.note], t);
    }
  }
  float inDecay = std::exp(-5.6f * dt), offDecay = std::exp(-3.6f * dt);
  for (int n = 0; n < 128; ++n) {
    if (inTarget[n] > 0.001f) {
      const float* c = kRingPalette[RingPosOfPitchClass(inPc[n])];
      std::copy(c, c + 3, gStaffInColour[n]);
      gStaffInLevel[n] = std::max(inTarget[n], gStaffInLevel[n]);
    } else {
      gStaffInLevel[n] *= inDecay;
    }
    float t = offTarget[n];
    gStaffOffLevel[n] = std::max((0.38f * t + 0.62f) * t, offDecay * gStaffOffLevel[n]);
    if (inTarget[n] > 0.001f) gStaffOffLevel[n] *= offDecay;  // the key now sounds in the scale
    gStaffInLevel[n] = Clamp01(gStaffInLevel[n]);
    gStaffOffLevel[n] = Clamp01(gStaffOffLevel[n]);
  }
}

bool StaffKeyMode() { return gPracticeMode && gSightReadingView; }

std::string StaffCaption(bool keyMode) {
  const ScaleRow* row = gCurrentScale;
  if (!row || !row->name || !row->name[0]) return Tr(keyMode ? "Key: -" : "Scale: -");
  std::string tonic = SpellScaleNotes(gKeyRoot, row);
  std::string name = Tr(row->name);
  if (!keyMode) return TrF("Scale: %s %s", tonic.c_str(), name.c_str());
  // The English name tells major from minor; the shown one is in the UI language.
  std::string english = row->name, mode = name;
  if (Contains(english, "onian") || Contains(english, "ajor"))
    mode = Tr("major");
  else if (Contains(english, "eolian") || Contains(english, "inor"))
    mode = Tr("minor");
  return TrF("Key: %s %s", tonic.c_str(), mode.c_str());
}

std::vector<StaffSignPlace> PlaceStaffSigns(const std::vector<StaffHeadSign>& heads, const StaffHeadSizes& sizes) {
  std::vector<StaffSignPlace> places(heads.size());
  std::vector<size_t> order(heads.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return heads[a].x < heads[b].x; });
  std::vector<StaffHeadSign> signs = heads;
  std::vector<std::vector<size_t>> columns;
  for (size_t first = 0; first < order.size();) {
    const float left = heads[order[first]].x;
    size_t end = first;
    while (end < order.size() && heads[order[end]].x - left <= sizes.halfW) ++end;
    std::vector<size_t> chord(order.begin() + (std::ptrdiff_t)first, order.begin() + (std::ptrdiff_t)end);
    const std::vector<size_t> before(order.begin(), order.begin() + (std::ptrdiff_t)first);
    SetRowNeighbours(heads, chord, sizes.sign, &places);
    // The highest sign stands nearest the heads, as engravers set a chord's signs; of one row's,
    // the right head's sign nearest, so the signs read in the order of their heads.
    std::stable_sort(chord.begin(), chord.end(), [&](size_t a, size_t b) {
      return heads[a].y < heads[b].y || (heads[a].y == heads[b].y && places[a].beside > places[b].beside);
    });
    for (float scale : kSignScales) {
      const float size = scale * sizes.sign;
      columns.clear();
      for (size_t h : chord) {
        places[h].anchorX = left;
        places[h].scale = scale;
        places[h].column = -1;
        signs[h].kind = places[h].kind;
        if (places[h].kind == 0) continue;
        size_t c = 0;
        while (c < columns.size() && !SignFitsColumn(signs, columns[c], signs[h], size)) ++c;
        if (c == columns.size()) columns.emplace_back();
        columns[c].push_back(h);
        places[h].column = (int)c;
      }
      if (!SignsTouchHeads(heads, places, chord, before, sizes)) break;
    }
    first = end;
  }
  return places;
}

float StaffSignX(const StaffSignPlace& place, const StaffHeadSizes& sizes) {
  const float column = (float)std::max(place.column, 0);
  return place.anchorX - sizes.halfW - place.scale * (kSignGapWidths * sizes.halfW + column * kSignColumnSizes * sizes.sign);
}

float StaffHeadX(const StaffHeadSign& head, const StaffSignPlace& place, const StaffHeadSizes& sizes) {
  return head.x + (float)place.beside * kBesideHeadWidths * 2.0f * sizes.halfW;
}

size_t StaffPlayedChordEnd(const std::vector<StaffPlayedHead>& newestFirst, size_t first) {
  size_t end = first + 1;
  while (end < newestFirst.size() &&
         (int32_t)(newestFirst[end - 1].arrivalMs - newestFirst[end].arrivalMs) < (int32_t)kStruckTogetherMs)
    ++end;
  return std::min(end, newestFirst.size());
}

std::vector<float> SpacePlayedHeads(const std::vector<StaffPlayedHead>& newestFirst, const StaffHeadSizes& sizes) {
  std::vector<float> xs(newestFirst.size());
  float limit = 0.0f;  // the x an older chord's right edge keeps left of
  for (size_t first = 0; first < newestFirst.size();) {
    const size_t end = StaffPlayedChordEnd(newestFirst, first);
    // The chord's reach about its x, its signs placed as if it stood alone.
    std::vector<StaffHeadSign> chord;
    for (size_t i = first; i < end; ++i) chord.push_back({0.0f, newestFirst[i].head.y, newestFirst[i].head.kind});
    const std::vector<StaffSignPlace> places = PlaceStaffSigns(chord, sizes);
    float left = -kLedgerHalfWidths * sizes.halfW, right = 0.0f;
    for (size_t i = 0; i < chord.size(); ++i) {
      right = std::max(right, StaffHeadX(chord[i], places[i], sizes) + kLedgerHalfWidths * sizes.halfW);
      if (places[i].column >= 0)
        left = std::min(left, StaffSignX(places[i], sizes) - SideReachOf(places[i].kind).left * places[i].scale * sizes.sign);
    }
    float x = newestFirst[first].head.x;
    if (first > 0) x = std::min(x, limit - right);
    for (size_t i = first; i < end; ++i) xs[i] = x;
    limit = x + left - kChordAirWidths * sizes.halfW;
    first = end;
  }
  return xs;
}

static bool BoxesMeet(const RectF& a, const RectF& b, float air) {
  return a.x < b.x + b.w + air && b.x < a.x + a.w + air && a.y < b.y + b.h + air && b.y < a.y + a.h + air;
}

RectF StaffOttavaMarkBox(const StaffGeometry& g, const StaffHeadSizes& sizes, const std::vector<StaffHeadSign>& heads,
                         const std::vector<size_t>& group, int octaves, float width, float height,
                         const RectF& seen, const RectF& caption) {
  const bool above = octaves > 0;
  size_t outer = heads.size();
  for (size_t h : group) {
    if (h >= heads.size()) continue;
    if (outer == heads.size() || (above ? heads[h].y < heads[outer].y : heads[h].y > heads[outer].y)) outer = h;
  }
  if (outer == heads.size()) return kHiddenRect;
  const float air = std::max(0.12f * g.sp, 1.5f), reach = kLedgerHalfWidths * sizes.halfW;
  // The mark's edge nearest the heads, first where it stood for a single note: between the staff
  // and the panel's edge, or further out past the group's outermost head.
  const float left = heads[outer].x - 0.5f * width;
  float edge = above ? std::min(g.trebleTop - 0.9f * g.sp, heads[outer].y - sizes.halfH - air)
                     : std::max(g.bassTop + 4.9f * g.sp, heads[outer].y + sizes.halfH + air);
  // Each head it would touch sends it further out; it only moves away from the staves, so a head
  // once passed stays clear and every head moves it once at most.
  for (size_t pass = 0; pass <= heads.size(); ++pass) {
    bool moved = false;
    for (const StaffHeadSign& h : heads) {
      if (!std::isfinite(h.x) || !std::isfinite(h.y)) continue;
      if (h.x + reach + air <= left || h.x - reach - air >= left + width) continue;
      const float top = h.y - sizes.halfH - air, bottom = h.y + sizes.halfH + air;
      if (above ? (top >= edge || bottom <= edge - height) : (bottom <= edge || top >= edge + height)) continue;
      edge = above ? top : bottom;
      moved = true;
    }
    if (!moved) break;
  }
  RectF box{left, above ? edge - height : edge, width, height};
  const bool onCaption = caption.w > 0.0f && BoxesMeet(box, caption, air);
  if (!onCaption && (seen.h <= 0.0f || (box.y >= seen.y && box.y + box.h <= seen.y + seen.h))) return box;
  // A chord wider than the panel holds keeps heads past its edges, and a mark further out still
  // went under the note-fall keyboard or off the window, so nothing said which octave the chord
  // was written in. A mark below the bass staff may also stand on a long caption ("Scale: C Eight
  // Tone Spanish"), where it is left out: A0 then read as A2 with no mark. There it stands right
  // of the outermost head and its ledger line instead, on the head's row as far as the visible
  // area lets it, past any head it would meet and past the caption.
  const RectF area = seen.h > 0.0f ? seen : g.notes;
  box.x = heads[outer].x + reach + air;
  box.y = std::max(area.y, std::min(heads[outer].y - 0.5f * height, area.y + area.h - height));
  for (size_t pass = 0; pass <= heads.size() + 1; ++pass) {
    bool moved = false;
    for (const StaffHeadSign& h : heads) {
      if (!std::isfinite(h.x) || !std::isfinite(h.y)) continue;
      if (h.y + sizes.halfH + air <= box.y || h.y - sizes.halfH - air >= box.y + box.h) continue;
      if (h.x + reach + air <= box.x || h.x - reach - air >= box.x + box.w) continue;
      box.x = h.x + reach + air;
      moved = true;
    }
    if (caption.w > 0.0f && BoxesMeet(box, caption, air)) {
      box.x = caption.x + caption.w + air;
      moved = true;
    }
    if (!moved) break;
  }
  // A caption reaching far right must not send the mark off the panel's side.
  box.x = std::max(area.x, std::min(box.x, area.x + area.w - box.w));
  return box;
}

void SettleStaffOttavaMarks(std::vector<StaffOttavaPlace>* marks, const RectF& caption, float air, const RectF& seen) {
  for (size_t i = 0; i < marks->size(); ++i) {
    StaffOttavaPlace& m = (*marks)[i];
    const bool above = m.octaves > 0;
    // Every mark it meets sends it further out (or right of that mark, where further out could not
    // be seen), or, of the same octaves, stands for it; it only moves away from the staves or to the
    // right, so the passes end.
    for (size_t pass = 0; pass <= i; ++pass) {
      bool moved = false;
      for (size_t j = 0; j < i && m.octaves != 0; ++j) {
        const StaffOttavaPlace& p = (*marks)[j];
        if (p.octaves == 0 || !BoxesMeet(m.box, p.box, air)) continue;
        if (p.octaves == m.octaves) {
          m.octaves = 0;
          break;
        }
        RectF out = m.box;
        out.y = above ? p.box.y - air - m.box.h : p.box.y + p.box.h + air;
        // Further out would be off the window or under the keyboard: beside the other mark instead.
        if (seen.h > 0.0f && (out.y < seen.y || out.y + out.h > seen.y + seen.h)) {
          out = m.box;
          out.x = p.box.x + p.box.w + air;
        }
        m.box = out;
        moved = true;
      }
      if (!moved) break;
    }
    if (m.octaves != 0 && BoxesMeet(m.box, caption, air)) m.octaves = 0;
    if (m.octaves == 0) m.box = kHiddenRect;
  }
}

void ResetStaffPanel() {
  gStaffPanelRect = kHiddenRect;
  gStaffOverlayBottom = 0.0f;
  std::fill(std::begin(gStaffInLevel), std::end(gStaffInLevel), 0.0f);
  std::fill(std::begin(gStaffOffLevel), std::end(gStaffOffLevel), 0.0f);
  for (auto& c : gStaffInColour) c[0] = c[1] = c[2] = 0.0f;
}
