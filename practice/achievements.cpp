// practice/achievements: the achievement matrix, its three file versions and its upkeep.
//
// Files: "ACHV3,<rows>" then one line per row of 12 comma-separated earning times (0 = not
// earned); the older "ACHV2" (seven church-mode lines of times) and "ACHV1" (seven church-mode
// lines of twelve "1"/other characters) are still read. Rows are matched by catalogue position.
// A file whose next save would drop or change part of what was read (extra rows, older versions,
// bad fields) is copied aside at load; when that copy fails the file is not replaced this session.
#include "practice/achievements.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <string>

#include "app/base/app_clock.h"
#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/status_text.h"
#include "app/base/strings.h"
#include "practice/data_files.h"
#include "practice/students.h"
#include "theory/scale_selection.h"

// ---- state ----
static std::string gAchvBlockedPath;   // the loaded file, when it could not be copied aside: not replaced
// Files whose last save the disk refused, with what they should hold: a switch of students loads
// another matrix, and the refused cells must still reach their own student's file.
static std::map<std::string, std::string> gRefusedSaves;
AchvTable<uint8_t> gAchvDone;
AchvTable<int64_t> gAchvTime;
AchvTable<float> gAchvFlash;
AchvTable<float> gAchvGlow;
AchvTable<float> gAchvSheen;
AchvTable<double> gAchvEarnedAt;
AchvTable<CellPlayTrack> gAchvUpTracks;
AchvTable<CellPlayTrack> gAchvDownTracks;

// ---- internal helpers ----
static int WantedRowCount() {
  GetScaleCatalogue();
  return gScaleCatalogue.empty() ? kChurchModeCount : (int)gScaleCatalogue.size();
}

static void ClearCell(size_t r, int c) {
  gAchvDone[r][c] = 0;
  gAchvTime[r][c] = 0;
  gAchvFlash[r][c] = 0.0f;
  gAchvGlow[r][c] = 0.0f;
  gAchvSheen[r][c] = 0.0f;
  gAchvEarnedAt[r][c] = -1.0;
  ResetCellPlayTrack(gAchvUpTracks[r][c]);
  ResetCellPlayTrack(gAchvDownTracks[r][c]);
}

// New rows start cleared; rows a table already has keep their cells.
template <typename T>
static void ResizeTable(AchvTable<T>& table, size_t rows, const T& cleared) {
  std::array<T, 12> row;
  row.fill(cleared);
  table.resize(rows, row);
}

// The achievements file name of the active student ("achievements.dat" when none is active).
static std::string ActiveAchievementsName() {
  int count = (int)gStudents.size();
  if (gActiveStudentIndex < 0 || gActiveStudentIndex >= count) return AchievementsFileName("");
  return AchievementsFileName(gStudents[gActiveStudentIndex].id);
}

// Signed 64-bit decimal of a field; 0 for an empty field or one that does not convert.
static int64_t ParseTimeField(const std::string& field) {
  try {
    return std::stoll(field);
  } catch (...) {
    return 0;
  }
}

// Fills row r from a line of comma-separated times (at most 12 fields).
static void ReadTimesLine(int r, const std::string& line) {
  size_t start = 0;
  for (int k = 0; k < 12; ++k) {
    size_t comma = line.find(',', start);
    std::string field = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    int64_t value = ParseTimeField(field);
    gAchvTime[r][k] = value;
    gAchvDone[r][k] = value > 0 ? 1 : 0;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

// Matrix row of church mode i, -1 when it is not a row of the matrix.
static int ChurchModeRow(int i) {
  int row = CatalogueIndexOf(kChurchModes[i]);
  return IsAchievementRowValid(row) ? row : -1;
}

static int DoneInRow(int row) {
  int n = 0;
  for (int c = 0; c < 12; ++c) n += gAchvDone[row][c] ? 1 : 0;
  return n;
}

// ---- public functions ----
void ResetCellPlayTrack(CellPlayTrack& track) { std::memset(&track, 0, sizeof track); }

void SyncAchievementRows() {
  size_t rows = (size_t)WantedRowCount();
  if (gAchvDone.size() == rows && gAchvTime.size() == rows && gAchvFlash.size() == rows &&
      gAchvGlow.size() == rows && gAchvSheen.size() == rows && gAchvEarnedAt.size() == rows &&
      gAchvUpTracks.size() == rows && gAchvDownTracks.size() == rows)
    return;
  CellPlayTrack reset;
  ResetCellPlayTrack(reset);
  ResizeTable<uint8_t>(gAchvDone, rows, 0);
  ResizeTable<int64_t>(gAchvTime, rows, 0);
  ResizeTable(gAchvFlash, rows, 0.0f);
  ResizeTable(gAchvGlow, rows, 0.0f);
  ResizeTable(gAchvSheen, rows, 0.0f);
  ResizeTable(gAchvEarnedAt, rows, -1.0);
  ResizeTable(gAchvUpTracks, rows, reset);
  ResizeTable(gAchvDownTracks, rows, reset);
}

int AchievementRowCount() {
  SyncAchievementRows();
  return (int)gAchvDone.size();
}

int FindScaleRow(const ScaleRow* row) {
  SyncAchievementRows();
  if (!row) return -1;
  int index = CatalogueIndexOf(row);
  return IsAchievementRowValid(index) ? index : -1;
}

bool IsAchievementRowValid(int row) { return row >= 0 && row < (int)gAchvDone.size(); }

int CountAchievementCells() {
  if (!gScaleListMode) return kChurchModeCount * 12;
  RebuildVisibleScales();
  return 12 * (int)gVisibleScales.size();
}

int CountDoneAchievementCells() {
  SyncAchievementRows();
  int done = 0;
  if (!gScaleListMode) {
    for (int i = 0; i < kChurchModeCount; ++i) {
      int row = ChurchModeRow(i);
      if (row >= 0) done += DoneInRow(row);
    }
    return done;
  }
  RebuildVisibleScales();
  for (int index : gVisibleScales)
    if (IsAchievementRowValid(index)) done += DoneInRow(index);
  return done;
}

std::string AchievementsFileName(const std::string& id) {
  std::string trimmed = TrimWhitespace(id);
  if (trimmed.empty()) return "achievements.dat";
  return "achievements_" + StudentFileId(trimmed) + ".dat";
}

std::string GetAchievementsPath(const std::string& id) {
  return GetDataFilePath(AchievementsFileName(id));
}

// The whole file for the matrix in memory.
static std::string AchievementsText() {
  SyncAchievementRows();
  size_t rows = gAchvDone.size();
  std::string text = "ACHV3," + std::to_string(rows) + "\n";
  for (size_t r = 0; r < rows; ++r) {
    for (int c = 0; c < 12; ++c) {
      if (c > 0) text += ',';
      text += std::to_string(gAchvDone[r][c] ? gAchvTime[r][c] : 0);
    }
    text += '\n';
  }
  return text;
}

// Writes each refused file again; what lands is forgotten, what is refused again waits on.
static void SaveRefusedAchievements() {
  for (auto it = gRefusedSaves.begin(); it != gRefusedSaves.end();)
    it = WriteTextFileAtomic(it->first, it->second) ? gRefusedSaves.erase(it) : std::next(it);
  SetStoreDirty(SaveRefusedAchievements, !gRefusedSaves.empty());
}

void SaveAchievements() {
  std::string text = AchievementsText();
  std::string path = GetDataFilePath(ActiveAchievementsName());
  if (!gAchvBlockedPath.empty() && path == gAchvBlockedPath) {
    DebugLog("[achievements] %s was not replaced: the file as read could not be kept aside\n", path.c_str());
    gStatusText = kSaveFailureMessage;
    return;
  }
  if (WriteTextFileAtomic(path, text))
    gRefusedSaves.erase(path);
  else
    gRefusedSaves[path] = text;
  SetStoreDirty(SaveRefusedAchievements, !gRefusedSaves.empty());
}

void ForgetRefusedAchievementsSave(const std::string& path) {
  gRefusedSaves.erase(path);
  SetStoreDirty(SaveRefusedAchievements, !gRefusedSaves.empty());
}

void LoadAchievements() {
  // Each load judges its own file: one that could not be copied aside once may be now.
  gAchvBlockedPath.clear();
  SyncAchievementRows();
  int rows = (int)gAchvDone.size();
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < 12; ++c) ClearCell(r, c);

  std::string path = ResolveDataFile(ActiveAchievementsName());
  std::vector<std::string> lines;
  std::string raw;
  // A student's cells the disk refused are newer than their file: a switch back reads them.
  auto refused = gRefusedSaves.find(GetDataFilePath(ActiveAchievementsName()));
  DataFileRead read = DataFileRead::kOk;
  if (refused != gRefusedSaves.end())
    SplitDataFileLines(refused->second, &lines);
  else
    read = ReadDataFileLines(path, &lines, &raw);
  if (read == DataFileRead::kUnreadable) SetAsideDataFile(path, "cannot be read");
  if (read != DataFileRead::kOk) {
    SyncAchievementRows();
    return;
  }
  const std::string header = lines.empty() ? std::string() : lines[0];
  size_t next = 1;
  auto nextLine = [&](std::string* line) {
    if (next >= lines.size()) return false;
    *line = lines[next++];
    return true;
  };
  std::string line;
  if (header.size() >= 5 && header.compare(0, 5, "ACHV3") == 0) {
    int n = 0;
    size_t comma = header.find(',');
    if (comma != std::string::npos) {
      std::string count = TrimWhitespace(header.substr(comma + 1));
      // An unsigned decimal: a sign or a value that does not convert counts as missing.
      if (!count.empty() && count[0] >= '0' && count[0] <= '9') {
        try {
          unsigned long long v = std::stoull(count);
          n = v > (unsigned long long)rows ? rows : (int)v;
        } catch (...) {
          n = rows;
        }
      }
    }
    if (n <= 0) n = rows;
    for (int r = 0; r < n && nextLine(&line); ++r) ReadTimesLine(r, line);
  } else if (header == "ACHV2") {
    for (int i = 0; i < kChurchModeCount && nextLine(&line); ++i) {
      int row = ChurchModeRow(i);
      if (row >= 0) ReadTimesLine(row, line);
    }
  } else if (header == "ACHV1") {
    int64_t now = NowSeconds();
    for (int i = 0; i < kChurchModeCount && nextLine(&line); ++i) {
      int row = ChurchModeRow(i);
      if (row < 0) continue;
      for (int k = 0; k < 12 && k < (int)line.size(); ++k) {
        gAchvDone[row][k] = line[k] == '1' ? 1 : 0;
        gAchvTime[row][k] = line[k] == '1' ? now : 0;
      }
    }
  } else {
    // Kept aside, so the next save does not replace what we could not read.
    if (IsNewerHeader(header, "ACHV", 3))
      SetAsideNewerDataFile(path);
    else
      SetAsideDataFile(path, "not an achievements file");
    SyncAchievementRows();
    return;
  }
  SyncAchievementRows();
  if (path == GetDataFilePath(ActiveAchievementsName()) && !KeepCopyBeforeRewrite(path, raw, AchievementsText()))
    gAchvBlockedPath = path;
}

void CleanAchievements() {
  SyncAchievementRows();
  bool changed = false;
  for (size_t r = 0; r < gAchvDone.size(); ++r) {
    for (int c = 0; c < 12; ++c) {
      if (gAchvDone[r][c] && gAchvTime[r][c] < 1) {
        gAchvDone[r][c] = 0;
        gAchvGlow[r][c] = 0.0f;
        gAchvSheen[r][c] = 0.0f;
        changed = true;
      }
    }
  }
  if (changed) {
    SyncAchievementRows();
    SaveAchievements();
  }
}

void DecayAchievementTimers(float dt) {
  SyncAchievementRows();
  auto decay = [dt](AchvTable<float>& table) {
    for (auto& row : table)
      for (float& v : row)
        if (v > 0.0f) v = std::max(0.0f, v - dt);
  };
  decay(gAchvFlash);
  decay(gAchvGlow);
  decay(gAchvSheen);
}

void ResetAchievements() {
  gRefusedSaves.clear();
  SetStoreDirty(SaveRefusedAchievements, false);
  gAchvDone.clear();
  gAchvTime.clear();
  for (auto* t : {&gAchvFlash, &gAchvGlow, &gAchvSheen}) t->clear();
  gAchvEarnedAt.clear();
  gAchvUpTracks.clear();
  gAchvDownTracks.clear();
  SyncAchievementRows();
}
