// What a window backend (headless, desktop window, terminal) implements and what the window
// system offers it. The window system keeps the windows, the message queue and the paint
// requests; a backend shows the client area, turns its native input into the platform's
// messages (PostMessageW) and presents message boxes and the soft-key bar. Platform-internal:
// the system's code never includes this.
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
  // A canvas of the kind this backend shows, for a client area of width x height.
  virtual std::unique_ptr<Canvas> MakeCanvas(int width, int height) {
    const CanvasMaker maker = DefaultCanvasMaker();
    return maker != nullptr ? maker(width, height) : nullptr;
  }
  // The client size given to a window created with CW_USEDEFAULT.
  virtual void DefaultClientSize(int* width, int* height) {
    *width = kDefaultClientWidth;
    *height = kDefaultClientHeight;
  }
  virtual void WindowShown(HWND) {}
  virtual void WindowPainted(HWND) {}  // EndPaint: the client canvas holds a new picture
  virtual void WindowDestroyed(HWND) {}
  virtual void MenuBarChanged(HWND) {}  // the owner's soft-key bar was created or destroyed

  // Called by GetMessageW when no message is queued and no paint is pending: posts the next
  // input; false (the default) when there is none, and GetMessageW returns WM_QUIT with code
  // 0. The program runs its own loop instead (app/event_loop.h).
  virtual bool WaitForInput() { return false; }

  bool WaitEvents(std::vector<UiEvent>*) override { return false; }
  void Present(const Canvas*, ModalModel&, bool) override {}
};

// Installs the backend (nullptr: none) and destroys the previous one. Without a backend,
// canvases are of the default kind and an empty queue ends the message loop.
void InstallWindowBackend(std::unique_ptr<WindowBackend> backend);
WindowBackend* CurrentWindowBackend();

// The top-level window that receives input: the most recently shown visible one.
HWND InputWindow();

// The caret's box in the client area of `window` (CreateCaret, SetCaretPos); false when
// that window does not own the caret.
bool CaretOf(HWND window, RECT* box);

// Resizes the client area: a new canvas (white), WM_SIZE, then a repaint request.
BOOL ResizeClientArea(HWND window, int width, int height);

std::u16string WindowTitle(HWND window);
// The icon of the window's class, as its resource; nullptr when it has none.
const IconResource* WindowIcon(HWND window);

// Presses soft key `key` (1 = left, 2 = right) of the owner's bar: posts its WM_COMMAND.
// A key with a popup then expects ChooseMenuItem (or nothing, when the popup is dismissed).
BOOL PressSoftKey(HWND owner, int key);
// Chooses item `item` (0-based) of the popup of soft key `key`: posts the item's WM_COMMAND.
BOOL ChooseMenuItem(HWND owner, int key, int item);

// Native input as the platform's messages, posted to `window` with the flags the platform
// gives them: a key pressed (`repeat`: it was already down) or released, and the left button
// pressed or released at client point (x, y), each coordinate clamped to 0..65535.
BOOL PostKeyDown(HWND window, UINT key, bool repeat = false);
BOOL PostKeyUp(HWND window, UINT key);
BOOL PostButtonDown(HWND window, int x, int y);
BOOL PostButtonUp(HWND window, int x, int y);
