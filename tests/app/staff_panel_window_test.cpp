// The staff panel in the program's real window: notes played on the keyboard (raw input messages
// through the note road) sit as heads on the rows their pitches give, the caption has ink where it
// is written, and a song's coming note in wait mode travels towards the play line. Screenshots are
// left in the test's working folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/base/note_tables.h"
#include "app/base/view_modes.h"
#include "app/staff_song_feed.h"
#include "gfx/draw_alpha.h"
#include "gfx/images.h"
#include "gfx/text.h"
#include "learning/sight_score.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "tests/support/test_support.h"
#include "platform/images.h"
#include "tests/app/real_window_fixture.h"
#include "tests/support/test_support.h"
#include "gfx/hit_regions.h"
#include "gfx/layout_facts.h"
#include "theory/circle_theory.h"
#include "theory/filter_tabs.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"

namespace {

class StaffPanelWindow : public RealWindow {
 protected:
  void SetUp() override {
    RealWindow::SetUp();
    ASSERT_TRUE(WaitForClientSize(1440, 920));
    SetProjection2D();
    RebuildFonts();
    ResetNoteTables();
    ResetScaleSelection();
    ValidateCurrentScale();
    ResetViewModes();
    ResetStaffPanel();
    ResetStaffSongFeed();
    gStaffSongFeedHook = FillStaffSongFeed;
    gLearningOverlay = true;  // the large placement
  }
  void TearDown() override {
    gSongEvents.clear();
    gPlaying = gPaused = false;
    gStaffSongFeedHook = nullptr;
    gStaffFloorHook = nullptr;
    ResetSightScore();
    ResetViewModes();
    ResetNoteTables();
    FreeAllFonts();
    RealWindow::TearDown();
  }
  void DrawFrame() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    gDrawAlpha = 1.0f;
    DrawStaffPanel(1.0f, 1.0f);
    glFinish();
  }
  StaffGeometry Geometry() {
    StaffGeometry g;
    EXPECT_TRUE(ComputeStaffGeometry(&g));
    return g;
  }
  void Save(const char* name) {
    DecodedImage shot{gClientWidth, gClientHeight, ReadFrame()};
    for (size_t p = 3; p < shot.rgba.size(); p += 4) shot.rgba[p] = 255;
    EXPECT_TRUE(SaveImageFile(name, shot));
  }
  static bool Near(std::array<unsigned char, 3> px, float r, float g, float b) {
    return std::abs(px[0] - r * 255) < 40 && std::abs(px[1] - g * 255) < 40 && std::abs(px[2] - b * 255) < 40;
  }
  // Upright strokes in the colour of a note on a row, left of the heads and a little above the
  // row: a sharp has two side by side, a flat one stem, a double flat two.
  static int SignStrokesBefore(const StaffGeometry& g, const PlayedNote& note, float rowY) {
    const float halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f, size = std::max(1.6f * g.sp, 10.0f);
    const int y = (int)(rowY - 0.4f * size);
    int strokes = 0;
    bool inStroke = false;
    for (int xx = (int)(g.labelX + 1.2f * g.sp); xx < (int)(g.playX - 1.5f * halfW); ++xx) {
      const bool ink = Near(Pixel(xx, y), note.r, note.g, note.b);
      strokes += ink && !inStroke;
      inStroke = ink;
    }
    return strokes;
  }
  // Played heads drift left with their age: the clock stands still, so a slow first frame on a
  // loaded machine cannot move them off the play line.
  ScopedDrivenClock clock_;
};

TEST_F(StaffPanelWindow, PlayedNotesSitOnTheirRowsUnderTheCaption) {
  for (int note : {60, 64, 67})
    PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
  DrainMessages();
  ASSERT_EQ(gPlayedNotes.size(), 3u);
  glEnable(GL_LINE_SMOOTH);
  DrawFrame();
  EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH)) << "the frame's line smoothing comes back";
  Save("staff_panel_played.png");
  StaffGeometry g = Geometry();
  float step = g.sp / 2;
  int x = (int)std::lround(g.playX);
  for (const PlayedNote& p : gPlayedNotes) {
    float y = StaffYForNote(p.note, g.middleCY, step, false);
    EXPECT_TRUE(Near(Pixel(x - 2, (int)y), p.r, p.g, p.b)) << "head of note " << p.note;
  }
  // D4 and F4 lie between the heads: the panel's dark ground or a staff line, never a head colour.
  for (int note : {62, 65}) {
    auto px = Pixel(x, (int)StaffYForNote(note, g.middleCY, step, false));
    EXPECT_FALSE(Near(px, gPlayedNotes[0].r, gPlayedNotes[0].g, gPlayedNotes[0].b)) << note;
  }
  EXPECT_EQ(StaffCaption(false), "Scale: C Ionian");
  float baseline = g.panel.y + 12.95f * g.sp;
  int ink = 0;
  for (int yy = (int)(baseline - 14); yy <= (int)baseline + 2; ++yy)
    for (int xx = (int)g.labelX; xx < (int)g.labelX + 160; ++xx) {
      auto px = Pixel(xx, yy);
      ink += std::min({px[0], px[1], px[2]}) > 150;
    }
  EXPECT_GT(ink, 30) << "the caption's letters";
  EXPECT_FLOAT_EQ(gStaffOverlayBottom, g.panel.y + g.panel.h);
  EXPECT_FLOAT_EQ(gStaffPanelRect.y, g.panel.y);
}

// A played black key carries its sign left of its head (a sharp in C major), a white key none;
// notes far above or below the staves stand inside the panel, written octaves nearer.
TEST_F(StaffPanelWindow, PlayedBlackKeysCarryTheirSignAndHighNotesStayInThePanel) {
  auto play = [](int note) {
    gPlayedNotes.clear();
    PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
    DrainMessages();
    EXPECT_EQ(gPlayedNotes.size(), 1u);
  };
  StaffGeometry g = Geometry();
  const float step = g.sp / 2, halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f, size = std::max(1.6f * g.sp, 10.0f);
  const float signX = g.playX - 2.2f * halfW;
  // Pixels of the played head's colour in a box round a centre.
  auto inkOfHead = [&](float cx, float cy, float rx, float ry) {
    const PlayedNote& p = gPlayedNotes.back();
    int ink = 0;
    for (int y = (int)(cy - ry); y <= (int)(cy + ry); ++y)
      for (int x = (int)(cx - rx); x <= (int)(cx + rx); ++x)
        if (y >= 0 && Near(Pixel(x, y), p.r, p.g, p.b)) ++ink;
    return ink;
  };
  // The sign's place, short of the ledger line middle C's head has.
  const float signLeft = signX - 0.3f * size, signRight = g.playX - 1.5f * halfW - 2;
  const float signCx = (signLeft + signRight) / 2, signRx = (signRight - signLeft) / 2;
  play(61);
  DrawFrame();
  Save("staff_panel_sharp.png");
  float y = StaffYForNote(61, g.middleCY, step, false);
  EXPECT_GT(inkOfHead(signCx, y, signRx, 0.5f * size), 20) << "the sharp of C#4";
  play(60);
  DrawFrame();
  EXPECT_EQ(inkOfHead(signCx, y, signRx, 0.5f * size), 0) << "C4 carries no sign";

  // C6 lies two ledger lines up, past the panel's top edge, where it once stood over the window's
  // backdrop: it is written as C5 under an 8va mark. C8 as C5 under 22ma; C2 below the bass staff
  // as C3 over 8vb. Nothing of them lies outside the panel.
  struct Far {
    int note, written;
    bool above;
    const char* shot;
  } fars[] = {{84, 72, true, "staff_panel_c6.png"}, {108, 72, true, "staff_panel_high.png"},
              {36, 48, false, "staff_panel_c2.png"}};
  const float panelBottom = g.panel.y + g.panel.h;
  for (const Far& f : fars) {
    play(f.note);
    DrawFrame();
    Save(f.shot);
    y = StaffYForNote(f.written, g.middleCY, step, false);
    EXPECT_GT(inkOfHead(g.playX, y, 0.6f * halfW, 0.2f * g.sp), 10) << f.note << "'s head on the row of " << f.written;
    EXPECT_EQ(inkOfHead(g.playX, (g.notes.y + g.panel.y) / 2, 2 * halfW, (g.panel.y - g.notes.y) / 2 - 1), 0)
        << "nothing of " << f.note << " above the panel";
    EXPECT_EQ(inkOfHead(g.playX, (panelBottom + g.notes.y + g.notes.h) / 2, 2 * halfW,
                        (g.notes.y + g.notes.h - panelBottom) / 2 - 1), 0)
        << "nothing of " << f.note << " below the panel";
    // The mark's letters between the staff and the panel's edge, over or under the head.
    const float markTop = f.above ? g.panel.y : g.bassTop + 4.75f * g.sp;
    const float markBottom = f.above ? g.trebleTop - 0.75f * g.sp : panelBottom;
    EXPECT_GT(inkOfHead(g.playX, (markTop + markBottom) / 2, 1.2f * g.sp, (markBottom - markTop) / 2), 5)
        << "the octave mark of " << f.note;
  }
}

// Chords past the staff were written head by head. A5 C6 E6 struck together came out as C5 E5 with
// A5 above them on its ledger line and C6's 8va inside A5's head; C7 and C8 both stood on C5 with
// "15ma" and "22ma" printed on one spot. A chord now moves as one: A4 C5 E5 with nothing on A5's
// row and one mark, in the colour of E6 whose head it stands over, between the staff and the
// panel's top edge, none in C6's colour; C7 C8 as C4 C5 under a mark that inks just what a lone
// C8's does.
TEST_F(StaffPanelWindow, AChordPastTheStaffMovesAsOne) {
  const StaffGeometry g = Geometry();
  const float step = g.sp / 2, halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f, halfH = std::max(0.24f * g.sp, 4.2f);
  auto strike = [this](std::vector<int> notes, const char* shot) {
    gPlayedNotes.clear();
    for (int note : notes)
      PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
    DrainMessages();
    EXPECT_EQ(gPlayedNotes.size(), notes.size());
    DrawFrame();
    Save(shot);
  };
  auto played = [](int note) {
    return *std::find_if(gPlayedNotes.begin(), gPlayedNotes.end(), [note](const PlayedNote& p) { return p.note == note; });
  };
  // Pixels of a played note's colour in a box round a centre.
  auto inkOf = [&](int note, float cx, float cy, float rx, float ry) {
    const PlayedNote p = played(note);
    int ink = 0;
    for (int y = (int)(cy - ry); y <= (int)(cy + ry); ++y)
      for (int x = (int)(cx - rx); x <= (int)(cx + rx); ++x)
        if (y >= 0 && Near(Pixel(x, y), p.r, p.g, p.b)) ++ink;
    return ink;
  };
  auto onRow = [&](int note, int written) {
    return inkOf(note, g.playX, StaffYForNote(written, g.middleCY, step, false), 0.6f * halfW, 0.2f * g.sp);
  };

  strike({81, 84, 88}, "staff_panel_chord_8va.png");
  for (int note : {81, 84, 88}) EXPECT_GT(onRow(note, note - 12), 10) << note << " on the row an octave down";
  EXPECT_EQ(inkOf(81, g.playX, StaffYForNote(81, g.middleCY, step, false), halfW, halfH), 0) << "nothing of A5 on its own row";
  float markBottom = StaffYForNote(76, g.middleCY, step, false) - halfH - 1;
  float markY = (g.notes.y + markBottom) / 2, markRy = (markBottom - g.notes.y) / 2;
  EXPECT_GT(inkOf(88, g.playX, markY, 1.5f * g.sp, markRy), 5) << "the 8va over E6's head";
  EXPECT_EQ(inkOf(84, g.playX, markY, 1.5f * g.sp, markRy), 0) << "no second mark for C6";

  strike({108}, "staff_panel_c8.png");
  markBottom = StaffYForNote(72, g.middleCY, step, false) - halfH - 1;
  markY = (g.notes.y + markBottom) / 2, markRy = (markBottom - g.notes.y) / 2;
  const int lone = inkOf(108, g.playX, markY, 2.0f * g.sp, markRy);
  EXPECT_GT(lone, 5) << "the 22ma of a lone C8";
  strike({96, 108}, "staff_panel_c7_c8.png");
  EXPECT_GT(onRow(96, 60), 10) << "C7 on C4's row";
  EXPECT_GT(onRow(108, 72), 10) << "C8 on C5's row";
  EXPECT_EQ(inkOf(108, g.playX, markY, 2.0f * g.sp, markRy), lone) << "one 22ma, nothing printed over it";

  // The same chord coming in a song in wait mode, its notes 8 ms apart as a played file has them.
  gPlayedNotes.clear();
  gWaitMode = true;
  gSongEvents = {{1000, 0x90, 96, 90, 0}, {1008, 0x90, 108, 90, 0}, {1500, 0x80, 96, 0, 0}};
  gPlaying = gPaused = true;
  gPlayStartMs = ClockMs32() - 10000;
  gPauseMs = gPlayStartMs;
  DrawFrame();
  Save("staff_panel_coming_c7_c8.png");
  float r, gg, b;
  PitchClassRingColour(0, &r, &gg, &b);
  const float right = g.panel.x + g.panel.w - 1.2f * g.sp, x = g.playX + 1004.0f / 3200.0f * (right - g.playX);
  for (int written : {60, 72}) {
    const float y = StaffYForNote(written, g.middleCY, step, false);
    int ink = 0;
    for (int yy = (int)(y - 0.2f * g.sp); yy <= (int)(y + 0.2f * g.sp); ++yy)
      for (int xx = (int)(x - halfW); xx <= (int)(x + halfW); ++xx) ink += Near(Pixel(xx, yy), r, gg, b);
    EXPECT_GT(ink, 10) << "the coming chord's head on the row of " << written;
  }
}

// D1 D3 D5 D7 struck together span more octaves than the panel holds: D1 is written an octave up
// at the panel's foot, just above the note-fall keyboard. Its 8vb once went under the head, past
// the panel, where the keyboard covers it, so D2 stood on the staff while D1 sounded and nothing
// said so. The mark now has ink right of the heads and their ledger lines, above the keyboard.
TEST_F(StaffPanelWindow, AChordWiderThanThePanelKeepsItsMarksInSight) {
  gStaffFloorHook = [] { return 560.0f; };
  const StaffGeometry g = Geometry();
  gPlayedNotes.clear();
  for (int note : {26, 50, 74, 98})
    PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
  DrainMessages();
  ASSERT_EQ(gPlayedNotes.size(), 4u);
  DrawFrame();
  Save("staff_panel_too_wide_chord.png");
  const float halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f;
  const int left = (int)(g.playX + 1.5f * halfW) + 2, right = (int)(g.panel.x + g.panel.w);
  const int top = (int)std::ceil(g.notes.y), bottom = std::min((int)(g.notes.y + g.notes.h), 560);
  const PlayedNote& d = gPlayedNotes.front();  // every D has one colour
  auto ink = [&](int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = left; x < right; ++x) n += Near(Pixel(x, y), d.r, d.g, d.b);
    return n;
  };
  EXPECT_GT(ink((top + bottom) / 2, bottom), 5) << "the 8vb of D1, in sight above the keyboard";
}

// A trill played on the keyboard, E4 F4 E4 F4 at 70 ms a note: the heads once stood a few pixels
// apart, one blot on each row. Along each row there are now two heads of its colour, each no wider
// than a head, with the panel's ground between them.
TEST_F(StaffPanelWindow, AFastTrillsHeadsStandApart) {
  for (int note : {64, 65, 64, 65}) {
    PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
    PostAppMessage(kMsgMidiInData, (uint64_t)(0x80u | (uint32_t)note << 8), ClockMs32());
    DrainMessages();
    clock_.Advance(70);
  }
  ASSERT_EQ(gPlayedNotes.size(), 4u);
  DrawFrame();
  Save("staff_panel_trill.png");
  const StaffGeometry g = Geometry();
  const float halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f;
  for (int row = 0; row < 2; ++row) {
    const PlayedNote& p = gPlayedNotes[(size_t)row];
    const int y = (int)StaffYForNote(p.note, g.middleCY, g.sp / 2, false);
    std::vector<int> widths;
    bool in = false;
    for (int x = (int)g.panel.x; x < (int)(g.panel.x + g.panel.w); ++x) {
      const bool ink = Near(Pixel(x, y), p.r, p.g, p.b);
      if (ink && !in) widths.push_back(0);
      if (ink) ++widths.back();
      in = ink;
    }
    EXPECT_EQ(widths.size(), 2u) << "heads of note " << p.note;
    for (int w : widths) EXPECT_LE(w, (int)(2.0f * halfW) + 2) << "a head of note " << p.note;
  }
}

// In C# minor the staff writes what the caption names: C#, E and G# played together sit on the C
// and G rows with sharps, where they once stood on D and A as Db and Ab with flats.
TEST_F(StaffPanelWindow, CSharpMinorIsWrittenWithSharpsAsItsCaptionSays) {
  gCurrentScale = &gScaleRows[kRowAeolian];
  gKeyRoot = 1;
  EXPECT_EQ(StaffCaption(false), "Scale: C# Aeolian");
  for (int note : {61, 64, 68})
    PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
  DrainMessages();
  ASSERT_EQ(gPlayedNotes.size(), 3u);
  DrawFrame();
  Save("staff_panel_csharp_minor.png");
  const StaffGeometry g = Geometry();
  const float step = g.sp / 2;
  const int x = (int)std::lround(g.playX);
  for (const PlayedNote& p : gPlayedNotes) {
    const int sharpRow = (int)StaffYForNote(p.note, g.middleCY, step, false);
    const int flatRow = (int)StaffYForNote(p.note, g.middleCY, step, true);
    EXPECT_TRUE(Near(Pixel(x - 2, sharpRow), p.r, p.g, p.b)) << "head of note " << p.note;
    if (flatRow != sharpRow) EXPECT_FALSE(Near(Pixel(x - 2, flatRow), p.r, p.g, p.b)) << "note " << p.note << " as a flat";
  }
  // Left of C#4's head, a little above its row, a sharp has its two upright strokes side by side;
  // a flat would have its single stem there.
  const PlayedNote& cs = *std::find_if(gPlayedNotes.begin(), gPlayedNotes.end(), [](const PlayedNote& p) { return p.note == 61; });
  EXPECT_EQ(SignStrokesBefore(g, cs, g.middleCY), 2) << "a sharp's two strokes";
  ResetScaleSelection();
  ValidateCurrentScale();
}

// D minor's raised seventh is written as the degree it is, in the harmonic form and in the
// natural one where it is borrowed (A7 of D minor is A C# E G): C#, E and G played together put
// C#4 on the C row with a sharp, where it once stood on D as Db, the flat of the key's signature.
TEST_F(StaffPanelWindow, DMinorsSeventhIsWrittenAsCSharp) {
  for (ScaleRowId row : {kRowHarmonicMinor, kRowAeolian}) {
    SCOPED_TRACE(gScaleRows[row].name);
    gCurrentScale = &gScaleRows[row];
    gKeyRoot = 2;
    ASSERT_TRUE(StaffUsesFlats()) << "D minor's signature has a flat";
    gPlayedNotes.clear();
    for (int note : {61, 64, 67})
      PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
    DrainMessages();
    ASSERT_EQ(gPlayedNotes.size(), 3u);
    DrawFrame();
    Save(row == kRowAeolian ? "staff_panel_d_minor.png" : "staff_panel_d_harmonic_minor.png");
    const StaffGeometry g = Geometry();
    const float step = g.sp / 2;
    const int x = (int)std::lround(g.playX);
    const PlayedNote& cs = *std::find_if(gPlayedNotes.begin(), gPlayedNotes.end(), [](const PlayedNote& p) { return p.note == 61; });
    EXPECT_TRUE(Near(Pixel(x - 2, (int)g.middleCY), cs.r, cs.g, cs.b)) << "C#4's head on middle C's row";
    EXPECT_FALSE(Near(Pixel(x - 2, (int)(g.middleCY - step)), cs.r, cs.g, cs.b)) << "nothing of it on the D row";
    for (const PlayedNote& p : gPlayedNotes)
      if (p.note != 61)
        EXPECT_TRUE(Near(Pixel(x - 2, (int)StaffYForNote(p.note, g.middleCY, step, true)), p.r, p.g, p.b)) << p.note;
    // A sharp's two upright strokes side by side, a little above the row; a flat has one stem.
    EXPECT_EQ(SignStrokesBefore(g, cs, g.middleCY), 2) << "a sharp's two strokes";
  }
  ResetScaleSelection();
  ValidateCurrentScale();
}

// A degree that needs two signs stands on its own letter with them. G# harmonic minor's seventh,
// F##5, once stood as a bare G5 beside G#5 (two G's and no F); Db harmonic major's sixth, Bbb4,
// as a bare A4.
TEST_F(StaffPanelWindow, DegreesThatNeedTwoSignsStandOnTheirOwnLetters) {
  const StaffGeometry g = Geometry();
  const float step = g.sp / 2, halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f, size = std::max(1.6f * g.sp, 10.0f);
  const int x = (int)std::lround(g.playX);
  auto play = [](int note) {
    gPlayedNotes.clear();
    PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
    DrainMessages();
    EXPECT_EQ(gPlayedNotes.size(), 1u);
  };

  gCurrentScale = &gScaleRows[kRowHarmonicMinor];
  gKeyRoot = 8;
  ASSERT_EQ(StaffCaption(false), "Scale: G# Harmonic Minor");
  play(79);
  DrawFrame();
  Save("staff_panel_double_sharp.png");
  const PlayedNote fx = gPlayedNotes.back();
  const float fRow = StaffYForLetter(3, 5, g.middleCY, step), gRow = StaffYForLetter(4, 5, g.middleCY, step);
  EXPECT_TRUE(Near(Pixel(x - 2, (int)fRow), fx.r, fx.g, fx.b)) << "F##5's head on the F5 row";
  EXPECT_FALSE(Near(Pixel(x - 2, (int)gRow), fx.r, fx.g, fx.b)) << "nothing of it on the G5 row";
  // The x left of the head: ink at its middle and out along its diagonals, none straight above or
  // below its middle, where a sharp has its cross bars.
  const float signX = g.playX - 2.2f * halfW, arm = 0.13f * size;
  EXPECT_TRUE(Near(Pixel((int)signX, (int)fRow), fx.r, fx.g, fx.b)) << "the middle of the x";
  for (float dx : {-arm, arm})
    for (float dy : {-arm, arm})
      EXPECT_TRUE(Near(Pixel((int)(signX + dx), (int)(fRow + dy)), fx.r, fx.g, fx.b)) << "the x's arm at " << dx << ", " << dy;
  for (float dy : {-0.17f * size, 0.17f * size})
    EXPECT_FALSE(Near(Pixel((int)signX, (int)(fRow + dy)), fx.r, fx.g, fx.b)) << "ink " << dy << " from the x's middle";
  EXPECT_EQ(SignStrokesBefore(g, fx, fRow), 0) << "no upright strokes above the x";
  // The top of the scale played up the staff, for the screenshot: D#, E, F##, G# on four letters.
  gPlayedNotes.clear();
  const int top[] = {75, 76, 79, 80};
  for (int i = 0; i < 4; ++i) {
    float r, gg, b;
    PitchClassRingColour(top[i], &r, &gg, &b);
    gPlayedNotes.push_back({top[i], ClockMs32() - 1950 + 650 * (uint32_t)i, (uint32_t)i + 1, r, gg, b, 0});
  }
  DrawFrame();
  Save("staff_panel_g_sharp_harmonic_minor.png");

  gCurrentScale = &gScaleRows[kRowHarmonicMajor];
  gKeyRoot = 1;
  ASSERT_EQ(StaffCaption(false), "Scale: Db Harmonic Major");
  play(69);
  DrawFrame();
  Save("staff_panel_double_flat.png");
  const PlayedNote bbb = gPlayedNotes.back();
  const float bRow = StaffYForLetter(6, 4, g.middleCY, step), aRow = StaffYForLetter(5, 4, g.middleCY, step);
  EXPECT_TRUE(Near(Pixel(x - 2, (int)bRow), bbb.r, bbb.g, bbb.b)) << "Bbb4's head on the B4 row";
  EXPECT_FALSE(Near(Pixel(x - 2, (int)aRow), bbb.r, bbb.g, bbb.b)) << "nothing of it on the A4 row";
  EXPECT_EQ(SignStrokesBefore(g, bbb, bRow), 2) << "the stems of two flats side by side";
  ResetScaleSelection();
  ValidateCurrentScale();
}

// C Enigmatic Major shares six notes with B major, whose B# would need F### and G### for its
// degrees: the scale starts on C, so C4, E4 and B4 stand plain on their own rows, where they once
// stood as B#3, D##4 and A##4 (the last on A, beside the scale's A#).
TEST_F(StaffPanelWindow, CEnigmaticMajorIsWrittenFromC) {
  const StaffGeometry g = Geometry();
  const float step = g.sp / 2;
  const int x = (int)std::lround(g.playX);
  gCurrentScale = &gScaleRows[kRowEnigmaticMajor];
  gKeyRoot = 0;
  EXPECT_EQ(StaffCaption(false), "Scale: C Enigmatic Major");
  for (int note : {60, 64, 71})
    PostAppMessage(kMsgMidiInData, (uint64_t)(0x90u | (uint32_t)note << 8 | 100u << 16), ClockMs32());
  DrainMessages();
  ASSERT_EQ(gPlayedNotes.size(), 3u);
  DrawFrame();
  Save("staff_panel_c_enigmatic_major.png");
  for (const PlayedNote& p : gPlayedNotes) {
    const int letter = p.note == 60 ? 0 : p.note == 64 ? 2 : 6;
    const float row = StaffYForLetter(letter, 4, g.middleCY, step), below = row + step;
    EXPECT_TRUE(Near(Pixel(x - 2, (int)row), p.r, p.g, p.b)) << "head of note " << p.note;
    EXPECT_FALSE(Near(Pixel(x - 2, (int)below), p.r, p.g, p.b)) << "nothing of note " << p.note << " a letter lower";
    EXPECT_EQ(SignStrokesBefore(g, p, row), 0) << "no sign before note " << p.note;
  }
  ResetScaleSelection();
  ValidateCurrentScale();
}

// The signs of notes struck together stand apart where they would run into each other: each
// note's sign, found by its head's colour left of the heads, shares no x with the sign of a note a
// fourth or less from it, and no two signs touch. In F Aeolian the five flats of 58 61 66 68 73
// merged into one tall stem; in E Ionian the sharps of 51 56 61 66 70 into one ladder. In D
// harmonic major the flat of Bb3, whose stem rises high above its bowl, keeps clear of the sharp
// of F#4 a fifth above.
TEST_F(StaffPanelWindow, SignsOfAChordStandInColumnsOfTheirOwn) {
  struct Chord {
    ScaleRowId row;
    int tonic;
    std::vector<int> notes;
    const char* shot;
    int close;  // pairs of signs a fourth or less apart
  } chords[] = {
      {kRowAeolian, 5, {58, 61, 66, 68, 73}, "staff_panel_chord_flats.png", 4},
      {kRowIonian, 4, {51, 56, 61, 66, 70, 77}, "staff_panel_chord_sharps.png", 4},
      {kRowHarmonicMajor, 2, {58, 61, 66, 73}, "staff_panel_chord_mixed.png", 2},
  };
  // Colours far enough apart that no sign is taken for another.
  static const float kColours[6][3] = {{1, 0.2f, 0.2f}, {0.2f, 1, 0.2f}, {0.35f, 0.35f, 1},
                                       {1, 1, 0.2f},    {1, 0.2f, 1},    {0.2f, 1, 1}};
  const StaffGeometry g = Geometry();
  const float step = g.sp / 2, halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f, size = std::max(1.6f * g.sp, 10.0f);
  for (const Chord& c : chords) {
    gCurrentScale = &gScaleRows[c.row];
    gKeyRoot = c.tonic;
    const bool flats = StaffUsesFlats();
    gPlayedNotes.clear();
    for (size_t i = 0; i < c.notes.size(); ++i)
      gPlayedNotes.push_back({c.notes[i], ClockMs32(), (uint32_t)i + 1, kColours[i][0], kColours[i][1], kColours[i][2], 0});
    DrawFrame();
    Save(c.shot);
    struct Sign {
      int note;
      float y;
      int left = 1 << 20, right = -1, top = 1 << 20, bottom = -1, ink = 0;
    };
    std::vector<Sign> signs;
    for (size_t i = 0; i < c.notes.size(); ++i) {
      if (StaffAccidentalFor(c.notes[i], flats) == 0) continue;
      const StaffSpelling spelled = StaffSpellNote(c.notes[i], flats);
      Sign s{c.notes[i], StaffYForLetter(spelled.letter, spelled.octave, g.middleCY, step)};
      // From above a flat's stem to below any sign's foot.
      for (int y = (int)(s.y - 0.9f * size); y <= (int)(s.y + 0.65f * size); ++y)
        for (int x = (int)g.panel.x; x < (int)(g.playX - halfW) - 1; ++x)
          if (Near(Pixel(x, y), kColours[i][0], kColours[i][1], kColours[i][2])) {
            s.left = std::min(s.left, x);
            s.right = std::max(s.right, x);
            s.top = std::min(s.top, y);
            s.bottom = std::max(s.bottom, y);
            ++s.ink;
          }
      EXPECT_GT(s.ink, 20) << "the sign of " << s.note;
      signs.push_back(s);
    }
    int close = 0;
    for (size_t i = 0; i < signs.size(); ++i)
      for (size_t j = i + 1; j < signs.size(); ++j) {
        const Sign& a = signs[i];
        const Sign& b = signs[j];
        EXPECT_TRUE(a.right + 1 < b.left || b.right + 1 < a.left || a.bottom + 1 < b.top || b.bottom + 1 < a.top)
            << c.shot << ": the signs of " << a.note << " (" << a.left << ".." << a.right << " x " << a.top << ".."
            << a.bottom << ") and " << b.note << " (" << b.left << ".." << b.right << " x " << b.top << ".."
            << b.bottom << ") touch";
        if (std::abs(signs[i].y - signs[j].y) > 3.5f * step) continue;
        ++close;
        EXPECT_TRUE(signs[i].right < signs[j].left || signs[j].right < signs[i].left)
            << c.shot << ": the signs of " << signs[i].note << " (x " << signs[i].left << ".." << signs[i].right
            << ") and " << signs[j].note << " (x " << signs[j].left << ".." << signs[j].right << ")";
      }
    EXPECT_GE(close, c.close) << c.shot;
  }
  ResetScaleSelection();
  ValidateCurrentScale();
}

// Notes on one letter struck together each show: C4 C#4 E4 F4 F#4 in C major once drew three heads
// (C# over C, F# over F) and no sign for the hidden notes; a chromatic cluster of twelve in Bb minor
// showed as seven. Each head's colour now fills its own spot, the higher pitch of a row a head's
// width right of the lower, and a bare C or F carries a natural left of its neighbour's sharp.
TEST_F(StaffPanelWindow, NotesOnOneLetterStandSideBySide) {
  static const float kColours[12][3] = {{1, 0.1f, 0.1f},    {0.1f, 1, 0.1f},    {0.1f, 0.1f, 1},
                                        {1, 1, 0.1f},       {1, 0.1f, 1},       {0.1f, 1, 1},
                                        {1, 0.55f, 0.1f},   {0.55f, 0.1f, 1},   {0.1f, 0.55f, 0.1f},
                                        {0.55f, 1, 0.1f},   {1, 0.1f, 0.55f},   {0.1f, 0.55f, 1}};
  struct Note {
    int note, letter, place;  // place: 0 at the play line, 1 a head's width right of it
  };
  struct Chord {
    ScaleRowId row;
    int tonic;
    std::vector<Note> notes;
    const char* shot;
  } chords[] = {
      {kRowIonian, 0, {{60, 0, 0}, {61, 0, 1}, {64, 2, 0}, {65, 3, 0}, {66, 3, 1}}, "staff_panel_same_letter.png"},
      {kRowAeolian, 10, {{60, 0, 0}, {61, 1, 0}, {62, 1, 1}, {63, 2, 0}, {64, 2, 1}, {65, 3, 0}, {66, 4, 0},
                         {67, 4, 1}, {68, 5, 0}, {69, 5, 1}, {70, 6, 0}, {71, 6, 1}}, "staff_panel_chromatic.png"},
  };
  const StaffGeometry g = Geometry();
  const float step = g.sp / 2, halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f, halfH = std::max(0.24f * g.sp, 4.2f);
  const float size = std::max(1.6f * g.sp, 10.0f);
  for (const Chord& c : chords) {
    gCurrentScale = &gScaleRows[c.row];
    gKeyRoot = c.tonic;
    gPlayedNotes.clear();
    for (size_t i = 0; i < c.notes.size(); ++i)
      gPlayedNotes.push_back(
          {c.notes[i].note, ClockMs32(), (uint32_t)i + 1, kColours[i][0], kColours[i][1], kColours[i][2], 0});
    DrawFrame();
    Save(c.shot);
    for (size_t i = 0; i < c.notes.size(); ++i) {
      const Note& n = c.notes[i];
      const float cx = g.playX + (float)n.place * 2.2f * halfW, cy = StaffYForLetter(n.letter, 4, g.middleCY, step);
      int ink = 0, all = 0;
      for (int y = (int)(cy - 0.5f * halfH); y <= (int)(cy + 0.5f * halfH); ++y)
        for (int x = (int)(cx - 0.6f * halfW); x <= (int)(cx + 0.6f * halfW); ++x, ++all)
          ink += Near(Pixel(x, y), kColours[i][0], kColours[i][1], kColours[i][2]);
      EXPECT_GT(ink, all * 8 / 10) << c.shot << ": the head of " << n.note << " (" << ink << " of " << all << ")";
    }
  }
  // Back to C major: the naturals of C4 and F4, as printed with the left stroke rising above the
  // bars and the right one falling below them, each left of the sharp beside it.
  gCurrentScale = &gScaleRows[kRowIonian];
  gKeyRoot = 0;
  gPlayedNotes.clear();
  const int notes[] = {60, 61, 64, 65, 66};
  for (int i = 0; i < 5; ++i)
    gPlayedNotes.push_back({notes[i], ClockMs32(), (uint32_t)i + 1, kColours[i][0], kColours[i][1], kColours[i][2], 0});
  DrawFrame();
  // The runs of a colour across a row of pixels left of the heads.
  auto runs = [&](int colour, float y) {
    std::vector<int> starts;
    bool in = false;
    for (int x = (int)g.panel.x; x < (int)(g.playX - 1.5f * halfW) - 1; ++x) {
      const bool ink = Near(Pixel(x, (int)y), kColours[colour][0], kColours[colour][1], kColours[colour][2]);
      if (ink && !in) starts.push_back(x);
      in = ink;
    }
    return starts;
  };
  for (int natural : {0, 3}) {
    const float row = StaffYForLetter(natural == 0 ? 0 : 3, 4, g.middleCY, step);
    const std::vector<int> high = runs(natural, row - 0.38f * size), low = runs(natural, row + 0.38f * size);
    const std::vector<int> sharpHigh = runs(natural + 1, row - 0.38f * size);
    ASSERT_EQ(high.size(), 1u) << "the natural of " << notes[natural] << ": its left stroke";
    ASSERT_EQ(low.size(), 1u) << "the natural of " << notes[natural] << ": its right stroke";
    EXPECT_LT(high[0], low[0]) << "the natural of " << notes[natural] << " turned the right way";
    ASSERT_EQ(sharpHigh.size(), 2u) << "the sharp of " << notes[natural + 1];
    EXPECT_LT(high[0], sharpHigh[0]) << "the natural of " << notes[natural] << " left of the sharp";
  }
  ResetScaleSelection();
  ValidateCurrentScale();
}

// A flat's bowl is what the eye takes for its note's row: Bb4 of D minor once had its bowl a third
// of a space below the B line, on the space below. Down a column through the bowl, its ink is
// centred on the line, and the stem rises above.
TEST_F(StaffPanelWindow, AFlatsBowlSitsOnItsNotesRow) {
  gCurrentScale = &gScaleRows[kRowAeolian];
  gKeyRoot = 2;
  ASSERT_TRUE(StaffUsesFlats());
  gPlayedNotes.clear();
  gPlayedNotes.push_back({70, ClockMs32(), 1, 1.0f, 0.2f, 0.2f, 0});
  DrawFrame();
  Save("staff_panel_flat.png");
  const StaffGeometry g = Geometry();
  const float halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f, size = std::max(1.6f * g.sp, 10.0f);
  const float row = StaffYForLetter(6, 4, g.middleCY, g.sp / 2);
  ASSERT_NEAR(row, g.trebleTop + 2 * g.sp, 0.01f) << "B4 is the middle line";
  const float stem = g.playX - 2.2f * halfW - 0.2f * 0.62f * size;
  const int x = (int)(stem + 0.2f * size);
  int top = -1, bottom = -1;
  for (int y = (int)(row - size); y <= (int)(row + size); ++y)
    if (Near(Pixel(x, y), 1.0f, 0.2f, 0.2f)) {
      if (top < 0) top = y;
      bottom = y;
    }
  ASSERT_GE(top, 0) << "the bowl";
  EXPECT_NEAR((top + bottom) / 2.0f, row, 0.1f * g.sp) << "the bowl's middle, " << top << ".." << bottom;
  bool stemInk = false;
  for (int dx = -1; dx <= 1; ++dx) stemInk |= Near(Pixel((int)stem + dx, (int)(row - 0.6f * size)), 1.0f, 0.2f, 0.2f);
  EXPECT_TRUE(stemInk) << "the stem above the bowl";
  EXPECT_TRUE(Near(Pixel((int)stem - 1, (int)(row + 0.27f * size)), 1.0f, 0.2f, 0.2f)) << "the stem down to the bowl's foot";
  ResetScaleSelection();
  ValidateCurrentScale();
}

// A filter tab chosen on the overlay brings its list up beside the staff: the list's rows are drawn
// there (the current scale's row lit in the middle), not only its scroll strip.
TEST_F(StaffPanelWindow, TheChosenFiltersListIsDrawnBesideTheStaff) {
  gLayoutFactsHook = [](LayoutFacts* out) { out->staffPanelShown = ComputeStaffPanelRect(&out->staffPanel); };
  SelectScaleFilter(kScaleFilterTabs[1].filterId);
  gOverlayListChosen = true;
  gFilterPanelFade = 1.0f;
  gOverlayFilterButtonRect = {1380.0f, 300.0f, 40.0f, 40.0f};   // as the layout puts it
  DrawFrame();
  DrawFilterPanel();
  glFinish();
  Save("staff_panel_filtered_list.png");
  const ScaleListLayout L = LayoutFilterTabs();
  ASSERT_TRUE(L.valid);
  const float middle = L.list.y + L.list.h / 2.0f;
  int lit = 0, ink = 0;
  for (int y = (int)(middle - L.rowPitch / 2 + 2); y < (int)(middle + L.rowPitch / 2 - 2); ++y)
    for (int x = (int)L.list.x + 4; x < (int)(L.list.x + L.list.w) - 4; ++x) {
      auto px = Pixel(x, y);
      lit += px[2] > px[0] + 40;                              // the current row's blue
      ink += std::min({px[0], px[1], px[2]}) > 150;           // its name's letters
    }
  EXPECT_GT(lit, 100) << "the current scale's row";
  EXPECT_GT(ink, 20) << "its name";
  auto below = Pixel((int)L.list.x + 20, (int)(middle + 1.5f * L.rowPitch));
  EXPECT_LT(below[2], below[0] + 40) << "the next row is not lit";
  ResetFilterTabs();
  gOverlayFilterButtonRect = kHiddenRect;
  gLayoutFactsHook = nullptr;
}

// The clefs ship beside the program: the treble clef's bowl curls round the G line and its
// descender ends in a dot below the staff, the bass clef's head sits on the F line with its two
// dots either side of it, all left of the play line.
TEST_F(StaffPanelWindow, TheShippedClefsStandOnTheirLines) {
  LoadClefTextures();
  ASSERT_NE(gTrebleClefImage.texture, 0u) << "no treble clef image beside the program";
  ASSERT_NE(gBassClefImage.texture, 0u) << "no bass clef image beside the program";
  DrawFrame();
  Save("staff_panel_clefs.png");
  StaffGeometry g = Geometry();
  const float x0 = g.panel.x + 0.45f * g.sp;
  // Brightest of the pixels within a quarter space of a point given in spaces from the clef's corner.
  auto ink = [&](float u, float v, float top) {
    int best = 0;
    const int cx = (int)(x0 + u * g.sp), cy = (int)(top + v * g.sp), r = std::max((int)(0.25f * g.sp), 1);
    for (int y = cy - r; y <= cy + r; ++y)
      for (int x = cx - r; x <= cx + r; ++x) {
        auto px = Pixel(x, y);
        best = std::max(best, px[0] + px[1] + px[2]);
      }
    return best;
  };
  const float trebleImageTop = g.trebleTop - 1.3f * g.sp;
  EXPECT_GT(ink(0.42f, 4.18f, trebleImageTop), 500) << "the treble clef's bowl";
  EXPECT_GT(ink(0.98f, 6.18f, trebleImageTop), 500) << "the treble clef's end dot";
  EXPECT_GT(ink(1.66f, 0.16f, trebleImageTop), 400) << "the treble clef's top, above the staff";
  EXPECT_LT(ink(2.45f, 2.8f, trebleImageTop), 200) << "ink right of the treble clef's stem";
  EXPECT_GT(ink(0.56f, 1.0f, g.bassTop), 500) << "the bass clef's head on the F line";
  EXPECT_GT(ink(2.55f, 0.5f, g.bassTop), 500) << "the bass clef's upper dot";
  EXPECT_GT(ink(2.55f, 1.5f, g.bassTop), 500) << "the bass clef's lower dot";
  EXPECT_LT(ink(2.55f, 2.5f, g.bassTop), 200) << "ink below the bass clef's dots";
  EXPECT_LT(x0 + 3.2f * g.sp, g.playX) << "the clefs reach the play line";
  FreeClefTextures();
}

TEST_F(StaffPanelWindow, ASongsComingNoteTravelsTowardsThePlayLine) {
  gWaitMode = true;
  gSongEvents = {{3000, 0x90, 67, 90, 0}, {3400, 0x80, 67, 0, 0}};
  gPlaying = gPaused = true;
  gPlayStartMs = ClockMs32() - 10000;
  StaffGeometry g = Geometry();
  float y = StaffYForNote(67, g.middleCY, g.sp / 2, false), right = g.panel.x + g.panel.w - 1.2f * g.sp;
  float r, gg, b;
  PitchClassRingColour(7, &r, &gg, &b);
  float lastX = 1e9f;
  for (uint32_t position : {200u, 1400u, 2600u, 3000u}) {
    gPauseMs = gPlayStartMs + position;
    DrawFrame();
    if (position == 1400u) Save("staff_panel_coming.png");
    float expected = g.playX + (3000.0f - (float)position) / 3200.0f * (right - g.playX);
    // The head's centre: the middle of the run of its colour along its row.
    int first = -1, last = -1;
    for (int xx = (int)g.playX - 40; xx < (int)right + 40; ++xx)
      if (Near(Pixel(xx, (int)y), r, gg, b)) {
        if (first < 0) first = xx;
        last = xx;
      }
    ASSERT_GE(first, 0) << "a head at position " << position;
    float centre = (first + last) / 2.0f;
    EXPECT_NEAR(centre, expected, 3.0f) << position;
    EXPECT_LT(centre, lastX);
    lastX = centre;
  }
  // Held at the note a few milliseconds after the pump stopped the song there: the note the song
  // waits for stays at the play line.
  gWaitHolding = true;
  gWaitEventMs = 3000;
  gPauseMs = gPlayStartMs + 3006;
  DrawFrame();
  int held = -1;
  for (int xx = (int)g.playX - 40; xx < (int)g.playX + 40 && held < 0; ++xx)
    if (Near(Pixel(xx, (int)y), r, gg, b)) held = xx;
  EXPECT_GE(held, 0) << "the held note is on the staff";
  gWaitHolding = false;
  gWaitEventMs = (uint32_t)-1;
  // Past the note, and a note more than 3200 ms ahead: nothing on that row.
  struct Case {
    uint32_t noteMs, position;
  } cases[] = {{3000, 3500}, {3300, 50}};
  for (const Case& c : cases) {
    gSongEvents[0].timeMs = c.noteMs;
    gPauseMs = gPlayStartMs + c.position;
    DrawFrame();
    bool any = false;
    for (int xx = (int)g.playX + 10; xx < (int)right + 40; ++xx) any |= Near(Pixel(xx, (int)y), r, gg, b);
    EXPECT_FALSE(any) << c.noteMs << " at " << c.position;
  }
}

// Two coming chords in wait mode, an eighth apart at 120 a minute: E G B, then F# A# C#. The
// second chord's sharps once stood over the first chord's heads (the A# sharp right across G and
// B); they now shrink to clear them, so inside each head of the first chord there is nothing but
// its own colour.
TEST_F(StaffPanelWindow, AComingChordsSignsKeepOffTheChordBefore) {
  gWaitMode = true;
  gSongEvents = {{1000, 0x90, 64, 90, 0}, {1000, 0x90, 67, 90, 0}, {1000, 0x90, 71, 90, 0},
                 {1250, 0x90, 66, 90, 0}, {1250, 0x90, 70, 90, 0}, {1250, 0x90, 73, 90, 0},
                 {1500, 0x80, 66, 0, 0}};
  gPlaying = gPaused = true;
  gPlayStartMs = ClockMs32() - 10000;
  gPauseMs = gPlayStartMs;
  DrawFrame();
  Save("staff_panel_coming_chords.png");
  const StaffGeometry g = Geometry();
  const float step = g.sp / 2, right = g.panel.x + g.panel.w - 1.2f * g.sp;
  const float halfW = std::max(0.32f * g.sp, 6.2f) * 1.55f, halfH = std::max(0.24f * g.sp, 4.2f);
  const float x = g.playX + 1000.0f / 3200.0f * (right - g.playX);
  const float apart = 250.0f / 3200.0f * (right - g.playX);
  ASSERT_LT(apart, 2.2f * halfW + 0.8f * std::max(1.6f * g.sp, 10.0f)) << "the chords stand closer than two sign columns";
  for (int note : {64, 67, 71}) {
    float r, gg, b;
    PitchClassRingColour(note % 12, &r, &gg, &b);
    const float y = StaffYForNote(note, g.middleCY, step, false);
    int other = 0, all = 0;
    for (int yy = (int)(y - 0.8f * halfH); yy <= (int)(y + 0.8f * halfH); ++yy)
      for (int xx = (int)(x - 0.8f * halfW); xx <= (int)(x + 0.8f * halfW); ++xx) {
        const float u = ((float)xx - x) / halfW, v = ((float)yy - y) / halfH;
        if (u * u + v * v > 0.64f) continue;
        ++all;
        other += !Near(Pixel(xx, yy), r, gg, b);
      }
    EXPECT_GT(all, 20) << note;
    EXPECT_EQ(other, 0) << "ink of another colour inside the head of " << note << " (" << other << " of " << all << ")";
  }
}

// The score's written letter wins over the song's pitch when a score note matches.
TEST_F(StaffPanelWindow, TheSongToScoreMapTakesTheNextNineScoreNotes) {
  gSongEvents = {{0, 0x90, 60, 90, 0}, {100, 0x80, 60, 0, 0}, {200, 0x90, 61, 90, 0}, {300, 0x90, 71, 90, 0},
                 {400, 0x90, 64, 0, 0}};
  SightScore score;
  for (int n : {60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71}) {
    SightScoreNote s;
    s.midi_note = n;
    score.notes.push_back(s);
  }
  score.active = true;
  SetSightScore(score);
  BuildSongToScoreMap();
  // 71 is the twelfth note: beyond the nine from the cursor (after 61); a velocity 0 is a release.
  EXPECT_EQ(gSongToScoreMap, (std::vector<int>{0, -1, 1, -1, -1}));
  gSongToScoreMap[0] = 5;  // the cache holds while the counts stay
  BuildSongToScoreMap();
  EXPECT_EQ(gSongToScoreMap[0], 5);
  ResetSightScore();
  BuildSongToScoreMap();
  EXPECT_TRUE(gSongToScoreMap.empty());
}

}  // namespace
