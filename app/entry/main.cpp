// The process entry: everything else starts in RunProgram. The program started anew by its own
// crash handler only shows the crash message box.
#include <cstring>

#include "app/base/timing_log.h"
#include "app/program.h"
#include "platform/crash.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], kCrashBoxArgument) == 0) return RunCrashBoxProcess();
  MarkProgramEntry();
  return RunProgram();
}
