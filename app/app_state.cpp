// app/app_state: definitions of the frame's shared globals.
#include "app/app_state.h"

bool gAppRunning = true;
bool gMainWindowOpen = false;
std::string gStatusText;
bool gSongView = false;
bool gLearningOverlay = false;
