// The modal layer of every interactive front end: the soft-key bar, the popup menu of a soft
// key and the modal message box. It keeps what is open, the highlighted item, the box's text
// wrapped for its width and the first line shown, and it decides what every input does to
// them. A backend turns its native input into the calls below, draws the state it reads back
// and redraws when a call returns true; it decides nothing itself. Input that nothing modal
// takes goes on to the input window (InputWindow()) as the platform's messages, and the
// soft keys, the items and their commands are those of that window's bar (SoftKeysOf).
//
// The rules, the same in every front end:
//   no popup, no box  F1 and F2 press the left and right soft key (a key with a menu opens
//                     its popup); other keys, and presses in the client area, go to the window.
//   popup open        Up and Down move the highlight round the items, Home and End to the
//                     first and last, the wheel a step an item; Enter or a press on an item
//                     chooses it, digit N the Nth; Escape, F1, F2 or a press anywhere else
//                     closes the popup. The other soft key reads "Cancel".
//   box open          Up and Down scroll one line, the wheel three a step; Page Up, Page Down
//                     and Space a page (the lines shown less one, so one line stays in
//                     view); Home and End go to the top and the bottom. Enter, Escape, F1, F2
//                     or a press anywhere close it. The left soft key reads "OK".
// A key held down acts once: its repeats neither open, choose nor close anything.
//
// Example, a backend's message box:
//   modal.OpenMessageBox(caption, text);
//   while (modal.showing() == ModalModel::Showing::kMessageBox) {
//     ... lay out: modal.WrapBoxText(width, measure); modal.SetVisibleLines(rows); draw ...
//     ... wait for native input; e.g. a key: if (modal.KeyDown(VK_DOWN, false)) redraw ...
//   }
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/text_wrap.h"
#include "platform/ui/window.h"

// The soft-key bar as it reads now: its two labels, and which key is held open by its popup
// (1 left, 2 right, 0 none).
struct SoftKeyBarLabels {
  std::u16string left;
  std::u16string right;
  int open_key = 0;
};

// What lies under a pointer press, as the backend's drawing lays things out.
struct ModalHit {
  enum class Place {
    kClient,     // the client area at (x, y), outside any popup
    kSoftKey,    // soft key `index` (1 left, 2 right) on the bar
    kPopupItem,  // item `index` (0-based) of the open popup
    kNothing,    // anywhere else
  };
  Place place = Place::kNothing;
  int index = 0;
  int x = 0;
  int y = 0;
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

  // --- opening and closing --------------------------------------------------------------
  // Opens the box (closing the popup), its first line at the top.
  void OpenMessageBox(std::u16string_view caption, std::u16string_view text);
  // Closes the popup and the box (the program is ending, the window went). True when
  // something was open.
  bool CloseAll();
  // The window's soft-key bar changed: an open popup may no longer match it, so it closes.
  bool SoftKeysChanged();

  // --- input; each returns true when what the backend shows has changed -----------------
  // A key (virtual-key code) pressed; `repeat`: it was already down.
  bool KeyDown(UINT key, bool repeat);
  // A key released. A backend that sees no releases calls it right after KeyDown.
  bool KeyUp(UINT key);
  // The wheel turned `steps` notches, positive towards the user (down the text).
  bool Wheel(int steps);
  // The left button (a tap) pressed at `hit`, and released at client point (x, y).
  bool PointerDown(const ModalHit& hit);
  bool PointerUp(int x, int y);

 private:
  bool PressSoftKeyOf(int key);
  bool ChooseItem(int item);
  bool ClosePopup();
  bool CloseBox();
  bool PopupKey(UINT key, bool repeat);
  bool BoxKey(UINT key, bool repeat);
  bool MoveHighlight(int to);
  bool ScrollTo(std::int64_t line);
  int Page() const;

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
