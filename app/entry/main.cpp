// The process entry: everything else starts in RunProgram.
#include "app/program.h"

int main() { return RunProgram(); }
