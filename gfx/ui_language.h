// gfx/ui_language: the 25 UI languages, the start-up choice (user locale, overridden by the saved
// "ui_language.txt"), applying a choice, and the short language code the translation call uses.
#pragma once
#include <string>
#include <vector>

// One language as the start screen lists it: display label (own script where it has one), colour.
struct LanguageEntry {
  std::string locale;
  std::string code;
  std::string label;
  float r, g, b;
};

extern std::string& gUiLanguage;                  // the current locale tag; written under gTrMutex
extern std::vector<LanguageEntry> gLanguageList;  // the 25 languages in display order
extern int gLanguageIndex;                        // index of the current language in gLanguageList

// Builds the list once and applies the start language; later calls return at once.
void InitUiLanguage();
// Makes row index (clamped to the list) current; with save, writes the tag to "ui_language.txt".
void ApplyUiLanguage(int index, bool save);
// "de-DE" -> "de", "pt_BR" -> "pt", "nb-NO"/"nn" -> "no", "" -> "en".
std::string LanguageCodeOf(const std::string& tag);
// Path of "ui_language.txt" in the Data folder.
std::string UiLanguagePath();
// The saved tag (first line, trimmed), or "" when missing or empty.
std::string ReadUiLanguageFile();
// The list index for a user locale tag and a saved tag, as the start-up choice picks it.
int ChooseStartLanguage(const std::string& userTag, const std::string& savedTag);
// Forgets the built list so the next InitUiLanguage chooses again (tests only).
void ResetUiLanguageForTesting();
