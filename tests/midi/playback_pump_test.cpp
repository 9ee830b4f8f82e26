// The playback pump: due events to the output and the display, muting, judge marks, the song's
// tempo and beat to the metronome, the end of the song, and the run's result figures.
#include <cmath>
#include <set>
#include <string>

#include "app/base/note_tables.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "midi/seek_bar.h"
#include "midi/song_sound.h"
#include "tests/midi/transport_harness.h"

using namespace smf;

TEST_F(TransportTest, DueEventsGoOutInListOrderInOnePass) {
  Load("a.mid", File(480, {Pedal(0, 127) + On(0, 60, 100) + Off(480, 60) + On(0, 62, 90) + Pedal(0, 0) +
                           Off(480, 62) + On(0, 64, 80) + Off(480, 64)}));
  PumpAfter(1000);
  EXPECT_EQ(TakePosted(), (Posts{PedalMsg(127), NoteMsg(60, 100), NoteMsg(60, 0), PedalMsg(0),
                                               NoteMsg(62, 90), NoteMsg(62, 0), NoteMsg(64, 80)}));
  EXPECT_EQ(RecordingOutput::Messages(),
            (std::vector<std::string>{"7F40B0", "643C90", "003C80", "0040B0", "5A3E90", "003E80", "504090"}));
  EXPECT_TRUE(gKeySounding[64]);
  EXPECT_FLOAT_EQ(gKeyLevel[64], 80.0f / 127.0f);
  EXPECT_FALSE(gKeySounding[60]);
  EXPECT_EQ(gKeyLevel[60], 0.0f);
  // Nothing more is due until the clock moves on.
  PumpAfter(0);
  EXPECT_TRUE(TakePosted().empty());
}

TEST_F(TransportTest, AJudgedRunInPracticeOrWaitModeMutesTheSong) {
  struct Case {
    bool run, practice, wait, muted;
  } cases[] = {
      {true, true, false, true}, {true, false, true, true}, {true, false, false, false}, {false, true, true, false},
  };
  for (const Case& c : cases) {
    Load("a.mid", File(480, {Pedal(0, 127) + On(0, 60, 100) + Off(480, 60)}));
    gKeySounding[60] = true;
    gPlayAlongRun = c.run;
    gPracticeMode = c.practice;
    gWaitMode = c.wait;
    PumpAfter(0);
    EXPECT_EQ(TakePosted().empty(), c.muted);
    EXPECT_EQ(RecordingOutput::Messages().empty(), c.muted);
    EXPECT_EQ(gKeySounding[60], !c.muted);
    gPlayAlongRun = gPracticeMode = gWaitMode = false;
  }
}

TEST_F(TransportTest, DueNoteOnsPassedUnjudgedKeepEarlierJudgements) {
  Load("a.mid", File(480, {On(0, 60, 100) + On(0, 64, 100) + Off(480, 60) + Off(0, 64) + On(0, 67, 90)}));
  SizeJudgeStates();
  gJudgeStates[1].state = 2;  // 64 was graded before it became due
  gJudgeStates[1].judgedAtMs = 5;
  uint32_t now = Now();
  PumpAfter(0);
  EXPECT_EQ(gJudgeStates[0].state, 7);
  EXPECT_EQ(gJudgeStates[0].judgedAtMs, now);
  EXPECT_EQ(gJudgeStates[1].state, 2);
  EXPECT_EQ(gJudgeStates[1].judgedAtMs, 5u);
  EXPECT_EQ(gJudgeStates[4].state, 0);  // not yet due
  // Records shorter than the song are never read past their end (the sanitiser would tell); the
  // song's end then stops playback, which rebuilds them at the song's size.
  gJudgeStates.resize(3);
  PumpAfter(500);
  EXPECT_TRUE(PumpUntilTheSongEnds());
  EXPECT_EQ(gJudgeStates.size(), 5u);
  EXPECT_EQ(gJudgeStates[2].state, 0);  // a note-off is never marked
}

TEST_F(TransportTest, DataBytesAbove127AreShownButNotSentNorIndexed) {
  Load("a.mid", File(480, {Ev(0, {0x90, 0xC8, 100}) + Ev(0, {0x90, 60, 0x85}) + Off(480, 60)}));
  PumpAfter(0);
  EXPECT_EQ(TakePosted(), (Posts{NoteMsg(60, 0x85), NoteMsg(0xC8, 100)}));
  EXPECT_TRUE(RecordingOutput::Messages().empty());
  EXPECT_TRUE(gKeySounding[60]);
  EXPECT_FLOAT_EQ(gKeyLevel[60], 1.0f);
}

// A damaged file's note number of 128 or above is a note no key can play: a run in practice or wait
// mode must not wait at it for ever, nor count it as expected and missed.
TEST_F(TransportTest, ARunPassesANoteNoKeyCanPlay) {
  // A damaged file's note number, and notes below A0 or above C8, which the 88 keys do not have.
  for (uint8_t unplayable : {(uint8_t)0xC8, (uint8_t)12, (uint8_t)115})
  for (bool practice : {true, false}) {
    SCOPED_TRACE(std::to_string(unplayable) + (practice ? " practice" : " wait"));
    Load("a.mid", File(480, {On(0, 60, 100) + Off(240, 60) + Ev(240, {0x90, unplayable, 100}) + On(480, 62, 100) +
                             Off(480, 62) + Off(0, unplayable)}));
    gPracticeMode = practice;
    gWaitMode = !practice;
    SetPlayAlongRun(true, false);
    ASSERT_TRUE(gPlayAlongRun);
    PlayAlongNoteInput(60, 90, Now());
    EXPECT_EQ(gJudgeStates[0].state, 1);
    for (int i = 0; i < 12; ++i) PumpAfter(100);
    EXPECT_EQ(Pos(), 1000u);  // held at 62, past the unplayable note at 500 ms
    EXPECT_EQ(gWaitEventMs, 1000u);
    PlayAlongNoteInput(62, 90, Now());
    PumpAfter(100);
    EXPECT_EQ(Pos(), 1100u);
    PracticeRunResult r = BuildPracticeRunResult();
    EXPECT_EQ(r.expected, 2);
    EXPECT_EQ(r.missed, 0);
  }
}

// A paused song judges nothing: the keys played while it waits paused (between two runs of a lesson
// song, or while the radar flashes between two cards) are neither extra notes nor hits of the run.
TEST_F(TransportTest, KeysPlayedWhileTheSongIsPausedAreNotJudged) {
  for (bool practice : {true, false}) {
    SCOPED_TRACE(practice ? "practice" : "wait");
    Load("a.mid", File(480, {On(0, 60, 100) + Off(480, 60) + On(0, 62, 100) + Off(480, 62)}));
    gPracticeMode = practice;
    gWaitMode = !practice;
    SetPlayAlongRun(true, false);
    ASSERT_TRUE(gPlayAlongRun);
    TogglePlayback();
    ASSERT_TRUE(gPaused);
    // Wrong keys well apart, each of which would count, and the due note itself.
    for (int note : {70, 71, 72, 60}) {
      PlayAlongNoteInput(note, 90, Now());
      PumpAfter(400);
    }
    EXPECT_EQ(gWrongNoteCount, 0);
    EXPECT_EQ(gJudgeStates[0].state, 0);
    EXPECT_EQ(gPlayAlongScore, 0u);
    // Playing again, the same keys are judged as ever.
    TogglePlayback();
    ASSERT_FALSE(gPaused);
    PlayAlongNoteInput(70, 90, Now());
    EXPECT_EQ(gWrongNoteCount, 1);
    PlayAlongNoteInput(60, 90, Now());
    EXPECT_EQ(gJudgeStates[0].state, 1);
    PracticeRunResult r = BuildPracticeRunResult();
    EXPECT_EQ(r.wrong_attempts, 1);
    SetPlayAlongRun(false, false);
  }
}

TEST_F(TransportTest, TheMetronomeIsResetOnlyWhenTheRoundedTempoChanges) {
  gPlaybackSpeed = 1.0f;
  gTeachingState.enabled = 0;  // the beat grid would restart itself each pass: watch the tempo alone
  Load("t.mid", File(480, {Tempo(0, 500000) + On(0, 60, 1) + Tempo(480, 499000) + On(0, 62, 1) +
                           Tempo(480, 250000) + On(0, 64, 1) + Off(480, 64)}));
  gTeachingState.gridRunning = 1;
  PumpAfter(600);  // 120.24 rounds to 120: left alone
  EXPECT_EQ(gTeachingState.gridRunning, 1);
  EXPECT_DOUBLE_EQ(gTeachingState.songBpm, 120.0);
  SyncMetronomeToSong(600, true);  // forced: set again, the beat at the file's own tempo
  EXPECT_EQ(gTeachingState.gridRunning, 0);
  EXPECT_EQ(gTeachingState.bpm, 120);
  EXPECT_DOUBLE_EQ(gTeachingState.songBpm, 60000000.0 / 499000.0);
  gTeachingState.gridRunning = 1;
  PumpAfter(500);  // 240
  EXPECT_EQ(gTeachingState.bpm, 240);
  EXPECT_EQ(gTeachingState.gridRunning, 0);
}

TEST(SongBeat, BeatsCountThroughTheTempoList) {
  gSongTempo = {{0, 120}, {1000, 60}};
  RebuildSongBeatTable();
  gSongBeatResync = false;
  struct Case {
    uint32_t pos;
    double speed;
    int beatsPerBar;
    int64_t index;
    int inBar;
    double spb, since;
  } cases[] = {
      {750, 1.0, 4, 1, 1, 0.5, 0.25}, {1000, 1.0, 4, 2, 2, 1.0, 0.0}, {3100, 1.0, 3, 4, 1, 1.0, 0.1},
      {1500, 0.5, 4, 2, 2, 2.0, 1.0}, {999, 1.0, 0, 1, 0, 0.5, 0.499},
  };
  for (const Case& c : cases) {
    SongBeatInfo info;
    ASSERT_TRUE(ComputeSongBeatInfo(c.pos, c.speed, c.beatsPerBar, false, &info));
    EXPECT_EQ(std::pair(info.beatIndex, (int)info.beatInBar), std::pair(c.index, c.inBar)) << c.pos;
    EXPECT_NEAR(info.secondsPerBeat, c.spb, 1e-9) << c.pos;
    EXPECT_NEAR(info.secondsSinceBeat, c.since, 1e-9) << c.pos;
    EXPECT_EQ(info.resyncBeatIndex, -1);
  }
  // A tempo change in the middle of a beat stretches the rest of that beat.
  gSongTempo = {{0, 120}, {250, 60}};
  RebuildSongBeatTable();
  SongBeatInfo info;
  ASSERT_TRUE(ComputeSongBeatInfo(800, 1.0, 4, true, &info));
  EXPECT_EQ(info.beatIndex, 1);
  EXPECT_NEAR(info.secondsSinceBeat, 0.05, 1e-9);
  EXPECT_EQ(info.paused, 1);
  // After a seek: the beat of the seek position, and whether it was within 40 ms of it.
  struct Resync {
    uint32_t pos;
    int64_t index;
    int near;
  } resyncs[] = {{790, 1, 1}, {850, 1, 0}, {240, 0, 0}};
  for (const Resync& r : resyncs) {
    MarkSongBeatResync(r.pos);
    ASSERT_TRUE(ComputeSongBeatInfo(r.pos, 1.0, 4, false, &info));
    EXPECT_EQ(std::pair(info.resyncBeatIndex, (int)info.resyncNearBeat), std::pair(r.index, r.near)) << r.pos;
  }
  gSongBeatResync = false;
  gSongTempo.clear();
  RebuildSongBeatTable();
  EXPECT_FALSE(ComputeSongBeatInfo(0, 1.0, 4, false, &info));
}

// A steady song at a tempo of no whole BPM, a short note on every quarter: each note stays on its
// own beat of the grid to the end, minutes in, and the metronome's beat is the file's tempo while
// its figure is the whole one.
TEST_F(TransportTest, TheBeatGridStaysOnTheNotesOfATempoOfNoWholeBpm) {
  struct Case {
    uint32_t usPerQuarter;
    int quarters;
    int figure;
  } cases[] = {{510638, 300, 118}, {640000, 320, 94}, {600000, 200, 100}};  // 117.5, 93.75 and 100 BPM
  for (const Case& c : cases) {
    SCOPED_TRACE(c.usPerQuarter);
    std::string body = Tempo(0, c.usPerQuarter);
    for (int q = 0; q < c.quarters; ++q) body += On(q == 0 ? 0 : 470, 60, 90) + Off(10, 60);
    Load("steady.mid", File(480, {body}));
    const double bpm = 60000000.0 / c.usPerQuarter;
    EXPECT_EQ(gTeachingState.bpm, c.figure);
    EXPECT_NEAR(gTeachingState.songBpm, bpm, 1e-9);
    int64_t quarter = 0, wrong = 0;
    SongBeatInfo info;
    for (const SongEvent& e : gSongEvents) {
      if ((e.status & 0xF0) != 0x90) continue;
      // A note's ms lies within half a ms of its beat: 1 ms after it is past the beat, by at most 1.5.
      ASSERT_TRUE(ComputeSongBeatInfo(e.timeMs + 1, 1.0, 4, false, &info));
      if (info.beatIndex != quarter || info.secondsSinceBeat > 0.0015) {
        if (wrong++ == 0) ADD_FAILURE() << "the note of beat " << quarter << " at " << e.timeMs << " ms lies in beat "
                                        << info.beatIndex << ", " << info.secondsSinceBeat * 1000.0 << " ms after it";
      }
      ++quarter;
    }
    EXPECT_EQ(quarter, c.quarters);
    EXPECT_EQ(wrong, 0);
    EXPECT_NEAR(info.secondsPerBeat, 60.0 / bpm, 1e-9);
    UnloadMidi();
  }
}

// The bars the accents fall on: the song's own time signatures counted in the clicks' beats (the
// file's quarter notes), from the beat each one starts on; the metronome's when the song gives none.
TEST(SongBeat, BarsFollowTheSongsTimeSignatures) {
  gSongTempo = {{0, 120}};  // a beat every 500 ms
  gSongBeatResync = false;
  const std::vector<int> inFour = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3}, inThree = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2};
  struct Case {
    const char* what;
    std::vector<TimeSignaturePoint> meters;
    std::vector<int> inBar;  // of beats 0..11
    int beatsPerBar;         // at beat 11
  } cases[] = {
      {"none: the metronome's own four", {}, inFour, 4},
      {"3/4", {{0, 3, 2, 8, 0}}, inThree, 3},
      {"4/4 for two bars, then 3/4", {{0, 4, 2, 8, 0}, {4000, 3, 2, 8, 0}}, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 0}, 3},
      {"a change just before a beat starts on it", {{0, 4, 2, 8, 0}, {3990, 3, 2, 8, 0}},
       {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 0}, 3},
      {"6/8 with the dotted quarter as the file's quarter", {{0, 6, 3, 12, 0}}, {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}, 2},
      {"3/8: two bars in three beats", {{0, 3, 3, 8, 0}}, inThree, 3},
      {"2/2: four quarters", {{0, 2, 1, 8, 0}}, inFour, 4},
      {"a first signature after the start counts back from it", {{1000, 3, 2, 8, 0}},
       {1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0}, 3},
      {"forty beats held to 32", {{0, 40, 2, 8, 0}}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gSongTimeSignatures = c.meters;
    RebuildSongBeatTable();
    std::vector<int> inBar;
    SongBeatInfo info;
    for (uint32_t beat = 0; beat < 12; ++beat) {
      ASSERT_TRUE(ComputeSongBeatInfo(beat * 500 + 10, 1.0, 4, false, &info));
      ASSERT_EQ(info.beatIndex, beat);
      inBar.push_back(info.beatInBar);
    }
    EXPECT_EQ(inBar, c.inBar);
    EXPECT_EQ(info.beatsPerBar, c.beatsPerBar);
  }
  gSongTimeSignatures.clear();
  gSongTempo.clear();
  RebuildSongBeatTable();
}

// Where the clicks fall and which are accented: the note the time signature's clocks-per-click
// byte names (24 clocks a quarter) when a whole number of its notes fills its bar, and in a compound
// metre one of its notes or its dotted beat; else a compound metre's dotted beat, and the file's
// quarters as above for any other. The song's first 6 s at 120 BPM, a quarter every 500 ms.
TEST(SongBeat, ClicksFallOnTheNoteTheTimeSignatureClicks) {
  gSongTempo = {{0, 120}};
  gSongBeatResync = false;
  std::vector<int> everyQuarter, everyDotted, everyEighth, everyHalf;
  for (int ms = 0; ms < 6000; ms += 250) {
    everyEighth.push_back(ms);
    if (ms % 500 == 0) everyQuarter.push_back(ms);
    if (ms % 750 == 0) everyDotted.push_back(ms);
    if (ms % 1000 == 0) everyHalf.push_back(ms);
  }
  struct Case {
    const char* what;
    std::vector<TimeSignaturePoint> meters;
    std::vector<int> clicks;    // ms of each beat
    std::vector<int> accents;   // of those, the bars' first
    double secondsPerBeat;      // at 5.9 s
  } cases[] = {
      {"6/8 clicked on its dotted quarters", {{0, 6, 3, 8, 36}}, everyDotted, {0, 1500, 3000, 4500}, 0.75},
      {"12/8 the same", {{0, 12, 3, 8, 36}}, everyDotted, {0, 3000}, 0.75},
      {"6/8 clicked on its eighths", {{0, 6, 3, 8, 12}}, everyEighth, {0, 1500, 3000, 4500}, 0.25},
      {"2/2 clicked on its halves", {{0, 2, 1, 8, 48}}, everyHalf, {0, 2000, 4000}, 1.0},
      {"4/4 clicked on its quarters", {{0, 4, 2, 8, 24}}, everyQuarter, {0, 2000, 4000}, 0.5},
      {"6/8 whose quarter is its dotted quarter, as before", {{0, 6, 3, 12, 24}}, everyQuarter,
       {0, 1000, 2000, 3000, 4000, 5000}, 0.5},
      {"the same with a click that is no whole eighth there", {{0, 6, 3, 12, 36}}, everyQuarter,
       {0, 1000, 2000, 3000, 4000, 5000}, 0.5},
      {"6/8 clicked on quarters, across its pulse: its dotted quarters", {{0, 6, 3, 8, 24}}, everyDotted,
       {0, 1500, 3000, 4500}, 0.75},
      {"6/8 with no click given: its dotted quarters", {{0, 6, 3, 8, 0}}, everyDotted, {0, 1500, 3000, 4500}, 0.75},
      {"9/8 clicked on halves: its dotted quarters", {{0, 9, 3, 8, 48}}, everyDotted, {0, 2250, 4500}, 0.75},
      {"12/8 clicked on dotted halves", {{0, 12, 3, 8, 72}}, {0, 1500, 3000, 4500}, {0, 3000}, 1.5},
      {"7/8 clicked on quarters, which no bar holds whole: quarters, two bars to an accent", {{0, 7, 3, 8, 24}},
       everyQuarter, {0, 3500}, 0.5},
      {"3/8 clicked on its eighths", {{0, 3, 3, 8, 12}}, everyEighth, {0, 750, 1500, 2250, 3000, 3750, 4500, 5250},
       0.25},
      {"a click longer than the bar", {{0, 3, 2, 8, 96}}, everyQuarter, {0, 1500, 3000, 4500}, 0.5},
      {"3/4, then 6/8 in dotted quarters from 3 s",
       {{0, 3, 2, 8, 24}, {3000, 6, 3, 8, 36}},
       {0, 500, 1000, 1500, 2000, 2500, 3000, 3750, 4500, 5250}, {0, 1500, 3000, 4500}, 0.75},
      {"6/8 in dotted quarters, then 3/4 from 3 s", {{0, 6, 3, 8, 36}, {3000, 3, 2, 8, 24}},
       {0, 750, 1500, 2250, 3000, 3500, 4000, 4500, 5000, 5500}, {0, 1500, 3000, 4500}, 0.5},
      {"a first 6/8 at 1 s counts its clicks back to the start", {{1000, 6, 3, 8, 36}},
       {250, 1000, 1750, 2500, 3250, 4000, 4750, 5500}, {1000, 2500, 4000, 5500}, 0.75},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gSongTimeSignatures = c.meters;
    RebuildSongBeatTable();
    std::vector<int> clicks, accents;
    SongBeatInfo info;
    int64_t last = -1;
    for (uint32_t ms = 0; ms < 6000; ms += 5) {
      ASSERT_TRUE(ComputeSongBeatInfo(ms, 1.0, 4, false, &info));
      if (info.beatIndex == last) continue;
      EXPECT_EQ(info.beatIndex, last + 1) << ms;
      last = info.beatIndex;
      if (ms == 0 && info.secondsSinceBeat > 0.0) continue;  // a beat begun before the song
      EXPECT_NEAR(info.secondsSinceBeat, 0.0, 1e-9) << ms;
      clicks.push_back((int)ms);
      if (info.beatInBar == 0) accents.push_back((int)ms);
    }
    EXPECT_EQ(clicks, c.clicks);
    EXPECT_EQ(accents, c.accents);
    EXPECT_NEAR(info.secondsPerBeat, c.secondsPerBeat, 1e-9);
  }
  gSongTimeSignatures.clear();
  gSongTempo.clear();
  RebuildSongBeatTable();
}

// The end of the song: a plain song stops and closes the output, a playlist goes on only with
// repeat (past entries that cannot be read), a lesson song (graded or not) waits paused at its
// start with the output open.
TEST_F(TransportTest, TheEndOfTheSongTakesItsBranch) {
  std::vector<std::string> paths;
  for (const char* name : {"one.mid", "two.mid", "three.mid"}) paths.push_back(Write(name, ScaleSong()));
  struct Case {
    const char* what;
    bool playlist, repeat, lesson, judged;
    bool playing, paused, open;
    int index;
    const char* status;
  } cases[] = {
      {"plain song", false, false, false, false, false, false, false, -1, "MIDI playback finished"},
      {"last entry, no repeat", true, false, false, false, false, false, false, 2, "MIDI playback finished"},
      {"last entry, repeat", true, true, false, false, true, false, true, 0, "1/3  One"},
      // A lesson song's end goes back to the caller untouched (the shell records the attempt).
      {"lesson", false, false, true, false, true, false, true, -1, "Playing: A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UnloadMidi();
    gPlaylistRepeat = c.repeat;
    if (c.playlist) {
      gPlaylist = paths;
      ASSERT_TRUE(PlayPlaylistEntry(2));
    } else {
      Load("a.mid", ScaleSong());
    }
    gLearningItemLoaded = c.lesson;
    SizeJudgeStates();
    if (c.judged) gJudgeStates[0] = NoteJudgeState{1, 3.0f, Now(), 0, 0, 0, 0, 90, Now(), 0};
    PumpAfter(1999);
    EXPECT_TRUE(gPlaying && !gPaused);
    EXPECT_EQ(PumpAfter(c.lesson ? 501 : 1), c.lesson);
    if (!c.lesson) {
      EXPECT_TRUE(gPlaying && gPlaylistIndex == (c.playlist ? 2 : -1)) << "the last notes ring out first";
      EXPECT_TRUE(PumpUntilTheSongEnds());
    }
    EXPECT_EQ(gPlaying, c.playing);
    EXPECT_EQ(gPaused, c.paused);
    EXPECT_EQ(IsMidiOutputOpen(), c.open);
    EXPECT_EQ(gPlaylistIndex, c.index);
    EXPECT_EQ(gStatusText, c.status);
    EXPECT_FALSE(gSongEvents.empty());  // still loaded: the next toggle plays it again
  }
  gLearningItemLoaded = false;

  // An unreadable entry after the song is passed over; when nothing after it can be read, the
  // status says why rather than that the list finished.
  const std::string broken = Write("broken.mid", "MThd");
  for (bool readableAfter : {true, false}) {
    SCOPED_TRACE(readableAfter ? "a broken entry, then a good one" : "a broken last entry");
    UnloadMidi();
    gPlaylistRepeat = false;
    gPlaylist = readableAfter ? std::vector<std::string>{paths[0], broken, paths[2]}
                              : std::vector<std::string>{paths[0], broken};
    ASSERT_TRUE(PlayPlaylistEntry(0));
    PumpAfter(2000);
    EXPECT_TRUE(PumpUntilTheSongEnds());
    EXPECT_EQ(gPlaying, readableAfter);
    EXPECT_EQ(gStatusText, readableAfter ? "3/3  Three" : "MIDI load failed: file too small");
  }
}

// A plain song's end waits for its sound: a note struck at the last event goes out and is not taken
// back, it sounds on a while before the release of what is still held, and the output closes only
// after that release has had time to fade. A seek or a pause in that while acts as anywhere else.
TEST_F(TransportTest, APlainSongsLastNoteSoundsAndFadesBeforeTheOutputCloses) {
  const uint32_t kG4 = 0x644390;  // struck at 1000 ms, the last event, with no note-off
  struct Case {
    const char* what;
    int actAfterMs;  // after the last event: 0 nothing, > 0 a seek back (or a pause) then
    bool pause;
    float speed = 1.0f;
  } cases[] = {{"left alone", 0, false}, {"a seek back after the last note", 300, false},
               {"paused after the last note", 300, true}, {"at half speed", 0, false, 0.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Load("last.mid", File(480, {On(0, 60, 100) + Off(480, 60) + On(480, 67, 100)}));
    SetPlaybackSpeed(c.speed);
    if (c.actAfterMs) {
      while (gPlaying && Pos() < 1000u + c.actAfterMs) PumpAfter(16);
      ASSERT_TRUE(gPlaying) << "the song plays on after its last note";
      if (c.pause) {
        TogglePlayback();
        for (int pass = 0; pass < 300; ++pass) PumpAfter(16);  // nearly 5 s: no end while paused
        ASSERT_TRUE(gPlaying && gPaused);
        TogglePlayback();
      } else {
        SeekPlayback(200);
        PumpAfter(16);
        EXPECT_TRUE(gPlaying && Pos() < 1000) << "the song plays on from the seek";
      }
      Forget();
    }
    while (gPlaying && Pos() < 1000) PumpAfter(16);
    const int64_t lastUs = SongTimeToClockUs(1000);
    ASSERT_TRUE(gPlaying) << "stopped at its last note";
    EXPECT_TRUE(PumpUntilTheSongEnds());
    const int64_t endedUs = ClockMicros64();
    EXPECT_FALSE(gPlaying);
    EXPECT_EQ(gStatusText, "MIDI playback finished");
    EXPECT_EQ(RecordingOutput::Count("close"), 1u);
    // The G4 went out (after the seek again; a pause released the one before it) and no cancel took
    // it back: then its release came, and the close a while after that.
    std::vector<RecordingOutput::Step> sounded = RecordingOutput::Sounded();
    auto g4 = std::find_if(sounded.begin(), sounded.end(), [&](const auto& st) { return st.message == kG4; });
    if (!c.pause) {
      ASSERT_NE(g4, sounded.end()) << "the last note never sounded";
      EXPECT_EQ(g4->time, lastUs);
    }
    int64_t releaseUs = -1;
    for (const RecordingOutput::Step& st : RecordingOutput::Trace())
      if (!st.cancel && st.message == 0x7BB0u) {
        releaseUs = st.time;
        break;
      }
    ASSERT_GE(releaseUs, 0);
    EXPECT_GE(releaseUs - lastUs, 500000) << "released " << (releaseUs - lastUs) / 1000 << " ms after it struck";
    EXPECT_GE(endedUs - releaseUs, 300000) << "closed " << (endedUs - releaseUs) / 1000 << " ms after the release";
    EXPECT_LE(endedUs - lastUs, 2500000) << "a short pause after the song";
  }
}

// A song that ends almost at once, repeated alone, is not read, started and logged again on every
// pass: it starts again only after a short run, and goes on repeating.
TEST_F(TransportTest, ASongOfOneTickRepeatsNoFasterThanAShortRun) {
  gPlaylist = {Write("tick.mid", File(480, {On(0, 60, 100) + Off(1, 60)}))};
  gPlaylistRepeat = true;
  ASSERT_TRUE(PlayPlaylistEntry(0));
  std::vector<uint32_t> starts = {gPlayStartMs};
  for (int pass = 0; pass < 200; ++pass) {   // 3.2 s of 16 ms passes
    PumpAfter(16);
    ASSERT_TRUE(gPlaying);
    if (gPlayStartMs != starts.back()) starts.push_back(gPlayStartMs);
  }
  ASSERT_GE(starts.size(), 3u) << "it repeats";
  uint32_t shortest = UINT32_MAX;
  for (size_t i = 1; i < starts.size(); ++i) shortest = std::min(shortest, starts[i] - starts[i - 1]);
  EXPECT_GE(shortest, 200u) << starts.size() << " starts";
  EXPECT_EQ(gStatusText, "1/1  Tick");
}

// While a song of one tick rings out before it repeats, the song clock runs on past its end; the
// transport's time line stays at the end, and the song still starts again.
TEST_F(TransportTest, ASongOfOneTickShowsNoTimePastItsEndWhileItWaits) {
  gPlaylist = {Write("tick.mid", File(480, {On(0, 60, 100) + Off(1, 60)}))};
  gPlaylistRepeat = true;
  ASSERT_TRUE(PlayPlaylistEntry(0));
  const uint32_t firstStart = gPlayStartMs;
  uint32_t furthest = 0, shownFurthest = 0;
  std::set<std::string> lines;
  for (int pass = 0; pass < 125; ++pass) {  // 2 s of 16 ms passes, a repeat among them
    PumpAfter(16);
    ASSERT_TRUE(gPlaying);
    furthest = std::max(furthest, Pos());
    shownFurthest = std::max(shownFurthest, GetShownPlaybackPositionMs(Now()));
    lines.insert(SeekBarTimeText(Now()));
  }
  EXPECT_GT(furthest, 400u) << "the song clock ran on past the end";
  EXPECT_EQ(shownFurthest, GetSongLengthMs());
  EXPECT_EQ(lines, std::set<std::string>{"0:00.0 / 0:00.0"});
  EXPECT_NE(gPlayStartMs, firstStart) << "it repeats";
}

// A frame draws after its pass, on a clock a little further on: at the end of a song the time line
// shows the song's length, not a little more, and a seek to the top shows nothing before it.
TEST_F(TransportTest, TheTimeLineStaysWithinTheSong) {
  struct Case {
    const char* what;
    uint32_t passAt, drawAfter;  // the last pass's song time, then the clock's further run to the frame
    bool seekToTop;
    const char* line;
  } cases[] = {
      {"before the end", 1890, 50, false, "0:01.9 / 0:02.0"},
      {"past the end before its pass", 1990, 150, false, "0:02.0 / 0:02.0"},
      {"right after a seek to the top", 1000, 0, true, "0:00.0 / 0:02.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Load("scale.mid", ScaleSong());
    PumpAfter(c.passAt);
    ASSERT_TRUE(gPlaying);
    if (c.seekToTop) SeekPlayback(0);
    Advance(c.drawAfter);
    EXPECT_EQ(SeekBarTimeText(Now()), c.line);
  }
}

TEST_F(TransportTest, RunResultCountsTheJudgeRecords) {
  Load("a.mid", File(480, {On(0, 60, 100) + On(0, 62, 100) + On(0, 64, 80) + On(0, 65, 100) + On(0, 67, 100) +
                           On(0, 69, 0) + Off(480, 60)}));
  SizeJudgeStates();
  auto judge = [](uint8_t state, float err, uint8_t vel) { return NoteJudgeState{state, err, 0, 0, 0, 0, 0, vel, 0, 0}; };
  // Events in order: 69 off (velocity-0 note-on), then 60, 62, 64, 65, 67, then 60 off.
  gJudgeStates[1] = judge(1, -10.0f, 80);
  gJudgeStates[2] = judge(2, 20.0f, 0);
  gJudgeStates[3] = judge(3, 4.0f, 100);
  gJudgeStates[4] = judge(6, -30.0f, 0);  // a hold let go early keeps its press's error
  gJudgeStates[5] = judge(4, 0.0f, 0);
  gWrongNoteCount = 3;
  PracticeRunResult r = BuildPracticeRunResult();
  std::vector<int> counts = {r.expected, r.landed,      r.perfect, r.good, r.late_or_early,
                             r.hold_breaks, r.missed, r.early,   r.late, r.wrong_attempts};
  EXPECT_EQ(counts, (std::vector<int>{5, 4, 1, 1, 1, 1, 1, 2, 1, 3}));
  EXPECT_NEAR(r.mean_abs_timing_ms, 16.0, 1e-4);
  EXPECT_NEAR(r.mean_signed_timing_ms, -4.0, 1e-4);
  EXPECT_NEAR(r.timing_score, 0.84, 1e-6);
  EXPECT_NEAR(r.timing_std_ms, std::sqrt(1416.0 / 4 - 16.0), 1e-4);
  EXPECT_EQ(r.vel_samples, 2);
  EXPECT_FLOAT_EQ(r.mean_velocity, 90.0f);
  EXPECT_FLOAT_EQ(r.vel_stdev, 10.0f);

  // Nothing graded: the timing figures stay 0.
  gJudgeStates.assign(gSongEvents.size(), NoteJudgeState{});
  r = BuildPracticeRunResult();
  EXPECT_EQ(r.missed, 5);
  EXPECT_EQ(r.timing_score, 0.0f);
  EXPECT_EQ(r.mean_velocity, 0.0f);
}

// The sound's road: each pass hands the output the events due before the next pass, stamped with
// their own times; a speed change makes it forget what it was handed for later and hand it again.
TEST_F(TransportTest, TheOutputGetsEachEventAPassAheadAtItsOwnTime) {
  std::string body = Tempo(0, 500000);
  for (int i = 0; i < 8; ++i) body += On(i ? 10 : 0, 60 + i, 90);  // 1 tick = 1 ms: every 10 ms
  Load("a.mid", File(500, {body}));
  PumpAfter(0);
  EXPECT_EQ(TakePosted(), (Posts{NoteMsg(60, 90)}));  // the display keeps its time
  EXPECT_EQ(RecordingOutput::Messages(), (std::vector<std::string>{"5A3C90", "5A3D90"}));
  // The first note falls due just after the release the load sent at the same moment.
  EXPECT_EQ(RecordingOutput::Dues(), (std::vector<int64_t>{SongTimeToClockUs(0) + 1, SongTimeToClockUs(10)}));
  EXPECT_EQ(SongTimeToClockUs(10) - SongTimeToClockUs(0), 10000);
  PumpAfter(12);  // hands 20 over
  Forget();
  gPlaybackSpeed = 0.5f;  // as SetPlaybackSpeed re-anchors: position 12 now, half speed
  gPlayStartMs = Now() - 24;
  PumpAfter(0);
  EXPECT_EQ(RecordingOutput::Cancels(), (std::vector<int64_t>{ClockMicros64()}));
  // 10 was due and stays; 20 was not, and comes again at its new time.
  EXPECT_EQ(RecordingOutput::Messages(), (std::vector<std::string>{"5A3E90"}));
  EXPECT_EQ(RecordingOutput::Dues(), (std::vector<int64_t>{SongTimeToClockUs(20)}));
  EXPECT_EQ(SongTimeToClockUs(20) - SongTimeToClockUs(10), 20000);
}

TEST_F(TransportTest, TheSongClockStartsOnceTheOutputIsOpen) {
  RecordingOutput::OpenTakesMs() = 60;
  ASSERT_TRUE(LoadAndPlayMidi(Write("a.mid", ScaleSong())));
  EXPECT_EQ(gPlayStartMs, Now()) << "the 60 ms of opening are not song time";
  StopPlaybackAndCloseOutput();
  TogglePlayback();
  EXPECT_EQ(gPlayStartMs, Now());
}

// A dense song: a note-on every 5 ms (1 tick = 1 ms), on keys that repeat only every 300 ms, so a
// sounded message names its event; the notes from `markFromMs` on use key 120 alone.
static std::string DenseSong(int count, int markFromMs = 1 << 30) {
  std::string body = Tempo(0, 500000);
  for (int i = 0; i < count; ++i) body += On(i ? 5 : 0, i * 5 >= markFromMs ? 120 : 40 + i % 60, 90);
  return File(500, {body});
}

// The song time of the event a sounded note-on belongs to: the one of its key whose time is nearest.
static uint32_t EventTimeOf(uint32_t message, uint32_t nearMs) {
  uint32_t best = 0, bestGap = UINT32_MAX;
  for (const SongEvent& e : gSongEvents) {
    if ((e.status & 0xF0) != 0x90 || e.data1 != ((message >> 8) & 0x7F)) continue;
    uint32_t gap = e.timeMs > nearMs ? e.timeMs - nearMs : nearMs - e.timeMs;
    if (gap < bestGap) best = e.timeMs, bestGap = gap;
  }
  return best;
}

// A loop's end set while the notes just past it are already handed over: none of them may sound,
// before the wrap or after, at any speed and however the passes fall.
TEST_F(TransportTest, NothingAtOrPastALoopsEndSoundsWhileTheLoopHolds) {
  struct Case {
    float speed;
    uint32_t endMs;          // B, set while playing...
    bool setWhilePlaying;    // else before the song reaches it
    uint32_t latePassMs;     // one late pass around the end (0: none)
  };
  for (const Case& c : {Case{1.25f, 1000, true, 0}, Case{1.25f, 1000, true, 40}, Case{2.0f, 1500, true, 0},
                        Case{0.5f, 700, true, 30}, Case{1.0f, 1000, false, 35}}) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " end " << c.endMs);
    Load("dense.mid", DenseSong(600, (int)c.endMs));
    SetPlaybackSpeed(c.speed);
    SetLoopStart(c.endMs - 400);
    if (!c.setWhilePlaying) SetLoopEnd(c.endMs);
    Forget();
    if (c.setWhilePlaying) {
      // A pass 8 ms of song before the end hands the notes at the end over; then the end is set.
      while (Pos() + 40 < c.endMs) PumpAfter(17);
      PumpAfter((uint32_t)std::lround((c.endMs - 8 - Pos()) / c.speed));
      Advance(1);
      SetLoopEnd(c.endMs);
    }
    bool wrapped = false;
    for (int pass = 0; pass < 200; ++pass) {
      uint32_t before = Pos();
      PumpAfter(c.latePassMs && before + 60 > c.endMs && before < c.endMs ? c.latePassMs : 17);
      wrapped = wrapped || Pos() < before;
    }
    EXPECT_TRUE(gLoopEndSet);
    EXPECT_TRUE(wrapped);
    for (const RecordingOutput::Step& s : RecordingOutput::Sounded())
      EXPECT_NE((s.message >> 8) & 0x7F, 120u) << "a note past the loop's end sounded, due " << s.time;
  }
}

// Handles dragged onto each other leave the shortest loop the bar allows, 160 ms: shown and named
// on the status line, it must hold the play position as any longer loop does.
TEST_F(TransportTest, TheShortestLoopTheHandlesLeaveHolds) {
  Load("dense.mid", DenseSong(600, 1000));
  SetLoopStart(500);
  SetLoopEnd(500);
  ASSERT_EQ(gLoopEndMs, gLoopStartMs + 160);
  Forget();
  uint32_t latest = 0;
  for (int pass = 0; pass < 200; ++pass) {
    PumpAfter(17);
    latest = std::max(latest, Pos());
  }
  EXPECT_TRUE(gPlaying);
  EXPECT_GE(Pos(), 500u);
  EXPECT_LE(latest, 660u + 17u) << "the song ran on past the loop's end";
}

// The clock stands between two milliseconds when a loop wraps, as a real one does: the release of
// the wrap is due then, and the note at the loop's start, stamped from the whole millisecond the
// new anchor is, fell due before it and was cut by it at once (a click instead of the note).
TEST_F(TransportTest, TheNoteAtALoopsStartSoundsAfterEachWrapsRelease) {
  std::string body = Tempo(0, 500000) + On(0, 60, 90) + Off(300, 60) + On(300, 64, 90) + Off(300, 64) + On(400, 67, 1);
  Load("loop.mid", File(500, {body}));  // 1 tick = 1 ms: C4 0-300, E4 600-900
  SetLoopEnd(700);
  Forget();
  int wraps = 0;
  for (int pass = 0; pass < 120; ++pass) {
    uint32_t before = Pos();
    ClockDriveSetMicros(ClockMicros64() + 17000 + 431);  // never on a whole millisecond
    PumpMidiPlayback(ClockMs32(), beat_);
    wraps += Pos() < before;
  }
  ASSERT_GE(wraps, 2);
  // What a port sounding in due order does: an all-notes-off on channel 0 silences every C4 due
  // before it; each wrap's C4 must come after its release.
  int sounded = 0;
  int64_t lastRelease = INT64_MIN;
  std::vector<RecordingOutput::Step> steps = RecordingOutput::Sounded();
  std::stable_sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  bool c4On = true;  // the first C4 went out with the load
  for (const RecordingOutput::Step& s : steps) {
    if (s.message == 0x7BB0u) lastRelease = s.time, c4On = false;
    if (s.message == 0x5A3C90u) c4On = true, ++sounded;
    if (s.message == 0x003C80u || s.message == 0x003C90u) {
      if (!c4On) ADD_FAILURE() << "a C4 was cut by the release due at " << lastRelease << " before its own end at " << s.time;
      c4On = false;
    }
  }
  EXPECT_GE(sounded, wraps) << "every wrap starts with C4";
}

// A loop to the song's end takes in the chord struck at the last tick: each round shows it and
// sounds it at its own time, the wrap releases it (the file has no note-offs for it), and the song
// goes round again instead of ending there, whether a pass falls on the last tick or past it.
TEST_F(TransportTest, ALoopToTheSongsEndPlaysItsLastChordEveryRound) {
  struct Case {
    const char* what;
    bool endHandle;   // the end handle put at the song's end, else only the start set
    uint32_t passMs;  // 20 falls on the last tick, 17 passes over it
    bool output, lesson;
  } cases[] = {
      {"end handle, passes over the last tick", true, 17, true, false},
      {"start only, a pass on the last tick", false, 20, true, false},
      {"no output, a pass on the last tick", true, 20, false, false},
      {"a lesson song, a pass on the last tick", true, 20, true, true},
  };
  const int kChord[] = {64, 67, 72};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingOutput::OpenSucceeds() = c.output;
    // 1 tick = 1 ms: C4 0-300, then E4 G4 C5 struck at 600, the song's last tick.
    Load("end.mid", File(500, {Tempo(0, 500000) + On(0, 60, 90) + Off(300, 60) + On(300, 64, 90) +
                               On(0, 67, 90) + On(0, 72, 90)}));
    gLearningItemLoaded = c.lesson;
    SetLoopStart(200);
    if (c.endHandle) SetLoopEnd(600);
    Forget();
    std::set<int64_t> lastTickUs;  // where each round's last tick falls on the clock
    Posts posted;
    int wraps = 0;
    for (int pass = 0; pass < 200 && wraps < 4; ++pass) {
      uint32_t before = Pos();
      lastTickUs.insert(SongTimeToClockUs(600));
      EXPECT_FALSE(PumpAfter(c.passMs)) << "a lesson song ended inside its loop";
      ASSERT_TRUE(gPlaying) << "the song ended inside its loop";
      wraps += Pos() < before;
      Posts now = TakePosted();
      posted.insert(posted.end(), now.begin(), now.end());
    }
    ASSERT_EQ(wraps, 4);
    for (int key : kChord) {
      SCOPED_TRACE(testing::Message() << "key " << key);
      EXPECT_EQ(std::count(posted.begin(), posted.end(), NoteMsg(key, 90)), 4) << "shown every round";
      EXPECT_EQ(std::count(posted.begin(), posted.end(), NoteMsg(key, 0)), 4) << "released by every wrap";
      EXPECT_FALSE(gKeySounding[key]);
    }
    if (!c.output) continue;
    // What a port sounding in due order does: each round's chord at its own time, then a release.
    std::vector<RecordingOutput::Step> steps = RecordingOutput::Sounded();
    std::stable_sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
    int struck = 0;
    bool sounding = false;
    for (const RecordingOutput::Step& s : steps) {
      if (s.message == 0x7BB0u) sounding = false;
      if (s.message != 0x5A4390u) continue;  // G4 struck
      ++struck;
      sounding = true;
      EXPECT_EQ(lastTickUs.count(s.time), 1u) << "G4 struck at " << s.time << ", not at a round's last tick";
    }
    EXPECT_EQ(struck, 4) << "sounded every round";
    EXPECT_FALSE(sounding) << "the last chord hangs past the wrap";
  }
}

// A speed change while events are handed ahead: from the change on, everything sounds at its time
// on the new clock, none on a stamp of the old speed.
TEST_F(TransportTest, ASpeedChangeRestampsWhatWasHandedAhead) {
  for (auto [from, to] : {std::pair{1.5f, 0.75f}, std::pair{0.5f, 2.0f}, std::pair{1.0f, 1.3f}}) {
    SCOPED_TRACE(testing::Message() << from << " -> " << to);
    Load("dense.mid", DenseSong(400));
    SetPlaybackSpeed(from);
    for (int pass = 0; pass < 20; ++pass) PumpAfter(17);
    Advance(8);  // between two passes
    int64_t changedUs = ClockMicros64();
    size_t sentBefore = RecordingOutput::Trace().size();
    SetPlaybackSpeed(to);
    for (int pass = 0; pass < 10; ++pass) PumpAfter(17);
    int checked = 0;
    for (const RecordingOutput::Step& s : RecordingOutput::Sounded()) {
      if (s.time <= changedUs || (s.message & 0xF0) != 0x90) continue;
      // Where the new clock puts the nearest event of this key.
      double songMs = GetPlaybackPositionMs(ClockMs32()) - (double)(ClockMicros64() - s.time) / 1000.0 * to;
      uint32_t t = EventTimeOf(s.message, (uint32_t)std::max(0.0, songMs));
      EXPECT_NEAR((double)s.time, (double)SongTimeToClockUs(t), 1000.0) << "event at " << t << " ms";
      ++checked;
    }
    EXPECT_GT(checked, 20);
    EXPECT_GT(RecordingOutput::Trace().size(), sentBefore);
  }
}

// A program held up for seconds while a song plays (stopped, frozen, a laptop asleep with its clock
// running on): the song goes on where it stood, rather than playing every note it missed at once.
// A pass late by less than the stall, or one after the song was paused, re-anchored or loaded,
// keeps the song's clock as it was.
TEST_F(TransportTest, ASongGoesOnWhereItStoodAfterTheProgramStoodStill) {
  struct Case {
    const char* what;
    uint32_t gapMs;
    bool pauseFirst;  // paused and resumed over the gap, as a dialog holds the song
    uint32_t posAfter;
  } cases[] = {
      {"a 20 s stall", 20000, false, 400 + 17},
      {"a pass 400 ms late", 400, false, 800},
      {"a pause over the gap", 20000, true, 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Load("a.mid", File(480, {ScaleBody() + ScaleBody() + ScaleBody() + ScaleBody() + ScaleBody() + ScaleBody() +
                             ScaleBody() + ScaleBody() + ScaleBody() + ScaleBody() + ScaleBody() + ScaleBody()}));
    for (int pass = 0; pass < 25; ++pass) {
      Advance(16);
      KeepSongOverStall(Now());
      PumpAfter(0);
    }
    ASSERT_EQ(Pos(), 400u);
    Forget();
    if (c.pauseFirst) TogglePlayback();
    Advance(c.gapMs);
    if (c.pauseFirst) TogglePlayback();
    KeepSongOverStall(Now());
    PumpAfter(0);
    EXPECT_EQ(Pos(), c.posAfter);
    // At most the note due by then goes out: not the dozens the gap held.
    size_t notes = 0;
    for (const std::string& m : RecordingOutput::Messages()) notes += m.size() == 6 && m[4] == '9';
    EXPECT_LE(notes, c.gapMs >= 20000 ? 1u : 2u);
  }
}

// Only a run the student played counts at a lesson song's end: a song heard through, its notes
// passed over, records no attempt; a graded or missed note or a wrong key does; in a rhythm study,
// notes that timed out alone do not.
TEST_F(TransportTest, OnlyARunThatWasPlayedIsJudged) {
  Load("a.mid", File(480, {On(0, 60, 100) + On(0, 62, 100) + Off(480, 60) + Off(0, 62)}));
  SizeJudgeStates();
  struct Case { const char* what; uint8_t first, second; int wrong; bool rhythm, judged; } cases[] = {
      {"nothing played", 0, 0, 0, false, false},
      {"heard through", 7, 7, 0, false, false},
      {"one note graded", 7, 2, 0, false, true},
      {"one note missed", 4, 7, 0, false, true},
      {"a wrong key alone", 7, 7, 1, false, true},
      {"a rhythm study timed out", 4, 4, 0, true, false},
      {"a rhythm study with a beat kept", 4, 1, 0, true, true},
  };
  for (const Case& c : cases) {
    gJudgeStates[0].state = c.first, gJudgeStates[1].state = c.second;
    gWrongNoteCount = c.wrong;
    gRhythmStudyMode = c.rhythm;
    EXPECT_EQ(IsSongRunJudged(), c.judged) << c.what;
  }
  gRhythmStudyMode = false;
}
