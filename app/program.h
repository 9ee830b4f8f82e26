// app/program: the program's entry, from start-up to the exit code.
#pragma once
#include <string>

// Starts the program, runs it until it ends and returns the process exit code.
int RunProgram();
// The graphics-failure text around one detail line (empty for null).
std::string FormatGraphicsErrorText(const char* detail);
// Shows the graphics-failure box with one detail line.
void ShowGraphicsError(const char* detail);
