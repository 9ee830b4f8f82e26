// platform/message_box_sdl: error boxes over SDL2, echoed to standard error.
#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/message_box.h"
#include "platform/window.h"

// ---- state ----
static std::atomic<ErrorBoxSink> gErrorBoxSink{nullptr};   // test recorder in place of the box
static std::atomic<pid_t> gBoxOwner{0};                      // the process whose box waits; 0 none

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

// SDL puts an X11 box up from a forked copy of the program and waits for it. That copy holds all
// the program held, the Data folder's lock among them: ended with the program by a signal, it would
// stay on screen for a program that is gone and keep a new start out as "already running". Forked
// while a box is asked for, it ends with its parent.
static void EndWithTheBoxOwner() {
  pid_t owner = gBoxOwner.load();
  if (owner == 0) return;
#ifdef __linux__
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  if (getppid() != owner) _exit(1);   // the parent ended before the line above took effect
}

// The boxes stand at start-up, on the only thread that would see a quit request: while one waits,
// SIGTERM, SIGINT and SIGHUP (the session ending) end the program as they would with no window
// yet, instead of waiting in the window's queue for an OK nobody may give. Nothing is unsaved
// then. A signal that is ignored stays ignored.
class StopSignalsEndTheProgram {
 public:
  StopSignalsEndTheProgram() {
    static const bool kForksWatched = pthread_atfork(nullptr, nullptr, EndWithTheBoxOwner) == 0;
    (void)kForksWatched;
    gBoxOwner.store(getpid());
    for (int i = 0; i < kCount; ++i) {
      struct sigaction now {};
      changed_[i] = sigaction(kSignals[i], nullptr, &now) == 0 && now.sa_handler != SIG_IGN &&
                    now.sa_handler != SIG_DFL;
      if (!changed_[i]) continue;
      saved_[i] = now;
      struct sigaction plain {};
      plain.sa_handler = SIG_DFL;
      sigemptyset(&plain.sa_mask);
      sigaction(kSignals[i], &plain, nullptr);
    }
  }
  ~StopSignalsEndTheProgram() {
    gBoxOwner.store(0);
    for (int i = 0; i < kCount; ++i)
      if (changed_[i]) sigaction(kSignals[i], &saved_[i], nullptr);
  }

 private:
  static constexpr int kCount = 3;
  static constexpr int kSignals[kCount] = {SIGTERM, SIGINT, SIGHUP};
  struct sigaction saved_[kCount] {};
  bool changed_[kCount] = {};
};

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
  // From here on a stop signal ends the program; one that came earlier was taken by the window's
  // handler as a quit, which would wait behind the box for an OK from a user who is leaving.
  StopSignalsEndTheProgram whileTheBoxWaits;
  if (WindowEndAskedFor()) return;
  if (ErrorBoxSink sink = gErrorBoxSink.load()) {
    sink(caption, text);
    return;
  }
  if (!ErrorBoxesEnabled()) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

void SetErrorBoxSinkForTesting(ErrorBoxSink sink) { gErrorBoxSink.store(sink); }
