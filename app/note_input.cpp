// app/note_input: the raw-input branch, the note and sustain handlers and the note tables.
//
// Depends on the theory helpers (ring positions, the off-scale test, chromatic runs), the ring
// palette of the circle, the event-time estimate of the MIDI input, and the judges of the practice
// records and play-along, which receive device notes only.
#include <algorithm>

#include "app/base/logs.h"
#include "app/base/note_tables.h"
#include "app/base/timing_log.h"
#include "app/note_input.h"
#include "midi/midi_event_time.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "practice/achievement_tracking.h"
#include "practice/practice_run_input.h"
#include "practice/teaching_timing.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/ring_palette.h"

// ---- constants ----
static const float kNoteGlowMax = 2.4f;          // gNoteGlow cap; +1.0 per note-on
static const float kOffScaleR = 1.0f, kOffScaleG = 0.22f, kOffScaleB = 0.2f;

// ---- state ----
NoteFeedTrace gNoteFeedTrace = nullptr;         // test hook

// ---- internal helpers ----
static void Trace(const char* feed) {
  if (gNoteFeedTrace) gNoteFeedTrace(feed);
}

static HeldNote* FindHeldNote(int note) {
  for (HeldNote& h : gHeldNotes)
    if (h.note == note) return &h;
  return nullptr;
}

static uint32_t TakeNoteOnSerial() {
  uint32_t serial = gNoteOnSerial;
  if (++gNoteOnSerial == 0) gNoteOnSerial = 1;
  return serial;
}

// Device note-on: the judges and trackers in their fixed order. A note number above 127 can only
// come from a malformed message; it never reaches them, since they index 128-entry key tables.
static void FeedDeviceNoteOn(int note, int velocity, uint32_t t) {
  if (note > 127) return;
  if (gSongEvents.empty()) {
    Trace("DetectChromaticRun");
    DetectChromaticRun(note, t);
  } else {
    Trace("ResetChromaticDetector");
    ResetChromaticDetector();
  }
  Trace("OnTeachingNoteOnset");
  OnTeachingNoteOnset(note, velocity);
  Trace("OnPracticeNoteOn");
  OnPracticeNoteOn(note, velocity, t);
  Trace("TrackAchievementNote");
  TrackAchievementNote(note, t);
  Trace("PlayAlongNoteInput");
  PlayAlongNoteInput(note, velocity, t);
}

static void HandleNoteOn(HeldNote* rec, int note, int velocity, int channel, uint16_t bit,
                         uint32_t now, uint32_t t, bool device) {
  uint32_t serial = TakeNoteOnSerial();
  if (!rec) {
    gHeldNotes.push_back(HeldNote{note, velocity, 1, 1, 0, now, serial, channel, bit, !device});
  } else {
    if (!rec->keyDown) rec->channelMask = 0;
    rec->channelMask |= bit;
    rec->sounding = 1;
    rec->keyDown = 1;
    rec->sustained = 0;
    rec->velocity = velocity;
    rec->arrivalMs = now;
    rec->serial = serial;
    rec->channel = channel;
    rec->displayOnly = !device;
  }
  int pc = note % 12;
  float a = (float)velocity / 127.0f;
  if (a > 0) gPcActivity[pc] = std::min(1.0f, gPcActivity[pc] + std::min(1.0f, a));
  if (note <= 127) {
    gNoteGlow[note] = std::min(kNoteGlowMax, gNoteGlow[note] + 1.0f);
    gWrongNoteMark[note] = false;
  }
  if (device) FeedDeviceNoteOn(note, velocity, t);

  PlayedNote played{note, now, serial, kOffScaleR, kOffScaleG, kOffScaleB, 1};
  if (!IsOffScaleNote(note)) {
    const float* c = kRingPalette[RingPosOfPitchClass(pc)];
    played.r = std::clamp(c[0], 0.0f, 1.0f);
    played.g = std::clamp(c[1], 0.0f, 1.0f);
    played.b = std::clamp(c[2], 0.0f, 1.0f);
    played.offScale = 0;
  }
  gPlayedNotes.push_back(played);
  if (gPlayedNotes.size() > (size_t)kPlayedNoteMax)
    gPlayedNotes.erase(gPlayedNotes.begin(),
                       gPlayedNotes.begin() + (gPlayedNotes.size() - kPlayedNoteMax));
}

static void HandleNoteOff(HeldNote* rec, int note, uint32_t t, bool device) {
  if (rec && rec->keyDown && device && note <= 127) {
    Trace("JudgePlayAlongNotes");
    JudgePlayAlongNotes(t, note);
    rec = FindHeldNote(note);  // the judge may have sent notes of its own meanwhile
  }
  if (rec) {
    rec->keyDown = 0;
    rec->channelMask = 0;
    rec->sounding = gSustainDown ? 1 : 0;
    rec->sustained = gSustainDown ? 1 : 0;
  }
  if (device && note <= 127) {
    Trace("RecordPracticeStepTiming");
    RecordPracticeStepTiming(note, t);
  }
}

// ---- public functions ----
void HandleMidiInData(uint64_t wParam, int64_t lParam) {
  gMidiInMessageCount.fetch_add(1);
  uint32_t msg = (uint32_t)wParam;
  uint32_t status = msg & 0xFF, data1 = (msg >> 8) & 0xFF, data2 = (msg >> 16) & 0xFF;
  uint32_t kind = status & 0xF0, channel = status & 0x0F;
  uint64_t ts = (uint64_t)(uint32_t)lParam;
  uint64_t noteW = (ts << 32) | ((uint64_t)(channel + 1) << 8) | data1;
  switch (kind) {
    case 0x90:  // note on; velocity 0 travels unchanged and arrives as a note-off
      gLastMidiInputMs = ClockMs32();
      PostAppMessage(kMsgMidiNote, noteW, (int64_t)data2);
      break;
    case 0x80:  // note off; the release velocity is dropped
      gLastMidiInputMs = ClockMs32();
      PostAppMessage(kMsgMidiNote, noteW, 0);
      break;
    case 0xB0:
      if (data1 == 64) {
        gLastMidiInputMs = ClockMs32();
        PostAppMessage(kMsgMidiSustain, ts, (int64_t)data2);
      } else if (data1 == 120 || data1 == 123) {
        // All sound off, all notes off: what a sequencer or a DAW sends when it stops, often in
        // place of each note's own note-off, which would leave its keys lit for good. Handled in
        // turn with the notes, so a note-on just before it is let go as well.
        gLastMidiInputMs = ClockMs32();
        PostAppMessage(kMsgMidiAllNotesOff, noteW & ~(uint64_t)0xFF, 0);
      }
      break;
    default:
      break;
  }
}

void HandleMidiInError(uint32_t, uint64_t, int64_t) {
  gMidiInHardFail = true;
  DebugLog("[MIDI] HARD FAIL: MM_MIM_ERROR / MM_MIM_LONGERROR\n");
}

void HandleMidiNoteMessage(uint64_t wParam, int64_t lParam) {
  int note = (int)(wParam & 0xFF);
  int channel = (int)((wParam >> 8) & 31) - 1;
  uint32_t low = (uint32_t)(uint64_t)lParam;
  int velocity = (int32_t)(low & ~(uint32_t)kNoteDisplayOnly);
  uint32_t ts = (uint32_t)(wParam >> 32);
  bool displayOnly = (low & (uint32_t)kNoteDisplayOnly) != 0;

  HeldNote* rec = FindHeldNote(note);
  uint16_t bit = (channel >= 0 && channel <= 15) ? (uint16_t)(1u << channel) : 0;
  if (!bit) channel = -1;  // the 5-bit field can hold no channel above 15
  if (bit && rec) {
    if (velocity > 0) {
      // Already down on another channel: the second channel only joins the mask.
      if (rec->keyDown && rec->channelMask && !(rec->channelMask & bit)) {
        rec->channelMask |= bit;
        return;
      }
    } else if ((rec->channelMask & bit) && (rec->channelMask & ~bit)) {
      rec->channelMask &= (uint16_t)~bit;  // another channel still holds the key
      return;
    }
  }

  uint32_t now = ClockMs32();
  bool device = !gSyntheticNoteInput && !displayOnly;
  uint32_t t = device ? EstimateMidiEventTime(ts, now) : now;
  int32_t savedLag = gMidiEventLagMs;
  gMidiEventLagMs = (int32_t)(now - t);
  if (velocity > 0 && device) NoteKeyHandled(note, ts);
  if (velocity > 0)
    HandleNoteOn(rec, note, velocity, channel, bit, now, t, device);
  else
    HandleNoteOff(rec, note, t, device);
  gMidiEventLagMs = savedLag;
}

void HandleMidiAllNotesOffMessage(uint64_t wParam, int64_t) {
  const int channel = (int)((wParam >> 8) & 31) - 1;
  if (channel < 0 || channel > 15) return;
  // Each key the channel holds down gets its note-off; the pedal goes on holding what it holds.
  int notes[128], count = 0;
  for (const HeldNote& h : gHeldNotes)
    if (h.keyDown && !h.displayOnly && (h.channelMask & (1u << channel)) && h.note >= 0 && h.note < 128 && count < 128)
      notes[count++] = h.note;
  for (int i = 0; i < count; ++i) HandleMidiNoteMessage(wParam | (uint64_t)notes[i], 0);
}

void HandleMidiSustainMessage(uint64_t wParam, int64_t lParam) {
  bool wasDown = gSustainDown;
  gSustainDown = (int32_t)(uint32_t)(uint64_t)lParam >= 64;
  uint32_t now = ClockMs32();
  // The pedal's stamp only advances the estimate, so a later key is never dated before it.
  if ((uint32_t)wParam != 0) EstimateMidiEventTime((uint32_t)wParam, now);
  if (wasDown && !gSustainDown)
    for (HeldNote& h : gHeldNotes) {
      h.sounding = h.keyDown;
      h.sustained = 0;
    }
}
