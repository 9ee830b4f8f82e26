// The grid's rules that decide what is drawn where: the row-label cut by width on whole clusters
// after its earlier words are abbreviated,
// the scale band and the extra half row of a scrolled list, and the clip box kept inside the
// window whatever the window's size.
#include <gtest/gtest.h>

#include <string>

#include "board/scale_grid.h"
#include "gfx/text.h"
#include "tests/board/board_frame_fixture.h"
#include "theory/scale_rows.h"

namespace {

using ScaleGridRules = BoardFrameTest;

TEST_F(ScaleGridRules, RowLabelsAreCutByWidthOnWholeClusters) {
  // Without a window the measure is the estimate for the small font's size.
  const std::string names[] = {
      "Ionian", "Hungarian Minor Long Name",
      "\u041c\u0438\u043a\u0441\u043e\u043b\u0438\u0434\u0438\u0439\u0441\u043a\u0438\u0439",  // Russian
      "\u30ea\u30c7\u30a3\u30a2\u30f3\u30fb\u30aa\u30fc\u30ae\u30e5\u30e1\u30f3\u30c6\u30c3\u30c9",  // Japanese
      // Hindi, with conjuncts and vowel signs
      "\u0915\u094d\u0937\u0924\u094d\u0930\u093f\u092f \u0938\u094d\u0915\u0947\u0932 "
      "\u0915\u094d\u0937\u093f\u0924\u093f\u091c",
  };
  // Every few pixels of column, so the cut lands at every place in each name.
  for (float column = 40.0f; column <= 220.0f; column += 3.0f)
    for (float scale : {0.78f, 1.0f})
      for (const std::string& name : names) {
        SCOPED_TRACE(testing::Message() << name << " column " << column << " scale " << scale);
        std::string cut = CutRowLabel(name, column, scale);
        float size = (float)ComputeFontSizes(scale).small, room = RowLabelRoom(column, scale);
        if (MeasureText(0, name, size) <= room) {
          EXPECT_EQ(cut, name);
          continue;
        }
        EXPECT_LE(MeasureText(0, cut, size), room);
        // Latin words before the last are abbreviated first, so the last word stays while it can.
        if (name == names[1]) {
          const std::string shortest = "Hung. Min. Long Name";
          const bool cutAtEnd = cut.size() >= 3 && cut.compare(cut.size() - 3, 3, "...") == 0;
          EXPECT_EQ(cutAtEnd, MeasureText(0, shortest, size) > room);
          if (cutAtEnd) {
            EXPECT_EQ(shortest.compare(0, cut.size() - 3, cut, 0, cut.size() - 3), 0);
          } else {
            ASSERT_GE(cut.size(), shortest.size());
            EXPECT_EQ(cut.compare(0, 4, "Hung"), 0);
            EXPECT_EQ(cut.substr(cut.size() - 10), " Long Name");
            EXPECT_NE(cut.find(". "), std::string::npos);
          }
          continue;
        }
        ASSERT_GE(cut.size(), 3u);
        EXPECT_EQ(cut.substr(cut.size() - 3), "...");
        EXPECT_LE(MeasureText(0, cut, size), room);
        std::string head = cut.substr(0, cut.size() - 3);
        ASSERT_EQ(name.compare(0, head.size(), head), 0);
        if (head.empty()) continue;
        // The next character starts a cluster: no UTF-8 tail, no vowel sign, no joined consonant.
        unsigned char next = (unsigned char)name[head.size()];
        EXPECT_NE(next & 0xC0, 0x80);
        EXPECT_NE(name.compare(head.size(), 3, "\u093f"), 0);
        EXPECT_NE(name.compare(head.size(), 3, "\u0947"), 0);
        EXPECT_NE(name.compare(head.size(), 3, "\u094d"), 0);
        EXPECT_NE(head.compare(head.size() >= 3 ? head.size() - 3 : 0, 3, "\u094d"), 0);
      }
  EXPECT_EQ(CutRowLabel("Ionian", 126, 1.0f), "Ionian");
  EXPECT_EQ(CutRowLabel("", 126, 1.0f), "");
  EXPECT_EQ(CutRowLabel(names[3], 10, 1.0f), "...") << "no room for even one character";
}

TEST_F(ScaleGridRules, RowLabelsBreakOntoTwoLinesAfterAWord) {
  // Without a window the measure is the estimate for the small font's size.
  const float scale = 1.0f, size = (float)ComputeFontSizes(scale).small, tall = 3.0f * size;
  const float column = 110.0f, room = RowLabelRoom(column, scale);
  auto width = [&](const std::string& t) { return MeasureText(0, t, size); };
  ASSERT_GT(width("Harmonic Major"), room) << "the column must be too narrow for the names";
  ASSERT_LE(width("Harmonic"), room);

  // Names that share their first word differ on the second line.
  RowLabelLines major = SplitRowLabel("Harmonic Major", column, scale, tall);
  RowLabelLines minor = SplitRowLabel("Harmonic Minor", column, scale, tall);
  EXPECT_EQ(major.first, "Harmonic");
  EXPECT_EQ(major.second, "Major");
  EXPECT_EQ(minor.second, "Minor");

  // A name that fits stays one line; a row too low for two keeps the one cut line.
  EXPECT_EQ(SplitRowLabel("Ionian", column, scale, tall).second, "");
  EXPECT_EQ(SplitRowLabel("Ionian", column, scale, tall).first, "Ionian");
  RowLabelLines low = SplitRowLabel("Harmonic Major", column, scale, 1.5f * size);
  EXPECT_EQ(low.first, CutRowLabel("Harmonic Major", column, scale));
  EXPECT_EQ(low.second, "");

  // The break comes after the last word that fits, and blanks at the break go.
  RowLabelLines words = SplitRowLabel("Hungarian  Minor Long Name", column, scale, tall);
  EXPECT_LE(width(words.first), room);
  EXPECT_EQ(words.first.back() == ' ', false);
  EXPECT_NE(words.second.front(), ' ');
  EXPECT_GT(width(words.first + " " + words.second.substr(0, words.second.find(' '))), room);
  EXPECT_LE(width(words.second), room);

  // Japanese breaks after its middle dot and drops it.
  const std::string dot = "\u30fb", lydian = "\u30ea\u30c7\u30a3\u30a2\u30f3";
  const std::string augmented = "\u30aa\u30fc\u30ae\u30e5\u30e1\u30f3\u30c6\u30c3\u30c9";
  const float jaColumn = width(lydian) + RowLabelInset(scale) + 8.0f;
  ASSERT_GT(width(lydian + dot + augmented), RowLabelRoom(jaColumn, scale));
  RowLabelLines ja = SplitRowLabel(lydian + dot + augmented, jaColumn, scale, tall);
  EXPECT_EQ(ja.first, lydian);
  EXPECT_EQ(ja.second.substr(0, 3), augmented.substr(0, 3)) << ja.second;

  // A Japanese name cut where no word ends keeps a small kana with the letter it follows: where
  // "ミクソリデ" fits beside the cut mark, the break comes before "デ", not before "ィ".
  const std::string mixoJa = "\u30df\u30af\u30bd\u30ea\u30c7\u30a3\u30a2\u30f3";
  const std::string upToDe = mixoJa.substr(0, 15), upToSmallI = mixoJa.substr(0, 18);
  const float kanaColumn = width(upToDe + "...") + 0.5f + RowLabelInset(scale) + std::max(6.0f * scale, 4.0f);
  ASSERT_GT(width(upToSmallI + "..."), RowLabelRoom(kanaColumn, scale)) << "the small kana must not fit";
  RowLabelLines kana = SplitRowLabel(mixoJa, kanaColumn, scale, tall);
  EXPECT_EQ(kana.first, mixoJa.substr(0, 12)) << kana.first;
  EXPECT_EQ(kana.second, mixoJa.substr(12)) << kana.second;
  EXPECT_EQ(kana.first + kana.second, mixoJa);
  // Unless the longer second line would be cut: two names alike but for their ends stay apart.
  const std::string enigmatic = "\u30a8\u30cb\u30b0\u30de\u30c6\u30a3\u30c3\u30af\u30fb";
  const std::string minorJa = enigmatic + "\u30de\u30a4\u30ca\u30fc", majorJa = enigmatic + "\u30e1\u30b8\u30e3\u30fc";
  const float enigmaColumn =
      width(enigmatic.substr(0, 18) + "...") + 0.5f + RowLabelInset(scale) + std::max(6.0f * scale, 4.0f);
  RowLabelLines minorLines = SplitRowLabel(minorJa, enigmaColumn, scale, tall);
  RowLabelLines majorLines = SplitRowLabel(majorJa, enigmaColumn, scale, tall);
  EXPECT_NE(minorLines.first + "|" + minorLines.second, majorLines.first + "|" + majorLines.second);

  // A name without blanks breaks after a whole cluster; no line is wider than the room.
  const std::string hindi = "\u0915\u094d\u0937\u0924\u094d\u0930\u093f\u092f\u0915\u094d\u0937\u093f"
                            "\u0924\u093f\u091c\u0915\u094d\u0937\u0924\u094d\u0930\u093f\u092f";
  const float hiColumn = width(hindi) / 2.0f + 14.0f;
  RowLabelLines joined = SplitRowLabel(hindi, hiColumn, scale, tall);
  ASSERT_FALSE(joined.second.empty());
  EXPECT_EQ(hindi.compare(0, joined.first.size(), joined.first), 0);
  EXPECT_NE(joined.second.compare(0, 3, "\u093f"), 0) << "a vowel sign torn from its letter";
  EXPECT_NE(joined.first.compare(joined.first.size() - 3, 3, "\u094d"), 0) << "a conjunct torn apart";
  EXPECT_LE(width(joined.first), RowLabelRoom(hiColumn, scale));
  EXPECT_LE(width(joined.second), RowLabelRoom(hiColumn, scale));

  // A word cut in two in a script that hyphenates carries a hyphen; a Hindi or Japanese cut not.
  const std::string phrygian = "Фригийский";
  const float ruColumn = width(phrygian) * 0.7f + RowLabelInset(scale) + 6.0f;
  RowLabelLines ru = SplitRowLabel(phrygian, ruColumn, scale, tall);
  ASSERT_FALSE(ru.second.empty());
  EXPECT_EQ(ru.first.back(), '-') << ru.first;
  EXPECT_EQ(phrygian.compare(0, ru.first.size() - 1, ru.first, 0, ru.first.size() - 1), 0);
  EXPECT_EQ(ru.first.substr(0, ru.first.size() - 1) + ru.second, phrygian);
  EXPECT_LE(width(ru.first), RowLabelRoom(ruColumn, scale));
  EXPECT_NE(joined.first.back(), '-');
  RowLabelLines latin = SplitRowLabel("Mixolydian", width("Mixolydian") * 0.7f + 14.0f, scale, tall);
  EXPECT_EQ(latin.first.back(), '-') << latin.first;
  // It breaks between syllables, not after the last letter that fits: a line starting with a vowel
  // torn from its consonant reads as a word of its own.
  const std::string mixo = "Миксолидийский";
  const float mixoColumn = width("Миксолид...") + 0.5f + RowLabelInset(scale) + std::max(6.0f * scale, 4.0f);
  RowLabelLines syllables = SplitRowLabel(mixo, mixoColumn, scale, tall);
  EXPECT_EQ(syllables.first, "Миксоли-");
  EXPECT_EQ(syllables.second, "дийский");
  EXPECT_EQ(SplitRowLabel("Mixolydian", width("Mixolyd...") + 0.5f + 14.0f, scale, tall).first, "Mixoly-");

  // In the lowest row that takes two lines, they sit either side of the lone line's baseline, a
  // line apart, with their capitals and tails inside the row.
  float lowest = size;
  while (SplitRowLabel("Harmonic Major", column, scale, lowest).second.empty()) lowest += 0.25f;
  ASSERT_LT(lowest, tall);
  float one = RowLabelBaseline(100.0f, lowest, scale, 0, 1);
  float a = RowLabelBaseline(100.0f, lowest, scale, 0, 2), b = RowLabelBaseline(100.0f, lowest, scale, 1, 2);
  EXPECT_NEAR(b - a, RowLabelLineGap(scale), 1e-3f);
  EXPECT_GE(b - a, size) << "the lines overlap";
  EXPECT_LT(a, one);
  EXPECT_GT(b, one);
  EXPECT_GE(a - 0.72f * size, 100.0f) << "the first line's capitals leave the row";
  EXPECT_LE(b + 0.22f * size, 100.0f + lowest) << "the second line's tails leave the row";
}

TEST_F(ScaleGridRules, ScaleBandAndTheHalfRowOfAScrolledList) {
  BoardLayout b = Layout();
  float top, bottom;
  // Church modes fill all seven slots: the band is the grid.
  EXPECT_TRUE(ComputeScaleBand(b, 0.0f, &top, &bottom));
  EXPECT_NEAR(top, b.gridY, 1e-3f);
  EXPECT_NEAR(bottom, b.gridY + b.gridH, 1e-3f);
  EXPECT_EQ(GridRowCount(false, 50, 0.5f), 7);

  // A filter with one scale: the band covers its row only.
  gScaleListMode = true;
  gScaleFilter = 1;
  RebuildVisibleScales();
  ASSERT_EQ(VisibleScaleCount(), 1);
  EXPECT_TRUE(ComputeScaleBand(b, 0.0f, &top, &bottom));
  EXPECT_NEAR(top, b.gridY, 1e-3f);
  EXPECT_NEAR(bottom, b.gridY + b.cellH, 1e-3f);
  EXPECT_EQ(GridRowCount(true, 1, 0.5f), 7);

  // Every scale, scrolled half a row: eight rows; the band starts clamped at the grid's top and
  // ends with the seventh slot, half a row above the grid's bottom.
  gScaleFilter = 7;
  RebuildVisibleScales();
  gScaleListScroll = gScaleListScrollTarget = 3.5f;
  float frac = ScaleWindowFraction();
  ASSERT_NEAR(frac, 0.5f, 1e-4f);
  EXPECT_EQ(GridRowCount(true, VisibleScaleCount(), frac), 8);
  EXPECT_EQ(GridRowCount(true, VisibleScaleCount(), 0.001f), 7);
  EXPECT_EQ(GridRowCount(true, 7, 0.5f), 7);
  EXPECT_TRUE(ComputeScaleBand(b, frac, &top, &bottom));
  EXPECT_NEAR(top, b.gridY, 1e-3f);
  EXPECT_NEAR(bottom, b.gridY + 5.5f * (b.cellH + b.cellGap) + b.cellH, 1e-3f);
}

TEST_F(ScaleGridRules, ClipBoxStaysInsideTheWindow) {
  const struct { int w, h; } sizes[] = {{1600, 900}, {1000, 600}, {300, 200}, {1, 1}, {0, 0}};
  for (const auto& size : sizes) {
    gClientWidth = std::max(size.w, 1);
    gClientHeight = std::max(size.h, 1);
    BoardLayout b = Layout();
    GridClip clip = ComputeGridClip(b, size.w, size.h);
    int W = std::max(size.w, 1), H = std::max(size.h, 1);
    EXPECT_GE(clip.x, 0) << size.w;
    EXPECT_GE(clip.y, 0) << size.w;
    EXPECT_GE(clip.w, 1) << size.w;
    EXPECT_GE(clip.h, 1) << size.w;
    EXPECT_LE(clip.x + clip.w, W) << size.w;
    EXPECT_LE(clip.y, H - 1) << size.w;
    EXPECT_LE(clip.h, H) << size.w;
  }
  // In a window that holds the board, the box holds the label column, the key names and the grid.
  gClientWidth = 1600;
  gClientHeight = 900;
  BoardLayout b = Layout();
  GridClip clip = ComputeGridClip(b, 1600, 900);
  EXPECT_LE(clip.x, b.contentX);
  EXPECT_GE(clip.x + clip.w, b.gridX + b.gridW);
  EXPECT_LE(clip.y, 900 - (b.gridY + b.gridH) + 1.0f);  // whole pixels
  EXPECT_GE(clip.y + clip.h, 900 - (b.gridY - b.keyRowHeight));
}

}  // namespace
