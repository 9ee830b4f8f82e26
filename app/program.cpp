// app/program: start-up in its fixed order, the run, and shut-down.
#include "app/program.h"

#include "app/asset_roots.h"
#include "app/folders.h"
#include "app/logs.h"

int RunProgram() {
  SelectAssetRoot();
  CreateAppFolders();
  // The window and its frame loop are filled in later; until then the program ends here.
  DebugLog("[startup] folders ready in %s\n", GetExeDir().c_str());
  return 0;
}
