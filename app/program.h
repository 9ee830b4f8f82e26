// app/program: the program's entry, from start-up to the exit code.
#pragma once

// Starts the program, runs it until it ends and returns the process exit code.
int RunProgram();
