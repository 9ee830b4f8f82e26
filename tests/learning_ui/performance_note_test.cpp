// The performance note's logic without a window: the advice rule by rule, the figure boxes and the
// radar's axes for tricky records, the cascade and sizes of cards, and presses on cards, including
// cards whose item left the library.
#include "learning_ui/performance_note.h"

#include <functional>
#include <stdexcept>

#include "learning_ui/skills_radar.h"
#include "platform/clock.h"
#include "tests/learning_ui/learning_ui_fixture.h"

namespace {

using Make = std::function<void(MasteryRecord&)>;

class PerformanceNoteTest : public LearningUiTest {
 protected:
  PerformanceNoteTest() {
    ResetPerformanceNotes();
    MakeLibrary({"a etude S", "b etude S", "c etude S", "d etude S", "e etude S", "f etude S", "g etude S"}, {{"a"}});
  }
  ~PerformanceNoteTest() override { ResetPerformanceNotes(); }
  // A clean pass of 20 notes at the item's targets (timing 0.85, 100 bpm), changed by make.
  static MasteryRecord Run(const Make& make) {
    MasteryRecord r;
    r.latest_expected = r.latest_landed = 20;
    r.latest_timing = 0.9f;
    r.latest_bpm = 100;
    r.latest_passed = true;
    if (make) make(r);
    return r;
  }
  // Best figures at the item's targets on two days: mastered, whatever the latest run did.
  static void Master(MasteryRecord& r) {
    r.best_accuracy = r.best_timing = 0.95f;
    r.best_bpm = 100;
    r.passes = r.distinct_pass_days = 2;
  }
  static const PerformanceNoteCard& Card(const std::string& id) {
    for (const PerformanceNoteCard& c : gPerformanceNotes)
      if (c.itemId == id) return c;
    throw std::runtime_error("no card " + id);
  }
  static std::string Order() {
    std::string ids;
    for (const PerformanceNoteCard& c : gPerformanceNotes) ids += c.itemId;
    return ids;
  }
  ScopedDrivenClock clock_{0x100000000ull - 300};   // just before the 32-bit clock wraps
};

TEST_F(PerformanceNoteTest, AdviceTakesTheFirstRuleThatHolds) {
  const std::vector<std::pair<Make, std::string>> rows = {
      {[](auto& r) { r.latest_expected = 0, r.latest_missed = 3; }, "Play a complete first pass without stopping."},
      {[](auto& r) { r.latest_missed = 3, r.latest_wrong_attempts = 2, r.latest_timing = 0.2f; },
       "Repeat the missed phrase slowly, then make one uninterrupted full-piece pass."},
      {[](auto& r) { r.latest_wrong_attempts = 1, r.latest_hold_breaks = 1; },
       "Keep the same tempo and aim for one clean pass without extra notes."},
      {[](auto& r) { r.latest_hold_breaks = 2, r.latest_rhythm_state = 1; },
       "Keep the pulse, but listen through the full written note lengths."},
      {[](auto& r) { r.latest_rhythm_state = 1, r.latest_rhythm = 0.69f, r.latest_articulation_state = 1; },
       "Place each note where it is written against the click: the long and short notes ran together."},
      {[](auto& r) { r.latest_rhythm_state = r.latest_articulation_state = 1, r.latest_rhythm = 0.7f; },
       "Let the short notes go at once, and hold the joined ones until the next note sounds."},
      {[](auto& r) { r.latest_pedal_state = 1, r.latest_pedal = 0.5f; },
       "Lift the pedal as each new harmony sounds, and press it again just after."},
      {[](auto& r) { r.latest_pedal_state = 4; }, "No sustain pedal was seen: connect one to have your pedalling read."},
      {[](auto& r) { r.latest_intervals_state = 1, r.latest_intervals = 0.79f, r.latest_intervals_weakest = 42; },
       "Hardest interval: Octaves. Measure each leap before you play it."},
      {[](auto& r) { r.latest_timing = 0.8f, r.latest_late = 5, r.latest_early = 2; },
       "Re-enter each phrase slightly earlier; your last run leaned late."},
      {[](auto& r) { r.latest_timing = 0.8f, r.latest_late = r.latest_early = 2; },
       "Let the beat arrive before the key; your last run leaned early."},
      {[](auto& r) { r.latest_timing = 0.8496f; },   // within half a thousandth of the target
       "Repeat tomorrow at target tempo; mastery requires control on two separate days."},
      {[](auto& r) { r.latest_passed = false; }, "Repeat once at the authored tempo to secure today's pass."},
      {[](auto& r) { Master(r); },
       "Mastered: keep it fresh by playing it again when it comes back in your daily lesson."},
      {[](auto& r) { Master(r), r.latest_missed = 1; },   // a fault still comes first
       "Repeat the missed phrase slowly, then make one uninterrupted full-piece pass."},
      {[](auto& r) { Master(r), r.latest_passed = false; }, "Repeat once at the authored tempo to secure today's pass."},
  };
  const LibraryItem& item = *FindLibraryItem("a");
  EXPECT_EQ(ChooseAdvice(item, nullptr), rows[0].second);
  for (size_t i = 0; i < rows.size(); ++i) {
    // The item's own record, as a card passes it: whether it is mastered is read from there.
    const MasteryRecord& r = gMasteryRecords[item.id] = Run(rows[i].first);
    EXPECT_EQ(ChooseAdvice(item, &r), rows[i].second) << "row " << i;
  }
}

TEST_F(PerformanceNoteTest, FigureBoxesAndRadarAxesFollowTheRecord) {
  struct Row {
    Make make;
    const char* first;      // the first box's label
    std::string values;     // the four box values, then the radar's axis values, joined by blanks
    std::string lit;        // the highlighted boxes
    int vertices;           // of the radar's polygon
  };
  const std::vector<Row> rows = {
      {[](auto& r) { r.latest_expected = 0, r.latest_rhythm_state = 1, r.latest_rhythm = 0.2f; }, "RHYTHM",
       "-- -- -- -- | -- -- -- -- --", "", 0},
      {nullptr, "DYNAMICS", "-- 90% 0 100 bpm | 100% 90% 100% --", "", 3},
      {[](auto& r) { r.latest_dynamics_state = 1, r.latest_dynamics = 0.2f, r.latest_landed = 15, r.latest_missed = 5; },
       "DYNAMICS", "20% 90% 5 100 bpm | 100% 90% 75% 20%", "S", 4},
      {[](auto& r) { r.latest_rhythm_state = r.latest_intervals_state = 1, r.latest_rhythm = 0.66f, r.latest_pedal_state = 4; },
       "RHYTHM", "66% 90% 0 100 bpm | 100% 90% 100% -- 66% -- 0%", "1", 5},
      {[](auto& r) { r.latest_articulation_state = 3, r.latest_pedal_state = 1, r.latest_pedal = 0.7f; }, "ARTICULATION",
       "-- 90% 0 100 bpm | 100% 90% 100% -- -- 70%", "", 4},
      {[](auto& r) {
         r.latest_timing = 0.849f, r.latest_bpm = 99.4f, r.latest_hold_breaks = r.latest_wrong_attempts = 1;
       }, "DYNAMICS", "-- 85% 2 99 bpm | 95% 85% 95% --", "TSP", 3},
      {[](auto& r) { r.latest_bpm = 99.6f; }, "DYNAMICS", "-- 90% 0 100 bpm | 100% 90% 100% --", "", 3},
  };
  const LibraryItem& item = *FindLibraryItem("a");
  for (size_t i = 0; i < rows.size(); ++i) {
    MasteryRecord r = Run(rows[i].make);
    NoteFigureBox boxes[4];
    ComputeNoteFigureBoxes(item, &r, boxes);
    PerformanceSummary s;
    RadarData d = FillRadarData(*SummarizePerformance(&s, &r));
    std::string values, lit;
    for (int b = 0; b < 4; ++b) {
      values += boxes[b].value + " ";
      if (boxes[b].highlighted) lit += "1TSP"[b];
    }
    values += "|";
    int vertices = 0;
    for (int j = 0; j < d.count; ++j) {
      char text[16];
      RadarValueText(d, j, text, sizeof text);
      values += std::string(" ") + text;
      vertices += d.hasRun && d.measured[j];
    }
    EXPECT_STREQ(boxes[0].label, rows[i].first) << "row " << i;
    EXPECT_EQ(values, rows[i].values) << "row " << i;
    EXPECT_EQ(lit, rows[i].lit) << "row " << i;
    EXPECT_EQ(vertices, rows[i].vertices) << "row " << i;
  }
  NoteFigureBox none[4];
  ComputeNoteFigureBoxes(item, nullptr, none);
  EXPECT_STREQ(none[0].label, "DYNAMICS");
  EXPECT_EQ(none[3].value, "--");
}

TEST_F(PerformanceNoteTest, OverallColourAccentAndGrowIn) {
  const std::pair<float, std::array<float, 3>> rows[] = {{0.9f, {0.42f, 0.93f, 0.54f}}, {0.89f, {0.1f, 0.2f, 0.3f}},
                                                         {0.75f, {0.1f, 0.2f, 0.3f}},   {0.5f, {0.98f, 0.78f, 0.34f}},
                                                         {0.49f, {0.96f, 0.4f, 0.36f}}};
  for (const auto& [o, want] : rows) {
    float rgb[3];
    RadarOverallColour(o, 0.1f, 0.2f, 0.3f, rgb);
    EXPECT_EQ((std::array<float, 3>{rgb[0], rgb[1], rgb[2]}), want) << o;
  }
  float r, g, b;
  gActiveStudentIndex = 3;   // names no student: blue-grey
  RadarAccentColour(&r, &g, &b);
  EXPECT_EQ((std::array<float, 3>{r, g, b}), (std::array<float, 3>{0.34f, 0.58f, 0.92f}));
  // The grow-in across the clock's wrap, and none before its start.
  const uint32_t start = ClockMs32();
  EXPECT_EQ(RadarGrowProgress(start, start - 50), 0.0f);
  EXPECT_FLOAT_EQ(RadarGrowProgress(start, start + 300), 0.5f);
  EXPECT_FLOAT_EQ(RadarGrowProgress(start, start + 100000), 1.0f);
}

TEST_F(PerformanceNoteTest, CardsCascadeAndFitSmallWindows) {
  const std::array<float, 4> sizes[] = {{1440, 920, 540, 772.8f}, {2560, 1440, 660, 940}, {800, 600, 540, 576},
                                        {500, 400, 476, 500}};
  for (const auto& [W, H, w, h] : sizes) {
    ResetPerformanceNotes();
    gClientWidth = (int)W, gClientHeight = (int)H;
    OpenPerformanceNote("a");
    const PerformanceNoteCard& c = Card("a");
    EXPECT_EQ((std::array<float, 2>{c.w, c.x}), (std::array<float, 2>{w, (W - w) / 2})) << W;
    EXPECT_NEAR(c.h, h, 0.01) << W;
    EXPECT_NEAR(c.y, std::max((H - h) / 2, 0.0f), 0.01) << "a card taller than the window keeps its top at 0";
  }
  ResetPerformanceNotes();
  gClientWidth = 1440, gClientHeight = 920;
  for (const char* id : {"a", "b", "c", "d", "e", "f", "g"}) OpenPerformanceNote(id);
  EXPECT_FLOAT_EQ(Card("f").x - Card("a").x, 5 * 26.0f);
  EXPECT_NEAR(Card("f").y - Card("a").y, 5 * 14.3f, 0.001);
  EXPECT_EQ(std::make_pair(Card("g").x, Card("g").y), std::make_pair(Card("a").x, Card("a").y)) << "the seventh";
  // Reopening raises the card where it stands and restarts its grow-in; an empty id opens nothing.
  const float x = Card("b").x;
  clock_.Advance(700);   // across the wrap
  OpenPerformanceNote("b");
  OpenPerformanceNote("");
  EXPECT_EQ(Order(), "acdefgb");
  EXPECT_EQ(std::make_pair(Card("b").x, Card("b").openedMs), std::make_pair(x, ClockMs32()));
}

// A window made smaller resizes its cards as if they opened now and moves each just enough to lie
// wholly inside the new window, even one dragged to the old window's edge; larger, they grow back.
TEST_F(PerformanceNoteTest, CardsFollowTheWindowsSize) {
  gClientWidth = 1920, gClientHeight = 1080;
  OpenPerformanceNote("a");
  OpenPerformanceNote("b");
  gPerformanceNotes[1].x = 1920.0f - 90.0f;   // dragged to the right edge
  gPerformanceNotes[1].y = 1080.0f - 48.0f;
  gClientWidth = 1120, gClientHeight = 720;
  FitPerformanceNotesToWindow();
  for (const PerformanceNoteCard& c : gPerformanceNotes) {
    EXPECT_FLOAT_EQ(c.w, 540.0f) << c.itemId;
    EXPECT_FLOAT_EQ(c.h, 696.0f) << c.itemId;
    EXPECT_EQ(std::make_pair(c.x, c.y), std::make_pair(1120.0f - 540.0f, 720.0f - 696.0f)) << c.itemId;
  }
  // One that already lies inside a narrower window stays where it was.
  gClientWidth = 1440, gClientHeight = 900;
  ResetPerformanceNotes();
  OpenPerformanceNote("a");
  const float ax = Card("a").x, ay = Card("a").y;
  gClientWidth = 1280;
  FitPerformanceNotesToWindow();
  EXPECT_EQ(std::make_pair(Card("a").x, Card("a").y), std::make_pair(ax, ay));
  gClientWidth = 2560, gClientHeight = 1440;
  FitPerformanceNotesToWindow();
  EXPECT_FLOAT_EQ(Card("a").w, 660.0f);
  EXPECT_FLOAT_EQ(Card("a").h, 940.0f);
}

// Opened in a large window and left there, a card is still wholly in sight after the window shrinks
// and its close box closes it; in a window too small for it its masthead and close box stay in view.
TEST_F(PerformanceNoteTest, AShrunkWindowKeepsItsCardsClosable) {
  struct Row {
    int openW, openH, w, h;
    bool fits;
  };
  const Row rows[] = {{3840, 2160, 1120, 720, true}, {1440, 900, 1120, 720, true}, {2560, 1440, 1440, 900, true},
                      {1920, 1080, 800, 600, true},  {1440, 900, 400, 300, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.openW << "x" << row.openH << " to " << row.w << "x" << row.h);
    ResetPerformanceNotes();
    gClientWidth = row.openW, gClientHeight = row.openH;
    OpenPerformanceNote("a");
    gClientWidth = row.w, gClientHeight = row.h;
    FitPerformanceNotesToWindow();
    const PerformanceNoteCard c = Card("a");
    if (row.fits) {
      EXPECT_TRUE(c.x >= 0 && c.x + c.w <= (float)row.w) << c.x << " + " << c.w;
      EXPECT_TRUE(c.y >= 0 && c.y + c.h <= (float)row.h) << c.y << " + " << c.h;
    } else {
      EXPECT_TRUE(c.x <= 0 && c.y >= 0 && c.y <= (float)row.h - 48.0f) << c.x << ", " << c.y;
    }
    float bx, by, bw, bh;
    NoteCloseBoxRect(c, &bx, &by, &bw, &bh);
    EXPECT_TRUE(bx >= 0 && bx + bw <= (float)row.w && by >= 0 && by + bh <= (float)row.h) << bx << ", " << by;
    EXPECT_TRUE(PerformanceNoteMouseDown((int)(bx + bw / 2), (int)(by + bh / 2)));
    EXPECT_TRUE(gPerformanceNotes.empty()) << "the close box closed it";
  }
}

TEST_F(PerformanceNoteTest, PressesCloseRaiseAndDrag) {
  OpenPerformanceNote("a");
  OpenPerformanceNote("b");   // 26 right, 14.3 down, on top
  const PerformanceNoteCard a = Card("a"), b = Card("b");
  EXPECT_TRUE(PerformanceNoteMouseDown((int)a.x + 5, (int)(a.y + a.h - 5)));   // only a lies there
  EXPECT_EQ(Order(), "ba");
  EXPECT_FALSE(PerformanceNoteMouseUp());
  // On b's right edge, beside a: just below the masthead raises b undragged; on the masthead it drags.
  const int right = (int)(b.x + b.w) - 20;
  EXPECT_TRUE(PerformanceNoteMouseDown(right, (int)b.y + 47));
  EXPECT_EQ(Order(), "ab");
  EXPECT_FALSE(IsPerformanceNoteDragging() || PerformanceNoteMouseMove());
  EXPECT_TRUE(PerformanceNoteMouseDown(right, (int)b.y + 45));
  const float dx = Card("b").grabDx, dy = Card("b").grabDy;
  // 90 px stay on screen at either side, the top stays in the window and 48 px above its foot.
  const std::array<float, 4> moves[] = {{-5000, -5000, 90 - b.w, 0}, {5000, 5000, 1350, 872}, {300, 200, 300 - dx, 200 - dy}};
  for (const auto& [mx, my, x, y] : moves) {
    gMouseX = (int)mx, gMouseY = (int)my;
    EXPECT_TRUE(PerformanceNoteMouseMove());
    EXPECT_EQ(std::make_pair(Card("b").x, Card("b").y), std::make_pair(x, y)) << mx;
  }
  EXPECT_TRUE(PerformanceNoteMouseUp());
  EXPECT_FALSE(IsPerformanceNoteDragging() || PerformanceNoteMouseMove());
  // The close box, edges included, closes; a press beside every card is not taken.
  float bx, by, bw, bh;
  NoteCloseBoxRect(Card("b"), &bx, &by, &bw, &bh);
  EXPECT_TRUE(PerformanceNoteMouseDown((int)(bx + bw), (int)(by + bh)));
  EXPECT_EQ(Order(), "a");
  EXPECT_FALSE(PerformanceNoteMouseDown((int)a.x - 2, (int)a.y + 100));
}

TEST_F(PerformanceNoteTest, ACardWithoutItsItemTakesNoPressUntilItReturns) {
  OpenPerformanceNote("a");
  OpenPerformanceNote("b");
  const PerformanceNoteCard a = Card("a"), b = Card("b");
  ASSERT_TRUE(PerformanceNoteMouseDown((int)b.x + 60, (int)b.y + 20));   // b dragged
  MakeLibrary({"a etude S"}, {{"a"}});   // a reload without b: its card stays, passed over
  gMouseX = gMouseY = 10;
  EXPECT_FALSE(PerformanceNoteMouseMove());
  EXPECT_EQ(Card("b").x, b.x);
  EXPECT_TRUE(PerformanceNoteMouseUp()) << "the drag it began still ends";
  float bx, by, bw, bh;
  NoteCloseBoxRect(b, &bx, &by, &bw, &bh);
  EXPECT_FALSE(PerformanceNoteMouseDown((int)bx + 15, (int)by + 5)) << "right of a, only b lies there";
  EXPECT_TRUE(PerformanceNoteMouseDown((int)a.x + 40, (int)a.y + 100)) << "a, under b, takes the press";
  EXPECT_EQ(Order(), "ba");
  MakeLibrary({"a etude S", "b etude S"}, {{"a"}});   // b comes back with its item
  EXPECT_TRUE(PerformanceNoteMouseDown((int)bx + 15, (int)by + 5));
  EXPECT_EQ(Order(), "a");
}

TEST_F(PerformanceNoteTest, AnAreaIsCoveredOnlyWhollyUnderAShownCardAbove) {
  OpenPerformanceNote("a");
  OpenPerformanceNote("b");   // 26 right, 14.3 down
  const PerformanceNoteCard a = Card("a"), b = Card("b");
  const std::array<float, 4> covered[] = {{a.x + 28, a.y + 160, 480, 52}, {b.x + 5, b.y + 5, 10, 10}};
  const std::array<float, 4> shown[] = {{a.x + 20, a.y + 160, 480, 52}, {b.x + 1, b.y + 1, 10, 10},
                                        {a.x + 28, a.y + 700, 480, b.h}};
  for (const auto& [x, y, w, h] : covered) EXPECT_TRUE(IsNoteAreaCovered(0, x, y, w, h)) << x - a.x << "," << y - a.y;
  for (const auto& [x, y, w, h] : shown) EXPECT_FALSE(IsNoteAreaCovered(0, x, y, w, h)) << x - a.x << "," << y - a.y;
  EXPECT_FALSE(IsNoteAreaCovered(1, b.x + 100, b.y + 100, 10, 10)) << "nothing lies above the top card";
  float leftW = 0, topH = 0;
  ASSERT_TRUE(NoteBodyStrips(0, &leftW, &topH));
  EXPECT_EQ(leftW, 26.0f + 16);
  EXPECT_NEAR(topH, 14.3f + 16, 0.001f);
  gPerformanceNotes[1].x = a.x + 10;   // its top right corner would leave a gap at a's right edge
  EXPECT_FALSE(NoteBodyStrips(0, &leftW, &topH) || NoteBodyStrips(1, &leftW, &topH));
  gPerformanceNotes[1].x = b.x;
  MakeLibrary({"a etude S"}, {{"a"}});
  EXPECT_FALSE(IsNoteAreaCovered(0, a.x + 28, a.y + 160, 480, 52)) << "a card not drawn hides nothing";
}

}  // namespace
