// The file dialogs as child programs: stand-in "zenity" and "kdialog" scripts on PATH answer, so
// the real road (program choice, arguments, output, exit status) runs without a desktop.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "platform/file_dialogs.h"
#include "tests/support/test_support.h"

namespace {

// Sets an environment variable for the scope; restores the old value after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      setenv(name_.c_str(), old_.c_str(), 1);
    else
      unsetenv(name_.c_str());
  }

 private:
  std::string name_, old_;
  bool had_ = false;
};

// A dialog stand-in: writes its arguments one per line to argsFile, prints reply, exits with code.
void WriteDialogProgram(const std::string& path, const std::string& argsFile, const std::string& reply, int code) {
  std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + argsFile + "'\n";
  if (!reply.empty()) script += "printf '%s\\n' '" + reply + "'\n";
  script += "echo 'toolkit noise' >&2\nexit " + std::to_string(code) + "\n";
  WriteFileBytes(path, script);
  chmod(path.c_str(), 0755);
}

const std::vector<FileDialogFilter> kMidiFilters = {{"MIDI Files (*.mid;*.midi)", "*.mid;*.midi"},
                                                     {"All Files (*.*)", "*.*"}};

}  // namespace

TEST(FileDialogs, ZenityAnswersWithTheChosenPath) {
  TempDir dir;
  WriteDialogProgram(dir.File("zenity"), dir.File("args"), "/music/My Song.mid", 0);
  ScopedEnv path("PATH", dir.path().c_str());
  ScopedEnv desktop("XDG_CURRENT_DESKTOP", "GNOME");
  std::string chosen;
  ASSERT_TRUE(ShowOpenFileDialog("Open", kMidiFilters, &chosen));
  EXPECT_EQ(chosen, "/music/My Song.mid");
  EXPECT_EQ(ReadFileBytes(dir.File("args")),
            "--file-selection\n--title=Open\n--file-filter=MIDI Files (*.mid;*.midi) | *.mid *.midi\n"
            "--file-filter=All Files (*.*) | *\n");

  ASSERT_TRUE(ShowFolderDialog("Folder", &chosen));
  EXPECT_EQ(ReadFileBytes(dir.File("args")), "--file-selection\n--title=Folder\n--directory\n");
}

TEST(FileDialogs, CancelFailureAndNoProgramMeanNothingChosen) {
  TempDir dir;
  WriteDialogProgram(dir.File("zenity"), dir.File("args"), "", 1);
  ScopedEnv desktop("XDG_CURRENT_DESKTOP", nullptr);
  std::string chosen = "unchanged";
  {
    ScopedEnv path("PATH", dir.path().c_str());
    EXPECT_FALSE(ShowOpenFileDialog("Open", kMidiFilters, &chosen));
    WriteDialogProgram(dir.File("zenity"), dir.File("args"), "", 0);  // OK with no path
    EXPECT_FALSE(ShowFolderDialog("Folder", &chosen));
  }
  {
    TempDir empty;
    ScopedEnv path("PATH", empty.path().c_str());
    EXPECT_FALSE(ShowOpenFileDialog("Open", kMidiFilters, &chosen));
  }
  EXPECT_EQ(chosen, "unchanged");
}

TEST(FileDialogs, KdialogOnKdeOrWhereZenityIsMissing) {
  TempDir dir;
  WriteDialogProgram(dir.File("kdialog"), dir.File("kargs"), "/home/u/piece.midi", 0);
  ScopedEnv path("PATH", dir.path().c_str());
  for (const char* desktop : {"KDE", "XFCE"}) {
    ScopedEnv env("XDG_CURRENT_DESKTOP", desktop);
    std::string chosen;
    ASSERT_TRUE(ShowOpenFileDialog("Open", kMidiFilters, &chosen)) << desktop;
    EXPECT_EQ(chosen, "/home/u/piece.midi");
    EXPECT_EQ(ReadFileBytes(dir.File("kargs")),
              "--title\nOpen\n--getopenfilename\n.\n*.mid *.midi|MIDI Files (*.mid;*.midi)\n*|All Files (*.*)\n");
  }
  // With both present, a KDE desktop gets kdialog and any other zenity.
  WriteDialogProgram(dir.File("zenity"), dir.File("zargs"), "/z.mid", 0);
  struct Case {
    const char* desktop;
    const char* expected;
  } cases[] = {{"KDE", "/home/u/piece.midi"}, {"ubuntu:GNOME", "/z.mid"}};
  for (const Case& c : cases) {
    ScopedEnv env("XDG_CURRENT_DESKTOP", c.desktop);
    std::string chosen;
    ASSERT_TRUE(ShowFolderDialog("F", &chosen));
    EXPECT_EQ(chosen, c.expected);
  }
  EXPECT_EQ(FileDialogCommand("kdialog", FileDialogRequest{true, "F", {}}),
            (std::vector<std::string>{"kdialog", "--title", "F", "--getexistingdirectory", "."}));
}
