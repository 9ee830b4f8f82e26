// platform/gl_current_sdl: every context of the program is made through SDL, so SDL knows.
#include <SDL.h>

#include "platform/gl_current.h"

bool GlContextIsCurrent() { return SDL_GL_GetCurrentContext() != nullptr; }
