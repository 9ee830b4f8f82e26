// The lesson library the build writes beside the program: every row, file, plan entry, graph
// edge and score is usable by the program's own readers.
#include <cstdlib>
#include <filesystem>
#include <set>

#include "learning/library_text.h"
#include "midi/midi_file.h"
#include "tests/learning/learning_fixture.h"
#include "theory/circle_theory.h"

namespace fs = std::filesystem;

class ShippedLibraryTest : public LearningTest {
 protected:
  void SetUp() override {
    const char* binary = std::getenv("TONVARRA_BINARY");
    ASSERT_NE(binary, nullptr);
    shipped_ = fs::path(binary).parent_path() / "MIDI" / "Library";
    ASSERT_TRUE(fs::exists(shipped_ / "library_index.tsv")) << shipped_;
    fs::create_directories(dir_.File("MIDI"));
    fs::create_directory_symlink(shipped_, dir_.File("MIDI/Library"));
    LoadLibraryIndex();
    LoadLessonPlan();
  }
  std::set<std::pair<std::string, std::string>> Skills() const {
    std::set<std::pair<std::string, std::string>> skills;
    for (const LibraryItem& item : gLibraryItems) skills.insert({item.category, item.type});
    return skills;
  }
  fs::path shipped_;
};

TEST_F(ShippedLibraryTest, EveryRowLoadsAndEveryFilePlaysAtItsTempo) {
  std::string index = ReadFileBytes((shipped_ / "library_index.tsv").string());
  size_t rows = std::count(index.begin(), index.end(), '\n') - 1;
  ASSERT_EQ(gLibraryItems.size(), rows);
  EXPECT_GE(rows, 120u);
  EXPECT_LE(rows, 180u);
  std::set<std::string> ids, sections;
  for (const LibraryItem& item : gLibraryItems) {
    EXPECT_TRUE(ids.insert(item.id).second) << item.id;
    sections.insert(item.category);
    std::vector<SongEvent> events;
    std::vector<TempoPoint> tempo;
    int key;
    bool minor;
    std::string error;
    ASSERT_TRUE(ParseMidiFile((shipped_ / item.file).string(), events, tempo, key, minor, error)) << item.file << error;
    ASSERT_EQ(tempo.size(), 1u) << item.file;
    EXPECT_EQ(tempo[0].bpm, item.authored_bpm) << item.file;
    EXPECT_GE(item.target_bpm, 1);
    // The key signature names the major key (a minor item's relative major).
    bool minorItem = item.name.find("minor") != std::string::npos;
    EXPECT_EQ(key, minorItem ? (item.key_pitch_class + 3) % 12 : item.key_pitch_class) << item.file;
  }
  EXPECT_EQ(sections, (std::set<std::string>{"foundations", "scales", "chords", "mechanics", "sight", "etude", "repertoire"}));
}

TEST_F(ShippedLibraryTest, PlanAndGraphNameOnlyWhatTheLibraryHolds) {
  EXPECT_GE(gLessonPlan.size(), 20u);
  EXPECT_LE(gLessonPlan.size(), 30u);
  std::set<std::string> planned;
  for (const auto& [number, lesson] : gLessonPlan) {
    EXPECT_FALSE(lesson.title.empty());
    EXPECT_EQ(lesson.title.find("&amp;"), std::string::npos);
    for (const std::string& id : lesson.ids) {
      EXPECT_TRUE(IsKnownItemId(id)) << id;
      planned.insert(id);
    }
  }
  EXPECT_EQ(planned.size(), gLibraryItems.size()) << "every item is taught by some lesson";
  // Each section's types are taught in the order they unlock: no lesson teaches a type before an
  // earlier type of its section has started.
  for (const char* section : {"foundations", "scales", "chords", "mechanics", "sight", "etude", "repertoire"}) {
    std::vector<std::string> types;
    CollectCategoryTypes(types, section);
    size_t reached = 0;
    for (const auto& [number, lesson] : gLessonPlan)
      for (const std::string& id : lesson.ids) {
        const LibraryItem* item = FindLibraryItem(id);
        if (item->category != section) continue;
        size_t t = std::find(types.begin(), types.end(), item->type) - types.begin();
        EXPECT_LE(t, reached + 1) << id;
        reached = std::max(reached, t);
      }
  }
  std::vector<std::string> lines = {};
  std::string graph = ReadFileBytes((shipped_ / "skill_graph.tsv").string());
  auto skills = Skills();
  size_t start = graph.find('\n') + 1, edges = 0;
  while (start < graph.size()) {
    size_t end = graph.find('\n', start);
    std::vector<std::string> f = SplitTabs(graph.substr(start, end - start));
    ASSERT_EQ(f.size(), 4u);
    EXPECT_TRUE(skills.count({f[0], DecodeHtmlEntities(f[1])})) << f[0] << "/" << f[1];
    EXPECT_TRUE(skills.count({f[2], DecodeHtmlEntities(f[3])})) << f[2] << "/" << f[3];
    ++edges;
    start = end + 1;
  }
  EXPECT_GE(edges, skills.size() - 7);
}

TEST_F(ShippedLibraryTest, ScoresMatchTheirSongsAndScaleKeysAreTheCirclesNames) {
  int scores = 0;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.category == "sight") {
      std::string midi = (shipped_ / item.file).string();
      ASSERT_TRUE(LoadSightScore(midi + ".sightscore.tsv")) << item.file;
      std::vector<SongEvent> events;
      std::vector<TempoPoint> tempo;
      int key;
      bool minor;
      std::string error;
      ASSERT_TRUE(ParseMidiFile(midi, events, tempo, key, minor, error));
      std::vector<int> played, written;
      for (const SongEvent& e : events)
        if ((e.status & 0xF0) == 0x90 && e.data2 > 0) played.push_back(e.data1);
      for (const SightScoreNote& n : gSightScore.notes) {
        written.push_back(n.midi_note);
        // The spelling names the same key: letter, accidental and octave give the MIDI number.
        static const int kLetterPc[7] = {0, 2, 4, 5, 7, 9, 11};
        EXPECT_EQ(12 * (n.octave + 1) + kLetterPc[n.letter] + n.accidental, n.midi_note) << item.file;
      }
      EXPECT_EQ(played, written) << item.file;
      EXPECT_DOUBLE_EQ(gSightScore.tempo, item.authored_bpm);
      ++scores;
    }
    if (item.category == "scales") {
      bool circleName = false;
      for (const char* name : kKeyNamesByRing) circleName |= item.key_name == name;
      EXPECT_TRUE(circleName) << item.id << " " << item.key_name;
    }
  }
  EXPECT_GE(scores, 10);
}

TEST_F(ShippedLibraryTest, AnAeolianAchievementOnFSharpCreditsTheFSharpMinorScales) {
  int credited = CreditScaleAchievement("Aeolian", 6);
  EXPECT_GE(credited, 1);
  for (const LibraryItem& item : gLibraryItems) {
    bool matches = item.category == "scales" && item.type == "Natural Minor Scales" && item.key_name == "F#";
    EXPECT_EQ(IsItemMastered(item), matches) << item.id;
  }
}
