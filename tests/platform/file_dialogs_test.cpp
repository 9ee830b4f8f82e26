// The file dialogs as child programs: stand-in "zenity" and "kdialog" scripts on PATH answer, so
// the real road (program choice, arguments, output, exit status) runs without a desktop.
#include <gtest/gtest.h>

#include <fnmatch.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/file_dialogs.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "tests/support/child_process.h"
#include "tests/support/test_support.h"

namespace {

// Sets (or with null, unsets) an environment variable for the scope.
struct ScopedEnv {
  std::string name;
  std::optional<std::string> old;
  ScopedEnv(const char* n, const char* value) : name(n) {
    if (const char* was = std::getenv(n)) old = was;
    value ? setenv(n, value, 1) : unsetenv(n);
  }
  ~ScopedEnv() { old ? setenv(name.c_str(), old->c_str(), 1) : unsetenv(name.c_str()); }
};

// A dialog stand-in: writes its arguments one per line to argsFile, prints reply, exits with code.
void WriteDialogProgram(const std::string& path, const std::string& argsFile, const std::string& reply, int code) {
  std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + argsFile + "'\n";
  if (!reply.empty()) script += "printf '%s\\n' '" + reply + "'\n";
  WriteFileBytes(path, script + "echo 'toolkit noise' >&2\nexit " + std::to_string(code) + "\n");
  chmod(path.c_str(), 0755);
}

const std::vector<FileDialogFilter> kMidiFilters = {{"MIDI Files (*.mid;*.midi)", "*.mid;*.midi"},
                                                     {"All Files (*.*)", "*.*"}};

TEST(FileDialogs, ZenityAnswersWithTheChosenPath) {
  TempDir dir;
  WriteDialogProgram(dir.File("zenity"), dir.File("args"), "/music/My Song.mid", 0);
  ScopedEnv path("PATH", dir.path().c_str()), desktop("XDG_CURRENT_DESKTOP", "GNOME");
  std::string chosen;
  ASSERT_TRUE(ShowOpenFileDialog("Open", kMidiFilters, &chosen));
  EXPECT_EQ(chosen, "/music/My Song.mid");
  EXPECT_EQ(ReadFileBytes(dir.File("args")),
            "--file-selection\n--title=Open\n--file-filter=MIDI Files (*.mid;*.midi) | *.[mM][iI][dD] *.[mM][iI][dD][iI]\n"
            "--file-filter=All Files (*.*) | *\n");
  ASSERT_TRUE(ShowFolderDialog("Folder", &chosen));
  EXPECT_EQ(ReadFileBytes(dir.File("args")), "--file-selection\n--title=Folder\n--directory\n");
}

// The dialogs match their patterns case-sensitively (as fnmatch does): a song named in capitals, as
// older files often are, must still be listed under the MIDI filter, and nothing else be.
TEST(FileDialogs, TheMidiFilterListsSongsInEitherCase) {
  TempDir dir;
  WriteDialogProgram(dir.File("zenity"), dir.File("args"), "/x.mid", 0);
  ScopedEnv path("PATH", dir.path().c_str()), desktop("XDG_CURRENT_DESKTOP", "GNOME");
  std::string chosen;
  ASSERT_TRUE(ShowOpenFileDialog("Open", kMidiFilters, &chosen));
  const std::string args = ReadFileBytes(dir.File("args"));
  const std::string head = "--file-filter=MIDI Files (*.mid;*.midi) | ";
  const size_t at = args.find(head);
  ASSERT_NE(at, std::string::npos) << args;
  std::vector<std::string> patterns;
  std::string line = args.substr(at + head.size(), args.find('\n', at) - at - head.size());
  for (size_t start = 0; start <= line.size();) {
    size_t end = std::min(line.find(' ', start), line.size());
    patterns.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  auto listed = [&](const char* name) {
    for (const std::string& p : patterns)
      if (fnmatch(p.c_str(), name, 0) == 0) return true;
    return false;
  };
  for (const char* name : {"a.mid", "SONG.MID", "Piece.Midi", "old.MIDI"}) EXPECT_TRUE(listed(name)) << name;
  for (const char* name : {"a.txt", "mid", "a.mid.bak", "a.wav"}) EXPECT_FALSE(listed(name)) << name;
}

TEST(FileDialogs, CancelFailureAndNoProgramMeanNothingChosen) {
  TempDir dir, empty;
  WriteDialogProgram(dir.File("zenity"), dir.File("args"), "", 1);
  ScopedEnv desktop("XDG_CURRENT_DESKTOP", nullptr);
  std::string chosen = "unchanged";
  {
    ScopedEnv path("PATH", dir.path().c_str());
    EXPECT_FALSE(ShowOpenFileDialog("Open", kMidiFilters, &chosen));
    WriteDialogProgram(dir.File("zenity"), dir.File("args"), "", 0);  // OK with no path
    EXPECT_FALSE(ShowFolderDialog("Folder", &chosen));
  }
  ScopedEnv path("PATH", empty.path().c_str());
  EXPECT_FALSE(ShowOpenFileDialog("Open", kMidiFilters, &chosen));
  EXPECT_EQ(chosen, "unchanged");
}

// A dialog is started in a UTF-8 locale, whatever ours is: in the C locale, or one the system does
// not have, it refuses a title in the UI's language (Cyrillic, say) and shows nothing. A usable
// UTF-8 locale of ours is handed on unchanged.
TEST(FileDialogs, ADialogIsStartedInAUtf8Locale) {
  TempDir dir;
  WriteFileBytes(dir.File("zenity"), "#!/bin/sh\nprintf 'all=%s lang=%s\\n' \"$LC_ALL\" \"$LANG\"\n");
  chmod(dir.File("zenity").c_str(), 0755);
  ScopedEnv path("PATH", dir.path().c_str()), desktop("XDG_CURRENT_DESKTOP", nullptr), ctype("LC_CTYPE", nullptr);
  struct Case { const char* all; const char* lang; const char* seen; } cases[] = {
      {nullptr, "C", "all=C.UTF-8 lang=C"},
      {"C", "C.UTF-8", "all=C.UTF-8 lang=C.UTF-8"},
      {nullptr, "xx_YY.UTF-8", "all=C.UTF-8 lang=xx_YY.UTF-8"},   // a locale this system lacks
      {nullptr, "C.UTF-8", "all= lang=C.UTF-8"},
      {"C.UTF-8", nullptr, "all=C.UTF-8 lang="},
  };
  for (const Case& c : cases) {
    ScopedEnv all("LC_ALL", c.all), lang("LANG", c.lang);
    std::string chosen;
    ASSERT_TRUE(ShowOpenFileDialog("Открыть файл MIDI", kMidiFilters, &chosen));
    EXPECT_EQ(chosen, c.seen) << (c.all ? c.all : "-") << " " << (c.lang ? c.lang : "-");
  }
}

// A request to end the program while the dialog is open (SIGTERM at the session's end) closes the
// dialog as a cancel, so the program's own close can run; the dialog's child is ended.
TEST(FileDialogs, AQuitRequestClosesAnOpenDialog) {
  TempDir dir;
  WriteFileBytes(dir.File("zenity"), "#!/bin/sh\necho $$ > '" + dir.File("pid") + "'\nexec /bin/sleep 30\n");
  chmod(dir.File("zenity").c_str(), 0755);
  ScopedEnv path("PATH", dir.path().c_str()), desktop("XDG_CURRENT_DESKTOP", nullptr);
  static int asked;
  asked = 0;
  SetDialogQuitCheckForTesting([] { return ++asked >= 3; });
  std::string chosen = "unchanged";
  EXPECT_FALSE(ShowOpenFileDialog("Open", kMidiFilters, &chosen));
  SetDialogQuitCheckForTesting(nullptr);
  EXPECT_EQ(chosen, "unchanged");
  EXPECT_EQ(asked, 3);
  const int pid = std::atoi(ReadFileBytes(dir.File("pid")).c_str());
  ASSERT_GT(pid, 0);
  EXPECT_NE(kill(pid, 0), 0) << "the dialog still runs";
}

// The window's close box pressed while the chooser waits: the chooser ends as a cancel at once
// (not whatever it would have answered later), and the close goes on to the program's own close,
// as SIGTERM's does. The window is made in a child process, so that no window system connection
// outlives the test's display.
TEST(FileDialogs, TheCloseBoxClosesAnOpenDialogAndThenTheProgram) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  TempDir dir;
  // A user who would pick a file after a while; ended, the chooser leaves nothing running.
  WriteFileBytes(dir.File("zenity"), "#!/bin/sh\necho $$ > '" + dir.File("pid") +
                                          "'\ntrap 'kill $!; exit 1' TERM\n/bin/sleep 20 &\nwait $!\n"
                                          "echo /music/picked.mid\n");
  chmod(dir.File("zenity").c_str(), 0755);
  ScopedEnv path("PATH", dir.path().c_str()), desktop("XDG_CURRENT_DESKTOP", nullptr);
  ScopedEnv x("DISPLAY", display.name().c_str());
  EXPECT_EXIT(
      {
        if (!WindowCreate("Tonvarra", "Orvanel", 100, 100, 640, 480)) std::exit(2);
        WindowQueueCloseBoxForTesting();
        std::string chosen = "unchanged";
        const bool picked = ShowOpenFileDialog("Open", kMidiFilters, &chosen);
        const int pid = std::atoi(ReadFileBytes(dir.File("pid")).c_str());
        if (picked || chosen != "unchanged") std::exit(3);
        if (pid <= 0 || kill(pid, 0) == 0) std::exit(4);  // the chooser still runs
        PumpWindowEvents();
        AppMessage m;
        bool closed = false;
        while (TakeAppMessage(&m)) closed |= m.code == kMsgClose;
        std::exit(closed ? 0 : 5);
      },
      ::testing::ExitedWithCode(0), "");
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
              "--title\nOpen\n--getopenfilename\n.\n*.[mM][iI][dD] *.[mM][iI][dD][iI]|MIDI Files (*.mid;*.midi)\n*|All Files (*.*)\n");
  }
  // With both present, a KDE desktop gets kdialog and any other zenity.
  WriteDialogProgram(dir.File("zenity"), dir.File("zargs"), "/z.mid", 0);
  for (auto [desktop, expected] : {std::pair{"KDE", "/home/u/piece.midi"}, {"ubuntu:GNOME", "/z.mid"}}) {
    ScopedEnv env("XDG_CURRENT_DESKTOP", desktop);
    std::string chosen;
    ASSERT_TRUE(ShowFolderDialog("F", &chosen));
    EXPECT_EQ(chosen, expected);
  }
  EXPECT_EQ(FileDialogCommand("kdialog", FileDialogRequest{true, "F", {}}),
            (std::vector<std::string>{"kdialog", "--title", "F", "--getexistingdirectory", "."}));
}

// The real file chooser belongs to the program's window once it shows, so a window manager keeps
// it above the window: apart, a click on the window buried it, and the window, held by the waiting
// dialog, took no presses and stood still with the dialog out of sight. The window is made in a
// child process, so that no window system connection outlives the test's display.
TEST(FileDialogs, TheChooserBelongsToTheProgramsWindow) {
  for (const char* tool : {"zenity", "xdotool", "xprop"})
    if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0)
      GTEST_SKIP() << tool << " is not installed";
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ScopedEnv x("DISPLAY", display.name().c_str()), desktop("XDG_CURRENT_DESKTOP", nullptr);
  TempDir dir;
  static std::string seen;
  seen = dir.File("seen");
  EXPECT_EXIT(
      {
        if (!WindowCreate("Tonvarra", "Orvanel", 100, 100, 640, 480)) std::exit(2);
        WriteFileBytes(dir.File("owner"), std::to_string(WindowSystemId()));
        // While the chooser waits: what owns its window, until something does or 15 s have passed.
        SetDialogQuitCheckForTesting([] {
          static int asked = 0;
          std::system(("for w in $(xdotool search --name '^Ownership probe$'); do xprop -id $w WM_TRANSIENT_FOR;"
                       " done > '" + seen + "' 2>/dev/null").c_str());
          return ReadFileBytes(seen).find("window id") != std::string::npos || ++asked > 150;
        });
        std::string chosen;
        ShowOpenFileDialog("Ownership probe", kMidiFilters, &chosen);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  char owner[32];
  std::snprintf(owner, sizeof owner, "0x%lx", std::strtoul(ReadFileBytes(dir.File("owner")).c_str(), nullptr, 10));
  ASSERT_STRNE(owner, "0x0");
  EXPECT_NE(ReadFileBytes(seen).find(std::string("window id # ") + owner), std::string::npos)
      << "owner " << owner << ", seen: " << ReadFileBytes(seen);
}

}  // namespace
