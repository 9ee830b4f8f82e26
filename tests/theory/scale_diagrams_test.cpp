// tests/theory: the diagram search over temporary folders, the per-frame update's memory of a
// miss, the tint, and one diagram decoded, tinted and uploaded into a real GL texture.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/gl_offscreen.h"
#include "platform/images.h"
#include "platform/process.h"
#include "platform/virtual_display.h"
#include "tests/support/test_support.h"
#include "tests/theory/theory_fixture.h"
#include "theory/scale_diagram_search.h"
#include "theory/scale_diagrams.h"

namespace {

class ScaleDiagramTest : public TheoryTest {
 protected:
  void SetUp() override {
    TheoryTest::SetUp();
    ResetScaleDiagrams();
    savedCwd_ = ProcessWorkingDir();
    // The roots include the current folder: keep it inside the test's own tree.
    ProcessSetWorkingDir(dir_.path());
  }
  void TearDown() override {
    ProcessSetWorkingDir(savedCwd_);
    ResetScaleDiagrams();
    TheoryTest::TearDown();
  }
  void Touch(const std::string& relative) { WriteFileBytes(dir_.File(relative), "x"); }
  std::string Resolve(ScaleRowId id, int ring, const std::vector<std::string>& roots) {
    DiagramQuery q;
    EXPECT_TRUE(BuildDiagramQuery(&gScaleRows[id], -1, ring, &q));
    return ResolveDiagramPath(q, roots, ring);
  }
  // A small image: white paper with a dark and a light blue stroke.
  static DecodedImage BlueOnWhite() {
    DecodedImage image{4, 1, {255, 255, 255, 255, 20, 30, 110, 255, 120, 150, 230, 255, 0, 0, 0, 0}};
    return image;
  }

  TempDir dir_;
  std::string savedCwd_;
};

TEST_F(ScaleDiagramTest, NamesAndCandidatesComeInTheirOrder) {
  DiagramQuery q;
  ASSERT_TRUE(BuildDiagramQuery(&gScaleRows[kRowDorian], -1, 2, &q));
  EXPECT_EQ(q.modeName, "dorian");
  EXPECT_EQ(q.modeVariants, std::vector<std::string>{"dorian"});
  // Five extensions and six places per name: every thirtieth path starts the next name.
  const char* firstNames[] = {"dorian_D", "dorian-D", "D_dorian", "D-dorian", "dorianD", "D"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(q.primary[i * 30], std::string("dorian/") + firstNames[i] + ".png");
  EXPECT_EQ(q.primary[1], "scales/dorian/dorian_D.png");
  EXPECT_EQ(q.primary[5], "dorian_D.png");
  EXPECT_EQ(q.primary[6], "dorian/dorian_D.jpg");
  EXPECT_FALSE(q.fallback.empty());
  EXPECT_EQ(q.fallback[0], "ionian/ionian_D.png");

  ASSERT_TRUE(BuildDiagramQuery(&gScaleRows[kRowMelodicMinor], -1, 0, &q));
  EXPECT_EQ(q.modeName, "melodic minor");
  std::vector<std::string> start(q.modeVariants.begin(), q.modeVariants.begin() + 8);
  EXPECT_EQ(start, (std::vector<std::string>{"melodic minor", "melodic-minor", "melodic_minor", "melodicminor",
                                             "minor melodic", "minor_melodic", "minor-melodic", "minormelodic"}));
  EXPECT_TRUE(q.fallback.empty()) << "not a church mode";

  // A given church-mode index wins over the row's own.
  ASSERT_TRUE(BuildDiagramQuery(&gScaleRows[kRowIonian], 5, 0, &q));
  EXPECT_EQ(q.modeName, "aeolian");
  EXPECT_FALSE(BuildDiagramQuery(&gScaleRows[kRowIonian], 0, 12, &q));
}

TEST_F(ScaleDiagramTest, KeyNamesTakeTheDiagramSpellingAndTheTwin) {
  struct Case {
    int ring;
    std::vector<std::string> keys;
  } cases[] = {{0, {"C"}}, {6, {"F#", "Gb"}}, {7, {"Db", "C#"}}, {10, {"Bb"}}};
  for (const Case& c : cases) EXPECT_EQ(DiagramKeyNames(c.ring), c.keys) << c.ring;
}

TEST_F(ScaleDiagramTest, WordHelpersOnTrickyText) {
  EXPECT_EQ(SplitWords("  C# dorian-mode_2 "), (std::vector<std::string>{"C#", "dorian", "mode", "2"}));
  EXPECT_TRUE(ContainsAllWords("minor melodic c", {"melodic", "minor"}));
  EXPECT_FALSE(ContainsAllWords("melodic c", {"melodic", "minor"}));
  EXPECT_FALSE(ContainsAllWords("h w anything", {"h", "w"})) << "no word of two letters";
  // Mode as a token scores 2, key as a token 3; a key letter inside a word does not count.
  std::vector<std::string> mode = {"dorian"}, key = {"d"};
  EXPECT_EQ(ScoreDiagramStem("d dorian mode", mode, key), 5);
  EXPECT_EQ(ScoreDiagramStem("dorian", mode, key), 2);
  EXPECT_EQ(ScoreDiagramStem("ddorian", {"dorian", "ddorian"}, key), 2);
  EXPECT_EQ(ScoreDiagramStem("dorian-d", mode, key), 5);
  EXPECT_EQ(ScoreDiagramStem("fsharp lydian", {"lydian"}, {"f#", "fsharp"}), 5);
  std::vector<std::string> names;
  CollectFileNames(names, {"a/b/Dorian_D.png", "dorian_d.png", "x.png"});
  EXPECT_EQ(names, (std::vector<std::string>{"Dorian_D.png", "x.png"}));
}

TEST_F(ScaleDiagramTest, EachSearchFindsItsKindOfFile) {
  struct Case {
    const char* note;
    std::vector<std::string> files;
    ScaleRowId row;
    int ring;
    std::string expected;  // relative to the folder, "" for none
  } cases[] = {
      {"exact name in the root, the diagram spelling", {"ionian_Gb.png"}, kRowIonian, 6, "ionian_Gb.png"},
      {"exact name in the mode folder", {"dorian/D-dorian.jpg", "D.png"}, kRowDorian, 2, "dorian/D-dorian.jpg"},
      {"scored: mode and key as tokens", {"scales/D Dorian Mode.jpg"}, kRowDorian, 2, "scales/D Dorian Mode.jpg"},
      {"scored: no key is not enough", {"scales/dorian.png"}, kRowDorian, 2, ""},
      {"file-name scan ignores case", {"scales/DORIAN_D.PNG"}, kRowDorian, 2, "scales/DORIAN_D.PNG"},
      {"an alias names the row", {"scale_diagrams/japanese_E.png"}, kRowInSen, 4, "scale_diagrams/japanese_E.png"},
      {"the ionian fallback for a church mode", {"ionian/ionian_A.png"}, kRowAeolian, 3, "ionian/ionian_A.png"},
      {"no fallback for other rows", {"ionian/ionian_A.png"}, kRowHindu, 3, ""},
      {"exact probes are case-sensitive, the scans are not", {"scales/Ionian_C.PNG"}, kRowIonian, 0,
       "scales/Ionian_C.PNG"},
      {"a root's own files are probed by exact name only", {"Ionian_C.PNG"}, kRowIonian, 0, ""},
  };
  for (const Case& c : cases) {
    TempDir tree;
    for (const std::string& f : c.files) WriteFileBytes(tree.File(f), "x");
    std::string found = Resolve(c.row, c.ring, {tree.path()});
    EXPECT_EQ(found, c.expected.empty() ? "" : tree.File(c.expected)) << c.note;
  }
}

TEST_F(ScaleDiagramTest, AModeFolderOfTwelveServesEveryKeyAndEarlierRootsWin) {
  TempDir a, b;
  const char* keys[] = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"};
  for (const char* k : keys) WriteFileBytes(b.File(std::string("dorian/Dor") + k + ".png"), "x");
  WriteFileBytes(b.File("dorian/notes.txt"), "x");
  EXPECT_EQ(Resolve(kRowDorian, 0, {a.path(), b.path()}), b.File("dorian/Dor01.png"));
  EXPECT_EQ(Resolve(kRowDorian, 5, {a.path(), b.path()}), b.File("dorian/Dor06.png"));
  WriteFileBytes(a.File("dorian_B.png"), "x");
  WriteFileBytes(b.File("dorian_B.png"), "x");
  EXPECT_EQ(Resolve(kRowDorian, 5, {a.path(), b.path()}), a.File("dorian_B.png"));
}

TEST_F(ScaleDiagramTest, AMissIsNamedLoggedOnceAndRememberedForTheFrame) {
  ScopedExeDir exe(dir_.path() + "/bin");
  gPickedScale = gCurrentScale = &gScaleRows[kRowLocrian];
  gSelectedModeIndex = -1;  // derived from the row inside, but the frame compares the value read
  gRingPos = 11;
  DebugCapture log;
  UpdateScaleDiagram();
  EXPECT_EQ(gScaleDiagramMissingName, "locrian_F.png");
  EXPECT_TRUE(log.Contains("[PREVIEW] Missing scale diagram for mode=locrian key=F"));
  EXPECT_FALSE(gScaleDiagramDirty);
  EXPECT_EQ(gScaleDiagramImage.texture, 0u);
  for (int frame = 0; frame < 5; ++frame) UpdateScaleDiagram();
  EXPECT_EQ(log.Lines().size(), 1u) << "the miss is not searched again every frame";
  // A file added later is not found for the key already searched: the cache keeps the miss.
  Touch("locrian_F.png");
  gScaleDiagramDirty = true;
  UpdateScaleDiagram();
  EXPECT_EQ(gScaleDiagramMissingName, "locrian_F.png");
  EXPECT_EQ(gScaleDiagramCache.count("locrian|F"), 1u);
  // Nothing picked or no key: nothing happens.
  gPickedScale = nullptr;
  gScaleDiagramDirty = true;
  UpdateScaleDiagram();
  EXPECT_TRUE(gScaleDiagramDirty);
}

TEST_F(ScaleDiagramTest, TintTurnsBlueInkIntoTheScaleColourKeepingShades) {
  DecodedImage image = BlueOnWhite();
  TintDiagramPixels(image.rgba, 0.9f, 0.1f, 0.1f);
  const uint8_t* white = &image.rgba[0];
  const uint8_t* dark = &image.rgba[4];
  const uint8_t* light = &image.rgba[8];
  const uint8_t* clear = &image.rgba[12];
  EXPECT_EQ(white[0], 255);
  EXPECT_EQ(white[1], 255);
  EXPECT_EQ(white[2], 255);
  for (const uint8_t* p : {dark, light}) {
    EXPECT_GT(p[0], p[1] + 40) << "red leads";
    EXPECT_GT(p[0], p[2] + 40);
    EXPECT_EQ(p[3], 255);
  }
  EXPECT_NE(dark[0], light[0]) << "two shades of ink stay two shades";
  EXPECT_EQ(clear[3], 0) << "transparent pixels keep their colour";
  // A saturated green (not blue ink) leans towards the tint; a grey stays.
  std::vector<uint8_t> px = {40, 200, 40, 255, 128, 128, 128, 255};
  TintDiagramPixels(px, 0.9f, 0.1f, 0.1f);
  EXPECT_GT(px[0], 40);
  EXPECT_LT(px[1], 200);
  EXPECT_EQ(px[4], 128);
  EXPECT_EQ(px[5], 128);
}

// One diagram through the whole road into a texture, read back from GL.
TEST_F(ScaleDiagramTest, AFoundDiagramBecomesATintedTexture) {
  static bool ready = false;
  static std::string error;
  if (!ready) {
    ready = StartVirtualDisplay(&error) && GlOffscreenOpen(64, 64, &error);
    if (ready) std::atexit(StopVirtualDisplay);
  }
  ASSERT_TRUE(ready) << error;
  ScopedExeDir exe(dir_.path() + "/bin");
  std::filesystem::create_directories(dir_.File("scales"));
  ASSERT_TRUE(SaveImageFile(dir_.File("scales/lydian_A.png"), BlueOnWhite()));
  gPickedScale = gCurrentScale = &gScaleRows[kRowLydian];
  gSelectedModeIndex = 3;
  gRingPos = 3;
  UpdateScaleDiagram();
  ASSERT_NE(gScaleDiagramImage.texture, 0u);
  EXPECT_EQ(gScaleDiagramImage.width, 4);
  EXPECT_EQ(gScaleDiagramImage.height, 1);
  EXPECT_TRUE(gScaleDiagramMissingName.empty());
  std::vector<uint8_t> back(16);
  glBindTexture(GL_TEXTURE_2D, gScaleDiagramImage.texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  DecodedImage expected = BlueOnWhite();
  TintDiagramPixels(expected.rgba, gScaleRows[kRowLydian].r, gScaleRows[kRowLydian].g, gScaleRows[kRowLydian].b);
  EXPECT_EQ(back, expected.rgba);
  uint32_t texture = gScaleDiagramImage.texture;
  UpdateScaleDiagram();
  EXPECT_EQ(gScaleDiagramImage.texture, texture) << "the same key is not loaded again";
  gRingPos = 4;
  UpdateScaleDiagram();
  EXPECT_EQ(gScaleDiagramImage.texture, 0u);
  EXPECT_EQ(gScaleDiagramMissingName, "lydian_E.png");
}

}  // namespace
