// platform/clipboard_sdl: the clipboard over SDL2 (needs the window system to be up).
#include <SDL.h>

#include <mutex>

#include "platform/clipboard.h"

// ---- state ----
static std::mutex gMemoryMutex;          // guards the two below
static bool gUseMemory = false;          // tests: the clipboard is gMemoryText
static std::string gMemoryText;

// ---- public functions ----
void ClipboardSetText(const std::string& text) {
  {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    if (gUseMemory) {
      if (!text.empty()) gMemoryText = text;
      return;
    }
  }
  if (text.empty() || !(SDL_WasInit(SDL_INIT_VIDEO) & SDL_INIT_VIDEO)) return;
  SDL_SetClipboardText(text.c_str());
}

std::string ClipboardGetText() {
  {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    if (gUseMemory) return gMemoryText;
  }
  if (!(SDL_WasInit(SDL_INIT_VIDEO) & SDL_INIT_VIDEO) || !SDL_HasClipboardText()) return "";
  char* raw = SDL_GetClipboardText();
  if (!raw) return "";
  std::string text = raw;
  SDL_free(raw);
  return text;
}

void ClipboardUseMemoryForTesting(bool on) {
  std::lock_guard<std::mutex> lock(gMemoryMutex);
  gUseMemory = on;
  gMemoryText.clear();
}
