// platform/crash: the crash handler: a report and a backtrace in "Logs", then a message, then the end.
//
// Installed first thing at start-up. On SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT it runs on its
// own stack and uses only async-signal-safe calls: it writes "crash_YYYYMMDD_hhmmss.dmp" (the raw
// backtrace) and "crash_YYYYMMDD_hhmmss.txt" (the report) into the "Logs" folder beside the
// executable ("." when that path cannot be formed), writes the message to standard error, starts
// the program anew with kCrashBoxArgument to show the message box, and ends the process with the
// signal at once. The box lives in that separate process: nothing in the dying one (a held
// allocator lock, a broken display connection) can keep it from ending.
#pragma once
#include <cstddef>

// The one argument with which the program only shows the crash message box and ends.
extern const char kCrashBoxArgument[];

// Fixes the Logs folder from the executable path, creates it, and installs the handler.
void InstallCrashHandler();
// The process started with kCrashBoxArgument: shows the crash message box; the exit code.
int RunCrashBoxProcess();

// Local date and time broken down without locks (safe inside a signal handler).
struct CrashStamp {
  unsigned year, month, day, hour, minute, second;
};
// Writes both crash files for `signal` at `faultAddress` into `folder` with the given stamp;
// `hasSignalInfo` false leaves the signal lines out of the report. Used by the handler; tests call it.
void WriteCrashFiles(const char* folder, const CrashStamp& stamp, bool hasSignalInfo, int signal,
                     const void* faultAddress);
// The stamp of now in local time, computed from the offset taken at install time.
CrashStamp CrashStampNow();
// Formats the ".txt" report into buf (at most size bytes); returns its length. Test entry point.
size_t FormatCrashReport(char* buf, size_t size, const CrashStamp& stamp, bool hasSignalInfo,
                         int signal, const void* faultAddress);
