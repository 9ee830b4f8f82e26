// app/base/timing_log: start-up and key-to-pixel timing lines under TONVARRA_TIMING_LOG.
#include "app/base/timing_log.h"

#include <cstdio>
#include <ctime>

#include "app/base/logs.h"
#include "platform/clock.h"
#include "platform/process.h"

// ---- constants ----
static const char kTimingSwitch[] = "TONVARRA_TIMING_LOG";
static const int kMaxSteps = 24;
static const int kMaxWaitingKeys = 64;  // a chord of ten, a glissando: more in one frame is noise

// ---- state ----
static int gTimingOn = -1;                        // -1 unread, 0 off, 1 on
static int64_t gMainMicros = -1;                  // when main began, -1 before
static const char* gStepNames[kMaxSteps];         // start-up steps in order
static int64_t gStepMicros[kMaxSteps];            // when each ended
static int64_t gStepCpuMicros[kMaxSteps];         // the UI thread's processor time by then
static int gStepCount = 0;                        // steps marked
static bool gFirstFrameLogged = false;            // the start-up line went out
static int gWaitingNotes[kMaxWaitingKeys];        // keys handled, not yet swapped
static uint32_t gWaitingStamps[kMaxWaitingKeys];  // their callback stamps
static int64_t gWaitingHandled[kMaxWaitingKeys];  // when each was handled
static int gWaitingCount = 0;                     // keys waiting

// ---- public functions ----
bool TimingLogOn() {
  if (gTimingOn < 0) gTimingOn = ProcessEnvSwitch(kTimingSwitch) ? 1 : 0;
  return gTimingOn == 1;
}

void SetTimingLogOnForTesting(bool on) { gTimingOn = on ? 1 : 0; }

void MarkProgramEntry() {
  if (!TimingLogOn()) return;
  gMainMicros = ClockMicros64();
  MarkStartupStep("main");  // the processor time of loading and static set-up
}

void MarkStartupStep(const char* name) {
  if (!TimingLogOn()) return;
  if (gFirstFrameLogged) {
    int64_t mainMicros = gMainMicros >= 0 ? gMainMicros : ClockMicros64();
    DebugLog("%s", FormatStepLine(name, (double)(ClockMicros64() - mainMicros) / 1000.0,
                                  (double)ClockThreadCpuMicros() / 1000.0).c_str());
    return;
  }
  if (gStepCount >= kMaxSteps) return;
  gStepNames[gStepCount] = name;
  gStepCpuMicros[gStepCount] = ClockThreadCpuMicros();
  gStepMicros[gStepCount++] = ClockMicros64();
}

void MarkFirstFrameDrawn() {
  if (TimingLogOn() && !gFirstFrameLogged) MarkStartupStep("drawn");
}

void NoteKeyHandled(int note, uint32_t stampMs) {
  if (!TimingLogOn() || stampMs == 0 || gWaitingCount >= kMaxWaitingKeys) return;
  gWaitingNotes[gWaitingCount] = note;
  gWaitingHandled[gWaitingCount] = ClockMicros64();
  gWaitingStamps[gWaitingCount++] = stampMs;
}

void NoteFrameSwapped(int64_t swapMicros, bool drewNotes) {
  if (!TimingLogOn()) return;
  if (!gFirstFrameLogged) {
    gFirstFrameLogged = true;
    int64_t processMicros = ProcessStartMicros();
    int64_t mainMicros = gMainMicros >= 0 ? gMainMicros : swapMicros;
    double sinceProcess = processMicros >= 0 ? (double)(swapMicros - processMicros) / 1000.0 : -1.0;
    DebugLog("%s", FormatStartupLine(sinceProcess, (double)(swapMicros - mainMicros) / 1000.0,
                                     (double)ClockThreadCpuMicros() / 1000.0).c_str());
    // One line per step: the debug output cuts long lines.
    for (int i = 0; i < gStepCount; ++i)
      DebugLog("%s", FormatStepLine(gStepNames[i], (double)(gStepMicros[i] - mainMicros) / 1000.0,
                                    (double)gStepCpuMicros[i] / 1000.0).c_str());
  }
  for (int i = 0; drewNotes && i < gWaitingCount; ++i)
    DebugLog("%s", FormatKeyLine(gWaitingNotes[i], gWaitingStamps[i], gWaitingHandled[i], swapMicros).c_str());
  gWaitingCount = 0;
}

std::string FormatStartupLine(double sinceProcessMs, double sinceMainMs, double cpuMs) {
  char text[160];
  snprintf(text, sizeof text,
           "[timing] first frame %.1f ms after process start (%.1f ms after main, UI thread cpu %.1f ms)\n",
           sinceProcessMs, sinceMainMs, cpuMs);
  return text;
}

std::string FormatStepLine(const char* name, double sinceMainMs, double cpuMs) {
  char text[160];
  snprintf(text, sizeof text, "[timing] step %s done %.1f ms after main, UI thread cpu %.1f ms\n", name,
           sinceMainMs, cpuMs);
  return text;
}

std::string FormatKeyLine(int note, uint32_t stampMs, int64_t handledMicros, int64_t swapMicros) {
  // The stamp has whole milliseconds of the same clock; the difference is taken on 32 bits so the
  // wrap of the millisecond clock does not matter.
  int32_t latency = (int32_t)((uint32_t)(swapMicros / 1000) - stampMs);
  char text[200];
  snprintf(text, sizeof text, "[timing] key %d callback %u ms handled %lld us swap %lld us latency %d ms\n", note,
           stampMs, (long long)handledMicros, (long long)swapMicros, latency);
  return text;
}

void ResetTimingLog() {
  gTimingOn = -1;
  gMainMicros = -1;
  gStepCount = 0;
  gFirstFrameLogged = false;
  gWaitingCount = 0;
}
