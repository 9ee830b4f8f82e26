// Raw input into messages: key presses with their synthesised characters, text, clicks, wheel.
#include <gtest/gtest.h>

#include <vector>

#include "platform/event_translate.h"
#include "platform/keys.h"
#include "platform/messages.h"

static std::vector<AppMessage> TakeAll() {
  std::vector<AppMessage> out;
  AppMessage m;
  while (TakeAppMessage(&m)) out.push_back(m);
  return out;
}

class EventTranslate : public ::testing::Test {
 protected:
  void SetUp() override { TakeAll(); }
};

struct KeyCase {
  const char* name;
  int vk;
  KeyModifiers mods;
  bool repeat;
  uint32_t keyCode;          // kMsgKeyDown or kMsgSysKeyDown
  std::vector<uint64_t> chars;
  bool closes;
};

TEST_F(EventTranslate, KeyPressesPostKeyThenTheCharacterTextInputCannotGive) {
  const KeyCase cases[] = {
      {"backspace", kKeyBack, {}, false, kMsgKeyDown, {8}, false},
      {"enter", kKeyReturn, {}, false, kMsgKeyDown, {13}, false},
      {"ctrl+enter is line feed", kKeyReturn, {false, true, false}, false, kMsgKeyDown, {10}, false},
      {"escape", kKeyEscape, {}, false, kMsgKeyDown, {27}, false},
      {"tab", kKeyTab, {}, false, kMsgKeyDown, {9}, false},
      {"ctrl+a", 'A', {false, true, false}, false, kMsgKeyDown, {1}, false},
      {"ctrl+shift+z", 'Z', {true, true, false}, false, kMsgKeyDown, {26}, false},
      {"plain letter leaves text to text input", 'R', {}, false, kMsgKeyDown, {}, false},
      {"repeat still counts", kKeyBack, {}, true, kMsgKeyDown, {8}, false},
      {"f10 is a system key", kKeyF10, {}, false, kMsgSysKeyDown, {}, false},
      {"alt+letter is a system key without character", 'M', {false, false, true}, false, kMsgSysKeyDown, {}, false},
      {"ctrl+alt+letter is an ordinary key without character", 'E', {false, true, true}, false, kMsgKeyDown, {}, false},
      {"alt+f4 closes", kKeyF4, {false, false, true}, false, kMsgSysKeyDown, {}, true},
      {"alt+f4 held down closes once", kKeyF4, {false, false, true}, true, kMsgSysKeyDown, {}, false},
      {"f4 alone does not close", kKeyF4, {}, false, kMsgKeyDown, {}, false},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    PostKeyPress(c.vk, c.mods, c.repeat);
    std::vector<AppMessage> got = TakeAll();
    ASSERT_GE(got.size(), 1u);
    EXPECT_EQ(got[0].code, c.keyCode);
    EXPECT_EQ(got[0].wParam, (uint64_t)c.vk);
    EXPECT_EQ((got[0].lParam & kKeyRepeatBit) != 0, c.repeat);
    size_t i = 1;
    for (uint64_t ch : c.chars) {
      ASSERT_LT(i, got.size());
      EXPECT_EQ(got[i].code, (uint32_t)kMsgChar);
      EXPECT_EQ(got[i].wParam, ch);
      ++i;
    }
    if (c.closes) {
      ASSERT_LT(i, got.size());
      EXPECT_EQ(got[i].code, (uint32_t)kMsgClose);
      ++i;
    }
    EXPECT_EQ(got.size(), i);
  }
}

TEST_F(EventTranslate, TextInputPassesPrintableAndLatin1AndDropsTheRest) {
  const struct {
    const char* utf8;
    std::vector<uint64_t> chars;
  } cases[] = {
      {"ab ~", {'a', 'b', ' ', '~'}},
      {"\xC3\xA9", {0xE9}},                    // e acute: Latin-1 code
      {"\xE2\x82\xAC", {}},                    // euro sign: outside the code page range we map
      {"\xF0\x9F\x8E\xB9x", {'x'}},            // emoji dropped, the letter after it kept
      {"\xC3", {}},                            // cut sequence
      {"\xC0\xAFz", {'z'}},                    // overlong slash is no slash
      {"\x7F\x01", {}},                        // control characters never come as text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    PostTextInput(c.utf8);
    std::vector<AppMessage> got = TakeAll();
    ASSERT_EQ(got.size(), c.chars.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].code, (uint32_t)kMsgChar);
      EXPECT_EQ(got[i].wParam, c.chars[i]);
    }
  }
}

TEST_F(EventTranslate, ClicksInARowAlternateDownAndDoubleClick) {
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
    EXPECT_EQ(PointParamX(got[0].lParam), -5);
    EXPECT_EQ(PointParamY(got[0].lParam), 7);
  }
  PostMouseButtonDown(2, 1, 0, 0, 0);  // the middle button has no message
  EXPECT_TRUE(TakeAll().empty());
}

TEST_F(EventTranslate, DragOutsideTheWindowKeepsNegativeCoordinates) {
  PostMouseMove(-40, -3, kMouseFlagLeft, false);
  PostMouseMove(12, 30, 0, true);
  std::vector<AppMessage> got = TakeAll();
  ASSERT_EQ(got.size(), 3u);  // the inside move also offers the cursor
  EXPECT_EQ(got[0].code, (uint32_t)kMsgMouseMove);
  EXPECT_EQ(PointParamX(got[0].lParam), -40);
  EXPECT_EQ(PointParamY(got[0].lParam), -3);
  EXPECT_EQ(got[1].code, (uint32_t)kMsgSetCursor);
  EXPECT_EQ(got[1].lParam & 0xFFFF, kHitClient);
  EXPECT_EQ(got[2].code, (uint32_t)kMsgMouseMove);
}

TEST_F(EventTranslate, WheelDeltaIs120PerNotchAndSigned) {
  const struct {
    float notches;
    int delta;
  } cases[] = {{1, 120}, {-1, -120}, {3, 360}, {0.5f, 60}, {-0.25f, -30}};
  for (const auto& c : cases) {
    PostMouseWheel(c.notches, 100, -2, 0);
    std::vector<AppMessage> got = TakeAll();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(WheelDeltaParam(got[0].wParam), c.delta);
    EXPECT_EQ(PointParamY(got[0].lParam), -2);
  }
  PostMouseWheel(0.001f, 0, 0, 0);  // rounds to nothing
  EXPECT_TRUE(TakeAll().empty());
}

TEST_F(EventTranslate, SizeMessagesCarryWidthAndHeight) {
  PostClientSize(1920, 1057, true);
  PostMinimized();
  std::vector<AppMessage> got = TakeAll();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].wParam, (uint64_t)kSizeMaximized);
  EXPECT_EQ(SizeParamWidth(got[0].lParam), 1920);
  EXPECT_EQ(SizeParamHeight(got[0].lParam), 1057);
  EXPECT_EQ(got[1].wParam, (uint64_t)kSizeMinimized);
}
