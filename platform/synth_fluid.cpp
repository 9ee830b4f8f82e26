// platform/synth: FluidSynth with the General MIDI soundfont, rendered in the sound device's
// callback.
//
// While the synthesiser is attached, every message goes through the timetable and is applied by
// the callback itself, between the pieces of a buffer rendered up to the message's frame, so the
// callback alone touches the voices. FluidSynth renders in blocks of 64 frames: a message takes
// effect at the next block boundary, at most 1.45 ms after its sample. Detached, messages are
// applied at once (FluidSynth's own locking keeps that safe).
#include "platform/synth.h"

#include <dlfcn.h>
#include <fluidsynth.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/synth_timetable.h"

// ---- the library, loaded on first use ----
// FluidSynth and the two dozen libraries it needs are loaded when a synthesiser is first made, not
// when the program starts: loading them costs every start tens of milliseconds before its first
// frame, and a start that plays nothing never needs them.
#define TV_FLUID_FUNCTIONS(X) \
  X(new_fluid_settings) \
  X(delete_fluid_settings) \
  X(new_fluid_synth) \
  X(delete_fluid_synth) \
  X(fluid_set_log_function) \
  X(fluid_settings_setnum) \
  X(fluid_synth_all_sounds_off) \
  X(fluid_synth_cc) \
  X(fluid_synth_channel_pressure) \
  X(fluid_synth_key_pressure) \
  X(fluid_synth_noteoff) \
  X(fluid_synth_noteon) \
  X(fluid_synth_pitch_bend) \
  X(fluid_synth_program_change) \
  X(fluid_synth_sfload) \
  X(fluid_synth_system_reset) \
  X(fluid_synth_write_float)

namespace {
struct FluidFunctions {
#define TV_FLUID_POINTER(name) decltype(&::name) name = nullptr;
  TV_FLUID_FUNCTIONS(TV_FLUID_POINTER)
#undef TV_FLUID_POINTER
};
FluidFunctions gFluid;     // filled once by LoadFluidLibrary, under gSynthMutex
bool gFluidLoaded = false;  // every function of gFluid was found
const char* const kFluidLibraries[] = {"libfluidsynth.so.3", "libfluidsynth.so"};
}  // namespace

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

std::vector<std::string> gSoundfontsForTesting;  // tried in place of the list above when set
std::mutex gSynthMutex;                          // guards loading, attaching and detaching
fluid_settings_t* gSettings = nullptr;           // kept for the process
std::atomic<fluid_synth_t*> gSynth{nullptr};     // kept for the process once loaded
std::atomic<bool> gSynthOpen{false};             // attached: messages go through the timetable
std::atomic<int> gRenderRate{0};                 // sample rate of the attached device
std::string gSynthError;                         // why the last load failed, "" when it did not (under gSynthMutex)
}  // namespace

// ---- private helpers ----
static void SynthLog(int level, const char* message, void*) {
  if (level > FLUID_ERR || !message) return;  // warnings and information are expected noise
  std::string line = std::string("[synth] ") + message + "\n";
  DebugOutput(line.c_str());
}

// Every voice stops now (a reset alone would let them ring out), then everything goes to rest.
// FluidSynth keeps the rest of its last 64-frame block for the next write: one block is rendered
// and dropped, so that no sound from before comes out after.
static void Silence(fluid_synth_t* synth) {
  gFluid.fluid_synth_all_sounds_off(synth, -1);
  gFluid.fluid_synth_system_reset(synth);
  float dropped[2 * 64];
  gFluid.fluid_synth_write_float(synth, 64, dropped, 0, 2, dropped, 1, 2);
}

static void Apply(fluid_synth_t* synth, uint32_t message) {
  int status = (int)(message & 0xFF);
  int d1 = (int)((message >> 8) & 0x7F);
  int d2 = (int)((message >> 16) & 0x7F);
  int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80: gFluid.fluid_synth_noteoff(synth, channel, d1); break;
    case 0x90:
      if (d2 == 0) gFluid.fluid_synth_noteoff(synth, channel, d1);
      else gFluid.fluid_synth_noteon(synth, channel, d1, d2);
      break;
    case 0xA0: gFluid.fluid_synth_key_pressure(synth, channel, d1, d2); break;
    case 0xB0: gFluid.fluid_synth_cc(synth, channel, d1, d2); break;
    case 0xC0: gFluid.fluid_synth_program_change(synth, channel, d1); break;
    case 0xD0: gFluid.fluid_synth_channel_pressure(synth, channel, d1); break;
    case 0xE0: gFluid.fluid_synth_pitch_bend(synth, channel, d1 | (d2 << 7)); break;
    default:
      if (status == 0xFF) Silence(synth);
      break;
  }
}

// Renders frames [from, to) of the interleaved buffer.
static void RenderPiece(fluid_synth_t* synth, float* interleaved, int from, int to) {
  if (to > from) gFluid.fluid_synth_write_float(synth, to - from, interleaved, 2 * from, 2, interleaved, 2 * from + 1, 2);
}

static void Render(float* interleaved, int frames) {
  fluid_synth_t* synth = gSynth.load();
  if (!synth) return;
  TimetableBeginBuffer(ClockMicros64(), frames, gRenderRate.load());
  int done = 0, offset = 0;
  uint32_t message = 0;
  while (TimetableNext(&offset, &message)) {
    RenderPiece(synth, interleaved, done, offset);
    done = std::max(done, offset);
    Apply(synth, message);
  }
  RenderPiece(synth, interleaved, done, frames);
  TimetableEndBuffer();
}

// True once every function is found; the library stays loaded for the process.
static bool LoadFluidLibrary() {
  if (gFluidLoaded) return true;
  void* library = nullptr;
  for (const char* name : kFluidLibraries)
    if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr) break;
  if (!library) {
    DebugOutput("[synth] the FluidSynth library cannot be loaded\n");
    return false;
  }
  bool all = true;
#define TV_FLUID_LOAD(name) all = all && (gFluid.name = (decltype(gFluid.name))dlsym(library, #name)) != nullptr;
  TV_FLUID_FUNCTIONS(TV_FLUID_LOAD)
#undef TV_FLUID_LOAD
  if (!all) DebugOutput("[synth] the FluidSynth library lacks a function this program uses\n");
  gFluidLoaded = all;
  return all;
}

static bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The soundfonts to try, in order: the machine's, or the test's.
static std::vector<std::string> SoundfontCandidates() {
  if (!gSoundfontsForTesting.empty()) return gSoundfontsForTesting;
  return std::vector<std::string>(std::begin(kSoundfonts), std::end(kSoundfonts));
}

// The paths in one line, for the log.
static std::string JoinedPaths(const std::vector<std::string>& paths) {
  std::string joined;
  for (const std::string& path : paths) joined += (joined.empty() ? "" : ", ") + path;
  return joined;
}

static bool LoadSynthFrom(int rate) {
  if (gSynth.load()) return true;
  if (!LoadFluidLibrary()) {
    gSynthError = "the FluidSynth library cannot be loaded";
    return false;
  }
  std::vector<std::string> paths;
  for (const std::string& path : SoundfontCandidates())
    if (IsRegularFile(path)) paths.push_back(path);
  if (paths.empty()) {
    gSynthError = "no General MIDI soundfont is installed (looked for " + JoinedPaths(SoundfontCandidates()) +
                  "; install timgm6mb-soundfont)";
    return false;
  }
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) gFluid.fluid_set_log_function(level, SynthLog, nullptr);
  gSettings = gFluid.new_fluid_settings();
  if (!gSettings) return false;
  gFluid.fluid_settings_setnum(gSettings, "synth.sample-rate", rate);
  gFluid.fluid_settings_setnum(gSettings, "synth.gain", kGain);
  fluid_synth_t* synth = gFluid.new_fluid_synth(gSettings);
  if (!synth) {
    gFluid.delete_fluid_settings(gSettings);
    gSettings = nullptr;
    return false;
  }
  // A damaged soundfont is passed over for the next one installed rather than leaving no sound.
  for (const std::string& path : paths) {
    if (gFluid.fluid_synth_sfload(synth, path.c_str(), 1) != FLUID_FAILED) {
      gSynth.store(synth);
      return true;
    }
    DebugOutput(("[synth] the soundfont " + path + " cannot be read; trying the next one\n").c_str());
  }
  gFluid.delete_fluid_synth(synth);
  gFluid.delete_fluid_settings(gSettings);
  gSettings = nullptr;
  gSynthError = "no installed soundfont can be read (" + JoinedPaths(paths) + (paths.size() == 1 ? " is" : " are") +
                " damaged; reinstall timgm6mb-soundfont)";
  return false;
}

// Loads the synthesiser, keeping in gSynthError why it did not load: without it the program could
// only blame the sound device, which opened well.
static bool LoadSynth(int rate) {
  gSynthError = "the built-in synthesiser did not start";
  bool loaded = LoadSynthFrom(rate);
  if (loaded) gSynthError.clear();
  return loaded;
}

// ---- public functions ----
std::string SynthSoundfontPath() {
  for (const std::string& path : SoundfontCandidates())
    if (IsRegularFile(path)) return path;
  return "";
}

void SetSoundfontsForTesting(const std::vector<std::string>& paths) { gSoundfontsForTesting = paths; }

std::string SynthLastError() {
  std::lock_guard<std::mutex> lock(gSynthMutex);
  return gSynthError;
}

bool SynthOpen() {
  std::lock_guard<std::mutex> lock(gSynthMutex);
  // Attached, it still needs a device: one the sound system has lost since is replaced here.
  if (gSynthOpen.load()) return AudioOpen();
  if (!AudioOpen()) return false;
  if (!LoadSynth(AudioSampleRate())) return false;
  ResetTimetable();
  gRenderRate.store(AudioSampleRate());
  gSynthOpen.store(true);
  AudioSetRenderer(Render);
  return true;
}

bool SynthIsOpen() { return gSynthOpen.load(); }

void SynthSend(uint32_t message) {
  if (gSynthOpen.load()) {
    TimetablePost(message, kSynthAtOnce);
    return;
  }
  if (fluid_synth_t* synth = gSynth.load()) Apply(synth, message);
}

void SynthSendAt(uint32_t message, int64_t dueUs) {
  if (gSynthOpen.load()) TimetablePost(message, dueUs == kSynthAtOnce ? kSynthAtOnce + 1 : dueUs);
}

void SynthCancelAfter(int64_t us) {
  if (gSynthOpen.load()) TimetableCancelAfter(us);
}

void SynthReset() {
  if (gSynthOpen.load()) {
    TimetableClear();
    return;
  }
  if (fluid_synth_t* synth = gSynth.load()) Silence(synth);
}

int64_t SynthLatencyUs() { return TimetableLatencyUs(); }

void SynthClose() {
  std::lock_guard<std::mutex> lock(gSynthMutex);
  if (!gSynthOpen.load()) return;
  AudioSetRenderer(nullptr);
  // No callback renders now: what still waits is dropped, and the voices stop here.
  gSynthOpen.store(false);
  ResetTimetable();
  if (fluid_synth_t* synth = gSynth.load()) Silence(synth);
}

bool SynthOpenOfflineForTesting(int rate) {
  std::lock_guard<std::mutex> lock(gSynthMutex);
  if (!LoadSynth(rate)) return false;
  ResetTimetable();
  gRenderRate.store(rate);
  gSynthOpen.store(true);
  return true;
}

void SynthRenderForTesting(float* interleaved, int frames) {
  std::memset(interleaved, 0, sizeof(float) * 2 * (size_t)frames);
  Render(interleaved, frames);
}
