// tests/support/leak_check: the sanitizer's leak check run while the test's threads still stand.
#pragma once
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// Runs the leak check now, once per process, in place of at exit: at exit, after frames in a
// window, the checker's own thread has tripped over a thread-local block of the GL driver's
// threads as they went and failed a test that had passed (the checker, not the program, faults).
// Called as a window test ends, before its window goes, it covers the whole test (each test runs
// in a process of its own); later calls do nothing.
inline void CheckLeaksBeforeExit() {
#if defined(__SANITIZE_ADDRESS__)
  __lsan_do_leak_check();
#endif
}
