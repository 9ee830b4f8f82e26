// midi/click: the metronome's click sounds.
//
// A click is a complete WAV image synthesised once and played from memory; an accent may use the
// user's own downbeat file instead, and when playing fails a short beep on a thread of its own
// stands in. What plays the sounds is a player: the sound device unless a test installs its own.
// A click sounds from its beat's own time plus the sound's constant latency (the song's notes have
// the same), not from when it is asked for: a click asked for in the frame after its beat stays on
// the beat however unevenly the frames come, as long as that frame comes within one pass of the
// main loop after the beat; one asked for later sounds at once.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TeachingState;

// What plays clicks; every member must be set.
struct ClickPlayer {
  // A WAV file from the latency after dueUs (ClockMicros64's line), without waiting.
  bool (*playFile)(const std::string& path, int64_t dueUs);
  // A WAV image from the latency after dueUs, without waiting.
  bool (*playMemory)(const std::vector<uint8_t>& wav, int64_t dueUs);
  void (*beep)(int frequencyHz, int durationMs);        // blocks for the tone's length
};

// Installs the player (null: the sound device).
void SetClickPlayer(const ClickPlayer* player);
// The WAV image (22050 Hz, mono, 16-bit) of one synthesised click.
std::vector<uint8_t> MakeClickWav(float frequencyHz, float durationS, float volume, bool accent);
// Plays one click without blocking, from the latency after its beat's time beatUs (ClockMicros64's
// line; at once when that has passed): the downbeat file for an accent when the settings ask for
// it, else a synthesised click, else a beep (at once).
void PlayClick(const TeachingState& settings, bool accent, int64_t beatUs);
// Starts playing a WAV image held in memory from the latency after dueUs, without waiting; the
// bytes must outlive the sound. False when it could not be played.
bool PlayClickSoundFromMemory(const std::vector<uint8_t>& wav, int64_t dueUs);
// One beep for the fallback's thread. The player is the one installed when the click was asked
// for: the thread must not read the installed player, which may change while it beeps.
struct BeepRequest {
  const ClickPlayer* player;
  int frequencyHz;
  int durationMs;
};
// Thread body of the beep fallback: sounds the tone, then frees its argument (made with new).
void BeepClickThread(BeepRequest* request);
// Switches the metronome's click off (with its beat grid and flash) when it is on.
void StopMetronome();
