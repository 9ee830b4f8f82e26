// The real program under a virtual display: a run ended by SIGTERM, a start without a display,
// and a crash.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/test_support.h"
#include "visual/backdrop.h"

namespace fs = std::filesystem;

static std::string BinaryPath() { return getenv("TONVARRA_BINARY") ? getenv("TONVARRA_BINARY") : ""; }

// The program copied into a fresh folder, so the folders it makes beside itself are its own.
struct ProgramFolder {
  TempDir dir;
  std::string exe;
  std::string log;
  ProgramFolder() {
    exe = dir.File("tonvarra");
    fs::copy_file(BinaryPath(), exe);
    log = dir.File("output.txt");
  }
  std::vector<std::pair<std::string, std::string>> Env(const std::string& display, bool boxes = false) const {
    std::vector<std::pair<std::string, std::string>> env = {{"TONVARRA_MESSAGE_BOXES", boxes ? "1" : "0"}};
    if (!display.empty()) env.push_back({"DISPLAY", display});
    const char* src = getenv("TONVARRA_SOURCE_DIR");
    if (src && !getenv("LSAN_OPTIONS"))
      env.push_back({"LSAN_OPTIONS", std::string("suppressions=") + src + "/tests/lsan.supp"});
    return env;
  }
};

// Reads a binary PPM (P6) and returns the RGB of one pixel.
static bool PpmPixel(const std::string& bytes, int x, int y, int rgb[3]) {
  int w = 0, h = 0, max = 0, offset = 0;
  if (sscanf(bytes.c_str(), "P6 %d %d %d%n", &w, &h, &max, &offset) != 3 || max != 255) return false;
  size_t start = (size_t)offset + 1 + ((size_t)y * w + x) * 3;
  if (x >= w || y >= h || start + 3 > bytes.size()) return false;
  for (int i = 0; i < 3; ++i) rgb[i] = (unsigned char)bytes[start + i];
  return true;
}

TEST(ProgramRun, RunsUnderAVirtualDisplayAndShutsDownInOrderOnSigterm) {
  ASSERT_FALSE(BinaryPath().empty());
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  TempDir start;  // the folder the program is started from
  pid_t pid = SpawnProgram({program.exe}, start.path(), program.Env(display.name()), {}, program.log);
  ASSERT_TRUE(WaitForFile(start.File("gpu_info.log"), 30)) << ReadFileBytes(program.log);
  // Inside the window (placed at 100, 100, 1440 x 920 without a window manager), right of the circle
  // and below the chord trail: the background gradient, but for the odd star. The first frames can
  // take a while on a loaded machine, so the screen is taken until they show.
  float want[3];
  BackdropGradientColour(660.0f / 920.0f, 0.0f, &want[0], &want[1], &want[2]);
  std::string shot = start.File("shot.ppm");
  int grabStatus = -1, matching = 0;
  for (int attempt = 0; attempt < 30 && matching < 8; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(attempt ? 1000 : 1500));
    pid_t grab = SpawnProgram({"import", "-display", display.name(), "-window", "root", "-depth", "8", shot}, "", {}, {}, "/dev/null");
    grabStatus = WaitForChild(grab, 30);
    std::string bytes = ReadFileBytes(shot);
    matching = 0;
    for (int x = 1000; x < 1100; x += 10) {
      int rgb[3];
      if (!PpmPixel(bytes, 100 + x, 100 + 660, rgb)) break;
      bool same = true;
      for (int i = 0; i < 3; ++i) same = same && std::abs(rgb[i] - (int)std::lround(want[i] * 255)) <= 2;
      matching += same;
    }
  }
  std::string tree = start.File("tree.txt");
  WaitForChild(SpawnProgram({"xwininfo", "-display", display.name(), "-root", "-tree"}, "", {}, {}, tree), 30);
  kill(pid, SIGTERM);
  int status = WaitForChild(pid, 30);
  std::string output = ReadFileBytes(program.log);
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 0) << output;

  std::string gpu = ReadFileBytes(start.File("gpu_info.log"));
  EXPECT_EQ(gpu.rfind("GL_VENDOR=", 0), 0u) << gpu;
  for (const char* line : {"\r\nGL_RENDERER=", "\r\nGL_VERSION="}) EXPECT_NE(gpu.find(line), std::string::npos) << gpu;
  EXPECT_EQ(gpu.substr(gpu.size() - 2), "\r\n");
  for (const char* folder : {"Data", "Logs", "MIDI", "MIDI/Imports", "Metronome"})
    EXPECT_TRUE(fs::is_directory(program.dir.File(folder))) << folder;

  std::string exitLog = ReadFileBytes(program.dir.File("Data/exit_log.txt"));
  size_t close = exitLog.find("  WM_CLOSE (title bar, Alt+F4, or a close request)\n");
  ASSERT_NE(close, std::string::npos) << exitLog;
  // The destroy line follows and ends the log.
  EXPECT_EQ(exitLog.rfind("  WM_DESTROY\n"), exitLog.size() - strlen("  WM_DESTROY\n")) << exitLog;
  EXPECT_LT(close, exitLog.rfind("  WM_DESTROY\n"));

  // Title, window-system class and the requested place and size (no window manager maximises it).
  EXPECT_NE(ReadFileBytes(tree).find("\"Tonvarra\": (\"Tonvarra\" \"Tonvarra\")  1440x920+100+100"),
            std::string::npos)
      << ReadFileBytes(tree);

  ASSERT_TRUE(WIFEXITED(grabStatus) && WEXITSTATUS(grabStatus) == 0) << "no screenshot";
  EXPECT_GE(matching, 8);
}

// A hang-up (the terminal closed, the session ended) closes the program through its own close, as
// SIGTERM does: by default it ended the process on the spot, with no exit log and nothing saved.
TEST(ProgramRun, AHangUpClosesItAsSigtermDoes) {
  ASSERT_FALSE(BinaryPath().empty());
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  TempDir start;
  pid_t pid = SpawnProgram({program.exe}, start.path(), program.Env(display.name()), {}, program.log);
  ASSERT_TRUE(WaitForFile(start.File("gpu_info.log"), 30)) << ReadFileBytes(program.log);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  kill(pid, SIGHUP);
  int status = WaitForChild(pid, 30);
  ASSERT_TRUE(WIFEXITED(status)) << ReadFileBytes(program.log);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::string exitLog = ReadFileBytes(program.dir.File("Data/exit_log.txt"));
  EXPECT_NE(exitLog.find("  WM_CLOSE (title bar, Alt+F4, or a close request)\n"), std::string::npos) << exitLog;
  EXPECT_EQ(exitLog.rfind("  WM_DESTROY\n"), exitLog.size() - strlen("  WM_DESTROY\n")) << exitLog;
}

// An X server that ends under the program (a remote session dropped, the desktop crashed) used to
// end it inside Xlib with nothing saved and no line in the exit log.
TEST(ProgramRun, LosingTheDisplaySavesWhatTheCloseSaves) {
  ASSERT_FALSE(BinaryPath().empty());
  auto display = std::make_unique<VirtualDisplay>();
  ASSERT_FALSE(display->name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  pid_t pid = SpawnProgram({program.exe}, program.dir.path(), program.Env(display->name()), {}, program.log);
  ASSERT_TRUE(WaitForFile(program.dir.File("gpu_info.log"), 30)) << ReadFileBytes(program.log);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  display.reset();
  int status = WaitForChild(pid, 30);
  ASSERT_TRUE(WIFEXITED(status)) << ReadFileBytes(program.log);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  std::string exitLog = ReadFileBytes(program.dir.File("Data/exit_log.txt"));
  const std::string lost = "  display lost (the connection to the window system broke)\n";
  EXPECT_EQ(exitLog.rfind(lost), exitLog.size() - lost.size()) << exitLog;
}

TEST(ProgramRun, WithoutADisplayItSaysSoAndExitsWithOne) {
  ProgramFolder program;
  pid_t pid = SpawnProgram({program.exe}, program.dir.path(), program.Env(""), {"DISPLAY", "WAYLAND_DISPLAY"}, program.log);
  int status = WaitForChild(pid, 30);
  std::string output = ReadFileBytes(program.log);
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 1) << output;
  EXPECT_NE(output.find("Tonvarra could not create its application window.\n\nPlease restart your PC and try "
                        "again. If the problem persists, contact support."),
            std::string::npos)
      << output;
  EXPECT_FALSE(FileExists(program.dir.File("gpu_info.log")));
}

// A display without OpenGL (as a bare X server or a remote session can be) makes windows but no GL
// one: the user must get the graphics advice, not "restart your PC", which cannot help.
TEST(ProgramRun, ADisplayWithoutOpenGlGetsTheGraphicsMessage) {
  VirtualDisplay display({"-extension", "GLX"});
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  pid_t pid = SpawnProgram({program.exe}, program.dir.path(), program.Env(display.name()), {}, program.log);
  int status = WaitForChild(pid, 30);
  std::string output = ReadFileBytes(program.log);
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 1) << output;
  EXPECT_NE(output.find("No compatible OpenGL pixel format is available on this display."), std::string::npos)
      << output;
  EXPECT_EQ(output.find("could not create its application window"), std::string::npos) << output;
}

// The start screen's first frame shows before the loaders it does not need; they still all run,
// in their order, before the loop handles its first input (a student file of the older version
// is read and written back in the newest, the keyboard is looked for).
TEST(ProgramRun, TheStartScreenShowsFirstAndTheLoadersStillRunInTheirOrder) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  fs::create_directories(program.dir.File("assets/images"));
  for (const char* name : {"splash_screen.png", "tv_mark.png", "tv_wordmark.png"})
    fs::copy_file(std::string(TONVARRA_SOURCE_ROOT) + "/assets/images/" + name, program.dir.File("assets/images/") + name);
  fs::create_directories(program.dir.File("Data"));
  WriteFileBytes(program.dir.File("Data/students.dat"), "STUDENTS_V1\nactive=0\nAnna | Anna Lee \n");
  auto env = program.Env(display.name());
  env.push_back({"TONVARRA_TIMING_LOG", "1"});
  pid_t pid = SpawnProgram({program.exe}, program.dir.path(), env, {}, program.log);
  const std::string last = "[timing] step classroom done";
  for (int i = 0; i < 600 && ReadFileBytes(program.log).find(last) == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  kill(pid, SIGTERM);
  int status = WaitForChild(pid, 30);
  std::string output = ReadFileBytes(program.log);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;

  const char* order[] = {"[timing] first frame ", "[timing] step language done", "[timing] step drawn done",
                         "[timing] step clefs done", "[timing] step records done", "[MIDI INIT] looking for a MIDI keyboard",
                         "[timing] step midi-in done", last.c_str()};
  size_t at = 0;
  for (const char* line : order) {
    size_t found = output.find(line);
    ASSERT_NE(found, std::string::npos) << line << "\n" << output;
    EXPECT_GE(found, at) << line << " out of order\n" << output;
    at = found;
  }
  EXPECT_EQ(ReadFileBytes(program.dir.File("Data/students.dat")), "STUDENTS_V2\nactive=0\nAnna|Anna Lee|0.3|0.48|0.76\n");
}

// The crash box is shown by a process of its own: the crashed one ends at once, whatever the box
// waits for, and the box appears on the display after it has gone.
TEST(ProgramRun, ACrashLeavesAReportAndADumpAndEndsWithinTwoSeconds) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  pid_t pid = SpawnProgram({program.exe}, program.dir.path(), program.Env(display.name(), true), {}, program.log);
  ASSERT_TRUE(WaitForFile(program.dir.File("gpu_info.log"), 30)) << ReadFileBytes(program.log);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(pid, SIGSEGV);
  // Two seconds on a quiet machine; a loaded one may take longer, while a hang never ends.
  int status = WaitForChild(pid, 10.0);
  std::string output = ReadFileBytes(program.log);
  ASSERT_NE(status, -1) << "the process did not end within ten seconds";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << output;
  std::string txt, dmp;
  for (const auto& entry : fs::directory_iterator(program.dir.File("Logs"))) {
    std::string name = entry.path().filename().string();
    if (name.rfind("crash_", 0) != 0) continue;
    if (entry.path().extension() == ".txt") txt = ReadFileBytes(entry.path().string());
    if (entry.path().extension() == ".dmp") dmp = ReadFileBytes(entry.path().string());
  }
  EXPECT_EQ(txt.rfind("Tonvarra crash report\r\nTime: ", 0), 0u) << txt;
  EXPECT_NE(txt.find("Exception code: 0x0000000B\r\n"), std::string::npos) << txt;
  EXPECT_NE(txt.find("Please send the matching crash_*.dmp"), std::string::npos) << txt;
  EXPECT_FALSE(dmp.empty());
  EXPECT_NE(output.find("Tonvarra: Tonvarra ran into a problem and needs to close."), std::string::npos) << output;

  // The box: a window of that caption on the display, long after the main window went.
  std::string tree = program.dir.File("tree.txt");
  bool boxShown = false;
  for (int i = 0; i < 100 && !boxShown; ++i) {
    WaitForChild(SpawnProgram({"xwininfo", "-display", display.name(), "-root", "-tree"}, "", {}, {}, tree), 10);
    boxShown = ReadFileBytes(tree).find("\"Tonvarra\"") != std::string::npos;
    if (!boxShown) std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  EXPECT_TRUE(boxShown) << ReadFileBytes(tree);
}

// A Data folder that cannot be made: the user is told, and nothing lands in the current folder.
TEST(ProgramRun, AnUnusableDataFolderIsReportedAndNothingIsWrittenElsewhere) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  WriteFileBytes(program.dir.File("Data"), "a file where the folder should be");
  TempDir start;
  pid_t pid = SpawnProgram({program.exe}, start.path(), program.Env(display.name()), {}, program.log);
  ASSERT_TRUE(WaitForFile(start.File("gpu_info.log"), 30)) << ReadFileBytes(program.log);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  kill(pid, SIGTERM);
  ASSERT_NE(WaitForChild(pid, 30), -1);
  EXPECT_NE(ReadFileBytes(program.log).find("Tonvarra: Tonvarra cannot keep your work: the Data folder"), std::string::npos)
      << ReadFileBytes(program.log);
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(start.path())) written.push_back(entry.path().filename().string());
  EXPECT_EQ(written, std::vector<std::string>{"gpu_info.log"});
  EXPECT_EQ(ReadFileBytes(program.dir.File("Data")), "a file where the folder should be");
}

// Whether a window named exactly `name` is on the display (xdotool finds one).
static bool WindowNamedIsShown(const std::string& display, const std::string& name, const std::string& scratch) {
  pid_t search = SpawnProgram({"xdotool", "search", "--name", "^" + name + "$"}, "", {{"DISPLAY", display}}, {}, scratch);
  return WaitForChild(search, 20) == 0;
}

// The box holds the only thread that reads the window's queue: a SIGTERM (the session ending) waited
// there for an OK nobody gave. The box is put up by a forked copy of the program, which stayed on
// the screen, holding all the program held, once the program had ended.
TEST(ProgramRun, ASigtermEndsTheProgramWhileItsStartUpBoxWaits) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  WriteFileBytes(program.dir.File("Data"), "a file where the folder should be");
  pid_t pid = SpawnProgram({program.exe}, program.dir.path(), program.Env(display.name(), true), {}, program.log);
  for (int i = 0; i < 300 && ReadFileBytes(program.log).find("cannot keep your work") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::string scratch = program.dir.File("xdotool.out");
  bool boxShown = false;
  for (int i = 0; i < 100 && !(boxShown = WindowNamedIsShown(display.name(), "Tonvarra", scratch)); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(boxShown) << "no box came up";
  kill(pid, SIGTERM);
  int status = WaitForChild(pid, 10);
  if (status == -1) kill(pid, SIGKILL), WaitForChild(pid, 10);
  ASSERT_NE(status, -1) << "the box held SIGTERM";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  bool boxGone = false;
  for (int i = 0; i < 100 && !(boxGone = !WindowNamedIsShown(display.name(), "Tonvarra", scratch)); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(boxGone) << "the box stayed up after the program ended";
}

// Every file under folder with its bytes and its modification time.
static std::map<std::string, std::pair<std::string, fs::file_time_type>> FolderSnapshot(const std::string& folder) {
  std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::error_code ec;
    fs::file_time_type time = fs::last_write_time(entry.path(), ec);
    files[entry.path().string()] = {entry.is_regular_file() ? ReadFileBytes(entry.path().string()) : "", time};
  }
  return files;
}

// Two copies on one Data folder would each overwrite the other's saves: the second says so and
// ends before it opens a window or touches a file, there or where it was started.
TEST(ProgramRun, ASecondCopyOnTheSameDataFolderEndsWithItsMessageAndChangesNothing) {
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  ProgramFolder program;
  TempDir start, secondStart, logs;
  pid_t first = SpawnProgram({program.exe}, start.path(), program.Env(display.name()), {}, program.log);
  // A copy stopped is woken and ended however the test leaves: stopped half way through its start,
  // it could hold the system's font cache lock, and every program after it would wait on that.
  struct Resume {
    pid_t pid;
    ~Resume() {
      if (pid <= 0) return;
      kill(pid, SIGCONT);
      if (waitpid(pid, nullptr, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
      }
    }
  } resume{first};
  // Stopped only once its start is through (its fonts built, its keyboard looked for).
  bool started = false;
  for (int i = 0; i < 300 && !started; ++i) {
    started = ReadFileBytes(program.log).find("[MIDI INIT]") != std::string::npos;
    if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(started) << ReadFileBytes(program.log);
  kill(first, SIGSTOP);   // it keeps its lock and writes nothing while the second copy runs
  auto before = FolderSnapshot(program.dir.path());

  pid_t second = SpawnProgram({program.exe}, secondStart.path(), program.Env(display.name()), {}, logs.File("second.txt"));
  int status = WaitForChild(second, 30);
  std::string output = ReadFileBytes(logs.File("second.txt"));
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 1) << output;
  EXPECT_NE(output.find("Tonvarra: Tonvarra is already running with this Data folder."), std::string::npos) << output;
  EXPECT_TRUE(FolderSnapshot(program.dir.path()) == before);
  EXPECT_TRUE(fs::is_empty(secondStart.path()));

  kill(first, SIGCONT);
  kill(first, SIGTERM);
  int firstStatus = WaitForChild(first, 30);
  resume.pid = -1;  // waited for, or killed by the wait
  EXPECT_TRUE(WIFEXITED(firstStatus) && WEXITSTATUS(firstStatus) == 0) << ReadFileBytes(program.log);
  // Once the first has ended, the folder is free again.
  pid_t third = SpawnProgram({program.exe}, secondStart.path(), program.Env(display.name()), {}, logs.File("third.txt"));
  ASSERT_TRUE(WaitForFile(secondStart.File("gpu_info.log"), 30)) << ReadFileBytes(logs.File("third.txt"));
  kill(third, SIGTERM);
  EXPECT_NE(WaitForChild(third, 30), -1);
}
