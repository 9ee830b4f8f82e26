// board/lane_notes: the notes of the note-fall lane. While a song plays its notes fall onto their
// keys and reach the hit line as they sound; otherwise the held notes grow up out of the hit line
// and rise away after release. Both hand the particle layer a force source per drawn note and a
// hit when a note reaches the line.
//
// The walk computes bars, sources and hits without GL (the drawer draws the bars it returns), so
// tests and benchmarks run it without a window. Times are the 32-bit ms clock; every difference of
// two of them that may be negative is taken in signed 64 bits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/lane_keys.h"
#include "board/particle_types.h"

struct ScaleRow;

// ---- the lane's frame ----
// Everything the notes and the particles read of one frame, gathered once.
struct LaneFrame {
  float s = 1.0f;                       // UI scale
  KeyboardLayout keys{};
  float laneX = 0.0f, laneW = 0.0f;     // the lane over the keyboard
  float hitY = 0.0f, laneH = 0.0f;      // hit line (the keyboard's top); the lane runs from y = 0
  float keyboardH = 0.0f, kr = 2.2f;    // keyboard height, key corner radius
  bool shortForm = false;               // notes fade in from laneTop over span
  float laneTop = 0.0f, span = 1.0f;
  float laneAlpha = 1.0f;               // the lane's drawing alpha (its fade times the board alpha)
  uint32_t nowMs = 0;                   // lane clock
  float seconds = 0.0f;                 // the same in seconds
  int keyRingPos = 0;                   // ring position of the key, for the note colours
  bool inScale[12] = {};                // pitch classes of the shown scale (all while all notes are allowed)
  bool allNotesAllowed = false;
  bool songLoaded = false;
  bool runActive = false;               // a play-along run is active and available
  bool playAlongAvailable = false;
  float tension = 0.0f, boost = 1.0f;   // lane tension and its boost of the note sources
  bool sightReading = false;            // the sight-reading view fades notes in under the staff
  RectF overlayPanel = kHiddenRect;     // notes fade out under it; hidden: no fade
  bool pressed[128] = {};               // the key is down or the song sounds it
  float keyLevel[128] = {};             // its level 0..1
  int tonic = 0;                        // root of the shown scale
  const ScaleRow* scale = nullptr;      // the shown scale
  float level = 0.0f;                   // play-along level 0..1
  float practiceLevel = 0.0f;           // level in note-fall mode, the teaching level otherwise
  float pcHoldSeconds[12] = {};         // seconds each pitch class has been held
};

// Values the shell hands the board each frame (they live above the board's floor).
struct LaneFeed {
  float tension = 0.0f;                 // the frame's tension 0..1
  float pcHoldSeconds[12] = {};         // seconds each pitch class has been held
};
extern LaneFeed gLaneFeed;

// The frame for the strip at the given clock from the view, song and play-along state.
LaneFrame BuildLaneFrame(const NoteFallStrip& strip, uint32_t nowMs, float boardAlpha);

// ---- colours and fades ----
// The colour of a note bar at energy e; greyWhenRun greys it during a run, songMarksOnly keeps the
// warning tint to keys the judge marked wrong.
void LaneNoteColour(const LaneFrame& f, int note, float energy, float* r, float* g, float* b, bool greyWhenRun,
                    bool songMarksOnly);
// 1 outside the short form; else the smoothstep of y's place in the fade-in span.
float SmoothFadeIn(const LaneFrame& f, float y);
// 0 under the overlay panel (grown by a margin), rising smoothly to 1 away from it.
float OverlayProximityFade(const LaneFrame& f, float x, float y);

// ---- bar geometry ----
// Bottom of a song note's bar dt ms before it sounds (negative dt: after).
float SongBarBottom(float dt, float laneH, float hitY);
// Length of a bar of the given duration whose bottom is at yBottom; a bar still falling grows in
// from its shortest length below the entry line.
float SongBarLength(float durationMs, float laneH, float hitY, float s, float yBottom, bool falling);
// The lane's end of a song note: the first release of the same note and channel within 12 s;
// without one start + 180, and an end not after the start becomes start + 120. Cached per song.
uint32_t LaneNoteEnd(size_t index);

// One bar to draw.
struct LaneBar {
  float x, width, yTop, yBottom;
  float r, g, b, alpha;
  bool isBlack, glowBand;
  int32_t eventIndex;          // -1 for a free-play trail
  float glowR, glowG, glowB, glowAlpha;  // the run's second glow (alpha 0: none)
};

// ---- free play ----
struct LaneTrail {
  int32_t note;
  uint32_t serial;
  uint32_t startMs;
  uint32_t releaseMs;      // 0 while held
  float r, g, b;
  uint8_t hitRaised;
};
extern std::vector<LaneTrail> gLaneTrails;  // arrival order; the newest 720 stay
extern uint32_t gLaneLastSongPos;           // song position of the previous frame; 0 without a song

// What one frame of the notes produced.
struct LaneNotesOut {
  std::vector<LaneBar> bars;
  std::vector<FieldSource> fields;
  std::vector<NoteHit> hits;
};

// The frame's notes: the song walk while a song plays unpaused, else the free-play trails.
void RunLaneNotes(const LaneFrame& f, LaneNotesOut* out);
// The song walk at position pos (song mode).
void WalkSongNotes(const LaneFrame& f, uint32_t pos, LaneNotesOut* out);
// The free-play trails of the held notes.
void WalkLaneTrails(const LaneFrame& f, LaneNotesOut* out);
// Trails whose note no longer sounds are released at nowMs (each walk does it first; a lane not
// drawn for a while has it done on time all the same, so its trails rise from their releases).
void ReleaseEndedLaneTrails(uint32_t nowMs);
// No trails, no song position, no note-end cache.
void ResetLaneNotes();
