// Raw input into messages: key presses with their synthesised characters, text, clicks, wheel.
#include <gtest/gtest.h>

#include <vector>

#include "platform/event_translate.h"
#include "platform/keys.h"
#include "platform/messages.h"

namespace {

std::vector<AppMessage> TakeAll() {
  std::vector<AppMessage> out;
  AppMessage m;
  while (TakeAppMessage(&m)) out.push_back(m);
  return out;
}

class EventTranslate : public ::testing::Test {
 protected:
  void SetUp() override { TakeAll(); }
};

constexpr KeyModifiers kCtrl{false, true, false}, kAlt{false, false, true};

TEST_F(EventTranslate, KeyPressesPostKeyThenTheCharacterTextInputCannotGive) {
  const struct {
    const char* name;
    int vk;
    KeyModifiers mods;
    bool repeat;
    uint32_t keyCode;  // kMsgKeyDown or kMsgSysKeyDown
    std::vector<AppMessage> after;
  } cases[] = {
      {"backspace", kKeyBack, {}, false, kMsgKeyDown, {{kMsgChar, 8, 0}}},
      {"enter", kKeyReturn, {}, false, kMsgKeyDown, {{kMsgChar, 13, 0}}},
      {"ctrl+enter is line feed", kKeyReturn, kCtrl, false, kMsgKeyDown, {{kMsgChar, 10, 0}}},
      {"escape", kKeyEscape, {}, false, kMsgKeyDown, {{kMsgChar, 27, 0}}},
      {"tab", kKeyTab, {}, false, kMsgKeyDown, {{kMsgChar, 9, 0}}},
      {"ctrl+a", 'A', kCtrl, false, kMsgKeyDown, {{kMsgChar, 1, 0}}},
      {"ctrl+shift+z", 'Z', {true, true, false}, false, kMsgKeyDown, {{kMsgChar, 26, 0}}},
      {"plain letter leaves text to text input", 'R', {}, false, kMsgKeyDown, {}},
      {"repeat still counts", kKeyBack, {}, true, kMsgKeyDown, {{kMsgChar, 8, 0}}},
      {"f10 is a system key", kKeyF10, {}, false, kMsgSysKeyDown, {}},
      {"alt+letter is a system key without character", 'M', kAlt, false, kMsgSysKeyDown, {}},
      {"ctrl+alt+letter is an ordinary key without character", 'E', {false, true, true}, false, kMsgKeyDown, {}},
      {"alt+f4 closes", kKeyF4, kAlt, false, kMsgSysKeyDown, {{kMsgClose, 0, 0}}},
      {"alt+f4 held down closes once", kKeyF4, kAlt, true, kMsgSysKeyDown, {}},
      {"f4 alone does not close", kKeyF4, {}, false, kMsgKeyDown, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PostKeyPress(c.vk, c.mods, c.repeat);
    std::vector<AppMessage> got = TakeAll();
    ASSERT_EQ(got.size(), 1 + c.after.size());
    EXPECT_EQ(got[0].code, c.keyCode);
    EXPECT_EQ(got[0].wParam, (uint64_t)c.vk);
    EXPECT_EQ((got[0].lParam & kKeyRepeatBit) != 0, c.repeat);
    // The modifiers travel with the key, since they may be up again by the time it is handled.
    EXPECT_EQ((got[0].lParam & kKeyShiftDownBit) != 0, c.mods.shift);
    EXPECT_EQ((got[0].lParam & kKeyControlDownBit) != 0, c.mods.ctrl);
    EXPECT_EQ((got[0].lParam & kKeyAltDownBit) != 0, c.mods.alt);
    for (size_t i = 0; i < c.after.size(); ++i) {
      EXPECT_EQ(got[i + 1].code, c.after[i].code);
      EXPECT_EQ(got[i + 1].wParam, c.after[i].wParam);
    }
  }
}

TEST_F(EventTranslate, TextInputPassesPrintableAndLatin1AndDropsTheRest) {
  const struct {
    const char* utf8;
    std::vector<uint64_t> chars;
  } cases[] = {
      {"ab ~", {'a', 'b', ' ', '~'}},
      {"\xC3\xA9", {0xE9}},          // e acute: Latin-1 code
      {"\xE2\x82\xAC", {}},          // euro sign: outside the code page range we map
      {"\xF0\x9F\x8E\xB9x", {'x'}},  // emoji dropped, the letter after it kept
      {"\xC3", {}},                  // cut sequence
      {"\xC0\xAFz", {'z'}},          // overlong slash is no slash
      {"\x7F\x01", {}},              // control characters never come as text
  };
  for (const auto& c : cases) {
    PostTextInput(c.utf8);
    std::vector<uint64_t> chars;
    for (const AppMessage& m : TakeAll()) chars.push_back(m.code == kMsgChar ? m.wParam : ~0ull);
    EXPECT_EQ(chars, c.chars) << c.utf8;
  }
}

TEST_F(EventTranslate, ClicksAlternateDownAndDoubleClickAndKeepSignedCoordinates) {
  const struct {
    int button, clicks;
    uint32_t code;
  } cases[] = {
      {1, 1, kMsgLButtonDown}, {1, 2, kMsgLButtonDblClk}, {1, 3, kMsgLButtonDown},
      {1, 4, kMsgLButtonDblClk}, {3, 1, kMsgRButtonDown}, {3, 2, kMsgRButtonDown},
  };
  for (const auto& c : cases) {
    PostMouseButtonDown(c.button, c.clicks, -5, 7, 0);
    std::vector<AppMessage> got = TakeAll();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, c.code) << c.button << "/" << c.clicks;
    EXPECT_EQ(got[0].lParam, MakePointParam(-5, 7));
  }
  PostMouseButtonDown(2, 1, 0, 0, 0);  // the middle button has no message
  EXPECT_TRUE(TakeAll().empty());

  PostMouseMove(-40, -3, kMouseFlagLeft, false);  // a drag outside the window
  PostMouseMove(12, 30, 0, true);
  std::vector<AppMessage> got = TakeAll();
  ASSERT_EQ(got.size(), 3u);  // the inside move also offers the cursor
  EXPECT_EQ(got[0].code, (uint32_t)kMsgMouseMove);
  EXPECT_EQ(got[0].lParam, MakePointParam(-40, -3));
  EXPECT_EQ(got[1].code, (uint32_t)kMsgSetCursor);
  EXPECT_EQ(got[1].lParam & 0xFFFF, kHitClient);
  EXPECT_EQ(got[2].code, (uint32_t)kMsgMouseMove);
}

TEST_F(EventTranslate, WheelIs120PerNotchSignedAndSizeCarriesTheState) {
  for (auto [notches, delta] : {std::pair{1.f, 120}, {-1.f, -120}, {3.f, 360}, {0.5f, 60}, {-0.25f, -30}}) {
    PostMouseWheel(notches, 100, -2, 0);
    std::vector<AppMessage> got = TakeAll();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(WheelDeltaParam(got[0].wParam), delta);
    EXPECT_EQ(PointParamY(got[0].lParam), -2);
  }
  PostMouseWheel(0.001f, 0, 0, 0);  // rounds to nothing
  EXPECT_TRUE(TakeAll().empty());

  PostClientSize(1920, 1057, true);
  PostMinimized();
  std::vector<AppMessage> got = TakeAll();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].wParam, (uint64_t)kSizeMaximized);
  EXPECT_EQ(SizeParamWidth(got[0].lParam), 1920);
  EXPECT_EQ(SizeParamHeight(got[0].lParam), 1057);
  EXPECT_EQ(got[1].wParam, (uint64_t)kSizeMinimized);
}

}  // namespace
