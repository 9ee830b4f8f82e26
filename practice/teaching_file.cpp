// practice/teaching_file: the teaching file's key-search reader and its background writer.
//
// Depends on app/ (paths, logs), platform/ (clock, process id, file replacement). The writer runs
// on a detached thread per save and touches only its job, the atomics and the commit table below;
// the commit table makes the newest save of a file win even when an older writer finishes later.
#include "practice/teaching_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "app/logs.h"
#include "app/utilities.h"
#include "platform/clock.h"
#include "platform/file_replace.h"
#include "platform/process.h"

namespace fs = std::filesystem;

// ---- constants ----
static const char* kVersionMessage = "[teaching] unexpected schema version %d in %s; skipping load\n";
static const int kPendingWaitTries = 200;   // window destruction waits at most 200 x 10 ms
static const int kPendingWaitStepMs = 10;

// ---- state ----
std::atomic<int> gPendingSaves{0};                 // saves started and not yet finished
static std::atomic<uint64_t> gTempNameCounter{0};  // makes every temporary name unique
static std::atomic<uint64_t> gSaveGeneration{0};   // order in which saves were started

// Newest generation that reached each target. Built on first use and never destroyed, so a
// writer still running while the process ends never meets a destroyed mutex.
struct TeachingCommitTable {
  std::mutex mutex;
  std::unordered_map<std::string, uint64_t> newest;
};
static TeachingCommitTable& CommitTable() {
  static TeachingCommitTable* table = new TeachingCommitTable();
  return *table;
}

// ---- internal helpers ----
static bool IsJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Position just after the colon that follows "key", with whitespace skipped; npos when absent.
static size_t FindValueStart(const std::string& text, const char* key) {
  std::string needle = std::string("\"") + key + "\"";
  size_t at = text.find(needle);
  if (at == std::string::npos) return std::string::npos;
  size_t colon = text.find(':', at + needle.size());
  if (colon == std::string::npos) return std::string::npos;
  size_t i = colon + 1;
  while (i < text.size() && IsJsonSpace(text[i])) ++i;
  return i;
}

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Appends the code point as UTF-8.
static void AppendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += (char)cp;
  } else if (cp < 0x800) {
    out += (char)(0xC0 | (cp >> 6));
    out += (char)(0x80 | (cp & 0x3F));
  } else {
    out += (char)(0xE0 | (cp >> 12));
    out += (char)(0x80 | ((cp >> 6) & 0x3F));
    out += (char)(0x80 | (cp & 0x3F));
  }
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
    } else if (e == 'u' && i + 4 <= text.size() && HexValue(text[i]) >= 0 &&
               HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0) {
      unsigned cp = 0;
      for (int k = 0; k < 4; ++k) cp = cp * 16 + (unsigned)HexValue(text[i + k]);
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

static std::string LocalSaveTime() {
  LocalDateTime t = ClockLocalNow();
  char buf[64];
  snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
           t.second);
  return buf;
}

// Replaces the target with the job's text unless a newer save of it has already landed. Saves
// hold the table's lock while they write, so saves of one file never interleave.
static void CommitJob(const TeachingSaveJob& job, const std::string& tmp, const std::string& text) {
  TeachingCommitTable& table = CommitTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.newest.find(job.path);
  if (it != table.newest.end() && it->second > job.generation) return;
  std::string error;
  if (ReplaceFileWithContent(tmp, job.path, text, &error)) {
    table.newest[job.path] = job.generation;
  } else {
    DebugLog("[teaching] could not save %s (%s)\n", job.path.c_str(), error.c_str());
  }
}

// ---- public functions ----
std::string SanitizeStudentId(const std::string& id) {
  if (id.empty()) return "default";
  std::string out = id;
  for (char& c : out) {
    bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                c == '-' || c == '_';
    if (!keep) c = '_';
  }
  return out;
}

std::string TeachingFilePath(const TeachingState& s) {
  return JoinPath(s.dataFolder, "teaching_" + SanitizeStudentId(s.studentId) + ".json");
}

std::vector<std::string> TeachingFileCandidates(const TeachingState& s) {
  std::string name = "teaching_" + SanitizeStudentId(s.studentId) + ".json";
  std::vector<std::string> out;
  fs::path parent = fs::path(s.dataFolder).parent_path();
  out.push_back(JoinPath(parent.string(), name));
  if (parent.has_parent_path()) out.push_back(JoinPath(parent.parent_path().string(), name));
  return out;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return "";
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
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
  std::string readPath = path;
  if (!PathExists(path)) {
    for (const std::string& candidate : TeachingFileCandidates(s)) {
      if (PathExists(candidate)) {
        readPath = candidate;
        break;
      }
    }
  }
  std::string text = ReadWholeFile(readPath);
  if (text.empty()) return false;

  int version = 1;
  JsonFindInt(text, "version", &version);
  if (version != 1) {
    char buf[256];
    snprintf(buf, sizeof buf, kVersionMessage, version, readPath.c_str());
    DebugTraceLine(buf);
    return false;
  }

  JsonFindInt(text, "lastDifficulty", &s.lastDifficulty);
  s.lastDifficulty = ClampInt(s.lastDifficulty, 1, 10);

  s.savedPracticeScales.clear();
  size_t key = text.find("\"practiceScales\"");
  size_t open = key == std::string::npos ? key : text.find('[', key);
  size_t close = open == std::string::npos ? open : text.find(']', open);
  if (close != std::string::npos) {
    size_t i = open + 1;
    while (i < close) {
      char c = text[i];
      if (IsJsonSpace(c) || c == ',') {
        ++i;
        continue;
      }
      const char* start = text.c_str() + i;
      char* end = nullptr;
      long v = strtol(start, &end, 10);
      if (end == start) break;
      s.savedPracticeScales.push_back((int32_t)(int64_t)v);
      i += (size_t)(end - start);
    }
  }

  s.attendance.clear();
  key = text.find("\"attendance\"");
  open = key == std::string::npos ? key : text.find('[', key);
  close = open == std::string::npos ? open : text.find(']', open);
  if (close == std::string::npos) return true;
  size_t pos = open + 1;
  while (pos < close) {
    size_t objOpen = text.find('{', pos);
    if (objOpen == std::string::npos || objOpen > close) break;
    size_t objClose = text.find('}', objOpen);
    if (objClose == std::string::npos || objClose > close) break;
    std::string obj = text.substr(objOpen, objClose - objOpen + 1);

    TeachingAttendanceEntry e;
    size_t dateKey = obj.find("\"dateISO\"");
    size_t colon = dateKey == std::string::npos ? dateKey : obj.find(':', dateKey + 9);
    size_t quote = colon == std::string::npos ? colon : obj.find('"', colon + 1);
    if (quote != std::string::npos) e.dateISO = ReadEscapedString(obj, quote + 1);
    JsonFindFloat(obj, "Challenge", &e.Challenge);
    JsonFindFloat(obj, "A", &e.A);
    JsonFindFloat(obj, "B", &e.B);
    JsonFindFloat(obj, "C", &e.C);
    JsonFindFloat(obj, "D", &e.D);
    JsonFindInt(obj, "bpm", &e.bpm);
    JsonFindInt(obj, "timeSigNum", &e.timeSigNum);
    JsonFindInt(obj, "timeSigDen", &e.timeSigDen);
    JsonFindInt(obj, "difficulty", &e.difficulty);
    if (!e.dateISO.empty()) s.attendance.push_back(e);
    pos = objClose + 1;
  }
  return true;
}

void SaveTeachingStateAsync(const TeachingState& s) {
  TeachingSaveJob* job = new TeachingSaveJob();
  job->path = TeachingFilePath(s);
  job->studentId = s.studentId;
  job->studentName = s.studentName;
  job->difficulty = s.difficulty;
  job->practiceScales = s.practiceScales;
  job->attendance = s.attendance;
  job->generation = ++gSaveGeneration;
  gPendingSaves.fetch_add(1);
  try {
    std::thread(WriteTeachingJsonThread, job).detach();
  } catch (...) {
    // No thread to be had: save here rather than lose the session.
    WriteTeachingJsonThread(job);
  }
}

void WriteTeachingJsonThread(TeachingSaveJob* job) {
  std::error_code ec;
  fs::path folder = fs::path(job->path).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ec);

  uint64_t n = gTempNameCounter.fetch_add(1);
  std::string tmp = job->path + ".tmp." + std::to_string(ProcessId()) + "." + std::to_string(n);
  CommitJob(*job, tmp, FormatTeachingJson(*job, LocalSaveTime()));
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
