// The achievement matrix: its three file versions, damaged files kept aside, the file written
// per student, and the per-frame consistency pass.
#include <gtest/gtest.h>

#include "app/base/app_clock.h"
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

TEST_F(Achievements, FileVersionsLoad) {
  auto cell = [](int r, int c, long t) { return std::to_string(r) + ":" + std::to_string(c) + "=" + std::to_string(t) + " "; };
  struct Case { const char* what; std::string file; std::string earned; } cases[] = {
      {"three rows of the current version",
       "ACHV3,3\n1,0,0,0,0,0,0,0,0,0,0,0\n" + Zeros12() + "\n0,0,0,0,0,0,0,0,0,0,0,3\n0,9\n",
       cell(0, 0, 1) + cell(2, 11, 3)},
      {"no row count reads every row", "ACHV3\n" + Zeros12() + "\n0,0,0,0,0,0,0,0,0,0,0,8\n", cell(1, 11, 8)},
      {"a row count past the catalogue is limited", "ACHV3,999\n4\n", cell(0, 0, 4)},
      {"empty, bad and negative fields are not earned", "ACHV3,1\n5,,x,-7\n", cell(0, 0, 5)},
      {"a byte-order mark and Windows line ends", "\xEF\xBB\xBF" "ACHV3,2\r\n7\r\n0,8\r\n", cell(0, 0, 7) + cell(1, 1, 8)},
      {"version 2 without its Locrian line",
       "ACHV2\n1\n2\n3\n4\n5\n6\n",
       cell(RowOf(kRowIonian), 0, 1) + cell(RowOf(kRowDorian), 0, 2) + cell(RowOf(kRowPhrygian), 0, 3) +
           cell(RowOf(kRowLydian), 0, 4) + cell(RowOf(kRowMixolydian), 0, 5) + cell(RowOf(kRowAeolian), 0, 6)},
      {"an old-version header with more text is not version 2", "ACHV2,7\n1\n", ""},
  };
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
  gAchvDone[1][1] = 1, gAchvTime[1][1] = 1700000000;
  gAchvDone[2][0] = 0, gAchvTime[2][0] = 55;   // not earned: written as 0
  SaveAchievements();
  std::string expected = "ACHV3,50\n" + Zeros12() + "\n0,1700000000,0,0,0,0,0,0,0,0,0,0\n";
  for (int r = 2; r < 50; ++r) expected += Zeros12() + "\n";
  EXPECT_EQ(ReadData("achievements.dat"), expected);

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
  gAchvDone[3][4] = 1, gAchvTime[3][4] = 99;
  // Tables of the wrong sizes, as a fault elsewhere might leave them.
  gAchvDone.resize(5);
  gAchvGlow.resize(70);
  gAchvUpTracks.clear();
  gAchvEarnedAt.resize(2);
  CleanAchievements();
  for (size_t n : {gAchvDone.size(), gAchvGlow.size(), gAchvUpTracks.size(), gAchvEarnedAt.size(), gAchvTime.size()})
    EXPECT_EQ(n, 50u);
  EXPECT_EQ(gAchvDone[3][4], 1);   // rows every table had keep their cells
  EXPECT_EQ(gAchvEarnedAt[40][0] + gAchvDone[40][0], -1.0f);
  EXPECT_FALSE(DataExists("achievements.dat"));   // nothing to repair in the cells: no save

  // A done cell without a time is cleared with its glow and sheen, and the file is saved.
  gAchvDone[6][7] = 1, gAchvTime[6][7] = 0;
  gAchvGlow[6][7] = 5.0f, gAchvSheen[6][7] = 1.0f, gAchvFlash[6][7] = 0.3f;
  CleanAchievements();
  EXPECT_EQ(gAchvDone[6][7], 0);
  EXPECT_EQ(gAchvGlow[6][7] + gAchvSheen[6][7], 0.0f);
  EXPECT_TRUE(DataExists("achievements.dat"));
}
