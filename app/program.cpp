// app/program: start-up in its fixed order, the run, and shut-down.
//
// Only the steps up to a current GL context can end the program (exit code 1, with a message);
// every later step reports its own problems and start-up always reaches the main loop.
#include "app/program.h"

#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <thread>

#include "app/base/app_state.h"
#include "app/base/asset_roots.h"
#include "app/base/client_size.h"
#include "app/base/folders.h"
#include "app/base/logs.h"
#include "app/base/timing_log.h"
#include "app/base/view_modes.h"
#include "app/floor_links.h"
#include "app/main_loop.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "board/grid_interaction.h"
#include "classroom/classroom_settings.h"
#include "gfx/gl_setup.h"
#include "gfx/images.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/ui_language.h"
#include "learning/learning_records.h"
#include "learning/library_index.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/midi_output_device.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/crash.h"
#include "platform/file_replace.h"
#include "platform/glyphs.h"
#include "platform/https.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/single_instance.h"
#include "platform/window.h"
#include "practice/achievements.h"
#include "practice/practice_records.h"
#include "practice/students.h"
#include "theory/filter_tabs.h"
#include "theory/key_detection.h"
#include "theory/scale_diagrams.h"
#include "theory/scale_rows.h"
#include "theory/scale_selection.h"
#include "visual/backdrop.h"
#include "visual/start_screen.h"

// Hybrid-graphics drivers look these up to run the program on the discrete GPU; elsewhere they
// are two harmless exported values.
extern "C" {
__attribute__((visibility("default"), used)) int NvOptimusEnablement = 1;
__attribute__((visibility("default"), used)) int AmdPowerXpressRequestHighPerformance = 1;
}

// ---- constants ----
static const char kWindowClassName[] = "Tonvarra";  // desktops show the class as the program's name
static const char kWindowTitle[] = "Tonvarra";
static const int kWindowX = 100, kWindowY = 100, kWindowWidth = 1440, kWindowHeight = 920;
static const char kWindowFailureText[] =
    "Tonvarra could not create its application window.\n\nPlease restart your PC and try again. "
    "If the problem persists, contact support.";
static const char kInstanceLockFile[] = "instance.lock";
static const char kAlreadyRunningText[] =
    "Tonvarra is already running with this Data folder.\n\n"
    "Use the window that is open; two copies would overwrite each other's work.";
static const char kDataFolderFailureText[] =
    "Tonvarra cannot keep your work: the Data folder beside the program cannot be created or written.\n\n"
    "Students, progress and settings will not be saved in this session. Please move Tonvarra to a "
    "folder you may write to, or ask your administrator, and start it again.";

// ---- internal helpers ----
static const char* GlStringOrNull(unsigned name) {
  const GLubyte* s = glGetString(name);
  return s ? (const char*)s : "(null)";
}

// Three lines with CR LF ends, in the folder the program was started from.
static void WriteGpuInfoLog() {
  std::string vendor = GlStringOrNull(GL_VENDOR);
  std::string renderer = GlStringOrNull(GL_RENDERER);
  std::string version = GlStringOrNull(GL_VERSION);
  FILE* f = fopen("gpu_info.log", "wb");
  if (!f) return;
  fprintf(f, "GL_VENDOR=%s\r\nGL_RENDERER=%s\r\nGL_VERSION=%s\r\n", vendor.c_str(), renderer.c_str(),
          version.c_str());
  fclose(f);
}

// The size messages of showing the window set the client size before the first layout.
static void ShowMainWindow() {
  WindowShowMaximized();
  MinTrackSize limits{0, 0};
  SendAppMessage(kMsgGetMinMaxInfo, 0, (int64_t)(intptr_t)&limits);
  WindowSetMinimumClientSize(limits.width, limits.height);
  DrainMessages();
  if (gClientWidth <= 0 || gClientHeight <= 0) ApplyClientSize(0, 0, true);
  RelayoutAll();
}

// The splash images go with the start screen's state: freeing them puts the start screen back.
static void ResetStartScreenAndLanguageRows() {
  ResetStartScreen();
  SetLanguageListRows(float(gLanguageIndex));
}

static void ShutDown() {
  StopPlaybackAndCloseOutput();
  CloseMidiInput();
  FreeContextTextures();
  ResetStartScreenAndLanguageRows();
  if (gGlReady) {
    WindowReleaseGlContext();
    gGlReady = false;
  }
  WindowDestroy();
  gMainWindowOpen = false;
}

// ---- public functions ----
void FreeContextTextures() {
  FreeAllFonts();
  FreeSplashTextures();
  FreeScaleDiagramTexture();
  FreeClefTextures();
  DeleteGlowTexture();
  FreeBackdropTexture();
}

std::string FormatGraphicsErrorText(const char* detail) {
  char text[768 * 3];
  snprintf(text, sizeof text,
           "Tonvarra could not start its graphics (OpenGL).\n\n%s\n\nThis usually means the graphics "
           "driver is out of date, or OpenGL is unavailable on this machine (for example inside some "
           "virtual machines or Remote Desktop sessions).\n\nPlease update your GPU drivers and try "
           "again. If you are on Remote Desktop or a virtual machine, try running on the physical PC.",
           detail ? detail : "");
  return text;
}

void ShowGraphicsError(const char* detail) {
  ShowErrorBox("Tonvarra \u2014 Graphics problem", FormatGraphicsErrorText(detail).c_str());
}

int RunProgram() {
  InstallCrashHandler();
  KeepFreedHeapForReuse();
  // Before the first thread: the glyph thread's font configuration reads the environment.
  PrepareWindowEnvironment(kWindowClassName);
  // The font configuration loads while the window and its GL driver are made; the fonts need it
  // only after them. Joined at the latest when this function returns.
  std::jthread glyphsReady(GlyphsPrepare);
  ConnectFloors();
  gRingMode = false;
  // Before anything is opened or written: a second copy on the same Data folder ends untouched.
  InstanceLock lock = TakeInstanceLock(GetDataFilePath(kInstanceLockFile));
  if (lock == InstanceLock::kInUse) {
    DebugLog("[startup] another copy is running with \"%s\"; this one ends\n", GetDataFolder().c_str());
    ShowErrorBox("Tonvarra", kAlreadyRunningText);
    return 1;
  }
  SetAppMessageHandler(MainWndProc);

  if (!WindowCreate(kWindowTitle, kWindowClassName, kWindowX, kWindowY, kWindowWidth, kWindowHeight)) {
    DebugLog("[startup] %s\n", WindowLastError());
    // Restarting does not give a display OpenGL: that user needs the graphics advice.
    if (WindowCreateLackedGl()) ShowGraphicsError("No compatible OpenGL pixel format is available on this display.");
    else ShowErrorBox("Tonvarra", kWindowFailureText);
    return 1;
  }
  gMainWindowOpen = true;
  WindowOnDisplayLost(HandleDisplayLost);
  ShowMainWindow();
  MarkStartupStep("window");

  switch (WindowCreateGlContext()) {
    case kGlReady: break;
    case kGlNoPixelFormat:
      ShowGraphicsError("No compatible OpenGL pixel format is available on this display.");
      return 1;
    case kGlNoContext:
      ShowGraphicsError("Could not create an OpenGL rendering context.");
      return 1;
    case kGlNotCurrent:
      ShowGraphicsError("Could not activate the OpenGL rendering context.");
      return 1;
  }
  gGlReady = true;
  MarkStartupStep("gl");

  WriteGpuInfoLog();
  if (!WindowSetSwapInterval(1)) DebugLog("[startup] no vertical sync; the frame pacing holds the rate\n");
  SetupGlState();
  SetProjection2D();
  glyphsReady.join();
  RebuildFonts();
  MarkStartupStep("fonts");
  SelectAssetRoot();
  // Data goes beside the executable or nowhere: the user is told, never left guessing.
  if (!CreateAppFolders()) {
    DebugLog("[startup] the Data folder \"%s\" cannot be used\n", GetDataFolder().c_str());
    ShowErrorBox("Tonvarra", kDataFolderFailureText);
  } else {
    // Saves killed before their rename leave temporary files; with the lock held no other copy
    // can be writing here, so every other process's are left over.
    int removed = 0;
    for (const std::string& folder : {GetDataFolder(), GetDataFilePath("exports")})
      removed += RemoveLeftTempFiles(folder, lock == InstanceLock::kHeld);
    if (removed > 0) DebugLog("[startup] removed %d temporary files of unfinished saves\n", removed);
  }
  MarkStartupStep("folders");
  LoadSplashTextures();
  ResetStartScreenAndLanguageRows();
  ResetStartScreen();
  MarkStartupStep("images");
  InitUiLanguage();
  SetLanguageListRows(float(gLanguageIndex));  // the start screen's list shows the chosen language
  MarkStartupStep("language");
  // The start screen stands in front of everything loaded below: its first frame shows first,
  // and the loaders run before the first pass handles any input, as they always did.
  PresentStartScreenFrame();
  LoadClefTextures();
  MarkStartupStep("clefs");
  LoadStudents();
  LoadPracticeRuns();
  LoadAchievements();
  GetScaleCatalogue();
  UpdateCurrentScaleIndex();
  SelectScaleFilter(gScaleFilter);
  SyncScaleListSelection();
  MarkStartupStep("records");
  SetMidiOutputPort(DeviceMidiOutputPort());
  MarkStartupStep("midi-out");
  MidiInitAuto();
  MarkStartupStep("midi-in");
  HttpsStartUp();
  LoadClassroomSettings();
  MarkStartupStep("classroom");

  if (gAppRunning) RunMainLoop();
  ShutDown();
  return 0;
}
