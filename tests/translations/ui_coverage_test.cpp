// Every UI text the sources hand to the translation call has a value in every shipped translation
// file (translations/locales/<tag>.json), but for the names and symbols of
// translations/untranslated_ui_texts.tsv, which no file lists; templates keep their conversions;
// a broken line is named with its number and skipped on its own. The collection itself is checked
// on a small source tree of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>

#include "gfx/translate.h"
#include "gfx/translation_files.h"
#include "gfx/ui_language.h"
#include "tests/support/test_support.h"
#include "tests/translations/ui_text_collection.h"

namespace {

namespace fs = std::filesystem;

// Every language has its file and every text its value: a missing file or value fails, naming the
// text and the languages that lack it.
constexpr bool kTranslationSetComplete = true;

const char* const kTags[] = {"es-ES", "fr-FR", "de-DE", "it-IT", "pt-BR", "nl-NL", "sv-SE", "da-DK",
                             "nb-NO", "fi-FI", "pl-PL", "cs-CZ", "hu-HU", "ro-RO", "tr-TR", "id-ID",
                             "vi-VN", "ru-RU", "uk-UA", "ja-JP", "ko-KR", "zh-CN", "ar-SA", "hi-IN"};

std::string Root() { return TONVARRA_SOURCE_ROOT; }

// untranslated_ui_texts.tsv: text -> the codes it stays as it is in.
std::map<std::string, std::set<std::string>> ReadKeptTexts(const std::string& path) {
  std::map<std::string, std::set<std::string>> kept;
  std::istringstream in(ReadFileBytes(path));
  // Rows count from the file's own heading on: rows merged in above it by another branch's edit
  // of an older version of the file say nothing about this one.
  bool begun = false;
  for (std::string line; std::getline(in, line);) {
    size_t tab = line.find('\t'), reason = line.find('\t', tab + 1);
    begun |= line.rfind("# UI texts that stay as they are", 0) == 0;
    if (!begun || line.empty() || line[0] == '#') continue;
    EXPECT_NE(reason, std::string::npos) << "needs languages and a reason: " << line;
    if (reason == std::string::npos) continue;
    std::istringstream codes(line.substr(tab + 1, reason - tab - 1));
    std::set<std::string>& set = kept[line.substr(0, tab)];
    for (std::string code; codes >> code;) {
      if (code != "all") set.insert(code);
      for (const char* tag : kTags)
        if (code == "all") set.insert(LanguageCodeOf(tag));
    }
  }
  return kept;
}

struct LanguageFile {
  std::string tag;
  std::unordered_map<std::string, std::string> map;
  std::vector<TranslationLineProblem> problems;
};

// The files of the tags present in a locales folder.
std::vector<LanguageFile> ReadLanguageFiles(const std::string& folder, std::vector<std::string>* absent) {
  std::vector<LanguageFile> files;
  for (const char* tag : kTags) {
    std::string path = folder + "/" + tag + ".json";
    if (!FileExists(path)) {
      if (absent) absent->push_back(tag);
      continue;
    }
    files.push_back({tag, {}, {}});
    EXPECT_TRUE(ReadTranslationFile(path, files.back().map, &files.back().problems)) << path;
  }
  return files;
}

// One line per text that a file lacks: the text and the tags of the files without its value; and
// one per kept text that a file lists anyway.
std::vector<std::string> MissingValues(const std::vector<UiText>& texts, const std::vector<LanguageFile>& files,
                                       const std::map<std::string, std::set<std::string>>& kept) {
  std::vector<std::string> report;
  for (const UiText& u : texts) {
    if (!HasWords(u.text)) continue;
    auto keptIn = kept.find(u.text);
    std::string missing, listed;
    for (const LanguageFile& f : files) {
      bool keep = keptIn != kept.end() && keptIn->second.count(LanguageCodeOf(f.tag));
      auto it = f.map.find(u.text);
      bool has = it != f.map.end() && !it->second.empty();
      if (keep && it != f.map.end()) listed += " " + f.tag;
      if (!keep && !has) missing += " " + f.tag;
    }
    if (!missing.empty()) report.push_back("\"" + u.text + "\" (" + u.where + ") has no value in:" + missing);
    if (!listed.empty()) report.push_back("\"" + u.text + "\" stays as it is, but is listed in:" + listed);
  }
  return report;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

const UiText* Find(const std::vector<UiText>& texts, const std::string& text) {
  for (const UiText& u : texts)
    if (u.text == text) return &u;
  return nullptr;
}

TEST(UiTextCollection, FollowsTextsThroughHelpersTablesLocalsAndCalls) {
  TempDir dir;
  WriteFileBytes(dir.File("app/screen.cpp"), R"src(
#include "gfx/text.h"
static const char* const kLabels[] = {"First label", "Second label"};
void DrawLabelled(float x, const std::string& text) { DrawTextUtf8(gFont, x, 0, text, 1, 1, 1, 1); }
void DrawTwice(const std::string& caption) { DrawLabelled(0, caption); }
void DrawKept(const std::string& name) {
  ScopedTrSuppress keep;
  DrawTextUtf8(gFont, 0, 0, name, 1, 1, 1, 1);
}
std::string StatusLine() { return "Returned status"; }
void Frame(bool on, const std::string& name, const std::string& mode) {
  DrawTwice("Through two helpers");
  DrawKept("Kept as it is");
  for (const char* label : {"Range for one", "Range for two"}) MeasureText(gFont, label, 12);
  DrawLabelled(0, kLabels[1]);
  std::vector<std::string> lines = {"Listed line"};
  lines.push_back("Pushed line");
  for (const auto& line : lines) DrawLabelled(0, line);
  const char* shown = on ? "Shown when on" : "Shown when off";
  DrawTwice(shown);
  gStatusText = TrF("Loaded %d files", 3);
  gStatusText = "Removed " + name;
  gStatusText = Tr("Cleared ") + std::to_string(3);
  gStatusText = StatusLine();
  const char* pick = mode == "compared key" ? "Picked one" : "Picked two";
  DrawTwice(pick);
  DrawTwice(Tr("Tr inside"));
  DebugLog("Not a UI text");
  /* DrawTwice("commented out"); */
  // DrawTwice("commented too");
  DrawTwice(R"(Raw "quoted" text)");
  DrawTwice("Joined " "literals");
  char c = '"';
  {
    ScopedTrSuppress already;
    DrawTwice("Suppressed block");
  }
  DrawTwice("After the block");
  PickLater(TrLater("Marked for later"));
}
)src");
  // Texts kept in records' fields and drawn from there; keys only compared with are no texts.
  WriteFileBytes(dir.File("app/boxes.cpp"), R"src(
struct Box { std::string label; int value; };
struct Axis { const char* label; bool shown; };
struct Row { std::string key; std::string label; };
std::string gViewKey = "today";
void AddAxis(Axis* axes, int i, const char* label) { axes[i].label = label; }
void FillBoxes(Box boxes[3], bool wide) {
  struct Area { const char* label; bool has, measured; };
  const Area areas[2] = {{"FIRST AREA", true, true}, {"SECOND AREA", false, true}};
  Area first = {"FALLBACK AREA", true, false};
  for (const Area& a : areas)
    if (a.has) first = a;
  boxes[0].label = first.label;
  boxes[1].label = wide ? "WIDE BOX" : "NARROW BOX";
  Row row;
  row.key = "row key";
}
void DrawBoxes(const Box* boxes, const Axis* axes, const Row& row) {
  for (int i = 0; i < 3; ++i) DrawTextUtf8(gFont, 0, 0, boxes[i].label, 1, 1, 1, 1);
  DrawTextUtf8(gFont, 0, 0, Tr(axes[0].label), 1, 1, 1, 1);
  DrawTextUtf8(gFont, 0, 0, row.label, 1, 1, 1, 1);
  const bool today = gViewKey == "today";
  DrawTextUtf8(gFont, 0, 0, today ? "Today" : "Library", 1, 1, 1, 1);
}
void Fill(Axis* axes) {
  AddAxis(axes, 0, "Rhythm");
  gViewKey = "chords";
}
)src");
  WriteFileBytes(dir.File("tests/ignored_test.cpp"), "void T() { Tr(\"In a test\"); }\n");
  std::map<std::string, std::pair<bool, bool>> found;  // text -> template, tail
  for (const UiText& u : CollectUiTexts(dir.path(), ""))
    if (u.where.rfind("app/", 0) == 0 || u.where.rfind("tests/", 0) == 0) found[u.text] = {u.isTemplate, u.hasTail};
  std::map<std::string, std::pair<bool, bool>> expected = {
      {"First label", {false, false}},     {"Second label", {false, false}},    {"Through two helpers", {false, false}},
      {"Range for one", {false, false}},   {"Range for two", {false, false}},   {"Listed line", {false, false}},
      {"Pushed line", {false, false}},     {"Shown when on", {false, false}},   {"Shown when off", {false, false}},
      {"Loaded %d files", {true, false}},  {"Removed ", {false, true}},         {"Cleared ", {false, true}},         {"Returned status", {false, false}},
      {"Tr inside", {false, false}},       {"Raw \"quoted\" text", {false, false}}, {"Joined literals", {false, false}},
      {"After the block", {false, false}}, {"Marked for later", {false, false}}, {"Picked one", {false, false}},
      {"Picked two", {false, false}},      {"FIRST AREA", {false, false}},      {"SECOND AREA", {false, false}},
      {"FALLBACK AREA", {false, false}},   {"WIDE BOX", {false, false}},        {"NARROW BOX", {false, false}},
      {"Rhythm", {false, false}},          {"Today", {false, false}},           {"Library", {false, false}}};
  EXPECT_EQ(found, expected);
  std::vector<std::string> helpers = CollectTextHelpers(dir.path());
  EXPECT_EQ(helpers, (std::vector<std::string>{"AddAxis", "DrawLabelled", "DrawTwice"}));
}

TEST(UiTextCollection, ReachesEveryKindOfProgramTextAndNoneHasARunTimeTail) {
  std::vector<UiText> texts = CollectUiTexts(Root(), TONVARRA_LIBRARY_DIR);
  // One of each way a text reaches the call: a button helper, a slider table, a range-for list,
  // a constant in a list, a status template, a text marked for later, the library's data, a
  // scale name, a month name table.
  for (const char* text : {"Speed", "Brightness", "Smart Start", "Double-click a gold cell to clear", "Playing: %s",
                           "CHROMATIC", "could not read file", "Major Scales", "Keyboard Geography & Major Scales",
                           "Harmonic Minor", "September", "Students", "one octave", "C major triad"})
    EXPECT_NE(Find(texts, text), nullptr) << text;
  ASSERT_NE(Find(texts, "Playing: %s"), nullptr);
  EXPECT_TRUE(Find(texts, "Playing: %s")->isTemplate);
  std::vector<std::string> tails;
  for (const UiText& u : texts)
    if (u.hasTail && HasWords(u.text)) tails.push_back("\"" + u.text + "\" at " + u.where);
  EXPECT_TRUE(tails.empty()) << "shown joined to a run-time value, so the line a user sees is not this text; "
                                "build the whole line with TrF:\n"
                             << Joined(tails);
}

TEST(UiTextCollection, FindsTextsThatMeetSuppressedTranslation) {
  TempDir dir;
  WriteFileBytes(dir.File("app/card.cpp"), R"src(
static const char* const kNames[] = {"C", "Db"};
static const char* const kWords[] = {"Warm-up", "Study"};
std::string Advice(int n) { return n ? Tr("Play slowly") : TrF("%d left", n); }
std::string Kind(int i) { return Tr(kWords[i]); }
std::string Line(int i) { return Kind(i) + " - " + Advice(i); }
std::string Fit(const std::string& text) { return Tr(text); }
void DrawShown(float x, const std::string& shown) {
  ScopedTrSuppress already;
  DrawTextUtf8(gFont, x, 0, shown, 1, 1, 1, 1);
}
void DrawDay(int day) {
  std::string digits = std::to_string(day);
  DrawTextUtf8(gFont, 0, 0, digits, 1, 1, 1, 1);
}
void Frame(const Item& item) {
  const std::string line = Line(1);
  {
    ScopedTrSuppress already;
    DrawTextUtf8(gFont, 0, 0, Fit(line), 1, 1, 1, 1);
    DrawTextUtf8(gFont, 0, 0, Line(0), 1, 1, 1, 1);
    DrawTextUtf8(gFont, 0, 0, "Literal under suppression", 1, 1, 1, 1);
    DrawTextUtf8(gFont, 0, 0, kNames[1], 1, 1, 1, 1);
    DrawDay(3);
  }
  DrawShown(0, Advice(2));
  DrawShown(0, "[");
  DrawShown(0, "Handed over as it stands");
  DrawShown(0, kWords[0]);
  DrawShown(0, Tr("Translated first"));
}
)src");
  std::vector<std::string> found;
  for (const UntranslatedShow& u : FindTextsShownUntranslated(dir.path()))
    found.push_back(u.where + " " + (u.isCall ? u.what + "()" : u.what));
  // Fit(line) hands on a text translated already; DrawDay's digits and "[" hold no words.
  EXPECT_EQ(found, (std::vector<std::string>{"app/card.cpp:21 Line()", "app/card.cpp:22 Literal under suppression",
                                             "app/card.cpp:23 Db", "app/card.cpp:28 Handed over as it stands",
                                             "app/card.cpp:29 Warm-up", "app/card.cpp:29 Study"}));
}

// A message kept in a global and drawn as it stands is English in every language unless each text
// stored there was translated first: stored directly, through a function that stores its parameter,
// or returned by a function. A stand-in compared with where the global is read is dealt with there.
TEST(UiTextCollection, FindsEnglishStoredInAGlobalDrawnAsItStands) {
  TempDir dir;
  WriteFileBytes(dir.File("app/panel.cpp"), R"src(
std::string gPanelMessage, gGroupName;
static const char kUnnamed[] = "your group";
void DrawShown(float x, const std::string& shown) {
  ScopedTrSuppress already;
  DrawTextUtf8(gFont, x, 0, shown, 1, 1, 1, 1);
}
std::string GroupShown() { return gGroupName == kUnnamed ? Tr(kUnnamed) : gGroupName; }
void DrawPanel() {
  const std::string group = GroupShown();
  DrawShown(0, gPanelMessage);
  DrawShown(0, group);
}
static void SetMessage(const std::string& text) { gPanelMessage = text; }
static std::string SavedOr(bool saved) { return saved ? Tr("Saved") : "Disk full"; }
void Store(bool saved, const std::string& name) {
  gPanelMessage = "Export failed";
  gPanelMessage = Tr("Export done");
  gPanelMessage = SavedOr(saved);
  SetMessage("Set as it is");
  SetMessage(Tr("Set translated"));
  gGroupName = name.empty() ? kUnnamed : name;
}
)src");
  std::vector<std::string> found;
  for (const UntranslatedShow& u : FindTextsShownUntranslated(dir.path()))
    found.push_back(u.where + " " + u.what);
  EXPECT_EQ(found, (std::vector<std::string>{"app/panel.cpp:20 Set as it is", "app/panel.cpp:17 Export failed",
                                             "app/panel.cpp:19 Disk full"}));
}

TEST(UiTextCollection, NoTextMeantForTranslationIsShownWhereTranslationIsSuppressed) {
  auto kept = ReadKeptTexts(Root() + "/translations/untranslated_ui_texts.tsv");
  std::vector<std::string> found;
  for (const UntranslatedShow& u : FindTextsShownUntranslated(Root())) {
    auto keptIn = kept.find(u.what);
    if (!u.isCall && keptIn != kept.end() && keptIn->second.size() == std::size(kTags)) continue;
    if (!u.isCall && std::regex_match(u.what, std::regex("[A-G][b#]?m?"))) continue;  // a key's name
    found.push_back(u.where + ": " + (u.isCall ? u.what + "() translates under suppression" : "\"" + u.what + "\" drawn untranslated"));
  }
  EXPECT_TRUE(found.empty()) << "translate first, then draw or measure the result under suppression:\n" << Joined(found);
}

TEST(TranslationFiles, EveryUiTextHasAValueInEveryShippedFile) {
  std::vector<UiText> texts = CollectUiTexts(Root(), TONVARRA_LIBRARY_DIR);
  auto kept = ReadKeptTexts(Root() + "/translations/untranslated_ui_texts.tsv");
  for (const auto& [text, codes] : kept) EXPECT_NE(Find(texts, text), nullptr) << "kept, but no longer shown: " << text;

  std::vector<std::string> absent;
  std::vector<LanguageFile> files = ReadLanguageFiles(Root() + "/translations/locales", &absent);
  for (const LanguageFile& f : files)
    for (const TranslationLineProblem& p : f.problems) ADD_FAILURE() << f.tag << ".json:" << p.line << ": " << p.why;
  if (!absent.empty()) {
    std::string tags;
    for (const std::string& t : absent) tags += " " + t;
    if (kTranslationSetComplete) ADD_FAILURE() << "no translation file for:" << tags;
    std::cout << "[ note ] no translation file yet for:" << tags << "\n";
  }
  std::vector<std::string> report = MissingValues(texts, files, kept);
  if (kTranslationSetComplete) {
    EXPECT_TRUE(report.empty()) << Joined(report);
  } else if (!report.empty()) {
    std::cout << "[ note ] " << report.size() << " texts lack a value somewhere:\n" << Joined(report);
  }

  // Through the real lookup, as the program finds the files beside it: each file's value, every
  // template's conversions kept, and the kept names as they are.
  ScopedExeDir exe(Root() + "/translations");
  ResetTranslationFileForTesting();
  for (const LanguageFile& f : files) {
    std::lock_guard<std::recursive_mutex> lock(gTrMutex);
    gUiLanguage = f.tag;
    std::string code = LanguageCodeOf(f.tag);
    for (const UiText& u : texts) {
      auto it = f.map.find(u.text);
      if (!HasWords(u.text)) continue;
      if (kept.count(u.text) && kept[u.text].count(code)) {
        EXPECT_EQ(Tr(u.text), u.text) << f.tag << " changes a text that stays as it is";
        continue;
      }
      if (it == f.map.end() || it->second.empty()) continue;
      EXPECT_EQ(Tr(u.text), it->second) << f.tag << ": " << u.text;
      if (u.isTemplate) EXPECT_EQ(FormatSignature(it->second), FormatSignature(u.text)) << f.tag << ": " << u.text;
    }
  }
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  gUiLanguage = "en-US";
  ResetTranslationFileForTesting();
}

// The named places of a template ("{day}", "{year}"), each once.
std::set<std::string> Places(const std::string& text) {
  std::set<std::string> places;
  for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
    size_t close = text.find('}', open);
    if (close == std::string::npos) break;
    places.insert(text.substr(open, close - open + 1));
  }
  return places;
}

TEST(TranslationFiles, EveryTemplateWithNamedPlacesKeepsThemInEveryFile) {
  std::vector<UiText> texts = CollectUiTexts(Root(), "");
  std::vector<LanguageFile> files = ReadLanguageFiles(Root() + "/translations/locales", nullptr);
  int templates = 0;
  std::vector<std::string> report;
  for (const UiText& u : texts) {
    std::set<std::string> places = Places(u.text);
    if (places.empty()) continue;
    ++templates;
    for (const LanguageFile& f : files) {
      auto it = f.map.find(u.text);
      if (it != f.map.end() && !it->second.empty() && Places(it->second) != places)
        report.push_back(f.tag + ": \"" + u.text + "\" -> \"" + it->second + "\"");
    }
  }
  EXPECT_GE(templates, 13) << "the long dates and the month heading";
  EXPECT_TRUE(report.empty()) << "a place lost, renamed or added:\n" << Joined(report);
}

TEST(TranslationFiles, ANewTextWithoutValuesIsNamedWithTheLanguagesLackingIt) {
  TempDir dir;
  WriteFileBytes(dir.File("app/a.cpp"), "void F() { Tr(\"Old text\"); Tr(\"New text\"); Tr(\"MIDI\"); }\n");
  WriteFileBytes(dir.File("locales/de-DE.json"), "{\n  \"Old text\": \"Alter Text\",\n  \"New text\": \"Neuer Text\"\n}\n");
  WriteFileBytes(dir.File("locales/fr-FR.json"), "{\n  \"Old text\": \"Ancien texte\",\n  \"MIDI\": \"MIDI\"\n}\n");
  WriteFileBytes(dir.File("locales/ja-JP.json"), "{\n  \"Old text\": \"古い\",\n  \"New text\": \"\"\n}\n");
  WriteFileBytes(dir.File("kept.tsv"), "Old text\tall\ta row above the heading\n# UI texts that stay as they are\nMIDI\tall\ta standard's name\n");
  std::vector<UiText> texts;
  for (const UiText& u : CollectUiTexts(dir.path(), ""))
    if (u.where.rfind("app/", 0) == 0) texts.push_back(u);
  auto files = ReadLanguageFiles(dir.File("locales"), nullptr);
  ASSERT_EQ(files.size(), 3u);
  std::vector<std::string> report = MissingValues(texts, files, ReadKeptTexts(dir.File("kept.tsv")));
  EXPECT_EQ(report, (std::vector<std::string>{"\"MIDI\" stays as it is, but is listed in: fr-FR",
                                              "\"New text\" (app/a.cpp:1) has no value in: fr-FR ja-JP"}));
}

TEST(TranslationFiles, BrokenLinesAreNamedByNumberAndSkippedOneByOne) {
  TempDir dir;
  WriteFileBytes(dir.File("locales/de-DE.json"),
                 "{\n"                                                  // 1
                 "  \"Speed\": \"Tempo\",\n"                            // 2
                 "  \"Repeat: \"Wiederholen\",\n"                       // 3 the key's quote is missing
                 "  \"Shuffle\" \"Zufall\",\n"                          // 4 no colon
                 "  \"Learn\": \"Lernen,\n"                             // 5 the value never closes
                 "  \"Song\": 12,\n"                                    // 6 not a string
                 "  \"Cleared %d\": \"%s gelöscht\",\n"                 // 7 another conversion
                 "  \"Removed %s\": \"%s entfernt\",\n"                 // 8
                 "  \"\": \"leer\",\n"                                  // 9 empty key
                 "  \"Filter\": \"Filter\"\n"                           // 10
                 "}\n");
  DebugCapture log;
  std::unordered_map<std::string, std::string> map;
  std::vector<TranslationLineProblem> problems;
  ASSERT_TRUE(ReadTranslationFile(dir.File("locales/de-DE.json"), map, &problems));
  std::vector<int> lines;
  for (const TranslationLineProblem& p : problems) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<int>{3, 4, 5, 6, 7, 9}));
  EXPECT_TRUE(log.Contains("de-DE.json:7: the translation's % conversions differ"));
  // The lines around the broken ones are taken, through the real lookup too.
  ScopedExeDir exe(dir.path());
  ResetTranslationFileForTesting();
  std::lock_guard<std::recursive_mutex> lock(gTrMutex);
  gUiLanguage = "de-DE";
  EXPECT_EQ(Tr("Speed"), "Tempo");
  EXPECT_EQ(TrF("Removed %s", "Ada"), "Ada entfernt");
  EXPECT_EQ(TrF("Cleared %d", 4), "Cleared 4");
  EXPECT_EQ(Tr("Filter"), "Filter");
  gUiLanguage = "en-US";
  ResetTranslationFileForTesting();
}

}  // namespace

// A scale name without a value in a file falls back to the built-in word table, whose Russian and
// Ukrainian are romanised: "Chromatic" showed as "Khromatychnyi" in a Cyrillic list. Every name of
// the catalogue has its own value in every file, unless it is kept as it is for that language.
TEST(TranslationFiles, EveryScaleNameHasAValueInEveryShippedFile) {
  const std::string source = ReadFileBytes(Root() + "/theory/scale_rows.cpp");
  std::vector<std::string> names;
  static const std::regex kRow("BuildRow\\(\"([^\"]+)\"");
  for (auto it = std::sregex_iterator(source.begin(), source.end(), kRow); it != std::sregex_iterator(); ++it)
    names.push_back((*it)[1]);
  ASSERT_GE(names.size(), 56u);
  auto kept = ReadKeptTexts(Root() + "/translations/untranslated_ui_texts.tsv");
  for (const LanguageFile& f : ReadLanguageFiles(Root() + "/translations/locales", nullptr))
    for (const std::string& name : names) {
      auto keptIn = kept.find(name);
      if (keptIn != kept.end() && keptIn->second.count(LanguageCodeOf(f.tag))) continue;
      auto it = f.map.find(name);
      EXPECT_TRUE(it != f.map.end() && !it->second.empty()) << f.tag << " has no value for the scale \"" << name << "\"";
    }
}

// A card's "Day %d/%d" counts the blocks of the day the lesson panel shows, which may be a past or
// a planned one: it does not call that day today ("Vandaag: 2/5" on a card of last week), nor begin
// as the language begins a date, where the share reads as one ("Ngày 2/5" is the second of May).
TEST(TranslationFiles, ACardsShareOfItsDayNeitherSaysTodayNorReadsAsADate) {
  // ASCII letters of either case alike; the bytes of other letters as they are.
  auto lower = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
  };
  // Whether the word stands in the text on its own, not inside a longer word.
  auto holdsWord = [](const std::string& text, const std::string& word) {
    auto letter = [](unsigned char c) { return std::isalpha(c) || c >= 0x80; };
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
      bool joinedBefore = at > 0 && letter(static_cast<unsigned char>(text[at - 1]));
      size_t end = at + word.size();
      bool joinedAfter = end < text.size() && letter(static_cast<unsigned char>(text[end]));
      if (!joinedBefore && !joinedAfter) return true;
    }
    return false;
  };
  std::vector<LanguageFile> files = ReadLanguageFiles(Root() + "/translations/locales", nullptr);
  ASSERT_FALSE(files.empty());
  for (const LanguageFile& f : files) {
    auto value = [&](const char* key) {
      auto it = f.map.find(key);
      return it == f.map.end() ? std::string() : lower(it->second);
    };
    const std::string share = value("Day %d/%d");
    ASSERT_FALSE(share.empty()) << f.tag;
    for (const char* today : {"Today", "today"})
      if (!value(today).empty()) EXPECT_FALSE(holdsWord(share, value(today))) << f.tag << ": " << share;
    const std::string date = value("{month} {day}, {year}");
    std::string lead = date.substr(0, date.find("{day}"));
    while (!lead.empty() && lead.back() == ' ') lead.pop_back();
    if (!lead.empty() && lead.find('{') == std::string::npos)
      EXPECT_NE(share.rfind(lead, 0), 0u) << f.tag << ": \"" << share << "\" begins as a date does";
  }
}
