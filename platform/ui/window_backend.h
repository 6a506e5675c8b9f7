// What a window backend (headless, desktop window, terminal) implements and what the window
// system offers it. The window system keeps the windows and the paint requests; a backend is
// also the program loop's front end (platform/ui/front_end.h): it turns its native input
// into neutral events and presents the frames, message boxes and soft-key bar included.
// Platform-internal: the system's code never includes this.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas/canvas.h"
#include "platform/ui/front_end.h"
#include "platform/ui/resource.h"
#include "platform/ui/window.h"

// The kind of canvas made where no backend chooses one: without a backend, and by a backend
// that keeps WindowBackend::MakeCanvas. Unset (nullptr) at the start, which leaves such windows
// without a canvas, so creating them fails; builds that run the system's code without a front
// end (the tests) set pixel canvases.
void SetDefaultCanvasMaker(CanvasMaker maker);
CanvasMaker DefaultCanvasMaker();

class WindowBackend : public UiFrontEnd {
 public:
  // Canvases of the default kind.
  std::unique_ptr<Canvas> MakeCanvas(int width, int height) override {
    const CanvasMaker maker = DefaultCanvasMaker();
    return maker != nullptr ? maker(width, height) : nullptr;
  }
  bool WaitEvents(std::vector<UiEvent>*) override { return false; }
  void Present(const Canvas*, ModalModel&, bool) override {}
};

// Installs the backend (nullptr: none) and destroys the previous one. Without a backend,
// canvases are of the default kind.
void InstallWindowBackend(std::unique_ptr<UiFrontEnd> backend);
UiFrontEnd* CurrentWindowBackend();

// The top-level window that receives input: the most recently shown visible one.
HWND InputWindow();

// The caret's box in the client area of `window` (CreateCaret, SetCaretPos); false when
// that window does not own the caret.
bool CaretOf(HWND window, Rect* box);

// Resizes the client area: a new canvas (white), WM_SIZE, then a repaint request.
BOOL ResizeClientArea(HWND window, int width, int height);

std::u16string WindowTitle(HWND window);
// The icon of the window's class, as its resource; nullptr when it has none.
const IconResource* WindowIcon(HWND window);
