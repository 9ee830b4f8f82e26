// platform/gl_offscreen_sdl: the test and tool GL context over SDL's video subsystem.
#include <SDL.h>

#include "platform/gl_offscreen.h"

// ---- state ----
static SDL_Window* gOffscreenWindow = nullptr;    // the hidden window, null when closed
static SDL_GLContext gOffscreenContext = nullptr; // its context

bool GlOffscreenOpen(int width, int height, std::string* error) {
  if (gOffscreenWindow) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (error) *error = SDL_GetError();
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  gOffscreenWindow = SDL_CreateWindow("offscreen", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                      SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!gOffscreenWindow) {
    if (error) *error = SDL_GetError();
    return false;
  }
  gOffscreenContext = SDL_GL_CreateContext(gOffscreenWindow);
  if (!gOffscreenContext || SDL_GL_MakeCurrent(gOffscreenWindow, gOffscreenContext) != 0) {
    if (error) *error = SDL_GetError();
    GlOffscreenClose();
    return false;
  }
  return true;
}

void GlOffscreenClose() {
  if (gOffscreenContext) SDL_GL_DeleteContext(gOffscreenContext);
  gOffscreenContext = nullptr;
  if (gOffscreenWindow) {
    SDL_DestroyWindow(gOffscreenWindow);
    gOffscreenWindow = nullptr;
  }
  // The video subsystem stays up: quitting it unloads the GL driver, and the driver's own
  // allocations would then show up as leaks of an unknown module.
}
