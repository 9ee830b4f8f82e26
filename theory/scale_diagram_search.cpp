// theory/scale_diagram_search: the ordered name lists and the four searches for a diagram file.
//
// Paths join with "/". Exact-name probes are case-sensitive (as the file system is); the scans
// compare names ignoring case. Every folder walk skips entries it cannot read rather than failing.
#include "theory/scale_diagram_search.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "app/base/asset_roots.h"
#include "app/base/folders.h"
#include "app/base/strings.h"
#include "theory/circle_theory.h"

namespace fs = std::filesystem;

// ---- constants ----
const char* const kDiagramExtensions[5] = {".png", ".jpg", ".jpeg", ".bmp", ".webp"};

struct RowAliases {
  const char* displayName;
  std::vector<const char*> names;
};
static const RowAliases kRowAliases[] = {
    {"Aeolian", {"natural minor", "natural_minor", "natural-minor"}},
    {"Melodic Minor",
     {"melodic", "melodicminor", "melodic_minor", "melodic-minor", "minor melodic", "minor_melodic", "minor-melodic"}},
    {"Harmonic Minor",
     {"harmonic", "harmonicminor", "harmonic_minor", "harmonic-minor", "minor harmonic", "minor_harmonic",
      "minor-harmonic"}},
    {"Harmonic Major",
     {"harmonicmajor", "harmonic_major", "harmonic-major", "major harmonic", "major_harmonic", "major-harmonic"}},
    {"In-Sen", {"japanese"}},
    {"Hindu", {"aeolian dominant", "aeolian_dominant", "aeolian-dominant"}},
    {"Super Locrian", {"altered"}},
    {"Hungarian Minor", {"hungarian"}},
    {"Enigmatic Major", {"enigmatic"}},
    {"Major Bebop", {"bebop"}},
    {"Minor Bebop", {"bebop minor", "bebop_minor", "bebop-minor"}},
    {"Minor Blues", {"blues"}},
    {"Mixo-Blues", {"mixo blues", "mixo_blues", "mixo-blues"}},
    {"Indian Ascending", {"indian"}},
    {"Octatonic H-W", {"octatonic h w", "octatonic_h_w", "octatonic-h-w"}},
    {"Diminished Blues", {"dominant diminished", "dominant_diminished", "dominant-diminished"}},
    {"Maqams", {"maqam"}},
};

// Spelled-out forms of the black keys, for names such as "fsharp_lydian".
struct SpelledKey {
  const char* a;
  const char* b;
  std::vector<const char*> words;
};
static const SpelledKey kSpelledKeys[] = {
    {"c#", "db", {"csharp", "dflat"}}, {"f#", "gb", {"fsharp", "gflat"}}, {"bb", "a#", {"bb", "asharp"}},
    {"eb", "d#", {"eb", "dsharp"}},    {"ab", "g#", {"ab", "gsharp"}},
};

// ---- internal helpers ----
static bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#';
}

static bool IsFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

static bool IsFileNotFolder(const std::string& path) {
  std::error_code ec;
  fs::file_status st = fs::status(path, ec);
  return !ec && fs::exists(st) && !fs::is_directory(st);
}

static bool IsRegularEntry(const fs::directory_entry& entry) {
  std::error_code ec;
  return entry.is_regular_file(ec);
}

static std::string ReplaceChars(const std::string& text, const std::string& from, const char* with) {
  std::string out;
  for (char c : text) {
    if (from.find(c) != std::string::npos)
      out += with;
    else
      out += c;
  }
  return out;
}

static bool HasDiagramExtension(const std::string& fileName, std::string* stem) {
  std::string lower = AsciiLower(fileName);
  for (const char* ext : kDiagramExtensions) {
    std::string e = ext;
    if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0) {
      if (stem) *stem = lower.substr(0, lower.size() - e.size());
      return true;
    }
  }
  return false;
}

// The word occurs somewhere in text with no word character right before or after it.
static bool ContainsToken(const std::string& text, const std::string& word) {
  if (word.empty()) return false;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    bool startOk = at == 0 || !IsWordChar(text[at - 1]);
    size_t end = at + word.size();
    bool endOk = end == text.size() || !IsWordChar(text[end]);
    if (startOk && endOk) return true;
  }
  return false;
}

// A list kept unique ignoring case with a set beside it, for lists of hundreds of names.
class UniqueNames {
 public:
  explicit UniqueNames(std::vector<std::string>& list) : list_(list) {
    for (const std::string& have : list) seen_.insert(AsciiLower(have));
  }
  void Add(const std::string& text) {
    if (!text.empty() && seen_.insert(AsciiLower(text)).second) list_.push_back(text);
  }

 private:
  std::vector<std::string>& list_;
  std::unordered_set<std::string> seen_;
};

// Folder walks that skip unreadable entries; the callback returns false to stop.
template <typename Visit>
static void WalkFolder(const std::string& folder, Visit visit) {
  std::error_code ec;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  if (ec) return;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return;
    if (!visit(*it)) return;
  }
}

static std::string Join(const std::string& root, const std::string& relative) {
  return EnsureTrailingSlash(root) + relative;
}

// The scored scan over the mode folders and the two diagram folders of every root.
static std::string ScoredScan(const DiagramQuery& q, const std::vector<std::string>& roots) {
  std::vector<std::string> folders, modeWords, keyWords;
  UniqueNames folderList(folders), modeList(modeWords), keyList(keyWords);
  for (const std::string& r : roots)
    for (const std::string& sub : {q.modeName, "scales/" + q.modeName, "scale_diagrams/" + q.modeName,
                                   std::string("scales"), std::string("scale_diagrams")})
      folderList.Add(Join(r, sub));
  for (const std::string& v : q.modeVariants) modeList.Add(AsciiLower(v));
  for (const std::string& k : q.keyNames) {
    std::string lower = AsciiLower(k);
    keyList.Add(lower);
    for (const SpelledKey& sk : kSpelledKeys)
      if (lower == sk.a || lower == sk.b)
        for (const char* w : sk.words) keyList.Add(w);
  }
  std::string best;
  int bestScore = 0;
  for (const std::string& folder : folders) {
    if (!IsFolder(folder)) continue;
    WalkFolder(folder, [&](const fs::directory_entry& entry) {
      std::string stem;
      if (!IsRegularEntry(entry) || !HasDiagramExtension(entry.path().filename().string(), &stem)) return true;
      int score = ScoreDiagramStem(stem, modeWords, keyWords);
      if (score > bestScore) {
        bestScore = score;
        best = entry.path().string();
      }
      return true;
    });
  }
  int needed = modeWords.empty() ? 3 : 5;
  return bestScore >= needed ? best : std::string();
}

static std::string FileNameScan(const DiagramQuery& q, const std::vector<std::string>& roots) {
  std::vector<std::string> names;
  UniqueNames nameList(names);
  for (const std::vector<std::string>* paths : {&q.primary, &q.fallback})
    for (const std::string& p : *paths) nameList.Add(p.substr(p.find_last_of("/\\") + 1));
  std::vector<std::string> folders;
  for (const std::string& r : roots) {
    for (const std::string& sub : {q.modeName, "scales/" + q.modeName, "scale_diagrams/" + q.modeName,
                                   std::string("scales"), std::string("scale_diagrams")})
      AddExistingFolder(folders, Join(r, sub));
    for (const std::string& v : q.modeVariants)
      for (const std::string& sub : {v, "scales/" + v, "scale_diagrams/" + v}) AddExistingFolder(folders, Join(r, sub));
  }
  for (const std::string& folder : folders) {
    std::string found = FindFileInFolderNoCase(names, folder);
    if (!found.empty()) return found;
  }
  return "";
}

// A folder of diagrams named in key order serves every key: the file at ring mod count.
static std::string ModeFolderPick(const DiagramQuery& q, const std::vector<std::string>& roots, int ringPos) {
  for (const std::string& r : roots) {
    std::vector<std::string> files;
    for (const std::string& sub : {q.modeName, "scales/" + q.modeName, "scale_diagrams/" + q.modeName}) {
      std::string folder = Join(r, sub);
      if (!IsFolder(folder)) continue;
      WalkFolder(folder, [&](const fs::directory_entry& entry) {
        if (IsRegularEntry(entry) && HasDiagramExtension(entry.path().filename().string(), nullptr))
          files.push_back(entry.path().string());
        return true;
      });
    }
    if (files.empty()) continue;
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
      std::string la = AsciiLower(a), lb = AsciiLower(b);
      return la != lb ? la < lb : a < b;
    });
    return files[(size_t)(ringPos % 12 + 12) % 12 % files.size()];
  }
  return "";
}

// ---- public functions: name lists ----
void AddUniqueName(std::vector<std::string>& list, const std::string& text) {
  if (text.empty()) return;
  std::string lower = AsciiLower(text);
  for (const std::string& have : list)
    if (AsciiLower(have) == lower) return;
  list.push_back(text);
}

void AddNameVariants(std::vector<std::string>& list, const std::string& name) {
  UniqueNames unique(list);
  unique.Add(name);
  unique.Add(ReplaceChars(name, " _", "-"));
  unique.Add(ReplaceChars(name, " -", "_"));
  unique.Add(ReplaceChars(name, " -_", ""));
  std::vector<std::string> words = SplitWords(name);
  if (words.size() != 2) return;
  std::string a = AsciiLower(words[0]), b = AsciiLower(words[1]);
  for (const char* joint : {" ", "_", "-", ""}) unique.Add(b + joint + a);
}

std::vector<std::string> BuildDiagramCandidates(const std::vector<std::string>& extensions, const std::string& folder,
                                                const std::vector<std::string>& names) {
  std::vector<std::string> out;
  out.reserve(names.size() * extensions.size() * 6);
  for (const std::string& n : names) {
    for (const std::string& e : extensions) {
      std::string file = n + e;
      if (!folder.empty()) {
        out.push_back(folder + "/" + file);
        out.push_back("scales/" + folder + "/" + file);
        out.push_back("scale_diagrams/" + folder + "/" + file);
      }
      out.push_back("scales/" + file);
      out.push_back("scale_diagrams/" + file);
      out.push_back(file);
    }
  }
  return out;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::string current;
  for (char c : text) {
    if (IsWordChar(c)) {
      current += c;
    } else if (!current.empty()) {
      words.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) words.push_back(current);
  return words;
}

bool ContainsAllWords(const std::string& text, const std::vector<std::string>& words) {
  bool any = false;
  for (const std::string& w : words) {
    if (w.size() < 2) continue;
    if (text.find(w) == std::string::npos) return false;
    any = true;
  }
  return any;
}

void CollectFileNames(std::vector<std::string>& list, const std::vector<std::string>& paths) {
  UniqueNames unique(list);
  for (const std::string& p : paths) unique.Add(p.substr(p.find_last_of("/\\") + 1));
}

std::vector<std::string> DiagramAliases(const ScaleRow* row) {
  std::vector<std::string> out;
  if (!row || !row->name) return out;
  for (const RowAliases& a : kRowAliases)
    if (std::string(a.displayName) == row->name) out.assign(a.names.begin(), a.names.end());
  return out;
}

std::vector<std::string> DiagramKeyNames(int ringPos) {
  std::vector<std::string> keys;
  std::string kt = kKeyNamesByRing[std::clamp(ringPos, 0, 11)];
  AddUniqueName(keys, kt);
  AddUniqueName(keys, DiagramKeyName(ringPos));
  static const std::map<std::string, std::string> kTwin = {{"Gb", "F#"}, {"Db", "C#"}, {"F#", "Gb"}, {"C#", "Db"}};
  auto twin = kTwin.find(kt);
  if (twin != kTwin.end()) AddUniqueName(keys, twin->second);
  return keys;
}

// ---- public functions: file system ----
std::string FindDiagramFile(const std::vector<std::string>& roots, const std::vector<std::string>& relative) {
  for (const std::string& root : roots) {
    std::string base = EnsureTrailingSlash(root);
    if (!IsFolder(base)) continue;
    std::unordered_map<std::string, bool> folderExists;  // per relative folder under this root
    for (const std::string& rel : relative) {
      size_t slash = rel.rfind('/');
      std::string sub = slash == std::string::npos ? std::string() : rel.substr(0, slash);
      auto known = folderExists.find(sub);
      if (known == folderExists.end()) known = folderExists.emplace(sub, sub.empty() || IsFolder(base + sub)).first;
      if (!known->second) continue;
      std::string path = base + rel;
      if (IsFileNotFolder(path)) return path;
    }
  }
  return "";
}

void AddExistingFolder(std::vector<std::string>& list, const std::string& folder) {
  if (IsFolder(folder)) list.push_back(folder);
}

std::string FindFileInFolderNoCase(const std::vector<std::string>& names, const std::string& folder) {
  std::unordered_set<std::string> wanted;
  for (const std::string& n : names) wanted.insert(AsciiLower(n));
  std::string found;
  WalkFolder(folder, [&](const fs::directory_entry& entry) {
    if (!IsRegularEntry(entry) || !wanted.count(AsciiLower(entry.path().filename().string()))) return true;
    found = entry.path().string();
    return false;
  });
  return found;
}

// ---- public functions: whole search ----
std::string DiagramModeName(const ScaleRow* row, int modeIndex) {
  if (!row) return "";
  if (modeIndex < 0 || modeIndex > 6) modeIndex = ModeIndexOf(row);
  return modeIndex >= 0 ? ModeKeyName(modeIndex) : std::string(row->key ? row->key : "");
}

bool BuildDiagramQuery(const ScaleRow* row, int modeIndex, int ringPos, DiagramQuery* q) {
  *q = DiagramQuery{};
  if (!row || ringPos < 0 || ringPos > 11) return false;
  q->modeName = DiagramModeName(row, modeIndex);
  if (q->modeName.empty()) return false;
  q->keyNames = DiagramKeyNames(ringPos);
  q->cacheKeyName = DiagramKeyName(ringPos);
  AddNameVariants(q->modeVariants, q->modeName);
  if (row->name) AddNameVariants(q->modeVariants, row->name);
  for (const std::string& alias : DiagramAliases(row)) AddNameVariants(q->modeVariants, alias);
  std::vector<std::string> names, fallbackNames;
  UniqueNames nameList(names), fallbackList(fallbackNames);
  for (const std::string& k : q->keyNames) {
    for (const std::string& v : q->modeVariants)
      for (const std::string& n : {v + "_" + k, v + "-" + k, k + "_" + v, k + "-" + v, v + k}) nameList.Add(n);
    nameList.Add(k);
    for (const std::string& n : {"ionian_" + k, "ionian-" + k, k + "_ionian", k + "-ionian", k}) fallbackList.Add(n);
  }
  std::vector<std::string> extensions(std::begin(kDiagramExtensions), std::end(kDiagramExtensions));
  q->primary = BuildDiagramCandidates(extensions, q->modeName, names);
  if (ModeIndexOf(row) >= 0) q->fallback = BuildDiagramCandidates(extensions, "ionian", fallbackNames);
  return true;
}

int ScoreDiagramStem(const std::string& stem, const std::vector<std::string>& modeWords,
                     const std::vector<std::string>& keyWords) {
  int score = 0;
  for (const std::string& m : modeWords) {
    if (ContainsToken(stem, m) || ContainsAllWords(stem, SplitWords(m))) {
      score += 2;
      break;
    }
  }
  for (const std::string& k : keyWords) {
    if (ContainsToken(stem, k)) {
      score += 3;
      break;
    }
  }
  return score;
}

std::string ResolveDiagramPath(const DiagramQuery& q, const std::vector<std::string>& allRoots, int ringPos) {
  // Nothing lies under a root that does not exist: dropping them first saves most of the calls.
  std::vector<std::string> roots;
  for (const std::string& r : allRoots)
    if (IsFolder(EnsureTrailingSlash(r))) roots.push_back(r);
  std::string path = FindDiagramFile(roots, q.primary);
  if (path.empty() && !q.fallback.empty()) path = FindDiagramFile(roots, q.fallback);
  if (path.empty()) path = ScoredScan(q, roots);
  if (path.empty()) path = FileNameScan(q, roots);
  if (path.empty()) path = ModeFolderPick(q, roots, ringPos);
  return path;
}

std::vector<std::string> DiagramSearchRoots() {
  std::vector<std::string> roots;
  BuildAssetRoots(roots);
  std::string exe = GetExeDir();
  if (!exe.empty()) {
    fs::path p = fs::path(exe).lexically_normal();
    if (p.has_parent_path()) {
      AddSearchRoot(roots, p.parent_path().string());
      if (p.parent_path().has_parent_path()) AddSearchRoot(roots, p.parent_path().parent_path().string());
    }
  }
  return roots;
}
