// platform/event_translate: plain-value input translation into the message queue.
#include "platform/event_translate.h"

#include "platform/keys.h"
#include "platform/messages.h"

// ---- internal helpers ----
static uint64_t CharacterForKey(int vk, KeyModifiers mods) {
  if (mods.alt) return 0;  // Alt combinations make no characters
  switch (vk) {
    case kKeyBack: return mods.ctrl ? 127 : 8;
    case kKeyTab: return mods.ctrl ? 0 : 9;
    case kKeyReturn: return mods.ctrl ? 10 : 13;
    case kKeyEscape: return 27;
    default: break;
  }
  if (mods.ctrl && vk >= 'A' && vk <= 'Z') return (uint64_t)(vk - 'A' + 1);
  return 0;
}

// ---- public functions ----
void PostKeyPress(int virtualKey, KeyModifiers mods, bool repeat) {
  if (virtualKey <= 0) return;
  int64_t lParam = 1 | (repeat ? kKeyRepeatBit : 0) | (mods.shift ? kKeyShiftDownBit : 0) |
                   (mods.ctrl ? kKeyControlDownBit : 0) | (mods.alt ? kKeyAltDownBit : 0);
  // Alt without Ctrl makes a system key (Ctrl+Alt is how AltGr arrives on some systems).
  bool system = (mods.alt && !mods.ctrl) || virtualKey == kKeyF10;
  if (system) lParam |= 1LL << 29;  // context bit: Alt was down
  PostAppMessage(system ? kMsgSysKeyDown : kMsgKeyDown, (uint64_t)virtualKey, lParam);
  uint64_t ch = CharacterForKey(virtualKey, mods);
  if (ch) PostAppMessage(kMsgChar, ch, lParam);
  if (system && mods.alt && virtualKey == kKeyF4 && !repeat) PostAppMessage(kMsgClose, 0, 0);
}

void PostKeyRelease(int virtualKey) {
  if (virtualKey <= 0) return;
  PostAppMessage(kMsgKeyUp, (uint64_t)virtualKey, (int64_t)(1 | (1LL << 30) | (1LL << 31)));
}

uint32_t NextUtf8CodePoint(const char** p) {
  const unsigned char* s = (const unsigned char*)*p;
  uint32_t c = s[0];
  int extra = 0;
  uint32_t min = 0;
  if (c < 0x80) {
    *p += 1;
    return c;
  } else if ((c & 0xE0) == 0xC0) {
    extra = 1, c &= 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2, c &= 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3, c &= 0x07, min = 0x10000;
  } else {
    *p += 1;
    return 0xFFFD;
  }
  for (int i = 1; i <= extra; ++i) {
    if ((s[i] & 0xC0) != 0x80) {
      *p += i;  // stop before the byte that broke the sequence
      return 0xFFFD;
    }
    c = (c << 6) | (s[i] & 0x3F);
  }
  *p += 1 + extra;
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
  return c;
}

void PostTextInput(const char* utf8) {
  if (!utf8) return;
  const char* p = utf8;
  while (*p) {
    uint32_t c = NextUtf8CodePoint(&p);
    if ((c >= 32 && c <= 126) || (c >= 160 && c <= 255)) PostAppMessage(kMsgChar, c, 1);
  }
}

void PostMouseButtonDown(int button, int clicks, int x, int y, unsigned flags) {
  int64_t point = MakePointParam(x, y);
  if (button == 1) {
    // Every second press of a run is a double click: down, up, double-click, up.
    bool dbl = clicks >= 2 && clicks % 2 == 0;
    PostAppMessage(dbl ? kMsgLButtonDblClk : kMsgLButtonDown, flags | kMouseFlagLeft, point);
  } else if (button == 3) {
    PostAppMessage(kMsgRButtonDown, flags | kMouseFlagRight, point);
  }
}

void PostMouseButtonUp(int button, int x, int y, unsigned flags) {
  if (button == 1) PostAppMessage(kMsgLButtonUp, flags & ~kMouseFlagLeft, MakePointParam(x, y));
}

void PostMouseMove(int x, int y, unsigned flags, bool insideClient) {
  if (insideClient) PostAppMessage(kMsgSetCursor, 0, kHitClient | ((int64_t)kMsgMouseMove << 16));
  PostAppMessage(kMsgMouseMove, flags, MakePointParam(x, y));
}

void PostMouseWheel(float notches, int x, int y, unsigned flags) {
  int delta = (int)(notches * 120.0f + (notches >= 0 ? 0.5f : -0.5f));
  if (delta == 0) return;
  (void)flags;
  PostAppMessage(kMsgMouseWheel, (uint64_t)(int64_t)delta, MakePointParam(x, y));
}

void PostClientSize(int width, int height, bool maximized) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  PostAppMessage(kMsgSize, maximized ? kSizeMaximized : kSizeRestored,
                 (int64_t)(((uint64_t)(uint16_t)height << 16) | (uint16_t)width));
}

void PostMinimized() { PostAppMessage(kMsgSize, kSizeMinimized, 0); }
void PostCloseRequest() { PostAppMessage(kMsgClose, 0, 0); }
void PostDisplayChange() { PostAppMessage(kMsgDisplayChange, 0, 0); }
