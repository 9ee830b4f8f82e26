// app/logs: the debug log, the exit log, the clef resolve log and the program's own exit request.
#pragma once
#include <string>
#include <vector>

// printf-style line to the debug output, cut at 511 characters; callers end texts with "\n".
// Safe from any thread.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends "YYYY-MM-DD hh:mm:ss  pid N  reason" to Data/exit_log.txt; failures are silent.
void AppendExitLog(const char* reason);
// Logs the request, clears gAppRunning and asks the window to close.
void RequestAppExit();
// Writes clef_debug.txt (replacing the last one) when either clef image was not found.
void WriteClefDebugLog(const std::vector<std::string>& roots, const std::string& treblePath,
                       const std::string& bassPath);
