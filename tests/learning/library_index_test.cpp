// The library index in its layouts, the text rules of its columns, and sight-reading scores.
#include "learning/library_text.h"
#include "tests/learning/learning_fixture.h"

namespace {

// A row of n columns: id, level, category, type, name, subtitle, key, -, era, then the rest.
std::string Row(int n, const std::vector<std::string>& overrides = {}) {
  std::vector<std::string> c = {"id1", "2", "scales", "Major Scales", "D major", "sub", "D", "x", "Baroque",
                                "Prelude", "Harmony &amp; Modulation", "s/d.mid", "90", "", "0", "1.5",
                                "lh", "t17", "t18", "t19", "extra"};
  for (size_t i = 0; i + 1 < overrides.size(); i += 2) c[std::stoi(overrides[i])] = overrides[i + 1];
  std::string row;
  for (int i = 0; i < n; ++i) row += (i ? "\t" : "") + (i < (int)c.size() ? c[i] : std::string());
  return row;
}

}  // namespace

TEST(LibraryIndex, RowLayouts) {
  struct Case { int columns; std::vector<std::string> overrides; bool kept; const char* category; const char* form;
                const char* file; const char* hand; int authored; int target; float accuracy; float timing; int legacyBpm; };
  const Case cases[] = {
      {9, {}, false, "", "", "", "", 60, 60, 0.9f, 0.85f, 60},
      {10, {"2", "warmup", "4", "Perfect Cadence", "9", "old.mid"}, true, "chords", "Character Piece", "old.mid", "", 60, 60, 0.9f, 0.85f, 60},
      {11, {"2", "warmup", "4", "C major scale", "9", "old.mid"}, true, "scales", "Character Piece", "old.mid", "", 60, 60, 0.9f, 0.85f, 60},
      {10, {"2", "drill", "9", "d.mid"}, true, "mechanics", "Character Piece", "d.mid", "", 60, 60, 0.9f, 0.85f, 60},
      {10, {"2", "etude", "9", "e.mid"}, true, "etude", "Etude", "e.mid", "", 60, 60, 0.9f, 0.85f, 60},
      {12, {}, true, "scales", "Prelude", "s/d.mid", "", 60, 60, 0.9f, 0.85f, 60},
      {17, {}, true, "scales", "Prelude", "s/d.mid", "lh", 60, 60, 0.9f, 0.85f, 60},
      {19, {}, true, "scales", "Prelude", "s/d.mid", "lh", 60, 60, 0.9f, 0.85f, 60},
      {20, {}, true, "scales", "Prelude", "s/d.mid", "lh", 90, 60, 0.01f, 1.0f, 60},
      {21, {"13", "120", "14", "abc"}, true, "scales", "Prelude", "s/d.mid", "lh", 90, 120, 0.01f, 1.0f, 120},
      {20, {"12", "-5"}, true, "scales", "Prelude", "s/d.mid", "lh", 1, 60, 0.01f, 1.0f, 60},
      {12, {"0", ""}, false, "", "", "", "", 60, 60, 0.9f, 0.85f, 60},
      {12, {"11", ""}, false, "", "", "", "", 60, 60, 0.9f, 0.85f, 60},
  };
  for (const Case& c : cases) {
    LibraryItem item;
    std::string row = Row(c.columns, c.overrides);
    ASSERT_EQ(ParseLibraryRow(SplitTabs(row), &item), c.kept) << row;
    if (!c.kept) continue;
    EXPECT_EQ(item.category, c.category) << row;
    EXPECT_EQ(item.form, c.form) << row;
    EXPECT_EQ(item.file, c.file) << row;
    EXPECT_EQ(item.hand, c.hand) << row;
    EXPECT_EQ(item.authored_bpm, c.authored) << row;
    EXPECT_EQ(item.target_bpm, c.target) << row;
    EXPECT_FLOAT_EQ(item.target_accuracy, c.accuracy) << row;
    EXPECT_FLOAT_EQ(item.target_timing, c.timing) << row;
    EXPECT_EQ(item.legacy_target_bpm, c.legacyBpm) << row;
    EXPECT_EQ(item.level, 2);
    EXPECT_EQ(item.key_pitch_class, 2);
    EXPECT_EQ(item.repertoire_category, c.columns < 12 ? item.type : "Harmony & Modulation");
  }
}

TEST_F(LearningTest, IndexLoadsWithMarksCrlfAndSkipsWhatCannotBeKept) {
  WriteFileBytes(Lib("library_index.tsv"), "\xEF\xBB\xBFheader\r\n" + Row(20) + "\r\n\r\n" +
                                               Row(20, {"0", "id2", "11", "b.mid"}) + "\r\n" + Row(5) + "\n" +
                                               Row(20, {"0", "id1", "11", "dup.mid"}));
  AddActive("s");
  WriteData("learning_progress_s.dat", "id1\n");
  DebugCapture log;
  LoadLibraryIndex();
  EXPECT_TRUE(gLibraryLoaded);
  EXPECT_TRUE(log.Contains("library_index.tsv line 5 cannot be read")) << log.Text();
  EXPECT_FALSE(log.Contains("line 3 ")) << "an empty line is no damage";
  EXPECT_EQ(gCompletedItems.count("id1"), 1u) << "the records load with the library";
  ASSERT_EQ(gLibraryItems.size(), 3u);
  EXPECT_EQ(gLibraryItems[1].file, "b.mid") << "no carriage return in the last column";
  EXPECT_EQ(gLibraryItems[1].text19, "t19");
  EXPECT_EQ(gLibraryItems[2].row_index, 2);
  EXPECT_EQ(FindLibraryItem("id1")->file, "s/d.mid") << "the first of two equal ids";
  EXPECT_TRUE(IsKnownItemId("id2"));
  EXPECT_EQ(ListCategoryItemIds("scales"), (std::vector<std::string>{"id1", "id2", "id1"}));
  std::vector<std::string> types = {"Other"};
  CollectCategoryTypes(types, "scales");
  EXPECT_EQ(types, (std::vector<std::string>{"Other", "Major Scales"}));

  // A reload without an index forgets the ids too.
  std::remove(Lib("library_index.tsv").c_str());
  LoadLibraryIndex();
  EXPECT_TRUE(gLibraryItems.empty());
  EXPECT_FALSE(IsKnownItemId("id2"));
}

TEST(LibraryText, EntitiesAndNonAsciiBecomePlainText) {
  struct Case { const char* in; const char* out; } cases[] = {
      {"a&nbsp;b", "a b"}, {"a&ndash;b", "a-b"}, {"&#8220;x&#8221;", "\"x\""}, {"caf&eacute;", "cafe"},
      {"&#x41;&#66;c", "ABc"}, {"&bogus; &amp", "&bogus; &amp"}, {"&averyveryverylongname;", "&averyveryverylongname;"},
      {"R&D", "R&D"}, {"x - ", "x"}, {"a  \t  b", "a \t b"}, {" lead", " lead"}, {"\xE2\x80\x94", ""},
      {"A\xE2\x80\x93" "B", "A - B"}, {"it\xE2\x80\x99s", "it's"}, {"\xC3\xA9t\xC3", "t"}, {"\xF0\x9F\x8E\xB9 ok", " ok"},
      {"&#8212;", ""}, {"a&mdash;b", "a - b"}, {"&hellip;", "..."}, {"&#0;", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeHtmlEntities(c.in), c.out) << c.in;
}

TEST(LibraryText, KeyNamesAndRanks) {
  struct Case { const char* text; int pc; } names[] = {{"Bb", 10}, {"Cs", 1}, {"Fb", 4}, {"H", 12}, {"Cb", 11},
                                                       {"", 12}, {"f#", 6}, {"Gf", 6}};
  for (const Case& c : names) EXPECT_EQ(NoteLetterPitchClass(c.text), c.pc) << c.text;
  struct KeyCase { const char* text; size_t pos; int pc; } keys[] = {
      {"Sonata in E flat", 10, 3}, {"Piece in  F-sharp major", 9, 6}, {"in Bb", 2, 10}, {"in ", 3, 12},
      {"in Xylophone", 2, 12}, {"D Dorian", 0, 2}, {"Eb flat", 0, 3}};
  for (const KeyCase& c : keys) EXPECT_EQ(ParseKeyPitchClass(c.text, c.pos), c.pc) << c.text;
  EXPECT_EQ(EraIndex("Traditional"), 6);
  EXPECT_EQ(EraIndex("traditional"), 99);
  EXPECT_EQ(FormIndex("Melody"), 25);
  EXPECT_EQ(RepertoireCategoryIndex("Voicing & Texture"), 4);
  EXPECT_EQ(RepertoireCategoryIndex(""), 5);
}

TEST_F(LearningTest, SightScoresTakeDefaultsAndKeepTheOldScoreWhenUnreadable) {
  std::string path = dir_.File("s.sightscore.tsv");
  WriteFileBytes(path, "# comment\n\nMETA\t960\t3\t4\t0\t1\t72.5\nNOTE\t1\t2\t3\t64\nNOTE\t0\t0\t0\t61\t0\t2\r\n"
                       "NOTE\t\t\t\t12abc\tx\t-1\t5\t1\t999\t1\t1\t0\nOTHER\t1\n");
  ASSERT_TRUE(LoadSightScore(path));
  EXPECT_EQ(gSightScore.ticks_per_quarter, 960);
  EXPECT_EQ(gSightScore.beats_per_bar, 3);
  EXPECT_TRUE(gSightScore.minor && gSightScore.key_shown);
  EXPECT_DOUBLE_EQ(gSightScore.tempo, 72.5);
  ASSERT_EQ(gSightScore.notes.size(), 3u);
  const SightScoreNote& a = gSightScore.notes[0];
  EXPECT_EQ(a.midi_note, 64);
  EXPECT_EQ(a.letter, 0);
  EXPECT_EQ(a.accidental, 0);
  EXPECT_EQ(a.octave, 4);
  EXPECT_EQ(a.note_value, 3);
  EXPECT_FALSE(a.show_accidental);
  EXPECT_TRUE(gSightScore.notes[1].show_accidental) << "field 5 = 2 and no field 11";
  const SightScoreNote& c = gSightScore.notes[2];
  EXPECT_EQ(c.midi_note, 12);
  EXPECT_EQ(c.letter, 0);
  EXPECT_EQ(c.accidental, -1);
  EXPECT_TRUE(c.dotted);
  EXPECT_EQ(c.note_value, 3) << "999 is not a byte";
  EXPECT_TRUE(c.tied && c.left_hand);
  EXPECT_FALSE(c.show_accidental);

  WriteFileBytes(path, "META\t\t\t\t\t-1\nMETA\t\t\t\t\t\tnope\n");
  EXPECT_FALSE(LoadSightScore(path));
  EXPECT_EQ(gSightScore.ticks_per_quarter, 480);
  EXPECT_EQ(gSightScore.beats_per_bar, 4);
  EXPECT_FALSE(gSightScore.minor);
  EXPECT_TRUE(gSightScore.key_shown) << "the second META line's mode is 0 again";
  EXPECT_DOUBLE_EQ(gSightScore.tempo, 60.0);
  EXPECT_FALSE(gSightScore.active);

  WriteFileBytes(path, "NOTE\t0\t0\t0\t70\n");
  LoadSightScore(path);
  EXPECT_FALSE(LoadSightScore(dir_.File("missing.tsv")));
  EXPECT_TRUE(gSightScore.active);
  EXPECT_EQ(gSightScore.notes[0].midi_note, 70);
}
