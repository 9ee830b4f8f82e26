// platform/window: the program's one main window, its OpenGL context and its events.
//
// One window at a time. Events of the window system are turned into messages of the program's
// queue (platform/messages.h) by PumpWindowEvents; the window procedure then handles them in the
// drain. The GL context is a compatibility context, so immediate mode, display lists and bitmaps
// work; GL calls themselves stay GL calls in the drawing code.
#pragma once

enum GlSetupResult {
  kGlReady = 0,
  kGlNoPixelFormat,  // no double-buffered RGB format of 8 bits per channel
  kGlNoContext,      // the context could not be created
  kGlNotCurrent,     // the context could not be made current
};

// Sets the environment the window system reads as the window is made (once; WindowCreate calls it
// when nobody did). Called before the process starts its first thread: changing the environment
// while another thread reads it can crash that thread.
void PrepareWindowEnvironment(const char* className);
// Creates the window (hidden until shown) at (x, y) with the given client size; the window-system
// class name is `className`. False when there is no display or the window cannot be made.
bool WindowCreate(const char* title, const char* className, int x, int y, int width, int height);
// True when WindowCreate failed although the display works: it offers no OpenGL.
bool WindowCreateLackedGl();
// True while the window exists.
bool WindowExists();
// The window's id in the window system (an X window); 0 without a window or where the window
// system gives none.
unsigned long WindowSystemId();
// Makes the windows of the child process `pid` (a dialog program) belong to the window, so that the
// window manager keeps them above it; true once a shown one was found. Windows already owned are
// left alone.
bool WindowOwnWindowsOfProcess(long pid);
// Shows the window maximised.
void WindowShowMaximized();
// Hides the window; it stays usable for GL until WindowDestroy.
void WindowHide();
// Destroys the window (and its GL context when still there).
void WindowDestroy();
// Makes the GL context of the window and makes it current.
GlSetupResult WindowCreateGlContext();
// Releases and deletes the GL context (nothing when none).
void WindowReleaseGlContext();
// Asks for vertical sync; false when the driver does not offer it.
bool WindowSetSwapInterval(int interval);
// Presents the back buffer.
void WindowSwapBuffers();
// The client area in pixels; false without a window or when it cannot be read.
bool WindowGetClientSize(int* width, int* height);
// True while the window is maximised.
bool WindowIsMaximized();
// The usable area (without panels) of the display the window is on; false when unknown.
bool WindowGetWorkArea(int* width, int* height);
// The whole size of the display the window is on; false when unknown.
bool WindowGetScreenSize(int* width, int* height);
// Asks for this client size, as a user dragging the window's edges would (a window manager may
// change it); the new size arrives as a size message.
void WindowSetClientSize(int width, int height);
// Sets the smallest client size the user can drag the window to.
void WindowSetMinimumClientSize(int width, int height);
// Borderless full screen over the whole display on (true) or back to the previous window (false).
bool WindowSetFullscreen(bool on);
// Takes every pending window-system event and posts it into the message queue; returns how many
// there were, including those that post nothing (the window shown again or uncovered: its picture
// may need drawing again).
int PumpWindowEvents();
// Discards the mouse button presses and releases (double clicks too) waiting so far, both those the
// window system holds and those already in the message queue; motion, the wheel, keys and the rest
// stay. A modal dialog's owner takes no presses while the dialog is up.
void WindowDropPointerPresses();
// Discards, besides those presses, the keys pressed, the text typed and the wheel turns waiting so
// far: what the user did on the window while a dialog of its own held it. Key releases, motion and
// the rest stay, so no key is left counted as held.
void WindowDropUserInput();
// True when the program has been asked to end (SIGTERM, SIGINT, the session ending, the window's
// close box) and the request waits in the event queue; it stays there for the normal close. For
// waits that hold the UI thread.
bool WindowQuitRequested();
// True once the user or the system asked the program to end: a request still waiting (as
// WindowQuitRequested) or one the event pump already passed on (SIGTERM, SIGINT, the close box).
bool WindowEndAskedFor();
// Puts a press of the window's close box in its event queue, as the window manager sends it.
void WindowQueueCloseBoxForTesting();
// Runs `handler` once when the connection to the display breaks (the X server ended or went away
// under the program), right before the process ends with exit code 1: the last chance to save.
// The handler must not draw or touch the window. Called after WindowCreate.
void WindowOnDisplayLost(void (*handler)());

// The last text of the window system's error, for logs.
const char* WindowLastError();

// The key code a key event posts, from the character the layout gives the key (or the window
// system's code of a key that has none) and the key's place as a USB keyboard usage id.
int KeyCodeOfKeyForTesting(int keysym, int place);
