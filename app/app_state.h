// app/app_state: the few globals of the program's frame that every subsystem may touch.
#pragma once
#include <string>

extern bool gAppRunning;          // the main loop runs while set; cleared by destruction and RequestAppExit
extern bool gMainWindowOpen;      // set while the main window exists (created, not yet destroyed)
extern std::string gStatusText;   // the one-line status message; many subsystems write it
extern bool gSongView;            // the song view is shown
extern bool gLearningOverlay;     // the learning overlay is shown
