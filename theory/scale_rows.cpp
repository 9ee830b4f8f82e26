// theory/scale_rows: the 56 rows (constant data, built at compile time so no static-initialisation
// order can see them unbuilt), the catalogue built in six runs, the filter rules and row queries.
#include "theory/scale_rows.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/base/maths.h"
#include "app/base/strings.h"
#include "theory/scale_selection.h"

// ---- internal helpers ----
namespace {


constexpr ScaleRow BuildRow(const char* name, const char* key, float r, float g, float b,
                            std::initializer_list<int> steps) {
  ScaleRow row{name, key, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, Clamp01(r), Clamp01(g),
               Clamp01(b)};
  bool seen[12] = {};
  for (int step : steps) {
    int pc = PitchClassMod(step);
    if (seen[pc] || row.count >= 12) continue;
    seen[pc] = true;
    row.pcs[row.count++] = pc;
  }
  for (int i = 1; i < row.count; ++i)  // insertion sort: at most 12 entries
    for (int j = i; j > 0 && row.pcs[j - 1] > row.pcs[j]; --j) {
      int t = row.pcs[j];
      row.pcs[j] = row.pcs[j - 1];
      row.pcs[j - 1] = t;
    }
  return row;
}

}  // namespace

// ---- state ----
constinit const ScaleRow gScaleRows[kScaleRowCount] = {
    BuildRow("Ionian", "ionian", 0.95f, 0.95f, 0.95f, {0, 2, 4, 5, 7, 9, 11}),
    BuildRow("Dorian", "dorian", 0.40f, 0.65f, 0.95f, {0, 2, 3, 5, 7, 9, 10}),
    BuildRow("Phrygian", "phrygian", 0.75f, 0.30f, 0.30f, {0, 1, 3, 5, 7, 8, 10}),
    BuildRow("Lydian", "lydian", 0.45f, 0.85f, 0.95f, {0, 2, 4, 6, 7, 9, 11}),
    BuildRow("Mixolydian", "mixolydian", 0.95f, 0.65f, 0.30f, {0, 2, 4, 5, 7, 9, 10}),
    BuildRow("Aeolian", "aeolian", 0.55f, 0.35f, 0.75f, {0, 2, 3, 5, 7, 8, 10}),
    BuildRow("Locrian", "locrian", 0.55f, 0.75f, 0.35f, {0, 1, 3, 5, 6, 8, 10}),
    BuildRow("Melodic Minor", "melodic minor", 0.62f, 0.84f, 0.94f, {0, 2, 3, 5, 7, 9, 11}),
    BuildRow("Harmonic Minor", "harmonic minor", 0.72f, 0.52f, 0.90f, {0, 2, 3, 5, 7, 8, 11}),
    BuildRow("Harmonic Major", "harmonic major", 0.92f, 0.72f, 0.44f, {0, 2, 4, 5, 7, 8, 11}),
    BuildRow("Major Pentatonic", "major pentatonic", 0.98f, 0.82f, 0.42f, {0, 2, 4, 7, 9}),
    BuildRow("Minor Pentatonic", "minor pentatonic", 0.64f, 0.42f, 0.82f, {0, 3, 5, 7, 10}),
    BuildRow("Chinese", "chinese", 0.96f, 0.84f, 0.38f, {0, 4, 6, 7, 11}),
    BuildRow("Egyptian", "egyptian", 0.90f, 0.72f, 0.30f, {0, 2, 5, 7, 10}),
    BuildRow("Hirajoshi", "hirajoshi", 0.82f, 0.54f, 0.88f, {0, 2, 3, 7, 8}),
    BuildRow("Iwato", "iwato", 0.72f, 0.50f, 0.86f, {0, 1, 5, 6, 10}),
    BuildRow("In-Sen", "in-sen", 0.68f, 0.56f, 0.88f, {0, 1, 5, 7, 10}),
    BuildRow("Yo", "yo", 0.84f, 0.76f, 0.42f, {0, 2, 5, 7, 9}),
    BuildRow("Balinese", "balinese", 0.70f, 0.80f, 0.94f, {0, 1, 3, 7, 8}),
    BuildRow("Major Blues", "major blues", 0.92f, 0.74f, 0.34f, {0, 2, 3, 4, 7, 9}),
    BuildRow("Minor Blues", "minor blues", 0.66f, 0.42f, 0.84f, {0, 3, 5, 6, 7, 10}),
    BuildRow("Mixo-Blues", "mixo-blues", 0.94f, 0.70f, 0.34f, {0, 2, 3, 4, 5, 6, 7, 9, 10}),
    BuildRow("Major Bebop", "major bebop", 0.96f, 0.72f, 0.42f, {0, 2, 4, 5, 7, 8, 9, 11}),
    BuildRow("Minor Bebop", "minor bebop", 0.66f, 0.44f, 0.84f, {0, 2, 3, 4, 5, 7, 9, 10}),
    BuildRow("Chromatic", "chromatic", 0.76f, 0.82f, 0.94f, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}),
    BuildRow("Whole Tone", "whole tone", 0.96f, 0.78f, 0.30f, {0, 2, 4, 6, 8, 10}),
    BuildRow("Augmented", "augmented", 0.95f, 0.66f, 0.42f, {0, 3, 4, 7, 8, 11}),
    BuildRow("Diminished", "diminished", 0.90f, 0.56f, 0.34f, {0, 2, 3, 5, 6, 8, 9, 11}),
    BuildRow("Octatonic H-W", "octatonic half whole", 0.92f, 0.52f, 0.30f,
             {0, 1, 3, 4, 6, 7, 9, 10}),
    BuildRow("Nine Tone", "nine tone", 0.92f, 0.66f, 0.36f, {0, 2, 3, 4, 6, 7, 8, 9, 11}),
    BuildRow("Prometheus", "prometheus", 0.64f, 0.80f, 0.94f, {0, 2, 4, 6, 9, 10}),
    BuildRow("Lydian Augmented", "lydian augmented", 0.54f, 0.90f, 0.96f, {0, 2, 4, 6, 8, 9, 11}),
    BuildRow("Lydian Dominant", "lydian dominant", 0.54f, 0.90f, 0.96f, {0, 2, 4, 6, 7, 9, 10}),
    BuildRow("Super Locrian", "super locrian", 0.76f, 0.36f, 0.52f, {0, 1, 3, 4, 6, 8, 10}),
    BuildRow("Oriental", "oriental", 0.88f, 0.56f, 0.34f, {0, 1, 4, 5, 6, 9, 10}),
    BuildRow("Spanish Gypsy", "spanish gypsy", 0.90f, 0.54f, 0.34f, {0, 1, 4, 5, 7, 8, 10}),
    BuildRow("Byzantine", "byzantine", 0.90f, 0.50f, 0.36f, {0, 1, 4, 5, 7, 8, 11}),
    BuildRow("Arabic", "arabic", 0.88f, 0.52f, 0.32f, {0, 2, 4, 5, 6, 8, 10}),
    BuildRow("Algerian", "algerian", 0.90f, 0.52f, 0.36f, {0, 2, 3, 5, 6, 7, 8, 11}),
    BuildRow("Hungarian Major", "hungarian major", 0.96f, 0.64f, 0.38f, {0, 3, 4, 6, 7, 9, 10}),
    BuildRow("Hungarian Minor", "hungarian minor", 0.74f, 0.46f, 0.86f, {0, 2, 3, 6, 7, 8, 11}),
    BuildRow("Romanian Minor", "romanian minor", 0.70f, 0.44f, 0.84f, {0, 2, 3, 6, 7, 9, 10}),
    BuildRow("Neapolitan Major", "neapolitan major", 0.90f, 0.66f, 0.40f, {0, 1, 3, 5, 7, 9, 11}),
    BuildRow("Neapolitan Minor", "neapolitan minor", 0.74f, 0.48f, 0.84f, {0, 1, 3, 5, 7, 8, 11}),
    BuildRow("Enigmatic Major", "enigmatic major", 0.82f, 0.72f, 0.94f, {0, 1, 4, 6, 8, 10, 11}),
    BuildRow("Enigmatic Minor", "enigmatic minor", 0.76f, 0.62f, 0.90f, {0, 1, 3, 6, 7, 10, 11}),
    BuildRow("Hindu", "hindu", 0.90f, 0.70f, 0.34f, {0, 2, 4, 5, 7, 8, 10}),
    BuildRow("Indian Ascending", "indian ascending", 0.84f, 0.74f, 0.38f, {0, 1, 5, 7, 8}),
    BuildRow("Iberian", "iberian", 0.92f, 0.58f, 0.34f, {0, 1, 4, 5, 7, 10}),
    BuildRow("Eight Tone Spanish", "eight tone spanish", 0.92f, 0.56f, 0.32f,
             {0, 1, 3, 4, 5, 6, 8, 10}),
    BuildRow("Dominant Diminished", "dominant diminished", 0.94f, 0.58f, 0.32f,
             {0, 1, 3, 4, 6, 7, 9, 10}),
    BuildRow("Diminished Blues", "diminished blues", 0.86f, 0.50f, 0.30f,
             {0, 1, 3, 4, 6, 7, 9, 10}),
    BuildRow("Indian Descending", "indian descending", 0.78f, 0.66f, 0.36f,
             {0, 1, 3, 5, 7, 8, 10}),
    BuildRow("Hawaiian", "hawaiian", 0.58f, 0.86f, 0.92f, {0, 2, 3, 5, 7, 9, 11}),
    BuildRow("Mi Sheberach", "mi sheberach", 0.86f, 0.58f, 0.40f, {0, 2, 3, 6, 7, 9, 10}),
    BuildRow("Maqams", "maqams", 0.88f, 0.56f, 0.34f, {0, 2, 3, 5, 7, 8, 10}),
};

const ScaleRow* const kChurchModes[kChurchModeCount] = {
    &gScaleRows[kRowIonian],     &gScaleRows[kRowDorian],  &gScaleRows[kRowPhrygian],
    &gScaleRows[kRowLydian],     &gScaleRows[kRowMixolydian], &gScaleRows[kRowAeolian],
    &gScaleRows[kRowLocrian]};

std::vector<const ScaleRow*> gScaleCatalogue;  // empty until GetScaleCatalogue
int gScaleFilter = 0;                          // written by the filter tabs
std::vector<int> gVisibleScales;               // rebuilt on every query

// ---- internal helpers ----
namespace {

// Place of a row in gScaleRows, -1 for any other pointer (a row built elsewhere with the same set).
int RowIdOf(const ScaleRow* row) {
  uintptr_t p = (uintptr_t)row, base = (uintptr_t)gScaleRows;
  if (!row || p < base || p >= base + sizeof(gScaleRows)) return -1;
  if ((p - base) % sizeof(ScaleRow) != 0) return -1;
  return (int)((p - base) / sizeof(ScaleRow));
}

// Pointer membership in rows first..last of gScaleRows (a run of the catalogue).
bool RowInRange(const ScaleRow* row, int first, int last) {
  int id = RowIdOf(row);
  return id >= first && id <= last;
}

// The filter and catalogue size the visible list was last built for; the board queries the list
// many times per frame, so it is rebuilt only when either has changed since.
int sVisibleFilter = -1;
size_t sVisibleCatalogueSize = 0;
bool sVisibleBuilt = false;

void EnsureVisibleScales() {
  if (!sVisibleBuilt || sVisibleFilter != gScaleFilter || gVisibleScales.empty() ||
      sVisibleCatalogueSize != gScaleCatalogue.size())
    RebuildVisibleScales();
}

}  // namespace

// ---- public functions ----
ScaleRow MakeScaleRow(const char* name, const char* key, float r, float g, float b,
                      std::initializer_list<int> steps) {
  return BuildRow(name, key, r, g, b, steps);
}

const ScaleRow* IonianRow() { return &gScaleRows[kRowIonian]; }

void GetScaleCatalogue() {
  if (!gScaleCatalogue.empty()) return;
  const ScaleRow* R = gScaleRows;
  AppendScaleRows({kChurchModes[0], kChurchModes[1], kChurchModes[2], kChurchModes[3],
                   kChurchModes[4], kChurchModes[5], kChurchModes[6]});
  AppendScaleRows({&R[kRowMelodicMinor], &R[kRowHarmonicMinor], &R[kRowHarmonicMajor]});
  AppendScaleRows({&R[kRowMajorPentatonic], &R[kRowMinorPentatonic], &R[kRowChinese],
                   &R[kRowEgyptian], &R[kRowHirajoshi], &R[kRowIwato], &R[kRowInSen], &R[kRowYo],
                   &R[kRowBalinese]});
  AppendScaleRows({&R[kRowMajorBlues], &R[kRowMinorBlues], &R[kRowMixoBlues], &R[kRowMajorBebop],
                   &R[kRowMinorBebop]});
  AppendScaleRows({&R[kRowChromatic], &R[kRowWholeTone], &R[kRowAugmented], &R[kRowDiminished],
                   &R[kRowOctatonicHW], &R[kRowNineTone], &R[kRowPrometheus],
                   &R[kRowLydianAugmented], &R[kRowLydianDominant], &R[kRowSuperLocrian]});
  AppendScaleRows({&R[kRowOriental], &R[kRowSpanishGypsy], &R[kRowByzantine], &R[kRowArabic],
                   &R[kRowAlgerian], &R[kRowHungarianMajor], &R[kRowHungarianMinor],
                   &R[kRowRomanianMinor], &R[kRowNeapolitanMajor], &R[kRowNeapolitanMinor],
                   &R[kRowEnigmaticMajor], &R[kRowEnigmaticMinor], &R[kRowHindu],
                   &R[kRowIndianAscending], &R[kRowIberian], &R[kRowEightToneSpanish]});
}

const ScaleRow* FindScaleRowByName(const char* name) {
  if (!name) return nullptr;
  for (const ScaleRow& row : gScaleRows)
    if (std::strcmp(row.name, name) == 0) return &row;
  return nullptr;
}

void AppendScaleRows(std::initializer_list<const ScaleRow*> rows) {
  for (const ScaleRow* row : rows) {
    if (!row) continue;
    bool present = false;
    for (const ScaleRow* have : gScaleCatalogue)
      if (have == row) present = true;
    if (!present) gScaleCatalogue.push_back(row);
  }
}

bool IsChurchModeRow(const ScaleRow* row) { return RowInRange(row, kRowIonian, kRowLocrian); }
bool IsPentatonicSetRow(const ScaleRow* row) {
  return RowInRange(row, kRowMajorPentatonic, kRowBalinese);
}
bool IsBluesBebopSetRow(const ScaleRow* row) {
  return RowInRange(row, kRowMajorBlues, kRowMinorBebop);
}

bool ScaleInFilter(const ScaleRow* row) {
  if (!row) return false;
  switch ((unsigned)gScaleFilter) {
    case 0: return IsChurchModeRow(row);
    case 1: return row == &gScaleRows[kRowMelodicMinor];
    case 2: return row == &gScaleRows[kRowHarmonicMinor];
    case 3: return row == &gScaleRows[kRowHarmonicMajor];
    case 4: return IsPentatonicSetRow(row);
    case 5: return IsBluesBebopSetRow(row);
    case 6:
      return !IsChurchModeRow(row) && !RowInRange(row, kRowMelodicMinor, kRowHarmonicMajor) &&
             !IsPentatonicSetRow(row) && !IsBluesBebopSetRow(row);
    default: return true;
  }
}

void RebuildVisibleScales() {
  GetScaleCatalogue();
  gVisibleScales.clear();
  for (int i = 0; i < (int)gScaleCatalogue.size(); ++i)
    if (ScaleInFilter(gScaleCatalogue[i])) gVisibleScales.push_back(i);
  if (gVisibleScales.empty())
    for (int i = 0; i < (int)gScaleCatalogue.size(); ++i) gVisibleScales.push_back(i);
  sVisibleFilter = gScaleFilter;
  sVisibleCatalogueSize = gScaleCatalogue.size();
  sVisibleBuilt = true;
}

int VisibleScaleCount() {
  EnsureVisibleScales();
  return (int)gVisibleScales.size();
}

int VisibleScaleAt(int i) {
  EnsureVisibleScales();
  if (i < 0 || i >= (int)gVisibleScales.size()) return -1;
  return gVisibleScales[i];
}

int VisibleIndexOf(int catalogueIndex) {
  EnsureVisibleScales();
  for (int i = 0; i < (int)gVisibleScales.size(); ++i)
    if (gVisibleScales[i] == catalogueIndex) return i;
  return -1;
}

int ModeIndexOf(const ScaleRow* row) {
  if (!row) return -1;
  for (int i = 0; i < kChurchModeCount; ++i)
    if (kChurchModes[i] == row) return i;
  return -1;
}

int CurrentModeIndex() { return ModeIndexOf(gCurrentScale); }

int CatalogueIndexOf(const ScaleRow* row) {
  // the catalogue holds rows 0..49 of gScaleRows in their own order
  GetScaleCatalogue();
  if (!row) return -1;
  int id = RowIdOf(row);
  if (id >= 0 && id < (int)gScaleCatalogue.size() && gScaleCatalogue[id] == row) return id;
  for (int i = 0; i < (int)gScaleCatalogue.size(); ++i)
    if (gScaleCatalogue[i] == row) return i;
  return -1;
}

bool IsCatalogueScale(const ScaleRow* row) { return CatalogueIndexOf(row) >= 0; }

bool IsValidScaleRow(const ScaleRow* row) {
  if (!row || row->count < 1 || row->count > 12) return false;
  int seen = 0;
  for (int i = 0; i < row->count; ++i) {
    int pc = row->pcs[i];
    if (pc < 0 || pc > 11 || (seen & (1 << pc))) return false;
    seen |= 1 << pc;
  }
  return true;
}

const ScaleRow* ResolveShownScale() {
  const ScaleRow* row = gPickedScale ? gPickedScale : gCurrentScale;
  if (row && IsCatalogueScale(row) && IsValidScaleRow(row)) return row;
  return IonianRow();
}

bool IsCurrentScaleMinor() {
  const ScaleRow* row = gCurrentScale;
  if (!row) return false;
  bool has3 = false, has4 = false;
  for (int i = 0; i < row->count && i < 12; ++i) {
    if (row->pcs[i] == 3) has3 = true;
    if (row->pcs[i] == 4) has4 = true;
  }
  if (has3 && !has4) return true;
  std::string lower = AsciiLower(row->name ? row->name : "");
  for (const char* word : {"minor", "aeolian", "dorian", "phrygian", "locrian"})
    if (lower.find(word) != std::string::npos) return true;
  return false;
}

void GetCurrentScaleColour(float* r, float* g, float* b) {
  const ScaleRow* row = gCurrentScale;
  if (!row) {
    *r = *g = *b = 0.92f;
    return;
  }
  *r = Clamp01(row->r);
  *g = Clamp01(row->g);
  *b = Clamp01(row->b);
}

void ScaleLabelColour(const ScaleRow& row, float rgb[3]) {
  rgb[0] = Clamp01(0.56f + 0.4f * row.r);
  rgb[1] = Clamp01(0.56f + 0.4f * row.g);
  rgb[2] = Clamp01(0.58f + 0.4f * row.b);
}
