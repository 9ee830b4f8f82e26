// The transport with a driven clock and a recording output: load, pause and resume, speed,
// seeking, the loop region, the release of sounding notes, unload, titles and pedal spans.
#include "tests/midi/transport_harness.h"

#include <limits>

#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

using namespace smf;

TEST_F(TransportTest, LoadStartsTheSongAndOpensTheOutput) {
  ASSERT_TRUE(LoadAndPlayMidi(Write("Moonlight_Sonata-final.mid", ScaleSong())));
  EXPECT_TRUE(gPlaying);
  EXPECT_FALSE(gPaused);
  EXPECT_EQ(gSongPath, "Moonlight_Sonata-final.mid");
  EXPECT_EQ(gSongTitle, "Moonlight Sonata");
  EXPECT_EQ(gStatusText, "Playing: Moonlight Sonata");
  EXPECT_EQ(gSongEvents.size(), 8u);
  EXPECT_EQ(GetSongLengthMs(), 2000u);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 0u);
  EXPECT_EQ(RecordingOutput::Count("open"), 1u);
  EXPECT_TRUE(IsMidiOutputOpen());
  EXPECT_TRUE(gSongBeatResync);
  EXPECT_EQ(gLastEventTimeMs, Now());
}

TEST_F(TransportTest, LoadWithoutAnOutputPlaysOnTheDisplay) {
  RecordingOutput::OpenSucceeds() = false;
  ASSERT_TRUE(LoadAndPlayMidi(Write("a.mid", ScaleSong())));
  EXPECT_EQ(gStatusText, "Playing visualization only (synth unavailable)");
  PumpAfter(0);
  EXPECT_EQ(TakePosted().back(), NoteMsg(60, 100));
  EXPECT_TRUE(RecordingOutput::Messages().empty());
}

TEST_F(TransportTest, AFailedLoadLeavesTheCurrentSongPlaying) {
  Load("good.mid", ScaleSong());
  PumpAfter(600);
  std::string bad = Write("bad.mid", "MThd\0\0");
  EXPECT_FALSE(LoadAndPlayMidi(bad));
  EXPECT_EQ(gStatusText, "MIDI load failed: file too small");
  EXPECT_TRUE(gPlaying);
  EXPECT_EQ(gSongPath, "good.mid");
  EXPECT_EQ(gEventCursor, 3u);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 600u);
  EXPECT_EQ(RecordingOutput::Count("close"), 0u);
}

TEST_F(TransportTest, LoadingOverAPlayingSongReleasesItsNotesAndReopensTheOutput) {
  Load("one.mid", ScaleSong());
  PumpAfter(0);  // key 60 sounds
  TakePosted();
  RecordingOutput::Log().clear();
  ASSERT_TRUE(LoadAndPlayMidi(Write("two.mid", ScaleSong())));
  std::vector<Posted> posted = TakePosted();
  ASSERT_GE(posted.size(), 2u);
  EXPECT_EQ(posted[0], NoteMsg(60, 0));
  EXPECT_EQ(posted[1], PedalMsg(0));
  std::vector<std::string> expected = AllNotesOffLog();
  expected.insert(expected.end(), {"reset", "close", "open"});
  EXPECT_EQ(RecordingOutput::Log(), expected);
}

TEST_F(TransportTest, KeyOfTheSongSelectsItsScale) {
  struct Case {
    int sharps;
    std::string notes;
    const ScaleRow* row;
    int key;
  } cases[] = {
      {-3, "", &gScaleRows[kRowIonian], 3},
      {99, On(0, 57, 100) + On(240, 60, 90) + On(240, 64, 80) + On(240, 69, 100), &gScaleRows[kRowAeolian], 9},
  };
  for (const Case& c : cases) {
    std::string body = (c.sharps != 99 ? KeySig(0, c.sharps, 0) : "") + On(0, 60, 1) + c.notes;
    Load("k.mid", File(480, {body}));
    EXPECT_EQ(gSongKey, c.key);
    EXPECT_EQ(gCurrentScale, c.row);
    EXPECT_EQ(gKeyRoot, c.key);
    EXPECT_EQ(kFifthsOrder[gRingPos], c.key);
  }
}

TEST_F(TransportTest, PauseFreezesTheClockReleasesNotesAndResumeContinues) {
  Load("a.mid", ScaleSong());
  PumpAfter(0);
  PumpAfter(700);  // 60 released, 62 sounds
  TakePosted();
  RecordingOutput::Log().clear();

  TogglePlayback();
  EXPECT_TRUE(gPaused);
  EXPECT_EQ(gStatusText, "Paused MIDI: a.mid");
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{NoteMsg(62, 0), PedalMsg(0)}));
  EXPECT_EQ(RecordingOutput::Log(), AllNotesOffLog());  // the output stays open
  EXPECT_FALSE(gKeySounding[62]);

  Advance(5000);
  PumpMidiPlayback(Now());
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 700u);
  EXPECT_TRUE(TakePosted().empty());

  TogglePlayback();
  EXPECT_FALSE(gPaused);
  EXPECT_EQ(gPauseMs, 0u);
  EXPECT_EQ(gStatusText, "Resumed MIDI: a.mid");
  EXPECT_EQ(gLastEventTimeMs, Now());
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 700u);
  PumpAfter(300);
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{NoteMsg(62, 0), NoteMsg(64, 80)}));
}

TEST_F(TransportTest, TheClockRunsOnAcrossThe32BitWrap) {
  ClockDriveSet(0x2FFFFFF00ull);  // 256 ms before the 32-bit clock wraps
  Load("a.mid", ScaleSong());
  uint32_t start = Now();
  struct Step {
    uint32_t advance, position;
  } steps[] = {{200, 200}, {100, 300}, {900, 1200}};
  for (const Step& s : steps) {
    Advance(s.advance);
    EXPECT_EQ(GetPlaybackPositionMs(Now()), s.position) << std::hex << Now();
  }
  EXPECT_LT(Now(), start);  // the clock did wrap
  TogglePlayback();
  Advance(1000);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1200u);
  TogglePlayback();
  Advance(100);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1300u);
}

TEST_F(TransportTest, SpeedChangesKeepThePosition) {
  Load("a.mid", ScaleSong());
  Advance(1000);
  SetPlaybackSpeed(0.5f);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1000u);
  EXPECT_EQ(gLastEventTimeMs, Now());
  Advance(1000);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1500u);
  SetPlaybackSpeed(2.0f);
  Advance(100);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1700u);

  // While paused the shown position stays, and resuming continues from it.
  TogglePlayback();
  Advance(400);
  SetPlaybackSpeed(1.0f);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1700u);
  Advance(400);
  TogglePlayback();
  Advance(100);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1800u);
}

TEST_F(TransportTest, SpeedIsClampedAndTinyChangesAreIgnored) {
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
  EXPECT_FLOAT_EQ(SpeedFromSlider(-1.0f), 0.25f);
  EXPECT_FLOAT_EQ(SpeedFromSlider(0.5f), 1.125f);
  EXPECT_FLOAT_EQ(SpeedFromSlider(7.0f), 2.0f);
}

TEST_F(TransportTest, SeekJumpsReleasesAndClamps) {
  SeekPlayback(500);  // nothing loaded: nothing happens
  EXPECT_FALSE(gPlaying);
  Load("a.mid", ScaleSong());
  PumpAfter(0);
  TakePosted();

  SeekPlayback(1000);
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{NoteMsg(60, 0), PedalMsg(0)}));
  EXPECT_EQ(gEventCursor, 3u);  // the first event at 1000 ms
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1000u);
  EXPECT_TRUE(gSongBeatResync);
  PumpAfter(0);
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{NoteMsg(62, 0), NoteMsg(64, 80)}));

  SeekPlayback(999999);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 2000u);
  EXPECT_EQ(gEventCursor, 7u);

  StopPlaybackAndCloseOutput();
  SeekPlayback(500);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 0u);
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
    uint32_t arg;
    uint32_t a2, b2;
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
      {"start alone", false, 0, false, 0, 1, 20000, L, 0},
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
}

TEST_F(TransportTest, LoopWrapsAndShortRegionsDoNot) {
  Load("long.mid", File(480, {On(0, 60, 1) + On(1056, 62, 90) + Off(8544, 60)}));  // 62 at 1100 ms
  gLoopStartSet = gLoopEndSet = true;
  gLoopStartMs = 1000;
  gLoopEndMs = 1100;
  PumpAfter(0);  // before A: jumps to A; the region is widened to 1320 first
  EXPECT_EQ(gLoopEndMs, 1320u);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1000u);
  PumpAfter(319);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1319u);
  EXPECT_TRUE(gKeySounding[62]);
  TakePosted();
  PumpAfter(1);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 1000u);
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{NoteMsg(62, 0), PedalMsg(0)}));  // the wrap releases

  // 121..160 ms apart: kept, but never wraps.
  gLoopStartMs = 2000;
  gLoopEndMs = 2150;
  SeekPlayback(2000);
  PumpAfter(400);
  EXPECT_EQ(gLoopEndMs, 2150u);
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 2400u);
}

TEST_F(TransportTest, StartFromTheTopHonoursLoopStart) {
  Load("long.mid", File(480, {On(0, 60, 1) + Off(9600, 60)}));
  StopPlaybackAndCloseOutput();
  TogglePlayback();
  EXPECT_EQ(gStatusText, "Playing MIDI: long.mid");
  StopPlaybackAndCloseOutput();
  SetLoopStart(3000);
  TogglePlayback();
  EXPECT_EQ(GetPlaybackPositionMs(Now()), 3000u);
  UnloadMidi();
  TogglePlayback();
  EXPECT_EQ(gStatusText, "No MIDI playback running");
}

TEST_F(TransportTest, StopAndSilenceReleaseEverySoundingKey) {
  Load("chord.mid", File(480, {On(0, 60, 100) + On(0, 64, 100) + On(0, 67, 100) + Pedal(0, 127) + Off(960, 60)}));
  PumpAfter(0);
  TakePosted();
  RecordingOutput::Log().clear();
  SilenceMidiOutput();
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{NoteMsg(60, 0), NoteMsg(64, 0), NoteMsg(67, 0), PedalMsg(0)}));
  std::vector<std::string> expected = AllNotesOffLog();
  expected.push_back("reset");
  EXPECT_EQ(RecordingOutput::Log(), expected);
  EXPECT_TRUE(gPlaying);
  for (int k = 0; k < 128; ++k) EXPECT_FALSE(gKeySounding[k]);

  RecordingOutput::Log().clear();
  StopPlaybackAndCloseOutput();
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{PedalMsg(0)}));
  expected = AllNotesOffLog();
  expected.insert(expected.end(), {"reset", "close"});
  EXPECT_EQ(RecordingOutput::Log(), expected);
  EXPECT_FALSE(gPlaying);
  EXPECT_FALSE(IsMidiOutputOpen());
}

TEST_F(TransportTest, UnloadRestoresTheMetronomeAndForgetsEverything) {
  gTeachingState.bpm = 72;
  gTeachingState.timeSigNum = 3;
  gTeachingState.timeSigDen = 8;
  Load("a.mid", File(480, {Tempo(0, 400000) + On(0, 60, 1) + Off(480, 60)}));
  EXPECT_EQ(gTeachingState.bpm, 150);
  Load("b.mid", File(480, {Tempo(0, 1000000) + On(0, 60, 1) + Off(480, 60)}));
  EXPECT_EQ(gTeachingState.bpm, 60);
  gPlaylist = {"x.mid"};
  gPlaylistIndex = 0;
  SetLoopStart(100);
  UnloadMidi();
  EXPECT_EQ(gTeachingState.bpm, 72);
  EXPECT_EQ(gTeachingState.timeSigNum, 3);
  EXPECT_EQ(gTeachingState.timeSigDen, 8);
  EXPECT_EQ(gTeachingState.songBpm, 0.0);
  EXPECT_FALSE(gMetronomeSaved);
  EXPECT_TRUE(gSongEvents.empty());
  EXPECT_TRUE(gPlaylist.empty());
  EXPECT_EQ(gPlaylistIndex, -1);
  EXPECT_FALSE(gLoopStartSet);
  EXPECT_EQ(gSongKey, -1);
  EXPECT_EQ(gStatusText, "No MIDI loaded");
  EXPECT_FALSE(HasMidiContent());
  gPlaylist = {"x.mid"};
  EXPECT_TRUE(HasMidiContent());
  gPlaylist.clear();
  gSongPath = " \t";
  EXPECT_FALSE(HasMidiContent());
  gSongPath = "x";
  EXPECT_TRUE(HasMidiContent());
  gSongPath.clear();
}

TEST(SongTitle, FileNamesBecomeTitles) {
  struct Case {
    const char* file;
    const char* title;
  } cases[] = {
      {"my_song-final_v2.mid", "My Song"},
      {"Etude 12.mid", "Etude"},
      {"Etude 123.mid", "Etude 123"},
      {"EXPORT.mid", "Export"},
      {"piece_03_edited_copy.mid", "Piece"},
      {"Nocturne V3 Op9.mid", "Nocturne V3 Op9"},
      {"Bach.Prelude.in.C.MIDI", "Bach Prelude in C"},
      {"GYMNOPEDIE_NO_1.mid", "Gymnopedie No"},
      {"  __ .mid", "  __ "},
      {"v2.mid", "V2"},
      {"Song v10 New.midi", "Song"},
      {"Song v.mid", "Song v"},
      {"noextension", "Noextension"},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeSongTitle(c.file), c.title) << c.file;
}

TEST(SongClockText, MinutesSecondsTenths) {
  struct Case {
    uint32_t ms;
    const char* text;
  } cases[] = {{0, "0:00.0"}, {61234, "1:01.2"}, {599999, "9:59.9"}, {3600000, "60:00.0"}};
  for (const Case& c : cases) EXPECT_EQ(FormatTimeMss(c.ms), c.text);
}

TEST(PedalSpans, NotesGetTheSpanThatOverlapsThem) {
  auto ev = [](uint32_t t, int status, int d1, int d2) { return SongEvent{t, (uint8_t)status, (uint8_t)d1, (uint8_t)d2, 0}; };
  std::vector<SongEvent> events = {
      ev(0, 0x90, 60, 100),    // 0: before the pedal, ends at 100: no span
      ev(100, 0x80, 60, 0),
      ev(200, 0xB0, 64, 127),  // pedal down 200
      ev(300, 0x90, 62, 90),   // 3: inside: [200, 1000]
      ev(300, 0x91, 64, 90),   // 4: other channel: no pedal there
      ev(900, 0x90, 62, 0),
      ev(1000, 0xB0, 64, 0),   // pedal up 1000
      ev(1100, 0x90, 65, 80),  // 7: no release: ends at 1280, before the next down: none
      ev(1500, 0xB0, 64, 100), // down 1500, never up: closes at last + 1
      ev(1600, 0x90, 67, 80),  // 9
      ev(2000, 0x80, 67, 0),
  };
  std::vector<NotePedalSpan> spans = BuildNotePedalSpans(events);
  ASSERT_EQ(spans.size(), events.size());
  struct Expect {
    size_t index;
    uint8_t present;
    uint32_t down, up;
  } expected[] = {{0, 0, 0, 0}, {3, 1, 200, 1000}, {4, 0, 0, 0}, {7, 0, 0, 0}, {9, 1, 1500, 2001}};
  for (const Expect& e : expected) {
    EXPECT_EQ(spans[e.index].present, e.present) << e.index;
    if (e.present) {
      EXPECT_EQ(spans[e.index].downMs, e.down) << e.index;
      EXPECT_EQ(spans[e.index].upMs, e.up) << e.index;
    }
  }
  // A note held into the next pedal press gets that pedal.
  std::vector<SongEvent> held = {ev(0, 0x90, 60, 100), ev(50, 0xB0, 64, 127), ev(60, 0xB0, 64, 0),
                                 ev(500, 0x80, 60, 0)};
  EXPECT_EQ(BuildNotePedalSpans(held)[0].present, 1);
  EXPECT_EQ(BuildNotePedalSpans(held)[0].upMs, 60u);
  // No pedal, no span.
  for (const NotePedalSpan& s : BuildNotePedalSpans({ev(0, 0x90, 60, 1), ev(10, 0x80, 60, 0)})) EXPECT_EQ(s.present, 0);
}
