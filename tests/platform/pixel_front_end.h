// A front end for tests that run the program's window without a screen: pixel canvases, no
// input, no frames; it keeps the window it was shown.
#pragma once

#include <memory>
#include <vector>

#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/ui/front_end.h"
#include "platform/ui/program_window.h"

class PixelFrontEnd final : public UiFrontEnd {
 public:
  std::unique_ptr<Canvas> MakeCanvas(int width, int height) override {
    return makes_canvases ? MakePixelCanvas(width, height) : nullptr;
  }
  ClientSize DefaultClientSize() const override { return size; }
  void WindowShown(ProgramWindow& window) override { shown = &window; }
  void WindowClosed(ProgramWindow& window) override {
    if (shown == &window) shown = nullptr;
  }
  bool WaitEvents(std::vector<UiEvent>*) override { return false; }
  void Present(const Canvas*, ModalModel&, bool) override {}

  ClientSize size{kDefaultClientWidth, kDefaultClientHeight};
  bool makes_canvases = true;
  ProgramWindow* shown = nullptr;  // the window on the screen, until it closes
};
