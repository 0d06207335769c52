// Every key the keyboard backend can report has a name a program can use
// instead of a bare scan-code number.
#include <SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runtime/input/key_codes.h"
#include "runtime/platform/keymap.h"

namespace {

TEST(KeyNames, EveryKeyTheKeyboardReportsHasOneName) {
  std::set<int> reported;
  for (int sdl = 0; sdl < SDL_NUM_SCANCODES; ++sdl) {
    const int code = plat::ScanCodeFromSdl(sdl);
    if (code == 0) continue;
    reported.insert(code);
    EXPECT_NE(keys::KeyName(code), nullptr)
        << "scan code " << code << " (" << SDL_GetScancodeName(static_cast<SDL_Scancode>(sdl))
        << ") has no name";
  }
  // Letters, digits, function keys, keypad and modifiers are all there.
  EXPECT_GE(reported.size(), 100u);

  std::set<int> codes;
  std::set<std::string> names;
  int previous = 0;
  for (const keys::NamedKey& k : keys::kNamedKeys) {
    EXPECT_TRUE(codes.insert(k.code).second) << "code " << k.code << " named twice";
    EXPECT_TRUE(names.insert(k.name).second) << k.name << " names two keys";
    EXPECT_GT(k.code, previous) << k.name << " out of code order";
    previous = k.code;
    // A name for a key nothing reports would only mislead; the second
    // escape key comes from keyboards that send it extended.
    if (k.code != keys::kExtendedEscape) {
      EXPECT_EQ(reported.count(k.code), 1u) << k.name << " is never reported";
    }
  }
}

TEST(KeyNames, NamesMatchTheKeysTheyName) {
  EXPECT_EQ(plat::ScanCodeFromSdl(SDL_SCANCODE_A), keys::kA);
  EXPECT_EQ(plat::ScanCodeFromSdl(SDL_SCANCODE_M), keys::kM);
  EXPECT_EQ(plat::ScanCodeFromSdl(SDL_SCANCODE_0), keys::k0);
  EXPECT_EQ(plat::ScanCodeFromSdl(SDL_SCANCODE_F12), keys::kF12);
  EXPECT_EQ(plat::ScanCodeFromSdl(SDL_SCANCODE_KP_5), keys::kKeypad5);
  EXPECT_EQ(plat::ScanCodeFromSdl(SDL_SCANCODE_KP_ENTER), keys::kKeypadEnter);
  EXPECT_EQ(plat::ScanCodeFromSdl(SDL_SCANCODE_RALT), keys::kRightAlt);
  EXPECT_EQ(plat::ScanCodeFromSdl(SDL_SCANCODE_DELETE), keys::kDelete);
  EXPECT_STREQ(keys::KeyName(keys::kKeypad5), "Keypad5");
  EXPECT_STREQ(keys::KeyName(keys::kEscape), "Escape");
  EXPECT_EQ(keys::KeyName(0), nullptr);
  EXPECT_EQ(keys::KeyName(255), nullptr);
  EXPECT_EQ(keys::KeyName(-1), nullptr);
}

}  // namespace
