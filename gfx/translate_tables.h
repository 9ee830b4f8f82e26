// gfx/translate_tables: the built-in vocabulary of the translation call.
#pragma once

enum {
  kTrPhraseCount = 71,
  kTrPrefixCount = 14,
  kTrSpecialKeyCount = 6,
  kTrSpecialLanguageCount = 24,
};

// One language's answers to the special keys.
struct TrSpecialRow {
  const char* code;
  const char* answers[kTrSpecialKeyCount];
};

extern const char* const kTrPhrases[kTrPhraseCount][6];
extern const char* const kTrPrefixes[kTrPrefixCount][6];
extern const char* const kTrSpecialKeys[kTrSpecialKeyCount];
extern const TrSpecialRow kTrSpecialAnswers[kTrSpecialLanguageCount];
