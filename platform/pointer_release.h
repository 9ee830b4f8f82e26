// platform/pointer_release: a release of the left button the window never heard of, told to it.
#pragma once

struct SDL_Window;

// Hands `window` a release of the left button at client point (x, y) through the window system, so
// that SDL, which counts the button held until it hears of one, stops doing so. False where the
// window is no X window or the event could not be sent.
bool SendLeftReleaseToWindow(SDL_Window* window, int x, int y);
