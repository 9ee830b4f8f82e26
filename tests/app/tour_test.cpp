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
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/pointer.h"
#include "board/board_layout.h"
#include "board/lane_keys.h"
#include "board/practice_run_mouse.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/lesson_panel.h"
#include "learning_ui/library_button.h"
#include "learning_ui/skills_radar.h"
#include "midi/midi_file.h"
#include "midi/playback.h"
#include "midi/seek_bar.h"
#include "platform/clock.h"
#include "practice/student_colours.h"
#include "practice/students.h"
#include "tests/app/tour_support.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

namespace {

namespace fs = std::filesystem;

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
// joins: its sector lights red, off the C major scale. The learning button's staff shows the triad.
void KeyboardOnTheCircle(Tour& t) {
  ASSERT_TRUE(t.WaitForLog("SUCCESS: using device", 20)) << t.Output();
  CircleGeometry c = t.Circle();
  const Frame quiet = t.Screenshot();
  const Rgb quietC = quiet.At(c.SectorX(0), c.SectorY(0)), quietFs = quiet.At(c.SectorX(6), c.SectorY(6));
  const RectF trail = t.TrailBand();
  const int quietTrailInk = quiet.InkCount(trail, 170);

  t.Notes({60, 64, 67}, true);
  bool lit = t.WaitForFrame([&](const Frame& f) {
    if (Brightness(f.At(c.SectorX(0), c.SectorY(0))) > Brightness(quietC) + 90) return true;
    t.Notes({60, 64, 67}, true);  // held keys: a repeated note-on makes good a lost one
    return false;
  }, 15);
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
    RectF row{g.playX - 12.0f * g.sp, y - 0.3f * g.sp, 13.0f * g.sp, 0.6f * g.sp};
    return f.Changed(bare, row, 80) > (int)(0.15f * g.sp * g.sp);
  };
  // A note-on repeated while the key is held changes nothing but its velocity: sent again while
  // waiting, so a message a loaded machine lost is made good.
  EXPECT_TRUE(t.WaitForFrame([&](const Frame& f) {
    if (headAt(f, 60) && headAt(f, 64) && headAt(f, 67)) return true;
    t.Notes({60, 64, 67}, true);
    return false;
  }, 15)) << "the staff does not show the triad";
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

  // The pace of the song on the seek bar, in song ms per real second, over at least 3 s of song.
  // A screenshot is taken somewhere inside a slow child process, so each is stamped halfway
  // through it: on a loaded machine a stamp at either end is off by as much as a third of a second.
  auto pace = [&]() {
    using Clock = std::chrono::steady_clock;
    auto halfway = [](Clock::time_point from, Clock::time_point to) { return from + (to - from) / 2; };
    Clock::time_point before = Clock::now();
    Frame a = t.Screenshot();
    Clock::time_point after = Clock::now();
    const Clock::time_point ta = halfway(before, after);
    double from = songMs(a);
    double to = from;
    Clock::time_point tb = ta;
    t.WaitForFrame([&](const Frame& f) {
      // The frame was taken after the previous test returned (or the first shot ended).
      const Clock::time_point now = Clock::now();
      tb = halfway(after, now);
      after = now;
      to = songMs(f);
      return to > from + 3000 || to < from;
    }, 12);
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
  // Twice the pace, read off screenshots whose moments a loaded machine blurs.
  EXPECT_GT(fast, 1.4 * normal) << "normal " << normal << ", fast " << fast;
  EXPECT_LT(fast, 3.5 * normal) << "normal " << normal << ", fast " << fast;
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
    return wraps >= 2;
  }, 20);
  t.Shot("03d_loop");
  EXPECT_GE(wraps, 2) << "the loop did not hold";
  EXPECT_EQ(outside, 0) << "played outside the loop " << in << ".." << out << ":" << seen;

  // R: the song stops and its sound ends at once.
  ASSERT_TRUE(t.WaitForSound(0.3, 0.003, false, 10));
  t.Key("r");
  EXPECT_TRUE(t.WaitForSound(0.05, 1e-5, true, 3)) << "still sounding: " << t.AudioRms(0.05);
  EXPECT_TRUE(t.WaitForFrame([&](const Frame& f) { return songMs(f) <= 0; }, 5)) << "the song still plays";
  t.Shot("03e_reset");
  // Its X unloads the song: the button goes with it.
  const RectF unload = gUnloadSongRect;
  ASSERT_GT(unload.w, 2.0f);
  EXPECT_TRUE(t.ClickUntil(unload.x + unload.w / 2, unload.y + unload.h / 2, [&](const Frame& f) {
    return !f.Ink(unload.x + 2, unload.y + 2, unload.x + unload.w - 2, unload.y + unload.h - 2, 150);
  })) << "the song was not unloaded";
}

// ---- students, the classroom, the practice board ----

// The test process's copy of the students the program shows, for the panels' layout.
void MirrorStudents(const std::vector<std::string>& names, int active, bool panelOpen) {
  gStudents.clear();
  for (const std::string& n : names) gStudents.push_back(Student{n, IdSlugFromName(n), 0.3f, 0.48f, 0.76f});
  gActiveStudentIndex = active;
  gStudentListOpen = panelOpen;
  gColourPopupOpen = false;
  gSelectedStudentRow = -1;
  RelayoutAll();
}

bool InkIn(const Frame& f, const RectF& r, int above) { return f.Ink(r.x + 3, r.y + 3, r.x + r.w - 3, r.y + r.h - 3, above); }

// Opens the students panel with its button; true when its name entry shows.
bool OpenStudentsPanel(Tour& t, const std::vector<std::string>& names, int active) {
  MirrorStudents(names, active, false);
  const RectF button = gStudentsButtonRect;
  MirrorStudents(names, active, true);
  const RectF entry = gStudentNameEntryRect;
  return t.ClickUntil(button.x + button.w / 2, button.y + button.h / 2, [&](const Frame& f) { return InkIn(f, entry, 60); });
}

// Closes the students panel with its button; true when the panel's area changed.
bool CloseStudentsPanel(Tour& t, const std::vector<std::string>& names, int active) {
  MirrorStudents(names, active, true);
  const RectF open = gStudentsPanelRect;
  MirrorStudents(names, active, false);
  const RectF button = gStudentsButtonRect;
  const Frame withPanel = t.Screenshot();
  return t.ClickUntil(button.x + button.w / 2, button.y + button.h / 2, [&](const Frame& f) { return f.Changed(withPanel, open, 40) > 1000; });
}

// The institution panel's rectangles in its main view.
InstitutionPanelLayout InstitutionMainView() {
  gInstitutionPanelOpen = true;
  gInstitutionEntryActive = false;
  gInstitutionSubViewOpen = false;
  return LayoutInstitutionPanel(GetUiScale());
}

// Two students added as the panels lead a user: a name typed in the students panel and its Add,
// which opens the institution panel holding the name, and Enter there. The first is given a colour
// from the wheel of its swatch, the second is made the active student by a press on its name.
void Students(Tour& t) {
  const std::string file = t.DataFile("students.dat");
  std::vector<std::string> names;
  t.MirrorState("", false, false, false);
  ASSERT_TRUE(OpenStudentsPanel(t, names, -1)) << "the students panel did not open";
  const RectF panel = InstitutionMainView().panel;
  for (const char* name : {"Ada", "Ben"}) {
    MirrorStudents(names, -1, true);
    const RectF entry = gStudentNameEntryRect, add = gAddStudentButtonRect;
    t.Click(entry.x + entry.w / 2, entry.y + entry.h / 2);
    t.Type(name);
    ASSERT_TRUE(t.ClickUntil(add.x + add.w / 2, add.y + add.h / 2, [&](const Frame& f) { return f.InkCount(panel, 150) > 300; }))
        << "no institution panel";
    t.Key("Return");
    ASSERT_TRUE(t.WaitForFrame([&](const Frame&) { return ReadFileBytes(file).find(std::string("\n") + name + "|") != std::string::npos; }, 15))
        << ReadFileBytes(file) << t.Output();
    names.push_back(name);
    // The open students panel shows the new row at once.
    MirrorStudents(names, -1, true);
    const RectF row = gStudentNameRects.back();
    EXPECT_TRUE(t.WaitForFrame([&](const Frame& f) { return InkIn(f, row, 150); }, 10)) << "no row for " << name;
    t.Shot(std::string("04a_student_") + name);
    t.Key("Escape");  // the institution panel goes; the students panel stays
  }
  // The first row's swatch opens the colour wheel; a press on the wheel colours the swatch.
  MirrorStudents(names, -1, true);
  ASSERT_EQ(gStudentSwatchRects.size(), 2u);
  const RectF swatch = gStudentSwatchRects[0], benName = gStudentNameRects[1];
  const std::string uncoloured = ReadFileBytes(file);
  gSelectedStudentRow = 0;
  gColourPopupOpen = true;
  RectF box;
  float cx, cy, radius;
  ASSERT_TRUE(ShowColourPopup(&box, &cx, &cy, &radius));
  ASSERT_TRUE(t.ClickUntil(swatch.x + swatch.w / 2, swatch.y + swatch.h / 2, [&](const Frame& f) { return f.InkCount(box, 150) > 200; }))
      << "no colour wheel";
  const Rgb before = t.Last().At(swatch.x + swatch.w / 2, swatch.y + swatch.h / 2);
  EXPECT_TRUE(t.ClickUntil(cx + 0.7f * radius, cy, [&](const Frame& f) {
    Rgb now = f.At(swatch.x + swatch.w / 2, swatch.y + swatch.h / 2);
    return std::abs(now[0] - before[0]) + std::abs(now[1] - before[1]) + std::abs(now[2] - before[2]) > 60;
  })) << "the swatch kept its colour";
  t.Shot("04b_colour_wheel");
  ASSERT_TRUE(t.WaitForFileChange(file, uncoloured, 10)) << "the colour was not kept: " << uncoloured;
  // A press on the second name makes it active.
  ASSERT_TRUE(t.ClickUntil(benName.x + benName.w / 2, benName.y + benName.h / 2, [&](const Frame&) {
    return ReadFileBytes(file).find("active=1\n") != std::string::npos;
  })) << ReadFileBytes(file);
  std::vector<std::string> lines = SplitLines(ReadFileBytes(file));
  ASSERT_EQ(lines.size(), 4u) << ReadFileBytes(file);
  EXPECT_EQ(lines[0], "STUDENTS_V2");
  EXPECT_EQ(lines[2].rfind("Ada|ada|", 0), 0u) << lines[2];
  EXPECT_EQ(lines[2].find("|0.3|0.48|0.76"), std::string::npos) << "the picked colour is kept: " << lines[2];
  EXPECT_EQ(lines[3], "Ben|ben|0.3|0.48|0.76");
  t.Screenshot();
  t.Shot("04c_second_student_active");
  t.Key("Escape");  // the student view the press opened
  // The panel closed with its button.
  EXPECT_TRUE(CloseStudentsPanel(t, names, 1)) << "the students panel did not close";
}

// Every file of the Data folder with its bytes, but the exit log.
std::map<std::string, std::string> DataSnapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file() && e.path().filename() != "exit_log.txt") files[e.path().string()] = ReadFileBytes(e.path().string());
  return files;
}

// The institution panel without a classroom server: it says so, the seat request and the class
// code say so again at once, nothing waits for a server, and no file changes.
void ClassroomWithoutAServer(Tour& t) {
  const auto before = DataSnapshot(t.DataFile(""));
  const std::vector<std::string> names = {"Ada", "Ben"};
  t.MirrorState("", false, false, false);
  ASSERT_TRUE(OpenStudentsPanel(t, names, 1));
  MirrorStudents(names, 1, true);
  const RectF add = gAddStudentButtonRect;
  InstitutionPanelLayout main = InstitutionMainView();
  ASSERT_TRUE(t.ClickUntil(add.x + add.w / 2, add.y + add.h / 2, [&](const Frame& f) { return f.InkCount(main.panel, 150) > 300; }))
      << "no institution panel";
  t.Key("Escape");  // out of its new-student entry; the panel stays
  t.Shot("05a_institution_panel");
  const Frame mainView = t.Screenshot();
  gInstitutionSubViewOpen = true;
  InstitutionPanelLayout sub = LayoutInstitutionPanel(GetUiScale());
  ASSERT_TRUE(t.ClickUntil(main.subViewButton.x + main.subViewButton.w / 2, main.subViewButton.y + main.subViewButton.h / 2,
                           [&](const Frame& f) { return f.Changed(mainView, main.panel, 60) > 300; }))
      << "no second view";
  for (const RectF& r : {sub.requestButton, sub.classCodeButton}) {
    if (r.w <= 2) continue;
    const Frame shown = t.Screenshot();
    EXPECT_TRUE(t.ClickUntil(r.x + r.w / 2, r.y + r.h / 2, [&](const Frame& f) { return f.Changed(shown, main.panel, 60) > 30; }))
        << "no answer shown";
  }
  t.Shot("05b_no_server");
  for (int i = 0; i < 3; ++i) t.Key("Escape");
  // The students panel closed with its button.
  EXPECT_TRUE(CloseStudentsPanel(t, names, 1)) << "the students panel did not close";
  EXPECT_TRUE(DataSnapshot(t.DataFile("")) == before) << DescribeFolder(t.DataFile(""));
}

// The centre of a cell of the board's grid, the list unscrolled.
void CellCentre(int row, int col, float* x, float* y) {
  BoardLayout b;
  ComputeBoardLayout(&b);
  *x = b.gridX + (float)col * (b.cellW + b.cellGap) + b.cellW / 2.0f;
  *y = b.gridY + ((float)row - ScaleWindowFraction()) * (b.cellH + b.cellGap) + b.cellH / 2.0f;
}

// A line under the grid where the run writes its status (0) and the region's record (1).
RectF HudLine(int line) {
  BoardLayout b;
  ComputeBoardLayout(&b);
  return {b.contentX, b.gridY + b.gridH + 8 + 14.0f * (float)line, b.gridX + b.gridW * 0.7f - b.contentX, 13};
}

// A scale from the tonic of a ring position up an octave from middle C's octave.
std::vector<int> UpwardRun(int scaleRow, int ringPos) {
  const ScaleRow& scale = gScaleRows[scaleRow];
  int tonic = 60 + kFifthsOrder[ringPos];
  std::vector<int> notes;
  for (int i = 0; i < scale.count; ++i) notes.push_back(tonic + scale.pcs[i]);
  notes.push_back(tonic + 12);
  return notes;
}

// Chooses the region of C and G Ionian with the run button and a drag over the grid; true when the
// armed run tints both cells.
bool ArmRunOnTwoCells(Tour& t) {
  t.MirrorState("", false, false, false);
  MirrorStudents({"Ada", "Ben"}, 1, false);
  const RectF button = GetPracticeRunButtonRect();
  float ax, ay, bx, by;
  CellCentre(0, 0, &ax, &ay);
  CellCentre(0, 1, &bx, &by);
  const RectF record = HudLine(1);
  // The button starts the choice: the grid's cells answer the pointer from then on; the armed run
  // writes its invitation under the grid and, below it, the region's record (or that it has none).
  t.Click(button.x + button.w / 2, button.y + button.h / 2);
  t.Drag(ax, ay, bx, by);
  return t.WaitForFrame([&](const Frame& f) { return f.InkCount(record, 120) > 60; }, 10);
}

// The practice board: a region picked with the mouse, the run started by its first note and
// played through (each cell's scale upwards), and its record written for the active student.
void PracticeRun(Tour& t) {
  ASSERT_TRUE(ArmRunOnTwoCells(t)) << "the region was not picked";
  t.Shot("06a_region_armed");
  t.armedWithoutRecord = t.Last();
  for (int ringPos : {0, 1})
    for (int note : UpwardRun(kRowIonian, ringPos)) {
      t.Notes({note}, true);
      std::this_thread::sleep_for(std::chrono::milliseconds(180));  // a player's pace
      t.Notes({note}, false);
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
  const std::string runs = t.DataFile("practice_runs.dat");
  ASSERT_TRUE(t.WaitForFileChange(runs, "", 20)) << "no record written\n" << t.Output();
  t.practiceRecord = ReadFileBytes(runs);
  std::vector<std::string> lines = SplitLines(t.practiceRecord);
  ASSERT_EQ(lines.size(), 2u) << t.practiceRecord;
  EXPECT_EQ(lines[0], "PRACTICE_RUNS_V1");
  EXPECT_EQ(lines[1].rfind("ben|Ben|L:r0-0:c0-1|", 0), 0u) << lines[1];
  t.Screenshot();
  t.Shot("06b_run_complete");
  t.Key("Escape");
}

// ---- the lane and a lesson ----

// Where a key of the lane's keyboard shows its colour: low on a white key, high on a black one.
void LaneKeyPoint(int note, float* x, float* y) {
  NoteFallStrip st = ComputeNoteFallStrip();
  KeyboardLayout k = MakeKeyboardLayout(st.keyboardX, st.keyboardW);
  float kx = 0, kw = 0;
  bool black = false;
  GetLaneKeyRect(k, note, &kx, &kw, &black);
  *x = kx + kw / 2;
  *y = st.keyboardTop + st.keyboardH * (black ? 0.35f : 0.85f);
}

// A learning record file as rows of named fields, by id.
std::map<std::string, std::map<std::string, std::string>> ReadRecords(const std::string& path) {
  std::map<std::string, std::map<std::string, std::string>> rows;
  auto split = [](const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, '\t')) cells.push_back(cell);
    return cells;
  };
  std::vector<std::string> lines = SplitLines(ReadFileBytes(path));
  if (lines.empty()) return rows;
  std::vector<std::string> header = split(lines[0]);
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> cells = split(lines[i]);
    for (size_t c = 0; !cells.empty() && c < cells.size() && c < header.size(); ++c) rows[cells[0]][header[c]] = cells[c];
  }
  return rows;
}

// The song the program said it started after `from` in its output: the file and the speed it
// plays at (a later speed line wins); false when none came.
bool SongStarted(const Tour& t, size_t from, std::string* path, double* speed) {
  const std::string kStarted = "[playback] started ", kSpeed = "[playback] speed ", kAt = " at speed ";
  if (!t.WaitForLog(kStarted, 60, from)) return false;
  const std::string out = t.Output();
  size_t at = out.find(kStarted, from), end = out.find('\n', at);
  if (end == std::string::npos) return false;
  std::string line = out.substr(at + kStarted.size(), end - at - kStarted.size());
  size_t split = line.rfind(kAt);
  if (split == std::string::npos) return false;
  *path = line.substr(0, split);
  *speed = std::atof(line.c_str() + split + kAt.size());
  for (size_t s = out.find(kSpeed, end); s != std::string::npos; s = out.find(kSpeed, s + 1)) *speed = std::atof(out.c_str() + s + kSpeed.size());
  return *speed > 0.0;
}

// One note of a song as a player reads it: when its key goes down and up (song ms), how hard.
struct SongNote {
  uint32_t on, off;
  int note, velocity;
};

// The song's notes, read with the program's own reader; a note struck twice at one time (two
// channels doubling it) is one key press.
std::vector<SongNote> ReadSongNotes(const std::string& path) {
  std::vector<SongEvent> events;
  std::vector<TempoPoint> tempo;
  int key = -1;
  bool minor = false;
  std::string error;
  std::vector<SongNote> notes;
  if (!ParseMidiFile(path, events, tempo, key, minor, error)) return notes;
  for (size_t i = 0; i < events.size(); ++i) {
    const SongEvent& e = events[i];
    if ((e.status & 0xF0) != 0x90 || e.data2 == 0 || e.data1 > 127) continue;
    bool doubled = false;
    for (const SongNote& n : notes) doubled = doubled || (n.on == e.timeMs && n.note == e.data1);
    if (doubled) continue;
    SongNote n{e.timeMs, e.timeMs + 180, e.data1, e.data2};
    for (size_t k = i + 1; k < events.size(); ++k) {
      const SongEvent& o = events[k];
      if ((o.status & 0x0F) != (e.status & 0x0F) || o.data1 != e.data1) continue;
      if ((o.status & 0xF0) == 0x80 || ((o.status & 0xF0) == 0x90 && o.data2 == 0)) {
        n.off = o.timeMs;
        break;
      }
    }
    notes.push_back(n);
  }
  return notes;
}

// A key going down or up, in ms from the player's first press.
struct KeyAction {
  double atMs;
  bool on;
  int note, velocity;
};

void AddRelease(std::vector<KeyAction>* plan, double atMs, int note) { plan->push_back({atMs, false, note, 0}); }

// In time order; at one time a release goes before a press, as in the song.
void SortPlan(std::vector<KeyAction>* plan) {
  std::stable_sort(plan->begin(), plan->end(), [](const KeyAction& a, const KeyAction& b) {
    return a.atMs != b.atMs ? a.atMs < b.atMs : (!a.on && b.on);
  });
}

// The song played as written: every key at its note's time at the program's speed, as hard as the
// song strikes it, held to its end. The first press is the moment the song waits at its first note,
// so every later one falls where the song's clock expects it.
std::vector<KeyAction> PlayedWell(const std::vector<SongNote>& notes, double speed) {
  std::vector<KeyAction> plan;
  const double first = notes.front().on;
  for (size_t i = 0; i < notes.size(); ++i) {
    const SongNote& n = notes[i];
    // Released a little after the note's end, so a moment of jitter never lets a held note go
    // early, but always before the same key's next press.
    double on = (n.on - first) / speed, off = (n.off - first) / speed + 25.0;
    for (size_t k = i + 1; k < notes.size(); ++k)
      if (notes[k].note == n.note) {
        off = std::min(off, (notes[k].on - first) / speed - 5.0);
        break;
      }
    plan.push_back({on, true, n.note, n.velocity});
    AddRelease(&plan, std::max(off, on + 10.0), n.note);
  }
  SortPlan(&plan);
  return plan;
}

// The song played badly: at every note time a wrong key a semitone up first, then the right keys
// 450 ms after the song has come to them and waits, at one even strength.
std::vector<KeyAction> PlayedBadly(const std::vector<SongNote>& notes, double speed) {
  std::vector<KeyAction> plan;
  double at = 0.0;
  for (size_t i = 0; i < notes.size();) {
    size_t end = i;
    while (end < notes.size() && notes[end].on == notes[i].on) ++end;
    if (i > 0) at += (notes[i].on - notes[i - 1].on) / speed + 450.0;
    else at = 300.0;
    int wrong = notes[i].note + 1;
    for (size_t k = i; k < end; ++k)
      if (notes[k].note == wrong) ++wrong;
    plan.push_back({at - 300.0, true, wrong, 80});
    AddRelease(&plan, at - 240.0, wrong);
    for (size_t k = i; k < end; ++k) {
      plan.push_back({at, true, notes[k].note, 80});
      AddRelease(&plan, at + (notes[k].off - notes[k].on) / speed + 25.0, notes[k].note);
    }
    i = end;
  }
  SortPlan(&plan);
  return plan;
}

// The play button in its running look (the song plays and is not paused); `play` is its place.
bool SongRuns(const Frame& f, const RectF& play) {
  Rgb p = f.At(play.x + 0.18f * play.w, play.y + 0.5f * play.h);
  return p[2] > 150 && p[2] > p[0] + 60;
}

// A key of the lane in a colour of its own, as the song waits for it: a key at rest is grey or black.
bool LaneKeyLit(const Frame& f, int note) {
  float x, y;
  LaneKeyPoint(note, &x, &y);
  Rgb c = f.At(x, y);
  int hi = std::max({c[0], c[1], c[2]}), lo = std::min({c[0], c[1], c[2]});
  return hi > 110 && hi - lo > 45;
}

// Plays the song the program started after `from` in its output (well or badly) on the JACK
// keyboard, from the moment the song runs and waits at its first note, and waits for the student's
// records to gain the song's attempt; its id, "" when none came. `from` moves past the song's
// "started" line. With `shootLane` a picture of the lane with the song is kept.
std::string PlayTheSong(Tour& t, const std::string& mastery, size_t* from, bool badly, bool shootLane) {
  const auto before = ReadRecords(mastery);
  std::string path;
  double speed = 1.0;
  if (!SongStarted(t, *from, &path, &speed)) {
    ADD_FAILURE() << "the program did not say which song it started\n" << t.Output();
    return "";
  }
  *from = t.Output().find('\n', t.Output().find("[playback] started ", *from));
  const std::vector<SongNote> notes = ReadSongNotes(path);
  if (notes.empty()) {
    ADD_FAILURE() << "no notes in " << path;
    return "";
  }
  t.MirrorState(path, true, true, false);
  const RectF play = gPlayButtonRect;
  if (!t.WaitForFrame([&](const Frame& f) { return SongRuns(f, play) && LaneKeyLit(f, notes.front().note); }, 60)) {
    ADD_FAILURE() << "the song does not wait at its first note " << notes.front().note;
    return "";
  }
  // The song waits at its first note with the next ones falling towards their keys. Taken now: a
  // screenshot forks this process, which stalls the player's thread while it plays.
  if (shootLane) t.Shot("07c_lane_with_the_song", "board_with_lane");
  const std::vector<KeyAction> plan = badly ? PlayedBadly(notes, speed) : PlayedWell(notes, speed);
  double worstLateMs = 0.0;
  const size_t beforeFirst = t.Output().size();
  double takenAfterMs = -1.0;
  int waits = 0;
  std::thread player([&] {
    // The times count from the first press as it goes out: a thread slow to begin shifts them all.
    t.Notes({plan.front().note}, plan.front().on, plan.front().velocity);
    auto start = std::chrono::steady_clock::now() - std::chrono::microseconds((int64_t)(plan.front().atMs * 1000.0));
    // A song waiting at a note goes on from the moment the program takes its key, which a loaded
    // machine dates up to a frame later than it came (the program says so, in its clock, which is
    // this process's too). Played well, the keys after it follow the song's clock from there, as a
    // player listening to it would: first at the opening note, then after every later wait.
    const std::string kGoesOn = "[play-along] the song goes on from ";
    size_t seen = beforeFirst;
    auto follow = [&]() {
      const std::string out = t.Output();
      bool found = false;
      for (size_t at = out.find(kGoesOn, seen); at != std::string::npos; at = out.find(kGoesOn, seen)) {
        seen = at + kGoesOn.size();
        unsigned songMs = 0, clockMs = 0;
        if (sscanf(out.c_str() + seen, "%u ms at clock %u", &songMs, &clockMs) != 2) continue;
        const auto taken = std::chrono::steady_clock::now() - std::chrono::milliseconds((int32_t)(ClockMs32() - clockMs));
        const auto songStart = taken - std::chrono::microseconds((int64_t)((songMs - notes.front().on) / speed * 1000.0));
        if (takenAfterMs < 0) takenAfterMs = std::chrono::duration<double, std::milli>(songStart - start).count();
        else ++waits;
        start = songStart;
        found = true;
      }
      return found;
    };
    for (int i = 0; i < 200 && !badly && !follow(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    for (const KeyAction& a : plan) {
      if (&a == &plan.front()) continue;
      const auto due = start + std::chrono::microseconds((int64_t)(a.atMs * 1000.0));
      std::this_thread::sleep_until(due);
      worstLateMs = std::max(worstLateMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - due).count());
      t.Notes({a.note}, a.on, a.velocity);
      if (!badly && a.on) follow();
    }
  });
  player.join();
  std::printf("[tour] %s %s at speed %.2f: %zu notes, %zu key actions, the latest %.1f ms late; the program took the "
              "first press %.1f ms after it went out (-1: not said) and waited %d times more\n",
              badly ? "badly" : "well", path.c_str(), speed, notes.size(), plan.size(), worstLateMs, takenAfterMs, waits);
  auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
    // A new row, or one whose count of attempts grew (a scale the board's runs credited has a row
    // before its first song).
    for (const auto& r : ReadRecords(mastery)) {
      auto was = before.find(r.first);
      auto attempts = r.second.find("attempts");
      if (attempts == r.second.end()) continue;
      if (was == before.end() || was->second.count("attempts") == 0 || was->second.at("attempts") != attempts->second)
        return r.first;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ADD_FAILURE() << "no attempt recorded for " << path << "\n" << t.Output();
  return "";
}

// From the main view into the library: the song-view button, NOTE FALL and the library button;
// true when the learning screen shows its lesson button.
bool OpenLibrary(Tour& t) {
  t.MirrorState("", false, false, false);
  MirrorStudents({"Ada", "Ben"}, 1, false);
  const RectF songView = gSongViewButtonRect;
  t.MirrorState("", true, false, false);
  const RectF noteFall = ComputeNoteFallStrip().button;
  if (!t.ClickUntil(songView.x + songView.w / 2, songView.y + songView.h / 2, [&](const Frame& f) { return InkIn(f, noteFall, 150); }))
    return false;
  t.Shot("07a_song_view");
  t.MirrorState("", true, true, false);
  const RectF library = ComputeLibraryButtonRect();
  if (!t.ClickUntil(noteFall.x + noteFall.w / 2, noteFall.y + noteFall.h / 2, [&](const Frame& f) { return InkIn(f, library, 100); }))
    return false;
  const RectF start = LessonButtonRect(ComputeLearningLayout());
  return t.ClickUntil(library.x + library.w / 2, library.y + library.h / 2, [&](const Frame& f) { return InkIn(f, start, 200); });
}

// The skills radar's flash after a run, grown in: the disc of its accuracy vertex stands above the
// centre and that of its timing right of it, at the run's figures. `notAt` is another run's figures,
// whose vertices must not show in the same frame. False when no such frame came.
bool RadarShows(Tour& t, float accuracy, float timing, const float* notAt = nullptr) {
  const RadarFlashPlace r = PlaceRadarFlash((float)gClientWidth, (float)gClientHeight);
  auto disc = [](const Frame& f, float x, float y) {
    for (float dy = -2; dy <= 2; dy += 1)
      for (float dx = -2; dx <= 2; dx += 1) {
        Rgb p = f.At(x + dx, y + dy);
        if (p[2] > 150 && p[2] > p[0] + 60) return true;
      }
    return false;
  };
  Frame seen;
  bool shown = t.WaitForFrame([&](const Frame& f) {
    seen = f;
    return disc(f, r.cx, r.cy - r.radius * accuracy) && disc(f, r.cx + r.radius * timing, r.cy);
  }, 5);
  if (!shown) return false;
  if (notAt) {
    EXPECT_FALSE(disc(seen, r.cx, r.cy - r.radius * notAt[0]) && std::fabs(notAt[0] - accuracy) > 0.1f);
    EXPECT_FALSE(disc(seen, r.cx + r.radius * notAt[1], r.cy) && std::fabs(notAt[1] - timing) > 0.1f);
  }
  return true;
}

// The library's lesson of the day: its second block chosen with a press and played as written,
// every key at its time; the next block follows and is played badly: a wrong key before every
// note, each right one late. The student's records keep the figures of both: the good run has
// landed every note on time and passes, the bad one is marked down for its wrong keys and timing.
void Lesson(Tour& t) {
  ASSERT_TRUE(OpenLibrary(t)) << "no way into the library";
  const LearningLayout l = ComputeLearningLayout();
  const RectF block = LessonRowRect(l, 1), first = LessonRowRect(l, 0);
  // The pointer rests on the calendar's bare panel below its days, away from the rows and the
  // scrollbar. The list's scroll hint (its sections in a dark box beside the scrollbar, shown a
  // moment after the list opens) stands over the right end of the first row: the picture waits
  // until it has gone. The row's shading runs from top to bottom only, so at the same height the
  // gap between its number and its title shows the colour that place has without the hint.
  const RectF hintSpot{first.x + first.w - 22.0f, first.y + 66.0f, 14.0f, 6.0f};
  const RectF bare{first.x + 60.0f, first.y + 66.0f, 6.0f, 6.0f};
  auto mean = [](const Frame& f, const RectF& r) {
    std::array<double, 3> sum{};
    int n = 0;
    for (float y = r.y; y < r.y + r.h; y += 1)
      for (float x = r.x; x < r.x + r.w; x += 1, ++n) {
        Rgb p = f.At(x, y);
        for (int c = 0; c < 3; ++c) sum[c] += p[c];
      }
    for (double& v : sum) v /= std::max(n, 1);
    return sum;
  };
  t.WaitForFrame([&](const Frame& f) {
    std::array<double, 3> spot = mean(f, hintSpot), plain = mean(f, bare);
    for (int c = 0; c < 3; ++c)
      if (std::fabs(spot[c] - plain[c]) > 3.0) return false;
    return true;
  }, 8);
  t.todayBefore = t.Last();
  t.Shot("07b_library", "lesson");
  const std::string mastery = t.DataFile("learning_mastery_ben.dat");
  size_t from = t.Output().size();
  // The learning screen gives way to the block's song.
  ASSERT_TRUE(t.ClickUntil(block.x + block.w / 2, block.y + block.h / 2, [&](const Frame& f) { return !InkIn(f, first, 200); }))
      << "the block did not open";
  auto number = [](std::map<std::string, std::string>& r, const char* field) { return std::atof(r[field].c_str()); };
  // The radar's accuracy is the share of the keys pressed that were right.
  auto figures = [&](std::map<std::string, std::string>& r, float* out) {
    double landed = number(r, "latest_landed"), wrong = number(r, "latest_wrong_attempts");
    out[0] = (float)(landed / std::max(landed + wrong, 1.0));
    out[1] = (float)number(r, "latest_timing");
  };
  std::string good = PlayTheSong(t, mastery, &from, false, true);
  ASSERT_FALSE(good.empty()) << "the first song never ended\n" << t.Output();
  auto g = ReadRecords(mastery)[good];
  float wellFigures[2], badlyFigures[2];
  figures(g, wellFigures);
  // The next block waits while the radar shows the run just played.
  EXPECT_TRUE(RadarShows(t, wellFigures[0], wellFigures[1])) << "no radar with the run's figures";
  t.Shot("07d_result_played_well");
  std::string bad = PlayTheSong(t, mastery, &from, true, false);
  ASSERT_FALSE(bad.empty()) << "the second song never ended\n" << t.Output();
  auto b = ReadRecords(mastery)[bad];
  figures(b, badlyFigures);
  EXPECT_TRUE(RadarShows(t, badlyFigures[0], badlyFigures[1], wellFigures)) << "no radar with the run's figures";
  t.Shot("07e_result_played_badly");
  std::printf("[tour] played well: accuracy %.3f timing %.3f (mean %.1f ms off, %.1f signed) %s/%s landed, %s perfect, %s good, "
              "%s wrong, passed %s\n",
              number(g, "latest_accuracy"), number(g, "latest_timing"), number(g, "latest_mean_abs_timing_ms"), number(g, "latest_mean_signed_timing_ms"),
              g["latest_landed"].c_str(), g["latest_expected"].c_str(), g["latest_perfect"].c_str(), g["latest_good"].c_str(),
              g["latest_wrong_attempts"].c_str(), g["latest_passed"].c_str());
  std::printf("[tour] played badly: accuracy %.3f timing %.3f (mean %.1f ms off, %.1f signed) %s/%s landed, %s perfect, %s good, "
              "%s wrong, passed %s\n",
              number(b, "latest_accuracy"), number(b, "latest_timing"), number(b, "latest_mean_abs_timing_ms"), number(b, "latest_mean_signed_timing_ms"),
              b["latest_landed"].c_str(), b["latest_expected"].c_str(), b["latest_perfect"].c_str(), b["latest_good"].c_str(),
              b["latest_wrong_attempts"].c_str(), b["latest_passed"].c_str());
  // Played as written: every note landed, none wrong, on time, and the run passes its targets.
  EXPECT_EQ(g["attempts"], "1");
  EXPECT_EQ(g["latest_missed"], "0");
  EXPECT_EQ(g["latest_landed"], g["latest_expected"]);
  EXPECT_EQ(g["latest_wrong_attempts"], "0");
  EXPECT_GE(number(g, "latest_accuracy"), 0.999);
  EXPECT_GE(number(g, "latest_timing"), 0.7) << "mean " << number(g, "latest_mean_abs_timing_ms") << " ms off";
  EXPECT_EQ(g["latest_passed"], "1");
  // Played badly: a wrong key at nearly every note, the right ones late, and no pass.
  EXPECT_GE(number(b, "latest_wrong_attempts"), number(b, "latest_expected") / 2) << b["latest_wrong_attempts"];
  EXPECT_LE(number(b, "latest_timing"), 0.15);
  EXPECT_LT(number(b, "latest_timing"), number(g, "latest_timing") - 0.3);
  EXPECT_EQ(b["latest_passed"], "0");
  const std::string calendar = ReadFileBytes(t.DataFile("learning_calendar_ben.dat"));
  for (const std::string& id : {good, bad}) EXPECT_NE(calendar.find(id), std::string::npos) << calendar;
}

// A restart: the practice record is read back and shown for its region, and the day's lesson
// shows the block played as done.
void AfterARestart(Tour& t) {
  int status = t.Terminate();
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << t.Output();
  t.Start();
  ASSERT_TRUE(t.WaitForWindow()) << t.Output();
  ASSERT_TRUE(t.WaitForFrame([&](const Frame& f) { return t.ShowsMainView(f); }, 40)) << "no main view";
  EXPECT_EQ(ReadFileBytes(t.DataFile("practice_runs.dat")), t.practiceRecord);
  ASSERT_TRUE(ArmRunOnTwoCells(t));
  const RectF record = HudLine(1);
  EXPECT_GT(t.Last().Changed(t.armedWithoutRecord, record, 60), 40) << "the record line reads as before the run";
  t.Shot("08a_record_after_restart");
  t.Key("Escape");
  // The day's lesson keeps the blocks played: the first one played shows done, as it did not before.
  ASSERT_TRUE(OpenLibrary(t));
  const LearningLayout l = ComputeLearningLayout();
  const RectF played = LessonRowRect(l, 1);
  EXPECT_GT(t.Screenshot().Changed(t.todayBefore, played, 40), 500) << "the block played looks as it did before";
  // The row's badge fills its bar with the block's mastery, empty before the run: the block played
  // well fills most of it. (The block after it is a scale the board's runs credited: its badge
  // shows the mastered mark, whatever its run.)
  auto filled = [&](int row) {
    const RectF badge = LessonRowBadgeRect(LessonRowRect(l, row));
    const float x0 = badge.x + 7.0f, y = badge.y + badge.h - 4.5f, w = badge.w - 14.0f;
    float end = x0 - 1.0f;
    for (float x = x0; x < x0 + w; x += 1) {
      Rgb p = t.Last().At(x, y);
      if (p[2] > 170 && p[2] > p[0] + 60) end = x;
    }
    return (end - x0 + 1.0f) / w;
  };
  const float well = filled(1);
  std::printf("[tour] the mastery bar of the block played well after the restart: %.2f\n", well);
  EXPECT_GT(well, 0.75f);
  t.Shot("08b_lesson_after_restart");
  // The badge opens the block's performance note over the middle of the screen, its radar grown in:
  // the guide's picture of the results.
  const Frame lesson = t.Last();
  const RectF badge = LessonRowBadgeRect(LessonRowRect(l, 1));
  const RectF middle{gClientWidth / 2.0f - 100.0f, gClientHeight / 2.0f - 50.0f, 200.0f, 100.0f};
  ASSERT_TRUE(t.ClickUntil(badge.x + badge.w / 2, badge.y + badge.h / 2,
                           [&](const Frame& f) { return f.Changed(lesson, middle, 40) > 200 * 100 / 3; }))
      << "the badge opened no performance note";
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  t.Screenshot();
  t.Shot("08c_performance_note", "results");
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

// Runs the steps in order on one program; a step that cannot go on ends the tour there.
void RunTour(const std::vector<Step>& steps) {
  Tour tour;
  if (!tour.Ready()) GTEST_SKIP() << tour.WhyNotReady();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.run(tour);
    if (::testing::Test::HasFatalFailure()) {
      tour.Shot(std::string("failed_") + step.name);
      // A program that stopped answering shows where it stands.
      std::printf("[tour] the program's threads after the failed step:\n%s\n", tour.ProgramStacks().c_str());
      break;
    }
  }
}

}  // namespace

// The tour in two halves, each on a program of its own, so each stays within a test's time on a
// loaded machine.
TEST(Tour, FirstStartTheKeyboardAndASongFromTheFileMenu) {
  RunTour({{"first start", FirstStart},
           {"the keyboard on the circle", KeyboardOnTheCircle},
           {"a song from the file menu", SongFromTheFileMenu},
           {"SIGTERM", Sigterm}});
}

TEST(Tour, StudentsThePracticeBoardAndALessonKeptAfterARestart) {
  RunTour({{"first start", FirstStart},
           {"students", Students},
           {"the classroom without a server", ClassroomWithoutAServer},
           {"a practice run on the board", PracticeRun},
           {"a lesson from the library", Lesson},
           {"after a restart", AfterARestart},
           {"SIGTERM", Sigterm}});
}
