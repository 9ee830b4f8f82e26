// The frame's song steps above the pump: a lesson song's end (the attempt, then waiting paused at
// the start) and the metronome clicking on the song's beats.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "app/lesson_song_end.h"
#include "learning/learning_records.h"
#include "learning/library_index.h"
#include "learning/library_view_state.h"
#include "learning/practice_set.h"
#include "midi/playlist.h"
#include "midi/song_sound.h"
#include "midi/teaching_record.h"
#include "practice/teaching_timing.h"
#include "tests/learning/learning_fixture.h"
#include "tests/midi/transport_harness.h"

using namespace smf;

namespace {
void ClickOnSongBeat(const SongBeatInfo& info) { SyncTeachingClickToSong(gTeachingState, info); }
}  // namespace

class SongFrame : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    ResetLessonSongEnd();
  }
  // One pass of the frame's song steps after ms: the pump, then a lesson song's end; its end bits.
  int Frame(uint32_t ms) {
    int end = PumpAfter(ms);
    if (end) FinishLessonSong(Now(), end);
    return end;
  }
  // 16 ms frames until a lesson song's end has gone on (the song paused, or another one) or 5 s went
  // by; true when it went on. A lesson song that sounds rings out first, as a plain song does.
  bool FrameUntilTheLessonGoesOn() {
    const uint32_t start = gPlayStartMs;
    for (int pass = 0; pass < 320; ++pass) {
      if (!gPlaying || gPaused || gPlayStartMs != start) return true;
      Frame(16);
    }
    return !gPlaying || gPaused || gPlayStartMs != start;
  }
};

TEST_F(SongFrame, ALessonSongsEndRecordsAndWaitsAtTheStart) {
  std::vector<std::string> paths;
  for (const char* name : {"one.mid", "two.mid", "three.mid"}) paths.push_back(Write(name, ScaleSong()));
  struct Case {
    const char* what;
    bool playlist, repeat, lesson, judged;
    bool playing, paused, open;
    int index;
    const char* status;
  } cases[] = {
      // No library is loaded, so the attempt belongs to no known item and the status says so.
      {"lesson", false, false, true, false, true, true, true, -1, "MIDI playback finished"},
      {"graded lesson", false, false, true, true, true, true, true, -1, "MIDI playback finished"},
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
    EXPECT_EQ(Frame(c.lesson ? 501 : 1), c.lesson ? kLessonSongEnded : 0);
    EXPECT_TRUE(gPlaying && !gPaused) << "the last notes ring out first";
    EXPECT_TRUE(FrameUntilTheLessonGoesOn());
    EXPECT_EQ(gPlaying, c.playing);
    EXPECT_EQ(gPaused, c.paused);
    EXPECT_EQ(IsMidiOutputOpen(), c.open);
    EXPECT_EQ(gPlaylistIndex, c.index);
    EXPECT_EQ(gStatusText, c.status);
    EXPECT_FALSE(gSongEvents.empty());  // still loaded: the next toggle plays it again
    if (c.lesson) { EXPECT_TRUE(Pos() == 0 && gEventCursor == 0 && gPauseMs == Now()); }
  }
  gLearningItemLoaded = false;
}

// A lesson opened while a folder's playlist was playing is no entry of it: its end records the
// attempt and waits at its start, where the playlist's next song would otherwise start and the
// attempt be lost.
TEST_F(SongFrame, ALessonOpenedAfterAPlaylistEndsAsALesson) {
  gPlaylist = {Write("one.mid", ScaleSong()), Write("two.mid", ScaleSong())};
  ASSERT_TRUE(PlayPlaylistEntry(0));
  Load("lesson.mid", ScaleSong());
  LibraryItem item;
  item.id = "lesson";
  item.name = "A lesson";
  OpenLibraryItem(item);
  ASSERT_TRUE(gLearningItemLoaded);
  ResetViewModes();  // played through without waiting at each note
  SizeJudgeStates();
  gJudgeStates[0] = NoteJudgeState{1, 3.0f, Now(), 0, 0, 0, 0, 90, Now(), 0};
  PumpAfter(1999);
  EXPECT_EQ(Frame(501), kLessonSongEnded) << "the lesson's end, not the playlist's";
  EXPECT_TRUE(FrameUntilTheLessonGoesOn());
  EXPECT_EQ(gSongPath, "lesson.mid");
  EXPECT_TRUE(gPlaying && gPaused);
  EXPECT_EQ(Pos(), 0u);
  EXPECT_TRUE(gPlaylist.empty());
  gLearningItemLoaded = false;
  ResetPracticeSet();
}

// A lesson song's last notes are heard as a plain song's are: its attempt is recorded in the pass of
// its last event, but what follows waits until a note struck there has sounded a while, since the
// jump back to the start releases it and the next card's load closes the output. A muted run has
// nothing of the song's to ring out and goes on at once.
TEST_F(SongFrame, ALessonSongsLastNoteSoundsBeforeTheLessonGoesOn) {
  const uint32_t kG4 = 0x644390;  // struck at 1000 ms, the last event, with no note-off
  ScopedExeDir exe(dir_.path());
  WriteFileBytes(dir_.File("MIDI/Library/last.mid"), File(480, {On(0, 60, 100) + Off(480, 60) + On(480, 67, 100)}));
  WriteFileBytes(dir_.File("MIDI/Library/next.mid"), ScaleSong());
  WriteFileBytes(dir_.File("MIDI/Library/library_index.tsv"),
                 "header\nlast\t1\tetude\tStudies\tLast\t\t\t\t\t\t\tlast.mid\t120\t120\t0.9\t0.85\t\t\t\t\n"
                 "next\t1\tetude\tStudies\tNext\t\t\t\t\t\t\tnext.mid\t120\t120\t0.9\t0.85\t\t\t\t\n");
  struct Case {
    const char* what;
    bool set, muted;
    const char* songAfter;  // the song loaded once the lesson has gone on
  } cases[] = {{"a piece on its own, waiting at its start", false, false, "last.mid"},
               {"a set's card, the next card following", true, false, "next.mid"},
               {"a muted run", false, true, "last.mid"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetLearningModelForTest();
    LoadLibraryIndex();
    ResetViewModes();
    gSongView = true;  // the song plays along without a wait at each note: it sounds
    if (c.set) {
      gSelectedCards = {"last", "next"};
      ASSERT_TRUE(StartSelectedPractice()) << gStatusText;
    } else {
      ASSERT_TRUE(LoadLibraryItem(*FindLibraryItem("last"))) << gStatusText;
    }
    ASSERT_EQ(gSongPath, "last.mid");
    if (c.muted) {
      gPracticeMode = true;
      SetPlayAlongRun(true, false);
      ASSERT_TRUE(gPlayAlongRun);
    }
    SizeJudgeStates();
    gJudgeStates[0] = NoteJudgeState{1, 3.0f, Now(), 0, 0, 0, 0, 90, Now(), 0};
    Forget();
    const int attemptsBefore = gMasteryRecords["last"].attempts;  // the cases before kept theirs on disk
    const int64_t lastUs = SongTimeToClockUs(1000);
    int64_t recordedUs = -1, cutUs = -1, wentOnUs = -1;
    for (int pass = 0; pass < 250 && wentOnUs < 0; ++pass) {
      Frame(16);
      const int64_t now = ClockMicros64();
      if (recordedUs < 0 && gMasteryRecords["last"].attempts > attemptsBefore) recordedUs = now;
      bool released = std::any_of(RecordingOutput::Trace().begin(), RecordingOutput::Trace().end(),
                                  [](const RecordingOutput::Step& st) { return !st.cancel && st.message == 0x7BB0u; });
      if (cutUs < 0 && (released || RecordingOutput::Count("reset") || RecordingOutput::Count("close"))) cutUs = now;
      if (gPaused || gSongPath != "last.mid") wentOnUs = now;
    }
    ASSERT_GE(wentOnUs, 0) << "the lesson never went on";
    EXPECT_EQ(gSongPath, c.songAfter);
    EXPECT_EQ(gMasteryRecords["last"].attempts, attemptsBefore + 1);
    EXPECT_GE(recordedUs, lastUs);
    EXPECT_LT(recordedUs - lastUs, 16000) << "recorded " << (recordedUs - lastUs) / 1000 << " ms after the last event";
    if (c.muted) {
      EXPECT_EQ(wentOnUs, recordedUs) << "a muted run goes on in the pass of its last event";
      continue;
    }
    std::vector<RecordingOutput::Step> sounded = RecordingOutput::Sounded();
    auto g4 = std::find_if(sounded.begin(), sounded.end(), [&](const auto& st) { return st.message == kG4; });
    ASSERT_NE(g4, sounded.end()) << "the last note never sounded";
    EXPECT_EQ(g4->time, lastUs);
    ASSERT_GE(cutUs, 0);
    EXPECT_GE(cutUs - lastUs, 500000) << "released or closed " << (cutUs - lastUs) / 1000 << " ms after it struck";
    EXPECT_GE(wentOnUs - cutUs, 300000) << "went on " << (wentOnUs - cutUs) / 1000 << " ms after the release";
    EXPECT_LE(wentOnUs - lastUs, 2500000) << "a short pause after the song";
  }
  ResetLearningModelForTest();
}

TEST_F(SongFrame, TheMetronomeClicksOnTheSongsBeats) {
  beat_ = ClickOnSongBeat;
  gTeachingState.metronomeOn = 1;
  gTeachingState.timeSigNum = 3;
  Load("beats.mid", File(480, {On(0, 60, 1) + Off(4800, 60)}));  // 120 BPM, 5 s
  std::vector<int64_t> clicked;
  for (int step = 0; step < 160; ++step) {  // 1.6 s in 10 ms passes
    gTeachingState.clickFlash = 0.0f;
    PumpAfter(step == 0 ? 0 : 10);
    if (gTeachingState.clickFlash > 0.0f) clicked.push_back(gTeachingState.lastSongBeat);
  }
  EXPECT_EQ(clicked, (std::vector<int64_t>{0, 1, 2, 3}));
  EXPECT_FALSE(gSongBeatResync);
  EXPECT_EQ(gTeachingState.syncedToSong, 1);
  EXPECT_DOUBLE_EQ(gTeachingState.songBpm, 120.0);
  EXPECT_EQ(gTeachingState.lastBeatAccent, 1);  // beat 3 starts the second bar of 3

  // At half speed the beats come twice as far apart.
  SetPlaybackSpeed(0.5f);
  PumpAfter(0);
  EXPECT_DOUBLE_EQ(gTeachingState.songBpm, 60.0);

  // A seek 20 ms after a beat clicks that beat at once; 100 ms after one waits for the next.
  struct Case {
    uint32_t seekMs;
    bool clicks;
  } cases[] = {{2020, true}, {2600, false}};
  for (const Case& c : cases) {
    SeekPlayback(c.seekMs);
    EXPECT_TRUE(gSongBeatResync);
    gTeachingState.clickFlash = 0.0f;
    PumpAfter(0);
    EXPECT_FALSE(gSongBeatResync);
    EXPECT_EQ(gTeachingState.clickFlash > 0.0f, c.clicks) << c.seekMs;
  }
  // Stopping hands the grid back to the metronome's own clock.
  StopPlaybackAndCloseOutput();
  EXPECT_EQ(gTeachingState.syncedToSong, 0);
}

// The accents fall on the song's bars, not on the user's: two bars of 3/4, then 2/4, with the
// user's metronome in 4/4, which comes back when the song is closed.
TEST_F(SongFrame, TheAccentsFallOnTheSongsBars) {
  beat_ = ClickOnSongBeat;
  gTeachingState.metronomeOn = 1;
  gTeachingState.timeSigNum = 4;
  Load("waltz.mid", File(480, {On(0, 60, 1) + Off(4800, 60), TimeSig(0, 3, 2) + TimeSig(2880, 2, 2)}));
  std::vector<int64_t> clicked, accented;
  for (int step = 0; step < 460; ++step) {  // 4.6 s in 10 ms passes: beats 0..9 at 120 BPM
    gTeachingState.clickFlash = 0.0f;
    PumpAfter(step == 0 ? 0 : 10);
    if (gTeachingState.clickFlash <= 0.0f) continue;
    clicked.push_back(gTeachingState.lastSongBeat);
    if (gTeachingState.lastBeatAccent) accented.push_back(gTeachingState.lastSongBeat);
  }
  EXPECT_EQ(clicked, (std::vector<int64_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(accented, (std::vector<int64_t>{0, 3, 6, 8}));
  EXPECT_EQ(gTeachingState.timeSigNum, 2);
  UnloadMidi();
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(4, 4));
}

// 3/4, then from 3 s a 6/8 whose time signature clicks its dotted quarters (06 03 24 08, as
// exporters write it): the clicks and the grid move from quarters to dotted quarters, two a bar.
TEST_F(SongFrame, ASixEightClicksOnItsDottedQuarters) {
  beat_ = ClickOnSongBeat;
  gTeachingState.metronomeOn = 1;
  Load("clicks.mid", File(480, {On(0, 84, 60) + Off(60, 84) + On(8580, 84, 60) + Off(60, 84),
                                TimeSig(0, 3, 2) + TimeSig(2880, 6, 3, 8, 36)}));
  std::vector<uint32_t> clicked, accented;
  for (int step = 0; step < 600; ++step) {  // 6 s in 10 ms passes
    gTeachingState.clickFlash = 0.0f;
    PumpAfter(step == 0 ? 0 : 10);
    if (gTeachingState.clickFlash <= 0.0f) continue;
    clicked.push_back(Pos());
    if (gTeachingState.lastBeatAccent) accented.push_back(Pos());
  }
  EXPECT_EQ(clicked, (std::vector<uint32_t>{0, 500, 1000, 1500, 2000, 2500, 3000, 3750, 4500, 5250}));
  EXPECT_EQ(accented, (std::vector<uint32_t>{0, 1500, 3000, 4500}));
  EXPECT_DOUBLE_EQ(gTeachingState.songBpm, 80.0);  // the grid's beat, which on-beat judging uses
  EXPECT_EQ(std::pair(gTeachingState.timeSigNum, gTeachingState.timeSigDen), std::pair(6, 8));
}
