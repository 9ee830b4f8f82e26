// platform/file_dialogs: the desktop's own dialogs for choosing a file to open or a folder.
//
// The dialog runs as a child program (zenity, or kdialog on a KDE desktop or where zenity is
// missing) and the call waits for it, as a modal dialog does: presses made on the program's window
// meanwhile are dropped when it returns. Cancel, a failing dialog or no dialog program at all all
// mean that nothing was chosen. Tests replace the dialog by a script.
#pragma once
#include <string>
#include <vector>

// One entry of the file type list: the label shown and its patterns ("*.mid;*.midi").
struct FileDialogFilter {
  std::string label;
  std::string patterns;
};

// What a dialog was asked to show (handed to a test script).
struct FileDialogRequest {
  bool folder;                              // a folder picker, not a file dialog
  std::string title;
  std::vector<FileDialogFilter> filters;    // file dialog only; the first is preselected
};

// A dialog can be shown: a dialog program is on the PATH (or a test script stands in).
bool FileDialogAvailable();
// Lets the user pick an existing file; true with its full path.
bool ShowOpenFileDialog(const std::string& title, const std::vector<FileDialogFilter>& filters,
                        std::string* path);
// Lets the user pick an existing folder; true with its full path.
bool ShowFolderDialog(const std::string& title, std::string* path);

// The command line that would show a request with the given dialog program ("zenity" or
// "kdialog"); the program name first.
std::vector<std::string> FileDialogCommand(const std::string& program, const FileDialogRequest& request);

// Test double: while set, the dialogs call it instead of running a program; it answers like the
// dialog (true with a path, false for cancel). Null restores the real dialogs.
using FileDialogScript = bool (*)(const FileDialogRequest& request, std::string* path);
void SetFileDialogScriptForTesting(FileDialogScript script);
// What a waiting dialog asks, every tenth of a second, to know that the program must end (null:
// the window system's quit request).
void SetDialogQuitCheckForTesting(bool (*check)());
