// midi/song_beat: beats of the loaded song from its tempo list, and the start/seek flag.
#include "midi/song_beat.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "midi/playback.h"

// ---- state ----
bool gSongBeatResync = false;  // a start or seek happened since the last beat record
namespace {
std::vector<double> gTempoBeats;  // beats from the song start at each point of gSongTempo
uint32_t gResyncPosMs = 0;        // song position of the last start or seek
}  // namespace

// ---- internal helpers ----
namespace {

double PointBpm(size_t k) { return std::max(gSongTempo[k].bpm, 1); }

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
}

void MarkSongBeatResync(uint32_t posMs) {
  gSongBeatResync = true;
  gResyncPosMs = posMs;
}

bool ComputeSongBeatInfo(uint32_t posMs, double speed, int beatsPerBar, bool paused, SongBeatInfo* out) {
  if (gSongTempo.empty() || gTempoBeats.size() != gSongTempo.size() || !(speed > 0.0)) return false;
  int n = std::clamp(beatsPerBar, 1, 32);
  SongBeatInfo info{};
  BeatAt(posMs, speed, &info.beatIndex, &info.secondsSinceBeat);
  info.beatsPerBar = n;
  info.beatInBar = (int32_t)(((info.beatIndex % n) + n) % n);
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
  gResyncPosMs = 0;
}
