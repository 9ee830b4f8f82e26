// platform/synth: FluidSynth with the General MIDI soundfont, rendered in the sound device's
// callback. FluidSynth's own locking makes its calls safe against the rendering thread.
#include "platform/synth.h"

#include <fluidsynth.h>
#include <sys/stat.h>

#include <atomic>
#include <mutex>

#include "platform/audio.h"
#include "platform/process.h"

// ---- state ----
namespace {
// FluidSynth's default gain (0.2) is far below other programs' level.
constexpr double kGain = 0.8;
const char* const kSoundfonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

std::mutex gSynthMutex;                          // guards loading and the open flag
fluid_settings_t* gSettings = nullptr;           // kept for the process
std::atomic<fluid_synth_t*> gSynth{nullptr};     // kept for the process once loaded
bool gSynthOpen = false;                         // attached to the sound device
}  // namespace

// ---- private helpers ----
static void SynthLog(int level, const char* message, void*) {
  if (level > FLUID_ERR || !message) return;  // warnings and information are expected noise
  std::string line = std::string("[synth] ") + message + "\n";
  DebugOutput(line.c_str());
}

static void Render(float* interleaved, int frames) {
  fluid_synth_t* synth = gSynth.load();
  if (synth) fluid_synth_write_float(synth, frames, interleaved, 0, 2, interleaved, 1, 2);
}

static bool LoadSynth(int rate) {
  if (gSynth.load()) return true;
  std::string path = SynthSoundfontPath();
  if (path.empty()) return false;
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) fluid_set_log_function(level, SynthLog, nullptr);
  gSettings = new_fluid_settings();
  if (!gSettings) return false;
  fluid_settings_setnum(gSettings, "synth.sample-rate", rate);
  fluid_settings_setnum(gSettings, "synth.gain", kGain);
  fluid_synth_t* synth = new_fluid_synth(gSettings);
  if (!synth) {
    delete_fluid_settings(gSettings);
    gSettings = nullptr;
    return false;
  }
  if (fluid_synth_sfload(synth, path.c_str(), 1) == FLUID_FAILED) {
    delete_fluid_synth(synth);
    delete_fluid_settings(gSettings);
    gSettings = nullptr;
    return false;
  }
  gSynth.store(synth);
  return true;
}

// ---- public functions ----
std::string SynthSoundfontPath() {
  struct stat st;
  for (const char* path : kSoundfonts)
    if (stat(path, &st) == 0 && S_ISREG(st.st_mode)) return path;
  return "";
}

bool SynthOpen() {
  std::lock_guard<std::mutex> lock(gSynthMutex);
  if (gSynthOpen) return true;
  if (!AudioOpen()) return false;
  if (!LoadSynth(AudioSampleRate())) return false;
  AudioSetRenderer(Render);
  gSynthOpen = true;
  return true;
}

bool SynthIsOpen() {
  std::lock_guard<std::mutex> lock(gSynthMutex);
  return gSynthOpen;
}

void SynthSend(uint32_t message) {
  fluid_synth_t* synth = gSynth.load();
  if (!synth) return;
  int status = (int)(message & 0xFF);
  int d1 = (int)((message >> 8) & 0x7F);
  int d2 = (int)((message >> 16) & 0x7F);
  int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, channel, d1); break;
    case 0x90:
      if (d2 == 0) fluid_synth_noteoff(synth, channel, d1);
      else fluid_synth_noteon(synth, channel, d1, d2);
      break;
    case 0xA0: fluid_synth_key_pressure(synth, channel, d1, d2); break;
    case 0xB0: fluid_synth_cc(synth, channel, d1, d2); break;
    case 0xC0: fluid_synth_program_change(synth, channel, d1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, channel, d1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, channel, d1 | (d2 << 7)); break;
    default:
      if (status == 0xFF) fluid_synth_system_reset(synth);
      break;
  }
}

void SynthReset() {
  fluid_synth_t* synth = gSynth.load();
  if (synth) fluid_synth_system_reset(synth);
}

void SynthClose() {
  std::lock_guard<std::mutex> lock(gSynthMutex);
  if (!gSynthOpen) return;
  SynthReset();
  AudioSetRenderer(nullptr);
  gSynthOpen = false;
}
