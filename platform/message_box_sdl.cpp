// platform/message_box_sdl: error boxes over SDL2, echoed to standard error.
#include <SDL.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/message_box.h"

// ---- state ----
static std::atomic<ErrorBoxSink> gErrorBoxSink{nullptr};   // test recorder in place of the box

// ---- internal helpers ----
static void WriteAll(int fd, const char* text) {
  size_t left = strlen(text);
  while (left > 0) {
    ssize_t n = write(fd, text, left);
    if (n <= 0) return;
    text += n;
    left -= (size_t)n;
  }
}

// ---- public functions ----
bool ErrorBoxesEnabled() {
  const char* v = getenv("TONVARRA_MESSAGE_BOXES");
  return !(v && strcmp(v, "0") == 0);
}

void ShowErrorBox(const char* caption, const char* text) {
  if (!caption) caption = "";
  if (!text) text = "";
  WriteAll(2, caption);
  WriteAll(2, ": ");
  WriteAll(2, text);
  WriteAll(2, "\n");
  if (ErrorBoxSink sink = gErrorBoxSink.load()) {
    sink(caption, text);
    return;
  }
  if (!ErrorBoxesEnabled()) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

void SetErrorBoxSinkForTesting(ErrorBoxSink sink) { gErrorBoxSink.store(sink); }
