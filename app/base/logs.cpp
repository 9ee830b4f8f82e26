// app/logs: diagnostics that are written and never read back.
#include "app/base/logs.h"

#include <cstdarg>
#include <cstdio>

#include "app/base/app_state.h"
#include "app/base/folders.h"
#include "platform/clock.h"
#include "platform/file_replace.h"
#include "platform/messages.h"
#include "platform/process.h"

// ---- constants ----
static const size_t kDebugLogBufferSize = 512;

// ---- public functions ----
void DebugLog(const char* format, ...) {
  char buf[kDebugLogBufferSize];
  va_list args;
  va_start(args, format);
  vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  DebugOutput(buf);
}

void AppendExitLog(const char* reason) {
  if (!reason) return;
  FILE* f = fopen(GetDataFilePath("exit_log.txt").c_str(), "a");
  if (!f) return;
  LocalDateTime t = ClockLocalNow();
  fprintf(f, "%04d-%02d-%02d %02d:%02d:%02d  pid %lu  %s\n", t.year, t.month, t.day, t.hour,
          t.minute, t.second, ProcessId(), reason);
  fclose(f);
}

void RequestAppExit() {
  AppendExitLog("RequestAppExit");
  gAppRunning = false;
  PostAppMessage(gMainWindowOpen ? kMsgClose : kMsgQuit, 0, 0);
}

void WriteClefDebugLog(const std::vector<std::string>& roots, const std::string& treblePath,
                       const std::string& bassPath) {
  if (!treblePath.empty() && !bassPath.empty()) return;
  std::string folder = GetLogsFolderOrFallback();
  if (folder.empty()) return;
  // The block replaces the one of the last resolve, so the file never grows from run to run.
  std::string text = "Clef resolve failure\n";
  text += "treble=" + (treblePath.empty() ? std::string("(missing)") : treblePath) + "\n";
  text += "bass=" + (bassPath.empty() ? std::string("(missing)") : bassPath) + "\n";
  text += "exeDir=" + GetExeDir() + "\n";
  text += "cwd=" + GetWorkingDir() + "\n";
  text += "roots:\n";
  for (const std::string& r : roots) text += "  " + r + "\n";
  text += "\n";
  ReplaceFileWithContent(folder + "clef_debug.txt", text, nullptr);
}
