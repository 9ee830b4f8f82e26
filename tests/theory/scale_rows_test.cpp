// The rows as tabled, the catalogue order, the filters and the row queries.
#include <set>
#include <string>
#include <vector>

#include "tests/theory/theory_fixture.h"
#include "theory/scale_rows.h"

namespace {

// A few rows spelled out: one per kind (a mode, a catalogue scale, a row outside the catalogue,
// the catalogue's last); every row is held to the invariants below.
struct RowCase {
  ScaleRowId id;
  int catalogue;  // -1 for the rows outside the catalogue
  const char* name;
  const char* key;
  const char* pcs;  // pitch classes as digits, A and B for 10 and 11
};

const RowCase kRows[] = {
    {kRowIonian, 0, "Ionian", "ionian", "024579B"},
    {kRowLocrian, 6, "Locrian", "locrian", "013568A"},
    {kRowHarmonicMinor, 8, "Harmonic Minor", "harmonic minor", "023578B"},
    {kRowEightToneSpanish, 49, "Eight Tone Spanish", "eight tone spanish", "0134568A"},
    {kRowHawaiian, -1, "Hawaiian", "hawaiian", "023579B"},
};

std::string PcDigits(const ScaleRow& row) {
  std::string out;
  for (int k = 0; k < row.count; ++k) out += "0123456789AB"[row.pcs[k]];
  return out;
}

}  // namespace

using ScaleRows = TheoryTest;

TEST_F(ScaleRows, RowsHoldTheirSetsAndCataloguePlaces) {
  GetScaleCatalogue();
  GetScaleCatalogue();  // built once
  ASSERT_EQ(gScaleCatalogue.size(), 50u);
  for (const RowCase& c : kRows) {
    const ScaleRow* row = &gScaleRows[c.id];
    ASSERT_STREQ(row->name, c.name);
    EXPECT_STREQ(row->key, c.key);
    EXPECT_EQ(PcDigits(*row), c.pcs) << c.name;
    EXPECT_EQ(CatalogueIndexOf(row), c.catalogue) << c.name;
  }
  std::set<std::string> names, keys;
  for (int i = 0; i < kScaleRowCount; ++i) {
    const ScaleRow* row = &gScaleRows[i];
    const int place = CatalogueIndexOf(row);
    EXPECT_TRUE(names.insert(row->name).second) << row->name;
    EXPECT_TRUE(keys.insert(row->key).second) << row->key;
    for (int k = row->count; k < 12; ++k) EXPECT_EQ(row->pcs[k], 0) << row->name << " entry " << k;
    EXPECT_TRUE(IsValidScaleRow(row)) << row->name;
    EXPECT_EQ(place, i < 50 ? i : -1) << row->name;  // the catalogue is the first 50 rows in order
    EXPECT_EQ(IsCatalogueScale(row), place >= 0) << row->name;
    EXPECT_EQ(ModeIndexOf(row), place >= 0 && place < 7 ? place : -1) << row->name;
  }
}

TEST_F(ScaleRows, MakeScaleRowAndValidity) {
  struct Case { std::initializer_list<int> steps; const char* pcs; } cases[] = {
      {{0, 12, 14, -1}, "02B"}, {{7, 5, 3, 1}, "1357"}, {{-13, -25, 23}, "B"}, {{}, ""},
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, "0123456789AB"}};
  for (const Case& c : cases) {
    ScaleRow row = MakeScaleRow("X", "x", 1.5f, -0.5f, 0.25f, c.steps);
    EXPECT_EQ(PcDigits(row), c.pcs);
    EXPECT_EQ(row.r, 1.0f);  // colour clamped
    EXPECT_EQ(row.g, 0.0f);
    EXPECT_EQ(IsValidScaleRow(&row), row.count > 0);
  }
  const ScaleRow good = MakeScaleRow("X", "x", 0, 0, 0, {0, 4, 7});
  EXPECT_FALSE(IsCatalogueScale(&good));  // same set as no catalogue row: identity counts
  ScaleRow bad[5] = {good, good, good, good, good};
  bad[0].pcs[2] = 4;  // repeat
  bad[1].pcs[1] = 12;
  bad[2].pcs[0] = -1;
  bad[3].count = 13;
  bad[4].count = 0;
  for (const ScaleRow& b : bad) EXPECT_FALSE(IsValidScaleRow(&b));
  EXPECT_FALSE(IsValidScaleRow(nullptr));
}

TEST_F(ScaleRows, FiltersAndTheVisibleList) {
  struct Case { int filter, count; const char* first; const char* last; } cases[] = {
      {0, 7, "Ionian", "Locrian"},          {1, 1, "Melodic Minor", "Melodic Minor"},
      {4, 9, "Major Pentatonic", "Balinese"}, {5, 5, "Major Blues", "Minor Bebop"},
      {6, 26, "Chromatic", "Eight Tone Spanish"}, {7, 50, "Ionian", "Eight Tone Spanish"},
      {99, 50, "Ionian", "Eight Tone Spanish"},
      {-3, 50, "Ionian", "Eight Tone Spanish"},  // negative compares as unsigned: all rows
  };
  for (const Case& c : cases) {
    gScaleFilter = c.filter;  // a change is seen by the next query with no explicit rebuild
    ASSERT_EQ(VisibleScaleCount(), c.count) << "filter " << c.filter;
    EXPECT_EQ((int)gVisibleScales.size(), c.count);
    EXPECT_STREQ(gScaleCatalogue[VisibleScaleAt(0)]->name, c.first) << "filter " << c.filter;
    EXPECT_STREQ(gScaleCatalogue[VisibleScaleAt(c.count - 1)]->name, c.last) << "filter " << c.filter;
    for (int i = 1; i < c.count; ++i) EXPECT_LT(VisibleScaleAt(i - 1), VisibleScaleAt(i));
    EXPECT_EQ(VisibleScaleAt(-1), -1);
    EXPECT_EQ(VisibleScaleAt(c.count), -1);
  }
  gScaleFilter = 6;
  for (ScaleRowId hidden : {kRowIonian, kRowMelodicMinor, kRowYo, kRowMinorBebop})
    EXPECT_FALSE(ScaleInFilter(&gScaleRows[hidden])) << gScaleRows[hidden].name;
  EXPECT_TRUE(ScaleInFilter(&gScaleRows[kRowMaqams]));  // outside rows belong to "others"
  EXPECT_FALSE(ScaleInFilter(nullptr));
  gScaleFilter = 4;
  EXPECT_EQ(VisibleIndexOf(kRowBalinese), 8);
  EXPECT_EQ(VisibleIndexOf(kRowIonian), -1);
  static const ScaleRow extra = MakeScaleRow("Extra", "extra", 0, 0, 0, {0, 4, 7});
  gScaleFilter = 7;
  AppendScaleRows({nullptr, &extra, gScaleCatalogue[0]});  // null and present rows skipped
  EXPECT_EQ(CatalogueIndexOf(&extra), 50);
  EXPECT_EQ(VisibleScaleCount(), 51);  // the visible list sees the longer catalogue
  gScaleCatalogue.pop_back();
  EXPECT_EQ(VisibleScaleCount(), 50);
}

TEST_F(ScaleRows, MinorQualityAndFallbacks) {
  struct Case { ScaleRowId id; bool minor; } cases[] = {
      {kRowIonian, false}, {kRowAeolian, true}, {kRowDorian, true}, {kRowLocrian, true},
      {kRowMixolydian, false}, {kRowChromatic, false}, {kRowMajorPentatonic, false}, {kRowIwato, false},
      {kRowMinorBebop, true},   // 3 and 4 present: minor by its name
      {kRowMajorBlues, false},  // 3 and 4 present, no minor word
      {kRowDiminished, true},   // 3 without 4
  };
  for (const Case& c : cases) {
    gCurrentScale = &gScaleRows[c.id];
    EXPECT_EQ(IsCurrentScaleMinor(), c.minor) << gScaleRows[c.id].name;
  }
  gPickedScale = &gScaleRows[kRowHawaiian];  // outside the catalogue: shown as Ionian
  EXPECT_EQ(ResolveShownScale(), IonianRow());
  gPickedScale = gCurrentScale = nullptr;
  EXPECT_FALSE(IsCurrentScaleMinor());
  EXPECT_EQ(ResolveShownScale(), IonianRow());
  float r, g, b;
  GetCurrentScaleColour(&r, &g, &b);  // no current scale: a neutral grey, no crash
  EXPECT_EQ(r, 0.92f);
}
