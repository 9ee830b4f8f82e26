// board/lane_notes: the song walk, the free-play trails and the note colours of the lane.
//
// The walk touches only the events inside [pos - 2730, pos + 3020], found by bisection, and reads
// each note's end from a table built once per song, so a frame's work does not grow with the song.
// Judging stays with the play-along engine: the lane reads the judge states and only marks the hit
// effect it has shown.
#include "board/lane_notes.h"

#include <algorithm>
#include <cmath>

#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "board/board_particles.h"
#include "midi/judge_index.h"
#include "midi/level_setting.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "practice/teaching_state.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

// ---- constants ----
constexpr float kFallMs = 2600.0f;        // a note's fall from the lane's top at speed 1
constexpr int64_t kLookAheadMs = 3020;
constexpr int64_t kLookBehindMs = 2730;
constexpr int kMaxSongBars = 281;
constexpr int kMaxTrailBars = 340;
constexpr size_t kMaxFieldSources = 320;
constexpr size_t kMaxTrails = 720;
constexpr uint32_t kNoteEndScanMs = 12000;

// ---- state ----
LaneFeed gLaneFeed;                       // written by the shell each frame
std::vector<LaneTrail> gLaneTrails;       // free-play trails, arrival order
uint32_t gLaneLastSongPos = 0;            // song position of the previous frame
static std::vector<uint32_t> gLaneNoteEnds;  // per event of the cached song: the lane's note end
static const SongEvent* gLaneEndsData = nullptr;  // which song the table belongs to
static size_t gLaneEndsSize = 0;
static uint32_t gLaneEndsLastMs = 0;

// ---- internal helpers ----
namespace {

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

float Mean3(float r, float g, float b) { return (r + g + b) / 3.0f; }

// Builds the note ends with one backward pass: the next release of each channel and note.
void RebuildNoteEnds() {
  const size_t n = gSongEvents.size();
  gLaneNoteEnds.assign(n, 0);
  static int32_t nextOff[16][128];
  for (auto& row : nextOff) std::fill(row, row + 128, -1);
  for (size_t k = n; k-- > 0;) {
    const SongEvent& e = gSongEvents[k];
    const int type = e.status & 0xF0, ch = e.status & 0x0F, note = e.data1 & 0x7F;
    if (type == 0x90 && e.data2 > 0) {
      int32_t off = nextOff[ch][note];
      uint64_t end = (uint64_t)e.timeMs + 180;
      if (off >= 0 && gSongEvents[(size_t)off].timeMs <= (uint64_t)e.timeMs + kNoteEndScanMs)
        end = gSongEvents[(size_t)off].timeMs;
      if (end <= e.timeMs) end = (uint64_t)e.timeMs + 120;
      gLaneNoteEnds[k] = (uint32_t)std::min<uint64_t>(end, UINT32_MAX);
    }
    if (type == 0x80 || (type == 0x90 && e.data2 == 0)) nextOff[ch][note] = (int32_t)k;
  }
  gLaneEndsData = gSongEvents.data();
  gLaneEndsSize = n;
  gLaneEndsLastMs = n ? gSongEvents.back().timeMs : 0;
}

void EnsureNoteEnds() {
  const uint32_t last = gSongEvents.empty() ? 0 : gSongEvents.back().timeMs;
  if (gLaneEndsData != gSongEvents.data() || gLaneEndsSize != gSongEvents.size() || gLaneEndsLastMs != last)
    RebuildNoteEnds();
}

// The source a drawn bar leaves for the particles.
void AddFieldSource(const LaneFrame& f, int note, float x, float width, float yTop, float yBottom, bool tinted,
                    std::vector<FieldSource>* fields) {
  if (fields->size() >= kMaxFieldSources) return;
  const int pc = PitchClassMod(note);
  const bool in = f.inScale[pc];
  const float L = std::max(1.0f, yBottom - yTop), lf = Clamp01(L / std::max(1.0f, f.laneH));
  FieldSource src;
  src.x = x + width * 0.5f;
  src.y = f.hitY - std::max(0.6f, f.s);
  src.radius = (std::min(10.0f, 0.1f * L) + std::max(6.0f, 0.8f * width)) * (1.0f + 0.3f * f.tension);
  src.pull = (16.0f * lf + 12.0f) * f.boost * (in ? 0.8f : 1.0f);
  src.restDistance = std::max(4.0f, std::min(0.55f * width + 6.0f, 0.55f * src.radius));
  src.spring = f.boost * (in ? 12.0f : 16.0f);
  src.swirl = (0.35f * f.tension + 0.65f) * (in ? 6.0f : 9.0f);
  src.pulseRate = 3.0f * f.tension + 9.0f;
  src.pulsePhase = 0.6f * (float)pc + 0.4f * f.seconds;
  src.tinted = tinted ? 1 : 0;
  src.tint = tinted ? 0.45f * f.tension + 0.55f : 0.0f;
  const float* c = kRingPalette[RingPosOfPitchClass(pc)];
  src.tintR = Clamp01(c[0]), src.tintG = Clamp01(c[1]), src.tintB = Clamp01(c[2]);
  fields->push_back(src);
}

float HitVelocity(float level) { return ClampFloat(0.95f * std::pow(Clamp01(level), 0.85f) + 0.18f, 0.18f, 1.15f); }

// The state colouring of a song note during a run; returns the alpha factor.
float ColourByJudgeState(const LaneFrame& f, size_t index, int note, uint32_t pos, float* r, float* g, float* b,
                         float* u, float* p) {
  const NoteJudgeState& j = gJudgeStates[index];
  const bool hit = j.state >= 1 && j.state <= 3, missLike = j.state >= 4 && j.state <= 6;
  const float since = (float)(uint32_t)(f.nowMs - j.judgedAtMs) * 0.001f;
  *u = EventHighlight(index, pos, f.nowMs);
  *p = EventPulse(index, pos);
  float factor = 1.0f;
  if (missLike) {
    float glow = std::exp(-4.2f * since);
    *r = *g = 0.1f * glow + 0.2f;
    *b = 0.1f * glow + 0.24f;
    factor *= (0.26f * glow + 0.66f) * (0.25f * std::sin(0.11f * (float)note + 16.0f * f.seconds) + 0.75f);
  } else if (hit) {
    float glow = std::exp(-5.0f * since), t = Clamp01(std::fabs(j.timingErrorMs) / 180.0f);
    static const float kGrade[4] = {1.0f, 1.16f, 1.02f, 0.82f};
    float k = (0.16f * (1.0f - t) + 0.68f * glow + 0.24f) * kGrade[j.state] * (1.0f + 0.06f * (float)ComboLevel());
    *r = ClampFloat((1.0f + k) * *r + 0.08f * glow, 0.0f, 2.6f);
    *g = ClampFloat((1.0f + k) * *g + 0.1f * glow, 0.0f, 2.6f);
    *b = ClampFloat((1.02f + k) * *b + 0.14f * glow, 0.0f, 2.4f);
    factor *= 0.26f * glow + 1.08f;
    if (j.state == 3) {
      float m = Mean3(*r, *g, *b);
      *r = m + 0.54f * (*r - m), *g = m + 0.54f * (*g - m), *b = m + 0.54f * (*b - m);
      factor *= 0.84f;
    }
    if (*p > 0.01f) factor *= 1.08f;
  } else {
    float q = 0.22f * Mean3(*r, *g, *b) + 0.26f;
    float r2, g2, b2;
    LaneNoteColour(f, note, 0.16f * *u + 1.1f, &r2, &g2, &b2, false, true);
    float w = 0.34f * *u + 0.22f;
    *r = ClampFloat(q + (r2 - q) * w, 0.0f, 2.4f);
    *g = ClampFloat(q + (g2 - q) * w, 0.0f, 2.4f);
    *b = ClampFloat(q + 0.02f + (b2 - q - 0.02f) * w, 0.0f, 2.6f);
    factor *= 0.42f * (1.24f + 0.22f * *u);
  }
  return factor;
}

}  // namespace

// ---- public functions ----
LaneFrame BuildLaneFrame(const NoteFallStrip& strip, uint32_t nowMs, float boardAlpha) {
  LaneFrame f;
  f.s = strip.s;
  f.keys = MakeKeyboardLayout(strip.keyboardX, strip.keyboardW);
  f.laneX = strip.keyboardX;
  f.laneW = strip.keyboardW;
  f.hitY = strip.hitY;
  f.laneH = strip.laneH;
  f.keyboardH = strip.keyboardH;
  f.kr = strip.kr;
  f.shortForm = strip.shortForm;
  // On the learning overlay the shortened lane runs on behind the staff panel: what falls there
  // fades out at the panel's edge instead of crossing its staves.
  RectF panel;
  if (f.shortForm && ComputeStaffPanelRect(&panel) && panel.w > 2.0f && panel.h > 2.0f) f.overlayPanel = panel;
  f.laneTop = strip.laneTop;
  f.span = strip.span;
  f.laneAlpha = strip.laneAlpha * boardAlpha;
  f.nowMs = nowMs;
  // A period of 10000 s keeps the phases precise in a float and the slow hue drift seamless.
  f.seconds = (float)(nowMs % 10000000u) * 0.001f;
  f.keyRingPos = (gRingPos >= 0 && gRingPos <= 11) ? gRingPos : RingPosOfPitchClass(PitchClassMod(gKeyRoot));
  f.allNotesAllowed = gAllNotesAllowed;
  for (int pc = 0; pc < 12; ++pc) f.inScale[pc] = ScaleContainsPitchClass(pc);
  f.songLoaded = !gSongEvents.empty();
  f.playAlongAvailable = IsPlayAlongAvailable();
  f.runActive = gPlayAlongRun && f.playAlongAvailable;
  static const ScaleRow* const tense[3] = {FindScaleRowByName("Diminished"), FindScaleRowByName("Octatonic H-W"),
                                           FindScaleRowByName("Dominant Diminished")};
  float base = 0.0f;
  for (const ScaleRow* row : tense)
    if (row && row == gCurrentScale) base = 0.65f;
  f.tension = Clamp01(base + gLaneFeed.tension);
  f.boost = 1.0f + 3.8f * f.tension;
  f.sightReading = gSightReadingView;
  for (const HeldNote& h : gHeldNotes) {
    if (h.note < 0 || h.note > 127 || !h.keyDown) continue;
    f.pressed[h.note] = true;
    f.keyLevel[h.note] = std::max(f.keyLevel[h.note], Clamp01((float)h.velocity / 127.0f));
  }
  for (int n = 0; n < 128; ++n)
    if (gKeySounding[n]) {
      f.pressed[n] = true;
      f.keyLevel[n] = std::max(f.keyLevel[n], std::max(0.2f, gKeyLevel[n]));
    }
  f.tonic = PitchClassMod(gKeyRoot);
  f.scale = gCurrentScale;
  f.level = GetLevelSetting();
  f.practiceLevel = Clamp01(gPracticeMode ? gLevelSetting : gTeachingLevel);
  for (int pc = 0; pc < 12; ++pc) f.pcHoldSeconds[pc] = gLaneFeed.pcHoldSeconds[pc];
  return f;
}

void LaneNoteColour(const LaneFrame& f, int note, float e, float* r, float* g, float* b, bool greyWhenRun,
                    bool songMarksOnly) {
  const int pc = PitchClassMod(note);
  const float w = ClampFloat(0.9f + 0.08f * e, 0.84f, 0.985f);
  const float* own = kRingPalette[RingPosOfPitchClass(pc)];
  const float* key = kRingPalette[ClampInt(f.keyRingPos, 0, 11)];
  float cr = w * own[0] + (1.0f - w) * key[0];
  float cg = w * own[1] + (1.0f - w) * key[1];
  float cb = w * own[2] + (1.0f - w) * key[2];
  float hr, hg, hb;
  HsvToRgb(std::fmod(0.018f * f.seconds + (float)pc / 12.0f, 1.0f), 0.86f, 1.0f, &hr, &hg, &hb);
  cr = 0.88f * cr + 0.12f * hr, cg = 0.88f * cg + 0.12f * hg, cb = 0.88f * cb + 0.12f * hb;
  float m = Mean3(cr, cg, cb), sat = 0.62f * e + 1.28f;
  cr = m + (cr - m) * sat, cg = m + (cg - m) * sat, cb = m + (cb - m) * sat;
  cr = ClampFloat((0.26f * e + 1.08f) * cr + 0.05f, 0.0f, 1.95f);
  cg = ClampFloat((0.26f * e + 1.08f) * cg + 0.06f, 0.0f, 1.95f);
  cb = ClampFloat((0.3f * e + 1.12f) * cb + 0.08f, 0.0f, 2.05f);
  const bool outside = !f.allNotesAllowed && !f.inScale[pc];
  bool tint = f.songLoaded ? (!songMarksOnly && note >= 0 && note <= 127 && gWrongNoteMark[note] && f.runActive)
                           : outside;
  if (tint) {
    cr = ClampFloat(1.03f * cr + 0.08f, 0.0f, 2.05f);
    cg = ClampFloat(0.88f * cg, 0.0f, 1.85f);
    cb = ClampFloat(1.02f * cb, 0.0f, 2.05f);
  }
  if (greyWhenRun && f.runActive) {
    float v = Mean3(cr, cg, cb);
    cr = 0.9f * v, cg = 0.94f * v, cb = v;
  }
  *r = cr, *g = cg, *b = cb;
}

float SmoothFadeIn(const LaneFrame& f, float y) {
  if (!f.shortForm) return 1.0f;
  return Smooth(Clamp01((y - f.laneTop) / std::max(f.span, 1.0f)));
}

float OverlayProximityFade(const LaneFrame& f, float x, float y) {
  const RectF& r = f.overlayPanel;
  if (r.w <= 2.0f || r.h <= 2.0f) return 1.0f;
  const float m = std::max(6.0f, 8.0f * f.s);
  const float l = r.x - m, t = r.y - m, rt = r.x + r.w + m, bt = r.y + r.h + m;
  const float dx = x < l ? l - x : (x > rt ? x - rt : 0.0f);
  const float dy = y < t ? t - y : (y > bt ? y - bt : 0.0f);
  if (dx == 0.0f && dy == 0.0f) return 0.0f;
  return Smooth(Clamp01(std::sqrt(dx * dx + dy * dy) / std::max(18.0f, 24.0f * f.s)));
}

float SongBarBottom(float dt, float laneH, float hitY) {
  if (dt >= 0.0f) {
    float fall = Clamp01(1.0f - dt / kFallMs), m = std::max(64.0f, 0.3f * laneH);
    return (m + laneH) * std::pow(fall, 1.1f) - m;
  }
  return hitY + laneH * ClampFloat(-dt / kFallMs, 0.0f, 1.65f);
}

float SongBarLength(float durationMs, float laneH, float hitY, float s, float yBottom, bool falling) {
  const float lMin = std::max(8.0f, 10.0f * s);
  float L = ClampFloat(durationMs / kFallMs * laneH, lMin, std::max(lMin, 0.92f * laneH));
  if (!falling) return L;
  const float e0 = ClampFloat(0.14f * laneH, 36.0f, 120.0f);
  float k = Clamp01((yBottom - e0) / std::max(1.0f, hitY - e0));
  return std::max(lMin, lMin + (L - lMin) * std::pow(k, 0.72f));
}

uint32_t LaneNoteEnd(size_t index) {
  EnsureNoteEnds();
  return index < gLaneNoteEnds.size() ? gLaneNoteEnds[index] : 0;
}

void WalkSongNotes(const LaneFrame& f, uint32_t pos, LaneNotesOut* out) {
  EnsureNoteEnds();
  const int64_t lo = std::max<int64_t>(0, (int64_t)pos - kLookBehindMs), hi = (int64_t)pos + kLookAheadMs;
  size_t i = (size_t)(std::lower_bound(gSongEvents.begin(), gSongEvents.end(), lo,
                                       [](const SongEvent& e, int64_t v) { return (int64_t)e.timeMs < v; }) -
                      gSongEvents.begin());
  const bool judged = f.runActive && gJudgeStates.size() == gSongEvents.size();
  const float e0 = ClampFloat(0.14f * f.laneH, 36.0f, 120.0f);
  int drawn = 0;
  for (; i < gSongEvents.size() && (int64_t)gSongEvents[i].timeMs <= hi; ++i) {
    const SongEvent& e = gSongEvents[i];
    if (!IsSoundingNoteOn(e) || e.data1 < kLaneLowNote || e.data1 > kLaneHighNote) continue;
    const int note = e.data1;
    float x, width;
    bool black;
    if (!GetLaneKeyRect(f.keys, note, &x, &width, &black)) continue;
    const float dt = (float)((int64_t)e.timeMs - (int64_t)pos);
    if (dt > (float)kLookAheadMs || dt < -(float)kLookAheadMs) continue;
    float yBottom = SongBarBottom(dt, f.laneH, f.hitY);
    if (f.runActive) yBottom += WaitingNotePulse(i, pos, f.nowMs, std::max(3.4f, 5.8f * f.s));
    if (dt >= 0.0f && yBottom < e0) continue;  // not through the entry line yet
    const float duration = (float)(gLaneNoteEnds[i] - e.timeMs);
    const float L = SongBarLength(duration, f.laneH, f.hitY, f.s, yBottom, dt >= 0.0f);
    const float k8 = dt >= 0.0f ? Clamp01((yBottom - e0) / std::max(1.0f, f.hitY - e0)) : 1.0f;
    float yTop = yBottom - L;
    if (yBottom < 0.0f || yTop > f.hitY) continue;
    yTop = std::max(yTop, 0.0f);
    yBottom = std::min(yBottom, f.hitY);

    float r, g, b, u = 0.0f, p = 0.0f, factor = 1.0f;
    LaneNoteColour(f, note, 1.0f, &r, &g, &b, false, true);
    bool pendingInRun = false;
    if (judged) {
      factor = ColourByJudgeState(f, i, note, pos, &r, &g, &b, &u, &p);
      const uint8_t st = gJudgeStates[i].state;
      pendingInRun = st == 0 || st == 7;
    }
    const float alpha = (0.36f * k8 + 0.64f) * (black ? 0.441f : 0.525f) * f.laneAlpha * factor;

    LaneBar bar{x, width, yTop, yBottom, r, g, b, alpha, black, dt > -8.0f, (int32_t)i, 0, 0, 0, 0};
    const float gs = std::max(0.3f * p, 0.26f * u);
    if (!f.sightReading && f.runActive && gs > 0.001f) {
      float gr = r, gg = g, gb = b;
      if (p > 0.01f) LaneNoteColour(f, note, 1.18f, &gr, &gg, &gb, false, true);
      bar.glowR = Clamp01(1.1f * gr + 0.04f);
      bar.glowG = Clamp01(1.1f * gg + 0.04f);
      bar.glowB = Clamp01(1.12f * gb + 0.06f);
      bar.glowAlpha = ClampFloat(alpha * gs, 0.0f, p > 0.01f ? 0.4f : 0.3f);
    }
    out->bars.push_back(bar);
    const bool outside = !f.allNotesAllowed && !f.inScale[PitchClassMod(note)];
    AddFieldSource(f, note, x, width, yTop, yBottom, outside && !pendingInRun, &out->fields);

    const bool reached = yBottom >= f.hitY - 0.8f;
    NoteHit hit;
    hit.note = note;
    hit.x = x + width * 0.5f;
    hit.y = f.hitY - std::max(0.6f, f.s);
    hit.velocity = HitVelocity((float)e.data2 / 127.0f);
    hit.r = r, hit.g = g, hit.b = b, hit.hasColour = 1;
    hit.key = ((uint64_t)(note & 127) << 32) | (uint32_t)i;
    if (judged) {
      NoteJudgeState& j = gJudgeStates[i];
      if (j.state >= 1 && j.state <= 3 && !j.effectShown && reached) {
        j.effectShown = 1;
        out->hits.push_back(hit);
      }
    } else if (dt >= -140.0f && dt <= 0.0f && reached && MarkBoardHitFired(hit.key)) {
      out->hits.push_back(hit);
    }
    if (++drawn >= kMaxSongBars) break;
  }
}

void ReleaseEndedLaneTrails(uint32_t nowMs) {
  for (LaneTrail& t : gLaneTrails) {
    if (t.releaseMs != 0) continue;
    bool held = std::any_of(gHeldNotes.begin(), gHeldNotes.end(),
                            [&](const HeldNote& h) { return h.sounding && h.note == t.note && h.serial == t.serial; });
    if (!held) t.releaseMs = nowMs;
  }
}

void WalkLaneTrails(const LaneFrame& f, LaneNotesOut* out) {
  if (gLaneTrails.capacity() < kMaxTrails + 128) gLaneTrails.reserve(kMaxTrails + 128);
  gLaneLastSongPos = 0;
  const uint32_t now = f.nowMs;
  // Held keys keep or start their trails. The song's own notes are nobody's keys: in the pass that
  // stops the song they still sound, their note-offs not yet down the road, and would rise as trails.
  for (const HeldNote& h : gHeldNotes) {
    if (!h.sounding || h.displayOnly || h.note < kLaneLowNote || h.note > kLaneHighNote) continue;
    float r, g, b;
    LaneNoteColour(f, h.note, 1.0f, &r, &g, &b, true, false);
    auto it = std::find_if(gLaneTrails.begin(), gLaneTrails.end(),
                           [&](const LaneTrail& t) { return t.note == h.note && t.serial == h.serial; });
    if (it != gLaneTrails.end()) {
      it->releaseMs = 0;
      it->r = r, it->g = g, it->b = b;
    } else if (gLaneTrails.size() < gLaneTrails.capacity()) {
      gLaneTrails.push_back({h.note, h.serial, h.arrivalMs, 0, r, g, b, 0});
    }
  }
  ReleaseEndedLaneTrails(now);

  const float lMin = std::max(8.0f, 10.0f * f.s);
  int drawn = 0;
  size_t keep = 0;
  for (size_t i = 0; i < gLaneTrails.size(); ++i) {
    LaneTrail& t = gLaneTrails[i];
    bool erase = false;
    const bool released = t.releaseMs != 0;
    if (t.startMs == 0 || t.note < kLaneLowNote || t.note > kLaneHighNote) {
      erase = true;
    } else if (drawn < kMaxTrailBars) {
      const float age = (float)((int64_t)now - (int64_t)t.startMs) * 0.001f;
      const float len = std::max(0.0f, (float)((int64_t)(released ? t.releaseMs : now) - (int64_t)t.startMs) * 0.001f);
      const float lf = Clamp01(len / 2.6f);
      float x, width;
      bool black;
      if (age < 0.0f) {
        // a trail from the future (a clock step back) waits
      } else if (released && age > 3.6f && len <= 0.01f) {
        erase = true;
      } else if (!GetLaneKeyRect(f.keys, t.note, &x, &width, &black)) {
        erase = released;
      } else {
        const float sr = released ? std::max(0.0f, (float)((int64_t)now - (int64_t)t.releaseMs) * 0.001f) : 0.0f;
        const float rise = std::pow(Clamp01(sr / 2.6f), 1.08f);
        float yBottom = f.hitY - rise * f.laneH;
        const float L = ClampFloat(len / 2.6f * f.laneH, lMin, std::max(lMin, 0.94f * f.laneH));
        float yTop = yBottom - L;
        if (yBottom < -2.0f || yTop > f.hitY + 2.0f) {
          erase = released;
        } else {
          yTop = std::max(yTop, 0.0f);
          yBottom = std::min(yBottom, f.hitY);
          float r, g, b, pulse = 1.0f;
          LaneNoteColour(f, t.note, 0.48f * lf + 0.82f, &r, &g, &b, true, false);
          const int pc = PitchClassMod(t.note);
          const bool outside = !f.allNotesAllowed && !f.inScale[pc];
          if (KeyDisplayState(t.note, outside ? 1 : 0) != 0 && !f.runActive) {
            float v = 0.45f * std::sin(1.1f * (float)pc + 7.5f * f.seconds) + 0.55f, w = 0.85f * v + 0.7f;
            r = ClampFloat(w, 0.0f, 2.6f), g = ClampFloat(0.16f * w, 0.0f, 2.2f), b = ClampFloat(0.14f * w, 0.0f, 2.2f);
            pulse = 0.55f * v + 0.75f;
          }
          const float fall = Clamp01(sr / 2.6f);
          const float alpha = (released ? 1.0f - 0.42f * fall : 1.0f) * (black ? 0.44f : 0.56f) *
                              (0.34f * lf + 0.84f) * f.laneAlpha * pulse;
          out->bars.push_back({x, width, yTop, yBottom, r, g, b, alpha, black, released, -1, 0, 0, 0, 0});
          ++drawn;
          AddFieldSource(f, t.note, x, width, yTop, yBottom, outside, &out->fields);
          if (!t.hitRaised) {
            t.hitRaised = 1;
            NoteHit hit;
            hit.note = t.note;
            hit.key = ((uint64_t)(t.note & 127) << 32) | t.serial;
            if (MarkBoardHitFired(hit.key)) {
              hit.x = x + width * 0.5f;
              hit.y = f.hitY - std::max(0.6f, f.s);
              hit.velocity = HitVelocity(t.note <= 127 ? f.keyLevel[t.note] : 0.72f);
              out->hits.push_back(hit);
            }
          }
          if (released && sr >= 3.2f) erase = true;
        }
      }
    }
    if (!erase) gLaneTrails[keep++] = t;
  }
  gLaneTrails.resize(keep);
  if (gLaneTrails.size() > kMaxTrails)
    gLaneTrails.erase(gLaneTrails.begin(), gLaneTrails.begin() + (std::ptrdiff_t)(gLaneTrails.size() - kMaxTrails));
}

void RunLaneNotes(const LaneFrame& f, LaneNotesOut* out) {
  out->bars.clear();
  out->fields.clear();
  out->hits.clear();
  const bool songRunning = gPlaying && !gPaused && !gSongEvents.empty();
  const uint32_t pos = songRunning ? GetPlaybackPositionMs(f.nowMs) : 0;
  KeepFiredBoardHits(songRunning, pos);
  if (songRunning) WalkSongNotes(f, pos, out);
  else WalkLaneTrails(f, out);
}

void ResetLaneNotes() {
  gLaneTrails.clear();
  gLaneLastSongPos = 0;
  gLaneNoteEnds.clear();
  gLaneEndsData = nullptr;
  gLaneEndsSize = 0;
  gLaneEndsLastMs = 0;
}
