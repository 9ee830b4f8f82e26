// The built-in vocabulary: which words have values in which languages and in which script, the
// answers in expected_values.tsv (design values byte for byte and the lookup's edge cases), the
// translation file in front of the tables, and the build step that refuses broken data files.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "gfx/script_text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "tests/support/child_process.h"
#include "tests/support/test_support.h"
#include "translations/scale_display_names.h"
#include "translations/table_data.h"
#include "translations/word_tables.h"

namespace {

// The TAB-separated rows of a data file of this folder, comments skipped.
std::vector<std::vector<std::string>> DataRows(const std::string& name) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(ReadFileBytes(std::string(TONVARRA_SOURCE_ROOT) + "/tests/translations/" + name));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    rows.emplace_back(1);
    for (char c : line) {
      if (c == '\t')
        rows.back().emplace_back();
      else
        rows.back().back().push_back(c);
    }
  }
  return rows;
}

void SetTag(const std::string& tag) {
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  gUiLanguage = tag;
}

// A value is letters of its language's script with blanks and hyphens between them: ASCII
// letters for the Latin-script and romanised languages, the language's own blocks for the others.
bool InScript(const std::string& code, char16_t u) {
  if (u == ' ' || u == '-') return true;
  if (!IsLangInList(code, {"ja", "ko", "zh", "ar", "hi"})) return u < 128 && std::isalpha(int(u));
  if (code == "ar") return u >= 0x0600 && u <= 0x06FF;
  if (code == "hi") return u >= 0x0900 && u <= 0x097F;
  if (code == "ko") return u >= 0xAC00 && u <= 0xD7A3;
  return (u >= 0x4E00 && u <= 0x9FFF) || (code == "ja" && u >= 0x3040 && u <= 0x30FF);
}

TEST(WordTable, ValuesStandExactlyWhereTheVocabularyHasThemInTheirScripts) {
  std::map<std::string, std::set<std::string>> expected;  // key -> codes with a value
  for (const auto& row : DataRows("coverage.tsv")) {
    std::istringstream tokens(row[0]), keys(row[1]);
    std::set<std::string> codes;
    for (std::string t; tokens >> t;) {
      if (t == "all") codes.insert(kTableLanguageCodes, kTableLanguageCodes + kTableLanguageCount);
      else if (t == "five") codes.insert({"ja", "ko", "zh", "ar", "hi"});
      else if (t[0] == '-') codes.erase(t.substr(1));
      else codes.insert(t);
    }
    for (std::string key; keys >> key;) expected[key] = codes;
  }
  ASSERT_EQ(int(expected.size()), kWordRowCount);
  ASSERT_EQ(std::string(kTableLanguageCodes[6]) + kTableLanguageCodes[7] + kTableLanguageCodes[8], "svdano");
  const std::set<std::string> nordicDiffer = {"Ascending", "Descending", "All", "Language", "Select", "Loaded", "Slow"};
  for (int r = 0; r < kWordRowCount; ++r) {
    const WordRow& row = kWordRows[r];
    ASSERT_TRUE(expected.count(row.english)) << row.english << " is not a key of the vocabulary";
    for (int c = 0; c < kTableLanguageCount; ++c) {
      std::string code = kTableLanguageCodes[c], value = row.values[c] ? row.values[c] : "";
      EXPECT_EQ(!value.empty(), expected[row.english].count(code) == 1) << row.english << " / " << code;
      EXPECT_NE(value, row.english) << code;
      EXPECT_TRUE(value.empty() || (value.front() != ' ' && value.back() != ' ')) << row.english << " / " << code;
      for (char16_t u : Utf8ToWideText(value))
        EXPECT_TRUE(InScript(code, u)) << row.english << " / " << code << ": U+" << std::hex << int(u);
    }
    // Swedish (6), Danish (7) and Norwegian (8) each have their own words; these seven never agree.
    bool same = std::string(row.values[6] ? row.values[6] : "") == (row.values[7] ? row.values[7] : "") &&
                std::string(row.values[7] ? row.values[7] : "") == (row.values[8] ? row.values[8] : "");
    if (nordicDiffer.count(row.english)) EXPECT_FALSE(same) << row.english;
  }
}

TEST(WordTable, ExpectedAnswers) {
  for (const auto& row : DataRows("expected_values.tsv")) {
    ASSERT_EQ(row.size(), 4u) << row[0];
    std::string got;
    if (row[0] == "word") got = TranslateWord(row[2], row[1]);
    if (row[0] == "name") got = LocalizeScaleName(row[1], row[2]);
    if (row[0] == "tr") {
      SetTag(row[2]);
      got = Tr(row[1]);
    }
    EXPECT_EQ(got, row[3]) << row[0] << " " << row[1] << " / " << row[2];
  }
  SetTag("en-US");
  const std::string withNul("Scale\0x", 7);  // a NUL byte does not end the word early
  EXPECT_EQ(TranslateWord("de", withNul), withNul);
  std::string out, word = "Tone";
  FlushScaleNameWord(word, "pl", out);
  FlushScaleNameWord(word, "pl", out);
  EXPECT_EQ(out + "|" + word, "Ton|");
}

// The words of a scale name as LocalizeScaleName's callers meet them: runs of ASCII letters.
std::vector<std::string> NameWords(const std::string& name) {
  std::vector<std::string> words(1);
  for (char c : name) {
    if (std::isalpha(static_cast<unsigned char>(c))) words.back().push_back(c);
    else if (!words.back().empty()) words.emplace_back();
  }
  if (words.back().empty()) words.pop_back();
  return words;
}

// A scale name is shown whole in every language whose vocabulary knows any of its words: a row of
// its own, no English word left where the language has one, and the Japanese and Hebrew names
// kept as names in the Latin-script languages ("In-Sen" is no preposition).
TEST(ScaleNames, WholeWhereverAWordIsKnownAndNeverHalfEnglish) {
  const std::set<std::string> kNames = {"Hirajoshi", "Iwato", "In-Sen", "Yo", "Mi Sheberach"};
  for (const char* name : kScaleDisplayNames) {
    for (int c = 0; c < kTableLanguageCount; ++c) {
      const std::string code = kTableLanguageCodes[c], shown = LocalizeScaleName(name, code);
      const bool ownScript = IsLangInList(code, {"ja", "ko", "zh", "ar", "hi"});
      if (kNames.count(name) && !ownScript) {
        EXPECT_EQ(shown, name) << code;
        continue;
      }
      const char* whole = nullptr;
      for (int r = 0; r < kWholeScaleNameCount; ++r)
        if (std::string(kWholeScaleNames[r].english) == name) whole = kWholeScaleNames[r].values[c];
      bool known = false;
      for (const std::string& w : NameWords(name)) {
        if (TranslateWord(code, w) == w) continue;
        known = true;
        for (const std::string& s : NameWords(shown)) EXPECT_NE(s, w) << code << ": " << name << " -> " << shown;
      }
      EXPECT_EQ(shown, whole ? whole : name) << code;
      if (known) EXPECT_TRUE(whole) << code << ": " << name << " has no whole name";
    }
  }
}

TEST(WordTable, TranslationFileComesBeforeTheTables) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  WriteFileBytes(dir.File("locales/de-DE.json"), "{\n  \"Scale\": \"Leiter\",\n  \"Dorian\": \"\"\n}\n");
  ResetTranslationFileForTesting();
  SetTag("de-DE");
  EXPECT_EQ(Tr("Scale") + " " + Tr("Dorian") + " " + Tr("Keys"), "Leiter Dorisch Tonarten");
  SetTag("en-US");
  ResetTranslationFileForTesting();
}

// The build step refuses each kind of broken row, naming file and line, and writes nothing.
TEST(WordTable, BrokenDataFilesFailTheBuild) {
  TempDir dir;
  std::string header = "key", empties(kTableLanguageCount, '\t');
  for (const char* code : kTableLanguageCodes) header += std::string("\t") + code;
  const struct { const char* problem; std::string words; } cases[] = {
      {"", header + "\n# a comment\nScale" + empties + "\n"},
      {"wrong column count", header + "\nScale\tEscala\n"},
      {"carriage return", header + "\r\nScale" + empties + "\n"},
      {"invalid UTF-8", header + "\nScale\t\xC0\xAF" + empties.substr(1) + "\n"},
      {"repeated key", header + "\nScale" + empties + "\nScale" + empties + "\n"},
      {"a language without a column", "key\tes\nScale\tEscala\n"},
  };
  for (const auto& c : cases) {
    WriteFileBytes(dir.File("words_a.tsv"), c.words);
    WriteFileBytes(dir.File("names.tsv"), "name\tde\nWhole Tone\tGanzton\n");
    std::remove(dir.File("out.cpp").c_str());
    int status = WaitForChild(SpawnProgram({TONVARRA_TABLE_TOOL, dir.File("out.cpp"), dir.File("names.tsv"),
                                            dir.File("words_a.tsv")}, "", {}, {}, dir.File("log")), 30);
    bool ok = !*c.problem;
    EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0, ok) << c.problem << ": " << ReadFileBytes(dir.File("log"));
    EXPECT_EQ(FileExists(dir.File("out.cpp")), ok) << c.problem;
    EXPECT_EQ(ReadFileBytes(dir.File("log")).find("words_a.tsv:") != std::string::npos, !ok) << c.problem;
  }
}

}  // namespace
