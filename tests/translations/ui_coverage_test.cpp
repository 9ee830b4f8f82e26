// Every English literal the program's sources hand to a text call (Tr, TrF, TrCStr, TrCopy,
// DrawTextUtf8, MeasureText, FitTextToWidth, DrawVerticalText) or assign to gStatusText comes out
// translated in each of the 24 languages without a translation file, or stands with its languages
// and a reason in translations/untranslated_ui_texts.tsv. Every TrF template keeps its conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "gfx/translate.h"
#include "gfx/translation_files.h"
#include "gfx/ui_language.h"
#include "tests/support/test_support.h"
#include "translations/table_data.h"

namespace {

namespace fs = std::filesystem;

// The literals of one source inside each call's argument list (or a gStatusText statement),
// comments skipped, adjacent literals joined; marked true when they are a TrF template. Constants
// named in a call (kName) are noted in `used`, and a constant's literal definition in `defined`.
struct Scan {
  std::map<std::string, bool> texts;
  std::map<std::string, std::string> defined;
  std::set<std::string> used;
};

void ScanSource(const std::string& s, Scan& scan) {
  static const std::set<std::string> kCalls = {"Tr", "TrF", "TrCStr", "TrCopy", "DrawTextUtf8",
                                               "MeasureText", "FitTextToWidth", "DrawVerticalText", "gStatusText"};
  std::string call, literal, defining;  // the call being read; the literal being joined; the constant
  bool pending = false;
  int depth = 0, count = 0;             // bracket depth inside the call; literals found in it
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      for (++i; i < s.size() && s[i] != '"'; ++i) literal += s[i] == '\\' ? (s[++i] == 'n' ? '\n' : s[i]) : s[i];
      pending = true;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (pending && !call.empty()) scan.texts[literal] |= call == "TrF" && count++ == 0;
    if (pending && !defining.empty()) scan.defined[defining] = literal;
    if (pending || c == ';') defining.clear();
    pending = false;
    literal.clear();
    if (s.compare(i, 2, "//") == 0 || s.compare(i, 2, "/*") == 0) {
      bool line = s[i + 1] == '/';
      i = s.find(line ? "\n" : "*/", i + 2);
      if (i == std::string::npos) break;
      i += line ? 0 : 1;
    } else if (c == '\'') {
      i += s[i + 1] == '\\' ? 3 : 2;  // 'x' or '\x'
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t end = i;
      while (end < s.size() && (std::isalnum(static_cast<unsigned char>(s[end])) || s[end] == '_')) ++end;
      std::string word = s.substr(i, end - i);
      std::string after = s.substr(std::min(s.find_first_not_of(" \t\n", end), s.size()), 2);
      bool starts = word == "gStatusText" ? (after[0] == '=' && after != "==") || after == "+=" : after[0] == '(';
      bool constant = word.size() > 1 && word[0] == 'k' && std::isupper(static_cast<unsigned char>(word[1]));
      if (constant && !call.empty()) scan.used.insert(word);
      if (constant && call.empty() && ((after[0] == '=' && after != "==") || after == "[]")) defining = word;
      if (call.empty() && kCalls.count(word) && starts) call = word, depth = 0, count = 0;
      i = end - 1;
    } else if (!call.empty()) {
      depth += (c == '(' || c == '{') - (c == ')' || c == '}');
      if ((c == ')' && depth == 0 && call != "gStatusText") || (c == ';' && depth <= 0)) call.clear();
    }
  }
}

std::map<std::string, bool> CollectUiTexts() {
  Scan scan;
  const std::set<std::string> skipped = {"tests", "bench", "platform", "translations", ".git"};
  for (auto it = fs::recursive_directory_iterator(TONVARRA_SOURCE_ROOT); it != fs::recursive_directory_iterator(); ++it) {
    std::string leaf = it->path().filename().string(), ext = it->path().extension().string();
    if (it->is_directory() && (skipped.count(leaf) || leaf.rfind("build", 0) == 0)) it.disable_recursion_pending();
    if (ext == ".cpp" || ext == ".h") ScanSource(ReadFileBytes(it->path().string()), scan);
  }
  for (const std::string& name : scan.used)
    if (scan.defined.count(name)) scan.texts[scan.defined[name]] |= false;
  return scan.texts;
}

// True when the text holds a word of two letters or more outside its printf conversions.
bool HasWords(const std::string& text) {
  int run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') i = text.find_first_not_of("-+0123456789.zlduisfxXcg", i + 1) - 1;
    run = i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])) ? run + 1 : 0;
    if (run >= 2) return true;
  }
  return false;
}

// The languages in which Tr leaves the text as it is, in table order ("all" for every one).
std::string EnglishIn(const std::string& text) {
  std::string codes;
  for (const char* code : kTableLanguageCodes) {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = code;
    if (Tr(text) == text) codes += std::string(codes.empty() ? "" : " ") + code;
  }
  return codes.size() == 3 * kTableLanguageCount - 1 ? "all" : codes;
}

TEST(UiCoverage, EveryUiTextIsTranslatedOrRecordedAsEnglish) {
  TempDir dir;
  ScopedExeDir exe(dir.path());  // no translation file anywhere near
  ResetTranslationFileForTesting();
  std::map<std::string, std::string> recorded;  // text -> languages
  std::istringstream record(ReadFileBytes(std::string(TONVARRA_SOURCE_ROOT) + "/translations/untranslated_ui_texts.tsv"));
  for (std::string line; std::getline(record, line);) {
    size_t tab = line.find('\t'), reason = line.find('\t', tab + 1);
    if (line.empty() || line[0] == '#') continue;
    ASSERT_NE(reason, std::string::npos) << "needs languages and a reason: " << line;
    recorded[line.substr(0, tab)] = line.substr(tab + 1, reason - tab - 1);
  }
  std::map<std::string, bool> texts = CollectUiTexts();
  EXPECT_TRUE(texts.count("Nothing picked") && texts.count("%d picked - double-click or Backspace to clear"));
  for (const auto& [text, isTemplate] : texts) {
    std::string english = HasWords(text) ? EnglishIn(text) : "";
    EXPECT_EQ(english, recorded[text]) << "a row of untranslated_ui_texts.tsv:\n" << text << "\t" << english << "\t<reason>";
    recorded.erase(text);
    for (const char* code : kTableLanguageCodes) {
      if (!isTemplate) break;
      std::lock_guard<std::recursive_mutex> lock(gTrMutex);
      gUiLanguage = code;
      EXPECT_EQ(FormatSignature(Tr(text)), FormatSignature(text)) << code << ": " << text;
    }
  }
  for (const auto& [text, codes] : recorded) ADD_FAILURE() << "recorded, but no longer in the sources: " << text;
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  gUiLanguage = "en-US";
  ResetTranslationFileForTesting();
}

}  // namespace
