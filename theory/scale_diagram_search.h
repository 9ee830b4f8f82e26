// theory/scale_diagram_search: where a scale's diagram file lies. Diagram files come named in many
// ways (mode first or key first, blanks, hyphens or underscores, "#" or "sharp", the scale under
// another of its names), so the search tries an ordered list of spellings in an ordered list of
// folders, then scans folders and scores file names, then takes a file by position from a folder
// named after the mode. Nothing here touches GL; the result is a path or "".
#pragma once
#include <string>
#include <vector>

#include "theory/scale_rows.h"

// The five picture extensions, in the order they are tried.
extern const char* const kDiagramExtensions[5];

// ---- name lists ----
// Appends text unless the list holds it already, ignoring ASCII case; an empty text is skipped.
void AddUniqueName(std::vector<std::string>& list, const std::string& text);
// The name, then "-" and "_" joined and squeezed spellings, then its two words swapped.
void AddNameVariants(std::vector<std::string>& list, const std::string& name);
// Relative paths for every name and extension: folder/, scales/folder/, scale_diagrams/folder/
// (when folder is not empty), then scales/, scale_diagrams/ and the bare name.
std::vector<std::string> BuildDiagramCandidates(const std::vector<std::string>& extensions,
                                                const std::string& folder,
                                                const std::vector<std::string>& names);
// Runs of ASCII letters, digits and "#", case kept.
std::vector<std::string> SplitWords(const std::string& text);
// Every word of two or more characters occurs in text, and at least one such word exists.
bool ContainsAllWords(const std::string& text, const std::vector<std::string>& words);
// Adds the file-name part of each path, unique ignoring case.
void CollectFileNames(std::vector<std::string>& list, const std::vector<std::string>& paths);
// The extra names a catalogue row's diagram may go by (empty for most rows).
std::vector<std::string> DiagramAliases(const ScaleRow* row);
// The key names tried for a ring position: its own name, the diagram spelling, the enharmonic twin.
std::vector<std::string> DiagramKeyNames(int ringPos);

// ---- file system ----
// root + relative path for each root and path in order: the first that exists and is no folder.
// A path whose folder does not exist under a root is not probed: the same answer, far fewer calls.
std::string FindDiagramFile(const std::vector<std::string>& roots, const std::vector<std::string>& relative);
// Appends the folder when it exists and is a folder.
void AddExistingFolder(std::vector<std::string>& list, const std::string& folder);
// The first regular file of the folder (in the file system's order) named like any of the names,
// ignoring case; its full path, or "".
std::string FindFileInFolderNoCase(const std::vector<std::string>& names, const std::string& folder);

// ---- whole search ----
// What one search needs: the mode name M, the key names, the mode variants, the fallback
// candidates' use (church modes only) and the roots.
struct DiagramQuery {
  std::string modeName;                    // M: "dorian", or the row's key name
  std::string cacheKeyName;                // the diagram spelling of the key (K0)
  std::vector<std::string> keyNames;       // Kt, K0, the enharmonic twin
  std::vector<std::string> modeVariants;   // M, the display name and the aliases, each varied
  std::vector<std::string> primary;        // P1: candidates in folder M
  std::vector<std::string> fallback;       // P2: the "ionian" candidates, church modes only
};
// M for a row at a mode index: the church mode's name (0..6, else the row's own), or the row's
// lower-case key name.
std::string DiagramModeName(const ScaleRow* row, int modeIndex);
// Builds the query for a row at a mode index (0..6, else the row's own) and ring position 0..11;
// false when the mode name comes out empty.
bool BuildDiagramQuery(const ScaleRow* row, int modeIndex, int ringPos, DiagramQuery* query);
// The score of a file's lower-cased stem: 2 for a mode word, 3 for a key word, each as a token.
int ScoreDiagramStem(const std::string& stem, const std::vector<std::string>& modeWords,
                     const std::vector<std::string>& keyWords);
// Runs the four searches in order (exact names, scored scan, file-name scan, mode-folder pick);
// "" when none finds a file.
std::string ResolveDiagramPath(const DiagramQuery& query, const std::vector<std::string>& roots, int ringPos);
// The asset roots, then the folder above the executable's.
std::vector<std::string> DiagramSearchRoots();
