// platform/display_cover: a full-screen window brought over its whole display where no window
// manager does it.
#pragma once

struct SDL_Window;

// On an X display without a window manager, moves and sizes the window over the whole display it
// stands on and raises it; true when it did. A full-screen request is a message to the window
// manager, so without one the window keeps its place and size while the program is told the
// display's size, and a frame laid out for the display is shown cut to the old window.
bool CoverDisplayWithoutWindowManager(SDL_Window* window);
