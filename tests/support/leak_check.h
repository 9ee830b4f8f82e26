// tests/support/leak_check: the sanitizer's leak check run early, in place of at exit.
#pragma once
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// Runs the leak check now, once per process, in place of at exit. Called as a window test's set-up
// ends, before its frames: after frames in a window, the checker's own thread has tripped over a
// thread-local block of the GL driver's threads, at exit and as a test ends alike, and failed a
// test that had passed (the checker, not the program, faults). Later calls do nothing.
inline void CheckLeaksBeforeExit() {
#if defined(__SANITIZE_ADDRESS__)
  __lsan_do_leak_check();
#endif
}
