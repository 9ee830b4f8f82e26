// The whole program as a new user meets it: the real binary in a fresh folder on a private display,
// with a private JACK server and a second JACK client as the keyboard. Every step is what a user
// does (X pointer and keys through xdotool, notes from the keyboard, a song chosen in the real file
// dialog); each one waits for a state it can see (pixels at positions computed from the program's
// own layout functions, files on disk, log lines), never for a fixed time, and keeps a screenshot
// in the build's "screenshots" folder. With TONVARRA_DOCS_DIR set, the pictures of the README's
// guide are written there as well.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "app/base/pointer.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "midi/playback.h"
#include "midi/seek_bar.h"
#include "tests/app/tour_support.h"
#include "theory/staff_panel.h"

namespace {

// ---- the steps ----

// An empty Data folder: the start screen comes up, the language list is opened with its button and
// English picked a row above the locale's Spanish; the choice is kept and the main view follows.
void FirstStart(Tour& t) {
  ASSERT_TRUE(t.WaitForWindow()) << t.Output();
  // The screen runs its few seconds from the first frame; F12 plays it again from its beginning,
  // so a slow start cannot make the button vanish before the press.
  StartScreenLayout l = t.StartLayout();
  const float bx = l.buttonX + l.buttonW / 2, by = l.buttonY + l.buttonH / 2;
  bool open = false;
  for (int attempt = 0; attempt < 5 && !open; ++attempt) {
    t.Key("F12");
    t.Click(bx, by);
    // The open list dims the scene and draws its rows on a panel: the row above the centre (English)
    // carries ink on its left.
    open = t.WaitForFrame([&](const Frame& f) { return f.Ink(l.rowsX + 4, l.rowsY + l.rowsH / 2 - 1.5f * l.rowH, l.rowsX + 120, l.rowsY + l.rowsH / 2 - 0.5f * l.rowH, 150); }, 6);
  }
  ASSERT_TRUE(open) << "the language list did not open";
  t.Shot("01a_language_list");
  EXPECT_FALSE(FileExists(t.DataFile("ui_language.txt"))) << "nothing is kept before a choice";
  const std::string kept = t.DataFile("ui_language.txt");
  ASSERT_TRUE(t.ClickUntil(l.rowsX + 30, l.rowsY + l.rowsH / 2 - l.rowH, [&](const Frame&) { return ReadFileBytes(kept) == "en-US"; }))
      << ReadFileBytes(kept);
  // The screen ends on its own; the main view shows the backdrop's gradient beside the circle.
  ASSERT_TRUE(t.WaitForFrame([&](const Frame& f) { return t.ShowsMainView(f); }, 30)) << "no main view";
  t.Shot("01b_main_view", "main_view");
}

// The keyboard plays C, E and G: the C sector lights and a name appears in the chord trail. F sharp
// joins: its sector lights red, off the C major scale. Then the C major scale is played up.
void KeyboardOnTheCircle(Tour& t) {
  ASSERT_TRUE(t.WaitForLog("SUCCESS: using device", 20)) << t.Output();
  CircleGeometry c = t.Circle();
  const Frame quiet = t.Screenshot();
  const Rgb quietC = quiet.At(c.SectorX(0), c.SectorY(0)), quietFs = quiet.At(c.SectorX(6), c.SectorY(6));
  const RectF trail = t.TrailBand();
  const int quietTrailInk = quiet.InkCount(trail, 170);

  t.Notes({60, 64, 67}, true);
  bool lit = t.WaitForFrame([&](const Frame& f) { return Brightness(f.At(c.SectorX(0), c.SectorY(0))) > Brightness(quietC) + 90; }, 10);
  EXPECT_TRUE(lit) << "the C sector did not light";
  bool named = t.WaitForFrame([&](const Frame& f) { return f.InkCount(trail, 170) > quietTrailInk + 20; }, 10);
  EXPECT_TRUE(named) << "no chord name in the trail";
  t.Shot("02a_c_major_triad");

  t.Notes({66}, true);
  bool red = t.WaitForFrame([&](const Frame& f) {
    Rgb p = f.At(c.SectorX(6), c.SectorY(6));
    return p[0] > p[1] + 60 && p[0] > p[2] + 60 && Brightness(p) > Brightness(quietFs) + 60;
  }, 10);
  EXPECT_TRUE(red) << "the F sharp sector did not turn red";
  t.Shot("02b_f_sharp_off_the_scale");
  t.Notes({60, 64, 66, 67}, false);

  // The scale up and down: every note of C major lights its sector in turn.
  for (int note : {60, 62, 64, 65, 67, 69, 71, 72}) {
    t.Notes({note}, true);
    int pos = (note % 12) * 7 % 12;
    EXPECT_TRUE(t.WaitForFrame([&](const Frame& f) { return Brightness(f.At(c.SectorX(pos), c.SectorY(pos))) > Brightness(quiet.At(c.SectorX(pos), c.SectorY(pos))) + 40; }, 10))
        << "note " << note;
    t.Notes({note}, false);
  }
  t.Shot("02c_scale_played");

  // The learning button puts up the overlay with the staff: a held C major triad stands on it as
  // three heads at the play line, on the rows of C, E and G.
  t.MirrorState("", false, false, false);
  const RectF learn = gLearningButtonRect;
  ASSERT_GT(learn.w, 2.0f);
  t.MirrorState("", false, false, true);
  StaffGeometry g;
  ASSERT_TRUE(ComputeStaffGeometry(&g));
  // The staff's top line crosses the panel.
  ASSERT_TRUE(t.ClickUntil(learn.x + learn.w / 2, learn.y + learn.h / 2, [&](const Frame& f) {
    return f.Ink(g.panel.x + g.panel.w / 2, g.trebleTop - 0.2f * g.sp, g.panel.x + g.panel.w / 2, g.trebleTop + 0.2f * g.sp, 150);
  })) << "no staff";
  const Frame bare = t.Last();
  t.Notes({60, 64, 67}, true);
  // A head where the bare staff had at most its line: a patch of new ink on the note's row.
  auto headAt = [&](const Frame& f, int note) {
    float y = StaffYForNote(note, g.middleCY, g.sp / 2, false);
    RectF row{g.playX - 4.0f * g.sp, y - 0.3f * g.sp, 5.0f * g.sp, 0.6f * g.sp};
    return f.Changed(bare, row, 80) > (int)(0.15f * g.sp * g.sp);
  };
  EXPECT_TRUE(t.WaitForFrame([&](const Frame& f) { return headAt(f, 60) && headAt(f, 64) && headAt(f, 67); }, 10))
      << "the staff does not show the triad";
  t.Shot("02d_staff");
  t.Notes({60, 64, 67}, false);
  const RectF back = gLearningButtonRect;
  t.MirrorState("", false, false, false);
  EXPECT_TRUE(t.ClickUntil(back.x + back.w / 2, back.y + back.h / 2, [&](const Frame& f) { return t.ShowsMainView(f); }));
}

// The seek bar's played part ends where its blue fill does; -1 when nothing is played yet.
float PlayedX(const Frame& f, const RectF& bar) {
  float end = -1.0f;
  for (float y = bar.y + bar.h * 0.5f; y < bar.y + bar.h; y += 1)
    for (float x = bar.x; x < bar.x + bar.w; x += 1) {
      Rgb p = f.At(x, y);
      if (p[2] > 150 && p[2] > p[0] + 60) end = std::max(end, x);
    }
  return end;
}

RectF Centre(const RectF& r) { return {r.x + r.w / 2, r.y + r.h / 2, 0, 0}; }

// A song of the lesson library chosen through the file menu and the real dialog: it sounds, the
// seek bar moves and takes a press, the speed slider doubles its pace, a loop keeps it between its
// points, and R stops the song and its sound at once.
void SongFromTheFileMenu(Tour& t) {
  t.song = t.LibraryFileForTheDialog("repertoire/frere_jacques.mid");
  ASSERT_FALSE(t.song.empty());
  t.MirrorState("", false, false, false);
  const RectF file = gFileButtonRect;
  gFileMenuOpen = true;
  RelayoutAll();
  const RectF item = gFileMenuOpenFileRect;
  gFileMenuOpen = false;
  std::thread answer = t.AnswerDialog("Open MIDI File", {{"key", "ctrl+l"}, {"key", "ctrl+a"},
                                                         {"type", "--delay", "15", t.song}, {"key", "Return"}});
  bool menu = t.ClickUntil(Centre(file).x, Centre(file).y, [&](const Frame& f) {
    return f.Ink(item.x + 8, item.y + 4, item.x + item.w - 8, item.y + item.h - 4, 180);
  });
  EXPECT_TRUE(menu) << "the file menu did not open";
  t.Shot("03a_file_menu");
  // The program waits for the dialog, which stands in front of its last frame.
  bool dialog = t.ClickUntil(Centre(item).x, Centre(item).y, [&](const Frame&) {
    std::string found = t.Xdo({"search", "--onlyvisible", "--name", "Open MIDI File"});
    return !found.empty() && found != "ok";
  }, 8, 2);
  EXPECT_TRUE(dialog) << "no file dialog";
  t.Shot("03b_file_dialog");
  answer.join();

  t.MirrorState(t.song, false, false, false);
  const RectF bar = gSeekBarRect;
  const uint32_t length = GetSongLengthMs();
  ASSERT_GT(length, 10000u);
  float x0, w;
  GetSeekBarGeometry(&x0, &w);
  auto songMs = [&](const Frame& f) {
    float x = PlayedX(f, bar);
    return x < 0 ? -1.0 : (double)SeekBarTimeForX(x, length);
  };
  ASSERT_TRUE(t.WaitForFrame([&](const Frame& f) { return songMs(f) > 300; }, 30)) << "the seek bar does not move";
  EXPECT_TRUE(t.WaitForSound(0.3, 0.003, false, 10)) << "no sound: " << t.AudioRms(0.3);
  t.Shot("03c_song_playing");

  // The pace of the song on the seek bar, in song ms per real second, over at least 1.5 s of song.
  auto pace = [&]() {
    Frame a = t.Screenshot();
    auto ta = std::chrono::steady_clock::now();
    double from = songMs(a);
    double to = from;
    std::chrono::steady_clock::time_point tb;
    t.WaitForFrame([&](const Frame& f) {
      tb = std::chrono::steady_clock::now();
      to = songMs(f);
      return to > from + 1500 || to < from;
    }, 10);
    double real = std::chrono::duration<double>(tb - ta).count();
    return to > from && real > 0 ? (to - from) / real : 0.0;
  };
  double normal = pace();
  const RectF speed = gSpeedSliderRect;
  const Frame atNormal = t.Last();
  EXPECT_TRUE(t.ClickUntil(speed.x + speed.w - 2, speed.y + speed.h / 2, [&](const Frame& f) { return f.Changed(atNormal, speed, 60) > 20; }))
      << "the speed slider did not move";
  // From the start again, so there is song enough for the faster pace.
  EXPECT_TRUE(t.ClickUntil(x0 + 2, bar.y + bar.h * 0.75f, [&](const Frame& f) { return songMs(f) < 1500; }))
      << "the seek bar did not take the press";
  double fast = pace();
  EXPECT_GT(fast, 1.5 * normal) << "normal " << normal << ", fast " << fast;
  EXPECT_LT(fast, 2.6 * normal) << "normal " << normal << ", fast " << fast;
  EXPECT_GT(normal, 600.0);

  // A loop from 40 % to 60 % of the song, its handles dragged from the ends of the bar: the song
  // wraps at its end and stays inside.
  const uint32_t in = length * 40 / 100, out = length * 60 / 100;
  LayoutLoopHandles();
  const RectF startHandle = gLoopStartHandleRect, endHandle = gLoopEndHandleRect;
  ASSERT_GT(startHandle.w, 0.0f);
  ASSERT_GT(endHandle.w, 0.0f);
  const float hy = startHandle.y + startHandle.h / 2;
  t.Drag(endHandle.x + endHandle.w / 2, hy, SeekBarXForTime(out, length), hy);
  t.Drag(startHandle.x + startHandle.w / 2, hy, SeekBarXForTime(in, length), hy);
  double last = -1;
  int wraps = 0, outside = 0;
  std::string seen;
  t.WaitForFrame([&](const Frame& f) {
    double ms = songMs(f);
    seen += " " + std::to_string((int)ms);
    if (ms < 0) return false;
    if (last >= 0 && ms < last - 300) ++wraps;
    // Just past the loop's start the fill ends under its handle, a little before the start.
    if (wraps > 0 && (ms < in - 1200.0 || ms > out + 600.0)) ++outside;
    last = ms;
    return wraps >= 3;
  }, 25);
  t.Shot("03d_loop");
  EXPECT_GE(wraps, 3) << "the loop did not hold";
  EXPECT_EQ(outside, 0) << "played outside the loop " << in << ".." << out << ":" << seen;

  // R: the song stops and its sound ends at once.
  ASSERT_TRUE(t.WaitForSound(0.3, 0.003, false, 10));
  t.Key("r");
  EXPECT_TRUE(t.WaitForSound(0.05, 1e-5, true, 3)) << "still sounding: " << t.AudioRms(0.05);
  EXPECT_TRUE(t.WaitForFrame([&](const Frame& f) { return songMs(f) <= 0; }, 5)) << "the song still plays";
  t.Shot("03e_reset");
}

// SIGTERM: the program ends with code 0, the exit log ends with the close and the destroy in that
// order, and every file in Data is whole: no temporary file is left and each record file starts
// with its format line and ends with a line end.
void Sigterm(Tour& t) {
  int status = t.Terminate();
  ASSERT_TRUE(WIFEXITED(status)) << t.Output();
  EXPECT_EQ(WEXITSTATUS(status), 0) << t.Output();
  std::string exitLog = ReadFileBytes(t.DataFile("exit_log.txt"));
  std::vector<std::string> lines = SplitLines(exitLog);
  ASSERT_GE(lines.size(), 2u) << exitLog;
  EXPECT_NE(lines[lines.size() - 2].find("  WM_CLOSE (title bar, Alt+F4, or a close request)"), std::string::npos) << exitLog;
  EXPECT_NE(lines.back().find("  WM_DESTROY"), std::string::npos) << exitLog;
  EXPECT_TRUE(WholeDataFiles(t.DataFile(""))) << DescribeFolder(t.DataFile(""));
}

struct Step {
  const char* name;
  void (*run)(Tour&);
};

const Step kSteps[] = {
    {"first start", FirstStart},
    {"the keyboard on the circle", KeyboardOnTheCircle},
    {"a song from the file menu", SongFromTheFileMenu},
    {"SIGTERM", Sigterm},
};

}  // namespace

TEST(Tour, NewUserFromFirstStartToAFinishedLesson) {
  Tour tour;
  if (!tour.Ready()) GTEST_SKIP() << tour.WhyNotReady();
  for (const Step& step : kSteps) {
    SCOPED_TRACE(step.name);
    step.run(tour);
    if (::testing::Test::HasFatalFailure()) {
      tour.Shot(std::string("failed_") + step.name);
      break;
    }
  }
}
