// app/app_state: definitions of the frame's shared globals.
#include "app/app_state.h"

#include "platform/clock.h"

bool gAppRunning = true;
bool gMainWindowOpen = false;
std::string gStatusText;
bool gSongView = false;
bool gLearningOverlay = false;
int gClientWidth = 0;
int gClientHeight = 0;

bool gStudentListOpen = false;
bool gColourPopupOpen = false;
bool gColourWheelDrag = false;
bool gStudentsDirty = false;
int gSelectedStudentRow = -1;

int gHighlightRowId = -1;
uint64_t gHighlightDeadlineMs = 0;

bool IsHighlightActive(int id) {
  return id == gHighlightRowId && gHighlightRowId != -1 && ClockTickMs64() < gHighlightDeadlineMs;
}
