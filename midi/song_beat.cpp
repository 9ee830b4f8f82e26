// midi/song_beat: beats of the loaded song from its tempo list, its bars and clicks from its time
// signatures, and the start/seek flag.
#include "midi/song_beat.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "midi/playback.h"

// ---- state ----
bool gSongBeatResync = false;  // a start or seek happened since the last beat record
namespace {
// A stretch of the song in one time signature (the whole song when it gives none).
struct SongBars {
  double firstQuarter;  // the file's quarter notes from the song start to its first bar
  int64_t firstBeat;    // the beat (click) its first bar starts on
  double beatQuarters;  // the file's quarter notes in one beat
  int32_t beats;        // beats from one accented beat to the next; 0: the metronome's bar
};
std::vector<double> gTempoQuarters;  // the file's quarters from the song start at each point of gSongTempo
std::vector<SongBars> gSongBars;     // in song order, the first also before its start
uint32_t gResyncPosMs = 0;           // song position of the last start or seek
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

double QuartersAt(uint32_t posMs) {
  size_t k = PointAt(posMs);
  return gTempoQuarters[k] + ((double)posMs - gSongTempo[k].timeMs) * PointBpm(k) / 60000.0;
}

// Song ms at which quarter q begins.
double MsOfQuarter(double q) {
  auto it = std::upper_bound(gTempoQuarters.begin(), gTempoQuarters.end(), q + 1e-9);
  size_t k = it == gTempoQuarters.begin() ? 0 : (size_t)(it - gTempoQuarters.begin()) - 1;
  return gSongTempo[k].timeMs + (q - gTempoQuarters[k]) * 60000.0 / PointBpm(k);
}

// Where the clicks of a time signature fall: the file's quarters in one click, and the clicks
// from one accent to the next.
// - The file's own click (its clocks-per-click byte, 24 to its quarter: 36 a dotted quarter) when
//   it is a whole number of the signature's notes filling the bar a whole number of times, at most
//   32, and in a compound metre (6/8, 9/8, 12/16 ...) one of those notes or a whole number of its
//   dotted beats.
// - Else a compound metre's dotted beat, three of its notes: a quarter would cut across its pulse.
// - Else the file's quarter notes, a bar being numerator x 32 / (note value x 32nds per quarter)
//   of them: 3 in 3/4, 2 in a 6/8 that puts its dotted quarter there. A bar that is not a whole
//   number of quarters (7/8) is counted over the fewest beats holding whole bars, so an accent only
//   falls where a bar line meets a click.
void ClicksOf(const TimeSignaturePoint& p, double* beatQuarters, int32_t* beats) {
  // Lengths in MIDI clocks x 32nds per quarter, so that every one is whole.
  const int64_t quarter = 24 * (int64_t)p.quarter32nds;
  const int64_t note = (int64_t)(64 >> std::min<int>(p.denominatorPower, 6)) * 12;
  const int64_t bar = p.numerator * note;
  const bool compound = p.numerator > 3 && p.numerator % 3 == 0 && p.denominatorPower >= 3 && quarter > 0;
  int64_t click = (int64_t)p.clocksPerClick * p.quarter32nds;
  bool fits = click > 0 && click % note == 0 && bar % click == 0 && bar / click <= 32;
  if (fits && compound && click != note && (click / note) % 3 != 0) fits = false;
  if (!fits && compound) {
    click = 3 * note;
    fits = bar / click <= 32;
  }
  if (fits) {
    *beatQuarters = (double)click / (double)quarter;
    *beats = (int32_t)(bar / click);
    return;
  }
  *beatQuarters = 1.0;
  int64_t top = (int64_t)p.numerator * 32;
  int64_t bottom = ((int64_t)1 << std::min<int>(p.denominatorPower, 6)) * p.quarter32nds;
  *beats = (top == 0 || bottom == 0) ? 1 : (int32_t)std::clamp<int64_t>(top / std::gcd(top, bottom), 1, 32);
}

// The stretch of bars a quarter lies in (the first also before its start).
const SongBars& BarsAt(double quarter) {
  auto it = std::upper_bound(gSongBars.begin(), gSongBars.end(), quarter + 1e-9,
                             [](double q, const SongBars& s) { return q < s.firstQuarter; });
  return it == gSongBars.begin() ? gSongBars.front() : *(it - 1);
}

// Whole beat and real seconds since it at a position, and the stretch it lies in.
const SongBars& BeatAt(uint32_t posMs, double speed, int64_t* index, double* sinceS) {
  double quarter = QuartersAt(posMs);
  const SongBars& bars = BarsAt(quarter);
  double whole = std::floor((quarter - bars.firstQuarter) / bars.beatQuarters + 1e-9);
  *index = bars.firstBeat + (int64_t)whole;
  double beatMs = MsOfQuarter(bars.firstQuarter + whole * bars.beatQuarters);
  *sinceS = std::max(0.0, ((double)posMs - beatMs) / 1000.0 / speed);
  return bars;
}

// Appends the stretch of a time signature. Its bars start on the beat nearest to it: the first's
// on a quarter, its beats counted back to the song start; a later one's on a beat of the stretch
// before, which it replaces when that is where the stretch before starts.
void AddSongBars(const TimeSignaturePoint& p) {
  SongBars bars{};
  ClicksOf(p, &bars.beatQuarters, &bars.beats);
  double at = QuartersAt(p.timeMs);
  auto beatsIn = [at](const SongBars& s) { return std::llround((at - s.firstQuarter) / s.beatQuarters); };
  while (!gSongBars.empty() && beatsIn(gSongBars.back()) <= 0) gSongBars.pop_back();
  if (gSongBars.empty()) {
    bars.firstQuarter = (double)std::llround(at);
    bars.firstBeat = (int64_t)std::ceil(bars.firstQuarter / bars.beatQuarters - 1e-9);
  } else {
    const SongBars& last = gSongBars.back();
    int64_t k = beatsIn(last);
    bars.firstQuarter = last.firstQuarter + (double)k * last.beatQuarters;
    bars.firstBeat = last.firstBeat + k;
  }
  gSongBars.push_back(bars);
}

}  // namespace

// ---- public functions ----
void RebuildSongBeatTable() {
  gTempoQuarters.assign(gSongTempo.size(), 0.0);
  for (size_t k = 1; k < gSongTempo.size(); ++k)
    gTempoQuarters[k] = gTempoQuarters[k - 1] +
                        ((double)gSongTempo[k].timeMs - gSongTempo[k - 1].timeMs) * PointBpm(k - 1) / 60000.0;
  gSongBars.clear();
  if (gSongTempo.empty()) return;
  for (const TimeSignaturePoint& p : gSongTimeSignatures) AddSongBars(p);
  if (gSongBars.empty()) gSongBars.push_back({0.0, 0, 1.0, 0});
}

double SongBpmAt(uint32_t posMs) { return gSongTempo.empty() ? 0.0 : PointBpm(PointAt(posMs)); }

double SongBeatQuarters(uint32_t posMs) {
  if (gSongBars.empty() || gTempoQuarters.size() != gSongTempo.size()) return 1.0;
  return BarsAt(QuartersAt(posMs)).beatQuarters;
}

int SongBarClicks(uint32_t posMs) {
  if (gSongBars.empty() || gTempoQuarters.size() != gSongTempo.size()) return 0;
  return BarsAt(QuartersAt(posMs)).beats;
}

void MarkSongBeatResync(uint32_t posMs) {
  gSongBeatResync = true;
  gResyncPosMs = posMs;
}

bool ComputeSongBeatInfo(uint32_t posMs, double speed, int beatsPerBar, bool paused, SongBeatInfo* out) {
  if (gSongTempo.empty() || gTempoQuarters.size() != gSongTempo.size() || gSongBars.empty() || !(speed > 0.0))
    return false;
  SongBeatInfo info{};
  const SongBars& bars = BeatAt(posMs, speed, &info.beatIndex, &info.secondsSinceBeat);
  int n = bars.beats > 0 ? bars.beats : std::clamp(beatsPerBar, 1, 32);
  info.beatsPerBar = n;
  info.beatInBar = (int32_t)((((info.beatIndex - bars.firstBeat) % n) + n) % n);
  info.secondsPerBeat = 60.0 * bars.beatQuarters / PointBpm(PointAt(posMs)) / speed;
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
  gTempoQuarters.clear();
  gSongBars.clear();
  gResyncPosMs = 0;
}
