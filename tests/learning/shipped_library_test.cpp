// The lesson library the build writes beside the program: every row, file, plan entry, graph
// edge and score is usable by the program's own readers.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "learning/library_text.h"
#include "midi/midi_file.h"
#include "tests/learning/learning_fixture.h"
#include "theory/circle_theory.h"

namespace fs = std::filesystem;

namespace {

// One sounding note of a shipped file, timed in the file's beats: the quarter notes of its tempo,
// which are the clicks of the program's metronome.
struct ShippedNote {
  double beat = 0.0;
  double endBeat = 0.0;
  int midi = 0;
  bool leftHand = false;
};

std::vector<ShippedNote> ReadShippedNotes(const std::string& path) {
  std::vector<SongEvent> events;
  std::vector<TempoPoint> tempo;
  int key;
  bool minor;
  std::string error;
  std::vector<ShippedNote> notes;
  if (!ParseMidiFile(path, events, tempo, key, minor, error) || tempo.size() != 1) return notes;
  const double beatsPerMs = tempo[0].bpm / 60000.0;
  std::map<std::pair<int, int>, size_t> sounding;   // (channel, note) to its entry in notes
  for (const SongEvent& e : events) {
    std::pair<int, int> k{e.status & 0x0F, e.data1};
    if ((e.status & 0xF0) == 0x90 && e.data2 > 0) {
      sounding[k] = notes.size();
      notes.push_back({e.timeMs * beatsPerMs, e.timeMs * beatsPerMs, e.data1, (e.status & 0x0F) == 1});
    } else if (sounding.count(k)) {
      notes[sounding[k]].endBeat = e.timeMs * beatsPerMs;
      sounding.erase(k);
    }
  }
  return notes;
}

// The file's time signature event: numerator, power of two of the denominator, clocks per click,
// notated 32nd notes per file quarter; zeros when the file has none.
std::array<int, 4> ReadTimeSignature(const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  size_t at = bytes.find("\xFF\x58\x04");
  if (at == std::string::npos || at + 7 > bytes.size()) return {0, 0, 0, 0};
  return {(unsigned char)bytes[at + 3], (unsigned char)bytes[at + 4], (unsigned char)bytes[at + 5],
          (unsigned char)bytes[at + 6]};
}

// Beats of the file (its quarter notes) in one bar of its time signature.
double FileBeatsPerBar(const std::array<int, 4>& signature) {
  return signature[0] * 32.0 / ((1 << signature[1]) * signature[3]);
}

bool IsBlackKey(int midi) {
  static const bool kBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
  return kBlack[midi % 12];
}

// The right hand's top note at each onset, in order: the line a reader follows.
std::vector<int> RightHandLine(const std::vector<ShippedNote>& notes) {
  std::map<double, int> top;
  for (const ShippedNote& n : notes)
    if (!n.leftHand) top[std::round(n.beat * 1000.0)] = std::max(top[std::round(n.beat * 1000.0)], n.midi);
  std::vector<int> line;
  for (const auto& [beat, midi] : top) line.push_back(midi);
  return line;
}

}  // namespace

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
  // The graph's edges, decoded: skill category and type, then the category and type it needs.
  std::vector<std::array<std::string, 4>> SkillEdges() const {
    std::vector<std::array<std::string, 4>> edges;
    std::string graph = ReadFileBytes((shipped_ / "skill_graph.tsv").string());
    for (size_t start = graph.find('\n') + 1, end; start < graph.size(); start = end + 1) {
      end = std::min(graph.find('\n', start), graph.size());
      std::vector<std::string> f = SplitTabs(graph.substr(start, end - start));
      if (f.size() == 4) edges.push_back({f[0], DecodeHtmlEntities(f[1]), f[2], DecodeHtmlEntities(f[3])});
    }
    return edges;
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
    // The key signature names the item's key, a minor item's as minor; a scale of neither mode is
    // written under no signature, which reads as C major.
    bool minorItem = item.name.find("minor") != std::string::npos;
    bool keyless = item.type == "Chromatic Scales" || item.type == "Whole Tone Scales";
    EXPECT_EQ(key, keyless ? 0 : item.key_pitch_class) << item.file;
    EXPECT_EQ(minor, !keyless && minorItem) << item.file;
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

TEST_F(ShippedLibraryTest, EveryItemEndsOnABarLine) {
  for (const LibraryItem& item : gLibraryItems) {
    std::string path = (shipped_ / item.file).string();
    std::vector<ShippedNote> notes = ReadShippedNotes(path);
    ASSERT_FALSE(notes.empty()) << item.file;
    double lastRelease = 0.0;
    for (const ShippedNote& n : notes) lastRelease = std::max(lastRelease, n.endBeat);
    // A note is let go a little before its written end, so the written end is the next beat.
    double end = std::ceil(lastRelease - 1e-6);
    double bar = FileBeatsPerBar(ReadTimeSignature(path));
    ASSERT_GT(bar, 0.0) << item.file;
    EXPECT_NEAR(std::fmod(end, bar), 0.0, 1e-6) << item.id << " ends " << end << " beats into bars of " << bar;
  }
}

TEST_F(ShippedLibraryTest, ReadingStaysOnItsStaff) {
  // Staff steps count letters from C0: the bottom and top lines of each staff.
  const struct {
    const char* type;
    int bottomLine, topLine;   // treble E4 and F5, bass G2 and A3
    int staff;
  } kStaves[] = {{"Treble Reading", 7 * 4 + 2, 7 * 5 + 3, 0}, {"Bass Reading", 7 * 2 + 4, 7 * 3 + 5, 1}};
  for (const auto& staff : kStaves) {
    int items = 0;
    for (const LibraryItem& item : gLibraryItems) {
      if (item.type != staff.type) continue;
      ASSERT_TRUE(LoadSightScore((shipped_ / item.file).string() + ".sightscore.tsv")) << item.file;
      size_t onStaff = 0;
      for (const SightScoreNote& n : gSightScore.notes) {
        int step = 7 * n.octave + n.letter;
        EXPECT_EQ(n.staff, staff.staff) << item.id;
        // Never further off than one ledger line.
        EXPECT_GE(step, staff.bottomLine - 2) << item.id << " midi " << n.midi_note;
        EXPECT_LE(step, staff.topLine + 2) << item.id << " midi " << n.midi_note;
        onStaff += step >= staff.bottomLine && step <= staff.topLine;
      }
      EXPECT_GE(4 * onStaff, 3 * gSightScore.notes.size()) << item.id << " has most notes off the staff";
      ++items;
    }
    EXPECT_GE(items, 6) << staff.type;
  }
}

TEST_F(ShippedLibraryTest, LessonsTeachEasyLevelsFirstAndNothingBeforeWhatItNeeds) {
  // Places in the plan: lesson number, then row within the lesson.
  std::map<std::string, std::pair<int, size_t>> placeOf;
  std::map<std::pair<std::string, std::string>, std::pair<int, size_t>> firstPlace;
  std::map<std::pair<std::string, std::string>, int> levelSoFar;
  for (const auto& [number, lesson] : gLessonPlan)
    for (size_t row = 0; row < lesson.ids.size(); ++row) {
      const LibraryItem* item = FindLibraryItem(lesson.ids[row]);
      ASSERT_NE(item, nullptr) << lesson.ids[row];
      placeOf.emplace(item->id, std::make_pair(number, row));
      std::pair<std::string, std::string> skill{item->category, item->type};
      firstPlace.emplace(skill, std::make_pair(number, row));
      EXPECT_GE(item->level, levelSoFar[skill]) << item->id << " in lesson " << number << " comes after harder " << item->type;
      levelSoFar[skill] = std::max(levelSoFar[skill], item->level);
    }
  auto edges = SkillEdges();
  ASSERT_FALSE(edges.empty());
  for (const auto& [category, type, needsCategory, needsType] : edges) {
    ASSERT_TRUE(firstPlace.count({needsCategory, needsType})) << needsType;
    const std::pair<int, size_t> first = firstPlace[{needsCategory, needsType}];
    for (const LibraryItem& item : gLibraryItems)
      if (item.category == category && item.type == type)
        EXPECT_GT(placeOf[item.id], first) << item.id << " in lesson " << placeOf[item.id].first << " comes before "
                                           << needsType << " starts in lesson " << first.first;
  }
}

TEST_F(ShippedLibraryTest, ComposedPiecesKeepTheirBassBelowMiddleC) {
  int items = 0;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.type != "Short Etudes" && item.type != "Character Pieces") continue;
    for (const ShippedNote& n : ReadShippedNotes((shipped_ / item.file).string()))
      if (n.leftHand) EXPECT_LT(n.midi, 60) << item.id << " bass at beat " << n.beat;
    ++items;
  }
  EXPECT_GE(items, 10);
}

TEST_F(ShippedLibraryTest, AHarderEtudeIsNotAnEasierOneInAnotherKey) {
  // An etude's right hand as beats and distances from its first note: the same in any key.
  std::vector<std::pair<const LibraryItem*, std::vector<std::pair<double, int>>>> shapes;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.type != "Short Etudes") continue;
    std::vector<std::pair<double, int>> shape;
    for (const ShippedNote& n : ReadShippedNotes((shipped_ / item.file).string()))
      if (!n.leftHand) shape.push_back({std::round(n.beat * 100.0), n.midi});
    ASSERT_FALSE(shape.empty()) << item.id;
    const int first = shape.front().second;
    for (auto& [beat, midi] : shape) midi -= first;
    shapes.push_back({&item, shape});
  }
  ASSERT_GE(shapes.size(), 2u);
  for (size_t a = 0; a < shapes.size(); ++a)
    for (size_t b = a + 1; b < shapes.size(); ++b)
      if (shapes[a].first->level != shapes[b].first->level)
        EXPECT_NE(shapes[a].second, shapes[b].second) << shapes[a].first->id << " and " << shapes[b].first->id;
}

TEST_F(ShippedLibraryTest, TheSongWithoutWordsHasALineToSing) {
  int items = 0;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.form != "Song Without Words") continue;
    std::vector<int> line = RightHandLine(ReadShippedNotes((shipped_ / item.file).string()));
    ASSERT_GE(line.size(), 16u) << item.id;
    // A line moves mostly by step, spans a sixth or more and comes home to the tonic.
    size_t steps = 0;
    for (size_t i = 1; i < line.size(); ++i) steps += std::abs(line[i] - line[i - 1]) <= 2 && line[i] != line[i - 1];
    EXPECT_GE(4 * steps, 3 * (line.size() - 1)) << item.id << ": " << steps << " steps in " << line.size() << " notes";
    EXPECT_GE(*std::max_element(line.begin(), line.end()) - *std::min_element(line.begin(), line.end()), 9) << item.id;
    EXPECT_EQ(line.back() % 12, item.key_pitch_class) << item.id;
    ++items;
  }
  EXPECT_GE(items, 1);
}

TEST_F(ShippedLibraryTest, ThumbCrossingFingeringsKeepTheThumbOffTheBlackKeys) {
  int items = 0;
  for (const LibraryItem& item : gLibraryItems) {
    if (item.type != "Thumb Crossing") continue;
    std::vector<int> fingers;
    for (char c : item.subtitle)
      if (c >= '1' && c <= '5') fingers.push_back(c - '0');
    std::vector<ShippedNote> notes = ReadShippedNotes((shipped_ / item.file).string());
    ASSERT_GE(fingers.size(), 6u) << item.id;
    ASSERT_GE(notes.size(), fingers.size()) << item.id;
    // The subtitle fingers the rising run that opens the drill, one finger per note.
    for (size_t i = 0; i < fingers.size(); ++i) {
      if (i > 0) EXPECT_GT(notes[i].midi, notes[i - 1].midi) << item.id;
      if (fingers[i] == 1) EXPECT_FALSE(IsBlackKey(notes[i].midi)) << item.id << ": thumb on " << notes[i].midi;
      if (i > 0 && fingers[i] != 1) EXPECT_EQ(fingers[i], fingers[i - 1] + 1) << item.id;
    }
    ++items;
  }
  EXPECT_EQ(items, 4);
}

TEST_F(ShippedLibraryTest, CompoundTunesClickOnTheirDottedQuarters) {
  // Tunes in 6/8: the metronome clicks the file's quarter note, which must be the dotted quarter.
  const std::set<std::string> kCompoundTunes = {"rep_folk_row_your_boat"};
  for (const LibraryItem& item : gLibraryItems) {
    std::string path = (shipped_ / item.file).string();
    std::array<int, 4> signature = ReadTimeSignature(path);
    bool compound = signature[1] == 3 && signature[0] % 3 == 0;
    EXPECT_EQ(compound, kCompoundTunes.count(item.id) == 1) << item.id << " " << signature[0] << "/" << (1 << signature[1]);
    if (!compound) continue;
    EXPECT_EQ(signature[3], 12) << item.id << ": the file's quarter is not the dotted quarter";
    EXPECT_EQ(signature[2], 24) << item.id << ": the click is not the file's quarter";
    for (const ShippedNote& n : ReadShippedNotes(path)) {
      // Every note starts on a click or on one of the eighths between clicks.
      double thirds = n.beat * 3.0;
      EXPECT_NEAR(thirds, std::round(thirds), 0.01) << item.id << " note at beat " << n.beat;
      if (n.endBeat - n.beat > 0.9) EXPECT_NEAR(n.beat, std::round(n.beat), 0.01) << item.id << " dotted quarter off the click";
    }
  }
}

TEST_F(ShippedLibraryTest, RightHandStaysNearTheStaffUpToIntermediate) {
  const int kTwoLedgerLinesAbove = 86;   // D6
  for (const LibraryItem& item : gLibraryItems) {
    std::vector<int> line = RightHandLine(ReadShippedNotes((shipped_ / item.file).string()));
    if (line.empty()) continue;
    if (item.level <= 3)
      EXPECT_LE(*std::max_element(line.begin(), line.end()), kTwoLedgerLinesAbove) << item.id;
    // The closing note belongs to the register the piece was in.
    if (line.size() >= 2) EXPECT_LE(std::abs(line.back() - line[line.size() - 2]), 12) << item.id;
  }
}

TEST_F(ShippedLibraryTest, LevelsRiseWithThePlanAndBeginnerScalesUseFewBlackKeys) {
  for (const char* section : {"foundations", "scales", "chords", "mechanics", "sight", "etude", "repertoire"}) {
    std::vector<std::string> types;
    CollectCategoryTypes(types, section);
    int before = 0;
    for (const std::string& type : types) {
      int lowest = 99;
      for (const LibraryItem& item : gLibraryItems)
        if (item.category == section && item.type == type) lowest = std::min(lowest, item.level);
      EXPECT_GE(lowest, before) << section << ": " << type << " starts below the types taught before it";
      before = lowest;
    }
  }
  for (const LibraryItem& item : gLibraryItems) {
    if (item.category != "scales" || item.level > 1) continue;
    std::set<int> black;
    for (const ShippedNote& n : ReadShippedNotes((shipped_ / item.file).string()))
      if (IsBlackKey(n.midi)) black.insert(n.midi % 12);
    EXPECT_LE(black.size(), 4u) << item.id << " is a Beginner scale";
  }
}

TEST_F(ShippedLibraryTest, TheSaintsLastLineComesInLikeItsFirst) {
  const LibraryItem* saints = FindLibraryItem("rep_folk_saints");
  ASSERT_NE(saints, nullptr);
  std::vector<ShippedNote> notes = ReadShippedNotes((shipped_ / saints->file).string());
  ASSERT_GE(notes.size(), 8u);
  // Each line comes in after a rest; the last line's pickup rises to "saints" as the first does.
  size_t last = 0;
  for (size_t i = 1; i < notes.size(); ++i)
    if (notes[i].beat - notes[i - 1].endBeat > 0.5) last = i;
  ASSERT_GT(last, 0u);
  ASSERT_LE(last + 4, notes.size());
  for (size_t k = 0; k < 4; ++k) EXPECT_EQ(notes[last + k].midi, notes[k].midi) << "note " << k;
}
