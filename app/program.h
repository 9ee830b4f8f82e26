// app/program: the program's entry, from start-up to the exit code.
#pragma once
#include <string>

// Starts the program, runs it until it ends and returns the process exit code.
int RunProgram();
// Deletes every texture and font the modules made in the GL context, while it is still current. A
// texture name means nothing in the next context, where it may name another module's texture.
void FreeContextTextures();
// The graphics-failure text around one detail line (empty for null).
std::string FormatGraphicsErrorText(const char* detail);
// Shows the graphics-failure box with one detail line.
void ShowGraphicsError(const char* detail);
