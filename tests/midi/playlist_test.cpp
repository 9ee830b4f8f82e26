// The playlist: folder order, stepping with repeat and shuffle, failed entries, the two choosers
// with scripted dialogs; and the seek bar's mapping.
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "app/base/client_size.h"
#include "gfx/hit_regions.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "midi/seek_bar.h"
#include "platform/file_dialogs.h"
#include "tests/midi/transport_harness.h"

namespace {

// The scripted dialog: the answer to give and the last request seen.
bool gScriptAnswer = false;
std::string gScriptPath;
FileDialogRequest gScriptLast;
uint32_t gScriptTakesMs = 0;   // how long the user keeps the dialog open
bool RunScript(const FileDialogRequest& request, std::string* path) {
  gScriptLast = request;
  ClockDriveAdvance(gScriptTakesMs);
  if (gScriptAnswer) *path = gScriptPath;
  return gScriptAnswer;
}

class PlaylistTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    SetFileDialogScriptForTesting(RunScript);
  }
  void TearDown() override {
    SetFileDialogScriptForTesting(nullptr);
    gScriptTakesMs = 0;
    TransportTest::TearDown();
  }
  std::vector<std::string> MakeEntries(int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(Write("song" + std::to_string(i + 1) + ".mid", ScaleSong()));
    return out;
  }
};

}  // namespace

TEST_F(PlaylistTest, AFolderListsItsMidiFilesInNameOrder) {
  for (const char* name : {"b.MID", "A.mid", "c.midi", "notes.txt", "mid", "x.mid.bak"}) Write(name, ScaleSong());
  std::filesystem::create_directory(dir_.File("sub"));
  Write("sub/a0.mid", ScaleSong());
  std::filesystem::create_directory(dir_.File("folder.mid"));
  std::vector<std::string> files;
  ASSERT_TRUE(CollectMidiFiles(dir_.path(), files));
  EXPECT_EQ(files, (std::vector<std::string>{dir_.File("A.mid"), dir_.File("b.MID"), dir_.File("c.midi")}));

  EXPECT_FALSE(CollectMidiFiles(dir_.File("sub/a0.mid"), files));  // not a folder
  EXPECT_TRUE(files.empty());
  EXPECT_FALSE(CollectMidiFiles(dir_.File("missing"), files));
  std::filesystem::create_directory(dir_.File("empty"));
  EXPECT_FALSE(CollectMidiFiles(dir_.File("empty"), files));
}

TEST(PlaylistOrder, NamesFirstThenWholePaths) {
  struct Case {
    const char* a;
    const char* b;
    bool less;
  } cases[] = {
      {"/z/a.mid", "/a/B.mid", true}, {"/a/B.mid", "/z/a.mid", false}, {"/x/ab.mid", "/x/abc.mid", true},
      {"/b/x.mid", "/a/x.mid", false}, {"/d/X.mid", "/d/x.mid", true}, {"/d/x.mid", "/d/x.mid", false},
      {"c:\\m\\b.mid", "/a.mid", false},
  };
  for (const Case& c : cases) EXPECT_EQ(PlaylistPathLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

// The list's place ("2/3  Song2") is said for a song that will be heard; without a sound output
// the line keeps saying that the song plays on the display only.
TEST_F(PlaylistTest, WithoutASoundOutputTheLineSaysSoForEverySong) {
  gPlaylist = MakeEntries(3);
  ASSERT_TRUE(PlayPlaylistEntry(1));
  EXPECT_EQ(gStatusText, "2/3  Song2");
  CloseMidiOutput();
  RecordingOutput::OpenSucceeds() = false;
  ASSERT_TRUE(PlayPlaylistEntry(2));
  EXPECT_EQ(gStatusText, "Playing visualization only (synth unavailable)");
}

TEST_F(PlaylistTest, StepsWithAndWithoutRepeat) {
  struct Case {
    const char* what;
    int entries;
    bool repeat;
    int from;
    int direction;
    bool atEnd;
    bool played;
    int index;
  } cases[] = {
      {"next", 3, false, 0, 1, false, true, 1},
      {"previous", 3, false, 1, -1, false, true, 0},
      {"song end at the last, no repeat", 3, false, 2, 1, true, false, 2},
      {"next command at the last replays it", 3, false, 2, 1, false, true, 2},
      {"song end at the last, repeat", 3, true, 2, 1, true, true, 0},
      {"next command at the last, repeat", 3, true, 2, 1, false, true, 0},
      {"previous at the first, repeat", 3, true, 0, -1, false, true, 2},
      {"index out of range counts as the first", 3, false, 7, 1, false, true, 1},
      {"one entry, song end, no repeat", 1, false, 0, 1, true, false, 0},
      {"one entry, next command", 1, false, 0, 1, false, true, 0},
  };
  for (const Case& c : cases) {
    gPlaylist = MakeEntries(c.entries);
    gPlaylistRepeat = c.repeat;
    gPlaylistIndex = c.from;
    gSongPath.clear();
    EXPECT_EQ(StepPlaylist(c.direction, c.atEnd), c.played) << c.what;
    EXPECT_EQ(gPlaylistIndex, c.index) << c.what;
    if (c.played) {
      EXPECT_EQ(gSongPath, "song" + std::to_string(c.index + 1) + ".mid") << c.what;
    }
  }
  // Entries are taken modulo the count.
  gPlaylist = MakeEntries(5);
  ASSERT_TRUE(PlayPlaylistEntry(-1));
  EXPECT_EQ(gPlaylistIndex, 4);
  EXPECT_EQ(gStatusText, "5/5  Song5");
  ASSERT_TRUE(PlayPlaylistEntry(11));
  EXPECT_EQ(gPlaylistIndex, 1);
  gPlaylist.clear();
  EXPECT_FALSE(StepPlaylist(1, false));
  EXPECT_FALSE(PlayPlaylistEntry(0));
}

TEST_F(PlaylistTest, ShuffleNeverPicksTheCurrentEntry) {
  for (int n : {2, 3, 5}) {
    gPlaylist = MakeEntries(n);
    gPlaylistShuffle = true;
    ASSERT_TRUE(PlayPlaylistEntry(0));
    std::vector<int> seen(n, 0);
    for (int i = 0; i < 60; ++i) {
      int before = gPlaylistIndex;
      ASSERT_TRUE(StepPlaylist(1, true));
      EXPECT_NE(gPlaylistIndex, before);
      ++seen[gPlaylistIndex];
    }
    for (int k = 0; k < n; ++k) EXPECT_GT(seen[k], 0) << n << " " << k;
  }
}

// The shuffled order must differ from one start of the program to the next: the C library's
// generator, never seeded, gave the same order every time. Its state set alike before each of three
// rounds, the three orders of eight songs may not all agree.
TEST_F(PlaylistTest, ShuffleOrderDoesNotRepeatFromStartToStart) {
  gPlaylist = MakeEntries(8);
  gPlaylistShuffle = true;
  std::vector<std::vector<int>> orders;
  for (int round = 0; round < 3; ++round) {
    std::srand(1);
    ASSERT_TRUE(PlayPlaylistEntry(0));
    std::vector<int> order;
    for (int i = 0; i < 7; ++i) {
      ASSERT_TRUE(StepPlaylist(1, true));
      order.push_back(gPlaylistIndex);
    }
    orders.push_back(order);
  }
  EXPECT_FALSE(orders[0] == orders[1] && orders[1] == orders[2]) << "the same order every round";
}

// Shuffled, a file the reader refuses is passed over as in order, at a song's end and on Next;
// with nothing else readable the step fails and the song stays.
TEST_F(PlaylistTest, ShufflePassesOverAnEntryThatFailsToLoad) {
  gPlaylist = MakeEntries(5);
  WriteFileBytes(gPlaylist[2], smf::Header(1, 0xE728) + smf::Track(smf::On(0, 60, 100)));
  gPlaylistShuffle = gPlaylistRepeat = true;
  ASSERT_TRUE(PlayPlaylistEntry(0));
  for (int i = 0; i < 60; ++i) {
    ASSERT_TRUE(StepPlaylist(1, i % 2 == 0)) << i << ": " << gStatusText;
    EXPECT_NE(gPlaylistIndex, 2);
    EXPECT_EQ(gSongPath, "song" + std::to_string(gPlaylistIndex + 1) + ".mid");
  }
  for (int k : {1, 3, 4}) WriteFileBytes(gPlaylist[(size_t)k], "MThd");
  ASSERT_TRUE(PlayPlaylistEntry(0));
  EXPECT_FALSE(StepPlaylist(1, true));
  EXPECT_EQ(gPlaylistIndex, 0);
  EXPECT_EQ(gSongPath, "song1.mid");
  EXPECT_TRUE(gPlaying);
}

// Next and Previous pass over a file that cannot be read, so a folder's good files stay within
// reach; when none is left that way the index and the song stay and the status line says why.
TEST_F(PlaylistTest, NextAndPreviousPassOverAnEntryThatFailsToLoad) {
  gPlaylist = MakeEntries(4);
  WriteFileBytes(gPlaylist[1], "MThd");
  ASSERT_TRUE(PlayPlaylistEntry(0));
  DebugCapture log;
  EXPECT_TRUE(StepPlaylist(1, false));
  EXPECT_EQ(gPlaylistIndex, 2);
  EXPECT_EQ(gSongPath, "song3.mid");
  EXPECT_TRUE(log.Contains("could not load " + gPlaylist[1] + ": file too small")) << "the next title hides it";
  EXPECT_TRUE(StepPlaylist(-1, false));
  EXPECT_EQ(gPlaylistIndex, 0) << "back over the same file";

  WriteFileBytes(gPlaylist[0], "MThd");
  ASSERT_TRUE(PlayPlaylistEntry(2));
  EXPECT_FALSE(StepPlaylist(-1, false)) << "nothing readable before it, no repeat";
  EXPECT_EQ(gPlaylistIndex, 2);
  EXPECT_EQ(gStatusText, "MIDI load failed: file too small");
  EXPECT_EQ(gPlaylist.size(), 4u);
  EXPECT_EQ(gSongPath, "song3.mid");
  EXPECT_TRUE(gPlaying);
  gPlaylistRepeat = true;
  EXPECT_TRUE(StepPlaylist(-1, false)) << "round to the last";
  EXPECT_EQ(gPlaylistIndex, 3);
}

// At a song's end an unreadable file is passed over and the list plays on; a list whose last
// files cannot be read says why instead of that it finished.
TEST_F(PlaylistTest, AtASongsEndAnUnreadableEntryIsPassedOver) {
  gPlaylist = MakeEntries(4);
  WriteFileBytes(gPlaylist[1], "MThd");
  ASSERT_TRUE(PlayPlaylistEntry(0));
  EXPECT_TRUE(StepPlaylist(1, true));
  EXPECT_EQ(gPlaylistIndex, 2);
  EXPECT_EQ(gSongPath, "song3.mid");
  EXPECT_EQ(gStatusText, "3/4  Song3");

  WriteFileBytes(gPlaylist[3], "MThd");
  EXPECT_FALSE(StepPlaylist(1, true)) << "the rest cannot be read, no repeat";
  EXPECT_EQ(gStatusText, "MIDI load failed: file too small");
  gPlaylistRepeat = true;
  ASSERT_TRUE(PlayPlaylistEntry(2));
  EXPECT_TRUE(StepPlaylist(1, true)) << "round to the first";
  EXPECT_EQ(gPlaylistIndex, 0);
  for (std::string& entry : gPlaylist) WriteFileBytes(entry, "MThd");
  EXPECT_FALSE(StepPlaylist(1, true)) << "nothing readable: no endless round";
}

TEST_F(PlaylistTest, WithoutADialogProgramTheLineSaysWhatToInstall) {
  gPlaylist = MakeEntries(3);
  gPlaylistIndex = 1;
  SetFileDialogScriptForTesting(nullptr);
  const char* was = getenv("PATH");
  const std::string path = was ? was : "";
  TempDir empty;
  setenv("PATH", empty.path().c_str(), 1);
  for (bool (*choose)() : {ChooseAndPlayMidiFile, OpenMidiFolderPicker}) {
    gStatusText.clear();
    EXPECT_FALSE(choose());
    EXPECT_EQ(gStatusText, "No file chooser found: install zenity or kdialog");
    EXPECT_EQ(gPlaylist.size(), 3u);
    EXPECT_EQ(gPlaylistIndex, 1);
  }
  if (was) setenv("PATH", path.c_str(), 1); else unsetenv("PATH");
}

TEST_F(PlaylistTest, TheFileDialogMakesAOneEntryPlaylist) {
  gPlaylist = MakeEntries(4);
  gPlaylistIndex = 2;
  gScriptAnswer = false;
  EXPECT_FALSE(ChooseAndPlayMidiFile());
  EXPECT_EQ(gPlaylist.size(), 4u);
  EXPECT_EQ(gPlaylistIndex, 2);

  gScriptAnswer = true;
  gScriptPath = Write("Chosen_Piece.mid", ScaleSong());
  ASSERT_TRUE(ChooseAndPlayMidiFile());
  EXPECT_FALSE(gScriptLast.folder);
  EXPECT_EQ(gScriptLast.title, "Open MIDI File");
  std::vector<std::string> filters;
  for (const auto& f : gScriptLast.filters) filters.insert(filters.end(), {f.label, f.patterns});
  EXPECT_EQ(filters, (std::vector<std::string>{"MIDI Files (*.mid;*.midi)", "*.mid;*.midi", "All Files (*.*)", "*.*"}));
  EXPECT_EQ(gPlaylist, std::vector<std::string>{gScriptPath});
  EXPECT_EQ(gPlaylistIndex, 0);
  EXPECT_EQ(gStatusText, "1/1  Chosen Piece");

  // A file that does not load leaves the playing song's playlist as it was.
  gPlaylist = MakeEntries(3);
  ASSERT_TRUE(PlayPlaylistEntry(1));
  const std::vector<std::string> playing = gPlaylist;
  gScriptPath = Write("broken.mid", "MThd");
  EXPECT_FALSE(ChooseAndPlayMidiFile());
  EXPECT_EQ(gStatusText, "MIDI load failed: file too small");
  EXPECT_EQ(gPlaylist, playing);
  EXPECT_EQ(gPlaylistIndex, 1);
  EXPECT_TRUE(StepPlaylist(1, false));
  EXPECT_EQ(gPlaylistIndex, 2);
}

// A song playing while a dialog stands open holds still: its notes are released, none comes due
// meanwhile, and after a cancel or a file that does not load it goes on where it stood.
TEST_F(PlaylistTest, ASongHoldsStillWhileADialogStandsOpen) {
  gPlaylist = MakeEntries(1);
  ASSERT_TRUE(PlayPlaylistEntry(0));
  EXPECT_FALSE(PumpAfter(700));
  gStatusText = "1/1  Song1";
  gScriptTakesMs = 3500;
  for (const bool answers : {false, true}) {
    SCOPED_TRACE(answers ? "a file that does not load" : "cancelled");
    const uint32_t stood = Pos();
    gScriptAnswer = answers;
    gScriptPath = Write("broken.mid", "MThd");
    Forget();
    EXPECT_FALSE(ChooseAndPlayMidiFile());
    EXPECT_TRUE(gPlaying && !gPaused);
    EXPECT_EQ(Pos(), stood);
    EXPECT_EQ(gStatusText, answers ? "MIDI load failed: file too small" : "1/1  Song1");
    // The sounding notes were let go, and the pump sends nothing of the 3.5 s that passed.
    EXPECT_NE(std::find(RecordingOutput::Log().begin(), RecordingOutput::Log().end(), "007BB0"),
              RecordingOutput::Log().end()) << "all notes off";
    Forget();
    EXPECT_FALSE(PumpAfter(1));
    EXPECT_TRUE(RecordingOutput::Log().size() <= 2u) << RecordingOutput::Log().size() << " messages at once";
    gStatusText = "1/1  Song1";
  }
  gScriptTakesMs = 0;
}

TEST_F(PlaylistTest, TheFolderPickerPlaysTheFolder) {
  std::filesystem::create_directory(dir_.File("songs"));
  std::filesystem::create_directory(dir_.File("texts"));
  for (const char* name : {"songs/b.mid", "songs/a.mid", "songs/c.mid"}) Write(name, ScaleSong());
  Write("texts/readme.txt", "hello");

  gPlaylist = {"keep.mid"};
  gScriptAnswer = true;
  gScriptPath = dir_.File("texts");
  EXPECT_FALSE(OpenMidiFolderPicker());
  EXPECT_TRUE(gScriptLast.folder);
  EXPECT_EQ(gStatusText, "No MIDI files found in selected folder");
  EXPECT_EQ(gPlaylist, std::vector<std::string>{"keep.mid"});

  gScriptPath = dir_.File("songs");
  ASSERT_TRUE(OpenMidiFolderPicker());
  EXPECT_EQ(gStatusText, "Folder playlist loaded (3 files)");
  EXPECT_EQ(gPlaylist.size(), 3u);
  EXPECT_EQ(gSongPath, "a.mid");
  EXPECT_EQ(gPlaylistIndex, 0);

  gScriptAnswer = false;
  EXPECT_FALSE(OpenMidiFolderPicker());
  EXPECT_EQ(gPlaylist.size(), 3u);
  EXPECT_EQ(gScriptLast.title, "Open MIDI Folder");

  // A folder of one song says so in the singular.
  std::filesystem::create_directory(dir_.File("single"));
  Write("single/only.mid", ScaleSong());
  gScriptAnswer = true;
  gScriptPath = dir_.File("single");
  ASSERT_TRUE(OpenMidiFolderPicker());
  EXPECT_EQ(gStatusText, "Folder playlist loaded (1 file)");
  EXPECT_EQ(gPlaylist.size(), 1u);
}

// A folder whose first files cannot be read plays from its first good one, as Next would reach it;
// a folder with nothing playable leaves the song that plays and its list as they were.
TEST_F(PlaylistTest, TheFolderPickerPassesOverFilesThatCannotBeRead) {
  std::filesystem::create_directory(dir_.File("mixed"));
  const std::string song = ScaleSong();
  Write("mixed/a_broken.mid", song.substr(0, song.size() - 12));
  Write("mixed/b_one.MID", song);
  Write("mixed/c_text.midi", "not a song at all\n");
  Write("mixed/d_meter.mid", song);
  gPlaylist = MakeEntries(2);
  ASSERT_TRUE(PlayPlaylistEntry(1));
  gScriptAnswer = true;
  gScriptPath = dir_.File("mixed");
  DebugCapture log;
  ASSERT_TRUE(OpenMidiFolderPicker()) << gStatusText;
  EXPECT_EQ(gStatusText, "Folder playlist loaded (4 files)");
  EXPECT_EQ(gPlaylist.size(), 4u);
  EXPECT_EQ(gPlaylistIndex, 1);
  EXPECT_EQ(gSongPath, "b_one.MID");
  EXPECT_TRUE(log.Contains("could not load " + dir_.File("mixed/a_broken.mid") + ": track chunk out of bounds"))
      << "the skipped file is named";
  EXPECT_TRUE(StepPlaylist(1, true));
  EXPECT_EQ(gSongPath, "d_meter.mid");

  std::filesystem::create_directory(dir_.File("unplayable"));
  Write("unplayable/a.mid", "MThd");
  Write("unplayable/b.midi", "not a song at all\n");
  const std::vector<std::string> playing = gPlaylist;
  gScriptPath = dir_.File("unplayable");
  EXPECT_FALSE(OpenMidiFolderPicker());
  EXPECT_EQ(gStatusText, "No MIDI file in the selected folder could be loaded");
  EXPECT_EQ(gPlaylist, playing);
  EXPECT_EQ(gPlaylistIndex, 3);
  EXPECT_EQ(gSongPath, "d_meter.mid");
  EXPECT_TRUE(gPlaying && !gPaused);
  EXPECT_TRUE(StepPlaylist(-1, false)) << "Previous still steps the list that plays";
  EXPECT_EQ(gSongPath, "b_one.MID") << "over c_text";
}

// The dialogs' titles speak the UI language: the menu items that open them, without their dots;
// and so do the file dialog's types, which its list shows as they are given.
TEST_F(PlaylistTest, TheDialogsTitlesAreTranslated) {
  ScopedExeDir exe(dir_.path());
  std::filesystem::create_directories(dir_.File("locales"));
  WriteFileBytes(dir_.File("locales/de-DE.json"),
                 "{\n  \"Open MIDI File...\": \"MIDI-Datei \u00f6ffnen...\",\n"
                 "  \"MIDI Files (*.mid;*.midi)\": \"MIDI-Dateien (*.mid;*.midi)\",\n"
                 "  \"All Files (*.*)\": \"Alle Dateien (*.*)\",\n"
                 "  \"Open MIDI Folder...\": \"MIDI-Ordner \u00f6ffnen\u2026\"\n}\n");
  {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = "de-DE";
  }
  ResetTranslationFileForTesting();
  gScriptAnswer = false;
  EXPECT_FALSE(ChooseAndPlayMidiFile());
  EXPECT_EQ(gScriptLast.title, "MIDI-Datei \u00f6ffnen");
  ASSERT_EQ(gScriptLast.filters.size(), 2u);
  EXPECT_EQ(gScriptLast.filters[0].label, "MIDI-Dateien (*.mid;*.midi)");
  EXPECT_EQ(gScriptLast.filters[0].patterns, "*.mid;*.midi");
  EXPECT_EQ(gScriptLast.filters[1].label, "Alle Dateien (*.*)");
  EXPECT_EQ(gScriptLast.filters[1].patterns, "*.*");
  EXPECT_FALSE(OpenMidiFolderPicker());
  EXPECT_EQ(gScriptLast.title, "MIDI-Ordner \u00f6ffnen");
  {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = "en-US";
  }
  ResetTranslationFileForTesting();
}

TEST(SeekBar, TimeAndXMapBothWays) {
  RectF savedRect = gSeekBarRect;
  int savedW = gClientWidth, savedH = gClientHeight;
  gClientWidth = 1600;
  gClientHeight = 900;
  gSeekBarRect = {100.0f, 50.0f, 410.0f, 12.0f};  // track 105..505, 400 wide
  struct Case {
    float x;
    uint32_t length, ms;
  } toTime[] = {{0.0f, 10000, 0},   {105.0f, 10000, 0},  {305.0f, 10000, 5000}, {505.0f, 10000, 10000},
                {900.0f, 10000, 10000}, {205.0f, 3, 1}, {305.0f, 0, 0},     {505.0f, 4294967295u, 4294967295u}};
  for (const Case& c : toTime) EXPECT_EQ(SeekBarTimeForX(c.x, c.length), c.ms) << c.x;
  struct Back {
    uint32_t ms, length;
    float x;
  } toX[] = {{0, 10000, 105.0f}, {2500, 10000, 205.0f}, {20000, 10000, 505.0f}, {700, 0, 105.0f}};
  for (const Back& b : toX) EXPECT_FLOAT_EQ(SeekBarXForTime(b.ms, b.length), b.x) << b.ms;

  gSeekBarRect = savedRect;
  gClientWidth = savedW;
  gClientHeight = savedH;
}

