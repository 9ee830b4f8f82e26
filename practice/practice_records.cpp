// practice/practice_records: practice-run records and "practice_runs.dat".
//
// File: the line "PRACTICE_RUNS_V1", then one line per record:
// id|name|region|best ms|last ms|runs|last time. Bars and line breaks inside the texts are
// replaced on writing (by "_" in the id and region key, by a blank in the name); nothing is
// unescaped on reading. A file that exists but is not ours is set aside before the first save; one
// read only in part is copied aside. Counts read from the file and counted on saturate.
#include "practice/practice_records.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "app/base/app_clock.h"
#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/status_text.h"
#include "app/base/strings.h"
#include "platform/file_replace.h"
#include "practice/data_files.h"
#include "practice/practice_run.h"
#include "practice/students.h"

// ---- constants ----
static const char kRunsFile[] = "practice_runs.dat";
static const char kRunsHeader[] = "PRACTICE_RUNS_V1";

// ---- state ----
std::vector<PracticeRun> gPracticeRuns;   // the records
bool gPracticeRunsLoaded = false;         // set by LoadPracticeRuns, never cleared
static bool gRunsFileBlocked = false;     // a damaged file could not be kept aside: never replace it

// ---- internal helpers ----
static std::string Escape(const std::string& text, char with) {
  std::string out = text;
  for (char& c : out)
    if (c == '\n' || c == '\r' || c == '|') c = with;
  return out;
}

// The leading decimal number of a trimmed field (optional sign when allowed). A value outside
// lo..hi is 0, or the nearer bound when `saturate` is set (a count keeps as much as it can);
// 0 when there is no digit.
static int64_t ParseDecimal(const std::string& field, bool allowSign, int64_t lo, int64_t hi, bool saturate = false) {
  size_t i = 0;
  bool negative = false;
  if (allowSign && i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  if (i >= field.size() || field[i] < '0' || field[i] > '9') return 0;
  const int64_t outside = saturate ? (negative ? lo : hi) : 0;
  // Accumulated as a negative number so the most negative 64-bit value fits.
  int64_t value = 0;
  const int64_t kMin = std::numeric_limits<int64_t>::min();
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    int digit = field[i] - '0';
    if (value < (kMin + digit) / 10) return outside;
    value = value * 10 - digit;
  }
  if (!negative) {
    if (value == kMin) return outside;
    value = -value;
  }
  return (value < lo || value > hi) ? outside : value;
}

// Fields split at every "|", each trimmed; empty fields kept.
static std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t bar = line.find('|', start);
    fields.push_back(TrimWhitespace(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return fields;
}

// The whole file for the records in memory.
static std::string PracticeRunsText() {
  std::string text = std::string(kRunsHeader) + "\n";
  for (const PracticeRun& r : gPracticeRuns) {
    text += Escape(r.studentId, '_') + "|" + Escape(r.studentName, ' ') + "|" + Escape(r.regionKey, '_') + "|" +
            std::to_string(r.bestMs) + "|" + std::to_string(r.lastMs) + "|" + std::to_string(r.runs) + "|" +
            std::to_string(r.lastTime) + "\n";
  }
  return text;
}

// The copies of the file kept before a rewrite hold its lines as read, the student's among them:
// those lines go, and the other students' lines and whatever was not understood stay as they were.
// A copy left without any record goes whole.
static void ForgetRunsInKeptCopies(const std::string& studentId) {
  for (const std::string& copy : KeptCopiesOf(GetDataFilePath(kRunsFile))) {
    std::string raw, kept;
    if (ReadDataFileBytes(copy, &raw) != DataFileRead::kOk) continue;
    bool dropped = false, othersLeft = false;
    for (size_t pos = 0, line = 0; pos < raw.size(); ++line) {
      size_t nl = raw.find('\n', pos);
      size_t end = nl == std::string::npos ? raw.size() : nl + 1;
      std::string piece = raw.substr(pos, end - pos), text = TrimWhitespace(piece);
      pos = end;
      if (line > 0 && text.find('|') != std::string::npos && SplitFields(text)[0] == studentId) {
        dropped = true;
        continue;
      }
      othersLeft = othersLeft || (line > 0 && !text.empty());
      kept += piece;
    }
    if (!dropped) continue;
    if (othersLeft)
      WriteTextFileAtomic(copy, kept);
    else
      RemoveFileIfPresent(copy);
  }
}

// ---- public functions ----
std::string BuildRegionKey() {
  const PracticeRunData& d = gPracticeRunData;
  if (!d.regionValid || d.rowFirst < 0 || d.rowLast < 0 || d.colFirst < 0 || d.colLast < 0) return std::string();
  char key[96];
  std::snprintf(key, sizeof key, "%c:r%d-%d:c%d-%d", d.regionListView ? 'U' : 'L', std::min(d.rowFirst, d.rowLast),
                std::max(d.rowFirst, d.rowLast), std::min(d.colFirst, d.colLast), std::max(d.colFirst, d.colLast));
  return key;
}

// The first record of the student and region: the one a run updates and the HUD shows.
static PracticeRun* MatchingRun(const std::string& studentId, const std::string& regionKey) {
  for (PracticeRun& run : gPracticeRuns)
    if (run.studentId == studentId && run.regionKey == regionKey) return &run;
  return nullptr;
}

const PracticeRun* FindPracticeRun(const std::string& studentId, const std::string& regionKey) {
  return MatchingRun(studentId, regionKey);
}

void RecordPracticeRun(uint32_t elapsedMs) {
  if (elapsedMs == 0) return;
  if (!gPracticeRunsLoaded) LoadPracticeRuns();
  std::string key = BuildRegionKey();
  if (key.empty()) return;
  std::string id = GetActiveStudentId();
  if (id.empty()) return;
  std::string name = gStudents[(size_t)gActiveStudentIndex].name;
  int64_t now = NowSeconds();

  if (PracticeRun* it = MatchingRun(id, key)) {
    it->studentName = name;
    it->lastMs = elapsedMs;
    // A count at its limit stays there rather than wrapping.
    if (it->runs < std::numeric_limits<int32_t>::max()) it->runs = std::max(it->runs, 0) + 1;
    it->lastTime = now;
    if (it->bestMs == 0 || elapsedMs < it->bestMs) it->bestMs = elapsedMs;
  } else {
    PracticeRun run;
    run.studentId = id;
    run.studentName = name;
    run.regionKey = key;
    run.bestMs = run.lastMs = elapsedMs;
    run.runs = 1;
    run.lastTime = now;
    gPracticeRuns.push_back(run);
  }
  SavePracticeRuns();
}

void SavePracticeRuns() {
  if (!gPracticeRunsLoaded) return;
  if (gRunsFileBlocked) {
    DebugLog("[practice] %s was not replaced: the file as read could not be kept aside\n", kRunsFile);
    gStatusText = kSaveFailureMessage;
    return;
  }
  SetStoreDirty(SavePracticeRuns, !WriteTextFileAtomic(GetDataFilePath(kRunsFile), PracticeRunsText()));
}

void ForgetPracticeRunsOf(const std::string& studentId) {
  if (!gPracticeRunsLoaded) LoadPracticeRuns();
  size_t before = gPracticeRuns.size();
  std::erase_if(gPracticeRuns, [&](const PracticeRun& r) { return r.studentId == studentId; });
  if (gPracticeRuns.size() != before) SavePracticeRuns();
  ForgetRunsInKeptCopies(studentId);
}

void LoadPracticeRuns() {
  gPracticeRuns.clear();
  gPracticeRunsLoaded = true;
  gRunsFileBlocked = false;
  SetStoreDirty(SavePracticeRuns, false);   // the records become the file's

  std::string path = ResolveDataFile(kRunsFile);
  std::vector<std::string> lines;
  std::string raw;
  DataFileRead read = ReadDataFileLines(path, &lines, &raw);
  if (read == DataFileRead::kMissing) return;
  if (read == DataFileRead::kUnreadable) {
    gRunsFileBlocked = !SetAsideDataFile(path, "cannot be read");
    return;
  }
  if (!lines.empty() && IsNewerHeader(TrimWhitespace(lines[0]), "PRACTICE_RUNS_V", 1)) {
    gRunsFileBlocked = !SetAsideNewerDataFile(path);
    return;
  }
  if (lines.empty() || TrimWhitespace(lines[0]) != kRunsHeader) {
    gRunsFileBlocked = !SetAsideDataFile(path, "not a practice runs file");
    return;
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string line = TrimWhitespace(lines[i]);
    if (line.empty()) continue;
    std::vector<std::string> f = SplitFields(line);
    if (f.size() < 7) continue;
    PracticeRun run;
    run.studentId = f[0];
    run.studentName = f[1];
    run.regionKey = f[2];
    run.bestMs = (uint32_t)ParseDecimal(f[3], false, 0, std::numeric_limits<uint32_t>::max());
    run.lastMs = (uint32_t)ParseDecimal(f[4], false, 0, std::numeric_limits<uint32_t>::max());
    run.runs = (int32_t)ParseDecimal(f[5], true, std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max(), true);
    run.lastTime = ParseDecimal(f[6], true, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
    if (run.studentId.empty() || run.regionKey.empty()) continue;
    run.runs = std::max(run.runs, 0);
    gPracticeRuns.push_back(run);
  }
  // Lines skipped or numbers repaired above would be lost by the next save: the file as read is
  // kept first, and when that is impossible the file is not replaced at all.
  if (path == GetDataFilePath(kRunsFile)) gRunsFileBlocked = !KeepCopyBeforeRewrite(path, raw, PracticeRunsText());
}

void ResetPracticeRecords() {
  gPracticeRuns.clear();
  gPracticeRunsLoaded = false;
}
