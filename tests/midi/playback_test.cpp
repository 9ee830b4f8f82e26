// The transport with a driven clock and a recording output: load, pause and resume across the clock
// wrap, speed, seeking, the loop region, the release of sounding notes, unload, titles and pedal spans.
#include "tests/midi/transport_harness.h"

#include <limits>

#include "midi/metronome_panel.h"
#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

using namespace smf;

TEST_F(TransportTest, LoadStartsTheSongOpensTheOutputAndSelectsTheKey) {
  ASSERT_TRUE(LoadAndPlayMidi(Write("Moonlight_Sonata-final.mid", File(480, {KeySig(0, -3, 0) + ScaleBody()}))));
  EXPECT_TRUE(gPlaying && !gPaused && IsMidiOutputOpen() && gSongBeatResync);
  EXPECT_EQ(gSongPath, "Moonlight_Sonata-final.mid");
  EXPECT_EQ(gStatusText, "Playing: Moonlight Sonata");
  EXPECT_EQ(gSongEvents.size(), 8u);
  EXPECT_EQ(GetSongLengthMs(), 2000u);
  EXPECT_EQ(Pos(), 0u);
  EXPECT_EQ(RecordingOutput::Count("open"), 1u);
  EXPECT_EQ(gLastEventTimeMs, Now());
  EXPECT_EQ(gSongKey, 3);
  EXPECT_EQ(gCurrentScale, &gScaleRows[kRowIonian]);
  EXPECT_EQ(kFifthsOrder[gRingPos], 3);
}

TEST_F(TransportTest, LoadWithoutAnOutputPlaysOnTheDisplay) {
  RecordingOutput::OpenSucceeds() = false;
  ASSERT_TRUE(LoadAndPlayMidi(Write("a.mid", ScaleSong())));
  EXPECT_EQ(gStatusText, "Playing visualization only (synth unavailable)");
  PumpAfter(0);
  EXPECT_EQ(TakePosted().back(), NoteMsg(60, 100));
  EXPECT_TRUE(RecordingOutput::Messages().empty());
}

TEST_F(TransportTest, AFailedLoadKeepsTheSongAndANewOneReleasesItsNotes) {
  Load("good.mid", ScaleSong());
  PumpAfter(0);
  PumpAfter(600);  // 62 sounds
  Forget();
  EXPECT_FALSE(LoadAndPlayMidi(Write("bad.mid", "MThd\0\0")));
  EXPECT_EQ(gStatusText, "MIDI load failed: file too small");
  EXPECT_TRUE(gPlaying);
  EXPECT_EQ(gSongPath, "good.mid");
  EXPECT_EQ(gEventCursor, 3u);
  EXPECT_EQ(Pos(), 600u);
  EXPECT_TRUE(RecordingOutput::Log().empty());

  ASSERT_TRUE(LoadAndPlayMidi(Write("two.mid", ScaleSong())));
  Posts posted = TakePosted();
  ASSERT_GE(posted.size(), 2u);
  EXPECT_EQ(posted[0], NoteMsg(62, 0));
  EXPECT_EQ(posted[1], PedalMsg(0));
  EXPECT_EQ(RecordingOutput::Log(), AllNotesOffLog({"reset", "close", "open"}));
}

TEST_F(TransportTest, PauseAndResumeAcrossThe32BitClockWrap) {
  ClockDriveSet(0x2FFFFFF00ull);  // 256 ms before the 32-bit clock wraps
  Load("a.mid", ScaleSong());
  uint32_t start = Now();
  PumpAfter(0);
  PumpAfter(700);  // 60 released, 62 sounds
  EXPECT_LT(Now(), start);  // the clock did wrap
  EXPECT_EQ(Pos(), 700u);
  Forget();

  TogglePlayback();
  EXPECT_TRUE(gPaused);
  EXPECT_EQ(gStatusText, "Paused MIDI: a.mid");
  EXPECT_EQ(TakePosted(), (Posts{NoteMsg(62, 0), PedalMsg(0)}));
  EXPECT_EQ(RecordingOutput::Log(), AllNotesOffLog());  // the output stays open
  EXPECT_FALSE(gKeySounding[62]);
  PumpAfter(5000);
  EXPECT_EQ(Pos(), 700u);
  EXPECT_TRUE(TakePosted().empty());

  TogglePlayback();
  EXPECT_FALSE(gPaused);
  EXPECT_EQ(gPauseMs, 0u);
  EXPECT_EQ(gStatusText, "Resumed MIDI: a.mid");
  EXPECT_EQ(gLastEventTimeMs, Now());
  PumpAfter(300);
  EXPECT_EQ(Pos(), 1000u);
  EXPECT_EQ(TakePosted(), (Posts{NoteMsg(62, 0), NoteMsg(64, 80)}));
}

TEST_F(TransportTest, SpeedChangesKeepThePosition) {
  Load("a.mid", ScaleSong());
  Advance(1000);
  SetPlaybackSpeed(0.5f);
  EXPECT_EQ(Pos(), 1000u);
  EXPECT_EQ(gLastEventTimeMs, Now());
  Advance(1000);
  EXPECT_EQ(Pos(), 1500u);
  SetPlaybackSpeed(2.0f);
  Advance(100);
  EXPECT_EQ(Pos(), 1700u);
  // While paused the shown position stays, and resuming continues from it.
  TogglePlayback();
  Advance(400);
  SetPlaybackSpeed(1.0f);
  EXPECT_EQ(Pos(), 1700u);
  Advance(400);
  TogglePlayback();
  Advance(100);
  EXPECT_EQ(Pos(), 1800u);

  struct Case {
    float from, set, expected;
  } cases[] = {
      {1.0f, 3.0f, 2.0f}, {1.0f, 0.1f, 0.25f}, {1.0f, 1.0004f, 1.0f}, {1.0f, 1.001f, 1.001f},
      {1.0f, std::numeric_limits<float>::quiet_NaN(), 1.0f}, {0.5f, -4.0f, 0.25f},
  };
  for (const Case& c : cases) {
    gPlaybackSpeed = c.from;
    SetPlaybackSpeed(c.set);
    EXPECT_FLOAT_EQ(gPlaybackSpeed, c.expected) << c.set;
  }
}

// A judged run's tempo is counted at the slowest speed the song moved at since its judging began:
// not at a speed set just before its end, nor at one only passed through while paused; a seek starts
// the judging again and the count with it, a silenced output keeps both.
TEST_F(TransportTest, TheRunsSpeedIsTheSlowestTheSongMovedAt) {
  Load("a.mid", ScaleSong());
  SetPlaybackSpeed(0.5f);   // at the very start: the song never moved at 1.0
  Advance(400);
  EXPECT_EQ(RunSlowestSpeed(), 0.5f);
  SetPlaybackSpeed(1.0f);
  EXPECT_EQ(RunSlowestSpeed(), 0.5f) << "played at half speed, then set to full";
  SetPlaybackSpeed(1.5f);   // at once: nothing played at 1.0
  Advance(100);
  SilenceMidiOutput();
  EXPECT_EQ(RunSlowestSpeed(), 0.5f) << "the judge records are kept, and so is the run's speed";

  SeekPlayback(0);
  EXPECT_EQ(RunSlowestSpeed(), 1.5f) << "the seek starts the run's figures again";
  Advance(200);
  TogglePlayback();   // paused at 300 ms
  SetPlaybackSpeed(0.25f);
  SetPlaybackSpeed(1.0f);
  TogglePlayback();
  Advance(100);
  EXPECT_EQ(RunSlowestSpeed(), 1.0f) << "0.25 was only passed through while paused; 1.5 was played";
  SetPlaybackSpeed(1.25f);
  EXPECT_EQ(RunSlowestSpeed(), 1.0f);

  // A run at one speed throughout counts at exactly that speed.
  UnloadMidi();
  SetPlaybackSpeed(0.7f);
  Load("b.mid", ScaleSong());
  Advance(1500);
  EXPECT_EQ(RunSlowestSpeed(), gPlaybackSpeed);
  EXPECT_EQ(RunSlowestSpeed(), 0.7f);
}

TEST_F(TransportTest, SeekJumpsReleasesAndClamps) {
  SeekPlayback(500);  // nothing loaded: nothing happens
  EXPECT_FALSE(gPlaying);
  Load("a.mid", ScaleSong());
  PumpAfter(0);
  TakePosted();
  SeekPlayback(1000);
  EXPECT_EQ(TakePosted(), (Posts{NoteMsg(60, 0), PedalMsg(0)}));
  EXPECT_EQ(gEventCursor, 3u);  // the first event at 1000 ms
  EXPECT_EQ(Pos(), 1000u);
  EXPECT_TRUE(gSongBeatResync);
  PumpAfter(0);
  EXPECT_EQ(TakePosted(), (Posts{NoteMsg(62, 0), NoteMsg(64, 80)}));
  SeekPlayback(999999);
  EXPECT_EQ(Pos(), 2000u);
  EXPECT_EQ(gEventCursor, 7u);
  StopPlaybackAndCloseOutput();
  SeekPlayback(500);
  EXPECT_EQ(Pos(), 0u);
  EXPECT_EQ(gEventCursor, 0u);
}

TEST_F(TransportTest, LoopRegionRules) {
  Load("long.mid", File(480, {On(0, 60, 1) + Off(9600, 60)}));  // 10,000 ms
  const uint32_t L = 10000;
  struct Case {
    const char* what;
    bool aSet;
    uint32_t a;
    bool bSet;
    uint32_t b;
    int op;  // 0 normalise, 1 SetLoopStart(arg), 2 SetLoopEnd(arg)
    uint32_t arg, a2, b2;
  } cases[] = {
      {"short region grows at its end", true, 5000, true, 5100, 0, 0, 5000, 5320},
      {"at the song end it grows at the start", true, L - 50, true, L, 0, 0, L - 320, L},
      {"near the end it grows to the end", true, L - 250, true, L - 200, 0, 0, L - 250, L},
      {"a region over 120 ms stands", true, 100, true, 300, 0, 0, 100, 300},
      {"points past the end are pulled in", true, 20000, false, 0, 0, 0, L, 0},
      {"start before a set end", false, 0, true, 9100, 1, 9000, 8940, 9100},
      {"start with an end below 160", false, 0, true, 100, 1, 50, 0, 100},
      {"end after a set start", true, 1000, false, 0, 2, 100, 1000, 1160},
      {"end clamped to the song", true, 9950, false, 0, 2, 20000, 9950, L},
  };
  for (const Case& c : cases) {
    gLoopStartSet = c.aSet;
    gLoopStartMs = c.a;
    gLoopEndSet = c.bSet;
    gLoopEndMs = c.b;
    if (c.op == 0) NormaliseLoopRegion();
    if (c.op == 1) SetLoopStart(c.arg);
    if (c.op == 2) SetLoopEnd(c.arg);
    EXPECT_EQ(gLoopStartMs, c.a2) << c.what;
    EXPECT_EQ(gLoopEndMs, c.b2) << c.what;
  }
  // Starting from the top honours the loop start.
  StopPlaybackAndCloseOutput();
  gLoopEndSet = false;
  SetLoopStart(3000);
  TogglePlayback();
  EXPECT_EQ(Pos(), 3000u);
}

TEST_F(TransportTest, LoopWrapsAndShortRegionsDoNot) {
  Load("long.mid", File(480, {On(0, 60, 1) + On(1056, 62, 90) + Off(8544, 60)}));  // 62 at 1100 ms
  gLoopStartSet = gLoopEndSet = true;
  gLoopStartMs = 1000;
  gLoopEndMs = 1100;
  PumpAfter(0);  // before A: jumps to A; the region is widened to 1320 first
  EXPECT_EQ(gLoopEndMs, 1320u);
  EXPECT_EQ(Pos(), 1000u);
  PumpAfter(319);
  EXPECT_EQ(Pos(), 1319u);
  EXPECT_TRUE(gKeySounding[62]);
  TakePosted();
  PumpAfter(1);
  EXPECT_EQ(Pos(), 1000u);
  EXPECT_EQ(TakePosted(), (Posts{NoteMsg(62, 0), PedalMsg(0)}));  // the wrap releases
  // 121..160 ms apart: kept, but never wraps.
  gLoopStartMs = 2000;
  gLoopEndMs = 2150;
  SeekPlayback(2000);
  PumpAfter(400);
  EXPECT_EQ(gLoopEndMs, 2150u);
  EXPECT_EQ(Pos(), 2400u);
}

// A run waits at its first pending note: a seek or a loop's wrap must leave the notes before the new
// position passed, or the next pass takes the song back to them and a loop never gets past its
// start.
TEST_F(TransportTest, ARunGoesOnFromASeekAndAroundALoop) {
  for (bool practice : {true, false}) {
    SCOPED_TRACE(practice ? "practice" : "wait");
    Load("a.mid", ScaleSong());  // events: 60 on, 60 off, 62 on, 62 off, 64 on, 64 off, 65 on, 65 off
    gPracticeMode = practice;
    gWaitMode = !practice;
    SetPlayAlongRun(true, false);
    SeekPlayback(1000);
    PumpAfter(0);
    EXPECT_EQ(Pos(), 1000u);
    EXPECT_EQ(gWaitEventMs, 1000u);  // held at 64
    EXPECT_EQ(gJudgeStates[0].state, 7);
    EXPECT_EQ(gJudgeStates[2].state, 7);
    EXPECT_EQ(gJudgeStates[4].state, 0);

    SetLoopStart(500);
    SetLoopEnd(1500);
    PlayAlongNoteInput(64, 90, Now());
    PumpAfter(300);
    EXPECT_EQ(Pos(), 1300u);
    PumpAfter(300);  // past B: back to A
    EXPECT_EQ(Pos(), 500u);
    PumpAfter(100);
    EXPECT_EQ(Pos(), 500u);
    EXPECT_EQ(gWaitEventMs, 500u);  // held at 62, the loop's first note
    PlayAlongNoteInput(62, 90, Now());
    EXPECT_EQ(gJudgeStates[2].state, 1);
    PumpAfter(300);
    EXPECT_EQ(Pos(), 800u);
  }
}

TEST_F(TransportTest, StopAndSilenceReleaseEverySoundingKey) {
  Load("chord.mid", File(480, {On(0, 60, 100) + On(0, 64, 100) + On(0, 67, 100) + Pedal(0, 127) + Off(960, 60)}));
  PumpAfter(0);
  Forget();
  SilenceMidiOutput();
  EXPECT_EQ(TakePosted(), (Posts{NoteMsg(60, 0), NoteMsg(64, 0), NoteMsg(67, 0), PedalMsg(0)}));
  EXPECT_EQ(RecordingOutput::Log(), AllNotesOffLog({"reset"}));
  EXPECT_TRUE(gPlaying);
  for (int k = 0; k < 128; ++k) EXPECT_FALSE(gKeySounding[k]);
  Forget();
  StopPlaybackAndCloseOutput();
  EXPECT_EQ(TakePosted(), (Posts{PedalMsg(0)}));
  EXPECT_EQ(RecordingOutput::Log(), AllNotesOffLog({"reset", "close"}));
  EXPECT_FALSE(gPlaying || IsMidiOutputOpen());
}

TEST_F(TransportTest, TheSongTempoSetsTheMetronomeAndUnloadRestoresIt) {
  gTeachingState.bpm = 72;
  gTeachingState.timeSigNum = 3;
  gTeachingState.timeSigDen = 8;
  struct Case {
    uint32_t usPerQuarter;
    float speed;
    int bpm;
    double exact;
  } cases[] = {{500000, 0.5f, 60, 60.0}, {200000, 2.0f, 260, 600.0}, {3000000, 1.0f, 30, 20.0}, {600000, 1.0f, 100, 100.0}};
  for (const Case& c : cases) {
    gPlaybackSpeed = c.speed;
    Load("t.mid", File(480, {Tempo(0, c.usPerQuarter) + On(0, 60, 1) + Off(480, 60)}));
    EXPECT_EQ(gTeachingState.bpm, c.bpm) << c.usPerQuarter;
    EXPECT_DOUBLE_EQ(gTeachingState.songBpm, c.exact) << c.usPerQuarter;
    EXPECT_EQ(gLastSongBpm, c.bpm);
  }
  gPlaylist = {"x.mid"};
  gPlaylistIndex = 0;
  SetLoopStart(100);
  UnloadMidi();
  EXPECT_EQ(gTeachingState.bpm, 72);
  EXPECT_EQ(gTeachingState.timeSigNum, 3);
  EXPECT_EQ(gTeachingState.timeSigDen, 8);
  EXPECT_EQ(gTeachingState.songBpm, 0.0);
  EXPECT_FALSE(gMetronomeSaved);
  EXPECT_TRUE(gSongEvents.empty() && gPlaylist.empty() && !gLoopStartSet);
  EXPECT_EQ(gPlaylistIndex, -1);
  EXPECT_EQ(gStatusText, "No MIDI loaded");
  EXPECT_FALSE(HasMidiContent());
  TogglePlayback();
  EXPECT_EQ(gStatusText, "No MIDI playback running");
}

// The metronome's figures show the song's time signature where the song stands; a step on them
// meanwhile is the user's and waits, with the user's own time signature, for the song's close.
TEST_F(TransportTest, TheSongsTimeSignatureShowsAndUnloadRestoresTheUsers) {
  gTeachingState.timeSigNum = 7;
  gTeachingState.timeSigDen = 16;
  // Two bars of 3/4 at 120 BPM, then 6/8 counted in dotted quarters.
  Load("waltz.mid", File(480, {On(0, 60, 1) + Off(4800, 60), TimeSig(0, 3, 2) + TimeSig(2880, 6, 3, 12)}));
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(3, 4));
  PumpAfter(2900);
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(3, 4));
  PumpAfter(200);
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(6, 8));
  ASSERT_EQ(gTeachingState.syncedToSong, 1);
  StepBeatsPerBar(1);
  StepBeatValue(-1);
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(6, 8));
  SeekPlayback(0);
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(3, 4));
  UnloadMidi();
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(8, 8));
  // A song that gives no time signature keeps the user's.
  Load("plain.mid", File(480, {On(0, 60, 1) + Off(4800, 60)}));
  PumpAfter(100);
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(8, 8));
  UnloadMidi();
}

// A 6/8 clicked on its dotted quarters, as exporters write it: the metronome's tempo is that of
// the clicks, 80 at a quarter of 120, whether the metronome is on or not, and back to 120 in the
// 3/4 before it.
TEST_F(TransportTest, TheMetronomesTempoIsThatOfTheSongsClicks) {
  Load("clicks.mid", File(480, {On(0, 60, 1) + Off(4800, 60), TimeSig(0, 3, 2) + TimeSig(2880, 6, 3, 8, 36)}));
  PumpAfter(100);
  EXPECT_EQ(gTeachingState.bpm, 120);
  EXPECT_EQ(ShownMetronomeTempo(), 120);
  PumpAfter(3000);
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(6, 8));
  EXPECT_EQ(gTeachingState.bpm, 80);
  EXPECT_DOUBLE_EQ(gTeachingState.songBpm, 80.0);
  EXPECT_EQ(ShownMetronomeTempo(), 80);
  SetPlaybackSpeed(0.5f);
  EXPECT_EQ(gTeachingState.bpm, 40);
  SeekPlayback(1000);
  EXPECT_EQ(gTeachingState.bpm, 60);
}

// A song without a time signature opened over one that had its own, with no close between, plays
// in the user's metre (a step on the figures meanwhile included), not in the last song's: opened
// from the file menu and stepped to in a playlist alike.
TEST_F(TransportTest, ASongWithoutATimeSignatureGetsTheUsersNotTheLastSongs) {
  const std::string fives = Write("fives.mid", File(480, {On(0, 60, 1) + Off(4800, 60), TimeSig(0, 5, 2)}));
  const std::string plain = Write("plain.mid", File(480, {On(0, 60, 1) + Off(4800, 60)}));
  for (bool playlist : {false, true}) {
    SCOPED_TRACE(playlist ? "playlist" : "file menu");
    UnloadMidi();
    gTeachingState.timeSigNum = 7;
    gTeachingState.timeSigDen = 16;
    if (playlist) {
      gPlaylist = {fives, plain};
      ASSERT_TRUE(PlayPlaylistEntry(0));
    } else {
      ASSERT_TRUE(LoadAndPlayMidi(fives));
    }
    PumpAfter(100);
    ASSERT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(5, 4));
    StepBeatsPerBar(1);  // the user's 7 becomes 8, kept for after the song
    if (playlist) {
      ASSERT_TRUE(StepPlaylist(+1, false));
      ASSERT_EQ(gSongPath, "plain.mid");
    } else {
      ASSERT_TRUE(LoadAndPlayMidi(plain));
    }
    PumpAfter(100);
    EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(8, 16));
    // The accents follow it: the bar is the user's eight beats.
    SongBeatInfo info;
    ASSERT_TRUE(ComputeSongBeatInfo(2510, 1.0, gTeachingState.timeSigNum, false, &info));
    EXPECT_EQ(std::pair(info.beatIndex, (int)info.beatInBar), std::pair(int64_t{5}, 5));
    EXPECT_EQ(info.beatsPerBar, 8);
    UnloadMidi();
    EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(8, 16));
  }
}

TEST(SongTitle, FileNamesBecomeTitles) {
  struct Case {
    const char* file;
    const char* title;
  } cases[] = {
      {"my_song-final_v2.mid", "My Song"}, {"Etude 12.mid", "Etude"}, {"piece_03_edited_copy.mid", "Piece"},
      {"Bach.Prelude.in.C.MIDI", "Bach Prelude in C"}, {"GYMNOPEDIE_NO_1.mid", "Gymnopedie No"},
      {"  __ .mid", "  __ "}, {"Song v10 New.midi", "Song"}, {"noextension", "Noextension"},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeSongTitle(c.file), c.title) << c.file;
}

TEST(PedalSpans, NotesGetTheSpanThatOverlapsThem) {
  auto ev = [](uint32_t t, int status, int d1, int d2) { return SongEvent{t, (uint8_t)status, (uint8_t)d1, (uint8_t)d2, 0}; };
  std::vector<SongEvent> events = {
      ev(0, 0x90, 60, 100),    // 0: before the pedal, ends at 100: no span
      ev(100, 0x80, 60, 0),    ev(200, 0xB0, 64, 127),  // pedal down 200
      ev(300, 0x90, 62, 90),   // 3: inside: [200, 1000]
      ev(300, 0x91, 64, 90),   // 4: other channel: no pedal there
      ev(900, 0x90, 62, 0),    ev(1000, 0xB0, 64, 0),   // pedal up 1000
      ev(1100, 0x90, 65, 80),  // 7: no release: ends at 1280, before the next down: none
      ev(1500, 0xB0, 64, 100), // down 1500, never up: closes at last + 1
      ev(1600, 0x90, 67, 80),  // 9
      ev(2000, 0x80, 67, 0),
      ev(2100, 0x92, 60, 100), ev(2150, 0xB2, 64, 127), ev(2160, 0xB2, 64, 0), // 11: held into the next press
      ev(2500, 0x82, 60, 0),
  };
  std::vector<NotePedalSpan> spans = BuildNotePedalSpans(events);
  ASSERT_EQ(spans.size(), events.size());
  struct Expect {
    size_t index;
    uint8_t present;
    uint32_t down, up;
  } expected[] = {{0, 0, 0, 0}, {3, 1, 200, 1000}, {4, 0, 0, 0}, {7, 0, 0, 0}, {9, 1, 1500, 2501}, {11, 1, 2150, 2160}};
  for (const Expect& e : expected) {
    EXPECT_EQ(spans[e.index].present, e.present) << e.index;
    if (e.present) {
      EXPECT_EQ(std::pair(spans[e.index].downMs, spans[e.index].upMs), std::pair(e.down, e.up)) << e.index;
    }
  }
}
