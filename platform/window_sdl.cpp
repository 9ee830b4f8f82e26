// platform/window_sdl: the main window, its GL context, pointer state and event pump over SDL2.
//
// Sections: state, key mapping, event translation, window and context, pointer and cursors.
#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/dialog_owner.h"
#include "platform/display_cover.h"
#include "platform/event_translate.h"
#include "platform/input.h"
#include "platform/pointer_release.h"
#include "platform/x11_window.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/window.h"

// ---- state ----
static volatile sig_atomic_t gHangupSeen = 0;    // SIGHUP came and is not yet a close request
static SDL_Window* gSdlWindow = nullptr;         // the main window, null when none
static SDL_GLContext gSdlGlContext = nullptr;    // its GL context, null when none
static bool gSdlVideoUp = false;                 // SDL's video part is initialised
static bool gWindowEnvironmentReady = false;     // PrepareWindowEnvironment has run
static SDL_Cursor* gSdlCursors[4] = {};          // system cursors by CursorShape, made on first use
static char gLastError[256] = "";                // the last failure text
static SDL_Rect gSavedPlacement = {0, 0, 0, 0};  // position and size before full screen
static bool gSavedMaximized = false;             // the window was maximised before full screen
static bool gWindowLacksGl = false;              // the display made a window, but not one for GL
static bool gEndAskedFor = false;                // a quit or the close box already came through the pump
static bool gLeftHeldAtFocusLoss = false;        // the focus left with the left button held, not let go since
static bool gLeftReleaseSent = false;            // ...and a release was sent to SDL for it, not come back yet
static bool gMinimisedPosted = false;            // a minimise was posted and nothing has shown the window since

// ---- internal helpers ----
static void OnHangup(int) { gHangupSeen = 1; }

// A hang-up (the terminal closed, the session ended) ends the program as SIGTERM does, through its
// own close, which saves a note being typed and writes the exit log; by default it ended the
// process on the spot. A hang-up that is ignored (nohup) stays ignored.
static void CatchHangup() {
  struct sigaction now {};
  if (sigaction(SIGHUP, nullptr, &now) != 0 || now.sa_handler != SIG_DFL) return;
  struct sigaction act {};
  act.sa_handler = OnHangup;
  sigemptyset(&act.sa_mask);
  sigaction(SIGHUP, &act, nullptr);
}

// A hang-up becomes the quit event a SIGTERM makes; the handler itself may only set its flag.
static void PostHangup() {
  if (!gHangupSeen) return;
  gHangupSeen = 0;
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

static void KeepError(const char* what) {
  snprintf(gLastError, sizeof gLastError, "%s: %s", what, SDL_GetError());
}

// SDL says only that no video driver came up; the user needs to know which displays were tried,
// since a stale or mistyped DISPLAY is the usual cause.
static void KeepNoDisplayError() {
  const char* x = getenv("DISPLAY");
  const char* wayland = getenv("WAYLAND_DISPLAY");
  snprintf(gLastError, sizeof gLastError, "SDL_Init: %s (DISPLAY%s%s, WAYLAND_DISPLAY%s%s)", SDL_GetError(),
           x && *x ? "=" : " ", x && *x ? x : "unset", wayland && *wayland ? "=" : " ",
           wayland && *wayland ? wayland : "unset");
}

// A key event carries the modifiers of its own moment; the live state may be later already.
static KeyModifiers ModifiersOf(SDL_Keymod m) {
  KeyModifiers mods;
  mods.shift = (m & KMOD_SHIFT) != 0;
  mods.ctrl = (m & KMOD_CTRL) != 0;
  mods.alt = (m & KMOD_ALT) != 0;
  return mods;
}

static unsigned MouseFlags(uint32_t buttons) {
  unsigned f = 0;
  if (buttons & SDL_BUTTON_LMASK) f |= kMouseFlagLeft;
  if (buttons & SDL_BUTTON_RMASK) f |= kMouseFlagRight;
  if (buttons & SDL_BUTTON_MMASK) f |= kMouseFlagMiddle;
  SDL_Keymod m = SDL_GetModState();
  if (m & KMOD_SHIFT) f |= kMouseFlagShift;
  if (m & KMOD_CTRL) f |= kMouseFlagControl;
  if (m & KMOD_ALT) f |= kMouseFlagAlt;
  return f;
}

// ---- key mapping ----
// The key a US keyboard has at this place: letters, digits and punctuation; 0 elsewhere.
static int VirtualKeyAtPlace(SDL_Scancode s) {
  if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) return 'A' + (int)(s - SDL_SCANCODE_A);
  if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) return '1' + (int)(s - SDL_SCANCODE_1);
  switch (s) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_SEMICOLON: return kKeyOem1;
    case SDL_SCANCODE_EQUALS: return kKeyOemPlus;
    case SDL_SCANCODE_COMMA: return kKeyOemComma;
    case SDL_SCANCODE_MINUS: return kKeyOemMinus;
    case SDL_SCANCODE_PERIOD: return kKeyOemPeriod;
    case SDL_SCANCODE_SLASH: return kKeyOem2;
    case SDL_SCANCODE_GRAVE: return kKeyOem3;
    case SDL_SCANCODE_LEFTBRACKET: return kKeyOem4;
    case SDL_SCANCODE_BACKSLASH: return kKeyOem5;
    case SDL_SCANCODE_RIGHTBRACKET: return kKeyOem6;
    case SDL_SCANCODE_APOSTROPHE: return kKeyOem7;
    default: return 0;
  }
}

// A layout of another script (Cyrillic, Greek, Arabic, Hebrew ...) gives its own letters for the
// letter keys, and R, F, M or Ctrl+C would be no command at all: such a key counts by its place.
// Latin layouts keep theirs (AZERTY's M is where the keyboard prints M), accented letters too: all
// lie below U+0370, and ü or ğ by place would be a second U or E.
static int VirtualKeyFromSdl(SDL_Keycode k, SDL_Scancode place) {
  if (k >= 0x370 && !(k & SDLK_SCANCODE_MASK)) return VirtualKeyAtPlace(place);
  if (k >= 'a' && k <= 'z') return (int)(k - 'a' + 'A');
  if (k >= '0' && k <= '9') return (int)k;
  if (k >= SDLK_F1 && k <= SDLK_F12) return kKeyF1 + (int)(k - SDLK_F1);
  if (k >= SDLK_F13 && k <= SDLK_F24) return kKeyF1 + 12 + (int)(k - SDLK_F13);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return kKeyNumpad0 + 1 + (int)(k - SDLK_KP_1);
  switch (k) {
    case SDLK_BACKSPACE: return kKeyBack;
    case SDLK_TAB: return kKeyTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return kKeyReturn;
    case SDLK_ESCAPE: return kKeyEscape;
    case SDLK_SPACE: return kKeySpace;
    case SDLK_PAGEUP: return kKeyPageUp;
    case SDLK_PAGEDOWN: return kKeyPageDown;
    case SDLK_END: return kKeyEnd;
    case SDLK_HOME: return kKeyHome;
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_UP: return kKeyUp;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_INSERT: return kKeyInsert;
    case SDLK_DELETE: return kKeyDelete;
    case SDLK_PAUSE: return kKeyPause;
    case SDLK_CAPSLOCK: return kKeyCapital;
    case SDLK_KP_0: return kKeyNumpad0;
    case SDLK_LSHIFT: return kKeyShift;
    case SDLK_RSHIFT: return kKeyShift;
    case SDLK_LCTRL: return kKeyControl;
    case SDLK_RCTRL: return kKeyControl;
    case SDLK_LALT: return kKeyMenu;
    case SDLK_RALT: return kKeyMenu;
    case SDLK_SEMICOLON: return kKeyOem1;
    case SDLK_EQUALS: return kKeyOemPlus;
    case SDLK_COMMA: return kKeyOemComma;
    case SDLK_MINUS: return kKeyOemMinus;
    case SDLK_PERIOD: return kKeyOemPeriod;
    case SDLK_SLASH: return kKeyOem2;
    case SDLK_BACKQUOTE: return kKeyOem3;
    case SDLK_LEFTBRACKET: return kKeyOem4;
    case SDLK_BACKSLASH: return kKeyOem5;
    case SDLK_RIGHTBRACKET: return kKeyOem6;
    case SDLK_QUOTE: return kKeyOem7;
    default: return 0;
  }
}

int KeyCodeOfKeyForTesting(int keysym, int place) {
  return VirtualKeyFromSdl((SDL_Keycode)keysym, (SDL_Scancode)place);
}

// ---- event translation ----
// The window shows again after a minimise: its size goes out once more, which tells that it is
// drawn again (restoring a window of the same size reports no size of its own). The window
// systems differ in which of restored, maximised, shown and exposed they send, so the first counts.
static void PostShownAgain() {
  if (!gMinimisedPosted) return;
  gMinimisedPosted = false;
  int cw = 0, ch = 0;
  SDL_GL_GetDrawableSize(gSdlWindow, &cw, &ch);
  if (cw <= 0 || ch <= 0) SDL_GetWindowSize(gSdlWindow, &cw, &ch);
  PostClientSize(cw, ch, WindowIsMaximized());
}

static void TranslateWindowEvent(const SDL_WindowEvent& w) {
  // A window destroyed before (its hiding reads as a minimise) is not this one.
  if (!gSdlWindow || w.windowID != SDL_GetWindowID(gSdlWindow)) return;
  switch (w.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      // A window manager keeps the minimum size; without one a window can be made smaller, and the
      // frame would be laid out for a size it cannot show. The size is put back and the next
      // change reports it.
      int minW = 0, minH = 0;
      SDL_GetWindowMinimumSize(gSdlWindow, &minW, &minH);
      bool fullscreen = (SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_FULLSCREEN) != 0;
      if (!fullscreen && (w.data1 < minW || w.data2 < minH)) {
        SDL_SetWindowSize(gSdlWindow, std::max(w.data1, minW), std::max(w.data2, minH));
        break;
      }
      int cw = 0, ch = 0;
      SDL_GL_GetDrawableSize(gSdlWindow, &cw, &ch);
      if (cw <= 0 || ch <= 0) cw = w.data1, ch = w.data2;
      PostClientSize(cw, ch, WindowIsMaximized());
      break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
      gMinimisedPosted = true;
      PostMinimized();
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED: PostShownAgain(); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      if (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) gLeftHeldAtFocusLoss = true;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      gEndAskedFor = true;
      PostCloseRequest();
      break;
#if SDL_VERSION_ATLEAST(2, 0, 18)
    case SDL_WINDOWEVENT_DISPLAY_CHANGED: PostDisplayChange(); break;
#endif
    default: break;
  }
}

static void TranslateEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:  // SIGTERM, SIGINT or the session ending
      gEndAskedFor = true;
      PostCloseRequest();
      break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(e.window); break;
    case SDL_DISPLAYEVENT: PostDisplayChange(); break;
    case SDL_KEYDOWN: {
      const SDL_Keysym& k = e.key.keysym;
      PostKeyPress(VirtualKeyFromSdl(k.sym, k.scancode), ModifiersOf((SDL_Keymod)k.mod), e.key.repeat != 0);
      break;
    }
    case SDL_KEYUP: PostKeyRelease(VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode)); break;
    case SDL_TEXTINPUT: PostTextInput(e.text.text); break;
    case SDL_MOUSEMOTION: {
      int w = 0, h = 0;
      SDL_GetWindowSize(gSdlWindow, &w, &h);
      bool inside = e.motion.x >= 0 && e.motion.y >= 0 && e.motion.x < w && e.motion.y < h;
      // With the focus the window lost its hold on the pointer, so a button let go over another
      // window never came here, and SDL counts it held until the next press ends: a drag would go
      // on following the pointer. Then the pointer itself says whether the button is still down.
      uint32_t buttons = e.motion.state;
      if (gLeftHeldAtFocusLoss && (buttons & SDL_BUTTON_LMASK) &&
          !(SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK)) {
        buttons &= ~SDL_BUTTON_LMASK;
        // SDL must hear of the release too: counting the button held, it takes the next press on
        // the window for the one held and drops it, and a click back on the window did nothing.
        if (!gLeftReleaseSent) gLeftReleaseSent = SendLeftReleaseToWindow(gSdlWindow, e.motion.x, e.motion.y);
      }
      PostMouseMove(e.motion.x, e.motion.y, MouseFlags(buttons), inside);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_LEFT) gLeftHeldAtFocusLoss = false;
      PostMouseButtonDown(e.button.button == SDL_BUTTON_LEFT    ? 1
                          : e.button.button == SDL_BUTTON_RIGHT ? 3
                                                                : 2,
                          e.button.clicks, e.button.x, e.button.y, MouseFlags(SDL_GetMouseState(nullptr, nullptr)));
      break;
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_LEFT) {
        gLeftHeldAtFocusLoss = false;
        // The release sent above: the drag ended at the move that found the button up.
        if (gLeftReleaseSent) {
          gLeftReleaseSent = false;
          break;
        }
      }
      PostMouseButtonUp(e.button.button == SDL_BUTTON_LEFT ? 1 : e.button.button == SDL_BUTTON_RIGHT ? 3 : 2,
                        e.button.x, e.button.y, MouseFlags(SDL_GetMouseState(nullptr, nullptr)));
      break;
    case SDL_MOUSEWHEEL: {
      float notches = (float)e.wheel.y;
#if SDL_VERSION_ATLEAST(2, 0, 18)
      notches = e.wheel.preciseY;
#endif
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      int x = 0, y = 0;
      SDL_GetMouseState(&x, &y);
      PostMouseWheel(notches, x, y, MouseFlags(SDL_GetMouseState(nullptr, nullptr)));
      break;
    }
    default: break;
  }
}

// ---- window and context ----
void PrepareWindowEnvironment(const char* className) {
  if (gWindowEnvironmentReady) return;
  gWindowEnvironmentReady = true;
  // The X11 window class is read from the environment when the window is made.
  setenv("SDL_VIDEO_X11_WMCLASS", className, 1);
  // With no session bus named, the video start asks the bus library for one, which then forks
  // this many-threaded process to launch a bus through the display: a child that can hang before
  // it runs anything, and the window's creation with it, waiting on its pipe. A desktop names its
  // bus; without one there is no input method to reach over it anyway.
  if (!getenv("DBUS_SESSION_BUS_ADDRESS")) setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
}

bool WindowCreate(const char* title, const char* className, int x, int y, int width, int height) {
  if (gSdlWindow) return true;
  PrepareWindowEnvironment(className);
  SDL_SetHint("SDL_VIDEO_X11_WMCLASS", className);
  // The program holds its own frame pace and never wants the compositor turned off for it.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // A double click is two presses on one spot, as the desktop's is: the default 32 pixels made
  // quick presses on neighbouring grid cells one double click (which clears an earned cell).
  SDL_SetHint(SDL_HINT_MOUSE_DOUBLE_CLICK_RADIUS, "4");
  // The close box is one close request; the quit event stays for signals and the session ending.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Only a real display will do: without one, window creation must fail, not fall back to an
  // offscreen driver nobody sees.
  if (!getenv("SDL_VIDEODRIVER")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
  if (!gSdlVideoUp) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      KeepNoDisplayError();
      return false;
    }
    gSdlVideoUp = true;
    CatchHangup();
  }
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  gSdlWindow = SDL_CreateWindow(title, x, y, width, height,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
  if (!gSdlWindow) {
    KeepError("SDL_CreateWindow");
    // A display without OpenGL (no GLX, no GL visual, no GL library) refuses the GL window only: a
    // plain one proves the display works, and the fault is the graphics', not the window's.
    if (SDL_Window* plain = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN)) {
      SDL_DestroyWindow(plain);
      gWindowLacksGl = true;
    }
    return false;
  }
  return true;
}

bool WindowCreateLackedGl() { return gWindowLacksGl; }

bool WindowExists() { return gSdlWindow != nullptr; }

unsigned long WindowSystemId() { return X11WindowIdOf(gSdlWindow); }

bool WindowOwnWindowsOfProcess(long pid) { return OwnWindowsOfProcess(gSdlWindow, pid); }

void WindowShowMaximized() {
  if (!gSdlWindow) return;
  SDL_ShowWindow(gSdlWindow);
  SDL_MaximizeWindow(gSdlWindow);
  // Without a window manager nothing answers the request; the first size is posted either way,
  // so the client size is known before the first layout.
  int w = 0, h = 0;
  if (WindowGetClientSize(&w, &h)) PostClientSize(w, h, WindowIsMaximized());
}

void WindowHide() {
  if (gSdlWindow) SDL_HideWindow(gSdlWindow);
}

void WindowDestroy() {
  WindowReleaseGlContext();
  for (SDL_Cursor*& c : gSdlCursors) {
    if (c) SDL_FreeCursor(c);
    c = nullptr;
  }
  if (gSdlWindow) SDL_DestroyWindow(gSdlWindow);
  gSdlWindow = nullptr;
  gMinimisedPosted = false;
  // SDL stays up until the process ends: quitting it would unload the GL driver, whose few
  // allocations then show up as leaks of an unknown module.
}

GlSetupResult WindowCreateGlContext() {
  if (!gSdlWindow) return kGlNoContext;
  gSdlGlContext = SDL_GL_CreateContext(gSdlWindow);
  if (!gSdlGlContext) {
    KeepError("SDL_GL_CreateContext");
    // A window whose format cannot carry a context is a pixel-format failure.
    int doubleBuffer = 0;
    if (SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer) != 0) return kGlNoPixelFormat;
    return kGlNoContext;
  }
  if (SDL_GL_MakeCurrent(gSdlWindow, gSdlGlContext) != 0) {
    KeepError("SDL_GL_MakeCurrent");
    return kGlNotCurrent;
  }
  int r = 0, g = 0, b = 0, doubleBuffer = 0;
  SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &r);
  SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &g);
  SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &b);
  SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
  if (r < 8 || g < 8 || b < 8 || !doubleBuffer) {
    snprintf(gLastError, sizeof gLastError, "format R%d G%d B%d double=%d", r, g, b, doubleBuffer);
    return kGlNoPixelFormat;
  }
  return kGlReady;
}

void WindowReleaseGlContext() {
  if (!gSdlGlContext) return;
  SDL_GL_MakeCurrent(gSdlWindow, nullptr);
  SDL_GL_DeleteContext(gSdlGlContext);
  gSdlGlContext = nullptr;
}

bool WindowSetSwapInterval(int interval) {
  return gSdlGlContext && SDL_GL_SetSwapInterval(interval) == 0;
}

void WindowSwapBuffers() {
  if (gSdlWindow && gSdlGlContext) SDL_GL_SwapWindow(gSdlWindow);
}

bool WindowGetClientSize(int* width, int* height) {
  if (!gSdlWindow) return false;
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(gSdlWindow, &w, &h);
  if (w <= 0 || h <= 0) SDL_GetWindowSize(gSdlWindow, &w, &h);
  *width = w;
  *height = h;
  return true;
}

bool WindowIsMaximized() {
  return gSdlWindow && (SDL_GetWindowFlags(gSdlWindow) & SDL_WINDOW_MAXIMIZED) != 0;
}

bool WindowGetWorkArea(int* width, int* height) {
  if (!gSdlWindow) return false;
  int display = SDL_GetWindowDisplayIndex(gSdlWindow);
  SDL_Rect r;
  if (display < 0 || SDL_GetDisplayUsableBounds(display, &r) != 0 || r.w <= 0 || r.h <= 0) return false;
  *width = r.w;
  *height = r.h;
  return true;
}

bool WindowGetScreenSize(int* width, int* height) {
  if (!gSdlVideoUp) return false;
  int display = gSdlWindow ? SDL_GetWindowDisplayIndex(gSdlWindow) : 0;
  SDL_Rect r;
  if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &r) != 0 || r.w <= 0 || r.h <= 0) return false;
  *width = r.w;
  *height = r.h;
  return true;
}

void WindowSetMinimumClientSize(int width, int height) {
  if (gSdlWindow && width > 0 && height > 0) SDL_SetWindowMinimumSize(gSdlWindow, width, height);
}

void WindowSetClientSize(int width, int height) {
  if (gSdlWindow && width > 0 && height > 0) SDL_SetWindowSize(gSdlWindow, width, height);
}

bool WindowSetFullscreen(bool on) {
  if (!gSdlWindow) return false;
  if (on) {
    // A window manager's own full screen leaves the window covering the display while SDL still
    // counts it windowed: kept as the place to come back to, it would bring the window back as
    // large as the display, title bar and all, its bottom edge off the screen. The place before it
    // stays; without one the window manager puts its own back.
    SDL_Rect place{0, 0, 0, 0}, display{0, 0, 0, 0};
    SDL_GetWindowPosition(gSdlWindow, &place.x, &place.y);
    SDL_GetWindowSize(gSdlWindow, &place.w, &place.h);
    bool coversDisplay = SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(gSdlWindow)), &display) == 0 &&
                         place.w >= display.w && place.h >= display.h;
    if (!coversDisplay) {
      gSavedPlacement = place;
      gSavedMaximized = WindowIsMaximized();
    }
  }
  if (SDL_SetWindowFullscreen(gSdlWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
    KeepError("SDL_SetWindowFullscreen");
    return false;
  }
  if (on) CoverDisplayWithoutWindowManager(gSdlWindow);
  if (!on && gSavedPlacement.w > 0 && gSavedPlacement.h > 0) {
    // A window manager puts the placement back by itself; without one it stays display-sized, so
    // the saved placement is applied here as well (a no-op when it is already back).
    SDL_SetWindowSize(gSdlWindow, gSavedPlacement.w, gSavedPlacement.h);
    SDL_SetWindowPosition(gSdlWindow, gSavedPlacement.x, gSavedPlacement.y);
    if (gSavedMaximized) SDL_MaximizeWindow(gSdlWindow);
  }
  return true;
}

int PumpWindowEvents() {
  if (!gSdlVideoUp) return 0;
  int count = 0;
  SDL_Event e;
  PostHangup();
  while (SDL_PollEvent(&e)) {
    TranslateEvent(e);
    ++count;
  }
  return count;
}

void WindowDropPointerPresses() {
  if (gSdlVideoUp) {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP);
  }
  RemoveAppMessages(kMsgLButtonDown, kMsgRButtonDown);
}

void WindowDropUserInput() {
  WindowDropPointerPresses();
  if (gSdlVideoUp) {
    SDL_FlushEvent(SDL_KEYDOWN);
    SDL_FlushEvents(SDL_TEXTEDITING, SDL_TEXTINPUT);
    SDL_FlushEvent(SDL_MOUSEWHEEL);
  }
  RemoveAppMessages(kMsgKeyDown, kMsgKeyDown);
  RemoveAppMessages(kMsgChar, kMsgChar);
  RemoveAppMessages(kMsgSysKeyDown, kMsgSysKeyDown);
  RemoveAppMessages(kMsgMouseWheel, kMsgMouseWheel);
}

bool WindowQuitRequested() {
  if (!gSdlVideoUp) return false;
  PostHangup();
  SDL_PumpEvents();
  if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0) return true;
  // The close box comes as a window event among the others waiting (focus, exposure, the pointer
  // coming and going): all of them are looked through, and all stay for the pump.
  int waiting = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
  if (waiting <= 0 || !gSdlWindow) return false;
  const uint32_t ours = SDL_GetWindowID(gSdlWindow);
  std::vector<SDL_Event> events((size_t)waiting);
  waiting = SDL_PeepEvents(events.data(), waiting, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
  for (int i = 0; i < waiting; ++i) {
    const SDL_WindowEvent& w = events[(size_t)i].window;
    if (w.event == SDL_WINDOWEVENT_CLOSE && w.windowID == ours) return true;
  }
  return false;
}

bool WindowEndAskedFor() { return gEndAskedFor || WindowQuitRequested(); }

void WindowQueueCloseBoxForTesting() {
  if (!gSdlWindow) return;
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(gSdlWindow);
  SDL_PushEvent(&close);
}

const char* WindowLastError() { return gLastError; }

// ---- pointer and cursors ----
void SetCursorShape(CursorShape shape) {
  if (!gSdlVideoUp || shape <= kCursorNone || shape > kCursorCross) return;
  if (!gSdlCursors[shape]) {
    SDL_SystemCursor id = shape == kCursorHand    ? SDL_SYSTEM_CURSOR_HAND
                          : shape == kCursorCross ? SDL_SYSTEM_CURSOR_CROSSHAIR
                                                  : SDL_SYSTEM_CURSOR_ARROW;
    gSdlCursors[shape] = SDL_CreateSystemCursor(id);
  }
  if (gSdlCursors[shape]) SDL_SetCursor(gSdlCursors[shape]);
}

void ShowPointer(bool show) {
  if (gSdlVideoUp) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void CaptureMouse(bool on) {
  if (gSdlVideoUp) SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

void GetPointerClientPos(int* x, int* y) {
  *x = 0;
  *y = 0;
  if (!gSdlWindow) return;
  // The global position works outside the window too, where the window-relative one stops.
  int gx = 0, gy = 0, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  SDL_GetWindowPosition(gSdlWindow, &wx, &wy);
  *x = gx - wx;
  *y = gy - wy;
}

void WarpPointer(int x, int y) {
  if (gSdlWindow) SDL_WarpMouseInWindow(gSdlWindow, x, y);
}
