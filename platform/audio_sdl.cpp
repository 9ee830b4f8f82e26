// platform/audio: the sound device through SDL, with the synthesiser, clip and tone mixed in its
// callback.
//
// The state the callback reads lives on the heap and is never freed, so an audio thread still
// running while the process exits never meets a destroyed object. The tone is changed under SDL's
// device lock, the clip under a lock of its own that the callback holds only while it mixes the
// clip, so a thread posting a click never waits for a whole callback. A new clip waits beside the
// playing one for its sample and the callback swaps the two, so the audio thread never frees a
// clip. The renderer is swapped without a lock (an atomic pointer and a flag the callback raises
// while it renders), so a renderer can be set while a callback waits.
//
// A device the sound system loses (unplugged, its sound service restarted) stays open in SDL,
// silent, with its callback still called. The next open closes it, starts the sound system afresh
// (a restarted service is only found so) and opens the default device in its place. Until one
// opens, a thread of ours calls the callback at the device's pace, as SDL did for the lost one, so
// the synthesiser's timed messages keep being applied rather than piling up for the next device.
#include "platform/audio.h"

#include <SDL.h>
#include <alsa/asoundlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/sample_clock.h"

// ---- state ----
namespace {
constexpr int kRate = 44100;        // asked for; SDL converts when the hardware differs
constexpr uint32_t kRetryMs = 3000; // a failed open is not repeated sooner
constexpr int kStartWaitMs = 500;   // longest wait for a new device's first callback
constexpr int kBufferFrames = 512;  // frames of one callback
constexpr int kMaxClipSeconds = 10; // of a clip: the next click cuts it, two seconds apart at the slowest
constexpr int kMinClipRate = 1000;  // sample rates of the sound files played, in Hz
constexpr int kMaxClipRate = 384000;

struct Mixer {
  std::atomic<AudioRenderer> renderer{nullptr};  // the synthesiser, or null
  std::atomic<bool> rendering{false};            // the callback is inside the renderer
  std::atomic<uint64_t> callbacks{0};            // callbacks since the device opened
  std::atomic<uint64_t> frames{0};               // frames delivered since the device opened
  std::atomic<AudioCallbackHook> hook{nullptr};  // test seam, called last in each callback
  std::atomic<int64_t> latencyUs{0};             // the clock's latency, for other threads
  SampleClock clock;                 // program time to sample positions (the callback's)
  std::mutex clipMutex;              // guards the clip and the next clip
  std::vector<float> clip;           // interleaved stereo at the device rate
  size_t clipPos = 0;                // next frame of the clip
  std::vector<float> nextClip;       // the clip waiting for its start; once started, the one it replaced
  int64_t nextDueUs = kAudioAtOnce;  // its due time on the program's clock
  bool nextWaiting = false;          // nextClip waits for its start
  double toneHz = 0.0;               // the beep's frequency
  long toneFramesLeft = 0;           // frames of the beep still to sound
  double tonePhase = 0.0;            // 0..1
};

std::mutex gAudioMutex;                    // guards the device id and opening
SDL_AudioDeviceID gDevice = 0;             // the open device, 0 when closed
int gDeviceRate = 0;                       // its sample rate
bool gTriedAndFailed = false;              // the last open failed
uint32_t gFailedAtMs = 0;                  // ClockMs32 of that failure
Mixer* gMixer = new Mixer();               // read by the callback; never freed
AudioRenderer gRendererWanted = nullptr;   // kept across a close
std::thread* gStandIn = nullptr;           // calls the callback while a lost device has no successor
std::atomic<bool> gStandInStop{false};     // asks the stand-in to end

// The last sound file decoded, kept while the file stays as it was: the downbeat sound is asked for
// at every accented beat on the UI thread, and reading and decoding a large file each time held the
// frame (and so the click itself) back by tens of milliseconds.
struct FileClip {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  timespec modified{};
  int rate = 0;             // the device rate it was decoded for
  bool decoded = false;     // false: the file does not decode
  std::vector<float> clip;  // interleaved stereo at that rate
};
std::mutex gFileClipMutex;                 // guards gFileClip
FileClip* gFileClip = new FileClip();      // never freed, like the mixer
}  // namespace

// ---- private helpers ----
// Adds the playing clip to frames [from, to) of the buffer.
static void MixClip(Mixer* m, float* out, int from, int to) {
  if (to <= from || m->clipPos * 2 >= m->clip.size()) return;
  size_t left = m->clip.size() / 2 - m->clipPos;
  size_t n = left < (size_t)(to - from) ? left : (size_t)(to - from);
  const float* src = m->clip.data() + m->clipPos * 2;
  for (size_t i = 0; i < n * 2; ++i) out[2 * from + i] += src[i];
  m->clipPos += n;
}

// The frame of the buffer at which the waiting clip starts; `frames` when it does not start in it.
static int WaitingClipStart(const Mixer* m, uint64_t firstSample, int frames) {
  if (!m->nextWaiting) return frames;
  if (m->nextDueUs == kAudioAtOnce) return 0;
  int64_t at = SampleClockSampleFor(m->clock, m->nextDueUs) - (int64_t)firstSample;
  return at <= 0 ? 0 : at < frames ? (int)at : frames;
}

static void MixCallback(void*, Uint8* stream, int len) {
  float* out = (float*)stream;
  int frames = len / (int)(2 * sizeof(float));
  SDL_memset(stream, 0, (size_t)len);
  Mixer* m = gMixer;
  uint64_t first = m->frames.load();
  FollowSampleClock(m->clock, ClockMicros64(), (int64_t)first, frames, gDeviceRate > 0 ? gDeviceRate : kRate);
  m->latencyUs.store(m->clock.latencyUs);
  m->callbacks.fetch_add(1);
  m->rendering.store(true);
  if (AudioRenderer renderer = m->renderer.load()) renderer(out, frames);
  m->rendering.store(false);
  {
    std::lock_guard<std::mutex> lock(m->clipMutex);
    int start = WaitingClipStart(m, first, frames);
    MixClip(m, out, 0, start);
    if (start < frames) {
      m->clip.swap(m->nextClip);  // the clip it replaces is freed by the next poster, not here
      m->clipPos = 0;
      m->nextWaiting = false;
      MixClip(m, out, start, frames);
    }
  }
  if (m->toneFramesLeft > 0) {
    long n = m->toneFramesLeft < frames ? m->toneFramesLeft : frames;
    double step = m->toneHz / (gDeviceRate > 0 ? gDeviceRate : kRate);
    for (long i = 0; i < n; ++i) {
      float s = 0.3f * (float)std::sin(2.0 * M_PI * m->tonePhase);
      out[2 * i] += s;
      out[2 * i + 1] += s;
      m->tonePhase += step;
      if (m->tonePhase >= 1.0) m->tonePhase -= 1.0;
    }
    m->toneFramesLeft -= n;
  }
  for (int i = 0; i < frames * 2; ++i) {
    if (out[i] > 1.0f) out[i] = 1.0f;
    else if (out[i] < -1.0f) out[i] = -1.0f;
  }
  if (AudioCallbackHook hook = m->hook.load()) hook(m->frames.load(), out, frames);
  m->frames.fetch_add((uint64_t)frames);
}

// The callback at the device's pace into nothing, until asked to stop.
static void RunStandIn() {
  std::vector<float> buffer(2 * kBufferFrames);
  const auto period = std::chrono::microseconds((int64_t)kBufferFrames * 1000000 / kRate);
  auto next = std::chrono::steady_clock::now();
  while (!gStandInStop.load()) {
    MixCallback(nullptr, (Uint8*)buffer.data(), (int)(buffer.size() * sizeof(float)));
    next += period;
    std::this_thread::sleep_until(next);
  }
}

// Under gAudioMutex, with no device open.
static void StartStandIn() {
  if (gStandIn) return;
  gStandInStop.store(false);
  gStandIn = new std::thread(RunStandIn);
}

// Under gAudioMutex; once it returns the stand-in calls nothing.
static void StopStandIn() {
  if (!gStandIn) return;
  gStandInStop.store(true);
  gStandIn->join();
  delete gStandIn;
  gStandIn = nullptr;
}

// A lost device reports itself stopped; ours is never paused or stopped otherwise once open.
static bool DeviceLost() { return SDL_GetAudioDeviceStatus(gDevice) == SDL_AUDIO_STOPPED; }

// Closes the device and lets go of the sound system; the renderer stays set (under gAudioMutex).
static void CloseDevice() {
  SDL_CloseAudioDevice(gDevice);
  gDevice = 0;
  gMixer->clip.clear();
  gMixer->clipPos = 0;
  gMixer->nextClip.clear();
  gMixer->nextWaiting = false;
  gMixer->toneFramesLeft = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  gTriedAndFailed = false;
}

// Runs f under the device lock (or at once when no device is open).
template <typename F>
static void WithDeviceLocked(F f) {
  if (gDevice) SDL_LockAudioDevice(gDevice);
  f();
  if (gDevice) SDL_UnlockAudioDevice(gDevice);
}

// SDL allocates the length a chunk claims before it reads the chunk, so a damaged header would have
// it allocate gigabytes for a few bytes. A chunk claiming more than the image holds is cut to what
// it holds (in a copy put in *cut), as SDL reads a cut file anyway. False when nothing needs cutting.
static bool CutOverlongChunk(const uint8_t* data, size_t size, std::vector<uint8_t>* cut) {
  size_t pos = 12;  // past "RIFF", its length and "WAVE"
  while (pos <= size && size - pos >= 8) {
    const uint8_t* p = data + pos + 4;
    const uint32_t length = (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    const size_t room = size - pos - 8;
    if (length > room) {
      cut->assign(data, data + size);
      for (int i = 0; i < 4; ++i) (*cut)[pos + 4 + (size_t)i] = (uint8_t)(room >> (8 * i));
      return true;
    }
    pos += 8 + (size_t)length + (length & 1);  // chunks are padded to an even length
  }
  return false;
}

// Decodes a WAV image into interleaved stereo float at the device rate.
static bool DecodeWav(const uint8_t* data, size_t size, std::vector<float>* out) {
  if (!data || size == 0 || size > (size_t)INT32_MAX) return false;
  std::vector<uint8_t> cut;
  if (CutOverlongChunk(data, size, &cut)) data = cut.data();
  SDL_AudioSpec wavFormat;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  SDL_RWops* rw = SDL_RWFromConstMem(data, (int)size);
  if (!rw || !SDL_LoadWAV_RW(rw, 1, &wavFormat, &buffer, &length)) return false;
  // SDL's converter pads a sound with 512 frames (more when it lowers the rate): at a rate of a few
  // hertz that is minutes of sound at the device's rate, at gigahertz gigabytes to read first.
  if (wavFormat.freq < kMinClipRate || wavFormat.freq > kMaxClipRate) {
    SDL_FreeWAV(buffer);
    return false;
  }
  // A long sound at a low rate would still become minutes: only its first seconds are converted.
  const uint64_t frameBytes = (uint64_t)SDL_AUDIO_BITSIZE(wavFormat.format) / 8 * wavFormat.channels;
  length = (Uint32)std::min<uint64_t>(length, frameBytes * (uint64_t)wavFormat.freq * kMaxClipSeconds);
  SDL_AudioStream* stream = SDL_NewAudioStream(wavFormat.format, wavFormat.channels, wavFormat.freq, AUDIO_F32SYS, 2, gDeviceRate);
  bool ok = stream && SDL_AudioStreamPut(stream, buffer, (int)length) == 0 && SDL_AudioStreamFlush(stream) == 0;
  if (ok) {
    int available = SDL_AudioStreamAvailable(stream);
    out->assign((size_t)available / sizeof(float), 0.0f);
    int got = available > 0 ? SDL_AudioStreamGet(stream, out->data(), available) : 0;
    ok = got >= 0;
    if (ok) out->resize((size_t)got / sizeof(float));
  }
  if (stream) SDL_FreeAudioStream(stream);
  SDL_FreeWAV(buffer);
  return ok;
}

// ALSA reports every output it probes and cannot open on standard error, in the user's terminal;
// whether there is sound is said once by the program itself.
static void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Why the last open failed, "" when it did not (under gAudioMutex). Kept on the heap and never freed
// like the mixer: a click's beep thread may still be failing to open the device while the process
// exits, and must not write into a string the exit has destroyed.
static std::string& gAudioError = *new std::string();

// ---- public functions ----
bool AudioOpen() {
  std::lock_guard<std::mutex> lock(gAudioMutex);
  if (gDevice && !DeviceLost()) return true;
  if (gDevice) {
    CloseDevice();
    StartStandIn();
  }
  if (gTriedAndFailed && (int32_t)(ClockMs32() - gFailedAtMs) < (int32_t)kRetryMs && !ClockIsDriven()) return false;
  gTriedAndFailed = true;
  gFailedAtMs = ClockMs32();
  snd_lib_error_set_handler(SilentAlsaError);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    gAudioError = SDL_GetError();
    return false;
  }
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = kRate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = kBufferFrames;
  want.callback = MixCallback;
  SDL_AudioSpec have;
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    gAudioError = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  gAudioError.clear();
  gTriedAndFailed = false;
  StopStandIn();  // the new device is paused until its start below
  gDeviceRate = kRate;
  gMixer->renderer.store(gRendererWanted);
  gMixer->callbacks.store(0);
  gMixer->frames.store(0);
  gMixer->clock = SampleClock();
  gMixer->latencyUs.store(0);
  gDevice = device;
  SDL_PauseAudioDevice(device, 0);
  // What is timed against the device starts once it runs: its first callback.
  for (int waited = 0; waited < kStartWaitMs && gMixer->callbacks.load() == 0; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void AudioClose() {
  std::lock_guard<std::mutex> lock(gAudioMutex);
  StopStandIn();
  if (gDevice) CloseDevice();
  gMixer->renderer.store(nullptr);
}

std::string AudioLastError() {
  std::lock_guard<std::mutex> lock(gAudioMutex);
  return gAudioError;
}

std::string AudioDefaultOutputName() {
  // The subsystem is counted: this start and stop leave an open device as it was.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return "";
  char* name = nullptr;
  SDL_AudioSpec format;
  SDL_zero(format);
  std::string out;
  if (SDL_GetDefaultAudioInfo(&name, &format, 0) == 0 && name) out = name;
  SDL_free(name);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return out;
}

bool AudioIsOpen() {
  std::lock_guard<std::mutex> lock(gAudioMutex);
  return gDevice != 0;
}

int AudioSampleRate() {
  std::lock_guard<std::mutex> lock(gAudioMutex);
  return gDevice ? gDeviceRate : 0;
}

int64_t AudioLatencyUs() { return gMixer->latencyUs.load(); }

void AudioSetRenderer(AudioRenderer renderer) {
  std::lock_guard<std::mutex> lock(gAudioMutex);
  gRendererWanted = renderer;
  if (!gDevice && !gStandIn) return;
  // The callback raises its flag before it reads the pointer: once the flag is seen down after
  // the store, no callback can still be in the old renderer or enter it.
  gMixer->renderer.store(renderer);
  while (gMixer->rendering.load()) std::this_thread::yield();
}

void AudioSetCallbackHookForTesting(AudioCallbackHook hook) { gMixer->hook.store(hook); }

// Hands a decoded clip to the callback for its sample (see AudioPlayWavMemoryAt).
static bool PostClip(std::vector<float> clip, int64_t dueUs) {
  std::lock_guard<std::mutex> lock(gAudioMutex);
  if (!gDevice) return false;
  {
    std::lock_guard<std::mutex> clipLock(gMixer->clipMutex);
    gMixer->nextClip.swap(clip);
    gMixer->nextDueUs = dueUs;
    gMixer->nextWaiting = true;
  }
  return true;  // the clip swapped out is freed here, outside the audio thread's reach
}

bool AudioPlayWavMemoryAt(const uint8_t* data, size_t size, int64_t dueUs) {
  if (!AudioOpen()) return false;
  std::vector<float> clip;
  if (!DecodeWav(data, size, &clip)) return false;
  return PostClip(std::move(clip), dueUs);
}

bool AudioPlayWavFileAt(const std::string& path, int64_t dueUs) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (!AudioOpen()) return false;
  const int rate = AudioSampleRate();
  {
    std::lock_guard<std::mutex> lock(gFileClipMutex);
    const FileClip& c = *gFileClip;
    if (c.path == path && c.device == st.st_dev && c.inode == st.st_ino && c.size == st.st_size &&
        c.modified.tv_sec == st.st_mtim.tv_sec && c.modified.tv_nsec == st.st_mtim.tv_nsec && c.rate == rate)
      return c.decoded && PostClip(c.clip, dueUs);
  }
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() < (64u << 20))
    bytes.insert(bytes.end(), chunk, chunk + n);
  fclose(f);
  std::vector<float> clip;
  const bool decoded = DecodeWav(bytes.data(), bytes.size(), &clip);
  {
    std::lock_guard<std::mutex> lock(gFileClipMutex);
    FileClip& c = *gFileClip;
    c.path = path, c.device = st.st_dev, c.inode = st.st_ino, c.size = st.st_size, c.modified = st.st_mtim;
    c.rate = rate, c.decoded = decoded, c.clip = clip;
  }
  return decoded && PostClip(std::move(clip), dueUs);
}

bool AudioBeep(int frequencyHz, int durationMs) {
  if (frequencyHz <= 0 || durationMs <= 0 || !AudioOpen()) return false;
  {
    std::lock_guard<std::mutex> lock(gAudioMutex);
    if (!gDevice) return false;
    WithDeviceLocked([&] {
      gMixer->toneHz = frequencyHz;
      gMixer->toneFramesLeft = (long)gDeviceRate * durationMs / 1000;
      gMixer->tonePhase = 0.0;
    });
  }
  ClockSleepMs((uint32_t)durationMs);
  return true;
}
