// platform/process: who and where the running program is, and its debug output.
#pragma once
#include <cstdint>
#include <string>

// Full path of the running executable ("" when it cannot be read).
std::string ProcessExecutablePath();
// The current folder, without a trailing separator ("" on failure).
std::string ProcessWorkingDir();
// Changes the current folder; false on failure.
bool ProcessSetWorkingDir(const std::string& folder);
// The full path of the first executable file of that name in a PATH folder; "" when none.
std::string FindProgramOnPath(const char* name);
// The process id.
unsigned long ProcessId();
// The moment the kernel started this process, on ClockMicros64's time line; the kernel keeps it in
// clock ticks (usually 10 ms), so it is that coarse. -1 when it cannot be read.
int64_t ProcessStartMicros();
// True when the environment variable is set to something other than "" or "0": the switches that
// turn on diagnostics nobody else needs.
bool ProcessEnvSwitch(const char* name);
// Keeps heap memory that is freed for reuse instead of handing it back to the system at once: the
// GL driver allocates and frees large blocks in every frame, and each return and re-fetch costs
// page faults on every page (a fifth of a frame on a software renderer).
void KeepFreedHeapForReuse();

// Tests place the "executable" in a folder of their own; "" restores the real path.
void ProcessSetExecutablePathForTesting(const std::string& path);

// One line of diagnostics to standard error, written with a single write call so lines from
// several threads do not interleave. Tests may capture it instead.
void DebugOutput(const char* text);
using DebugOutputSink = void (*)(const char* text);
void DebugOutputSetSinkForTesting(DebugOutputSink sink);   // nullptr restores standard error
