// The modal model that every front end shares: what keys, the wheel and presses do to the
// soft keys, the Options popup and message boxes, what it passes on to the calendar, and word
// wrapping.
#include "platform/ui/modal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Place = ModalHit::Place;
using Showing = ModalModel::Showing;

// One input: a key pressed, held (a repeat), released or tapped (pressed and released), the
// wheel turned, or the button pressed and released on what a backend found there.
struct Step {
  enum class Kind { kTap, kDown, kHeld, kUp, kWheel, kPress } kind;
  int value = 0;
  ModalHit hit{};
};
Step Tap(Key key) { return {Step::Kind::kTap, static_cast<int>(key)}; }
Step Tap(char c) { return Tap(KeyOfCharacter(static_cast<char32_t>(c))); }
Step Down(Key key) { return {Step::Kind::kDown, static_cast<int>(key)}; }
Step Held(Key key) { return {Step::Kind::kHeld, static_cast<int>(key)}; }
Step Up(Key key) { return {Step::Kind::kUp, static_cast<int>(key)}; }
Step Wheel(int steps) { return {Step::Kind::kWheel, steps}; }
Step Press(Place place, int index = 0, int x = 0, int y = 0) {
  return {Step::Kind::kPress, 0, ModalHit{place, index, x, y}};
}

// What the model passed on to the calendar.
using Posted = UiEvent;
Posted Command(unsigned id) { return CommandEvent(id); }
Posted KeyDown(Key key) { return KeyDownEvent(key); }
Posted KeyUp(Key key) { return KeyUpEvent(key); }

// The program's bar: "Options" (40001) with "Set last period" (40003) and "Help" (40004),
// and "Exit" (40002).
std::vector<SoftKey> TestSoftKeys() {
  return {{u"Options", 40001, {u"Set last period", u"Help"}, {40003, 40004}},
          {u"Exit", 40002, {}, {}}};
}

// Twelve lines of at most 10 units; a box 10 wide showing 4 of them scrolls to line 8.
constexpr std::u16string_view kTwelveLines =
    u"one\ntwo\nthree\nfour\nfive\nsix\nseven\neight\nnine\nten\neleven\ntwelve";

int Units(std::u16string_view text) {
  int width = 0;
  for (char16_t c : text) width += c == u'W' ? 3 : (c >= 0x3000 && c < 0xA000 ? 2 : 1);
  return width;
}

class Modal : public ::testing::Test {
 protected:
  void SetUp() override { model.SetSoftKeys(TestSoftKeys()); }

  void OpenBox(std::u16string_view text = kTwelveLines) {
    model.OpenMessageBox(u"Help", text);
    model.WrapBoxText(10, Units);
    model.SetVisibleLines(4);
  }

  // Runs the steps; true when the last one changed what is shown.
  bool Run(const std::vector<Step>& steps) {
    bool changed = false;
    for (const Step& step : steps) {
      const auto key = static_cast<Key>(step.value);
      switch (step.kind) {
        case Step::Kind::kTap:
          changed = model.KeyDown(key, false);
          changed |= model.KeyUp(key);
          break;
        case Step::Kind::kDown:
          changed = model.KeyDown(key, false);
          break;
        case Step::Kind::kHeld:
          changed = model.KeyDown(key, true);
          break;
        case Step::Kind::kUp:
          changed = model.KeyUp(key);
          break;
        case Step::Kind::kWheel:
          changed = model.Wheel(step.value);
          break;
        case Step::Kind::kPress:
          changed = model.PointerDown(step.hit);
          changed |= model.PointerUp(step.hit.x, step.hit.y);
          break;
      }
    }
    return changed;
  }

  // What the model passed on since the last call.
  std::vector<Posted> Received() { return model.TakePassed(); }

  // Steps from nothing open, then what is open, the item lit and what the window received.
  struct RoutingCase {
    const char* name;
    std::vector<Step> steps;
    Showing showing;
    int highlighted;
    std::vector<Posted> received;
  };
  void Check(const std::vector<RoutingCase>& cases) {
    for (const RoutingCase& c : cases) {
      SCOPED_TRACE(c.name);
      model.CloseAll();
      Received();
      Run(c.steps);
      EXPECT_EQ(model.showing(), c.showing);
      EXPECT_EQ(model.highlighted(), c.highlighted);
      EXPECT_EQ(Received(), c.received);
    }
  }

  ModalModel model;
};

TEST_F(Modal, KeysOpenChooseAndCloseTheOptionsPopup) {
  Check({
      {"F1 opens", {Tap(Key::kF1)}, Showing::kPopup, 0, {Command(40001)}},
      {"Down moves", {Tap(Key::kF1), Tap(Key::kDown)}, Showing::kPopup, 1, {Command(40001)}},
      {"Up wraps round", {Tap(Key::kF1), Tap(Key::kUp)}, Showing::kPopup, 1, {Command(40001)}},
      {"Down wraps round",
       {Tap(Key::kF1), Tap(Key::kDown), Tap(Key::kDown)},
       Showing::kPopup,
       0,
       {Command(40001)}},
      {"End, Home",
       {Tap(Key::kF1), Tap(Key::kEnd), Tap(Key::kHome)},
       Showing::kPopup,
       0,
       {Command(40001)}},
      {"wheel stops at the last", {Tap(Key::kF1), Wheel(5)}, Showing::kPopup, 1, {Command(40001)}},
      {"wheel back", {Tap(Key::kF1), Wheel(1), Wheel(-3)}, Showing::kPopup, 0, {Command(40001)}},
      {"Enter chooses",
       {Tap(Key::kF1), Tap(Key::kDown), Tap(Key::kEnter)},
       Showing::kNothing,
       0,
       {Command(40001), Command(40004)}},
      {"digit 1",
       {Tap(Key::kF1), Tap('1')},
       Showing::kNothing,
       0,
       {Command(40001), Command(40003)}},
      {"digit 2",
       {Tap(Key::kF1), Tap('2')},
       Showing::kNothing,
       0,
       {Command(40001), Command(40004)}},
      {"digit past the items", {Tap(Key::kF1), Tap('3')}, Showing::kPopup, 0, {Command(40001)}},
      {"Escape closes", {Tap(Key::kF1), Tap(Key::kEscape)}, Showing::kNothing, 0, {Command(40001)}},
      {"F1 closes", {Tap(Key::kF1), Tap(Key::kF1)}, Showing::kNothing, 0, {Command(40001)}},
      {"F2 closes, not Exit",
       {Tap(Key::kF1), Tap(Key::kF2)},
       Showing::kNothing,
       0,
       {Command(40001)}},
      {"held F1 opens once",
       {Down(Key::kF1), Held(Key::kF1), Held(Key::kF1)},
       Showing::kPopup,
       0,
       {Command(40001)}},
      {"held Enter chooses nothing",
       {Tap(Key::kF1), Held(Key::kEnter)},
       Showing::kPopup,
       0,
       {Command(40001)}},
      {"other keys stay in the popup",
       {Tap(Key::kF1), Tap(Key::kLeft), Tap('A')},
       Showing::kPopup,
       0,
       {Command(40001)}},
      {"F2 presses Exit", {Tap(Key::kF2)}, Showing::kNothing, 0, {Command(40002)}},
      {"a key's release after Enter chose stays out",
       {Tap(Key::kF1), Down(Key::kEnter), Up(Key::kEnter)},
       Showing::kNothing,
       0,
       {Command(40001), Command(40003)}},
  });
}

TEST_F(Modal, PressesChooseItemsPressKeysOrReachTheWindow) {
  const Posted button_down = PointerDownEvent(ModalHit{Place::kClient, 0, 10, 20});
  const Posted button_up = PointerUpEvent(10, 20);
  Check({
      {"Options key", {Press(Place::kSoftKey, 1)}, Showing::kPopup, 0, {Command(40001)}},
      {"Exit key", {Press(Place::kSoftKey, 2)}, Showing::kNothing, 0, {Command(40002)}},
      {"an item",
       {Press(Place::kSoftKey, 1), Press(Place::kPopupItem, 1)},
       Showing::kNothing,
       0,
       {Command(40001), Command(40004)}},
      {"beside the popup only closes it",
       {Tap(Key::kF1), Press(Place::kClient, 0, 10, 20)},
       Showing::kNothing,
       0,
       {Command(40001)}},
      {"a soft key under the popup only closes it",
       {Tap(Key::kF1), Press(Place::kSoftKey, 2)},
       Showing::kNothing,
       0,
       {Command(40001)}},
      {"the client area",
       {Press(Place::kClient, 0, 10, 20)},
       Showing::kNothing,
       0,
       {button_down, button_up}},
      {"nothing there", {Press(Place::kNothing, 0, 10, 20)}, Showing::kNothing, 0, {}},
      {"other keys reach the window",
       {Tap(Key::kDown), Tap(Key::kPageDown)},
       Showing::kNothing,
       0,
       {KeyDown(Key::kDown), KeyUp(Key::kDown), KeyDown(Key::kPageDown), KeyUp(Key::kPageDown)}},
      {"a held key says so",
       {Held(Key::kUp)},
       Showing::kNothing,
       0,
       {KeyDownEvent(Key::kUp, true)}},
      {"the wheel is not the window's", {Wheel(1)}, Showing::kNothing, 0, {}},
  });
}

TEST_F(Modal, MessageBoxesScrollByLinePageAndWheelAndCloseOnce) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    Showing showing;
    int first_line;
    bool changed;  // the last step changed what is shown
  };
  const Case cases[] = {
      {"Down", {Tap(Key::kDown)}, Showing::kMessageBox, 1, true},
      {"Up at the top", {Tap(Key::kUp)}, Showing::kMessageBox, 0, false},
      {"Page Down keeps a line", {Tap(Key::kPageDown)}, Showing::kMessageBox, 3, true},
      {"Space pages", {Tap(Key::kSpace), Tap(Key::kSpace)}, Showing::kMessageBox, 6, true},
      {"paging stops at the end",
       {Tap(Key::kPageDown), Tap(Key::kPageDown), Tap(Key::kPageDown)},
       Showing::kMessageBox,
       8,
       true},
      {"Page Up", {Tap(Key::kEnd), Tap(Key::kPageUp)}, Showing::kMessageBox, 5, true},
      {"End", {Tap(Key::kEnd)}, Showing::kMessageBox, 8, true},
      {"Down at the end", {Tap(Key::kEnd), Tap(Key::kDown)}, Showing::kMessageBox, 8, false},
      {"Home", {Tap(Key::kEnd), Tap(Key::kHome)}, Showing::kMessageBox, 0, true},
      {"wheel, three lines a step", {Wheel(2)}, Showing::kMessageBox, 6, true},
      {"wheel back", {Wheel(2), Wheel(-1)}, Showing::kMessageBox, 3, true},
      {"wheel far", {Wheel(1 << 30)}, Showing::kMessageBox, 8, true},
      {"wheel far back", {Wheel(3), Wheel(-(1 << 30))}, Showing::kMessageBox, 0, true},
      {"other keys do nothing", {Tap('A'), Tap(Key::kLeft)}, Showing::kMessageBox, 0, false},
      {"Enter", {Tap(Key::kEnter)}, Showing::kNothing, 0, true},
      {"Escape", {Tap(Key::kEscape)}, Showing::kNothing, 0, true},
      {"F1", {Tap(Key::kF1)}, Showing::kNothing, 0, true},
      {"F2", {Tap(Key::kF2)}, Showing::kNothing, 0, true},
      {"a held Enter does not close", {Held(Key::kEnter)}, Showing::kMessageBox, 0, false},
      {"a press anywhere", {Press(Place::kClient, 0, 5, 5)}, Showing::kNothing, 0, true},
      {"a press on the bar", {Press(Place::kSoftKey, 2)}, Showing::kNothing, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenBox();
    ASSERT_EQ(model.lines().size(), 12u);
    EXPECT_EQ(Run(c.steps), c.changed);
    EXPECT_EQ(model.showing(), c.showing);
    EXPECT_EQ(model.first_line(), c.first_line);
    // Nothing reaches the window while a box is open: no key, release, press or command.
    EXPECT_EQ(Received(), std::vector<Posted>{});
    model.CloseAll();
  }
}

TEST_F(Modal, TheBarReadsWhatIsOpen) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    bool box;
    std::u16string left;
    std::u16string right;
    int open_key;
  };
  const Case cases[] = {
      {"nothing open", {}, false, u"Options", u"Exit", 0},
      {"the popup", {Tap(Key::kF1)}, false, u"Options", u"Cancel", 1},
      {"a box", {Tap(Key::kF1)}, true, u"OK", u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model.CloseAll();
    Run(c.steps);
    if (c.box) OpenBox();  // a box takes the popup's place
    const SoftKeyBarLabels labels = model.BarLabels();
    EXPECT_EQ(labels.left, c.left);
    EXPECT_EQ(labels.right, c.right);
    EXPECT_EQ(labels.open_key, c.open_key);
  }
}

TEST_F(Modal, ANewLayoutKeepsTheFirstLineInRange) {
  OpenBox();
  Run({Tap(Key::kEnd)});
  EXPECT_EQ(model.first_line(), 8);
  model.SetVisibleLines(10);  // a taller box: the last line still ends it
  EXPECT_EQ(model.first_line(), 2);
  model.WrapBoxText(10, Units);  // the same width: nothing to do
  EXPECT_EQ(model.first_line(), 2);
  model.WrapBoxText(3, Units);  // narrower: words longer than 3 take two lines each
  EXPECT_EQ(model.lines().size(), 20u);
  EXPECT_EQ(model.first_line(), 2);
  model.SetVisibleLines(0);  // no room at all: one line is still a page
  Run({Tap(Key::kPageDown)});
  EXPECT_EQ(model.first_line(), 3);
  // The next box starts at its top, wrapped afresh.
  Run({Tap(Key::kEnter)});
  model.OpenMessageBox(u"Report", u"Fertile day");
  EXPECT_TRUE(model.lines().empty());
  EXPECT_EQ(model.first_line(), 0);
  EXPECT_EQ(model.caption(), u"Report");
  model.WrapBoxText(3, Units);
  EXPECT_EQ(model.lines(), (std::vector<std::u16string>{u"Fer", u"til", u"e", u"day"}));
}

TEST_F(Modal, NewSoftKeysCloseThePopupAndNoKeysPressNothing) {
  Run({Tap(Key::kF1)});
  model.SetSoftKeys({});
  EXPECT_EQ(model.showing(), Showing::kNothing);
  EXPECT_EQ(model.BarLabels().left, u"");
  Received();
  // Without keys nothing is pressed, and nothing fails.
  Run({Tap(Key::kF1), Press(Place::kSoftKey, 1)});
  EXPECT_EQ(model.showing(), Showing::kNothing);
  EXPECT_EQ(Received(), std::vector<Posted>{});
}

// A box opened while one is open waits for it; a front end without a bar passes F1 and F2 on.
TEST_F(Modal, BoxesQueueAndABarlessFrontEndPassesTheBarKeysOn) {
  model.OpenMessageBox(u"First", u"one");
  model.OpenMessageBox(u"Second", u"two");
  EXPECT_EQ(model.box_number(), 1);
  EXPECT_TRUE(Run({Tap(Key::kEnter)}));
  EXPECT_EQ(model.caption(), u"Second");
  EXPECT_EQ(model.box_number(), 2);
  Run({Tap(Key::kEscape)});
  EXPECT_EQ(model.showing(), Showing::kNothing);
  model.SetBarShown(false);
  Run({Tap(Key::kF1)});
  EXPECT_EQ(model.showing(), Showing::kNothing);
  EXPECT_EQ(Received(), (std::vector<Posted>{KeyDown(Key::kF1), KeyUp(Key::kF1)}));
}

using Lines = std::vector<std::u16string>;

TEST(WrapText, BreaksAtLineBreaksThenBetweenWords) {
  struct Case {
    const char* name;
    std::u16string text;
    int width;
    Lines expected;
  };
  const Case cases[] = {
      {"empty text has no lines", u"", 10, {}},
      {"short line stays whole", u"Fertile", 10, {u"Fertile"}},
      {"CR LF is one break", u"a\r\nb", 10, {u"a", u"b"}},
      {"LF and lone CR break too", u"a\nb\rc", 10, {u"a", u"b", u"c"}},
      {"empty lines are kept", u"Legend:\n\nSelect", 10, {u"Legend:", u"", u"Select"}},
      {"empty lines between CR LF", u"a\r\n\r\nb", 10, {u"a", u"", u"b"}},
      {"a final break adds no line", u"a\nb\n", 10, {u"a", u"b"}},
      {"only a break is one empty line", u"\r\n", 10, {u""}},
      {"words fill the width exactly", u"ab cd ef", 5, {u"ab cd", u"ef"}},
      {"words move down whole", u"Not likely to conceive", 10, {u"Not likely", u"to", u"conceive"}},
      {"spaces at a break are dropped", u"ab    cd", 3, {u"ab", u"cd"}},
      {"trailing spaces are dropped", u"ab   ", 10, {u"ab"}},
      {"indentation is kept on the first line", u"  ab cd", 10, {u"  ab cd"}},
      {"inner spacing is kept", u"a  b", 10, {u"a  b"}},
      {"tabs separate words", u"ab\tcd", 3, {u"ab", u"cd"}},
      {"a long word is split", u"abcdefgh", 3, {u"abc", u"def", u"gh"}},
      {"a long word after a short one starts a line", u"x abcdef", 4, {u"x", u"abcd", u"ef"}},
      {"the rest of a split word takes following words", u"abcde f", 4, {u"abcd", u"e f"}},
      {"a split after double spaces", u"Not  likely", 4, {u"Not", u"like", u"ly"}},
      {"uneven widths", u"WW a WWW", 7, {u"WW", u"a", u"WW", u"W"}},
      {"wide characters split between them", u"日本語", 3, {u"日", u"本", u"語"}},
      {"a character wider than the line has one of its own", u"日", 1, {u"日"}},
      {"zero width still makes progress", u"abc", 0, {u"a", u"b", u"c"}},
      {"zero width keeps words apart", u"a b", 0, {u"a", u"b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WrapText(c.text, c.width, Units), c.expected) << c.name;
  }
}

TEST(WrapText, NeverSplitsASurrogatePair) {
  // Three astral characters (two units each) in a width of three units: one per line.
  const std::u16string text = u"\U0001F600\U0001F601\U0001F602";
  const Lines expected = {u"\U0001F600", u"\U0001F601", u"\U0001F602"};
  EXPECT_EQ(WrapText(text, 3, Units), expected);
}

TEST(WrapText, EveryLineFitsAndNoTextIsLost) {
  std::u16string text;
  for (int i = 0; i < 200; ++i) {
    text += std::u16string(static_cast<std::size_t>(i % 13 + 1), u'x');
    text += i % 17 == 0 ? u"\r\n" : u" ";
  }
  for (int width : {1, 5, 12, 40}) {
    std::u16string joined;
    for (const std::u16string& line : WrapText(text, width, Units)) {
      EXPECT_LE(Units(line), width) << "width " << width << ": " << line.size();
      for (char16_t c : line) {
        if (c == u'x') joined += c;
      }
    }
    EXPECT_EQ(joined.size(), static_cast<std::size_t>(std::count(text.begin(), text.end(), u'x')))
        << "width " << width;
  }
}

}  // namespace
