// practice/students: the student list, "students.dat", switching and deleting students.
//
// Ids are file-name parts. Ids this module makes are slugs and always safe; ids read from the file
// stay as written, so an id that could reach outside the Data folder ("/", "\", "..", ":" or a
// control byte) is used in file names only in its sanitised form, and its files are never deleted.
#include "practice/students.h"

#include <algorithm>
#include <locale>
#include <sstream>
#include <string>

#include "app/app_state.h"
#include "app/folders.h"
#include "app/logs.h"
#include "app/utilities.h"
#include "classroom/attendance_classes.h"
#include "gfx/layout.h"
#include "learning/learning_model.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/file_replace.h"
#include "practice/achievements.h"
#include "practice/data_files.h"
#include "practice/student_colours.h"
#include "practice/teaching_file.h"
#include "practice/teaching_state.h"

// ---- constants ----
static const char kStudentsFile[] = "students.dat";
// Per-student files of the learning model and the classroom, removed with their student.
static const char* const kStudentFilePrefixes[] = {
    "learning_progress_", "learning_mastery_",      "learning_schedule_", "learning_calendar_",
    "learning_practiceload_", "attendance_", "notes_", "learning_endless_"};
// Learning files that keep a ".bak" copy.
static const char* const kLearningBackupPrefixes[] = {"learning_progress_", "learning_mastery_",
                                                      "learning_schedule_", "learning_calendar_"};

// ---- state ----
std::vector<Student> gStudents;   // the list, in file order
int gActiveStudentIndex = -1;     // the active student, -1 for none
bool gStudentsLoaded = false;     // LoadStudents has run

// ---- internal helpers ----
static bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

static std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return s;
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

// Removes the named Data file and its temporary twin; missing files are passed over.
static void DeleteDataFileAndTemp(const std::string& name) {
  std::string path = GetDataFilePath(name);
  RemoveFileIfPresent(path);
  RemoveFileIfPresent(path + ".tmp");
}

static void RemoveFromClassRosters(const std::string& id) {
  LoadAttendanceClasses();
  bool rostersChanged = false;
  for (AttendanceClass& cls : gAttendanceClasses) {
    auto end = std::remove(cls.members.begin(), cls.members.end(), id);
    if (end != cls.members.end()) {
      cls.members.erase(end, cls.members.end());
      rostersChanged = true;
    }
  }
  if (rostersChanged) SaveAttendanceClasses();
}

static void DeleteFilesOfStudent(const std::string& id) {
  for (const char* prefix : kStudentFilePrefixes) DeleteDataFileAndTemp(prefix + id + ".dat");
  // The learning files keep backup copies beside them; deleting a student removes all progress.
  for (const char* prefix : kLearningBackupPrefixes) RemoveFileIfPresent(GetDataFilePath(prefix + id + ".dat.bak"));

  std::string achievements = GetAchievementsPath(id);
  RemoveFileIfPresent(achievements);
  if (!IsRegularFile(achievements)) {
    std::string besideExe = GetExeFilePath(AchievementsFileName(id));
    if (IsRegularFile(besideExe)) RemoveFileIfPresent(besideExe);
  }

  // A teaching save still in flight would put the file back after its removal: let it land first.
  // Without a teaching folder (no teaching record loaded yet) there is no file to look for, and
  // a bare name would point into the current folder.
  std::string sid = SanitizeStudentId(id);
  if (sid != "default" && !gTeachingState.dataFolder.empty()) {
    WaitForPendingSaves();
    RemoveFileIfPresent(JoinPath(gTeachingState.dataFolder, "teaching_" + sid + ".json"));
  }
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
  std::string base = IdSlugFromName(text);
  std::string candidate = base;
  // "default" names the files used while no student is active; a student must not share them.
  for (int n = 2; IsStudentIdTaken(candidate) || candidate == "default"; ++n) candidate = base + "_" + std::to_string(n);
  return candidate;
}

std::string MakeUniqueStudentName(const std::string& wanted) {
  std::string base = TrimWhitespace(wanted);
  if (base.empty()) base = "Student";
  auto taken = [](const std::string& candidate) {
    std::string lower = AsciiLower(candidate);
    for (const Student& s : gStudents)
      if (AsciiLower(TrimWhitespace(s.name)) == lower) return true;
    return false;
  };
  std::string candidate = base;
  for (int n = 2; taken(candidate); ++n) candidate = base + " " + std::to_string(n);
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

std::string StudentFileId(const std::string& id) {
  if (!IsUnsafeStudentId(id)) return id;
  std::string safe = id;
  for (char& c : safe) {
    unsigned char u = (unsigned char)c;
    if (!IsAsciiAlnum(u) && c != '-' && c != '_') c = '_';
  }
  return safe;
}

void SaveStudents() {
  std::string text = "STUDENTS_V2\n";
  int count = (int)gStudents.size();
  int active = count == 0 ? -1 : std::clamp(gActiveStudentIndex, 0, count - 1);
  text += "active=" + std::to_string(active) + "\n";
  for (const Student& s : gStudents) {
    std::string name = s.name;
    for (char& c : name)
      if (c == '\n' || c == '\r' || c == '|') c = ' ';
    text += name + "|" + s.id + "|" + FormatColourComponent(s.r) + "|" + FormatColourComponent(s.g) +
            "|" + FormatColourComponent(s.b) + "\n";
  }
  WriteTextFileAtomic(GetDataFilePath(kStudentsFile), text);
}

void LoadStudents() {
  gStudents.clear();
  int active = 0;

  std::string path = ResolveDataFile(kStudentsFile);
  std::vector<std::string> lines;
  DataFileRead read = ReadDataFileLines(path, &lines);
  int version = 0;
  if (read == DataFileRead::kOk && !lines.empty()) {
    if (lines[0] == "STUDENTS_V1") version = 1;
    if (lines[0] == "STUDENTS_V2") version = 2;
  }
  // A file we cannot use is kept aside before the save below would replace it.
  if (read == DataFileRead::kUnreadable)
    SetAsideDataFile(path, "cannot be read");
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
        if (fields.size() >= 4) {
          ParseFloatField(fields[1], &st.r);
          ParseFloatField(fields[2], &st.g);
          ParseFloatField(fields[3], &st.b);
        }
      } else {
        st.id = TrimWhitespace(rest);
      }
      if (st.name.empty()) continue;
      if (st.id.empty()) st.id = IdSlugFromName(st.name);
      // A "|" in an id would not survive the next save (it splits the fields), so such an id is
      // replaced now by one made from it.
      if (st.id.find('|') != std::string::npos || IsStudentIdTaken(st.id)) {
        std::string fresh = MakeUniqueStudentId(st.id);
        if (st.id.find('|') != std::string::npos)
          DebugLog("[students] id \"%s\" holds \"|\"; now \"%s\"\n", st.id.c_str(), fresh.c_str());
        st.id = fresh;
      }
      NormalizeStudentColour(st);
      gStudents.push_back(st);
    }
  }

  int count = (int)gStudents.size();
  gActiveStudentIndex = (count > 0 && active >= 0) ? std::min(active, count - 1) : -1;
  gStudentsLoaded = true;
  SaveStudents();
  LoadTeachingState(true);
  RelayoutAll();
}

void SwitchActiveStudent(int index) {
  std::string itemId = gPracticeItemId;
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
  OnStudentChanged();
  UnloadOtherLessonSong(itemId, songPath);
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
    OnStudentChanged();
  } else if (index == old) {
    gActiveStudentIndex = std::clamp(index, 0, count - 1);
    SaveStudents();
    LoadAchievements();
    OnStudentChanged();
  } else {
    // With no active student none stays active, so the empty matrix in memory is never written
    // into the first student's file.
    if (old >= 0 && index < old) gActiveStudentIndex = old - 1;
    SaveStudents();
  }
  if (!id.empty() && id != "default") {
    RemoveFromClassRosters(id);
    if (IsUnsafeStudentId(id))
      DebugLog("[students] id \"%s\" is not a safe file name; its files are left in place\n", id.c_str());
    else
      DeleteFilesOfStudent(id);
  }
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

void AddStudentAction() {
  gStatusText = "Add students in the Institution panel, where your seats are shown.";
}

void UnloadOtherLessonSong(const std::string& itemId, const std::string& songPath) {
  if (itemId.empty() || songPath.empty() || !HasMidiContent() || gSongPath != songPath) return;
  LibraryItem* item = FindLibraryItem(itemId);
  if (!item || item->file.empty()) return;
  if (FileNameOfPath(songPath) != FileNameOfPath(item->file)) return;
  if (IsItemAvailable(*item)) return;
  UnloadMidi();
}

std::string FileNameOfPath(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return AsciiLower(slash == std::string::npos ? path : path.substr(slash + 1));
}
