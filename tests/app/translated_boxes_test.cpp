// Tight boxes with the shipped translation files: the practice routes' "Next:" tag beside the
// section count, the endless-runs key picker, the NOTE FALL label, the performance note's mastery
// line, the mastery map's focus card and its star cards, the pattern labels beside the circle. Each
// text is measured with the real fonts against its room, and read back from the frame at positions
// computed from the modules' own layouts.
// Screenshots are kept in the build folder's "screenshots".
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "app/chord_trail.h"
#include "app/floor_links.h"
#include "app/pattern_list.h"
#include "board/board_frame.h"
#include "board/board_layout.h"
#include "board/lane_keys.h"
#include "board/scale_preview.h"
#include "board/note_fall_button.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "learning/attempt_rules.h"
#include "learning/library_browser.h"
#include "learning/library_view_state.h"
#include "learning/lessons.h"
#include "learning/performance_summary.h"
#include "learning_ui/card_text.h"
#include "learning_ui/endless_runs.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_screen.h"
#include "learning_ui/learning_screen_state.h"
#include "learning_ui/mastery_map.h"
#include "learning_ui/mastery_map_layout.h"
#include "learning_ui/performance_note.h"
#include "learning_ui/practice_routes.h"
#include "learning_ui/skills_radar.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "tests/app/shipped_languages_fixture.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"
#include "visual/ring_labels.h"

namespace {

namespace fs = std::filesystem;

class TranslatedBoxes : public ShippedLanguagesWindow {
 protected:
  void TearDown() override {
    ResetPerformanceNotes();
    ShippedLanguagesWindow::TearDown();
  }

  // Text ink: a pixel brighter than any box or backdrop of these screens.
  static bool Ink(const std::vector<uint8_t>& frame, int x, int y, int threshold = 120) {
    if (x < 0 || y < 0 || x >= gClientWidth || y >= gClientHeight) return false;
    const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
    return std::max({p[0], p[1], p[2]}) > threshold;
  }
  // Ink pixels in the rectangle [x0, x1) x [y0, y1).
  static int InkIn(const std::vector<uint8_t>& frame, float x0, float y0, float x1, float y1, int threshold = 120) {
    int n = 0;
    for (int y = (int)std::ceil(y0); y < (int)y1; ++y)
      for (int x = (int)std::ceil(x0); x < (int)x1; ++x) n += Ink(frame, x, y, threshold);
    return n;
  }
  // The learning screen over the board in that language, showing the library view.
  static void OpenLibraryIn(const char* code, const char* viewKey) {
    UseLanguage(code);
    ResetViewModes();
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryViewKey = viewKey;
  }
  static float Shown(UiFont font, const std::string& text) {
    ScopedTrSuppress shown;
    return MeasureText(font, text, 8.0f);
  }
  static std::string WithoutBlanks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
  }
  // Every label a played pattern can show, each catalogue scale in each key and a chromatic run,
  // fitted to the column beside the circle in every language: its lines hold the whole label, none
  // wider than the column's room. The labels that are not whole are named.
  static void ExpectEveryPatternLabelWhole() {
    ASSERT_EQ(gLanguageList.size(), 25u);
    GetScaleCatalogue();
    std::set<std::string> labels;
    for (const ScaleRow* row : gScaleCatalogue)
      for (int column = 0; column < 12; ++column)
        labels.insert(SpellScaleNotes(kFifthsOrder[column], row) + " " + row->name);
    labels.insert("CHROMATIC");
    for (const LanguageEntry& language : gLanguageList) {
      SCOPED_TRACE(language.code);
      UseLanguage(language.code);
      ResetViewModes();
      RelayoutAll();
      const TrailColumn c = ComputeTrailColumn();
      std::string cut;
      for (const std::string& label : labels) {
        const std::string text = TrimSpaces(TrScaleLabel(label));
        PatternLabelLook look;
        ASSERT_TRUE(ComputePatternLabelLook({{label, 1000}}, 0, 1500, c, 0.5f, false, &look));
        const PatternLabelLines l = FitPatternLabel(c, text, look.chromatic);
        // A word broken between syllables gains a hyphen at the break.
        const bool hyphen = !l.line2.empty() && l.line1.back() == '-';
        const std::string unbroken = hyphen ? l.line1.substr(0, l.line1.size() - 1) : l.line1;
        const bool whole = (WithoutBlanks(l.line1 + l.line2) == WithoutBlanks(text) ||
                            WithoutBlanks(unbroken + l.line2) == WithoutBlanks(text)) &&
                           (!look.chromatic || l.line2.empty());
        const bool inside = l.scale * Shown(l.font, l.line1) <= l.avail && l.scale * Shown(l.font, l.line2) <= l.avail;
        if (!whole || !inside) cut += "\n  " + text + "  ->  " + l.line1 + " / " + l.line2;
      }
      EXPECT_TRUE(cut.empty()) << "in a room of " << c.colRight - c.colLeft << " px:" << cut;
    }
  }
};

class TranslatedBoxesMaximised : public TranslatedBoxes {
 protected:
  void SetUp() override {
    maximised_ = true;
    TranslatedBoxes::SetUp();
  }
};

// Each route's tag stands on its label's line at the row's right end, the library title inside it
// translated, cut with "..." where the room ends; the section count below keeps its own line.
TEST_F(TranslatedBoxes, RouteTagsKeepTheirRoomBesideTheLabels) {
  for (const char* code : {"en", "de", "ja", "ar", "hi", "ru", "fi"}) {
    SCOPED_TRACE(code);
    OpenLibraryIn(code, "skills");
    gSkillsTab = kSkillsTabOverview;
    const std::vector<uint8_t> frame = Frames(20);
    SaveScreenshot(std::string("routes_") + code, frame);
    const LearningLayout l = ComputeLearningLayout();
    int translatedTitles = 0, nextTags = 0;
    for (int i = 0; i < kRouteCount; ++i) {
      const RouteSummary summary = ComputeRouteSummary(kRouteKeys[i]);
      const RectF row = RouteRowRect(l, i);
      if (row.y + row.h > l.contentY + l.contentH) break;
      SCOPED_TRACE(kRouteKeys[i]);
      const RouteRowText t = LayoutRouteRowText(row, summary);
      if (ChooseRouteTag(summary) != RouteTag::kNext) continue;
      ++nextTags;
      const std::string title = Tr(summary.nextTitle), whole = TrF("Next: %s", title.c_str());
      translatedTitles += title != summary.nextTitle;
      const bool cut = t.tag != whole;
      const std::string kept = cut ? t.tag.substr(0, t.tag.size() - 3) : t.tag;
      EXPECT_EQ(whole.compare(0, kept.size(), kept), 0) << t.tag << " is not the start of " << whole;
      const float labelEnd = t.labelX + Shown(gFontMain, t.label), tagW = Shown(gFontSmall, t.tag);
      EXPECT_GE(t.tagX, labelEnd + 20.0f) << t.tag;
      EXPECT_LE(t.tagX + tagW, row.x + row.w - 12.0f) << t.tag;
      // On screen: nothing between the label and the tag, nothing past the tag, and the count's
      // line clear from its end to the row's.
      const float top = t.tagBaseline - 12.0f, bottom = t.tagBaseline + 4.0f;
      EXPECT_EQ(InkIn(frame, labelEnd + 3.0f, top, t.tagX - 3.0f, bottom), 0) << t.tag;
      EXPECT_GT(InkIn(frame, t.tagX, top, t.tagX + tagW, bottom), 20) << t.tag;
      EXPECT_EQ(InkIn(frame, t.tagX + tagW + 3.0f, top, row.x + row.w - 4.0f, bottom), 0) << t.tag;
      const float sectionsEnd = t.sectionsX + Shown(gFontSmall, t.sections);
      EXPECT_EQ(InkIn(frame, sectionsEnd + 3.0f, t.sectionsBaseline - 11.0f, row.x + row.w - 4.0f, t.sectionsBaseline + 3.0f), 0);
    }
    EXPECT_GT(nextTags, 0);
    if (std::string(code) != "en") EXPECT_GT(translatedTitles, 0) << "every next title shown in English";
  }
}

// The key picker holds its translated caption and the key name whole, and the hand buttons start
// after it and end inside the content width.
TEST_F(TranslatedBoxes, KeyPickerHoldsItsCaptionAndTheKeyName) {
  for (const char* code : {"en", "de", "hu", "ro", "fi", "ja", "ar", "hi", "ru"}) {
    SCOPED_TRACE(code);
    OpenLibraryIn(code, "scales");
    gChosenKey = 8;   // Ab
    SortLibraryItems();
    const std::vector<uint8_t> frame = Frames(20);
    SaveScreenshot(std::string("key_picker_") + code, frame);
    const LearningLayout l = ComputeLearningLayout();
    const RectF box = RunsKeyBoxRect(l), type = RunsTypeBoxRect(l);
    const float captionW = MeasureText(gFontSmall, "Key", 6.6f), valueX = box.x + 20.0f + captionW;
    const float valueW = Shown(gFontMain, "Ab");
    EXPECT_LE(valueX + valueW, box.x + box.w - 30.0f) << Tr("Key");
    EXPECT_GE(box.x, type.x + type.w);
    const RectF first = RunsHandButtonRect(l, 0), last = RunsHandButtonRect(l, 3);
    EXPECT_GE(first.x, box.x + box.w + 8.0f);
    EXPECT_LE(last.x + last.w, l.contentX + l.contentW);
    // The key name's white ink is there, whole: some in its first and in its last third, none
    // between its end and the arrow.
    const float top = box.y + 8.0f, bottom = box.y + box.h - 6.0f;
    EXPECT_GT(InkIn(frame, valueX, top, valueX + valueW / 3.0f, bottom, 200), 3);
    EXPECT_GT(InkIn(frame, valueX + 2.0f * valueW / 3.0f, top, valueX + valueW, bottom, 200), 3);
    EXPECT_EQ(InkIn(frame, valueX + valueW + 3.0f, top, box.x + box.w - 24.0f, bottom, 200), 0);
    EXPECT_EQ(InkIn(frame, box.x + box.w + 2.0f, top, first.x - 1.0f, bottom), 0);
  }
}

// The NOTE FALL label in all 25 languages: its ink stays inside the button, none beside it; Arabic
// and Hindi are turned a quarter (their letters join or hang from one headline), the Latin,
// Cyrillic and East-Asian labels of these files stack, one character per row.
TEST_F(TranslatedBoxes, NoteFallLabelStaysInItsButtonInEveryLanguage) {
  ASSERT_EQ(gLanguageList.size(), 25u);
  for (const LanguageEntry& language : gLanguageList) {
    const std::string code = language.code;
    SCOPED_TRACE(code);
    UseLanguage(code);
    ResetViewModes();
    gPracticeMode = true;
    RelayoutAll();
    const std::vector<uint8_t> frame = Frames(3);
    const RectF r = gNoteFallButtonRect;
    ASSERT_GT(r.w, 2.0f);
    const NoteFallStrip st = ComputeNoteFallStrip();
    const bool turns = VerticalTextTurns(gFontSmall, r, "NOTE FALL", st.s, 2.2f);
    EXPECT_EQ(turns, code == "ar" || code == "hi") << Tr("NOTE FALL");
    if (code == "de" || code == "ja" || code == "ar" || code == "hi" || code == "ru") {
      SaveScreenshot("note_fall_" + code, frame);
    }
    // The label's near-white ink: plenty inside, none in the columns just beside the button.
    int inside = 0, beside = 0;
    for (int y = int(r.y) + 2; y < int(r.y + r.h) - 2; ++y) {
      for (int x = int(r.x) + 2; x < int(r.x + r.w) - 2; ++x) inside += Ink(frame, x, y, 200);
      for (int x : {int(r.x) - 3, int(r.x) - 2, int(r.x + r.w) + 2, int(r.x + r.w) + 3}) beside += Ink(frame, x, y, 200);
    }
    EXPECT_GT(inside, 40);
    EXPECT_EQ(beside, 0);
  }
}

// The preview's hint box, opened over its info mark, holds its longest translated line: the
// Russian "double-click" line ran past its right edge.
TEST_F(TranslatedBoxes, PreviewHintBoxHoldsItsLines) {
  for (const char* code : {"en", "ru", "de", "tr"}) {
    SCOPED_TRACE(code);
    UseLanguage(code);
    ResetViewModes();
    RelayoutAll();
    BoardLayout b;
    ComputeBoardLayout(&b);
    const RectF lower = ComputeLowerArea(b, gLowerPanelRect, (float)gClientHeight);
    float cx, cy, R;
    PreviewInfoMarkGeometry(lower, b.scale, &cx, &cy, &R);
    gMouseX = (int)cx;
    gMouseY = (int)cy;
    const std::vector<uint8_t> frame = Frames(3);
    float widest = 0.0f;
    const std::vector<std::string> lines = PreviewHintLines(false, false, "");
    for (const std::string& line : lines) widest = std::max(widest, Shown(gFontSmall, Tr(line)));
    const RectF box = PlaceHintBox(cx, cy, R, b.scale, lower, (int)lines.size(), (float)gClientWidth,
                                   (float)gClientHeight, widest);
    if (std::string(code) != "en") SaveScreenshot(std::string("preview_hint_") + code, frame);
    EXPECT_GT(InkIn(frame, box.x + 4, box.y + 4, box.x + box.w - 4, box.y + box.h - 4), 200);
    // A strip just inside the right edge stays free of text.
    EXPECT_EQ(InkIn(frame, box.x + box.w - HintTextInset(b.scale) + 2, box.y + 4, box.x + box.w - 1,
                    box.y + box.h - 4), 0);
  }
}

// The performance note's mastery line is shown whole, on a second line where one does not hold it,
// and so is the hint at the card's foot; no text ink passes the card's right margin.
TEST_F(TranslatedBoxes, NoteMasteryLineAndHintAreWhole) {
  ASSERT_FALSE(gLibraryItems.empty());
  const LibraryItem item = gLibraryItems[0];
  for (const char* code : {"en", "de", "ja", "ar", "hi", "ru", "fi"}) {
    SCOPED_TRACE(code);
    UseLanguage(code);
    ResetViewModes();
    gPracticeMode = true;
    MasteryRecord& r = gMasteryRecords[item.id];
    r.attempts = 3;
    r.passes = r.distinct_pass_days = 1;
    r.best_bpm = 96;
    r.latest_bpm = 92;
    r.latest_expected = 40;
    r.latest_landed = 36;
    OpenPerformanceNote(item.id);
    const std::vector<uint8_t> frame = Frames(20);
    SaveScreenshot(std::string("note_") + code, frame);
    const PerformanceNoteCard card = gPerformanceNotes.back();
    const NoteCardLayout l = LayoutNoteCard(card, item, &r);
    const float column = card.w - 56.0f, margin = card.x + card.w - 28.0f;
    for (const std::string& line : {l.mastery1, l.mastery2, l.footer1, l.footer2}) {
      EXPECT_FALSE(line.size() >= 3 && line.compare(line.size() - 3, 3, "...") == 0) << "cut: " << line;
      EXPECT_LE(Shown(gFontSmall, line), column) << line;
    }
    // The line's numbers are all there: the target tempo ends the line's last part.
    const std::string last = l.mastery2.empty() ? l.mastery1 : l.mastery2;
    EXPECT_NE(last.find(std::to_string(item.target_bpm)), std::string::npos) << last;
    const float masteryLast = l.masteryY + (l.mastery2.empty() ? 0.0f : 17.0f);
    EXPECT_GT(InkIn(frame, card.x + 28.0f, l.masteryY - 11.0f, margin, masteryLast + 3.0f), 40);
    EXPECT_EQ(InkIn(frame, margin + 3.0f, l.masteryY - 11.0f, card.x + card.w - 4.0f, masteryLast + 3.0f), 0);
    const float footerLast = l.footerY + (l.footer2.empty() ? 0.0f : 17.0f);
    EXPECT_EQ(InkIn(frame, margin + 3.0f, l.footerY - 11.0f, card.x + card.w - 4.0f, footerLast + 3.0f), 0);
    EXPECT_LE(footerLast + 4.0f, card.y + card.h);
    ResetPerformanceNotes();
    gMasteryRecords.clear();
  }
}

// The performance note's radar keeps its axis labels inside the card in every language, with four,
// five and eight axes, at every size the card takes from a 1120 x 720 window to 3840 x 2160: each
// line of a label lies between the card's sides and the label is whole. At the window's own size
// no ink reaches the strip inside the card's right edge, where a long label ran past it.
TEST_F(TranslatedBoxes, RadarLabelsStayInsideTheNote) {
  ASSERT_EQ(gLanguageList.size(), 25u);
  ASSERT_FALSE(gLibraryItems.empty());
  const LibraryItem item = gLibraryItems[0];
  std::vector<RadarData> charts;
  for (int extra : {0, 1, 4}) {
    PerformanceSummary s;
    s.has_notes = true;
    s.precision = s.timing = s.completeness = 0.8f;
    s.rhythm_has_data = extra >= 1;
    s.articulation_has_data = s.pedal_has_data = s.intervals_has_data = extra >= 4;
    charts.push_back(FillRadarData(s));
  }
  ASSERT_EQ(charts.back().count, 8);
  const int width = gClientWidth, height = gClientHeight;
  const int sizes[][2] = {{1120, 720}, {1280, 800}, {1440, 920}, {1600, 900},
                          {1680, 1050}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
  std::string outside;
  for (const auto& size : sizes) {
    gClientWidth = size[0], gClientHeight = size[1];
    RebuildFonts();
    ResetPerformanceNotes();
    OpenPerformanceNote(item.id);
    const PerformanceNoteCard card = gPerformanceNotes.back();
    for (const LanguageEntry& language : gLanguageList) {
      UseLanguage(language.code);
      const NoteCardLayout l = LayoutNoteCard(card, item, nullptr);
      for (const RadarData& data : charts)
        for (int axis = 0; axis < data.count; ++axis) {
          const RadarAxisTexts t = LayoutRadarAxisTexts(data, axis, l.radarCx, l.radarCy, l.radarR, l.radarLeft, l.radarRight);
          std::string joined;
          bool inside = true;
          for (size_t i = 0; i < t.label.lines.size(); ++i) {
            const float w = t.label.scale * Shown(gFontSmall, t.label.lines[i]);
            inside = inside && t.lineX[i] >= card.x + 4.0f && t.lineX[i] + w <= card.x + card.w - 4.0f &&
                     t.lineY[i] - 20.0f >= card.y && t.lineY[i] + 6.0f <= card.y + card.h;
            joined += (i ? " " : "") + t.label.lines[i];
          }
          const bool whole = WithoutBlanks(joined) == WithoutBlanks(Tr(data.label[axis]));
          if (!inside || !whole)
            outside += "\n  " + language.code + " " + std::to_string(size[0]) + "x" + std::to_string(size[1]) + " " +
                       std::to_string(data.count) + " axes: " + joined;
        }
    }
  }
  EXPECT_TRUE(outside.empty()) << "labels past the card or cut:" << outside;
  gClientWidth = width, gClientHeight = height;
  RebuildFonts();
  ResetPerformanceNotes();

  // Russian times the run as "Точность ритма", the longest label on the right of the chart.
  UseLanguage("ru");
  ResetViewModes();
  gPracticeMode = true;
  MasteryRecord& r = gMasteryRecords[item.id];
  r.attempts = 1;
  r.latest_expected = 40;
  r.latest_landed = 36;
  r.latest_timing = 0.8f;
  OpenPerformanceNote(item.id);
  const std::vector<uint8_t> frame = Frames(40);
  SaveScreenshot("note_radar_ru", frame);
  const PerformanceNoteCard card = gPerformanceNotes.back();
  const NoteCardLayout l = LayoutNoteCard(card, item, &r);
  const float top = l.radarCy - l.radarR - 20.0f, bottom = l.radarCy + l.radarR;
  EXPECT_GT(InkIn(frame, l.radarCx + l.radarR + 14.0f, top, l.radarRight, bottom), 40) << "the timing label";
  EXPECT_EQ(InkIn(frame, l.radarRight + 2.0f, top, card.x + card.w - 2.0f, bottom), 0);
  ResetPerformanceNotes();
  gMasteryRecords.clear();
}

// The mastery map's focus card keeps its figure lines inside its text column, on two lines where a
// translation needs them, and its piece list moves down by as much.
TEST_F(TranslatedBoxes, FocusCardFiguresStayInTheirColumn) {
  for (const char* code : {"en", "de", "ja", "ar", "hi", "ru", "fi"}) {
    SCOPED_TRACE(code);
    UseLanguage(code);
    ResetViewModes();
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryViewKey = "skills";
    gSkillsTab = kSkillsTabMap;
    gMapSelectedSkill = ItemSkillKey("scales", "Major Scales");
    const std::vector<uint8_t> frame = Frames(30);
    SaveScreenshot(std::string("focus_card_") + code, frame);
    const LearningLayout l = ComputeLearningLayout();
    std::vector<std::vector<int>> items;
    const std::vector<MapNode> nodes = LayoutMasteryMap(l, &items);
    int focus = -1;
    for (int i = 0; i < (int)nodes.size(); ++i)
      if (ItemSkillKey(nodes[i].category, nodes[i].type) == gMapSelectedSkill) focus = i;
    ASSERT_GE(focus, 0);
    const SkillStats stats = ComputeSkillStats(items[(size_t)focus]);
    const MapFocusCard card = LayoutMapFocusCard(l, nodes[(size_t)focus], (int)items[(size_t)focus].size(), 0.0f, &stats);
    const float tx = card.x + 18.0f, tw = card.w - 36.0f;
    int seconds = 0;
    for (const auto& lines : card.figures)
      for (const std::string& line : lines) {
        EXPECT_FALSE(line.size() >= 3 && line.compare(line.size() - 3, 3, "...") == 0) << "cut: " << line;
        EXPECT_LE(Shown(gFontSmall, line), tw) << line;
        seconds += &line == &lines[1] && !line.empty();
      }
    EXPECT_FLOAT_EQ(card.listTop, 214.0f + 17.0f * seconds);
    // From the first figure line's top to the last one's foot: ink in the column, none past it.
    const float top = l.contentY + 110.0f, bottom = l.contentY + card.listTop - 36.0f;
    EXPECT_GT(InkIn(frame, tx, top, tx + tw, bottom), 100);
    EXPECT_EQ(InkIn(frame, tx + tw + 3.0f, top, card.x + card.w - 3.0f, bottom), 0);
  }
}

// The map's star cards: the status word shares the top line with the category, which is cut before
// it, and the type has the second line to the card's margin; no ink of one runs into the other.
// A tier's subtitle ends before the "you are here" label on its line.
TEST_F(TranslatedBoxes, MapCardsKeepTheStatusWordClearOfTheirTexts) {
  for (const char* code : {"en", "de", "ja", "ar", "hi", "ru", "fi"}) {
    SCOPED_TRACE(code);
    UseLanguage(code);
    ResetViewModes();
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryViewKey = "skills";
    gSkillsTab = kSkillsTabMap;
    const std::vector<uint8_t> frame = Frames(20);
    SaveScreenshot(std::string("map_cards_") + code, frame);
    const LearningLayout l = ComputeLearningLayout();
    int checked = 0;
    for (const MapNode& node : LayoutMasteryMap(l)) {
      const RectF r = MapNodeRect(node);
      if (r.y < l.contentY + 4.0f || r.y + r.h > l.contentY + l.contentH - 4.0f) continue;
      SCOPED_TRACE(node.type);
      const MapCardText t = LayoutMapCardText(node);
      const float statusW = MeasureText(gFontSmall, t.status, 5.8f);
      EXPECT_NEAR(t.statusX + statusW, r.x + r.w - 10.0f, 0.5f);
      EXPECT_GE(t.statusX, t.textX + t.categoryW + 8.0f - 0.5f);
      const float top = t.topBaseline - 10.0f, mid = t.topBaseline + 1.0f;
      // The category's ink ends before the status word's gap; the word's ink is on the top line.
      const std::string category = CategoryTabLabel(node.category);   // translated
      float categoryW;
      {
        ScopedTrSuppress shown;
        categoryW = MeasureText(gFontSmall, ElideTextToWidth(gFontSmall, category, t.categoryW, 6.2f), 6.2f);
      }
      EXPECT_EQ(InkIn(frame, t.textX + categoryW + 2.0f, top, t.statusX - 2.0f, mid, 60), 0);
      if (node.state != kMapNodeLocked) EXPECT_GT(InkIn(frame, t.statusX, top, t.statusX + statusW, mid), 5);
      // Nothing but the type on its line: no ink between its end and the card's margin.
      const std::string type = ElideTextToWidth(gFontSmall, node.type, t.typeW, 6.7f);
      EXPECT_LE(Shown(gFontSmall, type), t.typeW + 0.5f) << type;
      EXPECT_EQ(InkIn(frame, t.textX + Shown(gFontSmall, type) + 2.0f, t.typeBaseline - 9.0f, r.x + r.w - 4.0f,
                      t.typeBaseline + 1.0f, 100),
                0)
          << type;
      EXPECT_EQ(InkIn(frame, r.x + r.w - 6.0f, r.y + 2.0f, r.x + r.w + 4.0f, r.y + r.h - 2.0f), 0);
      ++checked;
    }
    EXPECT_GT(checked, 4);
    // The tier subtitle on the "you are here" label's line ends before the label.
    const std::vector<MapNode> nodes = LayoutMasteryMap(l);
    const int here = FindYouAreHereCard(nodes);
    ASSERT_GE(here, 0);
    const MapNode& marked = nodes[(size_t)here];
    const float tierTop = MapTierTops(l)[(size_t)marked.tier];
    const MapTierHead head = LayoutMapTierHead(l, marked.tier, tierTop, nodes);
    float labelX, labelY;
    PlaceYouAreHereLabel(l, nodes, here, &labelX, &labelY);
    if (std::fabs(head.subtitleY - labelY) < 14.0f && labelX > head.subtitleX) {
      const std::string subtitle = ElideTextToWidth(gFontSmall, kMapTierSubtitles[marked.tier], head.subtitleRoom, 6.2f);
      EXPECT_LE(head.subtitleX + Shown(gFontSmall, subtitle), labelX - 12.0f + 0.01f);
    }
    EXPECT_EQ(InkIn(frame, labelX - 10.0f, labelY - 10.0f, labelX - 2.0f, labelY + 1.0f, 100), 0);
  }
}

// With the first card of the technique column marked "you are here", the first tier's subtitle is
// shown whole in every language (it was cut to a single letter before the label) and the label
// stands over its card, clear of the subtitle.
TEST_F(TranslatedBoxes, TierSubtitleIsWholeBesideTheYouAreHereLabel) {
  ASSERT_EQ(gLanguageList.size(), 25u);
  const auto unlocked = gUnlockedTypeKeys;
  std::string cut;
  for (const LanguageEntry& language : gLanguageList) {
    SCOPED_TRACE(language.code);
    UseLanguage(language.code);
    ResetViewModes();
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryViewKey = "skills";
    gSkillsTab = kSkillsTabMap;
    gLibraryScroll = 0.0f;
    const LearningLayout l = ComputeLearningLayout();
    std::vector<MapNode> nodes = LayoutMasteryMap(l);
    int first = -1;
    for (int i = 0; i < (int)nodes.size(); ++i)
      if (nodes[(size_t)i].tier == 0 && nodes[(size_t)i].column == 0 &&
          (first < 0 || nodes[(size_t)i].centreY < nodes[(size_t)first].centreY))
        first = i;
    ASSERT_GE(first, 0);
    gUnlockedTypeKeys = {ItemSkillKey(nodes[(size_t)first].category, nodes[(size_t)first].type)};
    const std::vector<uint8_t> frame = Frames(20);
    if (language.code == "en" || language.code == "ru" || language.code == "de")
      SaveScreenshot("map_here_first_column_" + language.code, frame);
    nodes = LayoutMasteryMap(l);
    const int here = FindYouAreHereCard(nodes);
    ASSERT_EQ(here, first);
    const MapTierHead head = LayoutMapTierHead(l, 0, MapTierTops(l)[0], nodes);
    const std::string whole = Tr(kMapTierSubtitles[0]);
    const std::string shown = ElideTextToWidth(gFontSmall, kMapTierSubtitles[0], head.subtitleRoom, 6.2f);
    if (shown != whole) cut += "\n  " + language.code + ": " + shown;
    // The label over its card, and not on the subtitle's stretch of its line.
    float labelX, labelY;
    PlaceYouAreHereLabel(l, nodes, here, &labelX, &labelY);
    const RectF card = MapNodeRect(nodes[(size_t)here]);
    const float labelW = MeasureText(gFontSmall, "you are here", 6.2f), subtitleW = Shown(gFontSmall, shown);
    EXPECT_GE(labelX, card.x);
    EXPECT_LE(labelX + labelW, card.x + card.w);
    EXPECT_LT(labelY, card.y);
    const bool sameLine = std::fabs(head.subtitleY - labelY) < 14.0f;
    EXPECT_FALSE(sameLine && labelX < head.subtitleX + subtitleW + 8.0f && labelX + labelW > head.subtitleX);
    // Read back: the subtitle's last letters are there in its own cool colour, without the label's
    // warm ink among them; the label's ink stands where it was placed.
    int warm = 0;
    for (int y = (int)head.subtitleY - 10; y <= (int)head.subtitleY + 1; ++y)
      for (int x = (int)(head.subtitleX + 0.7f * subtitleW); x < (int)(head.subtitleX + subtitleW); ++x) {
        const Rgb c = At(frame, (float)x, (float)y);
        warm += c[0] > 150 && c[0] > c[2] + 60;
      }
    EXPECT_EQ(warm, 0) << "the label's ink on the subtitle";
    EXPECT_GT(InkIn(frame, head.subtitleX + 0.7f * subtitleW, head.subtitleY - 10.0f, head.subtitleX + subtitleW,
                    head.subtitleY + 1.0f, 90),
              5)
        << "the subtitle's end";
    EXPECT_GT(InkIn(frame, labelX, labelY - 10.0f, labelX + labelW, labelY + 1.0f), 10) << "the label";
  }
  gUnlockedTypeKeys = unlocked;
  EXPECT_TRUE(cut.empty()) << "the first tier's subtitle is cut:" << cut;
}

// The library's side list and its section buttons in the languages with the longest words: a view
// name keeps clear of its piece count, and a SELECT button's word keeps clear of its outline.
TEST_F(TranslatedBoxes, LibraryNamesAndSectionButtonsKeepTheirWordsInside) {
  for (const char* code : {"en", "ru", "de", "fi"}) {
    SCOPED_TRACE(code);
    OpenLibraryIn(code, "rep_composer");
    gLibraryScroll = 0.0f;
    SortLibraryItems();
    const std::vector<uint8_t> frame = Frames(20);
    SaveScreenshot(std::string("library_side_") + code, frame);
    const LearningLayout l = ComputeLearningLayout();
    const std::vector<NavRow> rows = BuildNavRows();
    int counted = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].kind == 1 || CountItemsInView(rows[i].key) <= 0) continue;
      SCOPED_TRACE(rows[i].key);
      const RectF row = NavRowRect(l, (int)i);
      const float middle = row.y + row.h / 2.0f, countX = l.sideX + l.sideInnerW - 47.0f;
      // The count's digits, and a clear strip just before them.
      EXPECT_GT(InkIn(frame, countX, middle - 5.0f, countX + 20.0f, middle + 6.0f, 90), 3);
      EXPECT_EQ(InkIn(frame, countX - 4.0f, middle - 5.0f, countX - 1.0f, middle + 6.0f, 90), 0);
      ++counted;
    }
    EXPECT_GE(counted, 3);
    int buttons = 0;
    WalkCardGrid(
        l, gLibraryScroll,
        [&](const std::string&, float top) {
          const RectF b = SectionButtonRect(l, top);
          if (b.y + b.h > l.contentY + l.contentH) return true;
          // The word's white ink inside the pill, none within its rounded ends.
          const float y0 = b.y + 8.0f, y1 = b.y + b.h - 8.0f, end = 0.3f * b.h;
          EXPECT_GT(InkIn(frame, b.x + end, y0, b.x + b.w - end, y1, 200), 10);
          EXPECT_EQ(InkIn(frame, b.x + 3.0f, y0, b.x + end - 1.0f, y1, 200), 0);
          EXPECT_EQ(InkIn(frame, b.x + b.w - end + 1.0f, y0, b.x + b.w - 3.0f, y1, 200), 0);
          ++buttons;
          return false;
        },
        [](const LibraryItem&, const RectF&) { return false; });
    EXPECT_GT(buttons, 0);
  }
}

// While cards are being chosen CLEAR and PRACTICE stand in the lesson view too: the lesson's
// title ends before them.
TEST_F(TranslatedBoxes, TheLessonTitleEndsBeforeClearAndPractice) {
  for (const char* code : {"en", "de"}) {
    SCOPED_TRACE(code);
    OpenLibraryIn(code, "today");
    gChoosingPractice = true;
    const std::vector<uint8_t> frame = Frames(20);
    SaveScreenshot(std::string("lesson_title_choosing_") + code, frame);
    const LearningLayout l = ComputeLearningLayout();
    const RectF clear = ClearButtonRect(l);
    EXPECT_GT(InkIn(frame, l.contentX, l.top + 26.0f, l.contentX + 200.0f, l.top + 44.0f), 50) << "the title";
    EXPECT_EQ(InkIn(frame, clear.x - 9.0f, l.top + 26.0f, clear.x - 1.0f, l.top + 44.0f), 0) << "title ink at CLEAR";
    gChoosingPractice = false;
  }
}

// The labels of played patterns rise through the narrow column between the circle and the board:
// "G Миксолидийский" and "G ミクソリディアン" were cut with "..." there. Each is shown whole, its
// lines drawn where they were fitted and clear of the column's edge.
TEST_F(TranslatedBoxes, PatternLabelsAreWholeInEveryLanguage) {
  ExpectEveryPatternLabelWhole();
  for (const char* code : {"ja", "ru"}) {
    SCOPED_TRACE(code);
    UseLanguage(code);
    ResetViewModes();
    RelayoutAll();
    const TrailColumn c = ComputeTrailColumn();
    ResetChromaticRuns();
    gPatternEvents.push_back({"G Mixolydian", ClockMs32()});
    const std::vector<uint8_t> frame = Frames(30);
    SaveScreenshot(std::string("pattern_label_") + code, frame);
    const PatternLabelLines l = FitPatternLabel(c, TrimSpaces(TrScaleLabel("G Mixolydian")), false);
    // Gold ink row by row across the column: one band for each line, as wide as the line.
    auto gold = [&](int x, int y) {
      const uint8_t* p = &frame[(size_t(y) * gClientWidth + size_t(x)) * 4];
      return p[0] > 150 && p[1] > 100 && p[2] < p[1] - 30;
    };
    const int left = (int)std::ceil(c.colLeft), right = (int)std::floor(c.colRight);
    std::vector<std::pair<int, int>> bands;   // leftmost and rightmost gold of each band
    int lastGold = -100;
    for (int y = 0; y < gClientHeight; ++y) {
      int lo = right, hi = -1;
      for (int x = left; x < right; ++x)
        if (gold(x, y)) lo = std::min(lo, x), hi = std::max(hi, x);
      if (hi < 0) continue;
      if (y - lastGold > 3) bands.push_back({lo, hi});
      bands.back() = {std::min(bands.back().first, lo), std::max(bands.back().second, hi)};
      lastGold = y;
    }
    ASSERT_EQ(bands.size(), l.line2.empty() ? 1u : 2u) << l.line1 << " / " << l.line2;
    for (size_t i = 0; i < bands.size(); ++i) {
      const float w = l.scale * Shown(l.font, i == 0 ? l.line1 : l.line2);
      EXPECT_NEAR(bands[i].second - bands[i].first, w, 6.0f) << (i == 0 ? l.line1 : l.line2);
      EXPECT_LT(bands[i].second, right - 3) << "the label runs into the column's edge";
    }
    ResetChromaticRuns();
  }
}

TEST_F(TranslatedBoxesMaximised, PatternLabelsAreWholeInEveryLanguage) { ExpectEveryPatternLabelWhole(); }

}  // namespace
