// The key codes key events post: a layout of another script keeps the command keys at their
// places, a Latin layout keeps its letters where the keyboard prints them.
#include <gtest/gtest.h>

#include "platform/keys.h"
#include "platform/window.h"

namespace {

// Places are USB keyboard usage ids, A to Z from 4; ';' is 51, '[' 47.
constexpr int kPlaceA = 4, kPlaceQ = 20, kPlaceY = 28, kPlaceSemicolon = 51, kPlaceLeftBracket = 47;
constexpr int PlaceOf(char letter) { return kPlaceA + (letter - 'A'); }

TEST(WindowKeys, CommandLettersComeByPlaceUnderOtherScriptsAndByLetterUnderLatinOnes) {
  const struct {
    const char* name;
    int keysym, place, key;
  } cases[] = {
      {"russian r place (ka)", 0x43A, PlaceOf('R'), 'R'},
      {"russian f place (a)", 0x430, PlaceOf('F'), 'F'},
      {"russian m place (soft sign)", 0x44C, PlaceOf('M'), 'M'},
      {"russian copy (es)", 0x441, PlaceOf('C'), 'C'},
      {"russian paste (em)", 0x43C, PlaceOf('V'), 'V'},
      {"russian cut (che)", 0x447, PlaceOf('X'), 'X'},
      {"russian select all (ef)", 0x444, PlaceOf('A'), 'A'},
      {"russian zhe at the semicolon", 0x436, kPlaceSemicolon, kKeyOem1},
      {"greek rho", 0x3C1, PlaceOf('R'), 'R'},
      {"hebrew resh", 0x5E8, PlaceOf('R'), 'R'},
      {"arabic qaf", 0x642, PlaceOf('R'), 'R'},
      {"azerty m beside l", 'm', kPlaceSemicolon, 'M'},
      {"azerty a where us has q", 'a', kPlaceQ, 'A'},
      {"qwertz z where us has y", 'z', kPlaceY, 'Z'},
      {"german u umlaut is no second u", 0xFC, kPlaceLeftBracket, 0},
      {"turkish g breve is no second e", 0x11F, PlaceOf('E'), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyCodeOfKeyForTesting(c.keysym, c.place), c.key) << c.name;
}

}  // namespace
