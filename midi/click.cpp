// midi/click: the two synthesised clicks, the playing of a click with its fallbacks, and the
// metronome's stop.
#include "midi/click.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <system_error>
#include <thread>

#include "midi/teaching_record.h"
#include "platform/audio.h"

// ---- state ----
namespace {
constexpr int kClickRate = 22050;

bool DevicePlayFile(const std::string& path, int64_t dueUs) { return AudioPlayWavFileAt(path, dueUs); }
bool DevicePlayMemory(const std::vector<uint8_t>& wav, int64_t dueUs) {
  return AudioPlayWavMemoryAt(wav.data(), wav.size(), dueUs);
}
void DeviceBeep(int frequencyHz, int durationMs) { AudioBeep(frequencyHz, durationMs); }
const ClickPlayer kDevicePlayer{DevicePlayFile, DevicePlayMemory, DeviceBeep};
const ClickPlayer* gClickPlayer = &kDevicePlayer;  // what plays clicks

// The two clicks, built once and never changed (a playing sound may still read them).
std::once_flag gClicksBuilt;
std::vector<uint8_t>* gNormalClick = nullptr;
std::vector<uint8_t>* gAccentClick = nullptr;
// A beep thread is on its way. Each click whose sound failed would otherwise start one more thread
// that queues to open the failing device again, late beeps piling up behind it.
std::atomic<bool> gBeepInFlight{false};
}  // namespace

// ---- private helpers ----
static void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back((uint8_t)(v & 0xFF));
  out.push_back((uint8_t)((v >> 8) & 0xFF));
}
static void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
static void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back((uint8_t)tag[i]);
}

static void BuildClicks() {
  gNormalClick = new std::vector<uint8_t>(MakeClickWav(1480.0f, 0.03f, 0.52f, false));
  gAccentClick = new std::vector<uint8_t>(MakeClickWav(920.0f, 0.04f, 0.72f, true));
}

// ---- public functions ----
void SetClickPlayer(const ClickPlayer* player) { gClickPlayer = player ? player : &kDevicePlayer; }

std::vector<uint8_t> MakeClickWav(float frequencyHz, float durationS, float volume, bool accent) {
  long n = lroundf(durationS * (float)kClickRate);
  if (n < 1) n = 1;
  uint32_t dataBytes = (uint32_t)(2 * n);
  std::vector<uint8_t> wav;
  wav.reserve(44 + dataBytes);
  PutTag(wav, "RIFF");
  Put32(wav, 36 + dataBytes);
  PutTag(wav, "WAVE");
  PutTag(wav, "fmt ");
  Put32(wav, 16);
  Put16(wav, 1);  // PCM
  Put16(wav, 1);  // mono
  Put32(wav, kClickRate);
  Put32(wav, kClickRate * 2);
  Put16(wav, 2);
  Put16(wav, 16);
  PutTag(wav, "data");
  Put32(wav, dataBytes);

  const float twoPi = 6.2831855f;
  const float bodyRate = accent ? 7.5f : 9.5f;
  const float transientRate = accent ? 18.0f : 22.0f;
  const float transientHz = accent ? 2800.0f : 2100.0f;
  const float transientLevel = accent ? 0.55f : 0.42f;
  const float last = (float)std::max(n - 1, 1L);
  for (long k = 0; k < n; ++k) {
    float t = (float)k / (float)kClickRate;
    float p = (float)k / last;
    float e1 = expf(-p * bodyRate);
    float e2 = expf(-p * transientRate);
    float attack = std::clamp(t / 0.0025f, 0.0f, 1.0f);
    float s = sinf(twoPi * transientHz * t) * transientLevel * e2 * attack +
              sinf(twoPi * frequencyHz * t) * 0.5f * e1 + sinf(twoPi * 2.0f * frequencyHz * t) * 0.18f * e1;
    s = std::clamp(s * volume, -1.0f, 1.0f);
    int16_t sample = (int16_t)lroundf(s * 32767.0f);
    Put16(wav, (uint16_t)sample);
  }
  return wav;
}

bool PlayClickSoundFromMemory(const std::vector<uint8_t>& wav, int64_t dueUs) {
  return !wav.empty() && gClickPlayer->playMemory(wav, dueUs);
}

void BeepClickThread(BeepRequest* request) {
  request->player->beep(request->frequencyHz, request->durationMs);
  delete request;
  gBeepInFlight.store(false);
}

void PlayClick(const TeachingState& settings, bool accent, int64_t beatUs) {
  bool useAccent = accent && settings.downbeatSound;
  if (useAccent && !settings.downbeatWavPath.empty() && gClickPlayer->playFile(settings.downbeatWavPath, beatUs))
    return;
  std::call_once(gClicksBuilt, BuildClicks);
  const std::vector<uint8_t>& wav = useAccent ? *gAccentClick : *gNormalClick;
  if (PlayClickSoundFromMemory(wav, beatUs)) return;
  if (gBeepInFlight.exchange(true)) return;  // the beep before is still trying: this click is lost
  auto* request = new BeepRequest{gClickPlayer, useAccent ? 1046 : 1480, useAccent ? 16 : 12};
  try {
    std::thread(BeepClickThread, request).detach();
  } catch (const std::system_error&) {
    delete request;  // no thread: this click is lost, nothing else depends on it
    gBeepInFlight.store(false);
  }
}

void StopMetronome() {
  if (!gTeachingState.metronomeOn) return;
  gTeachingState.metronomeOn = 0;
  gTeachingState.gridRunning = 0;
  gTeachingState.clickFlash = 0.0f;
}
