// The learning screen in a real window on a private display at three sizes, over the shipped lesson
// library with seeded records: a done, a current, a selected and a locked card, the search box
// focused. The picture is read back at positions computed from the screen's layout; screenshots of
// the whole program frame are kept beside the test program for the developer to look at.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "learning/library_browser.h"
#include "learning_ui/card_text.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/library_search.h"
#include "tests/app/learning_window_fixture.h"

namespace {

namespace fs = std::filesystem;

struct WindowSize {
  int w, h;
};

class LearningWindow : public LearningWindowTest, public ::testing::WithParamInterface<WindowSize> {
 protected:
  void SetUp() override {
    OpenLearningWindow(0, 0, GetParam().w, GetParam().h);
    if (HasFatalFailure()) return;
    ClockDriveBegin(ClockTickMs64());
    SeedLibrary();
  }

  // The shipped library beside a private program folder; the chords view searched for triads
  // lists the open major triads and the locked minor ones.
  void SeedLibrary() {
    const char* binary = std::getenv("TONVARRA_BINARY");
    ASSERT_NE(binary, nullptr);
    fs::path shipped = fs::path(binary).parent_path() / "MIDI" / "Library";
    ASSERT_TRUE(fs::exists(shipped / "library_index.tsv"));
    fs::create_directories(dir_.File("MIDI"));
    fs::create_directory_symlink(shipped, dir_.File("MIDI/Library"));
    ResetLearningState();   // on the driven clock
    LoadLibraryIndex();
    for (const LibraryItem& item : gLibraryItems) {
      if (item.type == "Major Triads") major_.push_back(item.id);
      if (item.type == "Minor Triads" && !IsItemAvailable(item) && locked_.empty()) locked_ = item.id;
    }
    ASSERT_GE(major_.size(), 4u);
    ASSERT_FALSE(locked_.empty());
    gCompletedItems.insert(major_[0]);
    gPracticeItemId = major_[1];
    gSelectedCards.insert(major_[2]);
    gChoosingPractice = true;
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryViewKey = "chords";
    SortLibraryItems();
    gSearchField.text = "triad";
    gSearchField.cursor = gSearchField.anchor = 5;
    ApplySearchText();
    gSearchFocused = true;
  }
  RectF CardOf(const std::string& id) const {
    RectF found = kHiddenRect;
    WalkCardGrid(ComputeLearningLayout(), gLibraryScroll, nullptr, [&](const LibraryItem& item, const RectF& r) {
      if (item.id == id) found = r;
      return item.id == id;
    });
    return found;
  }
  // The screen alone over a plain white window.
  static std::vector<uint8_t> DrawScreenOverWhite() {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLibraryButton();
    DrawLearningScreen();
    DrawLearningScrollHint();
    return ReadFrame();
  }
  static void ExpectNear(const std::array<int, 3>& got, float r, float g, float b, int tolerance, const char* what) {
    EXPECT_NEAR(got[0], r * 255, tolerance) << what;
    EXPECT_NEAR(got[1], g * 255, tolerance) << what;
    EXPECT_NEAR(got[2], b * 255, tolerance) << what;
  }
  // The reddest pixel of the three rows around a horizontal outline.
  static std::array<int, 3> OnOutline(const std::vector<uint8_t>& frame, float x, float y) {
    std::array<int, 3> best = At(frame, x, y - 1);
    for (float dy : {0.0f, 1.0f}) {
      std::array<int, 3> c = At(frame, x, y + dy);
      if (c[0] - c[2] > best[0] - best[2]) best = c;
    }
    return best;
  }
  std::vector<std::string> major_;
  std::string locked_;
};

TEST_P(LearningWindow, PanelCardsSearchBoxScrollbarAndBackdrop) {
  const WindowSize size = GetParam();
  // The backdrop's dimming: 0.18 on the first frame, 0.66 once the fade is over.
  const LearningLayout l = ComputeLearningLayout();
  const float sideX = l.x / 2.0f, sideY = l.top + l.height / 2.0f;   // beside the panel, where no star flies
  std::vector<uint8_t> frame = DrawScreenOverWhite();
  EXPECT_NEAR((255 - At(frame, sideX, sideY)[0]) / (255 * 0.99), 0.18, 0.012);
  ClockDriveAdvance(1200);
  frame = DrawScreenOverWhite();
  EXPECT_NEAR((255 - At(frame, sideX, sideY)[0]) / (255 * 0.99), 0.66, 0.012);

  // The panel's body near its foot, and the sidebar's divider beside the (empty) calendar.
  ExpectNear(At(frame, l.x + l.sideW + 40.0f, l.top + l.height - 6.0f), 0.045f, 0.055f, 0.085f, 8, "panel body");
  float dividerY = l.calendarY + 120.0f;
  EXPECT_GE(Sum(At(frame, l.x + l.sideW, dividerY)) - Sum(At(frame, l.x + l.sideW + 4.0f, dividerY)), 6) << "divider";

  // Cards: a plain one, the selected one's overlay, the current item's gold outline, the done
  // card's amber and the locked card's dim body.
  RectF plain = CardOf(major_[3]), selected = CardOf(major_[2]), current = CardOf(major_[1]), done = CardOf(major_[0]),
        locked = CardOf(locked_);
  for (const RectF* r : {&plain, &selected, &current, &done}) ASSERT_LT(r->y + r->h, l.contentY + l.contentH);
  auto body = [&](const RectF& r) { return At(frame, r.x + r.w / 2.0f, r.y + 6.0f); };
  ExpectNear(body(plain), 0.135f, 0.155f, 0.215f, 10, "card body");
  EXPECT_GE(body(selected)[2] - body(plain)[2], 12) << "selected overlay";
  std::array<int, 3> gold = OnOutline(frame, current.x + current.w / 2.0f, current.y);
  EXPECT_GT(gold[0], 100);
  EXPECT_GT(gold[0] - gold[2], 40) << "current outline";
  EXPECT_GT(body(done)[0] - body(done)[2], 30) << "done card";
  if (locked.y + locked.h < l.contentY + l.contentH) ExpectNear(body(locked), 0.075f, 0.08f, 0.105f, 10, "locked card");

  // The focused search box's gold outline.
  RectF box = gSearchBoxRect;
  ASSERT_GT(box.w, 200.0f);
  std::array<int, 3> outline = OnOutline(frame, box.x + box.w / 2.0f, box.y);
  EXPECT_GT(outline[0], 100);
  EXPECT_GT(outline[0] - outline[2], 40) << "search box outline";

  // The scrollbar's track, lighter than the panel beside it, far from the thumb at the top.
  RectF track, thumb;
  ASSERT_TRUE(GetScrollbarRects(l, track, thumb));
  float trackY = track.y + track.h - 24.0f;
  EXPECT_GE(Sum(At(frame, track.x + 1.0f, trackY)) - Sum(At(frame, track.x - 3.0f, trackY)), 6) << "track";

  // A search longer than the box: its end stays in view inside the box, nothing of it beyond.
  gSearchField.text.clear();
  for (int i = 0; i < 13; ++i) gSearchField.text += "minor ";
  gSearchField.text += "wide";
  gSearchField.cursor = gSearchField.anchor = (int)gSearchField.text.size();
  ApplySearchText();
  frame = DrawScreenOverWhite();
  box = gSearchBoxRect;
  int inside = 0, beyond = 0;
  for (float y = box.y + 8.0f; y < box.y + box.h - 8.0f; y += 1.0f) {
    for (float x = box.x + box.w - 60.0f; x < box.x + box.w - 10.0f; x += 1.0f) inside += Sum(At(frame, x, y)) > 500;
    for (float x = box.x + box.w + 3.0f; x < std::min(box.x + box.w + 80.0f, (float)size.w - 1.0f); x += 1.0f)
      beyond += Sum(At(frame, x, y)) > 600 && At(frame, x, y)[2] > At(frame, x, y)[0] + 10;
  }
  EXPECT_GT(inside, 20) << "the text's end, by the caret";
  EXPECT_EQ(beyond, 0) << "text past the box";
  SaveProgramScreenshot("learning_search_long_" + std::to_string(size.w) + "x" + std::to_string(size.h));
  gSearchField.text = "triad";
  gSearchField.cursor = gSearchField.anchor = 5;
  ApplySearchText();

  SaveProgramScreenshot("learning_screen_" + std::to_string(size.w) + "x" + std::to_string(size.h));
  gLibraryScroll = 1e9f;
  SaveProgramScreenshot("learning_screen_end_" + std::to_string(size.w) + "x" + std::to_string(size.h));
}

// A search longer than the box, shown from its end: a press on its first letter whole in the box
// and a drag to the box's end leave every letter where it was drawn and light just those letters.
TEST_P(LearningWindow, APressOnALongSearchLeavesItsLettersInPlace) {
  const WindowSize size = GetParam();
  gSearchField.text = "the quick brown fox jumps over the lazy dog and more words here";
  gSearchField.cursor = gSearchField.anchor = (int)gSearchField.text.size();
  ApplySearchText();
  ClockDriveAdvance(1200);   // past the backdrop's fade
  while ((ClockMs32() / 500) % 2 == 0) ClockDriveAdvance(100);   // the caret in its hidden half
  const std::vector<uint8_t> before = DrawScreenOverWhite();
  const RectF box = gSearchBoxRect;
  const LearningLayout l = ComputeLearningLayout();
  const int left = (int)box.x + 15, right = (int)(box.x + box.w) - 15;
  const int hidden = SearchCaretFromX(l, (float)left);
  ASSERT_GT(hidden, 5) << "the start is out of the box";
  int pressX = left;
  while (pressX < right && SearchCaretFromX(l, (float)pressX) == hidden) ++pressX;
  const int pressed = SearchCaretFromX(l, (float)pressX);

  ASSERT_TRUE(HandleLearningClick(pressX, (int)(box.y + box.h / 2)));
  EXPECT_EQ(gSearchField.cursor, pressed);
  const std::vector<uint8_t> pressedFrame = DrawScreenOverWhite();
  int moved = 0;
  for (float y = box.y + 2.0f; y < box.y + box.h - 2.0f; y += 1.0f)
    for (float x = box.x + 8.0f; x < box.x + box.w - 8.0f; x += 1.0f)
      moved += std::abs(Sum(At(pressedFrame, x, y)) - Sum(At(before, x, y))) > 24;
  EXPECT_EQ(moved, 0) << "pixels of the box that changed under the press";

  EXPECT_TRUE(DragSearchSelection(right));
  EXPECT_TRUE(TakeSearchDragEnd());
  EXPECT_EQ(gSearchField.anchor, pressed);
  EXPECT_EQ(gSearchField.cursor, (int)gSearchField.text.size());
  const std::vector<uint8_t> dragged = DrawScreenOverWhite();
  // The highlight, found in each column where the letters leave the box's body bare: over the
  // selected letters, not left of them.
  auto bluer = [&](float x) {
    int most = 0;
    for (float y = box.y + 6.0f; y < box.y + box.h - 6.0f; y += 1.0f)
      most = std::max(most, At(dragged, x, y)[2] - At(pressedFrame, x, y)[2]);
    return most;
  };
  for (float x = (float)pressX + 6.0f; x < (float)right - 4.0f; x += 7.0f) EXPECT_GT(bluer(x), 20) << "at " << x - box.x;
  EXPECT_LE(bluer(box.x + 10.0f), 2) << "left of the selection";
  SaveProgramScreenshot("learning_search_selected_" + std::to_string(size.w) + "x" + std::to_string(size.h));
}

// Titles such as "C five-finger pattern (RH)" in Hand Skills and "Treble reading 1 in C major" in
// Reading Lab take two lines on a card: between the first line's lowest ink (the descender of
// "finger") and the second's highest (its brackets) runs at least one row of bare card.
class WrappedCardTitles : public LearningWindow {};

TEST_P(WrappedCardTitles, KeepABareRowBetweenTheirLines) {
  const WindowSize size = GetParam();
  gSearchField.text.clear();
  gSearchField.cursor = gSearchField.anchor = 0;
  ApplySearchText();
  gSearchFocused = false;
  gSelectedCards.clear();
  gChoosingPractice = false;
  ClockDriveAdvance(1200);   // past the backdrop's fade
  int wrappedCards = 0;
  for (const char* view : {"sight", "mechanics"}) {
    SCOPED_TRACE(view);
    gLibraryViewKey = view;
    gLibraryScroll = 0.0f;
    SortLibraryItems();
    const std::vector<uint8_t> frame = DrawScreenOverWhite();
    SaveProgramScreenshot(std::string("learning_wrapped_titles_") + view + "_" + std::to_string(size.w) + "x" +
                          std::to_string(size.h));
    const LearningLayout l = ComputeLearningLayout();
    std::vector<std::pair<std::string, RectF>> wrapped;
    WalkCardGrid(l, gLibraryScroll, nullptr, [&](const LibraryItem& item, const RectF& c) {
      std::string line1, line2;
      SplitTwoLines(gFontMain, ItemCardTitle(item), c.w - 36.0f, 9.0f, &line1, &line2);
      const bool inView = c.y >= l.contentY && c.y + c.h <= l.contentY + l.contentH;
      if (inView && !line2.empty()) wrapped.emplace_back(item.name, c);
      return c.y > l.contentY + l.contentH;
    });
    wrappedCards += (int)wrapped.size();
    for (const auto& [name, c] : wrapped) {
      SCOPED_TRACE(name);
      // Rows of the title's near-white ink, and rows with no ink at all, in the title's columns
      // (left of the level dot) above the mastery badge.
      std::vector<bool> bright, blank;
      for (int y = int(c.y) + 3; y < int(c.y + c.h) - 34; ++y) {
        int brightest = 0;
        for (int x = int(c.x) + 10; x < int(c.x + c.w) - 23; ++x) brightest = std::max(brightest, Sum(At(frame, x, y)));
        bright.push_back(brightest > 600);
        blank.push_back(brightest < 240);
      }
      const size_t top = size_t(std::find(bright.begin(), bright.end(), true) - bright.begin());
      ASSERT_LT(top, bright.size()) << "no title ink";
      size_t end = top;
      while (end < bright.size() && !blank[end]) ++end;   // the first line's ink ends at a bare row
      EXPECT_NE(std::find(bright.begin() + long(end), bright.end(), true), bright.end())
          << "the two lines run together: ink from row " << top << " to " << end << " without a bare row";
    }
  }
  EXPECT_GT(wrappedCards, 0) << "no card shows a title on two lines";
}

INSTANTIATE_TEST_SUITE_P(Sizes, LearningWindow, ::testing::Values(WindowSize{1440, 920}, WindowSize{1280, 720},
                                                                 WindowSize{1920, 1080}),
                         [](const auto& info) { return std::to_string(info.param.w) + "x" + std::to_string(info.param.h); });
// Sizes whose Reading Lab cards wrap some titles.
INSTANTIATE_TEST_SUITE_P(Sizes, WrappedCardTitles, ::testing::Values(WindowSize{1440, 920}, WindowSize{1920, 1080}),
                         [](const auto& info) { return std::to_string(info.param.w) + "x" + std::to_string(info.param.h); });

}  // namespace
