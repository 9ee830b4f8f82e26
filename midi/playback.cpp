// midi/playback: the loaded song and its transport.
//
// Sections: state; release of sounding notes; song clock and re-anchoring; load; transport
// operations; loop region; small helpers (title, pedal spans, time text).
//
// The song clock is gPlayStartMs: the clock time at which song time 0 was reached at the current
// speed, so the position is (now - gPlayStartMs) x speed. Every jump re-anchors it; every
// difference of clock values is taken as a signed 32-bit number, so the clock's wrap after 49.7
// days changes nothing.
#include "midi/playback.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

#include "app/base/client_size.h"
#include "app/base/logs.h"
#include "app/base/note_tables.h"
#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "app/base/strings.h"
#include "app/base/view_modes.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "midi/midi_event_time.h"
#include "midi/midi_output.h"
#include "midi/play_along.h"
#include "midi/playback_pump.h"
#include "midi/playlist.h"
#include "midi/seek_bar.h"
#include "midi/song_beat.h"
#include "midi/song_sound.h"
#include "midi/teaching_record.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- state ----
std::vector<SongEvent> gSongEvents;            // the loaded song
std::vector<TempoPoint> gSongTempo;            // its tempo list
std::vector<double> gSongTempoExact;           // its tempo list unrounded
std::vector<TimeSignaturePoint> gSongTimeSignatures;  // its time signatures
int gSongKey = -1;                             // tonic pitch class, -1 none
bool gSongMinor = false;                       // the key is minor
std::string gSongPath;                         // file name of the song
std::string gSongTitle;                        // its display title
std::vector<NotePedalSpan> gNotePedalSpans;    // parallel to gSongEvents
bool gLearningItemLoaded = false;              // the song is a lesson item
bool gRhythmStudyMode = false;                 // the lesson item is a rhythm study
bool gSightReadingMode = false;                // the lesson item is a sight-reading item
void (*gSongChangeHook)() = nullptr;           // the learning model's reset, connected by the shell
bool gMetronomeSaved = false;                  // the three settings below hold the user's metronome
int gSavedMetronomeBpm = 0;                    // tempo before the first song
int gSavedMetronomeBeats = 0;                  // beats per bar before the first song
int gSavedMetronomeNoteValue = 0;              // beat note value before the first song
int gLastSongBpm = 0;                          // the tempo the song last gave the metronome

bool gPlaying = false;                         // running (playing or paused)
bool gPaused = false;                          // paused
uint32_t gPlayStartMs = 0;                     // clock anchor of song time 0
uint32_t gPauseMs = 0;                         // clock time of pausing, 0 when not paused
float gPlaybackSpeed = 1.0f;                   // 0.25..2.0
size_t gEventCursor = 0;                       // next event to emit
uint32_t gLoopStartMs = 0;                     // loop A
uint32_t gLoopEndMs = 0;                       // loop B
bool gLoopStartSet = false;
bool gLoopEndSet = false;
bool gKeySounding[128] = {};                   // keys the song sounds
float gKeyLevel[128] = {};                     // their levels
// Slowest speed the song moved at since its judging began, the current speed aside; infinity none.
static float gRunSlowestSpeed = std::numeric_limits<float>::infinity();
static uint32_t gSpeedFromMs = 0;              // song position at which the current speed took over

// ---- internal helpers ----
namespace {

double SpeedFactor() { return std::max((double)gPlaybackSpeed, 0.01); }

// Moves the anchor so that the clock reads position p at now, at speed s.
void ReanchorAt(uint32_t p, double s, uint32_t now) {
  double d = std::round((double)p / s);
  // A distance beyond the signed range of the clock cannot be told from a negative one.
  uint32_t dist = d >= 2147483647.0 ? 2147483647u : (uint32_t)d;
  gPlayStartMs = now - dist;
  if (gPaused) gPauseMs = now;
  gLastEventTimeMs = now;
  gLastEventTimeValid = true;
}

void MarkEventTimeFloor(uint32_t now) {
  gLastEventTimeMs = now;
  gLastEventTimeValid = true;
}

void ClearLoop() {
  gLoopStartMs = gLoopEndMs = 0;
  gLoopStartSet = gLoopEndSet = false;
}

void EndTransportDrags() {
  gSeekDragMode = kSeekDragNone;
  gSpeedDragging = false;
}

bool IsWordToDrop(const std::string& word) {
  static const char* const kDropped[] = {"final", "copy", "export", "exported", "midi",
                                         "mid",   "new",  "edit",   "edited"};
  std::string lower = AsciiLower(word);
  for (const char* d : kDropped)
    if (lower == d) return true;
  auto allDigits = [](const std::string& s, size_t from) {
    if (s.size() <= from) return false;
    for (size_t i = from; i < s.size(); ++i)
      if (s[i] < '0' || s[i] > '9') return false;
    return true;
  };
  if (lower[0] == 'v' && allDigits(lower, 1)) return true;
  return lower.size() <= 2 && allDigits(lower, 0);
}

}  // namespace

// ---- release of sounding notes ----
void ReleaseSongNotes() {
  for (int k = 0; k < 128; ++k) {
    if (!gKeySounding[k]) continue;
    PostAppMessage(kMsgMidiNote, (uint64_t)k, kNoteDisplayOnly);
    gKeySounding[k] = false;
    gKeyLevel[k] = 0.0f;
  }
  PostAppMessage(kMsgMidiSustain, 0, 0);
  // What was handed to the output for later is forgotten; what was due sounds, and then the
  // release, so no note it started is left hanging.
  int64_t now = ClockMicros64();
  CancelSongSound(now);
  SendAllNotesOffSequence(now);
}

void StopPlaybackAndCloseOutput() {
  ReleaseSongNotes();
  CloseMidiOutput();
  gPlaying = false;
  gEventCursor = 0;
  gPaused = false;
  gPauseMs = 0;
  ResetJudgeStates(true, false);
  UpdateSongTempoFlag();
}

void SilenceMidiOutput() {
  // Only the sounding keys are posted, but every key's flag and level is cleared.
  ReleaseSongNotes();
  std::fill(gKeySounding, gKeySounding + 128, false);
  std::fill(gKeyLevel, gKeyLevel + 128, 0.0f);
  ResetMidiOutput();
  ResetJudgeStates(false, true);
}

// ---- song clock ----
uint32_t GetPlaybackPositionMs(uint32_t now) {
  if (!gPlaying) return 0;
  double s = SpeedFactor();
  int32_t elapsed = (int32_t)((gPaused ? gPauseMs : now) - gPlayStartMs);
  if (elapsed <= 0) return 0;
  return (uint32_t)std::min<long long>(std::llround((double)elapsed * s), UINT32_MAX);
}

uint32_t GetSongLengthMs() { return gSongEvents.empty() ? 0 : gSongEvents.back().timeMs; }

uint32_t GetShownPlaybackPositionMs(uint32_t now) { return std::min(GetPlaybackPositionMs(now), GetSongLengthMs()); }

void SetPlaybackSpeed(float speed) {
  float v = speed;
  if (std::isnan(v)) return;  // no speed at all: keep the one there is
  if (v > 2.0f) v = 2.0f;
  if (v < 0.25f) v = 0.25f;
  if (std::fabs(v - gPlaybackSpeed) <= 0.0005f) return;
  if (!gPlaying) {
    gPlaybackSpeed = v;
    DebugLog("[playback] speed %.3f\n", (double)v);
    SyncMetronomeToSong(0, true);
    return;
  }
  uint32_t now = ClockMs32();
  uint32_t p = GetPlaybackPositionMs(now);
  // A speed counts for the run once the song moved at it: one only passed through while paused does not.
  if (p != gSpeedFromMs) gRunSlowestSpeed = std::min(gRunSlowestSpeed, gPlaybackSpeed);
  gSpeedFromMs = p;
  gPlaybackSpeed = v;
  DebugLog("[playback] speed %.3f\n", (double)v);
  ReanchorAt(p, SpeedFactor(), now);
  // Stamps handed at the old speed would sound at their old times: restamped now, not a pass later.
  RestampSongSound(p);
  SyncMetronomeToSong(p, true);
}

float RunSlowestSpeed() { return std::min(gRunSlowestSpeed, gPlaybackSpeed); }

void ResetRunSpeed() {
  gRunSlowestSpeed = std::numeric_limits<float>::infinity();
  gSpeedFromMs = GetPlaybackPositionMs(ClockMs32());
}

float SpeedFromSlider(float fraction) {
  if (!(fraction > 0.0f)) fraction = 0.0f;
  if (fraction > 1.0f) fraction = 1.0f;
  return 0.25f + 1.75f * fraction;
}

float SpeedSliderFraction(int mouseX) {
  float u = TransportUiScale(gClientWidth, gClientHeight);
  float pad = std::max(11.0f * u, 10.0f);
  float left = gSpeedSliderRect.x + pad;
  float width = std::max(gSpeedSliderRect.w - 2.0f * pad, 12.0f);
  float f = ((float)mouseX - left) / width;
  return f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f);
}

void SeekPlayback(uint32_t ms) {
  uint32_t length = GetSongLengthMs();
  if (!gPlaying || gSongEvents.empty() || length == 0) return;
  uint32_t t = std::min(ms, length);
  ReleaseSongNotes();
  gEventCursor = (size_t)(std::lower_bound(gSongEvents.begin(), gSongEvents.end(), t,
                                           [](const SongEvent& e, uint32_t v) { return e.timeMs < v; }) -
                          gSongEvents.begin());
  ReanchorAt(t, SpeedFactor(), ClockMs32());
  ResetJudgeStates(false, false);
  // A run waits at its first pending note: the notes before the new position are passed, or the
  // next pass would take the song back to them (and a loop would never get past its start).
  if (gPlayAlongRun) MarkNotesPassedBefore(t);
  SyncMetronomeToSong(t, true);
  MarkSongBeatResync(t);
}

// Puts the song clock at the top of the song, playing from now.
static void StartSongFromTop(uint32_t now) {
  gEventCursor = 0;
  gPlayStartMs = now;
  MarkEventTimeFloor(now);
  gPlaying = true;
  gPaused = false;
  gPauseMs = 0;
}

// ---- load ----
bool LoadAndPlayMidi(const std::string& path) {
  std::vector<SongEvent> events;
  std::vector<TempoPoint> tempo;
  std::vector<TimeSignaturePoint> meters;
  std::vector<double> exactTempo;
  int key = -1;
  bool minor = false;
  std::string error;
  if (!ParseMidiFile(path, events, tempo, key, minor, error, &meters, &exactTempo)) {
    gStatusText = TrF("MIDI load failed: %s", Tr(error).c_str());
    // A playlist passes over such a file at once, and the next title takes the status line.
    DebugLog("[playback] could not load %s: %s\n", path.c_str(), error.c_str());
    return false;
  }

  StopPlaybackAndCloseOutput();
  if (gSongChangeHook) gSongChangeHook();
  gSongEvents.swap(events);
  gSongTempo.swap(tempo);
  gSongTempoExact.swap(exactTempo);
  gSongTimeSignatures.swap(meters);
  RebuildSongBeatTable();

  if (!gMetronomeSaved) {
    gSavedMetronomeBpm = gTeachingState.bpm;
    gSavedMetronomeBeats = gTeachingState.timeSigNum;
    gSavedMetronomeNoteValue = gTeachingState.timeSigDen;
    gMetronomeSaved = true;
  } else {
    // The record may still hold the last song's time signature: a song that gives none plays in
    // the user's, and one that gives its own sets it below.
    gTeachingState.timeSigNum = gSavedMetronomeBeats;
    gTeachingState.timeSigDen = gSavedMetronomeNoteValue;
    gTeachingState.songBarClicks = 0;
  }
  gLastSongBpm = 0;
  gTeachingState.songBpm = 0.0;
  gSongKey = key;
  gSongMinor = minor;
  gNotePedalSpans = BuildNotePedalSpans(gSongEvents);

  // The output opens first (the sound device and the soundfont take tens of milliseconds): a clock
  // started before would find the first notes overdue and sound them all at once.
  bool outputOpen = OpenMidiOutput();
  StartSongFromTop(ClockMs32());
  ClearLoop();
  EndTransportDrags();
  NormaliseLoopRegion();
  MarkSongBeatResync(0);

  size_t slash = path.find_last_of("/\\");
  gSongPath = slash == std::string::npos ? path : path.substr(slash + 1);
  gSongTitle = MakeSongTitle(gSongPath);

  gLearningItemLoaded = false;
  // Which file plays, from when and how fast: what a player outside the program (a test, a
  // report of a wrong judgement) needs to follow the song.
  DebugLog("[playback] started %s at speed %.3f\n", path.c_str(), (double)gPlaybackSpeed);
  RelayoutAll();
  gStatusText = TrF("Playing: %s", gSongTitle.c_str());
  ResetJudgeStates(false, false);
  SyncMetronomeToSong(0, true);
  SelectSongKeyScale();
  if (!outputOpen) gStatusText = "Playing visualization only (synth unavailable)";
  return true;
}

void SelectSongKeyScale() {
  if (gSongKey < 0 || gSongKey > 11) return;
  int ringPos = 0;
  for (int i = 0; i < 12; ++i)
    if (kFifthsOrder[i] == gSongKey) ringPos = i;
  SelectScale(&gScaleRows[gSongMinor ? kRowAeolian : kRowIonian], ringPos, true);
}

// ---- transport operations ----
void TogglePlayback() {
  uint32_t now = ClockMs32();
  if (!gPlaying) {
    if (gSongEvents.empty()) {
      gStatusText = "No MIDI playback running";
      return;
    }
    OpenMidiOutput();  // before the clock starts, as at a load
    StartSongFromTop(ClockMs32());
    MarkSongBeatResync(0);
    ResetJudgeStates(false, false);
    SyncMetronomeToSong(0, true);
    if (gLoopStartSet) {
      NormaliseLoopRegion();
      if (gLoopStartSet && gLoopStartMs != 0) SeekPlayback(gLoopStartMs);
    }
    gStatusText = gSongPath.empty() ? Tr("Playing MIDI") : TrF("Playing MIDI: %s", gSongPath.c_str());
    return;
  }
  if (gPaused) {
    if (gPauseMs != 0 && (int32_t)(now - gPauseMs) > 0) gPlayStartMs += now - gPauseMs;
    MarkEventTimeFloor(now);
    gPaused = false;
    gPauseMs = 0;
    gStatusText = TrF("Resumed MIDI: %s", gSongPath.c_str());
    return;
  }
  PausePlayback(now);
  gStatusText = TrF("Paused MIDI: %s", gSongPath.c_str());
}

void PausePlayback(uint32_t now) {
  if (!gPlaying) return;
  gPaused = true;
  gPauseMs = now == 0 ? 1 : now;   // 0 means "not paused"
  ReleaseSongNotes();
}

void HoldSong(SongHold* hold) {
  if (hold->held || !gPlaying || gPaused) return;
  hold->held = true;
  hold->before = gStatusText;
  TogglePlayback();
  hold->paused = gStatusText;
}

void ReleaseSong(SongHold* hold) {
  if (!hold->held) return;
  hold->held = false;
  if (!gPlaying || !gPaused) return;   // another song plays now, or none
  const std::string said = gStatusText;
  TogglePlayback();
  gStatusText = said == hold->paused ? hold->before : said;
}

void UnloadMidi() {
  StopPlaybackAndCloseOutput();
  ResetSongSound();
  ResetPlaybackPump();
  if (gSongChangeHook) gSongChangeHook();
  ResetPlayAlongHighlights();
  gSightReadingView = false;
  gSongEvents.clear();
  gSongTempo.clear();
  gSongTempoExact.clear();
  gSongTimeSignatures.clear();
  gNotePedalSpans.clear();
  RebuildSongBeatTable();
  gTeachingState.songBpm = 0.0;
  gLastSongBpm = 0;
  if (gMetronomeSaved) {
    gTeachingState.bpm = gSavedMetronomeBpm;
    gTeachingState.timeSigNum = gSavedMetronomeBeats;
    gTeachingState.timeSigDen = gSavedMetronomeNoteValue;
    gTeachingState.songBarClicks = 0;
    gMetronomeSaved = false;
  }
  gTeachingState.syncedToSong = 0;
  gSongPath.clear();
  gSongTitle.clear();
  gSongKey = -1;
  gSongMinor = false;
  gLearningItemLoaded = false;
  gPlayAlongStartPending = false;
  ClearPlaylistEntries();
  ClearLoop();
  EndTransportDrags();
  gFileMenuOpen = false;
  NormaliseLoopRegion();
  gStatusText = "No MIDI loaded";
  RelayoutAll();
}

bool HasMidiContent() {
  return gPlaying || !gSongEvents.empty() || !TrimWhitespace(gSongPath).empty() || !gPlaylist.empty();
}

// ---- loop region ----
void SetLoopStart(uint32_t ms) {
  uint32_t length = GetSongLengthMs();
  if (length == 0) return;
  uint32_t a = std::min(ms, length);
  if (gLoopEndSet)
    gLoopStartMs = gLoopEndMs > 160 ? std::min(gLoopEndMs - 160, a) : 0;
  else
    gLoopStartMs = a;
  gLoopStartSet = true;
  RestampSongSound(GetPlaybackPositionMs(ClockMs32()));
}

void SetLoopEnd(uint32_t ms) {
  uint32_t length = GetSongLengthMs();
  if (length == 0) return;
  uint32_t b = std::min(ms, length);
  if (gLoopStartSet) b = std::max(b, std::min(gLoopStartMs + 160, length));
  gLoopEndMs = b;
  gLoopEndSet = true;
  // What was handed ahead at or past the new end must not sound before the wrap.
  RestampSongSound(GetPlaybackPositionMs(ClockMs32()));
}

void NormaliseLoopRegion() {
  uint32_t length = GetSongLengthMs();
  if (length == 0) {
    ClearLoop();
    return;
  }
  gLoopStartMs = std::min(gLoopStartMs, length);
  gLoopEndMs = std::min(gLoopEndMs, length);
  if (!gLoopStartSet || !gLoopEndSet) return;
  // Compared in 64 bits: A + 120 must not wrap for a song near the end of the ms range.
  if ((uint64_t)gLoopEndMs > (uint64_t)gLoopStartMs + 120) return;
  if (gLoopEndMs < length) {
    gLoopEndMs = (uint32_t)std::min<uint64_t>((uint64_t)gLoopStartMs + 320, length);
    if ((uint64_t)gLoopEndMs > (uint64_t)gLoopStartMs + 120) return;
  }
  gLoopStartMs = gLoopEndMs < 321 ? 0 : gLoopEndMs - 320;
}

// ---- small helpers ----
std::string FormatTimeMss(uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u.%u", ms / 60000u, (ms / 1000u) % 60u, (ms / 100u) % 10u);
  return text;
}

std::string MakeSongTitle(const std::string& fileName) {
  size_t dot = fileName.find_last_of('.');
  std::string stem = (dot == std::string::npos || dot == 0) ? fileName : fileName.substr(0, dot);
  std::vector<std::string> words;
  std::string word;
  for (char c : stem) {
    if (c == '_' || c == '-' || c == '.' || c == ' ') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.push_back(word);
  while (words.size() > 1 && IsWordToDrop(words.back())) words.pop_back();

  std::string title;
  for (const std::string& w : words) title += (title.empty() ? "" : " ") + w;
  if (words.empty()) title = stem;

  bool upper = false, lower = false;
  for (char c : title) {
    upper |= (c >= 'A' && c <= 'Z');
    lower |= (c >= 'a' && c <= 'z');
  }
  if (upper != lower) {
    bool start = true;
    for (char& c : title) {
      c = start ? (char)std::toupper((unsigned char)c) : (char)std::tolower((unsigned char)c);
      start = (c == ' ');
    }
  }
  return title;
}

std::vector<NotePedalSpan> BuildNotePedalSpans(const std::vector<SongEvent>& events) {
  struct Span {
    uint32_t down, up;
  };
  std::vector<NotePedalSpan> out(events.size(), NotePedalSpan{0, 0, 0, 0, 0});
  if (events.empty()) return out;
  std::vector<Span> spans[16];
  bool down[16] = {};
  uint32_t downAt[16] = {};
  for (const SongEvent& e : events) {
    if ((e.status & 0xF0) != 0xB0 || e.data1 != 64) continue;
    int c = e.status & 0x0F;
    if (e.data2 >= 64 && !down[c]) {
      down[c] = true;
      downAt[c] = e.timeMs;
    } else if (e.data2 < 64 && down[c]) {
      down[c] = false;
      spans[c].push_back({downAt[c], std::max(downAt[c] + 1, e.timeMs)});
    }
  }
  uint32_t last = events.back().timeMs;
  for (int c = 0; c < 16; ++c)
    if (down[c]) spans[c].push_back({downAt[c], std::max(downAt[c], last) + 1});

  // Each note's end: the next release of its channel and key, looked up walking backwards.
  const uint32_t kNoRelease = UINT32_MAX;
  std::vector<uint32_t> nextRelease(16 * 256, kNoRelease);
  std::vector<uint32_t> noteEnd(events.size(), 0);
  for (size_t i = events.size(); i-- > 0;) {
    const SongEvent& e = events[i];
    int kind = e.status & 0xF0;
    size_t slot = (size_t)(e.status & 0x0F) * 256 + e.data1;
    if (kind == 0x90 && e.data2 > 0) {
      uint32_t r = nextRelease[slot];
      uint64_t limit = (uint64_t)e.timeMs + 12000;
      noteEnd[i] = (r != kNoRelease && r <= limit) ? r : (uint32_t)std::min<uint64_t>((uint64_t)e.timeMs + 180, UINT32_MAX);
    }
    if (kind == 0x80 || (kind == 0x90 && e.data2 == 0)) nextRelease[slot] = e.timeMs;
  }
  for (size_t i = 0; i < events.size(); ++i) {
    const SongEvent& e = events[i];
    if ((e.status & 0xF0) != 0x90 || e.data2 == 0) continue;
    const std::vector<Span>& list = spans[e.status & 0x0F];
    // Spans close in time order, so the first with up > t is the only one that can overlap.
    auto it = std::upper_bound(list.begin(), list.end(), e.timeMs,
                               [](uint32_t t, const Span& s) { return t < s.up; });
    if (it != list.end() && noteEnd[i] >= it->down) out[i] = NotePedalSpan{1, 0, 0, it->down, it->up};
  }
  return out;
}
