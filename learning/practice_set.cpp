// learning/practice_set: opening library items for practice and the practice set that plays them
// one after another.
//
// Section index: constants, state, internal helpers, opening an item, the set.
#include "learning/practice_set.h"

#include <algorithm>
#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "gfx/layout.h"
#include "gfx/translate.h"
#include "learning/attempt_rules.h"
#include "learning/attempts.h"
#include "learning/iso_dates.h"
#include "learning/learning_files.h"
#include "learning/library_text.h"
#include "learning/library_view_state.h"
#include "learning/note_opener.h"
#include "learning/radar_flash.h"
#include "learning/lessons.h"
#include "learning/schedule.h"
#include "learning/sight_score.h"
#include "midi/midi_output.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playlist.h"
#include "platform/clock.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- constants ----
// Words of an item's text that pick its scale, tried in order; the first found wins.
static const struct { const char* keyword; const char* row; } kScaleKeywords[] = {
    {"chromatic", "Chromatic"}, {"whole tone", "Whole Tone"}, {"melodic minor", "Melodic Minor"},
    {"harmonic minor", "Harmonic Minor"}, {"harmonic major", "Harmonic Major"},
    {"major pentatonic", "Major Pentatonic"}, {"minor pentatonic", "Minor Pentatonic"},
    {"major blues", "Major Blues"}, {"minor blues", "Minor Blues"}, {"mixo-blues", "Mixo-Blues"},
    {"mixolydian", "Mixolydian"}, {"dominant seventh", "Mixolydian"}, {"dorian", "Dorian"},
    {"phrygian", "Phrygian"}, {"lydian", "Lydian"}, {"locrian", "Locrian"}, {"ionian", "Ionian"},
    {"aeolian", "Aeolian"}, {"natural minor", "Aeolian"}, {"octatonic", "Octatonic H-W"},
    {"diminished", "Diminished"}, {"augmented", "Augmented"}, {" minor", "Aeolian"}, {" major", "Ionian"}};
static const uint32_t kRadarFlashMs = 2600;   // the next card's song waits this long for the radar

// ---- state ----
std::string gPracticeItemId;                 // see the header
std::string gPracticeStudentKey;
std::string gPracticeItemDay;
std::string gLastRecordedItemId;
std::vector<std::string> gPracticeSetIds;
int gPracticeSetIndex = -1;
bool gPracticeSetActive = false;
bool gPracticeSetSkipDone = true;
bool gLoadingPracticeCard = false;
void (*gArmSongViewHook)() = nullptr;        // the shell's song-view keep-alive
void (*gRememberNoteFallViewsHook)() = nullptr;  // note-fall mode's memory of the views it left
static std::string gPracticeSetDay;          // the day a daily set plays, empty for none
static std::vector<std::string> gUnloadedCards;   // names of the cards the last walk passed over unloaded

// ---- internal helpers ----
// The item's key: its key column, else the key named after " in " (or, for scales and chords, at
// the start of the name), else the loaded song's key; 12 for none.
static int ItemKeyPitchClass(const LibraryItem& item) {
  if (item.key_pitch_class >= 0 && item.key_pitch_class <= 11) return item.key_pitch_class;
  std::string name = AsciiLowerCopy(item.name);
  int pc = 12;
  size_t in = name.find(" in ");
  if (in != std::string::npos) pc = ParseKeyPitchClass(name, in + 4);
  if (pc == 12 && (item.category == "scales" || item.category == "chords")) pc = ParseKeyPitchClass(name, 0);
  if (pc == 12 && gSongKey >= 0 && gSongKey <= 11) pc = gSongKey;
  return pc;
}

static const ScaleRow* ItemScaleRow(const LibraryItem& item) {
  std::string text = AsciiLowerCopy(item.name + " " + item.type + " " + item.form + " " + item.repertoire_category);
  for (const auto& k : kScaleKeywords)
    if (text.find(k.keyword) != std::string::npos) return FindScaleRowByName(k.row);
  return FindScaleRowByName(gSongMinor ? "Aeolian" : "Ionian");
}

// The set's news, naming the cards just passed over because their songs did not load: the set
// jumps ahead, and the user must learn why.
static std::string WithUnloadedCards(const std::string& text) {
  if (gUnloadedCards.empty()) return text;
  std::string names;
  for (const std::string& name : gUnloadedCards) names += (names.empty() ? "" : ", ") + name;
  return TrF("%s (%s could not load)", Tr(text).c_str(), names.c_str());
}

// The set's news once a card has ended, unless a save of the finished card failed: that message
// stays, since the news would hide that the card's progress may not have been kept.
static void SayAfterCard(bool saveFailed, const std::string& text) {
  gStatusText = saveFailed ? kSaveFailureMessage : text;
}

static std::string CardStatus(const LibraryItem& item) {
  return WithUnloadedCards(
      TrF("Selected practice %d/%zu - %s", gPracticeSetIndex + 1, gPracticeSetIds.size(), Tr(item.name).c_str()));
}

// From the set's index on: the first card that is there, not done (in a daily set) and loads.
// Done means done on the set's own day, whatever view the library shows meanwhile: a block of a
// mastered piece is not done until it is played that day.
static const LibraryItem* OpenCardFromIndex(bool skipDone) {
  gUnloadedCards.clear();
  for (; gPracticeSetIndex >= 0 && gPracticeSetIndex < (int)gPracticeSetIds.size(); ++gPracticeSetIndex) {
    const LibraryItem* item = FindLibraryItem(gPracticeSetIds[gPracticeSetIndex]);
    if (!item || (skipDone && IsItemDoneOnDay(*item, gPracticeSetDay))) continue;
    const LibraryItem copy = *item;
    if (LoadLibraryItem(copy)) return FindLibraryItem(copy.id);
    gUnloadedCards.push_back(Tr(copy.name));
  }
  return nullptr;
}

// ---- opening an item ----
std::string LibraryItemMidiPath(const LibraryItem& item) {
  std::string file = item.file;
  std::replace(file.begin(), file.end(), '\\', '/');
  return file.rfind('/', 0) == 0 ? file : LibraryFolderPath() + file;
}

bool LoadLibraryItem(const LibraryItem& item) {
  const LibraryItem copy = item;   // the load's reset must not pull the item away
  gLoadingPracticeCard = true;
  bool loaded = LoadAndPlayMidi(LibraryItemMidiPath(copy));
  gLoadingPracticeCard = false;
  if (!loaded) {
    ForgetUnplayableItem(copy.id);
    if (DropUnplayableBlocksOfDoneDay(!gPracticeSetDay.empty() ? gPracticeSetDay : gCurrentLearningDay)) SaveCalendar();
    return false;
  }
  OpenLibraryItem(copy);
  return true;
}

void OpenLibraryItem(const LibraryItem& item) {
  int pc = ItemKeyPitchClass(item);
  if (pc >= 0 && pc <= 11) {
    int ring = 0;
    for (int i = 0; i < 12; ++i)
      if (kFifthsOrder[i] == pc) ring = i;
    SelectScale(ItemScaleRow(item), ring, true);
  }
  RecordItemForActiveStudent(item);
  gLibraryOpen = false;
  gLibraryOpenedMs = 0;
  gSongTitle = item.subtitle.empty() ? item.name : item.name + " - " + item.subtitle;
  gLearningItemLoaded = true;
  // The lesson's song is no entry of a playlist loaded before it: its end must record the attempt,
  // not step on to the playlist's next song.
  ClearPlaylistEntries();
  gPlayAlongStartPending = true;
  if (!gPracticeMode && !gSongView) {
    // Leaving note-fall mode gives back the views the item was opened from.
    if (gRememberNoteFallViewsHook) gRememberNoteFallViewsHook();
    gPracticeMode = gSongView = gWaitMode = true;
    gLearningOverlay = false;
  }
  bool sight = item.category == "sight";
  gSightReadingMode = sight;
  gRhythmStudyMode = false;
  ResetSightScore();
  if (sight) LoadSightScore(LibraryItemMidiPath(item) + ".sightscore.tsv");
  // An item that opens into note-fall mode enters it as the NOTE FALL button does: the sight-reading
  // view follows the score, so a reading piece's bars stay hidden until they near the keys.
  if (gPracticeMode) gSightReadingView = SightScoreHasNotes();
  ReapplyScaleSelection();
  SetPlayAlongRun(true, false);
  if (gArmSongViewHook) gArmSongViewHook();
  // Without a sound output the load's own line stays: that nothing will be heard matters more.
  if (IsMidiOutputOpen())
    gStatusText = sight ? "Sight-reading loaded - read the staff" : "Practice loaded - play the falling notes";
  RelayoutAll();
}

void RecordItemForActiveStudent(const LibraryItem& item) {
  gPracticeItemId = item.id;
  gPracticeStudentKey = StudentFileKey();
  auto day = gLearningCalendar.find(gCurrentLearningDay);
  bool onDay = day != gLearningCalendar.end() && ContainsId(day->second.assigned, item.id);
  gPracticeItemDay = onDay ? gCurrentLearningDay : "";
}

// ---- the set ----
void ClearPracticeSet() {
  gPracticeSetIds.clear();
  gPracticeSetActive = false;
  gPracticeSetIndex = -1;
  gPracticeSetSkipDone = true;
  gPracticeSetDay.clear();
}

bool StartSelectedPractice() {
  gPracticeSetIds.clear();
  for (const LibraryItem& item : gLibraryItems)
    if (gSelectedCards.count(item.id) && IsItemAvailable(item)) gPracticeSetIds.push_back(item.id);
  if (gPracticeSetIds.empty()) {
    gPracticeSetIndex = -1;
    gPracticeSetActive = false;
    gStatusText = "Select available practice cards first";
    return false;
  }
  gChoosingPractice = false;
  gPracticeSetSkipDone = false;
  gSelectedCards.clear();
  gPracticeSetActive = true;
  gPracticeSetIndex = 0;
  const LibraryItem* opened = OpenCardFromIndex(false);
  if (!opened) {
    ClearPracticeSet();
    gStatusText = "Selected practice could not load";
    return false;
  }
  gStatusText = CardStatus(*opened);
  return true;
}

bool StartDailyPracticeSet(const std::vector<std::string>& ids) {
  ClearPracticeSet();   // a daily set: cards done today are passed over as it advances
  gPracticeSetIds = ids;
  gPracticeSetDay = !gCurrentLearningDay.empty() ? gCurrentLearningDay : TodayIsoDate();
  gChoosingPractice = false;
  gSelectedCards.clear();
  if (ids.empty()) return false;
  gPracticeSetActive = true;
  gPracticeSetIndex = 0;
  // The leading card plays even when done (a done block may be picked to play again).
  if (OpenCardFromIndex(false)) {
    gStatusText = WithUnloadedCards(gStatusText);
    return true;
  }
  const std::string day = gPracticeSetDay;
  ClearPracticeSet();
  // The blocks passed over now count in no day: the open day is shown again without them, or its
  // list and counts would still ask for blocks that cannot be played while the day is done.
  if (!gUnloadedCards.empty() && gViewingPlannedDay.empty() && gCurrentLearningDay == day) OpenCalendarDay(day);
  gStatusText = IsCurrentDayComplete()
                    ? WithUnloadedCards("Daily lesson complete - choose NEXT LESSON when ready")
                    : std::string("Selected practice could not load");
  return false;
}

bool AdvancePracticeSet() {
  if (!gPracticeSetActive) return false;
  std::string finished = gPracticeItemId;
  bool justRecorded = !finished.empty() && gLastRecordedItemId == finished;
  gLastRecordedItemId.clear();
  const bool saveFailed = gStatusText == kSaveFailureMessage;   // by the finished card's recording
  ++gPracticeSetIndex;
  if (const LibraryItem* opened = OpenCardFromIndex(gPracticeSetSkipDone)) {
    SayAfterCard(saveFailed, CardStatus(*opened));
    if (justRecorded && FindLibraryItem(finished)) {
      // The new song waits while the radar of the finished card shows.
      uint32_t now = ClockMs32();
      StartRadarFlash(finished, now, kRadarFlashMs);
      PausePlayback(now);
    }
    return true;
  }
  gRadarFlashEndMs = 0;
  std::string day = !gPracticeItemDay.empty() ? gPracticeItemDay : !gCurrentLearningDay.empty() ? gCurrentLearningDay : TodayIsoDate();
  bool daily = gPracticeSetSkipDone;
  ClearPracticeSet();
  gLibraryOpen = true;
  gLibraryOpenedMs = (uint32_t)std::llround(GetAppSeconds() * 1000.0) + 1u;
  if (daily) {
    gLibraryViewKey = "today";
    OpenCalendarDay(day);
    gLibraryScroll = 0.0f;
    SayAfterCard(saveFailed, WithUnloadedCards("Daily lesson complete - choose NEXT LESSON when ready"));
  } else {
    SayAfterCard(saveFailed, WithUnloadedCards("Practice set complete"));
  }
  RequestPerformanceNote(finished);
  return false;
}

void ResetPracticeSet() {
  ClearPracticeSet();
  gPracticeItemId.clear();
  gPracticeStudentKey.clear();
  gPracticeItemDay.clear();
  gLastRecordedItemId.clear();
  gLoadingPracticeCard = false;
  gRadarFlashEndMs = 0;
  gRadarItemId.clear();
  gUnloadedCards.clear();
}
