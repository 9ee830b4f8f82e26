// app/asset_roots: where image files are looked for, and the start-up folder.
//
// Images are found both in an installed layout (assets/images beside the executable) and when the
// program runs from inside its development tree. The list is rebuilt by each loader that needs it.
#pragma once
#include <string>
#include <vector>

// Appends folder + "/" unless empty or already listed (equality ignores letter case).
void AddSearchRoot(std::vector<std::string>& roots, const std::string& folder);
// Appends the seven candidate image folders under base (not tested for existence).
void AddAssetCandidates(std::vector<std::string>& roots, const std::string& base);
// Exe folder, current folder, then the candidates under each and their parents.
void BuildAssetRoots(std::vector<std::string>& roots);
// True when base/assets/images is a folder.
bool HasAssetFolders(const std::string& base);
// Makes the first of exe folder, its parent, its grandparent that has assets/images current.
void SelectAssetRoot();
