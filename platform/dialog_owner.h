// platform/dialog_owner: a dialog program's windows made to belong to the program's window.
#pragma once

struct SDL_Window;

// Marks the windows of process `pid` (a dialog program) that belong to no window yet as belonging
// to `owner`, so that a window manager keeps them above it and raises them with it. True when a
// shown one was marked.
bool OwnWindowsOfProcess(SDL_Window* owner, long pid);
