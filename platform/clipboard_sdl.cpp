// platform/clipboard_sdl: the clipboard over SDL2 (needs the window system to be up).
#include <SDL.h>

#include "platform/clipboard.h"

void ClipboardSetText(const std::string& text) {
  if (text.empty() || !(SDL_WasInit(SDL_INIT_VIDEO) & SDL_INIT_VIDEO)) return;
  SDL_SetClipboardText(text.c_str());
}

std::string ClipboardGetText() {
  if (!(SDL_WasInit(SDL_INIT_VIDEO) & SDL_INIT_VIDEO) || !SDL_HasClipboardText()) return "";
  char* raw = SDL_GetClipboardText();
  if (!raw) return "";
  std::string text = raw;
  SDL_free(raw);
  return text;
}
