// tests/support/window_process: a case run in a child process of its own with the program's window
// on a display of its own, driven from outside with xdotool as a user would; no window system
// connection outlives the test's display.
#pragma once
#include <string>
#include <vector>

// Runs a shell command; true when it exits 0.
bool Shell(const std::string& command);
// Lets the window system deliver for a moment, then pumps its events into the queue.
void SettleWindow();
// Makes a 640 x 480 window on a display of its own in a child process and runs `run` there with
// the window's X id; `run` returns what went wrong, or "" when nothing did. The test is skipped
// when xdotool or one of `tools` is not installed.
void InWindowProcess(std::string (*run)(const std::string& window), const std::vector<std::string>& tools = {});
