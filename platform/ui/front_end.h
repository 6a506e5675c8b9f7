// What a front end (the desktop window, the terminal, the headless runner) does for the
// program's loop (app/event_loop.h) and its window (platform/ui/program_window.h): it makes
// canvases of its kind for the window's client area, shows the window (its title and icon),
// waits for native input and hands it over as neutral events, resizes the window when its
// screen changes size, and presents the frames it is given, the window's picture with what
// the modal model shows over it. It decides nothing about what the input does.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/canvas/canvas.h"
#include "platform/ui/events.h"
#include "platform/ui/modal.h"

class ProgramWindow;

struct ClientSize {
  int width;
  int height;
};

class UiFrontEnd {
 public:
  virtual ~UiFrontEnd() = default;

  // A canvas of the kind this front end shows (pixels, character cells), width x height;
  // nullptr when it cannot be made.
  virtual std::unique_ptr<Canvas> MakeCanvas(int width, int height) = 0;

  // The client size a window opens at.
  virtual ClientSize DefaultClientSize() const {
    return ClientSize{kDefaultClientWidth, kDefaultClientHeight};
  }

  // `window` is the one on screen from now until WindowClosed: its title and icon are read
  // here, its canvas and focus box at each Present, and it is resized with the screen.
  virtual void WindowShown(ProgramWindow&) {}
  virtual void WindowClosed(ProgramWindow&) {}

  // Waits until there is input and appends it; false when no input will ever come again.
  virtual bool WaitEvents(std::vector<UiEvent>* events) = 0;

  // Shows `picture` (the client area as last painted; nullptr: none yet) with the bar, popup
  // or box of `modal` over it. The front end lays the box's text out for its own measure
  // (modal.WrapBoxText, SetVisibleLines); `repaint_all`: the screen may have been spoilt.
  virtual void Present(const Canvas* picture, ModalModel& modal, bool repaint_all) = 0;

  // Another start asked for the program to come forward.
  virtual void ComeForward() {}

  // Whether it shows the soft-key bar (F1 and F2 press its keys).
  virtual bool ShowsSoftKeys() const { return true; }
};

// Where message boxes go: the running loop's modal model. Unset, a box is answered unseen.
using MessageBoxSink = void (*)(std::u16string_view caption, std::u16string_view text);
void SetMessageBoxSink(MessageBoxSink sink);
