// practice/students: the student list, "students.dat", switching and deleting students.
//
// Ids are file-name parts. Ids this module makes are slugs and always safe; ids read from the file
// stay as written, so an id that could reach outside the Data folder ("/", "\", "..", ":" or a
// control byte), or one too long for a file name, is used in file names only in its hashed form.
// A student's files never change owner: an id given anew (a duplicate read from the file, a new
// student) is one that no student holds and no file in the Data folder carries.
#include "practice/students.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <locale>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/base/app_state.h"
#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/status_text.h"
#include "app/base/strings.h"
#include "gfx/layout.h"
#include "gfx/text_field.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/file_replace.h"
#include "practice/achievements.h"
#include "practice/data_files.h"
#include "practice/practice_records.h"
#include "practice/practice_run.h"
#include "practice/student_colours.h"
#include "practice/teaching_file.h"
#include "practice/teaching_state.h"

// ---- constants ----
static const char kStudentsFile[] = "students.dat";
// Longest id used as it is in file names: with the longest prefix, ".dat" and a temporary or
// set-aside tail the name stays well inside the 255 bytes a file name may hold.
static const size_t kMaxPlainFileIdBytes = 160;
static const size_t kHashedReadableBytes = 40;   // letters of the id kept in its hashed form
// Per-student files of the learning model and the classroom, removed with their student.
static const char* const kStudentFilePrefixes[] = {
    "learning_progress_", "learning_mastery_",      "learning_schedule_", "learning_calendar_",
    "learning_practiceload_", "attendance_", "notes_", "learning_endless_"};

// ---- state ----
std::vector<Student> gStudents;   // the list, in file order
int gActiveStudentIndex = -1;     // the active student, -1 for none
bool gStudentsLoaded = false;     // LoadStudents has run
void (*gStudentChangedHook)() = nullptr;                                  // the learning model's
void (*gStudentSwitchedHook)(const std::string& songPathBefore) = nullptr;  // the learning model's
void (*gStudentDeletedHook)(const std::string& id) = nullptr;              // the classroom's
void (*gAddStudentHook)(const std::string& name) = nullptr;                 // the classroom's

// ---- internal helpers ----
static bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Standard float conversion of a whole trimmed field; false when it does not convert.
static bool ParseFloatField(const std::string& field, float* out) {
  try {
    *out = std::stof(field);
    return true;
  } catch (...) {
    return false;
  }
}

// Fields of rest split at every "|", each trimmed; empty fields kept.
static std::vector<std::string> SplitBars(const std::string& rest) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t bar = rest.find('|', start);
    fields.push_back(TrimWhitespace(rest.substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return fields;
}

// General notation with 6 significant digits, always with a "." whatever the global locale.
static std::string FormatColourComponent(float v) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::clamp(v, 0.0f, 1.0f);
  return out.str();
}

// Anything at all is there (a dangling link too).
static bool PathExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// 64-bit FNV-1a of the bytes, as 16 hex digits.
static std::string HashHex(const std::string& text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", (unsigned long long)h);
  return buf;
}

// Files named by an id that is now hashed: older lists kept ids as written, and their files carry
// the id itself. Each is given with the path of its hashed name. None is given when the name would
// cross a folder, or is the one another student's files go by (an id written as a hashed name):
// those files are that student's.
static std::vector<std::pair<std::string, std::string>> FilesNamedByTheId(
    const std::string& rawId, const std::unordered_set<std::string>& fileIdsInUse) {
  std::vector<std::pair<std::string, std::string>> files;
  std::string id = TrimWhitespace(rawId);
  std::string fileId = StudentFileId(id);
  if (id.empty() || fileId == id || id.find('/') != std::string::npos || fileIdsInUse.count(id)) return files;
  for (unsigned char c : id)
    if (c < 0x20) return files;
  std::vector<std::string> prefixes(std::begin(kStudentFilePrefixes), std::end(kStudentFilePrefixes));
  prefixes.push_back("achievements_");
  for (const std::string& prefix : prefixes) {
    std::string plainName = prefix + id + ".dat";
    if (plainName.size() > 255) continue;
    std::string plain = GetDataFilePath(plainName);
    if (!plain.empty()) files.emplace_back(plain, GetDataFilePath(prefix + fileId + ".dat"));
  }
  return files;
}

// Such a file is taken over under the hashed name, unless it is a link or not there, or the hashed
// one already exists.
static void AdoptFilesNamedByTheId(const std::string& id, const std::unordered_set<std::string>& fileIdsInUse) {
  for (const auto& [plain, hashed] : FilesNamedByTheId(id, fileIdsInUse)) {
    if (!IsRegularFile(plain) || PathExists(hashed)) continue;
    if (RenameFileReplacing(plain, hashed)) DebugLog("[students] %s is now %s\n", plain.c_str(), hashed.c_str());
  }
}

// The file ids the students' files go by now.
static std::unordered_set<std::string> StudentFileIdsInUse() {
  std::unordered_set<std::string> fileIds;
  for (const Student& s : gStudents) fileIds.insert(StudentFileId(TrimWhitespace(s.id)));
  return fileIds;
}

static void DeleteFilesOfStudent(const std::string& id) {
  // A teaching save still in flight would put its file back after the removal: let it land first.
  WaitForPendingSaves();
  for (const std::string& name : StudentFileNames(id)) {
    std::string path = GetDataFilePath(name);
    ForgetFailedTeachingSave(path);
    ForgetRefusedAchievementsSave(path);
    RemoveFileIfPresent(path);
    // Every copy kept beside the file is still the student's: the damaged ones set aside, those
    // kept before a rewrite, whatever their number, and the one kept before a placement.
    for (const std::string& copy : SetAsideCopiesOf(path)) RemoveFileIfPresent(copy);
    for (const std::string& copy : KeptCopiesOf(path)) RemoveFileIfPresent(copy);
    RemoveFileIfPresent(PrePlacementCopyPath(path));
    RemoveFileIfPresent(path + ".tmp");   // left by a save killed under the older naming
    RemoveTempFilesOf(path);              // left by saves killed before their rename
  }
  std::string besideExe = GetExeFilePath(AchievementsFileName(id));
  if (!IsRegularFile(GetAchievementsPath(id)) && IsRegularFile(besideExe)) RemoveFileIfPresent(besideExe);
  // A file still under the id itself (not taken over: its hashed name was already there) is the
  // student's too; a link is left, its target may be anyone's.
  for (const auto& [plain, hashed] : FilesNamedByTheId(id, StudentFileIdsInUse())) {
    if (IsRegularFile(plain)) RemoveFileIfPresent(plain);
    for (const std::string& copy : SetAsideCopiesOf(plain)) RemoveFileIfPresent(copy);
    for (const std::string& copy : KeptCopiesOf(plain)) RemoveFileIfPresent(copy);
  }
}

// The names in the Data folder, read once for many look-ups.
struct DataFolderNames {
  std::string folder;                      // Data folder with its separator, "" when there is none
  bool listed = false;                     // names holds the folder's listing
  std::unordered_set<std::string> names;
};

// Some file of the Data folder already carries this id (without a Data folder, none can).
static bool HasStudentFiles(const std::string& id, DataFolderNames& data) {
  if (data.folder.empty()) return false;
  for (const std::string& name : StudentFileNames(id))
    if (data.listed ? data.names.count(name) > 0 : PathExists(data.folder + name)) return true;
  return false;
}

static void ListDataFolder(DataFolderNames& data) {
  data.folder = GetDataFolder();
  data.listed = true;
  std::error_code ec;
  if (data.folder.empty()) return;
  for (const auto& entry : std::filesystem::directory_iterator(data.folder, ec))
    data.names.insert(entry.path().filename().string());
}

// The id would name the files kept while no student is active ("default").
static bool IsNoStudentsId(const std::string& id) {
  std::string trimmed = TrimWhitespace(id);
  return trimmed.empty() || StudentFileId(trimmed) == "default";
}

// A fresh id from base: base itself, else base + "_2", "_3" ..., skipping ids in `taken`, ids
// whose files exist and "default" (it names the files used while no student is active). nextSuffix remembers per base where the search stopped, so a list of many
// equal ids is renamed in linear time.
static std::string FreshStudentId(const std::string& base, const std::unordered_set<std::string>& taken,
                                  DataFolderNames& data, std::unordered_map<std::string, int>* nextSuffix) {
  int n = 1;
  if (nextSuffix) {
    auto it = nextSuffix->find(base);
    if (it != nextSuffix->end()) n = it->second;
  }
  std::string candidate = n == 1 ? base : base + "_" + std::to_string(n);
  while (taken.count(candidate) || IsNoStudentsId(candidate) || HasStudentFiles(candidate, data))
    candidate = base + "_" + std::to_string(++n);
  if (nextSuffix) (*nextSuffix)[base] = n + 1;
  return candidate;
}

// One student line as read, before duplicate ids are settled.
struct ReadStudent {
  Student st;
  bool idFromName;   // the file gave no id: renaming it is routine, not worth a log line
};

// The student lines after the header and the active line (version 1 or 2), with empty names and
// lines without "|" skipped and missing ids made from the names. The writer ends every line of
// version 2, so a last line without its line feed is cut: an id that ends it may be cut too ("ben"
// of "ben_k", whose files it would never find) and is made from the name instead.
static std::vector<ReadStudent> ReadStudentLines(const std::vector<std::string>& lines, int version,
                                                 bool lastLineCut) {
  std::vector<ReadStudent> rows;
  for (size_t i = 2; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    size_t bar = line.find('|');
    if (line.empty() || bar == std::string::npos) continue;
    Student st;
    st.name = TrimWhitespace(line.substr(0, bar));
    std::string rest = line.substr(bar + 1);
    if (version == 2) {
      std::vector<std::string> fields = SplitBars(rest);
      st.id = fields[0];
      if (lastLineCut && i + 1 == lines.size() && fields.size() == 1 && !TrimWhitespace(line.substr(0, bar)).empty()) {
        DebugLog("[students] the last line ends cut short; its id \"%s\" is made from the name\n", st.id.c_str());
        st.id.clear();
      }
      if (fields.size() >= 4) {
        ParseFloatField(fields[1], &st.r);
        ParseFloatField(fields[2], &st.g);
        ParseFloatField(fields[3], &st.b);
      }
    } else {
      st.id = TrimWhitespace(rest);
    }
    if (st.name.empty()) continue;
    bool fromName = st.id.empty();
    if (fromName) st.id = IdSlugFromName(st.name);
    rows.push_back({st, fromName});
  }
  return rows;
}

// The first holder of an id keeps it with its files; a later duplicate, or an id holding "|" (it
// would not survive the save), gets a fresh id that starts without files. Every id as read is
// held back, so a duplicate renamed early never takes the id of a student further down.
static void GiveDuplicatesFreshIds(std::vector<ReadStudent>& rows) {
  std::unordered_set<std::string> taken, kept;
  taken.reserve(rows.size());
  kept.reserve(rows.size());
  for (const ReadStudent& row : rows) taken.insert(row.st.id);
  std::unordered_map<std::string, int> nextSuffix;
  DataFolderNames data;
  // One line for the first few renamed ids and one for the rest: a damaged list of many equal ids
  // must not flood the log.
  const int kLoggedRenames = 3;
  int renamed = 0;
  for (ReadStudent& row : rows) {
    std::string& id = row.st.id;
    bool hasBar = id.find('|') != std::string::npos;
    bool noStudents = IsNoStudentsId(id);
    if (!hasBar && !noStudents && kept.insert(id).second) continue;
    if (!data.listed) ListDataFolder(data);
    std::string fresh = FreshStudentId(IdSlugFromName(id), taken, data, &nextSuffix);
    if (!row.idFromName && ++renamed <= kLoggedRenames)
      DebugLog("[students] id \"%s\" %s; now \"%s\"\n", id.c_str(),
               hasBar ? "holds \"|\"" : noStudents ? "names the files of no student" : "is held by an earlier student",
               fresh.c_str());
    id = fresh;
    taken.insert(fresh);
    kept.insert(fresh);
  }
  if (renamed > kLoggedRenames)
    DebugLog("[students] %d more ids were held by earlier students or unusable; each was given a fresh id\n",
             renamed - kLoggedRenames);
}

// The text of "students.dat" for the list in memory.
static std::string StudentsFileText() {
  std::string text = "STUDENTS_V2\n";
  int count = (int)gStudents.size();
  // What is written is what is in memory: no active student is written as none.
  int active = (count == 0 || gActiveStudentIndex < 0) ? -1 : std::min(gActiveStudentIndex, count - 1);
  text += "active=" + std::to_string(active) + "\n";
  for (const Student& s : gStudents) {
    std::string name = s.name;
    for (char& c : name)
      if (c == '\n' || c == '\r' || c == '|') c = ' ';
    text += name + "|" + s.id + "|" + FormatColourComponent(s.r) + "|" + FormatColourComponent(s.g) +
            "|" + FormatColourComponent(s.b) + "\n";
  }
  return text;
}

// ---- public functions ----
std::string IdSlugFromName(const std::string& name) {
  std::string slug;
  bool inRun = false;
  for (unsigned char c : name) {
    if (IsAsciiAlnum(c)) {
      slug += (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : (char)c;
      inRun = false;
    } else if (!inRun) {
      slug += '_';
      inRun = true;
    }
  }
  size_t b = slug.find_first_not_of('_');
  if (b == std::string::npos) return "student";
  size_t e = slug.find_last_not_of('_');
  return slug.substr(b, e - b + 1);
}

bool IsStudentIdTaken(const std::string& id) {
  for (const Student& s : gStudents)
    if (s.id == id) return true;
  return false;
}

std::string MakeUniqueStudentId(const std::string& text) {
  std::unordered_set<std::string> taken;
  for (const Student& s : gStudents) taken.insert(s.id);
  DataFolderNames data;
  data.folder = GetDataFolder();
  return FreshStudentId(IdSlugFromName(text), taken, data, nullptr);
}

std::string StudentNameKey(const std::string& name) { return AsciiLower(TrimWhitespace(name)); }

std::string MakeUniqueStudentName(const std::string& wanted) {
  std::string base = TrimWhitespace(wanted);
  if (base.empty()) base = "Student";
  std::unordered_set<std::string> taken;
  for (const Student& s : gStudents) taken.insert(StudentNameKey(s.name));
  std::string candidate = base;
  for (int n = 2; taken.count(StudentNameKey(candidate)); ++n) candidate = base + " " + std::to_string(n);
  return candidate;
}

bool IsUnsafeStudentId(const std::string& id) {
  if (id.find('/') != std::string::npos || id.find('\\') != std::string::npos ||
      id.find(':') != std::string::npos || id.find("..") != std::string::npos)
    return true;
  for (unsigned char c : id)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

bool IsPlainFileIdByte(char c) { return IsAsciiAlnum((unsigned char)c) || c == '-' || c == '_'; }

std::string HashedStudentFileId(const std::string& id) {
  std::string readable = id.substr(0, kHashedReadableBytes);
  for (char& c : readable)
    if (!IsPlainFileIdByte(c)) c = '_';
  return readable + ".." + HashHex(id);
}

std::string StudentFileId(const std::string& id) {
  if (!IsUnsafeStudentId(id) && id.size() <= kMaxPlainFileIdBytes) return id;
  return HashedStudentFileId(id);
}

std::vector<std::string> StudentFileNames(const std::string& id) {
  std::string fileId = StudentFileId(id);
  std::vector<std::string> names = {AchievementsFileName(id), "teaching_" + SanitizeStudentId(id) + ".json"};
  for (const char* prefix : kStudentFilePrefixes) names.push_back(prefix + fileId + ".dat");
  return names;
}

bool SaveStudents() {
  gStudentsDirty = !WriteTextFileAtomic(GetDataFilePath(kStudentsFile), StudentsFileText());
  return !gStudentsDirty;
}

void SaveDirtyStudents() {
  if (gStudentsDirty) SaveStudents();
}

void LoadStudents() {
  gStudents.clear();
  int active = 0;

  std::string path = ResolveDataFile(kStudentsFile);
  std::vector<std::string> lines;
  std::string raw;
  DataFileRead read = ReadDataFileLines(path, &lines, &raw);
  int version = 0;
  if (read == DataFileRead::kOk && !lines.empty()) {
    if (lines[0] == "STUDENTS_V1") version = 1;
    if (lines[0] == "STUDENTS_V2") version = 2;
  }
  // A file we cannot use is kept aside before the save below would replace it.
  if (read == DataFileRead::kUnreadable)
    SetAsideDataFile(path, "cannot be read");
  else if (read == DataFileRead::kOk && version == 0 && IsNewerHeader(lines.empty() ? "" : lines[0], "STUDENTS_V", 2))
    SetAsideNewerDataFile(path);
  else if (read == DataFileRead::kOk && version == 0)
    SetAsideDataFile(path, "not a students file");

  if (version != 0) {
    if (lines.size() >= 2 && lines[1].size() >= 7 && lines[1].compare(0, 7, "active=") == 0) {
      try {
        active = std::stoi(lines[1].substr(7));
      } catch (...) {
        active = 0;
      }
    }
    std::vector<ReadStudent> rows = ReadStudentLines(lines, version, !raw.empty() && raw.back() != '\n');
    GiveDuplicatesFreshIds(rows);
    for (ReadStudent& row : rows) {
      NormalizeStudentColour(row.st);
      gStudents.push_back(std::move(row.st));
    }
    const std::unordered_set<std::string> fileIdsInUse = StudentFileIdsInUse();
    for (const Student& s : gStudents) AdoptFilesNamedByTheId(s.id, fileIdsInUse);
  }

  int count = (int)gStudents.size();
  gActiveStudentIndex = (count > 0 && active >= 0) ? std::min(active, count - 1) : -1;
  gStudentsLoaded = true;
  // The file is written back at once; when that drops or changes part of what was read, the file
  // as read is kept beside it first. A copy that cannot be made stops the rewrite.
  std::string text = StudentsFileText();
  bool rewriteSafe = true;
  if (read == DataFileRead::kOk && version != 0 && path == GetDataFilePath(kStudentsFile))
    rewriteSafe = KeepCopyBeforeRewrite(path, raw, text);
  gStudentsDirty = rewriteSafe && !WriteTextFileAtomic(GetDataFilePath(kStudentsFile), text);
  LoadTeachingState(true);
  RelayoutAll();
}

void SwitchActiveStudent(int index) {
  std::string songPath = gSongPath;
  if (gStudents.empty()) {
    gActiveStudentIndex = -1;
    LoadTeachingState(true);
    SaveStudents();
  } else {
    int target = std::clamp(index, 0, (int)gStudents.size() - 1);
    if (gStudentsLoaded) {
      if (target == gActiveStudentIndex) return;
      SaveAchievements();
    }
    gActiveStudentIndex = target;
    SaveStudents();
    if (gStudentsLoaded) LoadAchievements();
    LoadTeachingState(true);
  }
  RearmPracticeRun();
  if (gStudentSwitchedHook) gStudentSwitchedHook(songPath);
  RelayoutAll();
}

void DeleteStudent(int index) {
  if (index < 0 || index >= (int)gStudents.size()) return;
  std::string id = TrimWhitespace(gStudents[index].id);
  // An unsaved change of the deleted student's teaching record must not be written back by the
  // reload below, or the deleted file comes back.
  if (gTeachingState.loaded && gTeachingState.studentId == gStudents[index].id) gTeachingState.dirty = 0;
  int old = gActiveStudentIndex;
  if (gColourPopupOpen && gSelectedStudentRow == index) {
    gColourPopupOpen = false;
    gColourWheelDrag = false;
    gSelectedStudentRow = -1;
  }
  SaveAchievements();
  gStudents.erase(gStudents.begin() + index);
  int count = (int)gStudents.size();
  if (count == 0) {
    gActiveStudentIndex = -1;
    SaveStudents();
    LoadAchievements();
    if (gStudentChangedHook) gStudentChangedHook();
  } else if (index == old) {
    gActiveStudentIndex = std::clamp(index, 0, count - 1);
    SaveStudents();
    LoadAchievements();
    if (gStudentChangedHook) gStudentChangedHook();
  } else {
    // With no active student none stays active, so the empty matrix in memory is never written
    // into the first student's file.
    if (old >= 0 && index < old) gActiveStudentIndex = old - 1;
    SaveStudents();
  }
  if (!id.empty() && id != "default") {
    if (gStudentDeletedHook) gStudentDeletedHook(id);
    DeleteFilesOfStudent(id);
    ForgetPracticeRunsOf(id);
  }
  if (index == old) RearmPracticeRun();
  gHighlightRowId = -1;
  gHighlightDeadlineMs = 0;
  LoadTeachingState(true);
  RelayoutAll();
}

int GetActiveStudentIndex() {
  int count = (int)gStudents.size();
  if (gActiveStudentIndex >= 0 && gActiveStudentIndex < count) return gActiveStudentIndex;
  return count > 0 ? 0 : -1;
}

bool HasActiveStudent() { return gActiveStudentIndex >= 0 && gActiveStudentIndex < (int)gStudents.size(); }

void AddStudentAction() {
  gStatusText = "Add students in the Institution panel, where your seats are shown.";
  std::string name = gStudentNameField.text;
  gStudentNameField.text.clear();
  gStudentNameField.cursor = gStudentNameField.anchor = 0;
  gStudentNameEntryActive = false;
  if (gAddStudentHook) gAddStudentHook(name);
}

std::string FileNameOfPath(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return AsciiLower(slash == std::string::npos ? path : path.substr(slash + 1));
}

void ResetStudents() {
  gStudents.clear();
  gActiveStudentIndex = -1;
  gStudentsLoaded = false;
  gStudentsDirty = false;
}
