// app/pending: bodies of the shell's functions whose real work comes later (declared, each with
// its marker, in app/key_commands.h and app/mouse_routing.h).
#include "app/key_commands.h"
#include "app/mouse_routing.h"

void HandleKeyCommand(int, int64_t) {}
void HandleCharInput(uint32_t) {}
void HandleMouseMove(int, int, uint64_t) {}
void HandleLeftButtonDown(int, int, uint64_t) {}
void HandleLeftButtonUp(int, int, uint64_t) {}
void HandleLeftDoubleClick(int, int, uint64_t) {}
void HandleRightButtonDown(int, int, uint64_t) {}
void HandleMouseWheel(int, int, int, uint64_t) {}
