// The one key table (script codes and characters to keys) and the one quit-key decision.
#include "platform/ui/events.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyMap, CodesAndCharactersNameKeys) {
  struct Case {
    std::uint32_t code;
    Key key;
  };
  const Case cases[] = {
      {0x28, Key::kDown},
      {0x0D, Key::kEnter},
      {0x21, Key::kPageUp},
      {0x2E, Key::kDelete},
      {'7', static_cast<Key>('7')},
      {'Q', Key::kQ},
      {0x70, Key::kF1},
      {0x7B, Key::kF12},
      {0, Key::kNone},
      {0x10, Key::kNone},
      {0x29, Key::kNone},
      {0x61, Key::kNone},
      {0x7C, Key::kNone},
      {0xFE, Key::kNone},
      {0x10028, Key::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyOfCode(c.code), c.key) << c.code;
  EXPECT_EQ(KeyOfCharacter(U'q'), Key::kQ);
  EXPECT_EQ(KeyOfCharacter(U' '), Key::kSpace);
  EXPECT_EQ(KeyOfCharacter(U'\u00e9'), Key::kNone);
  EXPECT_EQ(DigitOf(static_cast<Key>('3')), 3);
  EXPECT_EQ(DigitOf(Key::kA), -1);
}

TEST(KeyMap, QuitKeysAndDesktopChordsAreDecidedOnce) {
  struct Case {
    Key key;
    unsigned modifiers;
    bool down;
    UiEvent::Kind kind;
  };
  const Case cases[] = {
      {Key::kQ, kCtrl, true, UiEvent::Kind::kQuit},
      {Key::kW, kCtrl | kAlt, true, UiEvent::Kind::kQuit},
      {Key::kInterrupt, kNoModifier, true, UiEvent::Kind::kQuit},
      {Key::kQ, kCtrl, false, UiEvent::Kind::kNone},  // the release of a quit key
      {Key::kC, kCtrl, true, UiEvent::Kind::kNone},   // the desktop's copy
      {Key::kDown, kAlt, true, UiEvent::Kind::kNone},
      {Key::kF1, kLogo, true, UiEvent::Kind::kNone},
      {Key::kQ, kNoModifier, true, UiEvent::Kind::kKeyDown},
      {Key::kDown, kNoModifier, false, UiEvent::Kind::kKeyUp},
      {Key::kNone, kNoModifier, true, UiEvent::Kind::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyEventOf(c.key, c.modifiers, c.down).kind, c.kind)
        << static_cast<int>(c.key) << " " << c.modifiers << " " << c.down;
  }
  EXPECT_TRUE(KeyEventOf(Key::kUp, kNoModifier, true, true).repeat);
}

}  // namespace
