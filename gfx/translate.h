// gfx/translate: the translation call. Every visible text is English in the code and passes
// through Tr when drawn or measured: translation file first, then the built-in vocabulary, else
// English. TrF translates a printf template and then formats it.
#pragma once
#include <mutex>
#include <string>

#include "translations/scale_display_names.h"  // IsScaleDisplayName

extern std::recursive_mutex& gTrMutex;  // held by Tr and by ApplyUiLanguage

// The calling thread's suppression depth: while above 0, Tr answers its input on that thread.
// Code drawing or measuring text that is already translated raises it around the call.
void PushTrSuppress();
void PopTrSuppress();

// The English text in the current UI language (UTF-8); never fails, the worst answer is the input.
std::string Tr(const std::string& english);
// Tr of a NUL-terminated text (null gives "").
std::string TrCStr(const char* english);
// Tr of a copy.
std::string TrCopy(std::string english);
// Tr of the template, then printf-style formatting. A translated template is used only when its
// conversions equal the English one's; otherwise the English template is formatted.
std::string TrF(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Marks an English UI text that is kept or passed on first and translated where it is shown, so
// that the collection of UI texts finds it; gives the text back unchanged.
constexpr const char* TrLater(const char* english) { return english; }

// A scale label as the board and the pattern list show it, a note name and a scale name ("D Dorian"):
// the note name stays and the name is translated as a whole. Any other label is translated as it is.
std::string TrScaleLabel(const std::string& label);

// Word-by-word translation keeping each word's case; counts words and translated words (may be null).
std::string TranslateWords(const std::string& text, const std::string& code, int* words, int* translated);
// The column of a six-text row (English, es, fr, de, it, pt) for a code; null for other codes.
const char* PickLanguageColumn(const std::string& code, const char* const row[6]);
// Translated prefix plus the rest unchanged when text begins with row[0] and the code has a column; else "".
std::string TranslatePrefix(const std::string& text, const std::string& code, const char* const row[6]);

// Raises the suppression depth for its scope.
struct ScopedTrSuppress {
  ScopedTrSuppress() { PushTrSuppress(); }
  ~ScopedTrSuppress() { PopTrSuppress(); }
  ScopedTrSuppress(const ScopedTrSuppress&) = delete;
  ScopedTrSuppress& operator=(const ScopedTrSuppress&) = delete;
};

// The built-in tables, for tests: counts and rows.
int TrPhraseRowCount();
const char* const* TrPhraseRow(int i);

// Tests put a word table of their own in place of the built-in one; nullptr restores it.
using WordTranslator = std::string (*)(const std::string& code, const std::string& word);
void SetWordTranslatorForTesting(WordTranslator translator);
// Forgets the loaded translation file so the next Tr reloads it (tests only).
void ResetTranslationFileForTesting();
