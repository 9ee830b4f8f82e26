// The achievement matrix: its three file versions, damaged files, the per-frame consistency pass,
// the counts and the timers.
#include <gtest/gtest.h>

#include "app/utilities.h"
#include "practice/achievements.h"
#include "practice/students.h"
#include "tests/practice/practice_fixture.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"

using Achievements = PracticeFilesTest;

static int Rows() { return AchievementRowCount(); }
static int RowOf(ScaleRowId id) { return CatalogueIndexOf(&gScaleRows[id]); }
static std::string Zeros12() { return "0,0,0,0,0,0,0,0,0,0,0,0"; }

// Earned cells as "row:column=time" in order, for compact expectations.
static std::string EarnedCells() {
  std::string out;
  for (int r = 0; r < (int)gAchvDone.size(); ++r)
    for (int c = 0; c < 12; ++c)
      if (gAchvDone[r][c]) out += std::to_string(r) + ":" + std::to_string(c) + "=" + std::to_string(gAchvTime[r][c]) + " ";
  return out;
}

TEST_F(Achievements, MatrixFollowsTheCatalogue) {
  GetScaleCatalogue();
  EXPECT_EQ(Rows(), (int)gScaleCatalogue.size());
  EXPECT_EQ(Rows(), 50);
  EXPECT_EQ(FindScaleRow(nullptr), -1);
  EXPECT_EQ(FindScaleRow(&gScaleRows[kRowDorian]), RowOf(kRowDorian));
  EXPECT_EQ(FindScaleRow(&gScaleRows[kRowHawaiian]), -1);   // built, never in the catalogue
  EXPECT_TRUE(IsAchievementRowValid(0));
  EXPECT_TRUE(IsAchievementRowValid(49));
  EXPECT_FALSE(IsAchievementRowValid(50));
  EXPECT_FALSE(IsAchievementRowValid(-1));
}

TEST_F(Achievements, FileVersionsLoad) {
  const int dorian = RowOf(kRowDorian), locrian = RowOf(kRowLocrian), aeolian = RowOf(kRowAeolian);
  const int ionian = RowOf(kRowIonian);
  auto cell = [](int r, int c, long t) { return std::to_string(r) + ":" + std::to_string(c) + "=" + std::to_string(t) + " "; };
  struct Case {
    const char* what;
    std::string file;
    std::string earned;
  } cases[] = {
      {"three rows of the current version",
       "ACHV3,3\n1,0,0,0,0,0,0,0,0,0,0,0\n" + Zeros12() + "\n0,0,0,0,0,0,0,0,0,0,0,3\n0,9\n",
       cell(0, 0, 1) + cell(2, 11, 3)},
      {"no row count reads every row", "ACHV3\n" + Zeros12() + "\n0,0,0,0,0,0,0,0,0,0,0,8\n", cell(1, 11, 8)},
      {"a row count of 0 reads every row", "ACHV3,0\n4\n5\n", cell(0, 0, 4) + cell(1, 0, 5)},
      {"letters for the row count read every row", "ACHV3,abc\n4\n5\n", cell(0, 0, 4) + cell(1, 0, 5)},
      {"a negative row count reads every row", "ACHV3,-1\n4\n5\n", cell(0, 0, 4) + cell(1, 0, 5)},
      {"a row count past the catalogue is limited", "ACHV3,999\n4\n", cell(0, 0, 4)},
      {"blanks around the row count", "ACHV3, 1 \n4\n5\n", cell(0, 0, 4)},
      {"empty, bad and negative fields are not earned", "ACHV3,1\n5,,x,-7\n", cell(0, 0, 5)},
      {"more than twelve fields are ignored", "ACHV3,1\n0,0,0,0,0,0,0,0,0,0,0,12,13\n", cell(0, 11, 12)},
      {"a byte-order mark and Windows line ends", "\xEF\xBB\xBF" "ACHV3,2\r\n7\r\n0,8\r\n", cell(0, 0, 7) + cell(1, 1, 8)},
      {"version 2 without its Locrian line",
       "ACHV2\n1\n2\n3\n4\n5\n6\n",
       cell(ionian, 0, 1) + cell(dorian, 0, 2) + cell(RowOf(kRowPhrygian), 0, 3) +
           cell(RowOf(kRowLydian), 0, 4) + cell(RowOf(kRowMixolydian), 0, 5) + cell(aeolian, 0, 6)},
      {"an old-version header with more text is not version 2", "ACHV2,7\n1\n", ""},
      {"unknown header", "ACHV4\n1\n", ""},
  };
  (void)locrian;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteData("achievements.dat", c.file);
    LoadAchievements();
    EXPECT_EQ(EarnedCells(), c.earned);
    EXPECT_EQ(Rows(), 50);
  }
}

TEST_F(Achievements, OldestVersionEarnsWithTheTimeOfLoading) {
  ScopedDrivenClock clock;
  int64_t now = NowSeconds();
  WriteData("achievements.dat", "ACHV1\n101\n\n000000000001x\n");
  LoadAchievements();
  const int ionian = RowOf(kRowIonian), phrygian = RowOf(kRowPhrygian);
  std::string expected = std::to_string(ionian) + ":0=" + std::to_string(now) + " " +
                         std::to_string(ionian) + ":2=" + std::to_string(now) + " " +
                         std::to_string(phrygian) + ":11=" + std::to_string(now) + " ";
  EXPECT_EQ(EarnedCells(), expected);
}

TEST_F(Achievements, UnrecognisedFilesAreKeptAsideBeforeTheNextSave) {
  WriteData("achievements.dat", "ACHV9\nsomething precious\n");
  LoadAchievements();
  EXPECT_EQ(EarnedCells(), "");
  EXPECT_EQ(ReadData("achievements.dat.bad"), "ACHV9\nsomething precious\n");
  SaveAchievements();
  EXPECT_EQ(ReadData("achievements.dat.bad"), "ACHV9\nsomething precious\n");
  EXPECT_EQ(ReadData("achievements.dat").substr(0, 9), "ACHV3,50\n");
}

TEST_F(Achievements, SaveWritesTheCurrentVersionUnderTheActiveStudentsName) {
  gAchvDone[1][1] = 1;
  gAchvTime[1][1] = 1700000000;
  gAchvDone[2][0] = 0;
  gAchvTime[2][0] = 55;   // not earned: written as 0
  SaveAchievements();
  std::string text = ReadData("achievements.dat");
  std::string expected = "ACHV3,50\n" + Zeros12() + "\n0,1700000000,0,0,0,0,0,0,0,0,0,0\n";
  for (int r = 2; r < 50; ++r) expected += Zeros12() + "\n";
  EXPECT_EQ(text, expected);

  gStudents = {MakeStudent("Anna", " anna ")};
  gActiveStudentIndex = 0;
  SaveAchievements();
  EXPECT_EQ(ReadData("achievements_anna.dat"), expected);

  // A round trip through the file keeps every earned cell.
  LoadAchievements();
  EXPECT_EQ(EarnedCells(), "1:1=1700000000 ");

  // An active index outside the list uses the shared file.
  gActiveStudentIndex = 4;
  gAchvDone[1][1] = 0;
  SaveAchievements();
  EXPECT_EQ(ReadData("achievements.dat").find("1700000000"), std::string::npos);
}

TEST_F(Achievements, ConsistencyPassRepairsSizesAndCellsWithoutATime) {
  gAchvDone[3][4] = 1;
  gAchvTime[3][4] = 99;
  // Tables of the wrong sizes, as a fault elsewhere might leave them.
  gAchvDone.resize(5);
  gAchvGlow.resize(70);
  gAchvUpTracks.clear();
  gAchvEarnedAt.resize(2);
  CleanAchievements();
  EXPECT_EQ(gAchvDone.size(), 50u);
  EXPECT_EQ(gAchvGlow.size(), 50u);
  EXPECT_EQ(gAchvUpTracks.size(), 50u);
  EXPECT_EQ(gAchvEarnedAt.size(), 50u);
  EXPECT_EQ(gAchvTime.size(), 50u);
  EXPECT_EQ(gAchvDone[3][4], 1);   // rows every table had keep their cells
  EXPECT_EQ(gAchvEarnedAt[40][0], -1.0f);
  EXPECT_EQ(gAchvDone[40][0], 0);
  EXPECT_FALSE(DataExists("achievements.dat"));   // nothing to repair in the cells: no save

  // A done cell without a time is cleared with its glow and sheen, and the file is saved.
  gAchvDone[6][7] = 1;
  gAchvTime[6][7] = 0;
  gAchvGlow[6][7] = 5.0f;
  gAchvSheen[6][7] = 1.0f;
  gAchvFlash[6][7] = 0.3f;
  CleanAchievements();
  EXPECT_EQ(gAchvDone[6][7], 0);
  EXPECT_EQ(gAchvGlow[6][7], 0.0f);
  EXPECT_EQ(gAchvSheen[6][7], 0.0f);
  EXPECT_EQ(gAchvFlash[6][7], 0.3f);
  EXPECT_TRUE(DataExists("achievements.dat"));
}

TEST_F(Achievements, CountsOverTheModesOrTheVisibleList) {
  GetScaleCatalogue();
  gAchvDone[RowOf(kRowDorian)][0] = 1;
  gAchvDone[RowOf(kRowLocrian)][11] = 1;
  gAchvDone[RowOf(kRowChromatic)][3] = 1;
  gScaleListMode = false;
  EXPECT_EQ(CountAchievementCells(), 84);
  EXPECT_EQ(CountDoneAchievementCells(), 2);
  gScaleListMode = true;
  gScaleFilter = 7;
  EXPECT_EQ(CountAchievementCells(), 600);
  EXPECT_EQ(CountDoneAchievementCells(), 3);
  gScaleListMode = false;
}

TEST_F(Achievements, TimersFallByTheFrameStepToZero) {
  gAchvFlash[0][0] = 0.5f;
  gAchvGlow[0][0] = 20.0f;
  gAchvSheen[0][0] = 0.01f;
  gAchvGlow[1][1] = 0.0f;
  DecayAchievementTimers(0.05f);
  EXPECT_FLOAT_EQ(gAchvFlash[0][0], 0.45f);
  EXPECT_FLOAT_EQ(gAchvGlow[0][0], 19.95f);
  EXPECT_EQ(gAchvSheen[0][0], 0.0f);
  EXPECT_EQ(gAchvGlow[1][1], 0.0f);
}
