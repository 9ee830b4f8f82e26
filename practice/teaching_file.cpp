// practice/teaching_file: the teaching file's key-search reader and its background writer.
//
// Depends on app/ (paths, logs), platform/ (clock, file replacement) and the student list (file
// ids). The writer runs on a detached thread per save and touches only its job, the atomics and
// the commit table below; the commit table makes the newest save of a file win even when an older
// writer finishes later. A file of another version, or one in which no key of the file can be
// found, is set aside before anything could save over it; a cut or garbled one is read up to its
// flaw and kept beside it as read before the next save.
#include "practice/teaching_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/maths.h"
#include "app/base/strings.h"
#include "platform/clock.h"
#include "platform/file_replace.h"
#include "platform/process.h"
#include "practice/data_files.h"
#include "practice/students.h"

namespace fs = std::filesystem;

// ---- constants ----
static const char* kVersionMessage = "[teaching] unexpected schema version %d in %s; skipping load\n";
static const int kPendingWaitTries = 200;   // window destruction waits at most 200 x 10 ms
static const int kPendingWaitStepMs = 10;

// ---- state ----
std::atomic<int> gPendingSaves{0};                 // saves started and not yet finished
std::atomic<bool> gTeachingSaveFailed{false};      // a save failed since the UI last looked
static std::atomic<uint64_t> gSaveGeneration{0};   // order in which saves were started

// Newest generation that reached each target, and the newest save of each target that failed and
// has not been overtaken since. Built on first use and never destroyed, so a writer still running
// while the process ends never meets a destroyed mutex.
struct TeachingCommitTable {
  std::mutex mutex;
  std::unordered_map<std::string, uint64_t> newest;
  std::unordered_map<std::string, TeachingSaveJob> failed;
};
static TeachingCommitTable& CommitTable() {
  static TeachingCommitTable* table = new TeachingCommitTable();
  return *table;
}

// ---- internal helpers ----
static bool IsJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Position just after the colon of the first "key" that stands as a key (blanks and a colon after
// it), with whitespace skipped; npos when absent. A string value that reads like a key ("A" in
// "dateISO":"A") is passed over: the colon after it belongs to the next key.
static size_t FindValueStart(const std::string& text, const char* key) {
  std::string needle = std::string("\"") + key + "\"";
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    size_t i = at + needle.size();
    while (i < text.size() && IsJsonSpace(text[i])) ++i;
    if (i >= text.size() || text[i] != ':') continue;
    ++i;
    while (i < text.size() && IsJsonSpace(text[i])) ++i;
    return i;
  }
  return std::string::npos;
}

// The first c at or after from that stands outside the strings ("..." with backslash escapes) of
// text; npos when there is none. A date may hold any byte the writer escapes, "}" and "]" too.
static size_t FindOutsideStrings(const std::string& text, char c, size_t from) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == c) return i;
    if (text[i] != '"') continue;
    for (++i; i < text.size() && text[i] != '"'; ++i)
      if (text[i] == '\\') ++i;
  }
  return std::string::npos;
}

// The string value that starts after the opening quote at `from`, up to the next unescaped quote
// or the end of the text. A backslash takes the next character literally except n, r, t and the
// \uXXXX form the writer uses for control bytes.
static std::string ReadEscapedString(const std::string& text, size_t from) {
  std::string out;
  size_t i = from;
  while (i < text.size() && text[i] != '"') {
    char c = text[i++];
    if (c != '\\' || i >= text.size()) {
      out += c;
      continue;
    }
    char e = text[i++];
    if (e == 'n') {
      out += '\n';
    } else if (e == 'r') {
      out += '\r';
    } else if (e == 't') {
      out += '\t';
    } else if (e == 'u' && i + 4 <= text.size() && HexDigitValue(text[i]) >= 0 &&
               HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0 && HexDigitValue(text[i + 3]) >= 0) {
      unsigned cp = 0;
      for (int k = 0; k < 4; ++k) cp = cp * 16 + (unsigned)HexDigitValue(text[i + k]);
      i += 4;
      AppendUtf8(out, cp);
    } else {
      out += e;
    }
  }
  return out;
}

static bool PathExists(const std::string& path) {
  std::error_code ec;
  fs::file_status st = fs::status(path, ec);
  return !ec && fs::exists(st);
}

// The file name part of an id as older versions of the program made it: every byte outside
// a-z, A-Z, 0-9, "-" and "_" replaced, so different ids could share one name.
static std::string LegacyTeachingFileId(const std::string& id) {
  if (id.empty()) return "default";
  std::string out = id;
  for (char& c : out)
    if (!IsPlainFileIdByte(c)) c = '_';
  return out;
}

// An id whose file name changed when file names became one per id takes its file over under the
// new name, unless a student holds the old name as its own id (the file is that student's).
static void AdoptLegacyTeachingFile(const TeachingState& s, const std::string& path) {
  std::string legacyId = LegacyTeachingFileId(s.studentId);
  std::string legacy = JoinPath(s.dataFolder, "teaching_" + legacyId + ".json");
  if (legacy == path || PathExists(path) || !PathExists(legacy) || IsStudentIdTaken(legacyId)) return;
  if (RenameFileReplacing(legacy, path))
    DebugLog("[teaching] %s is now %s\n", legacy.c_str(), path.c_str());
}

// The text is one whole JSON object: it opens with "{", every bracket and string it opens is
// closed in order, and only white space follows the last "}". A cut or garbled file fails.
static bool IsWholeJsonObject(const std::string& text) {
  size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (i < text.size() && IsJsonSpace(text[i])) ++i;
  if (i >= text.size() || text[i] != '{') return false;
  std::string open;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      for (++i; i < text.size() && text[i] != '"'; ++i)
        if (text[i] == '\\') ++i;
      if (i >= text.size()) return false;
    } else if (c == '{' || c == '[') {
      open += c;
    } else if (c == '}' || c == ']') {
      if (open.empty() || open.back() != (c == '}' ? '{' : '[')) return false;
      open.pop_back();
      if (open.empty()) break;
    }
  }
  if (!open.empty() || i >= text.size()) return false;
  for (++i; i < text.size(); ++i)
    if (!IsJsonSpace(text[i])) return false;
  return true;
}

// Some key the reader takes data from stands in the text; without one it is not a teaching file.
static bool HasTeachingKey(const std::string& text) {
  for (const char* key : {"lastDifficulty", "practiceScales", "attendance"})
    if (FindValueStart(text, key) != std::string::npos) return true;
  return false;
}

static std::string LocalSaveTime() {
  LocalDateTime t = ClockLocalNow();
  char buf[64];
  snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
           t.second);
  return buf;
}

// Numbers the job among all saves and hands it to a writer thread. A failed save tried again keeps
// its number: numbered afresh it would pass for newer than a save started after it and put the
// older data back over the newer.
static void StartTeachingSave(TeachingSaveJob* job) {
  if (job->generation == 0) job->generation = ++gSaveGeneration;
  gPendingSaves.fetch_add(1);
  try {
    std::thread(WriteTeachingJsonThread, job).detach();
  } catch (...) {
    // No thread to be had: save here rather than lose the session.
    WriteTeachingJsonThread(job);
  }
}

// The saver of the dirty teaching store: each failed save again, with the data it had, so a
// session saved for a student switched away from still reaches that student's file.
static void SaveFailedTeachingFilesAgain() {
  std::vector<TeachingSaveJob> jobs;
  {
    TeachingCommitTable& table = CommitTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (const auto& entry : table.failed) jobs.push_back(entry.second);
  }
  for (const TeachingSaveJob& job : jobs) StartTeachingSave(new TeachingSaveJob(job));
}

// Replaces the target with the job's text unless a newer save of it has already landed. Saves
// hold the table's lock while they write, so saves of one file never interleave. A failed save is
// kept until a newer one of its file lands.
static void CommitJob(const TeachingSaveJob& job, const std::string& text) {
  TeachingCommitTable& table = CommitTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.newest.find(job.path);
  if (it != table.newest.end() && it->second > job.generation) return;
  std::string error;
  auto failed = table.failed.find(job.path);
  bool overtakes = failed == table.failed.end() || failed->second.generation <= job.generation;
  if (ReplaceFileWithContent(job.path, text, &error)) {
    table.newest[job.path] = job.generation;
    if (failed != table.failed.end() && overtakes) table.failed.erase(failed);
  } else {
    DebugLog("[teaching] could not save %s (%s)\n", job.path.c_str(), error.c_str());
    gTeachingSaveFailed.store(true);
    if (overtakes) table.failed[job.path] = job;
  }
  SetStoreDirty(SaveFailedTeachingFilesAgain, !table.failed.empty());
}

// A data-folder file read only in part is kept beside it (".bak") before a save replaces it; one
// that cannot be copied is moved aside whole (".bad"), so the save never takes its place. True:
// what was read stands.
static bool KeepWhatWasPassedOver(const std::string& path, const std::string& readPath, const std::string& text,
                                  bool partly) {
  if (!partly || readPath != path) return true;
  DebugLog("[teaching] %s was read only in part\n", path.c_str());
  if (!KeepCopyBeforeRewrite(path, text, std::string())) SetAsideDataFile(path, "read only in part");
  return true;
}

// ---- public functions ----
std::string SanitizeStudentId(const std::string& id) {
  if (id.empty()) return "default";
  for (char c : id)
    if (!IsPlainFileIdByte(c)) return HashedStudentFileId(id);
  return StudentFileId(id);
}

std::string TeachingFilePath(const TeachingState& s) {
  // Without a data folder there is nowhere to keep the file (never the current folder).
  if (s.dataFolder.empty()) return "";
  return JoinPath(s.dataFolder, "teaching_" + SanitizeStudentId(s.studentId) + ".json");
}

std::vector<std::string> TeachingFileCandidates(const TeachingState& s) {
  std::vector<std::string> out;
  if (s.dataFolder.empty()) return out;
  std::vector<std::string> names = {"teaching_" + SanitizeStudentId(s.studentId) + ".json"};
  std::string legacyId = LegacyTeachingFileId(s.studentId);
  // An older version wrote the file beside the program under the name it gave the id then.
  if ("teaching_" + legacyId + ".json" != names[0] && !IsStudentIdTaken(legacyId))
    names.push_back("teaching_" + legacyId + ".json");
  fs::path parent = fs::path(s.dataFolder).parent_path();
  for (const std::string& name : names) {
    out.push_back(JoinPath(parent.string(), name));
    if (parent.has_parent_path()) out.push_back(JoinPath(parent.parent_path().string(), name));
  }
  return out;
}

std::string JsonEscapeBasic(const std::string& s) {
  std::string out;
  out.reserve(s.size() + 8);
  for (char c : s) {
    unsigned char u = (unsigned char)c;
    if (c == '"') {
      out += "\\\"";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20) {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

bool JsonFindInt(const std::string& text, const char* key, int* out) {
  size_t i = FindValueStart(text, key);
  if (i == std::string::npos) return false;
  const char* start = text.c_str() + i;
  char* end = nullptr;
  long v = strtol(start, &end, 10);
  if (end == start) return false;
  *out = (int)(int64_t)v;   // keeps the low 32 bits
  return true;
}

bool JsonFindFloat(const std::string& text, const char* key, float* out) {
  size_t i = FindValueStart(text, key);
  if (i == std::string::npos) return false;
  const char* start = text.c_str() + i;
  char* end = nullptr;
  double v = strtod(start, &end);
  if (end == start) return false;
  *out = (float)v;
  return true;
}

std::string FormatTeachingFloat(float v) {
  std::ostringstream ss;
  ss.imbue(std::locale::classic());
  ss << v;
  return ss.str();
}

std::string FormatTeachingJson(const TeachingSaveJob& job, const std::string& savedLocalTime) {
  std::ostringstream ss;
  ss.imbue(std::locale::classic());
  ss << "{\n";
  ss << "  \"version\":1,\n";
  ss << "  \"studentId\":\"" << JsonEscapeBasic(job.studentId) << "\",\n";
  ss << "  \"studentName\":\"" << JsonEscapeBasic(job.studentName) << "\",\n";
  ss << "  \"lastSaved\":\"" << savedLocalTime << "\",\n";
  ss << "  \"lastDifficulty\":" << job.difficulty << ",\n";
  ss << "  \"practiceScales\":[";
  for (size_t i = 0; i < job.practiceScales.size(); ++i) {
    if (i) ss << ',';
    ss << job.practiceScales[i];
  }
  ss << "],\n";
  ss << "  \"attendance\":[\n";
  for (size_t i = 0; i < job.attendance.size(); ++i) {
    const TeachingAttendanceEntry& e = job.attendance[i];
    ss << "    {\"dateISO\":\"" << JsonEscapeBasic(e.dateISO) << "\"";
    ss << ",\"Challenge\":" << FormatTeachingFloat(e.Challenge);
    ss << ",\"A\":" << FormatTeachingFloat(e.A);
    ss << ",\"B\":" << FormatTeachingFloat(e.B);
    ss << ",\"C\":" << FormatTeachingFloat(e.C);
    ss << ",\"D\":" << FormatTeachingFloat(e.D);
    ss << ",\"bpm\":" << e.bpm << ",\"timeSigNum\":" << e.timeSigNum;
    ss << ",\"timeSigDen\":" << e.timeSigDen << ",\"difficulty\":" << e.difficulty << "}";
    if (i + 1 < job.attendance.size()) ss << ',';
    ss << '\n';
  }
  ss << "  ]\n";
  ss << "}\n";
  return ss.str();
}

bool ReadTeachingFile(TeachingState& s) {
  std::string path = TeachingFilePath(s);
  if (path.empty()) return false;
  AdoptLegacyTeachingFile(s, path);
  std::string readPath = path;
  if (!PathExists(path)) {
    for (const std::string& candidate : TeachingFileCandidates(s)) {
      if (PathExists(candidate)) {
        readPath = candidate;
        break;
      }
    }
  }
  std::string text;
  DataFileRead read = ReadDataFileBytes(readPath, &text);
  // The next save would replace a file of the data folder that was not taken in whole: it is
  // kept aside first, and the student starts fresh. Older copies elsewhere are only passed over.
  auto setAside = [&](const char* reason) {
    if (readPath == path) SetAsideDataFile(path, reason);
    return false;
  };
  if (read == DataFileRead::kUnreadable) return setAside("cannot be read");
  if (text.empty()) return false;

  int version = 1;
  JsonFindInt(text, "version", &version);
  if (version != 1) {
    char buf[256];
    snprintf(buf, sizeof buf, kVersionMessage, version, readPath.c_str());
    DebugTraceLine(buf);
    if (version > 1) {
      if (readPath == path) SetAsideNewerDataFile(path);
      return false;
    }
    return setAside("a version this program does not write");
  }

  // Parts the reader passes over (a session without its date, a field that is not a number, a
  // list cut short) would be gone after the next save: the file as read is kept beside it first.
  // A cut or garbled file is read the same way up to its last separator, as a number at the very
  // end may have lost digits.
  bool partly = !IsWholeJsonObject(text);
  const std::string body = partly ? text.substr(0, text.find_last_of(",]}") + 1) : text;
  if (partly && !HasTeachingKey(text)) return setAside("not a teaching file");
  JsonFindInt(body, "lastDifficulty", &s.lastDifficulty);
  s.lastDifficulty = ClampInt(s.lastDifficulty, 1, 10);

  s.savedPracticeScales.clear();
  size_t key = body.find("\"practiceScales\"");
  size_t open = key == std::string::npos ? key : body.find('[', key);
  size_t close = open == std::string::npos ? open : body.find(']', open);
  // A list cut short (here and below) still holds what stood before the cut.
  if (open != std::string::npos && close == std::string::npos) close = body.size(), partly = true;
  if (close != std::string::npos) {
    size_t i = open + 1;
    while (i < close) {
      char c = body[i];
      if (IsJsonSpace(c) || c == ',') {
        ++i;
        continue;
      }
      const char* start = body.c_str() + i;
      char* end = nullptr;
      long v = strtol(start, &end, 10);
      if (end == start) {
        partly = true;
        break;
      }
      s.savedPracticeScales.push_back((int32_t)(int64_t)v);
      i += (size_t)(end - start);
    }
  }

  s.attendance.clear();
  key = body.find("\"attendance\"");
  open = key == std::string::npos ? key : body.find('[', key);
  close = open == std::string::npos ? open : FindOutsideStrings(body, ']', open);
  if (open == std::string::npos) return KeepWhatWasPassedOver(path, readPath, text, key != std::string::npos || partly);
  if (close == std::string::npos) close = body.size(), partly = true;
  size_t pos = open + 1;
  while (pos < close) {
    size_t objOpen = FindOutsideStrings(body, '{', pos);
    if (objOpen == std::string::npos || objOpen > close) break;
    size_t objClose = FindOutsideStrings(body, '}', objOpen);
    if (objClose == std::string::npos || objClose > close) break;
    std::string obj = body.substr(objOpen, objClose - objOpen + 1);

    TeachingAttendanceEntry e;
    size_t date = FindValueStart(obj, "dateISO");
    if (date != std::string::npos && date < obj.size() && obj[date] == '"') e.dateISO = ReadEscapedString(obj, date + 1);
    bool whole = JsonFindFloat(obj, "Challenge", &e.Challenge);
    whole &= JsonFindFloat(obj, "A", &e.A);
    whole &= JsonFindFloat(obj, "B", &e.B);
    whole &= JsonFindFloat(obj, "C", &e.C);
    whole &= JsonFindFloat(obj, "D", &e.D);
    whole &= JsonFindInt(obj, "bpm", &e.bpm);
    whole &= JsonFindInt(obj, "timeSigNum", &e.timeSigNum);
    whole &= JsonFindInt(obj, "timeSigDen", &e.timeSigDen);
    whole &= JsonFindInt(obj, "difficulty", &e.difficulty);
    if (!e.dateISO.empty()) s.attendance.push_back(e);
    partly |= !whole || e.dateISO.empty();
    pos = objClose + 1;
  }
  return KeepWhatWasPassedOver(path, readPath, text, partly);
}

void SaveTeachingStateAsync(const TeachingState& s) {
  TeachingSaveJob* job = new TeachingSaveJob();
  job->path = TeachingFilePath(s);
  job->studentId = s.studentId;
  job->studentName = s.studentName;
  job->difficulty = s.difficulty;
  job->practiceScales = s.practiceScales;
  job->attendance = s.attendance;
  StartTeachingSave(job);
}

void ForgetFailedTeachingSave(const std::string& path) {
  TeachingCommitTable& table = CommitTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.failed.erase(path);
  SetStoreDirty(SaveFailedTeachingFilesAgain, !table.failed.empty());
}

void ResetFailedTeachingSaves() {
  TeachingCommitTable& table = CommitTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.failed.clear();
  SetStoreDirty(SaveFailedTeachingFilesAgain, false);
}

void WriteTeachingJsonThread(TeachingSaveJob* job) {
  std::error_code ec;
  fs::path folder = fs::path(job->path).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ec);

  CommitJob(*job, FormatTeachingJson(*job, LocalSaveTime()));
  delete job;
  gPendingSaves.fetch_sub(1);
}

bool WaitForPendingSaves() {
  for (int i = 0; i < kPendingWaitTries && gPendingSaves.load() > 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(kPendingWaitStepMs));
  return gPendingSaves.load() <= 0;
}

void DebugTraceLine(const std::string& text) {
  if (text.empty() || text.back() != '\n') {
    DebugOutput((text + "\n").c_str());
  } else {
    DebugOutput(text.c_str());
  }
}
