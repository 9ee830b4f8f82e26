// translations/table_data: the constant tables that the build generates from the data files of
// this folder (words_*.tsv and scale_names.tsv). A null value means no translation.
#pragma once

enum { kTableLanguageCount = 24 };

// The column order of every row: the 24 non-English UI language codes.
extern const char* const kTableLanguageCodes[kTableLanguageCount];

// One English word and its value per language.
struct WordRow {
  const char* english;
  const char* values[kTableLanguageCount];
};
// Sorted by English bytes, so a lookup is a binary search.
extern const WordRow kWordRows[];
extern const int kWordRowCount;

// Whole-name translations of catalogue scales whose words make no sense one by one, in file order.
extern const WordRow kWholeScaleNames[];
extern const int kWholeScaleNameCount;
