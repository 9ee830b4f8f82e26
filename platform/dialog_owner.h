// platform/dialog_owner: a dialog program's windows made to belong to the program's window.
#pragma once

struct SDL_Window;

// The X window of `window`; 0 without one or where it is no X window (Wayland).
unsigned long X11WindowIdOf(SDL_Window* window);
// Marks the windows of process `pid` (a dialog program) that belong to no window yet as belonging
// to `owner`, so that a window manager keeps them above it and raises them with it. True when a
// shown one was marked.
bool OwnWindowsOfProcess(SDL_Window* owner, long pid);
