// The modal model of every interactive front end: the soft-key bar, the popup menu of a soft
// key and the modal message boxes. It keeps what is open, the highlighted item, the box's text
// wrapped for its width and the first line shown, and it decides what every input does to
// them. The program's loop (app/event_loop.h) gives it each event first; what it does not take
// (a key, a tap in the client area, a soft key's or an item's command) it passes on to the
// calendar (TakePassed). Front ends draw the state they are given and decide nothing.
//
// The rules, the same in every front end:
//   no popup, no box  F1 and F2 press the left and right soft key (a key with a menu opens
//                     its popup); other keys, and presses in the client area, go on. A front
//                     end without a bar (the headless runner) passes F1 and F2 on as well.
//   popup open        Up and Down move the highlight round the items, Home and End to the
//                     first and last, the wheel a step an item; Enter or a press on an item
//                     chooses it, digit N the Nth; Escape, F1, F2 or a press anywhere else
//                     closes the popup. The other soft key reads "Cancel".
//   box open          Up and Down scroll one line, the wheel three a step; Page Up, Page Down
//                     and Space a page (the lines shown less one, so one line stays in
//                     view); Home and End go to the top and the bottom. Enter, Escape, F1, F2
//                     or a press anywhere close it. The left soft key reads "OK". A box opened
//                     while one is open waits for it to close.
// A key held down acts once: its repeats neither open, choose nor close anything.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/text_wrap.h"
#include "platform/ui/events.h"

// The soft-key bar as it reads now: its two labels, and which key is held open by its popup
// (1 left, 2 right, 0 none).
struct SoftKeyBarLabels {
  std::u16string left;
  std::u16string right;
  int open_key = 0;
};

class ModalModel {
 public:
  enum class Showing { kNothing, kPopup, kMessageBox };

  // --- state, for drawing ---------------------------------------------------------------
  Showing showing() const { return showing_; }
  SoftKeyBarLabels BarLabels() const;
  int popup_key() const { return popup_key_; }  // 1 or 2 while a popup is open
  const std::vector<std::u16string>& popup_items() const { return popup_items_; }
  int highlighted() const { return highlighted_; }
  const std::u16string& caption() const { return caption_; }
  const std::u16string& text() const { return text_; }
  // The box's text as last wrapped by WrapBoxText (empty before).
  const std::vector<std::u16string>& lines() const { return lines_; }
  int first_line() const { return first_line_; }
  // The largest first line: the last line then ends the box.
  int LastFirstLine() const;

  // --- the box's layout, from the backend's measure of its text -------------------------
  // Wraps the box's text to `width` with `measure`, unless it is wrapped already for this
  // width and `measure_key` (what else changes the measure, such as a font size).
  void WrapBoxText(int width, const TextMeasure& measure, int measure_key = 0);
  // The whole lines the box shows (at least 1 is assumed); keeps the first line in range.
  void SetVisibleLines(int count);

  // --- the bar -------------------------------------------------------------------------
  // The bar's keys, left first; an open popup that no longer matches them closes.
  void SetSoftKeys(std::vector<SoftKey> keys);
  // Whether the front end shows a bar: without one, F1 and F2 go on like other keys.
  void SetBarShown(bool shown) { bar_shown_ = shown; }

  // --- opening and closing --------------------------------------------------------------
  // Opens the box (closing the popup), its first line at the top; while another box is open
  // it waits for that one to close.
  void OpenMessageBox(std::u16string_view caption, std::u16string_view text);
  // Counts the boxes opened so far: a front end that answers boxes itself (the headless
  // runner) tells a new box from one it has seen.
  int box_number() const { return box_number_; }
  // Closes the popup and the boxes, waiting ones too (the program is ending). True when
  // something was open.
  bool CloseAll();

  // --- input; each returns true when what the backend shows has changed -----------------
  // Gives the event to the matching call below; other kinds are not the model's (false).
  bool Handle(const UiEvent& event);
  // A key pressed; `repeat`: it was already down.
  bool KeyDown(Key key, bool repeat);
  // A key released. A front end that sees no releases sends it right after the press.
  bool KeyUp(Key key);
  // The wheel turned `steps` notches, positive towards the user (down the text).
  bool Wheel(int steps);
  // The left button (a tap) pressed at `hit`, and released at client point (x, y).
  bool PointerDown(const ModalHit& hit);
  bool PointerUp(int x, int y);

  // What the input above passed on to the calendar, in order, since the last call: key
  // presses and releases, client presses and releases, commands.
  std::vector<UiEvent> TakePassed();

 private:
  bool PressSoftKeyOf(int key);
  bool ChooseItem(int item);
  bool ClosePopup();
  bool CloseBox();
  bool PopupKey(Key key, bool repeat);
  bool BoxKey(Key key, bool repeat);
  void OpenNextBox();
  bool MoveHighlight(int to);
  bool ScrollTo(std::int64_t line);
  int Page() const;

  struct Box {
    std::u16string caption;
    std::u16string text;
  };
  std::vector<SoftKey> soft_keys_;
  bool bar_shown_ = true;
  std::vector<UiEvent> passed_;
  std::vector<Box> waiting_boxes_;
  int box_number_ = 0;
  Showing showing_ = Showing::kNothing;
  int popup_key_ = 0;
  std::vector<std::u16string> popup_items_;
  int highlighted_ = 0;
  std::u16string caption_;
  std::u16string text_;
  std::vector<std::u16string> lines_;
  int wrapped_width_ = -1;  // what lines_ was wrapped for; -1: not yet
  int wrapped_key_ = 0;
  int visible_lines_ = 1;
  int first_line_ = 0;
  std::bitset<256> taken_keys_;    // keys whose press was taken: their release is taken too
  bool button_in_window_ = false;  // the window got the press: it gets the release
};
