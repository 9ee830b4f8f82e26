// app/base/folders: the program's folders beside its executable and the data-file lookup.
//
// Every file the program keeps for itself lives under the executable's folder. Folder strings end
// in "/" or are "" when the folder cannot be formed; callers test for "" and fall back.
#pragma once
#include <fstream>
#include <string>

// The executable's folder with a trailing "/", or "".
std::string GetExeDir();
// The current folder with a trailing "/", or "".
std::string GetWorkingDir();
// Appends "/" to a non-empty text that ends in neither "/" nor "\".
std::string EnsureTrailingSlash(const std::string& folder);
// True only for an existing regular file (not a folder, not a symbolic link).
bool IsRegularFile(const std::string& path);
// exe folder + name, created when missing (on every call); "" when there is no exe folder.
std::string GetAppSubfolder(const std::string& name);
std::string GetDataFolder();
std::string GetLogsFolder();
std::string GetMidiFolder();
std::string GetMetronomeFolder();
// exe folder + file name, or "" when there is no exe folder.
std::string GetExeFilePath(const std::string& fileName);
// Data folder + file name, or "" when there is no Data folder; every writer of a data file uses
// this path.
std::string GetDataFilePath(const std::string& fileName);
// Where to read a data file: Data first, then beside the executable, else the Data path.
std::string ResolveDataFile(const std::string& fileName);
// Logs folder, else the exe folder, else "" (never the current folder).
std::string GetLogsFolderOrFallback();
// Metronome/downbeat.wav when it is a regular file, else "".
std::string FindDownbeatWav();
// Creates Data, Logs, MIDI, MIDI/Imports and Metronome; false when the Data folder cannot be
// used (no executable folder, or Data cannot be made or written).
bool CreateAppFolders();
// folder + name with one separator between them.
std::string JoinPath(const std::string& folder, const std::string& name);
// Opens an input stream; Linux has no long-path limit, so this is a plain open.
bool OpenInputFileLongPath(std::ifstream& in, const std::string& path, std::ios_base::openmode mode);
