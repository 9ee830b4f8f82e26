// midi/device_pickers: the pickers' layouts, their clicks, the output switch with its saved choice,
// and the default sound output's name. No GL here.
#include "midi/device_pickers.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/client_size.h"
#include "app/base/logs.h"
#include "app/base/start_clock.h"
#include "gfx/translate.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "midi/playback.h"
#include "platform/audio.h"
#include "platform/file_replace.h"
#include "platform/sound_settings.h"

// ---- constants ----
constexpr uint64_t kEndpointNameMaxAgeMs = 3000;  // how long the default output's name is trusted

// ---- state ----
bool gMidiPickerOpen = false;      // the MIDI input list is open
bool gAudioOutPickerOpen = false;  // the audio-out list is open
bool (*gStartScreenShownHook)(double now) = nullptr;                    // the start screen's visibility
void (*gStartScreenRowHook)(float* scale, RectF* languageRow) = nullptr;  // its language row
bool (*gPlacementPromptAvailableHook)() = nullptr;                      // the quiz prompt may open
void (*gPlacementQuizRequestHook)() = nullptr;                          // asks for the quiz
static std::string gDefaultEndpointName;        // the default output's name as last asked
static uint64_t gDefaultEndpointAskedMs = 0;    // GetMonotonicMs of that question
static bool gDefaultEndpointAsked = false;      // it has been asked in this run
static std::vector<std::string> gMidiNamesShown;   // the open MIDI list's rows as last shown
static std::vector<std::string> gAudioNamesShown;  // the open audio-out list's ports as last shown
static int gMidiFirstRow = 0;    // the MIDI list's first row shown when not all fit
static int gAudioFirstRow = 0;   // the audio-out list's first row shown when not all fit

// ---- internal helpers ----
static bool StartScreenShown(double now) { return gStartScreenShownHook && gStartScreenShownHook(now); }

static bool LanguageListOpen() { return (gStartOpenLists & kStartListLanguage) != 0; }

static bool Inside(const RectF& r, float x, float y) { return r.x <= x && x <= r.x + r.w && r.y <= y && y <= r.y + r.h; }

// A header `steps` rows above the language row, with its list of `rows` rows opening upward,
// scrolled to `first` where not all fit.
static void StackedLayout(int steps, int rows, int first, PickerLayout* out) {
  float s = 1.0f;
  RectF row{-10000.0f, -10000.0f, 0.0f, 0.0f};
  if (gStartScreenRowHook) gStartScreenRowHook(&s, &row);
  PickerLayout l;
  l.scale = s;
  l.pad = std::max(10.0f * s, 8.0f);
  l.rowH = std::max(26.0f * s, 20.0f);
  l.rows = std::max(rows, 0);
  l.header = {row.x, row.y - (float)steps * (l.pad + row.h), row.w, row.h};
  float width = 0.4f * (float)gClientWidth;
  float lower = std::max(300.0f * s, row.w), upper = std::max(440.0f * s, row.w + 40.0f);
  if (width < lower) width = lower;
  if (width > upper) width = upper;
  // An empty list shows its message on two lines, so the promise that a keyboard connects on its
  // own is not cut off.
  const int lines = l.rows > 0 ? l.rows : 2;
  // A list held at the top margin would run on past the window's foot (forty JACK ports do),
  // where its last rows could be neither seen nor pressed: it shows the rows that fit between the
  // two margins, at least one, and scrolls.
  const int fit = (int)std::floor(((float)gClientHeight - 16.0f - 2.0f * l.pad) / l.rowH);
  l.shown = std::clamp(fit, 1, lines);
  l.first = std::clamp(first, 0, lines - l.shown);
  float height = (float)l.shown * l.rowH + 2.0f * l.pad;
  l.list = {l.header.x, std::max(8.0f, l.header.y - l.pad - height), width, height};
  *out = l;
}

static std::vector<std::string> CurrentNames(bool input) {
  std::vector<std::string> names;
  int n = input ? CountMidiInputDevices() : CountMidiOutputDevices();
  for (int i = 0; i < n; ++i) names.push_back(input ? MidiInDeviceName(i) : MidiOutDeviceName(i));
  return names;
}

static void SetMidiListOpen(bool open, double now) {
  if (open) gMidiNamesShown = CurrentNames(true);
  if (open && !gMidiPickerOpen) gMidiFirstRow = 0;
  if (gMidiPickerOpen == open) return;
  gMidiPickerOpen = open;
  SetStartListOpen(kStartListMidi, open, now);
}

static void SetAudioListOpen(bool open, double now) {
  if (open) gAudioNamesShown = CurrentNames(false);
  if (open && !gAudioOutPickerOpen) gAudioFirstRow = 0;
  if (gAudioOutPickerOpen == open) return;
  gAudioOutPickerOpen = open;
  SetStartListOpen(kStartListAudioOut, open, now);
}

// An open list as it was drawn: the press is read against the rows as shown (a list that opens
// upward would otherwise move them under the pointer when a device comes or goes), scrolled as
// they were.
static void OpenListLayout(bool midi, PickerLayout* out) {
  if (midi)
    StackedLayout(1, (int)gMidiNamesShown.size(), gMidiFirstRow, out);
  else
    StackedLayout(2, (int)gAudioNamesShown.size() + 2, gAudioFirstRow, out);
}

// The press on an open list: a row acts and closes it, the rest of the list keeps it, anywhere
// else closes it. Always taken.
template <typename Act>
static bool PressOnOpenList(const PickerLayout& l, float x, float y, double now, void (*setOpen)(bool, double), Act act) {
  int row = PickerRowAt(l, x, y);
  if (row < 0 && Inside(l.list, x, y)) return true;
  if (row >= 0) act(row);
  setOpen(false, now);
  return true;
}

// ---- public functions: layout ----
void ComputeMidiPickerLayout(PickerLayout* out) { StackedLayout(1, CountMidiInputDevices(), gMidiFirstRow, out); }

void ComputeAudioOutLayout(PickerLayout* out) {
  StackedLayout(2, CountMidiOutputDevices() + 2, gAudioFirstRow, out);
}

void NotePickerRowsShown(bool midi, const std::vector<std::string>& names) {
  (midi ? gMidiNamesShown : gAudioNamesShown) = names;
}

RectF PickerRowRect(const PickerLayout& l, int row) {
  if (row < l.first || row >= l.first + l.shown) return kHiddenRect;
  return {l.list.x + l.pad / 2.0f, l.list.y + l.pad + (float)(row - l.first) * l.rowH, l.list.w - l.pad, l.rowH};
}

int PickerRowAt(const PickerLayout& l, float x, float y) {
  // An empty list still shows one line (its message), and a press there counts as on a row.
  for (int i = l.first; i < std::min(l.first + l.shown, std::max(l.rows, 1)); ++i)
    if (Inside(PickerRowRect(l, i), x, y)) return i;
  return -1;
}

// ---- public functions: input ----
bool ClickMidiInputPanel(int xi, int yi) {
  double now = GetAppSeconds();
  float x = (float)xi, y = (float)yi;
  if (!StartScreenShown(now) || LanguageListOpen()) return false;
  PickerLayout l;
  if (!gMidiPickerOpen) {
    ComputeMidiPickerLayout(&l);
    if (!Inside(l.header, x, y)) return false;
    SetMidiListOpen(true, now);
    return true;
  }
  // The devices are counted again: a row whose keyboard went away (or whose place another took)
  // with the list open only closes it.
  OpenListLayout(true, &l);
  return PressOnOpenList(l, x, y, now, SetMidiListOpen, [&](int row) {
    if (row < (int)gMidiNamesShown.size() && row < CountMidiInputDevices() &&
        MidiInDeviceName(row) == gMidiNamesShown[(size_t)row])
      SwitchMidiInput((uint32_t)row);
  });
}

bool ClickAudioOutPanel(int xi, int yi) {
  double now = GetAppSeconds();
  float x = (float)xi, y = (float)yi;
  if (!StartScreenShown(now) || LanguageListOpen() || gMidiPickerOpen) return false;
  PickerLayout l;
  if (!gAudioOutPickerOpen) {
    ComputeAudioOutLayout(&l);
    if (!Inside(l.header, x, y)) return false;
    SetAudioListOpen(true, now);
    return true;
  }
  OpenListLayout(false, &l);
  int shownPorts = (int)gAudioNamesShown.size();
  return PressOnOpenList(l, x, y, now, SetAudioListOpen, [&](int row) {
    if (row == shownPorts + 1) {
      OpenSoundSettings();
      DefaultAudioEndpointName(true);
      return;
    }
    if (row == 0) {
      SwitchMidiOutput(-1, "");
      return;
    }
    // A port gone since the list was drawn (or now another in its place, or unreadable) is never
    // chosen: "Unknown device" or a neighbour's name is never saved.
    std::string name;
    if (row - 1 < CountMidiOutputDevices() && ReadMidiOutDeviceName(row - 1, &name) &&
        name == gAudioNamesShown[(size_t)row - 1])
      SwitchMidiOutput(row - 1, name);
  });
}

bool HitAudioOutPanel(int xi, int yi) {
  double now = GetAppSeconds();
  if (!StartScreenShown(now) || LanguageListOpen() || gMidiPickerOpen || gAudioOutPickerOpen) return false;
  // No prompt is drawn for this row, so it takes presses only while the quiz can really open.
  if (!gPlacementPromptAvailableHook || !gPlacementPromptAvailableHook()) return false;
  PickerLayout l;
  ComputeAudioOutLayout(&l);
  RectF above{l.header.x, l.header.y - l.pad - l.header.h, l.header.w, l.header.h};
  if (!Inside(above, (float)xi, (float)yi)) return false;
  EndStartScreenAtOnce(now);
  if (gPlacementQuizRequestHook) gPlacementQuizRequestHook();
  return true;
}

bool DevicePickersWheel(int xi, int yi, int delta) {
  if (!(gMidiPickerOpen || gAudioOutPickerOpen) || !StartScreenShown(GetAppSeconds()) || LanguageListOpen())
    return false;
  const bool midi = gMidiPickerOpen;
  PickerLayout l;
  OpenListLayout(midi, &l);
  if (!Inside(l.list, (float)xi, (float)yi)) return false;
  int rows = delta / 120;   // a notch up shows earlier rows
  if (rows == 0 && delta != 0) rows = delta > 0 ? 1 : -1;
  int& first = midi ? gMidiFirstRow : gAudioFirstRow;
  first = l.first - rows;
  OpenListLayout(midi, &l);
  first = l.first;   // kept within what the list can scroll
  return true;
}

// ---- public functions: sound output ----
std::string DefaultAudioEndpointName(bool force) {
  // An unknown name is trusted for its 3 s as well: asking the sound server every frame while it
  // has no answer would cost the start screen's frames for nothing.
  uint64_t now = GetMonotonicMs();
  if (!force && gDefaultEndpointAsked && now - gDefaultEndpointAskedMs < kEndpointNameMaxAgeMs)
    return gDefaultEndpointName;
  gDefaultEndpointName = AudioDefaultOutputName();
  gDefaultEndpointAskedMs = now;
  gDefaultEndpointAsked = true;
  return gDefaultEndpointName;
}

std::string AudioOutHeaderValue() {
  LoadSavedMidiOutName();
  if (!gMidiOutName.empty()) return gMidiOutName;
  std::string speakers = DefaultAudioEndpointName(false);
  return speakers.empty() ? Tr("System default") : speakers;
}

std::string AudioOutRowText(int row, int ports) {
  if (row == 0) return Tr("Built-in synth (General MIDI)");
  if (row <= ports) return MidiOutDeviceName(row - 1);
  std::string speakers = DefaultAudioEndpointName(false);
  return TrF("Speakers: %s   (change in sound settings)", (speakers.empty() ? Tr("unknown") : speakers).c_str());
}

bool SwitchMidiOutput(int device, const std::string& name) {
  // Read the saved name first, so its one read per run cannot later replace this choice.
  LoadSavedMidiOutName();
  // The song's keys are released the one way every position change uses, so none stays lit or
  // sounding on the old device; closing then forgets, resets and closes it.
  ReleaseSongNotes();
  CloseMidiOutput();
  gMidiOutName = device < 0 ? std::string() : name;
  std::string error;
  bool saved = ReplaceFileWithContent(MidiOutSettingsPath(), gMidiOutName, &error);
  if (!saved) DebugLog("[MIDI OUT] the output choice was not saved: %s\n", error.c_str());
  OpenMidiOutput();
  return saved;
}

void ResetDevicePickers() {
  gMidiPickerOpen = gAudioOutPickerOpen = false;
  gDefaultEndpointName.clear();
  gDefaultEndpointAskedMs = 0;
  gDefaultEndpointAsked = false;
  gMidiNamesShown.clear();
  gAudioNamesShown.clear();
  gMidiFirstRow = gAudioFirstRow = 0;
}
