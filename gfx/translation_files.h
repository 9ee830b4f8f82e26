// gfx/translation_files: per-language translation files ("de-DE.json" in a "locales" folder near
// the program). A small line-wise reader of string pairs, not a general JSON parser; entries whose
// printf conversions differ from their English key are refused.
#pragma once
#include <string>
#include <unordered_map>
#include <vector>

// Appends the "locales" folder of start and of its ancestors, at most four in all.
void FindLocalesFolders(const std::string& start, std::vector<std::string>& folders);
// True when path names an existing entry that is not a folder; false for "".
bool LocaleFileExists(const std::string& path);
// Reads one JSON string from line at pos (skipping white space first); pos moves past it.
bool ParseJsonString(const std::string& line, size_t& pos, std::string& out);
// The printf conversions of a text, in order; "!" for each unknown one.
std::string FormatSignature(const std::string& text);
// The first existing file tag + ".json" in the locales folders of the exe folder and the current
// folder, passing over those another account could have placed (but for the exe folder's own);
// "" when there is none.
std::string FindTranslationFile(const std::string& tag);
// A line of a translation file that looks like an entry but is not taken: its number (from 1) and why.
struct TranslationLineProblem {
  int line = 0;
  std::string why;
};
// Reads a translation file into map (entries added; later lines replace earlier ones); false when
// it is no regular file or larger than a few MB. A broken line is skipped on its own, logged with
// its line number and, when problems is given, appended there.
bool ReadTranslationFile(const std::string& path, std::unordered_map<std::string, std::string>& map,
                         std::vector<TranslationLineProblem>* problems = nullptr);
