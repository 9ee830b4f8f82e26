// The rows as tabled, the catalogue order, the filters and the row queries.
#include <cstring>
#include <string>
#include <vector>

#include "tests/theory/theory_fixture.h"
#include "theory/scale_rows.h"

namespace {

struct RowCase {
  int catalogue;   // -1 for the rows outside the catalogue
  const char* name;
  const char* key;
  std::vector<int> pcs;
  float r, g, b;
};

const RowCase kRows[] = {
    {0, "Ionian", "ionian", {0, 2, 4, 5, 7, 9, 11}, 0.95f, 0.95f, 0.95f},
    {1, "Dorian", "dorian", {0, 2, 3, 5, 7, 9, 10}, 0.40f, 0.65f, 0.95f},
    {2, "Phrygian", "phrygian", {0, 1, 3, 5, 7, 8, 10}, 0.75f, 0.30f, 0.30f},
    {3, "Lydian", "lydian", {0, 2, 4, 6, 7, 9, 11}, 0.45f, 0.85f, 0.95f},
    {4, "Mixolydian", "mixolydian", {0, 2, 4, 5, 7, 9, 10}, 0.95f, 0.65f, 0.30f},
    {5, "Aeolian", "aeolian", {0, 2, 3, 5, 7, 8, 10}, 0.55f, 0.35f, 0.75f},
    {6, "Locrian", "locrian", {0, 1, 3, 5, 6, 8, 10}, 0.55f, 0.75f, 0.35f},
    {7, "Melodic Minor", "melodic minor", {0, 2, 3, 5, 7, 9, 11}, 0.62f, 0.84f, 0.94f},
    {8, "Harmonic Minor", "harmonic minor", {0, 2, 3, 5, 7, 8, 11}, 0.72f, 0.52f, 0.90f},
    {9, "Harmonic Major", "harmonic major", {0, 2, 4, 5, 7, 8, 11}, 0.92f, 0.72f, 0.44f},
    {10, "Major Pentatonic", "major pentatonic", {0, 2, 4, 7, 9}, 0.98f, 0.82f, 0.42f},
    {11, "Minor Pentatonic", "minor pentatonic", {0, 3, 5, 7, 10}, 0.64f, 0.42f, 0.82f},
    {12, "Chinese", "chinese", {0, 4, 6, 7, 11}, 0.96f, 0.84f, 0.38f},
    {13, "Egyptian", "egyptian", {0, 2, 5, 7, 10}, 0.90f, 0.72f, 0.30f},
    {14, "Hirajoshi", "hirajoshi", {0, 2, 3, 7, 8}, 0.82f, 0.54f, 0.88f},
    {15, "Iwato", "iwato", {0, 1, 5, 6, 10}, 0.72f, 0.50f, 0.86f},
    {16, "In-Sen", "in-sen", {0, 1, 5, 7, 10}, 0.68f, 0.56f, 0.88f},
    {17, "Yo", "yo", {0, 2, 5, 7, 9}, 0.84f, 0.76f, 0.42f},
    {18, "Balinese", "balinese", {0, 1, 3, 7, 8}, 0.70f, 0.80f, 0.94f},
    {19, "Major Blues", "major blues", {0, 2, 3, 4, 7, 9}, 0.92f, 0.74f, 0.34f},
    {20, "Minor Blues", "minor blues", {0, 3, 5, 6, 7, 10}, 0.66f, 0.42f, 0.84f},
    {21, "Mixo-Blues", "mixo-blues", {0, 2, 3, 4, 5, 6, 7, 9, 10}, 0.94f, 0.70f, 0.34f},
    {22, "Major Bebop", "major bebop", {0, 2, 4, 5, 7, 8, 9, 11}, 0.96f, 0.72f, 0.42f},
    {23, "Minor Bebop", "minor bebop", {0, 2, 3, 4, 5, 7, 9, 10}, 0.66f, 0.44f, 0.84f},
    {24, "Chromatic", "chromatic", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 0.76f, 0.82f, 0.94f},
    {25, "Whole Tone", "whole tone", {0, 2, 4, 6, 8, 10}, 0.96f, 0.78f, 0.30f},
    {26, "Augmented", "augmented", {0, 3, 4, 7, 8, 11}, 0.95f, 0.66f, 0.42f},
    {27, "Diminished", "diminished", {0, 2, 3, 5, 6, 8, 9, 11}, 0.90f, 0.56f, 0.34f},
    {28, "Octatonic H-W", "octatonic half whole", {0, 1, 3, 4, 6, 7, 9, 10}, 0.92f, 0.52f, 0.30f},
    {29, "Nine Tone", "nine tone", {0, 2, 3, 4, 6, 7, 8, 9, 11}, 0.92f, 0.66f, 0.36f},
    {30, "Prometheus", "prometheus", {0, 2, 4, 6, 9, 10}, 0.64f, 0.80f, 0.94f},
    {31, "Lydian Augmented", "lydian augmented", {0, 2, 4, 6, 8, 9, 11}, 0.54f, 0.90f, 0.96f},
    {32, "Lydian Dominant", "lydian dominant", {0, 2, 4, 6, 7, 9, 10}, 0.54f, 0.90f, 0.96f},
    {33, "Super Locrian", "super locrian", {0, 1, 3, 4, 6, 8, 10}, 0.76f, 0.36f, 0.52f},
    {34, "Oriental", "oriental", {0, 1, 4, 5, 6, 9, 10}, 0.88f, 0.56f, 0.34f},
    {35, "Spanish Gypsy", "spanish gypsy", {0, 1, 4, 5, 7, 8, 10}, 0.90f, 0.54f, 0.34f},
    {36, "Byzantine", "byzantine", {0, 1, 4, 5, 7, 8, 11}, 0.90f, 0.50f, 0.36f},
    {37, "Arabic", "arabic", {0, 2, 4, 5, 6, 8, 10}, 0.88f, 0.52f, 0.32f},
    {38, "Algerian", "algerian", {0, 2, 3, 5, 6, 7, 8, 11}, 0.90f, 0.52f, 0.36f},
    {39, "Hungarian Major", "hungarian major", {0, 3, 4, 6, 7, 9, 10}, 0.96f, 0.64f, 0.38f},
    {40, "Hungarian Minor", "hungarian minor", {0, 2, 3, 6, 7, 8, 11}, 0.74f, 0.46f, 0.86f},
    {41, "Romanian Minor", "romanian minor", {0, 2, 3, 6, 7, 9, 10}, 0.70f, 0.44f, 0.84f},
    {42, "Neapolitan Major", "neapolitan major", {0, 1, 3, 5, 7, 9, 11}, 0.90f, 0.66f, 0.40f},
    {43, "Neapolitan Minor", "neapolitan minor", {0, 1, 3, 5, 7, 8, 11}, 0.74f, 0.48f, 0.84f},
    {44, "Enigmatic Major", "enigmatic major", {0, 1, 4, 6, 8, 10, 11}, 0.82f, 0.72f, 0.94f},
    {45, "Enigmatic Minor", "enigmatic minor", {0, 1, 3, 6, 7, 10, 11}, 0.76f, 0.62f, 0.90f},
    {46, "Hindu", "hindu", {0, 2, 4, 5, 7, 8, 10}, 0.90f, 0.70f, 0.34f},
    {47, "Indian Ascending", "indian ascending", {0, 1, 5, 7, 8}, 0.84f, 0.74f, 0.38f},
    {48, "Iberian", "iberian", {0, 1, 4, 5, 7, 10}, 0.92f, 0.58f, 0.34f},
    {49, "Eight Tone Spanish", "eight tone spanish", {0, 1, 3, 4, 5, 6, 8, 10}, 0.92f, 0.56f, 0.32f},
    {-1, "Dominant Diminished", "dominant diminished", {0, 1, 3, 4, 6, 7, 9, 10}, 0.94f, 0.58f, 0.32f},
    {-1, "Diminished Blues", "diminished blues", {0, 1, 3, 4, 6, 7, 9, 10}, 0.86f, 0.50f, 0.30f},
    {-1, "Indian Descending", "indian descending", {0, 1, 3, 5, 7, 8, 10}, 0.78f, 0.66f, 0.36f},
    {-1, "Hawaiian", "hawaiian", {0, 2, 3, 5, 7, 9, 11}, 0.58f, 0.86f, 0.92f},
    {-1, "Mi Sheberach", "mi sheberach", {0, 2, 3, 6, 7, 9, 10}, 0.86f, 0.58f, 0.40f},
    {-1, "Maqams", "maqams", {0, 2, 3, 5, 7, 8, 10}, 0.88f, 0.56f, 0.34f},
};

const ScaleRow* RowNamed(const char* name) {
  for (const ScaleRow& row : gScaleRows)
    if (std::strcmp(row.name, name) == 0) return &row;
  return nullptr;
}

std::vector<std::string> VisibleNames() {
  std::vector<std::string> out;
  for (int i = 0; i < VisibleScaleCount(); ++i) out.push_back(gScaleCatalogue[VisibleScaleAt(i)]->name);
  return out;
}

}  // namespace

using ScaleRows = TheoryTest;

TEST_F(ScaleRows, EveryRowHoldsItsTabledSetColourAndCataloguePlace) {
  static_assert(sizeof(kRows) / sizeof(kRows[0]) == kScaleRowCount);
  GetScaleCatalogue();
  ASSERT_EQ(gScaleCatalogue.size(), 50u);
  for (int i = 0; i < kScaleRowCount; ++i) {
    const RowCase& c = kRows[i];
    const ScaleRow* row = RowNamed(c.name);
    ASSERT_NE(row, nullptr) << c.name;
    EXPECT_EQ(row, &gScaleRows[i]) << c.name;
    EXPECT_STREQ(row->key, c.key);
    ASSERT_EQ(row->count, (int)c.pcs.size()) << c.name;
    for (int k = 0; k < 12; ++k)
      EXPECT_EQ(row->pcs[k], k < row->count ? c.pcs[k] : 0) << c.name << " entry " << k;
    EXPECT_FLOAT_EQ(row->r, c.r) << c.name;
    EXPECT_FLOAT_EQ(row->g, c.g) << c.name;
    EXPECT_FLOAT_EQ(row->b, c.b) << c.name;
    EXPECT_TRUE(IsValidScaleRow(row)) << c.name;
    EXPECT_EQ(CatalogueIndexOf(row), c.catalogue) << c.name;
    EXPECT_EQ(IsCatalogueScale(row), c.catalogue >= 0) << c.name;
    EXPECT_EQ(ModeIndexOf(row), c.catalogue >= 0 && c.catalogue < 7 ? c.catalogue : -1) << c.name;
  }
}

TEST_F(ScaleRows, CatalogueIsBuiltOnceAndAppendSkipsNullAndPresentRows) {
  GetScaleCatalogue();
  const ScaleRow* first = gScaleCatalogue[0];
  GetScaleCatalogue();
  EXPECT_EQ(gScaleCatalogue.size(), 50u);
  AppendScaleRows({nullptr, first, &gScaleRows[kRowLocrian]});
  EXPECT_EQ(gScaleCatalogue.size(), 50u);
}

TEST_F(ScaleRows, MakeScaleRowReducesDropsRepeatsSortsAndClamps) {
  struct Case {
    std::initializer_list<int> steps;
    std::vector<int> pcs;
  } cases[] = {
      {{0, 12, 14, -1}, {0, 2, 11}},
      {{7, 5, 3, 1}, {1, 3, 5, 7}},
      {{-13, -25, 23}, {11}},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    ScaleRow row = MakeScaleRow("X", "x", 1.5f, -0.5f, 0.25f, c.steps);
    ASSERT_EQ(row.count, (int)c.pcs.size());
    for (int k = 0; k < 12; ++k) EXPECT_EQ(row.pcs[k], k < row.count ? c.pcs[k] : 0);
    EXPECT_EQ(row.r, 1.0f);
    EXPECT_EQ(row.g, 0.0f);
    EXPECT_EQ(row.b, 0.25f);
  }
  ScaleRow empty = MakeScaleRow("E", "e", 0, 0, 0, {});
  EXPECT_FALSE(IsValidScaleRow(&empty));
}

TEST_F(ScaleRows, RowsAppendedFromElsewhereAreCatalogueRows) {
  static const ScaleRow extra = MakeScaleRow("Extra", "extra", 0, 0, 0, {0, 4, 7});
  gScaleFilter = 7;
  EXPECT_EQ(VisibleScaleCount(), 50);
  AppendScaleRows({&extra});
  EXPECT_EQ(CatalogueIndexOf(&extra), 50);
  EXPECT_TRUE(IsCatalogueScale(&extra));
  EXPECT_EQ(VisibleScaleCount(), 51);  // the visible list sees the longer catalogue
  gScaleCatalogue.pop_back();
  EXPECT_FALSE(IsCatalogueScale(&extra));
  EXPECT_EQ(VisibleScaleCount(), 50);
}

TEST_F(ScaleRows, ValidityRejectsBrokenRows) {
  ScaleRow row = MakeScaleRow("X", "x", 0, 0, 0, {0, 4, 7});
  EXPECT_TRUE(IsValidScaleRow(&row));
  ScaleRow repeat = row;
  repeat.pcs[2] = 4;
  ScaleRow outOfRange = row;
  outOfRange.pcs[1] = 12;
  ScaleRow negative = row;
  negative.pcs[0] = -1;
  ScaleRow tooMany = row;
  tooMany.count = 13;
  ScaleRow none = row;
  none.count = 0;
  for (const ScaleRow* bad : {&repeat, &outOfRange, &negative, &tooMany, &none})
    EXPECT_FALSE(IsValidScaleRow(bad));
  EXPECT_FALSE(IsValidScaleRow(nullptr));
  EXPECT_FALSE(IsCatalogueScale(&row));  // same set as no row of the catalogue: identity counts
}

TEST_F(ScaleRows, FiltersPassTheirGroups) {
  struct Case {
    int filter;
    int count;
    const char* first;
    const char* last;
  } cases[] = {
      {0, 7, "Ionian", "Locrian"},
      {1, 1, "Melodic Minor", "Melodic Minor"},
      {2, 1, "Harmonic Minor", "Harmonic Minor"},
      {3, 1, "Harmonic Major", "Harmonic Major"},
      {4, 9, "Major Pentatonic", "Balinese"},
      {5, 5, "Major Blues", "Minor Bebop"},
      {6, 26, "Chromatic", "Eight Tone Spanish"},
      {7, 50, "Ionian", "Eight Tone Spanish"},
      {99, 50, "Ionian", "Eight Tone Spanish"},
      {-3, 50, "Ionian", "Eight Tone Spanish"},  // negative compares as unsigned: all rows
  };
  for (const Case& c : cases) {
    gScaleFilter = c.filter;
    std::vector<std::string> names = VisibleNames();
    ASSERT_EQ((int)names.size(), c.count) << "filter " << c.filter;
    EXPECT_EQ(names.front(), c.first) << "filter " << c.filter;
    EXPECT_EQ(names.back(), c.last) << "filter " << c.filter;
    // ascending catalogue indices, each passing the filter
    for (int i = 1; i < VisibleScaleCount(); ++i) EXPECT_LT(VisibleScaleAt(i - 1), VisibleScaleAt(i));
  }
  gScaleFilter = 6;
  for (ScaleRowId hidden : {kRowIonian, kRowLocrian, kRowMelodicMinor, kRowHarmonicMajor,
                            kRowYo, kRowMinorBebop})
    EXPECT_FALSE(ScaleInFilter(&gScaleRows[hidden])) << gScaleRows[hidden].name;
  EXPECT_TRUE(ScaleInFilter(&gScaleRows[kRowMaqams]));  // outside rows belong to "others"
  EXPECT_FALSE(ScaleInFilter(nullptr));
}

TEST_F(ScaleRows, VisibleQueriesOutOfRangeAndHidden) {
  gScaleFilter = 4;
  EXPECT_EQ(VisibleScaleAt(-1), -1);
  EXPECT_EQ(VisibleScaleAt(VisibleScaleCount()), -1);
  EXPECT_EQ(VisibleScaleAt(0), kRowMajorPentatonic);
  EXPECT_EQ(VisibleIndexOf(kRowBalinese), 8);
  EXPECT_EQ(VisibleIndexOf(kRowIonian), -1);
  gScaleFilter = 0;  // a change is seen by the next query with no explicit rebuild
  EXPECT_EQ(VisibleIndexOf(kRowIonian), 0);
  EXPECT_EQ(gVisibleScales.size(), 7u);
}

TEST_F(ScaleRows, OutsideRowsFallBackToIonian) {
  for (ScaleRowId id : {kRowDominantDiminished, kRowHawaiian, kRowMaqams}) {
    const ScaleRow* row = &gScaleRows[id];
    EXPECT_EQ(ModeIndexOf(row), -1);
    EXPECT_FALSE(IsCatalogueScale(row));
    gPickedScale = row;
    EXPECT_EQ(ResolveShownScale(), IonianRow()) << row->name;
  }
  gPickedScale = nullptr;
  gCurrentScale = &gScaleRows[kRowYo];
  EXPECT_EQ(ResolveShownScale(), &gScaleRows[kRowYo]);
  gCurrentScale = nullptr;
  EXPECT_EQ(ResolveShownScale(), IonianRow());
  EXPECT_EQ(CurrentModeIndex(), -1);
  float r, g, b;
  GetCurrentScaleColour(&r, &g, &b);  // no current scale: a neutral grey
  EXPECT_EQ(r, 0.92f);
  EXPECT_EQ(g, 0.92f);
  EXPECT_EQ(b, 0.92f);
}

TEST_F(ScaleRows, MinorQualityBySetThenByName) {
  struct Case {
    ScaleRowId id;
    bool minor;
  } cases[] = {
      {kRowIonian, false},        {kRowAeolian, true},        {kRowDorian, true},
      {kRowPhrygian, true},       {kRowLocrian, true},        {kRowMixolydian, false},
      {kRowMinorBebop, true},     // 3 and 4 present: minor by its name
      {kRowMajorBlues, false},    // 3 and 4 present, no minor word
      {kRowDiminished, true},     // 3 without 4
      {kRowHungarianMinor, true}, {kRowHungarianMajor, false}, {kRowChromatic, false},
      {kRowMajorPentatonic, false}, {kRowIwato, false},
  };
  for (const Case& c : cases) {
    gCurrentScale = &gScaleRows[c.id];
    EXPECT_EQ(IsCurrentScaleMinor(), c.minor) << gScaleRows[c.id].name;
  }
  gCurrentScale = nullptr;
  EXPECT_FALSE(IsCurrentScaleMinor());
}

