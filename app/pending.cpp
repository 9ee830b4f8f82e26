// app/pending: bodies of the shell's functions whose real work comes later (declared, each with
// its marker, in app/key_commands.h and app/mouse_routing.h). The start screen already takes its
// keys and mouse events first.
#include "app/base/app_clock.h"
#include "app/key_commands.h"
#include "app/mouse_routing.h"
#include "gfx/ui_language.h"
#include "platform/keys.h"
#include "visual/start_screen.h"

void HandleKeyCommand(int virtualKey, int64_t) {
  if (virtualKey == kKeyF12) {
    ResetStartScreen();
    SetLanguageListRows(float(gLanguageIndex));
  } else if (virtualKey == kKeyEscape && gLanguageListOpen) {
    SetLanguageListOpen(false, GetAppSeconds());
  }
}
void HandleCharInput(uint32_t) {}
void HandleMouseMove(int x, int y, uint64_t) { StartScreenMouseMove(x, y); }
void HandleLeftButtonDown(int x, int y, uint64_t) { StartScreenMouseDown(x, y); }
void HandleLeftButtonUp(int, int, uint64_t) { StartScreenMouseUp(); }
void HandleLeftDoubleClick(int, int, uint64_t) {}
void HandleRightButtonDown(int, int, uint64_t) {}
void HandleMouseWheel(int delta, int x, int y, uint64_t) { StartScreenMouseWheel(x, y, delta); }
