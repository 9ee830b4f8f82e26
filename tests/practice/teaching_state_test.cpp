// Tests of the teaching record following the active student (load, reload, switch with a pending
// change) and the selection sync (slider to difficulty, picked scale and key to a cell code).
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

#include "midi/level_setting.h"
#include "practice/teaching_file.h"
#include "practice/teaching_state.h"
#include "tests/practice/practice_fixture.h"
#include "theory/scale_rows.h"

namespace {

class TeachingStateTest : public PracticeFilesTest {
 protected:
  void SetUp() override {
    // Only the first load of a process resets the record; start each case from a fresh one.
    gTeachingState = TeachingState();
    gTeachingState.dataFolder = Data("");
    GetScaleCatalogue();
    gCurrentScale = gScaleCatalogue[0];
    gPickedScale = nullptr;
    gKeyRoot = gRingPos = 0;
  }
  void TearDown() override { EXPECT_TRUE(WaitForPendingSaves()); }
  // Students with a colour whose blue is out of range.
  static void AddStudents(std::initializer_list<const char*> ids) {
    for (const char* id : ids) {
      Student st = MakeStudent(std::string(1, (char)(id[0] - 32)) + (id + 1), id);
      st.r = 0.5f;
      st.b = 1.5f;
      gStudents.push_back(st);
    }
  }
};

// Ann's file sets difficulty, plan and slider; a slider change is saved when Bo takes over, whose
// file without a plan keeps the plan in memory; back to Ann, her saved difficulty returns.
TEST_F(TeachingStateTest, LoadAndSwitchFollowTheActiveStudent) {
  AddStudents({"ann", "bo"});
  gActiveStudentIndex = 0;
  WriteFileBytes(Data("teaching_ann.json"),
                 "{\"version\":1,\"lastDifficulty\":9,\"practiceScales\":[16,33],"
                 "\"attendance\":[{\"dateISO\":\"2026-12-01\",\"bpm\":90}]}");
  gLevelSetting = 0.9f;
  gTeachingLevel = 0.1f;
  LoadTeachingState(true);
  TeachingState& s = gTeachingState;
  EXPECT_EQ(s.studentName + "/" + std::to_string(s.difficulty) + "/" + std::to_string(s.attendance.size()), "Ann/9/1");
  EXPECT_EQ(s.practiceScales, (std::vector<int32_t>{16, 33}));
  EXPECT_FLOAT_EQ(s.studentColour[2], 1.0f);   // clamped
  EXPECT_FLOAT_EQ(gLevelSetting, 0.5f);
  EXPECT_FLOAT_EQ(gTeachingLevel, 8.0f / 9.0f);
  SyncTeachingSelection();   // the saved difficulty survives the next frame's sync
  EXPECT_EQ(s.difficulty * 10 + s.dirty, 90);

  s.practiceScales = {7, 8};
  gTeachingLevel = 0.0f;   // the slider moved: difficulty 1, unsaved
  SyncTeachingSelection();
  EXPECT_EQ(s.difficulty * 10 + s.dirty, 11);
  s.onsetCount = 40;
  s.sessionRunning = s.runScoresShown = 1;
  WriteFileBytes(Data("teaching_bo.json"), "{\"version\":1,\"lastDifficulty\":3}");
  gActiveStudentIndex = 1;
  LoadTeachingState(true);
  EXPECT_EQ(s.studentId, "bo");
  EXPECT_EQ(s.difficulty * 10 + s.dirty, 30);
  EXPECT_EQ(s.practiceScales, (std::vector<int32_t>{7, 8}));
  EXPECT_EQ(s.onsetCount, 40);   // statistics stay, the session and the shown run scores end
  EXPECT_EQ(s.sessionRunning + s.runScoresShown, 0);
  EXPECT_FLOAT_EQ(gTeachingLevel, 2.0f / 9.0f);

  ASSERT_TRUE(WaitForPendingSaves());
  TeachingState ann;
  ann.dataFolder = Data("");
  ann.studentId = "ann";
  ASSERT_TRUE(ReadTeachingFile(ann));
  EXPECT_EQ(ann.lastDifficulty, 1);
  EXPECT_EQ(ann.savedPracticeScales, (std::vector<int32_t>{7, 8}));
  gActiveStudentIndex = 0;
  LoadTeachingState(true);
  SyncTeachingSelection();
  EXPECT_EQ(s.difficulty, 1);
}

TEST_F(TeachingStateTest, DeletedStudentsTeachingFileDoesNotComeBack) {
  AddStudents({"ann", "bo", "cy"});
  gActiveStudentIndex = 0;
  LoadTeachingState(true);
  WriteFileBytes(Data("teaching_cy.json"), "{\"version\":1,\"lastDifficulty\":4}");
  for (int i = 0; i < 20; ++i) SaveTeachingStateAsync(gTeachingState);   // saves in flight
  gTeachingLevel = 1.0f;
  SyncTeachingSelection();   // and an unsaved change
  ASSERT_EQ(gTeachingState.dirty, 1);

  DeleteStudent(0);
  ASSERT_TRUE(WaitForPendingSaves());
  EXPECT_FALSE(DataExists("teaching_ann.json"));

  // Deleting another student keeps the active student's unsaved change and removes only Cy's file.
  gTeachingLevel = 0.0f;
  SyncTeachingSelection();
  ASSERT_EQ(gTeachingState.dirty, 1);
  DeleteStudent(1);
  EXPECT_EQ(gTeachingState.studentId + std::to_string(gTeachingState.dirty), "bo1");
  EXPECT_FALSE(DataExists("teaching_cy.json"));
}

TEST_F(TeachingStateTest, PickedScaleAndKeyBecomeACell) {
  size_t fiveNoteRow = 0;
  for (size_t i = 0; i < gScaleCatalogue.size(); ++i)
    if (gScaleCatalogue[i]->count == 5) {
      fiveNoteRow = i;
      break;
    }
  ASSERT_GT(fiveNoteRow, 0u);
  static const ScaleRow kOutsider = {"Outside", "outside", {0, 1, 2}, 3, 1, 1, 1};
  const struct { const char* name; const ScaleRow *current, *picked; int ringPos, keyRoot, code, accidentals, notes; } cases[] = {
      {"major at position 7", gScaleCatalogue[0], nullptr, 7, 0, 7, 5, 7},
      {"picked scale wins", gScaleCatalogue[0], gScaleCatalogue[fiveNoteRow], 1, 0,
       (int)fiveNoteRow * 16 + 1, 1, 5},
      {"no ring position: the key's", gScaleCatalogue[0], nullptr, -1, 9, 3, 3, 7},
      {"scale outside the catalogue", &kOutsider, nullptr, 2, 0, -1, 2, 3},
  };
  LoadTeachingState(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gCurrentScale = c.current;
    gPickedScale = c.picked;
    gRingPos = c.ringPos;
    gKeyRoot = c.keyRoot;
    SyncTeachingSelection();
    const TeachingState& s = gTeachingState;
    EXPECT_EQ(std::make_tuple(s.currentCellCode, s.currentAccidentals, s.currentNoteCount),
              std::make_tuple(c.code, c.accidentals, c.notes));
    if (c.code >= 0) {
      EXPECT_EQ(s.accidentalsByCell.at(c.code) * 100 + s.noteCountByCell.at(c.code), c.accidentals * 100 + c.notes);
    }
  }
}

}  // namespace
