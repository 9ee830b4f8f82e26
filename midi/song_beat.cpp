// midi/song_beat: beats of the loaded song from its tempo list, its bars from its time signatures,
// and the start/seek flag.
#include "midi/song_beat.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "midi/playback.h"

// ---- state ----
bool gSongBeatResync = false;  // a start or seek happened since the last beat record
namespace {
// A stretch of the song in one time signature.
struct SongBars {
  int64_t firstBeat;  // the beat its first bar starts on
  int32_t beats;      // beats from one accented beat to the next
};
std::vector<double> gTempoBeats;  // beats from the song start at each point of gSongTempo
std::vector<SongBars> gSongBars;  // one per point of gSongTimeSignatures
uint32_t gResyncPosMs = 0;        // song position of the last start or seek
}  // namespace

// ---- internal helpers ----
namespace {

// The grid counts beats over minutes, so a rounded tempo would carry it off the music (117.5 BPM
// counted as 118 is a beat ahead after two minutes); a tempo list set without its exact figures
// counts in whole ones.
double PointBpm(size_t k) {
  double bpm = gSongTempoExact.size() == gSongTempo.size() ? gSongTempoExact[k] : (double)gSongTempo[k].bpm;
  return std::max(bpm, 1.0);
}

// Index of the last tempo point at or before posMs (0 when before all).
size_t PointAt(uint32_t posMs) {
  auto it = std::upper_bound(gSongTempo.begin(), gSongTempo.end(), posMs,
                             [](uint32_t t, const TempoPoint& p) { return t < p.timeMs; });
  return it == gSongTempo.begin() ? 0 : (size_t)(it - gSongTempo.begin()) - 1;
}

double BeatsAt(uint32_t posMs, size_t k) {
  return gTempoBeats[k] + ((double)posMs - gSongTempo[k].timeMs) * PointBpm(k) / 60000.0;
}

// Song ms at which beat b begins.
double MsOfBeat(double b) {
  auto it = std::upper_bound(gTempoBeats.begin(), gTempoBeats.end(), b + 1e-9);
  size_t k = it == gTempoBeats.begin() ? 0 : (size_t)(it - gTempoBeats.begin()) - 1;
  return gSongTempo[k].timeMs + (b - gTempoBeats[k]) * 60000.0 / PointBpm(k);
}

// The clicks follow the file's quarter note, so a bar is numerator x 32 / (note value x 32nds
// per quarter) beats: 3 in 3/4, 2 in a 6/8 that puts its dotted quarter there, 3 in one that
// does not. A bar that is not a whole number of beats (3/8) is counted over the fewest beats
// holding whole bars, so an accent only falls where a bar line meets a click.
int32_t BeatsBetweenAccents(const TimeSignaturePoint& p) {
  int64_t top = (int64_t)p.numerator * 32;
  int64_t bottom = ((int64_t)1 << std::min<int>(p.denominatorPower, 6)) * p.quarter32nds;
  if (top == 0 || bottom == 0) return 1;
  return (int32_t)std::clamp<int64_t>(top / std::gcd(top, bottom), 1, 32);
}

// The stretch of bars a beat lies in (the first also before its start).
const SongBars& BarsAt(int64_t beat) {
  auto it = std::upper_bound(gSongBars.begin(), gSongBars.end(), beat,
                             [](int64_t b, const SongBars& s) { return b < s.firstBeat; });
  return it == gSongBars.begin() ? gSongBars.front() : *(it - 1);
}

// Whole beat and real seconds since it at a position.
void BeatAt(uint32_t posMs, double speed, int64_t* index, double* sinceS) {
  size_t k = PointAt(posMs);
  double beats = BeatsAt(posMs, k);
  double whole = std::floor(beats + 1e-9);
  *index = (int64_t)whole;
  *sinceS = std::max(0.0, ((double)posMs - MsOfBeat(whole)) / 1000.0 / speed);
}

}  // namespace

// ---- public functions ----
void RebuildSongBeatTable() {
  gTempoBeats.assign(gSongTempo.size(), 0.0);
  for (size_t k = 1; k < gSongTempo.size(); ++k)
    gTempoBeats[k] = gTempoBeats[k - 1] +
                     ((double)gSongTempo[k].timeMs - gSongTempo[k - 1].timeMs) * PointBpm(k - 1) / 60000.0;
  // A time signature starts its bars on the click nearest to it.
  gSongBars.clear();
  if (gSongTempo.empty()) return;
  for (const TimeSignaturePoint& p : gSongTimeSignatures)
    gSongBars.push_back({(int64_t)std::llround(BeatsAt(p.timeMs, PointAt(p.timeMs))), BeatsBetweenAccents(p)});
}

double SongBpmAt(uint32_t posMs) { return gSongTempo.empty() ? 0.0 : PointBpm(PointAt(posMs)); }

void MarkSongBeatResync(uint32_t posMs) {
  gSongBeatResync = true;
  gResyncPosMs = posMs;
}

bool ComputeSongBeatInfo(uint32_t posMs, double speed, int beatsPerBar, bool paused, SongBeatInfo* out) {
  if (gSongTempo.empty() || gTempoBeats.size() != gSongTempo.size() || !(speed > 0.0)) return false;
  SongBeatInfo info{};
  BeatAt(posMs, speed, &info.beatIndex, &info.secondsSinceBeat);
  int n = std::clamp(beatsPerBar, 1, 32);
  int64_t barStart = 0;
  if (!gSongBars.empty()) {
    const SongBars& bars = BarsAt(info.beatIndex);
    n = bars.beats;
    barStart = bars.firstBeat;
  }
  info.beatsPerBar = n;
  info.beatInBar = (int32_t)((((info.beatIndex - barStart) % n) + n) % n);
  info.secondsPerBeat = 60.0 / PointBpm(PointAt(posMs)) / speed;
  info.paused = paused ? 1 : 0;
  info.resyncBeatIndex = -1;
  info.resyncNearBeat = 0;
  if (gSongBeatResync) {
    double since = 0.0;
    BeatAt(gResyncPosMs, speed, &info.resyncBeatIndex, &since);
    info.resyncNearBeat = since <= 0.04 ? 1 : 0;
  }
  *out = info;
  return true;
}

void ResetSongBeat() {
  gSongBeatResync = false;
  gTempoBeats.clear();
  gSongBars.clear();
  gResyncPosMs = 0;
}
